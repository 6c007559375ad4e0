// TWinControl and TCustomControl: controls with a window of their own.
#include <algorithm>
#include <cstring>

#include "framework/app_exceptions.h"
#include "framework/controls.h"
#include "framework/controls_internal.h"
#include "framework/exceptions.h"
#include "framework/forms.h"
#include "framework/menus.h"

using namespace controls_internal;

namespace {

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

}  // namespace

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
    case CM_FOCUSCHANGED:
      // Buttons inside panels and group boxes follow the focus too (which
      // one shows as the default push button).
      Broadcast(Message);
      return;
    case CM_CHILDKEY:
      if (FParent != nullptr) Message.Result = FParent->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
      return;
    case CM_RECREATEWND:
      RecreateWnd();
      return;
    case WM_NOTIFYFORMAT:
      // A framework control with a Unicode window (the Unicode layer's) reads
      // Unicode notifications; the system's answer would follow this window,
      // which is ANSI, and the child would squeeze its texts through the code
      // page. Other children keep the system's answer.
      if (Message.LParam == NF_QUERY) {
        auto child = reinterpret_cast<HWND>(Message.WParam);
        if (child != nullptr && IsWindowUnicode(child) && FindControl(child) != nullptr) {
          Message.Result = NFR_UNICODE;
          return;
        }
      }
      break;
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
  // The child that took the pointer keeps the mouse only while this window
  // still holds it. One whose capture was taken away never saw its button
  // go up (a press that drags the window by it: the system's move loop
  // swallows the release), and would otherwise take every later press,
  // wherever it falls.
  if (FMouseControl != nullptr && (FHandle == nullptr || GetCapture() != FHandle))
    FMouseControl = nullptr;
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
  // The children are aligned first, so a resize handler sees them in place.
  Realign();
  Resize();
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
  Realign();
  Resize();
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
  if (form != nullptr && form->IsShortCut(Message)) return true;
  TApplication* app = ExistingApplication();
  return app != nullptr && app->MainForm() != form && app->IsShortCut(Message);
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

// --- TCustomControl ---

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
