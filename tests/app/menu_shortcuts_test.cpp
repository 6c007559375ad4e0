// Every menu item whose command has a shortcut shows it after its own
// caption, in English and in the tests' Russian: read from the items (the
// texts the menus draw) and seen in the drawn menus, where each such row has
// ink at the end of the shortcut column and no other row does. Pictures
// "menu_<language>_<menu>.png" (TAVRIN_PICTURE_DIR).
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "foundation/tnt_ini_files.h"
#include "foundation/tnt_system.h"
#include "framework/menus.h"
#include "language_components.h"
#include "main_window_fixture.h"
#include "memory_bitmap.h"
#include "menu_capture.h"
#include "unicode_controls/tnt_menus.h"
#include "windows/playlist/playlist_form.h"

namespace {

using testing_support::MemoryBitmap;

// Every item that has a shortcut; the other items have none.
const std::map<std::wstring, std::wstring> kShortcuts = {
    {L"AboutTavrinMI", L"F1"},         {L"PlayFileMI", L"L"},          {L"TogglePlaylistMI", L"Alt+E"},
    {L"ToggleEqualizerMI", L"Alt+G"},  {L"ToggleSpecialEffectsMI", L"Alt+S"},
    {L"ToggleTextEditorMI", L"Alt+T"}, {L"CDExtractorMI", L"Alt+C"},   {L"PreferencesMI", L"Ctrl+P"},
    {L"ExitMI", L"Alt+F4"},
    // The playlist window's menus.
    {L"DelFilesMI", L"Del"},           {L"ClearPLMI", L"D"},           {L"EraseFilesMI", L"Shift+Del"},
    {L"SelAllMI", L"Ctrl+A"},          {L"InvertSelMI", L"Ctrl+I"},    {L"ShowTextButMI", L"Alt+T"},
    {L"SortByTitleMI", L"Ctrl+S"},     {L"RandomizeListMI", L"Ctrl+R"}, {L"PlayItemMI", L"Enter"},
    {L"DeleteItemsMI", L"Del"},        {L"ShowTextMI", L"Alt+T"}};

// A menu as the user opens it: the keys lead into the submenu of the item
// Opened (nullptr: the menu itself).
struct View {
  const wchar_t* Name;
  TPopupMenu* (*Menu)(TTavrinMainForm* Form);
  std::vector<WPARAM> Keys;
  const wchar_t* Opened;
};
TPopupMenu* MainMenu(TTavrinMainForm* Form) { return Form->MainMenu; }
TPopupMenu* DelMenu(TTavrinMainForm*) { return Playlist->DelMenu; }
TPopupMenu* MiscMenu(TTavrinMainForm*) { return Playlist->MiscOptMenu; }
const View kViews[] = {
    {L"main", MainMenu, {}, nullptr},
    {L"main_play", MainMenu, {VK_DOWN, VK_DOWN, VK_RIGHT}, L"PlayMI"},
    {L"playlist_delete", DelMenu, {}, nullptr},
    {L"playlist_delete_misc", DelMenu, {VK_UP, VK_RIGHT}, L"MiscDelMI"},
    {L"playlist_select", [](TTavrinMainForm*) -> TPopupMenu* { return Playlist->SelAllMenu; }, {}, nullptr},
    {L"playlist_misc", MiscMenu, {}, nullptr},
    {L"playlist_misc_sort", MiscMenu, {VK_UP, VK_UP, VK_RIGHT}, L"SortMI"},
    {L"playlist_misc_other", MiscMenu, {VK_UP, VK_RIGHT}, L"OtherMI"},
    {L"playlist_list", [](TTavrinMainForm*) -> TPopupMenu* { return Playlist->PLMenu; }, {}, nullptr},
};

// The item of that name in Parent's tree, or nullptr.
TMenuItem* FindItem(TMenuItem* Parent, const std::wstring& Name) {
  for (int32_t i = 0; i < Parent->Count(); ++i) {
    if (Parent->Items(i)->Name() == Name) return Parent->Items(i);
    if (TMenuItem* found = FindItem(Parent->Items(i), Name)) return found;
  }
  return nullptr;
}

std::string Name(TMenuItem* Item) { return WideStringToUTF8(Item->Name()); }

class MenuShortcuts : public MainWindowTest, public testing::WithParamInterface<const wchar_t*> {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    Playlist = new TPlaylist(nullptr, form, nullptr);
    // English is the windows' own: the captions are the ones the items were
    // made with.
    if (std::wstring(GetParam()) == L"Russian") form->LoadLanguageFile(language_test::RussianLanguageFile());
  }
  void TearDown() override {
    delete Playlist;
    Playlist = nullptr;
    MainWindowTest::TearDown();
  }

  // Whether the row shows ink at the end of its shortcut column: pixels
  // unlike the row's background near its right end.
  static bool InkAtEnd(const MemoryBitmap& Shot, const RECT& Row) {
    const COLORREF background = Shot.Pixel(Row.right - 2, (Row.top + Row.bottom) / 2);
    for (int y = Row.top + 2; y < Row.bottom - 2; ++y)
      for (int x = Row.right - 22; x < Row.right - 6; ++x) {
        const COLORREF c = Shot.Pixel(x, y);
        if (abs(GetRValue(c) - GetRValue(background)) + abs(GetGValue(c) - GetGValue(background)) +
                abs(GetBValue(c) - GetBValue(background)) > 150)
          return true;
      }
    return false;
  }

  static constexpr POINT kAt{20, 20};
  testing_support::TempDir files;
};

// Each item shows its own caption (the language file's) and its command's
// shortcut after it, and only those items show one.
TEST_P(MenuShortcuts, EveryItemWithAShortcutShowsIt) {
  const TTntIniFile language(std::wstring(GetParam()) == L"English" ? language_test::EnglishLanguageFile()
                                                                    : language_test::RussianLanguageFile());
  std::set<std::wstring> met;
  auto walk = [&](auto& self, TMenuItem* Parent, const wchar_t* Section) -> void {
    for (int32_t i = 0; i < Parent->Count(); ++i) {
      TMenuItem* item = Parent->Items(i);
      const auto expected = kShortcuts.find(item->Name());
      const std::wstring shown = item->HasSubMenu() ? std::wstring() : WideShortCutToText(item->ShortCut());
      EXPECT_EQ(WideStringToUTF8(shown), expected == kShortcuts.end() ? "" : WideStringToUTF8(expected->second))
          << Name(item);
      if (expected != kShortcuts.end()) met.insert(item->Name());
      // Items made at run time (skins, drives) have no text of their own there.
      const std::wstring caption = language.ReadString(Section, item->Name(), L"\x1");
      if (!item->Name().empty() && caption != L"\x1") {
        EXPECT_EQ(WideStringToUTF8(static_cast<TTntMenuItem*>(item)->Caption()), WideStringToUTF8(caption));
      }
      self(self, item, Section);
    }
  };
  for (TPopupMenu* menu : {static_cast<TPopupMenu*>(form->MainMenu), static_cast<TPopupMenu*>(form->RepeatMenu)})
    walk(walk, menu->Items(), L"MainForm");
  for (TPopupMenu* menu : {Playlist->AddMenu, Playlist->DelMenu, Playlist->SelAllMenu, Playlist->MiscOptMenu,
                           Playlist->ListMenu, Playlist->PLMenu})
    walk(walk, menu->Items(), L"Playlist");
  EXPECT_EQ(met.size(), kShortcuts.size()) << "an item of the table is in no menu";

  // As drawn: ink at the end of the shortcut column in exactly those rows.
  for (const View& view : kViews) {
    SCOPED_TRACE(WideStringToUTF8(view.Name));
    MemoryBitmap shot(600, 400);
    std::vector<RECT> rows;
    const std::wstring picture = std::wstring(L"menu_") + GetParam() + L"_" + view.Name + L".png";
    TPopupMenu* menu = view.Menu(form);
    CaptureMenu(menu, kAt, view.Keys, shot, files.File(picture), picture, &rows);
    TMenuItem* shown = view.Opened ? FindItem(menu->Items(), view.Opened) : menu->Items();
    ASSERT_NE(shown, nullptr);
    std::vector<TMenuItem*> items;
    for (int32_t i = 0; i < shown->Count(); ++i)
      if (shown->Items(i)->Visible()) items.push_back(shown->Items(i));
    ASSERT_EQ(rows.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i]->IsLine() || items[i]->HasSubMenu()) continue;
      EXPECT_EQ(InkAtEnd(shot, rows[i]), kShortcuts.count(items[i]->Name()) == 1) << Name(items[i]);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, MenuShortcuts, testing::Values(L"English", L"Russian"),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                           return WideStringToUTF8(info.param);
                         });

}  // namespace
