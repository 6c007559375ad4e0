#include "unicode_controls/tnt_forms.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <typeinfo>

#include "foundation/tnt_classes.h"
#include "foundation/tnt_system.h"
#include "framework/format.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_controls.h"

namespace {

TTntApplication* GTntApplication = nullptr;
uint32_t GSettingChangeTick = 0;

void FinalizeTntApplication() {
  if (TApplication* app = ExistingApplication()) app->SetMessageFilter(nullptr);
  delete GTntApplication;
}

std::wstring WindowTextW(HWND Wnd) {
  LRESULT length = DefWindowProcW(Wnd, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = DefWindowProcW(Wnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return text;
}

}  // namespace

TTntApplication* TntApplication() {
  static TTntApplication* companion = [] {
    // The framework's application first, so that it is torn down after us.
    Application();
    auto* made = new TTntApplication(nullptr);
    std::atexit(FinalizeTntApplication);
    if (Win32PlatformIsUnicode) {
      Application()->SetMessageFilter(
          [](MSG& Msg) { return GTntApplication && GTntApplication->HandleUnicodeCharMessage(Msg); });
    }
    return made;
  }();
  return GTntApplication ? companion : nullptr;
}

uint32_t TntSettingChangeTick() { return GSettingChangeTick; }

// ------------------------------------------------------------ TTntForm

std::wstring TTntForm::Caption() { return WideGetWindowText(this); }

void TTntForm::SetCaption(const std::wstring& Value) { WideSetWindowText(this, Value); }

void TTntForm::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  if (!Win32PlatformIsUnicode) return;
  // The framework registers an ANSI class under this name before it asks for
  // the window; the form's own class name belongs to the Unicode class, so the
  // ANSI one, which no window uses, takes another.
  constexpr char kSuffix[] = ".AnsiClass";
  std::string name = Params.WinClassName;
  name = name.substr(0, sizeof Params.WinClassName - sizeof kSuffix) + kSuffix;
  std::memcpy(Params.WinClassName, name.c_str(), name.size() + 1);
}

void TTntForm::SizeForClient(int32_t Width, int32_t Height) {
  TCreateParams params{};
  CreateParams(params);
  RECT frame{0, 0, Width, Height};
  AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
  SetBounds(Left(), Top(), frame.right - frame.left, frame.bottom - frame.top);
}

TTntFixedDialog::TTntFixedDialog(TComponent* AOwner) : TTntForm(AOwner) {
  SetBorderStyle(bsSingle);
  SetPosition(poOwnerFormCenter);
}

void TTntFixedDialog::CreateParams(TCreateParams& Params) {
  TTntForm::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
}

void TTntForm::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"", ClassName().substr(0, 63));
}

// ------------------------------------------------------------ TTntApplication

TTntApplication::TTntApplication(TComponent* AOwner) : TComponent(AOwner) {
  GTntApplication = this;
  Application()->HookMainWindow(MakeWindowHook<&TTntApplication::MainWindowHook>(this));
  FSettingChangeTick = GSettingChangeTick = GetTickCount();
}

TTntApplication::~TTntApplication() {
  delete FIdleEventControl;
  if (TApplication* app = ExistingApplication()) {
    app->UnhookMainWindow(MakeWindowHook<&TTntApplication::MainWindowHook>(this));
  }
  if (GTntApplication == this) GTntApplication = nullptr;
}

bool TTntApplication::MainWindowHook(TMessage& Message) {
  // The framework makes its window with the ANSI title and hands it over
  // only after creation, so a wide title set before goes in with the first
  // message that reaches us.
  if (!FPendingTitle.empty()) ApplyPendingTitle();
  switch (Message.Msg) {
    case WM_SETTINGCHANGE:
      FSettingChangeTick = GSettingChangeTick = GetTickCount();
      return false;
    case CM_ACTIONEXECUTE: {
      auto* action = reinterpret_cast<TBasicAction*>(Message.LParam);
      if (!action || typeid(*action) != typeid(THintAction)) return false;
      if (static_cast<THintAction*>(action)->Hint() != WideToAnsi(Hint())) return false;
      // The hint of the framework's own hint action is the ANSI form: the wide
      // action carries the real one to whoever shows it.
      TTntHintAction wide(nullptr);
      wide.SetHint(Hint());
      wide.Execute();
      Message.Result = 1;
      return true;
    }
    default:
      return false;
  }
}

void TTntApplication::ApplyPendingTitle() {
  TApplication* app = Application();
  if (!app->HandleAllocated()) return;
  std::wstring title = TntGetSyncedWideString(FPendingTitle, app->Title());
  FPendingTitle.clear();
  DefWindowProcW(app->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
}

std::wstring TTntApplication::Title() {
  TApplication* app = Application();
  if (!app->HandleAllocated()) return TntGetSyncedWideString(FPendingTitle, app->Title());
  if (!FPendingTitle.empty()) ApplyPendingTitle();
  return WindowTextW(app->Handle());
}

void TTntApplication::SetTitle(const std::wstring& Value) {
  TApplication* app = Application();
  if (!app->HandleAllocated()) {
    TntSetSyncedWideString(Value, FPendingTitle, app->Title(),
                           [app](const std::string& S) { app->SetTitle(S); });
    return;
  }
  if (Title() == Value && FPendingTitle.empty()) return;
  // The ANSI copy first: the framework writes it into the window too.
  app->SetTitle(WideToAnsi(Value));
  DefWindowProcW(app->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str()));
  FPendingTitle.clear();
}

std::wstring TTntApplication::Hint() { return TntGetSyncedWideString(FHint, Application()->Hint()); }

void TTntApplication::SetHint(const std::wstring& Value) {
  TApplication* app = Application();
  TntSetSyncedWideString(Value, FHint, app->Hint(), [app](const std::string& S) { app->SetHint(S); });
}

void TTntApplication::RefreshHint() {
  // The control the idle pass found under the mouse: asking the system again
  // would cost two of its calls on every pass, many a second while a timer
  // runs (the visualisation's).
  SetHint(WideGetLongHint(WideGetParentHint(Application()->MouseControl())));
}

bool TTntApplication::HandleUnicodeCharMessage(MSG& Msg) {
  TApplication* app = Application();
  // The main form deletes its children, the idle control among them: a later
  // main form gets a new one.
  TCustomForm* mainForm = app->MainForm();
  if (!FIdleEventControl && mainForm && !mainForm->ComponentState().Contains(csDestroying)) {
    new TTntAppIdleEventControl(mainForm);
  }
  // Characters above 127 would go through the ANSI code page on their way
  // through the framework's DispatchMessageA and come out wrong (or as '?')
  // under any code page that lacks them.
  if (Msg.message != WM_CHAR || Msg.wParam < 128 || !Msg.hwnd || !IsWindowUnicode(Msg.hwnd)) {
    return false;
  }
  HWND dialog = app->DialogHandle();
  if (dialog && !IsWindowUnicode(dialog)) return false;
  bool handled = false;
  if (app->OnMessage()) {
    TMessageEvent onMessage = app->OnMessage();
    onMessage(Msg, handled);
  }
  app->CancelHint();
  if (handled) return true;
  if (dialog && IsDialogMessageW(dialog, &Msg)) return true;
  DispatchMessageW(&Msg);
  return true;
}

// ------------------------------------------------------------ TTntAppIdleEventControl

TTntAppIdleEventControl::TTntAppIdleEventControl(TCustomForm* MainForm) : TControl(nullptr) {
  SetParentFont(false);
  SetParent(MainForm);
  SetVisible(true);
  auto* action = new TAction(this);
  action->SetDisableIfNoHandler(false);
  action->SetOnUpdate([](TObject*) {
    if (GTntApplication) GTntApplication->RefreshHint();
  });
  SetAction(action);
  if (GTntApplication) GTntApplication->FIdleEventControl = this;
}

TTntAppIdleEventControl::~TTntAppIdleEventControl() {
  if (GTntApplication && GTntApplication->FIdleEventControl == this) {
    GTntApplication->FIdleEventControl = nullptr;
  }
}
