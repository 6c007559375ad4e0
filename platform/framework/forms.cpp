#include "forms.h"

#include <algorithm>
#include <cstddef>
#include <memory>

#include "app_exceptions.h"
#include "dialogs.h"
#include "exceptions.h"

namespace {

TApplication* gApplication = nullptr;
TScreen* gScreen = nullptr;

const char kApplicationClass[] = "TApplication";
// Timers of the application window.
constexpr UINT_PTR kHintPauseTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;
// How far below the cursor's hot spot a hint starts (the arrow's height).
constexpr int kCursorHeight = 20;

std::wstring AnsiToWide(const std::string& text, UINT codePage = CP_ACP) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) {
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  }
  return wide;
}

std::wstring ExceptionText(std::exception_ptr E) {
  try {
    std::rethrow_exception(E);
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return AnsiToWide(e.what(), CP_UTF8);
  } catch (...) {
    return L"Unknown exception";
  }
}

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

// The item whose submenu is Sub (compared as handles: FindItem takes 32 bits).
TMenuItem* FindSubMenuItem(TMenuItem* Item, HMENU Sub) {
  for (int32_t i = 0; Item && i < Item->Count(); ++i) {
    TMenuItem* child = Item->Items(i);
    if (!child->HasSubMenu()) continue;
    if (child->Handle() == Sub) return child;
    if (TMenuItem* found = FindSubMenuItem(child, Sub)) return found;
  }
  return nullptr;
}

void InitiateMenuActions(TMenuItem* Item) {
  if (!Item) return;
  for (int32_t i = 0; i < Item->Count(); ++i) {
    TMenuItem* child = Item->Items(i);
    child->InitiateAction();
    InitiateMenuActions(child);
  }
}

// The windows a modal form disables: the thread's other visible, enabled
// top-level windows.
struct TaskWindows {
  HWND Except;
  std::vector<HWND> Windows;
};

BOOL CALLBACK CollectTaskWindow(HWND Wnd, LPARAM Data) {
  auto* task = reinterpret_cast<TaskWindows*>(Data);
  if (Wnd != task->Except && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) {
    task->Windows.push_back(Wnd);
  }
  return TRUE;
}

std::vector<HWND> DisableTaskWindows(HWND Except) {
  TaskWindows task{Except, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectTaskWindow, reinterpret_cast<LPARAM>(&task));
  for (HWND w : task.Windows) EnableWindow(w, FALSE);
  return task.Windows;
}

void EnableTaskWindows(const std::vector<HWND>& Windows) {
  for (HWND w : Windows) {
    if (IsWindow(w)) EnableWindow(w, TRUE);
  }
}

RECT WorkArea() {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

}  // namespace

TCustomForm* GetParentForm(TControl* Control) {
  if (!Control) return nullptr;
  TControl* top = Control;
  while (top->Parent()) top = top->Parent();
  return dynamic_cast<TCustomForm*>(top);
}

TApplication* Application() {
  if (!gApplication) new TApplication(nullptr);
  return gApplication;
}

TApplication* ExistingApplication() { return gApplication; }

TScreen* Screen() {
  if (!gScreen) gScreen = new TScreen(nullptr);
  return gScreen;
}

// ---------------------------------------------------------------- THintWindow

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  // Shown only by ActivateHint, never through Visible (which would activate it).
  FVisible = false;
  SetColor(clInfoBk);
  SetFont(Screen()->HintFont());
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = nullptr;
}

void THintWindow::ActivateHint(RECT Rect, const std::string& AHint) {
  SetCaption(AHint);
  int width = Rect.right - Rect.left;
  int height = Rect.bottom - Rect.top;
  // Kept on the screen: moved left of the right edge, above the bottom edge.
  RECT area = WorkArea();
  if (Rect.left + width > area.right) Rect.left = area.right - width;
  if (Rect.top + height > area.bottom) Rect.top = Rect.top - height - 2 * kCursorHeight;
  Rect.left = std::max(Rect.left, area.left);
  Rect.top = std::max(Rect.top, area.top);
  SetBounds(Rect.left, Rect.top, width, height);
  SetWindowPos(Handle(), HWND_TOPMOST, Rect.left, Rect.top, width, height,
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::ActivateHintData(RECT Rect, const std::string& AHint, void*) {
  ActivateHint(Rect, AHint);
}

RECT THintWindow::CalcHintRect(int MaxWidth, const std::string& AHint, void*) {
  return MeasureHintText(MaxWidth, [&AHint](HDC DC, RECT& Rect, UINT Flags) {
    DrawTextA(DC, AHint.c_str(), static_cast<int>(AHint.size()), &Rect, Flags);
  });
}

RECT THintWindow::MeasureHintText(
    int MaxWidth, const std::function<void(HDC DC, RECT& Rect, UINT Flags)>& Draw) {
  RECT r{0, 0, MaxWidth, 0};
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return r;
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  Draw(dc, r,
       DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly());
  SelectObject(dc, old);
  DeleteDC(dc);
  r.right += 6;
  r.bottom += 2;
  return r;
}

void THintWindow::ReleaseHandle() {
  if (HandleAllocated()) DestroyHandle();
}

THintWindowClass THintWindow::HintWindowClass() const { return &NewHintWindow<THintWindow>; }

void THintWindow::Paint() {
  TCanvas* canvas = Canvas();
  RECT r = ClientRect();
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(r);
  canvas->Font()->Assign(Font());
  canvas->Font()->SetColor(Screen()->HintFont()->Color());
  canvas->RequiredState({csHandleValid, csFontValid});
  r.left += 2;
  r.top += 2;
  canvas->Changing();
  SetBkMode(canvas->Handle(), TRANSPARENT);
  DrawHintText(canvas->Handle(), r,
               DT_LEFT | DT_NOPREFIX | DT_WORDBREAK | DrawTextBiDiModeFlagsReadingOnly());
  canvas->Changed();
}

void THintWindow::DrawHintText(HDC DC, RECT& Rect, UINT Flags) {
  std::string text = Caption();
  DrawTextA(DC, text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
}

void THintWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      // The application sizes the hint from its text; nothing to do here.
      return;
    case WM_NCHITTEST:
      // The mouse goes through to the control underneath, which keeps the hint.
      Message.Result = HTTRANSPARENT;
      return;
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      return;
    default:
      TCustomControl::Dispatch(Message);
  }
}

// ---------------------------------------------------------------- TCustomForm

TCustomForm::TCustomForm(TComponent* AOwner) : TCustomControl(AOwner) {
  FVisible = false;
  FControlStyle =
      csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  FLeft = 0;
  FTop = 0;
  FWidth = 320;
  FHeight = 240;
  SetColor(clBtnFace);
  Screen()->AddForm(this);
  if (AOwner && AOwner == gApplication && !gApplication->MainForm()) {
    gApplication->SetMainForm(this);
  }
}

TCustomForm::~TCustomForm() {
  try {
    if (FOnDestroy) FOnDestroy(this);
  } catch (...) {
    ApplicationHandleException(std::current_exception());
  }
  if (gScreen) gScreen->RemoveForm(this);
  if (gApplication && gApplication->MainForm() == this) {
    gApplication->SetMainForm(nullptr);
    if (FWindowShown && gApplication->HandleAllocated()) {
      ShowWindow(gApplication->Handle(), SW_HIDE);
    }
  }
  // While this class is whole, so that the window's last messages (deactivation,
  // focus) still reach the form's own handlers.
  if (HandleAllocated()) DestroyHandle();
}

void TCustomForm::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style &= WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_DISABLED;
  Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE | WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME |
                                        WS_EX_TOPMOST);
  switch (FBorderStyle) {
    case bsNone:
      Params.Style |= WS_POPUP;
      break;
    case bsSingle:
      Params.Style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
      break;
    case bsSizeable:
      Params.Style |= WS_OVERLAPPEDWINDOW;
      break;
    case bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
      Params.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsToolWindow:
      Params.Style |= WS_CAPTION | WS_SYSMENU;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      Params.Style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  // Every form is owned by the application window: one taskbar button, and the
  // forms go with it when it is minimised.
  Params.WndParent = Application()->Handle();
  Params.WindowClass.style |= CS_DBLCLKS;
}

void TCustomForm::CreateWnd() {
  TCustomControl::CreateWnd();
  if (FMenu) {
    FMenu->SetWindowHandle(FHandle);
    ::SetMenu(FHandle, FMenu->Handle());
  }
}

void TCustomForm::DestroyWnd() {
  if (FMenu && FHandle) {
    ::SetMenu(FHandle, nullptr);
    FMenu->SetWindowHandle(nullptr);
  }
  TCustomControl::DestroyWnd();
}

void TCustomForm::Paint() {
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

void TCustomForm::Show() {
  SetVisible(true);
  if (HandleAllocated()) {
    SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
}

void TCustomForm::Hide() { SetVisible(false); }

TModalResult TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || FModal) {
    throw EInvalidOperation(L"Cannot make a visible window modal");
  }
  TApplication* app = Application();
  if (GetCapture()) SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  app->CancelHint();
  HWND activeWindow = GetActiveWindow();
  FModal = true;
  FModalResult = mrNone;
  std::vector<HWND> disabled = DisableTaskWindows(Handle());
  // The windows come back before the form hides, so that activation returns
  // to one of them rather than to another program.
  auto finish = [&] {
    EnableTaskWindows(disabled);
    disabled.clear();
    try {
      Hide();
    } catch (...) {
      ApplicationHandleException(std::current_exception());
    }
    FModal = false;
    if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
  };
  try {
    Show();
    do {
      try {
        app->HandleMessage();
      } catch (...) {
        app->HandleException(std::current_exception());
      }
      if (app->Terminated()) {
        FModalResult = mrCancel;
      } else if (FModalResult != mrNone) {
        CloseModal();
      }
    } while (FModalResult == mrNone);
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return FModalResult;
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  switch (action) {
    case caNone:
      FModalResult = mrNone;
      break;
    case caFree:
      Release();
      break;
    default:
      break;
  }
}

void TCustomForm::Close() {
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (gApplication && gApplication->MainForm() == this) {
    gApplication->Terminate();
  } else if (action == caHide) {
    Hide();
  } else if (action == caMinimize) {
    if (HandleAllocated()) ShowWindow(FHandle, SW_MINIMIZE);
  } else {
    Release();
  }
}

void TCustomForm::Release() { PostMessageA(Handle(), CM_RELEASE, 0, 0); }

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (FOnCloseQuery) FOnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoCreate() {
  FCreated = true;
  if (FOnCreate) FOnCreate(this);
}

void TCustomForm::DoShow() {
  if (FOnShow) FOnShow(this);
}

void TCustomForm::DoHide() {
  if (FOnHide) FOnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (FOnClose) FOnClose(this, Action);
}

void TCustomForm::Activate() {
  if (FOnActivate) FOnActivate(this);
}

void TCustomForm::Deactivate() {
  if (FOnDeactivate) FOnDeactivate(this);
}

void TCustomForm::TrackControl(TWinControl* Old, TWinControl* New) {
  if (New) FreeNotification(New);
  if (Old && Old != New && Old != FActiveControl && Old != FFocusedControl) {
    RemoveFreeNotification(Old);
  }
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (Control && Control != this && GetParentForm(Control) != this) {
    throw EInvalidOperation(L"Invalid control for the active control of a form");
  }
  TWinControl* old = FActiveControl;
  FActiveControl = Control;
  TrackControl(old, Control);
  if (FActive && !ComponentState().Contains(csDestroying)) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
  bool wasActive = FActive;
  SetActiveControl(Control);
  if (!wasActive) SetFocus();
}

void TCustomForm::SetFocus() {
  if (FActive) return;
  if (!Visible() || !Enabled()) {
    throw EInvalidOperation(L"Cannot focus a disabled or invisible window");
  }
  SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
  if (!HandleAllocated()) return;
  HWND target = FHandle;
  if (FActiveControl && FActiveControl != this && FActiveControl->HandleAllocated() &&
      IsWindowVisible(FActiveControl->WindowHandle()) &&
      IsWindowEnabled(FActiveControl->WindowHandle())) {
    target = FActiveControl->WindowHandle();
  }
  ::SetFocus(target);
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
  if (!Control) return;
  if (Removing && FFocusedControl && Control->ContainsControl(FFocusedControl)) {
    TWinControl* old = FFocusedControl;
    TWinControl* parent = Control->Parent();
    FFocusedControl = parent != this ? parent : nullptr;
    TrackControl(old, FFocusedControl);
  }
  if (FActiveControl && Control->ContainsControl(FActiveControl)) SetActiveControl(nullptr);
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (ComponentState().Contains(csDestroying) || !Control) return false;
  if (Control != this && GetParentForm(Control) != this) return false;
  if (gScreen) {
    TWinControl* previous = gScreen->FActiveControl;
    gScreen->FActiveControl = Control;
    gScreen->FActiveForm = this;
    gScreen->FreeNotification(Control);
    if (previous && previous != Control) gScreen->RemoveFreeNotification(previous);
  }
  if (Control != this && FActiveControl != Control) {
    TWinControl* old = FActiveControl;
    FActiveControl = Control;
    TrackControl(old, Control);
  }
  TWinControl* old = FFocusedControl;
  if (old == Control) return true;
  FFocusedControl = Control;
  TrackControl(old, Control);

  std::vector<TWinControl*> newChain;  // innermost first, without the form
  for (TWinControl* c = Control; c && c != this; c = c->Parent()) newChain.push_back(c);
  std::vector<TWinControl*> oldChain;
  for (TWinControl* c = old; c && c != this; c = c->Parent()) oldChain.push_back(c);
  for (TWinControl* c : oldChain) {
    if (std::find(newChain.begin(), newChain.end(), c) != newChain.end()) break;
    c->Perform(CM_EXIT, 0, 0);
  }
  for (auto it = newChain.rbegin(); it != newChain.rend(); ++it) {
    if (std::find(oldChain.begin(), oldChain.end(), *it) == oldChain.end()) {
      (*it)->Perform(CM_ENTER, 0, 0);
    }
  }
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
  return true;
}

void TCustomForm::SetMenu(TMainMenu* Value) {
  if (FMenu == Value) return;
  TMainMenu* old = FMenu;
  if (old && HandleAllocated()) {
    ::SetMenu(FHandle, nullptr);
    old->SetWindowHandle(nullptr);
  }
  FMenu = Value;
  if (old) RemoveFreeNotification(old);
  if (FMenu) {
    FreeNotification(FMenu);
    if (HandleAllocated()) {
      FMenu->SetWindowHandle(FHandle);
      ::SetMenu(FHandle, FMenu->Handle());
    }
  }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (FFormStyle == Value) return;
  FFormStyle = Value;
  if (HandleAllocated()) {
    SetWindowPos(FHandle, Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

bool TCustomForm::IsShortCut(TMessage& Message) {
  bool handled = false;
  if (FOnShortCut) FOnShortCut(Message, handled);
  if (handled) return true;
  if (FMenu && FMenu->IsShortCut(Message)) return true;
  for (int32_t i = 0; i < ComponentCount(); ++i) {
    auto* list = dynamic_cast<TCustomActionList*>(Components(i));
    if (list && list->IsShortCut(Message)) return true;
  }
  return false;
}

void TCustomForm::UpdateActions() {
  if (ComponentState().Contains(csDestroying) || !Visible()) return;
  if (FMenu) InitiateMenuActions(FMenu->Items());
  UpdateActionsOfControls();
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FActiveControl) FActiveControl = nullptr;
  if (AComponent == FFocusedControl) FFocusedControl = nullptr;
  if (AComponent == FMenu) {
    if (HandleAllocated()) ::SetMenu(FHandle, nullptr);
    FMenu = nullptr;
  }
}

void TCustomForm::ApplyPosition() {
  RECT area;
  switch (FPosition) {
    case poScreenCenter:
      area = WorkArea();
      break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TCustomForm* center = nullptr;
      if (FPosition == poOwnerFormCenter) center = dynamic_cast<TCustomForm*>(Owner());
      if (!center && gApplication) center = gApplication->MainForm();
      if (center && center != this && center->HandleAllocated() &&
          IsWindowVisible(center->WindowHandle())) {
        GetWindowRect(center->WindowHandle(), &area);
      } else {
        area = WorkArea();
      }
      break;
    }
    default:
      return;
  }
  int x = area.left + ((area.right - area.left) - Width()) / 2;
  int y = area.top + ((area.bottom - area.top) - Height()) / 2;
  RECT work = WorkArea();
  x = std::max<int>(work.left, std::min<int>(x, work.right - Width()));
  y = std::max<int>(work.top, std::min<int>(y, work.bottom - Height()));
  SetBounds(x, y, Width(), Height());
}

void TCustomForm::WMShowWindow(TMessage& Message) {
  // A non-zero LParam: the owner was minimised or restored, not this form.
  if (Message.LParam != 0) return;
  if (Message.WParam) {
    if (FWindowShown) return;
    FWindowShown = true;
    ApplyPosition();
    if (gApplication && gApplication->MainForm() == this) {
      ShowWindow(gApplication->Handle(), SW_SHOWNOACTIVATE);
    }
    DoShow();
  } else {
    if (!FWindowShown) return;
    FWindowShown = false;
    DoHide();
    if (gApplication && gApplication->MainForm() == this && gApplication->HandleAllocated()) {
      ShowWindow(gApplication->Handle(), SW_HIDE);
    }
  }
}

void TCustomForm::WMActivate(TMessage& Message) {
  bool active = LOWORD(Message.WParam) != WA_INACTIVE;
  bool minimized = HIWORD(Message.WParam) != 0;
  Message.Result = 0;
  if (active == FActive) {
    if (active && !minimized) SetWindowFocus();
    return;
  }
  FActive = active;
  if (active) {
    if (gScreen) gScreen->FActiveForm = this;
    if (!FActiveControl) {
      TWinControl* first = FindNextControl(nullptr, true, true, false);
      if (first) {
        FActiveControl = first;
        TrackControl(nullptr, first);
      }
    }
    if (!minimized) SetWindowFocus();
    Activate();
  } else {
    if (gApplication) gApplication->CancelHint();
    Deactivate();
  }
}

void TCustomForm::WMMenuSelect(TMessage& Message) {
  if (!FMenu || !gApplication) return;
  UINT flags = HIWORD(Message.WParam);
  UINT index = LOWORD(Message.WParam);
  HMENU menu = reinterpret_cast<HMENU>(Message.LParam);
  TMenuItem* item = nullptr;
  // 0xFFFF with no menu: the menu closed.
  if (!(flags == 0xFFFF && menu == nullptr)) {
    if (flags & MF_POPUP) {
      if (HMENU sub = GetSubMenu(menu, static_cast<int>(index))) {
        item = FindSubMenuItem(FMenu->Items(), sub);
      }
    } else {
      item = FMenu->FindItem(static_cast<int32_t>(index), fkCommand);
    }
  }
  gApplication->SetHint(item ? GetLongHint(item->Hint()) : std::string());
}

bool TCustomForm::MenuOwnerDrawMessage(TMessage& Message) {
  if (!FMenu || Message.LParam == 0) return false;
  if (Message.Msg == WM_DRAWITEM) {
    const auto& data = *reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
    if (data.CtlType != ODT_MENU || !FMenu->DrawItemMessage(data)) return false;
  } else {
    auto& data = *reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
    if (data.CtlType != ODT_MENU || !FMenu->MeasureItemMessage(data)) return false;
  }
  Message.Result = TRUE;
  return true;
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE:
      // Never to DefWindowProc, which would destroy the window under the form.
      Close();
      Message.Result = 0;
      return;
    case WM_ACTIVATE:
      WMActivate(Message);
      return;
    case WM_SHOWWINDOW:
      WMShowWindow(Message);
      break;
    case CM_RELEASE:
      Free();
      return;
    case CM_ACTIONEXECUTE:
    case CM_ACTIONUPDATE:
      Message.Result = 0;
      return;
    case WM_COMMAND:
      if (Message.LParam == 0 && HIWORD(Message.WParam) == 0 && FMenu &&
          FMenu->DispatchCommand(LOWORD(Message.WParam))) {
        Message.Result = 0;
        return;
      }
      break;
    case WM_INITMENUPOPUP:
      if (FMenu && FMenu->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam))) {
        Message.Result = 0;
        return;
      }
      break;
    case WM_MENUSELECT:
      WMMenuSelect(Message);
      break;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      if (MenuOwnerDrawMessage(Message)) return;
      break;
    case WM_SYSCOMMAND:
      // The main form's minimise button minimises the whole application.
      if ((Message.WParam & 0xFFF0) == SC_MINIMIZE && gApplication &&
          gApplication->MainForm() == this && gApplication->HandleAllocated() &&
          IsWindowVisible(gApplication->Handle())) {
        gApplication->Minimize();
        Message.Result = 0;
        return;
      }
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(Message);
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

void TApplication::HandleMessage() {
  MSG msg{};
  if (!ProcessMessage(msg)) {
    Idle(msg);
    if (FIdleDone && !FTerminated) WaitMessage();
  }
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  bool handled = false;
  if (FOnMessage) FOnMessage(Msg, handled);
  if (!handled && !IsHintMsg(Msg) && !IsKeyMsg(Msg) && !IsDlgMsg(Msg)) {
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
  return true;
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
  } else if (FMainForm && FMainForm->HandleAllocated() && !IsIconic(FMainForm->WindowHandle())) {
    ShowWindow(FMainForm->WindowHandle(), SW_MINIMIZE);
  }
  if (FOnMinimize) FOnMinimize(this);
}

void TApplication::Restore() {
  HWND app = Handle();
  if (IsIconic(app)) ShowWindow(app, SW_RESTORE);
  if (FMainForm && FMainForm->HandleAllocated() && IsIconic(FMainForm->WindowHandle())) {
    ShowWindow(FMainForm->WindowHandle(), SW_RESTORE);
  }
  if (FOnRestore) FOnRestore(this);
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

void TApplication::Idle(const MSG&) {
  TControl* control = DoMouseIdle();
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
  if (!E) return;
  HWND owner = nullptr;
  if (FMainForm && FMainForm->HandleAllocated() && IsWindowVisible(FMainForm->WindowHandle())) {
    owner = FMainForm->WindowHandle();
  } else {
    owner = Handle();
  }
  ShowMessageBoxW(owner, ExceptionText(E), AnsiToWide(FTitle), MB_OK | MB_ICONSTOP);
}
