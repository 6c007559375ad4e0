#include "app/file_associations.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(FileAssociations, ListItemsSplitIntoExtensionAndDescription) {
  const struct {
    const wchar_t* Item;
    const wchar_t* Ext;
    const wchar_t* Desc;
  } cases[] = {
      {L"MP3 - Audio MPEG1 Layer-3", L"MP3", L"Audio MPEG1 Layer-3"},
      {L"M3U - Tavrin playlist", L"M3U", L"Tavrin playlist"},
      {L"XM -", L"XM", L""},
      {L"FLAC", L"FLAC", L""},
      {L"", L"", L""},
      {L" - lead blank", L"", L"lead blank"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitFileTypeExt(c.Item), c.Ext) << Narrow(c.Item);
    EXPECT_EQ(SplitFileTypeDesc(c.Item), c.Desc) << Narrow(c.Item);
  }
}

TEST(FileAssociations, OnlyPlainShortExtensionsNameKeys) {
  const struct {
    const wchar_t* Ext;
    bool Registrable;
  } cases[] = {
      {L"MP3", true},        {L"s3m", true},         {L"", false},
      {L"a\\b", false},      {L"..\\x", false},      {L"a/b", false},
      {L"a b", false},       {L"a\tb", false},       {L"a\x01", false},
      {L"0123456789abcdef", true}, {L"0123456789abcdefg", false},
      {L"\x0430\x0443", false},  // outside the code page every system shares
  };
  for (const auto& c : cases) EXPECT_EQ(IsRegistrableExt(c.Ext), c.Registrable) << Narrow(c.Ext);
}

TEST(FileAssociations, TheFourKeysNameTheProgramQuotedAndTheIcon) {
  const std::wstring program = L"C:\\Program Files\\\x0422\x0430\x0432\\tavrin.exe";
  const std::wstring library = L"C:\\T\\Icons\\Crystal.icl";
  const struct {
    int32_t Index;
    std::wstring Library;
    std::wstring Icon;
  } cases[] = {
      {3, library, library + L",3"},
      {259, library, library + L",3"},
      {3, L"", program + L",-200"},
  };
  for (const auto& c : cases) {
    const std::vector<TFileTypeKey> keys =
        FileTypeKeys(L"MP3", L"Audio", c.Index, program, c.Library);
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].Key, L".MP3");
    EXPECT_EQ(keys[0].Value, L"Tavrin-MP3");
    EXPECT_EQ(keys[1].Key, L"Tavrin-MP3");
    EXPECT_EQ(keys[1].Value, L"Audio");
    EXPECT_EQ(keys[2].Key, L"Tavrin-MP3\\Shell\\Open\\Command");
    EXPECT_EQ(keys[2].Value, L"\"" + program + L"\" \"%1\"");
    EXPECT_EQ(keys[3].Key, L"Tavrin-MP3\\DefaultIcon");
    EXPECT_EQ(keys[3].Value, c.Icon) << c.Index;
  }
}

TEST(FileAssociations, ARefusedExtensionWritesNothing) {
  // Taken as a path, "zz\\x" would make ".zz" with a sub-key "x".
  EXPECT_FALSE(RegisterFileTypes(L"zz\\x", L"x", 0, L"C:\\p.exe", L""));
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CLASSES_ROOT, L".zz", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_FALSE(UnregisterFileTypes(L"a b"));
}

}  // namespace
