// Menus and shortcuts.
//   TMenuItem    one item: caption, hint, shortcut, check, image, children; it
//                builds its system menu item (ANSI) and rebuilds it on change.
//   TMenu        the root item of a menu tree and its menu handle.
//   TMainMenu    a window's menu bar.
//   TPopupMenu   a context menu shown with Popup(X, Y) on the popup list's window.
//   TPopupList   the hidden window that receives the popup menus' commands,
//                owner-draw and selection messages; one global, PopupList,
//                which another layer may swap for a descendant of its own.
// Ownership: a menu owns its Items root; an item owns its children.
// Owner drawing: a menu with OwnerDraw or Images draws its items through
// MeasureItem / AdvancedDrawItem on a TCanvas.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/actions.h"
#include "framework/component.h"
#include "framework/exceptions.h"
#include "framework/graphics.h"
#include "framework/image_list.h"
#include "framework/messages.h"
#include "framework/shortcuts.h"

class TMenu;
class TMenuItem;

// A menu item inserted twice, or an index outside a menu's items.
TAVRIN_DECLARE_EXCEPTION(EMenuError, Exception);

enum TOwnerDrawStateFlag : uint16_t {
  odSelected = 1 << 0,
  odGrayed = 1 << 1,
  odDisabled = 1 << 2,
  odChecked = 1 << 3,
  odFocused = 1 << 4,
  odDefault = 1 << 5,
  odHotLight = 1 << 6,
  odInactive = 1 << 7,
  odNoAccel = 1 << 8,
  odNoFocusRect = 1 << 9,
  odComboBoxEdit = 1 << 10,
};
using TOwnerDrawState = uint16_t;
// From the ODS_* flags of a DRAWITEMSTRUCT.
TOwnerDrawState OwnerDrawStateFromItemState(UINT ItemState);

enum TPopupAlignment : uint8_t { paLeft, paRight, paCenter };
enum TFindItemKind : uint8_t { fkCommand, fkHandle, fkShortCut };

using TMenuDrawItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, RECT ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, RECT ARect, TOwnerDrawState State)>;
using TMenuMeasureItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;

class TMenuActionLink : public TActionLink {
 public:
  explicit TMenuActionLink(TObject* AClient);
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsGroupIndexLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetHelpContext(int32_t Value) override;
  void SetHint(const std::string& Value) override;
  void SetImageIndex(int32_t Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;

 protected:
  void AssignClient(TObject* AClient) override;
  TMenuItem* FClient = nullptr;
};

using TMenuActionLinkClass = TMenuActionLink* (*)(TMenuItem* Client);

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  // Tree.
  TMenuItem* Parent() const { return FParent; }
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  TMenuItem* Items(int32_t Index) const;
  void Add(TMenuItem* Item);
  void Insert(int32_t Index, TMenuItem* Item);
  void Delete(int32_t Index);  // the item leaves (and is not freed)
  void Remove(TMenuItem* Item);
  void Clear();                // frees every child
  int32_t IndexOf(const TMenuItem* Item) const;
  int32_t MenuIndex() const;
  // The menu whose tree holds this item, or nullptr.
  TMenu* GetParentMenu() const;
  // The item's command id (items without children) and submenu handle.
  uint16_t Command() const { return FCommand; }
  HMENU Handle();  // the submenu; made on demand
  bool HasSubMenu() const { return !FItems.empty(); }

  // Properties; each change rebuilds the system item.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value);
  uint8_t GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(uint8_t Value);
  int32_t ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int32_t Value);
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool Value) { FAutoCheck = Value; }
  int32_t HelpContext() const { return FHelpContext; }
  void SetHelpContext(int32_t Value) { FHelpContext = Value; }
  // A bitmap shown beside the caption (not owned; nullptr for none).
  HBITMAP Bitmap() const { return FBitmap; }
  void SetBitmap(HBITMAP Value);
  bool IsLine() const { return FCaption == "-"; }

  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TMenuActionLink* ActionLink() const { return FActionLink; }

  const TNotifyEvent& OnClick() const { return FOnClick; }
  // A handler set here is the item's own: Click runs it instead of the action.
  void SetOnClick(TNotifyEvent Value) {
    FOnClick = std::move(Value);
    FOnClickFromAction = false;
  }
  const TMenuDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(TMenuDrawItemEvent Value) { FOnDrawItem = std::move(Value); }
  const TAdvancedMenuDrawItemEvent& OnAdvancedDrawItem() const { return FOnAdvancedDrawItem; }
  void SetOnAdvancedDrawItem(TAdvancedMenuDrawItemEvent Value) {
    FOnAdvancedDrawItem = std::move(Value);
  }
  const TMenuMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(TMenuMeasureItemEvent Value) { FOnMeasureItem = std::move(Value); }

  // AutoCheck, then the action's OnExecute or OnClick.
  virtual void Click();
  void InitiateAction();
  // Finds the item of a command id, submenu handle (as intptr_t) or shortcut
  // in this tree, this item included; shortcuts only among visible items.
  TMenuItem* Find(intptr_t Value, TFindItemKind Kind);

  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // Owner drawing, called by the menu on WM_MEASUREITEM / WM_DRAWITEM.
  virtual void MeasureItem(TCanvas* ACanvas, int& Width, int& Height);
  virtual void AdvancedDrawItem(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State,
                                bool TopLevel);
  // The framework's own drawing of background, check mark, image and
  // caption (what AdvancedDrawItem does when nobody overrides it).
  void DrawItem(TCanvas* ACanvas, RECT ARect, bool Selected);

 protected:
  // The default painting: DrawItemFrame, then DrawItemText in what is left.
  void DoDrawItem(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State, bool TopLevel);
  // Background, check mark, image or bitmap, or the separator line; answers
  // the rectangle left for the texts. A layer that draws its own text calls
  // this alone.
  RECT DrawItemFrame(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State, bool TopLevel);
  // Caption (with its hot key unless odNoAccel) and the shortcut, right
  // aligned; nothing when both are empty.
  void DrawItemText(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State, bool TopLevel);
  // The text shown after the caption: the shortcut of an item without
  // children, except on a main menu's bar.
  std::string ShortCutText() const;
  // A top-level item of a main menu (an item of the menu bar).
  bool IsTopLevelOfMainMenu() const;
  // The item changed; Rebuild rebuilds the system menu that holds it and
  // tells the parent menu (TMenu::MenuChanged).
  virtual void MenuChanged(bool Rebuild);
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual TMenuActionLinkClass GetActionLinkClass();
  // Writes this item (and its submenu) into Menu at its position.
  void AppendTo(HMENU Menu, bool ARightToLeft);
  void RebuildHandle();

  friend class TMenu;
  friend class TMenuActionLink;

 private:
  void DoActionChange(TObject* Sender);
  // Rebuilds every system menu of this subtree that exists.
  void UpdateItems();
  // Children came or went: this item's own menu and its parent's change.
  void ChildrenChanged();
  // A checked radio item unchecks the radio items of its group among its siblings.
  void TurnSiblingsOff();

  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on the root item of a menu
  std::vector<TMenuItem*> FItems;
  HMENU FHandle = nullptr;
  uint16_t FCommand = 0;
  std::string FCaption;
  std::string FHint;
  TShortCut FShortCut = 0;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  bool FDefault = false;
  bool FRadioItem = false;
  bool FAutoCheck = false;
  uint8_t FGroupIndex = 0;
  int32_t FImageIndex = -1;
  int32_t FHelpContext = 0;
  HBITMAP FBitmap = nullptr;
  TMenuActionLink* FActionLink = nullptr;
  TNotifyEvent FOnClick;
  bool FOnClickFromAction = false;  // FOnClick is a copy of the action's OnExecute
  TMenuDrawItemEvent FOnDrawItem;
  TAdvancedMenuDrawItemEvent FOnAdvancedDrawItem;
  TMenuMeasureItemEvent FOnMeasureItem;
};

// Makes the menu's new items: TMenu uses it for Items and callers for the
// items they add, so a Unicode menu can hand out Unicode items.
using TMenuItemFactory = std::function<TMenuItem*(TComponent* Owner)>;

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* AOwner);
  // Takes the menu off its window (a menu bar) before the handle goes.
  ~TMenu() override;

  // Made on first use through CreateMenuItem, so a descendant's factory runs.
  TMenuItem* Items() const;
  virtual HMENU Handle();
  // Adds a new item (made by NewItem) under Parent (nullptr: the root).
  TMenuItem* NewItem(TMenuItem* Parent, const std::string& Caption, TShortCut AShortCut = 0,
                     TNotifyEvent OnClick = nullptr);
  virtual TMenuItem* CreateMenuItem(TComponent* AOwner);

  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // The menu reads right to left (mirrored layout and text).
  bool IsRightToLeft() const { return FRightToLeft; }
  void SetRightToLeft(bool Value) { FRightToLeft = Value; }
  bool AutoHotkeys() const { return FAutoHotkeys; }
  void SetAutoHotkeys(bool Value) { FAutoHotkeys = Value; }
  // The window the menu belongs to (main menu) or the popup list's window.
  HWND WindowHandle() const { return FWindowHandle; }
  void SetWindowHandle(HWND Value);

  TMenuItem* FindItem(intptr_t Value, TFindItemKind Kind);
  // WM_COMMAND of an item of this menu: its Click; true when found.
  bool DispatchCommand(uint16_t ACommand);
  // WM_INITMENUPOPUP of a submenu of this menu: InitiateAction of its items,
  // then the Click of the item that owns the submenu (not of the root), so
  // its OnClick can fill the submenu before it shows.
  bool DispatchPopup(HMENU AHandle);
  // A key message matching a visible item's shortcut: InitiateAction on the
  // item and its parents, then Click when all of them are enabled. True
  // whenever an item matched, as a disabled item swallows its key.
  bool IsShortCut(const TMessage& Message);
  // The wide or ANSI hint of an item is the caller's business; this is ANSI.
  virtual void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild);
  // WM_MEASUREITEM / WM_DRAWITEM for this menu's owner-drawn items.
  bool MeasureItemMessage(MEASUREITEMSTRUCT& Data);
  bool DrawItemMessage(const DRAWITEMSTRUCT& Data);

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

 protected:
  virtual void RebuildMenu();
  bool IsOwnerDraw() const;
  mutable TMenuItem* FItems = nullptr;
  HWND FWindowHandle = nullptr;

 private:
  bool FOwnerDraw = false;
  bool FAutoHotkeys = false;
  TCustomImageList* FImages = nullptr;
  bool FRightToLeft = false;
  TNotifyEvent FOnChange;
};

class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* AOwner);
  HMENU Handle() override;  // a menu bar (CreateMenu)
  void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override;
};

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;
  HMENU Handle() override;  // CreatePopupMenu

  // Shows the menu at screen (X, Y) and runs its modal loop; the chosen
  // item's Click runs afterwards through WM_COMMAND on the popup list.
  virtual void Popup(int X, int Y);
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  const TNotifyEvent& OnPopup() const { return FOnPopup; }
  void SetOnPopup(TNotifyEvent Value) { FOnPopup = std::move(Value); }

 protected:
  virtual void DoPopup(TObject* Sender);

 private:
  TComponent* FPopupComponent = nullptr;
  TPopupAlignment FAlignment = paLeft;
  bool FAutoPopup = true;
  TNotifyEvent FOnPopup;
};

// The popup menus' window. Its WndProc routes WM_COMMAND, WM_INITMENUPOPUP,
// WM_MENUSELECT (the item's hint becomes the application hint),
// WM_DRAWITEM and WM_MEASUREITEM to the menu they concern.
class TPopupList : public TObject {
 public:
  TPopupList();
  ~TPopupList() override;
  HWND Window();
  void Add(TPopupMenu* Menu);
  void Remove(TPopupMenu* Menu);
  int32_t Count() const { return static_cast<int32_t>(FMenus.size()); }
  TPopupMenu* Menus(int32_t Index) const { return FMenus[Index]; }
  virtual void WndProc(TMessage& Message);

 protected:
  // The item a WM_MENUSELECT speaks of, from any menu of the list; nullptr
  // when the menu closed or none has it.
  TMenuItem* MenuSelectItem(const TMessage& Message) const;

  std::vector<TPopupMenu*> FMenus;

 private:
  HWND FWindow = nullptr;
};

// The popup list in use; a layer may replace it and must put the old one back.
TPopupList* PopupList();
void SetPopupList(TPopupList* Value);
