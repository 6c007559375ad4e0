#include "foundation/tnt_classes.h"

#include <gtest/gtest.h>

#include "foundation/tnt_sysutils.h"
#include "framework/exceptions.h"
#include "test_support.h"

using testing_support::ReadFileBytes;
using testing_support::TempDir;

TEST(TntFileStream, OpenErrorNamesFullPathAndSystemText) {
  TempDir dir;
  SetCurrentDirectoryW(dir.Path().c_str());
  try {
    TTntFileStream s(L"missing.mp3", fmOpenRead | fmShareDenyWrite);
    FAIL() << "opened a missing file";
  } catch (const EFOpenError& e) {
    std::wstring expected =
        L"Cannot open file \"" + dir.File(L"missing.mp3") + L"\". " + WideSysErrorMessage(2);
    EXPECT_EQ(e.Message(), expected);
  }
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  SetCurrentDirectoryW(temp);
}

TEST(TntFileStream, CreateWriteReopenAndExclusiveCreate) {
  TempDir dir;
  std::wstring name = dir.File(L"\u65e5\u672c \u00e9t\u00e9.bin");
  {
    TTntFileStream out(name, fmCreate);
    out.WriteBuffer("abcdef", 6);
    // A file held by a create stream is not shared: a second create must fail.
    EXPECT_THROW(TTntFileStream(name, fmCreate), EFCreateError);
    try {
      TTntFileStream again(name, fmCreate);
    } catch (const EFCreateError& e) {
      EXPECT_EQ(e.Message().rfind(L"Cannot create file \"" + name + L"\". ", 0), 0u);
    }
  }
  EXPECT_EQ(ReadFileBytes(name), "abcdef");
  TTntFileStream in(name, fmOpenRead | fmShareDenyWrite);
  EXPECT_EQ(in.Size(), 6);
  // Sharing read: a second reader is allowed, a writer is not.
  EXPECT_NO_THROW(TTntFileStream(name, fmOpenRead | fmShareDenyNone));
  EXPECT_THROW(TTntFileStream(name, fmOpenWrite | fmShareDenyNone), EFOpenError);
  char buf[4] = {};
  in.SetPosition(2);
  in.ReadBuffer(buf, 3);
  EXPECT_EQ(std::string(buf, 3), "cde");
}

TEST(TntResourceStream, ReadsSavesAndRefusesWrites) {
  TempDir dir;
  TTntResourceStream res(GetModuleHandleW(nullptr), L"PAYLOAD", L"TXT");
  const std::string expected = "Tavrin resource payload\r\nsecond line\r\n";
  ASSERT_EQ(res.Size(), static_cast<int64_t>(expected.size()));
  std::string got(expected.size(), '\0');
  res.ReadBuffer(got.data(), static_cast<int32_t>(got.size()));
  EXPECT_EQ(got, expected);
  EXPECT_THROW(res.Write("x", 1), EStreamError);

  std::wstring out = dir.File(L"copy.txt");
  res.SaveToFile(out);
  EXPECT_EQ(ReadFileBytes(out), expected);

  try {
    TTntResourceStream missing(GetModuleHandleW(nullptr), L"NOSUCH", L"TXT");
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), L"Resource NOSUCH not found");
  }
}

TEST(WideComponentHelper, SortedListLookupAndLifetime) {
  TWideComponentHelperList list;
  std::vector<TComponent*> controls;
  for (int i = 0; i < 6; ++i) controls.push_back(new TComponent(nullptr));
  // Create helpers in an order unrelated to the addresses.
  for (int i : {3, 0, 5, 1, 4, 2}) TWideComponentHelper::CreateHelper(controls[i], list);
  ASSERT_EQ(list.Count(), 6);
  for (int i = 1; i < list.Count(); ++i)
    EXPECT_LT(reinterpret_cast<uintptr_t>(list.Items(i - 1)->Component()),
              reinterpret_cast<uintptr_t>(list.Items(i)->Component()));
  for (TComponent* c : controls) {
    TWideComponentHelper* h = FindWideComponentHelper(list, c);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->Component(), c);
  }
  // Freeing a control frees its helper and takes it out of the list.
  delete controls[2];
  EXPECT_EQ(list.Count(), 5);
  for (int i : {0, 1, 3, 4, 5}) EXPECT_NE(FindWideComponentHelper(list, controls[i]), nullptr);
  // A helper freed on its own leaves the list too, and its control lives on.
  TWideComponentHelper* h = FindWideComponentHelper(list, controls[4]);
  delete h;
  EXPECT_EQ(FindWideComponentHelper(list, controls[4]), nullptr);
  EXPECT_EQ(list.Count(), 4);
  for (int i : {0, 1, 3, 4, 5}) delete controls[i];
  EXPECT_EQ(list.Count(), 0);

  EXPECT_THROW(TWideComponentHelper(nullptr), ETntInternalError);
}

namespace {

// A control's two texts as a Unicode control keeps them.
struct FakeControl {
  std::wstring wide;
  std::string ansi;
  int ansiChanges = 0;
  void SetAnsi(const std::string& s) {
    if (s != ansi) ++ansiChanges;
    ansi = s;
  }
  void SetCaption(const std::wstring& v) {
    TntSetSyncedWideString(v, wide, ansi, [this](const std::string& s) { SetAnsi(s); });
  }
  std::wstring Caption() { return TntGetSyncedWideString(wide, ansi); }
};

}  // namespace

TEST(SyncedWideString, UnrepresentableCaptionsStillReachTheControl) {
  FakeControl c;
  c.SetCaption(L"\u65e5\u672c");  // outside the ANSI code page
  EXPECT_EQ(c.Caption(), L"\u65e5\u672c");
  int before = c.ansiChanges;
  c.SetCaption(L"\u4e2d\u6587");  // a different text with the same ANSI form
  EXPECT_GT(c.ansiChanges, before) << "the control never saw the change";
  EXPECT_EQ(c.Caption(), L"\u4e2d\u6587");
  // Setting the same text again changes nothing.
  before = c.ansiChanges;
  c.SetCaption(L"\u4e2d\u6587");
  EXPECT_EQ(c.ansiChanges, before);
  // A change through the ANSI side wins over the stale wide text.
  c.SetAnsi("plain");
  EXPECT_EQ(c.Caption(), L"plain");
}
