#include "unicode_controls/tnt_actions.h"

#include <vector>

#include "foundation/tnt_classes.h"
#include "framework/format.h"
#include "unicode_controls/tnt_controls.h"
#include "unicode_controls/tnt_menus.h"

namespace {

// One wide text of a helper (caption or hint) and how the action keeps its
// ANSI form and tells its links.
struct TWideActionText {
  std::wstring& Wide;
  bool& Setting;
  std::wstring& Previous;
  std::wstring& New;
  std::string& NewAnsi;
};

struct TAnsiProperty {
  const std::string& (TCustomAction::*Get)() const;
  void (TCustomAction::*Set)(const std::string&);
  void (TActionLink::*SetOnLink)(const std::string&);
};

constexpr TAnsiProperty kCaption{&TCustomAction::Caption, &TCustomAction::SetCaption,
                                 &TActionLink::SetCaption};
constexpr TAnsiProperty kHint{&TCustomAction::Hint, &TCustomAction::SetHint, &TActionLink::SetHint};

std::wstring GetWideText(const TWideActionText& Text, const std::string& Ansi) {
  // While the links hear of a set, the action still holds the old ANSI text
  // and answers the old wide one.
  if (Text.Setting && Ansi != Text.NewAnsi) return Text.Previous;
  return TntGetSyncedWideString(Text.Wide, Ansi);
}

void SetWideText(const TWideActionText& Text, TCustomAction* Action, const TAnsiProperty& Property,
                 const std::wstring& Value) {
  std::wstring current = GetWideText(Text, (Action->*Property.Get)());
  if (Value == current) return;
  Text.Previous = current;
  Text.New = Value;
  Text.NewAnsi = WideToAnsi(Value);
  Text.Setting = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{Text.Setting};
  if ((Action->*Property.Get)() == Text.NewAnsi) {
    // The ANSI form does not change, so the framework would tell no link.
    // Each link hears of it here instead; passing the ANSI text through ""
    // to force the notification would show every client an empty text.
    for (int32_t i = 0; i < Action->ClientCount(); ++i) {
      if (auto* link = dynamic_cast<TActionLink*>(Action->Clients(i))) {
        (link->*Property.SetOnLink)(Text.NewAnsi);
      }
    }
    Text.Wide = Value;
  } else {
    Text.Wide = Value;
    (Action->*Property.Set)(Text.NewAnsi);
  }
}

std::wstring ForClient(const TWideActionText& Text, const std::string& Value) {
  if (Text.Setting && Value == Text.NewAnsi) return Text.New;
  return AnsiToWide(Value);
}

// The shared rules of the control links.
bool IsControlCaptionLinked(TControl* Client, TCustomAction* Action) {
  return WideGetActionCaption(Action) == WideGetWindowText(Client);
}

bool IsControlHintLinked(TControl* Client, TCustomAction* Action) {
  return WideGetActionHint(Action) == WideGetHint(Client);
}

std::wstring MenuItemCaption(TMenuItem* Item) {
  auto* item = dynamic_cast<TTntMenuItem*>(Item);
  return item ? item->Caption() : AnsiToWide(Item->Caption());
}

void SetMenuItemCaption(TMenuItem* Item, const std::wstring& Value) {
  if (auto* item = dynamic_cast<TTntMenuItem*>(Item)) {
    item->SetCaption(Value);
  } else {
    Item->SetCaption(WideToAnsi(Value));
  }
}

void SetMenuItemHint(TMenuItem* Item, const std::wstring& Value) {
  if (auto* item = dynamic_cast<TTntMenuItem*>(Item)) {
    item->SetHint(Value);
  } else {
    Item->SetHint(WideToAnsi(Value));
  }
}

struct TLinkClassEntry {
  TControlClassTest IsOfClass;
  TControlActionLinkClass LinkClass;
};

std::vector<TLinkClassEntry>& RegisteredLinkClasses() {
  static std::vector<TLinkClassEntry> entries;
  return entries;
}

// Assign's wide part, shared by both wide actions: the classic control-to-
// action copy for a control (the framework has none), the wide texts of a
// custom action after the inherited copy.
bool AssignFromControl(TCustomAction* Action, TPersistent* Source) {
  auto* control = dynamic_cast<TControl*>(Source);
  if (!control) return false;
  Action->SetEnabled(control->Enabled());
  Action->SetVisible(control->Visible());
  Action->SetHelpContext(control->HelpContext());
  WideSetActionCaption(Action, WideGetWindowText(control));
  WideSetActionHint(Action, WideGetHint(control));
  return true;
}

void AssignWideTexts(TCustomAction* Action, TPersistent* Source) {
  if (auto* source = dynamic_cast<TCustomAction*>(Source)) {
    WideSetActionCaption(Action, WideGetActionCaption(source));
    WideSetActionHint(Action, WideGetActionHint(source));
  }
}

}  // namespace

bool IsWideAction(const TObject* Action) {
  return dynamic_cast<const TCustomAction*>(Action) && dynamic_cast<const IWideAction*>(Action);
}

// ------------------------------------------------------------------ helper

TCustomActionHelper::TCustomActionHelper(TCustomAction* AAction)
    : TComponent(AAction), FAction(AAction) {}

std::wstring TCustomActionHelper::Caption() {
  return GetWideText(
      {FWideCaption, FCaptionSetting, FPreviousCaption, FNewCaption, FNewAnsiCaption},
      FAction->Caption());
}

void TCustomActionHelper::SetCaption(const std::wstring& Value) {
  SetWideText({FWideCaption, FCaptionSetting, FPreviousCaption, FNewCaption, FNewAnsiCaption},
              FAction, kCaption, Value);
}

std::wstring TCustomActionHelper::Hint() {
  return GetWideText({FWideHint, FHintSetting, FPreviousHint, FNewHint, FNewAnsiHint},
                     FAction->Hint());
}

void TCustomActionHelper::SetHint(const std::wstring& Value) {
  SetWideText({FWideHint, FHintSetting, FPreviousHint, FNewHint, FNewAnsiHint}, FAction, kHint,
              Value);
}

std::wstring TCustomActionHelper::CaptionForClient(const std::string& Value) {
  return ForClient({FWideCaption, FCaptionSetting, FPreviousCaption, FNewCaption, FNewAnsiCaption},
                   Value);
}

std::wstring TCustomActionHelper::HintForClient(const std::string& Value) {
  return ForClient({FWideHint, FHintSetting, FPreviousHint, FNewHint, FNewAnsiHint}, Value);
}

TCustomActionHelper* GetActionHelper(TBasicAction* Action) {
  if (!IsWideAction(Action)) return nullptr;
  for (int32_t i = 0; i < Action->ComponentCount(); ++i) {
    if (auto* helper = dynamic_cast<TCustomActionHelper*>(Action->Components(i))) return helper;
  }
  // No new owned component for an action on its way out.
  if (Action->ComponentState().Contains(csDestroying)) return nullptr;
  return new TCustomActionHelper(dynamic_cast<TCustomAction*>(Action));
}

std::wstring WideGetActionCaption(TCustomAction* Action) {
  if (!Action) return L"";
  if (TCustomActionHelper* helper = GetActionHelper(Action)) return helper->Caption();
  return AnsiToWide(Action->Caption());
}

void WideSetActionCaption(TCustomAction* Action, const std::wstring& Value) {
  if (!Action) return;
  if (TCustomActionHelper* helper = GetActionHelper(Action)) {
    helper->SetCaption(Value);
  } else {
    Action->SetCaption(WideToAnsi(Value));
  }
}

std::wstring WideGetActionHint(TCustomAction* Action) {
  if (!Action) return L"";
  if (TCustomActionHelper* helper = GetActionHelper(Action)) return helper->Hint();
  return AnsiToWide(Action->Hint());
}

void WideSetActionHint(TCustomAction* Action, const std::wstring& Value) {
  if (!Action) return;
  if (TCustomActionHelper* helper = GetActionHelper(Action)) {
    helper->SetHint(Value);
  } else {
    Action->SetHint(WideToAnsi(Value));
  }
}

std::wstring WideActionCaptionForClient(TCustomAction* Action, const std::string& Value) {
  TCustomActionHelper* helper = GetActionHelper(Action);
  return helper ? helper->CaptionForClient(Value) : AnsiToWide(Value);
}

std::wstring WideActionHintForClient(TCustomAction* Action, const std::string& Value) {
  TCustomActionHelper* helper = GetActionHelper(Action);
  return helper ? helper->HintForClient(Value) : AnsiToWide(Value);
}

// ------------------------------------------------------------------ actions

TTntAction::TTntAction(TComponent* AOwner) : TAction(AOwner) {}
std::wstring TTntAction::Caption() { return WideGetActionCaption(this); }
void TTntAction::SetCaption(const std::wstring& Value) { WideSetActionCaption(this, Value); }
std::wstring TTntAction::Hint() { return WideGetActionHint(this); }
void TTntAction::SetHint(const std::wstring& Value) { WideSetActionHint(this, Value); }

void TTntAction::Assign(TPersistent* Source) {
  if (AssignFromControl(this, Source)) return;
  TAction::Assign(Source);
  AssignWideTexts(this, Source);
}

TTntHintAction::TTntHintAction(TComponent* AOwner) : THintAction(AOwner) {}
std::wstring TTntHintAction::Caption() { return WideGetActionCaption(this); }
void TTntHintAction::SetCaption(const std::wstring& Value) { WideSetActionCaption(this, Value); }
std::wstring TTntHintAction::Hint() { return WideGetActionHint(this); }
void TTntHintAction::SetHint(const std::wstring& Value) { WideSetActionHint(this, Value); }

void TTntHintAction::Assign(TPersistent* Source) {
  if (AssignFromControl(this, Source)) return;
  THintAction::Assign(Source);
  AssignWideTexts(this, Source);
}

// ------------------------------------------------------------------ links

bool TTntControlActionLink::IsCaptionLinked() {
  return TControlActionLink::IsCaptionLinked() && IsControlCaptionLinked(FClient, CustomAction());
}

bool TTntControlActionLink::IsHintLinked() {
  return TControlActionLink::IsHintLinked() && IsControlHintLinked(FClient, CustomAction());
}

void TTntControlActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked())
    WideSetWindowText(FClient, WideActionCaptionForClient(CustomAction(), Value));
}

void TTntControlActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) WideSetHint(FClient, WideActionHintForClient(CustomAction(), Value));
}

bool TTntWinControlActionLink::IsCaptionLinked() {
  return TWinControlActionLink::IsCaptionLinked() &&
         IsControlCaptionLinked(FClient, CustomAction());
}

bool TTntWinControlActionLink::IsHintLinked() {
  return TWinControlActionLink::IsHintLinked() && IsControlHintLinked(FClient, CustomAction());
}

void TTntWinControlActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked())
    WideSetWindowText(FClient, WideActionCaptionForClient(CustomAction(), Value));
}

void TTntWinControlActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) WideSetHint(FClient, WideActionHintForClient(CustomAction(), Value));
}

bool TTntButtonActionLink::IsCaptionLinked() {
  return TButtonActionLink::IsCaptionLinked() && IsControlCaptionLinked(FClient, CustomAction());
}

bool TTntButtonActionLink::IsHintLinked() {
  return TButtonActionLink::IsHintLinked() && IsControlHintLinked(FClient, CustomAction());
}

void TTntButtonActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked())
    WideSetWindowText(FClient, WideActionCaptionForClient(CustomAction(), Value));
}

void TTntButtonActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) WideSetHint(FClient, WideActionHintForClient(CustomAction(), Value));
}

bool TTntMenuActionLink::IsCaptionLinked() {
  return TMenuActionLink::IsCaptionLinked() &&
         WideSameCaption(WideGetActionCaption(CustomAction()), MenuItemCaption(FClient));
}

bool TTntMenuActionLink::IsHintLinked() {
  return TMenuActionLink::IsHintLinked() &&
         WideGetActionHint(CustomAction()) == WideGetMenuItemHint(FClient);
}

void TTntMenuActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked())
    SetMenuItemCaption(FClient, WideActionCaptionForClient(CustomAction(), Value));
}

void TTntMenuActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) SetMenuItemHint(FClient, WideActionHintForClient(CustomAction(), Value));
}

TControlActionLinkClass GetUnicodeActionLinkClass(TControl* Control) {
  for (const TLinkClassEntry& entry : RegisteredLinkClasses()) {
    if (entry.IsOfClass(Control)) return entry.LinkClass;
  }
  if (dynamic_cast<TButtonControl*>(Control)) return &NewActionLink<TTntButtonActionLink>;
  if (dynamic_cast<TWinControl*>(Control)) return &NewActionLink<TTntWinControlActionLink>;
  return &NewActionLink<TTntControlActionLink>;
}

void RegisterUnicodeActionLinkClass(TControlClassTest IsOfClass,
                                    TControlActionLinkClass LinkClass) {
  if (IsOfClass && LinkClass) RegisteredLinkClasses().push_back({IsOfClass, LinkClass});
}

void TntControlActionChange(TControl* Control, TObject* Action, bool CheckDefaults) {
  if (!Control || !IsWideAction(Action)) return;
  auto* action = dynamic_cast<TCustomAction*>(Action);
  std::wstring caption = WideGetWindowText(Control);
  if (!CheckDefaults || caption.empty() || caption == Control->Name()) {
    WideSetWindowText(Control, WideGetActionCaption(action));
  }
  if (!CheckDefaults || WideGetHint(Control).empty())
    WideSetHint(Control, WideGetActionHint(action));
}
