#include "widgets/m_progress.h"

#include <algorithm>
#include <memory>

namespace {

const wchar_t kOutOfRange[] = L"Value must be between %d and %d";

// Cleared to black the way the bar's three layers start.
void PaintBackground(TBitmap* Image) {
  BitBlt(Image->Canvas()->Handle(), 0, 0, Image->Width(), Image->Height(), nullptr, 0, 0, BLACKNESS);
}

}  // namespace

void TBltBitmap::MakeLike(TBitmap* ATemplate) {
  SetSize(ATemplate->Width(), ATemplate->Height());
  if (Empty()) return;
  Canvas()->Brush()->SetColor(clWindowFrame);
  Canvas()->Brush()->SetStyle(bsSolid);
  Canvas()->FillRect(RECT{0, 0, Width(), Height()});
}

TMProgress::TMProgress(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle |= csFramed | csOpaque;
  SetBounds(FLeft, FTop, 100, 100);
}

TMProgress::~TMProgress() = default;

int32_t TMProgress::PercentDone() const {
  // 64 bits: the range of two 32-bit bounds times 100 does not fit in 32.
  const int64_t range = int64_t(FMaxValue) - FMinValue;
  if (range <= 0) return 0;
  const int64_t percent = (int64_t(FCurValue) - FMinValue) * 100 / range;
  return static_cast<int32_t>(std::clamp<int64_t>(percent, 0, 100));
}

void TMProgress::SetMinValue(int32_t Value) {
  if (Value == FMinValue) return;
  if (Value > FMaxValue && !ComponentState().Contains(csLoading))
    throw EInvalidOperation(kOutOfRange, {-2147483647, int64_t(FMaxValue) - 1});
  FMinValue = Value;
  if (FCurValue < Value) FCurValue = Value;
  Repaint();
}

void TMProgress::SetMaxValue(int32_t Value) {
  if (Value == FMaxValue) return;
  if (Value < FMinValue && !ComponentState().Contains(csLoading))
    throw EInvalidOperation(kOutOfRange, {int64_t(FMinValue) + 1, 2147483647});
  FMaxValue = Value;
  if (FCurValue > Value) FCurValue = Value;
  Repaint();
}

void TMProgress::SetProgress(int32_t Value) {
  const int32_t before = PercentDone();
  // Bounds inverted while loading: the maximum wins, as it is tested last.
  Value = Value < FMinValue ? FMinValue : Value;
  Value = Value > FMaxValue ? FMaxValue : Value;
  if (Value == FCurValue) return;
  FCurValue = Value;
  if (PercentDone() != before) Repaint();
}

void TMProgress::SetKind(TMKind Value) {
  if (Value == FKind) return;
  FKind = Value;
  Repaint();
}

void TMProgress::SetShowText(bool Value) {
  if (Value == FShowText) return;
  FShowText = Value;
  Repaint();
}

void TMProgress::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  Repaint();
}

void TMProgress::SetForeColor(TColor Value) {
  if (Value == FForeColor) return;
  FForeColor = Value;
  Repaint();
}

void TMProgress::SetBackColor(TColor Value) {
  if (Value == FBackColor) return;
  FBackColor = Value;
  Repaint();
}

void TMProgress::Paint() {
  if (FWidth <= 0 || FHeight <= 0) return;
  auto image = std::make_unique<TBitmap>();
  image->SetPixelFormat(pf24bit);
  image->SetSize(FWidth, FHeight);
  PaintBackground(image.get());
  RECT paintRect{0, 0, FWidth, FHeight};
  if (FBorderStyle == bsSingle) InflateRect(&paintRect, -1, -1);

  auto overlay = std::make_unique<TBltBitmap>();
  overlay->SetPixelFormat(pf24bit);
  overlay->MakeLike(image.get());
  PaintBackground(overlay.get());
  TCanvas* canvas = overlay->Canvas();
  canvas->Brush()->SetColor(FBackColor);
  canvas->FillRect(paintRect);
  if (FKind != gkText) PaintBar(overlay.get(), paintRect);
  image->Canvas()->SetCopyMode(SRCINVERT);
  image->Canvas()->Draw(0, 0, overlay.get());
  image->Canvas()->SetCopyMode(SRCCOPY);
  if (FShowText) PaintText(image.get(), paintRect);

  Canvas()->SetCopyMode(SRCCOPY);
  Canvas()->Draw(0, 0, image.get());
}

// The fill's far corner is w (or W) itself, not Left + w: with a border the
// bar reaches one pixel short of the width it was given, as it always has.
void TMProgress::PaintBar(TBitmap* Image, const RECT& PaintRect) {
  TCanvas* canvas = Image->Canvas();
  canvas->Pen()->SetColor(FForeColor);
  canvas->Pen()->SetWidth(1);
  canvas->Brush()->SetColor(FForeColor);
  const int64_t W = int64_t(PaintRect.right) - PaintRect.left + 1;
  const int64_t H = int64_t(PaintRect.bottom) - PaintRect.top + 1;
  const int64_t percent = PercentDone();
  if (FKind == gkHorizontalBar) {
    const int64_t w = std::min<int64_t>(W * percent / 100, W);
    if (w > 0)
      canvas->Rectangle(PaintRect.left, PaintRect.top, static_cast<int>(w), static_cast<int>(H));
  } else {
    int64_t h = H * percent / 100;
    if (h >= H) h = H - 1;
    if (h > 0)
      canvas->Rectangle(PaintRect.left, static_cast<int>(H - h), static_cast<int>(W), static_cast<int>(H));
  }
}

void TMProgress::PaintText(TBitmap* Image, const RECT& PaintRect) {
  auto text = std::make_unique<TBltBitmap>();
  text->SetPixelFormat(pf24bit);
  text->MakeLike(Image);
  PaintBackground(text.get());
  TCanvas* canvas = text->Canvas();
  canvas->Font()->Assign(Font());
  canvas->Font()->SetColor(clWhite);
  const std::string s = std::to_string(PercentDone()) + "%";
  const SIZE extent = canvas->TextExtent(s);
  const int x = (PaintRect.right - PaintRect.left + 1 - extent.cx) / 2;
  const int y = (PaintRect.bottom - PaintRect.top + 1 - extent.cy) / 2;
  canvas->Brush()->SetStyle(bsClear);
  canvas->TextRect(PaintRect, x, y, s);
  Image->Canvas()->SetCopyMode(SRCINVERT);
  Image->Canvas()->Draw(0, 0, text.get());
  Image->Canvas()->SetCopyMode(SRCCOPY);
}
