#include "framework/controls.h"

#include <algorithm>
#include <cstring>

#include "framework/app_exceptions.h"
#include "framework/controls_internal.h"
#include "framework/exceptions.h"
#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/utility_window.h"
#include "framework/wide_strings.h"

using namespace controls_internal;

namespace {

TWinControl* GCreationControl = nullptr;

struct TAtoms {
  std::string ControlName;
  std::string WindowName;
  ATOM Control = 0;
  ATOM Window = 0;
};

// Fixed for the process: both names carry numbers that only this process and
// thread have, so windows of another program never look like ours. The module
// handle takes all 16 hex digits of an x64 pointer.
const TAtoms& Atoms() {
  static const TAtoms atoms = [] {
    TAtoms a;
    char name[64];
    snprintf(name, sizeof name, "TavrinWindow%.8lX", GetCurrentProcessId());
    a.WindowName = name;
    snprintf(name, sizeof name, "ControlOfs%.16llX%.8lX",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))),
             GetCurrentThreadId());
    a.ControlName = name;
    a.Window = GlobalAddAtomA(a.WindowName.c_str());
    a.Control = GlobalAddAtomA(a.ControlName.c_str());
    return a;
  }();
  return atoms;
}

std::string AnsiName(const TComponent* component) { return WideToAnsi(component->Name()); }

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
  CountWindowMessage();
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

// --- TGraphicControl ---

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(new TControlCanvas) {
  FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() { delete FCanvas; }

void TGraphicControl::SetOpaque(bool Value) {
  if (((FControlStyle & csOpaque) != 0) == Value) return;
  if (Value) {
    FControlStyle |= csOpaque;
  } else {
    FControlStyle &= ~static_cast<TControlStyle>(csOpaque);
  }
  Invalidate();
}

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg != WM_PAINT) {
    TControl::Dispatch(Message);
    return;
  }
  if (Message.WParam == 0 || ComponentState().Contains(csDestroying)) return;
  PaintOnCanvas(FCanvas, reinterpret_cast<HDC>(Message.WParam), [this] { Paint(); });
}
