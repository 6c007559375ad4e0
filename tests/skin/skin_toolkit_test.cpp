#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/image_list.h"
#include "skin/skin_toolkit.h"
#include "skin_test_pictures.h"
#include "test_support.h"

using skin_test::MakeBitmap;
using skin_test::PixelOf;

namespace {

constexpr TColor kMarker = 0x00FF00;

TColor Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// ---------------------------------------------------------------- hue shift

TEST(HueShift, ConvertsAndShiftsColoursOfEveryKind) {
  // Expected values worked out from the HLS formulas in exact arithmetic.
  struct Case {
    int r, g, b, h, l, s;
    TColor by80, by37, byMinus50, by1000;
  } cases[] = {
      {255, 0, 0, 0, 120, 240, Rgb(0, 254, 0), Rgb(255, 237, 0), Rgb(193, 0, 255), Rgb(255, 255, 0)},
      {200, 100, 50, 13, 118, 144, Rgb(50, 202, 100), Rgb(164, 202, 50), Rgb(202, 50, 191),
       Rgb(153, 202, 50)},
      {30, 60, 200, 153, 109, 178, Rgb(203, 30, 61), Rgb(160, 30, 203), Rgb(30, 203, 130),
       Rgb(173, 30, 203)},
      {10, 220, 140, 105, 109, 220, Rgb(144, 10, 223), Rgb(10, 106, 223), Rgb(144, 223, 10),
       Rgb(10, 90, 223)},
      {90, 10, 60, 215, 48, 192, Rgb(62, 93, 10), Rgb(93, 35, 10), Rgb(21, 10, 93), Rgb(93, 42, 10)},
      {250, 240, 10, 38, 123, 231, Rgb(12, 250, 239), Rgb(42, 250, 12), Rgb(250, 12, 84),
       Rgb(25, 250, 12)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.r << "," << c.g << "," << c.b);
    int32_t h, l, s;
    RGBToHLS(c.r, c.g, c.b, h, l, s);
    EXPECT_EQ(h, c.h);
    EXPECT_EQ(l, c.l);
    EXPECT_EQ(s, c.s);
    const TColor colour = Rgb(c.r, c.g, c.b);
    EXPECT_EQ(ShiftHueColor(colour, 80), c.by80);
    EXPECT_EQ(ShiftHueColor(colour, 37), c.by37);
    EXPECT_EQ(ShiftHueColor(colour, -50), c.byMinus50);
    EXPECT_EQ(ShiftHueColor(colour, 1000), c.by1000);
    EXPECT_EQ(ShiftHueColor(colour, 0), colour);
    EXPECT_EQ(ShiftHueColor(colour, -480), colour);
  }
  // Red by 80 and 160 would be pure green and pure blue, both keys: moved by one.
  EXPECT_EQ(ShiftHueColor(Rgb(255, 0, 0), 160), Rgb(0, 1, 255));
  RGBTRIPLE t{50, 100, 200};  // blue, green, red
  ShiftHueRGB(80, t);
  EXPECT_EQ(Rgb(t.rgbtRed, t.rgbtGreen, t.rgbtBlue), Rgb(50, 202, 100));
}

TEST(HueShift, KeepsGreysAndKeysAndNeverMakesAKey) {
  for (int v : {0, 1, 77, 128, 254, 255})
    for (int delta : {1, 80, 119, -7, 500}) EXPECT_EQ(ShiftHueColor(Rgb(v, v, v), delta), Rgb(v, v, v));
  int checked = 0;
  for (int r = 0; r <= 255; r += 15)
    for (int g = 0; g <= 255; g += 15)
      for (int b = 0; b <= 255; b += 15)
        for (int delta = -300; delta <= 300; delta += 7) {
          const TColor colour = Rgb(r, g, b);
          const TColor shifted = ShiftHueColor(colour, delta);
          if (IsSkinKeyColor(colour)) {
            ASSERT_EQ(shifted, colour) << std::hex << colour << " by " << std::dec << delta;
          } else {
            ASSERT_FALSE(IsSkinKeyColor(shifted)) << std::hex << colour << " by " << std::dec << delta;
          }
          ++checked;
        }
  EXPECT_GT(checked, 400000);
}

TEST(HueShift, ShiftsEveryPixelOfABitmapButTheKeys) {
  const TColor palette[] = {kMarker, 0xFF00FF, 0xFF0000, Rgb(200, 100, 50), Rgb(90, 90, 90),
                            Rgb(10, 220, 140)};
  for (TPixelFormat format : {pf24bit, pf32bit}) {
    auto bitmap = MakeBitmap(13, 5, format, [&](int x, int y) { return palette[(x + y) % 6]; });
    ShiftBitmapHue(bitmap.get(), 80);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 13; ++x)
        ASSERT_EQ(PixelOf(bitmap.get(), x, y), ShiftHueColor(palette[(x + y) % 6], 80)) << x << "," << y;
  }
}

// ---------------------------------------------------------------- pixels

TEST(QuickPixels, ReadsBackWhatItWritesAtEveryDepth) {
  struct Case {
    TPixelFormat format;
    int depth;
    std::vector<std::pair<TColor, TColor>> written_read;
  } cases[] = {
      {pf1bit, 1, {{0x000000, 0x000000}, {0xFFFFFF, 0xFFFFFF}}},
      {pf4bit, 4, {{0x000000, 0x000000}, {0x0000FF, 0x0000FF}, {0xFFFFFF, 0xFFFFFF}, {0x808000, 0x808000}}},
      {pf8bit, 8, {{0x000000, 0x000000}, {0xFFFFFF, 0xFFFFFF}}},
      {pf15bit, 15, {{0xF8F8F8, 0xFFFFFF}, {Rgb(8, 16, 24), Rgb(8, 16, 24)}, {Rgb(7, 0, 255), Rgb(0, 0, 255)}}},
      {pf16bit, 16, {{0xFFFFFF, 0xFFFFFF}, {Rgb(8, 4, 16), Rgb(8, 4, 16)}, {Rgb(255, 3, 0), Rgb(255, 0, 0)}}},
      {pf24bit, 24, {{Rgb(1, 2, 3), Rgb(1, 2, 3)}, {0xFFFFFF, 0xFFFFFF}}},
      {pf32bit, 32, {{Rgb(1, 2, 3), Rgb(1, 2, 3)}, {0xFFFFFF, 0xFFFFFF}}},
  };
  for (const Case& c : cases) {
    for (int height : {1, 3}) {  // a one-row bitmap has no second row to measure from
      SCOPED_TRACE(testing::Message() << "depth " << c.depth << " height " << height);
      auto bitmap = MakeBitmap(7, height, c.format, [](int, int) { return 0; });
      TQuickPixels pixels;
      pixels.Attach(bitmap.get());
      ASSERT_EQ(pixels.BitsPerPixel(), c.depth);
      for (size_t i = 0; i < c.written_read.size(); ++i) {
        const auto [written, read] = c.written_read[i];
        const int x = static_cast<int>(i) % 7, y = height - 1;
        pixels.SetPixel(x, y, written);
        EXPECT_EQ(pixels.GetPixel(x, y), read) << std::hex << written;
        // Neighbours stay: bits and nibbles share their byte.
        if (x + 1 < 7) {
          EXPECT_EQ(pixels.GetPixel(x + 1, y), 0);
        }
        EXPECT_EQ(PixelOf(bitmap.get(), x, y), read);
      }
    }
  }
}

TEST(QuickPixels, PlacesBitsNibblesAndWordsWhereTheFormatSays) {
  auto mono = MakeBitmap(10, 2, pf1bit, [](int, int) { return 0; });
  auto nibbles = MakeBitmap(3, 2, pf4bit, [](int, int) { return 0; });
  auto words = MakeBitmap(2, 2, pf16bit, [](int, int) { return 0; });
  TQuickPixels pixels;
  pixels.SetIndexMode(true);
  pixels.Attach(mono.get());
  pixels.SetPixel(0, 1, 1);
  pixels.SetPixel(9, 1, 1);
  EXPECT_EQ(pixels.Row(1)[0], 0x80);
  EXPECT_EQ(pixels.Row(1)[1], 0x40);
  EXPECT_EQ(pixels.Row(0)[0], 0);
  pixels.Attach(nibbles.get());
  pixels.SetPixel(0, 0, 0xA);
  pixels.SetPixel(1, 0, 0x5);
  pixels.SetPixel(2, 0, 0xF);
  EXPECT_EQ(pixels.Row(0)[0], 0xA5);
  EXPECT_EQ(pixels.Row(0)[1], 0xF0);
  EXPECT_EQ(pixels.GetPixel(1, 0), 0x5);
  pixels.SetIndexMode(false);
  pixels.Attach(words.get());
  pixels.SetPixel(1, 0, 0xFFFFFF);
  uint16_t word;
  std::memcpy(&word, pixels.Row(0) + 2, 2);
  EXPECT_EQ(word, 0xFFFF);
  EXPECT_EQ(pixels.GetPixel(1, 0), 0xFFFFFF);
}

TEST(QuickPixels, FollowsABitmapThatChangesWhenTracking) {
  auto bitmap = MakeBitmap(4, 4, pf24bit, [](int, int) { return 0; });
  int ownChanges = 0;
  bitmap->SetOnChange([&](TObject*) { ++ownChanges; });
  TQuickPixels pixels;
  pixels.SetTrackChanges(true);
  pixels.Attach(bitmap.get());
  bitmap->SetSize(9, 2);
  bitmap->SetPixelFormat(pf32bit);
  EXPECT_EQ(pixels.Width(), 9);
  EXPECT_EQ(pixels.Height(), 2);
  EXPECT_EQ(pixels.BitsPerPixel(), 32);
  pixels.SetPixel(8, 1, Rgb(1, 2, 3));
  EXPECT_EQ(PixelOf(bitmap.get(), 8, 1), Rgb(1, 2, 3));
  EXPECT_EQ(ownChanges, 2);
  TBitmap empty;
  pixels.Attach(&empty);
  bitmap->SetSize(3, 3);  // the bitmap's own handler is back, alone
  EXPECT_EQ(ownChanges, 3);
  EXPECT_EQ(pixels.BitsPerPixel(), 0);
  pixels.SetPixel(0, 0, 0);  // does nothing
  EXPECT_EQ(pixels.GetPixel(0, 0), 0);
}

// ---------------------------------------------------------------- sheets

// A 40 x 50 sheet, every pixel its own colour, markers in column 0 at rows 10
// 30 and 31 (bands at 0, 11, 31 and 32), on row 0 at x 20, on row 11 at x 15
// and 25; the one at (0, 31) also leaves cell 1 of band 3 empty.
std::unique_ptr<TBitmap> MakeSheet(TPixelFormat format) {
  return MakeBitmap(40, 50, format, [](int x, int y) {
    if ((x == 0 && (y == 10 || y == 30 || y == 31)) || (y == 0 && x == 20) ||
        (y == 11 && (x == 15 || x == 25)))
      return kMarker;
    return Rgb(x * 5, 0, y * 5);
  });
}

TEST(ExtractSkinCell, CutsTheCellsOfTheBandsAndRefusesTheRest) {
  struct Case {
    int row, column;
    bool found;
    int left = 0, top = 0, width = 0, height = 0;
  } cases[] = {
      {1, 1, true, 0, 0, 20, 10},   // down to the marker at row 10
      {1, 2, true, 21, 0, 19, 50},  // nothing below in column 21: the bottom edge
      {2, 1, true, 0, 11, 15, 19},  // down to the marker at row 30
      {2, 2, true, 16, 11, 9, 39},
      {2, 3, true, 26, 11, 14, 39},  // to the right edge
      {3, 2, true, 1, 31, 39, 19},
      {3, 1, false},  // begins with a marker: empty
      {2, 4, false},
      {4, 1, true, 0, 32, 40, 18},  // (0, 31) is a marker of column 0 too
      {5, 1, false},
      {0, 1, false},
      {1, 0, false},
      {-3, 2, false},
  };
  for (TPixelFormat format : {pf24bit, pf8bit}) {
    auto sheet = MakeSheet(pf24bit);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "band " << c.row << " cell " << c.column);
      auto dest = MakeBitmap(3, 2, format, [](int, int) { return 0xFFFFFF; });
      ASSERT_EQ(ExtractSkinCell(sheet.get(), dest.get(), c.row, c.column, kMarker), c.found);
      if (!c.found) {
        EXPECT_EQ(dest->Width(), 3);
        EXPECT_EQ(PixelOf(dest.get(), 2, 1), 0xFFFFFF);
        continue;
      }
      ASSERT_EQ(dest->Width(), c.width);
      ASSERT_EQ(dest->Height(), c.height);
      EXPECT_EQ(dest->PixelFormat(), pf24bit);
      for (int y = 0; y < c.height; y += 3)
        for (int x = 0; x < c.width; x += 2)
          ASSERT_EQ(PixelOf(dest.get(), x, y), PixelOf(sheet.get(), c.left + x, c.top + y));
    }
  }
  auto palette = MakeSheet(pf8bit);
  TBitmap dest;
  EXPECT_TRUE(ExtractSkinCell(palette.get(), &dest, 2, 2, kMarker));
  EXPECT_EQ(palette->PixelFormat(), pf24bit);
  EXPECT_EQ(dest.Width(), 9);
  TBitmap empty;
  EXPECT_FALSE(ExtractSkinCell(&empty, &dest, 1, 1, kMarker));
  EXPECT_FALSE(ExtractSkinCell(nullptr, &dest, 1, 1, kMarker));
  EXPECT_TRUE(ExtractSkinCell(palette.get(), palette.get(), 2, 2, kMarker));
  EXPECT_EQ(palette->Width(), 9);
}

// ---------------------------------------------------------------- regions

TEST(CreateRegionFromBitmap, HoldsExactlyThePixelsThatAreNotTheKey) {
  std::mt19937 random(1234);
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit}) {
    SCOPED_TRACE(testing::Message() << "format " << format);
    // Black and white exist in every palette and survive every depth.
    const TColor key = format == pf1bit ? 0x000000 : 0xFFFFFF;
    const TColor other = format == pf1bit ? 0xFFFFFF : 0x0000FF;
    // Random pixels, with rows repeated in blocks of three so that runs also
    // continue downwards.
    std::vector<int> keyed(37 * 23);
    for (int i = 0; i < 37 * 23; ++i)
      keyed[i] = (i / 37) % 3 != 0 && format != pf8bit ? keyed[i - 37] : random() % 3 == 0 ? 0 : 1;
    keyed[0] = 1;  // a run that opens the first row
    keyed[36] = 1;  // and one still open at its end
    auto bitmap = MakeBitmap(37, 23, format, [&](int x, int y) { return keyed[y * 37 + x] ? key : other; });
    HRGN region = CreateRegionFromBitmap(bitmap.get(), key);
    ASSERT_NE(region, nullptr);
    for (int y = -1; y <= 23; ++y)
      for (int x = -1; x <= 37; ++x) {
        const bool inside = x >= 0 && y >= 0 && x < 37 && y < 23 && !keyed[y * 37 + x];
        ASSERT_EQ(PtInRegion(region, x, y) != 0, inside) << x << "," << y;
      }
    DeleteObject(region);
  }
}

TEST(CreateRegionFromBitmap, UnitesOneRowRunsAndGivesNoneForAllKey) {
  const TColor key = 0xFF00FF;
  auto bitmap = MakeBitmap(3, 2, pf24bit, [&](int x, int y) { return (x + y) % 2 == 0 ? key : 0; });
  HRGN region = CreateRegionFromBitmap(bitmap.get(), key);
  HRGN expected = CreateRectRgn(1, 0, 2, 1);
  for (RECT r : {RECT{0, 1, 1, 2}, RECT{2, 1, 3, 2}}) {
    HRGN part = CreateRectRgnIndirect(&r);
    CombineRgn(expected, expected, part, RGN_OR);
    DeleteObject(part);
  }
  EXPECT_TRUE(EqualRgn(region, expected));
  DeleteObject(region);
  DeleteObject(expected);
  auto allKey = MakeBitmap(5, 4, pf24bit, [&](int, int) { return key; });
  EXPECT_EQ(CreateRegionFromBitmap(allKey.get(), key), nullptr);
  TBitmap empty;
  EXPECT_EQ(CreateRegionFromBitmap(&empty, key), nullptr);
}

// ---------------------------------------------------------------- skin description

TEST(CoolIni, ReadsPointsColoursAndNumbersAndTakesBadTextAsZero) {
  testing_support::TempDir dir;
  const std::wstring file = dir.WriteFile(L"Skin.txt",
                                          "[Main]\r\nPoint=10,20\r\nNegative=-3,-4\r\nBadPoint=1x,2\r\n"
                                          "OnePoint=5\r\nColour=255,128,0\r\nBadColour=red\r\n"
                                          "BigColour=256,1,2\r\nNumber=42\r\n"
                                          "Hex=$1F\r\nBadNumber=4 2\r\nFlag=1\r\n");
  TCoolIni ini(file);
  struct PointCase {
    const wchar_t* key;
    LONG x, y;
  } points[] = {{L"Point", 10, 20}, {L"Negative", -3, -4}, {L"BadPoint", 0, 0},
                {L"OnePoint", 0, 0}, {L"Missing", 0, 0}};
  for (const PointCase& c : points) {
    POINT p = ini.ReadPoint(L"Main", c.key);
    EXPECT_EQ(p.x, c.x) << c.key;
    EXPECT_EQ(p.y, c.y) << c.key;
  }
  struct ColourCase {
    const wchar_t* key;
    int r, g, b;
  } colours[] = {{L"Colour", 255, 128, 0}, {L"BadColour", 0, 0, 0}, {L"BigColour", 0, 1, 2},
                 {L"Missing", 0, 0, 0}};
  for (const ColourCase& c : colours) {
    RGBTRIPLE t = ini.ReadRGB(L"Main", c.key);
    EXPECT_EQ(Rgb(t.rgbtRed, t.rgbtGreen, t.rgbtBlue), Rgb(c.r, c.g, c.b)) << c.key;
  }
  EXPECT_EQ(ini.ReadInteger(L"Main", L"Number", 7), 42);
  EXPECT_EQ(ini.ReadInteger(L"Main", L"Hex", 7), 31);
  EXPECT_EQ(ini.ReadInteger(L"Main", L"BadNumber", 7), 7);
  EXPECT_EQ(ini.ReadInteger(L"Other", L"Number", 7), 7);
  EXPECT_TRUE(ini.ReadBool(L"Main", L"Flag", false));
  EXPECT_TRUE(ini.ReadBool(L"Main", L"Missing", true));
  EXPECT_EQ(ini.ReadString(L"Main", L"Point", L""), L"10,20");
  EXPECT_EQ(ini.ReadString(L"Main", L"Missing", L"dflt"), L"dflt");
}

// ---------------------------------------------------------------- placement

// A parent whose client area is smaller than its outer size, as with a frame.
class TFramedParent : public TWinControl {
 public:
  using TWinControl::TWinControl;
  RECT ClientRect() override { return RECT{0, 0, Width() - 20, Height() - 20}; }
};

TEST(PlaceControl, PlacesByEveryCode) {
  struct Case {
    int code, width;
    int left, top, resultWidth;
  } cases[] = {
      {0, 30, 1, 2, 30},    {1, 30, 10, 5, 30},    {2, 30, 10, 55, 30},  {3, 30, 140, 5, 30},
      {4, 30, 140, 55, 30}, {5, 30, 85, 5, 30},    {6, 30, 10, 40, 30},  {7, 30, 85, 40, 30},
      {8, 30, 10, 5, 180},  {9, 30, 1, 2, 30},     {5, 215, -7, 5, 215},  // truncated toward zero
  };
  TFramedParent parent(nullptr);
  parent.SetBounds(0, 0, 200, 100);  // client 180 x 80
  for (const Case& c : cases) {
    TWinControl control(nullptr);
    control.SetBounds(1, 2, c.width, 20);
    PlaceControl(&control, &parent, 10, static_cast<SkinAlignCode>(c.code), 5);
    EXPECT_EQ(control.Left(), c.left) << "code " << c.code;
    EXPECT_EQ(control.Top(), c.top) << "code " << c.code;
    EXPECT_EQ(control.Width(), c.resultWidth) << "code " << c.code;
  }
  TWinControl control(nullptr);
  SetControlPos(&control, POINT{7, 8});
  SetControlClientSize(&control, POINT{30, 40});
  EXPECT_EQ(control.BoundsRect().left, 7);
  EXPECT_EQ(control.BoundsRect().top, 8);
  EXPECT_EQ(control.ClientWidth(), 30);
  EXPECT_EQ(control.ClientHeight(), 40);
  PlaceControl(nullptr, &parent, 1, 1, 1);
}

// ---------------------------------------------------------------- resources and lists

TEST(SkinResources, AMissingResourceRaisesAndLeavesTheFileAlone) {
  testing_support::TempDir dir;
  const std::wstring file = dir.WriteFile(L"kept.txt", "old");
  EXPECT_NE(testing_support::MessageOf<EResNotFound>(
                [&] { SaveResourceToFile(L"NO_SUCH_THING", L"TXT", file); }),
            L"(nothing raised)");
  EXPECT_EQ(testing_support::ReadFileBytes(file), "old");
  TBitmap bitmap;
  EXPECT_THROW(LoadGraphicFromResource(L"NO_SUCH_THING", &bitmap), EResNotFound);
  EXPECT_EQ(testing_support::FilesIn(dir.Path()).size(), 1u);
}

TEST(MakeImageList32Bit, RemakesTheListAt32BitsKeepingItsImages) {
  TImageList list(nullptr, 16, 16);
  list.SetColorDepth(cd4Bit);
  auto image = MakeBitmap(32, 16, pf24bit, [](int x, int) { return x < 16 ? 0x0000FF : 0x00FF00; });
  ASSERT_EQ(list.AddMasked(image.get(), 0xFFFFFF), 0);
  MakeImageList32Bit(&list);
  EXPECT_EQ(list.Count(), 2);
  IMAGEINFO info{};
  ASSERT_TRUE(ImageList_GetImageInfo(list.Handle(), 1, &info));
  BITMAP bits{};
  GetObjectW(info.hbmImage, sizeof(bits), &bits);
  EXPECT_EQ(bits.bmBitsPixel, 32);
  TBitmap second;
  ASSERT_TRUE(list.GetBitmap(1, &second));
  EXPECT_EQ(PixelOf(&second, 8, 8), 0x00FF00);
  MakeImageList32Bit(nullptr);
}

}  // namespace
