#include "framework/menus.h"

#include <algorithm>
#include <cctype>

#include "framework/controls.h"
#include "framework/forms.h"
#include "framework/utility_window.h"

namespace {

// ------------------------------------------------------------------ command ids
// A counter that skips 0 and the ids still held, so a freed id comes back only
// after the counter has wrapped: a late WM_COMMAND of a dead item cannot reach
// a new one.
class TCommandPool {
 public:
  uint16_t Allocate() {
    for (int tries = 0; tries < 0x10000; ++tries) {
      ++FLast;
      if (FLast != 0 && !FUsed[FLast]) {
        FUsed[FLast] = true;
        return FLast;
      }
    }
    throw EMenuError(L"Out of menu command ids");
  }
  void Release(uint16_t Id) {
    if (Id != 0) FUsed[Id] = false;
  }

 private:
  std::vector<bool> FUsed = std::vector<bool>(0x10000);
  uint16_t FLast = 0;
};

TCommandPool& Commands() {
  static TCommandPool pool;
  return pool;
}

// Detaches every item of a system menu without destroying the submenus: each
// submenu belongs to its own item, which destroys it.
void ClearMenu(HMENU Menu) {
  while (GetMenuItemCount(Menu) > 0) {
    if (!RemoveMenu(Menu, 0, MF_BYPOSITION)) break;
  }
}

void AssignMenuFont(TFont* Font) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    HFONT font = CreateFontIndirectA(&metrics.lfMenuFont);
    if (font) {
      Font->SetHandle(font);
      DeleteObject(font);
    }
  }
  Font->SetColor(clMenuText);
}

// The column left of the caption that holds the check mark or the image.
int GlyphColumnWidth(TMenu* Menu) {
  int glyph = GetSystemMetrics(SM_CXMENUCHECK);
  if (Menu && Menu->Images()) glyph = std::max(glyph, Menu->Images()->Width());
  return glyph + 8;
}

// A canvas on a DC for the length of one owner-draw message; the DC's state
// is saved before and restored after, whatever the item's code does to it.
class TMessageCanvas {
 public:
  explicit TMessageCanvas(HDC DC) : FDC(DC), FSaved(SaveDC(DC)) {
    Canvas.SetHandle(DC);
    AssignMenuFont(Canvas.Font());
  }
  ~TMessageCanvas() {
    Canvas.SetHandle(nullptr);
    if (FSaved) RestoreDC(FDC, FSaved);
  }
  TMessageCanvas(const TMessageCanvas&) = delete;
  TMessageCanvas& operator=(const TMessageCanvas&) = delete;

  TCanvas Canvas;

 private:
  HDC FDC;
  int FSaved;
};

}  // namespace

TOwnerDrawState OwnerDrawStateFromItemState(UINT ItemState) {
  static constexpr struct {
    UINT Ods;
    TOwnerDrawState Od;
  } kStates[] = {
      {ODS_SELECTED, odSelected}, {ODS_GRAYED, odGrayed},       {ODS_DISABLED, odDisabled},
      {ODS_CHECKED, odChecked},   {ODS_FOCUS, odFocused},       {ODS_DEFAULT, odDefault},
      {ODS_HOTLIGHT, odHotLight}, {ODS_INACTIVE, odInactive},   {ODS_NOACCEL, odNoAccel},
      {ODS_NOFOCUSRECT, odNoFocusRect}, {ODS_COMBOBOXEDIT, odComboBoxEdit},
  };
  TOwnerDrawState result = 0;
  for (const auto& state : kStates) {
    if (ItemState & state.Ods) result |= state.Od;
  }
  return result;
}

// ------------------------------------------------------------------ TMenuActionLink
// The item follows the action only while it still shows the action's value
// (the action calls these before it stores the new one).

TMenuActionLink::TMenuActionLink(TObject* AClient) : TActionLink(AClient) {
  AssignClient(AClient);
}

void TMenuActionLink::AssignClient(TObject* AClient) { FClient = dynamic_cast<TMenuItem*>(AClient); }

bool TMenuActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && FClient && FClient->Caption() == CustomAction()->Caption();
}

bool TMenuActionLink::IsCheckedLinked() {
  return TActionLink::IsCheckedLinked() && FClient && FClient->Checked() == CustomAction()->Checked();
}

bool TMenuActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient && FClient->Enabled() == CustomAction()->Enabled();
}

bool TMenuActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() && FClient &&
         FClient->HelpContext() == CustomAction()->HelpContext();
}

bool TMenuActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient && FClient->Hint() == CustomAction()->Hint();
}

bool TMenuActionLink::IsGroupIndexLinked() {
  return TActionLink::IsGroupIndexLinked() && FClient &&
         FClient->GroupIndex() == CustomAction()->GroupIndex();
}

bool TMenuActionLink::IsImageIndexLinked() {
  return TActionLink::IsImageIndexLinked() && FClient &&
         FClient->ImageIndex() == CustomAction()->ImageIndex();
}

bool TMenuActionLink::IsShortCutLinked() {
  return TActionLink::IsShortCutLinked() && FClient &&
         FClient->ShortCut() == CustomAction()->ShortCut();
}

bool TMenuActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient && FClient->Visible() == CustomAction()->Visible();
}

bool TMenuActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && FClient && FClient->FOnClickFromAction;
}

void TMenuActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}

void TMenuActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) FClient->SetChecked(Value);
}

void TMenuActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}

void TMenuActionLink::SetHelpContext(int32_t Value) {
  if (IsHelpContextLinked()) FClient->SetHelpContext(Value);
}

void TMenuActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}

void TMenuActionLink::SetImageIndex(int32_t Value) {
  if (IsImageIndexLinked()) FClient->SetImageIndex(Value);
}

void TMenuActionLink::SetShortCut(TShortCut Value) {
  if (IsShortCutLinked()) FClient->SetShortCut(Value);
}

void TMenuActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}

void TMenuActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) FClient->FOnClick = Value;
}

// ------------------------------------------------------------------ TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(Commands().Allocate()) {}

TMenuItem::~TMenuItem() {
  if (FParent) FParent->Remove(this);
  // The children leave before they die, so none calls back into this item.
  std::vector<TMenuItem*> children;
  children.swap(FItems);
  if (FHandle) ClearMenu(FHandle);
  for (TMenuItem* child : children) {
    child->FParent = nullptr;
    delete child;
  }
  delete FActionLink;
  FActionLink = nullptr;
  if (FHandle) DestroyMenu(FHandle);
  Commands().Release(FCommand);
}

TMenuItem* TMenuItem::Items(int32_t Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError(L"Menu index out of range");
  return FItems[static_cast<size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int32_t Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->FParent || Item->FMenu) throw EMenuError(L"Menu inserted twice");
  if (Index < 0 || Index > Count()) throw EMenuError(L"Menu index out of range");
  for (const TMenuItem* ancestor = this; ancestor; ancestor = ancestor->FParent) {
    if (ancestor == Item) throw EMenuError(L"Menu inserted twice");
  }
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  ChildrenChanged();
}

void TMenuItem::Delete(int32_t Index) {
  TMenuItem* item = Items(Index);
  FItems.erase(FItems.begin() + Index);
  item->FParent = nullptr;
  ChildrenChanged();
}

void TMenuItem::Remove(TMenuItem* Item) {
  int32_t index = IndexOf(Item);
  if (index >= 0) Delete(index);
}

void TMenuItem::Clear() {
  if (FItems.empty()) return;
  std::vector<TMenuItem*> children;
  children.swap(FItems);
  for (TMenuItem* child : children) child->FParent = nullptr;
  // Detached from this item's system menu first, then freed.
  ChildrenChanged();
  for (TMenuItem* child : children) delete child;
}

int32_t TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<int32_t>(it - FItems.begin());
}

int32_t TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* root = this;
  while (root->FParent) root = root->FParent;
  return root->FMenu;
}

HMENU TMenuItem::Handle() {
  if (!FHandle) {
    FHandle = dynamic_cast<TMainMenu*>(FMenu) ? CreateMenu() : CreatePopupMenu();
    if (!FHandle) RaiseLastOSError();
    RebuildHandle();
  }
  return FHandle;
}

void TMenuItem::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  MenuChanged(true);
}

void TMenuItem::SetShortCut(TShortCut Value) {
  if (Value == FShortCut) return;
  FShortCut = Value;
  MenuChanged(true);
}

void TMenuItem::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  if (Value && FRadioItem) TurnSiblingsOff();
  MenuChanged(true);
}

void TMenuItem::TurnSiblingsOff() {
  if (!FParent) return;
  for (size_t i = 0; i < FParent->FItems.size(); ++i) {
    TMenuItem* sibling = FParent->FItems[i];
    if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex) {
      sibling->SetChecked(false);
    }
  }
}

void TMenuItem::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  MenuChanged(true);
}

void TMenuItem::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  MenuChanged(true);
}

void TMenuItem::SetDefault(bool Value) {
  if (Value == FDefault) return;
  FDefault = Value;
  MenuChanged(true);
}

void TMenuItem::SetRadioItem(bool Value) {
  if (Value == FRadioItem) return;
  FRadioItem = Value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
  MenuChanged(true);
}

void TMenuItem::SetGroupIndex(uint8_t Value) {
  if (Value == FGroupIndex) return;
  FGroupIndex = Value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetImageIndex(int32_t Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  MenuChanged(true);
}

void TMenuItem::SetBitmap(HBITMAP Value) {
  if (Value == FBitmap) return;
  FBitmap = Value;
  MenuChanged(true);
}

TBasicAction* TMenuItem::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TMenuItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    delete FActionLink;
    FActionLink = nullptr;
    return;
  }
  if (Value == Action()) return;
  if (!FActionLink) FActionLink = GetActionLinkClass()(this);
  FActionLink->SetAction(Value);
  FActionLink->SetOnChange([this](TObject* Sender) { DoActionChange(Sender); });
  ActionChange(Value, Value->ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

void TMenuItem::DoActionChange(TObject* Sender) {
  if (Sender && Sender == Action()) ActionChange(Sender, false);
}

void TMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action) return;
  if (!CheckDefaults || FCaption.empty()) SetCaption(action->Caption());
  if (!CheckDefaults || !FChecked) SetChecked(action->Checked());
  if (!CheckDefaults || FEnabled) SetEnabled(action->Enabled());
  if (!CheckDefaults || FHelpContext == 0) SetHelpContext(action->HelpContext());
  if (!CheckDefaults || FHint.empty()) SetHint(action->Hint());
  if (!CheckDefaults || FImageIndex == -1) SetImageIndex(action->ImageIndex());
  if (!CheckDefaults || FShortCut == scNone) SetShortCut(action->ShortCut());
  if (!CheckDefaults || FVisible) SetVisible(action->Visible());
  if (!CheckDefaults || !FOnClick) {
    FOnClick = action->OnExecute();
    FOnClickFromAction = true;
  }
}

TMenuActionLinkClass TMenuItem::GetActionLinkClass() {
  return [](TMenuItem* Client) { return new TMenuActionLink(Client); };
}

void TMenuItem::Click() {
  if (!FEnabled) return;
  if (FAutoCheck) SetChecked(!FChecked);
  // A handler set on the item itself wins over the action it copied.
  bool ownHandler = FOnClick && !FOnClickFromAction;
  if (FActionLink && FActionLink->Action() && !ownHandler) {
    FActionLink->Execute(this);
  } else if (FOnClick) {
    // A copy: the handler may free this item.
    TNotifyEvent handler = FOnClick;
    handler(this);
  }
}

void TMenuItem::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

TMenuItem* TMenuItem::Find(intptr_t Value, TFindItemKind Kind) {
  switch (Kind) {
    case fkCommand:
      if (FCommand == Value) return this;
      break;
    case fkHandle:
      if (FHandle && reinterpret_cast<intptr_t>(FHandle) == Value) return this;
      break;
    case fkShortCut:
      if (!FVisible) return nullptr;
      if (Value != scNone && FShortCut == Value) return this;
      break;
  }
  for (size_t i = 0; i < FItems.size(); ++i) {
    if (TMenuItem* found = FItems[i]->Find(Value, Kind)) return found;
  }
  return nullptr;
}

void TMenuItem::Loaded() {
  TComponent::Loaded();
  if (TBasicAction* action = Action()) ActionChange(action, true);
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  // A dying action has already told the link (which then holds nullptr).
  if (Operation == opRemove && FActionLink &&
      (FActionLink->Action() == AComponent || !FActionLink->Action())) {
    delete FActionLink;
    FActionLink = nullptr;
  }
}

bool TMenuItem::IsTopLevelOfMainMenu() const {
  return FParent && !FParent->FParent && dynamic_cast<TMainMenu*>(FParent->FMenu);
}

std::string TMenuItem::ShortCutText() const {
  if (FShortCut == scNone || HasSubMenu() || IsTopLevelOfMainMenu()) return "";
  return ShortCutToText(FShortCut);
}

void TMenuItem::MenuChanged(bool Rebuild) {
  if (ComponentState().Contains(csDestroying)) return;
  if (Rebuild && FParent) FParent->RebuildHandle();
  TMenu* menu = GetParentMenu();
  if (menu && !menu->ComponentState().Contains(csDestroying)) menu->MenuChanged(this, this, Rebuild);
}

void TMenuItem::ChildrenChanged() {
  RebuildHandle();
  MenuChanged(true);
}

void TMenuItem::RebuildHandle() {
  if (!FHandle) return;
  ClearMenu(FHandle);
  TMenu* menu = GetParentMenu();
  bool rightToLeft = menu && menu->IsRightToLeft();
  for (size_t i = 0; i < FItems.size(); ++i) {
    if (FItems[i]->FVisible) FItems[i]->AppendTo(FHandle, rightToLeft);
  }
}

void TMenuItem::UpdateItems() {
  for (size_t i = 0; i < FItems.size(); ++i) FItems[i]->UpdateItems();
  RebuildHandle();
}

void TMenuItem::AppendTo(HMENU Menu, bool ARightToLeft) {
  TMenu* menu = GetParentMenu();
  bool topLevel = IsTopLevelOfMainMenu();
  bool ownerDraw = menu && (menu->OwnerDraw() || menu->Images()) && !topLevel;
  std::string text = FCaption;
  std::string shortCut = ShortCutText();
  if (!shortCut.empty()) text += "\t" + shortCut;

  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  // MIIM_FTYPE and MIIM_STRING rather than MIIM_TYPE: only they combine with
  // MIIM_BITMAP, and an owner-drawn item keeps a readable text this way.
  info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_DATA;
  info.wID = FCommand;
  info.dwItemData = FCommand;
  if (IsLine()) {
    info.fType = MFT_SEPARATOR;
  } else {
    info.fMask |= MIIM_STRING;
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
  }
  if (ownerDraw) info.fType |= MFT_OWNERDRAW;
  if (FRadioItem) info.fType |= MFT_RADIOCHECK;
  if (ARightToLeft) info.fType |= MFT_RIGHTORDER;
  if (FChecked) info.fState |= MFS_CHECKED;
  if (!FEnabled) info.fState |= MFS_DISABLED | MFS_GRAYED;
  if (FDefault) info.fState |= MFS_DEFAULT;
  if (FBitmap && !ownerDraw) {
    info.fMask |= MIIM_BITMAP;
    info.hbmpItem = FBitmap;
  }
  if (HasSubMenu()) {
    info.fMask |= MIIM_SUBMENU;
    info.hSubMenu = Handle();
  }
  int count = GetMenuItemCount(Menu);
  InsertMenuItemA(Menu, count < 0 ? 0 : static_cast<UINT>(count), TRUE, &info);
}

// ------------------------------------------------------------------ owner drawing

void TMenuItem::MeasureItem(TCanvas* ACanvas, int& Width, int& Height) {
  if (IsLine()) {
    Width = 10;
    Height = std::max(5, GetSystemMetrics(SM_CYMENU) / 2);
  } else {
    ACanvas->RequiredState({csHandleValid, csFontValid});
    RECT caption{};
    DrawTextA(ACanvas->Handle(), FCaption.c_str(), static_cast<int>(FCaption.size()), &caption,
              DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    int textHeight = ACanvas->TextHeight("Wg");
    std::string shortCut = ShortCutText();
    TMenu* menu = GetParentMenu();
    Width = caption.right - caption.left + 8;
    if (!IsTopLevelOfMainMenu()) Width += GlyphColumnWidth(menu) + 4;
    if (!shortCut.empty()) Width += 16 + ACanvas->TextWidth(shortCut);
    Height = std::max(textHeight + 4, GetSystemMetrics(SM_CYMENUCHECK) + 2);
    if (menu && menu->Images()) Height = std::max(Height, menu->Images()->Height() + 3);
  }
  if (FOnMeasureItem) FOnMeasureItem(this, ACanvas, Width, Height);
}

void TMenuItem::AdvancedDrawItem(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State,
                                 bool TopLevel) {
  if (FOnAdvancedDrawItem) {
    FOnAdvancedDrawItem(this, ACanvas, ARect, State);
  } else if (FOnDrawItem) {
    FOnDrawItem(this, ACanvas, ARect, (State & odSelected) != 0);
  } else {
    DoDrawItem(ACanvas, ARect, State, TopLevel);
  }
}

void TMenuItem::DrawItem(TCanvas* ACanvas, RECT ARect, bool Selected) {
  DoDrawItem(ACanvas, ARect, Selected ? odSelected : 0, IsTopLevelOfMainMenu());
}

void TMenuItem::DoDrawItem(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State, bool TopLevel) {
  RECT textRect = DrawItemFrame(ACanvas, ARect, State, TopLevel);
  DrawItemText(ACanvas, textRect, State, TopLevel);
}

RECT TMenuItem::DrawItemFrame(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State,
                              bool TopLevel) {
  bool selected = (State & odSelected) != 0 && !IsLine();
  ACanvas->Brush()->SetColor(selected ? clHighlight : clMenu);
  ACanvas->FillRect(ARect);
  ACanvas->Font()->SetColor(selected ? clHighlightText : clMenuText);
  if (IsLine()) {
    RECT line = ARect;
    line.top += (ARect.bottom - ARect.top) / 2 - 1;
    line.left += 2;
    line.right -= 2;
    ACanvas->Changing();
    DrawEdge(ACanvas->Handle(), &line, EDGE_ETCHED, BF_TOP);
    ACanvas->Changed();
    return RECT{ARect.left, ARect.top, ARect.left, ARect.bottom};
  }
  if (TopLevel) return RECT{ARect.left + 6, ARect.top, ARect.right - 6, ARect.bottom};

  TMenu* menu = GetParentMenu();
  RECT glyph{ARect.left, ARect.top, ARect.left + GlyphColumnWidth(menu), ARect.bottom};
  int centreX = (glyph.left + glyph.right) / 2;
  int centreY = (glyph.top + glyph.bottom) / 2;
  bool enabled = FEnabled && !(State & (odDisabled | odGrayed));
  TCustomImageList* images = menu ? menu->Images() : nullptr;
  if (images && FImageIndex >= 0 && FImageIndex < images->Count()) {
    int x = centreX - images->Width() / 2;
    int y = centreY - images->Height() / 2;
    images->Draw(ACanvas, x, y, FImageIndex, enabled);
    if (FChecked) {
      RECT frame{x - 2, y - 2, x + images->Width() + 2, y + images->Height() + 2};
      ACanvas->Changing();
      DrawEdge(ACanvas->Handle(), &frame, BDR_SUNKENOUTER, BF_RECT);
      ACanvas->Changed();
    }
  } else if (FBitmap && !FChecked) {
    BITMAP info{};
    if (GetObjectA(FBitmap, sizeof(info), &info)) {
      int w = std::min<int>(info.bmWidth, glyph.right - glyph.left);
      int h = std::min<int>(info.bmHeight, glyph.bottom - glyph.top);
      HDC source = CreateCompatibleDC(ACanvas->Handle());
      HGDIOBJ old = SelectObject(source, FBitmap);
      ACanvas->Changing();
      BitBlt(ACanvas->Handle(), centreX - w / 2, centreY - h / 2, w, h, source, 0, 0, SRCCOPY);
      ACanvas->Changed();
      SelectObject(source, old);
      DeleteDC(source);
    }
  } else if (FChecked) {
    TColor mark = enabled ? ACanvas->Font()->Color() : clGrayText;
    if (FRadioItem) {
      ACanvas->Pen()->SetColor(mark);
      ACanvas->Brush()->SetColor(mark);
      ACanvas->Ellipse(centreX - 3, centreY - 3, centreX + 4, centreY + 4);
    } else {
      ACanvas->Pen()->SetColor(mark);
      ACanvas->Pen()->SetWidth(2);
      POINT tick[] = {{centreX - 4, centreY}, {centreX - 1, centreY + 3}, {centreX + 4, centreY - 3}};
      ACanvas->Polyline(tick, 3);
      ACanvas->Pen()->SetWidth(1);
    }
  }
  return RECT{glyph.right + 2, ARect.top, ARect.right - 6, ARect.bottom};
}

void TMenuItem::DrawItemText(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State, bool TopLevel) {
  if (IsLine()) return;
  std::string shortCut = TopLevel ? std::string() : ShortCutText();
  if (FCaption.empty() && shortCut.empty()) return;
  UINT flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
  if (State & odNoAccel) flags |= DT_HIDEPREFIX;
  if (TopLevel) flags |= DT_CENTER;
  TMenu* menu = GetParentMenu();
  if (menu && menu->IsRightToLeft()) flags |= DT_RTLREADING;
  bool selected = (State & odSelected) != 0;
  bool enabled = FEnabled && !(State & (odDisabled | odGrayed));

  TFontStyles oldStyle = ACanvas->Font()->Style();
  TColor oldColor = ACanvas->Font()->Color();
  if (FDefault) {
    TFontStyles bold = oldStyle;
    bold.Include(fsBold);
    ACanvas->Font()->SetStyle(bold);
  }
  auto drawTexts = [&](RECT r, TColor colour) {
    ACanvas->Font()->SetColor(colour);
    ACanvas->RequiredState({csHandleValid, csFontValid});
    HDC dc = ACanvas->Handle();
    int oldMode = SetBkMode(dc, TRANSPARENT);
    ACanvas->Changing();
    if (!FCaption.empty()) {
      DrawTextA(dc, FCaption.c_str(), static_cast<int>(FCaption.size()), &r, flags | DT_LEFT);
    }
    if (!shortCut.empty()) {
      DrawTextA(dc, shortCut.c_str(), static_cast<int>(shortCut.size()), &r,
                (flags & ~DT_CENTER) | DT_RIGHT);
    }
    ACanvas->Changed();
    SetBkMode(dc, oldMode);
  };
  if (enabled) {
    drawTexts(ARect, oldColor);
  } else {
    // The classic embossed look: a light copy one pixel down and right.
    if (!selected) drawTexts(RECT{ARect.left + 1, ARect.top + 1, ARect.right + 1, ARect.bottom + 1},
                             clBtnHighlight);
    drawTexts(ARect, clGrayText);
  }
  ACanvas->Font()->SetColor(oldColor);
  if (FDefault) ACanvas->Font()->SetStyle(oldStyle);
}

// ------------------------------------------------------------------ TMenu

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner) {}

TMenu::~TMenu() {
  // Nothing may make a new root from here on (Items() checks csDestroying).
  Destroying();
  if (FItems) {
    TMenuItem* root = FItems;
    FItems = nullptr;
    if (root->FHandle && FWindowHandle && IsWindow(FWindowHandle) &&
        GetMenu(FWindowHandle) == root->FHandle) {
      SetMenu(FWindowHandle, nullptr);
    }
    root->FMenu = nullptr;
    delete root;
  }
}

TMenuItem* TMenu::Items() const {
  if (!FItems && !ComponentState().Contains(csDestroying)) {
    auto* self = const_cast<TMenu*>(this);
    TMenuItem* root = self->CreateMenuItem(self);
    root->FMenu = self;
    FItems = root;
  }
  return FItems;
}

HMENU TMenu::Handle() {
  TMenuItem* root = Items();
  return root ? root->Handle() : nullptr;
}

TMenuItem* TMenu::CreateMenuItem(TComponent* AOwner) { return new TMenuItem(AOwner); }

TMenuItem* TMenu::NewItem(TMenuItem* Parent, const std::string& Caption, TShortCut AShortCut,
                          TNotifyEvent OnClick) {
  TMenuItem* item = CreateMenuItem(this);
  try {
    item->SetCaption(Caption);
    item->SetShortCut(AShortCut);
    if (OnClick) item->SetOnClick(std::move(OnClick));
    (Parent ? Parent : Items())->Add(item);
  } catch (...) {
    delete item;
    throw;
  }
  return item;
}

void TMenu::SetOwnerDraw(bool Value) {
  if (Value == FOwnerDraw) return;
  FOwnerDraw = Value;
  RebuildMenu();
  MenuChanged(this, nullptr, true);
}

void TMenu::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (Value) Value->FreeNotification(this);
  RebuildMenu();
  MenuChanged(this, nullptr, true);
}

void TMenu::SetWindowHandle(HWND Value) { FWindowHandle = Value; }

bool TMenu::IsOwnerDraw() const { return FOwnerDraw || FImages; }

TMenuItem* TMenu::FindItem(intptr_t Value, TFindItemKind Kind) {
  TMenuItem* root = Items();
  return root ? root->Find(Value, Kind) : nullptr;
}

bool TMenu::DispatchCommand(uint16_t ACommand) {
  TMenuItem* item = FindItem(ACommand, fkCommand);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::DispatchPopup(HMENU AHandle) {
  if (!AHandle) return false;
  TMenuItem* item = FindItem(reinterpret_cast<intptr_t>(AHandle), fkHandle);
  if (!item) return false;
  for (int32_t i = 0; i < item->Count(); ++i) item->Items(i)->InitiateAction();
  // An item's OnClick runs as its submenu opens, so it can fill the submenu.
  if (item != FItems) item->Click();
  return true;
}

bool TMenu::IsShortCut(const TMessage& Message) {
  TShortCut shortCut = ShortCutFromMessage(Message);
  if (shortCut == scNone) return false;
  TMenuItem* item = FindItem(shortCut, fkShortCut);
  if (!item) return false;
  std::vector<TMenuItem*> chain;
  for (TMenuItem* p = item; p && p != FItems; p = p->Parent()) chain.push_back(p);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) (*it)->InitiateAction();
  bool enabled = std::all_of(chain.begin(), chain.end(),
                             [](TMenuItem* p) { return p->Enabled() && p->Visible(); });
  if (enabled) item->Click();
  return true;
}

void TMenu::MenuChanged(TObject*, TMenuItem*, bool) {
  if (FOnChange) FOnChange(this);
}

bool TMenu::MeasureItemMessage(MEASUREITEMSTRUCT& Data) {
  if (Data.CtlType != ODT_MENU) return false;
  TMenuItem* item = FindItem(static_cast<intptr_t>(Data.itemID), fkCommand);
  if (!item) return false;
  HDC dc = GetDC(nullptr);
  if (!dc) return false;
  int width = static_cast<int>(Data.itemWidth);
  int height = static_cast<int>(Data.itemHeight);
  try {
    TMessageCanvas canvas(dc);
    item->MeasureItem(&canvas.Canvas, width, height);
  } catch (...) {
    ReleaseDC(nullptr, dc);
    throw;
  }
  ReleaseDC(nullptr, dc);
  Data.itemWidth = static_cast<UINT>(std::max(width, 0));
  Data.itemHeight = static_cast<UINT>(std::max(height, 0));
  return true;
}

bool TMenu::DrawItemMessage(const DRAWITEMSTRUCT& Data) {
  if (Data.CtlType != ODT_MENU || !Data.hDC) return false;
  TMenuItem* item = FindItem(static_cast<intptr_t>(Data.itemID), fkCommand);
  if (!item) return false;
  TMessageCanvas canvas(Data.hDC);
  item->AdvancedDrawItem(&canvas.Canvas, Data.rcItem, OwnerDrawStateFromItemState(Data.itemState),
                         item->IsTopLevelOfMainMenu());
  return true;
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) {
    FImages = nullptr;
    if (!ComponentState().Contains(csDestroying)) RebuildMenu();
  }
}

void TMenu::Loaded() {
  TComponent::Loaded();
  RebuildMenu();
  MenuChanged(this, nullptr, true);
}

void TMenu::RebuildMenu() {
  if (FItems) FItems->UpdateItems();
}

// ------------------------------------------------------------------ TMainMenu

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

HMENU TMainMenu::Handle() { return TMenu::Handle(); }

void TMainMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
  TMenu::MenuChanged(Sender, Source, Rebuild);
  if (FWindowHandle && IsWindow(FWindowHandle)) DrawMenuBar(FWindowHandle);
}

// ------------------------------------------------------------------ TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) { PopupList()->Add(this); }

TPopupMenu::~TPopupMenu() { PopupList()->Remove(this); }

HMENU TPopupMenu::Handle() { return TMenu::Handle(); }

void TPopupMenu::DoPopup(TObject* Sender) {
  if (FOnPopup) FOnPopup(Sender);
}

void TPopupMenu::Popup(int X, int Y) {
  DoPopup(this);
  TMenuItem* root = Items();
  if (!root) return;
  for (int32_t i = 0; i < root->Count(); ++i) root->Items(i)->InitiateAction();
  HWND owner = PopupList()->Window();
  SetWindowHandle(owner);
  TPopupAlignment alignment = FAlignment;
  UINT flags = TPM_RIGHTBUTTON;
  if (IsRightToLeft()) {
    flags |= TPM_LAYOUTRTL;
    if (alignment == paLeft) alignment = paRight;
    else if (alignment == paRight) alignment = paLeft;
  }
  switch (alignment) {
    case paLeft: flags |= TPM_LEFTALIGN; break;
    case paRight: flags |= TPM_RIGHTALIGN; break;
    case paCenter: flags |= TPM_CENTERALIGN; break;
  }
  // The command comes back later as a WM_COMMAND posted to the owner window.
  TrackPopupMenu(Handle(), flags, X, Y, 0, owner, nullptr);
}

// ------------------------------------------------------------------ TPopupList

namespace {

TPopupList*& CurrentPopupList() {
  static TPopupList* list = nullptr;
  return list;
}

}  // namespace

TPopupList* PopupList() {
  TPopupList*& list = CurrentPopupList();
  if (!list) list = new TPopupList;
  return list;
}

void SetPopupList(TPopupList* Value) { CurrentPopupList() = Value; }

TPopupList::TPopupList() = default;

TPopupList::~TPopupList() { DeallocateHWnd(FWindow); }

HWND TPopupList::Window() {
  if (!FWindow) {
    FWindow = AllocateHWnd([this](TMessage& Message) { WndProc(Message); });
    if (!FWindow) RaiseLastOSError();
  }
  return FWindow;
}

void TPopupList::Add(TPopupMenu* Menu) {
  if (Menu && std::find(FMenus.begin(), FMenus.end(), Menu) == FMenus.end()) {
    FMenus.push_back(Menu);
  }
}

void TPopupList::Remove(TPopupMenu* Menu) {
  FMenus.erase(std::remove(FMenus.begin(), FMenus.end(), Menu), FMenus.end());
}

TMenuItem* TPopupList::MenuSelectItem(const TMessage& Message) const {
  UINT flags = HIWORD(Message.WParam);
  auto menu = reinterpret_cast<HMENU>(Message.LParam);
  // Flags 0xFFFF with no menu: the menu closed.
  if (flags == 0xFFFF && !menu) return nullptr;
  TMenuItem* item = nullptr;
  for (size_t i = 0; i < FMenus.size() && !item; ++i) {
    if (flags & MF_POPUP) {
      HMENU subMenu = menu ? GetSubMenu(menu, LOWORD(Message.WParam)) : nullptr;
      if (subMenu) item = FMenus[i]->FindItem(reinterpret_cast<intptr_t>(subMenu), fkHandle);
    } else {
      item = FMenus[i]->FindItem(LOWORD(Message.WParam), fkCommand);
    }
  }
  return item;
}

void TPopupList::WndProc(TMessage& Message) {
  Message.Result = 0;
  switch (Message.Msg) {
    case WM_COMMAND:
      // Each step re-reads the list: a click may free menus.
      for (size_t i = 0; i < FMenus.size(); ++i) {
        if (FMenus[i]->DispatchCommand(LOWORD(Message.WParam))) return;
      }
      break;
    case WM_INITMENUPOPUP:
      for (size_t i = 0; i < FMenus.size(); ++i) {
        if (FMenus[i]->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam))) return;
      }
      break;
    case WM_MENUSELECT: {
      TMenuItem* item = MenuSelectItem(Message);
      Application()->SetHint(item ? GetLongHint(item->Hint()) : std::string());
      return;
    }
    case WM_DRAWITEM: {
      const auto* data = reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
      for (size_t i = 0; data && i < FMenus.size(); ++i) {
        if (FMenus[i]->DrawItemMessage(*data)) {
          Message.Result = TRUE;
          return;
        }
      }
      break;
    }
    case WM_MEASUREITEM: {
      auto* data = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      for (size_t i = 0; data && i < FMenus.size(); ++i) {
        if (FMenus[i]->MeasureItemMessage(*data)) {
          Message.Result = TRUE;
          return;
        }
      }
      break;
    }
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
      return;
    default:
      break;
  }
  Message.Result = DefWindowProcA(FWindow, Message.Msg, Message.WParam, Message.LParam);
}
