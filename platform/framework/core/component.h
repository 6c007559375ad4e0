// Components: named objects that own other components and hear about the
// components they depend on going away.
//   TComponent(owner)          joins owner's Components (creation order); the
//                              owner deletes it, last created first.
//   Name/SetName, FindComponent  identifiers unique in the owner, any case.
//   InsertComponent/RemoveComponent  re-parenting; the owner hears opInsert/opRemove.
//   FreeNotification(other)    both learn (Notification opRemove) when the other dies.
//   TLoadingScope(root)        components inserted into root's tree while it is open
//                              are csLoading; at its end each gets Loaded() in
//                              insertion order, the root last.
//
// Destruction (~TComponent): Destroying() marks this and every owned component
// csDestroying; free-notification clients hear opRemove; owned components are
// deleted last to first; the owner hears opRemove. All of it runs in the base
// destructor, where this object's own overrides no longer run: a class that must
// see its components die while still whole calls DestroyComponents() in its own
// destructor, and Free() runs Destroying() while the object is whole.
// Notification and Destroying overrides must not throw, and must tolerate being
// told twice (e.g. an owner that also registered a free notification).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/persistent.h"

class TLoadingScope;

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag : uint32_t {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csDestroying = 1u << 2,
  // Never set by the player, which has no designer; kept so that checks for it
  // in component code read as usual.
  csDesigning = 1u << 3,
};

class TComponentState {
 public:
  constexpr bool Contains(TComponentStateFlag flag) const { return (FBits & flag) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr void Include(TComponentStateFlag flag) { FBits |= flag; }
  constexpr void Exclude(TComponentStateFlag flag) { FBits &= ~static_cast<uint32_t>(flag); }
  constexpr bool operator==(const TComponentState&) const = default;

 private:
  uint32_t FBits = 0;
};

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // Destroying() while the whole object is alive, then delete.
  void Free();

  TComponent* Owner() const { return FOwner; }
  int32_t ComponentCount() const { return static_cast<int32_t>(FComponents.size()); }
  // EListError "List index out of bounds (%d)" outside 0..ComponentCount()-1.
  TComponent* Components(int32_t index) const;
  // Position in the owner's Components; -1 without an owner.
  int32_t ComponentIndex() const;

  const std::wstring& Name() const { return FName; }
  // Empty, or an ASCII identifier ([A-Za-z_][A-Za-z0-9_]*) unique in the owner
  // ignoring case; EComponentError otherwise, and the name stays as it was.
  virtual void SetName(const std::wstring& newName);
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t tag) { FTag = tag; }
  TComponentState ComponentState() const { return FComponentState; }
  void SetLoading(bool loading);

  // Among the owned components, ignoring case; nullptr when absent or empty.
  TComponent* FindComponent(std::wstring_view name) const;
  // Takes AComponent from its current owner (which hears opRemove), then hears
  // opInsert. Raises EComponentError on a name clash or an ownership cycle,
  // leaving everything unchanged.
  void InsertComponent(TComponent* AComponent);
  // AComponent leaves, then this hears opRemove; the caller now owns it.
  void RemoveComponent(TComponent* AComponent);
  // Deletes the owned components, last first, without telling this one.
  void DestroyComponents();

  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // opInsert: AComponent joined this owner (from its base constructor when it
  // is new, so its own parts may not exist yet). opRemove: AComponent is dying,
  // or it left this owner. In both cases only keep or compare the pointer.
  // Unlike the classic framework, the base does not pass notifications on to
  // owned components: each component that keeps a pointer registers for it.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // Clears csLoading; overrides finish set-up that needed all properties.
  virtual void Loaded();
  // Sets csDestroying here and on every owned component.
  virtual void Destroying();

 protected:
  // Raises when newName would clash in this owner (AComponent may be nullptr
  // for a component without owner).
  virtual void ValidateRename(TComponent* AComponent, const std::wstring& curName,
                              const std::wstring& newName);

 private:
  friend class TLoadingScope;

  void RemoveFreeNotifications();

  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  std::wstring FName;
  intptr_t FTag = 0;
  TComponentState FComponentState;
  TLoadingScope* FOpenScope = nullptr;  // innermost scope opened on this root
  TLoadingScope* FLoadingIn = nullptr;  // the scope that will call Loaded()
};

// RAII: forms build their components in code inside one of these, then run
// their OnCreate after it ends, when everything has had Loaded(). A scope
// opened on a component already recorded by an outer scope leaves that
// component's Loaded() to the outer scope. Left through an exception, the scope
// clears csLoading/csReading without calling Loaded().
class TLoadingScope {
 public:
  explicit TLoadingScope(TComponent* root);
  // Calls End() unless an exception is unwinding; End()'s exception propagates.
  ~TLoadingScope() noexcept(false);
  TLoadingScope(const TLoadingScope&) = delete;
  TLoadingScope& operator=(const TLoadingScope&) = delete;

  // Clears csReading everywhere, then calls Loaded() in insertion order and on
  // the root last. If one raises, the rest are released unloaded and it
  // propagates. Later calls do nothing.
  void End();

 private:
  friend class TComponent;

  void Record(TComponent* component);
  void Forget(TComponent* component);
  void Close();
  void Abandon();

  TComponent* FRoot;
  TLoadingScope* FPrevious = nullptr;
  std::vector<TComponent*> FRecorded;  // nullptr where one died meanwhile
  bool FLoadsRoot = false;
  bool FEnded = false;
  int FUncaught;
};
