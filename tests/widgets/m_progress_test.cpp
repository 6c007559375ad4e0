// The progress bar painted into memory: the filled width or height and the
// centred percentage for positions at the ends, past them, in an empty range
// and in ranges that need 64 bits; the errors of inverted bounds.
#include "widgets/m_progress.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "memory_bitmap.h"
#include "test_support.h"

namespace {

constexpr TColor kFore = clNavy, kBack = clWhite;

class ProgressTest : public testing::Test {
 protected:
  void SetUp() override {
    bar = std::make_unique<TMProgress>(nullptr);
    bar->SetBounds(0, 0, 100, 30);
    bar->SetForeColor(kFore);
    bar->SetBackColor(kBack);
    bar->Font()->SetName("Arial");
    bar->Font()->SetHeight(-13);
  }
  void SetRange(int Min, int Max) {
    bar->SetMinValue(INT32_MIN);
    bar->SetMaxValue(Max);
    bar->SetMinValue(Min);
  }
  std::unique_ptr<TMProgress> bar;
};

bool IsText(COLORREF c) { return c != COLORREF(kFore) && c != COLORREF(kBack); }

TEST_F(ProgressTest, FillsAndCentresThePercentage) {
  struct Case {
    TMKind kind;
    int min, max, set, stored, percent, filled;  // filled: pixels of row 2, or of column 2 upright
  } cases[] = {
      {gkHorizontalBar, 0, 100, 0, 0, 0, 0},
      {gkHorizontalBar, 0, 100, 42, 42, 42, 40},  // Trunc(99 * 0.42) = 41, from x = 1
      {gkHorizontalBar, 0, 100, 100, 100, 100, 98},
      {gkHorizontalBar, 0, 100, 150, 100, 100, 98},
      {gkHorizontalBar, 0, 0, 0, 0, 0, 0},
      {gkHorizontalBar, 0, 0, 7, 0, 0, 0},
      {gkHorizontalBar, -100, 100, -200, -100, 0, 0},
      {gkHorizontalBar, INT32_MIN, INT32_MAX, 0, 0, 50, 48},
      {gkHorizontalBar, 0, 2000000000, 1999999999, 1999999999, 99, 97},
      {gkVerticalBar, 0, 100, 42, 42, 42, 12},  // Trunc(29 * 0.42) rows from the bottom
      {gkVerticalBar, 0, 100, 100, 100, 100, 28},
      {gkText, 0, 100, 100, 100, 100, 0},
  };
  for (const Case& c : cases) {
    const std::string what = std::to_string(c.min) + ".." + std::to_string(c.max) + " at " +
                             std::to_string(c.set) + " kind " + std::to_string(c.kind);
    bar->SetKind(c.kind);
    SetRange(c.min, c.max);
    bar->SetProgress(c.set);
    EXPECT_EQ(bar->Progress(), c.stored) << what;
    EXPECT_EQ(bar->PercentDone(), c.percent) << what;

    testing_support::MemoryCanvas canvas(100, 30, clRed);
    bar->Perform(WM_PAINT, reinterpret_cast<WPARAM>(canvas.DC()), 0);
    const RECT line = c.kind == gkVerticalBar ? RECT{2, 0, 3, 30} : RECT{0, 2, 100, 3};
    EXPECT_EQ(canvas.Count(line, kFore), c.filled) << what;
    EXPECT_EQ(canvas.Count(RECT{0, 0, 100, 1}, clBlack), 100) << what;  // the border
    if (c.kind != gkVerticalBar && c.filled > 0 && c.filled < 98) {
      EXPECT_EQ(canvas.Pixel(c.filled + 1, 2), COLORREF(kBack)) << what;
    }

    // The text's ink lies inside its cell, centred in the paint rectangle.
    testing_support::MemoryCanvas measure(10, 10);
    measure.Canvas.Font()->Assign(bar->Font());
    const SIZE cell = measure.Canvas.TextExtent(std::to_string(c.percent) + "%");
    const int x0 = (99 - cell.cx) / 2, y0 = (29 - cell.cy) / 2;
    int left = 100, right = -1, top = 30, bottom = -1;
    for (int y = 1; y < 29; ++y)
      for (int x = 1; x < 99; ++x)
        if (IsText(canvas.Pixel(x, y))) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
    ASSERT_LE(left, right) << what;
    EXPECT_GE(left, x0) << what;
    EXPECT_LT(right, x0 + cell.cx) << what;
    EXPECT_NEAR(left + right, 2 * x0 + cell.cx, 4) << what;
    EXPECT_GE(top, y0) << what;
    EXPECT_LT(bottom, y0 + cell.cy) << what;
    // Black on the background, inverted where it crosses the bar.
    const bool onBar = c.percent >= 99 && c.kind != gkText;
    EXPECT_GT(canvas.Count(RECT{1, 1, 99, 29}, onBar ? kFore ^ 0xFFFFFF : clBlack), 0) << what;
  }
  bar->SetShowText(false);
  testing_support::MemoryCanvas canvas(100, 30, clRed);
  bar->Perform(WM_PAINT, reinterpret_cast<WPARAM>(canvas.DC()), 0);
  EXPECT_EQ(canvas.Count(RECT{1, 1, 99, 29}, kBack), 98 * 28);
}

TEST_F(ProgressTest, InvertedBoundsRaiseWithTheAllowedRangeInSixtyFourBits) {
  struct Case {
    int min, max;
    bool setMin;
    int value;
    const wchar_t* message;
  } cases[] = {
      {0, 100, true, 101, L"Value must be between -2147483647 and 99"},
      {0, 100, false, -1, L"Value must be between 1 and 2147483647"},
      {INT32_MIN, INT32_MIN, true, 0, L"Value must be between -2147483647 and -2147483649"},
      {INT32_MAX, INT32_MAX, false, 0, L"Value must be between 2147483648 and 2147483647"},
  };
  for (const Case& c : cases) {
    SetRange(c.min, c.max);
    const std::wstring message = testing_support::MessageOf<EInvalidOperation>([&] {
      if (c.setMin)
        bar->SetMinValue(c.value);
      else
        bar->SetMaxValue(c.value);
    });
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(bar->MinValue(), c.min);
    EXPECT_EQ(bar->MaxValue(), c.max);
  }
  SetRange(0, 100);
  bar->SetProgress(30);
  bar->SetMinValue(50);  // lifts the position
  EXPECT_EQ(bar->Progress(), 50);
  bar->SetMaxValue(60);
  bar->SetProgress(60);
  bar->SetMaxValue(55);  // lowers it
  EXPECT_EQ(bar->Progress(), 55);
  TComponent root(nullptr);
  TLoadingScope loading(&root);
  auto* loaded = new TMProgress(&root);
  loaded->SetMinValue(500);  // not checked while loading
  EXPECT_EQ(loaded->MinValue(), 500);
  EXPECT_EQ(loaded->PercentDone(), 0);
}

}  // namespace
