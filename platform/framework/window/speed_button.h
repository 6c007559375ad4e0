// The speed button: a windowless push button with a caption and a glyph, as
// tool bars and "..." browse buttons use it.
//   TButtonGlyph  the glyph picture: a strip of 1 to 4 images of equal width
//                 (up, disabled, down, exclusive), the bottom-left pixel's
//                 colour transparent; a missing disabled image is made by
//                 embossing the up image in the button shadow colours.
//   TSpeedButton  pressed while the left button is held inside; OnClick on
//                 release inside. With a GroupIndex it stays down when
//                 clicked (Down) and pushes up the buttons of its group beside
//                 it; a down button comes up again only with AllowAllUp.
//                 Flat buttons show an edge only while hot or down.
// The caption goes through two virtual steps, CalcButtonLayout (its size and
// place) and DrawButtonText, which measure and draw it through HasCaption and
// DrawCaption, so a layer above can draw a text of its own.
//
// Ownership: a speed button owns its glyph object, which owns its pictures.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/bitmaps.h"
#include "framework/controls.h"

enum TButtonLayout : uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState : uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };

class TButtonGlyph {
 public:
  TButtonGlyph();
  ~TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  // Owned; empty for none.
  TBitmap* Glyph() const { return FOriginal; }
  // A copy of Value (nullptr empties). A strip whose width is 1 to 4 times
  // its height sets NumGlyphs to that count.
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return FNumGlyphs; }
  // Clamped to 1..4.
  void SetNumGlyphs(int Value);
  // The size of one image; (0, 0) without a glyph.
  SIZE GlyphSize() const;
  // The image for State with its top-left corner at Pos.
  void DrawGlyph(TCanvas* Canvas, POINT Pos, TButtonState State);
  // Forgets the images made for the states (the glyph's pixels changed).
  void Invalidate();

  // After every change of the picture or the image count.
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 private:
  TBitmap* StateImage(TButtonState State);
  void GlyphChanged();

  TBitmap* FOriginal;
  int FNumGlyphs = 1;
  TBitmap* FImages[4] = {};
  TNotifyEvent FOnChange;
};

// Where the glyph (its top-left corner) and the text go inside Client, moved
// by Offset. Margin is the room from the edge to the glyph (-1: the content
// centred), Spacing the room between glyph and text (-1: the free room shared
// out evenly). A right-to-left reading (DT_RTLREADING in BiDiFlags) swaps left
// and right.
void CalcButtonLayoutRects(const RECT& Client, POINT Offset, SIZE GlyphSize, SIZE TextSize,
                           TButtonLayout Layout, int Margin, int Spacing, UINT BiDiFlags,
                           POINT& GlyphPos, RECT& TextBounds);

class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  void Dispatch(TMessage& Message) override;
  // Only a down button answers a double click.
  void DblClick() override;

  TBitmap* Glyph() const { return FGlyph->Glyph(); }
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return FGlyph->NumGlyphs(); }
  void SetNumGlyphs(int Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  int Margin() const { return FMargin; }
  void SetMargin(int Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  // Buttons of one parent with the same non-zero index act as a group.
  int32_t GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int32_t Value);
  bool Down() const { return FDown; }
  // Only in a group; a down button does not come up without AllowAllUp.
  void SetDown(bool Value);
  bool AllowAllUp() const { return FAllowAllUp; }
  // Shared with the group.
  void SetAllowAllUp(bool Value);
  // A flat button not hot or down leaves its parent showing.
  bool Transparent() const { return (FControlStyle & csOpaque) == 0; }
  void SetTransparent(bool Value);

  TButtonState State() const { return FState; }
  // The mouse is over the button (hot).
  bool MouseInControl() const { return FMouseInControl; }

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // Places glyph and caption inside Client (moved by Offset), measuring the
  // caption on Canvas.
  virtual void CalcButtonLayout(TCanvas* Canvas, const RECT& Client, POINT Offset,
                                POINT& GlyphPos, RECT& TextBounds, UINT BiDiFlags);
  // The caption centred in TextBounds; embossed when disabled.
  virtual void DrawButtonText(TCanvas* Canvas, const RECT& TextBounds, TButtonState State,
                              UINT BiDiFlags);
  // A caption to draw; DrawCaption draws it (or measures it with
  // DT_CALCRECT) in Rect on Canvas, whose font and state are set.
  virtual bool HasCaption();
  virtual void DrawCaption(TCanvas* Canvas, RECT& Rect, UINT Flags);
  TButtonGlyph* ButtonGlyph() const { return FGlyph; }

 private:
  // Disabled follows Enabled; an enabled button leaves bsDisabled.
  void SettleState();
  void UpdateExclusive();
  void CMButtonPressed(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  bool Inside(int X, int Y);

  TButtonGlyph* FGlyph;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
  bool FFlat = false;
  int32_t FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  bool FDragging = false;
  bool FMouseInControl = false;
  TButtonState FState = bsUp;
};
