// Buttons and group boxes.
//   TButtonControl   the base of the "BUTTON" windows: a Checked pair that
//                    descendants give a meaning, clicks that can be held back
//                    while the program sets the state (ClicksDisabled), and
//                    WordWrap (BS_MULTILINE).
//   TButton          a push button: BN_CLICKED clicks it; Default answers Enter
//                    and Cancel answers Esc on its form; a click sets the
//                    form's ModalResult; the focused button (or else the
//                    default one) shows as the default push button.
//   TCustomCheckBox  three states; a click toggles (unchecked, grayed when
//                    allowed, checked); OnClick runs on every change of state
//                    unless clicks are disabled.
//   TRadioButton     checking one unchecks the radio buttons beside it.
//   TCustomGroupBox  a frame with a caption, painted by the control itself,
//                    that holds other controls.
// The state lives in the control, so captions and check states survive the
// window being made anew (RecreateWnd).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/controls.h"
#include "framework/forms.h"

class TButtonControl;

// Carries the action's Checked to a button control (the state is set with
// clicks disabled: the action already knows).
class TButtonActionLink : public TWinControlActionLink {
 public:
  using TWinControlActionLink::TWinControlActionLink;
  bool IsCheckedLinked() override;
  void SetChecked(bool Value) override;

 private:
  TButtonControl* Button() const;
};

class TButtonControl : public TWinControl {
 public:
  explicit TButtonControl(TComponent* AOwner);

  bool Checked() { return GetChecked(); }
  // Nothing in the base: push buttons have no state.
  virtual void SetChecked(bool Value);
  bool ClicksDisabled() const { return FClicksDisabled; }
  void SetClicksDisabled(bool Value) { FClicksDisabled = Value; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

  // A press of the mouse focuses the button first with clicks disabled: a
  // radio button clicks itself when it takes the focus.
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  virtual bool GetChecked() { return false; }
  void CreateParams(TCreateParams& Params) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLinkClass GetActionLinkClass() override;

 private:
  bool FClicksDisabled = false;
  bool FWordWrap = false;
};

class TButton : public TButtonControl {
 public:
  explicit TButton(TComponent* AOwner);

  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }

  // Sets the parent form's ModalResult, then the inherited click.
  void Click() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // BS_DEFPUSHBUTTON when ADefault, else BS_PUSHBUTTON.
  virtual void SetButtonStyle(bool ADefault);

 private:
  bool FDefault = false;
  bool FCancel = false;
  bool FActive = false;  // shows as (and acts as) the default push button now
  TModalResult FModalResult = mrNone;
};

enum TCheckBoxState : uint8_t { cbUnchecked, cbChecked, cbGrayed };

class TCustomCheckBox : public TButtonControl {
 public:
  explicit TCustomCheckBox(TComponent* AOwner);

  // taRightJustify: the text right of the box; taLeftJustify: left of it.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState Value);
  void SetChecked(bool Value) override;
  // Unchecked -> grayed (when allowed) or checked; checked -> unchecked;
  // grayed -> checked.
  virtual void Toggle();

  void Dispatch(TMessage& Message) override;

 protected:
  bool GetChecked() override { return FState == cbChecked; }
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  TAlignment FAlignment = taRightJustify;
  bool FAllowGrayed = false;
  TCheckBoxState FState = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
 public:
  using TCustomCheckBox::TCustomCheckBox;
};

class TRadioButton : public TButtonControl {
 public:
  explicit TRadioButton(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  // Checking also makes it the tab stop of its group and unchecks the other
  // radio buttons of the same parent.
  void SetChecked(bool Value) override;

  void Dispatch(TMessage& Message) override;

 protected:
  bool GetChecked() override { return FChecked; }
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  void TurnSiblingsOff();

  TAlignment FAlignment = taRightJustify;
  bool FChecked = false;
};

class TCustomGroupBox : public TCustomControl {
 public:
  explicit TCustomGroupBox(TComponent* AOwner);

  // A frame of a light and a dark line (true), or one window-frame line.
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);

  // The children stay inside the frame, below the caption.
  void AlignControls(TControl* AControl, RECT& Rect) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  // Frame and caption (Text), themed when themes are on.
  void PaintGroupBox(const std::wstring& Text);
  // The first child that can take the focus (tab stops first) becomes the
  // form's active control.
  void SelectFirst();

 private:
  bool FCtl3D = true;
};

class TGroupBox : public TCustomGroupBox {
 public:
  using TCustomGroupBox::TCustomGroupBox;
};
