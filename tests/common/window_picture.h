// Pictures of windows and memory canvases for tests, written as PNG files so a
// developer can look at what a test drew. Exact pixel checks belong on memory
// canvases; a window's picture is what Wine happened to paint.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

class MemoryBitmap;

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

// A picture file copied to the folder TAVRIN_PICTURE_DIR names, as name, when
// that is set: a developer's way to look at what a test drew.
void KeepPicture(const std::wstring& fileName, const std::wstring& name);

// The window's picture (SaveWindowPicture) read back through a PNG file in a
// temporary folder, kept as name (KeepPicture). False when it cannot be taken.
bool TakeWindowPicture(HWND window, const std::wstring& name, Picture& picture);

// Pixels in area whose three channels all lie below darkest: ink.
int DarkPixels(const Picture& picture, const RECT& area, int darkest = 96);
// The ink (DarkPixels) in area of the window's picture (TakeWindowPicture);
// -1 when the picture cannot be taken.
int InkInWindowPicture(HWND window, const std::wstring& name, const RECT& area);
// A child's frame in its window's picture (window coordinates), inset pixels
// in from every side.
RECT ChildInWindow(HWND window, HWND child, int inset);
// A rectangle of window's client area (a windowless control's bounds) in the
// window's picture.
RECT ClientRectInWindow(HWND window, const RECT& client);
// The ink of area (the pixels that differ from background) cropped to it, a
// text row per pixel row, '#' for ink and '.' for none: drawings made at
// different places compare, and a difference prints readably. Empty for none.
using InkShape = std::vector<std::string>;
InkShape InkShapeOf(const Picture& picture, const RECT& area, COLORREF background);
InkShape InkShapeOf(const MemoryBitmap& bitmap, const RECT& area, COLORREF background);
// Text as the system's edit control draws it in font (a popup of its own,
// printed onto white): the ink a control that draws text as the edit boxes do
// must show. Under Wine these draw a character outside the basic plane as one
// glyph where DrawTextW makes two boxes of it.
InkShape EditControlInk(HFONT font, const std::wstring& text);

// The texts of window's shown controls that carry a text (labels, buttons,
// boxes, edits) but show no ink in the window's picture: a caption drawn
// nowhere, under another control or in the background's colour.
std::vector<std::wstring> TextsWithoutInk(HWND window, const Picture& picture);

}  // namespace testing_support
