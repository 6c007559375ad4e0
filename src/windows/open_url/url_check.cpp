#include "windows/open_url/url_check.h"

#include <cwctype>

namespace {

constexpr const wchar_t* kSchemes[] = {L"http://", L"ftp://", L"mms://"};

bool IsTrimmed(wchar_t C) { return C == L' ' || C == L'\t' || C == L'\r' || C == L'\n' || C == 0x3000 || C == 0xA0; }

// C0 and C1 controls, DEL, and the line and paragraph separators: none has a
// place in an address, and a line break would split a playlist line.
bool IsControl(wchar_t C) {
  return C < 0x20 || (C >= 0x7F && C <= 0x9F) || C == 0x2028 || C == 0x2029;
}

}  // namespace

TURLCheck CheckStreamURL(const std::wstring& Text, std::wstring& URL) {
  URL.clear();
  size_t first = 0, last = Text.size();
  while (first < last && IsTrimmed(Text[first])) ++first;
  while (last > first && IsTrimmed(Text[last - 1])) --last;
  if (first == last) return TURLCheck::Empty;
  if (last - first > kMaxStreamURLLength) return TURLCheck::TooLong;
  std::wstring url = Text.substr(first, last - first);
  for (wchar_t c : url)
    if (IsControl(c)) return TURLCheck::ControlCharacter;
  for (const wchar_t* scheme : kSchemes) {
    const std::wstring prefix = scheme;
    if (url.size() <= prefix.size()) continue;
    bool same = true;
    for (size_t i = 0; i < prefix.size() && same; ++i)
      same = std::towlower(url[i]) == prefix[i];
    if (!same) continue;
    url.replace(0, prefix.size(), prefix);
    URL = std::move(url);
    return TURLCheck::Accepted;
  }
  return TURLCheck::Scheme;
}

const wchar_t* URLCheckMessage(TURLCheck Check) {
  switch (Check) {
    case TURLCheck::Accepted:
      return L"";
    case TURLCheck::Empty:
    case TURLCheck::Scheme:
      return L"URLSchemeNotSupported";
    case TURLCheck::TooLong:
      return L"URLTooLong";
    case TURLCheck::ControlCharacter:
      return L"URLHasControlChars";
  }
  return L"";
}
