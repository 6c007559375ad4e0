#include "framework/format.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace {

std::wstring MultiToWide(UINT codePage, std::string_view s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

std::string WideToMulti(UINT codePage, std::wstring_view s) {
  if (s.empty()) return {};
  int n = WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring AnsiToWide(std::string_view s) { return MultiToWide(CP_ACP, s); }
std::string WideToAnsi(std::wstring_view s) { return WideToMulti(CP_ACP, s); }
std::string WideToUtf8(std::wstring_view s) { return WideToMulti(CP_UTF8, s); }
std::wstring Utf8ToWide(std::string_view s) { return MultiToWide(CP_UTF8, s); }

FormatArg::FormatArg(const char* s) : FText(AnsiToWide(s ? s : "")), FIsText(true) {}
FormatArg::FormatArg(const std::string& s) : FText(AnsiToWide(s)), FIsText(true) {}

std::wstring FormatArg::AsText() const {
  if (FIsText) return FText;
  return FUnsigned ? std::to_wstring(static_cast<uint64_t>(FNumber)) : std::to_wstring(FNumber);
}

std::wstring Format(std::wstring_view fmt, std::initializer_list<FormatArg> args) {
  std::vector<const FormatArg*> list;
  for (const auto& a : args) list.push_back(&a);
  std::wstring out;
  size_t next = 0;
  for (size_t i = 0; i < fmt.size(); ++i) {
    wchar_t c = fmt[i];
    if (c != L'%' || i + 1 >= fmt.size()) {
      out += c;
      continue;
    }
    wchar_t directive = fmt[++i];
    if (directive == L'%') {
      out += L'%';
      continue;
    }
    const FormatArg* arg = next < list.size() ? list[next++] : nullptr;
    if (!arg) continue;  // missing argument: drop the directive rather than fail
    switch (directive) {
      case L'x':
      case L'X': {
        if (arg->IsText()) {
          out += arg->AsText();
          break;
        }
        wchar_t buf[24];
        swprintf(buf, 24, directive == L'x' ? L"%llx" : L"%llX",
                 static_cast<unsigned long long>(arg->AsNumber()));
        out += buf;
        break;
      }
      default:  // %s, %d, %u and anything else print the argument as it is
        out += arg->AsText();
    }
  }
  return out;
}
