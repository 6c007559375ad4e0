#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/actions.h"
#include "framework/controls.h"
#include "framework/forms.h"
#include "framework/menus.h"
#include "memory_bitmap.h"
#include "test_support.h"

using testing_support::MemoryBitmap;
using testing_support::PumpMessagesUntil;
using testing_support::ScopedKeys;

namespace {

std::string MenuText(HMENU menu, UINT position) {
  char text[256] = {};
  GetMenuStringA(menu, position, text, sizeof(text), MF_BYPOSITION);
  return text;
}

std::wstring MenuTextW(HMENU menu, UINT position) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
  return text;
}

UINT MenuType(HMENU menu, UINT position) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE;
  GetMenuItemInfoA(menu, position, TRUE, &info);
  return info.fType;
}

}  // namespace

TEST(ShortCuts, TextAndShortCutsConvertBothWays) {
  struct Case {
    TShortCut shortCut;
    const char* text;
  } cases[] = {
      {scShift | scCtrl | 'A', "Shift+Ctrl+A"}, {scCtrl | VK_F5, "Ctrl+F5"},
      {scAlt | VK_RETURN, "Alt+Enter"},         {scShift | scCtrl | scAlt | VK_F24, "Shift+Ctrl+Alt+F24"},
      {VK_NUMPAD7, "Num 7"},                    {scCtrl | VK_ADD, "Ctrl+Num +"},
      {scCtrl | VK_OEM_PLUS, "Ctrl+="},         {VK_OEM_5, "\\"},
      {VK_DELETE, "Del"},                       {scShift | VK_PRIOR, "Shift+PgUp"},
      {'7', "7"},                               {scCtrl | VK_SPACE, "Ctrl+Space"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortCutToText(c.shortCut), c.text);
    EXPECT_EQ(TextToShortCut(c.text), c.shortCut) << c.text;
  }
  struct Parse {
    const char* text;
    TShortCut shortCut;
  } parses[] = {
      {"None", 0},       {"", 0},          {"ctrl+shift+a", scShift | scCtrl | 'A'},
      {"ALT+ENTER", scAlt | VK_RETURN},    {" Ctrl+F5 ", scCtrl | VK_F5},
      {"Ctrl+Banana", 0}, {"Ctrl+", 0},    {"Shift", 0},
  };
  for (const Parse& p : parses) EXPECT_EQ(TextToShortCut(p.text), p.shortCut) << p.text;
  EXPECT_EQ(ShortCutToText(0), "");
  EXPECT_EQ(ShortCutToText(scCtrl | 0x07), "");  // a key with no name
  EXPECT_EQ(ShortCut(VK_F5, ssCtrl | ssShift), scShift | scCtrl | VK_F5);
  EXPECT_EQ(ShortCut(0x1234, ssCtrl), 0);

  struct Hotkey {
    const char* text;
    const char* stripped;
    char key;
  } hotkeys[] = {
      {"&Open", "Open", 'O'},      {"Save && Exit", "Save & Exit", 0},
      {"A&&B &Cd", "A&B Cd", 'C'}, {"tail&", "tail", 0},
  };
  for (const Hotkey& h : hotkeys) {
    EXPECT_EQ(StripHotkey(h.text), h.stripped);
    EXPECT_EQ(GetHotkey(h.text), h.key) << h.text;
  }
}

TEST(Menus, ItemsAreWrittenIntoTheSystemMenu) {
  TPopupMenu menu(nullptr);
  TMenuItem* open = menu.NewItem(nullptr, "&Open", scCtrl | 'O');
  TMenuItem* recent = menu.NewItem(nullptr, "&Recent", scCtrl | 'R');
  menu.NewItem(recent, "One");
  menu.NewItem(nullptr, "-");
  TMenuItem* select = menu.NewItem(nullptr, "Select all", scShift | scCtrl | 'A');
  HMENU handle = menu.Handle();

  ASSERT_EQ(GetMenuItemCount(handle), 4);
  EXPECT_EQ(MenuText(handle, 0), "&Open\tCtrl+O");
  EXPECT_EQ(MenuTextW(handle, 0), L"&Open\tCtrl+O");
  EXPECT_EQ(MenuText(handle, 1), "&Recent");  // an item with children shows no shortcut
  EXPECT_EQ(GetSubMenu(handle, 1), recent->Handle());
  EXPECT_EQ(MenuText(recent->Handle(), 0), "One");
  EXPECT_TRUE(MenuType(handle, 2) & MFT_SEPARATOR);
  EXPECT_EQ(MenuText(handle, 3), "Select all\tShift+Ctrl+A");
  EXPECT_EQ(GetMenuItemID(handle, 0), static_cast<UINT>(open->Command()));
  EXPECT_NE(open->Command(), select->Command());

  open->SetCaption("&Load");
  open->SetEnabled(false);
  select->SetChecked(true);
  EXPECT_EQ(MenuText(handle, 0), "&Load\tCtrl+O");
  EXPECT_TRUE(GetMenuState(handle, 0, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(handle, 3, MF_BYPOSITION) & MF_CHECKED);

  recent->SetVisible(false);
  ASSERT_EQ(GetMenuItemCount(handle), 3);
  EXPECT_EQ(MenuText(handle, 1), "");  // the separator moved up
  recent->Clear();
  recent->SetVisible(true);
  EXPECT_EQ(MenuText(handle, 1), "&Recent\tCtrl+R");  // no children any more
  delete select;
  EXPECT_EQ(GetMenuItemCount(handle), 3);
  EXPECT_EQ(menu.Items()->Count(), 3);
}

TEST(Menus, AMainMenuBarOnAWindowFollowsItsItems) {
  HWND window = CreateWindowExA(0, "STATIC", "menu owner", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  auto* menu = new TMainMenu(nullptr);
  TMenuItem* file = menu->NewItem(nullptr, "&File", scCtrl | 'F');
  menu->NewItem(file, "&Quit", scCtrl | 'Q');
  int changes = 0;
  menu->SetOnChange([&](TObject*) { ++changes; });
  menu->SetWindowHandle(window);
  SetMenu(window, menu->Handle());

  EXPECT_EQ(MenuText(GetMenu(window), 0), "&File");  // no shortcut on the bar
  EXPECT_EQ(MenuText(GetSubMenu(GetMenu(window), 0), 0), "&Quit\tCtrl+Q");
  file->SetCaption("&Datei");
  EXPECT_EQ(MenuText(GetMenu(window), 0), "&Datei");
  EXPECT_EQ(changes, 1);

  delete menu;  // takes its bar off the window first
  EXPECT_EQ(GetMenu(window), nullptr);
  DestroyWindow(window);
}

TEST(Menus, ThePopupListRunsCommandsAndShowsHints) {
  TPopupMenu menu(nullptr);
  TAction action(nullptr);
  std::vector<std::string> clicks;
  action.SetCaption("&Play");
  action.SetHint("Play|Starts playing");
  action.SetOnExecute([&](TObject*) { clicks.push_back("action"); });
  TMenuItem* play = menu.NewItem(nullptr, "");
  play->SetAction(&action);
  TMenuItem* stop = menu.NewItem(nullptr, "&Stop", 0, [&](TObject*) { clicks.push_back("stop"); });
  TMenuItem* more = menu.NewItem(nullptr, "&More");
  more->SetHint("More choices");
  menu.NewItem(more, "Nothing");
  HWND window = PopupList()->Window();

  // The item follows the action while it shows the action's caption.
  EXPECT_EQ(MenuText(menu.Handle(), 0), "&Play");
  action.SetCaption("&Pause");
  EXPECT_EQ(MenuText(menu.Handle(), 0), "&Pause");

  SendMessageA(window, WM_COMMAND, play->Command(), 0);
  PostMessageA(window, WM_COMMAND, stop->Command(), 0);
  EXPECT_TRUE(PumpMessagesUntil([&] { return clicks.size() == 2; }, 2000));
  play->SetOnClick([&](TObject*) { clicks.push_back("own"); });
  SendMessageA(window, WM_COMMAND, play->Command(), 0);
  EXPECT_EQ(clicks, (std::vector<std::string>{"action", "stop", "own"}));

  SendMessageA(window, WM_MENUSELECT, MAKEWPARAM(play->Command(), MF_STRING),
               reinterpret_cast<LPARAM>(menu.Handle()));
  EXPECT_EQ(Application()->Hint(), "Starts playing");
  SendMessageA(window, WM_MENUSELECT, MAKEWPARAM(2, MF_POPUP), reinterpret_cast<LPARAM>(menu.Handle()));
  EXPECT_EQ(Application()->Hint(), "More choices");
  SendMessageA(window, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(Application()->Hint(), "");
}

TEST(Menus, PopupRunsItsModalLoopUntilATimerEndsIt) {
  struct Case {
    const char* name;
    std::vector<std::pair<UINT, WPARAM>> posted;  // to the popup list's window
    int clicks;
  } cases[] = {
      {"cancelled", {{WM_CANCELMODE, 0}}, 0},
      {"chosen by keys", {{WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_RETURN}}, 1},
  };
  static const Case* current = nullptr;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPopupMenu menu(nullptr);
    int clicks = 0, popups = 0;
    menu.SetOnPopup([&](TObject*) { ++popups; });
    menu.NewItem(nullptr, "&First", 0, [&](TObject*) { ++clicks; });
    menu.NewItem(nullptr, "&Second");
    current = &c;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
      KillTimer(nullptr, id);
      for (const auto& [msg, key] : current->posted) PostMessageA(PopupList()->Window(), msg, key, 0);
    });
    // Should the loop ignore the messages, this ends it so the test fails instead of hanging.
    UINT_PTR guard = SetTimer(nullptr, 0, 3000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
    menu.Popup(100, 100);
    KillTimer(nullptr, timer);
    KillTimer(nullptr, guard);
    EXPECT_EQ(popups, 1);
    if (c.clicks > 0) {
      PumpMessagesUntil([&] { return clicks == c.clicks; }, 2000);
    } else {
      testing_support::PumpPendingMessages();
    }
    EXPECT_EQ(clicks, c.clicks);
  }
}

TEST(Menus, ShortCutsClickEnabledItems) {
  TMainMenu menu(nullptr);
  int opened = 0, hidden = 0;
  TMenuItem* file = menu.NewItem(nullptr, "&File");
  TMenuItem* open = menu.NewItem(file, "&Open", scCtrl | 'O', [&](TObject*) { ++opened; });
  TMenuItem* gone = menu.NewItem(file, "&Gone", scCtrl | 'G', [&](TObject*) { ++hidden; });
  gone->SetVisible(false);
  ScopedKeys keys({VK_CONTROL});
  TMessage ctrlO{WM_KEYDOWN, 'O', 0, 0};
  TMessage ctrlG{WM_KEYDOWN, 'G', 0, 0};
  EXPECT_TRUE(menu.IsShortCut(ctrlO));
  EXPECT_FALSE(menu.IsShortCut(ctrlG));  // invisible items have no shortcut
  open->SetEnabled(false);
  EXPECT_TRUE(menu.IsShortCut(ctrlO));
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(hidden, 0);
}

TEST(Menus, OwnerDrawnItemsMeasureAndPaintThemselves) {
  TPopupMenu menu(nullptr);
  auto* images = new TCustomImageList(nullptr);
  EXPECT_EQ(images->Count(), 0);
  menu.SetImages(images);
  TMenuItem* open = menu.NewItem(nullptr, "&Open", scCtrl | 'O');
  TMenuItem* blank = menu.NewItem(nullptr, "");
  TMenuItem* custom = menu.NewItem(nullptr, "Custom");
  TOwnerDrawState customState = 0;
  custom->SetOnAdvancedDrawItem([&](TObject*, TCanvas*, RECT, TOwnerDrawState state) {
    customState = state;
  });
  HMENU handle = menu.Handle();
  EXPECT_TRUE(MenuType(handle, 0) & MFT_OWNERDRAW);
  EXPECT_EQ(MenuText(handle, 0), "&Open\tCtrl+O");  // still readable for the Unicode layer

  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_MENU;
  measure.itemID = open->Command();
  ASSERT_TRUE(menu.MeasureItemMessage(measure));
  EXPECT_GT(measure.itemWidth, 20u);
  EXPECT_GT(measure.itemHeight, 5u);
  MEASUREITEMSTRUCT unknown = measure;
  unknown.itemID = 0;
  EXPECT_FALSE(menu.MeasureItemMessage(unknown));

  struct Case {
    TMenuItem* item;
    UINT itemState;
    TColor background;
    bool painted;
  } cases[] = {
      {open, 0, clMenu, true},
      {open, ODS_SELECTED, clHighlight, true},
      {open, ODS_GRAYED, clMenu, true},
      {blank, 0, clMenu, false},  // no caption, no shortcut: nothing textual
  };
  for (const Case& c : cases) {
    MemoryBitmap dc(static_cast<int>(measure.itemWidth), static_cast<int>(measure.itemHeight));
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = c.item->Command();
    draw.itemState = c.itemState;
    draw.hDC = dc.DC();
    draw.rcItem = {0, 0, static_cast<LONG>(measure.itemWidth), static_cast<LONG>(measure.itemHeight)};
    ASSERT_TRUE(menu.DrawItemMessage(draw));
    const int untouched = dc.Count(dc.All(), ColorToRGB(c.background));
    EXPECT_EQ(untouched < dc.Width() * dc.Height(), c.painted) << c.itemState;
  }
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_MENU;
  draw.itemID = custom->Command();
  draw.itemState = ODS_SELECTED | ODS_NOACCEL;
  MemoryBitmap dc(10, 10);
  draw.hDC = dc.DC();
  ASSERT_TRUE(menu.DrawItemMessage(draw));
  EXPECT_EQ(customState, odSelected | odNoAccel);

  delete images;  // the menu hears of it and draws plainly again
  EXPECT_EQ(menu.Images(), nullptr);
  EXPECT_FALSE(MenuType(handle, 0) & MFT_OWNERDRAW);
}
