// TFormTitle: a skinned piece of a window's frame (title bar, bottom bar or a
// side) for windows without a system caption or border. It draws a picture
// across its length in one of four styles, and turns a left-button press into
// the system's move loop, or, when Sizeable, into the size loop of the grip
// zone under the pointer.
//
// Ownership: the bar owns copies of its two pictures.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/bitmaps.h"
#include "framework/panels.h"

// dsSimple stretches the picture over the bar; dsStretch tiles its middle
// between two fixed ends; dsComplex puts its centre ornament in the middle
// with fillers on both sides; dsVertical is dsStretch along the height.
enum TDrawStyle : uint8_t { dsSimple, dsStretch, dsComplex, dsVertical };

class TFormTitle : public TCustomPanel {
 public:
  explicit TFormTitle(TComponent* AOwner);
  ~TFormTitle() override;

  TBitmap* ActiveImage() const { return FActiveImage.get(); }
  void SetActiveImage(TBitmap* Value);
  TBitmap* InactiveImage() const { return FInactiveImage.get(); }
  void SetInactiveImage(TBitmap* Value);
  // Lengths of the fixed end pieces and of the dsComplex filler; values of 0
  // or less are ignored.
  int32_t EdgeSize() const { return FEdgeSize; }
  void SetEdgeSize(int32_t Value);
  int32_t MiddleSize() const { return FMiddleSize; }
  void SetMiddleSize(int32_t Value);
  bool Active() const { return FActive; }
  void SetActive(bool Value);
  TDrawStyle DrawStyle() const { return FDrawStyle; }
  void SetDrawStyle(TDrawStyle Value);
  bool Sizeable() const { return FSizeable; }
  void SetSizeable(bool Value);
  // Off: sizing shows only an outline while dragging.
  bool SmoothResize() const { return FSmoothResize; }
  void SetSmoothResize(bool Value) { FSmoothResize = Value; }
  // The side of the square corner grips; ignored above half the bar's width
  // or height.
  int32_t GripSize() const { return FGripSize; }
  void SetGripSize(int32_t Value);
  bool SizeCorners() const { return FSizeCorners; }
  void SetSizeCorners(bool Value) { FSizeCorners = Value; }
  bool SizeVertical() const { return FSizeVertical; }
  void SetSizeVertical(bool Value) { FSizeVertical = Value; }
  bool SizeHorizontal() const { return FSizeHorizontal; }
  void SetSizeHorizontal(bool Value) { FSizeHorizontal = Value; }

  // What a left press at (X, Y) of the bar does: gzMove, a WMSZ_* edge
  // (WMSZ_LEFT .. WMSZ_BOTTOMRIGHT) to size from, or gzNothing. Not Sizeable
  // always moves.
  static constexpr int gzNothing = -1;
  static constexpr int gzMove = 0;
  int GripZoneAt(int X, int Y);

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;

 private:
  // The parent form, when it is one and not maximised.
  TCustomForm* MovableForm();
  void RunSizeLoop(TCustomForm* Form, int Edge);
  void PaintNow();
  void ComposeStretch(HDC DC, TBitmap* Picture);
  void ComposeComplex(HDC DC, TBitmap* Picture);
  void ComposeVertical(HDC DC, TBitmap* Picture);

  std::unique_ptr<TBitmap> FActiveImage;
  std::unique_ptr<TBitmap> FInactiveImage;
  int32_t FEdgeSize = 20;
  int32_t FMiddleSize = 10;
  bool FActive = true;
  TDrawStyle FDrawStyle = dsSimple;
  bool FSizeable = false;
  bool FSmoothResize = true;
  int32_t FGripSize = 12;
  bool FSizeCorners = true;
  bool FSizeVertical = true;
  bool FSizeHorizontal = true;
};
