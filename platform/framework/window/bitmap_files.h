// The .bmp and .ico file formats and the pixel rows of each pixel format, for
// bitmaps.cpp. Every size, count and offset read from a file is checked before
// it is used; a bad file raises EInvalidGraphic.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/bitmaps.h"

namespace bitmap_files {

int BitsPerPixelOf(TPixelFormat Format);
bool IsPaletteFormat(TPixelFormat Format);
// A DWORD-aligned row; 64 bits so that hostile sizes cannot overflow it.
int64_t RowBytes(int64_t Width, int BitsPerPixel);

// Nearest colour-table entry for a COLORREF, remembering recent answers.
class PaletteMatcher {
 public:
  explicit PaletteMatcher(const std::vector<RGBQUAD>& Table);
  uint8_t IndexOf(uint32_t Color);

 private:
  struct Slot {
    uint32_t Color = 0xFFFFFFFF;
    uint8_t Index = 0;
  };
  const std::vector<RGBQUAD>& FTable;
  std::vector<Slot> FCache;
};

// One row of pixels as COLORREFs (alpha dropped) and back. WriteRow needs a
// matcher for the palette formats only.
void ReadRow(TPixelFormat Format, const uint8_t* Row, int Width, const std::vector<RGBQUAD>& Table,
             uint32_t* Colors);
void WriteRow(TPixelFormat Format, uint8_t* Row, int Width, const uint32_t* Colors,
              PaletteMatcher* Matcher);
// Palette index of pixel X of a 1, 4 or 8-bit row, and setting it.
uint8_t IndexAt(const uint8_t* Row, int X, int BitsPerPixel);
void SetIndexAt(uint8_t* Row, int X, int BitsPerPixel, uint8_t Index);

// Given the checked layout, returns a zeroed bottom-up DWORD-aligned pixel
// buffer (a DIB section's bits) to decode into.
using TDibAllocator = std::function<uint8_t*(int Width, int Height, TPixelFormat Format,
                                             const std::vector<RGBQUAD>& Table)>;
// Reads a .bmp file from the stream's position; leaves the stream after its
// pixel data.
void ReadBmp(TStream* Stream, const TDibAllocator& Allocate);
void WriteBmp(TStream* Stream, int Width, int Height, TPixelFormat Format,
              const std::vector<RGBQUAD>& Table, const uint8_t* Bits);

struct IconEntry {
  int Width = 0;
  int Height = 0;
  int BitCount = 0;
  size_t Offset = 0;  // of the image inside the file
  size_t Size = 0;
};
// The whole .ico file: its directory and every image it names, nothing past
// the last one.
std::vector<uint8_t> ReadIconFile(TStream* Stream);
// The directory of a file ReadIconFile returned, each entry's image inside it.
std::vector<IconEntry> IconDirectory(const std::vector<uint8_t>& File);
// Checks that the entry's image (a DIB with its mask, or a PNG) lies within
// its size, and takes the image's own width and height.
void CheckIconImage(const std::vector<uint8_t>& File, IconEntry& Entry);
// A one-entry .ico file of a 32-bit image and its mask.
std::vector<uint8_t> IconFileFromHandle(HICON Icon);

}  // namespace bitmap_files
