#include "skin/skin_cells.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/bitmaps.h"
#include "skin/quick_pixels.h"

namespace {

struct CellRect {
  int32_t Left, Top, Right, Bottom;
};

bool FindCell(const TQuickPixels& Pixels, int32_t Row, int32_t Column, TColor Marker,
              CellRect& Cell) {
  const int32_t width = Pixels.Width(), height = Pixels.Height();
  int32_t top = -1;
  for (int32_t y = 0, count = 1; y < height; ++y) {
    if (count == Row) {
      top = y;
      break;
    }
    if (Pixels.GetPixel(0, y) == Marker) ++count;
  }
  if (top < 0) return false;
  int32_t left = -1;
  for (int32_t x = 0, count = 1; x < width; ++x) {
    if (count == Column) {
      left = x;
      break;
    }
    if (Pixels.GetPixel(x, top) == Marker) ++count;
  }
  if (left < 0) return false;
  int32_t right = left;
  while (right < width && Pixels.GetPixel(right, top) != Marker) ++right;
  int32_t bottom = top;
  while (bottom < height && Pixels.GetPixel(left, bottom) != Marker) ++bottom;
  Cell = CellRect{left, top, right, bottom};
  return right > left && bottom > top;
}

// The runs of non-key pixels of one row, appended as one-row rectangles.
template <typename IsKey>
void AddRowRuns(int32_t Y, int32_t Width, IsKey isKey, std::vector<RECT>& Runs) {
  int32_t start = -1;
  for (int32_t x = 0; x < Width; ++x) {
    if (start < 0) {
      if (!isKey(x)) start = x;
    } else if (isKey(x)) {
      Runs.push_back(RECT{start, Y, x, Y + 1});
      start = -1;
    }
  }
  if (start >= 0) Runs.push_back(RECT{start, Y, Width, Y + 1});
}

// A region of one band: rectangles sharing their top and bottom.
HRGN BandRegion(const RECT* Rects, size_t Count) {
  if (Count == 1) return CreateRectRgnIndirect(Rects);
  std::vector<uint8_t> block(sizeof(RGNDATAHEADER) + Count * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(block.data());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(Count);
  data->rdh.nRgnSize = static_cast<DWORD>(Count * sizeof(RECT));
  data->rdh.rcBound = RECT{Rects[0].left, Rects[0].top, Rects[Count - 1].right, Rects[0].bottom};
  std::memcpy(data->Buffer, Rects, Count * sizeof(RECT));
  HRGN region = ExtCreateRegion(nullptr, static_cast<DWORD>(block.size()), data);
  if (region != nullptr) return region;
  region = CreateRectRgnIndirect(&Rects[0]);
  for (size_t i = 1; i < Count; ++i) {
    HRGN part = CreateRectRgnIndirect(&Rects[i]);
    CombineRgn(region, region, part, RGN_OR);
    DeleteObject(part);
  }
  return region;
}

// The union of the one-row runs (in row order). The same point set as uniting
// the runs one by one, built faster: rows with the same runs as the row above
// grow that row's rectangles downwards, each band becomes one region, and the
// bands are united pairwise, so no union grows one big region a run at a time
// (ExtCreateRegion does that on Wine, quadratic in the run count).
HRGN UniteRuns(const std::vector<RECT>& Runs) {
  if (Runs.empty()) return nullptr;
  std::vector<RECT> bands;
  std::vector<size_t> bandStarts;  // index in bands of each band's first rectangle
  size_t previous = 0, previousCount = 0;
  for (size_t first = 0; first < Runs.size();) {
    size_t count = 1;
    while (first + count < Runs.size() && Runs[first + count].top == Runs[first].top) ++count;
    bool same = previousCount == count && bands[previous].bottom == Runs[first].top;
    for (size_t i = 0; same && i < count; ++i)
      same = bands[previous + i].left == Runs[first + i].left &&
             bands[previous + i].right == Runs[first + i].right;
    if (same) {
      for (size_t i = 0; i < count; ++i) bands[previous + i].bottom = Runs[first + i].bottom;
    } else {
      previous = bands.size();
      previousCount = count;
      bandStarts.push_back(previous);
      bands.insert(bands.end(), Runs.begin() + first, Runs.begin() + first + count);
    }
    first += count;
  }
  std::vector<HRGN> regions;
  for (size_t b = 0; b < bandStarts.size(); ++b) {
    const size_t end = b + 1 < bandStarts.size() ? bandStarts[b + 1] : bands.size();
    regions.push_back(BandRegion(&bands[bandStarts[b]], end - bandStarts[b]));
  }
  while (regions.size() > 1) {
    size_t kept = 0;
    for (size_t i = 0; i < regions.size(); i += 2) {
      if (i + 1 < regions.size()) {
        CombineRgn(regions[i], regions[i], regions[i + 1], RGN_OR);
        DeleteObject(regions[i + 1]);
      }
      regions[kept++] = regions[i];
    }
    regions.resize(kept);
  }
  return regions[0];
}

}  // namespace

bool ExtractSkinCell(TBitmap* Sheet, TBitmap* Dest, int32_t Row, int32_t Column,
                     TColor MarkerColor) {
  if (Sheet == nullptr || Dest == nullptr || Row < 1 || Column < 1 || Sheet->Empty()) return false;
  if (Sheet->PixelFormat() != pf24bit) Sheet->SetPixelFormat(pf24bit);
  CellRect cell{};
  {
    TQuickPixels pixels;
    pixels.Attach(Sheet);
    if (!FindCell(pixels, Row, Column, MarkerColor, cell)) return false;
  }
  const int32_t width = cell.Right - cell.Left, height = cell.Bottom - cell.Top;
  // A sheet cut into itself would lose its pixels to the resize.
  std::unique_ptr<TBitmap> copy;
  TBitmap* source = Sheet;
  if (Dest == Sheet) {
    copy = std::make_unique<TBitmap>();
    copy->Assign(Sheet);
    source = copy.get();
  }
  Dest->SetPixelFormat(pf24bit);
  Dest->SetSize(width, height);
  Dest->Canvas()->CopyRect(RECT{0, 0, width, height}, source->Canvas(),
                           RECT{cell.Left, cell.Top, cell.Right, cell.Bottom});
  return true;
}

HRGN CreateRegionFromBitmap(TBitmap* Bitmap, TColor KeyColor) {
  if (Bitmap == nullptr || Bitmap->Empty()) return nullptr;
  TQuickPixels pixels;
  pixels.Attach(Bitmap);
  const int32_t width = pixels.Width(), height = pixels.Height();
  if (pixels.BitsPerPixel() == 0) return nullptr;
  std::vector<RECT> runs;
  const uint8_t keyBlue = static_cast<uint8_t>((KeyColor >> 16) & 0xFF);
  const uint8_t keyGreen = static_cast<uint8_t>((KeyColor >> 8) & 0xFF);
  const uint8_t keyRed = static_cast<uint8_t>(KeyColor & 0xFF);
  const bool keyIsColour = (KeyColor & ~0xFFFFFF) == 0;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = pixels.Row(y);
    // 24 and 32 bits compare bytes in place; other depths go through GetPixel.
    if (pixels.BitsPerPixel() == 24 && keyIsColour) {
      AddRowRuns(y, width, [&](int32_t x) {
        const uint8_t* p = row + 3 * x;
        return p[0] == keyBlue && p[1] == keyGreen && p[2] == keyRed;
      }, runs);
    } else if (pixels.BitsPerPixel() == 32 && keyIsColour) {
      AddRowRuns(y, width, [&](int32_t x) {
        const uint8_t* p = row + 4 * x;
        return p[0] == keyBlue && p[1] == keyGreen && p[2] == keyRed;
      }, runs);
    } else {
      AddRowRuns(y, width, [&](int32_t x) { return pixels.GetPixel(x, y) == KeyColor; }, runs);
    }
  }
  return UniteRuns(runs);
}

void CopySkinPiece(HDC DC, int X, int Y, int W, int H, TBitmap* Source, int SX, int SY) {
  if (SX < 0) {
    X -= SX;
    W += SX;
    SX = 0;
  }
  if (SY < 0) {
    Y -= SY;
    H += SY;
    SY = 0;
  }
  W = std::min(W, Source->Width() - SX);
  H = std::min(H, Source->Height() - SY);
  if (W <= 0 || H <= 0) return;
  BitBlt(DC, X, Y, W, H, Source->Canvas()->Handle(), SX, SY, SRCCOPY);
}
