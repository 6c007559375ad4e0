// Unicode buttons, check boxes, radio buttons and group boxes over the
// framework's ANSI ones: Unicode windows, wide captions and hints, wide
// action texts and accelerators that match a wide hot key. The group box
// paints its wide caption itself.
#pragma once

#include <string>

#include "framework/button_controls.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_controls.h"

// What every Unicode control of this family adds to its framework Base: the
// wide caption and hint (the ANSI setters stay reachable), the wide action
// texts ahead of the inherited ActionChange, and the Unicode action link.
template <typename Base>
class TTntWideTextControl : public Base {
 public:
  using Base::Base;
  std::wstring Caption() { return WideGetWindowText(this); }
  void SetCaption(const std::wstring& Value) { WideSetWindowText(this, Value); }
  using Base::SetCaption;
  std::wstring Hint() { return WideGetHint(this); }
  void SetHint(const std::wstring& Value) { WideSetHint(this, Value); }
  using Base::SetHint;

 protected:
  void ActionChange(TObject* Sender, bool CheckDefaults) override {
    TntControlActionChange(this, Sender, CheckDefaults);
    Base::ActionChange(Sender, CheckDefaults);
  }
  TControlActionLinkClass GetActionLinkClass() override { return GetUnicodeActionLinkClass(this); }
};

class TTntButton : public TTntWideTextControl<TButton> {
 public:
  using TTntWideTextControl::TTntWideTextControl;
  // A matching wide hot key clicks the button.
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
};

class TTntCustomCheckBox : public TTntWideTextControl<TCustomCheckBox> {
 public:
  using TTntWideTextControl::TTntWideTextControl;
  // A matching wide hot key focuses the box and toggles it.
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
};

class TTntCheckBox : public TTntCustomCheckBox {
 public:
  using TTntCustomCheckBox::TTntCustomCheckBox;
};

class TTntRadioButton : public TTntWideTextControl<TRadioButton> {
 public:
  using TTntWideTextControl::TTntWideTextControl;
  // A matching wide hot key focuses the button.
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
};

class TTntCustomGroupBox : public TTntWideTextControl<TCustomGroupBox> {
 public:
  using TTntWideTextControl::TTntWideTextControl;
  // A matching wide hot key focuses the first control inside.
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void Paint() override;
};

class TTntGroupBox : public TTntCustomGroupBox {
 public:
  using TTntCustomGroupBox::TTntCustomGroupBox;
};
