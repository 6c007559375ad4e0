#include "foundation/string_func.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/tnt_string_list.h"
#include "foundation/tnt_system.h"
#include "test_support.h"

namespace {

using testing_support::TempDir;

std::string U8(const std::wstring& s) { return WideStringToUTF8(s); }

TEST(StringFunc, BlankTestsAndJoins) {
  const struct {
    std::wstring s;
    bool blank;
  } blanks[] = {{L"", true}, {L" ", true}, {L"   ", true}, {L"\t", false},
                {L" a ", false}, {L"\u00a0", false}};
  for (const auto& c : blanks) {
    EXPECT_EQ(IsBlank(c.s), c.blank) << U8(c.s);
    if (c.s.find(L'\u00a0') == std::wstring::npos) {
      EXPECT_EQ(IsBlankAnsi(std::string(c.s.begin(), c.s.end())), c.blank) << U8(c.s);
    }
  }

  const struct {
    std::wstring a, b, joined;
  } joins[] = {
      {L"Artist", L"Title", L"Artist - Title"},
      {L"", L"Title", L"Title"},
      {L"  ", L"Title", L"Title"},
      {L"Artist", L"", L"Artist"},
      {L"Artist", L"   ", L"Artist"},
      {L"", L" ", L" "},  // two blanks give the second
      {L"\t", L"Title", L"\t - Title"},
  };
  for (const auto& c : joins)
    EXPECT_EQ(U8(JoinWithDash(c.a, c.b)), U8(c.joined)) << "[" << U8(c.a) << "][" << U8(c.b) << "]";

  EXPECT_EQ(U8(IfEqual(L"a", L"a", L"same", L"other")), "same");
  EXPECT_EQ(U8(IfEqual(L"a", L"A", L"same", L"other")), "other");
}

TEST(StringFunc, ColoursAndPoints) {
  const struct {
    std::string s;
    bool ok;
    int r, g, b;
  } colours[] = {
      {"255,128,0", true, 255, 128, 0},
      {"0,0,255", true, 0, 0, 255},
      {"256,-1,511", true, 0, 255, 255},  // low 8 bits
      {" 10, 20, 30", true, 10, 20, 30},
      {"$FF,0x10,7", true, 255, 16, 7},
      {"10,20", true, 10, 0, 20},  // the last number is always blue
      {"1,2,3,4", true, 1, 2, 4},  // a fourth is read but only the last is kept
      {"7", true, 0, 0, 7},
      {"", false, 0, 0, 0},
      {"10,20,", false, 0, 0, 0},
      {"10,x,30", false, 0, 0, 0},
      {"10 ,20,30", false, 0, 0, 0},
      {"99999999999,0,0", false, 0, 0, 0},
  };
  for (const auto& c : colours) {
    RGBTRIPLE colour;
    colour.rgbtRed = colour.rgbtGreen = colour.rgbtBlue = 0xAA;  // no stale bytes survive
    EXPECT_EQ(StrToRGBTriple(c.s, colour), c.ok) << c.s;
    EXPECT_EQ(colour.rgbtRed, c.r) << c.s;
    EXPECT_EQ(colour.rgbtGreen, c.g) << c.s;
    EXPECT_EQ(colour.rgbtBlue, c.b) << c.s;
  }

  const struct {
    std::string s;
    LONG x, y;
  } points[] = {{"10,20", 10, 20},    {"-5, 7", -5, 7}, {"10", 0, 0},
                {"10,20,30", 0, 0},   {"x,1", 0, 0},    {"1,", 0, 0},
                {"", 0, 0},           {",", 0, 0}};
  for (const auto& c : points) {
    POINT p{99, 99};
    StrToPoint(c.s, p);
    EXPECT_EQ(p.x, c.x) << c.s;
    EXPECT_EQ(p.y, c.y) << c.s;
  }
}

TEST(StringFunc, PipeListsOfStrings) {
  const struct {
    std::wstring text;
    std::vector<std::wstring> lines;
  } cases[] = {
      {L"a|b|c", {L"a", L"b"}},  // text after the last bar is dropped
      {L"a|b|", {L"a", L"b"}},
      {L"a||b|", {L"a", L"", L"b"}},
      {L"|", {L""}},
      {L"no bars", {}},
      {L"", {}},
      {L"\u4e2d|\u00e9|", {L"\u4e2d", L"\u00e9"}},
  };
  for (const auto& c : cases) {
    TTntStringList list;
    list.Add(L"old line");
    int changes = 0;
    list.SetOnChange([&](TObject*) { ++changes; });
    PipeTextToStrings(c.text, list);
    EXPECT_EQ(changes, 1) << "one change for the whole list";
    std::vector<std::wstring> got;
    for (int32_t i = 0; i < list.Count(); ++i) got.push_back(list.Strings(i));
    EXPECT_EQ(got, c.lines) << U8(c.text);
    std::wstring expected;
    for (const auto& line : c.lines) expected += line + L"|";
    EXPECT_EQ(U8(StringsToPipeText(list)), U8(expected)) << U8(c.text);
  }
}

// A list view's columns as the routines see them, with a fixed-pitch font.
class FakeColumns : public TListColumnsAccess {
 public:
  struct Column {
    std::wstring caption;
    int32_t width;
    intptr_t tag;
  };
  std::vector<Column> columns;

  int32_t Count() const override { return static_cast<int32_t>(columns.size()); }
  std::wstring Caption(int32_t i) const override { return columns[i].caption; }
  intptr_t Tag(int32_t i) const override { return columns[i].tag; }
  void SetTag(int32_t i, intptr_t tag) override { columns[i].tag = tag; }
  void Clear() override { columns.clear(); }
  void Add(const std::wstring& caption, int32_t width) override {
    columns.push_back({caption, width, 0});
  }
  int32_t TextWidth(const std::wstring& text) const override {
    return static_cast<int32_t>(text.size()) * 10;
  }
};

TEST(StringFunc, PipeListsOfListColumns) {
  FakeColumns view;
  PipeTextToListColumns(L"#|Title|", view);
  EXPECT_TRUE(view.columns.empty()) << "a list without columns is left alone";

  view.columns = {{L"#", 50, 1}, {L"Title", 200, 0}, {L"Artist", 100, 7}};
  EXPECT_EQ(U8(ListColumnsToPipeText(view)), "#|Title|Artist|");
  PipeTextToListColumns(L"Nr|A long column caption|T|", view);
  ASSERT_EQ(view.Count(), 3);
  EXPECT_EQ(U8(view.columns[1].caption), "A long column caption");
  EXPECT_EQ(view.columns[0].width, 50) << "column 0 is always 50 wide";
  EXPECT_EQ(view.columns[1].width, 21 * 10 + 20);
  EXPECT_EQ(view.columns[2].width, 100) << "at least 100";
  EXPECT_EQ(view.columns[0].tag, 1);
  EXPECT_EQ(view.columns[1].tag, 0);
  EXPECT_EQ(view.columns[2].tag, 7);

  PipeTextToListColumns(L"A|B|C|D|", view);
  ASSERT_EQ(view.Count(), 4);
  EXPECT_EQ(view.columns[2].tag, 7);
  EXPECT_EQ(view.columns[3].tag, 0) << "a new column has no kept Tag";
  PipeTextToListColumns(L"Only|", view);
  ASSERT_EQ(view.Count(), 1);
  EXPECT_EQ(view.columns[0].tag, 1);
}

TEST(StringFunc, NumbersPathsAndDurations) {
  EXPECT_EQ(U8(EnsureTrailingBackslash(L"C:\\Music")), "C:\\Music\\");
  EXPECT_EQ(U8(EnsureTrailingBackslash(L"C:\\Music\\")), "C:\\Music\\");
  EXPECT_EQ(U8(EnsureTrailingBackslash(L"")), "\\");

  const struct {
    std::wstring s;
    int32_t value;
  } leading[] = {{L"128 kbps", 128}, {L"128kbps", 128}, {L"kbps 128", 0}, {L"", 0},
                 {L"007", 7},        {L"-5", 0},        {L"2147483647", INT32_MAX},
                 {L"2147483648", 0}, {L"99999999999999999999", 0}};
  for (const auto& c : leading) EXPECT_EQ(LeadingDigitsToInt(c.s), c.value) << U8(c.s);

  const struct {
    uint32_t value;
    int32_t units;
    const char* text;
  } times[] = {{65, 0, "01:05"},          {125000, 1, "02:05"},  {5, 7, "00:00"},
               {5, -1, "00:00"},          {0, 0, "00:00"},       {3599, 0, "59:59"},
               {6000, 0, "100:00"},       {59999, 1, "00:59"},   {60000, 1, "01:00"},
               {4294967295u, 0, "71582788:15"}, {4294967295u, 1, "71582:47"}};
  for (const auto& c : times)
    EXPECT_EQ(FormatMinSec(c.value, c.units), c.text) << c.value << " in units " << c.units;
}

TEST(StringFunc, ConvertRadix) {
  const struct {
    std::string src;
    int32_t from, to;
    bool ok;
    std::string dest;
    int32_t errorPos;
  } cases[] = {
      {"FF", 16, 10, true, "255", 0},
      {"ff", 16, 10, true, "255", 0},
      {"1010", 2, 10, true, "10", 0},
      {"255", 10, 16, true, "FF", 0},
      {"ZZ", 36, 10, true, "1295", 0},
      {"7F", -16, 10, true, "-127", 0},
      {"00", 16, 10, true, "00", 0},  // a zero value keeps the text
      {"", 16, 10, true, "", 0},
      {"G1", 16, 10, false, "unchanged", 0},  // the error at position 0 is still an error
      {"1G", 16, 10, false, "unchanged", 1},
      {"12", 2, 10, false, "unchanged", 1},
      {"FFFFFFFFFFFFFFFF", 16, 10, true, "18446744073709551615", 0},
      {"1FFFFFFFFFFFFFFFF", 16, 10, false, "unchanged", 16},
      {"10", 1, 10, false, "unchanged", 0},
      {"10", 37, 10, false, "unchanged", 0},
      {"10", 10, 0, false, "unchanged", 0},
      {"10", 10, 37, false, "unchanged", 0},
  };
  for (const auto& c : cases) {
    std::string dest = "unchanged";
    int32_t errorPos = -1;
    bool ok = ConvertRadix(c.src, c.from, dest, errorPos, c.to);
    EXPECT_EQ(ok, c.ok) << c.src << " base " << c.from;
    if (ok) {
      EXPECT_EQ(dest, c.dest) << c.src << " base " << c.from;
    } else if (c.from < 2 || c.from > 36 || c.to < 2 || c.to > 36) {
      EXPECT_EQ(dest, "unchanged") << "a bad base leaves Dest alone";
    }
    EXPECT_EQ(errorPos, c.errorPos) << c.src << " base " << c.from;
  }
}

TEST(StringFunc, PercentDecode) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"a%20b", "a b"},
      {"%41%42", "AB"},
      {"%e9t%E9", "\xE9t\xE9"},
      {"%G1", "%G1"},
      {"%1G%41", "%1GA"},    // a bad escape stays, the good ones still decode
      {"%+1", "%+1"},        // only hexadecimal digits, no signs
      {"% 1", "% 1"},
      {"%00x", "%00x"},      // a zero code would cut the text short
      {"abc%", "abc%"},
      {"ab%2", "ab%2"},
      {"%2", "%2"},
      {"%", "%"},
      {"", ""},
      {"%2541", "%41"},      // decoded once, not again
      {"%%41", "%A"},
      {"100%", "100%"},
  };
  for (const auto& c : cases) EXPECT_EQ(PercentDecode(c.in), c.out) << c.in;
}

TEST(StringFunc, UrlPieces) {
  const struct {
    std::wstring url, path, name;
  } cases[] = {
      {L"http://host/dir/file.mp3", L"http://host/dir/", L"file.mp3"},
      {L"http://host/", L"http://host/", L""},
      {L"http://host:8000", L"http://host:", L"host:8000"},
      {L"file.mp3", L"", L"file.mp3"},
      {L"", L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(U8(ExtractUrlPath(c.url)), U8(c.path)) << U8(c.url);
    EXPECT_EQ(U8(ExtractUrlFileName(c.url)), U8(c.name)) << U8(c.url);
  }
}

TEST(StringFunc, ForceDeleteFile) {
  TempDir dir;
  const std::wstring plain = dir.WriteFile(L"plain.txt", "x");
  EXPECT_TRUE(ForceDeleteFile(plain));
  EXPECT_EQ(GetFileAttributesW(plain.c_str()), INVALID_FILE_ATTRIBUTES);

  const std::wstring readOnly = dir.WriteFile(L"read-only \u00e9.txt", "x");
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_TRUE(ForceDeleteFile(readOnly));
  EXPECT_EQ(GetFileAttributesW(readOnly.c_str()), INVALID_FILE_ATTRIBUTES);

  EXPECT_FALSE(ForceDeleteFile(dir.File(L"missing.txt")));

  const std::wstring folder = dir.File(L"folder");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  EXPECT_FALSE(ForceDeleteFile(folder));
  EXPECT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);

  const std::wstring locked = dir.WriteFile(L"locked.txt", "x");
  HANDLE held = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ForceDeleteFile(locked));
  CloseHandle(held);
  EXPECT_NE(GetFileAttributesW(locked.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
