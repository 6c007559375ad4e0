// Message formatting in the framework's style: "%s" takes any text, "%d" and
// "%u" integers, "%x" hexadecimal, "%%" a percent sign. Used by exception
// messages, so it never throws on a mismatched argument list.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

class FormatArg {
 public:
  FormatArg(const wchar_t* s) : FText(s ? s : L""), FIsText(true) {}
  FormatArg(std::wstring_view s) : FText(s), FIsText(true) {}
  FormatArg(const std::wstring& s) : FText(s), FIsText(true) {}
  FormatArg(const char* s);
  FormatArg(const std::string& s);
  template <typename T>
    requires std::is_integral_v<T>
  FormatArg(T v) : FNumber(static_cast<int64_t>(v)), FUnsigned(std::is_unsigned_v<T>) {}

  std::wstring AsText() const;
  int64_t AsNumber() const { return FNumber; }
  bool IsText() const { return FIsText; }
  bool IsUnsigned() const { return FUnsigned; }

 private:
  std::wstring FText;
  int64_t FNumber = 0;
  bool FIsText = false;
  bool FUnsigned = false;
};

std::wstring Format(std::wstring_view fmt, std::initializer_list<FormatArg> args);

// Conversions between UTF-16 and the system's 8-bit texts.
std::wstring AnsiToWide(std::string_view s);
std::string WideToAnsi(std::wstring_view s);
std::string WideToUtf8(std::wstring_view s);
std::wstring Utf8ToWide(std::string_view s);
