#include "framework/page_control.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/forms.h"

namespace {

void InitTabClass() {
  static const bool initialised = [] {
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)initialised;
}

}  // namespace

// --- TCustomTabControl ---

TCustomTabControl::TCustomTabControl(TComponent* AOwner) : TWinControl(AOwner) {
  // The system control tracks its own clicks; a capture taken for it would
  // hold the mouse away from it.
  FControlStyle = csAcceptsControls | csDoubleClicks | csOpaque;
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
  SetColor(clBtnFace);
}

void TCustomTabControl::CreateParams(TCreateParams& Params) {
  InitTabClass();
  TWinControl::CreateParams(Params);
  if (FMultiLine) Params.Style |= TCS_MULTILINE;
  CreateSubClass(Params, WC_TABCONTROLA);
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomTabControl::CreateWnd() {
  TWinControl::CreateWnd();
  CreateTabItems();
  if (FTabIndex >= 0) Perform(TCM_SETCURSEL, static_cast<WPARAM>(FTabIndex), 0);
  // The tabs now take their real room.
  Realign();
}

void TCustomTabControl::DestroyWnd() {
  FTabIndex = TabIndex();
  TWinControl::DestroyWnd();
}

void TCustomTabControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY:
      CNNotify(Message);
      return;
    case WM_SIZE:
    case CM_FONTCHANGED:
      // The tab rows and so the display area may change with either.
      TWinControl::Dispatch(Message);
      Realign();
      return;
    default:
      TWinControl::Dispatch(Message);
  }
}

void TCustomTabControl::CNNotify(TMessage& Message) {
  const auto* header = reinterpret_cast<const NMHDR*>(Message.LParam);
  if (header == nullptr) return;
  switch (header->code) {
    case TCN_SELCHANGING:
      // Non-zero keeps the current tab.
      Message.Result = CanChange() ? 0 : 1;
      return;
    case TCN_SELCHANGE:
      FTabIndex = TabIndex();
      Change();
      return;
    default:
      return;
  }
}

bool TCustomTabControl::CanChange() {
  bool allow = true;
  if (FOnChanging) FOnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change() {
  if (FOnChange) FOnChange(this);
}

void TCustomTabControl::AlignControls(TControl* AControl, RECT& Rect) {
  Rect = DisplayRect();
  TWinControl::AlignControls(AControl, Rect);
}

int32_t TCustomTabControl::TabIndex() {
  if (HandleAllocated()) FTabIndex = static_cast<int32_t>(Perform(TCM_GETCURSEL));
  return FTabIndex;
}

void TCustomTabControl::SetTabIndex(int32_t Value) {
  if (Value < -1) Value = -1;
  FTabIndex = Value;
  if (HandleAllocated()) {
    Perform(TCM_SETCURSEL, static_cast<WPARAM>(Value), 0);
    FTabIndex = static_cast<int32_t>(Perform(TCM_GETCURSEL));
  }
}

int32_t TCustomTabControl::TabCount() {
  return HandleAllocated() ? static_cast<int32_t>(Perform(TCM_GETITEMCOUNT)) : 0;
}

RECT TCustomTabControl::TabRect(int32_t Index) {
  RECT r{};
  if (HandleAllocated() && Index >= 0 &&
      Perform(TCM_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r)) == 0) {
    r = RECT{};
  }
  return r;
}

int32_t TCustomTabControl::IndexOfTabAt(int X, int Y) {
  if (!HandleAllocated()) return -1;
  TCHITTESTINFO info{{X, Y}, 0};
  return static_cast<int32_t>(Perform(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
}

RECT TCustomTabControl::DisplayRect() {
  RECT r = ClientRect();
  if (HandleAllocated()) {
    Perform(TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  } else {
    // Near enough until the window can tell: a frame and one row of tabs.
    InflateRect(&r, -4, -4);
    r.top += 20;
  }
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

void TCustomTabControl::SetMultiLine(bool Value) {
  if (FMultiLine == Value) return;
  FMultiLine = Value;
  RecreateWnd();
}

void TCustomTabControl::InsertTabItem(int32_t Index, const std::string& Text, void* Data) {
  if (!HandleAllocated()) return;
  TCITEMA item{};
  item.mask = TCIF_TEXT | TCIF_PARAM;
  item.pszText = const_cast<char*>(Text.c_str());
  item.lParam = reinterpret_cast<LPARAM>(Data);
  const LRESULT at =
      Perform(TCM_INSERTITEMA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item));
  if (at < 0) throw EOutOfResources(L"Unable to insert a line");
  // The item's data once more on its own: a layer that rewrote the insert's
  // text finds the item's owner here and sets the text it wants.
  TCITEMA data{};
  data.mask = TCIF_PARAM;
  data.lParam = reinterpret_cast<LPARAM>(Data);
  Perform(TCM_SETITEMA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&data));
}

void TCustomTabControl::SetTabItemText(int32_t Index, const std::string& Text) {
  if (!HandleAllocated()) return;
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  if (UseRightToLeftReading()) item.mask |= TCIF_RTLREADING;
  item.pszText = const_cast<char*>(Text.c_str());
  Perform(TCM_SETITEMA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item));
}

void TCustomTabControl::DeleteTabItem(int32_t Index) {
  if (HandleAllocated()) Perform(TCM_DELETEITEM, static_cast<WPARAM>(Index), 0);
}

// --- TTabSheet ---

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle |= csAcceptsControls;
  FVisible = false;
  SetAlign(alClient);
}

TTabSheet::~TTabSheet() {
  if (FPageControl != nullptr) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* Value) {
  if (FPageControl == Value) return;
  if (FPageControl != nullptr) FPageControl->RemovePage(this);
  TWinControl::SetParent(Value);
  if (Value != nullptr) Value->InsertPage(this);
}

void TTabSheet::SetParent(TWinControl* AParent) {
  if (auto* pages = dynamic_cast<TPageControl*>(AParent)) {
    SetPageControl(pages);
    return;
  }
  if (FPageControl != nullptr) FPageControl->RemovePage(this);
  TWinControl::SetParent(AParent);
}

int32_t TTabSheet::PageIndex() const {
  if (FPageControl == nullptr) return -1;
  const auto& pages = FPageControl->FPages;
  auto it = std::find(pages.begin(), pages.end(), this);
  return it == pages.end() ? -1 : static_cast<int32_t>(it - pages.begin());
}

void TTabSheet::SetPageIndex(int32_t Value) {
  if (FPageControl != nullptr) FPageControl->MovePage(this, Value);
}

int32_t TTabSheet::TabIndex() const {
  if (!FTabShowing || FPageControl == nullptr) return -1;
  int32_t index = 0;
  for (TTabSheet* page : FPageControl->FPages) {
    if (page == this) return index;
    if (page->FTabShowing) ++index;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool Value) {
  if (FTabVisible == Value) return;
  FTabVisible = Value;
  UpdateTabShowing();
}

void TTabSheet::UpdateTabShowing() {
  SetTabShowing(FPageControl != nullptr && FTabVisible && FPageControl->CanShowTab(PageIndex()));
}

void TTabSheet::SetTabShowing(bool Value) {
  if (FTabShowing == Value) return;
  if (Value) {
    FTabShowing = true;
    FPageControl->InsertTab(this);
  } else {
    const int32_t index = TabIndex();
    FTabShowing = false;
    if (FPageControl != nullptr) FPageControl->DeleteTab(index);
  }
}

void TTabSheet::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_TEXTCHANGED) {
    TWinControl::Dispatch(Message);
    if (FTabShowing && FPageControl != nullptr) FPageControl->UpdateTab(this);
    return;
  }
  TWinControl::Dispatch(Message);
}

void TTabSheet::DoShow() {
  if (FOnShow) FOnShow(this);
}

void TTabSheet::DoHide() {
  if (FOnHide) FOnHide(this);
}

// --- TPageControl ---

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}

TPageControl::~TPageControl() {
  // The pages die as children of the window control, after this part of the
  // object is gone: they must not call back into it.
  for (TTabSheet* page : FPages) {
    page->FPageControl = nullptr;
    page->FTabShowing = false;
  }
  FPages.clear();
  FActivePage = nullptr;
}

TTabSheet* TPageControl::Pages(int32_t Index) const {
  if (Index < 0 || Index >= PageCount()) return nullptr;
  return FPages[static_cast<size_t>(Index)];
}

int32_t TPageControl::ActivePageIndex() const {
  return FActivePage != nullptr ? FActivePage->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int32_t Value) { SetActivePage(Pages(Value)); }

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page != nullptr && Page->FPageControl != this) return;
  ChangeActivePage(Page);
}

void TPageControl::SetTabIndex(int32_t Value) {
  if (TTabSheet* page = PageForTab(Value)) {
    ChangeActivePage(page);
  } else {
    TCustomTabControl::SetTabIndex(Value);
  }
}

TTabSheet* TPageControl::PageForTab(int32_t TabIndex) const {
  if (TabIndex < 0) return nullptr;
  int32_t index = 0;
  for (TTabSheet* page : FPages) {
    if (!page->FTabShowing) continue;
    if (index == TabIndex) return page;
    ++index;
  }
  return nullptr;
}

bool TPageControl::CanShowTab(int32_t) { return true; }

void TPageControl::UpdateTabs() {
  for (TTabSheet* page : std::vector<TTabSheet*>(FPages)) page->UpdateTabShowing();
  SyncTabIndex();
}

void TPageControl::CreateTabItems() {
  for (TTabSheet* page : FPages) {
    page->FTabShowing = page->FTabVisible && CanShowTab(page->PageIndex());
  }
  int32_t index = 0;
  for (TTabSheet* page : FPages) {
    if (page->FTabShowing) InsertTabItem(index++, page->Caption(), page);
  }
  TCustomTabControl::SetTabIndex(FActivePage != nullptr ? FActivePage->TabIndex() : -1);
}

void TPageControl::InsertPage(TTabSheet* Page) {
  FPages.push_back(Page);
  Page->FPageControl = this;
  Page->UpdateTabShowing();
  if (FActivePage == nullptr) {
    ChangeActivePage(Page);
  } else {
    Page->SetVisible(false);
  }
}

void TPageControl::RemovePage(TTabSheet* Page) {
  auto it = std::find(FPages.begin(), FPages.end(), Page);
  if (it == FPages.end()) return;
  TTabSheet* next = nullptr;
  if (Page == FActivePage) {
    if (it + 1 != FPages.end()) {
      next = *(it + 1);
    } else if (it != FPages.begin()) {
      next = *(it - 1);
    }
  }
  Page->SetTabShowing(false);
  FPages.erase(std::find(FPages.begin(), FPages.end(), Page));
  Page->FPageControl = nullptr;
  if (Page != FActivePage) return;
  if (ComponentState().Contains(csDestroying)) {
    FActivePage = nullptr;
  } else {
    ChangeActivePage(next);
  }
}

void TPageControl::MovePage(TTabSheet* Page, int32_t NewIndex) {
  auto it = std::find(FPages.begin(), FPages.end(), Page);
  if (it == FPages.end()) return;
  NewIndex = std::clamp<int32_t>(NewIndex, 0, PageCount() - 1);
  if (static_cast<int32_t>(it - FPages.begin()) == NewIndex) return;
  const bool showing = Page->FTabShowing;
  Page->SetTabShowing(false);
  FPages.erase(it);
  FPages.insert(FPages.begin() + NewIndex, Page);
  if (showing) Page->SetTabShowing(true);
  SyncTabIndex();
}

void TPageControl::InsertTab(TTabSheet* Page) {
  InsertTabItem(Page->TabIndex(), Page->Caption(), Page);
  SyncTabIndex();
  Realign();
}

void TPageControl::DeleteTab(int32_t TabIndex) {
  if (TabIndex >= 0) DeleteTabItem(TabIndex);
  SyncTabIndex();
  Realign();
}

void TPageControl::UpdateTab(TTabSheet* Page) {
  const int32_t index = Page->TabIndex();
  if (index >= 0) SetTabItemText(index, Page->Caption());
  // A longer or shorter text may change the rows of a multi-line strip.
  if (MultiLine()) Realign();
}

void TPageControl::SyncTabIndex() {
  TCustomTabControl::SetTabIndex(FActivePage != nullptr ? FActivePage->TabIndex() : -1);
}

void TPageControl::ChangeActivePage(TTabSheet* Page) {
  if (FActivePage == Page) {
    SyncTabIndex();
    return;
  }
  TTabSheet* old = FActivePage;
  if (old != nullptr) {
    // The focus must not stay in a page that is hidden.
    TCustomForm* form = GetParentForm(this);
    TWinControl* focused = form != nullptr ? form->ActiveControl() : nullptr;
    if (focused != nullptr && old->ContainsControl(focused)) {
      if (CanFocus()) {
        SetFocus();
      } else {
        form->DefocusControl(old, false);
      }
    }
  }
  FActivePage = Page;
  if (Page != nullptr) {
    Page->SetBoundsRect(DisplayRect());
    Page->BringToFront();
    Page->SetVisible(true);
  }
  SyncTabIndex();
  if (old != nullptr) old->SetVisible(false);
  if (Page != nullptr) Page->DoShow();
  if (old != nullptr) old->DoHide();
}

void TPageControl::Change() {
  if (TTabSheet* page = PageForTab(TabIndex())) ChangeActivePage(page);
  TCustomTabControl::Change();
}
