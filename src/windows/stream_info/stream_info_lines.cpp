#include "windows/stream_info/stream_info_lines.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwctype>

namespace {

// UTF-8 when the bytes are valid UTF-8 (as most servers send now), else the
// system code page (as older ones did).
std::wstring Widen(const std::string& Text) {
  if (Text.empty()) return std::wstring();
  // Only the start of a long text is shown: no need to convert the rest. The
  // cut goes before a UTF-8 sequence, not into it.
  size_t cut = std::min<size_t>(Text.size(), 4 * kMaxStreamInfoLine);
  while (cut < Text.size() && cut > 0 && (static_cast<unsigned char>(Text[cut]) & 0xC0) == 0x80) --cut;
  const int size = static_cast<int>(cut);
  for (UINT codePage : {UINT{CP_UTF8}, UINT{CP_ACP}}) {
    const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int n = MultiByteToWideChar(codePage, flags, Text.data(), size, nullptr, 0);
    if (n <= 0) continue;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, Text.data(), size, wide.data(), n);
    return wide;
  }
  return std::wstring();
}

// One line of text: controls become blanks, blanks round it go, and a long
// one is cut.
std::wstring Line(std::wstring Text) {
  for (wchar_t& c : Text)
    if (c < 0x20 || c == 0x7F || c == 0x2028 || c == 0x2029) c = L' ';
  const size_t first = Text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return std::wstring();
  Text = Text.substr(first, Text.find_last_not_of(L' ') - first + 1);
  if (Text.size() > kMaxStreamInfoLine) Text = Text.substr(0, kMaxStreamInfoLine - 3) + L"...";
  return Text;
}

std::string Narrow(const std::wstring& Text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(std::max(n, 0)), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), narrow.data(), n, nullptr, nullptr);
  return narrow;
}

bool SameNoCase(const std::string& A, const std::string& B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
           return std::tolower(static_cast<unsigned char>(X)) == std::tolower(static_cast<unsigned char>(Y));
         });
}

// The value of a "Name: value" header whose name is Name in any letter case
// (blanks before the colon allowed); false for another header.
bool HeaderValue(const std::string& Header, const std::string& Name, std::string& Value) {
  const size_t colon = Header.find(':');
  if (colon == std::string::npos) return false;
  std::string name = Header.substr(0, colon);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.erase(0, 1);
  if (!SameNoCase(name, Name)) return false;
  Value = Header.substr(colon + 1);
  return true;
}

}  // namespace

std::vector<std::wstring> NetStreamInfoLines(const TNetStreamFacts& Facts, const TNetStreamWords& Words) {
  std::vector<std::wstring> lines;
  if (Facts.IsNetRadio) {
    lines.push_back(Line(Words.ConnectedToInetRadio));
    for (const char* field : {"name", "genre", "url", "br"}) {
      std::string value;
      for (const std::string& header : Facts.ICYTags) {
        if (!HeaderValue(header, std::string("icy-") + field, value)) continue;
        lines.push_back(Line(L"ICY-" + Widen(field) + L" : " + Line(Widen(value))));
        break;
      }
    }
  }
  if (Facts.IsNetStream) {
    lines.push_back(Line(Words.PlayingInetStream));
    // The header's own name, or the word a translation gives it.
    const std::string translated = Narrow(Words.Server);
    std::string value;
    for (const std::string& header : Facts.HTTPTags) {
      if (!HeaderValue(header, "Server", value) &&
          !(!translated.empty() && HeaderValue(header, translated, value)))
        continue;
      lines.push_back(Line(Widen(header)));
      break;
    }
    for (const std::string& header : Facts.ICYTags) {
      if (lines.size() >= kMaxStreamInfoLines) break;
      lines.push_back(Line(Widen(header)));
    }
  }
  if (lines.size() > kMaxStreamInfoLines) lines.resize(kMaxStreamInfoLines);
  return lines;
}

std::wstring BufferLine(const std::wstring& BufferWord, float Percent) {
  wchar_t number[32];
  std::swprintf(number, 32, L"%.2f", std::isfinite(Percent) ? std::clamp(Percent, 0.0f, 100.0f) : 0.0f);
  return BufferWord + L": " + number + L"%";
}
