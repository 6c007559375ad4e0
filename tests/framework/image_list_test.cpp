#include <gtest/gtest.h>

#include "framework/bitmaps.h"
#include "framework/image_list.h"
#include "memory_bitmap.h"

using testing_support::MemoryCanvas;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);

// A strip of count squares of size x size, square i filled with colours[i], each
// with a one-pixel frame of frame colour.
void MakeStrip(TBitmap& strip, int size, std::initializer_list<TColor> colours, TColor frame) {
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(size * static_cast<int>(colours.size()), size);
  int left = 0;
  for (TColor c : colours) {
    strip.Canvas()->Brush()->SetColor(frame);
    strip.Canvas()->FillRect(RECT{left, 0, left + size, size});
    strip.Canvas()->Brush()->SetColor(c);
    strip.Canvas()->FillRect(RECT{left + 1, 1, left + size - 1, size - 1});
    left += size;
  }
}

}  // namespace

TEST(ImageList, ImagesGoInAndComeOutDrawn) {
  TImageList list(nullptr, 8, 8);
  int changes = 0;
  list.SetOnChange([&](TObject*) { ++changes; });
  EXPECT_EQ(list.CreateFlags(), static_cast<UINT>(ILC_COLOR32 | ILC_MASK));
  TBitmap strip;
  MakeStrip(strip, 8, {clRed, clLime}, clFuchsia);
  EXPECT_EQ(list.Add(&strip, nullptr), 0);  // two images from one strip
  EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 2);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(strip.Canvas()->Pixels(0, 0), clFuchsia);  // the caller's bitmap is untouched

  struct Case {
    int index;
    COLORREF centre, corner;  // the corner shows the background when masked
  } cases[] = {{0, kRed, RGB(255, 0, 255)}, {1, kGreen, RGB(255, 0, 255)},
               {2, kRed, kBlue}, {3, kGreen, kBlue}};
  for (const Case& c : cases) {
    MemoryCanvas canvas(12, 12, clBlue);
    list.Draw(&canvas.Canvas, 2, 2, c.index);
    EXPECT_EQ(canvas.Pixel(6, 6), c.centre) << c.index;
    EXPECT_EQ(canvas.Pixel(2, 2), c.corner) << c.index;
    EXPECT_EQ(canvas.Pixel(11, 11), kBlue) << c.index;
  }

  TBitmap out;
  ASSERT_TRUE(list.GetBitmap(3, &out));
  EXPECT_EQ(out.Width(), 8);
  EXPECT_EQ(out.Canvas()->Pixels(4, 4), static_cast<TColor>(kGreen));
  EXPECT_FALSE(list.GetBitmap(4, &out));
  TIcon icon;
  ASSERT_TRUE(list.GetIcon(2, &icon));
  EXPECT_EQ(list.AddIcon(&icon), 4);

  // A copy holds images of its own.
  TImageList copy(nullptr);
  copy.Assign(&list);
  EXPECT_EQ(copy.Width(), 8);
  EXPECT_EQ(copy.Count(), 5);
  list.Delete(0);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(copy.Count(), 5);
  MemoryCanvas fromIcon(12, 12, clBlue);
  copy.Draw(&fromIcon.Canvas, 0, 0, 4);
  EXPECT_EQ(fromIcon.Pixel(4, 4), kRed);
  EXPECT_EQ(fromIcon.Pixel(0, 0), kBlue);

  copy.AddImages(&copy);
  EXPECT_EQ(copy.Count(), 10);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(changes, 5);  // Add, AddMasked, AddIcon, Delete, Clear; not the reads
  list.SetSize(16, 16);
  EXPECT_EQ(changes, 6);
}

TEST(ImageList, SharedHandlesStayWithTheirOwner) {
  HIMAGELIST handle = ImageList_Create(10, 6, ILC_COLOR24, 0, 1);
  {
    TCustomImageList list(nullptr);
    list.SetShareImages(true);
    list.SetHandle(handle);
    EXPECT_EQ(list.Width(), 10);
    EXPECT_EQ(list.Height(), 6);
  }
  EXPECT_TRUE(ImageList_GetImageCount(handle) == 0);
  EXPECT_TRUE(ImageList_Destroy(handle));

  TCustomImageList list(nullptr);
  list.SetColorDepth(cd8Bit);
  list.SetMasked(false);
  EXPECT_EQ(list.CreateFlags(), static_cast<UINT>(ILC_COLOR8));
  EXPECT_NE(list.Handle(), nullptr);
}
