// Memory bitmaps for tests that check exact pixels: what a window shows is up to
// Wine, what is drawn on a DIB section is not.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

#include "framework/graphics.h"

namespace testing_support {

// A top-down 32-bit DIB section selected into its own memory DC. Pixel reads
// go to the bits (after GdiFlush), never outside the bitmap.
class MemoryBitmap {
 public:
  // Not Valid() (and no DC) for a side of zero, a negative one or one past 16384.
  MemoryBitmap(int width, int height);
  ~MemoryBitmap();
  MemoryBitmap(const MemoryBitmap&) = delete;
  MemoryBitmap& operator=(const MemoryBitmap&) = delete;

  bool Valid() const { return FBits != nullptr; }
  HDC DC() const { return FDC; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  RECT All() const { return {0, 0, FWidth, FHeight}; }

  // 0x00BBGGRR like GetPixel; CLR_INVALID outside the bitmap.
  COLORREF Pixel(int x, int y) const;
  // Row y's Width() pixels as the DIB holds them, 0x00RRGGBB; nullptr outside.
  const uint32_t* Row(int y) const;
  void Fill(COLORREF colour);
  // Pixels within r whose red, green and blue each lie within tolerance of
  // colour's (0: the very colour).
  int Count(const RECT& r, COLORREF colour, int tolerance = 0) const;
  // Left and right end (exclusive) of the pixels that differ from background
  // within the rows top..bottom; {0, 0} for none.
  std::pair<int, int> InkSpan(int top, int bottom, COLORREF background) const;

 private:
  COLORREF At(int x, int y) const;  // inside, flushed

  int FWidth = 0;
  int FHeight = 0;
  HBITMAP FBitmap = nullptr;
  HDC FDC = nullptr;
  HGDIOBJ FOld = nullptr;
  uint32_t* FBits = nullptr;
};

// A canvas on a memory bitmap, filled with background first.
class MemoryCanvas : public MemoryBitmap {
 public:
  MemoryCanvas(int width, int height, TColor background = clWhite);
  ~MemoryCanvas();

  TCanvas Canvas;
};

}  // namespace testing_support
