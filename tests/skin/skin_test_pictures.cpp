#include "skin_test_pictures.h"

namespace skin_test {

std::unique_ptr<TBitmap> MakeBitmap(int Width, int Height, TPixelFormat Format,
                                    const std::function<TColor(int, int)>& Colour) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(Format);
  bitmap->SetSize(Width, Height);
  HDC dc = bitmap->Canvas()->Handle();
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) ::SetPixel(dc, x, y, static_cast<COLORREF>(Colour(x, y)));
  GdiFlush();
  return bitmap;
}

TColor PixelOf(TBitmap* Bitmap, int X, int Y) {
  GdiFlush();
  return static_cast<TColor>(::GetPixel(Bitmap->Canvas()->Handle(), X, Y));
}

}  // namespace skin_test
