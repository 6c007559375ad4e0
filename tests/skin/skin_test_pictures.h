// Bitmaps the skin tests build in code.
#pragma once

#include <functional>
#include <memory>

#include "framework/bitmaps.h"

namespace skin_test {

// A bitmap of the format and size whose pixel (x, y) is Colour(x, y).
std::unique_ptr<TBitmap> MakeBitmap(int Width, int Height, TPixelFormat Format,
                                    const std::function<TColor(int, int)>& Colour);
// The colour of a pixel through GDI, independent of the code under test.
TColor PixelOf(TBitmap* Bitmap, int X, int Y);

}  // namespace skin_test
