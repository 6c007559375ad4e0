#include <gtest/gtest.h>

#include <malloc.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framework/bitmaps.h"
#include "framework/streams.h"
#include "memory_bitmap.h"
#include "test_support.h"

using testing_support::MemoryCanvas;
using testing_support::MessageOf;

namespace {

void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 255);
  s += static_cast<char>((v >> 8) & 255);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// A .bmp file put together field by field, so tests can write what no encoder
// would: odd headers, lying counts and offsets, hand-made RLE streams.
struct BmpBuilder {
  uint32_t HeaderSize = 40;
  int32_t Width = 1;
  int32_t Height = 1;
  uint16_t Bits = 24;
  uint32_t Compression = BI_RGB;
  int64_t ClrUsed = -1;             // -1: the palette's size (0 when none)
  std::vector<COLORREF> Palette{};  // written as RGBQUADs (RGBTRIPLEs for the core header)
  std::vector<uint32_t> Masks{};    // after a 40-byte header, or inside a V4/V5 one
  std::string Pixels{};
  int64_t OffBits = -1;             // -1: right after the palette

  std::string Build() const {
    std::string info;
    Put32(info, HeaderSize);
    if (HeaderSize == 12) {
      Put16(info, static_cast<uint32_t>(Width));
      Put16(info, static_cast<uint32_t>(Height));
      Put16(info, 1);
      Put16(info, Bits);
    } else {
      Put32(info, static_cast<uint32_t>(Width));
      Put32(info, static_cast<uint32_t>(Height));
      Put16(info, 1);
      Put16(info, Bits);
      Put32(info, Compression);
      Put32(info, static_cast<uint32_t>(Pixels.size()));
      Put32(info, 2835);
      Put32(info, 2835);
      Put32(info, static_cast<uint32_t>(ClrUsed >= 0 ? ClrUsed : int64_t(Palette.size())));
      Put32(info, 0);
      if (HeaderSize > 40)
        for (uint32_t m : Masks) Put32(info, m);
      info.resize(HeaderSize, '\0');
      if (HeaderSize == 40)
        for (uint32_t m : Masks) Put32(info, m);
    }
    for (COLORREF c : Palette) {
      info += static_cast<char>(GetBValue(c));
      info += static_cast<char>(GetGValue(c));
      info += static_cast<char>(GetRValue(c));
      if (HeaderSize != 12) info += '\0';
    }
    std::string file = "BM";
    const uint32_t off = static_cast<uint32_t>(OffBits >= 0 ? OffBits : 14 + int64_t(info.size()));
    Put32(file, static_cast<uint32_t>(14 + info.size() + Pixels.size()));
    Put32(file, 0);
    Put32(file, off);
    return file + info + Pixels;
  }
};

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

void LoadBytes(TGraphic& graphic, const std::string& bytes) {
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  stream.SetPosition(0);
  graphic.LoadFromStream(&stream);
}

std::string SaveBytes(TGraphic& graphic) {
  TMemoryStream stream;
  graphic.SaveToStream(&stream);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

// The pixels top row first, read as 24 bits from a copy of the bitmap (the
// bitmap itself keeps its format).
std::vector<COLORREF> PixelsOf(TBitmap& bitmap) {
  TBitmap copy;
  copy.Assign(&bitmap);
  copy.SetPixelFormat(pf24bit);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < copy.Height(); ++y) {
    auto* row = static_cast<const uint8_t*>(copy.ScanLine(y));
    for (int x = 0; x < copy.Width(); ++x)
      pixels.push_back(RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
  }
  return pixels;
}

std::string FormatName(TPixelFormat f) {
  static const char* names[] = {"pfDevice", "pf1bit",  "pf4bit",  "pf8bit", "pf15bit",
                                "pf16bit",  "pf24bit", "pf32bit", "pfCustom"};
  return names[f];
}

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = 0;

}  // namespace

TEST(Bitmaps, EveryPixelFormatConvertsAndRoundTripsThroughAFile) {
  struct Case {
    TPixelFormat format;
    std::vector<COLORREF> colours;  // exactly representable in the format
  } cases[] = {
      {pf1bit, {kBlack, kWhite}},
      {pf4bit, {kBlack, RGB(128, 0, 0), RGB(192, 192, 192), kBlue, RGB(0, 128, 128), kWhite}},
      {pf8bit, {kBlack, RGB(51, 102, 153), RGB(128, 0, 128), kRed, RGB(255, 255, 204), kWhite}},
      {pf15bit, {kBlack, RGB(0x84, 0x42, 0xFF), RGB(0xFF, 0x08, 0x84), kWhite}},
      {pf16bit, {kBlack, RGB(0x84, 0x82, 0xFF), RGB(0xFF, 0x04, 0x84), kWhite}},
      {pf24bit, {kBlack, RGB(1, 2, 3), RGB(200, 100, 50), kWhite}},
      {pf32bit, {kBlack, RGB(1, 2, 3), RGB(200, 100, 50), kWhite}},
  };
  for (const Case& c : cases) {
    const std::string name = FormatName(c.format);
    TBitmap bitmap;
    bitmap.SetPixelFormat(c.format);
    bitmap.SetSize(7, 3);  // an odd width: packed rows end mid-byte
    ASSERT_EQ(bitmap.PixelFormat(), c.format) << name;
    std::vector<COLORREF> expected;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 7; ++x) {
        COLORREF colour = c.colours[(x + 2 * y) % c.colours.size()];
        bitmap.Canvas()->SetPixel(x, y, static_cast<TColor>(colour));
        expected.push_back(colour);
      }
    EXPECT_EQ(PixelsOf(bitmap), expected) << name;

    // Through 24 bits and back: the same colours, the same pixel bytes.
    TBitmap converted;
    converted.Assign(&bitmap);
    converted.SetPixelFormat(pf24bit);
    converted.SetPixelFormat(c.format);
    EXPECT_EQ(PixelsOf(converted), expected) << name;

    TBitmap loaded;
    LoadBytes(loaded, SaveBytes(bitmap));
    EXPECT_EQ(loaded.PixelFormat(), c.format) << name;
    EXPECT_EQ(PixelsOf(loaded), expected) << name;
    const size_t rowBytes = static_cast<size_t>(-bitmap.ScanLineStride());
    for (int y = 0; y < 3; ++y)
      EXPECT_EQ(std::memcmp(loaded.ScanLine(y), bitmap.ScanLine(y), rowBytes), 0) << name << y;
  }
}

TEST(Bitmaps, ScanLinesRunTopDownAndMeetTheCanvas) {
  TBitmap one;
  one.SetPixelFormat(pf24bit);
  one.SetSize(5, 1);
  EXPECT_EQ(one.ScanLineStride(), -16);
  auto* row = static_cast<uint8_t*>(one.ScanLine(0));
  row[3 * 4 + 2] = 255;  // pixel 4 red
  EXPECT_EQ(one.Canvas()->Pixels(4, 0), static_cast<TColor>(kRed));
  EXPECT_TRUE(MessageOf<EInvalidGraphic>([&] { one.ScanLine(1); }).find(L"Scan line") == 0);
  EXPECT_NE(MessageOf<EInvalidGraphic>([&] { one.ScanLine(-1); }), L"(nothing raised)");

  TBitmap bitmap;
  bitmap.SetPixelFormat(pf32bit);
  bitmap.SetSize(4, 3);
  auto* top = static_cast<uint8_t*>(bitmap.ScanLine(0));
  EXPECT_EQ(static_cast<uint8_t*>(bitmap.ScanLine(1)) - top, bitmap.ScanLineStride());
  bitmap.Canvas()->Brush()->SetColor(static_cast<TColor>(kBlue));
  bitmap.Canvas()->FillRect(RECT{0, 0, 4, 1});
  EXPECT_EQ(top[0], 255);  // the fill is visible at once: no batching left
  // Growing and shrinking keep the pixels they share; new ones are black.
  bitmap.SetSize(6, 4);
  EXPECT_EQ(PixelsOf(bitmap)[3], kBlue);
  EXPECT_EQ(PixelsOf(bitmap)[4], kBlack);
  bitmap.SetWidth(2);
  EXPECT_EQ(PixelsOf(bitmap), (std::vector<COLORREF>{kBlue, kBlue, 0, 0, 0, 0, 0, 0}));
}

TEST(Bitmaps, ChangesAreAnnounced) {
  TBitmap bitmap;
  int changes = 0;
  bitmap.SetOnChange([&](TObject*) { ++changes; });
  bitmap.SetSize(3, 3);
  bitmap.SetSize(3, 3);  // no change
  bitmap.SetPixelFormat(pf8bit);
  bitmap.Canvas()->FillRect(RECT{0, 0, 1, 1});
  bitmap.SetTransparent(true);
  EXPECT_EQ(changes, 4);
  EXPECT_TRUE(bitmap.Modified());
  EXPECT_TRUE(MessageOf<EInvalidGraphic>([&] { bitmap.SetPixelFormat(pfCustom); }).size() > 0);
  bitmap.SetMonochrome(true);
  EXPECT_EQ(bitmap.PixelFormat(), pf1bit);
  EXPECT_TRUE(bitmap.Monochrome());

  // A handle handed out leaves the canvas's DC; the canvas comes back on use.
  HBITMAP handle = bitmap.Handle();
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ stock = SelectObject(dc, handle);
  EXPECT_NE(stock, nullptr);
  SelectObject(dc, stock);
  DeleteDC(dc);
  bitmap.Canvas()->Brush()->SetColor(clWhite);
  bitmap.Canvas()->FillRect(RECT{0, 0, 3, 3});
  EXPECT_EQ(PixelsOf(bitmap)[8], kWhite);
}

TEST(Bitmaps, ReadsEveryKindOfBmpFile) {
  const std::vector<COLORREF> four = {kBlack, kRed, kGreen, kBlue};
  struct Case {
    const char* what;
    BmpBuilder file;
    TPixelFormat format;
    std::vector<COLORREF> pixels;  // top row first
  } cases[] = {
      {"RLE8 with absolute run, delta and end of line",
       {.Width = 4, .Height = 3, .Bits = 8, .Compression = BI_RLE8, .Palette = four,
        // bottom row: 1 2 3 | 1 ; end of line; a delta to (2, 2); two 2s; end.
        .Pixels = Bytes({0, 3, 1, 2, 3, 0, 1, 1, 0, 0, 0, 2, 2, 1, 2, 2, 0, 1})},
       pf8bit,
       {kBlack, kBlack, kGreen, kGreen, kBlack, kBlack, kBlack, kBlack, kRed, kGreen, kBlue, kRed}},
      {"RLE4",
       {.Width = 5, .Height = 2, .Bits = 4, .Compression = BI_RLE4, .Palette = four,
        .Pixels = Bytes({2, 0x12, 0, 3, 0x31, 0x20, 0, 0, 5, 0x30, 0, 1})},
       pf4bit,
       {kBlue, kBlack, kBlue, kBlack, kBlue, kRed, kGreen, kBlue, kRed, kGreen}},
      {"bit fields 5-6-5",
       {.Width = 2, .Height = 2, .Bits = 16, .Compression = BI_BITFIELDS,
        .Masks = {0xF800, 0x7E0, 0x1F},
        .Pixels = Bytes({0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF})},
       pf16bit,
       {kBlue, kWhite, kRed, kGreen}},
      {"bit fields 5-5-5",
       {.Width = 2, .Height = 1, .Bits = 16, .Compression = BI_BITFIELDS,
        .Masks = {0x7C00, 0x3E0, 0x1F}, .Pixels = Bytes({0x00, 0x7C, 0xE0, 0x03})},
       pf15bit,
       {kRed, kGreen}},
      {"32-bit fields in another order",
       {.Width = 2, .Height = 1, .Bits = 32, .Compression = BI_BITFIELDS,
        .Masks = {0xFF, 0xFF00, 0xFF0000}, .Pixels = Bytes({255, 0, 0, 0, 0, 0, 255, 0})},
       pf24bit,
       {kRed, kBlue}},
      {"V5 header with its masks inside",
       {.HeaderSize = 124, .Width = 1, .Height = 1, .Bits = 32, .Compression = BI_BITFIELDS,
        .Masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, .Pixels = Bytes({0, 255, 0, 128})},
       pf32bit,
       {kGreen}},
      {"top-down 24-bit",
       {.Width = 1, .Height = -2, .Bits = 24, .Pixels = Bytes({0, 0, 255, 0, 255, 0, 0, 0})},
       pf24bit,
       {kRed, kBlue}},
      {"OS/2 core header with a short palette",
       {.HeaderSize = 12, .Width = 3, .Height = 1, .Bits = 8, .Palette = {kRed, kGreen},
        .Pixels = Bytes({1, 0, 1, 0})},
       pf8bit,
       {kGreen, kRed, kGreen}},
      {"1-bit",
       {.Width = 9, .Height = 1, .Bits = 1, .Palette = {kBlue, kWhite},
        .Pixels = Bytes({0xA0, 0x80, 0, 0})},
       pf1bit,
       {kWhite, kBlue, kWhite, kBlue, kBlue, kBlue, kBlue, kBlue, kWhite}},
  };
  for (const Case& c : cases) {
    TBitmap bitmap;
    LoadBytes(bitmap, c.file.Build());
    EXPECT_EQ(bitmap.PixelFormat(), c.format) << c.what;
    EXPECT_EQ(PixelsOf(bitmap), c.pixels) << c.what;
  }
}

TEST(Bitmaps, HostileFilesRaiseAndLeaveTheBitmapAlone) {
  const BmpBuilder good{.Width = 2, .Height = 2, .Bits = 24, .Pixels = std::string(16, '\x40')};
  const std::string goodBytes = good.Build();
  auto with = [&](auto change) {
    BmpBuilder b = good;
    change(b);
    return b.Build();
  };
  auto rle = [](int width, int height, std::string data) {
    return BmpBuilder{.Width = width, .Height = height, .Bits = 8, .Compression = BI_RLE8,
                      .Palette = {kBlack, kRed}, .Pixels = std::move(data)}
        .Build();
  };
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"not a bitmap", "GIF89a........................................"},
      {"cut in the header", goodBytes.substr(0, 30)},
      {"cut in the pixels", goodBytes.substr(0, goodBytes.size() - 3)},
      {"width*height overflow", with([](BmpBuilder& b) { b.Width = b.Height = 0x40000000; })},
      {"4 GiB of pixels", with([](BmpBuilder& b) { b.Width = b.Height = 32768; b.Bits = 32; })},
      {"negative width", with([](BmpBuilder& b) { b.Width = -2; })},
      {"smallest height", with([](BmpBuilder& b) { b.Height = INT32_MIN; })},
      {"palette count 2^31", with([](BmpBuilder& b) { b.Bits = 8; b.ClrUsed = 0x80000000u; })},
      {"7 bits", with([](BmpBuilder& b) { b.Bits = 7; })},
      {"unknown compression", with([](BmpBuilder& b) { b.Compression = 9; })},
      {"RLE8 at 24 bits", with([](BmpBuilder& b) { b.Compression = BI_RLE8; })},
      {"odd header size", with([](BmpBuilder& b) { b.HeaderSize = 99; })},
      {"pixel offset past the end", with([](BmpBuilder& b) { b.OffBits = 1000000000; })},
      {"pixel offset inside the header", with([](BmpBuilder& b) { b.OffBits = 10; })},
      {"RLE run past the row", rle(4, 2, Bytes({5, 1, 0, 1}))},
      {"RLE absolute run past the row", rle(4, 2, Bytes({2, 1, 0, 3, 1, 1, 1, 0, 0, 1}))},
      {"RLE run past the image", rle(2, 1, Bytes({2, 1, 0, 0, 1, 1, 0, 1}))},
      {"RLE delta past the image", rle(2, 2, Bytes({0, 2, 0, 5, 0, 1}))},
      {"RLE without its end", rle(2, 2, Bytes({2, 1, 0, 0, 2, 1}))},
      {"top-down RLE", with([](BmpBuilder& b) {
         b.Bits = 8;
         b.Compression = BI_RLE8;
         b.Height = -2;
         b.Pixels = Bytes({0, 1});
       })},
  };
  for (const Case& c : cases) {
    TBitmap bitmap(3, 3);
    const std::wstring message =
        MessageOf<EInvalidGraphic>([&] { LoadBytes(bitmap, c.bytes); });
    EXPECT_NE(message, L"(nothing raised)") << c.what;
    EXPECT_FALSE(message.empty()) << c.what;
    EXPECT_EQ(bitmap.Width(), 3) << c.what;
    EXPECT_NE(bitmap.Handle(), nullptr) << c.what;
  }

  // Random damage to real files: a clean refusal or a picture, nothing else.
  TBitmap palette;
  palette.SetPixelFormat(pf8bit);
  palette.SetSize(9, 5);
  const std::string seeds[] = {goodBytes, SaveBytes(palette),
                               rle(4, 3, Bytes({0, 3, 1, 0, 1, 0, 1, 1, 0, 0, 0, 2, 2, 1, 2, 1, 0, 1}))};
  std::mt19937 random(7);
  for (const std::string& seed : seeds)
    for (int i = 0; i < 300; ++i) {
      std::string mutant = seed;
      for (int k = 0; k < 1 + i % 4; ++k) mutant[random() % mutant.size()] = static_cast<char>(random());
      if (i % 5 == 0) mutant.resize(random() % mutant.size());
      TBitmap bitmap;
      try {
        LoadBytes(bitmap, mutant);
      } catch (const EInvalidGraphic&) {
      }
    }
}

TEST(Bitmaps, TransparentDrawingKeepsTheBackgroundUnderTheKeyColour) {
  // Key colour all round (the bottom-left pixel picks it), red inside.
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(4, 4);
  bitmap.Canvas()->Brush()->SetColor(clFuchsia);
  bitmap.Canvas()->FillRect(RECT{0, 0, 4, 4});
  bitmap.Canvas()->Brush()->SetColor(clRed);
  bitmap.Canvas()->FillRect(RECT{1, 1, 3, 3});
  bitmap.SetTransparent(true);
  EXPECT_EQ(bitmap.TransparentColor(), clFuchsia);
  EXPECT_EQ(bitmap.TransparentMode(), tmAuto);

  struct Case {
    const char* what;
    bool stretch;
    TColor fixedKey;  // clDefault: automatic
    POINT keyed, inside;
  } cases[] = {{"drawn", false, clDefault, {2, 2}, {4, 4}},
               {"stretched twice", true, clDefault, {2, 3}, {5, 6}},
               {"fixed key: the red is the hole", false, clRed, {4, 4}, {2, 2}}};
  for (const Case& c : cases) {
    bitmap.SetTransparentColor(c.fixedKey);
    MemoryCanvas target(12, 12, clNavy);
    if (c.stretch)
      target.Canvas.StretchDraw(RECT{2, 2, 10, 10}, &bitmap);
    else
      target.Canvas.Draw(2, 2, &bitmap);
    EXPECT_EQ(target.Pixel(c.keyed.x, c.keyed.y), static_cast<COLORREF>(clNavy)) << c.what;
    const COLORREF shown = c.fixedKey == clRed ? static_cast<COLORREF>(clFuchsia) : kRed;
    EXPECT_EQ(target.Pixel(c.inside.x, c.inside.y), shown) << c.what;
    EXPECT_EQ(target.Pixel(0, 0), static_cast<COLORREF>(clNavy)) << c.what;
  }
  bitmap.SetTransparentColor(clDefault);

  // Opaque drawing covers; BrushCopy puts the brush where the key colour is.
  bitmap.SetTransparent(false);
  MemoryCanvas opaque(6, 6, clNavy);
  opaque.Canvas.Draw(1, 1, &bitmap);
  EXPECT_EQ(opaque.Pixel(1, 1), static_cast<COLORREF>(clFuchsia));
  MemoryCanvas brushed(6, 6, clNavy);
  brushed.Canvas.Brush()->SetColor(clYellow);
  brushed.Canvas.BrushCopy(RECT{0, 0, 4, 4}, &bitmap, RECT{0, 0, 4, 4}, clFuchsia);
  EXPECT_EQ(brushed.Pixel(0, 0), static_cast<COLORREF>(clYellow));
  EXPECT_EQ(brushed.Pixel(1, 1), kRed);
  EXPECT_EQ(brushed.Pixel(5, 5), static_cast<COLORREF>(clNavy));
}

namespace {

// An .ico file of 32-bit images: each entry a square of one colour with a
// fully transparent left column.
std::string IconFile(std::initializer_list<std::pair<int, COLORREF>> entries) {
  std::string dir, images;
  Put16(dir, 0);
  Put16(dir, 1);
  Put16(dir, static_cast<uint32_t>(entries.size()));
  size_t offset = 6 + 16 * entries.size();
  for (auto [size, colour] : entries) {
    std::string image;
    Put32(image, 40);
    Put32(image, static_cast<uint32_t>(size));
    Put32(image, static_cast<uint32_t>(size * 2));
    Put16(image, 1);
    Put16(image, 32);
    for (int i = 0; i < 6; ++i) Put32(image, 0);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        image += static_cast<char>(GetBValue(colour));
        image += static_cast<char>(GetGValue(colour));
        image += static_cast<char>(GetRValue(colour));
        image += static_cast<char>(x == 0 ? 0 : 255);
      }
    const int maskStride = ((size + 31) / 32) * 4;
    for (int y = 0; y < size; ++y) {
      std::string row(static_cast<size_t>(maskStride), '\0');
      row[0] = static_cast<char>(0x80);  // the left column is transparent
      image += row;
    }
    dir += static_cast<char>(size);
    dir += static_cast<char>(size);
    Put16(dir, 0);
    Put16(dir, 1);
    Put16(dir, 32);
    Put32(dir, static_cast<uint32_t>(image.size()));
    Put32(dir, static_cast<uint32_t>(offset));
    offset += image.size();
    images += image;
  }
  return dir + images;
}

}  // namespace

TEST(Bitmaps, IconsPickTheirSizeAndDrawWithAlpha) {
  const std::string file = IconFile({{16, kRed}, {32, kGreen}});
  TIcon icon;
  LoadBytes(icon, file);
  EXPECT_EQ(icon.Width(), GetSystemMetrics(SM_CXICON));
  ASSERT_NE(icon.Handle(), nullptr);
  EXPECT_EQ(SaveBytes(icon), file);

  MemoryCanvas canvas(40, 40, clWhite);
  canvas.Canvas.Draw(0, 0, &icon);
  EXPECT_EQ(canvas.Pixel(0, 5), kWhite);
  EXPECT_EQ(canvas.Pixel(5, 5), kGreen);

  icon.SetSize(16, 16);
  EXPECT_EQ(icon.Width(), 16);
  MemoryCanvas small(20, 20, clWhite);
  small.Canvas.Draw(0, 0, &icon);
  EXPECT_EQ(small.Pixel(5, 5), kRed);
  EXPECT_EQ(small.Pixel(17, 5), kWhite);

  // A handle given from outside saves as a one-entry file that loads back.
  TIcon copy;
  copy.SetHandle(CopyIcon(icon.Handle()));
  TIcon reloaded;
  LoadBytes(reloaded, SaveBytes(copy));
  EXPECT_EQ(reloaded.Width(), 16);
  TBitmap drawn;
  drawn.Assign(&reloaded);
  EXPECT_EQ(PixelsOf(drawn)[5], kRed);

  std::string lying = file;
  lying[6 + 8] = 0x10;  // the first image claims 16 bytes: too few for its pixels
  std::string farOffset = file;
  farOffset[6 + 12 + 2] = 0x40;
  for (const std::string& bad : {std::string(), file.substr(0, 40), farOffset, lying,
                                 std::string("\0\0\1\0\0\0", 6)}) {
    TIcon broken;
    EXPECT_NE(MessageOf<EInvalidGraphic>([&] {
                broken.SetSize(16, 16);
                LoadBytes(broken, bad);
              }),
              L"(nothing raised)");
    EXPECT_TRUE(broken.Empty());
  }
}

// The executable's own imports (the framework is linked in, and operator
// delete ends in free).
extern "C" decltype(&SelectObject) __imp_SelectObject;
extern "C" decltype(&free) __imp_free;

namespace {

// Points an import at Replacement while it lives.
template <typename F>
class ImportHook {
 public:
  ImportHook(F& Slot, F Replacement) : FSlot(Slot), FOriginal(Slot) { Write(Replacement); }
  ~ImportHook() { Write(FOriginal); }
  ImportHook(const ImportHook&) = delete;
  ImportHook& operator=(const ImportHook&) = delete;

 private:
  void Write(F Value) {
    DWORD old = 0;
    VirtualProtect(&FSlot, sizeof FSlot, PAGE_READWRITE, &old);
    FSlot = Value;
    VirtualProtect(&FSlot, sizeof FSlot, old, &old);
  }
  F& FSlot;
  F FOriginal;
};

}  // namespace

// A bitmap deleted with its canvas read the canvas again after freeing it, to
// deselect the DIB from the canvas's DC: a crash whenever the heap had given
// that memory back, which depends on the heap. Freed blocks are poisoned
// here, so that such a read hands GDI a DC that is no handle at all.
TEST(Bitmaps, DeletingABitmapReadsNothingItFreed) {
  static constexpr uintptr_t kPoison = 0xA5A5A5A5A5A5A5A5u;
  static decltype(&free) release = __imp_free;
  static decltype(&SelectObject) select = __imp_SelectObject;
  static int poisonedCalls = 0;
  poisonedCalls = 0;
  {
    ImportHook freeHook(
        __imp_free, +[](void* Block) {
          if (Block) std::memset(Block, 0xA5, _msize(Block));
          release(Block);
        });
    ImportHook selectHook(
        __imp_SelectObject, +[](HDC DC, HGDIOBJ Object) -> HGDIOBJ {
          if (reinterpret_cast<uintptr_t>(DC) == kPoison || reinterpret_cast<uintptr_t>(Object) == kPoison) {
            ++poisonedCalls;
            return nullptr;
          }
          return select(DC, Object);
        });
    for (TPixelFormat format : {pf8bit, pf24bit}) {
      auto* bitmap = new TBitmap(4, 4);
      bitmap->SetPixelFormat(format);
      bitmap->Canvas()->FillRect(RECT{0, 0, 2, 2});
      delete bitmap;
    }
  }
  EXPECT_EQ(poisonedCalls, 0);
}

TEST(Bitmaps, PictureLoadsByExtensionAndOwnsACopy) {
  testing_support::TempDir temp;
  TBitmap bitmap(2, 2);
  bitmap.SaveToFile(temp.File(L"a.BMP"));
  const std::wstring ico = temp.WriteFile(L"b.ico", IconFile({{32, kBlue}}));

  TPicture picture;
  int changes = 0;
  picture.SetOnChange([&](TObject*) { ++changes; });
  picture.LoadFromFile(temp.File(L"a.BMP"));
  EXPECT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 2);
  picture.LoadFromFile(ico);
  EXPECT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Height(), 32);
  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { picture.LoadFromFile(temp.File(L"c.gif")); }),
            L"Unknown picture file extension (.gif)");
  EXPECT_NE(MessageOf<EFOpenError>([&] { picture.LoadFromFile(temp.File(L"none.bmp")); }),
            L"(nothing raised)");
  EXPECT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr);  // kept after failures

  picture.Bitmap()->SetSize(5, 4);  // replaces the icon; the bitmap's changes reach us
  EXPECT_EQ(picture.Width(), 5);
  picture.SetGraphic(&bitmap);
  EXPECT_NE(picture.Graphic(), &bitmap);
  EXPECT_EQ(picture.Width(), 2);
  EXPECT_EQ(changes, 5);
}
