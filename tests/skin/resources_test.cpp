// The built-in pictures as the executable carries them: every resource the
// generated script names is there, the sheets are 24-bit at their sizes, each
// cell sits where the markers say, and the key colours (pure green, magenta,
// pure blue) appear only where they mean something. The bitmaps are read with
// a small reader of this file, not with the bitmap classes.
#if __has_include("tavrin_art_table.inc")

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

struct ArtBitmap {
  const wchar_t* name;
  int width, height;
  const char* keys;  // "S" a sheet; "B" blue shapes it; "M" magenta is see-through
};
struct ArtCell {
  const wchar_t* sheet;
  int band, column, x, y, width, height;
  const char* name;
  const char* keys;
};

#define TAVRIN_ART_BITMAP(n, w, h, k) {L"" n, w, h, k},
#define TAVRIN_ART_ICON(n)
#define TAVRIN_ART_TEXT(n, size)
#define TAVRIN_ART_CELL(s, b, c, x, y, w, h, n, k)
const ArtBitmap kBitmaps[] = {
#include "tavrin_art_table.inc"
};
#undef TAVRIN_ART_BITMAP
#undef TAVRIN_ART_ICON
#undef TAVRIN_ART_CELL
#define TAVRIN_ART_BITMAP(n, w, h, k)
#define TAVRIN_ART_ICON(n) L"" n,
#define TAVRIN_ART_CELL(s, b, c, x, y, w, h, n, k)
const wchar_t* const kIcons[] = {
#include "tavrin_art_table.inc"
};
#undef TAVRIN_ART_ICON
#undef TAVRIN_ART_CELL
#define TAVRIN_ART_ICON(n)
#define TAVRIN_ART_CELL(s, b, c, x, y, w, h, n, k) {L"" s, b, c, x, y, w, h, n, k},
const ArtCell kCells[] = {
#include "tavrin_art_table.inc"
};
#undef TAVRIN_ART_BITMAP
#undef TAVRIN_ART_ICON
#undef TAVRIN_ART_TEXT
#undef TAVRIN_ART_CELL

constexpr uint32_t kGreen = 0x00FF00, kMagenta = 0xFF00FF, kBlue = 0x0000FF;  // 0xRRGGBB

std::string ResourceBytes(const wchar_t* name, const wchar_t* type) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, name, type);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  return data ? std::string(static_cast<const char*>(data), SizeofResource(module, found)) : std::string();
}

// A 24-bit BI_RGB .bmp as 0xRRGGBB pixels, top row first; empty on anything else.
struct Picture {
  int width = 0, height = 0, bits = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Picture ReadBmp(const std::string& file) {
  Picture p;
  if (file.size() < 54 || file.compare(0, 2, "BM") != 0) return p;
  uint32_t offset, headerSize, compression;
  int32_t width, height;
  uint16_t bits;
  std::memcpy(&offset, file.data() + 10, 4);
  std::memcpy(&headerSize, file.data() + 14, 4);
  std::memcpy(&width, file.data() + 18, 4);
  std::memcpy(&height, file.data() + 22, 4);
  std::memcpy(&bits, file.data() + 28, 2);
  std::memcpy(&compression, file.data() + 30, 4);
  p.bits = bits;
  const int rows = height < 0 ? -height : height;
  if (headerSize < 40 || bits != 24 || compression != BI_RGB || width <= 0 || width > 4096 || rows == 0 ||
      rows > 4096)
    return p;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  if (offset > file.size() || (file.size() - offset) / stride < static_cast<size_t>(rows)) return p;
  p.width = width;
  p.height = rows;
  p.pixels.resize(static_cast<size_t>(width) * rows);
  for (int row = 0; row < rows; ++row) {
    const int y = height > 0 ? rows - 1 - row : row;
    const auto* src = reinterpret_cast<const uint8_t*>(file.data() + offset + row * stride);
    for (int x = 0; x < width; ++x)
      p.pixels[static_cast<size_t>(y) * width + x] = src[3 * x + 2] << 16 | src[3 * x + 1] << 8 | src[3 * x];
  }
  return p;
}

Picture Bitmap(const wchar_t* name) { return ReadBmp(ResourceBytes(name, L"BMP")); }

TEST(BuiltInResources, EveryNamedResourceIsInTheExecutable) {
  for (const ArtBitmap& b : kBitmaps) {
    const Picture p = Bitmap(b.name);
    EXPECT_EQ(p.bits, 24) << b.name;
    EXPECT_EQ(p.width, b.width) << b.name;
    EXPECT_EQ(p.height, b.height) << b.name;
  }
  EXPECT_EQ(std::size(kBitmaps), 13u);
  EXPECT_EQ(std::size(kIcons), 16u);
  // Names are found whatever their letter case, as the about box asks for them.
  EXPECT_FALSE(ResourceBytes(L"Logo", L"BMP").empty());
  EXPECT_FALSE(ResourceBytes(L"CloseBut", L"BMP").empty());

  const std::string skin = ResourceBytes(L"SKIN", L"TXT");
  ASSERT_FALSE(skin.empty());
  for (size_t i = 0; i < skin.size(); ++i) {
    ASSERT_LT(static_cast<unsigned char>(skin[i]), 0x80u) << i;
    if (skin[i] == '\n') {
      ASSERT_TRUE(i > 0 && skin[i - 1] == '\r') << "bare LF at " << i;
    }
  }
  for (const char* section : {"[Colors]", "[MWPositions]", "[MWSizes]", "[PLPositions]", "[EQPositions]",
                              "[SkinInfo]"})
    EXPECT_NE(skin.find(section), std::string::npos) << section;
}

TEST(BuiltInResources, SheetsAreTheDefaultSkinsSizes) {
  const std::map<std::wstring, SIZE> sizes{{L"MAIN", {309, 435}}, {L"PL", {291, 200}}, {L"EQ", {291, 268}}};
  for (const auto& [name, size] : sizes) {
    const Picture p = Bitmap(name.c_str());
    EXPECT_EQ(p.bits, 24) << name;
    EXPECT_EQ(p.width, size.cx) << name;
    EXPECT_EQ(p.height, size.cy) << name;
  }
}

// Finds cell (band, column) by the green markers; false when there is none.
bool FindCell(const Picture& s, int band, int column, RECT& cell) {
  int top = -1;
  for (int y = 0, n = 1; y < s.height && top < 0; ++y) {
    if (n == band) {
      top = y;
    } else if (s.At(0, y) == kGreen) {
      ++n;
    }
  }
  int left = -1;
  for (int x = 0, n = 1; top >= 0 && x < s.width && left < 0; ++x) {
    if (n == column) {
      left = x;
    } else if (s.At(x, top) == kGreen) {
      ++n;
    }
  }
  if (left < 0) return false;
  int right = left, bottom = top;
  while (right < s.width && s.At(right, top) != kGreen) ++right;
  while (bottom < s.height && s.At(left, bottom) != kGreen) ++bottom;
  cell = {left, top, right, bottom};
  return right > left && bottom > top;
}

TEST(BuiltInResources, KeyColoursOnlyWhereTheyMeanSomething) {
  for (const ArtBitmap& b : kBitmaps) {
    const Picture p = Bitmap(b.name);
    ASSERT_EQ(p.width, b.width) << b.name;
    const std::string keys = b.keys;
    // What each pixel may be: 'g' a marker, 'c' inside a cell of this many keys.
    std::vector<std::string> allowed(p.pixels.size(), keys);
    if (keys == "S") {
      std::fill(allowed.begin(), allowed.end(), "");
      std::vector<int> bandTops{0};
      for (int y = 0; y < p.height; ++y)
        if (p.At(0, y) == kGreen) {
          allowed[static_cast<size_t>(y) * p.width] = "G";
          bandTops.push_back(y + 1);
        }
      for (int top : bandTops)
        for (int x = 0; top < p.height && x < p.width; ++x) allowed[static_cast<size_t>(top) * p.width + x] = "G";
      for (const ArtCell& c : kCells) {
        if (std::wstring(c.sheet) != b.name) continue;
        RECT r;
        ASSERT_TRUE(FindCell(p, c.band, c.column, r)) << c.name;
        EXPECT_EQ(r.left, c.x) << c.name;
        EXPECT_EQ(r.top, c.y) << c.name;
        EXPECT_EQ(r.right - r.left, c.width) << c.name;
        EXPECT_EQ(r.bottom - r.top, c.height) << c.name;
        for (int y = r.top; y < r.bottom; ++y)
          for (int x = r.left; x < r.right; ++x) allowed[static_cast<size_t>(y) * p.width + x] = c.keys;
        if (r.bottom < p.height) allowed[static_cast<size_t>(r.bottom) * p.width + r.left] = "G";
      }
    }
    int stray = 0;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        const uint32_t c = p.At(x, y);
        const std::string& a = allowed[static_cast<size_t>(y) * p.width + x];
        const bool ok = (c != kGreen || a.find('G') != std::string::npos) &&
                        (c != kBlue || a.find('B') != std::string::npos) &&
                        (c != kMagenta || a.find('M') != std::string::npos);
        if (!ok && ++stray <= 5) ADD_FAILURE() << "key colour " << std::hex << c << " in " << b.name << std::dec
                                               << " at " << x << "," << y;
      }
    EXPECT_EQ(stray, 0) << b.name;
  }
}

TEST(BuiltInResources, ButtonsAndThumbsAreShapedByBlue) {
  // A button or thumb without blue would show as a square.
  for (const ArtCell& c : kCells) {
    if (std::string(c.keys).find('B') == std::string::npos) continue;
    const Picture s = Bitmap(c.sheet);
    ASSERT_GE(s.height, c.y + c.height) << c.name;
    int blue = 0;
    for (int y = c.y; y < c.y + c.height; ++y)
      for (int x = c.x; x < c.x + c.width; ++x) blue += s.At(x, y) == kBlue;
    EXPECT_GE(blue, 4) << c.name;
  }
  for (const wchar_t* glyph : {L"TTF_FONT", L"FIX_FONT"}) {
    const Picture p = Bitmap(glyph);
    ASSERT_FALSE(p.pixels.empty()) << glyph;
    EXPECT_EQ(p.At(0, p.height - 1), kMagenta) << glyph;
  }
}

TEST(BuiltInResources, MenuIconsAreSingle16PixelIconFiles) {
  for (const wchar_t* name : kIcons) {
    const std::string ico = ResourceBytes(name, L"ICONGROUP");
    ASSERT_GE(ico.size(), 6u + 16u) << name;
    uint16_t reserved, type, count, bits;
    uint32_t size, offset;
    std::memcpy(&reserved, ico.data(), 2);
    std::memcpy(&type, ico.data() + 2, 2);
    std::memcpy(&count, ico.data() + 4, 2);
    std::memcpy(&bits, ico.data() + 6 + 6, 2);
    std::memcpy(&size, ico.data() + 6 + 8, 4);
    std::memcpy(&offset, ico.data() + 6 + 12, 4);
    EXPECT_EQ(reserved, 0) << name;
    EXPECT_EQ(type, 1) << name;
    EXPECT_EQ(count, 1) << name;
    EXPECT_EQ(static_cast<unsigned char>(ico[6]), 16) << name;
    EXPECT_EQ(static_cast<unsigned char>(ico[7]), 16) << name;
    EXPECT_EQ(bits, 32) << name;
    ASSERT_EQ(static_cast<size_t>(offset) + size, ico.size()) << name;
    // The system makes an icon of the image, and it is not blank.
    auto* image = reinterpret_cast<BYTE*>(const_cast<char*>(ico.data() + offset));
    HICON icon = CreateIconFromResourceEx(image, size, TRUE, 0x00030000, 16, 16, LR_DEFAULTCOLOR);
    ASSERT_NE(icon, nullptr) << name;
    DestroyIcon(icon);
    int opaque = 0;
    for (size_t i = 40 + 3; i < 40 + 16 * 16 * 4; i += 4) opaque += image[i] > 128;
    EXPECT_GT(opaque, 30) << name;
  }
}

}  // namespace

#endif
