#include "skin/vis_drawers.h"

// WIN32_LEAN_AND_MEAN leaves out the COM types the GDI+ headers use.
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "framework/bitmaps.h"
#include "skin/gdi_plus.h"

namespace {

namespace gp = Gdiplus;
namespace gpx = Gdiplus::DllExports;

// gdiplus.dll is loaded at run time so that a system without it (or with a
// broken one) still gets a visualisation, drawn by GDI alone.
struct GdiPlusApi {
  decltype(&gpx::GdipDeleteGraphics) DeleteGraphics = nullptr;
  decltype(&gpx::GdipCreateLineBrushI) CreateLineBrushI = nullptr;
  decltype(&gpx::GdipDeleteBrush) DeleteBrush = nullptr;
  decltype(&gpx::GdipCreatePen2) CreatePen2 = nullptr;
  decltype(&gpx::GdipDeletePen) DeletePen = nullptr;
  decltype(&gpx::GdipCreateBitmapFromScan0) CreateBitmapFromScan0 = nullptr;
  decltype(&gpx::GdipGetImageGraphicsContext) GetImageGraphicsContext = nullptr;
  decltype(&gpx::GdipDisposeImage) DisposeImage = nullptr;
  decltype(&gpx::GdipFillRectanglesI) FillRectanglesI = nullptr;
  decltype(&gpx::GdipCreatePath) CreatePath = nullptr;
  decltype(&gpx::GdipDeletePath) DeletePath = nullptr;
  decltype(&gpx::GdipResetPath) ResetPath = nullptr;
  decltype(&gpx::GdipAddPathLineI) AddPathLineI = nullptr;
  decltype(&gpx::GdipStartPathFigure) StartPathFigure = nullptr;
  decltype(&gpx::GdipDrawPath) DrawPath = nullptr;
  bool Started = false;
};

GdiPlusApi LoadGdiPlus() {
  GdiPlusApi api;
  HMODULE module = gdi_plus::Module();
  if (!module) return api;
  using gdi_plus::Resolve;
  api.Started = Resolve(module, "GdipDeleteGraphics", api.DeleteGraphics) &&
                Resolve(module, "GdipCreateLineBrushI", api.CreateLineBrushI) &&
                Resolve(module, "GdipDeleteBrush", api.DeleteBrush) &&
                Resolve(module, "GdipCreatePen2", api.CreatePen2) &&
                Resolve(module, "GdipDeletePen", api.DeletePen) &&
                Resolve(module, "GdipCreateBitmapFromScan0", api.CreateBitmapFromScan0) &&
                Resolve(module, "GdipGetImageGraphicsContext", api.GetImageGraphicsContext) &&
                Resolve(module, "GdipDisposeImage", api.DisposeImage) &&
                Resolve(module, "GdipFillRectanglesI", api.FillRectanglesI) &&
                Resolve(module, "GdipCreatePath", api.CreatePath) &&
                Resolve(module, "GdipDeletePath", api.DeletePath) &&
                Resolve(module, "GdipResetPath", api.ResetPath) &&
                Resolve(module, "GdipAddPathLineI", api.AddPathLineI) &&
                Resolve(module, "GdipStartPathFigure", api.StartPathFigure) &&
                Resolve(module, "GdipDrawPath", api.DrawPath);
  return api;
}

bool gGdiPlusAllowed = true;

const GdiPlusApi* GdiPlus() {
  if (!gGdiPlusAllowed) return nullptr;
  static const GdiPlusApi api = LoadGdiPlus();
  return api.Started ? &api : nullptr;
}

gp::ARGB OpaqueArgb(const RGBTRIPLE& c) {
  return 0xFF000000u | (gp::ARGB(c.rgbtRed) << 16) | (gp::ARGB(c.rgbtGreen) << 8) | c.rgbtBlue;
}

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

void SetVisGdiPlusAllowed(bool Allowed) {
  gGdiPlusAllowed = Allowed;
}

bool VisGdiPlusAvailable() {
  return GdiPlus() != nullptr;
}

// ------------------------------------------------------------- the gradient

// Draws one frame's gradient bars or lines. Under Wine every GDI+ fill or draw
// call pays for a region and a software pass of its own, so the frame's bars
// go in one call (and its lines in one path), drawn straight into the back
// buffer's pixels; brush, pen, path and the GDI+ view of the pixels are kept
// from frame to frame and made again only when what they depend on changes.
// Plain GDI stretches bars from one column of the gradient instead.
class TSpectrum::TGradientPainter {
 public:
  ~TGradientPainter();

  // Rectangles already clipped to the buffer.
  void AddBar(const RECT& Rect);
  // The column X from row From up to row To (To <= From), both ends drawn.
  void AddLine(int X, int From, int To);
  // Draws what was added and forgets it.
  void Paint(TBitmap* Buffer, const RGBTRIPLE& Top, const RGBTRIPLE& Bottom);

 private:
  struct TLine {
    int X, From, To;
  };

  bool PaintGdiPlus(TBitmap* Buffer, gp::ARGB Top, gp::ARGB Bottom);
  bool ReadyBrush(const GdiPlusApi* Api, gp::ARGB Top, gp::ARGB Bottom, int Height);
  bool ReadySurface(TBitmap* Buffer);
  void PaintGdi(TBitmap* Buffer, const RGBTRIPLE& Top, const RGBTRIPLE& Bottom);
  void FreeGdiPlus();

  std::vector<gp::Rect> FBars;
  std::vector<TLine> FLines;

  const GdiPlusApi* FApi = nullptr;
  gp::GpLineGradient* FBrush = nullptr;
  gp::GpPen* FPen = nullptr;
  gp::GpPath* FPath = nullptr;
  gp::ARGB FBrushTop = 0;
  gp::ARGB FBrushBottom = 0;
  int FBrushHeight = 0;
  // The back buffer's pixels as a GDI+ bitmap, kept while they stay where they are.
  gp::GpBitmap* FSurface = nullptr;
  gp::GpGraphics* FGraphics = nullptr;
  void* FSurfaceBits = nullptr;
  int FSurfaceStride = 0;
  int FSurfaceWidth = 0;
  int FSurfaceHeight = 0;

  std::unique_ptr<TBitmap> FStrip;
  RGBTRIPLE FStripTop{};
  RGBTRIPLE FStripBottom{};
};

TSpectrum::TGradientPainter::~TGradientPainter() {
  FreeGdiPlus();
}

void TSpectrum::TGradientPainter::AddBar(const RECT& Rect) {
  FBars.emplace_back(Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top);
}

void TSpectrum::TGradientPainter::AddLine(int X, int From, int To) {
  FLines.push_back({X, From, To});
}

void TSpectrum::TGradientPainter::Paint(TBitmap* Buffer, const RGBTRIPLE& Top,
                                        const RGBTRIPLE& Bottom) {
  if (!FBars.empty() || !FLines.empty()) {
    if (!PaintGdiPlus(Buffer, OpaqueArgb(Top), OpaqueArgb(Bottom))) PaintGdi(Buffer, Top, Bottom);
  }
  FBars.clear();
  FLines.clear();
}

bool TSpectrum::TGradientPainter::PaintGdiPlus(TBitmap* Buffer, gp::ARGB Top, gp::ARGB Bottom) {
  const GdiPlusApi* api = GdiPlus();
  if (!api || !ReadyBrush(api, Top, Bottom, Buffer->Height()) || !ReadySurface(Buffer)) return false;
  if (!FBars.empty() &&
      api->FillRectanglesI(FGraphics, FBrush, FBars.data(), static_cast<INT>(FBars.size())) != gp::Ok)
    return false;
  if (!FLines.empty()) {
    if (api->ResetPath(FPath) != gp::Ok) return false;
    for (const TLine& line : FLines) {
      api->AddPathLineI(FPath, line.X, line.From, line.X, line.To);
      api->StartPathFigure(FPath);
    }
    if (api->DrawPath(FGraphics, FPen, FPath) != gp::Ok) return false;
  }
  return true;
}

bool TSpectrum::TGradientPainter::ReadyBrush(const GdiPlusApi* Api, gp::ARGB Top, gp::ARGB Bottom,
                                             int Height) {
  if (Api == FApi && FBrush && FPen && FPath && Top == FBrushTop && Bottom == FBrushBottom &&
      Height == FBrushHeight)
    return true;
  FreeGdiPlus();
  FApi = Api;
  const gp::GpPoint from{0, 0};
  const gp::GpPoint to{0, Height};
  if (Api->CreateLineBrushI(&from, &to, Top, Bottom, gp::WrapModeTile, &FBrush) != gp::Ok ||
      Api->CreatePen2(FBrush, 1.0f, gp::UnitPixel, &FPen) != gp::Ok ||
      Api->CreatePath(gp::FillModeAlternate, &FPath) != gp::Ok) {
    FreeGdiPlus();
    return false;
  }
  FBrushTop = Top;
  FBrushBottom = Bottom;
  FBrushHeight = Height;
  return true;
}

bool TSpectrum::TGradientPainter::ReadySurface(TBitmap* Buffer) {
  // ScanLine also flushes GDI's batch, so GDI+ sees what GDI drew before.
  void* bits = Buffer->ScanLine(0);
  const int stride = Buffer->ScanLineStride();
  if (FGraphics && bits == FSurfaceBits && stride == FSurfaceStride &&
      Buffer->Width() == FSurfaceWidth && Buffer->Height() == FSurfaceHeight)
    return true;
  if (FGraphics) FApi->DeleteGraphics(FGraphics);
  if (FSurface) FApi->DisposeImage(FSurface);
  FGraphics = nullptr;
  FSurface = nullptr;
  if (Buffer->PixelFormat() != pf32bit) return false;
  if (FApi->CreateBitmapFromScan0(Buffer->Width(), Buffer->Height(), stride, PixelFormat32bppRGB,
                                  static_cast<BYTE*>(bits), &FSurface) != gp::Ok) {
    FSurface = nullptr;
    return false;
  }
  if (FApi->GetImageGraphicsContext(FSurface, &FGraphics) != gp::Ok) {
    FGraphics = nullptr;
    return false;
  }
  FSurfaceBits = bits;
  FSurfaceStride = stride;
  FSurfaceWidth = Buffer->Width();
  FSurfaceHeight = Buffer->Height();
  return true;
}

void TSpectrum::TGradientPainter::FreeGdiPlus() {
  if (!FApi) return;
  if (FGraphics) FApi->DeleteGraphics(FGraphics);
  if (FSurface) FApi->DisposeImage(FSurface);
  if (FPath) FApi->DeletePath(FPath);
  if (FPen) FApi->DeletePen(FPen);
  if (FBrush) FApi->DeleteBrush(FBrush);
  FGraphics = nullptr;
  FSurface = nullptr;
  FPath = nullptr;
  FPen = nullptr;
  FBrush = nullptr;
}

// Row y of the strip has the colour GDI+ gives it: Top at row 0 and Bottom at
// row Height (one past the last), in a straight line between.
void TSpectrum::TGradientPainter::PaintGdi(TBitmap* Buffer, const RGBTRIPLE& Top,
                                           const RGBTRIPLE& Bottom) {
  const int height = Buffer->Height();
  if (!FStrip || FStrip->Height() != height || memcmp(&Top, &FStripTop, sizeof(Top)) != 0 ||
      memcmp(&Bottom, &FStripBottom, sizeof(Bottom)) != 0) {
    if (!FStrip) FStrip = NewBuffer(1, height);
    FStrip->SetSize(1, height);
    for (int y = 0; y < height; ++y) {
      const double t = double(y) / height;
      auto mix = [t](BYTE a, BYTE b) { return static_cast<uint8_t>(std::lround(a + (b - a) * t)); };
      auto* pixel = static_cast<uint8_t*>(FStrip->ScanLine(y));
      pixel[0] = mix(Top.rgbtBlue, Bottom.rgbtBlue);
      pixel[1] = mix(Top.rgbtGreen, Bottom.rgbtGreen);
      pixel[2] = mix(Top.rgbtRed, Bottom.rgbtRed);
      pixel[3] = 0;
    }
    FStripTop = Top;
    FStripBottom = Bottom;
  }
  HDC dc = Buffer->Canvas()->Handle();
  HDC strip = FStrip->Canvas()->Handle();
  for (const gp::Rect& bar : FBars)
    StretchBlt(dc, bar.X, bar.Y, bar.Width, bar.Height, strip, 0, bar.Y, 1, bar.Height, SRCCOPY);
  for (const TLine& line : FLines) {
    RECT rect;
    if (ClipToBuffer(line.X, line.To, int64_t(line.X) + 1, int64_t(line.From) + 1, Buffer->Width(),
                     height, rect))
      BitBlt(dc, rect.left, rect.top, 1, rect.bottom - rect.top, strip, 0, rect.top, SRCCOPY);
  }
}

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

TSpectrum::TSpectrum(int32_t Width, int32_t Height)
    : TVisPainter(Width, Height), FPainter(std::make_unique<TGradientPainter>()) {
  SetNumBars(100);
}

TSpectrum::~TSpectrum() = default;

void TSpectrum::SetNumBars(int32_t N) {
  if (N < 10 || N > 128) return;
  NumBars = N;
  Step = (DrawMode == 1 ? 300 : 400) / N;
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
  HDC buffer = BeginFrame();
  if (buffer == nullptr) return;
  const int width = FBackBuffer->Width();
  const int height = FBackBuffer->Height();

  // Each bar's peak mark is drawn before the bar itself, and no two bars share
  // a column, so every peak can go first with GDI and every bar after it.
  const int bars = std::clamp(NumBars, -1, 128);
  const int64_t base = int64_t(height) + Y;
  const bool barMode = DrawMode == 1;
  const COLORREF peakColour = ColorToRGB(PeakColor);
  for (int i = 0; i <= bars; ++i) {
    const int32_t v = SpectrumLevel(ValueAt(FFT, Count, int64_t(i) * Step + 5), MaxHeight);
    Peaks[i] = v >= Peaks[i] ? v : ClampLevel(int64_t(Peaks[i]) - PeakFalloff);
    Bars[i] = v >= Bars[i] ? v : ClampLevel(int64_t(Bars[i]) - BarFalloff);
    if (!ShowPeaks) continue;
    const int64_t y = base - Peaks[i];
    RECT mark;
    const auto [left, right] = Column(i, bars, width, X);
    if (ClipToBuffer(left, y, right, y + 1, width, height, mark)) FillSolid(buffer, mark, peakColour);
  }

  for (int i = 0; i <= bars; ++i) {
    const auto [left, right] = Column(i, bars, width, X);
    if (barMode || right - left > 1) {
      RECT bar;
      if (ClipToBuffer(left, base - Bars[i], right, base, width, height, bar)) FPainter->AddBar(bar);
    } else {
      const int64_t x = left;
      const int64_t top = base - Bars[i];
      if (x < 0 || x >= width || top >= height || base < 0) continue;
      // Ends beyond the buffer are pulled in to just outside it.
      FPainter->AddLine(static_cast<int>(x), static_cast<int>(std::min<int64_t>(base, height)),
                        static_cast<int>(std::max<int64_t>(top, -1)));
    }
  }
  FPainter->Paint(FBackBuffer.get(), GradientTop, GradientBottom);
  EndFrame(DC);
}

// -------------------------------------------------------------- TOscilloScope

void TOscilloScope::Draw(HDC DC, const float* Samples, size_t Count, int32_t Y, int32_t X) {
  HDC buffer = BeginFrame();
  if (buffer == nullptr) return;
  const int width = FBackBuffer->Width();
  const int height = FBackBuffer->Height();

  const COLORREF colour = ColorToRGB(LineColor);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ oldPen = SelectObject(buffer, pen);
  auto row = [&](int x) {
    return Coordinate(int64_t(Y) + ScopeOffset(ValueAt(Samples, Count, int64_t(x) * Step), Amplitude));
  };
  auto column = [&](int x) { return Coordinate(int64_t(X) + x); };
  switch (DrawMode) {
    case 0:
      MoveToEx(buffer, column(0), row(0), nullptr);
      for (int x = 1; x < width; ++x) LineTo(buffer, column(x), row(x));
      break;
    case 1:
      MoveToEx(buffer, 0, height / 2 + 1, nullptr);
      LineTo(buffer, width, height / 2 + 1);
      for (int x = 1; x < width; ++x) {
        MoveToEx(buffer, column(x), Coordinate(Y), nullptr);
        LineTo(buffer, column(x), row(x));
      }
      break;
    case 2:
      for (int x = 1; x < width; ++x) SetPixelV(buffer, column(x), row(x), colour);
      break;
    default:
      break;
  }
  SelectObject(buffer, oldPen);
  DeleteObject(pen);
  EndFrame(DC);
}
