// Wide captions and hints for actions, and the action links that carry them to
// Unicode clients.
//   IWideAction            marks an action (a TCustomAction) that keeps a wide
//                          caption and hint beside the framework's ANSI ones.
//   TTntAction, TTntHintAction  the wide actions.
//   TCustomActionHelper    the wide texts of one wide action; owned by it.
//   TTnt...ActionLink      links that compare and copy the wide texts; a
//                          Unicode control gets its link from
//                          GetUnicodeActionLinkClass.
// Plain framework actions keep working: their texts are taken in ANSI form.
#pragma once

#include <string>

#include "framework/actions.h"
#include "framework/button_controls.h"
#include "framework/controls.h"
#include "framework/menus.h"

// Carried by every wide action; found with dynamic_cast.
class IWideAction {
 public:
  virtual ~IWideAction() = default;
};

// A TCustomAction that carries IWideAction.
bool IsWideAction(const TObject* Action);

class TTntAction : public TAction, public IWideAction {
 public:
  explicit TTntAction(TComponent* AOwner);
  std::wstring Caption();
  void SetCaption(const std::wstring& Value);
  using TAction::SetCaption;
  std::wstring Hint();
  void SetHint(const std::wstring& Value);
  using TAction::SetHint;
  // From a TCustomAction or a TControl the wide caption and hint come along.
  void Assign(TPersistent* Source) override;
};

class TTntHintAction : public THintAction, public IWideAction {
 public:
  explicit TTntHintAction(TComponent* AOwner);
  std::wstring Caption();
  void SetCaption(const std::wstring& Value);
  using THintAction::SetCaption;
  std::wstring Hint();
  void SetHint(const std::wstring& Value);
  using THintAction::SetHint;
  void Assign(TPersistent* Source) override;
};

// The wide caption and hint of one wide action, owned by it. While a wide set
// hands the new text to the links, the action still answers the previous wide
// text (a link compares its client with it) and the links give their clients
// the new one.
class TCustomActionHelper : public TComponent {
 public:
  // AAction must be a wide action; it owns the helper.
  explicit TCustomActionHelper(TCustomAction* AAction);
  TCustomAction* Action() const { return FAction; }

  std::wstring Caption();
  void SetCaption(const std::wstring& Value);
  std::wstring Hint();
  void SetHint(const std::wstring& Value);
  // What a link gives its client for the ANSI Value the action passes on.
  std::wstring CaptionForClient(const std::string& Value);
  std::wstring HintForClient(const std::string& Value);

 private:
  TCustomAction* FAction;
  std::wstring FWideCaption;
  bool FCaptionSetting = false;
  std::wstring FPreviousCaption;
  std::wstring FNewCaption;
  std::string FNewAnsiCaption;
  std::wstring FWideHint;
  bool FHintSetting = false;
  std::wstring FPreviousHint;
  std::wstring FNewHint;
  std::string FNewAnsiHint;
};

// nullptr for an action that is not wide; else its helper, made when absent.
TCustomActionHelper* GetActionHelper(TBasicAction* Action);
std::wstring WideGetActionCaption(TCustomAction* Action);
void WideSetActionCaption(TCustomAction* Action, const std::wstring& Value);
std::wstring WideGetActionHint(TCustomAction* Action);
void WideSetActionHint(TCustomAction* Action, const std::wstring& Value);
// What a link gives its client for the ANSI Value the action passes on: the
// new wide text while a wide set is in progress, else Value converted.
std::wstring WideActionCaptionForClient(TCustomAction* Action, const std::string& Value);
std::wstring WideActionHintForClient(TCustomAction* Action, const std::string& Value);

// Links that compare the wide texts (exactly) and copy them to the client.
class TTntControlActionLink : public TControlActionLink {
 public:
  using TControlActionLink::TControlActionLink;
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetHint(const std::string& Value) override;
};

class TTntWinControlActionLink : public TWinControlActionLink {
 public:
  using TWinControlActionLink::TWinControlActionLink;
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetHint(const std::string& Value) override;
};

// The link of button controls (the framework's also carries Checked).
class TTntButtonActionLink : public TButtonActionLink {
 public:
  using TButtonActionLink::TButtonActionLink;
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetHint(const std::string& Value) override;
};

// Captions are compared ignoring hot keys and case.
class TTntMenuActionLink : public TMenuActionLink {
 public:
  using TMenuActionLink::TMenuActionLink;
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetHint(const std::string& Value) override;
};

// The Unicode link for Control: the first entry of an ordered table whose
// class test accepts it. The table ends with TButtonControl, TWinControl and
// TControl; the classes that need links of their own register them (most
// derived first, as the entries are tested in registration order, ahead of
// those three).
TControlActionLinkClass GetUnicodeActionLinkClass(TControl* Control);
using TControlClassTest = bool (*)(TControl* Control);
void RegisterUnicodeActionLinkClass(TControlClassTest IsOfClass, TControlActionLinkClass LinkClass);
template <typename C, typename L>
void RegisterUnicodeActionLinkClass() {
  RegisterUnicodeActionLinkClass([](TControl* c) { return dynamic_cast<C*>(c) != nullptr; },
                                 &NewActionLink<L>);
}

// From every Unicode control's ActionChange, before the inherited one: a wide
// action's caption and hint become the control's (CheckDefaults: only where
// the control has none of its own).
void TntControlActionChange(TControl* Control, TObject* Action, bool CheckDefaults);
