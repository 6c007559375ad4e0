#include "framework/check_lst.h"

#include <algorithm>

#include "framework/string_list.h"

namespace {

constexpr const wchar_t* kListIndexError = L"List index out of bounds (%d)";
// OBM_CHECKBOXES, whose cells are the system's check boxes.
constexpr WORD kCheckBoxesBitmap = 32759;

// The side of the system's check box: a quarter of the width of its bitmap
// of check boxes (four states side by side).
int CheckSize() {
  static const int size = [] {
    int result = 13;
    if (HBITMAP bitmap = LoadBitmapA(nullptr, MAKEINTRESOURCEA(kCheckBoxesBitmap))) {
      BITMAP info{};
      if (GetObjectA(bitmap, sizeof info, &info) == sizeof info) result = std::clamp(static_cast<int>(info.bmWidth / 4), 9, 32);
      DeleteObject(bitmap);
    }
    return result;
  }();
  return size;
}

}  // namespace

struct TCheckListBox::TItemData {
  LONG_PTR Data = 0;  // the caller's object
  TCheckBoxState State = cbUnchecked;
  bool Enabled = true;
};

TCheckListBox::TCheckListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}

TCheckListBox::~TCheckListBox() {
  // The window goes while the records it points to still exist.
  Destroying();
  DestroyHandle();
}

int TCheckListBox::CheckWidth() { return CheckSize() + 4; }

void TCheckListBox::CreateParams(TCreateParams& Params) {
  TCustomListBox::CreateParams(Params);
  // The check boxes are ours to draw, so the standard style is owner-drawn too.
  if (Style() == lbStandard) Params.Style |= LBS_OWNERDRAWFIXED;
}

void TCheckListBox::CreateWnd() {
  TCustomListBox::CreateWnd();
  const std::vector<TSavedCheck> saved = std::move(FSaveChecks);
  FSaveChecks.clear();
  RestoreChecks(saved);
}

void TCheckListBox::DestroyWnd() {
  if (!ComponentState().Contains(csDestroying) && !IsVirtualStyle() && HandleAllocated()) {
    FSaveChecks = SaveChecks();
  }
  TCustomListBox::DestroyWnd();
  // The items went with the window; their records go too.
  FItemData.clear();
  FCarried = nullptr;
}

std::vector<TCheckListBox::TSavedCheck> TCheckListBox::SaveChecks() {
  std::vector<TSavedCheck> saved;
  if (FItemData.empty()) return saved;
  const int32_t count = Count();
  saved.resize(static_cast<size_t>(std::max(count, 0)));
  for (int32_t i = 0; i < count; ++i) {
    if (const TItemData* data = ItemDataAt(i)) saved[static_cast<size_t>(i)] = {data->State, data->Enabled};
  }
  return saved;
}

void TCheckListBox::RestoreChecks(const std::vector<TSavedCheck>& Saved) {
  const int32_t count = std::min(static_cast<int32_t>(Saved.size()), Count());
  for (int32_t i = 0; i < count; ++i) {
    const TSavedCheck& check = Saved[static_cast<size_t>(i)];
    if (check.State == cbUnchecked && check.Enabled && ItemDataAt(i) == nullptr) continue;
    SetState(i, check.State);
    SetItemEnabled(i, check.Enabled);
  }
}

void TCheckListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM:
      CNDrawItem(Message);
      return;
    case CN_MEASUREITEM:
      if (Style() == lbStandard) {
        if (auto* data = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam)) {
          data->itemHeight = static_cast<UINT>(StandardItemHeight());
          Message.Result = TRUE;
        }
        return;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // A quick second click on a box arrives as a double click; it toggles too.
      TCustomListBox::Dispatch(Message);
      MouseToggle(Message);
      return;
    case CM_FONTCHANGED:
      TCustomListBox::Dispatch(Message);
      if (Style() == lbStandard && HandleAllocated()) {
        SendMessageA(FHandle, LB_SETITEMHEIGHT, 0, StandardItemHeight());
        Invalidate();
      }
      return;
    default:
      break;
  }
  TCustomListBox::Dispatch(Message);
}

void TCheckListBox::CNDrawItem(TMessage& Message) {
  auto* data = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  if (data != nullptr && !IsVirtualStyle()) {
    const auto index = static_cast<int32_t>(data->itemID);
    if (index >= 0 && index < Count()) {
      // The selection and the focus frame cover the text, not the box.
      if (BiDiMode() == bdRightToLeft) {
        data->rcItem.right -= CheckWidth();
      } else {
        data->rcItem.left += CheckWidth();
      }
    }
  }
  TCustomListBox::Dispatch(Message);
}

void TCheckListBox::DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) {
  DrawItemCheck(Index, Rect);
  TCustomListBox::DrawItem(Index, Rect, State);
}

void TCheckListBox::DrawItemCheck(int32_t Index, const RECT& Rect) {
  if (IsVirtualStyle() || Index < 0 || Index >= Count()) return;
  const TItemData* data = ItemDataAt(Index);
  const bool enabled = Enabled() && (data == nullptr || data->Enabled);
  const TCheckBoxState state = data != nullptr ? data->State : cbUnchecked;
  RECT column = Rect;
  if (BiDiMode() == bdRightToLeft) {
    column.left = Rect.right;
    column.right = column.left + CheckWidth();
  } else {
    column.right = Rect.left;
    column.left = column.right - CheckWidth();
  }
  TCanvas* canvas = Canvas();
  const TColor itemColor = canvas->Brush()->Color();
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(column);
  canvas->Brush()->SetColor(itemColor);

  const int size = CheckSize();
  RECT box{};
  box.left = column.left + (column.right - column.left - size) / 2;
  box.top = column.top + (column.bottom - column.top - size) / 2;
  box.right = box.left + size;
  box.bottom = box.top + size;
  UINT flags = DFCS_BUTTONCHECK;
  if (state == cbChecked) flags |= DFCS_CHECKED;
  if (state == cbGrayed) flags |= DFCS_BUTTON3STATE | DFCS_CHECKED;
  if (!enabled) flags |= DFCS_INACTIVE;
  if (FFlat) flags |= DFCS_FLAT;
  DrawFrameControl(canvas->Handle(), &box, DFC_BUTTON, flags);
  if (!enabled) canvas->Font()->SetColor(clGrayText);
}

void TCheckListBox::MouseToggle(TMessage& Message) {
  const POINT pos{XOfLParam(Message.LParam), YOfLParam(Message.LParam)};
  if (!HandleAllocated() || IsVirtualStyle()) return;
  const int32_t index = ItemAtPos(pos, true);
  if (index != -1 && InCheckColumn(index, pos.x)) ToggleClickCheck(index);
}

bool TCheckListBox::InCheckColumn(int32_t Index, int X) {
  const RECT item = ItemRect(Index);
  if (BiDiMode() == bdRightToLeft) return X >= item.right - CheckWidth() && X < item.right;
  return X >= item.left && X < item.left + CheckWidth();
}

void TCheckListBox::KeyPress(char& Key) {
  TCustomListBox::KeyPress(Key);
  if (Key == ' ') ToggleClickCheck(ItemIndex());
}

void TCheckListBox::ToggleClickCheck(int32_t Index) {
  if (IsVirtualStyle() || Index < 0 || Index >= Count() || !ItemEnabled(Index)) return;
  TCheckBoxState next = cbChecked;
  switch (State(Index)) {
    case cbUnchecked:
      next = FAllowGrayed ? cbGrayed : cbChecked;
      break;
    case cbChecked:
      next = cbUnchecked;
      break;
    case cbGrayed:
      next = cbChecked;
      break;
  }
  SetState(Index, next);
  ClickCheck();
}

void TCheckListBox::ClickCheck() {
  if (FOnClickCheck) FOnClickCheck(this);
}

int TCheckListBox::StandardItemHeight() {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return std::max(static_cast<int>(metrics.tmHeight), CheckSize() + 2);
}

// --- per-item records ---

void TCheckListBox::CheckIndex(int32_t Index) {
  if (Index < 0 || Index >= Count()) RaiseListError(kListIndexError, Index);
}

TCheckListBox::TItemData* TCheckListBox::ItemDataAt(int32_t Index) {
  CheckIndex(Index);
  if (IsVirtualStyle()) return nullptr;
  const auto found = FItemData.find(TCustomListBox::GetItemData(Index));
  return found == FItemData.end() ? nullptr : found->second.get();
}

TCheckListBox::TItemData* TCheckListBox::NeedItemData(int32_t Index) {
  if (TItemData* data = ItemDataAt(Index)) return data;
  if (IsVirtualStyle()) return nullptr;
  // Item data put into the window behind our back stays the item's object.
  auto data = std::make_unique<TItemData>();
  data->Data = TCustomListBox::GetItemData(Index);
  const auto key = reinterpret_cast<LONG_PTR>(data.get());
  TCustomListBox::SetItemData(Index, key);
  return FItemData.emplace(key, std::move(data)).first->second.get();
}

LONG_PTR TCheckListBox::GetItemData(int32_t Index) {
  const LONG_PTR raw = TCustomListBox::GetItemData(Index);
  if (IsVirtualStyle()) return raw;
  const auto found = FItemData.find(raw);
  return found == FItemData.end() ? raw : found->second->Data;
}

void TCheckListBox::SetItemData(int32_t Index, LONG_PTR AData) {
  if (IsVirtualStyle()) return TCustomListBox::SetItemData(Index, AData);
  if (const auto found = FItemData.find(TCustomListBox::GetItemData(Index)); found != FItemData.end()) {
    found->second->Data = AData;
    return;
  }
  // A moved item gets its record back here (its object comes back last).
  TItemData* data = FCarried;
  FCarried = nullptr;
  if (data == nullptr) {
    if (AData == 0) return TCustomListBox::SetItemData(Index, 0);
    auto made = std::make_unique<TItemData>();
    data = made.get();
    FItemData.emplace(reinterpret_cast<LONG_PTR>(data), std::move(made));
  }
  data->Data = AData;
  TCustomListBox::SetItemData(Index, reinterpret_cast<LONG_PTR>(data));
}

void TCheckListBox::DeleteString(int32_t Index) {
  LONG_PTR raw = 0;
  if (!IsVirtualStyle() && Index >= 0 && Index < Count()) raw = TCustomListBox::GetItemData(Index);
  TCustomListBox::DeleteString(Index);
  const auto found = FItemData.find(raw);
  if (raw == 0 || found == FItemData.end()) return;
  if (Moving()) {
    if (FCarried != nullptr) FItemData.erase(reinterpret_cast<LONG_PTR>(FCarried));
    FCarried = found->second.get();
  } else {
    FItemData.erase(found);
  }
}

void TCheckListBox::ResetContent() {
  TCustomListBox::ResetContent();
  FItemData.clear();
  FCarried = nullptr;
}

void TCheckListBox::InvalidateItem(int32_t Index) {
  if (!HandleAllocated()) return;
  RECT item{};
  if (SendMessageA(FHandle, LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item)) !=
      LB_ERR) {
    InvalidateRect(FHandle, &item, FALSE);
  }
}

// --- states ---

TCheckBoxState TCheckListBox::State(int32_t Index) {
  const TItemData* data = ItemDataAt(Index);
  return data != nullptr ? data->State : cbUnchecked;
}

void TCheckListBox::SetState(int32_t Index, TCheckBoxState Value) {
  TItemData* data = ItemDataAt(Index);
  if (data == nullptr && Value == cbUnchecked) return;
  if (data == nullptr) data = NeedItemData(Index);
  if (data == nullptr || data->State == Value) return;
  data->State = Value;
  InvalidateItem(Index);
}

bool TCheckListBox::Checked(int32_t Index) { return State(Index) == cbChecked; }

void TCheckListBox::SetChecked(int32_t Index, bool Value) {
  if (Checked(Index) != Value) SetState(Index, Value ? cbChecked : cbUnchecked);
}

bool TCheckListBox::ItemEnabled(int32_t Index) {
  const TItemData* data = ItemDataAt(Index);
  return data == nullptr || data->Enabled;
}

void TCheckListBox::SetItemEnabled(int32_t Index, bool Value) {
  TItemData* data = ItemDataAt(Index);
  if (data == nullptr && Value) return;
  if (data == nullptr) data = NeedItemData(Index);
  if (data == nullptr || data->Enabled == Value) return;
  data->Enabled = Value;
  InvalidateItem(Index);
}

void TCheckListBox::SetFlat(bool Value) {
  if (FFlat == Value) return;
  FFlat = Value;
  Invalidate();
}
