// Actions: commands with a caption, hint, shortcut and state that any number
// of clients (controls, menu items) follow through action links.
//   TBasicAction         OnExecute/OnUpdate; Execute asks the action list, the
//                        application and the forms to handle it when OnExecute
//                        is not assigned.
//   TBasicActionLink     one client's connection; the action calls the link's
//                        setters when a property changes.
//   TContainedAction     an action that belongs to a TCustomActionList.
//   TCustomAction        Caption, Hint, Enabled, Checked, Visible, ShortCut...;
//                        each setter first hands the new value to every link,
//                        then stores it, then calls Change().
//   TAction              a TCustomAction disabled while it has no OnExecute.
//   THintAction          carries the application hint to whoever shows it.
//   TActionList          the actions of a form; runs their shortcuts.
// Ownership: actions and links do not own each other; an action tells its
// links when it dies and a link unregisters itself when it dies.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/string_list.h"

class TBasicAction;
class TBasicActionLink;
class TCustomActionList;
class TCustomImageList;
struct TMessage;

using TShortCut = uint16_t;

using TActionEvent = std::function<void(TBasicAction* Action, bool& Handled)>;

class TBasicActionLink : public TObject {
 public:
  explicit TBasicActionLink(TObject* AClient);
  ~TBasicActionLink() override;

  TBasicAction* Action() const { return FAction; }
  // Unregisters from the old action and registers with the new one.
  virtual void SetAction(TBasicAction* Value);
  virtual bool Execute(TComponent* AComponent = nullptr);
  virtual bool Update();
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 protected:
  friend class TBasicAction;
  // The action's state changed (any property).
  virtual void Change();
  virtual void AssignClient(TObject*) {}

  TBasicAction* FAction = nullptr;
  TNotifyEvent FOnChange;
};

class TBasicAction : public TComponent {
 public:
  explicit TBasicAction(TComponent* AOwner);
  ~TBasicAction() override;

  // True when handled: OnExecute, else the action list's and the
  // application's handlers (CM_ACTIONEXECUTE).
  virtual bool Execute();
  // True when handled: OnUpdate, else the action list's and the application's.
  virtual bool Update();
  virtual bool HandlesTarget(TObject*) { return false; }
  virtual void ExecuteTarget(TObject*) {}
  virtual void UpdateTarget(TObject*) {}

  void RegisterChanges(TBasicActionLink* Value);
  void UnRegisterChanges(TBasicActionLink* Value);
  int32_t ClientCount() const { return static_cast<int32_t>(FClients.size()); }
  TBasicActionLink* Clients(int32_t Index) const { return FClients[Index]; }

  TComponent* ActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* Value);
  const TNotifyEvent& OnExecute() const { return FOnExecute; }
  void SetOnExecute(TNotifyEvent Value);
  const TNotifyEvent& OnUpdate() const { return FOnUpdate; }
  void SetOnUpdate(TNotifyEvent Value);

  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  // Tells every link (TBasicActionLink::Change), then OnChange.
  virtual void Change();

  std::vector<TBasicActionLink*> FClients;

 private:
  TComponent* FActionComponent = nullptr;
  TNotifyEvent FOnExecute;
  TNotifyEvent FOnUpdate;
};

class TContainedAction : public TBasicAction {
 public:
  explicit TContainedAction(TComponent* AOwner);
  ~TContainedAction() override;

  TCustomActionList* ActionList() const { return FActionList; }
  void SetActionList(TCustomActionList* Value);
  const std::string& Category() const { return FCategory; }
  void SetCategory(const std::string& Value);
  int32_t Index() const;

  // The list's OnExecute/OnUpdate, then the application's, before the action's own.
  bool Execute() override;
  bool Update() override;

 private:
  friend class TCustomActionList;
  TCustomActionList* FActionList = nullptr;
  std::string FCategory;
};

class TCustomAction : public TContainedAction {
 public:
  explicit TCustomAction(TComponent* AOwner);

  const std::string& Caption() const { return FCaption; }
  virtual void SetCaption(const std::string& Value);
  const std::string& Hint() const { return FHint; }
  virtual void SetHint(const std::string& Value);
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  bool Checked() const { return FChecked; }
  virtual void SetChecked(bool Value);
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  int32_t HelpContext() const { return FHelpContext; }
  virtual void SetHelpContext(int32_t Value);
  int32_t ImageIndex() const { return FImageIndex; }
  virtual void SetImageIndex(int32_t Value);
  TShortCut ShortCut() const { return FShortCut; }
  virtual void SetShortCut(TShortCut Value);
  int32_t GroupIndex() const { return FGroupIndex; }
  virtual void SetGroupIndex(int32_t Value);
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool Value) { FAutoCheck = Value; }
  bool DisableIfNoHandler() const { return FDisableIfNoHandler; }
  void SetDisableIfNoHandler(bool Value) { FDisableIfNoHandler = Value; }

  // AutoCheck toggles Checked first.
  bool Execute() override;
  // Without OnExecute and with DisableIfNoHandler the action disables itself.
  bool Update() override;
  void Assign(TPersistent* Source) override;

 protected:
  bool FDisableIfNoHandler = false;

 private:
  // Unchecks the other actions of the list with this GroupIndex.
  void UncheckGroup();

  std::string FCaption;
  std::string FHint;
  bool FEnabled = true;
  bool FChecked = false;
  bool FVisible = true;
  bool FAutoCheck = false;
  int32_t FHelpContext = 0;
  int32_t FImageIndex = -1;
  int32_t FGroupIndex = 0;
  TShortCut FShortCut = 0;
};

class TAction : public TCustomAction {
 public:
  explicit TAction(TComponent* AOwner);
};

class THintAction : public TCustomAction {
 public:
  explicit THintAction(TComponent* AOwner);
};

// The base of every client link: the action's setters reach the client
// through these, each guarded by its Is...Linked test.
class TActionLink : public TBasicActionLink {
 public:
  using TBasicActionLink::TBasicActionLink;

  virtual bool IsCaptionLinked();
  virtual bool IsCheckedLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsGroupIndexLinked();
  virtual bool IsHelpContextLinked();
  virtual bool IsHintLinked();
  virtual bool IsImageIndexLinked();
  virtual bool IsShortCutLinked();
  virtual bool IsVisibleLinked();
  virtual bool IsOnExecuteLinked();

  virtual void SetCaption(const std::string&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetGroupIndex(int32_t) {}
  virtual void SetHelpContext(int32_t) {}
  virtual void SetHint(const std::string&) {}
  virtual void SetImageIndex(int32_t) {}
  virtual void SetShortCut(TShortCut) {}
  virtual void SetVisible(bool) {}
  virtual void SetOnExecute(const TNotifyEvent&) {}

 protected:
  // The action as a TCustomAction, or nullptr.
  TCustomAction* CustomAction() const;
  // Does not pass the general notification on to OnChange: the changes reach
  // this link one by one through the setters above, each guarded by its
  // Is...Linked test, and a client re-synchronised from the whole action on
  // every change would follow values it no longer shows.
  void Change() override;
};

class TCustomActionList : public TComponent {
 public:
  explicit TCustomActionList(TComponent* AOwner);
  ~TCustomActionList() override;

  int32_t ActionCount() const { return static_cast<int32_t>(FActions.size()); }
  TContainedAction* Actions(int32_t Index) const { return FActions[Index]; }
  void AddAction(TContainedAction* Action);
  void RemoveAction(TContainedAction* Action);

  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  const TActionEvent& OnExecute() const { return FOnExecute; }
  void SetOnExecute(TActionEvent Value) { FOnExecute = std::move(Value); }
  const TActionEvent& OnUpdate() const { return FOnUpdate; }
  void SetOnUpdate(TActionEvent Value) { FOnUpdate = std::move(Value); }

  // OnExecute/OnUpdate of the list; true when handled.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);
  // A WM_KEYDOWN/WM_SYSKEYDOWN message whose key and shift state match an
  // action's ShortCut: Update, then Execute when it is enabled and visible.
  // True whenever an action matched (a disabled one swallows its key).
  bool IsShortCut(const TMessage& Message);

  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::vector<TContainedAction*> FActions;
  TCustomImageList* FImages = nullptr;
  TActionEvent FOnExecute;
  TActionEvent FOnUpdate;
};

class TActionList : public TCustomActionList {
 public:
  using TCustomActionList::TCustomActionList;
};

// How actions reach the application without this unit knowing it; the forms
// unit installs them. A contained action without its own handler asks, in
// order: its list, ExecuteAction (the application's OnActionExecute), its
// OnExecute, then SendAppMessage(CM_ACTIONEXECUTE, 0, action) == 1. Update
// takes the same path with UpdateAction and CM_ACTIONUPDATE. Absent hooks
// answer false / 0.
struct TActionHooks {
  std::function<bool(TBasicAction* Action)> ExecuteAction;
  std::function<bool(TBasicAction* Action)> UpdateAction;
  std::function<LRESULT(UINT Msg, WPARAM WParam, LPARAM LParam)> SendAppMessage;
};
// Returns the hooks installed before.
TActionHooks SetActionHooks(TActionHooks Hooks);

// The shortcut a WM_KEYDOWN/WM_SYSKEYDOWN message stands for: the key of
// CharCode plus Shift and Ctrl as the keyboard holds them now and Alt from
// bit 29 of the key data; 0 for other messages and keys above 255.
TShortCut ShortCutFromMessage(const TMessage& Message);
