// TSlider: the skinnable bitmap slider (seek and volume bars, equaliser bands,
// the playlist's scroll bar). It draws a ruler picture, optionally a progress
// picture from the minimum end up to the thumb, and a TSliderThumb child with
// up to three frames (normal, pressed, hot). Dragging the thumb or pressing on
// the track changes Value and raises OnChange.
//
// Ownership: the slider owns its six pictures, the ruler copy and the thumb.
// Until a skin assigns its own pictures, each picture holds the program's
// built-in one ("HPR", "HRL", "HTB", "VPR", "VRL", "VTB").
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/bitmaps.h"
#include "framework/controls.h"
#include "framework/images.h"

enum TSliderOrientation : uint8_t { soHorizontal, soVertical };
// vsDownUp: the minimum at the bottom.
enum TVerticalStyle : uint8_t { vsDownUp, vsUpDown };
using TNumThumbStates = uint8_t;  // 1..3

// Index of a slider picture; bit (1 << index) of UserImages.
enum TSliderImage : uint8_t {
  siHProgress, siHRuler, siHThumb, siVProgress, siVRuler, siVThumb
};

class TSliderThumb : public TPaintBox {
 public:
  explicit TSliderThumb(TComponent* AOwner);
  ~TSliderThumb() override;

  // NumStates frames side by side; owned.
  TBitmap* Picture() const { return FPicture.get(); }
  // Copies Value and takes the size of one frame, keeping Left and Top.
  void SetPicture(TBitmap* Value);
  TColor TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(TColor Value);
  bool Pressed() const { return FPressed; }
  void SetPressed(bool Value);
  // 1..3; a change re-sizes the thumb to one frame.
  uint8_t NumStates() const { return FNumStates; }
  void SetNumStates(uint8_t Value);
  bool Hot() const { return FHot; }

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;

 private:
  void SizeToFrame();
  RECT FrameRect() const;

  std::unique_ptr<TBitmap> FPicture;
  TColor FTransparentColor = 0xFF0000;
  bool FPressed = false;
  uint8_t FNumStates = 3;
  bool FHot = false;
};

class TSlider : public TCustomControl {
 public:
  explicit TSlider(TComponent* AOwner);
  ~TSlider() override;

  // Pictures. nullptr restores the built-in picture and clears the UserImages bit.
  TBitmap* Images(TSliderImage Index) const { return FImages[Index].get(); }
  void SetImage(TSliderImage Index, TBitmap* Bitmap);
  uint8_t UserImages() const { return FUserImages; }
  TBitmap* ImageHProgress() const { return FImages[siHProgress].get(); }
  TBitmap* ImageHRuler() const { return FImages[siHRuler].get(); }
  TBitmap* ImageHThumb() const { return FImages[siHThumb].get(); }
  TBitmap* ImageVProgress() const { return FImages[siVProgress].get(); }
  TBitmap* ImageVRuler() const { return FImages[siVRuler].get(); }
  TBitmap* ImageVThumb() const { return FImages[siVThumb].get(); }
  void SetImageHProgress(TBitmap* Value) { SetImage(siHProgress, Value); }
  void SetImageHRuler(TBitmap* Value) { SetImage(siHRuler, Value); }
  void SetImageHThumb(TBitmap* Value) { SetImage(siHThumb, Value); }
  void SetImageVProgress(TBitmap* Value) { SetImage(siVProgress, Value); }
  void SetImageVRuler(TBitmap* Value) { SetImage(siVRuler, Value); }
  void SetImageVThumb(TBitmap* Value) { SetImage(siVThumb, Value); }
  // The current orientation's ruler as laid out (owned).
  TBitmap* Ruler() const { return FRuler.get(); }
  TSliderThumb* Thumb() const { return FThumb; }

  int32_t EdgeSize() const { return FEdgeSize; }
  // Accepted only below half the ruler's length; the ends drawn are 5 pixels
  // whatever it is.
  void SetEdgeSize(int32_t Value);
  TNumThumbStates NumThumbStates() const { return FThumb->NumStates(); }
  void SetNumThumbStates(TNumThumbStates Value);
  TSliderOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TSliderOrientation Value);
  bool ShowProgress() const { return FShowProgress; }
  void SetShowProgress(bool Value);
  TVerticalStyle VerticalStyle() const { return FVerticalStyle; }
  void SetVerticalStyle(TVerticalStyle Value);
  bool ThumbVisible() const { return FThumb->Visible(); }
  void SetThumbVisible(bool Value);
  // True from the thumb's left press to its release.
  bool Tracking() const { return FTracking; }

  // MinValue <= Value <= MaxValue after every SetValue. A MinValue above
  // MaxValue (or a MaxValue below MinValue) is ignored.
  int32_t MinValue() const { return FMinValue; }
  void SetMinValue(int32_t Value);
  int32_t MaxValue() const { return FMaxValue; }
  void SetMaxValue(int32_t Value);
  int32_t Value() const { return FValue; }
  // Clamped into range; OnChange when the stored value changes.
  void SetValue(int32_t Value);

  // The thumb's position along the track for a value and back; both round
  // halves to even and work in 64 bits.
  int32_t ValueToPixel(int32_t Value);
  int32_t PixelToValue(int32_t Pixel);
  // Width (or height) minus the thumb's; never negative.
  int32_t TrackLength() const;

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }
  // Kept for skins' sake; never raised.
  const TNotifyEvent& OnDrawPoints() const { return FOnDrawPoints; }
  void SetOnDrawPoints(TNotifyEvent Value) { FOnDrawPoints = std::move(Value); }
  const TNotifyEvent& OnStartTracking() const { return FOnStartTracking; }
  void SetOnStartTracking(TNotifyEvent Value) { FOnStartTracking = std::move(Value); }
  const TNotifyEvent& OnStopTracking() const { return FOnStopTracking; }
  void SetOnStopTracking(TNotifyEvent Value) { FOnStopTracking = std::move(Value); }

  // Re-applies every picture whose UserImages bit is set, so a thumb picture
  // given while loading reaches the thumb and the layout is redone.
  void Loaded() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  virtual void Change();
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Resize() override;
  // Bound to the thumb's mouse events.
  virtual void ThumbMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void ThumbMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  virtual void ThumbMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

 private:
  void LoadBuiltInImage(TSliderImage Index);
  void Layout();
  // The thumb at a pixel of the track, clamped; the value stays.
  void PlaceThumb(int32_t Pixel);
  // The pointer's pixel: the thumb goes there (to the nearest value's pixel
  // while tracking) and, while dragging, the value follows it.
  void SetThumbPos(int32_t Pixel);
  bool IsVertical() const { return FOrientation == soVertical; }
  bool MinimumAtBottom() const { return IsVertical() && FVerticalStyle == vsDownUp; }
  TSliderImage ThumbImage() const { return IsVertical() ? siVThumb : siHThumb; }
  void PaintRuler(HDC DC);
  void PaintProgress(HDC DC);

  std::unique_ptr<TBitmap> FImages[6];
  uint8_t FUserImages = 0;
  int32_t FEdgeSize = 2;
  std::unique_ptr<TBitmap> FRuler;
  TSliderThumb* FThumb;
  TSliderOrientation FOrientation = soHorizontal;
  int32_t FMinValue = 0;
  int32_t FMaxValue = 100;
  int32_t FValue = 0;
  int32_t FGrabOffset = 0;
  bool FDragging = false;
  bool FTrackPress = false;
  bool FThumbPressedFromTrack = false;
  bool FTracking = false;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnDrawPoints;
  TNotifyEvent FOnStartTracking;
  TNotifyEvent FOnStopTracking;
  TVerticalStyle FVerticalStyle = vsDownUp;
  bool FShowProgress = false;
  // The values OnChange is running for, outermost first.
  std::vector<int32_t> FReporting;
};
