// One visualisation frame at the main window's size: the built-in skin's
// 104 x 25 area with its background picture cut from "MAIN", the spectrum in
// bar mode (26 bars) and line mode (103 lines) and the oscilloscope in its
// three modes. Each figure is the
// median time of one frame over many, copied to a memory DC (the painter's own
// work) and to a shown window (what the main window pays).
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "framework/bitmaps.h"
#include "skin/skin_cells.h"
#include "skin/skin_resources.h"
#include "skin/vis_drawers.h"

namespace {

constexpr int kFrames = 1001;
// The built-in skin's visualisation area ("VisWindow" in Skin.txt), in the
// window below the 20-pixel title bar that the background cell starts under.
constexpr int kVisLeft = 93;
constexpr int kVisTop = 75 - 20;
constexpr int kVisWidth = 104;
constexpr int kVisHeight = 25;

double MedianMicroseconds(const std::function<void(int)>& frame) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (int i = 0; i < 20; ++i) frame(i);  // warm: caches
  std::vector<double> times;
  times.reserve(kFrames);
  for (int i = 0; i < kFrames; ++i) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    frame(i);
    GdiFlush();
    QueryPerformanceCounter(&end);
    times.push_back(double(end.QuadPart - start.QuadPart) * 1e6 / double(frequency.QuadPart));
  }
  std::nth_element(times.begin(), times.begin() + kFrames / 2, times.end());
  return times[kFrames / 2];
}

std::unique_ptr<TBitmap> VisBackground() {
  TBitmap sheet;
  LoadGraphicFromResource(L"MAIN", &sheet);
  TBitmap cell;
  if (!ExtractSkinCell(&sheet, &cell, 3, 1)) return nullptr;
  auto background = std::make_unique<TBitmap>(kVisWidth, kVisHeight);
  BitBlt(background->Canvas()->Handle(), 0, 0, kVisWidth, kVisHeight, cell.Canvas()->Handle(),
         kVisLeft, kVisTop, SRCCOPY);
  return background;
}

// A music-like spectrum that moves from frame to frame, so levels rise and fall.
std::vector<float> Spectrum(int frame) {
  std::vector<float> fft(512);
  for (int i = 0; i < 512; ++i) {
    const double envelope = 0.05 / (1.0 + i / 40.0);
    fft[i] = float(envelope * (0.6 + 0.4 * std::sin(frame * 0.37 + i * 0.11)));
  }
  return fft;
}

std::vector<float> Samples(int frame) {
  std::vector<float> samples(512);
  for (int i = 0; i < 512; ++i)
    samples[i] = float(0.5 * std::sin((i + frame * 7) * 0.09) + 0.3 * std::sin((i + frame) * 0.41));
  return samples;
}

HWND ShowTarget() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TavrinVisBench";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"vis", WS_POPUP | WS_VISIBLE, 40, 40,
                                kVisWidth, kVisHeight, nullptr, nullptr, wc.hInstance, nullptr);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  return window;
}

}  // namespace

int main() {
  try {
    auto background = VisBackground();
    if (!background) {
      std::fprintf(stderr, "vis_bench: no background cell in MAIN\n");
      return 1;
    }
    std::vector<std::vector<float>> spectra, samples;
    for (int i = 0; i < 64; ++i) {
      spectra.push_back(Spectrum(i));
      samples.push_back(Samples(i));
    }
    TBitmap memoryTarget(kVisWidth, kVisHeight);
    HWND window = ShowTarget();
    HDC windowDC = GetDC(window);
    struct Target {
      const char* name;
      HDC dc;
    } targets[] = {{"memory DC", memoryTarget.Canvas()->Handle()}, {"window", windowDC}};

    for (const Target& target : targets) {
      struct Mode {
        const char* name;
        uint8_t mode;
        int bars;
      } modes[] = {{"bars (thick, 26)", 1, 25}, {"lines (thin, 103)", 0, 102}};
      for (const Mode& m : modes) {
        TSpectrum spectrum(kVisWidth, kVisHeight);
        spectrum.MaxHeight = kVisHeight;
        spectrum.GradientTop = RGBTRIPLE{255, 219, 169};
        spectrum.GradientBottom = RGBTRIPLE{216, 157, 96};
        spectrum.PeakColor = 0;
        spectrum.DrawMode = m.mode;
        spectrum.SetNumBars(m.bars);
        spectrum.SetBackground(true, background.get());
        const double us = MedianMicroseconds([&](int i) {
          const auto& fft = spectra[i % spectra.size()];
          spectrum.Draw(target.dc, fft.data(), fft.size(), 0, 0);
        });
        std::printf("  spectrum %-18s to %-9s: %7.1f us median of %d\n", m.name, target.name, us,
                    kFrames);
      }
      const char* scopeModes[] = {"line", "solid", "dots"};
      for (uint8_t mode = 0; mode < 3; ++mode) {
        TOscilloScope scope(kVisWidth, kVisHeight);
        scope.LineColor = 0;
        scope.DrawMode = mode;
        scope.SetBackground(true, background.get());
        const double us = MedianMicroseconds([&](int i) {
          const auto& s = samples[i % samples.size()];
          scope.Draw(target.dc, s.data(), s.size(), 14, 0);
        });
        std::printf("  scope    %-18s to %-9s: %7.1f us median of %d\n", scopeModes[mode],
                    target.name, us, kFrames);
      }
    }
    ReleaseDC(window, windowDC);
    DestroyWindow(window);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vis_bench: %s\n", e.what());
    return 1;
  }
}
