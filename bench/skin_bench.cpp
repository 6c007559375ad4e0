// The skin toolkit's per-pixel work on the default skin's sheets: the window
// region of the 309 x 435 "MAIN" sheet and the hue shift of all three sheets
// (MAIN, PL, EQ), each the median of several runs, in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "framework/bitmaps.h"
#include "framework/exceptions.h"
#include "skin/hue_shift.h"
#include "skin/skin_cells.h"
#include "skin/skin_resources.h"

namespace {

constexpr int kRuns = 21;

double MedianMs(const std::function<void()>& prepare, const std::function<void()>& timed) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (int i = 0; i < kRuns; ++i) {
    prepare();
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    timed();
    QueryPerformanceCounter(&end);
    times.push_back(double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// A sheet of the same size as MAIN that no skin comes near: scattered key
// pixels (thousands of runs) and a colour of its own at nearly every pixel.
std::unique_ptr<TBitmap> BusySheet(int width, int height) {
  auto sheet = std::make_unique<TBitmap>();
  sheet->SetPixelFormat(pf24bit);
  sheet->SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<uint8_t*>(sheet->ScanLine(y));
    for (int x = 0; x < width; ++x) {
      const bool key = (x / 3 + y / 2 + (x * y) % 7) % 5 == 0;
      row[3 * x] = key ? 0xFF : static_cast<uint8_t>(x);
      row[3 * x + 1] = key ? 0x00 : static_cast<uint8_t>(y);
      row[3 * x + 2] = key ? 0xFF : static_cast<uint8_t>(x * 7 + y * 3);
    }
  }
  return sheet;
}

std::unique_ptr<TBitmap> LoadSheet(const wchar_t* name) {
  auto sheet = std::make_unique<TBitmap>();
  LoadGraphicFromResource(name, sheet.get());
  return sheet;
}

}  // namespace

int main() {
  try {
    auto mainSheet = LoadSheet(L"MAIN");
    std::vector<std::unique_ptr<TBitmap>> sheets;
    for (const wchar_t* name : {L"MAIN", L"PL", L"EQ"}) sheets.push_back(LoadSheet(name));

    // The default sheet keeps its shapes in cells; each key colour gives the
    // region a different number of runs.
    struct Key {
      const char* name;
      TColor colour;
    } keys[] = {{"magenta", 0xFF00FF}, {"pure green", 0x00FF00}, {"pure blue", 0xFF0000}};
    auto busy = BusySheet(mainSheet->Width(), mainSheet->Height());
    for (const Key& key : keys) {
      HRGN region = nullptr;
      const double regionMs = MedianMs([&] {
        if (region) DeleteObject(region);
        region = nullptr;
      }, [&] { region = CreateRegionFromBitmap(mainSheet.get(), key.colour); });
      const DWORD bytes = region ? GetRegionData(region, 0, nullptr) : 0;
      if (region) DeleteObject(region);
      std::printf("CreateRegionFromBitmap MAIN %dx%d, key %s: %.3f ms median of %d (%lu rectangles)\n",
                  mainSheet->Width(), mainSheet->Height(), key.name, regionMs, kRuns,
                  static_cast<unsigned long>(bytes > sizeof(RGNDATAHEADER)
                                                 ? (bytes - sizeof(RGNDATAHEADER)) / sizeof(RECT)
                                                 : 0));
    }

    {
      HRGN region = nullptr;
      const double busyMs = MedianMs([&] {
        if (region) DeleteObject(region);
        region = nullptr;
      }, [&] { region = CreateRegionFromBitmap(busy.get(), 0xFF00FF); });
      if (region) DeleteObject(region);
      std::unique_ptr<TBitmap> copy;
      const double busyHueMs = MedianMs([&] {
        copy = std::make_unique<TBitmap>();
        copy->Assign(busy.get());
      }, [&] { ShiftBitmapHue(copy.get(), 40); });
      std::printf("busy %dx%d sheet: region %.3f ms, hue shift %.3f ms\n", busy->Width(), busy->Height(),
                  busyMs, busyHueMs);
    }

    std::vector<std::unique_ptr<TBitmap>> work(sheets.size());
    int pixels = 0;
    for (auto& sheet : sheets) pixels += sheet->Width() * sheet->Height();
    const double hueMs = MedianMs([&] {
      for (size_t i = 0; i < sheets.size(); ++i) {
        work[i] = std::make_unique<TBitmap>();
        work[i]->Assign(sheets[i].get());
      }
    }, [&] {
      for (auto& sheet : work) ShiftBitmapHue(sheet.get(), 40);
    });

    std::printf("ShiftBitmapHue MAIN+PL+EQ (%d pixels): %.3f ms median of %d\n", pixels, hueMs, kRuns);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skin_bench: %s\n", e.what());
    return 1;
  }
}
