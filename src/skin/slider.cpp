#include "skin/slider.h"

#include <algorithm>

#include "framework/exceptions.h"
#include "skin/rounding.h"
#include "skin/skin_cells.h"
#include "skin/skin_resources.h"

using skin_internal::DivRoundHalfEven;

namespace {

constexpr const wchar_t* kBuiltInImages[6] = {L"HPR", L"HRL", L"HTB", L"VPR", L"VRL", L"VTB"};
// The drawn ends of rulers and progress bars, and the step of their middles.
constexpr int kEdge = 5;
constexpr int kTile = 8;

}  // namespace

// ---------------------------------------------------------------- TSliderThumb

TSliderThumb::TSliderThumb(TComponent* AOwner)
    : TPaintBox(AOwner), FPicture(std::make_unique<TBitmap>()) {
  FControlStyle = csCaptureMouse;
  SizeToFrame();
}

TSliderThumb::~TSliderThumb() = default;

void TSliderThumb::SetPicture(TBitmap* Value) {
  if (Value != nullptr && Value != FPicture.get()) FPicture->Assign(Value);
  SizeToFrame();
  Invalidate();
}

void TSliderThumb::SetTransparentColor(TColor Value) {
  if (Value == FTransparentColor) return;
  FTransparentColor = Value;
  Invalidate();
}

void TSliderThumb::SetPressed(bool Value) {
  if (Value == FPressed) return;
  FPressed = Value;
  Invalidate();
}

void TSliderThumb::SetNumStates(uint8_t Value) {
  Value = std::clamp<uint8_t>(Value, 1, 3);
  if (Value == FNumStates) return;
  FNumStates = Value;
  SizeToFrame();
  Invalidate();
}

void TSliderThumb::SizeToFrame() {
  SetBounds(Left(), Top(), FPicture->Width() / FNumStates, FPicture->Height());
}

RECT TSliderThumb::FrameRect() const {
  const int w = FPicture->Width(), h = FPicture->Height();
  const int frame = w / FNumStates;
  int left = 0;
  if (FNumStates == 2 && FPressed) left = w / 2;
  if (FNumStates == 3) left = FPressed ? w / 3 : FHot ? w / 3 * 2 : 0;
  return RECT{left, 0, left + frame, h};
}

void TSliderThumb::Paint() {
  const RECT source = FrameRect();
  const int w = source.right - source.left, h = source.bottom - source.top;
  if (w <= 0 || h <= 0) return;
  TBitmap frame;
  frame.SetPixelFormat(pf24bit);
  frame.SetSize(w, h);
  HDC frameDC = frame.Canvas()->Handle();
  BitBlt(frameDC, 0, 0, w, h, FPicture->Canvas()->Handle(), source.left, source.top, SRCCOPY);

  // The mask is white where the frame has the see-through colour: there the
  // destination is kept, elsewhere the frame replaces it. Monochrome blits
  // take their colours from the destination's text (0) and background (1).
  HDC dest = Canvas()->Handle();
  HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
  HDC maskDC = CreateCompatibleDC(dest);
  HGDIOBJ oldMask = SelectObject(maskDC, mask);
  SetBkColor(frameDC, ColorToRGB(FTransparentColor));
  BitBlt(maskDC, 0, 0, w, h, frameDC, 0, 0, SRCCOPY);
  SetTextColor(frameDC, RGB(0, 0, 0));
  SetBkColor(frameDC, RGB(255, 255, 255));
  BitBlt(frameDC, 0, 0, w, h, maskDC, 0, 0, 0x00220326);  // DSna: see-through pixels black
  const COLORREF oldText = SetTextColor(dest, RGB(0, 0, 0));
  const COLORREF oldBack = SetBkColor(dest, RGB(255, 255, 255));
  BitBlt(dest, 0, 0, w, h, maskDC, 0, 0, SRCAND);
  BitBlt(dest, 0, 0, w, h, frameDC, 0, 0, SRCPAINT);
  SetTextColor(dest, oldText);
  SetBkColor(dest, oldBack);
  SelectObject(maskDC, oldMask);
  DeleteDC(maskDC);
  DeleteObject(mask);
}

void TSliderThumb::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_MOUSEENTER || Message.Msg == CM_MOUSELEAVE) {
    FHot = Message.Msg == CM_MOUSEENTER;
    Invalidate();
  }
  TPaintBox::Dispatch(Message);
}

// ---------------------------------------------------------------- TSlider

TSlider::TSlider(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = csCaptureMouse | csClickEvents;
  FControlState |= csCreating;
  SetBounds(FLeft, FTop, 140, 40);
  SetDoubleBuffered(true);
  SetTabStop(true);
  FRuler = std::make_unique<TBitmap>();
  for (auto& image : FImages) image = std::make_unique<TBitmap>();
  FThumb = new TSliderThumb(this);
  FThumb->SetParent(this);
  FThumb->SetNumStates(2);
  FThumb->SetOnMouseDown([this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    ThumbMouseDown(Sender, Button, Shift, X, Y);
  });
  FThumb->SetOnMouseMove([this](TObject* Sender, TShiftState Shift, int X, int Y) {
    ThumbMouseMove(Sender, Shift, X, Y);
  });
  FThumb->SetOnMouseUp([this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    ThumbMouseUp(Sender, Button, Shift, X, Y);
  });
  for (int i = 0; i < 6; ++i) SetImage(static_cast<TSliderImage>(i), nullptr);
  FControlState &= ~csCreating;
}

TSlider::~TSlider() {
  delete FThumb;
  FThumb = nullptr;
}

void TSlider::LoadBuiltInImage(TSliderImage Index) {
  try {
    LoadGraphicFromResource(kBuiltInImages[Index], FImages[Index].get());
  } catch (const EResNotFound&) {
    // A program built without its pictures still gets a working slider, one
    // that draws nothing until a skin gives it pictures.
    FImages[Index]->SetHandle(nullptr);
  }
}

void TSlider::SetImage(TSliderImage Index, TBitmap* Bitmap) {
  if (Bitmap != nullptr) {
    if (Bitmap != FImages[Index].get()) FImages[Index]->Assign(Bitmap);
    FUserImages |= static_cast<uint8_t>(1u << Index);
  } else {
    LoadBuiltInImage(Index);
    FUserImages &= static_cast<uint8_t>(~(1u << Index));
  }
  if (Index == ThumbImage()) FThumb->SetPicture(FImages[Index].get());
  if (!(FControlState & csCreating)) {
    Layout();
    Invalidate();
  }
}

void TSlider::Loaded() {
  TCustomControl::Loaded();
  for (int i = 0; i < 6; ++i)
    if (FUserImages & (1u << i)) SetImage(static_cast<TSliderImage>(i), FImages[i].get());
}

void TSlider::Layout() {
  const int32_t value = FValue;
  FRuler->Assign(FImages[IsVertical() ? siVRuler : siHRuler].get());
  if (!IsVertical()) {
    if (FRuler->Height() < FThumb->Height())
      FThumb->SetBounds(0, 0, FThumb->Width(), FThumb->Height());
    else
      FThumb->SetBounds(0, (FRuler->Height() - FThumb->Height()) / 2, FThumb->Width(), FThumb->Height());
  } else {
    if (FRuler->Width() < FThumb->Width())
      FThumb->SetBounds(0, 0, FThumb->Width(), FThumb->Height());
    else
      FThumb->SetBounds((FRuler->Width() - FThumb->Width()) / 2, 0, FThumb->Width(), FThumb->Height());
  }
  SetValue(value);
}

int32_t TSlider::TrackLength() const {
  const int32_t length = IsVertical() ? FHeight - FThumb->Height() : FWidth - FThumb->Width();
  return std::max(length, 0);
}

int32_t TSlider::ValueToPixel(int32_t Value) {
  int64_t p = 0;
  if (FMaxValue != FMinValue)
    p = DivRoundHalfEven(TrackLength(), int64_t{Value} - FMinValue, int64_t{FMaxValue} - FMinValue);
  if (MinimumAtBottom()) p = ClientHeight() - p - FThumb->Height();
  return static_cast<int32_t>(std::clamp<int64_t>(p, INT32_MIN, INT32_MAX));
}

int32_t TSlider::PixelToValue(int32_t Pixel) {
  int64_t p = Pixel;
  if (MinimumAtBottom()) p = int64_t{ClientHeight()} - p - FThumb->Height();
  // A thumb as long as the slider leaves no track to divide by.
  const int32_t length = TrackLength();
  if (length == 0) return FMinValue;
  const int64_t v = DivRoundHalfEven(int64_t{FMaxValue} - FMinValue, p, length) + FMinValue;
  return static_cast<int32_t>(std::clamp<int64_t>(v, FMinValue, FMaxValue));
}

void TSlider::PlaceThumb(int32_t Pixel) {
  const int32_t position = std::clamp(Pixel, 0, TrackLength());
  if (IsVertical())
    FThumb->SetTop(position);
  else
    FThumb->SetLeft(position);
}

void TSlider::SetThumbPos(int32_t Pixel) {
  const int32_t p = std::clamp(Pixel, 0, TrackLength());
  const int32_t value = PixelToValue(p);
  PlaceThumb(FTracking ? ValueToPixel(value) : p);
  if (FDragging && value != FValue) {
    FValue = value;
    Change();
  }
}

void TSlider::SetValue(int32_t Value) {
  const int32_t value = std::max(std::min(Value, FMaxValue), FMinValue);
  const int32_t old = FValue;
  FValue = value;
  // Only the thumb follows: taking the value back from its pixel would undo a
  // value no pixel stands for (a centre on a track of more values than
  // pixels), and a handler that sets it again would never end.
  PlaceThumb(ValueToPixel(value));
  Invalidate();
  if (value != old) Change();
}

void TSlider::Change() {
  // A handler may set its own slider's value (the balance snaps to its
  // centre), which reports that change from inside it; the handlers that keep
  // two sliders apart go a few steps deep so. One that leads back to a value
  // still being reported would go round for ever: that value is kept as set
  // and not reported again.
  if (std::find(FReporting.begin(), FReporting.end(), FValue) == FReporting.end() && FOnChange) {
    FReporting.push_back(FValue);
    struct Reported {
      std::vector<int32_t>& values;
      ~Reported() { values.pop_back(); }
    } reported{FReporting};
    FOnChange(this);
  }
  Invalidate();
}

void TSlider::SetMinValue(int32_t Value) {
  if (Value == FMinValue || Value > FMaxValue) return;
  FMinValue = Value;
  PlaceThumb(ValueToPixel(FValue));
  Invalidate();
}

void TSlider::SetMaxValue(int32_t Value) {
  if (Value == FMaxValue || Value < FMinValue) return;
  FMaxValue = Value;
  PlaceThumb(ValueToPixel(FValue));
  Invalidate();
}

void TSlider::SetOrientation(TSliderOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  FThumb->SetPicture(FImages[ThumbImage()].get());
  Layout();
  Invalidate();
}

void TSlider::SetShowProgress(bool Value) {
  FShowProgress = Value;
  Invalidate();
}

void TSlider::SetVerticalStyle(TVerticalStyle Value) {
  FVerticalStyle = Value;
  Layout();
}

void TSlider::SetEdgeSize(int32_t Value) {
  const int32_t length = IsVertical() ? FImages[siVRuler]->Height() : FImages[siHRuler]->Width();
  if (length <= 2 * int64_t{Value} || Value == FEdgeSize) return;
  FEdgeSize = Value;
  Layout();
  Invalidate();
}

void TSlider::SetNumThumbStates(TNumThumbStates Value) {
  if (Value == FThumb->NumStates()) return;
  FThumb->SetNumStates(Value);
  // The thumb's new width changes the track; its place along it follows.
  Layout();
}

void TSlider::SetThumbVisible(bool Value) {
  if (Value == FThumb->Visible()) return;
  FThumb->SetVisible(Value);
  Invalidate();
  FThumb->Invalidate();
  SetEnabled(Value);
}

void TSlider::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
    case WM_SIZE:
      TCustomControl::Dispatch(Message);
      if (!(FControlState & csCreating) && !ComponentState().Contains(csReading)) Layout();
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      // The thumb shows its hot frame whenever the pointer is over the slider.
      TCustomControl::Dispatch(Message);
      FThumb->Perform(Message.Msg, 0, 0);
      return;
    default:
      TCustomControl::Dispatch(Message);
  }
}

void TSlider::Resize() {
  TCustomControl::Resize();
  // Without a window no WM_SIZE comes, yet the thumb must follow the size.
  if (!HandleAllocated() && !(FControlState & csCreating) &&
      !ComponentState().Contains(csReading))
    Layout();
}

void TSlider::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || (Shift & ssDouble)) return;
  SetMouseCapture(true);
  FTrackPress = true;
  FThumbPressedFromTrack = true;
  FThumb->Perform(WM_LBUTTONDOWN, MK_LBUTTON, 0);
}

void TSlider::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FTrackPress) {
    FTrackPress = false;
    SetMouseCapture(false);
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TSlider::ThumbMouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbLeft) return;
  FTracking = true;
  FGrabOffset = IsVertical() ? Y : X;
  if (FThumbPressedFromTrack) {
    // From the next movement on, the thumb's centre sits under the pointer.
    FGrabOffset += IsVertical() ? FThumb->Height() / 2 : FThumb->Width() / 2;
    FThumbPressedFromTrack = false;
  }
  FDragging = true;
  FThumb->SetPressed(true);
  if (FOnStartTracking) FOnStartTracking(this);
}

void TSlider::ThumbMouseMove(TObject*, TShiftState Shift, int X, int Y) {
  if (!FDragging || !(Shift & ssLeft)) return;
  const int32_t pointer = IsVertical() ? Y + FThumb->Top() : X + FThumb->Left();
  SetThumbPos(pointer - FGrabOffset);
}

void TSlider::ThumbMouseUp(TObject*, TMouseButton Button, TShiftState, int, int) {
  if (Button != mbLeft) return;
  FTracking = false;
  FDragging = false;
  FThumb->SetPressed(false);
  if (FOnStopTracking) FOnStopTracking(this);
}

void TSlider::Paint() {
  HDC dc = Canvas()->Handle();
  PaintRuler(dc);
  if (FThumb->Visible() && FShowProgress) PaintProgress(dc);
}

void TSlider::PaintRuler(HDC DC) {
  TBitmap* ruler = FRuler.get();
  if (ruler->Empty()) return;
  if (!IsVertical()) {
    if (ruler->Width() == FWidth) {
      CopySkinPiece(DC, 0, 0, FWidth, FHeight, ruler, 0, 0);
      return;
    }
    const int h = ruler->Height();
    CopySkinPiece(DC, 0, 0, kEdge, h, ruler, 0, 0);
    for (int k = 0; k <= (FWidth - kTile) / kTile; ++k)
      CopySkinPiece(DC, kEdge + kTile * k, 0, kTile, h, ruler, kEdge, 0);
    CopySkinPiece(DC, FWidth - kEdge, 0, kEdge, h, ruler, ruler->Width() - kEdge, 0);
  } else {
    if (ruler->Height() == FHeight) {
      CopySkinPiece(DC, 0, 0, FWidth, FHeight, ruler, 0, 0);
      return;
    }
    const int w = ruler->Width();
    CopySkinPiece(DC, 0, 0, w, kEdge, ruler, 0, 0);
    for (int k = 0; k <= (FHeight - kTile) / kTile; ++k)
      CopySkinPiece(DC, 0, kEdge + kTile * k, w, kTile, ruler, 0, kEdge);
    CopySkinPiece(DC, 0, FHeight - kEdge, w, kEdge, ruler, 0, ruler->Height() - kEdge);
  }
}

void TSlider::PaintProgress(HDC DC) {
  TBitmap* picture = FImages[IsVertical() ? siVProgress : siHProgress].get();
  if (picture->Empty()) return;
  if (MinimumAtBottom()) {
    const int t = FThumb->Top();
    if (FHeight - FThumb->Height() <= t) return;
    if (picture->Height() == FHeight) {
      const int c = t + FThumb->Height() / 2;
      CopySkinPiece(DC, 0, c, picture->Width(), FHeight - c, picture, 0, c);
      return;
    }
    for (int k = 0; k <= (FHeight - t) / kTile; ++k)
      CopySkinPiece(DC, 0, t + kTile * k, picture->Width(), kTile, picture, 0, kEdge);
    CopySkinPiece(DC, 0, FHeight - kEdge, picture->Width(), kEdge, picture, 0, picture->Height() - kEdge);
    return;
  }
  // From the minimum end at 0 along x (horizontal) or y (vertical, minimum on top).
  const bool vertical = IsVertical();
  const int t = vertical ? FThumb->Top() : FThumb->Left();
  const int c = t + (vertical ? FThumb->Height() / 2 : FThumb->Width() / 2);
  const int across = vertical ? picture->Width() : picture->Height();
  const int along = vertical ? picture->Height() : picture->Width();
  auto piece = [&](int at, int length, int from) {
    if (vertical)
      CopySkinPiece(DC, 0, at, across, length, picture, 0, from);
    else
      CopySkinPiece(DC, at, 0, length, across, picture, from, 0);
  };
  if (t <= 0) return;
  if (along == (vertical ? FHeight : FWidth)) {
    piece(0, c, 0);
    return;
  }
  piece(0, std::min(kEdge, t), 0);
  int at = kEdge;
  for (int k = 0; k < (t - kEdge) / kTile; ++k, at += kTile) piece(at, kTile, kEdge);
  if (t > kEdge) piece(at, c - at, kEdge);
}
