#include "unicode_controls/tnt_combo_box.h"

#include <algorithm>
#include <memory>

#include "foundation/tnt_system.h"
#include "framework/format.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_graphics.h"

namespace {

LRESULT CallChildProcW(WNDPROC Proc, HWND Wnd, const TMessage& Message) {
  if (Proc == nullptr) return DefWindowProcW(Wnd, Message.Msg, Message.WParam, Message.LParam);
  return CallWindowProcW(Proc, Wnd, Message.Msg, Message.WParam, Message.LParam);
}

LRESULT CallChildProc(WNDPROC Proc, HWND Wnd, const TMessage& Message) {
  if (IsWindowUnicode(Wnd)) return CallChildProcW(Proc, Wnd, Message);
  if (Proc == nullptr) return DefWindowProcA(Wnd, Message.Msg, Message.WParam, Message.LParam);
  return CallWindowProcA(Proc, Wnd, Message.Msg, Message.WParam, Message.LParam);
}

// A child that an A subclass turned ANSI gets its own procedure back through
// the A function it was replaced with, and then Proc through the W one: read
// with the W function, the saved procedure is the window's true W procedure.
WNDPROC ReinstallW(HWND Child, WNDPROC Saved, WNDPROC Proc) {
  if (Child == nullptr || IsWindowUnicode(Child)) return Saved;
  SetWindowLongPtrA(Child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Saved));
  auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Child, GWLP_WNDPROC));
  SetWindowLongPtrW(Child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
  return own;
}

}  // namespace

// ------------------------------------------------------------ TTntComboBoxStrings

HWND TTntComboBoxStrings::UnicodeWindow() const {
  HWND wnd = FComboBox->Handle();
  return Win32PlatformIsUnicode && IsWindowUnicode(wnd) ? wnd : nullptr;
}

TStrings* TTntComboBoxStrings::AnsiItems() const { return FComboBox->TCustomComboBox::Items(); }

TTntStringList* TTntComboBoxStrings::Windowless() const { return FComboBox->WindowlessItems(); }

int32_t TTntComboBoxStrings::GetCount() const {
  if (TTntStringList* kept = Windowless()) return kept->Count();
  return AnsiItems()->Count();
}

std::wstring TTntComboBoxStrings::Get(int32_t Index) const {
  if (TTntStringList* kept = Windowless()) return kept->Strings(Index);
  HWND wnd = UnicodeWindow();
  if (wnd == nullptr) return AnsiToWide(AnsiItems()->Strings(Index));
  const LRESULT length = SendMessageW(wnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(Index), 0);
  if (length == CB_ERR || length < 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(wnd, CB_GETLBTEXT, static_cast<WPARAM>(Index),
                                      reinterpret_cast<LPARAM>(text.data()));
  if (copied == CB_ERR || copied < 0) return {};
  text.resize(std::min(static_cast<size_t>(copied), static_cast<size_t>(length)));
  return text;
}

TObject* TTntComboBoxStrings::GetObjectAt(int32_t Index) const {
  if (TTntStringList* kept = Windowless()) return kept->Objects(Index);
  return AnsiItems()->Objects(Index);
}

void TTntComboBoxStrings::PutObjectAt(int32_t Index, TObject* AObject) {
  if (TTntStringList* kept = Windowless()) return kept->SetObjects(Index, AObject);
  AnsiItems()->SetObjects(Index, AObject);
}

int32_t TTntComboBoxStrings::Add(const std::wstring& S) {
  if (TTntStringList* kept = Windowless()) return kept->Add(S);
  HWND wnd = UnicodeWindow();
  if (wnd == nullptr) return AnsiItems()->Add(WideToAnsi(S));
  const LRESULT index = SendMessageW(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
  if (index < 0) throw EOutOfResources(L"Unable to insert a line");
  return static_cast<int32_t>(index);
}

void TTntComboBoxStrings::Insert(int32_t Index, const std::wstring& S) {
  if (TTntStringList* kept = Windowless()) {
    // The selection follows its item, as in the window.
    kept->Insert(Index, S);
    int32_t& selected = FComboBox->FSavedItemIndex;
    if (selected >= Index && selected >= 0) ++selected;
    return;
  }
  HWND wnd = UnicodeWindow();
  if (wnd == nullptr) {
    AnsiItems()->Insert(Index, WideToAnsi(S));
    return;
  }
  const LRESULT index = SendMessageW(wnd, CB_INSERTSTRING, static_cast<WPARAM>(Index),
                                     reinterpret_cast<LPARAM>(S.c_str()));
  if (index < 0) throw EOutOfResources(L"Unable to insert a line");
}

void TTntComboBoxStrings::Clear() {
  if (TTntStringList* kept = Windowless()) {
    kept->Clear();
    FComboBox->FSavedItemIndex = -1;
    return;
  }
  HWND wnd = UnicodeWindow();
  if (wnd == nullptr) {
    AnsiItems()->Clear();
    return;
  }
  // Resetting empties the edit too; the typed text stays. A list has no text
  // but its selection, which goes with the items.
  const std::wstring text = FComboBox->Text();
  SendMessageA(wnd, CB_RESETCONTENT, 0, 0);
  if (FComboBox->Editable()) FComboBox->SetText(text);
  FComboBox->Update();
}

void TTntComboBoxStrings::Delete(int32_t Index) {
  if (TTntStringList* kept = Windowless()) {
    kept->Delete(Index);
    int32_t& selected = FComboBox->FSavedItemIndex;
    if (selected == Index)
      selected = -1;
    else if (selected > Index)
      --selected;
    return;
  }
  AnsiItems()->Delete(Index);
}

int32_t TTntComboBoxStrings::IndexOf(const std::wstring& S) const {
  if (TTntStringList* kept = Windowless()) return kept->IndexOf(S);
  HWND wnd = UnicodeWindow();
  if (wnd == nullptr) return AnsiItems()->IndexOf(WideToAnsi(S));
  return static_cast<int32_t>(SendMessageW(wnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(S.c_str())));
}

void TTntComboBoxStrings::SetUpdateState(bool Updating) {
  if (Windowless()) return;
  if (Updating) {
    AnsiItems()->BeginUpdate();
  } else {
    AnsiItems()->EndUpdate();
  }
}

// ------------------------------------------------------------ TTntCustomComboBox

TTntCustomComboBox::TTntCustomComboBox(TComponent* AOwner)
    : TCustomComboBox(AOwner), FWideItems(new TTntComboBoxStrings(this)) {}

TTntCustomComboBox::~TTntCustomComboBox() {
  // The window goes while the wide items and the overrides are still here.
  Destroying();
  DestroyHandle();
  delete FSavedItems;
  delete FWideItems;
}

void TTntCustomComboBox::SetItems(TTntStrings* Value) { FWideItems->Assign(Value); }

TTntStringList* TTntCustomComboBox::WindowlessItems() {
  // The ANSI platform and a control on its way out keep the framework's ways.
  if (!Win32PlatformIsUnicode || HandleAllocated() || ComponentState().Contains(csDestroying))
    return nullptr;
  if (FSavedItems == nullptr) FSavedItems = new TTntStringList();
  return FSavedItems;
}

int32_t TTntCustomComboBox::ItemIndex() {
  if (TTntStringList* kept = WindowlessItems())
    return FSavedItemIndex >= 0 && FSavedItemIndex < kept->Count() ? FSavedItemIndex : -1;
  return TCustomComboBox::ItemIndex();
}

void TTntCustomComboBox::SetItemIndex(int32_t Value) {
  if (TTntStringList* kept = WindowlessItems()) {
    FSavedItemIndex = Value >= 0 && Value < kept->Count() ? Value : -1;
    return;
  }
  TCustomComboBox::SetItemIndex(Value);
}

std::wstring TTntCustomComboBox::Text() {
  if (Style() == csDropDownList || Style() == csOwnerDrawFixed || Style() == csOwnerDrawVariable) {
    if (TTntStringList* kept = WindowlessItems()) {
      const int32_t index = ItemIndex();
      return index >= 0 ? kept->Strings(index) : std::wstring();
    }
  }
  return WideGetWindowText(this);
}

void TTntCustomComboBox::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"COMBOBOX");
}

void TTntCustomComboBox::CreateWnd() {
  // Read while windowless: the helper's wide text, in step with the ANSI one.
  const std::wstring stored = WideGetWindowText(this);
  TCustomComboBox::CreateWnd();
  if (Win32PlatformIsUnicode) ReinstallChildProcsW();
  if (FSavedItems != nullptr) {
    std::unique_ptr<TTntStringList> saved(FSavedItems);
    FSavedItems = nullptr;
    FWideItems->Assign(saved.get());
    const int32_t count = FWideItems->Count();
    if (FSavedItemIndex != -1 && count > 0) {
      int32_t index = std::min(FSavedItemIndex, count - 1);
      // A change of Sorted reorders the items: the selection follows its item.
      if (FSavedItemIndex < saved->Count()) {
        const std::wstring chosen = saved->Strings(FSavedItemIndex);
        if (FWideItems->Strings(index) != chosen) {
          const int32_t found = FWideItems->IndexOf(chosen);
          if (found >= 0) index = found;
        }
      }
      SendMessageW(WindowHandle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
  }
  FSavedItemIndex = -1;
  WideSetWindowText(this, stored);
}

void TTntCustomComboBox::ReinstallChildProcsW() {
  SetDefEditProc(ReinstallW(EditHandle(), DefEditProc(), &EditWndProc));
  SetDefListProc(ReinstallW(ListHandle(), DefListProc(), &ListWndProc));
}

void TTntCustomComboBox::DestroyWnd() {
  // Inside the window's own teardown nothing is kept (the items are going
  // with it), but the window is destroyed all the same.
  const bool keep = WindowHandle() != nullptr && !(ControlState() & csDestroyingHandle) &&
                    !ComponentState().Contains(csDestroying);
  std::wstring text;
  if (keep) {
    text = WideGetWindowText(this);
    if (FWideItems->Count() > 0) {
      auto saved = std::make_unique<TTntStringList>();
      saved->Assign(FWideItems);
      delete FSavedItems;
      FSavedItems = saved.release();
      FSavedItemIndex = ItemIndex();
      // Emptied here so the framework keeps no ANSI copy of its own.
      SendMessageW(WindowHandle(), CB_RESETCONTENT, 0, 0);
    }
  }
  TCustomComboBox::DestroyWnd();
  // Windowless now: the wide text goes to the helper, its ANSI form to the
  // framework.
  if (keep) WideSetWindowText(this, text);
}

void TTntCustomComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CHAR:
      WMChar(Message);
      return;
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == CBN_SELCHANGE) {
        CNCommand(Message);
        return;
      }
      break;
    default:
      break;
  }
  TCustomComboBox::Dispatch(Message);
}

void TTntCustomComboBox::CNCommand(TMessage&) {
  const int32_t index = ItemIndex();
  if (index >= 0) SetText(FWideItems->Strings(index));
  Click();
  Select();
}

void TTntCustomComboBox::WMChar(TMessage& Message) {
  if (AutoComplete() && !Editable()) {
    wchar_t ch = GetWideCharFromWMChar(Message);
    switch (ch) {
      case VK_BACK:
        if (!FFilterText.empty()) FFilterText.pop_back();
        break;
      case VK_TAB:
        if (AutoDropDown() && DroppedDown()) SetDroppedDown(false);
        break;
      case VK_ESCAPE:
        break;
      default: {
        if (AutoDropDown() && !DroppedDown()) SetDroppedDown(true);
        const uint32_t now = Now();
        if (now - FLastFilterTick >= kComboSearchPauseMs) FFilterText.clear();
        FLastFilterTick = now;
        if (AutoCompleteItem(FFilterText + ch, true, false)) {
          FFilterText += ch;
          ch = 0;
        }
        break;
      }
    }
    SetWideCharInWMChar(Message, ch);
    if (ch == 0) {
      Message.Result = 0;
      return;
    }
  }
  TCustomComboBox::Dispatch(Message);
}

void TTntCustomComboBox::KeyPress(char& Key) {
  // The wide routines complete instead of the framework's ANSI ones.
  const bool autoComplete = AutoComplete();
  SetAutoComplete(false);
  try {
    TCustomComboBox::KeyPress(Key);
  } catch (...) {
    SetAutoComplete(autoComplete);
    throw;
  }
  SetAutoComplete(autoComplete);
}

void TTntCustomComboBox::ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc) {
  const bool unicode = IsWindowUnicode(ComboWnd) != FALSE;
  switch (Message.Msg) {
    case WM_CHAR: {
      if (unicode) PackWideCharInWMChar(Message);
      bool consumed = DoKeyPress(Message);
      if (!consumed) {
        TMessage copy = Message;
        HandleEditChar(copy);
        consumed = GetWideCharFromWMChar(copy) == 0;
      }
      if (consumed) {
        Message.Result = 0;
        return;
      }
      UnpackWideCharInWMChar(Message);
      const uint16_t code = CharCodeOf(Message);
      if ((code == VK_RETURN || code == VK_ESCAPE) && DroppedDown()) {
        SetDroppedDown(false);
        return;
      }
      Message.Result = CallChildProc(ComboProc, ComboWnd, Message);
      return;
    }
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case EM_REPLACESEL:
    case WM_IME_COMPOSITION:
      if (unicode) {
        Message.Result = CallChildProcW(ComboProc, ComboWnd, Message);
        return;
      }
      break;
    case WM_IME_CHAR:
      if (unicode) {
        Message.Result = SendMessageW(ComboWnd, WM_CHAR, Message.WParam, Message.LParam);
        return;
      }
      break;
    default:
      break;
  }
  TCustomComboBox::ComboWndProc(Message, ComboWnd, ComboProc);
}

void TTntCustomComboBox::HandleEditChar(TMessage& Message) {
  if (!AutoComplete() || !Editable()) return;
  const wchar_t ch = GetWideCharFromWMChar(Message);
  switch (ch) {
    case VK_BACK:
    case VK_ESCAPE:
      return;
    case VK_TAB:
      if (AutoDropDown() && DroppedDown()) SetDroppedDown(false);
      return;
    default:
      break;
  }
  if (AutoDropDown() && !DroppedDown()) {
    // Dropping the list selects the item under the text: what was typed and
    // selected stays.
    const std::wstring text = Text();
    const int32_t start = SelStart();
    const int32_t length = SelLength();
    SetDroppedDown(true);
    SetText(text);
    SetSelStart(start);
    SetSelLength(length);
  }
  const std::wstring text = Text();
  const int32_t start = SelStart();
  if (start < 0 || static_cast<size_t>(start) > text.size() ||
      static_cast<size_t>(start + SelLength()) != text.size()) {
    return;
  }
  if (AutoCompleteItem(text.substr(0, static_cast<size_t>(start)) + ch, GetAutoCompletePreserveCase(),
                       GetAutoCompleteUniqueMatchOnly())) {
    SetWideCharInWMChar(Message, 0);
  }
}

bool TTntCustomComboBox::AutoCompleteItem(const std::wstring& Prefix, bool PreserveCase,
                                          bool UniqueOnly) {
  int32_t index = FindComboString(-1, Prefix);
  if (index != -1 && UniqueOnly && FindComboString(index, Prefix) != index) index = -1;
  if (index == -1) return false;
  const std::wstring item = FWideItems->Strings(index);
  const bool changed = Style() == csDropDown ? Text() != item : index != ItemIndex();
  if (AutoCloseUp() && FWideItems->IndexOf(Prefix) != -1) SetDroppedDown(false);
  SetItemIndex(index);
  if (Editable()) {
    const std::wstring text =
        PreserveCase ? Prefix + item.substr(std::min(Prefix.size(), item.size())) : item;
    WideSetWindowText(this, text);
    SetSelStart(static_cast<int32_t>(Prefix.size()));
    SetSelLength(static_cast<int32_t>(text.size() - std::min(Prefix.size(), text.size())));
  }
  if (changed) {
    Click();
    Select();
  }
  return true;
}

int32_t TTntCustomComboBox::FindComboString(int32_t StartIndex, const std::wstring& Text) {
  if (auto* search = dynamic_cast<IWideComboBoxSearch*>(this)) return search->FindString(StartIndex, Text);
  HWND wnd = Handle();
  LRESULT found;
  if (IsWindowUnicode(wnd)) {
    found = SendMessageW(wnd, CB_FINDSTRING, static_cast<WPARAM>(StartIndex),
                         reinterpret_cast<LPARAM>(Text.c_str()));
  } else {
    const std::string ansi = WideToAnsi(Text);
    found = SendMessageA(wnd, CB_FINDSTRING, static_cast<WPARAM>(StartIndex),
                         reinterpret_cast<LPARAM>(ansi.c_str()));
  }
  return found < 0 ? -1 : static_cast<int32_t>(found);
}

void TTntCustomComboBox::DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) {
  if (OnDrawItem()) {
    OnDrawItem()(this, Index, Rect, State);
    return;
  }
  Canvas()->FillRect(Rect);
  if (Index >= 0) WideCanvasTextOut(Canvas(), Rect.left + 2, Rect.top, FWideItems->Strings(Index));
}

std::wstring TTntCustomComboBox::SelText() {
  if (!Editable()) return {};
  const std::wstring text = Text();
  const auto start = static_cast<size_t>(std::max<int32_t>(SelStart(), 0));
  if (start >= text.size()) return {};
  return text.substr(start, static_cast<size_t>(SelLength()));
}

void TTntCustomComboBox::SetSelText(const std::wstring& Value) {
  if (!Editable()) return;
  HandleNeeded();
  HWND edit = EditHandle();
  if (edit == nullptr) return;
  if (IsWindowUnicode(edit)) {
    SendMessageW(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
  } else {
    TCustomComboBox::SetSelText(WideToAnsi(Value));
  }
}

void TTntCustomComboBox::AddItem(const std::wstring& Item, TObject* AObject) {
  FWideItems->AddObject(Item, AObject);
}

void TTntCustomComboBox::CopySelection(TCustomListControl* Destination) {
  const int32_t index = ItemIndex();
  if (Destination == nullptr || index == -1) return;
  WideListControlAddItem(Destination, FWideItems->Strings(index), FWideItems->Objects(index));
}

void TTntCustomComboBox::ActionChange(TObject* Sender, bool CheckDefaults) {
  TntControlActionChange(this, Sender, CheckDefaults);
  TCustomComboBox::ActionChange(Sender, CheckDefaults);
}

TControlActionLinkClass TTntCustomComboBox::GetActionLinkClass() {
  return GetUnicodeActionLinkClass(this);
}
