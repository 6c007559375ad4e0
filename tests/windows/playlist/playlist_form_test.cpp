// The playlist window: one add at a time with the others queued, replacing
// the list for one open only, playlists that fail part-way, saving where
// nothing can be written, physically removing files, and its picture on the
// built-in skin (set TAVRIN_PICTURE_DIR to keep it).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "foundation/tnt_sysutils.h"
#include "framework/messages.h"
#include "framework/shortcuts.h"
#include "framework/utility_window.h"
#include "playlist/comp_list.h"
#include "playlist_form_support.h"
#include "skin/form_title.h"
#include "skin/image_but.h"
#include "test_support.h"
#include "unicode_controls/tnt_edits.h"
#include "window_picture.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_skin.h"

namespace {

using namespace playlist_window_test;
using testing_support::TempDir;

std::string Wav1s() { return Wav(1); }

// Files a.wav, b.wav... in dir; their full names.
std::vector<std::wstring> WavFiles(const TempDir& dir, const std::wstring& letters) {
  std::vector<std::wstring> names;
  for (wchar_t c : letters) names.push_back(dir.WriteFile(std::wstring(1, c) + L".wav", Wav1s()));
  return names;
}

// Runs Action from the message loop, at the first time the code under test
// lets pending messages through.
class PostedAction {
 public:
  explicit PostedAction(std::function<void()> Action) : FAction(std::move(Action)) {
    FWindow = AllocateHWnd([this](TMessage& m) {
      if (m.Msg == WM_APP && FAction) {
        auto action = std::move(FAction);
        FAction = nullptr;
        action();
      }
    });
    PostMessageW(FWindow, WM_APP, 0, 0);
  }
  ~PostedAction() { DeallocateHWnd(FWindow); }
  bool Ran() const { return !FAction; }

 private:
  HWND FWindow;
  std::function<void()> FAction;
};

TEST_F(PlaylistFormTest, AddsArrivingDuringAnAddWaitForItInOrder) {
  TempDir dir;
  const auto files = WavFiles(dir, L"abcdef");
  size_t queuedWhileRunning = 0;
  PostedAction arrivals([&] {
    form->AddFilesExecute({files[3]}, true);
    form->DropFiles({files[4]});
    form->AddFileListAndPlayIt({files[5]});
    queuedWhileRunning = form->PendingAdds();
    EXPECT_TRUE(form->Adding());
  });
  form->AddFilesExecute({files[0], files[1], files[2]}, true);
  EXPECT_TRUE(arrivals.Ran());
  EXPECT_EQ(queuedWhileRunning, 3u);
  EXPECT_FALSE(form->Adding());
  // The hand-over came last and replaced what the others had added.
  EXPECT_EQ(FileNames(), std::vector<std::wstring>{files[5]});
  EXPECT_EQ(host.PlayedIndexes, std::vector<int32_t>{0});
}

TEST_F(PlaylistFormTest, ReplacingTheListAppliesToTheNextAddOnly) {
  TempDir dir;
  const auto files = WavFiles(dir, L"abc");
  form->AddFilesExecute({files[0]}, true);
  ReplaceList = true;
  form->AddFilesExecute({files[1]}, true);
  EXPECT_FALSE(ReplaceList);
  form->DropFiles({files[2]});
  form->AddFilesExecute({files[0]}, true);
  EXPECT_EQ(FileNames(), (std::vector<std::wstring>{files[1], files[2], files[0]}));
  EXPECT_EQ(host.PlayedIndexes, std::vector<int32_t>{0});
}

TEST_F(PlaylistFormTest, AReplacingFolderAddKeepsTheFilesOfEveryFolder) {
  TempDir dir;
  CreateDirectoryW(dir.File(L"one").c_str(), nullptr);
  CreateDirectoryW(dir.File(L"one\\two").c_str(), nullptr);
  dir.WriteFile(L"x.wav", Wav1s());
  dir.WriteFile(L"one\\y.wav", Wav1s());
  dir.WriteFile(L"one\\two\\z.wav", Wav1s());
  ReplaceList = true;
  form->RecurseDir(dir.Path());
  EXPECT_EQ(FileNames().size(), 3u);
}

// Enough entries to need scrolling, so the box's scroll range shows that the
// list's change event came.
TEST_F(PlaylistFormTest, AnEmptyNameIsSkippedAndTheAddStillEndsWithPlayAndTheChange) {
  TempDir dir;
  form->SetBounds(0, 0, 325, 238);
  std::vector<std::wstring> names = WavFiles(dir, L"abcdefghijklmnopqrstuvwxyz");
  names.insert(names.begin() + 1, std::wstring());
  ReplaceList = true;
  form->AddFilesExecute(names, true);
  EXPECT_EQ(form->List()->Count(), 26);
  EXPECT_EQ(host.PlayedIndexes, std::vector<int32_t>{0});
  EXPECT_GT(form->FileList->MaxTop(), 0);
}

TEST_F(PlaylistFormTest, APlaylistThatFailsPartWayLeavesTheListAsItWas) {
  TempDir dir;
  const auto files = WavFiles(dir, L"ab");
  form->AddFilesExecute(files, true);
  const std::wstring broken = dir.WriteFile(
      L"broken.m3u", "#EXTM3U\r\n#EXTINF:10,First\r\nZ:\\first.mp3\r\n#EXTINF:ten,Second\r\nZ:\\second.mp3\r\n");
  EXPECT_FALSE(form->LoadPlaylist(broken));
  EXPECT_EQ(FileNames(), files);
  // Found among added files, it is rolled back in the same way.
  form->AddFilesExecute({broken, files[0]}, true);
  EXPECT_EQ(FileNames(), (std::vector<std::wstring>{files[0], files[1], files[0]}));
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].Text, L"PlaylistIsInvalid: broken.m3u");
  EXPECT_EQ(boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

// Content that gives no entry never replaces the list; a list file that
// cannot be read (also one refused for having no information lines) says so.
TEST_F(PlaylistFormTest, ReplacingWithNothingReadableLeavesTheListAsItWas) {
  TempDir dir;
  const auto files = WavFiles(dir, L"abc");
  const std::string paths = U8(files[0]) + "\r\n" + U8(files[1]) + "\r\n";
  const std::wstring plain = dir.WriteFile(L"plain.m3u", paths);
  const std::wstring marked = dir.WriteFile(L"marked.m3u", "\xEF\xBB\xBF" + paths);
  const std::wstring bare = dir.WriteFile(L"bare.m3u", "#EXTM3U\r\n" + paths);
  const std::wstring cut = dir.WriteFile(
      L"cut.m3u", "#EXTM3U\r\n#EXTINF:1,a\r\n" + U8(files[0]) + "\r\n" + std::string(8, '\0') + "#EXTINF:1,b\r\n");
  const std::wstring missing = dir.File(L"missing.wav");
  const struct {
    std::vector<std::wstring> handedOver;  // empty: "Load list..." of loaded
    std::wstring loaded;
    std::wstring box;
  } cases[] = {
      {{missing}, L"", L""},
      {{dir.File(L"no such folder")}, L"", L""},
      {{plain}, L"", L"plain.m3u"},
      {{marked}, L"", L"marked.m3u"},
      {{bare}, L"", L"bare.m3u"},
      {{cut, missing}, L"", L"cut.m3u"},
      {{}, plain, L"plain.m3u"},
      {{}, bare, L"bare.m3u"},
      {{}, cut, L"cut.m3u"},
  };
  for (const auto& c : cases) {
    const std::string what = U8(c.handedOver.empty() ? c.loaded : c.handedOver[0]);
    form->List()->Clear();
    form->AddFilesExecute({files[0], files[1]}, true);
    boxes.clear();
    host.PlayedIndexes.clear();
    if (c.handedOver.empty())
      form->LoadListFile(c.loaded);
    else
      form->AddFileListAndPlayIt(c.handedOver);
    EXPECT_EQ(FileNames(), (std::vector<std::wstring>{files[0], files[1]})) << what;
    EXPECT_TRUE(host.PlayedIndexes.empty()) << what;
    ASSERT_EQ(boxes.size(), c.box.empty() ? 0u : 1u) << what;
    if (!c.box.empty()) {
      EXPECT_EQ(boxes[0].Text, L"PlaylistIsInvalid: " + c.box);
    }
  }
  // One name that gives an entry is enough to replace the list.
  form->AddFileListAndPlayIt({missing, plain, files[2]});
  EXPECT_EQ(FileNames(), std::vector<std::wstring>{files[2]});
  EXPECT_EQ(host.PlayedIndexes, std::vector<int32_t>{0});
}

TEST_F(PlaylistFormTest, ListsSaveAndLoadThroughExtendedM3U) {
  TempDir dir;
  for (int i = 0; i < 3; ++i) {
    TElem e;
    e.Title = L"Title " + std::to_wstring(i);
    e.FileName = dir.File(L"song" + std::to_wstring(i) + L".mp3");
    e.Duration = i == 1 ? -1 : 100 + i;
    form->List()->Add(e);
  }
  const std::vector<TElem> saved = Entries();
  const std::wstring file = dir.File(L"list.m3u");
  ASSERT_TRUE(form->SavePlaylist(file));
  form->LoadListFile(file);
  const std::vector<TElem> loaded = Entries();
  ASSERT_EQ(loaded.size(), saved.size());
  for (size_t i = 0; i < saved.size(); ++i) {
    EXPECT_EQ(loaded[i].Title, saved[i].Title);
    EXPECT_EQ(loaded[i].FileName, saved[i].FileName);
    EXPECT_EQ(loaded[i].Duration, saved[i].Duration);
  }
  EXPECT_TRUE(boxes.empty());

  // A folder that does not exist, and a folder where the file should be.
  EXPECT_FALSE(form->SavePlaylist(dir.File(L"missing\\list.m3u")));
  EXPECT_FALSE(form->SavePlaylist(dir.Path()));
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].Text, L"CantSavePlaylist: " + dir.File(L"missing\\list.m3u"));
  EXPECT_EQ(form->List()->Count(), 3);
}

TEST_F(PlaylistFormTest, PhysicallyRemovingAsksFirstAndNotFromTheFindBox) {
  TempDir dir;
  const auto files = WavFiles(dir, L"abc");
  form->AddFilesExecute(files, true);
  form->List()->SetSelected(1, true);

  answer = IDCANCEL;
  form->EraseFilesExecute();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, L"ConfirmEraseFiles: 1");
  EXPECT_EQ(boxes[0].Flags, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
  EXPECT_TRUE(WideFileExists(files[1]));
  EXPECT_EQ(form->List()->Count(), 3);

  // In the find box Shift+Del is its own "cut": no shortcut takes it.
  form->SetBounds(50, 50, 325, 238);
  form->Show();
  form->FindBox->SetFocus();
  testing_support::PumpPendingMessages();
  ASSERT_TRUE(form->FindBox->Focused());
  EXPECT_FALSE(host.Shortcuts);
  TMessage key{WM_KEYDOWN, VK_DELETE, 0, 0};
  {
    testing_support::ScopedKeys shift({VK_SHIFT});
    EXPECT_FALSE(form->IsShortCut(key));
  }
  answer = IDOK;
  form->EraseFilesExecute();
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(WideFileExists(files[1]));

  form->FileList->SetFocus();
  testing_support::PumpPendingMessages();
  EXPECT_TRUE(host.Shortcuts);
  form->EraseFilesExecute();
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_FALSE(WideFileExists(files[1]));
  EXPECT_EQ(FileNames(), (std::vector<std::wstring>{files[0], files[2]}));
}

TEST_F(PlaylistFormTest, PhysicallyRemovingThePlayingSongPlaysTheNextOneLeft) {
  TempDir dir;
  const auto files = WavFiles(dir, L"abcd");
  form->AddFilesExecute(files, true);
  host.PlayedIndexes.clear();
  host.Mode = 3;  // playing b
  form->FileList->SetItemIndex(1);
  for (int i : {0, 1, 2}) form->List()->SetSelected(i, true);
  // a is held open, so it cannot be deleted and stays in the list.
  HANDLE held = CreateFileW(files[0].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  answer = IDOK;
  form->EraseFilesExecute();
  CloseHandle(held);
  EXPECT_EQ(FileNames(), (std::vector<std::wstring>{files[0], files[3]}));
  EXPECT_EQ(host.Stops, 1);
  EXPECT_EQ(host.PlaysOfCurrent, 1);
  EXPECT_EQ(host.PlayedIndexes, std::vector<int32_t>{1});  // d, not the undeletable a
}

TEST_F(PlaylistFormTest, PictureOnTheBuiltInSkin) {
  ApplyBuiltInPlaylistSkin(form.get());
  const wchar_t* titles[] = {
      L"Wolfgang Amadeus Mozart - Eine kleine Nachtmusik, K. 525: I. Allegro",
      L"Johann Sebastian Bach - Brandenburg Concerto No. 3 in G major, BWV 1048",
      L"Ludwig van Beethoven - Symphony No. 9 in D minor, Op. 125: IV. Presto",
      L"Antonio Vivaldi - The Four Seasons: Spring",
      L"Frédéric Chopin - Nocturne in E-flat major, Op. 9 No. 2",
      L"Internet radio stream",
      L"Erik Satie - Gymnopédie No. 1",
  };
  int n = 0;
  for (const wchar_t* title : titles) {
    TElem e;
    e.Title = title;
    e.FileName = L"C:\\Music\\" + std::wstring(title) + L".mp3";
    e.Duration = n == 5 ? -1 : 185 + 47 * n;
    form->List()->Add(e);
    ++n;
  }
  form->List()->Changed();
  form->FileList->SetItemIndex(1);
  form->List()->SetSelected(3, true);
  form->SetBounds(40, 40, 420, 200);
  form->Show();
  testing_support::PumpPendingMessages();
  // The find box sits in the bottom bar, grown with the window by the width
  // it gained over the skin's smallest window.
  EXPECT_EQ(form->FindBox->Parent(), static_cast<TWinControl*>(form->Bottom));
  EXPECT_EQ(form->FindBox->Width(), FindBoxLayout.Width + form->ClientWidth() - 291);
  EXPECT_EQ(form->FindBox->Text(), L" Find");
  // The right-aligned button follows the bar's new width, beside the box.
  EXPECT_EQ(form->LoadBut->Left(), form->Bottom->ClientWidth() - 14 - form->LoadBut->Width());
  EXPECT_LE(form->FindBox->Left() + form->FindBox->Width(), form->LoadBut->Left());

  TempDir dir;
  const std::wstring file = dir.File(L"playlist_window.png");
  ASSERT_TRUE(testing_support::SaveWindowPicture(form->Handle(), file));
  wchar_t keep[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"TAVRIN_PICTURE_DIR", keep, MAX_PATH) > 0)
    CopyFileW(file.c_str(), (std::wstring(keep) + L"\\playlist_window.png").c_str(), FALSE);
}

}  // namespace
