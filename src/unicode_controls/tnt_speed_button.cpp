#include "unicode_controls/tnt_speed_button.h"

#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "framework/forms.h"

TButtonGlyph* GetButtonGlyph(TControl* Control) {
  auto* button = dynamic_cast<ITntGlyphButton*>(Control);
  if (button == nullptr) {
    throw ETntInternalError(L"Internal Error: Control does not support ITntGlyphButton.");
  }
  return button->GetButtonGlyph();
}

void TTntSpeedButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_HINTSHOW:
      if (Message.LParam != 0) WideHintShowSetUp(*reinterpret_cast<THintInfo*>(Message.LParam));
      TTntWideTextControl::Dispatch(Message);
      return;
    case CM_DIALOGCHAR:
      // The 8-bit caption may have lost the hot key; only the wide one counts.
      if (Enabled() && Visible() && Parent() != nullptr && Parent()->Showing() &&
          IsWideCharAccel(Message, Caption())) {
        Click();
        Message.Result = 1;
      }
      return;
    default:
      TTntWideTextControl::Dispatch(Message);
  }
}

void TTntSpeedButton::UpdateInternalGlyphList() {
  ButtonGlyph()->Invalidate();
  Invalidate();
}

bool TTntSpeedButton::HasCaption() {
  if (!Win32PlatformIsUnicode) return TTntWideTextControl::HasCaption();
  return !Caption().empty();
}

void TTntSpeedButton::DrawCaption(TCanvas* Canvas, RECT& Rect, UINT Flags) {
  if (!Win32PlatformIsUnicode) return TTntWideTextControl::DrawCaption(Canvas, Rect, Flags);
  const std::wstring caption = Caption();
  TntDrawTextW(Canvas->Handle(), caption.c_str(), static_cast<int>(caption.size()), &Rect, Flags);
}
