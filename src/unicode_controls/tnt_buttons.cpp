#include "unicode_controls/tnt_buttons.h"

#include "foundation/tnt_system.h"

// --- TTntButton ---

void TTntButton::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"BUTTON");
}

void TTntButton::Dispatch(TMessage& Message) {
  if (Message.Msg != CM_DIALOGCHAR) {
    TTntWideTextControl::Dispatch(Message);
    return;
  }
  // The ANSI caption may have lost the hot key; only the wide one counts.
  if (IsWideCharAccel(Message, Caption()) && CanFocus()) {
    Click();
    Message.Result = 1;
    return;
  }
  TWinControl::Dispatch(Message);
}

// --- TTntCustomCheckBox ---

void TTntCustomCheckBox::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"BUTTON");
}

void TTntCustomCheckBox::Dispatch(TMessage& Message) {
  if (Message.Msg != CM_DIALOGCHAR) {
    TTntWideTextControl::Dispatch(Message);
    return;
  }
  if (IsWideCharAccel(Message, Caption()) && CanFocus()) {
    SetFocus();
    if (Focused()) Toggle();
    Message.Result = 1;
    return;
  }
  TWinControl::Dispatch(Message);
}

// --- TTntRadioButton ---

void TTntRadioButton::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"BUTTON");
}

void TTntRadioButton::Dispatch(TMessage& Message) {
  if (Message.Msg != CM_DIALOGCHAR) {
    TTntWideTextControl::Dispatch(Message);
    return;
  }
  if (IsWideCharAccel(Message, Caption()) && CanFocus()) {
    SetFocus();
    Message.Result = 1;
    return;
  }
  TWinControl::Dispatch(Message);
}

// --- TTntCustomGroupBox ---

void TTntCustomGroupBox::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"");
}

void TTntCustomGroupBox::Dispatch(TMessage& Message) {
  if (Message.Msg != CM_DIALOGCHAR) {
    TTntWideTextControl::Dispatch(Message);
    return;
  }
  if (IsWideCharAccel(Message, Caption()) && CanFocus()) {
    SelectFirst();
    Message.Result = 1;
    return;
  }
  TWinControl::Dispatch(Message);
}

void TTntCustomGroupBox::Paint() {
  if (!Win32PlatformIsUnicode) {
    TTntWideTextControl::Paint();
    return;
  }
  PaintGroupBox(Caption());
}
