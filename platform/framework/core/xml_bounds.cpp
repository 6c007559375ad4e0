#include "framework/xml_bounds.h"

#include <string>

namespace {

// The markup as 8-bit characters: only ASCII matters for finding tags and
// attributes, so any other character becomes 0x80.
std::string Project(std::wstring_view Text) {
  std::string out(Text.size(), '\x80');
  for (size_t i = 0; i < Text.size(); ++i)
    if (Text[i] < 0x80) out[i] = static_cast<char>(Text[i]);
  return out;
}

std::string ProjectUtf16(std::string_view Bytes, bool BigEndian) {
  std::wstring text(Bytes.size() / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    const auto lo = static_cast<unsigned char>(Bytes[2 * i + (BigEndian ? 1 : 0)]);
    const auto hi = static_cast<unsigned char>(Bytes[2 * i + (BigEndian ? 0 : 1)]);
    text[i] = static_cast<wchar_t>(hi << 8 | lo);
  }
  return Project(text);
}

size_t SkipPast(std::string_view s, size_t from, std::string_view end) {
  const size_t at = s.find(end, from);
  return at == std::string_view::npos ? s.size() : at + end.size();
}

// The most attributes any start tag holds: its '=' signs outside quoted
// values. Comments, CDATA, processing instructions and declarations hold none.
size_t MostAttributes(std::string_view s) {
  size_t most = 0;
  size_t i = 0;
  while ((i = s.find('<', i)) != std::string_view::npos) {
    std::string_view rest = s.substr(i);
    if (rest.starts_with("<!--")) {
      i = SkipPast(s, i + 4, "-->");
    } else if (rest.starts_with("<![CDATA[")) {
      i = SkipPast(s, i + 9, "]]>");
    } else if (rest.starts_with("<?")) {
      i = SkipPast(s, i + 2, "?>");
    } else if (rest.starts_with("<!") || rest.starts_with("</")) {
      i = SkipPast(s, i + 2, ">");
    } else {
      size_t count = 0;
      char quote = 0;
      for (++i; i < s.size(); ++i) {
        const char c = s[i];
        if (quote) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '=') {
          ++count;
        } else if (c == '>' || c == '<') {
          break;
        }
      }
      if (count > most) most = count;
    }
  }
  return most;
}

std::wstring Check(std::string_view Markup, size_t Bytes) {
  if (Bytes > kMaxXmlBytes)
    return L"the document is larger than " + std::to_wstring(kMaxXmlBytes) + L" bytes";
  if (MostAttributes(Markup) > kMaxXmlAttributes)
    return L"an element has more than " + std::to_wstring(kMaxXmlAttributes) + L" attributes";
  return {};
}

}  // namespace

std::wstring XmlBoundsBroken(std::string_view Bytes) {
  if (Bytes.size() > kMaxXmlBytes) return Check({}, Bytes.size());
  const auto at = [&](size_t i) { return i < Bytes.size() ? static_cast<unsigned char>(Bytes[i]) : 0x100; };
  // The order of a UTF-16 document shows in its mark, or in the zero byte
  // beside its first "<".
  if ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == '<' && at(1) == 0))
    return Check(ProjectUtf16(Bytes, false), Bytes.size());
  if ((at(0) == 0xFE && at(1) == 0xFF) || (at(0) == 0 && at(1) == '<'))
    return Check(ProjectUtf16(Bytes, true), Bytes.size());
  return Check(Bytes, Bytes.size());
}

std::wstring XmlBoundsBroken(std::wstring_view Text) {
  const size_t bytes = Text.size() * sizeof(wchar_t);
  if (bytes > kMaxXmlBytes) return Check({}, bytes);
  return Check(Project(Text), bytes);
}
