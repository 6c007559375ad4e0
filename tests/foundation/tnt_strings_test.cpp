#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/tnt_string_list.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "foundation/tnt_text_reader.h"
#include "framework/exceptions.h"
#include "framework/streams.h"
#include "framework/string_list.h"
#include "test_support.h"

namespace {

using testing_support::MessageOf;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using Lines = std::vector<std::wstring>;

Lines LinesOf(const TWideStrings& list) {
  Lines lines;
  for (int32_t i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}

Lines ReadWithReader(const std::string& bytes) {
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  stream.SetPosition(0);
  TTntTextReader reader(&stream);
  Lines lines;
  std::wstring line;
  while (reader.ReadLine(line)) lines.push_back(line);
  return lines;
}

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

// Records the list's events as "changing"/"change".
struct EventLog {
  std::vector<std::string> events;
  void Attach(TTntStringList& list) {
    list.SetOnChanging([this](TObject*) { events.push_back("changing"); });
    list.SetOnChange([this](TObject*) { events.push_back("change"); });
  }
};

// A stream that claims to be far larger than any text worth loading.
class HugeStream : public TStream {
 public:
  int32_t Read(void* buffer, int32_t count) override {
    std::memset(buffer, 'a', static_cast<size_t>(count));
    return count;
  }
  int32_t Write(const void*, int32_t) override { return 0; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    if (origin == TSeekOrigin::soBeginning) FPos = offset;
    if (origin == TSeekOrigin::soCurrent) FPos += offset;
    if (origin == TSeekOrigin::soEnd) FPos = kSize + offset;
    return FPos;
  }

 private:
  static constexpr int64_t kSize = int64_t{1} << 32;
  int64_t FPos = 0;
};

TEST(TntStringList, LoadsEveryEncodingByItsMark) {
  const std::wstring sample = L"caf\u00e9 \u65e5\u672c\r\nsecond";
  const struct {
    const char* what;
    std::string bytes;
    TTntStreamCharSet charSet;
    Lines lines;
  } cases[] = {
      {"mark only", "\xFF\xFE", csUnicode, {}},
      {"empty file", "", csAnsi, {}},
      {"one byte", "x", csAnsi, {L"x"}},
      {"ANSI letters kept", "ab\r\ncd", csAnsi, {L"ab", L"cd"}},
      {"UTF-16LE", "\xFF\xFE" + Utf16Le(sample), csUnicode, {L"caf\u00e9 \u65e5\u672c", L"second"}},
      {"UTF-16LE odd byte", "\xFF\xFE" + Utf16Le(L"ab") + "c", csUnicode, {L"ab"}},
      {"UTF-16BE", "\xFE\xFF" + Utf16Be(sample), csUnicodeSwapped,
       {L"caf\u00e9 \u65e5\u672c", L"second"}},
      {"UTF-8", "\xEF\xBB\xBF" + WideStringToUTF8(sample), csUtf8,
       {L"caf\u00e9 \u65e5\u672c", L"second"}},
      {"UTF-8 without mark is ANSI", "caf\xC3\xA9", csAnsi,
       {AnsiToWideInCodePage("caf\xC3\xA9", DefaultSystemCodePage)}},
      {"CR, LF and CR LF", "a\rb\nc\r\n", csAnsi, {L"a", L"b", L"c"}},
      {"empty lines kept", "a\r\n\r\n\nb", csAnsi, {L"a", L"", L"", L"b"}},
      {"NUL ends the text", "\xFF\xFE" + Utf16Le(std::wstring(L"a\r\nb\0c\r\nd", 9)), csUnicode,
       {L"a", L"b"}},
  };
  TempDir dir;
  for (const auto& c : cases) {
    std::wstring name = dir.WriteFile(L"in.txt", c.bytes);
    TTntStringList list;
    list.Add(L"old line");
    list.LoadFromFile(name);
    EXPECT_EQ(LinesOf(list), c.lines) << c.what;
    EXPECT_EQ(list.LoadedCharSet(), c.charSet) << c.what;
    // The line reader used for large files must cut exactly the same lines.
    EXPECT_EQ(ReadWithReader(c.bytes), c.lines) << c.what << " (reader)";
  }
}

TEST(TntStringList, LoadedCharSetFollowsOnlyFiles) {
  TTntStringList list;
  EXPECT_EQ(list.LoadedCharSet(), csUnicode);
  TMemoryStream stream;
  stream.WriteBuffer("\xEF\xBB\xBFx", 4);
  stream.SetPosition(0);
  list.LoadFromStream(&stream);
  EXPECT_EQ(LinesOf(list), Lines{L"x"});
  EXPECT_EQ(list.LoadedCharSet(), csUnicode);

  // Without looking for a mark the body is UTF-16LE.
  TMemoryStream raw;
  raw.WriteBuffer("a\0b\0", 4);
  raw.SetPosition(0);
  list.LoadFromStream_BOM(&raw, false);
  EXPECT_EQ(LinesOf(list), Lines{L"ab"});
}

TEST(TntTextReader, PiecesMeetWithoutLosingOrSplittingCharacters) {
  // Long enough to cross the reader's 1 MiB chunks, with a CR LF, a
  // multi-byte character and a UTF-16 character across chunk edges.
  std::wstring text;
  int n = 0;
  while (text.size() < 1'200'000) text += L"line " + std::to_wstring(n++) + L" \u00e9\u65e5\r\n";
  text += L"tail\r";
  for (auto [what, bytes] : {std::pair{"UTF-8", "\xEF\xBB\xBF" + WideStringToUTF8(text)},
                             std::pair{"UTF-16LE", "\xFF\xFE" + Utf16Le(text)},
                             std::pair{"UTF-16BE", "\xFE\xFF" + Utf16Be(text)}}) {
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    stream.SetPosition(0);
    TTntStringList list;
    list.LoadFromStream(&stream);
    EXPECT_EQ(ReadWithReader(bytes), LinesOf(list)) << what;
    EXPECT_EQ(list.Count(), n + 1) << what;
  }
}

TEST(TntStringList, RefusesTextsTooLargeToLoad) {
  HugeStream huge;
  TTntStringList list;
  list.Add(L"kept");
  EXPECT_THROW(list.LoadFromStream(&huge), EReadError);
  EXPECT_EQ(LinesOf(list), Lines{L"kept"});
}

TEST(TntStringList, SavesUtf16LeWithMarkAndCrLf) {
  TempDir dir;
  TTntStringList list;
  list.SaveToFile(dir.File(L"empty.txt"));
  EXPECT_EQ(ReadFileBytes(dir.File(L"empty.txt")), "\xFF\xFE");

  list.Add(L"a");
  list.Add(L"b");
  list.SaveToFile(dir.File(L"two.txt"));
  EXPECT_EQ(ReadFileBytes(dir.File(L"two.txt")), std::string("\xFF\xFE" "a\0\r\0\n\0b\0\r\0\n\0", 14));

  // A UTF-16BE file read and written again comes out little-endian.
  std::wstring be = dir.WriteFile(L"be.txt", "\xFE\xFF" + Utf16Be(L"\u65e5x\r\n"));
  list.LoadFromFile(be);
  list.SaveToFile(be);
  EXPECT_EQ(ReadFileBytes(be), "\xFF\xFE" + Utf16Le(L"\u65e5x\r\n"));
}

TEST(TntStringList, SaveReplacesTheFileOnlyWhenWrittenWhole) {
  TempDir dir;
  const std::wstring name = dir.WriteFile(L"lyrics.txt", "old content");
  TTntStringList list;
  list.Add(L"new");
  list.SaveToFile(name);
  EXPECT_EQ(ReadFileBytes(name), "\xFF\xFE" + Utf16Le(L"new\r\n"));

  // A file held open without delete sharing cannot be replaced: the save fails
  // and the file keeps its content.
  HANDLE held = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  list.SetStrings(0, L"newer");
  std::wstring message = MessageOf<EFCreateError>([&] { list.SaveToFile(name); });
  CloseHandle(held);
  EXPECT_EQ(message.rfind(L"Cannot create file \"" + name + L"\". ", 0), 0u) << WideStringToUTF8(message);
  EXPECT_EQ(ReadFileBytes(name), "\xFF\xFE" + Utf16Le(L"new\r\n"));

  // No temporary file stays behind, after success or failure.
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(dir.File(L"*").c_str(), &fd);
  int files = 0;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
  } while (FindNextFileW(find, &fd));
  FindClose(find);
  EXPECT_EQ(files, 1);

  const std::wstring missing = dir.File(L"no such folder\\x.txt");
  // The system's reason varies (Wine says the folder name is invalid).
  message = MessageOf<EFCreateError>([&] { list.SaveToFile(missing); });
  EXPECT_EQ(message.rfind(L"Cannot create file \"" + missing + L"\". ", 0), 0u) << WideStringToUTF8(message);
}

TEST(TntStringList, OpenErrorLeavesTheListAlone) {
  TempDir dir;
  TTntStringList list;
  list.Add(L"kept");
  EXPECT_THROW(list.LoadFromFile(dir.File(L"missing.txt")), EFOpenError);
  EXPECT_EQ(LinesOf(list), Lines{L"kept"});
}

TEST(TntStringList, CapacityGrowsInSteps) {
  TTntStringList list;
  std::vector<int32_t> seen{list.Capacity()};
  for (int i = 0; i < 95; ++i) {
    list.Add(L"x");
    if (list.Capacity() != seen.back()) seen.push_back(list.Capacity());
  }
  EXPECT_EQ(seen, (std::vector<int32_t>{0, 4, 8, 12, 28, 44, 60, 76, 95}));
  list.Delete(0);
  EXPECT_EQ(list.Capacity(), 95);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.SetCapacity(10); }),
            L"List capacity out of bounds (10)");
  EXPECT_EQ(list.Count(), 94);
  list.Clear();
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(TntStringList, BadRequestsRaiseBeforeAnythingChanges) {
  TTntStringList list;
  list.Add(L"a");
  list.Add(L"b");
  EventLog log;
  log.Attach(list);
  const struct {
    const char* what;
    std::function<void()> call;
    std::wstring message;
  } cases[] = {
      {"Delete(Count)", [&] { list.Delete(2); }, L"List index out of bounds (2)"},
      {"Get(-1)", [&] { list.Strings(-1); }, L"List index out of bounds (-1)"},
      {"Put", [&] { list.SetStrings(5, L"x"); }, L"List index out of bounds (5)"},
      {"Objects", [&] { list.Objects(2); }, L"List index out of bounds (2)"},
      {"SetObjects", [&] { list.SetObjects(-3, nullptr); }, L"List index out of bounds (-3)"},
      {"Exchange", [&] { list.Exchange(0, 2); }, L"List index out of bounds (2)"},
      {"Insert past Count", [&] { list.Insert(3, L"x"); }, L"List index out of bounds (3)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MessageOf<EStringListError>(c.call), c.message) << c.what;
  }
  EXPECT_EQ(LinesOf(list), (Lines{L"a", L"b"}));
  EXPECT_TRUE(log.events.empty());

  list.SetSorted(true);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Insert(0, L"x"); }),
            L"Operation not allowed on sorted list");
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.SetStrings(0, L"x"); }),
            L"Operation not allowed on sorted list");
  list.SetDuplicates(dupError);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Add(L"A"); }),
            L"String list does not allow duplicates");
  EXPECT_EQ(LinesOf(list), (Lines{L"a", L"b"}));
}

TEST(TntStringList, EventsFireOncePerChangeAndOncePerBatch) {
  TempDir dir;
  std::wstring file = dir.WriteFile(L"three.txt", "x\r\ny\r\nz\r\n");
  const struct {
    const char* what;
    std::function<void(TTntStringList&)> call;
    std::vector<std::string> events;
  } cases[] = {
      {"Clear of empty list", [](TTntStringList& l) { l.Clear(); }, {}},
      {"Clear", [](TTntStringList& l) { l.Add(L"a"); l.Clear(); },
       {"changing", "change", "changing", "change"}},
      {"Add", [](TTntStringList& l) { l.Add(L"a"); }, {"changing", "change"}},
      {"Text set", [](TTntStringList& l) { l.SetText(L"a\r\nb\r\nc"); }, {"change"}},
      {"LoadFromFile", [&](TTntStringList& l) { l.LoadFromFile(file); }, {"change"}},
      {"nested brackets",
       [](TTntStringList& l) {
         l.BeginUpdate();
         l.BeginUpdate();
         l.Add(L"a");
         l.EndUpdate();
         l.Add(L"b");
         l.EndUpdate();
       },
       {"change"}},
      {"Sort", [](TTntStringList& l) { l.SetText(L"b\r\na"); l.Sort(); },
       {"change", "changing", "change"}},
  };
  for (const auto& c : cases) {
    TTntStringList list;
    EventLog log;
    log.Attach(list);
    c.call(list);
    EXPECT_EQ(log.events, c.events) << c.what;
  }
  {
    EventLog log;
    {
      TTntStringList list;
      list.Add(L"a");
      log.Attach(list);
    }
    EXPECT_TRUE(log.events.empty()) << "destruction";
  }
}

TEST(TntStringList, SearchAndSort) {
  TTntStringList list;
  list.SetText(L"delta\r\nAlpha\r\ncharlie\r\nbravo\r\nalpha\r\nkey=value");
  EXPECT_EQ(list.IndexOf(L"ALPHA"), 1);
  EXPECT_EQ(list.IndexOf(L"echo"), -1);
  EXPECT_EQ(list.IndexOfName(L"KEY"), 5);
  EXPECT_EQ(list.Values(L"key"), L"value");
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf(L"alpha"), 4);
  EXPECT_EQ(list.IndexOf(L"ALPHA"), -1);
  list.SetCaseSensitive(false);

  // Objects travel with their lines.
  TObject tag;
  list.SetObjects(0, &tag);
  list.Sort();
  ASSERT_EQ(list.Count(), 6);
  EXPECT_EQ(list.Strings(0).substr(1), L"lpha");
  EXPECT_EQ(list.Strings(1).substr(1), L"lpha");
  EXPECT_EQ(LinesOf(list)[2], L"bravo");
  EXPECT_EQ(list.Objects(list.IndexOf(L"delta")), &tag);

  list.SetSorted(true);
  int32_t index = -1;
  EXPECT_TRUE(list.Find(L"CHARLIE", index));
  EXPECT_EQ(index, 3);
  EXPECT_FALSE(list.Find(L"c", index));
  EXPECT_EQ(index, 3);
  EXPECT_EQ(list.Add(L"Bravo"), 2);  // duplicates ignored: the existing line's index
  EXPECT_EQ(list.Count(), 6);
  list.SetDuplicates(dupAccept);
  EXPECT_EQ(list.Add(L"BRAVO"), 2);
  EXPECT_EQ(list.Count(), 7);
  EXPECT_EQ(list.IndexOfName(L"Key"), 6);
}

TEST(TntStringList, AnsiViewConvertsBothWays) {
  TTntStringList list;
  list.Add(L"caf\u00e9");
  TStrings* ansi = list.AnsiStrings();
  ASSERT_EQ(ansi->Count(), 1);
  EXPECT_EQ(ansi->Strings(0), WideToAnsiInCodePage(L"caf\u00e9", DefaultSystemCodePage));
  ansi->Add("plain");
  ansi->SetStrings(0, "first");
  EXPECT_EQ(LinesOf(list), (Lines{L"first", L"plain"}));

  TStringList source;
  TObject tag;
  source.AddObject("one", &tag);
  source.Add("two");
  list.SetAnsiStrings(&source);
  EXPECT_EQ(LinesOf(list), (Lines{L"one", L"two"}));
  EXPECT_EQ(list.Objects(0), &tag);

  TMemoryStream out;
  ansi->SaveToStream(&out);
  EXPECT_EQ(std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size())),
            "one\r\ntwo\r\n");
  out.SetPosition(0);
  out.SetSize(0);
  out.WriteBuffer("x\r\ny", 4);
  out.SetPosition(0);
  ansi->LoadFromStream(&out);
  EXPECT_EQ(LinesOf(list), (Lines{L"x", L"y"}));

  // And back: a wide list assigned to an ANSI list.
  TStringList copy;
  copy.Assign(&list);
  EXPECT_EQ(copy.Text(), "x\r\ny\r\n");
}

}  // namespace
