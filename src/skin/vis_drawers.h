// The main window's visualisation painters:
//   TSpectrum      a spectrum analyser of vertical lines or gradient bars with
//                  falling peak marks;
//   TOscilloScope  the waveform, as a line, a solid band or dots.
// Each paints one frame into its own back buffer and copies it to the target
// in one block transfer.
//
// Ownership: each painter owns its back buffer and background picture (both of
// the size given at creation, which they keep). Main thread only.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "framework/graphics.h"
#include "framework/object.h"

class TBitmap;
class TGraphic;

// What both painters share: the back buffer, the background picture and how
// a frame begins and ends.
class TVisPainter : public TObject {
 public:
  TVisPainter(int32_t Width, int32_t Height);
  ~TVisPainter() override;
  TVisPainter(const TVisPainter&) = delete;
  TVisPainter& operator=(const TVisPainter&) = delete;

  // The frame last drawn.
  TBitmap* BackBuffer() const { return FBackBuffer.get(); }
  TBitmap* BackgroundBmp() const { return FBackgroundBmp.get(); }
  // UseBackground := Use; Graphic (when given) is drawn at (0, 0) of BackgroundBmp.
  void SetBackground(bool Use, TGraphic* Graphic);
  // The frame's size: each skin gives the display area its own. The buffers
  // are made anew (empty) at the new size.
  void SetSize(int32_t Width, int32_t Height);

  TColor BackColor = 0;
  bool ClearBackground = true;
  bool UseBackground = false;

 protected:
  // The back buffer's DC for a new frame, nullptr when the buffer is empty.
  // With ClearBackground the frame starts as BackColor, or as the background
  // picture with UseBackground.
  HDC BeginFrame();
  // The frame copied to (0, 0) of DC.
  void EndFrame(HDC DC);

  std::unique_ptr<TBitmap> FBackBuffer;
  std::unique_ptr<TBitmap> FBackgroundBmp;
};

class TSpectrum : public TVisPainter {
 public:
  // Starts with 100 bars in line mode (Step 4).
  TSpectrum(int32_t Width, int32_t Height);

  // N outside 10..128 is ignored. Step follows from N and the current DrawMode,
  // so set the mode first.
  void SetNumBars(int32_t N);
  // The columns [first, last) of bar Index out of Bars + 1 in an area Width
  // wide from X.
  std::pair<int64_t, int64_t> Column(int32_t Index, int32_t Bars, int32_t Width, int32_t X) const;
  // FFT holds Count magnitudes; a value the bars would read past Count (or
  // before 0) counts as silence. Draws NumBars + 1 bars and copies the frame to
  // (0, 0) of DC.
  void Draw(HDC DC, const float* FFT, size_t Count, int32_t Y, int32_t X);

  int32_t MaxHeight = 100;
  // The bar gradient's colours at y = 0 and y = the buffer's height.
  RGBTRIPLE GradientTop{0, 0, 0};
  RGBTRIPLE GradientBottom{0, 0, 0};
  TColor PeakColor = 0xFFFF;
  uint8_t DrawMode = 0;  // 0 lines, 1 bars
  int32_t Step = 4;
  int32_t PeakFalloff = 1;
  int32_t BarFalloff = 3;
  int32_t BarWidth = 3;
  bool ShowPeaks = true;
  int32_t NumBars = 100;
  // The falling levels, kept from frame to frame; never negative.
  std::array<int32_t, 129> Peaks{};
  std::array<int32_t, 129> Bars{};

 private:
  void ReadyGradient(int Height);

  // The pixel of each row of the bar gradient, and the colours it was made of.
  std::vector<uint32_t> FGradient;
  RGBTRIPLE FGradientTop{0, 0, 0};
  RGBTRIPLE FGradientBottom{0, 0, 0};
};

class TOscilloScope : public TVisPainter {
 public:
  using TVisPainter::TVisPainter;

  // Samples holds Count floats; one past Count (or before 0) counts as 0, the
  // zero line. Y is the zero line's row; screen y grows with the sample.
  void Draw(HDC DC, const float* Samples, size_t Count, int32_t Y, int32_t X);

  int32_t Amplitude = 50;
  TColor LineColor = 0xFFFFFF;
  uint8_t DrawMode = 0;  // 0 line, 1 solid, 2 dots
  int32_t Step = 2;

 private:
  // A frame's lines, kept to spare an allocation each frame.
  std::vector<POINT> FPoints;
  std::vector<DWORD> FCounts;
};
