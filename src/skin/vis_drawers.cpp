#include "skin/vis_drawers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "framework/bitmaps.h"

namespace {

// Far enough outside any buffer that GDI clips it, small enough that GDI's
// 28-bit coordinate space never overflows.
constexpr int64_t kFarAway = int64_t(1) << 24;

int32_t Coordinate(int64_t v) {
  return static_cast<int32_t>(std::clamp(v, -kFarAway, kFarAway));
}

int32_t ClampLevel(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, 0, std::numeric_limits<int32_t>::max()));
}

// Trunc(|f| * 800) capped at Cap (a level is never below 0); the cap comes
// first so that NaN, infinities and values beyond an integer never reach the
// conversion.
int32_t SpectrumLevel(float f, int32_t Cap) {
  const double a = std::fabs(static_cast<double>(f)) * 800.0;
  if (std::isnan(a)) return 0;
  if (a >= static_cast<double>(Cap)) return std::max(Cap, 0);
  return static_cast<int32_t>(a);
}

// Trunc(s / 2 * Amplitude), kept within GDI's reach.
int64_t ScopeOffset(float s, int32_t Amplitude) {
  const double v = static_cast<double>(s) / 2.0 * static_cast<double>(Amplitude);
  if (std::isnan(v)) return 0;
  if (v >= static_cast<double>(kFarAway)) return kFarAway;
  if (v <= -static_cast<double>(kFarAway)) return -kFarAway;
  return static_cast<int64_t>(v);
}

float ValueAt(const float* Values, size_t Count, int64_t Index) {
  if (!Values || Index < 0 || static_cast<uint64_t>(Index) >= Count) return 0.0f;
  return Values[Index];
}

// The rectangle clipped to the buffer; false when nothing is left.
bool ClipToBuffer(int64_t Left, int64_t Top, int64_t Right, int64_t Bottom, int Width, int Height,
                  RECT& Clipped) {
  Left = std::max<int64_t>(Left, 0);
  Top = std::max<int64_t>(Top, 0);
  Right = std::min<int64_t>(Right, Width);
  Bottom = std::min<int64_t>(Bottom, Height);
  if (Left >= Right || Top >= Bottom) return false;
  Clipped = {static_cast<LONG>(Left), static_cast<LONG>(Top), static_cast<LONG>(Right),
             static_cast<LONG>(Bottom)};
  return true;
}

void FillSolid(HDC DC, const RECT& Rect, COLORREF Colour) {
  // An opaque empty text run fills with the background colour without a brush.
  const COLORREF old = SetBkColor(DC, Colour);
  ExtTextOutW(DC, 0, 0, ETO_OPAQUE, &Rect, nullptr, 0, nullptr);
  SetBkColor(DC, old);
}

std::unique_ptr<TBitmap> NewBuffer(int32_t Width, int32_t Height) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(std::max(Width, 0), std::max(Height, 0));
  return bitmap;
}

}  // namespace

// ---------------------------------------------------------------- TVisPainter

TVisPainter::TVisPainter(int32_t Width, int32_t Height)
    : FBackBuffer(NewBuffer(Width, Height)), FBackgroundBmp(NewBuffer(Width, Height)) {}

TVisPainter::~TVisPainter() = default;

void TVisPainter::SetSize(int32_t Width, int32_t Height) {
  if (FBackBuffer->Width() == Width && FBackBuffer->Height() == Height) return;
  FBackBuffer = NewBuffer(Width, Height);
  FBackgroundBmp = NewBuffer(Width, Height);
}

void TVisPainter::SetBackground(bool Use, TGraphic* Graphic) {
  UseBackground = Use;
  if (Graphic && !FBackgroundBmp->Empty()) FBackgroundBmp->Canvas()->Draw(0, 0, Graphic);
}

HDC TVisPainter::BeginFrame() {
  const int width = FBackBuffer->Width();
  const int height = FBackBuffer->Height();
  if (width <= 0 || height <= 0) return nullptr;
  HDC buffer = FBackBuffer->Canvas()->Handle();
  if (!ClearBackground) return buffer;
  // The background has the buffer's size, so a fill under it would never show.
  if (UseBackground)
    BitBlt(buffer, 0, 0, width, height, FBackgroundBmp->Canvas()->Handle(), 0, 0, SRCCOPY);
  else
    FillSolid(buffer, RECT{0, 0, width, height}, ColorToRGB(BackColor));
  return buffer;
}

void TVisPainter::EndFrame(HDC DC) {
  BitBlt(DC, 0, 0, FBackBuffer->Width(), FBackBuffer->Height(), FBackBuffer->Canvas()->Handle(), 0, 0,
         SRCCOPY);
}

// ------------------------------------------------------------------ TSpectrum

TSpectrum::TSpectrum(int32_t Width, int32_t Height) : TVisPainter(Width, Height) { SetNumBars(100); }

void TSpectrum::SetNumBars(int32_t N) {
  if (N < 10 || N > 128) return;
  NumBars = N;
  Step = (DrawMode == 1 ? 300 : 400) / N;
}

// The bar gradient's colour of each row, fixed to the buffer's full height:
// Top at row 0 towards Bottom at row Height, in 255 steps, each row taking
// the step nearest its place and the channels rounded down: the colours GDI+
// gave the program's bars and lines when it drew them, kept to the pixel.
void TSpectrum::ReadyGradient(int Height) {
  if (FGradient.size() == size_t(Height) && memcmp(&GradientTop, &FGradientTop, sizeof(RGBTRIPLE)) == 0 &&
      memcmp(&GradientBottom, &FGradientBottom, sizeof(RGBTRIPLE)) == 0)
    return;
  FGradient.resize(size_t(Height));
  for (int y = 0; y < Height; ++y) {
    const int step = int((510 * int64_t(y) + Height) / (2 * int64_t(Height)));
    auto mix = [step](BYTE top, BYTE bottom) { return uint32_t((top * (255 - step) + bottom * step) / 255); };
    FGradient[size_t(y)] = mix(GradientTop.rgbtRed, GradientBottom.rgbtRed) << 16 |
                           mix(GradientTop.rgbtGreen, GradientBottom.rgbtGreen) << 8 |
                           mix(GradientTop.rgbtBlue, GradientBottom.rgbtBlue);
  }
  FGradientTop = GradientTop;
  FGradientBottom = GradientBottom;
}

std::pair<int64_t, int64_t> TSpectrum::Column(int32_t Index, int32_t Bars, int32_t Width,
                                              int32_t X) const {
  // The bars' own pitch (a pixel's gap after each bar, lines side by side)
  // while the area is about as wide as they are; an area wider by an eighth
  // or more spreads them over its whole width, so every skin's display is
  // filled.
  const bool barMode = DrawMode == 1;
  const int64_t pitch = barMode ? int64_t(BarWidth) + 1 : 1;
  const int64_t count = int64_t(Bars) + 1;
  const int64_t gap = barMode ? 1 : 0;
  if (int64_t(Width) * 8 < count * pitch * 9 || Bars < 0) {
    const int64_t left = pitch * Index + X;
    return {left, left + pitch - gap};
  }
  const int64_t left = int64_t(Index) * Width / count + X;
  const int64_t next = (int64_t(Index) + 1) * Width / count + X;
  return {left, std::max(left + 1, next - gap)};
}

void TSpectrum::Draw(HDC DC, const float* FFT, size_t Count, int32_t Y, int32_t X) {
  if (BeginFrame() == nullptr) return;
  const int width = FBackBuffer->Width();
  const int height = FBackBuffer->Height();
  ReadyGradient(height);
  // Straight into the buffer's pixels: a few hundred of them a frame, where
  // a GDI call for each mark and bar would cost more than all of them.
  auto* top = static_cast<uint8_t*>(FBackBuffer->ScanLine(0));
  const ptrdiff_t stride = FBackBuffer->ScanLineStride();
  auto row = [&](int64_t y) { return reinterpret_cast<uint32_t*>(top + stride * y); };

  // Each bar's peak mark is drawn before the bar itself, and no two bars
  // share a column.
  const int bars = std::clamp(NumBars, -1, 128);
  const int64_t base = int64_t(height) + Y;
  const bool barMode = DrawMode == 1;
  const COLORREF peak = ColorToRGB(PeakColor);
  const uint32_t peakPixel = uint32_t(GetRValue(peak)) << 16 | uint32_t(GetGValue(peak)) << 8 | GetBValue(peak);
  for (int i = 0; i <= bars; ++i) {
    const int32_t v = SpectrumLevel(ValueAt(FFT, Count, int64_t(i) * Step + 5), MaxHeight);
    Peaks[i] = v >= Peaks[i] ? v : ClampLevel(int64_t(Peaks[i]) - PeakFalloff);
    Bars[i] = v >= Bars[i] ? v : ClampLevel(int64_t(Bars[i]) - BarFalloff);
    const auto [left, right] = Column(i, bars, width, X);
    RECT area;
    if (ShowPeaks && ClipToBuffer(left, base - Peaks[i], right, base - Peaks[i] + 1, width, height, area))
      std::fill(row(area.top) + area.left, row(area.top) + area.right, peakPixel);
    // A bar fills its rows above the base; a line (a bar one column wide in
    // line mode) reaches the base row too.
    const bool line = !barMode && right - left <= 1;
    if (ClipToBuffer(left, base - Bars[i], right, base + (line ? 1 : 0), width, height, area)) {
      for (LONG y = area.top; y < area.bottom; ++y)
        std::fill(row(y) + area.left, row(y) + area.right, FGradient[size_t(y)]);
    }
  }
  EndFrame(DC);
}

// -------------------------------------------------------------- TOscilloScope

void TOscilloScope::Draw(HDC DC, const float* Samples, size_t Count, int32_t Y, int32_t X) {
  HDC buffer = BeginFrame();
  if (buffer == nullptr) return;
  const int width = FBackBuffer->Width();
  const int height = FBackBuffer->Height();

  const COLORREF colour = ColorToRGB(LineColor);
  auto row = [&](int x) {
    return Coordinate(int64_t(Y) + ScopeOffset(ValueAt(Samples, Count, int64_t(x) * Step), Amplitude));
  };
  auto column = [&](int x) { return Coordinate(int64_t(X) + x); };
  if (DrawMode == 2) {
    // Dots straight into the buffer's pixels, one a column.
    auto* top = static_cast<uint8_t*>(FBackBuffer->ScanLine(0));
    const ptrdiff_t stride = FBackBuffer->ScanLineStride();
    const uint32_t pixel =
        uint32_t(GetRValue(colour)) << 16 | uint32_t(GetGValue(colour)) << 8 | GetBValue(colour);
    for (int x = 1; x < width; ++x) {
      const int32_t cx = column(x), cy = row(x);
      if (cx >= 0 && cx < width && cy >= 0 && cy < height)
        reinterpret_cast<uint32_t*>(top + stride * cy)[cx] = pixel;
    }
    EndFrame(DC);
    return;
  }
  // All the frame's lines in one call: each one pixel wide and short of its
  // end point, as LineTo draws it, and a call into the system for each of a
  // hundred lines would cost more than the drawing.
  FPoints.clear();
  FCounts.clear();
  if (DrawMode == 0) {
    for (int x = 0; x < width; ++x) FPoints.push_back({column(x), row(x)});
    FCounts.push_back(DWORD(FPoints.size()));
  } else if (DrawMode == 1) {
    FPoints.push_back({0, height / 2 + 1});
    FPoints.push_back({width, height / 2 + 1});
    for (int x = 1; x < width; ++x) {
      FPoints.push_back({column(x), Coordinate(Y)});
      FPoints.push_back({column(x), row(x)});
    }
    FCounts.assign(FPoints.size() / 2, 2);
  }
  if (FPoints.size() >= 2) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldPen = SelectObject(buffer, pen);
    PolyPolyline(buffer, FPoints.data(), FCounts.data(), DWORD(FCounts.size()));
    SelectObject(buffer, oldPen);
    DeleteObject(pen);
  }
  EndFrame(DC);
}
