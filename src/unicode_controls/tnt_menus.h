// Unicode menus over the framework's ANSI menus.
//   TTntMenuItem   keeps a UTF-16 caption and hint beside the ANSI ones and
//                  writes its caption into the system menu with the W calls.
//   TTntMainMenu, TTntPopupMenu  hand out TTntMenuItems and refresh the wide
//                  texts of their tree whenever the framework rebuilds them.
//   TTntPopupList  the popup list the Unicode popup menus live in: it reports
//                  the wide hint of the highlighted item. One instance, made on
//                  first use; it keeps the framework's own popup list.
// Also the wide shortcut text and the hot-key routines of the Unicode layer.
#pragma once

#include <windows.h>

#include <string>

#include "framework/menus.h"

// "Shift+Ctrl+A", "Ctrl+F5": named keys as the framework names them, digits
// and letters as the keyboard layout writes them.
std::wstring WideShortCutToText(TShortCut ShortCut);
// 1-based position of the hot-key character (the one after a '&' that is not
// doubled; the last one wins); 0 when none.
int WideGetHotkeyPos(const std::wstring& Caption);
std::wstring WideGetHotkey(const std::wstring& Caption);
// Every '&' removed, the character after it kept ("&&" gives "&").
std::wstring WideStripHotKey(const std::wstring& Caption);
// Equal after WideStripHotKey, ignoring case.
bool WideSameCaption(const std::wstring& A, const std::wstring& B);
// The wide hint of a TTntMenuItem, else the ANSI hint converted.
std::wstring WideGetMenuItemHint(TMenuItem* Item);

class TTntMenuItem : public TMenuItem {
 public:
  explicit TTntMenuItem(TComponent* AOwner);

  // Follows the ANSI caption, also when the framework moved its hot key.
  std::wstring Caption();
  void SetCaption(const std::wstring& Value);
  using TMenuItem::SetCaption;
  std::wstring Hint();
  void SetHint(const std::wstring& Value);
  using TMenuItem::SetHint;

  void Loaded() override;
  void MeasureItem(TCanvas* ACanvas, int& Width, int& Height) override;
  // The framework paints background, check mark and image; the wide caption
  // and shortcut are drawn in the rectangle it leaves.
  void AdvancedDrawItem(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State,
                        bool TopLevel) override;

 protected:
  void MenuChanged(bool Rebuild) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TMenuActionLinkClass GetActionLinkClass() override;

 private:
  void DrawWideMenuItemText(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State, bool TopLevel);

  std::wstring FCaption;
  std::wstring FHint;
};

// Writes the wide caption of Item (with its shortcut text) into the system
// menu Menu, found by command, when the text there differs. A failure of the
// system leaves the old text.
void UpdateMenuItemCaption(HMENU Menu, TTntMenuItem* Item);
// Item runs Action and shows its shortcut, following it as it changes; the
// item keeps its own caption, image and check mark, which the link would
// otherwise take from the action.
void SetMenuItemAction(TTntMenuItem* Item, TBasicAction* Action);
// UpdateMenuItemCaption for every TTntMenuItem of Menu's tree.
void RefreshTntMenuTree(TMenu* Menu);
// Draws (or with DT_CALCRECT measures into Rect) a menu item's text with
// DrawTextW, greyed for a disabled item, bold for the default one.
void DrawMenuItemText(TMenuItem* Item, TCanvas* ACanvas, const std::wstring& Text, UINT Flags,
                      bool Selected, RECT& Rect);

class TTntMainMenu : public TMainMenu {
 public:
  using TMainMenu::TMainMenu;
  TMenuItem* CreateMenuItem(TComponent* AOwner) override;
  void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override;
};

class TTntPopupMenu : public TPopupMenu {
 public:
  explicit TTntPopupMenu(TComponent* AOwner);
  ~TTntPopupMenu() override;
  TMenuItem* CreateMenuItem(TComponent* AOwner) override;
  void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override;
  // The inherited Popup with TntPopupList() as the global popup list; the
  // framework's own list is back afterwards, also after an exception.
  void Popup(int X, int Y) override;
};

class TTntPopupList : public TPopupList {
 public:
  TTntPopupList();
  TPopupList* FrameworkPopupList() const { return FFrameworkPopupList; }
  // WM_MENUSELECT: the wide long hint of the highlighted item becomes the
  // wide application hint; WM_ENTERMENULOOP: the framework's list is put
  // back. Then the inherited handling.
  void WndProc(TMessage& Message) override;

 private:
  TPopupList* FFrameworkPopupList;
};

TTntPopupList* TntPopupList();

// The system call that writes a menu item's text. Replaceable so that a test
// can see how a failure of it is handled; returns the previous one.
using TSetMenuItemInfoW = BOOL(WINAPI*)(HMENU, UINT, BOOL, LPCMENUITEMINFOW);
TSetMenuItemInfoW SetMenuItemInfoWFunction(TSetMenuItemInfoW Value);
