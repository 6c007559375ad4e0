#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "framework/component.h"
#include "framework/forms.h"
#include "memory_bitmap.h"
#include "skin/skin_resources.h"
#include "skin/slider.h"
#include "skin_test_pictures.h"
#include "slider_drag.h"
#include "test_support.h"

using skin_test::MakeBitmap;
using testing_support::PumpMessagesUntil;

namespace {

constexpr TColor kBlue = 0xFF0000;

TColor Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

std::unique_ptr<TBitmap> Solid(int w, int h, TColor colour) {
  return MakeBitmap(w, h, pf24bit, [=](int, int) { return colour; });
}

// A slider on a shown form, with its own pictures: a horizontal thumb of two
// 10 x 8 frames, a vertical one of two 6 x 10 frames, 8-pixel rulers.
class SliderTest : public testing::Test {
 protected:
  void SetUp() override {
    form.SetBounds(0, 0, 300, 200);
    slider = new TSlider(&form);
    slider->SetParent(&form);
    slider->SetImageHThumb(Solid(20, 8, 0x00FFFF).get());
    slider->SetImageVThumb(Solid(12, 10, 0x00FFFF).get());
    slider->SetImageHRuler(Solid(40, 8, 0x808080).get());
    slider->SetImageVRuler(Solid(8, 40, 0x808080).get());
    slider->SetBounds(10, 10, 110, 8);  // a 100-pixel track
    slider->SetOnChange([this](TObject*) { ++changes; });
    slider->SetOnStartTracking([this](TObject*) { ++starts; });
    slider->SetOnStopTracking([this](TObject*) { ++stops; });
  }

  void Post(UINT message, WPARAM keys, int x, int y) {
    PostMessageW(slider->Handle(), message, keys, MAKELPARAM(x, y));
    testing_support::PumpPendingMessages();
  }

  TForm form{nullptr};
  TSlider* slider = nullptr;
  int changes = 0, starts = 0, stops = 0;
};

TEST_F(SliderTest, MapsValuesToPixelsRoundingHalvesToEven) {
  struct Case {
    int min, max, value, left;
  } cases[] = {
      {0, 100, 50, 50}, {0, 3, 1, 33},     {0, 200, 1, 0},   {0, 200, 3, 2},  {0, 200, 5, 2},
      {0, 200, 7, 4},   {-50, 50, 0, 50},  {7, 7, 7, 0},     {0, 100, 100, 100},
      {0, 36000000, 18000000, 50},  // ten hours in milliseconds: no 32-bit overflow
      {0, 36000000, 35999999, 100}, {INT32_MIN, INT32_MAX, 0, 50},
  };
  for (const Case& c : cases) {
    slider->SetMinValue(INT32_MIN);
    slider->SetMaxValue(c.max);
    slider->SetMinValue(c.min);
    slider->SetMaxValue(c.max);
    slider->SetValue(c.value);
    EXPECT_EQ(slider->Thumb()->Left(), c.left) << c.min << ".." << c.max << " at " << c.value;
  }
  slider->SetMinValue(0);
  slider->SetMaxValue(36000000);
  EXPECT_EQ(slider->PixelToValue(37), 13320000);
  EXPECT_EQ(slider->PixelToValue(-5), 0);
}

TEST_F(SliderTest, PutsTheMinimumOfAVerticalDownUpSliderAtTheBottom) {
  slider->SetOrientation(soVertical);
  slider->SetBounds(10, 10, 8, 67);  // thumb 10 high: a 57-pixel track
  slider->SetMinValue(-15);
  slider->SetMaxValue(15);
  struct Case {
    TVerticalStyle style;
    int value, top;
  } cases[] = {{vsDownUp, 0, 29}, {vsDownUp, -15, 57}, {vsDownUp, 15, 0},
               {vsUpDown, 0, 28}, {vsUpDown, -15, 0},  {vsUpDown, 15, 57}};
  for (const Case& c : cases) {
    slider->SetVerticalStyle(c.style);
    slider->SetValue(c.value);
    EXPECT_EQ(slider->Thumb()->Top(), c.top) << c.style << " " << c.value;
    EXPECT_EQ(slider->PixelToValue(c.top), c.value);
  }
  EXPECT_EQ(slider->Thumb()->Width(), 6);
  EXPECT_EQ(slider->Thumb()->Left(), 1);  // centred on the 8-pixel ruler
  slider->SetMaxValue(-16);  // below the minimum: ignored
  EXPECT_EQ(slider->MaxValue(), 15);
  slider->SetVerticalStyle(vsDownUp);
  slider->SetMinValue(15);  // min = max: the thumb rests at the bottom end
  EXPECT_EQ(slider->Thumb()->Top(), 57);
}

TEST_F(SliderTest, ClampsValuesAndReportsOnlyChanges) {
  struct Step {
    int set, stored, changes;
  } steps[] = {{150, 100, 1}, {150, 100, 1}, {100, 100, 1}, {-5, 0, 2}, {50, 50, 3}, {50, 50, 3}};
  for (const Step& s : steps) {
    slider->SetValue(s.set);
    EXPECT_EQ(slider->Value(), s.stored) << s.set;
    EXPECT_EQ(changes, s.changes) << s.set;
  }
  slider->SetMinValue(60);  // not re-clamped
  EXPECT_EQ(slider->Value(), 50);
  EXPECT_EQ(slider->Thumb()->Left(), 0);
  slider->SetMinValue(101);  // above the maximum: ignored
  EXPECT_EQ(slider->MinValue(), 60);
}

TEST_F(SliderTest, ATrackPressStartsTrackingAndTheThumbCentreFollowsThePointer) {
  form.Show();
  Post(WM_LBUTTONDOWN, MK_LBUTTON, 80, 4);
  EXPECT_EQ(starts, 1);
  EXPECT_TRUE(slider->Tracking());
  EXPECT_TRUE(slider->Thumb()->Pressed());
  EXPECT_EQ(slider->Thumb()->Left(), 0);  // nothing moves before the pointer does
  Post(WM_MOUSEMOVE, MK_LBUTTON, 60, 4);
  EXPECT_EQ(slider->Thumb()->Left(), 55);
  EXPECT_EQ(slider->Value(), 55);
  EXPECT_EQ(changes, 1);
  Post(WM_MOUSEMOVE, MK_LBUTTON, 500, 4);
  EXPECT_EQ(slider->Value(), 100);
  Post(WM_LBUTTONUP, 0, 500, 4);
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(slider->Tracking());
  EXPECT_FALSE(slider->Thumb()->Pressed());
  Post(WM_MOUSEMOVE, 0, 20, 4);
  EXPECT_EQ(slider->Value(), 100);
  EXPECT_EQ(changes, 2);
}

TEST_F(SliderTest, DraggingSnapsTheThumbToTheNearestValue) {
  form.Show();
  slider->SetMaxValue(2);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, 3, 4);  // on the thumb, 3 pixels into it
  std::vector<int> lefts;
  for (int x = 0; x <= 110; x += 5) {
    Post(WM_MOUSEMOVE, MK_LBUTTON, x, 4);
    lefts.push_back(slider->Thumb()->Left());
    EXPECT_EQ(slider->Thumb()->Left(), slider->Value() * 50) << x;
  }
  Post(WM_LBUTTONUP, 0, 110, 4);
  EXPECT_EQ(lefts.front(), 0);
  EXPECT_EQ(lefts.back(), 100);
  EXPECT_NE(std::find(lefts.begin(), lefts.end(), 50), lefts.end());
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(stops, 1);
}

// Change handlers that set their own slider's value while the thumb is dragged
// in 1-pixel steps from end to end: the balance's snap to its centre on a
// track of more values than pixels, a quantiser, and two values that hand
// over to each other. Each handler's value stays, the thumb shows it, and no
// handler runs inside itself more than once.
TEST_F(SliderTest, HandlersThatSetTheirOwnValueDuringADragSettleIt) {
  form.Show();
  struct Case {
    const char* name;
    TSliderOrientation orientation;
    int width, height, min, max;
    std::function<int32_t(int32_t)> settle;
    int32_t kept;  // a value the handler settles on, met on the way
  } cases[] = {
      {"balance", soHorizontal, 105, 8, -100, 100, [](int32_t v) { return std::abs(v) < 11 ? 0 : v; }, 0},
      {"steps of 7", soHorizontal, 110, 8, 0, 35999999, [](int32_t v) { return v - v % 7; }, 359996},
      {"steps of 4, down-up", soVertical, 8, 95, 0, 256, [](int32_t v) { return v - v % 4; }, 128},
      {"hand-over", soHorizontal, 110, 8, 0, 100,
       [](int32_t v) { return v == 40 ? 60 : v == 60 ? 40 : v; }, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    slider->SetOnChange(nullptr);
    slider->SetOrientation(c.orientation);
    slider->SetBounds(10, 10, c.width, c.height);
    slider->SetMinValue(INT32_MIN);
    slider->SetMaxValue(c.max);
    slider->SetMinValue(c.min);
    slider->SetValue((c.min + c.max) / 2);
    int depth = 0, deepest = 0;
    std::optional<int32_t> set;
    slider->SetOnChange([&](TObject*) {
      deepest = std::max(deepest, ++depth);
      const int32_t value = slider->Value(), settled = c.settle(value);
      // Deeper than any settling goes: stop here rather than run the stack out.
      if (depth <= 4 && settled != value) slider->SetValue(*(set = settled));
      --depth;
    });
    const std::vector<int32_t> values = slider_test::DragAcross(slider, 1, [&] {
      if (set) {
        EXPECT_EQ(slider->Value(), *set) << "the handler's value";
        set.reset();
      }
      const int32_t thumb = c.orientation == soVertical ? slider->Thumb()->Top() : slider->Thumb()->Left();
      EXPECT_EQ(thumb, slider->ValueToPixel(slider->Value())) << "at " << slider->Value();
    });
    EXPECT_LE(deepest, 2);
    for (const int32_t v : {c.min, c.max, c.kept})
      EXPECT_TRUE(std::find(values.begin(), values.end(), v) != values.end()) << v << " was never met";
  }
}

TEST_F(SliderTest, AThumbAsLongAsTheSliderLeavesNoTrackToDivideBy) {
  form.Show();
  slider->SetWidth(10);
  slider->SetValue(70);
  EXPECT_EQ(slider->Value(), 70);
  EXPECT_EQ(slider->Thumb()->Left(), 0);
  EXPECT_EQ(slider->PixelToValue(0), 0);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, 5, 4);
  Post(WM_MOUSEMOVE, MK_LBUTTON, 9, 4);
  Post(WM_LBUTTONUP, 0, 9, 4);
  EXPECT_EQ(slider->Value(), 0);
  slider->SetWidth(4);  // shorter than the thumb
  EXPECT_EQ(slider->TrackLength(), 0);
}

TEST_F(SliderTest, AnswersForArrowKeys) {
  EXPECT_EQ(slider->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

// The colour under the thumb's centre for each frame count and state.
TEST_F(SliderTest, ShowsTheThumbFrameOfItsState) {
  const TColor frames[] = {0x0000FF, 0x00FF00, 0x00FFFF};
  struct Case {
    int states;
    bool hot, pressed;
    int frame;
  } cases[] = {{1, false, false, 0}, {1, true, true, 0},  {2, false, false, 0}, {2, true, false, 0},
               {2, false, true, 1},  {3, false, false, 0}, {3, true, false, 2},  {3, false, true, 1}};
  int enters = 0, leaves = 0;
  slider->SetOnMouseEnter([&](TObject*) { ++enters; });
  slider->SetOnMouseLeave([&](TObject*) { ++leaves; });
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.states << " hot " << c.hot << " pressed " << c.pressed);
    auto picture = MakeBitmap(10 * c.states, 8, pf24bit, [&](int x, int) { return frames[x / 10]; });
    slider->SetNumThumbStates(static_cast<TNumThumbStates>(c.states));
    slider->SetImageHThumb(picture.get());
    ASSERT_EQ(slider->Thumb()->Width(), 10);
    slider->Perform(c.hot ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(slider->Thumb()->Hot(), c.hot);
    slider->Thumb()->SetPressed(c.pressed);
    testing_support::MemoryCanvas canvas(110, 8);
    slider->Perform(WM_PAINT, reinterpret_cast<WPARAM>(canvas.DC()), 0);
    EXPECT_EQ(canvas.Pixel(slider->Thumb()->Left() + 5, 4), static_cast<COLORREF>(frames[c.frame]));
  }
  EXPECT_EQ(enters, 3);
  EXPECT_EQ(leaves, 5);
}

TEST(Slider, KeepsPicturesGivenWhileLoadingAndRestoresBuiltInOnes) {
  TForm form(nullptr);
  TSlider* slider;
  auto thumb = Solid(30, 9, 0x00FFFF);
  {
    TLoadingScope loading(&form);
    slider = new TSlider(&form);
    slider->SetParent(&form);
    slider->SetImageHThumb(thumb.get());
  }
  EXPECT_EQ(slider->UserImages(), 1 << siHThumb);
  EXPECT_EQ(slider->Thumb()->Width(), 15);
  EXPECT_EQ(slider->Thumb()->Height(), 9);
  TBitmap builtIn;
  try {
    LoadGraphicFromResource(L"HTB", &builtIn);
  } catch (const EResNotFound&) {
  }
  slider->SetImageHThumb(nullptr);
  EXPECT_EQ(slider->UserImages(), 0);
  EXPECT_EQ(slider->ImageHThumb()->Width(), builtIn.Width());
  EXPECT_EQ(slider->Thumb()->Width(), builtIn.Width() / 2);
  slider->SetOrientation(soVertical);
  EXPECT_EQ(slider->Thumb()->Picture()->Height(), slider->ImageVThumb()->Height());
}

// A horizontal slider with progress painted into memory, against the picture
// the ruler's 5-pixel ends and 8-pixel tiles, the progress up to the thumb's
// centre and the thumb with its blue parts see-through should give.
TEST(Slider, PaintsRulerProgressAndThumbPieceByPiece) {
  TForm form(nullptr);
  auto* slider = new TSlider(&form);
  slider->SetParent(&form);
  auto ruler = MakeBitmap(40, 12, pf24bit, [](int x, int y) { return Rgb(x * 6, 100 + y, 200 - x); });
  auto progress = MakeBitmap(40, 12, pf24bit, [](int x, int y) { return Rgb(250 - x, y * 9, x * 3); });
  auto thumb = MakeBitmap(20, 12, pf24bit, [](int x, int y) {
    return x < 10 && (x == 0 || y < 2 || (x + y) % 4 == 0) ? kBlue : Rgb(x * 11, 255 - y, 40);
  });
  slider->SetImageHRuler(ruler.get());
  slider->SetImageHProgress(progress.get());
  slider->SetImageHThumb(thumb.get());
  slider->SetBounds(0, 0, 100, 12);
  slider->SetMaxValue(90);
  slider->SetShowProgress(true);
  slider->SetValue(47);
  ASSERT_EQ(slider->Thumb()->Left(), 47);

  auto expected = [&](int x, int y) -> COLORREF {
    const int t = 47, c = t + 5;
    if (x >= t && x < t + 10) {
      COLORREF pixel = skin_test::PixelOf(thumb.get(), x - t, y);
      if (pixel != static_cast<COLORREF>(kBlue)) return pixel;
    }
    if (x < c) {
      const int column = x < 5 ? x : x < 45 ? 5 + (x - 5) % 8 : 5 + (x - 45);
      return skin_test::PixelOf(progress.get(), column, y);
    }
    const int column = x >= 95 ? 35 + (x - 95) : 5 + (x - 5) % 8;
    return skin_test::PixelOf(ruler.get(), column, y);
  };
  testing_support::MemoryCanvas canvas(100, 12);
  slider->Perform(WM_PAINT, reinterpret_cast<WPARAM>(canvas.DC()), 0);
  int wrong = 0;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 100; ++x)
      if (canvas.Pixel(x, y) != expected(x, y) && ++wrong < 5)
        ADD_FAILURE() << x << "," << y << ": " << std::hex << canvas.Pixel(x, y) << " not " << expected(x, y);
  EXPECT_EQ(wrong, 0);
}

}  // namespace
