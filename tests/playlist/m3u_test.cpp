#include "playlist/m3u.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "foundation/tnt_text_reader.h"
#include "framework/exceptions.h"
#include "playlist/comp_list.h"
#include "test_support.h"

namespace {

using testing_support::MessageOf;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

std::string U8(const std::wstring& s) { return WideStringToUTF8(s); }

std::string Utf16Le(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

std::string Utf16Be(const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text) {
    bytes += static_cast<char>(c >> 8);
    bytes += static_cast<char>(c & 0xFF);
  }
  return bytes;
}

struct Row {
  std::wstring Title;
  std::wstring FileName;
  int32_t Duration;
  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "{" << U8(r.Title) << " | " << U8(r.FileName) << " | " << r.Duration << "}";
}

std::vector<Row> RowsOf(const TCompList& list) {
  std::vector<Row> rows;
  for (int32_t i = 0; i < list.Count(); ++i) {
    TElem e;
    list.GetElem(i, e);
    rows.push_back({e.Title, e.FileName, e.Duration});
  }
  return rows;
}

void AddRow(TCompList& list, const Row& r) {
  TElem e;
  e.Title = r.Title;
  e.FileName = r.FileName;
  e.Duration = r.Duration;
  list.Add(e);
}

// Loads text (UTF-16LE with a mark) written as a playlist in dir.
std::vector<Row> LoadText(const TempDir& dir, const std::wstring& text) {
  std::wstring name = dir.WriteFile(L"list.m3u", "\xFF\xFE" + Utf16Le(text));
  TCompList list;
  EXPECT_TRUE(list.LoadFromFile(name));
  return RowsOf(list);
}

TEST(ExtendedM3U, WritesExactBytes) {
  TempDir dir;
  TCompList list;
  AddRow(list, {L"Title, with comma \u00e9", L"C:\\Music\\a.mp3", 215});
  AddRow(list, {L"Radio", L"http://host/stream", -1});
  const std::wstring name = dir.File(L"out.m3u");
  list.SaveToFile(name);
  EXPECT_EQ(ReadFileBytes(name), "\xFF\xFE" + Utf16Le(L"#EXTM3U\r\n"
                                                     L"#EXTINF:215,Title, with comma \u00e9\r\n"
                                                     L"C:\\Music\\a.mp3\r\n"
                                                     L"#EXTINF:-1,Radio\r\n"
                                                     L"http://host/stream\r\n"));
  TCompList empty;
  empty.SaveToFile(name);
  EXPECT_EQ(ReadFileBytes(name), "\xFF\xFE" + Utf16Le(L"#EXTM3U\r\n"));
}

TEST(ExtendedM3U, ReadsBackInEveryEncoding) {
  TempDir dir;
  const std::vector<Row> rows = {
      {L"caf\u00e9, \u65e5\u672c\u8a9e", L"C:\\M\u00fcsik\\\u65e5.mp3", 215},
      {L"Stream", L"mms://host/live", -1},
      {L"", L"\\\\server\\share\\x.ogg", 0},
  };
  TCompList list;
  for (const Row& r : rows) AddRow(list, r);
  const std::wstring saved = dir.File(L"saved.m3u");
  list.SaveToFile(saved);
  const std::string bytes = ReadFileBytes(saved);
  const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);

  // ANSI can only carry what the system code page has.
  std::vector<Row> ansiRows;
  for (const Row& r : rows) {
    auto through = [](const std::wstring& s) {
      return AnsiToWideInCodePage(WideToAnsiInCodePage(s, DefaultSystemCodePage), DefaultSystemCodePage);
    };
    ansiRows.push_back({through(r.Title), through(r.FileName), r.Duration});
  }
  const struct {
    const char* what;
    std::string bytes;
    const std::vector<Row>& expected;
  } cases[] = {
      {"UTF-16LE", bytes, rows},
      {"UTF-16BE", "\xFE\xFF" + Utf16Be(text), rows},
      {"UTF-8", "\xEF\xBB\xBF" + WideStringToUTF8(text), rows},
      {"ANSI", WideToAnsiInCodePage(text, DefaultSystemCodePage), ansiRows},
  };
  for (const auto& c : cases) {
    TCompList loaded;
    ASSERT_TRUE(loaded.LoadFromFile(dir.WriteFile(L"in.m3u", c.bytes))) << c.what;
    EXPECT_EQ(RowsOf(loaded), c.expected) << c.what;
  }
}

TEST(ExtendedM3U, ResolvesPaths) {
  const struct {
    const wchar_t* playlist;
    const wchar_t* line;
    const wchar_t* expected;
  } cases[] = {
      {L"C:\\Lists\\p.m3u", L"D:\\Music\\a.mp3", L"D:\\Music\\a.mp3"},
      {L"C:\\Lists\\p.m3u", L"d:relative.mp3", L"d:relative.mp3"},
      {L"C:\\Lists\\p.m3u", L"\\\\srv\\share\\a.mp3", L"\\\\srv\\share\\a.mp3"},
      {L"C:\\Lists\\p.m3u", L"http://host/a.mp3", L"http://host/a.mp3"},
      {L"C:\\Lists\\p.m3u", L"ftp://host/a.mp3", L"ftp://host/a.mp3"},
      {L"C:\\Lists\\p.m3u", L"music\\a.mp3", L"C:\\Lists\\music\\a.mp3"},
      {L"C:\\Lists\\p.m3u", L"a.mp3", L"C:\\Lists\\a.mp3"},
      {L"C:\\Lists\\p.m3u", L"HTTP://host/a.mp3", L"C:\\Lists\\HTTP://host/a.mp3"},
      {L"C:\\Lists\\p.m3u", L"\\Music\\a.mp3", L"C:\\Music\\a.mp3"},
      {L"\\\\srv\\share\\lists\\p.m3u", L"\\Music\\a.mp3", L"\\\\srv\\share\\Music\\a.mp3"},
      {L"\\\\srv\\share\\lists\\p.m3u", L"a.mp3", L"\\\\srv\\share\\lists\\a.mp3"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(U8(ResolvePlaylistPath(c.playlist, c.line)), U8(c.expected)) << U8(c.line);
}

TEST(ExtendedM3U, RelativePathsFollowThePlaylistWhetherOrNotTheyExist) {
  TempDir dir;
  CreateDirectoryW(dir.File(L"sub").c_str(), nullptr);
  dir.WriteFile(L"sub\\here.mp3", "x");
  const std::wstring drive = WideExtractFileDrive(dir.Path());
  std::vector<Row> rows = LoadText(dir, L"#EXTM3U\r\n#EXTINF:1,a\r\nsub\\here.mp3\r\n"
                                        L"#EXTINF:2,b\r\nsub\\missing.mp3\r\n"
                                        L"#EXTINF:3,c\r\n\\rooted.mp3\r\n");
  EXPECT_EQ(rows, (std::vector<Row>{{L"a", dir.File(L"sub\\here.mp3"), 1},
                                    {L"b", dir.File(L"sub\\missing.mp3"), 2},
                                    {L"c", drive + L"\\rooted.mp3", 3}}));

  // A playlist named relative to the current folder still gives full paths.
  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  SetCurrentDirectoryW(dir.Path().c_str());
  TCompList list;
  EXPECT_TRUE(list.LoadFromFile(L"list.m3u"));
  SetCurrentDirectoryW(saved);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(RowsOf(list)[0].FileName, dir.File(L"sub\\here.mp3"));
}

TEST(ExtendedM3U, InformationLines) {
  const struct {
    const wchar_t* info;
    int32_t duration;
    const wchar_t* title;
  } good[] = {
      {L"#EXTINF:215,Artist - Title, with, commas", 215, L"Artist - Title, with, commas"},
      {L"#EXTINF:-1,Stream", -1, L"Stream"},
      {L"#EXTINF:+7,", 7, L""},
      {L"#EXTINF:2147483647,max", 2147483647, L"max"},
      {L"#EXTINF:-2147483648,min", INT32_MIN, L"min"},
      {L"#whatever:5,taken by position", 5, L"taken by position"},
      {L"9,no colon", 9, L"no colon"},
  };
  TempDir dir;
  for (const auto& c : good) {
    std::vector<Row> rows =
        LoadText(dir, std::wstring(L"#EXTM3U\r\n") + c.info + L"\r\nC:\\a.mp3\r\n");
    EXPECT_EQ(rows, (std::vector<Row>{{c.title, L"C:\\a.mp3", c.duration}})) << U8(c.info);
  }
  const wchar_t* bad[] = {L"#EXTINF: 5,space",  L"#EXTINF:5 ,space", L"#EXTINF:,empty",
                          L"#EXTINF:5x,junk",   L"#EXTINF:$1F,hex",  L"#EXTINF:2147483648,big",
                          L"#EXTINF:5 no comma", L"#EXTINF:-,sign"};
  for (const wchar_t* info : bad) {
    std::wstring name = dir.WriteFile(L"bad.m3u", "\xFF\xFE" + Utf16Le(std::wstring(L"#EXTM3U\r\n") +
                                                                     info + L"\r\nC:\\a.mp3\r\n"));
    TCompList list;
    EXPECT_THROW(list.LoadFromFile(name), EConvertError) << U8(info);
  }
}

TEST(ExtendedM3U, FailurePartWayKeepsWhatWasThereAndWhatWasRead) {
  TempDir dir;
  std::wstring name = dir.WriteFile(
      L"broken.m3u", "\xFF\xFE" + Utf16Le(L"#EXTM3U\r\n#EXTINF:1,one\r\nC:\\1.mp3\r\n"
                                          L"C:\\paths only\\2.mp3\r\nC:\\3.mp3\r\n"
                                          L"#EXTINF:4,four\r\nC:\\4.mp3\r\n"));
  TCompList list;
  AddRow(list, {L"before", L"C:\\0.mp3", 0});
  list.SetCurrentIndex(0);
  EXPECT_EQ(MessageOf<EConvertError>([&] { list.LoadFromFile(name); }),
            L"'' is not a valid integer value");
  EXPECT_EQ(RowsOf(list), (std::vector<Row>{{L"before", L"C:\\0.mp3", 0}, {L"one", L"C:\\1.mp3", 1}}));
  EXPECT_EQ(list.GetCurrentIndex(), 0);
}

TEST(ExtendedM3U, LinesArePairedByPositionAndBlankLinesSkipped) {
  TempDir dir;
  const struct {
    const char* what;
    std::wstring text;
    std::vector<Row> rows;
  } cases[] = {
      {"even line count: last line ignored",
       L"#EXTM3U\r\n#EXTINF:1,a\r\nC:\\a.mp3\r\n#EXTINF:2,b\r\n", {{L"a", L"C:\\a.mp3", 1}}},
      {"no final line break", L"#EXTM3U\n#EXTINF:1,a\nC:\\a.mp3", {{L"a", L"C:\\a.mp3", 1}}},
      {"header only", L"#EXTM3U\r\n", {}},
      {"blank lines between pairs",
       L"#EXTM3U\r\n\r\n#EXTINF:1,a\r\nC:\\a.mp3\r\n\r\n  \r\n#EXTINF:2,b\r\nC:\\b.mp3\r\n\r\n",
       {{L"a", L"C:\\a.mp3", 1}, {L"b", L"C:\\b.mp3", 2}}},
      {"blank line between an information line and its path",
       L"#EXTM3U\r\n#EXTINF:1,a\r\n\r\nC:\\a.mp3\r\n#EXTINF:2,b\r\nC:\\b.mp3\r\n",
       {{L"a", L"C:\\a.mp3", 1}, {L"b", L"C:\\b.mp3", 2}}},
      {"empty path: no entry, no repeat, no shift",
       L"#EXTM3U\r\n#EXTINF:1,a\r\nC:\\a.mp3\r\n#EXTINF:2,b\r\n\r\n#EXTINF:3,c\r\nC:\\c.mp3\r\n",
       {{L"a", L"C:\\a.mp3", 1}, {L"c", L"C:\\c.mp3", 3}}},
      {"empty path on the first pair",
       L"#EXTM3U\r\n#EXTINF:1,a\r\n\r\n#EXTINF:3,c\r\nC:\\c.mp3\r\n", {{L"c", L"C:\\c.mp3", 3}}},
      {"empty path on the last pair", L"#EXTM3U\r\n#EXTINF:1,a\r\nC:\\a.mp3\r\n#EXTINF:2,b\r\n\r\n",
       {{L"a", L"C:\\a.mp3", 1}}},
      {"zeros after the last line end the text",
       std::wstring(L"#EXTM3U\r\n#EXTINF:1,a\r\nC:\\a.mp3\r\n") + std::wstring(300, L'\0'),
       {{L"a", L"C:\\a.mp3", 1}}},
  };
  for (const auto& c : cases) EXPECT_EQ(LoadText(dir, c.text), c.rows) << c.what;
}

// A zero with text after it is damage: the load fails after handing over
// what came before, so a caller can keep the file rather than save the cut.
TEST(ExtendedM3U, TextThatStopsBeforeTheEndOfTheFileFails) {
  TempDir dir;
  std::wstring pairs = L"#EXTM3U\r\n";
  for (int i = 0; i < 2000; ++i) pairs += L"#EXTINF:1,t\r\nC:\\" + std::to_wstring(i) + L".mp3\r\n";
  std::string random = "#EXTM3U\r\n";
  uint32_t seed = 7;
  for (int i = 0; i < 100000; ++i) random += static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
  const std::string list = "\xFF\xFE" + Utf16Le(pairs);
  const struct {
    const char* what;
    std::string bytes;
    bool damaged;
  } cases[] = {
      {"4 KB of zeros in the middle", list.substr(0, 40000) + std::string(4096, '\0') + list.substr(40000), true},
      {"one zero character in the middle", list.substr(0, 40000) + std::string(2, '\0') + list.substr(40000), true},
      {"a zero then one byte at the end", list + std::string(2, '\0') + "x", true},
      {"#EXTM3U then random bytes", random, true},
      {"zeros to the end", list + std::string(70000, '\0'), false},
      {"an ANSI list ending in a zero", "#EXTM3U\r\n#EXTINF:1,a\r\nC:\\a.mp3\r\n" + std::string(1, '\0'), false},
  };
  for (const auto& c : cases) {
    TCompList loaded;
    bool failed = false;
    try {
      loaded.LoadFromFile(dir.WriteFile(L"list.m3u", c.bytes));
    } catch (const Exception&) {
      failed = true;
    }
    EXPECT_EQ(failed, c.damaged) << c.what;
  }
}

TEST(ExtendedM3U, SavedPlaylistsReadBackEntryForEntry) {
  TempDir dir;
  TCompList list;
  AddRow(list, {L"line\r\nbreak", L"C:\\1.mp3", 1});
  AddRow(list, {L"lone\rCR and lone\nLF", L"C:\\2.mp3", 2});
  AddRow(list, {std::wstring(L"tab\tNUL\0end", 11), L"C:\\3.mp3", 3});
  AddRow(list, {L"sep\u2028\u0085\u007f", L"C:\\4.mp3", 4});
  AddRow(list, {L"no file", L"", 5});
  AddRow(list, {L"last", L"C:\\6.mp3", 6});
  const std::wstring name = dir.File(L"saved.m3u");
  list.SaveToFile(name);
  TCompList loaded;
  ASSERT_TRUE(loaded.LoadFromFile(name));
  // An entry without a file cannot be played, and is not read back.
  EXPECT_EQ(RowsOf(loaded), (std::vector<Row>{{L"line  break", L"C:\\1.mp3", 1},
                                              {L"lone CR and lone LF", L"C:\\2.mp3", 2},
                                              {L"tab NUL end", L"C:\\3.mp3", 3},
                                              {L"sep   ", L"C:\\4.mp3", 4},
                                              {L"last", L"C:\\6.mp3", 6}}));
  // The list itself keeps its titles as they were.
  EXPECT_EQ(RowsOf(list)[0].Title, L"line\r\nbreak");
}

TEST(ExtendedM3U, LargePlaylistRoundTrip) {
  TempDir dir;
  TCompList list;
  for (int i = 0; i < 30000; ++i)
    AddRow(list, {L"Artist " + std::to_wstring(i) + L" - \u00c9t\u00e9 \u6771\u4eac",
                  L"C:\\Music\\" + std::to_wstring(i) + L".mp3", i % 700 - 1});
  const std::wstring name = dir.File(L"large.m3u");
  list.SaveToFile(name);
  // Read back from UTF-8 as well: pieces of the file meet inside characters.
  const std::string bytes = ReadFileBytes(name);
  const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  for (const std::wstring& file :
       {name, dir.WriteFile(L"large8.m3u", "\xEF\xBB\xBF" + WideStringToUTF8(text))}) {
    TCompList loaded;
    ASSERT_TRUE(loaded.LoadFromFile(file));
    EXPECT_EQ(RowsOf(loaded), RowsOf(list));
  }
}

// Whatever a load or an add puts in the list, a save writes and a load reads
// back entry for entry: names past the system's longest path are skipped,
// titles cut, by the reader, the writer and the list alike.
TEST(ExtendedM3U, HoldsOnlyWhatItCanWriteAndReadBack) {
  TempDir dir;
  const size_t lineLimit = TTntTextReader::MaxLineLength;
  const std::wstring drivePath = L"C:\\" + std::wstring(kMaxElemFileName - 3, L'p');
  const std::wstring head = L"#EXTM3U\r\n#EXTINF:1,t\r\n";
  const struct {
    const char* what;
    std::wstring text;
    size_t entries;
  } cases[] = {
      {"relative name as long as a line may be", head + std::wstring(lineLimit, L'r'), 0},
      {"relative name that resolves past the path limit",
       head + L"short.mp3\r\n#EXTINF:1,t\r\n" + std::wstring(kMaxElemFileName - 2, L'r'), 1},
      {"drive path at the path limit", head + drivePath, 1},
      {"drive path one past it", head + drivePath + L"p", 0},
      {"title as long as a line may be",
       L"#EXTM3U\r\n#:1," + std::wstring(lineLimit - 4, L'T') + L"\r\nC:\\a.mp3", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TCompList first;
    ASSERT_TRUE(first.LoadFromFile(dir.WriteFile(L"in.m3u", "\xFF\xFE" + Utf16Le(c.text))));
    EXPECT_EQ(first.Count(), int32_t(c.entries));
    first.SaveToFile(dir.File(L"out.m3u"));
    TCompList second;
    ASSERT_NO_THROW(second.LoadFromFile(dir.File(L"out.m3u")));
    EXPECT_TRUE(RowsOf(second) == RowsOf(first)) << second.Count() << " of " << first.Count();
    for (const Row& row : RowsOf(first)) EXPECT_LE(row.Title.size(), kMaxElemTitle);
  }

  TCompList list;
  TElem e;
  e.FileName = drivePath + L"p";
  EXPECT_EQ(list.Add(e), -1);
  e.FileName = drivePath;
  e.Title = std::wstring(kMaxElemTitle - 1, L't') + L"\U0001F3B8";
  ASSERT_EQ(list.Add(e), 0);
  list.SetFileName(0, drivePath + L"p");
  list.GetElem(0, e);
  EXPECT_EQ(e.FileName, drivePath) << "a name too long is not taken";
  EXPECT_EQ(e.Title, std::wstring(kMaxElemTitle - 1, L't')) << "no half of a surrogate pair is kept";
  list.SetTitle(0, std::wstring(kMaxElemTitle + 5, L'u'));
  list.GetElem(0, e);
  EXPECT_EQ(e.Title.size(), kMaxElemTitle);
}

TEST(ExtendedM3U, FilesThatAreNoPlaylist) {
  TempDir dir;
  TCompList list;
  AddRow(list, {L"kept", L"C:\\k.mp3", 1});
  int events = 0;
  list.SetOnChange([&](TObject*) { ++events; });

  EXPECT_FALSE(list.LoadFromFile(dir.WriteFile(L"text.m3u", "C:\\a.mp3\r\nC:\\b.mp3\r\n")));
  EXPECT_THROW(list.LoadFromFile(dir.WriteFile(L"empty.m3u", "")), EPlaylistError);
  EXPECT_THROW(list.LoadFromFile(dir.WriteFile(L"mark.m3u", "\xFF\xFE")), EPlaylistError);
  EXPECT_THROW(list.LoadFromFile(dir.WriteFile(L"blank.m3u", "\r\n#EXTM3U\r\n")), EPlaylistError);
  const std::wstring missing = dir.File(L"missing.m3u");
  EXPECT_EQ(MessageOf<EFOpenError>([&] { list.LoadFromFile(missing); }).rfind(
                L"Cannot open file \"" + missing + L"\". ", 0),
            0u);
  // A line far beyond any path or title ends the load instead of exhausting memory.
  std::string huge = "#EXTM3U\r\n" + std::string((4u << 20) + 16, 'x');
  EXPECT_THROW(list.LoadFromFile(dir.WriteFile(L"huge.m3u", huge)), EReadError);

  EXPECT_EQ(RowsOf(list), (std::vector<Row>{{L"kept", L"C:\\k.mp3", 1}}));
  EXPECT_EQ(events, 0);
}

TEST(ExtendedM3U, SaveReplacesTheFileOnlyWhenWrittenWhole) {
  TempDir dir;
  const std::wstring name = dir.WriteFile(L"list.m3u", "old playlist");
  TCompList list;
  AddRow(list, {L"a", L"C:\\a.mp3", 1});
  // Held open without delete sharing: the file cannot be replaced.
  HANDLE held = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_THROW(list.SaveToFile(name), EFCreateError);
  CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(name), "old playlist");
  list.SaveToFile(name);
  EXPECT_EQ(ReadFileBytes(name).substr(0, 4), std::string("\xFF\xFE#\0", 4));

  const std::wstring nowhere = dir.File(L"no folder\\list.m3u");
  EXPECT_EQ(MessageOf<EFCreateError>([&] { list.SaveToFile(nowhere); })
                .rfind(L"Cannot create file \"" + nowhere + L"\". ", 0),
            0u);
}

}  // namespace
