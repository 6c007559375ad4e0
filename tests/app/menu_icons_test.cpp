// The main window's menu icons: the image of each main menu item, and the menu
// as it is drawn with the icons loaded and cleared.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "main_window_fixture.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "memory_bitmap.h"
#include "menu_capture.h"
#include "settings/settings_xml.h"
#include "test_support.h"
#include "unicode_controls/tnt_menus.h"
#include "window_picture.h"
#include "windows/playlist/playlist_form.h"

namespace {

using testing_support::MemoryBitmap;

class MenuIcons : public MainWindowTest {
 protected:
  void CaptureMenu(TPopupMenu* Menu, std::vector<WPARAM> Keys, MemoryBitmap& Shot, const std::wstring& Name) {
    ::CaptureMenu(Menu, kAt, std::move(Keys), Shot, files.File(Name), Name);
  }

  // The open main menu with its Play submenu; the pixels that are not grey in
  // the gutter of its first item.
  int ShowMainMenu(const std::wstring& Name) {
    MemoryBitmap bitmap(400, 300);
    // Down to "Play" and into its submenu.
    CaptureMenu(form->MainMenu, {VK_DOWN, VK_DOWN, VK_RIGHT}, bitmap, Name);
    int coloured = 0;
    for (int y = 2; y < 20; ++y)
      for (int x = 2; x < 24; ++x) {
        const COLORREF c = bitmap.Pixel(x, y);
        coloured += GetRValue(c) != GetGValue(c) || GetGValue(c) != GetBValue(c);
      }
    return coloured;
  }

  static constexpr POINT kAt{20, 20};
  testing_support::TempDir files;
};

TEST_F(MenuIcons, TheItemsShowTheIconsWhileLoaded) {
  const std::pair<const wchar_t*, int32_t> images[] = {
      {L"PreferencesMI", 0},  {L"ToggleTextEditorMI", 1}, {L"TogglePlaylistMI", 2},
      {L"ToggleEqualizerMI", 3}, {L"ToggleSpecialEffectsMI", 4}, {L"CDExtractorMI", 5},
      {L"PlayMI", 6},         {L"AboutTavrinMI", 7},      {L"ExitMI", 8},
      {L"SkinsMI", 9},        {L"PlayDirectoryMI", 10},   {L"PlayFileMI", 11},
      {L"PlayCDMI", 12},      {L"PlayURLMI", 15}};
  for (const auto& [name, index] : images) {
    auto* item = dynamic_cast<TMenuItem*>(form->FindComponent(name));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ImageIndex(), index) << testing::PrintToString(std::wstring(name));
  }
  EXPECT_EQ(form->MainMenu->Images(), form->MMenuIcons);
  EXPECT_EQ(form->RepeatMenu->Images(), form->MMenuIcons);

  form->LoadMenuIcons();
  form->LoadMenuIcons();  // again: the same sixteen
  EXPECT_EQ(form->MMenuIcons->Count(), 16);
  EXPECT_GT(ShowMainMenu(L"main_menu_icons.png"), 20) << "no icon beside \"About\"";

  form->ClearMenuIcons();
  EXPECT_EQ(form->MMenuIcons->Count(), 0);
  EXPECT_EQ(ShowMainMenu(L"main_menu_no_icons.png"), 0);
}

// The playlist's "Delete" menu as drawn: its shortcut stands apart from its
// longest caption ("Delete Selected" and "Del" once ran together).
TEST_F(MenuIcons, ThePlaylistMenusKeepShortcutsApartFromCaptions) {
  Playlist = new TPlaylist(nullptr, form, nullptr);
  MemoryBitmap bitmap(300, 60);
  CaptureMenu(Playlist->DelMenu, {}, bitmap, L"playlist_delete_menu.png");
  // The first row's ink, column by column; the widest blank run between ink.
  std::vector<bool> ink(static_cast<size_t>(bitmap.Width()));
  for (int x = 0; x < bitmap.Width(); ++x)
    for (int y = 3; y < 16; ++y) {
      const COLORREF c = bitmap.Pixel(x, y);
      if (GetRValue(c) < 110 && GetGValue(c) < 110 && GetBValue(c) < 110) ink[x] = true;
    }
  // Runs of ink: the menu's left and right frame are the first and the last.
  std::vector<std::pair<int, int>> runs;
  for (int x = 0; x < bitmap.Width(); ++x) {
    if (!ink[x]) continue;
    if (!runs.empty() && runs.back().second == x - 1)
      runs.back().second = x;
    else
      runs.push_back({x, x});
  }
  int widestGap = 0;
  for (size_t i = 2; i + 1 < runs.size(); ++i)
    widestGap = std::max(widestGap, runs[i].first - runs[i - 1].second - 1);
  EXPECT_GE(widestGap, 16);
  delete Playlist;
  Playlist = nullptr;
}

}  // namespace
