#include "framework/combo_box.h"

#include <algorithm>

#include "framework/app_exceptions.h"
#include "framework/exceptions.h"
#include "framework/forms.h"

namespace {

// The property that leads from a subclassed edit or list child to its combo box.
constexpr wchar_t kComboChildProp[] = L"TavrinComboBoxChild";

LRESULT CallChildProc(WNDPROC Proc, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  const bool unicode = IsWindowUnicode(Wnd);
  if (Proc == nullptr) {
    return unicode ? DefWindowProcW(Wnd, Msg, WParam, LParam) : DefWindowProcA(Wnd, Msg, WParam, LParam);
  }
  return unicode ? CallWindowProcW(Proc, Wnd, Msg, WParam, LParam)
                 : CallWindowProcA(Proc, Wnd, Msg, WParam, LParam);
}

// Subclasses with the family the child was made with: an A subclass would
// turn the edit of a Unicode combo box into an ANSI window.
WNDPROC SubclassChild(HWND Child, WNDPROC Proc) {
  if (IsWindowUnicode(Child)) {
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(Child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
  }
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(Child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
}

// The edit selection is passed as two 16-bit halves; the combo box reads each
// half as a signed short, so a position stays within 0..32767.
LPARAM EditSelection(int32_t Start, int32_t End) {
  auto clip = [](int32_t v) { return static_cast<WORD>(std::clamp<int32_t>(v, 0, 32767)); };
  return MAKELPARAM(clip(Start), clip(End));
}

}  // namespace

// ------------------------------------------------------------ TComboBoxStrings

HWND TComboBoxStrings::Window() const { return FComboBox->Handle(); }

int32_t TComboBoxStrings::GetCount() const {
  return static_cast<int32_t>(SendMessageA(Window(), CB_GETCOUNT, 0, 0));
}

std::string TComboBoxStrings::Get(int32_t Index) const {
  HWND wnd = Window();
  LRESULT length = SendMessageA(wnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(Index), 0);
  if (length == CB_ERR || length < 0) return {};
  // The length may be an overestimate (double-byte text): room for it and
  // the NUL, then cut at what was copied.
  std::string text(static_cast<size_t>(length) + 1, '\0');
  LRESULT copied = SendMessageA(wnd, CB_GETLBTEXT, static_cast<WPARAM>(Index),
                                reinterpret_cast<LPARAM>(text.data()));
  if (copied == CB_ERR || copied < 0) return {};
  text.resize(std::min(static_cast<size_t>(copied), static_cast<size_t>(length)));
  return text;
}

TObject* TComboBoxStrings::GetObjectAt(int32_t Index) const {
  LRESULT data = SendMessageA(Window(), CB_GETITEMDATA, static_cast<WPARAM>(Index), 0);
  if (data == CB_ERR && (Index < 0 || Index >= GetCount())) {
    RaiseListError(L"List index out of bounds (%d)", Index);
  }
  return reinterpret_cast<TObject*>(data);
}

void TComboBoxStrings::PutObjectAt(int32_t Index, TObject* AObject) {
  SendMessageA(Window(), CB_SETITEMDATA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(AObject));
}

int32_t TComboBoxStrings::Add(const std::string& S) {
  LRESULT index = SendMessageA(Window(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
  if (index < 0) throw EOutOfResources(L"Unable to insert a line");
  return static_cast<int32_t>(index);
}

void TComboBoxStrings::Insert(int32_t Index, const std::string& S) {
  LRESULT index = SendMessageA(Window(), CB_INSERTSTRING, static_cast<WPARAM>(Index),
                               reinterpret_cast<LPARAM>(S.c_str()));
  if (index < 0) throw EOutOfResources(L"Unable to insert a line");
}

void TComboBoxStrings::Clear() {
  HWND wnd = Window();
  // Resetting empties the edit too; the typed text stays. A list has no text
  // but its selection, which goes with the items.
  const std::string text = FComboBox->Text();
  SendMessageA(wnd, CB_RESETCONTENT, 0, 0);
  if (FComboBox->Editable()) FComboBox->SetText(text);
  FComboBox->Update();
}

void TComboBoxStrings::Delete(int32_t Index) {
  SendMessageA(Window(), CB_DELETESTRING, static_cast<WPARAM>(Index), 0);
}

int32_t TComboBoxStrings::IndexOf(const std::string& S) const {
  return static_cast<int32_t>(SendMessageA(Window(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(S.c_str())));
}

void TComboBoxStrings::SetUpdateState(bool Updating) {
  HWND wnd = Window();
  SendMessageA(wnd, WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
  if (!Updating) FComboBox->Refresh();
}

// ------------------------------------------------------------ TCustomComboBox

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TCustomListControl(AOwner), FCanvas(new TCanvas) {
  FItems = new TComboBoxStrings(this);
  // Clicks come from the list's selection, not from the mouse on the window;
  // capturing the mouse would take it from the dropped list.
  FControlStyle = csSetCaption | csDoubleClicks | csFixedHeight;
  FWidth = 145;
  FHeight = 25;
  SetParentColor(false);
  SetColor(clWindow);
  SetTabStop(true);
}

TCustomComboBox::~TCustomComboBox() {
  // The window goes while this is still a combo box: its children's
  // procedures call into it until they are destroyed.
  Destroying();
  DestroyHandle();
  delete FSaveItems;
  delete FCanvas;
  delete FItems;
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
  TCustomListControl::CreateParams(Params);
  CreateSubClass(Params, "COMBOBOX");
  static constexpr DWORD kStyles[] = {
      CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
      CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
  Params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL | kStyles[FStyle];
  if (FSorted) Params.Style |= CBS_SORT;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomComboBox::CreateWnd() {
  TCustomListControl::CreateWnd();
  SendMessageA(FHandle, CB_LIMITTEXT, static_cast<WPARAM>(std::max<int32_t>(FMaxLength, 0)), 0);
  SubclassChildren();
  if (FSaveItems != nullptr) {
    TStringList* saved = FSaveItems;
    FSaveItems = nullptr;
    const std::string chosen =
        FSaveIndex >= 0 && FSaveIndex < saved->Count() ? saved->Strings(FSaveIndex) : std::string();
    try {
      FItems->Assign(saved);
    } catch (...) {
      delete saved;
      throw;
    }
    delete saved;
    const int32_t count = FItems->Count();
    if (FSaveIndex != -1 && count > 0) {
      // Items may have been taken away meanwhile: the last one is the nearest.
      int32_t index = std::min(FSaveIndex, count - 1);
      // A change of Sorted reorders the items: the selection follows its item.
      if (FItems->Strings(index) != chosen) {
        const int32_t found = FItems->IndexOf(chosen);
        if (found >= 0) index = found;
      }
      SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
  }
  FSaveIndex = -1;
  if (Editable() && !FText.empty()) SendMessageA(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(FText.c_str()));
}

void TCustomComboBox::SubclassChildren() {
  FEditHandle = nullptr;
  FListHandle = nullptr;
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (!GetComboBoxInfo(FHandle, &info)) return;
  if (Editable() && info.hwndItem != nullptr && info.hwndItem != FHandle) {
    FEditHandle = info.hwndItem;
    SetPropW(FEditHandle, kComboChildProp, this);
    FDefEditProc = SubclassChild(FEditHandle, &EditWndProc);
  }
  if (info.hwndList != nullptr) {
    FListHandle = info.hwndList;
    SetPropW(FListHandle, kComboChildProp, this);
    FDefListProc = SubclassChild(FListHandle, &ListWndProc);
  }
}

void TCustomComboBox::DestroyWnd() {
  // Re-entered while its own window is being torn down (a handler of the dying
  // window took the parent down with it), the items are going with the window:
  // nothing is kept then, but the window is destroyed all the same.
  const bool keep = !(FControlState & csDestroyingHandle) && !ComponentState().Contains(csDestroying);
  if (keep && FHandle != nullptr && FItems->Count() > 0) {
    delete FSaveItems;
    FSaveItems = nullptr;
    auto* saved = new TStringList;
    try {
      saved->Assign(FItems);
    } catch (...) {
      delete saved;
      throw;
    }
    FSaveItems = saved;
    FSaveIndex = ItemIndex();
  }
  TCustomListControl::DestroyWnd();
  FEditHandle = nullptr;
  FListHandle = nullptr;
}

LRESULT CALLBACK TCustomComboBox::EditWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  return ChildMessage(Wnd, Msg, WParam, LParam, true);
}

LRESULT CALLBACK TCustomComboBox::ListWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  return ChildMessage(Wnd, Msg, WParam, LParam, false);
}

LRESULT TCustomComboBox::ChildMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, bool Edit) {
  try {
    auto* combo = static_cast<TCustomComboBox*>(GetPropW(Wnd, kComboChildProp));
    if (combo == nullptr) return CallChildProc(nullptr, Wnd, Msg, WParam, LParam);
    WNDPROC proc = Edit ? combo->FDefEditProc : combo->FDefListProc;
    if (Msg == WM_NCDESTROY) {
      RemovePropW(Wnd, kComboChildProp);
      SubclassChild(Wnd, proc);
      if (combo->FEditHandle == Wnd) combo->FEditHandle = nullptr;
      if (combo->FListHandle == Wnd) combo->FListHandle = nullptr;
      return CallChildProc(proc, Wnd, Msg, WParam, LParam);
    }
    TMessage message{Msg, WParam, LParam, 0};
    combo->ComboWndProc(message, Wnd, proc);
    return message.Result;
  } catch (...) {
    ApplicationHandleException(std::current_exception());
    return 0;
  }
}

void TCustomComboBox::ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      // The child, not the combo box, gets the focus: the form must still
      // learn that the combo box is its active control.
      TCustomForm* form = GetParentForm(this);
      if (form != nullptr && !form->SetFocusedControl(this)) return;
      break;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (ComboWnd != FListHandle && DoKeyDown(Message)) return;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(Message)) return;
      break;
    case WM_CHAR:
      if (DoKeyPress(Message)) return;
      if ((CharCodeOf(Message) == VK_RETURN || CharCodeOf(Message) == VK_ESCAPE) && DroppedDown()) {
        SetDroppedDown(false);
        return;
      }
      break;
    case WM_CONTEXTMENU:
      for (TControl* c = this; c != nullptr; c = c->Parent()) {
        if (c->PopupMenu() != nullptr) {
          Message.Result = Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(FHandle), Message.LParam);
          return;
        }
      }
      break;
    default:
      break;
  }
  Message.Result = CallChildProc(ComboProc, ComboWnd, Message.Msg, Message.WParam, Message.LParam);
  if (Message.Msg == WM_LBUTTONDBLCLK && (FControlStyle & csDoubleClicks)) DblClick();
}

void TCustomComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      CNCommand(Message);
      return;
    case CN_DRAWITEM:
      DrawOwnerItem(Message, FCanvas, true);
      return;
    case CN_MEASUREITEM:
      MeasureOwnerItem(Message, FItemHeight, FStyle == csOwnerDrawVariable);
      return;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      WMCtlColor(Message);
      return;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC:
      if (!Enabled()) {
        TMessage original{Message.Msg - CN_BASE, Message.WParam, Message.LParam, 0};
        WMCtlColor(original);
        Message.Result = original.Result;
        return;
      }
      break;
    default:
      break;
  }
  TCustomListControl::Dispatch(Message);
}

void TCustomComboBox::WMCtlColor(TMessage& Message) {
  // A disabled combo box looks like the system's own: its colours are the
  // system's, which also grey the text.
  if (!Enabled()) {
    Message.Result = DefWindowProcA(FHandle, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  SetTextColor(dc, ColorToRGB(Font()->Color()));
  SetBkColor(dc, ColorToRGB(Brush()->Color()));
  Message.Result = reinterpret_cast<LRESULT>(Brush()->Handle());
}

void TCustomComboBox::CNCommand(TMessage& Message) {
  switch (HIWORD(Message.WParam)) {
    case CBN_DBLCLK:
      DblClick();
      break;
    case CBN_EDITCHANGE:
      Change();
      break;
    case CBN_DROPDOWN:
      DropDown();
      AdjustDropDown();
      break;
    case CBN_SELCHANGE: {
      // The edit shows the new item only after this notification.
      const int32_t index = ItemIndex();
      if (index >= 0) SetText(FItems->Strings(index));
      Click();
      Select();
      break;
    }
    case CBN_CLOSEUP:
      CloseUp();
      break;
    default:
      break;
  }
}

void TCustomComboBox::DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) {
  if (OnDrawItem()) {
    OnDrawItem()(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index >= 0) FCanvas->TextOut(Rect.left + 2, Rect.top, FItems->Strings(Index));
}

void TCustomComboBox::Change() {
  if (FOnChange) FOnChange(this);
}

void TCustomComboBox::Select() {
  if (FOnSelect) {
    FOnSelect(this);
  } else {
    Change();
  }
}

void TCustomComboBox::DropDown() {
  if (FOnDropDown) FOnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (FOnCloseUp) FOnCloseUp(this);
}

void TCustomComboBox::AdjustDropDown() {
  if (FHandle == nullptr || FStyle == csSimple) return;
  // The system sizes the dropped list from the height the window was given
  // beyond its closed height.
  const int32_t count = std::clamp<int32_t>(FItems->Count(), 1, std::max<int32_t>(FDropDownCount, 1));
  SetWindowPos(FHandle, nullptr, 0, 0, FWidth, ItemHeight() * count + FHeight + 2,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

uint32_t TCustomComboBox::Now() const { return FTickSource ? FTickSource() : GetTickCount(); }

void TCustomComboBox::SetTickSource(TTickSource Value) { FTickSource = std::move(Value); }

void TCustomComboBox::KeyPress(char& Key) {
  TCustomListControl::KeyPress(Key);
  if (!FAutoComplete || Key == 0) return;
  const auto ch = static_cast<uint8_t>(Key);
  if (ch == VK_ESCAPE) return;
  if (ch == VK_TAB) {
    if (FAutoDropDown && DroppedDown()) SetDroppedDown(false);
    return;
  }
  if (ch == VK_BACK) {
    // An edit deletes by itself; a list search gets shorter.
    if (!Editable()) {
      if (!FFilter.empty()) FFilter.pop_back();
      Key = 0;
    }
    return;
  }
  // Enter and the control keys (copy, paste...) are not typed text.
  if (ch < 32) return;
  if (FAutoDropDown && !DroppedDown()) SetDroppedDown(true);
  std::string prefix;
  if (Editable()) {
    const std::string text = Text();
    const int32_t start = SelStart();
    if (start < 0 || static_cast<size_t>(start) > text.size() ||
        static_cast<size_t>(start + SelLength()) != text.size()) {
      return;
    }
    prefix = text.substr(0, static_cast<size_t>(start)) + Key;
  } else {
    const uint32_t now = Now();
    if (now - FLastTime >= kComboSearchPauseMs) FFilter.clear();
    FLastTime = now;
    prefix = FFilter + Key;
  }
  if (SelectItem(prefix)) Key = 0;
}

bool TCustomComboBox::SelectItem(const std::string& Prefix) {
  const LRESULT found = SendMessageA(Handle(), CB_FINDSTRING, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(Prefix.c_str()));
  if (found == CB_ERR || found < 0) return false;
  const auto index = static_cast<int32_t>(found);
  const std::string item = FItems->Strings(index);
  const bool changed = Editable() ? Text() != item : index != ItemIndex();
  if (FAutoCloseUp && FItems->IndexOf(Prefix) != -1) SetDroppedDown(false);
  SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (Editable()) {
    const std::string text = Prefix + item.substr(std::min(Prefix.size(), item.size()));
    SetText(text);
    SendMessageA(FHandle, CB_SETEDITSEL, 0,
                 EditSelection(static_cast<int32_t>(Prefix.size()), static_cast<int32_t>(text.size())));
  } else {
    FFilter = Prefix;
  }
  if (changed) {
    Click();
    Select();
  }
  return true;
}

void TCustomComboBox::Clear() {
  FItems->Clear();
  SetText("");
  FSaveIndex = -1;
}

void TCustomComboBox::ClearSelection() { SetItemIndex(-1); }

void TCustomComboBox::DeleteSelected() {
  const int32_t index = ItemIndex();
  if (index != -1) FItems->Delete(index);
}

void TCustomComboBox::SelectAll() {
  if (Editable()) SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(0, 0xFFFF));
}

void TCustomComboBox::CopySelection(TCustomListControl* Destination) {
  const int32_t index = ItemIndex();
  if (Destination != nullptr && index != -1) {
    Destination->AddItem(FItems->Strings(index), FItems->Objects(index));
  }
}

int32_t TCustomComboBox::ItemIndex() {
  return static_cast<int32_t>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int32_t Value) {
  if (ItemIndex() != Value) SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  RecreateWnd();
}

void TCustomComboBox::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  RecreateWnd();
}

bool TCustomComboBox::DroppedDown() {
  return FHandle != nullptr && SendMessageA(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool Value) {
  SendMessageA(Handle(), CB_SHOWDROPDOWN, Value ? TRUE : FALSE, 0);
}

int TCustomComboBox::ItemHeight() {
  if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable || FHandle == nullptr) {
    return FItemHeight;
  }
  return static_cast<int>(SendMessageA(FHandle, CB_GETITEMHEIGHT, 0, 0));
}

void TCustomComboBox::SetItemHeight(int Value) {
  if (Value <= 0 || Value == FItemHeight) return;
  FItemHeight = Value;
  // The system asks for owner-drawn heights only while it makes the window.
  if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) RecreateWnd();
}

void TCustomComboBox::SetMaxLength(int32_t Value) {
  FMaxLength = std::max<int32_t>(Value, 0);
  if (FHandle != nullptr) SendMessageA(FHandle, CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

int32_t TCustomComboBox::SelStart() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int32_t>(start);
}

void TCustomComboBox::SetSelStart(int32_t Value) {
  SendMessageA(Handle(), CB_SETEDITSEL, 0, EditSelection(Value, Value));
}

int32_t TCustomComboBox::SelLength() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return end > start ? static_cast<int32_t>(end - start) : 0;
}

void TCustomComboBox::SetSelLength(int32_t Value) {
  const int32_t start = SelStart();
  SendMessageA(FHandle, CB_SETEDITSEL, 0, EditSelection(start, start + std::max<int32_t>(Value, 0)));
}

std::string TCustomComboBox::SelText() {
  if (!Editable()) return {};
  const std::string text = Text();
  const auto start = static_cast<size_t>(std::max<int32_t>(SelStart(), 0));
  if (start >= text.size()) return {};
  return text.substr(start, static_cast<size_t>(SelLength()));
}

void TCustomComboBox::SetSelText(const std::string& Value) {
  if (!Editable()) return;
  HandleNeeded();
  if (FEditHandle != nullptr) {
    SendMessageA(FEditHandle, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
  }
}
