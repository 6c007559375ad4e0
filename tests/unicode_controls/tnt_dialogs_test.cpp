#include "unicode_controls/tnt_dialogs.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <string>
#include <vector>

#include "foundation/tnt_string_list.h"
#include "test_support.h"

namespace {

using namespace std::string_literals;

std::vector<std::wstring> Lines(TTntStrings* List) {
  std::vector<std::wstring> lines;
  for (int32_t i = 0; i < List->Count(); ++i) lines.push_back(List->Strings(i));
  return lines;
}

// The record the system would get, kept by a dialog function of the test's.
class TRecordingDialog : public TTntOpenDialog {
 public:
  using TTntOpenDialog::TTntOpenDialog;
  using TTntOpenDialog::DoExecuteW;
};

TEST(TntDialogs, ExtractFileNamesTable) {
  struct Case {
    const wchar_t* Name;
    std::wstring Buffer;
    wchar_t Separator;
    std::vector<std::wstring> Files;
  };
  const std::vector<Case> cases = {
      {L"empty", L"\0\0"s, L'\0', {}},
      {L"one part is the file", L"C:\\m\\a.mp3\0\0"s, L'\0', {L"C:\\m\\a.mp3"}},
      {L"folder and names", L"C:\\m\0a.mp3\0b.mp3\0\0"s, L'\0', {L"C:\\m\\a.mp3", L"C:\\m\\b.mp3"}},
      {L"drive root keeps one delimiter", L"C:\\\0a.mp3\0\0"s, L'\0', {L"C:\\a.mp3"}},
      {L"full paths stay", L"C:\\m\0\\\\srv\\x.mp3\0D:\\y\\z.mp3\0D:\\\0\0"s, L'\0',
       {L"\\\\srv\\x.mp3", L"D:\\y\\z.mp3", L"C:\\m\\D:\\"}},
      {L"old-style spaces", L"C:\\M A.MP3 B.MP3"s, L' ', {L"C:\\M\\A.MP3", L"C:\\M\\B.MP3"}},
      {L"wide names", L"C:\\\u041C\0\u97F3\u697D.mp3\0\0"s, L'\0', {L"C:\\\u041C\\\u97F3\u697D.mp3"}},
      {L"no terminator in the buffer", L"C:\\m\0a.mp3\0b.mp"s, L'\0', {L"C:\\m\\a.mp3", L"C:\\m\\b.mp"}},
  };
  for (const Case& c : cases) {
    TTntStringList files;
    ExtractFileNames(c.Buffer, c.Separator, &files);
    EXPECT_EQ(Lines(&files), c.Files) << c.Name;
  }
}

TEST(TntDialogs, InitialDirDropsOneTrailingDelimiterExceptAfterADrive) {
  const std::vector<std::pair<std::wstring, std::wstring>> cases = {
      {L"C:\\Music\\", L"C:\\Music"}, {L"C:\\Music", L"C:\\Music"}, {L"C:\\", L"C:\\"},
      {L"\\", L"\\"},                 {L"C:\\a\\\\", L"C:\\a\\"},    {L"", L""},
      {L"\\\\srv\\share\\", L"\\\\srv\\share"},
  };
  TTntOpenDialog dialog(nullptr);
  for (const auto& [set, read] : cases) {
    dialog.SetInitialDir(set);
    EXPECT_EQ(dialog.InitialDir(), read) << set;
  }
}

TEST(TntDialogs, TheSystemGetsAWideRecordAndTheAnswerComesBack) {
  TRecordingDialog dialog(nullptr);
  const std::wstring folder = L"C:\\\u041C\u0443\u0437\u044B\u043A\u0430";  // "Музыка"
  dialog.SetFilter(L"\u0422\u0435\u043A\u0441\u0442|*.txt|All|*.*");
  dialog.SetFilterIndex(2);
  dialog.SetInitialDir(folder + L"\\");
  dialog.SetTitle(L"\u2605 Open");
  dialog.SetFileName(L"\u97F3.txt");
  dialog.SetOptions({ofAllowMultiSelect, ofFileMustExist, ofEnableSizing});

  std::wstring filter, file, title, initialDir;
  DWORD flags = 0, maxFile = 0, size = 0;
  bool hooked = false;
  const bool ok = dialog.DoExecuteW(
      [&](OPENFILENAMEW& ofn) {
        size = ofn.lStructSize;
        const wchar_t* end = ofn.lpstrFilter;
        while (end[0] || end[1]) ++end;
        filter.assign(ofn.lpstrFilter, end + 2);
        file = ofn.lpstrFile;
        title = ofn.lpstrTitle;
        initialDir = ofn.lpstrInitialDir;
        flags = ofn.Flags;
        maxFile = ofn.nMaxFile;
        hooked = ofn.lpfnHook != nullptr;
        // The answer of an explorer multi-selection, with the read-only box ticked.
        const std::wstring answer = folder + L"\0a.txt\0\u97F3.txt\0\0"s;
        answer.copy(ofn.lpstrFile, answer.size());
        ofn.Flags |= OFN_READONLY;
        ofn.nFilterIndex = 1;
        return TRUE;
      },
      nullptr);

  ASSERT_TRUE(ok);
  EXPECT_EQ(size, sizeof(OPENFILENAMEW));
  EXPECT_EQ(filter, L"\u0422\u0435\u043A\u0441\u0442\0*.txt\0All\0*.*\0\0"s);
  EXPECT_EQ(file, L"\u97F3.txt");
  EXPECT_EQ(title, L"\u2605 Open");
  EXPECT_EQ(initialDir, folder);
  EXPECT_GT(maxFile, static_cast<DWORD>(MAX_PATH));
  EXPECT_TRUE(hooked);
  const DWORD expected = OFN_ENABLEHOOK | OFN_EXPLORER | OFN_ALLOWMULTISELECT |
                         OFN_FILEMUSTEXIST | OFN_ENABLESIZING;
  EXPECT_EQ(flags, expected);

  EXPECT_EQ(Lines(dialog.Files()),
            (std::vector<std::wstring>{folder + L"\\a.txt", folder + L"\\\u97F3.txt"}));
  EXPECT_EQ(dialog.FileName(), folder + L"\\a.txt");
  EXPECT_EQ(dialog.TOpenDialog::Files()->Count(), 2);
  EXPECT_TRUE(dialog.Options().Contains(ofReadOnly));
  EXPECT_EQ(dialog.FilterIndex(), 1);

  // Cancelled: nothing chosen, the rest unchanged; an empty filter is no filter.
  dialog.SetFilter(L"");
  bool noFilter = false;
  EXPECT_FALSE(dialog.DoExecuteW(
      [&](OPENFILENAMEW& ofn) {
        noFilter = ofn.lpstrFilter == nullptr;
        return FALSE;
      },
      nullptr));
  EXPECT_TRUE(noFilter);
  EXPECT_EQ(dialog.Files()->Count(), 0);
  EXPECT_EQ(dialog.FileName(), folder + L"\\a.txt");
  EXPECT_EQ(dialog.FilterIndex(), 1);
}

// Drives the system's own dialog from a thread timer: types the names into
// the name box and confirms; gives up (cancels) after a bounded number of ticks.
struct TDialogDriver {
  TTntOpenDialog* Dialog = nullptr;
  std::wstring Names;
  int Ticks = 0;
  int Confirms = 0;
  bool Cancelled = false;
  static inline TDialogDriver* Current = nullptr;

  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    TDialogDriver* d = Current;
    if (!d || !d->Dialog->Handle()) return;
    HWND dialog = GetParent(d->Dialog->Handle());
    if (++d->Ticks > 100) {
      d->Cancelled = true;
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return;
    }
    if (!IsWindowVisible(dialog) || d->Ticks % 3 != 0) return;
    HWND box = GetDlgItem(dialog, edt1);
    if (!box) box = GetDlgItem(dialog, cmb13);
    SetWindowTextW(box, d->Names.c_str());
    ++d->Confirms;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  }
};

TEST(TntDialogs, MultiSelectInTheSystemDialogGivesFullPaths) {
  testing_support::TempDir dir;
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) dir.WriteFile(name, "x");
  TTntOpenDialog dialog(nullptr);
  dialog.SetOptions({ofAllowMultiSelect, ofFileMustExist, ofHideReadOnly});
  dialog.SetInitialDir(dir.Path());
  dialog.SetFilter(L"Text|*.txt");

  // The first confirmation is refused: the dialog stays open and both lists
  // are empty again; the second is accepted.
  int canCloseCalls = 0;
  std::vector<std::wstring> offered;
  std::wstring showingName;
  dialog.SetOnCanClose([&](TObject*, bool& CanClose) {
    if (++canCloseCalls == 1) offered = Lines(dialog.Files());
    showingName = dialog.FileName();
    CanClose = canCloseCalls > 1;
  });

  TDialogDriver driver{&dialog, L"\"a.txt\" \"b.txt\" \"c.txt\""};
  TDialogDriver::Current = &driver;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, &TDialogDriver::OnTimer);
  const bool ok = dialog.Execute(nullptr);
  KillTimer(nullptr, timer);
  TDialogDriver::Current = nullptr;

  ASSERT_FALSE(driver.Cancelled) << "the dialog did not take the names";
  ASSERT_TRUE(ok);
  const std::vector<std::wstring> expected = {dir.File(L"a.txt"), dir.File(L"b.txt"),
                                              dir.File(L"c.txt")};
  EXPECT_EQ(canCloseCalls, 2);
  EXPECT_EQ(driver.Confirms, 2);
  EXPECT_EQ(offered, expected);
  // While showing, FileName is what the dialog holds, not the names offered.
  EXPECT_EQ(showingName, dir.Path() + driver.Names);
  EXPECT_EQ(Lines(dialog.Files()), expected);
  EXPECT_EQ(dialog.FileName(), expected[0]);
  EXPECT_EQ(dialog.Handle(), nullptr);
}

}  // namespace
