#include "controls.h"

#include <algorithm>
#include <cstring>

#include "app_exceptions.h"
#include "exceptions.h"
#include "forms.h"
#include "menus.h"
#include "wide_strings.h"

namespace {

TWinControl* GCreationControl = nullptr;

struct TAtoms {
  std::string ControlName;
  std::string WindowName;
  ATOM Control = 0;
  ATOM Window = 0;
};

std::string HexName(const char* prefix, unsigned long long first, int firstDigits,
                    unsigned long second, bool withSecond) {
  char buffer[64];
  if (withSecond) {
    snprintf(buffer, sizeof buffer, "%s%.*llX%.8lX", prefix, firstDigits, first, second);
  } else {
    snprintf(buffer, sizeof buffer, "%s%.*llX", prefix, firstDigits, first);
  }
  return buffer;
}

// Fixed for the process: both names carry numbers that only this process and
// thread have, so windows of another program never look like ours. The module
// handle takes all 16 hex digits of an x64 pointer.
const TAtoms& Atoms() {
  static const TAtoms atoms = [] {
    TAtoms a;
    a.WindowName = HexName("TavrinWindow", GetCurrentProcessId(), 8, 0, false);
    a.ControlName =
        HexName("ControlOfs", reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)), 16,
                GetCurrentThreadId(), true);
    a.Window = GlobalAddAtomA(a.WindowName.c_str());
    a.Control = GlobalAddAtomA(a.ControlName.c_str());
    return a;
  }();
  return atoms;
}

LRESULT DefaultWindowProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  return IsWindowUnicode(wnd) ? DefWindowProcW(wnd, msg, w, l) : DefWindowProcA(wnd, msg, w, l);
}

LRESULT CallProc(WNDPROC proc, HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (proc == nullptr) return DefaultWindowProc(wnd, msg, w, l);
  return IsWindowUnicode(wnd) ? CallWindowProcW(proc, wnd, msg, w, l)
                              : CallWindowProcA(proc, wnd, msg, w, l);
}

// The atom as the A property functions take it (MAKEINTATOM follows UNICODE).
LPCSTR AtomKey(ATOM atom) { return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(atom)); }

bool IsGraphic(const TControl* control) {
  return dynamic_cast<const TWinControl*>(control) == nullptr;
}

std::string AnsiName(const TComponent* component) { return WideToAnsi(component->Name()); }

HWND ReflectionSource(const TMessage& m) {
  switch (m.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
      return reinterpret_cast<HWND>(m.LParam);
    case WM_NOTIFY:
      return m.LParam ? reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom : nullptr;
    case WM_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
      return (d && d->CtlType != ODT_MENU) ? d->hwndItem : nullptr;
    }
    case WM_COMPAREITEM: {
      auto* d = reinterpret_cast<COMPAREITEMSTRUCT*>(m.LParam);
      return d ? d->hwndItem : nullptr;
    }
    case WM_DELETEITEM: {
      auto* d = reinterpret_cast<DELETEITEMSTRUCT*>(m.LParam);
      return d ? d->hwndItem : nullptr;
    }
    default:
      return nullptr;
  }
}

// Paint (the control's own) on Canvas, which holds DC for the call only; the
// canvas lets go of the DC, and of its lock, even when Paint throws.
template <typename F>
void PaintOnCanvas(TControlCanvas* Canvas, HDC DC, F Paint) {
  Canvas->Lock();
  try {
    Canvas->FreeHandle();
    Canvas->SetHandle(DC);
    Paint();
  } catch (...) {
    Canvas->SetHandle(nullptr);
    Canvas->Unlock();
    throw;
  }
  Canvas->SetHandle(nullptr);
  Canvas->Unlock();
}

}  // namespace

// --- plumbing ---

TWinControl* CreationControl() { return GCreationControl; }
void SetCreationControl(TWinControl* Control) { GCreationControl = Control; }
ATOM ControlAtom() { return Atoms().Control; }
ATOM WindowAtom() { return Atoms().Window; }
std::string ControlAtomName() { return Atoms().ControlName; }
std::string WindowAtomName() { return Atoms().WindowName; }

LRESULT CALLBACK InitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* control = GCreationControl;
  if (control == nullptr) return DefaultWindowProc(Wnd, Msg, WParam, LParam);
  control->SetWindowHandle(Wnd);
  // Subclassing with the A function would turn a Unicode window into an ANSI
  // one; each window keeps the family it was made with.
  const bool unicode = IsWindowUnicode(Wnd);
  if (unicode) {
    SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlWndProc));
  } else {
    SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlWndProc));
  }
  if ((GetWindowLongPtrA(Wnd, GWL_STYLE) & WS_CHILD) && GetWindowLongPtrA(Wnd, GWLP_ID) == 0) {
    SetWindowLongPtrA(Wnd, GWLP_ID, reinterpret_cast<LONG_PTR>(Wnd));
  }
  SetPropA(Wnd, AtomKey(ControlAtom()), control);
  SetPropA(Wnd, AtomKey(WindowAtom()), control);
  GCreationControl = nullptr;
  return ControlWndProc(Wnd, Msg, WParam, LParam);
}

LRESULT CALLBACK ControlWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* control = static_cast<TWinControl*>(GetPropA(Wnd, AtomKey(ControlAtom())));
  if (control == nullptr) return DefaultWindowProc(Wnd, Msg, WParam, LParam);
  TMessage message{Msg, WParam, LParam, 0};
  control->MainWndProc(message);
  return message.Result;
}

TWinControl* FindControl(HWND Handle) {
  if (Handle == nullptr) return nullptr;
  DWORD process = 0;
  if (GetWindowThreadProcessId(Handle, &process) == 0 || process != GetCurrentProcessId()) {
    return nullptr;
  }
  return static_cast<TWinControl*>(GetPropA(Handle, AtomKey(ControlAtom())));
}

TControl* FindDragTarget(POINT Pos, bool AllowDisabled) {
  TWinControl* window = nullptr;
  for (HWND h = WindowFromPoint(Pos); h != nullptr && window == nullptr; h = GetParent(h)) {
    window = FindControl(h);
  }
  if (window == nullptr) return nullptr;
  TControl* child = window->ControlAtPos(window->ScreenToClient(Pos), AllowDisabled);
  return child ? child : window;
}

TWinControl* FindFocusedControl() {
  for (HWND h = GetFocus(); h != nullptr; h = GetParent(h)) {
    if (TWinControl* c = FindControl(h)) return c;
  }
  return nullptr;
}

TShiftState MouseKeysToShiftState(WPARAM Keys) {
  TShiftState s = 0;
  if (Keys & MK_SHIFT) s |= ssShift;
  if (Keys & MK_CONTROL) s |= ssCtrl;
  if (Keys & MK_LBUTTON) s |= ssLeft;
  if (Keys & MK_RBUTTON) s |= ssRight;
  if (Keys & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (KeyData & 0x20000000) s |= ssAlt;
  return s;
}

// --- action links ---

TControlActionLink::TControlActionLink(TObject* AClient) : TActionLink(AClient) {
  AssignClient(AClient);
}

void TControlActionLink::AssignClient(TObject* AClient) {
  FClient = dynamic_cast<TControl*>(AClient);
}

bool TControlActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && FClient->Caption() == CustomAction()->Caption();
}
bool TControlActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient->Enabled() == CustomAction()->Enabled();
}
bool TControlActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() &&
         FClient->HelpContext() == CustomAction()->HelpContext();
}
bool TControlActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->Hint() == CustomAction()->Hint();
}
bool TControlActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient->Visible() == CustomAction()->Visible();
}
bool TControlActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && FClient->FOnClickFromAction;
}
void TControlActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TControlActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TControlActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}
void TControlActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}
void TControlActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) {
    FClient->FOnClick = Value;
    FClient->FOnClickFromAction = true;
  }
}

bool TControlActionLink::DoShowHint(std::string& HintStr) {
  TCustomAction* action = CustomAction();
  if (action != nullptr && Application()->HintShortCuts() && action->ShortCut() != 0 &&
      !HintStr.empty()) {
    HintStr += " (" + ShortCutToText(action->ShortCut()) + ")";
  }
  return true;
}

bool TWinControlActionLink::IsHelpContextLinked() {
  return TControlActionLink::IsHelpContextLinked();
}
void TWinControlActionLink::SetHelpContext(int32_t Value) {
  if (IsHelpContextLinked()) FClient->SetHelpContext(Value);
}

// --- TControl ---

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(new TFont) {
  FWindowProc = OwnWndProc();
  FFont->SetOnChange([this](TObject*) { FontChanged(); });
}

TControl::~TControl() {
  if (FParent != nullptr) FParent->RemoveControl(this);
  delete FActionLink;
  FActionLink = nullptr;
  delete FFont;
}

TWindowMethod TControl::OwnWndProc() { return MakeWindowMethod<&TControl::WndProc>(this); }

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage message{Msg, WParam, LParam, 0};
  FWindowProc(message);
  return message.Result;
}

void TControl::WndProc(TMessage& Message) { Dispatch(Message); }

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
      HandleMouseMessage(Message);
      return;
    case CM_MOUSEENTER:
      if (FOnMouseEnter) FOnMouseEnter(this);
      return;
    case CM_MOUSELEAVE:
      if (FOnMouseLeave) FOnMouseLeave(this);
      return;
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
      Invalidate();
      return;
    case CM_PARENTFONTCHANGED:
      if (FParentFont && FParent != nullptr) SetParentComponentFont();
      return;
    case CM_PARENTCOLORCHANGED:
      ParentColorChanged();
      return;
    case CM_PARENTSHOWHINTCHANGED:
      if (FParentShowHint && FParent != nullptr) FShowHint = FParent->ShowHint();
      return;
    case CM_HINTSHOW:
      if (FActionLink != nullptr && Message.LParam != 0 &&
          !FActionLink->DoShowHint(reinterpret_cast<THintInfo*>(Message.LParam)->HintStr)) {
        Message.Result = 1;
      }
      return;
    default:
      DefaultHandler(Message);
  }
}

void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT: {
      size_t room = static_cast<size_t>(Message.WParam);
      auto* buffer = reinterpret_cast<char*>(Message.LParam);
      if (room == 0 || buffer == nullptr) {
        Message.Result = 0;
        return;
      }
      size_t count = std::min(room - 1, FText.size());
      std::memcpy(buffer, FText.data(), count);
      buffer[count] = '\0';
      Message.Result = static_cast<LRESULT>(count);
      return;
    }
    case WM_GETTEXTLENGTH:
      Message.Result = static_cast<LRESULT>(FText.size());
      return;
    case WM_SETTEXT:
      FText = Message.LParam ? reinterpret_cast<const char*>(Message.LParam) : "";
      Message.Result = TRUE;
      return;
    default:
      Message.Result = 0;
  }
}

void TControl::HandleMouseMessage(TMessage& Message) {
  const UINT msg = Message.Msg;
  const int x = XOfLParam(Message.LParam);
  const int y = YOfLParam(Message.LParam);
  TShiftState shift = MouseKeysToShiftState(Message.WParam);
  DefaultHandler(Message);
  if (msg == WM_MOUSEMOVE) {
    MouseMove(shift, x, y);
    return;
  }
  TMouseButton button = mbLeft;
  if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP || msg == WM_RBUTTONDBLCLK) button = mbRight;
  if (msg == WM_MBUTTONDOWN || msg == WM_MBUTTONUP || msg == WM_MBUTTONDBLCLK) button = mbMiddle;
  const bool up = msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP;
  const bool dbl = msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
  if (up) {
    if (button == mbLeft) {
      if (FControlStyle & csCaptureMouse) SetMouseCapture(false);
      if (FControlState & csClicked) {
        FControlState &= ~csClicked;
        RECT client = ClientRect();
        POINT p{x, y};
        if (PtInRect(&client, p)) Click();
      }
    }
    MouseUp(button, shift, x, y);
    return;
  }
  if (button == mbLeft) {
    if (FControlStyle & csCaptureMouse) SetMouseCapture(true);
    if (dbl && (FControlStyle & csDoubleClicks)) {
      DblClick();
    } else if (FControlStyle & csClickEvents) {
      FControlState |= csClicked;
    }
  }
  MouseDown(button, dbl ? static_cast<TShiftState>(shift | ssDouble) : shift, x, y);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FOnMouseDown) FOnMouseDown(this, Button, Shift, X, Y);
}
void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FOnMouseUp) FOnMouseUp(this, Button, Shift, X, Y);
}
void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (FOnMouseMove) FOnMouseMove(this, Shift, X, Y);
}
void TControl::Resize() {
  if (FOnResize) FOnResize(this);
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent == this) throw EInvalidOperation(L"A control cannot have itself as its parent");
  if (FParent != nullptr) FParent->RemoveControl(this);
  if (AParent != nullptr) {
    AParent->InsertControl(this);
    if (FParentFont) SetParentComponentFont();
    if (FParentColor) ParentColorChanged();
    if (FParentShowHint) FShowHint = AParent->ShowHint();
  }
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  InvalidateControl(FVisible, false);
  FLeft = ALeft;
  FTop = ATop;
  FWidth = std::max(AWidth, 0);
  FHeight = std::max(AHeight, 0);
  BoundsChanged();
  InvalidateControl(FVisible, false);
  Resize();
  RequestAlign();
}

RECT TControl::ClientRect() { return RECT{0, 0, FWidth, FHeight}; }

void TControl::SetClientWidth(int Value) { SetWidth(FWidth - ClientWidth() + Value); }
void TControl::SetClientHeight(int Value) { SetHeight(FHeight - ClientHeight() + Value); }

POINT TControl::ClientOrigin() {
  if (FParent == nullptr) return POINT{FLeft, FTop};
  POINT origin = FParent->ClientOrigin();
  return POINT{origin.x + FLeft, origin.y + FTop};
}

POINT TControl::ClientToScreen(POINT P) {
  POINT origin = ClientOrigin();
  return POINT{P.x + origin.x, P.y + origin.y};
}

POINT TControl::ScreenToClient(POINT P) {
  POINT origin = ClientOrigin();
  return POINT{P.x - origin.x, P.y - origin.y};
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign == Value) return;
  FAlign = Value;
  RequestAlign();
}

void TControl::RequestAlign() {
  if (FParent != nullptr && FAlign != alNone) FParent->Realign();
}

void TControl::BringToFront() {
  if (FParent == nullptr) return;
  auto& list = FParent->FControls;
  list.erase(std::find(list.begin(), list.end(), this));
  list.push_back(this);
  if (auto* win = dynamic_cast<TWinControl*>(this); win && win->HandleAllocated()) {
    SetWindowPos(win->WindowHandle(), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  Invalidate();
}

void TControl::SendToBack() {
  if (FParent == nullptr) return;
  auto& list = FParent->FControls;
  list.erase(std::find(list.begin(), list.end(), this));
  list.insert(list.begin(), this);
  if (auto* win = dynamic_cast<TWinControl*>(this); win && win->HandleAllocated()) {
    SetWindowPos(win->WindowHandle(), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  Invalidate();
}

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  VisibleChanging();
  if (!Value) InvalidateControl(true, false);
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0);
  RequestAlign();
}

bool TControl::Showing() {
  if (!FVisible) return false;
  return FParent == nullptr || FParent->Showing();
}

void TControl::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED);
}

bool TControl::MouseCapture() {
  if (FParent != nullptr && IsGraphic(this)) {
    return FParent->FMouseControl == this && GetCapture() == FParent->WindowHandle();
  }
  auto* win = static_cast<TWinControl*>(this);
  return win->HandleAllocated() && GetCapture() == win->WindowHandle();
}

void TControl::SetMouseCapture(bool Value) {
  if (MouseCapture() == Value) return;
  if (IsGraphic(this)) {
    if (FParent == nullptr || !FParent->HandleAllocated()) return;
    if (Value) {
      FParent->FMouseControl = this;
      SetCapture(FParent->WindowHandle());
    } else {
      FParent->FMouseControl = nullptr;
      ReleaseCapture();
    }
    return;
  }
  if (Value) {
    SetCapture(static_cast<TWinControl*>(this)->Handle());
  } else {
    ReleaseCapture();
  }
}

void TControl::SetText(const std::string& Value) {
  if (GetText() == Value) return;
  SetTextBuf(Value);
  Perform(CM_TEXTCHANGED);
}

int TControl::GetTextLen() { return static_cast<int>(Perform(WM_GETTEXTLENGTH)); }

std::string TControl::GetText() {
  int length = GetTextLen();
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  LRESULT copied = Perform(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::clamp<size_t>(static_cast<size_t>(std::max<LRESULT>(copied, 0)), 0,
                                 static_cast<size_t>(length)));
  text.resize(std::strlen(text.c_str()));
  return text;
}

void TControl::SetTextBuf(const std::string& Value) {
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TControl::SetShowHint(bool Value) {
  FParentShowHint = false;
  if (FShowHint == Value) return;
  FShowHint = Value;
  if (auto* win = dynamic_cast<TWinControl*>(this)) win->NotifyControls(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool Value) {
  if (FParentShowHint == Value) return;
  FParentShowHint = Value;
  if (Value && FParent != nullptr) FShowHint = FParent->ShowHint();
}

void TControl::SetFont(TFont* Value) { FFont->Assign(Value); }

void TControl::SetParentFont(bool Value) {
  if (FParentFont == Value) return;
  FParentFont = Value;
  if (Value && FParent != nullptr) SetParentComponentFont();
}

void TControl::SetParentComponentFont() {
  // Following the parent must not look like a font of the control's own.
  FParentFontUpdating = true;
  try {
    FFont->Assign(FParent->Font());
  } catch (...) {
    FParentFontUpdating = false;
    throw;
  }
  FParentFontUpdating = false;
  FParentFont = true;
}

void TControl::FontChanged() {
  if (!FParentFontUpdating) FParentFont = false;
  Perform(CM_FONTCHANGED);
}

void TControl::SetColor(TColor Value) {
  FParentColor = false;
  if (FColor == Value) return;
  FColor = Value;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool Value) {
  if (FParentColor == Value) return;
  FParentColor = Value;
  if (Value) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!FParentColor || FParent == nullptr) return;
  if (FColor != FParent->Color()) {
    FColor = FParent->Color();
    Perform(CM_COLORCHANGED);
  }
  FParentColor = true;
}

bool TControl::UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }

UINT TControl::DrawTextBiDiModeFlagsReadingOnly() const {
  return UseRightToLeftReading() ? DT_RTLREADING : 0;
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  if (FPopupMenu == Value) return;
  if (FPopupMenu != nullptr) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (Value != nullptr) Value->FreeNotification(this);
}

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
  if (!IsVisible || FParent == nullptr || !FParent->HandleAllocated() || !IsGraphic(this)) return;
  RECT r = BoundsRect();
  InvalidateRect(FParent->WindowHandle(), &r, IsOpaque ? FALSE : TRUE);
}

void TControl::Invalidate() { InvalidateControl(FVisible, (FControlStyle & csOpaque) != 0); }

void TControl::Repaint() {
  if (FParent == nullptr || !FParent->HandleAllocated() || !FVisible) return;
  Invalidate();
  FParent->Update();
}

void TControl::Update() {
  if (FParent != nullptr) FParent->Update();
}

TBasicAction* TControl::Action() const {
  return FActionLink != nullptr ? FActionLink->Action() : nullptr;
}

void TControl::SetAction(TBasicAction* Value) {
  if (Value == nullptr) {
    delete FActionLink;
    FActionLink = nullptr;
    FControlStyle &= ~csActionClient;
    return;
  }
  FControlStyle |= csActionClient;
  if (FActionLink == nullptr) FActionLink = GetActionLinkClass()(this);
  FActionLink->SetAction(Value);
  FActionLink->SetOnChange([this](TObject* Sender) { DoActionChange(Sender); });
  ActionChange(Value, ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

void TControl::DoActionChange(TObject* Sender) {
  if (Sender == Action()) ActionChange(Sender, false);
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (action == nullptr) return;
  if (!CheckDefaults || Caption().empty() || Caption() == AnsiName(this)) {
    SetCaption(action->Caption());
  }
  if (!CheckDefaults || FEnabled) SetEnabled(action->Enabled());
  if (!CheckDefaults || FHelpContext == 0) SetHelpContext(action->HelpContext());
  if (!CheckDefaults || FHint.empty()) SetHint(action->Hint());
  if (!CheckDefaults || FVisible) SetVisible(action->Visible());
  if (!CheckDefaults || !FOnClick) {
    FOnClick = action->OnExecute();
    FOnClickFromAction = true;
  }
}

TControlActionLinkClass TControl::GetActionLinkClass() {
  return &NewActionLink<TControlActionLink>;
}

void TControl::InitiateAction() {
  if (FActionLink != nullptr) FActionLink->Update();
}

void TControl::SetOnClick(TNotifyEvent Value) {
  FOnClick = std::move(Value);
  FOnClickFromAction = false;
}

void TControl::Click() {
  // An OnClick of the control's own wins over the action; one copied from the
  // action runs the action itself, so its list and the application see it.
  if (FOnClick && Action() != nullptr && !FOnClickFromAction) {
    FOnClick(this);
  } else if (FActionLink != nullptr) {
    FActionLink->Execute(this);
  } else if (FOnClick) {
    FOnClick(this);
  }
}

void TControl::DblClick() {
  if (FOnDblClick) FOnDblClick(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
  if (FActionLink != nullptr && AComponent == FActionLink->Action()) SetAction(nullptr);
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (TBasicAction* action = Action()) ActionChange(action, true);
}

// --- TControlCanvas ---

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* Value) {
  if (FControl == Value) return;
  FreeHandle();
  FControl = Value;
}

void TControlCanvas::FreeHandle() {
  if (FDeviceContext == nullptr) return;
  SetHandle(nullptr);
  ReleaseDC(FWindowHandle, FDeviceContext);
  FDeviceContext = nullptr;
  FWindowHandle = nullptr;
}

void TControlCanvas::CreateHandle() {
  if (FControl == nullptr) return;
  if (FDeviceContext == nullptr) {
    if (auto* win = dynamic_cast<TWinControl*>(FControl)) {
      FWindowHandle = win->Handle();
      FDeviceContext = GetDC(FWindowHandle);
    } else {
      TWinControl* parent = FControl->Parent();
      if (parent == nullptr) return;
      FWindowHandle = parent->Handle();
      FDeviceContext = GetDC(FWindowHandle);
      SetViewportOrgEx(FDeviceContext, FControl->Left(), FControl->Top(), nullptr);
      IntersectClipRect(FDeviceContext, 0, 0, FControl->Width(), FControl->Height());
    }
  }
  SetHandle(FDeviceContext);
}

// --- TWinControl ---

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FBrush(new TBrush) {
  FBrush->SetColor(FColor);
}

TWinControl::~TWinControl() {
  // Children go first, while this control is still whole; they leave
  // FControls as they die.
  while (!FControls.empty()) delete FControls.back();
  if (FParent != nullptr) FParent->RemoveControl(this);
  if (FHandle != nullptr) DestroyHandle();
  delete FBrush;
}

void TWinControl::MainWndProc(TMessage& Message) {
  try {
    WindowProc()(Message);
  } catch (...) {
    ApplicationHandleException(std::current_exception());
  }
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      WMPaint(Message);
      return;
    case WM_ERASEBKGND: {
      RECT r = ClientRect();
      FillRect(reinterpret_cast<HDC>(Message.WParam), &r, FBrush->Handle());
      Message.Result = 1;
      return;
    }
    case WM_SETFOCUS:
      WMSetFocus(Message);
      return;
    case WM_KILLFOCUS:
      WMKillFocus(Message);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (!DoKeyDown(Message)) DefaultHandler(Message);
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (!DoKeyUp(Message)) DefaultHandler(Message);
      return;
    case WM_CHAR:
      if (!DoKeyPress(Message)) DefaultHandler(Message);
      return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
      CNKeyDown(Message);
      return;
    case CN_CHAR:
    case CN_SYSCHAR:
      CNChar(Message);
      return;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(Message.WParam);
      SetTextColor(dc, ColorToRGB(Font()->Color()));
      SetBkColor(dc, ColorToRGB(FBrush->Color()));
      Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
      return;
    }
    case WM_CONTEXTMENU:
      WMContextMenu(Message);
      return;
    case WM_WINDOWPOSCHANGED: {
      DefaultHandler(Message);
      UpdateBoundsFromWindow();
      return;
    }
    case WM_NCDESTROY: {
      DefaultHandler(Message);
      HWND wnd = FHandle;
      if (wnd != nullptr) {
        RemovePropA(wnd, AtomKey(ControlAtom()));
        RemovePropA(wnd, AtomKey(WindowAtom()));
      }
      FHandle = nullptr;
      return;
    }
    case CM_ENTER:
      DoEnter();
      return;
    case CM_EXIT:
      DoExit();
      return;
    case CM_VISIBLECHANGED:
      UpdateShowing();
      return;
    case CM_ENABLEDCHANGED:
      if (FHandle != nullptr) EnableWindow(FHandle, FEnabled);
      return;
    case CM_COLORCHANGED:
      FBrush->SetColor(FColor);
      Invalidate();
      NotifyControls(CM_PARENTCOLORCHANGED);
      return;
    case CM_FONTCHANGED:
      if (FHandle != nullptr) {
        DefaultHandler(Message);  // nothing for system classes; keeps the chain whole
        SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
      }
      Invalidate();
      NotifyControls(CM_PARENTFONTCHANGED);
      return;
    case CM_DIALOGKEY:
      CMDialogKey(Message);
      return;
    case CM_DIALOGCHAR:
      Broadcast(Message);
      return;
    case CM_CHILDKEY:
      if (FParent != nullptr) Message.Result = FParent->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
      return;
    case CM_RECREATEWND:
      RecreateWnd();
      return;
    default:
      break;
  }
  if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MBUTTONDBLCLK &&
      IsMouseMessageForChild(Message)) {
    return;
  }
  if (HWND source = ReflectionSource(Message)) {
    TWinControl* child = FindControl(source);
    if (child == nullptr && Message.Msg == WM_MEASUREITEM) child = CreationControl();
    if (child != nullptr && child != this) {
      Message.Result = child->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
      return;
    }
  } else if (Message.Msg == WM_MEASUREITEM) {
    auto* data = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
    if (data != nullptr && data->CtlType != ODT_MENU && FHandle != nullptr) {
      TWinControl* child = FindControl(GetDlgItem(FHandle, static_cast<int>(data->CtlID)));
      if (child == nullptr) child = CreationControl();
      if (child != nullptr && child != this) {
        Message.Result = child->Perform(CN_MEASUREITEM, Message.WParam, Message.LParam);
        return;
      }
    }
  }
  TControl::Dispatch(Message);
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (FHandle == nullptr) {
    TControl::DefaultHandler(Message);
    return;
  }
  Message.Result = CallProc(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
}

bool TWinControl::IsMouseMessageForChild(TMessage& Message) {
  TControl* target = FMouseControl;
  POINT p{XOfLParam(Message.LParam), YOfLParam(Message.LParam)};
  if (target == nullptr) {
    target = ControlAtPos(p, false);
  }
  if (target == nullptr || !IsGraphic(target)) return false;
  LPARAM local = MAKELPARAM(static_cast<WORD>(p.x - target->Left()),
                            static_cast<WORD>(p.y - target->Top()));
  Message.Result = target->Perform(Message.Msg, Message.WParam, local);
  return true;
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle != nullptr) return;
  if (FParent != nullptr) FParent->HandleNeeded();
  CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams{};
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle & csAcceptsControls) Params.Style |= WS_CLIPCHILDREN;
  if (FVisible) Params.Style |= WS_VISIBLE;
  if (!FEnabled) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  Params.WndParent = FParent != nullptr ? FParent->Handle() : FParentWindow;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = DefWindowProcA;
  Params.WindowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  Params.WindowClass.hInstance = GetModuleHandleA(nullptr);
  std::string name = WideToAnsi(ClassName());
  std::strncpy(Params.WinClassName, name.c_str(), sizeof Params.WinClassName - 1);
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char* ClassName) {
  const HINSTANCE instance = Params.WindowClass.hInstance;
  const UINT keepStyle = CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS;
  WNDCLASSA system{};
  if (GetClassInfoA(instance, ClassName, &system) || GetClassInfoA(nullptr, ClassName, &system)) {
    Params.WindowClass = system;
    Params.WindowClass.hInstance = instance;
    Params.WindowClass.style &= ~keepStyle;
  }
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (params.WndParent == nullptr && (params.Style & WS_CHILD)) {
    throw EInvalidOperation(L"Control '%s' has no parent window", {Name()});
  }
  FDefWndProc = params.WindowClass.lpfnWndProc;
  WNDCLASSA existing{};
  const bool registered = GetClassInfoA(params.WindowClass.hInstance, params.WinClassName, &existing);
  if (!registered || existing.lpfnWndProc != &InitWndProc) {
    if (registered) UnregisterClassA(params.WinClassName, params.WindowClass.hInstance);
    WNDCLASSA cls = params.WindowClass;
    cls.lpfnWndProc = &InitWndProc;
    cls.lpszClassName = params.WinClassName;
    if (RegisterClassA(&cls) == 0) RaiseLastOSError();
  }
  SetCreationControl(this);
  try {
    CreateWindowHandle(params);
  } catch (...) {
    SetCreationControl(nullptr);
    throw;
  }
  SetCreationControl(nullptr);
  if (FHandle == nullptr) RaiseLastOSError();
  SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), FALSE);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  HWND wnd = CreateWindowExA(Params.ExStyle, Params.WinClassName, Params.Caption.c_str(),
                             Params.Style, Params.X, Params.Y, Params.Width, Params.Height,
                             Params.WndParent, nullptr, Params.WindowClass.hInstance, Params.Param);
  // InitWndProc already set the handle; a window that failed during creation
  // must not leave a stale one behind.
  if (wnd == nullptr) FHandle = nullptr;
}

void TWinControl::CreateHandle() {
  if (FHandle != nullptr) return;
  CreateWnd();
  for (TControl* child : FControls) {
    auto* win = dynamic_cast<TWinControl*>(child);
    if (win != nullptr && win->Visible()) win->HandleNeeded();
  }
  for (TWinControl* child : FTabList) {
    if (child->HandleAllocated()) {
      SetWindowPos(child->WindowHandle(), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

void TWinControl::DestroyHandle() {
  if (FHandle == nullptr) return;
  for (TControl* child : FControls) {
    if (auto* win = dynamic_cast<TWinControl*>(child)) win->DestroyHandle();
  }
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  FText = GetText();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  FControlState |= csDestroyingHandle;
  HWND wnd = FHandle;
  if (wnd != nullptr) DestroyWindow(wnd);
  FHandle = nullptr;
  FControlState &= ~csDestroyingHandle;
}

void TWinControl::RecreateWnd() {
  if (FHandle == nullptr) return;
  const bool wasFocused = Focused();
  const bool topLevelShown = FParent == nullptr && FParentWindow == nullptr && IsWindowVisible(FHandle);
  DestroyHandle();
  if (FParent != nullptr ? FParent->HandleAllocated() : true) {
    HandleNeeded();
    if (topLevelShown) ShowWindow(FHandle, SW_SHOWNA);
  }
  if (wasFocused && FHandle != nullptr) ::SetFocus(FHandle);
}

std::string TWinControl::GetText() {
  if (FHandle == nullptr) return TControl::GetText();
  return TControl::GetText();
}

void TWinControl::SetTextBuf(const std::string& Value) {
  if (FHandle == nullptr) FText = Value;
  TControl::SetTextBuf(Value);
}

void TWinControl::SetParentWindow(HWND Value) {
  if (FParent != nullptr || FParentWindow == Value) return;
  if (FHandle != nullptr && FParentWindow != nullptr && Value != nullptr) {
    FParentWindow = Value;
    ::SetParent(FHandle, Value);
    return;
  }
  DestroyHandle();
  FParentWindow = Value;
  if (Value != nullptr && FVisible) HandleNeeded();
}

void TWinControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  const bool hadHandle = FHandle != nullptr;
  if (hadHandle && AParent != nullptr && AParent->HandleAllocated()) {
    TControl::SetParent(AParent);
    ::SetParent(FHandle, AParent->WindowHandle());
    return;
  }
  if (hadHandle) DestroyHandle();
  TControl::SetParent(AParent);
  if (AParent != nullptr && AParent->HandleAllocated() && FVisible) HandleNeeded();
}

void TWinControl::InsertControl(TControl* AControl) {
  FControls.push_back(AControl);
  AControl->FParent = this;
  if (auto* win = dynamic_cast<TWinControl*>(AControl)) FTabList.push_back(win);
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), TRUE);
  AControl->RequestAlign();
  if (IsGraphic(AControl)) AControl->Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end()) return;
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), FALSE);
  if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
    if (TCustomForm* form = GetParentForm(this)) {
      TWinControl* active = form->ActiveControl();
      if (active != nullptr && (active == win || win->ContainsControl(active))) {
        form->DefocusControl(win, true);
      }
    }
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), win), FTabList.end());
  } else {
    AControl->InvalidateControl(AControl->Visible(), false);
  }
  if (FMouseControl == AControl) FMouseControl = nullptr;
  FControls.erase(std::find(FControls.begin(), FControls.end(), AControl));
  AControl->FParent = nullptr;
  Realign();
}

bool TWinControl::ContainsControl(TControl* Control) {
  for (TControl* c = Control; c != nullptr; c = c->Parent()) {
    if (c == this) return true;
  }
  return false;
}

TControl* TWinControl::ControlAtPos(POINT P, bool AllowDisabled, bool AllowWinControls) {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (!AllowWinControls && !IsGraphic(c)) continue;
    if (!c->Visible() || (!AllowDisabled && !c->Enabled())) continue;
    RECT r = c->BoundsRect();
    if (PtInRect(&r, P)) return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
  const std::vector<TControl*> children = FControls;
  for (TControl* child : children) {
    if (std::find(FControls.begin(), FControls.end(), child) == FControls.end()) continue;
    child->WindowProc()(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  TMessage message{Msg, 0, 0, 0};
  Broadcast(message);
}

void TWinControl::AlignControls(TControl*, RECT& Rect) {
  static const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign align : order) {
    for (TControl* c : FControls) {
      if (c->Align() != align || !c->Visible()) continue;
      const int w = c->Width(), h = c->Height();
      switch (align) {
        case alTop:
          c->SetBounds(Rect.left, Rect.top, Rect.right - Rect.left, h);
          Rect.top += h;
          break;
        case alBottom:
          c->SetBounds(Rect.left, Rect.bottom - h, Rect.right - Rect.left, h);
          Rect.bottom -= h;
          break;
        case alLeft:
          c->SetBounds(Rect.left, Rect.top, w, Rect.bottom - Rect.top);
          Rect.left += w;
          break;
        case alRight:
          c->SetBounds(Rect.right - w, Rect.top, w, Rect.bottom - Rect.top);
          Rect.right -= w;
          break;
        default:
          c->SetBounds(Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top);
          break;
      }
    }
  }
}

void TWinControl::Realign() {
  if (FAligning) return;
  FAligning = true;
  try {
    RECT r = ClientRect();
    AlignControls(nullptr, r);
  } catch (...) {
    FAligning = false;
    throw;
  }
  FAligning = false;
}

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  if (form == nullptr) return FVisible && FEnabled;
  for (TWinControl* c = this; c != nullptr; c = c->Parent()) {
    if (!c->Visible() || !c->Enabled()) return false;
    if (c == form) break;
  }
  return true;
}

bool TWinControl::Focused() { return FHandle != nullptr && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm(this);
  if (form != nullptr && form != this) {
    form->FocusControl(this);
  } else {
    ::SetFocus(Handle());
  }
}

void TWinControl::SetTabStop(bool Value) {
  if (FTabStop == Value) return;
  FTabStop = Value;
  if (FHandle != nullptr) {
    LONG_PTR style = GetWindowLongPtrA(FHandle, GWL_STYLE);
    style = Value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrA(FHandle, GWL_STYLE, style);
  }
}

int32_t TWinControl::TabOrder() {
  if (FParent == nullptr) return -1;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int32_t>(it - list.begin());
}

void TWinControl::SetTabOrder(int32_t Value) {
  if (FParent == nullptr) return;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  const int32_t index = std::clamp<int32_t>(Value, 0, static_cast<int32_t>(list.size()));
  list.insert(list.begin() + index, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* child : FTabList) {
    List.push_back(child);
    child->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward,
                                          bool CheckTabStop, bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const int count = static_cast<int>(list.size());
  auto found = std::find(list.begin(), list.end(), CurControl);
  int start = found == list.end() ? (GoForward ? count - 1 : 0)
                                  : static_cast<int>(found - list.begin());
  int i = start;
  do {
    i = GoForward ? (i + 1) % count : (i + count - 1) % count;
    TWinControl* c = list[i];
    if (c->CanFocus() && (!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this)) {
      return c;
    }
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) {
    next->SetFocus();
  }
}

void TWinControl::Invalidate() {
  if (FHandle != nullptr) InvalidateRect(FHandle, nullptr, (FControlStyle & csOpaque) ? FALSE : TRUE);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::Update() {
  if (FHandle != nullptr) UpdateWindow(FHandle);
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = std::max(AWidth, 0);
  FHeight = std::max(AHeight, 0);
  if (FHandle != nullptr && !IsIconic(FHandle)) {
    SetWindowPos(FHandle, nullptr, FLeft, FTop, FWidth, FHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Resize();
  Realign();
  RequestAlign();
}

void TWinControl::UpdateBoundsFromWindow() {
  if (FHandle == nullptr || IsIconic(FHandle)) return;
  RECT r;
  GetWindowRect(FHandle, &r);
  if (GetWindowLongPtrA(FHandle, GWL_STYLE) & WS_CHILD) {
    MapWindowPoints(HWND_DESKTOP, GetParent(FHandle), reinterpret_cast<POINT*>(&r), 2);
  }
  if (r.left == FLeft && r.top == FTop && r.right - r.left == FWidth && r.bottom - r.top == FHeight) {
    return;
  }
  FLeft = r.left;
  FTop = r.top;
  FWidth = r.right - r.left;
  FHeight = r.bottom - r.top;
  Resize();
  Realign();
}

RECT TWinControl::ClientRect() {
  if (FHandle == nullptr) return TControl::ClientRect();
  RECT r{};
  GetClientRect(FHandle, &r);
  return r;
}

POINT TWinControl::ClientOrigin() {
  if (FHandle == nullptr) return TControl::ClientOrigin();
  POINT p{0, 0};
  ::ClientToScreen(FHandle, &p);
  return p;
}

void TWinControl::UpdateShowing() {
  if (FVisible) {
    if (FParent != nullptr && !FParent->HandleAllocated()) return;
    HandleNeeded();
    if (FParent != nullptr || FParentWindow != nullptr) {
      SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                   SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
      ShowWindow(FHandle, SW_SHOWNORMAL);
    }
  } else if (FHandle != nullptr) {
    ShowWindow(FHandle, SW_HIDE);
  }
}

void TWinControl::FontChanged() { TControl::FontChanged(); }

void TWinControl::BoundsChanged() {}

void TWinControl::PaintWindow(HDC DC) {
  TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
  DefaultHandler(message);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  bool painting = First == nullptr;
  const std::vector<TControl*> children = FControls;
  for (TControl* child : children) {
    if (child == First) painting = true;
    if (!painting || !IsGraphic(child) || !child->Visible()) continue;
    RECT bounds = child->BoundsRect();
    if (!RectVisible(DC, &bounds)) continue;
    const int saved = SaveDC(DC);
    OffsetViewportOrgEx(DC, child->Left(), child->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, child->Width(), child->Height());
    child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    RestoreDC(DC, saved);
  }
}

void TWinControl::PaintHandler(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  PAINTSTRUCT ps{};
  if (dc == nullptr) dc = BeginPaint(FHandle, &ps);
  try {
    PaintWindow(dc);
    PaintControls(dc, nullptr);
  } catch (...) {
    if (Message.WParam == 0) EndPaint(FHandle, &ps);
    throw;
  }
  if (Message.WParam == 0) EndPaint(FHandle, &ps);
}

void TWinControl::WMPaint(TMessage& Message) {
  const bool hasGraphicChildren =
      std::any_of(FControls.begin(), FControls.end(), [](TControl* c) { return IsGraphic(c); });
  if (!(FControlState & csCustomPaint) && !hasGraphicChildren) {
    DefaultHandler(Message);
    return;
  }
  if (!FDoubleBuffered || Message.WParam != 0) {
    PaintHandler(Message);
    return;
  }
  // Drawn off-screen and copied in one block, so nothing flickers.
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(FHandle, &ps);
  RECT client = ClientRect();
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1),
                                          std::max<LONG>(client.bottom, 1));
  HGDIOBJ old = SelectObject(memory, bitmap);
  try {
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), reinterpret_cast<LPARAM>(memory));
    TMessage paint{WM_PAINT, reinterpret_cast<WPARAM>(memory), 0, 0};
    PaintHandler(paint);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  } catch (...) {
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(FHandle, &ps);
    throw;
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EndPaint(FHandle, &ps);
}

void TWinControl::WMSetFocus(TMessage& Message) {
  if (!ComponentState().Contains(csDestroying)) {
    TCustomForm* form = GetParentForm(this);
    if (form != nullptr && !form->SetFocusedControl(this)) return;
  }
  DefaultHandler(Message);
}

void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }

bool TWinControl::DoKeyDown(TMessage& Message) {
  return DoKeyEvent(Message, &TWinControl::KeyDown);
}

bool TWinControl::DoKeyUp(TMessage& Message) { return DoKeyEvent(Message, &TWinControl::KeyUp); }

bool TWinControl::DoKeyEvent(TMessage& Message, TKeyMethod Event) {
  TCustomForm* form = GetParentForm(this);
  if (form != nullptr && form != this && form->KeyPreview() &&
      static_cast<TWinControl*>(form)->DoKeyEvent(Message, Event)) {
    return true;
  }
  if (FControlStyle & csNoStdEvents) return false;
  uint16_t key = CharCodeOf(Message);
  (this->*Event)(key, KeyDataToShiftState(Message.LParam));
  if (key == 0) return true;
  SetCharCode(Message, key);
  return false;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form != nullptr && form != this && form->KeyPreview() && form->DoKeyPress(Message)) return true;
  if (FControlStyle & csNoStdEvents) return false;
  char key = static_cast<char>(CharCodeOf(Message) & 0xFF);
  KeyPress(key);
  if (key == 0) return true;
  // Only the low word: a layer above may carry the real character in the
  // high word, which must reach the window unharmed.
  SetCharCode(Message, static_cast<uint8_t>(key));
  return false;
}

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (FOnKeyDown) FOnKeyDown(this, Key, Shift);
}
void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (FOnKeyUp) FOnKeyUp(this, Key, Shift);
}
void TWinControl::KeyPress(char& Key) {
  if (FOnKeyPress) FOnKeyPress(this, Key);
}
void TWinControl::DoEnter() {
  if (FOnEnter) FOnEnter(this);
}
void TWinControl::DoExit() {
  if (FOnExit) FOnExit(this);
}

bool TWinControl::IsMenuKey(TMessage& Message) {
  for (TControl* c = this; c != nullptr; c = c->Parent()) {
    if (c->PopupMenu() != nullptr && c->PopupMenu()->IsShortCut(Message)) return true;
  }
  TCustomForm* form = GetParentForm(this);
  return form != nullptr && form->IsShortCut(Message);
}

void TWinControl::CNKeyDown(TMessage& Message) {
  Message.Result = 1;
  if (IsMenuKey(Message)) return;
  if (Perform(CM_CHILDKEY, CharCodeOf(Message), reinterpret_cast<LPARAM>(this)) != 0) return;
  LRESULT mask = 0;
  switch (CharCodeOf(Message)) {
    case VK_TAB:
      mask = DLGC_WANTTAB;
      break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      mask = DLGC_WANTARROWS;
      break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
      mask = DLGC_WANTALLKEYS;
      break;
    default:
      break;
  }
  if (mask != 0 && Perform(CM_WANTSPECIALKEY, CharCodeOf(Message)) == 0 &&
      (Perform(WM_GETDLGCODE) & mask) == 0) {
    TWinControl* top = GetParentForm(this);
    if (top == nullptr) top = this;
    if (top->Perform(CM_DIALOGKEY, CharCodeOf(Message), Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message) {
  Message.Result = 1;
  if ((Perform(WM_GETDLGCODE) & DLGC_WANTCHARS) == 0) {
    TWinControl* top = GetParentForm(this);
    if (top != nullptr && top->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CMDialogKey(TMessage& Message) {
  const uint16_t key = CharCodeOf(Message);
  const bool topLevel = FParent == nullptr;
  if (topLevel && (key == VK_TAB || key == VK_LEFT || key == VK_RIGHT || key == VK_UP ||
                   key == VK_DOWN)) {
    if (GetKeyState(VK_MENU) < 0) return;
    TWinControl* current = FindFocusedControl();
    if (current == nullptr || !ContainsControl(current)) current = nullptr;
    bool forward = key == VK_TAB ? GetKeyState(VK_SHIFT) >= 0 : (key == VK_RIGHT || key == VK_DOWN);
    if (key == VK_TAB) {
      SelectNext(current, forward, true);
    } else if (current != nullptr && current->Parent() != nullptr) {
      current->Parent()->SelectNext(current, forward, false);
    }
    Message.Result = 1;
    return;
  }
  Broadcast(Message);
}

void TWinControl::WMContextMenu(TMessage& Message) {
  POINT screen{XOfLParam(Message.LParam), YOfLParam(Message.LParam)};
  TControl* control = this;
  if (screen.x != -1 || screen.y != -1) {
    if (TControl* child = ControlAtPos(ScreenToClient(screen), false)) control = child;
  } else {
    screen = ClientToScreen(POINT{0, 0});
  }
  for (TControl* c = control; c != nullptr; c = c->Parent()) {
    TPopupMenu* menu = c->PopupMenu();
    if (menu != nullptr && menu->AutoPopup()) {
      menu->SetPopupComponent(c);
      menu->Popup(screen.x, screen.y);
      Message.Result = 1;
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  TControl::ActionChange(Sender, CheckDefaults);
}

TControlActionLinkClass TWinControl::GetActionLinkClass() {
  return &NewActionLink<TWinControlActionLink>;
}

void TWinControl::UpdateActionsOfControls() {
  InitiateAction();
  const std::vector<TControl*> children = FControls;
  for (TControl* child : children) {
    if (auto* win = dynamic_cast<TWinControl*>(child)) {
      win->UpdateActionsOfControls();
    } else {
      child->InitiateAction();
    }
  }
}

// --- TGraphicControl and TCustomControl ---

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(new TControlCanvas) {
  FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() { delete FCanvas; }

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg != WM_PAINT) {
    TControl::Dispatch(Message);
    return;
  }
  if (Message.WParam == 0 || ComponentState().Contains(csDestroying)) return;
  PaintOnCanvas(FCanvas, reinterpret_cast<HDC>(Message.WParam), [this] { Paint(); });
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(new TControlCanvas) {
  FCanvas->SetControl(this);
  FControlState |= csCustomPaint;
}

TCustomControl::~TCustomControl() {
  // The window may still paint while the base destructor takes it down.
  DestroyHandle();
  delete FCanvas;
  FCanvas = nullptr;
}

void TCustomControl::PaintWindow(HDC DC) {
  if (FCanvas == nullptr) return;
  PaintOnCanvas(FCanvas, DC, [this] { Paint(); });
}
