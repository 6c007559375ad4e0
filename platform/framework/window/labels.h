// The framework's label: a windowless control that draws its caption on its
// parent. It sizes itself to its text (AutoSize), aligns it across and down,
// wraps or shortens it with an ellipsis, and hands the focus to FocusControl
// when its hot key ("&x" in the caption) is typed with Alt.
//
// Ownership: FocusControl is only pointed to (cleared when it is freed).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/controls.h"

enum TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };
enum TEllipsisPosition : uint8_t { epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis };

class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* AOwner);

  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // Shortens a text that does not fit; only without AutoSize.
  TEllipsisPosition EllipsisPosition() const { return FEllipsisPosition; }
  void SetEllipsisPosition(TEllipsisPosition Value);
  // Not filled with Color; the parent shows through.
  bool Transparent() const { return (FControlStyle & csOpaque) == 0; }
  void SetTransparent(bool Value);
  // '&' marks the hot key (drawn underlined); without it '&' is shown as it is.
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);

 protected:
  // Draws the label's text in Rect on the canvas, or with DT_CALCRECT only
  // measures it into Rect. Embossed in the button colours when disabled.
  virtual void DoDrawText(RECT& Rect, UINT Flags);
  virtual std::string GetLabelText();
  void Paint() override;
  // With AutoSize, the label takes the size of its text (measured on the screen).
  virtual void AdjustBounds();
  // DT_ flag of EllipsisPosition when an ellipsis applies, else 0.
  UINT EllipsisFlag() const;
  // The alignment as drawn, mirrored under right-to-left reading.
  TAlignment DrawnAlignment() const;
  // DoDrawText's work on Text, ANSI or wide (the Unicode layer's):
  // Draw(DC, Text, Rect, Flags) draws or measures it, Measure(Text) gives its
  // width on the canvas. Defined in labels_impl.h.
  template <class TString, class TDraw, class TMeasure>
  void DrawLabelText(TString Text, RECT& Rect, UINT Flags, const TDraw& Draw, const TMeasure& Measure);

 private:
  void CMDialogChar(TMessage& Message);

  bool FAutoSize = true;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  TEllipsisPosition FEllipsisPosition = epNone;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  using TCustomLabel::TCustomLabel;
};
