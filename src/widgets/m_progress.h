// TMProgress: a progress bar (or a plain percentage) with the percentage
// centred on it. The text is XOR-ed onto the bar, so it shows inverted where
// it crosses the bar. The percentage is worked out in 64 bits; a range of
// zero width is 0 %.
#pragma once

#include <cstdint>

#include "framework/bitmaps.h"
#include "framework/controls.h"
#include "framework/forms.h"

enum TMKind : uint8_t { gkText, gkHorizontalBar, gkVerticalBar };

// A bitmap that takes another's size, filled with the window-frame colour.
class TBltBitmap : public TBitmap {
 public:
  void MakeLike(TBitmap* ATemplate);
};

class TMProgress : public TGraphicControl {
 public:
  explicit TMProgress(TComponent* AOwner);
  ~TMProgress() override;

  int32_t MinValue() const { return FMinValue; }
  // Above MaxValue raises EInvalidOperation (not while loading); lifts Progress.
  void SetMinValue(int32_t Value);
  int32_t MaxValue() const { return FMaxValue; }
  // Below MinValue raises EInvalidOperation (not while loading); lowers Progress.
  void SetMaxValue(int32_t Value);
  int32_t Progress() const { return FCurValue; }
  // Clamped into MinValue..MaxValue; repaints only when PercentDone changes.
  void SetProgress(int32_t Value);
  // 0..100.
  int32_t PercentDone() const;

  TMKind Kind() const { return FKind; }
  void SetKind(TMKind Value);
  bool ShowText() const { return FShowText; }
  void SetShowText(bool Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TColor ForeColor() const { return FForeColor; }
  void SetForeColor(TColor Value);
  TColor BackColor() const { return FBackColor; }
  void SetBackColor(TColor Value);

 protected:
  void Paint() override;

 private:
  void PaintBar(TBitmap* Image, const RECT& PaintRect);
  void PaintText(TBitmap* Image, const RECT& PaintRect);

  int32_t FMinValue = 0;
  int32_t FMaxValue = 100;
  int32_t FCurValue = 0;
  TMKind FKind = gkHorizontalBar;
  bool FShowText = true;
  TBorderStyle FBorderStyle = bsSingle;
  TColor FForeColor = clBlack;
  TColor FBackColor = clWhite;
};
