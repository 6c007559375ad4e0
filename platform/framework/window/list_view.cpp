#include "framework/list_view.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "framework/exceptions.h"
#include "framework/flag_scope.h"

namespace {

constexpr const wchar_t* kListIndexError = L"List index out of bounds (%d)";
constexpr DWORD kExtendedStyles = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;

void InitListViewClass() {
  static const bool initialised = [] {
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)initialised;
}

int ColumnFormat(TAlignment Alignment) {
  switch (Alignment) {
    case taRightJustify:
      return LVCFMT_RIGHT;
    case taCenter:
      return LVCFMT_CENTER;
    default:
      return LVCFMT_LEFT;
  }
}

// The sub-items of one item: every change reaches the window.
class TSubItems : public TStringList {
 public:
  explicit TSubItems(TListItem* AOwner) : FOwner(AOwner) {}

 protected:
  void Changed() override {
    TStringList::Changed();
    if (UpdateCount() == 0) FOwner->Update();
  }

 private:
  TListItem* FOwner;
};

}  // namespace

int CALLBACK DefaultListViewSort(LPARAM Item1, LPARAM Item2, LPARAM /*ParamSort*/) {
  const auto* a = reinterpret_cast<const TListItem*>(Item1);
  const auto* b = reinterpret_cast<const TListItem*>(Item2);
  if (a == nullptr || b == nullptr) return 0;
  return CompareStringA(LOCALE_USER_DEFAULT, 0, a->Caption().data(), static_cast<int>(a->Caption().size()),
                        b->Caption().data(), static_cast<int>(b->Caption().size())) -
         CSTR_EQUAL;
}

// --- TListColumn ---

TListColumn::TListColumn(TListColumns* AOwner) : FOwner(AOwner) {}

int32_t TListColumn::Index() const { return FOwner != nullptr ? FOwner->IndexOf(this) : -1; }

void TListColumn::SetCaption(const std::string& Value) {
  FCaption = Value;
  Changed();
}

int TListColumn::Width() const {
  TCustomListView* view = FOwner != nullptr ? FOwner->Owner() : nullptr;
  const int32_t index = Index();
  if (view == nullptr || !view->HandleAllocated() || index < 0) return FWidth;
  return static_cast<int>(SendMessageA(view->WindowHandle(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index), 0));
}

void TListColumn::SetWidth(int Value) {
  FWidth = Value;
  TCustomListView* view = FOwner != nullptr ? FOwner->Owner() : nullptr;
  const int32_t index = Index();
  if (view != nullptr && view->HandleAllocated() && index >= 0) {
    SendMessageA(view->WindowHandle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(Value, 0));
  }
}

void TListColumn::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  Changed();
}

void TListColumn::Changed() {
  TCustomListView* view = FOwner != nullptr ? FOwner->Owner() : nullptr;
  const int32_t index = Index();
  if (view == nullptr || !view->HandleAllocated() || index < 0) return;
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_FMT;
  column.fmt = ColumnFormat(FAlignment);
  column.pszText = const_cast<char*>(FCaption.c_str());
  SendMessageA(view->WindowHandle(), LVM_SETCOLUMNA, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&column));
}

void TListColumn::Assign(TPersistent* Source) {
  auto* column = dynamic_cast<TListColumn*>(Source);
  if (column == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  FCaption = column->FCaption;
  FAlignment = column->FAlignment;
  FTag = column->FTag;
  Changed();
  SetWidth(column->Width());
}

// --- TListColumns ---

TListColumns::~TListColumns() {
  for (TListColumn* column : FItems) {
    column->FOwner = nullptr;
    delete column;
  }
}

TListColumn* TListColumns::Items(int32_t Index) const {
  if (Index < 0 || Index >= Count()) RaiseListError(kListIndexError, Index);
  return FItems[static_cast<size_t>(Index)];
}

TListColumn* TListColumns::Add() {
  TListColumn* column = NewColumn();
  FItems.push_back(column);
  if (FOwner->HandleAllocated()) FOwner->InsertNativeColumn(Count() - 1);
  return column;
}

void TListColumns::Delete(int32_t Index) {
  TListColumn* column = Items(Index);
  if (FOwner->HandleAllocated()) {
    SendMessageA(FOwner->WindowHandle(), LVM_DELETECOLUMN, static_cast<WPARAM>(Index), 0);
  }
  FItems.erase(FItems.begin() + Index);
  column->FOwner = nullptr;
  delete column;
}

void TListColumns::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

int32_t TListColumns::IndexOf(const TListColumn* Column) const {
  auto it = std::find(FItems.begin(), FItems.end(), Column);
  return it == FItems.end() ? -1 : static_cast<int32_t>(it - FItems.begin());
}

void TListColumns::Assign(TPersistent* Source) {
  auto* columns = dynamic_cast<TListColumns*>(Source);
  if (columns == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (columns == this) return;
  Clear();
  for (TListColumn* column : columns->FItems) Add()->Assign(column);
}

// --- TListItem ---

TListItem::TListItem(TListItems* AOwner) : FOwner(AOwner), FSubItems(new TSubItems(this)) {}

TListItem::~TListItem() {
  LeaveList();
  delete FSubItems;
}

void TListItem::LeaveList() {
  if (FOwner != nullptr) FOwner->Remove(this);
}

TCustomListView* TListItem::ListView() const { return FOwner != nullptr ? FOwner->Owner() : nullptr; }

int32_t TListItem::Index() const {
  if (FOwner == nullptr) return -1;
  const std::vector<TListItem*>& items = FOwner->FItems;
  if (FIndex >= 0 && static_cast<size_t>(FIndex) < items.size() && items[static_cast<size_t>(FIndex)] == this) {
    return FIndex;
  }
  FIndex = FOwner->IndexOf(this);
  return FIndex;
}

HWND TListItem::Window() const {
  TCustomListView* view = ListView();
  if (view == nullptr || !view->HandleAllocated() || Index() < 0) return nullptr;
  return view->WindowHandle();
}

void TListItem::SetCaption(const std::string& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  if (HWND wnd = Window()) {
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(wnd, LVM_SETITEMTEXTA, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&item));
  }
}

void TListItem::SetSubItems(TStrings* Value) { FSubItems->Assign(Value); }

void TListItem::Update() {
  HWND wnd = Window();
  if (wnd == nullptr) return;
  const auto index = static_cast<WPARAM>(Index());
  // Sub-items the window has never been told of must ask for their text too.
  for (int32_t column = 1; column <= FSubItems->Count(); ++column) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(wnd, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(wnd, LVM_UPDATE, index, 0);
}

bool TListItem::StateOf(UINT Mask) const {
  return (SendMessageA(Window(), LVM_GETITEMSTATE, static_cast<WPARAM>(Index()), Mask) & Mask) != 0;
}

void TListItem::SetState(UINT Mask, bool Value) {
  LVITEMA item{};
  item.stateMask = Mask;
  item.state = Value ? Mask : 0;
  SendMessageA(Window(), LVM_SETITEMSTATE, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&item));
}

bool TListItem::Checked() const {
  TCustomListView* view = ListView();
  if (view == nullptr || !view->CheckBoxes()) return false;
  if (Window() == nullptr) return FChecked;
  const auto state = SendMessageA(Window(), LVM_GETITEMSTATE, static_cast<WPARAM>(Index()), LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void TListItem::SetChecked(bool Value) {
  FChecked = Value;
  TCustomListView* view = ListView();
  if (Window() == nullptr || view == nullptr || !view->CheckBoxes()) return;
  LVITEMA item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(Value ? 2 : 1);
  SendMessageA(Window(), LVM_SETITEMSTATE, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&item));
}

bool TListItem::Selected() const { return Window() != nullptr ? StateOf(LVIS_SELECTED) : FSelected; }

void TListItem::SetSelected(bool Value) {
  FSelected = Value;
  if (Window() != nullptr) SetState(LVIS_SELECTED, Value);
}

bool TListItem::Focused() const { return Window() != nullptr ? StateOf(LVIS_FOCUSED) : FFocused; }

void TListItem::SetFocused(bool Value) {
  FFocused = Value;
  if (Window() != nullptr) SetState(LVIS_FOCUSED, Value);
}

bool TListItem::EditCaption() {
  HWND wnd = Window();
  if (wnd == nullptr) return false;
  return SendMessageA(wnd, LVM_EDITLABELA, static_cast<WPARAM>(Index()), 0) != 0;
}

void TListItem::MakeVisible(bool PartialOK) {
  if (HWND wnd = Window()) {
    SendMessageA(wnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(Index()), PartialOK ? TRUE : FALSE);
  }
}

void TListItem::Delete() {
  LeaveList();
  delete this;
}

void TListItem::Assign(TPersistent* Source) {
  auto* item = dynamic_cast<TListItem*>(Source);
  if (item == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  SetCaption(item->Caption());
  FData = item->FData;
  FSubItems->Assign(item->FSubItems);
}

// --- TListItems ---

TListItems::~TListItems() {
  for (TListItem* item : FItems) {
    item->FOwner = nullptr;
    delete item;
  }
}

TListItem* TListItems::Item(int32_t Index) const {
  if (Index < 0 || Index >= Count()) RaiseListError(kListIndexError, Index);
  return FItems[static_cast<size_t>(Index)];
}

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(int32_t Index) {
  if (Index < 0 || Index > Count()) RaiseListError(kListIndexError, Index);
  TListItem* item = FOwner->CreateListItem();
  FItems.insert(FItems.begin() + Index, item);
  if (FOwner->HandleAllocated()) {
    try {
      FOwner->InsertNativeItem(Index);
    } catch (...) {
      FItems.erase(FItems.begin() + Index);
      item->FOwner = nullptr;
      delete item;
      throw;
    }
  }
  return item;
}

bool TListItems::Remove(TListItem* Item) {
  const int32_t index = IndexOf(Item);
  if (index < 0) return false;
  FOwner->ItemDeleting(Item);
  if (FOwner->HandleAllocated()) {
    SendMessageA(FOwner->WindowHandle(), LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
  }
  FItems.erase(FItems.begin() + index);
  return true;
}

void TListItems::Delete(int32_t Index) {
  TListItem* item = Item(Index);
  Remove(item);
  delete item;
}

void TListItems::Clear() {
  if (FItems.empty()) return;
  FOwner->ItemDeleting(nullptr);
  if (FOwner->HandleAllocated()) SendMessageA(FOwner->WindowHandle(), LVM_DELETEALLITEMS, 0, 0);
  std::vector<TListItem*> items;
  items.swap(FItems);
  for (TListItem* item : items) {
    item->FOwner = nullptr;
    delete item;
  }
}

int32_t TListItems::IndexOf(const TListItem* Value) const {
  auto it = std::find(FItems.begin(), FItems.end(), Value);
  return it == FItems.end() ? -1 : static_cast<int32_t>(it - FItems.begin());
}

void TListItems::BeginUpdate() {
  if (FUpdateCount++ == 0 && FOwner->HandleAllocated()) {
    SendMessageA(FOwner->WindowHandle(), WM_SETREDRAW, FALSE, 0);
  }
}

void TListItems::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0 && FOwner->HandleAllocated()) {
    SendMessageA(FOwner->WindowHandle(), WM_SETREDRAW, TRUE, 0);
    FOwner->Invalidate();
  }
}

void TListItems::Assign(TPersistent* Source) {
  auto* items = dynamic_cast<TListItems*>(Source);
  if (items == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (items == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TListItem* item : items->FItems) Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

// --- TCustomListView ---

TCustomListView::TCustomListView(TComponent* AOwner)
    : TCustomListView(
          AOwner, [](TCustomListView* View) { return new TListItems(View); },
          [](TCustomListView* View) { return new TListColumns(View); }) {}

TCustomListView::TCustomListView(TComponent* AOwner, TListItemsFactory MakeItems,
                                 TListColumnsFactory MakeColumns)
    : TWinControl(AOwner),
      FItems(MakeItems(this)),
      FColumns(MakeColumns(this)),
      FCanvas(new TControlCanvas) {
  FCanvas->SetControl(this);
  // The window clicks, selects and captures by itself; a double click still
  // reaches OnDblClick through the mouse message.
  FControlStyle = csSetCaption | csDoubleClicks;
  SetBounds(0, 0, 250, 150);
  SetTabStop(true);
  SetColor(clWindow);
}

TCustomListView::~TCustomListView() {
  // The window goes first: while it dies it still sends notifications that
  // name the items.
  Destroying();
  DestroyHandle();
  delete FItems;
  delete FColumns;
  delete FCanvas;
}

void TCustomListView::CreateParams(TCreateParams& Params) {
  InitListViewClass();
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_LISTVIEWA);
  static constexpr DWORD kViewStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  Params.Style |= kViewStyles[FViewStyle];
  if (!FMultiSelect) Params.Style |= LVS_SINGLESEL;
  if (!FReadOnly) Params.Style |= LVS_EDITLABELS;
  if (!FHideSelection) Params.Style |= LVS_SHOWSELALWAYS;
  if (!FColumnClick) Params.Style |= LVS_NOSORTHEADER;
  if (FBorderStyle != bsNone) Params.ExStyle |= WS_EX_CLIENTEDGE;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomListView::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateExtendedStyle();
  UpdateColors();
  TFlagScope restoring(FRestoring);
  for (int32_t i = 0; i < FColumns->Count(); ++i) InsertNativeColumn(i);
  for (int32_t i = 0; i < FItems->Count(); ++i) InsertNativeItem(i);
}

void TCustomListView::DestroyWnd() {
  if (!ComponentState().Contains(csDestroying)) {
    for (TListItem* item : FItems->FItems) {
      if (FCheckBoxes) item->FChecked = item->Checked();
      item->FSelected = item->StateOf(LVIS_SELECTED);
      item->FFocused = item->StateOf(LVIS_FOCUSED);
    }
    for (TListColumn* column : FColumns->FItems) column->FWidth = column->Width();
  }
  TWinControl::DestroyWnd();
}

void TCustomListView::InsertNativeColumn(int32_t Index) {
  TListColumn* column = FColumns->Items(Index);
  LVCOLUMNA native{};
  native.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  native.fmt = ColumnFormat(column->FAlignment);
  native.cx = column->FWidth;
  native.pszText = const_cast<char*>(column->FCaption.c_str());
  native.iSubItem = Index;
  if (SendMessageA(FHandle, LVM_INSERTCOLUMNA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&native)) < 0) {
    throw EOutOfResources(L"Unable to insert a column");
  }
  // A descendant may put its own caption into the window this way.
  column->Changed();
}

void TCustomListView::InsertNativeItem(int32_t Index) {
  TListItem* item = FItems->Item(Index);
  LVITEMA native{};
  native.mask = LVIF_TEXT | LVIF_PARAM;
  native.iItem = Index;
  native.pszText = LPSTR_TEXTCALLBACKA;
  native.lParam = reinterpret_cast<LPARAM>(item);
  if (SendMessageA(FHandle, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&native)) != Index) {
    throw EOutOfResources(L"Unable to insert an item");
  }
  item->Update();
  ApplyItemState(item);
}

void TCustomListView::ApplyItemState(TListItem* Item) {
  if (FCheckBoxes) Item->SetChecked(Item->FChecked);
  if (Item->FSelected) Item->SetSelected(true);
  if (Item->FFocused) Item->SetFocused(true);
}

DWORD TCustomListView::ExtendedStyle() const {
  DWORD style = 0;
  if (FCheckBoxes) style |= LVS_EX_CHECKBOXES;
  if (FRowSelect) style |= LVS_EX_FULLROWSELECT;
  if (FGridLines) style |= LVS_EX_GRIDLINES;
  return style;
}

void TCustomListView::UpdateExtendedStyle() {
  if (FHandle != nullptr) {
    SendMessageA(FHandle, LVM_SETEXTENDEDLISTVIEWSTYLE, kExtendedStyles, static_cast<LPARAM>(ExtendedStyle()));
  }
}

void TCustomListView::UpdateColors() {
  if (FHandle == nullptr) return;
  const COLORREF back = ColorToRGB(Color());
  SendMessageA(FHandle, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(back));
  SendMessageA(FHandle, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(back));
  // The window itself draws a disabled list like an enabled one.
  const TColor text = Enabled() ? Font()->Color() : clGrayText;
  SendMessageA(FHandle, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(text)));
}

void TCustomListView::SetViewStyle(TViewStyle Value) {
  if (FViewStyle == Value) return;
  FViewStyle = Value;
  RecreateWnd();
}

void TCustomListView::SetCheckBoxes(bool Value) {
  if (FCheckBoxes == Value) return;
  if (HandleAllocated() && FCheckBoxes) {
    for (TListItem* item : FItems->FItems) item->FChecked = item->Checked();
  }
  FCheckBoxes = Value;
  if (!HandleAllocated()) return;
  UpdateExtendedStyle();
  if (Value) {
    for (TListItem* item : FItems->FItems) item->SetChecked(item->FChecked);
  }
}

void TCustomListView::SetMultiSelect(bool Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  RecreateWnd();
}

void TCustomListView::SetRowSelect(bool Value) {
  FRowSelect = Value;
  UpdateExtendedStyle();
}

void TCustomListView::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  RecreateWnd();
}

void TCustomListView::SetGridLines(bool Value) {
  FGridLines = Value;
  UpdateExtendedStyle();
}

void TCustomListView::SetHideSelection(bool Value) {
  if (FHideSelection == Value) return;
  FHideSelection = Value;
  RecreateWnd();
}

void TCustomListView::SetColumnClick(bool Value) {
  if (FColumnClick == Value) return;
  FColumnClick = Value;
  RecreateWnd();
}

void TCustomListView::SetBorderStyle(TFormBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

TListItem* TCustomListView::Selected() const {
  if (FHandle == nullptr) {
    for (TListItem* item : FItems->FItems) {
      if (item->FSelected) return item;
    }
    return nullptr;
  }
  const auto index = static_cast<int>(SendMessageA(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                   MAKELPARAM(LVNI_SELECTED, 0)));
  return ItemOfNotify(index, 0);
}

void TCustomListView::SetSelected(TListItem* Value) {
  if (FHandle != nullptr) {
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  }
  for (TListItem* item : FItems->FItems) item->FSelected = false;
  if (Value != nullptr && Value->Owner() == FItems) Value->SetSelected(true);
}

TListItem* TCustomListView::ItemFocused() const {
  if (FHandle == nullptr) {
    for (TListItem* item : FItems->FItems) {
      if (item->FFocused) return item;
    }
    return nullptr;
  }
  const auto index = static_cast<int>(SendMessageA(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                   MAKELPARAM(LVNI_FOCUSED, 0)));
  return ItemOfNotify(index, 0);
}

void TCustomListView::SetItemFocused(TListItem* Value) {
  if (TListItem* focused = ItemFocused()) focused->SetFocused(false);
  if (Value != nullptr && Value->Owner() == FItems) Value->SetFocused(true);
}

int32_t TCustomListView::SelCount() const {
  if (FHandle != nullptr) return static_cast<int32_t>(SendMessageA(FHandle, LVM_GETSELECTEDCOUNT, 0, 0));
  return static_cast<int32_t>(std::count_if(FItems->FItems.begin(), FItems->FItems.end(),
                                            [](const TListItem* item) { return item->FSelected; }));
}

TListItem* TCustomListView::GetItemAt(int X, int Y) {
  LVHITTESTINFO hit{};
  hit.pt = POINT{X, Y};
  const auto index = static_cast<int>(SendMessageA(Handle(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & LVHT_ONITEM) ? ItemOfNotify(index, 0) : nullptr;
}

bool TCustomListView::IsEditing() const {
  return FHandle != nullptr && SendMessageA(FHandle, LVM_GETEDITCONTROL, 0, 0) != 0;
}

HWND TCustomListView::HeaderHandle() const {
  return FHandle != nullptr ? reinterpret_cast<HWND>(SendMessageA(FHandle, LVM_GETHEADER, 0, 0)) : nullptr;
}

bool TCustomListView::AlphaSort() { return CustomSort(nullptr, 0); }

bool TCustomListView::CustomSort(PFNLVCOMPARE SortProc, LPARAM Data) {
  if (FHandle == nullptr) return false;
  LRESULT sorted = 0;
  if (SortProc != nullptr) {
    sorted = SendMessageA(FHandle, LVM_SORTITEMS, static_cast<WPARAM>(Data), reinterpret_cast<LPARAM>(SortProc));
  } else {
    sorted = SendMessageA(FHandle, LVM_SORTITEMS, reinterpret_cast<WPARAM>(this),
                          reinterpret_cast<LPARAM>(&DefaultListViewSort));
  }
  ReadNativeOrder();
  return sorted != 0;
}

void TCustomListView::ReadNativeOrder() {
  std::vector<TListItem*>& items = FItems->FItems;
  const std::unordered_set<TListItem*> known(items.begin(), items.end());
  if (SendMessageA(FHandle, LVM_GETITEMCOUNT, 0, 0) != static_cast<LRESULT>(items.size())) return;
  std::vector<TListItem*> order;
  order.reserve(items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    LVITEMA native{};
    native.mask = LVIF_PARAM;
    native.iItem = static_cast<int>(i);
    if (!SendMessageA(FHandle, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&native))) return;
    auto* item = reinterpret_cast<TListItem*>(native.lParam);
    if (known.count(item) == 0) return;
    order.push_back(item);
  }
  items.swap(order);
}

TListItem* TCustomListView::CreateListItem() {
  TListItemClass itemClass = &NewListItem<TListItem>;
  if (FOnCreateItemClass) FOnCreateItemClass(this, itemClass);
  return itemClass(FItems);
}

bool TCustomListView::CanEdit(TListItem* Item) {
  bool allow = true;
  if (FOnEditing) FOnEditing(this, Item, allow);
  return allow;
}

void TCustomListView::EditDone(TListItem* Item, std::string Text) {
  if (FOnEdited) FOnEdited(this, Item, Text);
  Item->SetCaption(Text);
}

void TCustomListView::DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos, bool& Handled) {
  if (FOnMouseWheel) FOnMouseWheel(this, Shift, WheelDelta, MousePos, Handled);
}

TListItem* TCustomListView::ItemOfNotify(int Index, LPARAM Param) const {
  const std::vector<TListItem*>& items = FItems->FItems;
  if (Index >= 0 && static_cast<size_t>(Index) < items.size()) {
    TListItem* item = items[static_cast<size_t>(Index)];
    if (Param == 0 || Param == reinterpret_cast<LPARAM>(item)) return item;
  }
  if (Param == 0) return nullptr;
  auto it = std::find(items.begin(), items.end(), reinterpret_cast<TListItem*>(Param));
  return it == items.end() ? nullptr : *it;
}

std::string TCustomListView::ColumnText(const TListItem* Item, int Column) {
  if (Item == nullptr || Column < 0) return {};
  if (Column == 0) return Item->Caption();
  return Column <= Item->SubItems()->Count() ? Item->SubItems()->Strings(Column - 1) : std::string();
}

void TCustomListView::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY:
      CNNotify(Message);
      return;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_ENABLEDCHANGED:
      TWinControl::Dispatch(Message);
      UpdateColors();
      Invalidate();
      return;
    case CM_WANTSPECIALKEY:
      // Enter and Escape end the label editor, not the form's default buttons.
      if ((CharCodeOf(Message) == VK_RETURN || CharCodeOf(Message) == VK_ESCAPE) && IsEditing()) {
        Message.Result = 1;
        return;
      }
      break;
    case WM_MOUSEWHEEL: {
      bool handled = false;
      const POINT pos{XOfLParam(Message.LParam), YOfLParam(Message.LParam)};
      DoMouseWheel(MouseKeysToShiftState(LOWORD(Message.WParam)), static_cast<int16_t>(HIWORD(Message.WParam)),
                   pos, handled);
      if (handled) return;
      break;
    }
    default:
      break;
  }
  TWinControl::Dispatch(Message);
}

void TCustomListView::CNNotify(TMessage& Message) {
  auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
  if (header == nullptr || ComponentState().Contains(csDestroying)) return;
  switch (header->code) {
    case LVN_GETDISPINFOA:
      GetDispInfo(*reinterpret_cast<NMLVDISPINFOA*>(header));
      return;
    case LVN_ITEMCHANGED:
      ItemChanged(*reinterpret_cast<NMLISTVIEW*>(header));
      return;
    case LVN_COLUMNCLICK: {
      const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
      if (FOnColumnClick && column >= 0 && column < FColumns->Count()) FOnColumnClick(this, FColumns->Items(column));
      return;
    }
    case LVN_BEGINLABELEDITA: {
      const LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
      TListItem* target = ItemOfNotify(item.iItem, item.lParam);
      Message.Result = target != nullptr && CanEdit(target) ? FALSE : TRUE;
      return;
    }
    case LVN_ENDLABELEDITA: {
      const LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
      TListItem* target = ItemOfNotify(item.iItem, item.lParam);
      // The window keeps its callback text; the new caption is ours to give.
      if (target != nullptr && item.pszText != nullptr) EditDone(target, item.pszText);
      Message.Result = FALSE;
      return;
    }
    case NM_CUSTOMDRAW:
      CustomDraw(Message);
      return;
    case NM_CLICK:
      Click();
      return;
    default:
      return;
  }
}

void TCustomListView::GetDispInfo(NMLVDISPINFOA& Info) {
  LVITEMA& item = Info.item;
  if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.pszText == LPSTR_TEXTCALLBACKA ||
      item.cchTextMax <= 0) {
    return;
  }
  const std::string text = ColumnText(ItemOfNotify(item.iItem, item.lParam), item.iSubItem);
  const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax) - 1);
  std::memcpy(item.pszText, text.data(), length);
  item.pszText[length] = '\0';
}

void TCustomListView::ItemChanged(const NMLISTVIEW& Info) {
  if (FRestoring || !(Info.uChanged & LVIF_STATE)) return;
  TListItem* item = ItemOfNotify(Info.iItem, Info.lParam);
  if (FOnChange) FOnChange(this, item, ctState);
  if (((Info.uOldState ^ Info.uNewState) & LVIS_SELECTED) && FOnSelectItem) {
    FOnSelectItem(this, item, (Info.uNewState & LVIS_SELECTED) != 0);
  }
}

void TCustomListView::CustomDraw(TMessage& Message) {
  auto& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(Message.LParam);
  Message.Result = CDRF_DODEFAULT;
  if (!FOnCustomDrawItem) return;
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
    Message.Result = CDRF_NOTIFYITEMDRAW;
    return;
  }
  if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return;
  TListItem* item = ItemOfNotify(static_cast<int>(draw.nmcd.dwItemSpec), draw.nmcd.lItemlParam);
  if (item == nullptr) return;
  static constexpr struct {
    UINT Native;
    TCustomDrawStateFlag Flag;
  } kStates[] = {{CDIS_SELECTED, cdsSelected}, {CDIS_GRAYED, cdsGrayed}, {CDIS_DISABLED, cdsDisabled},
                 {CDIS_CHECKED, cdsChecked},   {CDIS_FOCUS, cdsFocused}, {CDIS_DEFAULT, cdsDefault},
                 {CDIS_HOT, cdsHot}};
  TCustomDrawState state = 0;
  for (const auto& s : kStates) {
    if (draw.nmcd.uItemState & s.Native) state |= s.Flag;
  }
  FCanvas->FreeHandle();
  FCanvas->SetHandle(draw.nmcd.hdc);
  bool defaultDraw = true;
  try {
    FCanvas->Font()->Assign(Font());
    FCanvas->Brush()->SetColor(Color());
    FOnCustomDrawItem(this, item, state, defaultDraw);
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    throw;
  }
  FCanvas->SetHandle(nullptr);
  if (!defaultDraw) {
    Message.Result = CDRF_SKIPDEFAULT;
    return;
  }
  draw.clrText = ColorToRGB(FCanvas->Font()->Color());
  draw.clrTextBk = ColorToRGB(FCanvas->Brush()->Color());
  SelectObject(draw.nmcd.hdc, FCanvas->Font()->Handle());
  Message.Result = CDRF_NEWFONT;
}
