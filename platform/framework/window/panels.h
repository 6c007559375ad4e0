// Panels: a windowed control that holds others and paints itself: an outer
// and an inner bevel with a border between them, and a caption centred (or
// aligned) on one line in the middle.
// Also Frame3D, the bevel drawing other painted controls share.
#pragma once

#include <windows.h>

#include <string>

#include "framework/controls.h"
#include "framework/forms.h"

enum TBevelCut : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
using TPanelBevel = TBevelCut;

// Width rings of lines inside Rect: top and left in TopColor, bottom and right
// in BottomColor; Rect shrinks by Width on every side.
void Frame3D(TCanvas* Canvas, RECT& Rect, TColor TopColor, TColor BottomColor, int Width);

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  // bvLowered draws the bevel sunk in; every other cut but bvNone raised.
  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel Value);
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel Value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int Value);
  // The space, in the panel's colour, between the two bevels.
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);
  // bsSingle: a sunken client edge around the panel's window.
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // Under a theme the parent's background shows through instead of Color.
  bool ParentBackground() const { return (FControlStyle & csParentBackground) != 0; }
  void SetParentBackground(bool Value);
  // Every resize repaints the whole panel (else only the bevels that moved,
  // when there is no caption).
  bool FullRepaint() const { return FFullRepaint; }
  void SetFullRepaint(bool Value) { FFullRepaint = Value; }

  // The children stay inside the bevels and the border.
  void AlignControls(TControl* AControl, RECT& Rect) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  // Bevels, border, background and the caption (Text).
  void PaintPanel(const std::wstring& Text);

 private:
  void WMWindowPosChanged(TMessage& Message);

  TAlignment FAlignment = taCenter;
  TPanelBevel FBevelInner = bvNone;
  TPanelBevel FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TBorderStyle FBorderStyle = bsNone;
  bool FFullRepaint = true;
};

class TPanel : public TCustomPanel {
 public:
  using TCustomPanel::TCustomPanel;
};
