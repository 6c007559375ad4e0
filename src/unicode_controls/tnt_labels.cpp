#include "unicode_controls/tnt_labels.h"

#include "foundation/tnt_system.h"
#include "framework/format.h"
#include "framework/forms.h"
#include "framework/labels_impl.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_graphics.h"

void TTntCustomLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR:
      CMDialogChar(Message);
      return;
    case CM_HINTSHOW:
      if (Message.LParam != 0) WideHintShowSetUp(*reinterpret_cast<THintInfo*>(Message.LParam));
      TCustomLabel::Dispatch(Message);
      return;
    default:
      TCustomLabel::Dispatch(Message);
  }
}

// The ANSI caption's hot key is not asked: a caption without an ANSI form
// shows '?' there, which would answer to a typed '?'.
void TTntCustomLabel::CMDialogChar(TMessage& Message) {
  TWinControl* target = FocusControl();
  if (target == nullptr || !Enabled() || !ShowAccelChar()) return;
  if (!IsWideCharAccel(Message, Caption()) || !target->CanFocus()) return;
  target->SetFocus();
  Message.Result = 1;
}

std::wstring TTntCustomLabel::GetWideLabelText() { return Caption(); }

std::string TTntCustomLabel::GetLabelText() { return WideToAnsi(GetWideLabelText()); }

void TTntCustomLabel::DoDrawText(RECT& Rect, UINT Flags) {
  if (!Win32PlatformIsUnicode) return TCustomLabel::DoDrawText(Rect, Flags);
  DrawLabelText(
      GetWideLabelText(), Rect, Flags,
      [](HDC DC, const std::wstring& Text, RECT& R, UINT F) { WideDrawText(DC, Text, R, F); },
      [this](const std::wstring& Text) { return WideCanvasTextWidth(Canvas(), Text); });
}

void TTntCustomLabel::ActionChange(TObject* Sender, bool CheckDefaults) {
  TntControlActionChange(this, Sender, CheckDefaults);
  TCustomLabel::ActionChange(Sender, CheckDefaults);
}

TControlActionLinkClass TTntCustomLabel::GetActionLinkClass() {
  return GetUnicodeActionLinkClass(this);
}
