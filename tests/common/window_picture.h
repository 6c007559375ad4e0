// Pictures of windows and memory canvases for tests, written as PNG files so a
// developer can look at what a test drew. Exact pixel checks belong on memory
// canvases; a window's picture is what Wine happened to paint.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// The window's picture, frame included, through a memory bitmap: a shown window
// is copied from its window DC after its pending painting (child windows
// included), a hidden one drawn with PrintWindow. Under Wine without a window
// manager the frame stays black. False when the window has no area or the file
// cannot be written.
bool SaveWindowPicture(HWND window, const std::wstring& fileName);

// The top-left width x height pixels of a DC (a memory canvas, usually).
bool SaveDCPicture(HDC dc, int width, int height, const std::wstring& fileName);

// A picture read back from a PNG written by the two functions above: 8-bit RGB,
// not interlaced, stored (uncompressed) deflate blocks only.
struct Picture {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Rgb;  // rows top to bottom, 3 bytes a pixel

  // 0x00BBGGRR like GetPixel; CLR_INVALID outside the picture.
  COLORREF Pixel(int x, int y) const;
};

// False for anything else, or when a checksum or length does not match.
bool LoadPicture(const std::wstring& fileName, Picture& picture);

}  // namespace testing_support
