// The lyrics side file read whatever its encoding, and refused when it is not
// text or too large to show.
#include <gtest/gtest.h>

#include <string>

#include "framework/exceptions.h"
#include "test_support.h"
#include "windows/lyrics/side_file.h"

namespace {

using namespace std::string_literals;

TEST(SideFile, IsReadByItsMarkOrItsBytesAndRefusedWhenNotText) {
  testing_support::TempDir dir;
  const struct {
    std::string Bytes;
    TSideFileRead Result;
    std::wstring Text;
  } cases[] = {
      {"\xFE\xFF\x04\x1F\x00\n\x00" "b"s, TSideFileRead::Read, L"\x041F\r\nb"},  // UTF-16BE
      {"\xEF\xBB\xBF\xCE\xB1\r\nx"s, TSideFileRead::Read, L"\x03B1\r\nx"},        // UTF-8 with its mark
      {"caf\xE9\rend"s, TSideFileRead::Read, L"caf\x00E9\r\nend"},               // the system code page
      {"ab\0cd"s, TSideFileRead::NotText, L""},
      {"\xFF\xFE" "a\0\x01\0"s, TSideFileRead::NotText, L""},
      {std::string(kMaxSideFileBytes + 1, 'a'), TSideFileRead::TooLarge, L""},
      // Within the bound, but twice as large once saved as UTF-16.
      {std::string(kMaxSideFileBytes / 2, 'a'), TSideFileRead::TooLarge, L""},
      {std::string(kMaxSideFileBytes / 2 - 3, 'a'), TSideFileRead::Read,
       std::wstring(kMaxSideFileBytes / 2 - 3, L'a')},
  };
  for (const auto& c : cases) {
    std::wstring text = L"old";
    const std::wstring file = dir.WriteFile(L"song.txt", c.Bytes);
    EXPECT_EQ(ReadSideFile(file, text), c.Result) << c.Bytes.substr(0, 16);
    EXPECT_EQ(text, c.Text) << c.Bytes.substr(0, 16);
  }
  std::wstring text;
  EXPECT_EQ(ReadSideFile(dir.File(L"none.txt"), text), TSideFileRead::Missing);
  // What the editor saves it shows again; a text too long for that is not saved.
  WriteSideFile(dir.File(L"long.txt"), std::wstring(kMaxSideFileBytes / 2 - 3, L'a'));
  EXPECT_EQ(ReadSideFile(dir.File(L"long.txt"), text), TSideFileRead::Read);
  EXPECT_THROW(WriteSideFile(dir.File(L"long.txt"), text + L"a"), EFCreateError);
  EXPECT_EQ(LyricsFileNameFor(L"C:\\a.b\\song"), L"C:\\a.b\\song.txt");
}

}  // namespace
