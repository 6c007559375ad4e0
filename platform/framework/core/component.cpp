#include "framework/component.h"

#include <algorithm>
#include <exception>

#include "framework/exceptions.h"

namespace {

bool IsIdentStart(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_';
}

bool IsValidIdent(std::wstring_view s) {
  if (s.empty() || !IsIdentStart(s[0])) return false;
  return std::all_of(s.begin() + 1, s.end(),
                     [](wchar_t c) { return IsIdentStart(c) || (c >= L'0' && c <= L'9'); });
}

wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? c + (L'a' - L'A') : c; }

// Names are ASCII identifiers, so ASCII folding is the whole of "ignoring case".
bool SameText(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](wchar_t x, wchar_t y) { return AsciiLower(x) == AsciiLower(y); });
}

void EraseValue(std::vector<TComponent*>& list, TComponent* value) {
  list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

bool ContainsValue(const std::vector<TComponent*>& list, TComponent* value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

// ---------------------------------------------------------------- TComponent

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  RemoveFreeNotifications();
  DestroyComponents();
  // A dying component's destructor may have registered with this one again.
  RemoveFreeNotifications();
  if (FLoadingIn) FLoadingIn->Forget(this);
  for (TLoadingScope* scope = FOpenScope; scope; scope = scope->FPrevious) scope->FRoot = nullptr;
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::Free() {
  Destroying();
  delete this;
}

TComponent* TComponent::Components(int32_t index) const {
  if (index < 0 || index >= ComponentCount()) {
    throw EListError(L"List index out of bounds (%d)", {index});
  }
  return FComponents[static_cast<size_t>(index)];
}

int32_t TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  const auto& siblings = FOwner->FComponents;
  auto it = std::find(siblings.begin(), siblings.end(), this);
  return it == siblings.end() ? -1 : static_cast<int32_t>(it - siblings.begin());
}

void TComponent::SetName(const std::wstring& newName) {
  if (FName == newName) return;
  if (!newName.empty() && !IsValidIdent(newName)) {
    throw EComponentError(L"'%s' is not a valid component name", {newName});
  }
  if (FOwner) {
    FOwner->ValidateRename(this, FName, newName);
  } else {
    ValidateRename(nullptr, FName, newName);
  }
  FName = newName;
}

void TComponent::ValidateRename(TComponent* AComponent, const std::wstring& curName,
                                const std::wstring& newName) {
  if (!AComponent || SameText(curName, newName)) return;
  TComponent* existing = FindComponent(newName);
  if (existing && existing != AComponent) {
    throw EComponentError(L"A component named %s already exists", {newName});
  }
}

void TComponent::SetLoading(bool loading) {
  if (loading) {
    FComponentState.Include(csLoading);
  } else {
    FComponentState.Exclude(csLoading);
  }
}

TComponent* TComponent::FindComponent(std::wstring_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : FComponents) {
    if (SameText(c->FName, name)) return c;
  }
  return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner == this) return;
  // An ownership cycle would make destruction recurse forever.
  for (TComponent* c = this; c; c = c->FOwner) {
    if (c == AComponent) {
      throw EComponentError(L"%s cannot be owned by itself or by a component it owns",
                            {AComponent->ClassName()});
    }
  }
  ValidateRename(AComponent, L"", AComponent->FName);
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
  for (TComponent* c = this; c; c = c->FOwner) {
    if (c->FOpenScope) {
      c->FOpenScope->Record(AComponent);
      break;
    }
  }
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner != this) return;
  EraseValue(FComponents, AComponent);
  AComponent->FOwner = nullptr;
  Notification(AComponent, opRemove);
}

void TComponent::DestroyComponents() {
  // The live list is re-read each time: a dying component may delete siblings.
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    FComponents.pop_back();
    c->FOwner = nullptr;
    delete c;
  }
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (!ContainsValue(FFreeNotifies, AComponent)) FFreeNotifies.push_back(AComponent);
  if (!ContainsValue(AComponent->FFreeNotifies, this)) AComponent->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  EraseValue(FFreeNotifies, AComponent);
  EraseValue(AComponent->FFreeNotifies, this);
}

void TComponent::RemoveFreeNotifications() {
  // Each client is unlinked before it hears, and the live list is re-read: a
  // client's handler may delete other clients, which unlink themselves.
  while (!FFreeNotifies.empty()) {
    TComponent* client = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    EraseValue(client->FFreeNotifies, this);
    client->Notification(this, opRemove);
  }
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  // Indexing the live list: an override may delete owned components.
  for (size_t i = 0; i < FComponents.size(); ++i) FComponents[i]->Destroying();
}

// ------------------------------------------------------------- TLoadingScope

TLoadingScope::TLoadingScope(TComponent* root)
    : FRoot(root), FUncaught(std::uncaught_exceptions()) {
  if (!FRoot) {
    FEnded = true;
    return;
  }
  FPrevious = FRoot->FOpenScope;
  FRoot->FOpenScope = this;
  if (!FRoot->FLoadingIn) {
    FRoot->FLoadingIn = this;
    FLoadsRoot = true;
  }
  FRoot->FComponentState.Include(csLoading);
  FRoot->FComponentState.Include(csReading);
}

TLoadingScope::~TLoadingScope() noexcept(false) {
  if (FEnded) return;
  if (std::uncaught_exceptions() > FUncaught) {
    Abandon();
  } else {
    End();
  }
}

void TLoadingScope::Record(TComponent* component) {
  if (FEnded || component->FLoadingIn) return;
  component->FLoadingIn = this;
  component->FComponentState.Include(csLoading);
  component->FComponentState.Include(csReading);
  FRecorded.push_back(component);
}

void TLoadingScope::Forget(TComponent* component) {
  component->FLoadingIn = nullptr;
  if (component == FRoot) FLoadsRoot = false;
  std::replace(FRecorded.begin(), FRecorded.end(), component, static_cast<TComponent*>(nullptr));
}

void TLoadingScope::Close() {
  FEnded = true;
  if (!FRoot) return;
  // Scopes normally end innermost first, but End() may be called out of order.
  TLoadingScope** link = &FRoot->FOpenScope;
  while (*link && *link != this) link = &(*link)->FPrevious;
  if (*link) *link = FPrevious;
}

void TLoadingScope::End() {
  if (FEnded) return;
  Close();
  if (FLoadsRoot) FRecorded.push_back(FRoot);
  FLoadsRoot = false;
  for (TComponent* c : FRecorded) {
    if (c) c->FComponentState.Exclude(csReading);
  }
  // Slots are emptied before each call, so deletions made by a Loaded() leave
  // nothing dangling behind.
  for (size_t i = 0; i < FRecorded.size(); ++i) {
    TComponent* c = FRecorded[i];
    if (!c) continue;
    FRecorded[i] = nullptr;
    c->FLoadingIn = nullptr;
    try {
      c->Loaded();
    } catch (...) {
      Abandon();
      throw;
    }
  }
  FRecorded.clear();
}

void TLoadingScope::Abandon() {
  Close();
  if (FLoadsRoot) FRecorded.push_back(FRoot);
  FLoadsRoot = false;
  for (TComponent* c : FRecorded) {
    if (!c) continue;
    c->FLoadingIn = nullptr;
    c->FComponentState.Exclude(csLoading);
    c->FComponentState.Exclude(csReading);
  }
  FRecorded.clear();
}
