#include "foundation/tnt_ini_files.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/tnt_registry.h"
#include "foundation/tnt_string_list.h"
#include "foundation/tnt_system.h"
#include "test_support.h"

namespace {

using testing_support::TempDir;

std::string U8(const std::wstring& s) { return WideStringToUTF8(s); }

std::string Utf16File(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  return bytes;
}

std::wstring Joined(const TTntStringList& list) {
  std::wstring all;
  for (int32_t i = 0; i < list.Count(); ++i) all += list.Strings(i) + L";";
  return all;
}

TEST(TntIniFile, ReadsTypedValuesAsTheDefaultsRuleSays) {
  TempDir dir;
  const std::wstring file = dir.WriteFile(
      L"typed.ini",
      "[N]\r\nHex=0x1F\r\nDollar=$1F\r\nOnlyPrefix=0x\r\nTrailing=12ab\r\nNegative=-42\r\n"
      "Pattern=$FFFFFFFF\r\nHuge=4294967296\r\nBlank=\r\nTwo=2\r\nZero=0\r\nFloat=2.5\r\n"
      "BadFloat=2,5\r\nQuoted=\" Language \"\r\n");
  TTntIniFile ini(file);
  const struct {
    const wchar_t* key;
    int32_t expected;  // with the default 7
  } integers[] = {{L"Hex", 31},     {L"Dollar", 31},    {L"OnlyPrefix", 7},
                  {L"Trailing", 7}, {L"Negative", -42}, {L"Pattern", -1},
                  {L"Huge", 7},     {L"Blank", 7},      {L"Missing", 7}};
  for (const auto& c : integers)
    EXPECT_EQ(ini.ReadInteger(L"N", c.key, 7), c.expected) << U8(c.key);
  EXPECT_TRUE(ini.ReadBool(L"N", L"Two", false));
  EXPECT_FALSE(ini.ReadBool(L"N", L"Zero", true));
  EXPECT_TRUE(ini.ReadBool(L"N", L"Missing", true));
  EXPECT_DOUBLE_EQ(ini.ReadFloat(L"N", L"Float", 0), 2.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat(L"N", L"BadFloat", 1.5), 1.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat(L"N", L"Blank", 1.5), 1.5);
  // The profile calls strip trailing blanks from a default; ours come back whole.
  EXPECT_EQ(ini.ReadString(L"N", L"Missing", L"Language "), L"Language ");
  EXPECT_EQ(ini.ReadString(L"N", L"Quoted", L""), L" Language ");
  EXPECT_EQ(ini.ReadString(L"N", L"Blank", L"default"), L"");
}

TEST(TntIniFile, WritesANewFileInUtf16AndReadsItBack) {
  TempDir dir;
  const std::wstring file = dir.File(L"new \u0444.ini");
  const std::wstring text = L"\u041f\u0440\u0438\u0432\u0435\u0442 \u2014 \u65e5\u672c";
  {
    TTntIniFile ini(file);
    ini.WriteString(L"Main", L"Text", text);
    ini.WriteInteger(L"Main", L"Count", -12);
    ini.WriteBool(L"Main", L"Flag", true);
    ini.WriteFloat(L"Main", L"Ratio", 0.1);
    ini.WriteString(L"Second", L"Key", L"v");
  }
  EXPECT_EQ(testing_support::ReadFileBytes(file).substr(0, 2), "\xFF\xFE");
  TTntIniFile ini(file);
  EXPECT_EQ(U8(ini.ReadString(L"Main", L"Text", L"")), U8(text));
  EXPECT_EQ(ini.ReadInteger(L"Main", L"Count", 0), -12);
  EXPECT_EQ(ini.ReadString(L"Main", L"Flag", L""), L"1");
  EXPECT_EQ(ini.ReadFloat(L"Main", L"Ratio", 0), 0.1);
  EXPECT_TRUE(ini.ValueExists(L"main", L"TEXT"));
  ini.DeleteKey(L"Main", L"Text");
  EXPECT_FALSE(ini.ValueExists(L"Main", L"Text"));
  ini.EraseSection(L"Second");
  TTntStringList sections;
  ini.ReadSections(&sections);
  EXPECT_EQ(U8(Joined(sections)), "Main;");
  // An existing ANSI file stays as it is: only new files get the mark.
  const std::wstring ansi = dir.WriteFile(L"ansi.ini", "[A]\r\nK=1\r\n");
  TTntIniFile(ansi).WriteString(L"A", L"L", L"2");
  EXPECT_EQ(testing_support::ReadFileBytes(ansi).substr(0, 3), "[A]");
}

TEST(TntIniFile, ListsSectionsKeysAndValuesInFileOrder) {
  TempDir dir;
  const std::wstring file = dir.WriteFile(
      L"lists.ini",
      Utf16File(L"[Skin One]\r\nB=2\r\nA=1\r\n[other]\r\nX=\u00e9\r\n[skin two]\r\n"));
  TTntIniFile ini(file);
  TTntStringList list;
  ini.ReadSectionValues(L"Skin One", &list);
  EXPECT_EQ(U8(Joined(list)), "B=2;A=1;");
  ini.ReadSection(L"other", &list);
  EXPECT_EQ(U8(Joined(list)), "X;");
  ini.ReadSectionsStartingWith(L"SKIN", &list);
  EXPECT_EQ(U8(Joined(list)), "Skin One;skin two;");
  ini.ReadSection(L"missing", &list);
  EXPECT_EQ(list.Count(), 0);
}

TEST(TntIniFile, ValuesAreCutAt4095Characters) {
  TempDir dir;
  const std::wstring file =
      dir.WriteFile(L"long.ini", "[S]\r\nK=" + std::string(5000, 'a') + "\r\n");
  EXPECT_EQ(TTntIniFile(file).ReadString(L"S", L"K", L"").size(), 4095u);
}

TEST(TntIniFile, HostileFilesReadAsEmpty) {
  TempDir dir;
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 37 + 11);
  const struct {
    const char* what;
    std::string bytes;
  } files[] = {{"empty", ""},
               {"binary", binary},
               {"mark only", "\xFF\xFE"},
               {"odd UTF-16", Utf16File(L"[S") + "\x4B"},
               {"cut header", Utf16File(L"[Sec")},
               {"UTF-8 mark, no text", "\xEF\xBB\xBF"}};
  int n = 0;
  for (const auto& c : files) {
    TTntIniFile ini(dir.WriteFile(L"hostile" + std::to_wstring(n++) + L".ini", c.bytes));
    TTntStringList list;
    EXPECT_EQ(ini.ReadString(L"S", L"K", L"kept "), L"kept ") << c.what;
    EXPECT_EQ(ini.ReadInteger(L"S", L"K", 5), 5) << c.what;
    ini.ReadSection(L"S", &list);
    EXPECT_EQ(list.Count(), 0) << c.what;
  }
  TTntIniFile missing(dir.File(L"none.ini"));
  EXPECT_EQ(missing.ReadString(L"S", L"K", L"d"), L"d");
  missing.EraseSection(L"S");
  missing.DeleteKey(L"S", L"K");
  EXPECT_FALSE(testing_support::FilesIn(dir.Path()).count(L"none.ini"));
  TTntIniFile unwritable(dir.File(L"no folder\\x.ini"));
  EXPECT_EQ(testing_support::MessageOf<EIniFileException>(
                [&] { unwritable.WriteString(L"S", L"K", L"v"); }),
            L"Unable to write to " + dir.File(L"no folder\\x.ini"));
}

// ---------------------------------------------------------------- registry

// The test key and everything below it go when the test ends.
class TestKey {
 public:
  TestKey() { TRegistry().DeleteKey("\\Software\\TavrinTest"); }
  ~TestKey() { TRegistry().DeleteKey("\\Software\\TavrinTest"); }
};

TEST(TntRegistry, WritesUtf16ValuesAndDeletesWholeKeys) {
  TestKey cleanup;
  const std::wstring value = L"\"C:\\\u041f\u0430\u043f\u043a\u0430\\tavrin.exe\" \"%1\"";
  {
    TTntRegistry reg;
    reg.SetLazyWrite(false);
    EXPECT_FALSE(reg.OpenKey("\\Software\\TavrinTest\\Tavrin-mp3", false));
    ASSERT_TRUE(reg.OpenKey("\\Software\\TavrinTest\\Tavrin-mp3", true));
    ASSERT_TRUE(reg.OpenKey("Shell\\Open\\Command", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\TavrinTest\\Tavrin-mp3\\Shell\\Open\\Command");
    reg.WriteString(L"", value);
    reg.WriteString(std::string("Ansi"), std::string("plain"));
    EXPECT_TRUE(reg.ValueExists("Ansi"));
    EXPECT_EQ(reg.ReadString("Ansi"), "plain");
    EXPECT_EQ(reg.ReadString("Missing"), "");
    reg.CloseKey();
  }
  HKEY key = nullptr;
  ASSERT_EQ(
      RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\TavrinTest\\Tavrin-mp3\\Shell\\Open\\Command", 0,
                    KEY_READ, &key),
      ERROR_SUCCESS);
  wchar_t read[256] = {};
  DWORD type = 0, size = sizeof read;
  EXPECT_EQ(RegQueryValueExW(key, L"", nullptr, &type, reinterpret_cast<BYTE*>(read), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, (value.size() + 1) * sizeof(wchar_t));
  EXPECT_EQ(U8(read), U8(value));

  TTntRegistry reg;
  EXPECT_TRUE(reg.DeleteKey("\\Software\\TavrinTest\\Tavrin-mp3"));
  EXPECT_FALSE(reg.KeyExists("\\Software\\TavrinTest\\Tavrin-mp3"));
  EXPECT_FALSE(reg.DeleteKey("\\Software\\TavrinTest\\Tavrin-mp3"));
  EXPECT_EQ(testing_support::MessageOf<ERegistryException>([&] { reg.WriteString(L"X", L"y"); }),
            L"Failed to set data for 'X'");
}

}  // namespace
