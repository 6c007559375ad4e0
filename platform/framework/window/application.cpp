// The application object, its hidden window, message loop, hints and idle
// processing; the screen; and the process's Application() and Screen().
#include <algorithm>
#include <cstddef>
#include <memory>

#include "framework/app_exceptions.h"
#include "framework/dialogs.h"
#include "framework/exceptions.h"
#include "framework/flag_scope.h"
#include "framework/forms.h"
#include "framework/utility_window.h"

namespace {

TApplication* gApplication = nullptr;
TScreen* gScreen = nullptr;

const char kApplicationClass[] = "TApplication";
// Timers of the application window.
constexpr UINT_PTR kHintPauseTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;
// How far below the cursor's hot spot a hint starts (the arrow's height).
constexpr int kCursorHeight = 20;

bool IsSilent(std::exception_ptr E) {
  try {
    std::rethrow_exception(E);
  } catch (const EAbort&) {
    return true;
  } catch (...) {
    return false;
  }
}

// A control shows hints when it says so, or when it follows a parent that does.
bool EffectiveShowHint(TControl* Control) {
  for (TControl* c = Control; c; c = c->Parent()) {
    if (c->ShowHint()) return true;
    if (!c->ParentShowHint()) return false;
  }
  return false;
}

// The hint of Control or of its nearest parent that has one.
std::string HintOf(TControl* Control) {
  for (TControl* c = Control; c; c = c->Parent()) {
    if (!c->Hint().empty()) return c->Hint();
  }
  return {};
}

TControl* HintControlOf(TControl* Control) {
  TControl* c = Control;
  while (c && !EffectiveShowHint(c)) c = c->Parent();
  return c;
}

bool IsHintCancelMessage(UINT Msg) {
  if (Msg >= WM_KEYFIRST && Msg <= WM_KEYLAST) return true;
  switch (Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
    case WM_NCMOUSEMOVE:
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_ENTERMENULOOP:
      return true;
    default:
      return false;
  }
}

}  // namespace

TApplication* Application() {
  if (!gApplication) new TApplication(nullptr);
  return gApplication;
}

TApplication* ExistingApplication() { return gApplication; }

TScreen* ExistingScreen() { return gScreen; }

TScreen* Screen() {
  if (!gScreen) gScreen = new TScreen(nullptr);
  return gScreen;
}

// -------------------------------------------------------------------- TScreen

TScreen::TScreen(TComponent* AOwner)
    : TComponent(AOwner), FHintFont(new TFont), FMenuFont(new TFont) {
  FHintFont->SetName("Tahoma");
  FHintFont->SetSize(8);
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  bool haveMetrics = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
  if (!haveMetrics) {
    // Systems before Vista know the structure without iPaddedBorderWidth.
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    haveMetrics = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
  }
  if (haveMetrics) {
    if (HFONT status = CreateFontIndirectA(&metrics.lfStatusFont)) {
      FHintFont->SetHandle(status);
      DeleteObject(status);
    }
    if (HFONT menu = CreateFontIndirectA(&metrics.lfMenuFont)) {
      FMenuFont->SetHandle(menu);
      DeleteObject(menu);
    }
  }
  FHintFont->SetColor(clInfoText);
  FMenuFont->SetColor(clMenuText);
}

TScreen::~TScreen() {
  delete FHintFont;
  delete FMenuFont;
  if (gScreen == this) gScreen = nullptr;
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }

int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

int TScreen::PixelsPerInch() const { return ScreenLogPixels(); }

void TScreen::AddForm(TCustomForm* Form) {
  if (std::find(FForms.begin(), FForms.end(), Form) == FForms.end()) FForms.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
  if (FActiveForm == Form) FActiveForm = nullptr;
  if (FActiveControl && GetParentForm(FActiveControl) == Form) FActiveControl = nullptr;
}

void TScreen::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActiveControl) FActiveControl = nullptr;
}

// --------------------------------------------------------------- TApplication

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  if (!gApplication) gApplication = this;
  char path[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path, std::min<DWORD>(n, MAX_PATH));
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  FTitle = name;
  SetApplicationExceptionSink([this](std::exception_ptr E) { HandleException(E); });
  TActionHooks hooks;
  hooks.ExecuteAction = [this](TBasicAction* Action) { return ExecuteAction(Action); };
  hooks.UpdateAction = [this](TBasicAction* Action) { return UpdateAction(Action); };
  hooks.SendAppMessage = [this](UINT Msg, WPARAM WParam, LPARAM LParam) {
    return SendMessageA(Handle(), Msg, WParam, LParam);
  };
  SetActionHooks(std::move(hooks));
}

TApplication::~TApplication() {
  if (gApplication == this) {
    SetApplicationExceptionSink(nullptr);
    SetActionHooks({});
  }
  CancelHint();
  delete FHintWindow;
  FHintWindow = nullptr;
  if (FHandle) {
    HWND handle = FHandle;
    FHandle = nullptr;
    DestroyWindow(handle);
  }
  if (gApplication == this) gApplication = nullptr;
}

LRESULT CALLBACK TApplication::MainWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  CountWindowMessage();
  TApplication* app = gApplication;
  // Messages of the creation (before Handle() has stored the window) and of
  // the destruction are the default procedure's.
  if (!app || app->FHandle != Wnd) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  TMessage message{Msg, WParam, LParam, 0};
  try {
    app->WndProc(message);
  } catch (...) {
    app->HandleException(std::current_exception());
    return 0;
  }
  return message.Result;
}

HWND TApplication::Handle() {
  if (FHandle) return FHandle;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA existing{};
  if (!GetClassInfoA(instance, kApplicationClass, &existing)) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = &TApplication::MainWndProc;
    cls.hInstance = instance;
    cls.hIcon = LoadIconA(instance, "MAINICON");
    if (!cls.hIcon) cls.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    cls.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));              // IDC_ARROW
    cls.lpszClassName = kApplicationClass;
    if (!RegisterClassA(&cls) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      RaiseLastOSError();
    }
  }
  // Zero-sized in the middle of the screen: its only visible part is the
  // taskbar button, shown while the main form is.
  HWND handle =
      CreateWindowExA(0, kApplicationClass, FTitle.c_str(),
                      WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                      GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                      nullptr, nullptr, instance, nullptr);
  if (!handle) RaiseLastOSError();
  FHandle = handle;
  return FHandle;
}

void TApplication::SetTitle(const std::string& Value) {
  FTitle = Value;
  if (FHandle) SetWindowTextA(FHandle, FTitle.c_str());
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMainForm) FMainForm = nullptr;
  if (AComponent == FMouseControl) FMouseControl = nullptr;
  if (AComponent == FHintControl) FHintControl = nullptr;
  if (AComponent == FHintWindow) FHintWindow = nullptr;
}

void TApplication::TrackControl(TControl* Old, TControl* New) {
  if (New) FreeNotification(New);
  if (Old && Old != New && Old != FMouseControl && Old != FHintControl) {
    RemoveFreeNotification(Old);
  }
}

void TApplication::Run() {
  if (FMainForm && FShowMainForm) FMainForm->Show();
  do {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(std::current_exception());
    }
  } while (!FTerminated);
}

void TApplication::Terminate() {
  FTerminated = true;
  PostQuitMessage(0);
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

namespace {
bool IsTimerOrNotification(UINT Message) {
  return Message == WM_TIMER || (Message >= WM_USER && Message <= 0xBFFF);
}

// The message as PeekMessageA would have given it: a character beyond ASCII
// in the ANSI code page, one message a byte (a double-byte character makes
// two), or one with both bytes for WM_IME_CHAR. Every other message as it is.
int AnsiForms(const MSG& Wide, MSG (&Ansi)[2]) {
  Ansi[0] = Wide;
  const UINT m = Wide.message;
  const bool character = m == WM_CHAR || m == WM_DEADCHAR || m == WM_SYSCHAR || m == WM_SYSDEADCHAR ||
                         m == WM_IME_CHAR;
  if (!character || Wide.wParam < 0x80) return 1;
  const wchar_t unit = static_cast<wchar_t>(Wide.wParam & 0xFFFF);
  unsigned char bytes[2] = {'?', 0};
  const int n = WideCharToMultiByte(CP_ACP, 0, &unit, 1, reinterpret_cast<char*>(bytes), 2, nullptr, nullptr);
  if (n == 2 && m == WM_IME_CHAR) {
    Ansi[0].wParam = WPARAM(bytes[0]) << 8 | bytes[1];
    return 1;
  }
  Ansi[0].wParam = bytes[0];
  if (n != 2) return 1;
  Ansi[1] = Wide;
  Ansi[1].wParam = bytes[1];
  return 2;
}
}  // namespace

void TApplication::HandleMessage() {
  MSG msg{};
  if (!ProcessMessage(msg)) {
    // The idle work sees the last message handled when every one since the
    // last idle was a timer's or a notification; otherwise none, so it looks
    // for the control under the mouse. After nothing but quiet timers' ticks
    // (the visualisation's frames, tens a second) there is nothing for it.
    if (!FOnlyQuietTicksSinceIdle || !FIdleDone) Idle(FOnlyQuietSinceIdle ? FLastSinceIdle : msg);
    FOnlyQuietSinceIdle = true;
    FLastSinceIdle = MSG{};
    FOnlyQuietTicksSinceIdle = false;
    FHandledSinceIdle = false;
    FMessagesSeen = WindowMessagesReceived();
    if (FIdleDone && !FTerminated) WaitMessage();
  }
}

void TApplication::FreeReleased(TCustomForm* Form) {
  if (std::find(FReleased.begin(), FReleased.end(), Form) == FReleased.end()) FReleased.push_back(Form);
}

void TApplication::ForgetReleased(TCustomForm* Form) {
  FReleased.erase(std::remove(FReleased.begin(), FReleased.end(), Form), FReleased.end());
}

bool TApplication::ProcessMessage(MSG& Msg) {
  // Taken in the wide form, which PeekMessageA makes ANSI on the way out: a
  // message filter sees characters as typed, without a thread message hook
  // (whose calls into the system would cost every message, the
  // visualisation's tens a second among them).
  if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  // A burst of messages queued behind a release (a controller toggling a
  // window) would otherwise pile up a closed window for each of them.
  while (!FReleased.empty()) {
    TCustomForm* form = FReleased.front();
    FReleased.erase(FReleased.begin());
    form->Free();
  }
  FOnlyQuietSinceIdle = FOnlyQuietSinceIdle && IsTimerOrNotification(Msg.message);
  FLastSinceIdle = Msg;
  // Messages sent from other threads are handled inside the look at the
  // queue that brought this one: a tick after them is not a quiet batch.
  const bool sentMeanwhile = WindowMessagesReceived() != FMessagesSeen;
  const bool quietTick = Msg.message == WM_TIMER && !sentMeanwhile &&
                         std::find(FQuietTimerWindows.begin(), FQuietTimerWindows.end(), Msg.hwnd) !=
                             FQuietTimerWindows.end();
  FOnlyQuietTicksSinceIdle = (FOnlyQuietTicksSinceIdle || !FHandledSinceIdle) && quietTick;
  FHandledSinceIdle = true;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  if (!FMessageFilter || !FMessageFilter(Msg)) {
    MSG ansi[2];
    const int count = AnsiForms(Msg, ansi);
    for (int i = 0; i < count; ++i) HandleAnsiMessage(ansi[i]);
  }
  FMessagesSeen = WindowMessagesReceived();
  return true;
}

void TApplication::HandleAnsiMessage(MSG& Msg) {
  bool handled = false;
  if (FOnMessage) FOnMessage(Msg, handled);
  if (!handled && !IsHintMsg(Msg) && !IsKeyMsg(Msg) && !IsDlgMsg(Msg)) {
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
}

bool TApplication::IsHintMsg(MSG& Msg) {
  if (FHintActive && IsHintCancelMessage(Msg.message)) CancelHint();
  return false;
}

bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  // A system window inside a framework control (the edit box of a combo box)
  // answers for that control. Only child windows are walked: above a
  // top-level window GetParent gives its owner, which is not its container.
  TWinControl* control = nullptr;
  for (HWND wnd = Msg.hwnd; wnd; wnd = GetParent(wnd)) {
    control = FindControl(wnd);
    if (control || !(GetWindowLongPtrA(wnd, GWL_STYLE) & WS_CHILD)) break;
  }
  if (!control) return false;
  return control->Perform(CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::IsDlgMsg(MSG& Msg) {
  if (!FDialogHandle) return false;
  if (IsWindowUnicode(FDialogHandle)) return IsDialogMessageW(FDialogHandle, &Msg) != FALSE;
  return IsDialogMessageA(FDialogHandle, &Msg) != FALSE;
}

void TApplication::Minimize() {
  HWND app = Handle();
  if (IsWindowVisible(app)) {
    if (!IsIconic(app)) ShowWindow(app, SW_MINIMIZE);
    // The forms are owned by the application window and go with it; Wine
    // leaves owned windows showing unless told.
    ShowOwnedPopups(app, FALSE);
  } else if (FMainForm && FMainForm->HandleAllocated() && !IsIconic(FMainForm->WindowHandle())) {
    ShowWindow(FMainForm->WindowHandle(), SW_MINIMIZE);
  }
  if (FOnMinimize) FOnMinimize(this);
}

void TApplication::Restore() {
  HWND app = Handle();
  if (IsIconic(app)) {
    ShowWindow(app, SW_RESTORE);
    ShowOwnedPopups(app, TRUE);
  }
  if (FMainForm && FMainForm->HandleAllocated() && IsIconic(FMainForm->WindowHandle())) {
    ShowWindow(FMainForm->WindowHandle(), SW_RESTORE);
  }
  if (FOnRestore) FOnRestore(this);
}

bool TApplication::IsShortCut(TMessage& Message) {
  if (!FMainForm || ModalWindowUp() || SystemDialogUp()) return false;
  return FMainForm->IsShortCut(Message);
}

bool TApplication::ModalWindowUp() const {
  if (FMainForm && FMainForm->HandleAllocated() && !IsWindowEnabled(FMainForm->WindowHandle())) return true;
  if (!gScreen) return false;
  for (int32_t i = 0; i < gScreen->FormCount(); ++i)
    if (gScreen->Forms(i)->Modal()) return true;
  return false;
}

void TApplication::SetQuietTimerWindow(HWND Window, bool Quiet) {
  std::erase(FQuietTimerWindows, Window);
  if (Quiet) FQuietTimerWindows.push_back(Window);
}

void TApplication::HookMainWindow(TWindowHook Hook) {
  if (std::find(FWindowHooks.begin(), FWindowHooks.end(), Hook) == FWindowHooks.end()) {
    FWindowHooks.push_back(Hook);
  }
}

void TApplication::UnhookMainWindow(TWindowHook Hook) {
  FWindowHooks.erase(std::remove(FWindowHooks.begin(), FWindowHooks.end(), Hook),
                     FWindowHooks.end());
}

void TApplication::FocusActiveForm() {
  if (!FHandle || GetFocus() != FHandle || IsIconic(FHandle)) return;
  for (TCustomForm* form : {gScreen ? gScreen->ActiveForm() : nullptr, FMainForm}) {
    if (form && form->HandleAllocated() && IsWindowVisible(form->WindowHandle()) &&
        IsWindowEnabled(form->WindowHandle())) {
      ::SetFocus(form->WindowHandle());
      return;
    }
  }
}

void TApplication::WndProc(TMessage& Message) {
  // A hook may add or remove hooks: the copy keeps the walk valid, and a hook
  // removed meanwhile is skipped.
  std::vector<TWindowHook> hooks = FWindowHooks;
  for (const TWindowHook& hook : hooks) {
    if (std::find(FWindowHooks.begin(), FWindowHooks.end(), hook) == FWindowHooks.end()) continue;
    if (hook(Message)) return;
  }
  switch (Message.Msg) {
    case WM_CLOSE:
      if (FMainForm) FMainForm->Close();
      Message.Result = 0;
      return;
    case WM_SYSCOMMAND:
      switch (Message.WParam & 0xFFF0) {
        case SC_MINIMIZE:
          Minimize();
          Message.Result = 0;
          return;
        case SC_RESTORE:
          Restore();
          Message.Result = 0;
          return;
        default:
          break;
      }
      break;
    case WM_ACTIVATEAPP:
      if (Message.WParam) {
        if (FOnActivate) FOnActivate(this);
      } else {
        CancelHint();
        if (FOnDeactivate) FOnDeactivate(this);
      }
      break;
    case WM_SETFOCUS:
      // The taskbar button activated this window: the focus belongs to a form.
      PostMessageA(FHandle, CM_ENTER, 0, 0);
      break;
    case CM_ENTER:
      FocusActiveForm();
      return;
    case WM_TIMER:
      if (Message.WParam == kHintPauseTimer) {
        KillTimer(FHandle, kHintPauseTimer);
        HintTimerExpired();
        return;
      }
      if (Message.WParam == kHintHideTimer) {
        KillTimer(FHandle, kHintHideTimer);
        HideHint();
        return;
      }
      break;
    case CM_ACTIONEXECUTE:
    case CM_ACTIONUPDATE: {
      Message.Result = 0;
      TCustomForm* active = gScreen ? gScreen->ActiveForm() : nullptr;
      if (active && active->Perform(Message.Msg, Message.WParam, Message.LParam) != 0) {
        Message.Result = 1;
      } else if (FMainForm && FMainForm != active &&
                 FMainForm->Perform(Message.Msg, Message.WParam, Message.LParam) != 0) {
        Message.Result = 1;
      }
      return;
    }
    default:
      break;
  }
  Message.Result = DefWindowProcA(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

TControl* TApplication::DoMouseIdle() {
  POINT pos{};
  TControl* control = GetCursorPos(&pos) ? FindDragTarget(pos, false) : nullptr;
  if (control != FMouseControl) {
    TControl* old = FMouseControl;
    FMouseControl = control;
    TrackControl(old, control);
    // A control that died while under the mouse is already cleared (free
    // notification), so `old` is alive here.
    if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
    if (control && control == FMouseControl) control->Perform(CM_MOUSEENTER, 0, 0);
    if (FShowHint) {
      CancelHint();
      StartHintTimer(FMouseControl);
    }
  } else if (FHintActive && FHintControl) {
    // Still over the same control, but out of the rectangle the hint is for.
    if (!PtInRect(&FHintCursorRect, pos)) {
      CancelHint();
      StartHintTimer(FMouseControl);
    }
  }
  return FMouseControl;
}

void TApplication::StartHintTimer(TControl* Control) {
  if (!Control || !FShowHint) return;
  TControl* hintControl = HintControlOf(Control);
  if (!hintControl || GetShortHint(HintOf(hintControl)).empty()) return;
  int pause = FHintPause;
  hintControl->Perform(CM_HINTSHOWPAUSE, FHintActive ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
  SetTimer(Handle(), kHintPauseTimer, static_cast<UINT>(std::max(pause, 1)), nullptr);
}

void TApplication::HintTimerExpired() {
  POINT pos{};
  if (GetCursorPos(&pos)) ActivateHint(pos);
}

void TApplication::Idle(const MSG& Msg) {
  // A timer's or a posted notification's message with the cursor where it
  // was at the last look cannot have changed the control under the mouse:
  // a fast timer (the visualisation) would otherwise ask the system for the
  // cursor and the window under it on every tick.
  const bool quiet = IsTimerOrNotification(Msg.message) && FMousePlaceKnown && Msg.pt.x == FMousePlace.x && Msg.pt.y == FMousePlace.y;
  TControl* control = quiet ? FMouseControl : DoMouseIdle();
  FMousePlace = Msg.pt;
  FMousePlaceKnown = Msg.message != 0 || Msg.hwnd != nullptr;
  if (FShowHint && !FMouseControl) CancelHint();
  bool done = true;
  try {
    SetHint(GetLongHint(HintOf(control)));
    if (FOnIdle) FOnIdle(this, done);
    if (done && gScreen) {
      // A form's update may free forms: each one is looked up again.
      std::vector<TCustomForm*> forms = gScreen->FForms;
      for (TCustomForm* form : forms) {
        const auto& live = gScreen->FForms;
        if (std::find(live.begin(), live.end(), form) == live.end()) continue;
        if (form->HandleAllocated() && IsWindowVisible(form->WindowHandle())) form->UpdateActions();
      }
    }
  } catch (...) {
    HandleException(std::current_exception());
  }
  FIdleDone = done;
}

void TApplication::SetHint(const std::string& Value) {
  if (FHint == Value) return;
  FHint = Value;
  if (FOnHint) {
    TNotifyEvent handler = FOnHint;
    handler(this);
    return;
  }
  std::unique_ptr<THintAction> action(new THintAction(nullptr));
  action->SetHint(Value);
  action->Execute();
}

void TApplication::SetShowHint(bool Value) {
  if (FShowHint == Value) return;
  FShowHint = Value;
  if (!Value) {
    CancelHint();
    delete FHintWindow;
    FHintWindow = nullptr;
  }
}

void TApplication::ActivateHint(POINT CursorPos) {
  if (!FShowHint) return;
  TControl* control = HintControlOf(FindDragTarget(CursorPos, false));
  if (!control) {
    CancelHint();
    return;
  }
  THintInfo info;
  info.HintControl = control;
  info.HintWindowClass = FHintWindowClass;
  info.HintPos = POINT{CursorPos.x, CursorPos.y + kCursorHeight};
  info.HintMaxWidth = Screen()->Width();
  info.HintColor = FHintColor;
  info.CursorRect = control->ClientRect();
  info.CursorPos = control->ScreenToClient(CursorPos);
  info.HideTimeout = FHintHidePause;
  info.HintStr = GetShortHint(HintOf(control));
  info.HintData = nullptr;
  bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (!canShow || info.HintStr.empty()) {
    HideHint();
    return;
  }
  TControl* old = FHintControl;
  FHintControl = control;
  TrackControl(old, control);
  POINT topLeft = control->ClientToScreen(POINT{info.CursorRect.left, info.CursorRect.top});
  POINT bottomRight = control->ClientToScreen(POINT{info.CursorRect.right, info.CursorRect.bottom});
  FHintCursorRect = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};

  THintWindowClass windowClass = info.HintWindowClass ? info.HintWindowClass : FHintWindowClass;
  if (FHintWindow && FHintWindow->HintWindowClass() != windowClass) {
    delete FHintWindow;
    FHintWindow = nullptr;
  }
  if (!FHintWindow) FHintWindow = windowClass(this);
  RECT r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  OffsetRect(&r, info.HintPos.x, info.HintPos.y);
  FHintWindow->SetColor(info.HintColor);
  FHintWindow->ActivateHintData(r, info.HintStr, info.HintData);
  FHintActive = true;
  if (info.HideTimeout > 0) {
    SetTimer(Handle(), kHintHideTimer, static_cast<UINT>(info.HideTimeout), nullptr);
  }
}

void TApplication::HideHint() {
  if (FHandle) KillTimer(FHandle, kHintHideTimer);
  if (FHintWindow) FHintWindow->ReleaseHandle();
  FHintActive = false;
}

void TApplication::CancelHint() {
  if (FHandle) KillTimer(FHandle, kHintPauseTimer);
  HideHint();
  if (FHintControl) {
    TControl* old = FHintControl;
    FHintControl = nullptr;
    TrackControl(old, nullptr);
  }
}

bool TApplication::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  if (FOnActionExecute) FOnActionExecute(Action, handled);
  return handled;
}

bool TApplication::UpdateAction(TBasicAction* Action) {
  bool handled = false;
  if (FOnActionUpdate) FOnActionUpdate(Action, handled);
  return handled;
}

void TApplication::HandleException(std::exception_ptr E) {
  if (!E || IsSilent(E)) return;
  try {
    if (FOnException) {
      TExceptionEvent handler = FOnException;
      handler(this, E);
    } else {
      ShowException(E);
    }
  } catch (...) {
    // The handler failed too; reporting that could fail the same way.
  }
}

void TApplication::ShowException(std::exception_ptr E) {
  // One box at a time: messages keep arriving through the box's own loop,
  // and a stream of them failing alike would otherwise stack a box on a box
  // without end. The one up already tells that something failed.
  if (!E || FShowingException) return;
  const TFlagScope showing(FShowingException);
  HWND owner = nullptr;
  if (FMainForm && FMainForm->HandleAllocated() && IsWindowVisible(FMainForm->WindowHandle())) {
    owner = FMainForm->WindowHandle();
  } else {
    owner = Handle();
  }
  ShowMessageBoxW(owner, DescribeException(E), AnsiToWide(FTitle), MB_OK | MB_ICONSTOP);
}
