#include "memory_bitmap.h"

#include <algorithm>
#include <cstdlib>

namespace testing_support {
namespace {

constexpr int kMaxSide = 16384;

// r clipped to a width x height bitmap.
RECT Clipped(const RECT& r, int width, int height) {
  return {std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0), std::min<LONG>(r.right, width),
          std::min<LONG>(r.bottom, height)};
}

}  // namespace

MemoryBitmap::MemoryBitmap(int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  FBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  FDC = CreateCompatibleDC(nullptr);
  if (!FBitmap || !FDC || !bits) return;
  FOld = SelectObject(FDC, FBitmap);
  FBits = static_cast<uint32_t*>(bits);
  FWidth = width;
  FHeight = height;
}

MemoryBitmap::~MemoryBitmap() {
  if (FDC && FOld) SelectObject(FDC, FOld);
  if (FDC) DeleteDC(FDC);
  if (FBitmap) DeleteObject(FBitmap);
}

COLORREF MemoryBitmap::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return CLR_INVALID;
  GdiFlush();
  return At(x, y);
}

const uint32_t* MemoryBitmap::Row(int y) const {
  if (y < 0 || y >= FHeight) return nullptr;
  GdiFlush();
  return FBits + static_cast<size_t>(y) * FWidth;
}

COLORREF MemoryBitmap::At(int x, int y) const {
  // A 32-bit DIB pixel is 0x00RRGGBB: blue in the low byte.
  uint32_t bgrx = FBits[static_cast<size_t>(y) * FWidth + x];
  return RGB((bgrx >> 16) & 0xFF, (bgrx >> 8) & 0xFF, bgrx & 0xFF);
}

void MemoryBitmap::Fill(COLORREF colour) {
  GdiFlush();
  uint32_t bgrx = (uint32_t{GetRValue(colour)} << 16) | (uint32_t{GetGValue(colour)} << 8) |
                  GetBValue(colour);
  std::fill(FBits, FBits + static_cast<size_t>(FWidth) * FHeight, bgrx);
}

int MemoryBitmap::Count(const RECT& r, COLORREF colour, int tolerance) const {
  RECT c = Clipped(r, FWidth, FHeight);
  GdiFlush();
  int count = 0;
  for (int y = c.top; y < c.bottom; ++y) {
    for (int x = c.left; x < c.right; ++x) {
      COLORREF got = At(x, y);
      if (std::abs(GetRValue(got) - GetRValue(colour)) <= tolerance &&
          std::abs(GetGValue(got) - GetGValue(colour)) <= tolerance &&
          std::abs(GetBValue(got) - GetBValue(colour)) <= tolerance) {
        ++count;
      }
    }
  }
  return count;
}

std::pair<int, int> MemoryBitmap::InkSpan(int top, int bottom, COLORREF background) const {
  int left = FWidth, right = 0;
  GdiFlush();
  for (int y = std::max(top, 0); y < std::min(bottom, FHeight); ++y) {
    for (int x = 0; x < FWidth; ++x) {
      if (At(x, y) != background) {
        left = std::min(left, x);
        right = std::max(right, x + 1);
      }
    }
  }
  return right == 0 ? std::make_pair(0, 0) : std::make_pair(left, right);
}

MemoryCanvas::MemoryCanvas(int width, int height, TColor background)
    : MemoryBitmap(width, height) {
  if (!Valid()) return;
  Canvas.SetHandle(DC());
  Canvas.Brush()->SetColor(background);
  Canvas.FillRect(All());
}

MemoryCanvas::~MemoryCanvas() { Canvas.SetHandle(nullptr); }

}  // namespace testing_support
