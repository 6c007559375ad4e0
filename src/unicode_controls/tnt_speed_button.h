// The Unicode speed button: the framework's speed button with a wide caption
// and hint; the caption is measured and drawn with the W text calls, in the
// reading direction of the control.
//
// Glyph buttons of this layer reach the framework's glyph object through
// ITntGlyphButton; GetButtonGlyph raises ETntInternalError for a control that
// does not offer it.
#pragma once

#include <string>

#include "framework/speed_button.h"
#include "unicode_controls/tnt_buttons.h"

class ITntGlyphButton {
 public:
  virtual ~ITntGlyphButton() = default;
  virtual TButtonGlyph* GetButtonGlyph() = 0;
  // Makes the state images of the glyph again on the next drawing.
  virtual void UpdateInternalGlyphList() = 0;
};

// "Internal Error: Control does not support ITntGlyphButton." unless Control
// offers the interface.
TButtonGlyph* GetButtonGlyph(TControl* Control);

class TTntSpeedButton : public TTntWideTextControl<TSpeedButton>, public ITntGlyphButton {
 public:
  using TTntWideTextControl::TTntWideTextControl;

  // The hint set-up a window's trap would make, and the wide hot key.
  void Dispatch(TMessage& Message) override;

  TButtonGlyph* GetButtonGlyph() override { return ButtonGlyph(); }
  void UpdateInternalGlyphList() override;

 protected:
  // The wide caption, drawn with the W text calls.
  bool HasCaption() override;
  void DrawCaption(TCanvas* Canvas, RECT& Rect, UINT Flags) override;
};
