#include "framework/actions.h"

#include <algorithm>

#include "framework/menus.h"
#include "framework/messages.h"

namespace {

TActionHooks& InstalledHooks() {
  static TActionHooks hooks;
  return hooks;
}

template <typename T>
void EraseValue(std::vector<T*>& list, const void* value) {
  list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

// The live list is indexed on each step: a client's setter may unregister
// links (a menu item that drops its action, say).
template <typename F>
void ForEachActionLink(const std::vector<TBasicActionLink*>& clients, F f) {
  for (size_t i = 0; i < clients.size(); ++i) {
    if (auto* link = dynamic_cast<TActionLink*>(clients[i])) f(link);
  }
}

}  // namespace

TActionHooks SetActionHooks(TActionHooks Hooks) {
  TActionHooks previous = std::move(InstalledHooks());
  InstalledHooks() = std::move(Hooks);
  return previous;
}

TShortCut ShortCutFromMessage(const TMessage& Message) {
  // Keys reach shortcut tests straight from the queue or reflected to the
  // focused control (CN_KEYDOWN); both mean the same key.
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
      break;
    default:
      return 0;
  }
  uint16_t key = CharCodeOf(Message);
  if (key == 0 || key > 0xFF) return 0;
  TShortCut result = key;
  if (GetKeyState(VK_SHIFT) < 0) result |= scShift;
  if (GetKeyState(VK_CONTROL) < 0) result |= scCtrl;
  if (Message.LParam & (1 << 29)) result |= scAlt;
  return result;
}

// ---------------------------------------------------------------- TBasicActionLink

TBasicActionLink::TBasicActionLink(TObject* AClient) { AssignClient(AClient); }

TBasicActionLink::~TBasicActionLink() {
  if (FAction) FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (Value == FAction) return;
  if (FAction) FAction->UnRegisterChanges(this);
  FAction = Value;
  if (Value) Value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
  if (!FAction) return false;
  FAction->SetActionComponent(AComponent);
  bool result = false;
  try {
    result = FAction->Execute();
  } catch (...) {
    // The handler may have freed the action, which then cleared FAction.
    if (FAction) FAction->SetActionComponent(nullptr);
    throw;
  }
  if (FAction) FAction->SetActionComponent(nullptr);
  return result;
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::Change() {
  if (FOnChange) FOnChange(FAction);
}

// ---------------------------------------------------------------- TBasicAction

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
  // The links outlive the action: each must forget it now, not later.
  while (!FClients.empty()) {
    TBasicActionLink* link = FClients.back();
    link->SetAction(nullptr);
    if (!FClients.empty() && FClients.back() == link) {
      FClients.pop_back();
      link->FAction = nullptr;
    }
  }
  SetActionComponent(nullptr);
}

bool TBasicAction::Execute() {
  if (!FOnExecute) return false;
  FOnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!FOnUpdate) return false;
  FOnUpdate(this);
  return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
  if (!Value) return;
  Value->FAction = this;
  if (std::find(FClients.begin(), FClients.end(), Value) == FClients.end()) {
    FClients.push_back(Value);
  }
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
  auto it = std::find(FClients.begin(), FClients.end(), Value);
  if (it == FClients.end()) return;
  FClients.erase(it);
  Value->FAction = nullptr;
}

void TBasicAction::SetActionComponent(TComponent* Value) {
  if (Value == FActionComponent) return;
  if (FActionComponent) FActionComponent->RemoveFreeNotification(this);
  FActionComponent = Value;
  if (Value) Value->FreeNotification(this);
}

void TBasicAction::SetOnExecute(TNotifyEvent Value) {
  ForEachActionLink(FClients, [&](TActionLink* link) { link->SetOnExecute(Value); });
  FOnExecute = std::move(Value);
  Change();
}

void TBasicAction::SetOnUpdate(TNotifyEvent Value) {
  FOnUpdate = std::move(Value);
  Change();
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActionComponent) FActionComponent = nullptr;
}

void TBasicAction::Change() {
  for (size_t i = 0; i < FClients.size(); ++i) FClients[i]->Change();
}

// ---------------------------------------------------------------- TContainedAction

TContainedAction::TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}

TContainedAction::~TContainedAction() { SetActionList(nullptr); }

void TContainedAction::SetActionList(TCustomActionList* Value) {
  if (Value == FActionList) return;
  if (FActionList) FActionList->RemoveAction(this);
  if (Value) Value->AddAction(this);
}

void TContainedAction::SetCategory(const std::string& Value) { FCategory = Value; }

int32_t TContainedAction::Index() const {
  if (!FActionList) return -1;
  for (int32_t i = 0; i < FActionList->ActionCount(); ++i) {
    if (FActionList->Actions(i) == this) return i;
  }
  return -1;
}

bool TContainedAction::Execute() {
  const TActionHooks& hooks = InstalledHooks();
  if (FActionList && FActionList->ExecuteAction(this)) return true;
  if (hooks.ExecuteAction && hooks.ExecuteAction(this)) return true;
  if (TBasicAction::Execute()) return true;
  return hooks.SendAppMessage &&
         hooks.SendAppMessage(CM_ACTIONEXECUTE, 0,
                              reinterpret_cast<LPARAM>(static_cast<TBasicAction*>(this))) == 1;
}

bool TContainedAction::Update() {
  const TActionHooks& hooks = InstalledHooks();
  if (FActionList && FActionList->UpdateAction(this)) return true;
  if (hooks.UpdateAction && hooks.UpdateAction(this)) return true;
  if (TBasicAction::Update()) return true;
  return hooks.SendAppMessage &&
         hooks.SendAppMessage(CM_ACTIONUPDATE, 0,
                              reinterpret_cast<LPARAM>(static_cast<TBasicAction*>(this))) == 1;
}

// ---------------------------------------------------------------- TCustomAction
// Every setter hands the value to the links while the action still holds the
// old one: a link decides whether its client follows by comparing the client
// with the action's current (old) value.

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

void TCustomAction::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  ForEachActionLink(FClients, [&](TActionLink* link) { link->SetCaption(Value); });
  FCaption = Value;
  Change();
}

void TCustomAction::SetHint(const std::string& Value) {
  if (Value == FHint) return;
  ForEachActionLink(FClients, [&](TActionLink* link) { link->SetHint(Value); });
  FHint = Value;
  Change();
}

void TCustomAction::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  ForEachActionLink(FClients, [&](TActionLink* link) { link->SetEnabled(Value); });
  FEnabled = Value;
  Change();
}

void TCustomAction::SetChecked(bool Value) {
  if (Value == FChecked) return;
  ForEachActionLink(FClients, [&](TActionLink* link) { link->SetChecked(Value); });
  FChecked = Value;
  if (FChecked) UncheckGroup();
  Change();
}

void TCustomAction::UncheckGroup() {
  TCustomActionList* list = ActionList();
  if (FGroupIndex <= 0 || !list) return;
  for (int32_t i = 0; i < list->ActionCount(); ++i) {
    auto* other = dynamic_cast<TCustomAction*>(list->Actions(i));
    if (other && other != this && other->FGroupIndex == FGroupIndex) other->SetChecked(false);
  }
}

void TCustomAction::SetVisible(bool Value) {
  if (Value == FVisible) return;
  ForEachActionLink(FClients, [&](TActionLink* link) { link->SetVisible(Value); });
  FVisible = Value;
  Change();
}

void TCustomAction::SetHelpContext(int32_t Value) {
  if (Value == FHelpContext) return;
  ForEachActionLink(FClients, [&](TActionLink* link) { link->SetHelpContext(Value); });
  FHelpContext = Value;
  Change();
}

void TCustomAction::SetImageIndex(int32_t Value) {
  if (Value == FImageIndex) return;
  ForEachActionLink(FClients, [&](TActionLink* link) { link->SetImageIndex(Value); });
  FImageIndex = Value;
  Change();
}

void TCustomAction::SetShortCut(TShortCut Value) {
  if (Value == FShortCut) return;
  ForEachActionLink(FClients, [&](TActionLink* link) { link->SetShortCut(Value); });
  FShortCut = Value;
  Change();
}

void TCustomAction::SetGroupIndex(int32_t Value) {
  if (Value == FGroupIndex) return;
  ForEachActionLink(FClients, [&](TActionLink* link) { link->SetGroupIndex(Value); });
  FGroupIndex = Value;
  if (FChecked) UncheckGroup();
  Change();
}

bool TCustomAction::Execute() {
  // A checked action of a group stays checked: only another one unchecks it.
  if (FAutoCheck && (!FChecked || FGroupIndex <= 0)) SetChecked(!FChecked);
  return TContainedAction::Execute();
}

bool TCustomAction::Update() {
  bool handled = TContainedAction::Update();
  if (!handled && FDisableIfNoHandler) SetEnabled(static_cast<bool>(OnExecute()));
  return handled;
}

void TCustomAction::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TCustomAction*>(Source);
  if (!source) {
    TContainedAction::Assign(Source);
    return;
  }
  SetAutoCheck(source->AutoCheck());
  SetCaption(source->Caption());
  SetCategory(source->Category());
  SetChecked(source->Checked());
  SetEnabled(source->Enabled());
  SetGroupIndex(source->GroupIndex());
  SetHelpContext(source->HelpContext());
  SetHint(source->Hint());
  SetImageIndex(source->ImageIndex());
  SetShortCut(source->ShortCut());
  SetVisible(source->Visible());
  SetOnExecute(source->OnExecute());
  SetOnUpdate(source->OnUpdate());
}

TAction::TAction(TComponent* AOwner) : TCustomAction(AOwner) { FDisableIfNoHandler = true; }

THintAction::THintAction(TComponent* AOwner) : TCustomAction(AOwner) {
  FDisableIfNoHandler = false;
}

// ---------------------------------------------------------------- TActionLink

bool TActionLink::IsCaptionLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsGroupIndexLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHelpContextLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsShortCutLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsOnExecuteLinked() { return true; }

void TActionLink::Change() {}

TCustomAction* TActionLink::CustomAction() const { return dynamic_cast<TCustomAction*>(FAction); }

// ---------------------------------------------------------------- TCustomActionList

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomActionList::~TCustomActionList() {
  SetImages(nullptr);
  while (!FActions.empty()) RemoveAction(FActions.back());
}

void TCustomActionList::AddAction(TContainedAction* Action) {
  if (!Action || Action->FActionList == this) return;
  if (Action->FActionList) Action->FActionList->RemoveAction(Action);
  FActions.push_back(Action);
  Action->FActionList = this;
  Action->FreeNotification(this);
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
  auto it = std::find(FActions.begin(), FActions.end(), Action);
  if (it == FActions.end()) return;
  FActions.erase(it);
  if (Action->FActionList == this) Action->FActionList = nullptr;
  Action->RemoveFreeNotification(this);
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (Value) Value->FreeNotification(this);
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  if (FOnExecute) FOnExecute(Action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
  bool handled = false;
  if (FOnUpdate) FOnUpdate(Action, handled);
  return handled;
}

bool TCustomActionList::IsShortCut(const TMessage& Message) {
  TShortCut shortCut = ShortCutFromMessage(Message);
  if (shortCut == 0) return false;
  for (size_t i = 0; i < FActions.size(); ++i) {
    auto* action = dynamic_cast<TCustomAction*>(FActions[i]);
    if (!action || action->ShortCut() != shortCut) continue;
    // A disabled match still swallows the key, as the classic framework does.
    action->Update();
    if (action->Enabled() && action->Visible()) action->Execute();
    return true;
  }
  return false;
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) FImages = nullptr;
  // An action normally leaves in its own destructor; this covers one that is
  // already past it. Only the pointer is compared.
  for (size_t i = 0; i < FActions.size(); ++i) {
    if (static_cast<TComponent*>(FActions[i]) == AComponent) {
      FActions.erase(FActions.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
}
