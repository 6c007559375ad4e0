#include "unicode_controls/tnt_menus.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/format.h"
#include "framework/menus.h"
#include "memory_bitmap.h"
#include "test_support.h"
#include "unicode_controls/tnt_forms.h"
#include "window_picture.h"

namespace {

// Captions of these tests have no form in the system code page.
const std::wstring kOpen = L"\u041E\u0442\u043A\u0440\u044B\u0442\u044C \u2605";  // "Открыть ★"

bool HasAnsiForm(const std::wstring& Text) { return AnsiToWide(WideToAnsi(Text)) == Text; }

std::wstring SystemText(HMENU Menu, UINT Command) {
  wchar_t buffer[256] = {};
  int length = GetMenuStringW(Menu, Command, buffer, 256, MF_BYCOMMAND);
  return std::wstring(buffer, static_cast<size_t>(length > 0 ? length : 0));
}

TTntMenuItem* AddItem(TMenu* Menu, TMenuItem* Parent, const std::wstring& Caption,
                      TShortCut ShortCut = 0) {
  auto* item = static_cast<TTntMenuItem*>(Menu->CreateMenuItem(Menu));
  item->SetCaption(Caption);
  item->SetShortCut(ShortCut);
  (Parent ? Parent : Menu->Items())->Add(item);
  return item;
}

TEST(TntMenus, ShortCutAndHotKeyTexts) {
  struct {
    TShortCut ShortCut;
    std::wstring Text;
  } shortCuts[] = {
      {scCtrl | scShift | 'A', L"Shift+Ctrl+A"},
      {scCtrl | VK_F5, L"Ctrl+F5"},
      {scAlt | VK_RETURN, L"Alt+Enter"},
      {scCtrl | '7', L"Ctrl+7"},
      {scCtrl | VK_OEM_PLUS, L"Ctrl+="},
      {scAlt | VK_NUMPAD3, L"Alt+3"},
      {scCtrl, L""},
  };
  for (const auto& c : shortCuts) EXPECT_EQ(WideShortCutToText(c.ShortCut), c.Text) << c.Text;

  struct {
    std::wstring Caption;
    int Pos;
    std::wstring Stripped;
  } captions[] = {
      {L"Save &as", 7, L"Save as"}, {L"&&a&b", 5, L"&ab"}, {L"a&&b", 0, L"a&b"},
      {L"&x &y", 5, L"x y"},        {L"end&", 0, L"end"},  {L"", 0, L""},
  };
  for (const auto& c : captions) {
    EXPECT_EQ(WideGetHotkeyPos(c.Caption), c.Pos) << c.Caption;
    EXPECT_EQ(WideStripHotKey(c.Caption), c.Stripped) << c.Caption;
  }
  EXPECT_EQ(WideGetHotkey(L"Save &as"), L"a");
  EXPECT_TRUE(WideSameCaption(L"&Open", L"oPEN"));
  EXPECT_FALSE(WideSameCaption(L"&Open", L"Opens"));
}

// What the system menu shows for an item: the wide caption, a tab and the
// shortcut, except for an item with children and an item of a menu bar.
TEST(TntMenus, SystemMenuShowsWideCaptionAndShortCut) {
  ASSERT_FALSE(HasAnsiForm(kOpen));
  TTntPopupMenu popup(nullptr);
  TTntMainMenu bar(nullptr);
  TTntMenuItem* plain = AddItem(&popup, nullptr, kOpen, scCtrl | 'O');
  TTntMenuItem* parent = AddItem(&popup, nullptr, L"Sub \u2605", scCtrl | 'P');
  TTntMenuItem* child = AddItem(&popup, parent, L"\u0416", scAlt | VK_F4);
  TTntMenuItem* onBar = AddItem(&bar, nullptr, kOpen, scCtrl | 'B');
  popup.Handle();
  bar.Handle();
  struct {
    TMenu* Menu;
    TTntMenuItem* Item;
    std::wstring Text;
  } cases[] = {
      {&popup, plain, kOpen + L"\tCtrl+O"},
      {&popup, parent, L"Sub \u2605"},
      {&popup, child, L"\u0416\tAlt+F4"},
      {&bar, onBar, kOpen},
  };
  for (const auto& c : cases) EXPECT_EQ(SystemText(c.Menu->Handle(), c.Item->Command()), c.Text);

  // A rebuild by the framework (here: a new item) writes ANSI texts; the
  // wide ones come back.
  AddItem(&popup, nullptr, L"More");
  EXPECT_EQ(SystemText(popup.Handle(), plain->Command()), kOpen + L"\tCtrl+O");
}

// The framework may move the hot key in the ANSI caption (as automatic hot keys
// do); the wide caption follows without losing its characters, or, when it
// cannot, the ANSI caption wins (a caption getter never fails).
TEST(TntMenus, CaptionFollowsTheFrameworksHotKey) {
  const std::wstring moved = kOpen.substr(0, 1) + L"&" + kOpen.substr(1);
  const std::wstring clef = L"\U0001D11E";
  const std::string clefAnsi = WideToAnsi(clef);
  ASSERT_EQ(clefAnsi.size(), 2u) << "a surrogate pair reads as two ANSI characters";
  const std::string split = clefAnsi.substr(0, 1) + "&" + clefAnsi.substr(1) + " b";
  struct {
    std::wstring Wide;
    std::string FrameworkAnsi;
    std::wstring Caption;
  } cases[] = {
      {L"&" + kOpen, WideToAnsi(moved), moved},
      {clef + L" &b", "&" + clefAnsi + " b", L"&" + clef + L" b"},
      {clef + L" &b", split, AnsiToWide(split)},
      {L"&" + kOpen, "Close", L"Close"},
  };
  for (const auto& c : cases) {
    TTntPopupMenu popup(nullptr);
    TTntMenuItem* item = AddItem(&popup, nullptr, c.Wide);
    item->SetCaption(c.FrameworkAnsi);
    std::wstring caption;
    EXPECT_NO_THROW(caption = item->Caption());
    EXPECT_EQ(caption, c.Caption) << c.Wide;
    EXPECT_EQ(SystemText(popup.Handle(), item->Command()), c.Caption) << c.Wide;
  }
}

TEST(TntMenus, FailedSystemUpdateKeepsTheOldText) {
  TTntPopupMenu popup(nullptr);
  TTntMenuItem* item = AddItem(&popup, nullptr, L"Old");
  popup.Handle();
  TSetMenuItemInfoW previous =
      SetMenuItemInfoWFunction([](HMENU, UINT, BOOL, LPCMENUITEMINFOW) -> BOOL { return FALSE; });
  EXPECT_NO_THROW(item->SetCaption(kOpen));
  SetMenuItemInfoWFunction(previous);
  EXPECT_EQ(item->Caption(), kOpen);
  EXPECT_EQ(SystemText(popup.Handle(), item->Command()), AnsiToWide(WideToAnsi(kOpen)));
  item->SetShortCut(scCtrl | 'K');
  EXPECT_EQ(SystemText(popup.Handle(), item->Command()), kOpen + L"\tCtrl+K");
}

TEST(TntMenus, MenuSelectSetsTheWideApplicationHint) {
  TTntPopupMenu popup(nullptr);
  TTntMenuItem* item = AddItem(&popup, nullptr, L"Open");
  item->SetHint(L"Open|Opens \u2605 file");
  TTntMenuItem* parent = AddItem(&popup, nullptr, L"Recent");
  parent->SetHint(L"\u0416 only");
  AddItem(&popup, parent, L"One");
  TTntMenuItem* plain = AddItem(&popup, nullptr, L"Plain");
  HMENU root = popup.Handle();
  struct {
    WPARAM WParam;
    HMENU Menu;
    std::wstring Hint;
  } cases[] = {
      {MAKEWPARAM(item->Command(), MF_HILITE), root, L"Opens \u2605 file"},
      {MAKEWPARAM(1, MF_POPUP | MF_HILITE), root, L"\u0416 only"},
      {MAKEWPARAM(plain->Command(), MF_HILITE), root, L""},
      {MAKEWPARAM(item->Command(), MF_HILITE), root, L"Opens \u2605 file"},
      {MAKEWPARAM(0, 0xFFFF), nullptr, L""},
  };
  for (const auto& c : cases) {
    SendMessageW(TntPopupList()->Window(), WM_MENUSELECT, c.WParam,
                 reinterpret_cast<LPARAM>(c.Menu));
    EXPECT_EQ(TntApplication()->Hint(), c.Hint);
  }
}

TEST(TntMenus, PopupSwapsThePopupListAndPutsItBack) {
  TTntPopupMenu popup(nullptr);
  AddItem(&popup, nullptr, kOpen, scCtrl | 'O');
  TPopupList* framework = TntPopupList()->FrameworkPopupList();
  ASSERT_EQ(PopupList(), framework);

  // An exception out of the popup's start.
  TPopupList* during = nullptr;
  popup.SetOnPopup([&](TObject*) {
    during = PopupList();
    throw std::runtime_error("popup refused");
  });
  EXPECT_THROW(popup.Popup(10, 10), std::runtime_error);
  EXPECT_EQ(during, TntPopupList());
  EXPECT_EQ(PopupList(), framework);

  // A real menu loop, ended from a timer once the menu shows; the menu loop's
  // start already put the framework's list back.
  popup.SetOnPopup(nullptr);
  static struct {
    TPopupList* Framework;
    bool SawMenu = false;
    bool ListRestored = false;
    std::wstring Picture;
    int Ticks = 0;
  } loop;
  loop = {};
  loop.Framework = framework;
  testing_support::TempDir temp;
  loop.Picture = temp.File(L"popup.png");
  UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
    try {
      HWND menu = FindWindowW(L"#32768", nullptr);
      if ((menu && IsWindowVisible(menu)) || ++loop.Ticks > 60) {
        loop.SawMenu = menu && IsWindowVisible(menu);
        loop.ListRestored = PopupList() == loop.Framework;
        if (loop.SawMenu) testing_support::SaveWindowPicture(menu, loop.Picture);
        EndMenu();
      }
    } catch (...) {
    }
  });
  popup.Popup(40, 40);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(loop.SawMenu);
  EXPECT_TRUE(loop.ListRestored);
  EXPECT_EQ(PopupList(), framework);
}

// Owner-drawn items measure and paint their wide caption.
TEST(TntMenus, OwnerDrawnItemMeasuresAndPaintsTheWideCaption) {
  const std::wstring wide = L"\u0428\u0428\u0428\u0428\u0428\u0428\u0428\u0428 \u2605";
  TTntPopupMenu tnt(nullptr);
  tnt.SetOwnerDraw(true);
  TTntMenuItem* item = AddItem(&tnt, nullptr, wide, scCtrl | 'W');
  TPopupMenu plain(nullptr);
  plain.SetOwnerDraw(true);
  TMenuItem* ansi = plain.NewItem(nullptr, WideToAnsi(wide), scCtrl | 'W');
  TTntMenuItem* ascii = AddItem(&tnt, nullptr, L"Open", scCtrl | 'W');
  TMenuItem* asciiPlain = plain.NewItem(nullptr, "Open", scCtrl | 'W');

  testing_support::MemoryCanvas m(300, 40);
  int tntWidth = 0, ansiWidth = 0, asciiWidth = 0, asciiPlainWidth = 0, height = 0;
  item->MeasureItem(&m.Canvas, tntWidth, height);
  ansi->MeasureItem(&m.Canvas, ansiWidth, height);
  ascii->MeasureItem(&m.Canvas, asciiWidth, height);
  asciiPlain->MeasureItem(&m.Canvas, asciiPlainWidth, height);
  EXPECT_GT(tntWidth, ansiWidth);
  EXPECT_EQ(asciiWidth, asciiPlainWidth);

  // Painted without a shortcut, the ink is as wide as the wide caption.
  TTntMenuItem* drawn = AddItem(&tnt, nullptr, wide);
  RECT r{0, 0, 300, 24};
  drawn->AdvancedDrawItem(&m.Canvas, r, odSelected, false);
  m.Canvas.RequiredState({csHandleValid, csFontValid});
  auto [left, right] = m.InkSpan(0, 24, m.Pixel(1, 1));
  // The same text drawn plainly in the same font: a font that lacks some of
  // its letters draws them from another one, which DT_CALCRECT does not
  // measure alike.
  auto inkOf = [&](const std::wstring& text) {
    testing_support::MemoryCanvas plainText(300, 40);
    HGDIOBJ old = SelectObject(plainText.DC(), GetCurrentObject(m.DC(), OBJ_FONT));
    SetBkMode(plainText.DC(), TRANSPARENT);
    RECT where{0, 0, 300, 24};
    DrawTextW(plainText.DC(), text.c_str(), static_cast<int>(text.size()), &where, DT_SINGLELINE | DT_VCENTER);
    SelectObject(plainText.DC(), old);
    auto [from, to] = plainText.InkSpan(0, 24, plainText.Pixel(299, 39));
    return to - from;
  };
  ASSERT_GT(std::abs(inkOf(wide) - inkOf(AnsiToWide(WideToAnsi(wide)))), 6);
  EXPECT_NEAR(right - left, inkOf(wide), 3);
  testing_support::TempDir temp;
  EXPECT_TRUE(testing_support::SaveDCPicture(m.DC(), 300, 40, temp.File(L"owner_drawn.png")));
}

}  // namespace
