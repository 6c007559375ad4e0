#include <gtest/gtest.h>

#include <vector>

#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"

namespace {

TEST(TntSystem, PlatformFlags) {
  EXPECT_TRUE(Win32PlatformIsUnicode);
  EXPECT_TRUE(Win32PlatformIsXP);
  EXPECT_EQ(DefaultSystemCodePage, GetACP());
}

TEST(TntSystem, CommandLineSplitting) {
  struct Case {
    std::wstring cmdLine;
    std::vector<std::wstring> params;  // after the program's name
  };
  const Case cases[] = {
      {LR"("C:\Program Files\Tavrin\tavrin.exe" song.mp3 "C:\My Music\a b.mp3")",
       {L"song.mp3", L"C:\\My Music\\a b.mp3"}},
      {L"tavrin.exe \"\" x.mp3", {L"x.mp3"}},
      {L"tavrin.exe\t \"\"\"\"  x.mp3 \"\"", {L"x.mp3"}},
      {L"tavrin.exe a\"b c\"d \"unterminated e", {L"ab cd", L"unterminated e"}},
      {L"tavrin.exe", {}},
      {L"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << WideStringToUTF8(c.cmdLine));
    ASSERT_EQ(WideParamCountOf(c.cmdLine), static_cast<int>(c.params.size()));
    for (size_t i = 0; i < c.params.size(); ++i)
      EXPECT_EQ(WideParamStrOf(c.cmdLine, static_cast<int>(i) + 1), c.params[i]);
    EXPECT_EQ(WideParamStrOf(c.cmdLine, static_cast<int>(c.params.size()) + 1), L"");
    EXPECT_EQ(WideParamStrOf(c.cmdLine, -1), L"");
  }
  EXPECT_EQ(WideParamStrOf(LR"("C:\Program Files\t.exe" x)", 0), L"C:\\Program Files\\t.exe");

  std::wstring token;
  const wchar_t* text = L"  one two";
  EXPECT_EQ(TntGetParamStrAt(text, token) - text, 5);
  EXPECT_EQ(token, L"one");
}

TEST(TntSystem, ParamStrZeroIsTheModule) {
  std::wstring name = TntWideLowerCase(WideParamStr(0));
  EXPECT_NE(name.find(L"foundation_tests.exe"), std::wstring::npos) << WideStringToUTF8(name);
}

TEST(TntSystem, LineBreaks) {
  const std::wstring input = L"a\nb\rc\r\nd\u2028e\n\r\r";
  const struct {
    TTntTextLineBreakStyle style;
    std::wstring expected;
  } cases[] = {
      {tlbsLF, L"a\nb\nc\nd\ne\n\n\n"},
      {tlbsCRLF, L"a\r\nb\r\nc\r\nd\r\ne\r\n\r\n\r\n"},
      {tlbsCR, L"a\rb\rc\rd\re\r\r\r"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.style));
    EXPECT_EQ(TntAdjustLineBreaks(input, c.style), c.expected);
    EXPECT_EQ(TntAdjustLineBreaksLength(input, c.style), c.expected.size());
  }
}

TEST(TntSystem, Utf8) {
  const std::wstring text = L"a\u00e9\u20ac\U0001F3B5\U0010FFFF";
  const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5\xF4\x8F\xBF\xBF";
  EXPECT_EQ(WideStringToUTF8(text), utf8);
  EXPECT_EQ(UTF8ToWideString(utf8), text);
  EXPECT_EQ(AnsiToWideInCodePage(utf8, CP_UTF8), text);
  EXPECT_EQ(WideToAnsiInCodePage(text, CP_UTF8), utf8);

  // Malformed input: one U+FFFD per maximal bad piece, nothing read past the end.
  const struct {
    std::string bytes;
    std::wstring expected;
  } bad[] = {
      {"\xC0\xAF", L"\uFFFD\uFFFD"},               // overlong
      {"x\xE2\x82", L"x\uFFFD"},                   // cut short
      {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},     // surrogate
      {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xE2\x28\xA1", L"\uFFFD(\uFFFD"},
  };
  for (const auto& c : bad) EXPECT_EQ(UTF8ToWideString(c.bytes), c.expected);
  EXPECT_EQ(WideStringToUTF8(std::wstring(1, wchar_t(0xD800)) + L"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(WideStringToUTF8(std::wstring(1, wchar_t(0xDC00))), "\xEF\xBF\xBD");
}

TEST(TntSystem, Utf7Encoding) {
  const struct {
    std::wstring text;
    std::string utf7;
  } cases[] = {
      {L"Hi Mom -\u263A-!", "Hi Mom -+Jjo--!"},
      {L"\u65E5\u672C\u8A9E", "+ZeVnLIqe"},
      {L"A\u2262\u0391.", "A+ImIDkQ."},
      {L"+", "+-"},
      {L"\u263A+", "+Jjo-+-"},
      {L"a~b\\", "a+AH4-b+AFw"},
      {L"\u00e9.\u00e9-\u00e9 ", "+AOk.+AOk--+AOk "},
      {L"\U0001F3B5", "+2DzftQ"},
      {std::wstring(1, L'\0'), "+AAA"},
      {L"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WideToAnsiInCodePage(c.text, CP_UTF7), c.utf7);
    EXPECT_EQ(AnsiToWideInCodePage(c.utf7, CP_UTF7), c.text) << c.utf7;
  }
  std::wstring all;
  for (wchar_t c = 0; c < 0x100; ++c) all += c;
  all += L"\U0001F3B5\uFFFF";
  EXPECT_EQ(UTF7ToWideString(WideStringToUTF7(all)), all);
}

TEST(TntSystem, Utf7DecodingForms) {
  const struct {
    std::string utf7;
    std::wstring text;
  } cases[] = {
      {"+ZeVnLIqe-", L"\u65E5\u672C\u8A9E"},
      {"Hi Mom -+Jjo--+ACE-", L"Hi Mom -\u263A-!"},
      {"a~b\\", L"a~b\\"},
      {"+AGEAYgBj-d", L"abcd"},
  };
  for (const auto& c : cases) EXPECT_EQ(UTF7ToWideString(c.utf7), c.text) << c.utf7;

  const char* malformed[] = {"+", "a+!", "+A-", "+AB", "+AOl.", "+AAAA-", "\x80", "+Jjo\xE9"};
  for (const char* m : malformed) EXPECT_THROW(UTF7ToWideString(m), ETntGeneralError) << m;
}

TEST(TntSystem, CodePages) {
  EXPECT_EQ(AnsiToWideInCodePage("caf\xE9", 1252), L"caf\u00e9");
  EXPECT_EQ(WideToAnsiInCodePage(L"caf\u00e9", 1252), "caf\xE9");
  EXPECT_EQ(CodePageOfLocale(0x0409), 1252u);
  EXPECT_EQ(CodePageOfLocale(0x0419), 1251u);
}

TEST(TntSystem, SwapWideBytes) {
  wchar_t buf[] = {0x1234, 0x00AB, 0, 0x5566};
  TntSwapWideBytes(buf);
  EXPECT_EQ(buf[0], 0x3412);
  EXPECT_EQ(buf[1], 0xAB00);
  EXPECT_EQ(buf[3], 0x5566);  // beyond the NUL: untouched
  TntSwapWideBytes(nullptr);
}

TEST(TntSystem, ExtractStringsFromArray) {
  using List = std::vector<std::wstring>;
  const wchar_t doubleNul[] = L"one\0two\0three\0\0junk";
  EXPECT_EQ(WideExtractStringsFromArray(doubleNul, L'\0'), (List{L"one", L"two", L"three"}));
  EXPECT_EQ(WideExtractStringsFromArray(L"a,b,,c", L','), (List{L"a", L"b"}));
  EXPECT_EQ(WideExtractStringsFromArray(L"a,b", L','), (List{L"a", L"b"}));
  EXPECT_EQ(WideExtractStringsFromArray(nullptr, L','), List{});
}

}  // namespace
