// TWMATagEditor over our wmvcore.dll, on files made by ffmpeg (see
// make-ogg-wma-fixtures.sh), and FormatDurationMs.
#include "formats/wma_tag_editor.h"

#include <windows.h>
#include <wmsdkidl.h>

#include <gtest/gtest.h>

#include "tag_bytes.h"
#include "test_support.h"

namespace {

using testing_support::FilesIn;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

std::wstring Fixture(const std::wstring& name) { return std::wstring(TAVRIN_OGGWMA_FIXTURES) + L"\\" + name; }

std::wstring CopyOf(const TempDir& dir, const std::wstring& name) {
  return dir.WriteFile(name, ReadFileBytes(Fixture(name)));
}

// Adds typed attributes the way another program would, through the editor.
void AddRaw(const std::wstring& file, const wchar_t* name, WMT_ATTR_DATATYPE type, const std::string& value) {
  HMODULE dll = LoadLibraryW(L"wmvcore.dll");
  ASSERT_NE(dll, nullptr);
  auto create = reinterpret_cast<HRESULT(WINAPI*)(IWMMetadataEditor**)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "WMCreateEditor")));
  IWMMetadataEditor* editor = nullptr;
  ASSERT_EQ(create(&editor), S_OK);
  ASSERT_EQ(editor->Open(file.c_str()), S_OK);
  IWMHeaderInfo3* info = nullptr;
  ASSERT_EQ(editor->QueryInterface(__uuidof(IWMHeaderInfo3), reinterpret_cast<void**>(&info)), S_OK);
  WORD index = 0;
  EXPECT_EQ(info->AddAttribute(0, name, &index, type, 0, reinterpret_cast<const BYTE*>(value.data()),
                               static_cast<DWORD>(value.size())), S_OK);
  EXPECT_EQ(editor->Flush(), S_OK);
  info->Release();
  editor->Release();
  FreeLibrary(dll);
}

TEST(WMATagEditor, ReadsFfmpegAttributes) {
  TWMATagEditor wma;
  ASSERT_TRUE(wma.ReadFromFile(Fixture(L"tagged.wma")));
  const TTagsData& t = wma.TagsData();
  EXPECT_EQ(t.Title, L"WMA Title");
  EXPECT_EQ(t.Author, L"WMA Artist");
  EXPECT_EQ(t.AlbumTitle, L"WMA Album");
  EXPECT_EQ(t.Genre, L"Jazz");
  EXPECT_EQ(t.TrackNumber, L"7");
  EXPECT_EQ(t.Year, L"1999");  // stored as "wm/year"
  EXPECT_EQ(t.Copyright, L"(c) Fixture");
  EXPECT_EQ(t.Description, L"WMA Comment");
  EXPECT_EQ(t.Composer, L"WMA Composer");
  EXPECT_EQ(t.EncodedBy, L"WMA Encoder");
  EXPECT_EQ(t.Lyrics, L"la la la");
  EXPECT_EQ(t.URL, L"http://example.invalid/");
  EXPECT_EQ(t.SDKVersion, L"12.0.7601");
  EXPECT_EQ(t.BitRate, 128000u);
  EXPECT_EQ(t.FileSize, ReadFileBytes(Fixture(L"tagged.wma")).size());
  EXPECT_NEAR(t.Duration, 3000, 100);
  EXPECT_FALSE(t.IsVBR);

  ASSERT_TRUE(wma.ReadFromFile(Fixture(L"plain.wma")));
  EXPECT_EQ(wma.TagsData().Title, L"");
  EXPECT_EQ(wma.TagsData().Author, L"");
  EXPECT_EQ(wma.TagsData().BitRate, 128000u);
}

TEST(WMATagEditor, SaveModifiesDeletesAndAdds) {
  TempDir dir;
  const std::wstring name = CopyOf(dir, L"tagged.wma");
  TWMATagEditor wma;
  ASSERT_TRUE(wma.ReadFromFile(name));
  TTagsData& t = wma.TagsData();
  t.Title = L"New \u65E5\u672C Title";  // also in the content description, and as ffmpeg's "title"
  t.Lyrics.clear();
  t.Year = L"2005";
  t.Copyright.clear();
  ASSERT_TRUE(wma.SaveToFile(name));

  TWMATagEditor back;
  ASSERT_TRUE(back.ReadFromFile(name));
  const TTagsData& b = back.TagsData();
  EXPECT_EQ(b.Title, L"New \u65E5\u672C Title");
  EXPECT_EQ(b.Lyrics, L"");
  EXPECT_EQ(b.Year, L"2005");
  EXPECT_EQ(b.Copyright, L"");
  EXPECT_EQ(b.Author, L"WMA Artist");
  EXPECT_EQ(b.SDKVersion, L"12.0.7601");
  EXPECT_EQ(b.FileSize, ReadFileBytes(name).size());  // the stated size follows the new header
  const std::string bytes = ReadFileBytes(name);
  // Texts carry their terminator; the WM/Mood attribute nobody edits is kept.
  const std::string year = std::string("2\0\x30\0\x30\0\x35\0\0\0", 10);
  EXPECT_NE(bytes.find(year), std::string::npos);
  EXPECT_NE(bytes.find(std::string("C\0a\0l\0m\0", 8)), std::string::npos);
  EXPECT_EQ(bytes.find(std::string("l\0a\0 \0l\0a\0", 10)), std::string::npos);
  EXPECT_EQ(FilesIn(dir.Path()), std::set<std::wstring>{L"tagged.wma"});
}

TEST(WMATagEditor, EmptyFieldsOnAnUntaggedFileChangeNothing) {
  TempDir dir;
  const std::wstring name = CopyOf(dir, L"plain.wma");
  TWMATagEditor wma;
  ASSERT_TRUE(wma.ReadFromFile(name));
  ASSERT_TRUE(wma.SaveToFile(name));
  EXPECT_EQ(ReadFileBytes(name), ReadFileBytes(Fixture(L"plain.wma")));
}

TEST(WMATagEditor, TypedAttributes) {
  TempDir dir;
  const std::wstring name = CopyOf(dir, L"plain.wma");
  AddRaw(name, L"IsVBR", WMT_TYPE_BOOL, std::string("\x01\0\0\0", 4));
  AddRaw(name, L"WM/TrackNumber", WMT_TYPE_DWORD, std::string("\x05\0\0\0", 4));
  AddRaw(name, L"WM/Year", WMT_TYPE_DWORD, std::string("\x05\0\0\0", 4));
  TWMATagEditor wma;
  ASSERT_TRUE(wma.ReadFromFile(name));
  EXPECT_TRUE(wma.TagsData().IsVBR);
  EXPECT_EQ(wma.TagsData().TrackNumber, L"");  // only a text attribute is read
  EXPECT_EQ(wma.TagsData().Year, L"");
  wma.TagsData().TrackNumber = L"6";
  ASSERT_TRUE(wma.SaveToFile(name));
  ASSERT_TRUE(wma.ReadFromFile(name));
  EXPECT_EQ(wma.TagsData().TrackNumber, L"6");
  // The numeric Year the record cannot show was not touched.
  EXPECT_NE(ReadFileBytes(name).find(std::string("W\0M\0/\0Y\0e\0a\0r\0", 14)), std::string::npos);
}

TEST(WMATagEditor, FailuresAreFalse) {
  TempDir dir;
  const std::wstring notAsf = dir.WriteFile(L"not.wma", std::string(5000, 'x'));
  const std::wstring cut = dir.WriteFile(L"cut.wma", ReadFileBytes(Fixture(L"tagged.wma")).substr(0, 600));
  TWMATagEditor wma;
  for (const auto& name : {notAsf, cut, dir.File(L"missing.wma")}) {
    wma.TagsData().Title = L"stale";
    EXPECT_FALSE(wma.ReadFromFile(name));
    EXPECT_EQ(wma.TagsData().Title, L"");
    wma.TagsData().Title = L"new";
    EXPECT_FALSE(wma.SaveToFile(name));
  }
  EXPECT_EQ(ReadFileBytes(notAsf), std::string(5000, 'x'));
}

TEST(WMATagEditor, FormatDurationMs) {
  const struct {
    uint32_t ms;
    const wchar_t* plain;
    const wchar_t* withMs;
  } cases[] = {{0, L"0:00", L"0:00.000"},
               {65000, L"1:05", L"1:05.000"},
               {59999, L"0:59", L"0:59.999"},
               {3599999, L"59:59", L"59:59.999"},
               {3600000, L"1:00:00", L"1:00:00.000"},
               {3725000, L"1:02:05", L"1:02:05.000"},
               {4294967295u, L"1193:02:47", L"1193:02:47.295"}};
  for (const auto& c : cases) {
    EXPECT_EQ(FormatDurationMs(c.ms, false), c.plain) << c.ms;
    EXPECT_EQ(FormatDurationMs(c.ms, true), c.withMs) << c.ms;
  }
}

}  // namespace
