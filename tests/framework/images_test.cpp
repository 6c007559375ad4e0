#include <gtest/gtest.h>

#include "framework/forms.h"
#include "framework/images.h"
#include "framework/panels.h"
#include "memory_bitmap.h"
#include "test_support.h"
#include "window_picture.h"

using testing_support::MemoryCanvas;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

// A red square inside a magenta frame, which the bottom-left pixel makes the
// transparent colour.
void MakeFramedSquare(TBitmap& bitmap, int width, int height) {
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(width, height);
  bitmap.Canvas()->Brush()->SetColor(clFuchsia);
  bitmap.Canvas()->FillRect(RECT{0, 0, width, height});
  bitmap.Canvas()->Brush()->SetColor(clRed);
  bitmap.Canvas()->FillRect(RECT{4, 4, width - 4, height - 4});
  bitmap.SetTransparent(true);
}

}  // namespace

TEST(Images, DestRectFollowsStretchProportionalAndCenter) {
  TImage image(nullptr);
  image.SetBounds(0, 0, 100, 80);
  image.Picture()->Bitmap()->SetSize(20, 10);
  struct Case {
    bool stretch, proportional, center;
    RECT expected;
  } cases[] = {{false, false, false, {0, 0, 20, 10}},  {true, false, false, {0, 0, 100, 80}},
               {false, true, false, {0, 0, 20, 10}},   {true, true, false, {0, 0, 100, 50}},
               {true, true, true, {0, 15, 100, 65}},   {false, false, true, {40, 35, 60, 45}}};
  for (const Case& c : cases) {
    image.SetStretch(c.stretch);
    image.SetProportional(c.proportional);
    image.SetCenter(c.center);
    RECT r = image.DestRect();
    EXPECT_TRUE(EqualRect(&r, &c.expected))
        << c.stretch << c.proportional << c.center << ": " << r.left << "," << r.top << ","
        << r.right << "," << r.bottom;
  }
  image.Picture()->Bitmap()->SetSize(400, 100);  // larger: proportional shrinks it
  image.SetStretch(false);
  image.SetProportional(true);
  image.SetCenter(false);
  RECT r = image.DestRect();
  EXPECT_EQ(r.right, 100);
  EXPECT_EQ(r.bottom, 25);
}

TEST(Images, ATransparentImageOverAPanelShowsThePanelThroughItsKey) {
  TForm form(nullptr);
  form.SetBounds(40, 40, 220, 160);
  form.SetCaption("Image");
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  panel->SetBounds(10, 10, 180, 100);
  panel->SetColor(clTeal);
  auto* image = new TImage(&form);
  image->SetParent(panel);
  image->SetBounds(20, 20, 10, 10);
  image->SetAutoSize(true);
  image->SetTransparent(true);
  int paints = 0;
  auto* box = new TPaintBox(&form);
  box->SetParent(panel);
  box->SetBounds(120, 20, 40, 40);
  box->SetColor(clYellow);
  box->SetOnPaint([&](TObject*) {
    ++paints;
    box->Canvas()->FillRect(RECT{0, 0, 40, 40});
  });
  form.Show();

  TBitmap bitmap;
  MakeFramedSquare(bitmap, 60, 40);
  image->Picture()->SetBitmap(&bitmap);
  EXPECT_EQ(image->Width(), 60);  // AutoSize
  EXPECT_EQ(image->Height(), 40);
  EXPECT_TRUE(image->Picture()->Graphic()->Transparent());
  EXPECT_FALSE(image->ControlStyle() & csOpaque);

  MemoryCanvas canvas(60, 40, clTeal);
  image->Perform(WM_PAINT, reinterpret_cast<WPARAM>(canvas.DC()), 0);
  EXPECT_EQ(canvas.Pixel(1, 1), static_cast<COLORREF>(clTeal));
  EXPECT_EQ(canvas.Pixel(30, 20), kRed);

  // A change of the picture asks the panel to repaint the image.
  testing_support::PumpPendingMessages();
  ValidateRect(panel->Handle(), nullptr);
  TCanvas* drawing = image->Picture()->Bitmap()->Canvas();
  drawing->Brush()->SetColor(clFuchsia);
  drawing->FillRect(RECT{0, 0, 2, 2});
  RECT update{};
  EXPECT_TRUE(GetUpdateRect(panel->Handle(), &update, FALSE));
  EXPECT_EQ(update.left, 20);
  RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);

  testing_support::Picture picture;
  ASSERT_TRUE(testing_support::TakeWindowPicture(form.Handle(), L"transparent_image.png", picture));
  EXPECT_GT(paints, 0);
  POINT origin{0, 0};
  ClientToScreen(panel->Handle(), &origin);
  RECT frame;
  GetWindowRect(form.Handle(), &frame);
  const int x = origin.x - frame.left + 20, y = origin.y - frame.top + 20;
  EXPECT_EQ(picture.Pixel(x + 1, y + 1), static_cast<COLORREF>(clTeal));
  EXPECT_EQ(picture.Pixel(x + 30, y + 20), kRed);
  EXPECT_EQ(picture.Pixel(x + 110, y + 10), static_cast<COLORREF>(clYellow));
}
