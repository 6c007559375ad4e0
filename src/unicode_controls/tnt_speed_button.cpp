#include "unicode_controls/tnt_speed_button.h"

#include "forms.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"

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

void TTntSpeedButton::CalcButtonLayout(TCanvas* Canvas, const RECT& Client, POINT Offset,
                                       POINT& GlyphPos, RECT& TextBounds, UINT BiDiFlags) {
  if (!Win32PlatformIsUnicode) {
    TTntWideTextControl::CalcButtonLayout(Canvas, Client, Offset, GlyphPos, TextBounds, BiDiFlags);
    return;
  }
  SIZE text{0, 0};
  const std::wstring caption = Caption();
  if (!caption.empty()) {
    Canvas->Font()->Assign(Font());
    Canvas->RequiredState({csHandleValid, csFontValid});
    RECT r{0, 0, Client.right - Client.left, 0};
    TntDrawTextW(Canvas->Handle(), caption.c_str(), static_cast<int>(caption.size()), &r,
                 DT_CALCRECT | DT_SINGLELINE | BiDiFlags);
    text = SIZE{r.right - r.left, r.bottom - r.top};
  }
  CalcButtonLayoutRects(Client, Offset, ::GetButtonGlyph(this)->GlyphSize(), text, Layout(),
                        Margin(), Spacing(), BiDiFlags, GlyphPos, TextBounds);
}

void TTntSpeedButton::DrawButtonText(TCanvas* Canvas, const RECT& TextBounds, TButtonState State,
                                     UINT BiDiFlags) {
  if (!Win32PlatformIsUnicode) {
    TTntWideTextControl::DrawButtonText(Canvas, TextBounds, State, BiDiFlags);
    return;
  }
  const std::wstring caption = Caption();
  if (caption.empty()) return;
  Canvas->Font()->Assign(Font());
  Canvas->Brush()->SetStyle(bsClear);
  const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | BiDiFlags;
  auto draw = [&](RECT r, TColor colour) {
    Canvas->Font()->SetColor(colour);
    Canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
    TntDrawTextW(Canvas->Handle(), caption.c_str(), static_cast<int>(caption.size()), &r, flags);
  };
  Canvas->Changing();
  if (State == bsDisabled) {
    RECT r = TextBounds;
    OffsetRect(&r, 1, 1);
    draw(r, clBtnHighlight);
    draw(TextBounds, clBtnShadow);
  } else {
    draw(TextBounds, Font()->Color());
  }
  Canvas->Changed();
  Canvas->Brush()->SetStyle(bsSolid);
}
