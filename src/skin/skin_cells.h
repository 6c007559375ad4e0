// Cutting skin sprite sheets and shaping windows from pictures.
//
// A sheet holds its pictures in rows of cells ("bands") separated by marker
// pixels (pure green $00FF00): band N begins on the row below the (N-1)-th
// marker of column 0, cell M of a band on the column right of the (M-1)-th
// marker of the band's first row. A cell reaches right to the next marker on
// that row (or the edge) and down to the next marker in its own first column
// (or the bottom). Bands and cells count from 1.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/graphics.h"

class TBitmap;

// Copies cell (Row, Column) of Sheet into Dest (made 24-bit, the cell's size).
// The sheet itself is converted to 24 bits. False, with Dest untouched, when
// the band or cell does not exist or is empty.
bool ExtractSkinCell(TBitmap* Sheet, TBitmap* Dest, int32_t Row, int32_t Column,
                     TColor MarkerColor = 0x00FF00);

// W x H pixels of Source from (SX, SY) to (X, Y) of DC, cut to what Source
// holds (a piece starting left of or above it too): a picture smaller than
// the piece asked for is never read outside.
void CopySkinPiece(HDC DC, int X, int Y, int W, int H, TBitmap* Source, int SX, int SY);

// The region of every pixel whose colour is not KeyColor (palette bitmaps
// compare the palette entry), made of one-row runs; the caller owns it. 0 for
// an empty bitmap or one that is all KeyColor.
HRGN CreateRegionFromBitmap(TBitmap* Bitmap, TColor KeyColor);
