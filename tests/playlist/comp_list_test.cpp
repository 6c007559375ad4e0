#include "playlist/comp_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "foundation/tnt_system.h"
#include "framework/exceptions.h"
#include "test_support.h"

namespace {

using testing_support::MessageOf;
using testing_support::TempDir;

TElem Entry(const std::wstring& title, const std::wstring& file = L"", int32_t duration = 0) {
  TElem e;
  e.Title = title;
  e.FileName = file.empty() ? L"C:\\" + title + L".mp3" : file;
  e.Duration = duration;
  return e;
}

std::vector<std::wstring> Titles(const TCompList& list) {
  std::vector<std::wstring> titles;
  for (int32_t i = 0; i < list.Count(); ++i) {
    TElem e;
    list.GetElem(i, e);
    titles.push_back(e.Title);
  }
  return titles;
}

std::wstring CurrentTitle(const TCompList& list) {
  TElem e;
  e.Title = L"(none)";
  list.GetElem(list.GetCurrentIndex(), e);
  return e.Title;
}

void Fill(TCompList& list, std::initializer_list<const wchar_t*> titles) {
  for (const wchar_t* t : titles) list.Add(Entry(t));
}

TEST(CompList, CurrentEntryFollowsItsEntryUntilDeleted) {
  TCompList list;
  Fill(list, {L"delta", L"alpha", L"echo", L"charlie", L"bravo"});
  list.SetCurrentIndex(2);
  ASSERT_EQ(CurrentTitle(list), L"echo");

  list.Sort(skTitle);
  EXPECT_EQ(list.GetCurrentIndex(), 4);
  EXPECT_EQ(CurrentTitle(list), L"echo");
  for (int i = 0; i < 5; ++i) {
    list.Randomize();
    EXPECT_EQ(CurrentTitle(list), L"echo");
  }
  int32_t at = list.GetCurrentIndex();
  int32_t other = at == 0 ? 1 : 0;
  list.Exchange(at, other);
  EXPECT_EQ(list.GetCurrentIndex(), other);

  list.Delete(other, false);
  EXPECT_EQ(list.GetCurrentIndex(), -1);
  // New entries (which may reuse the deleted one's memory) never become current.
  for (int i = 0; i < 50; ++i) list.Add(Entry(L"new"));
  EXPECT_EQ(list.GetCurrentIndex(), -1);

  list.SetCurrentIndex(0);
  list.Clear();
  list.Add(Entry(L"after clear"));
  EXPECT_EQ(list.GetCurrentIndex(), -1);
  list.SetCurrentIndex(7);
  EXPECT_EQ(list.GetCurrentIndex(), -1);
}

TEST(CompList, BadIndexesRaiseOrAnswerSafely) {
  TCompList list;
  Fill(list, {L"a", L"b"});
  const struct {
    const char* what;
    std::function<void()> call;
    std::wstring message;
  } raising[] = {
      {"SetTitle", [&] { list.SetTitle(2, L"x"); }, L"List index out of bounds (2)"},
      {"SetFileName", [&] { list.SetFileName(-1, L"x"); }, L"List index out of bounds (-1)"},
      {"SetDuration", [&] { list.SetDuration(9, 1); }, L"List index out of bounds (9)"},
      {"Delete", [&] { list.Delete(2, true); }, L"List index out of bounds (2)"},
      {"Exchange", [&] { list.Exchange(0, -1); }, L"List index out of bounds (-1)"},
  };
  for (const auto& c : raising) EXPECT_EQ(MessageOf<EListError>(c.call), c.message) << c.what;
  EXPECT_EQ(Titles(list), (std::vector<std::wstring>{L"a", L"b"}));

  TElem e = Entry(L"untouched");
  for (int32_t bad : {-1, 2, INT_MIN, INT_MAX}) {
    list.GetElem(bad, e);
    EXPECT_EQ(e.Title, L"untouched");
    list.SetSelected(bad, true);
    EXPECT_FALSE(list.GetSelected(bad));
    list.HistoryAdd(bad);
    list.SelectRange(bad, 1);
    list.SelectRange(0, bad);
  }
  EXPECT_EQ(list.FirstSelected(), -1);
  EXPECT_EQ(list.History().Count(), 0);
  TCompList empty;
  empty.GetElem(0, e);
  EXPECT_EQ(e.Title, L"untouched");
}

TEST(CompList, SortsByEachKey) {
  TCompList list;
  const struct {
    const wchar_t* artist;
    const wchar_t* title;
    const wchar_t* file;
    int32_t duration;
  } rows[] = {
      {L"Zappa", L"zebra", L"C:\\b.mp3", 200},  {L"abba", L"Apple", L"C:\\A.mp3", -1},
      {L"Beck", L"banana", L"c:\\c.mp3", 300},  {L"beck", L"Cherry", L"D:\\a.mp3", INT_MIN},
      {L"Abba", L"apple", L"C:\\a.mp3", INT_MAX},
  };
  for (const auto& r : rows) {
    TElem e = Entry(r.title, r.file, r.duration);
    e.Artist = r.artist;
    list.Add(e);
  }
  auto column = [&](auto field) {
    std::vector<std::wstring> out;
    for (int32_t i = 0; i < list.Count(); ++i) {
      TElem e;
      list.GetElem(i, e);
      out.push_back(field(e));
    }
    return out;
  };
  using V = std::vector<std::wstring>;
  list.Sort(skTitle);  // case ignored; equal titles keep their order
  EXPECT_EQ(column([](const TElem& e) { return e.Title; }),
            (V{L"Apple", L"apple", L"banana", L"Cherry", L"zebra"}));
  list.Sort(skArtist);
  EXPECT_EQ(column([](const TElem& e) { return e.Artist; }),
            (V{L"abba", L"Abba", L"Beck", L"beck", L"Zappa"}));
  list.Sort(skFileName);
  EXPECT_EQ(column([](const TElem& e) { return e.FileName; }),
            (V{L"C:\\A.mp3", L"C:\\a.mp3", L"C:\\b.mp3", L"c:\\c.mp3", L"D:\\a.mp3"}));
  // Longest first; the extremes must not overflow a subtraction.
  list.Sort(skDuration);
  EXPECT_EQ(column([](const TElem& e) { return std::to_wstring(e.Duration); }),
            (V{std::to_wstring(INT_MAX), L"300", L"200", L"-1", std::to_wstring(INT_MIN)}));
}

// An empty list and a list of one have nothing to order: every key leaves them as they are.
TEST(CompList, SortsEmptyAndSingleEntryListsByEveryKey) {
  for (TSortKey key : {skArtist, skTitle, skFileName, skDuration}) {
    TCompList empty;
    empty.Sort(key);
    EXPECT_EQ(empty.Count(), 0) << int(key);
    TCompList one;
    Fill(one, {L"Only"});
    one.Sort(key);
    EXPECT_EQ(Titles(one), std::vector<std::wstring>{L"Only"}) << int(key);
  }
}

TEST(CompList, IsURL) {
  const struct {
    const wchar_t* name;
    bool url;
  } cases[] = {
      {L"http://host/a.mp3", true}, {L"ftp://host/a.mp3", true},  {L"mms://anything", true},
      {L"mms://", true},            {L"HTTP://host/a.mp3", false}, {L"http:/host", false},
      {L"file:///C:/a.mp3", false}, {L"https://host", false},     {L"C:\\http://", false},
      {L"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(TCompList::IsURL(c.name), c.url) << WideStringToUTF8(c.name);
}

TEST(CompList, DeleteMissingKeepsUrlsAndExistingFiles) {
  TempDir dir;
  std::wstring kept = dir.WriteFile(L"kept.mp3", "x");
  std::wstring gone = dir.WriteFile(L"gone.mp3", "x");
  TCompList list;
  list.Add(Entry(L"kept", kept));
  list.Add(Entry(L"stream", L"http://unreachable.invalid/stream"));
  list.Add(Entry(L"gone", gone));
  list.Add(Entry(L"folder", dir.Path()));
  list.SetCurrentIndex(2);
  DeleteFileW(gone.c_str());
  list.DeleteMissing();
  EXPECT_EQ(Titles(list), (std::vector<std::wstring>{L"kept", L"stream"}));
  EXPECT_EQ(list.GetCurrentIndex(), -1);
}

TEST(CompList, DeleteDuplicatesKeepsFirstOccurrence) {
  TCompList list;
  const wchar_t* files[] = {L"A", L"B", L"A", L"C", L"B", L"a"};
  for (const wchar_t* f : files) list.Add(Entry(f, f));
  list.SetCurrentIndex(3);  // "C" survives and stays current
  list.DeleteDuplicates();
  EXPECT_EQ(Titles(list), (std::vector<std::wstring>{L"A", L"B", L"C", L"a"}));
  EXPECT_EQ(CurrentTitle(list), L"C");
}

TEST(CompList, ChangeEventsFireExactlyWhereDocumented) {
  TempDir dir;
  std::wstring good = dir.WriteFile(L"good.m3u", "#EXTM3U\r\n#EXTINF:1,x\r\nC:\\x.mp3\r\n");
  std::wstring notList = dir.WriteFile(L"text.m3u", "hello\r\n");
  std::wstring bad = dir.WriteFile(L"bad.m3u", "#EXTM3U\r\nC:\\x.mp3\r\nC:\\y.mp3\r\n");
  const struct {
    const char* what;
    std::function<void(TCompList&)> call;
    int events;
  } cases[] = {
      {"Add", [](TCompList& l) { l.Add(Entry(L"x")); }, 0},
      {"Delete quietly", [](TCompList& l) { l.Delete(0, false); }, 0},
      {"Delete notifying", [](TCompList& l) { l.Delete(0, true); }, 1},
      {"Clear", [](TCompList& l) { l.Clear(); }, 1},
      {"Clear of empty list", [](TCompList& l) { l.Clear(); l.Clear(); }, 2},
      {"setters", [](TCompList& l) {
         l.SetTitle(0, L"t");
         l.SetFileName(0, L"f");
         l.SetDuration(0, 5);
         l.SetSelected(0, true);
         l.SelectRange(0, 1);
         l.Exchange(0, 1);
         l.SetCurrentIndex(1);
         l.HistoryAdd(0);
         l.HistoryPrev();
         l.HistoryNext();
         l.HistoryClear();
       }, 0},
      {"Sort", [](TCompList& l) { l.Sort(skTitle); }, 1},
      {"Sort by duration", [](TCompList& l) { l.Sort(skDuration); }, 1},
      {"Randomize", [](TCompList& l) { l.Randomize(); }, 1},
      {"DeleteMissing", [](TCompList& l) { l.DeleteMissing(); }, 1},
      {"DeleteDuplicates", [](TCompList& l) { l.DeleteDuplicates(); }, 1},
      {"LoadFromFile", [&](TCompList& l) { l.LoadFromFile(good); }, 1},
      {"LoadFromFile of a non-playlist", [&](TCompList& l) { l.LoadFromFile(notList); }, 0},
      {"failed LoadFromFile", [&](TCompList& l) { EXPECT_ANY_THROW(l.LoadFromFile(bad)); }, 0},
      {"SaveToFile", [&](TCompList& l) { l.SaveToFile(dir.File(L"out.m3u")); }, 0},
      {"Changed", [](TCompList& l) { l.Changed(); }, 1},
  };
  for (const auto& c : cases) {
    TCompList list;
    Fill(list, {L"b", L"a"});
    int events = 0;
    list.SetOnChange([&](TObject* sender) {
      EXPECT_EQ(sender, &list);
      ++events;
    });
    c.call(list);
    EXPECT_EQ(events, c.events) << c.what;
  }
  {
    TCompList empty;
    int events = 0;
    empty.SetOnChange([&](TObject*) { ++events; });
    empty.DeleteDuplicates();
    EXPECT_EQ(events, 1) << "DeleteDuplicates of an empty list";
  }
  int events = 0;
  {
    TCompList list;
    Fill(list, {L"a"});
    list.SetOnChange([&](TObject*) { ++events; });
  }
  EXPECT_EQ(events, 0) << "destruction";
}

}  // namespace

// Entries keep plain texts one byte a character and others two: every field
// must read back exactly whichever way it was kept, alone or mixed with the
// other way, also after the other fields were set.
TEST(CompList, EntriesKeepEveryTextExactly) {
  const std::wstring texts[] = {
      L"",
      L"plain",
      L"caf\u00e9 \u00ff",
      L"\u0100",
      L"\u6771\u4eac",
      std::wstring(L"nul\0inside", 10),
      std::wstring(1, static_cast<wchar_t>(0xD800)) + L"lone",
      std::wstring(300, L'\u00e9') + L"\u20ac",
  };
  TCompList list;
  std::vector<TElem> added;
  int32_t duration = 0;
  for (const std::wstring& a : texts)
    for (const std::wstring& t : texts) {
      TElem e;
      e.Artist = a;
      e.Title = t;
      e.FileName = texts[(added.size() * 7) % std::size(texts)];
      e.Duration = duration++;
      e.Selected = true;
      ASSERT_EQ(list.Add(e), static_cast<int32_t>(added.size()));
      e.Selected = false;
      added.push_back(e);
    }
  auto expectAll = [&](const char* when) {
    TElem got;
    got.Artist = std::wstring(500, L'x');  // a longer earlier content must not show through
    for (int32_t i = 0; i < list.Count(); ++i) {
      list.GetElem(i, got);
      const TElem& e = added[i];
      EXPECT_TRUE(got.Artist == e.Artist && got.Title == e.Title && got.FileName == e.FileName &&
                  got.Duration == e.Duration && got.Selected == e.Selected)
          << when << ", entry " << i;
    }
  };
  expectAll("added");
  for (int32_t i = 0; i < list.Count(); ++i) {
    added[i].Title = texts[(i + 3) % std::size(texts)];
    added[i].FileName = texts[(i + 5) % std::size(texts)];
    list.SetTitle(i, added[i].Title);
    list.SetFileName(i, added[i].FileName);
    if (i % 2) list.SetSelected(i, added[i].Selected = true);
  }
  expectAll("set");
  list.Sort(skDuration);
  std::reverse(added.begin(), added.end());
  expectAll("sorted");
}
