// Windowless picture controls.
//   TPaintBox  an area its OnPaint handler draws on Canvas.
//   TImage     shows its Picture (owned): at its own size from the top-left
//              corner, centred, stretched to the control or scaled keeping its
//              proportions; repaints whenever the picture changes, and with
//              AutoSize takes the picture's size.
#pragma once

#include "framework/bitmaps.h"
#include "framework/controls.h"

class TPaintBox : public TGraphicControl {
 public:
  explicit TPaintBox(TComponent* AOwner);

  const TNotifyEvent& OnPaint() const { return FOnPaint; }
  void SetOnPaint(TNotifyEvent Value) { FOnPaint = std::move(Value); }

 protected:
  // Gives the canvas the control's font and colour (as its brush), then calls
  // OnPaint; nothing is drawn otherwise.
  void Paint() override;

 private:
  TNotifyEvent FOnPaint;
};

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* Picture() const { return FPicture; }
  // Copies Value's graphic.
  void SetPicture(TPicture* Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  // With Stretch: scaled to fit inside the control, keeping the aspect ratio.
  // Without Stretch: shrunk the same way only when larger than the control.
  bool Proportional() const { return FProportional; }
  void SetProportional(bool Value);
  // Sets the graphic's Transparent (now and for graphics assigned later).
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);

  // The rectangle the picture is drawn into.
  RECT DestRect();

 protected:
  void Paint() override;

 private:
  void PictureChanged(TObject* Sender);

  TPicture* FPicture;
  bool FAutoSize = false;
  bool FStretch = false;
  bool FCenter = false;
  bool FProportional = false;
  bool FTransparent = false;
};
