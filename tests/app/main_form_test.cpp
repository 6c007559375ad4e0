// The main window as built and skinned with the built-in skin, and the
// hand-over record between two starts of the program.
#include "app/main_form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/instance_handover.h"
#include "app/skin_loading.h"
#include "default_skin.h"
#include "foundation/tnt_ini_files.h"
#include "framework/images.h"
#include "globals/program_globals.h"
#include "language_components.h"
#include "main_window_fixture.h"
#include "settings/settings_xml.h"
#include "skin/form_title.h"
#include "skin/image_but.h"
#include "skin/slider.h"
#include "test_support.h"
#include "unicode_controls/tnt_labels.h"
#include "windows/playlist/playlist_form.h"
#include "window_picture.h"

namespace {

using testing_support::TempDir;

// Showing the window applies the settings: they live in a folder of the test's.
using MainWindow = MainWindowTest;

TEST_F(MainWindow, ItsTextsAreThoseOfTheLanguageFile) {
  using namespace language_test;
  const auto sections = ReadComponentList(ComponentListFile());
  const TListedSection* section = FindSection(sections, L"MainForm");
  ASSERT_NE(section, nullptr);
  TTntIniFile english(EnglishLanguageFile());
  EXPECT_EQ(CompareFormWithSection(form, *section, english), "");
}

// Each control where the built-in description puts it, as large as one frame
// of its picture in the built-in sheet.
TEST_F(MainWindow, TheBuiltInSkinPlacesAndSizesEveryControl) {
  LoadNewSkin(DefaultSkinName, form);
  EXPECT_EQ(CurrentSkin, DefaultSkinName);
  const testing_support::DefaultSkin skin;
  const SIZE client = skin.MainSize();
  EXPECT_EQ(form->ClientWidth(), client.cx);
  EXPECT_EQ(form->ClientHeight(), client.cy);
  const LONG titleHeight = testing_support::SizeOf(skin.Cell(L"MAIN", L"TitleActive")).cy;
  struct Place {
    TControl* Control;
    RECT Bounds;  // left, top, right, bottom
  };
  const Place places[] = {
      {form->Title, {0, 0, client.cx, titleHeight}},
      {form->BG, {0, titleHeight, client.cx, client.cy}},
      {form->MainMenuBut, skin.Main(L"MenuBut")},
      {form->MinimizeBut, skin.Main(L"MinimizeBut")},
      {form->CloseBut, skin.Main(L"CloseBut")},
      {form->EQBut, skin.Main(L"EQToggle")},
      {form->PLBut, skin.Main(L"PLToggle")},
      {form->ShuffleToggle, skin.Main(L"ShuffleToggle")},
      {form->RepeatToggle, skin.Main(L"RepeatToggle")},
      {form->Rev, skin.Main(L"RewindBut")},
      {form->PlayBut, skin.Main(L"PlayBut")},
      {form->Pause, skin.Main(L"PauseBut")},
      {form->StopBut, skin.Main(L"StopBut")},
      {form->Fwd, skin.Main(L"ForwardBut")},
      {form->Open, skin.Main(L"OpenBut")},
      {form->AboutBut, skin.Main(L"AboutBut")},
      {form->SongInfoLabel, skin.Main(L"SongLabel")},
      {form->TimeLabel, skin.Main(L"TimeLabel")},
      {form->StateControl, skin.Main(L"PlayState")},
      {form->BitRateLabel, skin.Main(L"RateLabel")},
      {form->PaintBox, skin.Main(L"VisWindow")},
      {form->VolumeBar, skin.Main(L"VolumeBar")},
      {form->SeekingBar, skin.Main(L"SeekingBar")}};
  for (const Place& place : places) {
    TControl* c = place.Control;
    const RECT actual{c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()};
    EXPECT_TRUE(EqualRect(&actual, &place.Bounds))
        << std::string(c->Name().begin(), c->Name().end()) << ": " << actual.left << ","
        << actual.top << "," << actual.right << "," << actual.bottom;
  }
  EXPECT_EQ(form->VolumeBar->Orientation(),
            skin.Number(L"MWFlags", L"VerticalVolumeBar") ? soVertical : soHorizontal);
  EXPECT_EQ(form->TimeLabel->Alignment(), skin.Number(L"MWSizes", L"TimeLabelAlign"));
  // The built-in skin has no outline.
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(form->Handle(), region), ERROR);
  DeleteObject(region);

  form->SetBounds(700, 60, form->Width(), form->Height());
  form->Show();
  testing_support::PumpPendingMessages();
  TempDir dir;
  ASSERT_TRUE(testing_support::SaveWindowPicture(form->Handle(), dir.File(L"main.png")));
  testing_support::KeepPicture(dir.File(L"main.png"), L"main_window.png");
}

TEST_F(MainWindow, ASkinFolderLackingAFileIsRefused) {
  TempDir app;
  const std::wstring savedDir = AppDir;
  AppDir = app.Path();
  CreateDirectoryW(app.File(L"Skins").c_str(), nullptr);
  EXPECT_TRUE(SkinCheckExecute(DefaultSkinName));
  EXPECT_FALSE(SkinCheckExecute(L"Missing"));
  EXPECT_FALSE(SkinCheckExecute(L"..\\Skins"));
  AppDir = savedDir;
}

// ------------------------------------------------------------ hand-over

std::vector<std::wstring> Split(ULONG_PTR Kind, const void* Data, DWORD Bytes) {
  COPYDATASTRUCT record{Kind, Bytes, const_cast<void*>(Data)};
  return SplitCopyDataFileList(&record);
}

TEST(HandOver, RecordsAreReadWithinTheirSize) {
  using Items = std::vector<std::wstring>;
  const std::wstring text = L"C:\\a.mp3|D:\\music|";
  const auto bytes = [](const std::wstring& s, size_t extra) {
    return static_cast<DWORD>((s.size() + extra) * sizeof(wchar_t));
  };
  struct Case {
    const char* What;
    ULONG_PTR Kind;
    std::wstring Text;
    DWORD Bytes;
    Items Expected;
  };
  const Case cases[] = {
      {"whole", 1, text, bytes(text, 1), {L"C:\\a.mp3", L"D:\\music"}},
      {"only the low byte of the kind counts", 0x301, text, bytes(text, 1),
       {L"C:\\a.mp3", L"D:\\music"}},
      {"no terminating zero counted", 1, text, bytes(text, 0), {L"C:\\a.mp3", L"D:\\music"}},
      {"cut inside an item", 1, text, bytes(L"C:\\a.mp3|D:\\mu", 0), {L"C:\\a.mp3", L"D:\\mu"}},
      {"no final bar", 1, L"C:\\a.mp3", bytes(L"C:\\a.mp3", 1), {L"C:\\a.mp3"}},
      {"odd size", 1, text, bytes(text, 0) - 1, {L"C:\\a.mp3", L"D:\\music"}},
      {"empty items", 1, L"||a||", bytes(L"||a||", 1), {L"a"}},
      {"no parameters", 1, L"", 2, {}},
      {"size zero", 1, text, 0, {}},
      {"another kind", 2, text, bytes(text, 1), {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Split(c.Kind, c.Text.c_str(), c.Bytes), c.Expected) << c.What;
  EXPECT_TRUE(Split(1, nullptr, 100).empty());
  EXPECT_TRUE(SplitCopyDataFileList(nullptr).empty());
}

TEST(HandOver, NamesAreSentAbsolute) {
  TempDir dir;
  SetCurrentDirectoryW(dir.Path().c_str());
  EXPECT_EQ(BuildCopyDataText({L"song.mp3", L"http://host/radio?a=1", L"C:\\x.wav"}),
            dir.Path() + L"song.mp3|http://host/radio?a=1|C:\\x.wav|");
  EXPECT_EQ(BuildCopyDataText({}), L"");
  SetCurrentDirectoryW(L"C:\\");
}

TEST(HandOver, TheRunningWindowIsNeverOurOwn) {
  // A main window of this process, marked as the running player's, is not
  // another instance's.
  auto* own = new TTavrinMainForm(nullptr);
  own->HandleNeeded();
  MarkRunningPlayer(own->Handle());
  EXPECT_EQ(FindRunningMainWindow(L"TTavrinMainForm", 0), nullptr);
  delete own;
}

}  // namespace

namespace {

// The playlist button's light follows the window whichever way it was
// toggled: a click on the button itself leaves it lit once the window shows.
TEST_F(MainWindow, ThePlaylistButtonShowsWhetherThePlaylistIsShown) {
  Playlist = new TPlaylist(nullptr, form, nullptr);
  form->PLBut->SetBounds(0, 0, 20, 20);  // no skin here
  auto click = [&] {
    SendMessageW(form->PLBut->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(form->PLBut->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  };
  for (bool shown : {true, false, true}) {
    click();
    EXPECT_EQ(Playlist->Visible(), shown);
    EXPECT_EQ(form->PLBut->Checked(), shown);
  }
  form->TogglePlaylist();
  EXPECT_FALSE(form->PLBut->Checked());
  delete Playlist;
  Playlist = nullptr;
}

}  // namespace
