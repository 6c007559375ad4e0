#include "framework/forms.h"

#include <algorithm>
#include <cstddef>
#include <memory>

#include "framework/app_exceptions.h"
#include "framework/dialogs.h"
#include "framework/exceptions.h"

namespace {

// How far below the cursor's hot spot a hint starts (the arrow's height).
constexpr int kCursorHeight = 20;

// The item whose submenu is Sub.
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
  try {
    if (Wnd != task->Except && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) {
      task->Windows.push_back(Wnd);
    }
  } catch (...) {
    // Out of memory inside a system callback: stop the walk, nothing unwinds.
    return FALSE;
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
  if (AOwner && AOwner == ExistingApplication() && !ExistingApplication()->MainForm()) {
    ExistingApplication()->SetMainForm(this);
  }
}

TCustomForm::~TCustomForm() {
  try {
    if (FOnDestroy) FOnDestroy(this);
  } catch (...) {
    ApplicationHandleException(std::current_exception());
  }
  if (ExistingScreen()) ExistingScreen()->RemoveForm(this);
  if (ExistingApplication()) ExistingApplication()->ForgetReleased(this);
  if (ExistingApplication() && ExistingApplication()->MainForm() == this) {
    ExistingApplication()->SetMainForm(nullptr);
    if (FWindowShown && ExistingApplication()->HandleAllocated()) {
      ShowWindow(ExistingApplication()->Handle(), SW_HIDE);
    }
  }
  // While this class is whole, so that the window's last messages (deactivation,
  // focus) still reach the form's own handlers.
  if (HandleAllocated()) DestroyHandle();
  // The focus leaving a destroyed child may have made this form the screen's
  // active one again.
  if (ExistingScreen()) ExistingScreen()->RemoveForm(this);
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
  if (FAlphaBlend) ApplyAlphaBlend();
}

void TCustomForm::SetAlphaBlend(bool Value) {
  if (FAlphaBlend == Value) return;
  FAlphaBlend = Value;
  if (HandleAllocated()) ApplyAlphaBlend();
}

void TCustomForm::SetAlphaBlendValue(uint8_t Value) {
  if (FAlphaBlendValue == Value) return;
  FAlphaBlendValue = Value;
  if (FAlphaBlend && HandleAllocated()) ApplyAlphaBlend();
}

void TCustomForm::ApplyAlphaBlend() {
  const LONG_PTR exStyle = GetWindowLongPtrW(FHandle, GWL_EXSTYLE);
  COLORREF key = 0;
  BYTE alpha = 255;
  DWORD flags = 0;
  const bool layered = (exStyle & WS_EX_LAYERED) != 0;
  if (layered) GetLayeredWindowAttributes(FHandle, &key, &alpha, &flags);
  const DWORD keyFlag = flags & LWA_COLORKEY;
  if (FAlphaBlend) {
    if (!layered) SetWindowLongPtrW(FHandle, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    SetLayeredWindowAttributes(FHandle, key, FAlphaBlendValue, keyFlag | LWA_ALPHA);
  } else if (layered) {
    // Another user of the layered style (a colour key) keeps it; otherwise the
    // window goes back to plain drawing.
    if (keyFlag)
      SetLayeredWindowAttributes(FHandle, key, 255, keyFlag);
    else
      SetWindowLongPtrW(FHandle, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
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
  if (ExistingApplication() && ExistingApplication()->MainForm() == this) {
    ExistingApplication()->Terminate();
  } else if (action == caHide) {
    Hide();
  } else if (action == caMinimize) {
    if (HandleAllocated()) ShowWindow(FHandle, SW_MINIMIZE);
  } else {
    Release();
  }
}

void TCustomForm::Release() {
  SetName(std::wstring());
  if (TApplication* app = ExistingApplication()) app->FreeReleased(this);
  PostMessageA(Handle(), CM_RELEASE, 0, 0);
}

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
  if (ExistingScreen()) {
    TWinControl* previous = ExistingScreen()->FActiveControl;
    ExistingScreen()->FActiveControl = Control;
    ExistingScreen()->FActiveForm = this;
    ExistingScreen()->FreeNotification(Control);
    if (previous && previous != Control) ExistingScreen()->RemoveFreeNotification(previous);
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
      if (!center && ExistingApplication()) center = ExistingApplication()->MainForm();
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
    if (ExistingApplication() && ExistingApplication()->MainForm() == this) {
      ShowWindow(ExistingApplication()->Handle(), SW_SHOWNOACTIVATE);
    }
    DoShow();
  } else {
    if (!FWindowShown) return;
    FWindowShown = false;
    DoHide();
    // Hidden because the application was minimised: its window (the task
    // bar's button) must stay, or nothing could restore the program.
    if (ExistingApplication() && ExistingApplication()->MainForm() == this &&
        ExistingApplication()->HandleAllocated() && !IsIconic(ExistingApplication()->Handle())) {
      ShowWindow(ExistingApplication()->Handle(), SW_HIDE);
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
    if (ExistingScreen()) ExistingScreen()->FActiveForm = this;
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
    if (ExistingApplication()) ExistingApplication()->CancelHint();
    Deactivate();
  }
}

void TCustomForm::WMMenuSelect(TMessage& Message) {
  if (!FMenu || !ExistingApplication()) return;
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
  ExistingApplication()->SetHint(item ? GetLongHint(item->Hint()) : std::string());
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
      if ((Message.WParam & 0xFFF0) == SC_MINIMIZE && ExistingApplication() &&
          ExistingApplication()->MainForm() == this && ExistingApplication()->HandleAllocated() &&
          IsWindowVisible(ExistingApplication()->Handle())) {
        ExistingApplication()->Minimize();
        Message.Result = 0;
        return;
      }
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(Message);
}
