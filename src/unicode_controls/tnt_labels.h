// The Unicode label: the framework's label with a UTF-16 caption and hint,
// drawn with the W text calls, whose hot key may be any UTF-16 character.
#pragma once

#include <windows.h>

#include <string>

#include "framework/labels.h"
#include "unicode_controls/tnt_controls.h"

class TTntCustomLabel : public TCustomLabel {
 public:
  using TCustomLabel::TCustomLabel;

  void Dispatch(TMessage& Message) override;

  // Wide; the ANSI caption and hint stay reachable as Text() and TControl::Hint().
  std::wstring Caption() { return WideGetWindowText(this); }
  void SetCaption(const std::wstring& Value) { WideSetWindowText(this, Value); }
  using TCustomLabel::SetCaption;
  std::wstring Hint() { return WideGetHint(this); }
  void SetHint(const std::wstring& Value) { WideSetHint(this, Value); }
  using TCustomLabel::SetHint;

 protected:
  // The text drawn: the wide caption.
  virtual std::wstring GetWideLabelText();
  std::string GetLabelText() override;
  void DoDrawText(RECT& Rect, UINT Flags) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLinkClass GetActionLinkClass() override;

 private:
  void CMDialogChar(TMessage& Message);
};

class TTntLabel : public TTntCustomLabel {
 public:
  using TTntCustomLabel::TTntCustomLabel;
};
