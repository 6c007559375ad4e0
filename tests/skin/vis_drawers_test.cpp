// The visualisation painters: levels and their fall-off from known spectra,
// where bars, lines and peak marks land, the oscilloscope's points, hostile
// values and short buffers, every frame of both skins kept to the pixel, and
// a frame of each in the built-in skin's colours (set TAVRIN_PICTURE_DIR to
// keep it).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "framework/bitmaps.h"
#include "skin/cool_ini.h"
#include "skin/skin_cells.h"
#include "skin/skin_resources.h"
#include "skin/vis_drawers.h"
#include "skin_test_pictures.h"
#include "test_support.h"
#include "window_picture.h"

namespace {

using skin_test::PixelOf;

constexpr int kWidth = 104;  // the built-in skin's visualisation area
constexpr int kHeight = 25;
constexpr int32_t kBig = std::numeric_limits<int32_t>::max();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// A value that reads as exactly Level.
float LevelValue(int Level) {
  return (Level + 0.5f) / 800.0f;
}

int ChannelDistance(TColor a, TColor b) {
  int most = 0;
  for (int shift : {0, 8, 16})
    most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
  return most;
}

// The gradient at row y: Top at 0, Bottom at Height.
TColor GradientAt(const RGBTRIPLE& Top, const RGBTRIPLE& Bottom, int y) {
  auto mix = [&](int a, int b) { return int(std::lround(a + (b - a) * double(y) / kHeight)); };
  return RGB(mix(Top.rgbtRed, Bottom.rgbtRed), mix(Top.rgbtGreen, Bottom.rgbtGreen),
             mix(Top.rgbtBlue, Bottom.rgbtBlue));
}

TEST(Spectrum, LevelsRiseAtOnceAndFallAtTheirRates) {
  struct Frame {
    float In[3];
    int Bars[3];
    int Peaks[3];
  } frames[] = {
      {{LevelValue(8), 1.0f, LevelValue(16)}, {8, 25, 16}, {8, 25, 16}},  // 1.0: 800, capped
      {{0, 0, 0}, {5, 22, 13}, {7, 24, 15}},
      {{0, 0, 0}, {2, 19, 10}, {6, 23, 14}},
      {{LevelValue(4), LevelValue(20), 0}, {4, 20, 7}, {5, 22, 13}},
      {{0, 0, 0}, {1, 17, 4}, {4, 21, 12}},
      {{0, 0, 0}, {0, 14, 1}, {3, 20, 11}},
  };
  TSpectrum spectrum(kWidth, kHeight);
  EXPECT_EQ(spectrum.Step, 4);  // 100 bars in line mode
  spectrum.MaxHeight = kHeight;
  spectrum.DrawMode = 1;
  spectrum.SetNumBars(25);
  for (int bad : {9, 129}) spectrum.SetNumBars(bad);
  ASSERT_EQ(spectrum.NumBars, 25);
  ASSERT_EQ(spectrum.Step, 12);
  std::vector<float> fft(512, 0.0f);
  for (const Frame& frame : frames) {
    for (int i = 0; i < 3; ++i) fft[5 + 12 * i] = frame.In[i];
    spectrum.Draw(nullptr, fft.data(), fft.size(), 0, 0);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(spectrum.Bars[i], frame.Bars[i]) << "frame " << &frame - frames << " bar " << i;
      EXPECT_EQ(spectrum.Peaks[i], frame.Peaks[i]) << "frame " << &frame - frames << " bar " << i;
    }
  }
}

// Two frames (levels, then silence) of each mode, checked pixel by pixel: each
// bar reads its own FFT value (all others are loud, so a wrong index shows),
// fills its own columns with the gradient fixed to the area's full height (the
// start colour at the top, the end colour at the bottom) and has its peak mark
// above it; gaps keep the background.
TEST(Spectrum, BarsLinesAndPeakMarksLandInTheirColumns) {
  struct Mode {
    uint8_t DrawMode;
    int NumBars, Step, Pitch, Width;  // Pitch: columns from one bar to the next
  } modes[] = {{1, 25, 12, 4, 3}, {0, 102, 3, 1, 1}};
  const RGBTRIPLE top{255, 0, 0};     // blue
  const RGBTRIPLE bottom{0, 0, 250};  // red
  const TColor peak = 0x00FF00, back = 0x333333;
  auto level = [](int i) { return (i * 7) % 26; };
  for (const Mode& mode : modes) {
    SCOPED_TRACE(mode.DrawMode ? "bars" : "lines");
    TSpectrum spectrum(kWidth, kHeight);
    spectrum.MaxHeight = kHeight;
    spectrum.GradientTop = top;
    spectrum.GradientBottom = bottom;
    spectrum.PeakColor = peak;
    spectrum.BackColor = back;
    spectrum.DrawMode = mode.DrawMode;
    spectrum.SetNumBars(mode.NumBars);
    ASSERT_EQ(spectrum.Step, mode.Step);
    std::vector<float> fft(512, 1.0f);
    for (int i = 0; i <= mode.NumBars; ++i) fft[5 + mode.Step * i] = LevelValue(level(i));
    spectrum.Draw(nullptr, fft.data(), fft.size(), 0, 0);
    for (int i = 0; i <= mode.NumBars; ++i) fft[5 + mode.Step * i] = 0.0f;
    spectrum.Draw(nullptr, fft.data(), fft.size(), 0, 0);

    const int drawn = (mode.NumBars + 1) * mode.Pitch;
    ASSERT_LE(drawn, kWidth);
    for (int x = 0; x < kWidth; ++x) {
      const int i = x / mode.Pitch;
      const bool inBar = x < drawn && x % mode.Pitch < mode.Width;
      const int bar = inBar ? std::max(level(i) - 3, 0) : 0;
      const int mark = inBar ? std::max(level(i) - 1, 0) : 0;
      for (int y = 0; y < kHeight; ++y) {
        const TColor got = PixelOf(spectrum.BackBuffer(), x, y);
        if (y >= kHeight - bar) {
          EXPECT_LE(ChannelDistance(got, GradientAt(top, bottom, y)), 2)
              << x << "," << y << ": " << std::hex << got;
        } else {
          EXPECT_EQ(got, mark > 0 && y == kHeight - mark ? peak : back) << x << "," << y;
        }
      }
    }
  }
}

// NaN, infinities and values beyond any integer are capped before they become
// levels; no cap, fall-off, offset or bar count takes a level below 0 or past
// an integer, a bar past the 129 kept, or a read outside the values given.
TEST(Spectrum, HostileValuesAndSettingsStayInBounds) {
  struct Case {
    float Value;
    int32_t MaxHeight, Level;
  } cases[] = {
      {kNaN, 25, 0},     {-kNaN, 25, 0},      {kInf, 25, 25}, {-kInf, 25, 25},
      {1e30f, 25, 25},   {-3e38f, 25, 25},    {1e-40f, 25, 0}, {0.03125f, 25, 25},
      {kInf, kBig, kBig}, {1e30f, kBig, kBig}, {-1.0f, kBig, 800}, {kNaN, kBig, 0},
      {1.0f, 0, 0},      {1.0f, -5, 0},
  };
  for (const Case& c : cases) {
    TSpectrum spectrum(kWidth, kHeight);
    spectrum.MaxHeight = c.MaxHeight;
    std::vector<float> fft(512, 0.0f);
    fft[5] = c.Value;
    spectrum.Draw(nullptr, fft.data(), fft.size(), 0, 0);
    EXPECT_EQ(spectrum.Bars[0], c.Level) << c.Value << " cap " << c.MaxHeight;
    EXPECT_EQ(spectrum.Peaks[0], c.Level) << c.Value << " cap " << c.MaxHeight;
    spectrum.PeakFalloff = std::numeric_limits<int32_t>::min();
    spectrum.BarFalloff = kBig;
    spectrum.Draw(nullptr, nullptr, 0, std::numeric_limits<int32_t>::min(), kBig);
    EXPECT_EQ(spectrum.Bars[0], 0);
    EXPECT_EQ(spectrum.Peaks[0], c.Level == 0 ? 0 : kBig);
  }

  // A loud tail past Count stays unread, and so does what lies before the
  // buffer when Step is negative.
  TSpectrum spectrum(200, kHeight);
  spectrum.MaxHeight = kHeight;
  spectrum.ShowPeaks = false;
  spectrum.GradientTop = spectrum.GradientBottom = RGBTRIPLE{255, 255, 255};
  std::vector<float> loud(512, 1.0f);
  loud[5] = LevelValue(9);
  spectrum.Draw(nullptr, loud.data(), 6, 0, 0);
  EXPECT_EQ(spectrum.Bars[0], 9);
  EXPECT_EQ(std::count(spectrum.Bars.begin() + 1, spectrum.Bars.end(), 0), 128);
  spectrum.NumBars = 1000;
  spectrum.Step = -3;
  spectrum.Draw(nullptr, loud.data() + 200, 6, 0, 0);
  EXPECT_EQ(spectrum.Bars[1], kHeight);  // index 2
  EXPECT_EQ(spectrum.Bars[2], 0);        // index -1
  // A bar count past its range draws the 129 bars kept, no more: spread over
  // the 200 columns, the last one ends at the area's edge.
  spectrum.Step = 0;
  spectrum.Draw(nullptr, loud.data() + 200, 6, 0, 0);
  EXPECT_EQ(spectrum.Bars[128], kHeight);
  EXPECT_EQ(PixelOf(spectrum.BackBuffer(), 199, kHeight - 1), 0xFFFFFF);
  EXPECT_EQ(spectrum.Column(128, 128, 200, 0), (std::pair<int64_t, int64_t>{198, 200}));
}

// An area wider than the bars' own pitch is filled: every column of a
// skin's display belongs to a bar (less the gap after each bar).
TEST(Spectrum, AWiderAreaIsFilledEdgeToEdge) {
  TSpectrum spectrum(148, kHeight);
  spectrum.DrawMode = 1;
  spectrum.SetNumBars(25);
  EXPECT_EQ(spectrum.Column(0, 25, 148, 0), (std::pair<int64_t, int64_t>{0, 4}));
  EXPECT_EQ(spectrum.Column(25, 25, 148, 0), (std::pair<int64_t, int64_t>{142, 147}));
  EXPECT_EQ(spectrum.Column(25, 25, 104, 0), (std::pair<int64_t, int64_t>{100, 103}));  // built-in
}

// A 104 x 60 area with the zero line at row 30; every second float (one
// channel) is read, the others are far out so a wrong index shows.
TEST(OscilloScope, DrawsItsPointsInEachMode) {
  constexpr int height = 60, zero = 30;
  std::vector<float> samples(512, 50.0f);
  for (int x = 0; x < kWidth; ++x) samples[2 * x] = float((x * 37) % 41 - 20) / 20.0f;
  samples[2] = 1.0f;   // 25 below the zero line
  samples[4] = -1.0f;  // 25 above
  auto row = [&](int x) { return zero + int(std::trunc(samples[2 * x] / 2.0 * 50)); };
  ASSERT_EQ(row(1), 55);
  ASSERT_EQ(row(2), 5);
  const TColor line = 0x40C0FF, back = 0x101010;
  for (uint8_t mode = 0; mode < 3; ++mode) {
    SCOPED_TRACE(mode);
    TOscilloScope scope(kWidth, height);
    scope.LineColor = line;
    scope.BackColor = back;
    scope.DrawMode = mode;
    scope.Draw(nullptr, samples.data(), samples.size(), zero, 0);
    for (int x = 0; x < kWidth; ++x) {
      const int y = row(x);
      for (int r = 0; r < height; ++r) {
        const TColor got = PixelOf(scope.BackBuffer(), x, r);
        if (mode == 0 && r == y && x < kWidth - 1) {
          EXPECT_EQ(got, line) << x << "," << r;  // each segment starts on its point
        } else if (mode == 1 && r == height / 2 + 1) {
          EXPECT_EQ(got, line) << x << "," << r;  // the centre line
        } else if (mode == 1 && x > 0 && r >= std::min(zero, y) && r <= std::max(zero, y)) {
          EXPECT_EQ(got, r == y ? back : line) << x << "," << r;
        } else if (mode == 2) {
          EXPECT_EQ(got, x > 0 && r == y ? line : back) << x << "," << r;
        }
      }
    }
  }
}

// Dots past the samples given (or with none) sit on the zero line, and so
// does NaN; infinities and a huge amplitude land out of sight.
TEST(OscilloScope, ShortEmptyAndHostileSamples) {
  constexpr int height = 60, zero = 30;
  std::vector<float> tail(512, 0.8f);  // 20 below the zero line, if read
  std::vector<float> hostile(512, 0.0f);
  hostile[2] = kNaN;
  hostile[4] = kInf;
  hostile[6] = -kInf;
  hostile[8] = 1e30f;
  hostile[10] = -1e-40f;
  struct Case {
    const char* Name;
    const float* Samples;
    size_t Count;
    int32_t Amplitude, Y, X;
    std::vector<int> Rows;  // of the dots from x = 1; -1: none in the column
  } cases[] = {
      {"short", tail.data(), 11, 50, zero, 0, {50, 50, 50, 50, 50, zero, zero}},
      {"empty", tail.data(), 0, 50, zero, 0, {zero, zero}},
      {"none but counted", nullptr, 512, 50, zero, 0, {zero, zero}},
      {"huge amplitude", tail.data(), 512, kBig, zero, 0, {-1, -1}},
      {"hostile", hostile.data(), 512, 50, zero, 0, {zero, -1, -1, -1, zero}},
      {"far offsets", hostile.data(), 512, 50, kBig, std::numeric_limits<int32_t>::min(), {-1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TOscilloScope scope(kWidth, height);
    scope.Amplitude = c.Amplitude;
    for (uint8_t mode : {0, 1, 2}) {
      scope.DrawMode = mode;
      scope.Draw(nullptr, c.Samples, c.Count, c.Y, c.X);
    }
    for (size_t k = 0; k < c.Rows.size(); ++k) {
      for (int r = 0; r < height; ++r) {
        EXPECT_EQ(PixelOf(scope.BackBuffer(), int(k) + 1, r), r == c.Rows[k] ? 0xFFFFFF : 0)
            << k + 1 << "," << r;
      }
    }
  }
}

// The frames of both painters in both skins' colours and sizes, over a
// background picture, from fixed spectra and samples: each case's frames are
// summed up in one checksum of their pixels, and the checksums are those of
// the frames as the program has always drawn them (kept here as data). Any
// change of a single pixel of any frame shows.
uint64_t FrameChecksum(uint64_t Sum, TBitmap* Frame) {
  for (int y = 0; y < Frame->Height(); ++y) {
    const auto* row = static_cast<const uint8_t*>(Frame->ScanLine(y));
    for (int x = 0; x < Frame->Width(); ++x) {
      for (int channel = 0; channel < 3; ++channel) Sum = (Sum ^ row[4 * x + channel]) * 0x100000001B3ull;
    }
  }
  return Sum;
}

TEST(Visualisation, FramesOfBothSkinsStayAsTheyWere) {
  struct Skin {
    const char* Name;
    int Width, Height;
    RGBTRIPLE Top, Bottom;
    TColor Peak, Line;
  } skins[] = {{"Default", 104, 25, {255, 219, 169}, {216, 157, 96}, 0, 0},
               {"Ember", 148, 26, {120, 200, 255}, {30, 90, 200}, 13168895, 5947135}};
  struct Case {
    const char* Painter;
    int Mode;  // spectrum: 0 lines, 1 bars; oscilloscope: its DrawMode
    bool Peaks;
    uint64_t Expected[2];  // Default, Ember
  } cases[] = {
      {"spectrum", 0, true, {0xa6252a67b6fe6881ull, 0x3b5d5735c38339f8ull}},
      {"spectrum", 1, true, {0x7abef9d22683a720ull, 0xab483849efc813bull}},
      {"spectrum", 1, false, {0xf60af9e4d9962c36ull, 0xe69ce11cfd39f8a0ull}},
      {"oscilloscope", 0, false, {0x9a64e553ee6ce2e7ull, 0x84ddcd53ca3bf91eull}},
      {"oscilloscope", 1, false, {0x888ae25de0c803cfull, 0x9df3fa4e127ffac2ull}},
      {"oscilloscope", 2, false, {0xd58d1bb7f3ccb4dull, 0xeed4a092d79786a8ull}},
  };
  for (const Case& c : cases) {
    for (size_t s = 0; s < std::size(skins); ++s) {
      const Skin& skin = skins[s];
      SCOPED_TRACE(std::string(skin.Name) + " " + c.Painter + " mode " + std::to_string(c.Mode) +
                   (c.Peaks ? " with peaks" : ""));
      auto background = skin_test::MakeBitmap(skin.Width, skin.Height, pf24bit, [](int x, int y) {
        return TColor(RGB(20 + (x * 7) % 60, 30 + (y * 11) % 50, 60 + ((x + y) * 5) % 40));
      });
      uint64_t sum = 0xCBF29CE484222325ull;
      if (std::string(c.Painter) == "spectrum") {
        TSpectrum spectrum(skin.Width, skin.Height);
        spectrum.MaxHeight = skin.Height;
        spectrum.GradientTop = skin.Top;
        spectrum.GradientBottom = skin.Bottom;
        spectrum.PeakColor = skin.Peak;
        spectrum.ShowPeaks = c.Peaks;
        spectrum.DrawMode = static_cast<uint8_t>(c.Mode);
        spectrum.SetNumBars(c.Mode == 1 ? 25 : 102);
        spectrum.SetBackground(true, background.get());
        // Loud, quieter, then silence for the fall-off.
        std::vector<float> fft(512);
        uint32_t noise = 7;
        for (double loudness : {1.0, 0.55, 0.8, 0.0, 0.0}) {
          for (float& v : fft) {
            noise = noise * 1664525u + 1013904223u;
            v = float(loudness * 0.05 * ((noise >> 8) & 0xFFFF) / 65535.0);
          }
          spectrum.Draw(nullptr, fft.data(), fft.size(), 0, 0);
          sum = FrameChecksum(sum, spectrum.BackBuffer());
        }
      } else {
        TOscilloScope scope(skin.Width, skin.Height);
        scope.LineColor = skin.Line;
        scope.Amplitude = 26;
        scope.DrawMode = static_cast<uint8_t>(c.Mode);
        scope.SetBackground(true, background.get());
        std::vector<float> samples(512);
        for (double phase : {0.0, 1.3}) {
          for (int i = 0; i < 512; ++i)
            samples[i] = float(0.7 * std::sin(i * 0.05 + phase) + 0.25 * std::sin(i * 0.41 + 2 * phase));
          scope.Draw(nullptr, samples.data(), samples.size(), 14, 0);
          sum = FrameChecksum(sum, scope.BackBuffer());
        }
      }
      EXPECT_EQ(sum, c.Expected[s]) << std::hex << "0x" << sum;
    }
  }
}

// A spectrum frame (thick bars, after a louder frame so the peaks float) above
// an oscilloscope frame, in the built-in skin's colours on its display: the
// area cut from the main window's background, which starts under the title.
TEST(Visualisation, BuiltInSkinPicture) {
  testing_support::TempDir dir;
  SaveResourceToFile(L"SKIN", L"TXT", dir.File(L"Skin.txt"));
  TCoolIni skin(dir.File(L"Skin.txt"));
  const POINT at = skin.ReadPoint(L"MWPositions", L"VisWindow");
  const POINT size = skin.ReadPoint(L"MWSizes", L"VisWindow");
  ASSERT_EQ(size.x, kWidth);
  ASSERT_EQ(size.y, kHeight);
  TBitmap sheet, title, body;
  LoadGraphicFromResource(L"MAIN", &sheet);
  ASSERT_TRUE(ExtractSkinCell(&sheet, &title, 1, 1));
  ASSERT_TRUE(ExtractSkinCell(&sheet, &body, 3, 1));
  TBitmap background(kWidth, kHeight);
  BitBlt(background.Canvas()->Handle(), 0, 0, kWidth, kHeight, body.Canvas()->Handle(), at.x,
         at.y - title.Height(), SRCCOPY);

  TSpectrum spectrum(kWidth, kHeight);
  spectrum.MaxHeight = kHeight;
  spectrum.GradientTop = skin.ReadRGB(L"Colors", L"VisLineStart");
  spectrum.GradientBottom = skin.ReadRGB(L"Colors", L"VisLineEnd");
  spectrum.PeakColor = skin.ReadInteger(L"Colors", L"VisPeak", 0xFFFF);
  spectrum.DrawMode = 1;
  spectrum.SetNumBars(25);
  spectrum.SetBackground(true, &background);
  TOscilloScope scope(kWidth, kHeight);
  scope.LineColor = skin.ReadInteger(L"Colors", L"VisPolyline", 0xFFFF);
  scope.SetBackground(true, &background);

  TBitmap both;
  both.SetPixelFormat(pf24bit);
  both.SetSize(kWidth, 2 * kHeight);
  HDC dc = both.Canvas()->Handle();
  std::vector<float> fft(512), samples(512);
  for (double loudness : {1.0, 0.6}) {
    for (int i = 0; i < 512; ++i)
      fft[i] = float(loudness * 0.045 / (1.0 + i / 60.0) * (0.75 + 0.25 * std::sin(i * 0.7)));
    spectrum.Draw(dc, fft.data(), fft.size(), 0, 0);
  }
  for (int i = 0; i < 512; ++i) samples[i] = float(0.3 * std::sin(i * 0.06) + 0.12 * std::sin(i * 0.37));
  SetViewportOrgEx(dc, 0, kHeight, nullptr);  // Draw copies to (0, 0) of its DC
  scope.Draw(dc, samples.data(), samples.size(), 14, 0);
  SetViewportOrgEx(dc, 0, 0, nullptr);

  ASSERT_TRUE(testing_support::SaveDCPicture(dc, kWidth, 2 * kHeight, dir.File(L"vis.png")));
  testing_support::KeepPicture(dir.File(L"vis.png"), L"vis.png");
  // Bare display at the top right; the first bar in the gradient with one
  // black peak mark above it; the wave through its zero line at the left.
  EXPECT_EQ(PixelOf(&both, kWidth - 1, 0), PixelOf(&background, kWidth - 1, 0));
  EXPECT_EQ(PixelOf(&both, 1, 0), PixelOf(&background, 1, 0));
  EXPECT_LE(ChannelDistance(PixelOf(&both, 1, kHeight - 1),
                            GradientAt(spectrum.GradientTop, spectrum.GradientBottom, kHeight - 1)),
            2);
  int black = 0;
  for (int y = 0; y < kHeight; ++y) black += PixelOf(&both, 1, y) == 0;
  EXPECT_EQ(black, 1);
  EXPECT_EQ(PixelOf(&both, 0, kHeight + 14), 0);
}

}  // namespace

namespace {

// A skin with a wider display area gives the painters its size: the
// oscilloscope reaches its right edge, and the spectrum draws on it.
TEST(Visualisation, PaintersTakeANewDisplaySize) {
  constexpr int wide = 148, high = 30;
  TSpectrum spectrum(kWidth, kHeight);
  TOscilloScope scope(kWidth, kHeight);
  spectrum.SetSize(wide, high);
  scope.SetSize(wide, high);
  for (TVisPainter* painter : std::initializer_list<TVisPainter*>{&spectrum, &scope}) {
    EXPECT_EQ(painter->BackBuffer()->Width(), wide);
    EXPECT_EQ(painter->BackBuffer()->Height(), high);
    EXPECT_EQ(painter->BackgroundBmp()->Width(), wide);
  }
  const std::vector<float> wave(512, 0.5f);
  scope.Draw(nullptr, wave.data(), wave.size(), high / 2, 0);
  int lastInk = -1;
  for (int x = 0; x < wide; ++x)
    for (int y = 0; y < high; ++y)
      if (PixelOf(scope.BackBuffer(), x, y) != scope.BackColor) lastInk = x;
  EXPECT_GE(lastInk, wide - 2) << "the line stops where the old size ended";
}

}  // namespace
