#include "unicode_controls/tnt_list_box.h"

#include <algorithm>
#include <cstring>

#include "foundation/tnt_system.h"
#include "framework/check_lst.h"
#include "framework/exceptions.h"
#include "framework/format.h"
#include "framework/list_box_impl.h"
#include "unicode_controls/tnt_actions.h"

namespace {

constexpr const wchar_t* kListIndexError = L"List index out of bounds (%d)";

}  // namespace

using list_box_detail::ItemIndexOf;

// --- TTntListBoxStrings ---

template class TListBoxItemsOf<TTntStrings, std::wstring>;

TStrings* TTntListBoxStrings::AnsiItems() const {
  return static_cast<TCustomListBox*>(FListBox)->Items();
}

HWND TTntListBoxStrings::Window() const { return FListBox->Handle(); }

bool TTntListBoxStrings::IsWide() const { return Win32PlatformIsUnicode && IsWindowUnicode(Window()); }

int32_t TTntListBoxStrings::GetCount() const { return AnsiItems()->Count(); }

std::wstring TTntListBoxStrings::Get(int32_t Index) const {
  if (!IsWide()) return AnsiToWide(AnsiItems()->Strings(Index));
  HWND wnd = Window();
  const LRESULT length = Index < 0 ? LB_ERR : SendMessageW(wnd, LB_GETTEXTLEN, static_cast<WPARAM>(Index), 0);
  if (length == LB_ERR) RaiseListError(kListIndexError, Index);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendMessageW(wnd, LB_GETTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return text;
}

TObject* TTntListBoxStrings::GetObjectAt(int32_t Index) const { return AnsiItems()->Objects(Index); }

void TTntListBoxStrings::PutObjectAt(int32_t Index, TObject* AObject) {
  AnsiItems()->SetObjects(Index, AObject);
}

int32_t TTntListBoxStrings::Add(const std::wstring& S) {
  if (!IsWide()) return AnsiItems()->Add(WideToAnsi(S));
  if (FListBox->IsVirtualStyle()) return -1;
  const LRESULT index = SendMessageW(Window(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
  if (index < 0) throw EOutOfResources(L"Unable to insert a line");
  return static_cast<int32_t>(index);
}

void TTntListBoxStrings::Insert(int32_t Index, const std::wstring& S) {
  if (!IsWide()) return AnsiItems()->Insert(Index, WideToAnsi(S));
  if (FListBox->IsVirtualStyle()) return;
  // LB_INSERTSTRING reads -1 as "at the end"; the list's contract does not.
  if (Index < 0 || Index > GetCount()) RaiseListError(kListIndexError, Index);
  if (SendMessageW(Window(), LB_INSERTSTRING, static_cast<WPARAM>(Index),
                   reinterpret_cast<LPARAM>(S.c_str())) < 0) {
    throw EOutOfResources(L"Unable to insert a line");
  }
}

void TTntListBoxStrings::Clear() { AnsiItems()->Clear(); }

void TTntListBoxStrings::Delete(int32_t Index) { AnsiItems()->Delete(Index); }

int32_t TTntListBoxStrings::IndexOf(const std::wstring& S) const {
  if (!IsWide()) return AnsiItems()->IndexOf(WideToAnsi(S));
  if (FListBox->IsVirtualStyle()) return -1;
  return static_cast<int32_t>(SendMessageW(Window(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(S.c_str())));
}

void TTntListBoxStrings::SetUpdateState(bool Updating) {
  if (Updating) {
    AnsiItems()->BeginUpdate();
  } else {
    AnsiItems()->EndUpdate();
  }
}

// --- TTntListBoxOf ---

template <class TListBoxBase>
TTntListBoxOf<TListBoxBase>::TTntListBoxOf(TComponent* AOwner)
    : TListBoxBase(AOwner), FWideItems(new TTntListBoxStrings(this)) {}

template <class TListBoxBase>
TTntListBoxOf<TListBoxBase>::~TTntListBoxOf() {
  // The trap and the wide items must see the window go while they exist.
  this->Destroying();
  this->DestroyHandle();
  delete FWideItems;
}

template <class TListBoxBase>
void TTntListBoxOf<TListBoxBase>::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"LISTBOX");
}

template <class TListBoxBase>
void TTntListBoxOf<TListBoxBase>::CreateWnd() {
  TListBoxBase::CreateWnd();
  if (FSaveItems) {
    std::unique_ptr<TTntStringList> saved = std::move(FSaveItems);
    FWideItems->Assign(saved.get());
    this->RestoreSelection(FSaveSelection);
  }
}

template <class TListBoxBase>
void TTntListBoxOf<TListBoxBase>::DestroyWnd() {
  if (!this->ComponentState().Contains(csDestroying) && !this->IsVirtualStyle() && FWideItems->Count() > 0) {
    auto saved = std::make_unique<TTntStringList>();
    saved->Assign(FWideItems);
    FSaveSelection = this->SaveSelection();
    FSaveItems = std::move(saved);
    // Nothing left for the framework's own keeping, which would lose the
    // texts that have no ANSI form.
    FWideItems->Clear();
  }
  TListBoxBase::DestroyWnd();
}

template <class TListBoxBase>
void TTntListBoxOf<TListBoxBase>::AddItem(const std::wstring& Item, TObject* AObject) {
  FWideItems->AddObject(Item, AObject);
}

template <class TListBoxBase>
void TTntListBoxOf<TListBoxBase>::CopySelection(TCustomListControl* Destination) {
  if (Destination == nullptr) return;
  if (this->MultiSelect()) {
    const int32_t count = FWideItems->Count();
    for (int32_t i = 0; i < count; ++i) {
      if (!this->Selected(i)) continue;
      WideListControlAddItem(Destination, FWideItems->Strings(i), FWideItems->Objects(i));
    }
  } else if (const int32_t index = this->ItemIndex(); index != -1) {
    WideListControlAddItem(Destination, FWideItems->Strings(index), FWideItems->Objects(index));
  }
}

template <class TListBoxBase>
void TTntListBoxOf<TListBoxBase>::DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) {
  if (this->OnDrawItem()) {
    this->OnDrawItem()(this, Index, Rect, State);
    return;
  }
  TCanvas* canvas = this->Canvas();
  canvas->FillRect(Rect);
  if (Index >= FWideItems->Count()) return;
  const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | this->DrawTextBiDiModeFlagsReadingOnly();
  if (this->BiDiMode() == bdRightToLeft) {
    Rect.right -= 2;
  } else {
    Rect.left += 2;
  }
  const std::wstring text = FWideItems->Strings(Index);
  canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  canvas->Changing();
  TntDrawTextW(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &Rect, flags);
  canvas->Changed();
}

template <class TListBoxBase>
void TTntListBoxOf<TListBoxBase>::ActionChange(TObject* Sender, bool CheckDefaults) {
  TntControlActionChange(this, Sender, CheckDefaults);
  TListBoxBase::ActionChange(Sender, CheckDefaults);
}

template <class TListBoxBase>
TControlActionLinkClass TTntListBoxOf<TListBoxBase>::GetActionLinkClass() {
  return GetUnicodeActionLinkClass(this);
}

template class TTntListBoxOf<TCustomListBox>;
template class TTntListBoxOf<TCheckListBox>;

// --- TTntCustomListBox ---

void TTntCustomListBox::Dispatch(TMessage& Message) {
  if (IsVirtualStyle()) {
    if (Message.Msg == LB_GETTEXT) {
      LBGetText(Message);
      return;
    }
    if (Message.Msg == LB_GETTEXTLEN) {
      LBGetTextLen(Message);
      return;
    }
  }
  TCustomListBox::Dispatch(Message);
}

std::wstring TTntCustomListBox::DoGetWideData(int32_t Index) {
  if (!FOnWideData) return AnsiToWide(DoGetData(Index));
  std::wstring data;
  FOnWideData(this, Index, data);
  return data;
}

void TTntCustomListBox::LBGetTextLen(TMessage& Message) {
  int32_t index = 0;
  if (!ItemIndexOf(Message.WParam, Count(), index)) {
    Message.Result = LB_ERR;
    return;
  }
  const std::wstring text = DoGetWideData(index);
  const size_t length = IsWindowUnicode(FHandle) ? text.size() : WideToAnsi(text).size();
  NoteToldTextLength(index, length);
  Message.Result = static_cast<LRESULT>(length);
}

void TTntCustomListBox::LBGetText(TMessage& Message) {
  int32_t index = 0;
  if (Message.LParam == 0 || !ItemIndexOf(Message.WParam, Count(), index)) {
    Message.Result = LB_ERR;
    return;
  }
  const std::wstring text = DoGetWideData(index);
  size_t length = 0;
  if (IsWindowUnicode(FHandle)) {
    auto* buffer = reinterpret_cast<wchar_t*>(Message.LParam);
    length = ToldTextLength(index, text.size());
    std::memcpy(buffer, text.data(), length * sizeof(wchar_t));
    buffer[length] = L'\0';
  } else {
    auto* buffer = reinterpret_cast<char*>(Message.LParam);
    const std::string ansi = WideToAnsi(text);
    length = ToldTextLength(index, ansi.size());
    std::memcpy(buffer, ansi.data(), length);
    buffer[length] = '\0';
  }
  Message.Result = static_cast<LRESULT>(length);
}
