#include "shell/cool_tray_icon.h"

#include <shlwapi.h>

#include <algorithm>
#include <unordered_map>

#include "framework/app_exceptions.h"
#include "framework/bitmaps.h"
#include "framework/exceptions.h"
#include "framework/forms.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "framework/utility_window.h"
#include "widgets/simple_timer.h"

// The hidden window that hears every tray icon's callback message.
class TTrayIconHandler {
 public:
  static TTrayIconHandler*& Instance() {
    static TTrayIconHandler* handler = nullptr;
    return handler;
  }

  // Registers Icon under a new number and answers the window.
  static HWND Acquire(TCoolTrayIcon* Icon, UINT& Id) {
    TTrayIconHandler*& handler = Instance();
    if (!handler) {
      HWND window = AllocateHWnd([](TMessage& m) { Instance()->WndProc(m); });
      if (!window) RaiseLastOSError();
      handler = new TTrayIconHandler(window);
    }
    ++handler->RefCount;
    // uID is 32 bits, so it cannot carry an address on x64: each icon gets a
    // number of its own instead.
    do {
      Id = ++handler->LastId;
    } while (Id == 0 || handler->Icons.count(Id) != 0);
    handler->Icons[Id] = Icon;
    return handler->Window;
  }

  static void Release(UINT Id) {
    TTrayIconHandler*& handler = Instance();
    if (!handler) return;
    handler->Icons.erase(Id);
    if (--handler->RefCount <= 0) {
      delete handler;
      handler = nullptr;
    }
  }

  ~TTrayIconHandler() { DeallocateHWnd(Window); }

  HWND Window;
  int32_t RefCount = 0;

 private:
  explicit TTrayIconHandler(HWND AWindow) : Window(AWindow) {}

  void WndProc(TMessage& Message) {
    switch (Message.Msg) {
      case WM_TRAYNOTIFY: {
        auto found = Icons.find(static_cast<UINT>(Message.WParam));
        if (found != Icons.end()) found->second->HandleIconMessage(LOWORD(Message.LParam));
        return;
      }
      case WM_DESTROY:
      case WM_CLOSE:
      case WM_QUERYENDSESSION:
      case WM_QUIT:
      case WM_ENDSESSION:
      case WM_NCDESTROY:
        Message.Result = 1;
        return;
      default:
        Message.Result = DefWindowProcA(Window, Message.Msg, Message.WParam, Message.LParam);
    }
  }

  UINT LastId = 0;
  std::unordered_map<UINT, TCoolTrayIcon*> Icons;
};

namespace {

UINT RegisterTaskbarCreated() {
  HMODULE shell = GetModuleHandleW(L"shell32.dll");
  if (!shell) return 0;
  auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(shell, "DllGetVersion")));
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (!getVersion || FAILED(getVersion(&info))) return 0;
  if (info.dwMajorVersion < 4 || (info.dwMajorVersion == 4 && info.dwMinorVersion < 71)) return 0;
  return RegisterWindowMessageW(L"TaskbarCreated");
}

const UINT gTaskbarCreated = RegisterTaskbarCreated();

struct THandlerFinalizer {
  ~THandlerFinalizer() {
    delete TTrayIconHandler::Instance();
    TTrayIconHandler::Instance() = nullptr;
  }
} gHandlerFinalizer;

bool CallShellNotifyIcon(DWORD Message, NOTIFYICONDATAW& Data) {
  return Shell_NotifyIconW(Message, &Data) != FALSE;
}

TShiftState ShiftNow() {
  TShiftState shift = 0;
  if (GetAsyncKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (GetAsyncKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  if (GetAsyncKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

POINT CursorNow() {
  POINT pos{};
  GetCursorPos(&pos);
  return pos;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

UINT TaskbarCreatedMessage() { return gTaskbarCreated; }

std::wstring CutTrayTip(const std::wstring& Text, size_t MaxUnits) {
  if (Text.size() <= MaxUnits) return Text;
  size_t length = MaxUnits;
  if (length > 0 && IsHighSurrogate(Text[length - 1])) --length;
  return Text.substr(0, length);
}

// ---------------------------------------------------------------- lifetime

TCoolTrayIcon::TCoolTrayIcon(TComponent* AOwner) : TComponent(AOwner) {
  UINT id = 0;
  HWND window = TTrayIconHandler::Acquire(this, id);
  try {
    FIcon = std::make_unique<TIcon>();
    FIcon->SetOnChange([this](TObject* Sender) { IconChanged(Sender); });
    FNotifyIcon = &CallShellNotifyIcon;
    FIconData.cbSize = sizeof(NOTIFYICONDATAW);
    FIconData.hWnd = window;
    FIconData.uID = id;
    FIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    FIconData.uCallbackMessage = WM_TRAYNOTIFY;
    FCycleTimer = std::make_unique<TSimpleTimer>(0, [this](TObject* s) { CycleTimerTick(s); });
    FClickTimer = std::make_unique<TSimpleTimer>(0, [this](TObject* s) { ClickTimerTick(s); });
    FExitTimer = std::make_unique<TSimpleTimer>(20, [this](TObject* s) { ExitTimerTick(s); });
    SetDesignPreview(FDesignPreview);
    // The application window hears "TaskbarCreated" only once it exists.
    if (!Designing()) Application()->Handle();
  } catch (...) {
    TTrayIconHandler::Release(id);
    throw;
  }
  if (Designing()) return;
  Application()->HookMainWindow(MakeWindowHook<&TCoolTrayIcon::HookAppProc>(this));
  FAppHooked = true;
  if (TWinControl* owner = OwnerControl()) {
    FHookedForm = owner;
    FOldWindowProc = owner->WindowProc();
    FNewWindowProc = MakeWindowMethod<&TCoolTrayIcon::HookFormProc>(this);
    owner->SetWindowProc(FNewWindowProc);
  }
}

TCoolTrayIcon::~TCoolTrayIcon() {
  try {
    SetIconVisible(false);
  } catch (...) {
    ApplicationHandleException(std::current_exception());
  }
  FDesignPreview = false;
  FCycleTimer.reset();
  FClickTimer.reset();
  FExitTimer.reset();
  FIcon->SetOnChange(nullptr);
  FIcon.reset();
  // An owner deleting its components from ~TComponent is no windowed control
  // any more (the cast fails): its window and WindowProc are gone already.
  auto* owner = dynamic_cast<TWinControl*>(Owner());
  if (FHookedForm && owner == FHookedForm && owner->WindowProc() == FNewWindowProc) {
    owner->SetWindowProc(FOldWindowProc);
  }
  if (FAppHooked && ExistingApplication()) {
    ExistingApplication()->UnhookMainWindow(MakeWindowHook<&TCoolTrayIcon::HookAppProc>(this));
  }
  TTrayIconHandler::Release(FIconData.uID);
}

TWinControl* TCoolTrayIcon::OwnerControl() const { return dynamic_cast<TWinControl*>(Owner()); }

void TCoolTrayIcon::Loaded() {
  TComponent::Loaded();
  if (OwnerControl() && !Designing()) {
    bool showMainForm = true;
    if (TStartupEvent handler = FOnStartup) handler(this, showMainForm);
    if (!showMainForm) {
      Application()->SetShowMainForm(false);
      HideMainForm();
    }
  }
  UpdateIcon();
  SetIconVisible(FIconVisible);
  SetCycleIcons(FCycleIcons);
  SetWantEnterExitEvents(FWantEnterExitEvents);
  FIconData.uVersion = 0;
  Notify(NIM_SETVERSION);
}

void TCoolTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FIconList) FIconList = nullptr;
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
}

// ---------------------------------------------------------------- the shell

bool TCoolTrayIcon::FillIconRecord() {
  if (Designing() && !FDesignPreview) return false;
  FIconData.hIcon = FIcon->Handle();
  std::wstring tip = FShowHint ? CutTrayTip(FHint) : std::wstring();
  std::fill(std::begin(FIconData.szTip), std::end(FIconData.szTip), L'\0');
  std::copy(tip.begin(), tip.end(), FIconData.szTip);
  return true;
}

bool TCoolTrayIcon::Notify(DWORD Message) { return FNotifyIcon && FNotifyIcon(Message, FIconData); }

bool TCoolTrayIcon::AddIcon() {
  if (!Designing()) FIconVisible = true;
  if (!FillIconRecord()) return false;
  FInTray = Notify(NIM_ADD);
  return FInTray;
}

bool TCoolTrayIcon::RemoveIcon() {
  if (!Designing()) FIconVisible = false;
  if (!FillIconRecord()) return false;
  FInTray = false;
  return Notify(NIM_DELETE);
}

bool TCoolTrayIcon::UpdateIcon() {
  // An icon the tray does not hold has nothing to modify; the record is
  // filled again when it is added.
  if (Loading() || !(FIconVisible || (Designing() && FDesignPreview))) return true;
  if (!FillIconRecord()) return false;
  return Notify(NIM_MODIFY);
}

bool TCoolTrayIcon::LoadDefaultIcon() { return true; }

void TCoolTrayIcon::IconChanged(TObject*) { UpdateIcon(); }

// ---------------------------------------------------------------- properties

void TCoolTrayIcon::SetDesignPreview(bool Value) {
  FDesignPreview = Value;
  if (!Designing()) return;
  if (Value) {
    if (FIcon->Empty() && LoadDefaultIcon()) {
      FIcon->SetHandle(CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(32512))));  // IDI_APPLICATION
    }
    AddIcon();
  } else {
    RemoveIcon();
  }
}

void TCoolTrayIcon::SetIconList(TCustomImageList* Value) {
  if (Value == FIconList) return;
  if (FIconList) RemoveFreeNotification(FIconList);
  FIconList = Value;
  if (Value) FreeNotification(Value);
}

void TCoolTrayIcon::SetPopupMenu(TPopupMenu* Value) {
  if (Value == FPopupMenu) return;
  if (FPopupMenu) RemoveFreeNotification(FPopupMenu);
  FPopupMenu = Value;
  if (Value) FreeNotification(Value);
}

void TCoolTrayIcon::SetCycleIcons(bool Value) {
  FCycleIcons = Value;
  if (Loading()) return;
  FCycleTimer->Stop();
  if (!Value) return;
  SetIconIndex(0);
  FCycleTimer->SetInterval(FCycleInterval);
  FCycleTimer->Start();
}

void TCoolTrayIcon::SetCycleInterval(uint32_t Value) {
  FCycleInterval = Value;
  SetCycleIcons(FCycleIcons);
}

void TCoolTrayIcon::SetShowInTaskbar(bool Value) {
  FShowInTaskbar = Value;
  TApplication* app = ExistingApplication();
  if (!app || !app->HandleAllocated()) return;
  bool visible = IsWindowVisible(app->Handle()) != FALSE;
  if (Value && !visible) ShowWindow(app->Handle(), SW_SHOW);
  if (!Value && visible) ShowWindow(app->Handle(), SW_HIDE);
}

void TCoolTrayIcon::SetHint(const std::wstring& Value) {
  FHint = Value;
  UpdateIcon();
}

void TCoolTrayIcon::SetShowHint(bool Value) {
  FShowHint = Value;
  UpdateIcon();
}

void TCoolTrayIcon::SetIcon(TIcon* Value) { FIcon->Assign(Value); }

void TCoolTrayIcon::SetIconVisible(bool Value) {
  if (Loading()) {
    FIconVisible = Value;
    return;
  }
  // Asking again for an icon the shell refused is a retry.
  if (Value && !FInTray) {
    AddIcon();
  } else if (Value) {
    FIconVisible = true;
  } else if (FIconVisible || FInTray) {
    RemoveIcon();
  }
}

void TCoolTrayIcon::SetIconIndex(int32_t Value) {
  if (!FIconList) {
    FIconIndex = 0;
    return;
  }
  FIconIndex = std::max(0, std::min(Value, FIconList->Count() - 1));
  // The copy changes Icon, whose change event updates the tray.
  FIconList->GetIcon(FIconIndex, FIcon.get());
}

void TCoolTrayIcon::SetWantEnterExitEvents(bool Value) {
  FWantEnterExitEvents = Value;
  if (Loading()) return;
  FExitTimer->SetEnabled(Value);
}

// ---------------------------------------------------------------- events

void TCoolTrayIcon::Click() {
  if (TNotifyEvent handler = FOnClick) handler(this);
}

void TCoolTrayIcon::DblClick() {
  if (TNotifyEvent handler = FOnDblClick) handler(this);
}

void TCoolTrayIcon::CycleIcon() {
  int32_t next = 0;
  if (FIconList && FIconIndex + 1 < FIconList->Count()) next = FIconIndex + 1;
  if (TCycleEvent handler = FOnCycle) handler(this, next);
}

void TCoolTrayIcon::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (TMouseEvent handler = FOnMouseDown) handler(this, Button, Shift, X, Y);
}

void TCoolTrayIcon::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (TMouseEvent handler = FOnMouseUp) handler(this, Button, Shift, X, Y);
}

void TCoolTrayIcon::MouseMove(TShiftState Shift, int X, int Y) {
  if (TMouseMoveEvent handler = FOnMouseMove) handler(this, Shift, X, Y);
}

void TCoolTrayIcon::MouseEnter() {
  if (TNotifyEvent handler = FOnMouseEnter) handler(this);
}

void TCoolTrayIcon::MouseExit() {
  if (TNotifyEvent handler = FOnMouseExit) handler(this);
}

void TCoolTrayIcon::HandleIconMessage(UINT Message) {
  auto raise = [this](const TNotifyEvent& event) {
    if (TNotifyEvent handler = event) handler(this);
  };
  switch (Message) {
    case NIN_BALLOONSHOW:
      return raise(FOnBalloonHintShow);
    case NIN_BALLOONHIDE:
      return raise(FOnBalloonHintHide);
    case NIN_BALLOONTIMEOUT:
      return raise(FOnBalloonHintTimeout);
    case NIN_BALLOONUSERCLICK:
      return raise(FOnBalloonHintClick);
    default:
      break;
  }
  if (!FEnabled) return;
  const TShiftState shift = ShiftNow();
  const POINT pos = CursorNow();
  switch (Message) {
    case WM_MOUSEMOVE:
      if (FWantEnterExitEvents && FOutside) {
        FOutside = false;
        MouseEnter();
      }
      FLastPos = pos;
      MouseMove(shift, pos.x, pos.y);
      break;
    case WM_LBUTTONDOWN:
      if (FOnDblClick) {
        FClickTimer->SetInterval(GetDoubleClickTime());
        FClickTimer->Start();
      }
      MouseDown(mbLeft, shift, pos.x, pos.y);
      FLeftDown = true;
      if (FLeftPopup) PopupAtCursor();
      break;
    case WM_LBUTTONUP:
      if (FLeftDown) {
        FClickPending = true;
        if (!FClickTimer->Enabled()) {
          FLeftDown = false;
          FClickPending = false;
          Click();
        }
      }
      FLeftDown = false;
      MouseUp(mbLeft, shift, pos.x, pos.y);
      break;
    case WM_LBUTTONDBLCLK:
      FClickPending = false;
      FDoubleClicked = true;
      DblClick();
      if (FPopupMenu && FPopupMenu->AutoPopup() && !FLeftPopup) ClickDefaultItem();
      break;
    case WM_RBUTTONDOWN:
      MouseDown(mbRight, shift, pos.x, pos.y);
      PopupAtCursor();
      break;
    case WM_RBUTTONUP:
      MouseUp(mbRight, shift, pos.x, pos.y);
      break;
    case WM_MBUTTONDOWN:
      MouseDown(mbMiddle, shift, pos.x, pos.y);
      break;
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, shift, pos.x, pos.y);
      break;
    default:
      break;
  }
}

void TCoolTrayIcon::ClickTimerTick(TObject*) {
  FClickTimer->Stop();
  const bool click = !FDoubleClicked && FClickPending;
  if (click) FClickPending = false;
  FDoubleClicked = false;
  // Last: the handler may free this icon.
  if (click) Click();
}

void TCoolTrayIcon::CycleTimerTick(TObject*) {
  if (!FIconList) return;
  FIconList->GetIcon(FIconIndex, FIcon.get());
  CycleIcon();
  const int32_t count = FIconList ? FIconList->Count() : 0;
  FIconIndex = FIconIndex >= count - 1 ? 0 : FIconIndex + 1;
}

void TCoolTrayIcon::ExitTimerTick(TObject*) {
  if (FOutside) return;
  const POINT pos = CursorNow();
  if (pos.x == FLastPos.x && pos.y == FLastPos.y) return;
  FOutside = true;
  MouseExit();
}

// ---------------------------------------------------------------- popup menu

void TCoolTrayIcon::PopupAtCursor() {
  if (!FPopupMenu || !FPopupMenu->AutoPopup()) return;
  const POINT pos = CursorNow();
  TApplication* app = Application();
  // Without the foreground the menu would not close when the user clicks
  // elsewhere (a known trap of menus opened from the notification area).
  SetForegroundWindow(app->Handle());
  app->ProcessMessages();
  if (!FPopupMenu) return;
  FPopupMenu->SetPopupComponent(this);
  FPopupMenu->Popup(pos.x, pos.y);
  TWinControl* owner = OwnerControl();
  PostMessageA(owner && owner->HandleAllocated() ? owner->WindowHandle() : app->Handle(), WM_NULL,
               0, 0);
}

void TCoolTrayIcon::ClickDefaultItem() {
  TMenuItem* root = FPopupMenu->Items();
  if (!root) return;
  for (int32_t i = root->Count() - 1; i >= 0; --i) {
    if (root->Items(i)->Default()) {
      root->Items(i)->Click();
      return;
    }
  }
}

// ---------------------------------------------------------------- minimise to tray

void TCoolTrayIcon::HideMainForm() {
  TApplication* app = ExistingApplication();
  if (!OwnerControl() || !app || !app->MainForm()) return;
  app->Minimize();
  // Windows hides the owned forms of a minimised window by itself, Wine 8
  // does not; this is the same hiding (SW_PARENTCLOSING), done by hand.
  ShowOwnedPopups(app->Handle(), FALSE);
  ShowWindow(app->Handle(), SW_HIDE);
}

void TCoolTrayIcon::RestoreMainForm() {
  TApplication* app = Application();
  app->Restore();
  ShowOwnedPopups(app->Handle(), TRUE);
  if (TCustomForm* form = app->MainForm()) {
    if (form->HandleAllocated() && IsIconic(form->WindowHandle())) {
      ShowWindow(form->WindowHandle(), SW_RESTORE);
    }
    form->Show();
    // Hidden along with its owner, the form still counts itself visible.
    if (form->HandleAllocated() && !IsWindowVisible(form->WindowHandle())) {
      ShowWindow(form->WindowHandle(), SW_SHOW);
    }
  }
  SetForegroundWindow(app->Handle());
}

void TCoolTrayIcon::DoMinimizeToTray() {
  HideMainForm();
  SetIconVisible(true);
}

void TCoolTrayIcon::TakeOverMinimize(bool RaiseEvent) {
  if (FMinimizing) return;
  FMinimizing = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FMinimizing};
  if (TNotifyEvent handler = FOnMinimizeToTray; RaiseEvent && handler) handler(this);
  DoMinimizeToTray();
}

void TCoolTrayIcon::HookFormProc(TMessage& Message) {
  TApplication* app = ExistingApplication();
  switch (Message.Msg) {
    case WM_SYSCOMMAND:
      if ((Message.WParam & 0xFFF0) == SC_MINIMIZE && FMinimizeToTray) {
        TakeOverMinimize(true);
        Message.Result = 0;
        return;
      }
      break;
    case WM_SHOWWINDOW:
      if (Message.WParam == 0 && Message.LParam == SW_PARENTCLOSING && FMinimizeToTray &&
          !(app && app->Terminated())) {
        TakeOverMinimize(true);
        // Still passed on: the default procedure is what hides an owned
        // window with its owner and marks it to come back on restore.
        FOldWindowProc(Message);
        return;
      }
      if (Message.WParam != 0) {
        FOldWindowProc(Message);
        if (app) SetForegroundWindow(app->Handle());
        if (FHookedForm->HandleAllocated()) SetForegroundWindow(FHookedForm->WindowHandle());
        return;
      }
      break;
    default:
      break;
  }
  FOldWindowProc(Message);
}

bool TCoolTrayIcon::HookAppProc(TMessage& Message) {
  if (Message.Msg == WM_SIZE && Message.WParam == SIZE_MINIMIZED && FMinimizeToTray) {
    TakeOverMinimize(false);
  } else if (gTaskbarCreated != 0 && Message.Msg == gTaskbarCreated && FIconVisible) {
    AddIcon();
  }
  // Never handled here: every other icon and the application hear it too.
  return false;
}
