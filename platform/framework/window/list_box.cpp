#include "framework/list_box.h"

#include <algorithm>
#include <cstring>

#include "framework/exceptions.h"
#include "framework/list_box_impl.h"

namespace {

constexpr const wchar_t* kListIndexError = L"List index out of bounds (%d)";

// Where the selected item ends up when the item at From moves to To.
int32_t IndexAfterMove(int32_t Selected, int32_t From, int32_t To) {
  if (Selected == From) return To;
  if (From < Selected && Selected <= To) return Selected - 1;
  if (To <= Selected && Selected < From) return Selected + 1;
  return Selected;
}

}  // namespace

using list_box_detail::ItemIndexOf;

// --- TListBoxStrings ---

template class TListBoxItemsOf<TStrings, std::string>;

int32_t TListBoxStrings::GetCount() const {
  if (FListBox->IsVirtualStyle()) return FListBox->FCount;
  return static_cast<int32_t>(SendMessageA(FListBox->Handle(), LB_GETCOUNT, 0, 0));
}

std::string TListBoxStrings::Get(int32_t Index) const {
  if (FListBox->IsVirtualStyle()) {
    if (Index < 0 || Index >= FListBox->FCount) RaiseListError(kListIndexError, Index);
    return FListBox->DoGetData(Index);
  }
  HWND wnd = FListBox->Handle();
  const LRESULT length = SendMessageA(wnd, LB_GETTEXTLEN, static_cast<WPARAM>(Index), 0);
  if (length == LB_ERR || Index < 0) RaiseListError(kListIndexError, Index);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const LRESULT copied =
      SendMessageA(wnd, LB_GETTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return text;
}

TObject* TListBoxStrings::GetObjectAt(int32_t Index) const {
  if (FListBox->IsVirtualStyle()) {
    if (Index < 0 || Index >= FListBox->FCount) RaiseListError(kListIndexError, Index);
    return FListBox->DoGetDataObject(Index);
  }
  return reinterpret_cast<TObject*>(FListBox->GetItemData(Index));
}

void TListBoxStrings::PutObjectAt(int32_t Index, TObject* AObject) {
  if (FListBox->IsVirtualStyle()) return;
  FListBox->SetItemData(Index, reinterpret_cast<LONG_PTR>(AObject));
}

int32_t TListBoxStrings::Add(const std::string& S) {
  if (FListBox->IsVirtualStyle()) return -1;
  const LRESULT index =
      SendMessageA(FListBox->Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
  if (index < 0) throw EOutOfResources(L"Unable to insert a line");
  return static_cast<int32_t>(index);
}

void TListBoxStrings::Insert(int32_t Index, const std::string& S) {
  if (FListBox->IsVirtualStyle()) return;
  // LB_INSERTSTRING takes -1 as "at the end"; the list's contract does not.
  if (Index < 0 || Index > GetCount()) RaiseListError(kListIndexError, Index);
  if (SendMessageA(FListBox->Handle(), LB_INSERTSTRING, static_cast<WPARAM>(Index),
                   reinterpret_cast<LPARAM>(S.c_str())) < 0) {
    throw EOutOfResources(L"Unable to insert a line");
  }
}

void TListBoxStrings::Clear() {
  FListBox->ResetContent();
  if (FListBox->IsVirtualStyle()) FListBox->FCount = 0;
}

void TListBoxStrings::Delete(int32_t Index) { FListBox->DeleteString(Index); }

int32_t TListBoxStrings::IndexOf(const std::string& S) const {
  if (FListBox->IsVirtualStyle()) return -1;
  return static_cast<int32_t>(SendMessageA(FListBox->Handle(), LB_FINDSTRINGEXACT,
                                           static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(S.c_str())));
}

void TListBoxStrings::SetUpdateState(bool Updating) {
  if (!FListBox->HandleAllocated()) return;
  SendMessageA(FListBox->WindowHandle(), WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
  if (!Updating) FListBox->Refresh();
}

// --- TCustomListBox ---

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TCustomMultiSelectListControl(AOwner), FCanvas(new TControlCanvas) {
  FItems = new TListBoxStrings(this);
  FCanvas->SetControl(this);
  // No csDoubleClicks or csClickEvents: clicks and double clicks come from the
  // window's own notifications, so the mouse messages must not raise them too.
  FControlStyle = csSetCaption | csOpaque;
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetColor(clWindow);
}

TCustomListBox::~TCustomListBox() {
  // The window goes while the items and the canvas still exist: it may still
  // ask to draw, and nothing is kept for a control that is going away.
  Destroying();
  DestroyHandle();
  delete FSaveItems;
  delete FCanvas;
  delete FItems;
}

void TCustomListBox::CreateParams(TCreateParams& Params) {
  TCustomMultiSelectListControl::CreateParams(Params);
  CreateSubClass(Params, "LISTBOX");
  Params.Style |= WS_VSCROLL | LBS_NOTIFY | LBS_USETABSTOPS;
  switch (FStyle) {
    case lbStandard:
      Params.Style |= LBS_HASSTRINGS;
      break;
    case lbOwnerDrawFixed:
      Params.Style |= LBS_HASSTRINGS | LBS_OWNERDRAWFIXED;
      break;
    case lbOwnerDrawVariable:
      Params.Style |= LBS_HASSTRINGS | LBS_OWNERDRAWVARIABLE;
      break;
    case lbVirtual:
    case lbVirtualOwnerDraw:
      // LBS_NODATA takes neither strings nor sorting, and only fixed heights.
      Params.Style |= LBS_NODATA | LBS_OWNERDRAWFIXED;
      break;
  }
  if (FSorted && !IsVirtualStyle()) Params.Style |= LBS_SORT;
  if (FMultiSelect) Params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (!FIntegralHeight) Params.Style |= LBS_NOINTEGRALHEIGHT;
  if (FColumns > 0) Params.Style |= LBS_MULTICOLUMN | WS_HSCROLL;
  if (FBorderStyle != bsNone) Params.ExStyle |= WS_EX_CLIENTEDGE;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomListBox::CreateWnd() {
  // An integral-height window trims its own height; the asked-for size comes
  // back, so that every re-creation does not trim it further.
  const int width = Width(), height = Height();
  TCustomMultiSelectListControl::CreateWnd();
  SetWindowPos(FHandle, nullptr, Left(), Top(), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  SetColumnWidth();
  if (IsVirtualStyle()) SendMessageA(FHandle, LB_SETCOUNT, static_cast<WPARAM>(FCount), 0);
  if (FSaveItems != nullptr) {
    TStringList* saved = FSaveItems;
    FSaveItems = nullptr;
    try {
      FItems->Assign(saved);
      RestoreSelection(FSaveSelection);
    } catch (...) {
      delete saved;
      throw;
    }
    delete saved;
  }
}

void TCustomListBox::DestroyWnd() {
  if (!ComponentState().Contains(csDestroying) && !IsVirtualStyle() && FItems->Count() > 0) {
    auto* saved = new TStringList;
    try {
      saved->Assign(FItems);
      FSaveSelection = SaveSelection();
    } catch (...) {
      delete saved;
      throw;
    }
    delete FSaveItems;
    FSaveItems = saved;
  }
  TCustomMultiSelectListControl::DestroyWnd();
}

TCustomListBox::TSavedSelection TCustomListBox::SaveSelection() {
  TSavedSelection saved;
  saved.ItemIndex = ItemIndex();
  saved.TopIndex = TopIndex();
  if (FMultiSelect) {
    const LRESULT count = SendMessageA(Handle(), LB_GETSELCOUNT, 0, 0);
    if (count > 0) {
      std::vector<INT> indices(static_cast<size_t>(count));
      const LRESULT got = SendMessageA(FHandle, LB_GETSELITEMS, static_cast<WPARAM>(count),
                                       reinterpret_cast<LPARAM>(indices.data()));
      indices.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, count)));
      saved.Selected.assign(indices.begin(), indices.end());
    }
  }
  return saved;
}

void TCustomListBox::RestoreSelection(const TSavedSelection& Saved) {
  const int32_t count = Count();
  if (FMultiSelect) {
    for (int32_t index : Saved.Selected) {
      if (index >= 0 && index < count) SendMessageA(Handle(), LB_SETSEL, TRUE, index);
    }
  }
  if (Saved.ItemIndex >= 0 && Saved.ItemIndex < count) SetItemIndex(Saved.ItemIndex);
  // Last: selecting may scroll.
  if (count > 0) SetTopIndex(std::clamp(Saved.TopIndex, 0, count - 1));
}

void TCustomListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      CNCommand(Message);
      return;
    case CN_DRAWITEM:
      // The canvas may hold a DC of its own, from drawing outside WM_DRAWITEM.
      FCanvas->FreeHandle();
      DrawOwnerItem(Message, FCanvas, false);
      return;
    case CN_MEASUREITEM:
      MeasureOwnerItem(Message, FItemHeight, FStyle == lbOwnerDrawVariable);
      return;
    case LB_GETTEXT:
      if (IsVirtualStyle()) {
        LBGetText(Message);
        return;
      }
      break;
    case LB_GETTEXTLEN:
      if (IsVirtualStyle()) {
        LBGetTextLen(Message);
        return;
      }
      break;
    case WM_SIZE:
      TCustomMultiSelectListControl::Dispatch(Message);
      SetColumnWidth();
      return;
    default:
      break;
  }
  TCustomMultiSelectListControl::Dispatch(Message);
}

void TCustomListBox::CNCommand(TMessage& Message) {
  switch (HIWORD(Message.WParam)) {
    case LBN_SELCHANGE:
      Click();
      break;
    case LBN_DBLCLK:
      DblClick();
      break;
    default:
      break;
  }
}

void TCustomListBox::LBGetTextLen(TMessage& Message) {
  int32_t index = 0;
  if (!ItemIndexOf(Message.WParam, FCount, index)) {
    Message.Result = LB_ERR;
    return;
  }
  const std::string text = DoGetData(index);
  NoteToldTextLength(index, text.size());
  Message.Result = static_cast<LRESULT>(text.size());
}

void TCustomListBox::LBGetText(TMessage& Message) {
  int32_t index = 0;
  auto* buffer = reinterpret_cast<char*>(Message.LParam);
  if (buffer == nullptr || !ItemIndexOf(Message.WParam, FCount, index)) {
    Message.Result = LB_ERR;
    return;
  }
  const std::string text = DoGetData(index);
  const size_t length = ToldTextLength(index, text.size());
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  Message.Result = static_cast<LRESULT>(length);
}

void TCustomListBox::CarryItem(int32_t From, int32_t To, const std::function<void()>& Replace) {
  const int32_t selected = ItemIndex();
  const LONG_PTR data = GetItemData(From);  // raises for a bad index
  const bool wasSelected = FMultiSelect && Selected(From);
  // Whoever watches deletions (a descendant's per-item data, WM_DELETEITEM)
  // must not take the item's object with it.
  SetItemData(From, 0);
  FMoving = true;
  try {
    Replace();
  } catch (...) {
    FMoving = false;
    throw;
  }
  FMoving = false;
  SetItemData(To, data);
  if (wasSelected) SetSelected(To, true);
  SetItemIndex(IndexAfterMove(selected, From, To));
}

void TCustomListBox::NoteToldTextLength(int32_t Index, size_t Length) {
  FToldIndex = Index;
  FToldLength = Length;
}

size_t TCustomListBox::ToldTextLength(int32_t Index, size_t Length) const {
  return Index == FToldIndex ? std::min(Length, FToldLength) : Length;
}

void TCustomListBox::DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) {
  if (OnDrawItem()) {
    OnDrawItem()(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index >= Count()) return;
  const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly();
  if (BiDiMode() == bdRightToLeft) {
    Rect.right -= 2;
  } else {
    Rect.left += 2;
  }
  const std::string text = IsVirtualStyle() ? DoGetData(Index) : FItems->Strings(Index);
  FCanvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  FCanvas->Changing();
  DrawTextA(FCanvas->Handle(), text.c_str(), static_cast<int>(text.size()), &Rect, flags);
  FCanvas->Changed();
}

std::string TCustomListBox::DoGetData(int32_t Index) {
  std::string data;
  if (FOnData) FOnData(this, Index, data);
  return data;
}

TObject* TCustomListBox::DoGetDataObject(int32_t Index) {
  TObject* data = nullptr;
  if (FOnDataObject) FOnDataObject(this, Index, data);
  return data;
}

LONG_PTR TCustomListBox::GetItemData(int32_t Index) {
  HWND wnd = Handle();
  if (Index < 0 || Index >= SendMessageA(wnd, LB_GETCOUNT, 0, 0)) RaiseListError(kListIndexError, Index);
  return static_cast<LONG_PTR>(SendMessageA(wnd, LB_GETITEMDATA, static_cast<WPARAM>(Index), 0));
}

void TCustomListBox::SetItemData(int32_t Index, LONG_PTR AData) {
  HWND wnd = Handle();
  if (Index < 0 || Index >= SendMessageA(wnd, LB_GETCOUNT, 0, 0)) RaiseListError(kListIndexError, Index);
  SendMessageA(wnd, LB_SETITEMDATA, static_cast<WPARAM>(Index), static_cast<LPARAM>(AData));
}

void TCustomListBox::DeleteString(int32_t Index) {
  const LRESULT left = Index < 0 ? LB_ERR
                                 : SendMessageA(Handle(), LB_DELETESTRING, static_cast<WPARAM>(Index), 0);
  if (left == LB_ERR) RaiseListError(kListIndexError, Index);
  if (IsVirtualStyle()) FCount = static_cast<int32_t>(left);
}

void TCustomListBox::ResetContent() { SendMessageA(Handle(), LB_RESETCONTENT, 0, 0); }

void TCustomListBox::Clear() { FItems->Clear(); }

void TCustomListBox::ClearSelection() {
  if (FMultiSelect) {
    SendMessageA(Handle(), LB_SETSEL, FALSE, -1);
  } else {
    SetItemIndex(-1);
  }
}

void TCustomListBox::DeleteSelected() {
  if (FMultiSelect) {
    for (int32_t i = FItems->Count() - 1; i >= 0; --i) {
      if (Selected(i)) FItems->Delete(i);
    }
  } else if (const int32_t index = ItemIndex(); index != -1) {
    FItems->Delete(index);
  }
}

void TCustomListBox::SelectAll() {
  if (FMultiSelect) SendMessageA(Handle(), LB_SETSEL, TRUE, -1);
}

void TCustomListBox::CopySelection(TCustomListControl* Destination) {
  if (Destination == nullptr) return;
  if (FMultiSelect) {
    const int32_t count = FItems->Count();
    for (int32_t i = 0; i < count; ++i) {
      if (Selected(i)) Destination->AddItem(FItems->Strings(i), FItems->Objects(i));
    }
  } else if (const int32_t index = ItemIndex(); index != -1) {
    Destination->AddItem(FItems->Strings(index), FItems->Objects(index));
  }
}

int32_t TCustomListBox::ItemIndex() {
  return static_cast<int32_t>(
      SendMessageA(Handle(), FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int32_t Value) {
  if (ItemIndex() == Value) return;
  if (FMultiSelect) {
    SendMessageA(FHandle, LB_SETCARETINDEX, static_cast<WPARAM>(Value), FALSE);
  } else {
    SendMessageA(FHandle, LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
  }
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  RecreateWnd();
}

int32_t TCustomListBox::SelCount() {
  return static_cast<int32_t>(SendMessageA(Handle(), LB_GETSELCOUNT, 0, 0));
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (FStyle == Value) return;
  // Texts cannot go into a window without strings, nor come out of one.
  const bool toVirtual = Value == lbVirtual || Value == lbVirtualOwnerDraw;
  if (HandleAllocated() && toVirtual != IsVirtualStyle()) ResetContent();
  FStyle = Value;
  RecreateWnd();
}

int32_t TCustomListBox::Count() const { return IsVirtualStyle() ? FCount : FItems->Count(); }

void TCustomListBox::SetCount(int32_t Value) {
  if (!IsVirtualStyle()) throw EListError(L"List box '%s' must be virtual to set its count", {Name()});
  if (Value < 0) RaiseListError(L"List count out of bounds (%d)", Value);
  if (HandleAllocated()) {
    const LRESULT result = SendMessageA(FHandle, LB_SETCOUNT, static_cast<WPARAM>(Value), 0);
    if (result == LB_ERR || result == LB_ERRSPACE) {
      throw EListError(L"Error setting the count of list box '%s'", {Name()});
    }
  }
  FCount = Value;
}

bool TCustomListBox::Selected(int32_t Index) {
  const LRESULT result = Index < 0 ? LB_ERR : SendMessageA(Handle(), LB_GETSEL, static_cast<WPARAM>(Index), 0);
  if (result == LB_ERR) RaiseListError(kListIndexError, Index);
  return result != 0;
}

void TCustomListBox::SetSelected(int32_t Index, bool Value) {
  // LB_SETSEL reads -1 as "every item".
  if (Index < 0 || Index >= Count()) RaiseListError(kListIndexError, Index);
  if (FMultiSelect) {
    SendMessageA(Handle(), LB_SETSEL, Value ? TRUE : FALSE, Index);
  } else if (Value) {
    SetItemIndex(Index);
  } else if (ItemIndex() == Index) {
    SetItemIndex(-1);
  }
}

int32_t TCustomListBox::TopIndex() {
  return static_cast<int32_t>(SendMessageA(Handle(), LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int32_t Value) {
  if (TopIndex() != Value) SendMessageA(FHandle, LB_SETTOPINDEX, static_cast<WPARAM>(Value), 0);
}

int TCustomListBox::ItemHeight() {
  if (FStyle == lbStandard && HandleAllocated()) {
    const LRESULT height = SendMessageA(FHandle, LB_GETITEMHEIGHT, 0, 0);
    if (height > 0) return static_cast<int>(height);
  }
  return FItemHeight;
}

void TCustomListBox::SetItemHeight(int Value) {
  if (Value <= 0 || Value == FItemHeight) return;
  FItemHeight = Value;
  RecreateWnd();
}

void TCustomListBox::SetSorted(bool Value) {
  if (IsVirtualStyle() || FSorted == Value) return;
  FSorted = Value;
  RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  if (FExtendedSelect == Value) return;
  FExtendedSelect = Value;
  RecreateWnd();
}

void TCustomListBox::SetColumns(int32_t Value) {
  Value = std::max(Value, 0);
  if (FColumns == Value) return;
  const bool styleChanges = FColumns == 0 || Value == 0;
  FColumns = Value;
  if (styleChanges) {
    RecreateWnd();
  } else {
    SetColumnWidth();
  }
}

void TCustomListBox::SetColumnWidth() {
  if (!HandleAllocated() || FColumns <= 0) return;
  const int width = std::max((Width() + FColumns - 3) / FColumns, 1);
  SendMessageA(FHandle, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(width), 0);
}

void TCustomListBox::SetIntegralHeight(bool Value) {
  if (FIntegralHeight == Value) return;
  FIntegralHeight = Value;
  RecreateWnd();
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

int32_t TCustomListBox::ItemAtPos(POINT Pos, bool Existing) {
  const RECT client = ClientRect();
  if (!PtInRect(&client, Pos)) return -1;
  const int32_t count = Count();
  for (int32_t index = std::max(TopIndex(), 0); index < count; ++index) {
    RECT item{};
    if (SendMessageA(FHandle, LB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item)) == LB_ERR) {
      break;
    }
    if (PtInRect(&item, Pos)) return index;
    // Past the visible items every further one is out of sight too.
    if (item.left >= client.right || (FColumns == 0 && item.top >= client.bottom)) break;
  }
  return Existing ? -1 : count;
}

RECT TCustomListBox::ItemRect(int32_t Index) {
  RECT result{};
  const int32_t count = Count();
  if (Index >= 0 && (Index == 0 || Index < count)) {
    SendMessageA(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&result));
  } else if (Index == count) {
    SendMessageA(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(Index - 1),
                 reinterpret_cast<LPARAM>(&result));
    OffsetRect(&result, 0, result.bottom - result.top);
  }
  return result;
}
