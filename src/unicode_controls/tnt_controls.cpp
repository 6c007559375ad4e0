#include "unicode_controls/tnt_controls.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "framework/app_exceptions.h"
#include "framework/exceptions.h"
#include "framework/flag_scope.h"
#include "framework/format.h"
#include "framework/list_control.h"
#include "unicode_controls/tnt_graphics.h"
#include "unicode_controls/tnt_menus.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

HINSTANCE LayerInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

// What the layer keeps for the whole process. Made on first use and never
// deleted: FinalizeUnicodeLayer empties it, and code that runs later (windows
// destroyed at exit) still finds a valid, empty object.
struct TLayerState {
  TWideComponentHelperList Helpers;
  std::vector<TWinControlTrap*> ParkedTraps;
  ATOM WindowAtom = 0;
  ATOM ControlAtom = 0;
};

TLayerState* GLayerState = nullptr;
bool GLayerFinalised = false;
// The control whose Unicode window is being created; read only by the
// WM_NOTIFYFORMAT answer.
TWinControl* GUnicodeCreationControl = nullptr;
// The hint information that the CM_HINTSHOW set-up marked last.
const THintInfo* GMarkedHintInfo = nullptr;

TLayerState& LayerState() {
  static TLayerState* state = [] {
    auto* s = new TLayerState;
    // The framework's own names: the layer's windows must carry the same
    // properties as every framework window. The layer holds its own reference
    // so the atoms outlive whoever releases first.
    s->WindowAtom = GlobalAddAtomA(WindowAtomName().c_str());
    s->ControlAtom = GlobalAddAtomA(ControlAtomName().c_str());
    GLayerState = s;
    std::atexit(FinalizeUnicodeLayer);
    return s;
  }();
  return *state;
}

ATOM LayerControlAtom() {
  return GLayerFinalised || !GLayerState ? ControlAtom() : GLayerState->ControlAtom;
}
ATOM LayerWindowAtom() {
  return GLayerFinalised || !GLayerState ? WindowAtom() : GLayerState->WindowAtom;
}

// The window property that leads from a trapped window to its trap. Named
// after the module so that two copies of the layer in one process (a DLL)
// never take each other's traps.
const wchar_t* TrapPropName() {
  static const std::array<wchar_t, 32> name = [] {
    std::array<wchar_t, 32> n{};
    const wchar_t prefix[] = L"TntTrap";
    size_t i = 0;
    for (; prefix[i]; ++i) n[i] = prefix[i];
    auto module = reinterpret_cast<uintptr_t>(&__ImageBase);
    for (int shift = 60; shift >= 0; shift -= 4) n[i++] = L"0123456789ABCDEF"[(module >> shift) & 0xF];
    return n;
  }();
  return name.data();
}

TWinControlTrap* TrapOf(HWND Wnd) {
  return static_cast<TWinControlTrap*>(GetPropW(Wnd, TrapPropName()));
}

LPCWSTR AtomKey(ATOM Atom) { return reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(Atom)); }

TWinControlTrap* FindParkedTrap(const TWinControl* Control, bool Remove) {
  if (GLayerFinalised) return nullptr;
  auto& parked = LayerState().ParkedTraps;
  for (auto it = parked.rbegin(); it != parked.rend(); ++it) {
    if ((*it)->Control() != Control) continue;
    TWinControlTrap* trap = *it;
    if (Remove) parked.erase(std::next(it).base());
    return trap;
  }
  return nullptr;
}

void ParkTrap(TWinControlTrap* Trap) {
  if (GLayerFinalised) return;
  auto& parked = LayerState().ParkedTraps;
  if (std::find(parked.begin(), parked.end(), Trap) == parked.end()) parked.push_back(Trap);
}

void UnparkTrap(TWinControlTrap* Trap) {
  if (!GLayerState || GLayerFinalised) return;
  auto& parked = GLayerState->ParkedTraps;
  parked.erase(std::remove(parked.begin(), parked.end(), Trap), parked.end());
}

bool RoundTripsThroughAnsi(const std::wstring& Text) { return AnsiToWide(WideToAnsi(Text)) == Text; }

std::vector<THintWindowClass>& WideHintWindowClasses() {
  static auto* classes = new std::vector<THintWindowClass>{&NewHintWindow<TTntCustomHintWindow>};
  return *classes;
}

// The hint information behind a hint window's data, when the layer marked it.
const THintInfo* MarkedHintInfo(void* AData) {
  if (AData == nullptr || AData != GMarkedHintInfo) return nullptr;
  return GMarkedHintInfo->HintData == AData ? GMarkedHintInfo : nullptr;
}

bool IsWideHintData(void* AData) {
  const THintInfo* info = MarkedHintInfo(AData);
  return Win32PlatformIsUnicode && info && IsWideHintWindowClass(info->HintWindowClass);
}

// The short hint of the control (or its nearest parent with one) goes to the
// Unicode hint window; the framework's plain hint window class is swapped for
// it, other hint window classes are left alone.
void SetUpWideHint(THintInfo& Info) {
  if (Info.HintWindowClass == &NewHintWindow<THintWindow>) {
    Info.HintWindowClass = &NewHintWindow<TTntCustomHintWindow>;
  } else if (!IsWideHintWindowClass(Info.HintWindowClass)) {
    return;
  }
  Info.HintData = &Info;
  GMarkedHintInfo = &Info;
  Info.HintStr = WideToAnsi(WideGetShortHint(WideGetParentHint(Info.HintControl)));
}

}  // namespace

// ------------------------------------------------------------ helpers

TWideControlHelper::TWideControlHelper(TControl* AControl)
    : TWideComponentHelper(HelperTag{}, AControl, TntComponentHelpers()), FControl(AControl) {}

TWideControlHelper* TWideControlHelper::CreateHelper(TControl* AControl) {
  return new TWideControlHelper(AControl);
}

TWideComponentHelperList& TntComponentHelpers() { return LayerState().Helpers; }

TWideControlHelper* FindWideControlHelper(const TControl* Control) {
  if (!Control) return nullptr;
  return dynamic_cast<TWideControlHelper*>(FindWideComponentHelper(TntComponentHelpers(), Control));
}

TWideControlHelper* WideControlHelper(TControl* Control) {
  TWideControlHelper* helper = FindWideControlHelper(Control);
  return helper ? helper : TWideControlHelper::CreateHelper(Control);
}

// ------------------------------------------------------------ wide text and hints

std::wstring WideGetWindowText(TControl* Control) {
  if (!Control) return {};
  if (!Win32PlatformIsUnicode) return AnsiToWide(Control->Text());
  auto* win = dynamic_cast<TWinControl*>(Control);
  if (win && win->HandleAllocated()) {
    HWND wnd = win->WindowHandle();
    if (!IsWindowUnicode(wnd)) return AnsiToWide(Control->Text());
    int length = GetWindowTextLengthW(wnd);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(wnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::clamp(copied, 0, length)));
    return text;
  }
  // Windowless (a graphic control, or a windowed one between two windows):
  // the wide copy holds as long as the ANSI text was not changed meanwhile.
  if (TWideControlHelper* helper = FindWideControlHelper(Control)) {
    return TntGetSyncedWideString(helper->Caption, Control->Text());
  }
  return AnsiToWide(Control->Text());
}

void WideSetWindowText(TControl* Control, const std::wstring& Text) {
  if (!Control) return;
  auto* win = dynamic_cast<TWinControl*>(Control);
  if (!Win32PlatformIsUnicode || (win && win->HandleAllocated() && !IsWindowUnicode(win->WindowHandle()))) {
    Control->SetText(WideToAnsi(Text));
    return;
  }
  if (!win) {
    TWideControlHelper* helper = WideControlHelper(Control);
    TntSetSyncedWideString(Text, helper->Caption, Control->Text(),
                           [Control](const std::string& S) { Control->SetText(S); });
    return;
  }
  if (!win->HandleAllocated()) {
    WideControlHelper(Control)->Caption = Text;
    Control->SetText(WideToAnsi(Text));
    return;
  }
  if (WideGetWindowText(Control) == Text) return;
  TntSetWindowTextW(win->WindowHandle(), Text.c_str());
  Control->Perform(CM_TEXTCHANGED, 0, 0);
}

std::wstring WideGetHint(TControl* Control) {
  if (!Control) return {};
  TWideControlHelper* helper = Win32PlatformIsUnicode ? FindWideControlHelper(Control) : nullptr;
  if (helper) return TntGetSyncedWideString(helper->Hint, Control->Hint());
  return AnsiToWide(Control->Hint());
}

void WideSetHint(TControl* Control, const std::wstring& Value) {
  if (!Control) return;
  if (!Win32PlatformIsUnicode) {
    Control->SetHint(WideToAnsi(Value));
    return;
  }
  TWideControlHelper* helper = WideControlHelper(Control);
  TntSetSyncedWideString(Value, helper->Hint, Control->Hint(),
                         [Control](const std::string& S) { Control->SetHint(S); });
}

std::wstring WideGetParentHint(TControl* Control) {
  for (TControl* c = Control; c; c = c->Parent()) {
    std::wstring hint = WideGetHint(c);
    if (!hint.empty()) return hint;
  }
  return {};
}

std::wstring WideGetShortHint(const std::wstring& Hint) {
  size_t bar = Hint.find(L'|');
  return bar == std::wstring::npos ? Hint : Hint.substr(0, bar);
}

std::wstring WideGetLongHint(const std::wstring& Hint) {
  size_t bar = Hint.find(L'|');
  return bar == std::wstring::npos ? Hint : Hint.substr(bar + 1);
}

bool IsCaptionStoredByAction(TControl* Control) {
  TControlActionLink* link = Control ? Control->ActionLink() : nullptr;
  return !link || !link->IsCaptionLinked();
}

bool IsHintStoredByAction(TControl* Control) {
  TControlActionLink* link = Control ? Control->ActionLink() : nullptr;
  return !link || !link->IsHintLinked();
}

void WideListControlAddItem(TObject* ListControl, const std::wstring& Item, TObject* AObject) {
  if (auto* wide = dynamic_cast<IWideCustomListControl*>(ListControl)) {
    wide->AddItem(Item, AObject);
  } else if (auto* ansi = dynamic_cast<IAnsiCustomListControl*>(ListControl)) {
    ansi->AddItem(WideToAnsi(Item), AObject);
  } else if (auto* list = dynamic_cast<TCustomListControl*>(ListControl)) {
    list->AddItem(WideToAnsi(Item), AObject);
  }
}

bool IsWideCharAccel(const TMessage& Message, const std::wstring& Caption) {
  std::wstring hotkey = WideGetHotkey(Caption);
  if (hotkey.empty()) return false;
  // A packed character is UTF-16 already; only a bare code below 256 is a
  // byte of the keyboard's code page.
  const bool packed = CharCodeOf(Message) == 255 && WParamHighOf(Message) != 0;
  wchar_t ch = packed ? GetWideCharFromWMChar(Message) : TntKeyCharToUnicode(CharCodeOf(Message));
  return TntWideUpperCase(std::wstring(1, ch)) == TntWideUpperCase(hotkey);
}

void WideHintShowSetUp(THintInfo& HintInfo) {
  if (Win32PlatformIsUnicode) SetUpWideHint(HintInfo);
}

// ------------------------------------------------------------ window creation

std::wstring RegisterUnicodeClass(const TCreateParams& Params, const std::wstring& ClassName) {
  std::wstring name = ClassName;
  if (name.empty()) {
    const char* ansiName = Params.WinClassName;
    size_t length = 0;
    while (length < 63 && ansiName[length]) ++length;
    name = AnsiToWide(std::string(ansiName, length)) + L".UnicodeClass";
  }
  HINSTANCE instance = LayerInstance();
  WNDCLASSW existing{};
  if (GetClassInfoW(instance, name.c_str(), &existing)) {
    if (existing.lpfnWndProc == &UnicodeInitWndProc) return name;
    if (!UnregisterClassW(name.c_str(), instance)) RaiseLastOSError();
  }
  const WNDCLASSA& source = Params.WindowClass;
  std::wstring menuName;
  WNDCLASSW cls{};
  cls.style = source.style;
  cls.cbClsExtra = source.cbClsExtra;
  cls.cbWndExtra = source.cbWndExtra;
  cls.hIcon = source.hIcon;
  cls.hCursor = source.hCursor;
  cls.hbrBackground = source.hbrBackground;
  if (source.lpszMenuName && !IS_INTRESOURCE(source.lpszMenuName)) {
    menuName = AnsiToWide(source.lpszMenuName);
    cls.lpszMenuName = menuName.c_str();
  } else {
    cls.lpszMenuName = reinterpret_cast<LPCWSTR>(source.lpszMenuName);
  }
  cls.hInstance = instance;
  cls.lpfnWndProc = &UnicodeInitWndProc;
  cls.lpszClassName = name.c_str();
  if (RegisterClassW(&cls) == 0) RaiseLastOSError();
  return name;
}

void CreateUnicodeHandle(TWinControl* Control, const TCreateParams& Params,
                         const std::wstring& SystemClassName, const std::wstring& ClassName) {
  if (!Win32PlatformIsUnicode) {
    HWND wnd = CreateWindowExA(Params.ExStyle, Params.WinClassName, Params.Caption.c_str(),
                               Params.Style, Params.X, Params.Y, Params.Width, Params.Height,
                               Params.WndParent, nullptr, Params.WindowClass.hInstance, Params.Param);
    if (!wnd) Control->SetWindowHandle(nullptr);
    return;
  }
  WNDCLASSW system{};
  if (!SystemClassName.empty() &&
      (GetClassInfoW(Params.WindowClass.hInstance, SystemClassName.c_str(), &system) ||
       GetClassInfoW(nullptr, SystemClassName.c_str(), &system))) {
    Control->SetDefWndProc(system.lpfnWndProc);
  } else {
    Control->SetDefWndProc(&DefWindowProcW);
  }
  std::wstring className = RegisterUnicodeClass(Params, ClassName);
  GUnicodeCreationControl = Control;
  HWND wnd = CreateWindowExW(Params.ExStyle, className.c_str(), nullptr, Params.Style, Params.X,
                             Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr,
                             LayerInstance(), Params.Param);
  GUnicodeCreationControl = nullptr;
  if (!wnd) {
    DWORD error = GetLastError();
    // A window that died during creation went through UnicodeInitWndProc,
    // which gave the control its (now stale) handle.
    Control->SetWindowHandle(nullptr);
    RaiseLastOSError(error);
  }
  Control->SetWindowHandle(wnd);
  SubclassUnicodeControl(Control, Params.Caption);
}

LRESULT CALLBACK UnicodeInitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  try {
    TWinControl* control = CreationControl();
    if (!control) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    control->SetWindowHandle(Wnd);
    if (!FindParkedTrap(control, false)) ParkTrap(new TWinControlTrap(control));
    // The W function: an A subclass would make the window ANSI again.
    SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlWndProc));
    if ((GetWindowLongPtrW(Wnd, GWL_STYLE) & WS_CHILD) && GetWindowLongPtrW(Wnd, GWLP_ID) == 0) {
      SetWindowLongPtrW(Wnd, GWLP_ID, reinterpret_cast<LONG_PTR>(Wnd));
    }
    SetPropW(Wnd, AtomKey(LayerControlAtom()), control);
    SetPropW(Wnd, AtomKey(LayerWindowAtom()), control);
    SetCreationControl(nullptr);
    return ControlWndProc(Wnd, Msg, WParam, LParam);
  } catch (...) {
    ApplicationHandleException(std::current_exception());
    return 0;
  }
}

void SubclassUnicodeControl(TWinControl* Control, const std::string& Caption) {
  HWND wnd = Control->WindowHandle();
  if (!wnd || !IsWindowUnicode(wnd)) {
    throw ETntInternalError(L"Internal Error: SubClassUnicodeControl.Control is not Unicode.");
  }
  TWinControlTrap* trap = FindParkedTrap(Control, true);
  if (!trap) trap = new TWinControlTrap(Control);
  trap->SubClassControl(wnd);
  std::wstring caption;
  if (TWideControlHelper* helper = FindWideControlHelper(Control)) {
    caption = TntGetSyncedWideString(helper->Caption, Caption);
  } else {
    caption = AnsiToWide(Caption);
  }
  WideSetWindowText(Control, caption);
}

// ------------------------------------------------------------ character packing

void PackWideCharInWMChar(TMessage& Message) {
  uint16_t code = CharCodeOf(Message);
  // Already packed (a message passed on by another framework object).
  if (WParamHighOf(Message) != 0) return;
  if (code > 127) {
    SetWParamHigh(Message, code);
    SetCharCode(Message, 255);
  }
}

void UnpackWideCharInWMChar(TMessage& Message) {
  uint16_t high = WParamHighOf(Message);
  if (high != 0 && CharCodeOf(Message) == 255) SetCharCode(Message, high);
  SetWParamHigh(Message, 0);
}

wchar_t GetWideCharFromWMChar(const TMessage& Message) {
  uint16_t high = WParamHighOf(Message);
  return static_cast<wchar_t>(CharCodeOf(Message) == 255 && high != 0 ? high : CharCodeOf(Message));
}

void SetWideCharInWMChar(TMessage& Message, wchar_t Ch) {
  SetCharCode(Message, static_cast<uint16_t>(Ch));
  SetWParamHigh(Message, 0);
  PackWideCharInWMChar(Message);
}

// ------------------------------------------------------------ TWinControlTrap

TWinControlTrap::TWinControlTrap(TWinControl* AControl) : TComponent(nullptr), FControl(AControl) {
  if (AControl->ComponentState().Contains(csDestroying)) {
    throw ETntInternalError(
        L"TNT Internal Error: Can not subclass a control while it's being destroyed: " +
        AControl->Name() + L" (" + AControl->ClassName() + L")");
  }
  AControl->FreeNotification(this);
}

TWinControlTrap::~TWinControlTrap() {
  UnparkTrap(this);
  if (FHandle && IsWindow(FHandle) && TrapOf(FHandle) == this) {
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(FHandle, GWLP_WNDPROC)) == &TrapWindowProc) {
      SetWindowLongPtrW(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FSavedWindowProc));
    }
    RemovePropW(FHandle, TrapPropName());
  }
}

void TWinControlTrap::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent != FControl || FControl == nullptr) return;
  UnparkTrap(this);
  FControl = nullptr;
  if (FCallDepth > 0) {
    FFreeWhenUnwound = true;
  } else {
    delete this;
  }
}

TWindowMethod TWinControlTrap::TrapMethod() {
  return MakeWindowMethod<&TWinControlTrap::TrapControlWindowProc>(this);
}

void TWinControlTrap::SubClassControl(HWND Wnd) {
  FHandle = Wnd;
  auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC));
  if (current != &TrapWindowProc) FSavedWindowProc = current;
  if (FControl->DefWndProc() != &TrapDefWindowProc) FSavedDefWndProc = FControl->DefWndProc();
  SetPropW(Wnd, TrapPropName(), this);
  SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TrapWindowProc));
  FControl->SetDefWndProc(&TrapDefWindowProc);
  HookWindowProc();
}

void TWinControlTrap::UnSubClassControl(HWND Wnd) {
  const bool keep = !GLayerFinalised && !FControl->ComponentState().Contains(csDestroying);
  if (keep) {
    // The framework keeps the ANSI text itself (its DestroyWnd); only a text
    // that ANSI cannot hold needs the wide copy.
    std::wstring text = WideGetWindowText(FControl);
    TWideControlHelper* helper = FindWideControlHelper(FControl);
    if (helper || !RoundTripsThroughAnsi(text)) WideControlHelper(FControl)->Caption = text;
  }
  if (FControl->WindowProc().Code == TrapMethod().Code) {
    FControl->SetWindowProc(FSavedControlWindowProc ? FSavedControlWindowProc : FControl->OwnWndProc());
  }
  FControl->SetDefWndProc(FSavedDefWndProc);
  SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FSavedWindowProc));
  RemovePropW(Wnd, TrapPropName());
  FHandle = nullptr;
  FLastWindowMessage = 0;
  if (keep) ParkTrap(this);
}

bool TWinControlTrap::IsWindowProcHooked() {
  TWindowMethod current = FControl->WindowProc();
  if (!current || current.Code == FControl->OwnWndProc().Code) return false;
  if (current.Code == TrapMethod().Code) return true;
  // Someone hooked WindowProc after us: whether we are still further down
  // their chain shows only by sending something through it.
  TFlagScope probe(FProbeActive);
  FProbeSeen = false;
  TMessage message{};
  current(message);
  return FProbeSeen;
}

void TWinControlTrap::HookWindowProc() {
  if (IsWindowProcHooked()) return;
  FSavedControlWindowProc = FControl->WindowProc();
  FControl->SetWindowProc(TrapMethod());
}

LRESULT CALLBACK TWinControlTrap::TrapWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  try {
    TWinControlTrap* trap = TrapOf(Wnd);
    if (!trap) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    WNDPROC next = trap->FSavedWindowProc;
    if (!next) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    // Also after the layer's end: the control's WindowProc still tells the
    // window's own text requests from the framework's by this bookkeeping.
    if (!trap->FControl) return CallWindowProcW(next, Wnd, Msg, WParam, LParam);
    // A message that someone ahead of us sends to the window before passing
    // on the outer one must not make the outer one look framework-made.
    struct TDepth {
      TWinControlTrap* Trap;
      UINT Msg;
      WPARAM WParam;
      LPARAM LParam;
      ~TDepth() {
        Trap->FLastWindowMessage = Msg;
        Trap->FLastWParam = WParam;
        Trap->FLastLParam = LParam;
        if (--Trap->FCallDepth == 0 && Trap->FFreeWhenUnwound) delete Trap;
      }
    } depth{trap, trap->FLastWindowMessage, trap->FLastWParam, trap->FLastLParam};
    ++trap->FCallDepth;
    trap->FLastWindowMessage = Msg;
    trap->FLastWParam = WParam;
    trap->FLastLParam = LParam;
    return CallWindowProcW(next, Wnd, Msg, WParam, LParam);
  } catch (...) {
    ApplicationHandleException(std::current_exception());
    return 0;
  }
}

void TWinControlTrap::TrapControlWindowProc(TMessage& Message) {
  if (Message.Msg == 0 && FProbeActive) {
    FProbeSeen = true;
    return;
  }
  auto passOn = [this](TMessage& M) {
    if (FSavedControlWindowProc) {
      FSavedControlWindowProc(M);
    } else if (FControl) {
      FControl->WndProc(M);
    }
  };
  if (!FControl || !FControl->HandleAllocated() || !FHandle) {
    passOn(Message);
    return;
  }
  // Only the very message the window received counts: a WM_GETTEXT that
  // someone ahead of us in the chain performs meanwhile carries an ANSI buffer.
  const bool fromWindow = FLastWindowMessage != 0 && FLastWindowMessage == Message.Msg &&
                          FLastWParam == Message.WParam && FLastLParam == Message.LParam;
  FLastWindowMessage = 0;
  if (Message.Msg == CM_HINTSHOW && Message.LParam && Win32PlatformIsUnicode) {
    SetUpWideHint(*reinterpret_cast<THintInfo*>(Message.LParam));
  }
  switch (Message.Msg) {
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
      // The framework asking for or setting its ANSI text: the system converts
      // between the ANSI request and the Unicode window.
      if (!fromWindow) {
        Message.Result = SendMessageA(FHandle, Message.Msg, Message.WParam, Message.LParam);
        return;
      }
      break;
    case WM_CHAR:
      PackWideCharInWMChar(Message);
      break;
    default:
      break;
  }
  passOn(Message);
}

LRESULT CALLBACK TWinControlTrap::TrapDefWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  try {
    TWinControlTrap* trap = TrapOf(Wnd);
    if (!trap) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    TMessage message{Msg, WParam, LParam, 0};
    trap->DefWindowProcMessage(Wnd, message);
    return message.Result;
  } catch (...) {
    ApplicationHandleException(std::current_exception());
    return 0;
  }
}

void TWinControlTrap::DefWindowProcMessage(HWND Wnd, TMessage& Message) {
  WNDPROC next = FSavedDefWndProc ? FSavedDefWndProc : &DefWindowProcW;
  if (FControl) {
    switch (Message.Msg) {
      case WM_NOTIFYFORMAT: {
        auto window = reinterpret_cast<HWND>(Message.WParam);
        bool unicode = Win32PlatformIsUnicode &&
                       (IsWindowUnicode(window) ||
                        (GUnicodeCreationControl && GUnicodeCreationControl->WindowHandle() == window));
        Message.Result = unicode ? NFR_UNICODE : NFR_ANSI;
        return;
      }
      case WM_CHAR:
        UnpackWideCharInWMChar(Message);
        break;
      case WM_IME_CHAR:
        if (!Win32PlatformIsXP) {
          Message.Result = SendMessageW(Wnd, WM_CHAR, Message.WParam, Message.LParam);
          return;
        }
        break;
      case WM_DESTROY:
        UnSubClassControl(Wnd);
        break;
      default:
        break;
    }
  }
  Message.Result = CallWindowProcW(next, Wnd, Message.Msg, Message.WParam, Message.LParam);
}

// ------------------------------------------------------------ layer lifetime

void FinalizeUnicodeLayer() {
  if (GLayerFinalised || !GLayerState) {
    GLayerFinalised = true;
    return;
  }
  TLayerState& state = *GLayerState;
  GlobalDeleteAtom(state.WindowAtom);
  GlobalDeleteAtom(state.ControlAtom);
  state.WindowAtom = state.ControlAtom = 0;
  // The helper list owns its helpers; each one leaves the list as it dies.
  while (state.Helpers.Count() > 0) {
    int32_t before = state.Helpers.Count();
    state.Helpers.Items(before - 1)->Free();
    if (state.Helpers.Count() >= before) break;
  }
  state.ParkedTraps.clear();
  GLayerFinalised = true;
}

bool UnicodeLayerFinalised() { return GLayerFinalised; }

// ------------------------------------------------------------ hints

void RegisterWideHintWindowClass(THintWindowClass Value) {
  if (Value && !IsWideHintWindowClass(Value)) WideHintWindowClasses().push_back(Value);
}

bool IsWideHintWindowClass(THintWindowClass Value) {
  const auto& classes = WideHintWindowClasses();
  return Value && std::find(classes.begin(), classes.end(), Value) != classes.end();
}

std::wstring GetWideHintFromHintInfo(const THintInfo& HintInfo) {
  std::wstring result = AnsiToWide(HintInfo.HintStr);
  if (result.empty()) return result;
  std::wstring wide = WideGetShortHint(WideGetParentHint(HintInfo.HintControl));
  if (WideToAnsi(wide) == HintInfo.HintStr) return wide;
  // The framework's action link may have added the shortcut.
  TControl* control = HintInfo.HintControl;
  auto* action = control ? dynamic_cast<TCustomAction*>(control->Action()) : nullptr;
  if (Application()->HintShortCuts() && action && action->ShortCut() != 0) {
    std::string ansi = WideToAnsi(wide) + " (" + ShortCutToText(action->ShortCut()) + ")";
    if (ansi == HintInfo.HintStr) return wide + L" (" + WideShortCutToText(action->ShortCut()) + L")";
  }
  return result;
}

TTntCustomHintWindow::TTntCustomHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}

void TTntCustomHintWindow::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"");
}

THintWindowClass TTntCustomHintWindow::HintWindowClass() const {
  return &NewHintWindow<TTntCustomHintWindow>;
}

void TTntCustomHintWindow::ActivateHint(RECT Rect, const std::string& AHint) {
  TFlagScope activating(FActivating);
  THintWindow::ActivateHint(Rect, AHint);
}

void TTntCustomHintWindow::ActivateHintData(RECT Rect, const std::string& AHint, void* AData) {
  if (!IsWideHintData(AData)) {
    THintWindow::ActivateHintData(Rect, AHint, AData);
    return;
  }
  const THintInfo& info = *MarkedHintInfo(AData);
  {
    TFlagScope dataActivating(FDataActivating);
    TFlagScope activating(FActivating);
    THintWindow::ActivateHintData(Rect, AHint, AData);
    SetCaption(GetWideHintFromHintInfo(info));
  }
  Invalidate();
  Update();
}

RECT TTntCustomHintWindow::CalcHintRect(int MaxWidth, const std::string& AHint, void* AData) {
  if (!IsWideHintData(AData)) return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
  std::wstring hint = GetWideHintFromHintInfo(*MarkedHintInfo(AData));
  return MeasureHintText(MaxWidth, [&hint](HDC DC, RECT& Rect, UINT Flags) {
    TntDrawTextW(DC, hint.c_str(), static_cast<int>(hint.size()), &Rect, Flags);
  });
}

void TTntCustomHintWindow::Paint() {
  if (FDataActivating) return;
  THintWindow::Paint();
}

void TTntCustomHintWindow::DrawHintText(HDC DC, RECT& Rect, UINT Flags) {
  std::wstring text = Caption();
  TntDrawTextW(DC, text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
}

void TTntCustomHintWindow::CMTextChanged(TMessage&) {
  if (FActivating) return;
  std::wstring text = Caption();
  // Measured on a memory canvas: the window's own would make a window for a
  // hint that is not shown.
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return;
  SIZE size{};
  {
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Font()->Assign(Font());
    size = WideCanvasTextExtent(&canvas, text);
  }
  DeleteDC(dc);
  SetWidth(size.cx + 6);
  SetHeight(size.cy + 6);
}

void TTntCustomHintWindow::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_TEXTCHANGED) {
    CMTextChanged(Message);
    return;
  }
  THintWindow::Dispatch(Message);
}
