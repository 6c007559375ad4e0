// The metadata editor of our wmvcore.dll on ASF files built byte by byte.
#include <nserror.h>

#include <gtest/gtest.h>

#include "asf_bytes.h"
#include "test_support.h"

namespace {

using namespace asf_bytes;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

std::string Bytes(const std::wstring& s) { return W(s); }


void ExpectAttributes(IWMHeaderInfo3& info, const std::vector<Attribute>& expected) {
  const auto got = ReadAll(info);
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].name, expected[i].name) << "index " << i;
    EXPECT_EQ(got[i].type, expected[i].type) << "index " << i;
    EXPECT_EQ(got[i].value, expected[i].value) << "index " << i;
  }
}

const std::vector<Attribute> kTaggedAttributes = {
    {L"Duration", WMT_TYPE_QWORD, LE(30000000, 8)},  // play duration less the preroll
    {L"Bitrate", WMT_TYPE_DWORD, LE(96000, 4)},
    {L"FileSize", WMT_TYPE_QWORD, LE(0, 8)},  // patched in the test
    {L"Title", WMT_TYPE_STRING, Bytes(L"Song")},
    {L"Author", WMT_TYPE_STRING, Bytes(L"Singer")},
    {L"Description", WMT_TYPE_STRING, Bytes(L"Notes")},
    {L"WM/AlbumTitle", WMT_TYPE_STRING, Bytes(L"Record")},
    {L"IsVBR", WMT_TYPE_BOOL, LE(1, 4)},
    {L"WM/TrackNumber", WMT_TYPE_DWORD, LE(7, 4)},
    {L"Big", WMT_TYPE_QWORD, LE(0x123456789ull, 8)},
    {L"Small", WMT_TYPE_WORD, LE(9, 2)},
    {L"Blob", WMT_TYPE_BINARY, std::string("\x00\x01\x02", 3)},
    {L"wm/genre", WMT_TYPE_STRING, Bytes(L"Folk")}};

std::vector<Attribute> TaggedAttributes(size_t fileSize) {
  auto a = kTaggedAttributes;
  a[2].value = LE(fileSize, 8);
  return a;
}

TEST(MetadataEditor, ListsEveryAttributeOfStreamZero) {
  TempDir dir;
  const std::string file = Tagged();
  const std::wstring name = dir.WriteFile(L"a.wma", file);
  Editor e;
  ASSERT_TRUE(e.Ready());
  ASSERT_EQ(e->Open(name.c_str()), S_OK);
  ExpectAttributes(e.Info(), TaggedAttributes(file.size()));

  // Sizing: no buffer gives the lengths, a short one fails with them.
  WORD stream = 0, nameLength = 0, length = 0;
  WMT_ATTR_DATATYPE type;
  ASSERT_EQ(e.Info().GetAttributeByIndex(3, &stream, nullptr, &nameLength, &type, nullptr, &length), S_OK);
  EXPECT_EQ(nameLength, 6);  // "Title" and its terminator
  EXPECT_EQ(length, 10);
  WCHAR shortName[3];
  nameLength = 3;
  EXPECT_EQ(e.Info().GetAttributeByIndex(3, &stream, shortName, &nameLength, &type, nullptr, &length),
            NS_E_SDK_BUFFERTOOSMALL);
  EXPECT_EQ(nameLength, 6);
  WORD count = 99;
  EXPECT_EQ(e.Info().GetAttributeCount(1, &count), S_OK);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(e.Info().GetAttributeByIndex(13, &stream, nullptr, &nameLength, &type, nullptr, &length), E_INVALIDARG);

  DWORD exLength = 0;
  WORD language = 5;
  ASSERT_EQ(e.Info().GetAttributeByIndexEx(0, 12, nullptr, &nameLength, &type, &language, nullptr, &exLength), S_OK);
  EXPECT_EQ(exLength, 10u);
  EXPECT_EQ(language, 0);
  EXPECT_EQ(e->Close(), S_OK);
}

TEST(MetadataEditor, IndicesByNameInAnyCase) {
  TempDir dir;
  const std::wstring name = dir.WriteFile(L"a.wma", Tagged());
  Editor e;
  ASSERT_EQ(e->Open(name.c_str()), S_OK);
  const struct {
    WORD stream;
    const wchar_t* name;
    WORD language;
    std::vector<WORD> expected;
  } cases[] = {{0, L"WM/GENRE", 0, {12}},    {0xFFFF, L"title", 0, {3}}, {0, L"isvbr", 0, {7}},
               {0, L"Nothing", 0, {}},        {1, L"Title", 0, {}},       {0, L"Title", 1, {}},
               {0, L"DURATION", 0, {0}}};
  for (const auto& c : cases) {
    WORD language = c.language, count = 0;
    ASSERT_EQ(e.Info().GetAttributeIndices(c.stream, c.name, &language, nullptr, &count), S_OK);
    std::vector<WORD> got(count);
    ASSERT_EQ(e.Info().GetAttributeIndices(c.stream, c.name, &language, got.data(), &count), S_OK);
    EXPECT_EQ(got, c.expected) << static_cast<const void*>(c.name);
  }
  WORD count = 0, index;
  EXPECT_EQ(e.Info().GetAttributeIndices(0, L"title", nullptr, &index, &count), NS_E_SDK_BUFFERTOOSMALL);
  EXPECT_EQ(count, 1);
}

TEST(MetadataEditor, EditsAreWrittenByFlush) {
  TempDir dir;
  const std::string file = Tagged();
  const std::wstring name = dir.WriteFile(L"a.wma", file);
  {
    Editor e;
    ASSERT_EQ(e->Open(name.c_str()), S_OK);
    const std::string title = Bytes(L"New title"), flag = LE(0, 4), text = std::string("1\0" "2", 3);
    WORD index = 0;
    EXPECT_EQ(e.Info().ModifyAttribute(0, 3, WMT_TYPE_STRING, 0, reinterpret_cast<const BYTE*>(title.data()),
                                       static_cast<DWORD>(title.size())), S_OK);
    EXPECT_EQ(e.Info().ModifyAttribute(0, 10, WMT_TYPE_STRING, 0, reinterpret_cast<const BYTE*>(text.data()),
                                       static_cast<DWORD>(text.size())), S_OK);  // Small, without terminator
    EXPECT_EQ(e.Info().DeleteAttribute(0, 5), S_OK);  // Description
    EXPECT_EQ(e.Info().AddAttribute(0, L"Copyright", &index, WMT_TYPE_STRING, 0,
                                    reinterpret_cast<const BYTE*>(title.data()), static_cast<DWORD>(title.size())), S_OK);
    EXPECT_EQ(index, 5);
    EXPECT_EQ(e.Info().AddAttribute(0, L"WM/Flag", &index, WMT_TYPE_BOOL, 0,
                                    reinterpret_cast<const BYTE*>(flag.data()), 4), S_OK);
    EXPECT_EQ(index, 13);
    ASSERT_EQ(e->Flush(), S_OK);
  }
  const std::string saved = ReadFileBytes(name);
  // Object count and header size follow the new header; the data object and
  // what follows it are copied as they were.
  const uint64_t headerSize = *reinterpret_cast<const uint64_t*>(saved.data() + 16);
  const uint64_t oldHeaderSize = *reinterpret_cast<const uint64_t*>(file.data() + 16);
  EXPECT_EQ(*reinterpret_cast<const uint32_t*>(saved.data() + 24), 4u);
  EXPECT_EQ(saved.substr(headerSize), file.substr(oldHeaderSize));
  EXPECT_EQ(saved.compare(headerSize, 16, Id(kData)), 0);

  Editor e;
  ASSERT_EQ(e->Open(name.c_str()), S_OK);
  auto expected = TaggedAttributes(saved.size());
  expected[3].value = Bytes(L"New title");
  expected[5] = {L"Copyright", WMT_TYPE_STRING, Bytes(L"New title")};
  expected[10] = {L"Small", WMT_TYPE_STRING, Bytes(L"1")};
  expected.push_back({L"WM/Flag", WMT_TYPE_BOOL, LE(0, 4)});
  ExpectAttributes(e.Info(), expected);
}

TEST(MetadataEditor, RefusedChanges) {
  TempDir dir;
  const std::wstring name = dir.WriteFile(L"a.wma", Tagged());
  Editor e;
  ASSERT_EQ(e->Open(name.c_str()), S_OK);
  IWMHeaderInfo3& info = e.Info();
  const std::string text = Bytes(L"x"), dword = LE(1, 4), shortBool = LE(1, 2), guid(16, '\0');
  auto data = [](const std::string& s) { return reinterpret_cast<const BYTE*>(s.data()); };
  auto size = [](const std::string& s) { return static_cast<DWORD>(s.size()); };
  WORD index;
  const struct {
    const char* what;
    HRESULT got, expected;
  } cases[] = {
      {"modify duration", info.ModifyAttribute(0, 0, WMT_TYPE_QWORD, 0, data(guid), 8), NS_E_ATTRIBUTE_READ_ONLY},
      {"delete file size", info.DeleteAttribute(0, 2), NS_E_ATTRIBUTE_READ_ONLY},
      {"add bitrate", info.AddAttribute(0, L"BITRATE", &index, WMT_TYPE_DWORD, 0, data(dword), 4),
       NS_E_ATTRIBUTE_READ_ONLY},
      {"add a second title", info.AddAttribute(0, L"TITLE", &index, WMT_TYPE_STRING, 0, data(text), size(text)),
       NS_E_DUPLICATE_NAME},
      {"title as a number", info.ModifyAttribute(0, 3, WMT_TYPE_DWORD, 0, data(dword), 4), NS_E_ATTRIBUTE_NOT_ALLOWED},
      {"bool of two bytes", info.ModifyAttribute(0, 7, WMT_TYPE_BOOL, 0, data(shortBool), 2), E_INVALIDARG},
      {"guid descriptor", info.AddAttribute(0, L"G", &index, WMT_TYPE_GUID, 0, data(guid), 16),
       NS_E_ATTRIBUTE_NOT_ALLOWED},
      {"stream 1", info.AddAttribute(1, L"S", &index, WMT_TYPE_STRING, 0, data(text), size(text)), E_INVALIDARG},
      {"language 1", info.ModifyAttribute(0, 6, WMT_TYPE_STRING, 1, data(text), size(text)), E_INVALIDARG},
      {"index past the end", info.DeleteAttribute(0, 13), E_INVALIDARG},
      {"markers", info.GetMarkerCount(&index), E_NOTIMPL},
      {"scripts", info.AddScript(L"a", L"b", 0), E_NOTIMPL},
      {"codec info", info.GetCodecInfoCount(reinterpret_cast<DWORD*>(&index)), E_NOTIMPL},
      {"second open", e->Open(name.c_str()), NS_E_INVALID_REQUEST},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
  EXPECT_EQ(ReadAll(info).size(), 13u);
  EXPECT_EQ(e->Close(), S_OK);
  WORD count;
  EXPECT_EQ(info.GetAttributeCount(0, &count), NS_E_INVALID_REQUEST);
  EXPECT_EQ(e->Flush(), NS_E_INVALID_REQUEST);
}

TEST(MetadataEditor, ObjectsAddedToAnUntaggedHeader) {
  TempDir dir;
  const std::string file = File({});
  const std::wstring name = dir.WriteFile(L"a.wma", file);
  {
    Editor e;
    ASSERT_EQ(e->Open(name.c_str()), S_OK);
    const std::string text = Bytes(L"T");
    WORD index;
    ASSERT_EQ(e.Info().AddAttribute(0, L"Title", &index, WMT_TYPE_STRING, 0,
                                    reinterpret_cast<const BYTE*>(text.data()), 4), S_OK);
    ASSERT_EQ(e.Info().AddAttribute(0, L"WM/Year", &index, WMT_TYPE_STRING, 0,
                                    reinterpret_cast<const BYTE*>(text.data()), 4), S_OK);
    ASSERT_EQ(e->Flush(), S_OK);
  }
  const std::string saved = ReadFileBytes(name);
  EXPECT_EQ(*reinterpret_cast<const uint32_t*>(saved.data() + 24), 3u);
  EXPECT_NE(saved.find(Id(kContent)), std::string::npos);
  EXPECT_NE(saved.find(Id(kExtended)), std::string::npos);
  Editor e;
  ASSERT_EQ(e->Open(name.c_str()), S_OK);
  EXPECT_EQ(ReadAll(e.Info()).size(), 5u);
}

TEST(MetadataEditor, NothingWrittenUnlessFlushedOnAnUnchangedFile) {
  TempDir dir;
  const std::string file = Tagged();
  const std::wstring name = dir.WriteFile(L"a.wma", file);
  const std::string title = Bytes(L"Other");
  {
    Editor e;
    ASSERT_EQ(e->Open(name.c_str()), S_OK);
    ASSERT_EQ(e.Info().ModifyAttribute(0, 3, WMT_TYPE_STRING, 0, reinterpret_cast<const BYTE*>(title.data()),
                                       static_cast<DWORD>(title.size())), S_OK);
    EXPECT_EQ(e->Close(), S_OK);
  }
  EXPECT_EQ(ReadFileBytes(name), file);

  // Someone else changes the file between Open and Flush: it is left alone.
  Editor e;
  ASSERT_EQ(e->Open(name.c_str()), S_OK);
  ASSERT_EQ(e.Info().ModifyAttribute(0, 3, WMT_TYPE_STRING, 0, reinterpret_cast<const BYTE*>(title.data()),
                                     static_cast<DWORD>(title.size())), S_OK);
  dir.WriteFile(L"a.wma", file + "more");
  EXPECT_TRUE(FAILED(e->Flush()));
  EXPECT_EQ(ReadFileBytes(name), file + "more");
  EXPECT_EQ(testing_support::FilesIn(dir.Path()).size(), 1u);
}

TEST(MetadataEditor, InterfacesOfOneObject) {
  Editor e;
  ASSERT_TRUE(e.Ready());
  IUnknown* a = nullptr;
  IUnknown* b = nullptr;
  void* c = nullptr;
  ASSERT_EQ(e->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a)), S_OK);
  ASSERT_EQ(e.Info().QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b)), S_OK);
  EXPECT_EQ(a, b);
  for (const IID& iid : {__uuidof(IWMHeaderInfo), __uuidof(IWMHeaderInfo2), __uuidof(IWMHeaderInfo3)}) {
    ASSERT_EQ(e->QueryInterface(iid, &c), S_OK);
    EXPECT_EQ(c, static_cast<void*>(&e.Info()));
    static_cast<IUnknown*>(c)->Release();
  }
  EXPECT_EQ(e->QueryInterface(__uuidof(IWMReader), &c), E_NOINTERFACE);
  EXPECT_EQ(c, nullptr);
  a->Release();
  b->Release();
}

}  // namespace
