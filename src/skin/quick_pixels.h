// TQuickPixels: reads and writes the pixels of a TBitmap straight in its rows,
// through a pair of routines chosen once for the bitmap's depth. The bitmap is
// only pointed to, and must outlive the object (or be re-attached elsewhere).
//
// Colours are 0x00BBGGRR. Depths up to 8 bits go through the colour table: a
// colour written becomes its nearest entry (looked up once per run of one
// colour), unless IndexMode reads and writes the raw indices. 15 and 16 bits
// keep the top bits of each channel and read back scaled to 0..255.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/bitmaps.h"
#include "framework/object.h"

class TQuickPixels : public TObject {
 public:
  TQuickPixels() = default;
  ~TQuickPixels() override;
  TQuickPixels(const TQuickPixels&) = delete;
  TQuickPixels& operator=(const TQuickPixels&) = delete;

  // Binds to Bitmap (nullptr unbinds). A depth the routines cannot handle
  // (a DIB of an unusual layout) is first converted to 24 bits. An empty
  // bitmap leaves BitsPerPixel 0, and then SetPixel does nothing and GetPixel
  // answers 0.
  void Attach(TBitmap* Bitmap);

  TBitmap* Bitmap() const { return FBitmap; }
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  // 1, 4, 8, 15, 16, 24 or 32; 0 without pixels.
  int32_t BitsPerPixel() const { return FBitsPerPixel; }
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  // Row 0 (the top row) and the signed distance between rows, from the bitmap
  // itself, so one-row bitmaps work too.
  uint8_t* ScanLine0() const { return FScanLine0; }
  int32_t LineStride() const { return FLineStride; }
  uint8_t* Row(int32_t Y) const { return FScanLine0 + static_cast<ptrdiff_t>(Y) * FLineStride; }
  // Depths up to 8 bits: the colour table as a logical palette (owned).
  HPALETTE PaletteHandle() const { return FPaletteHandle; }

  // Takes effect at once (the routines are chosen anew).
  bool IndexMode() const { return FIndexMode; }
  void SetIndexMode(bool Value);
  // Re-attaches when the bitmap's size or format changes; takes effect at the
  // next Attach. The bitmap's own change handler still runs first.
  bool TrackChanges() const { return FTrackChanges; }
  void SetTrackChanges(bool Value) { FTrackChanges = Value; }

  // No bounds check: 0 <= X < Width, 0 <= Y < Height is the caller's.
  void SetPixel(int32_t X, int32_t Y, TColor Value) { FSetPixel(*this, X, Y, Value); }
  TColor GetPixel(int32_t X, int32_t Y) const { return FGetPixel(*this, X, Y); }

 private:
  using TSetPixelProc = void (*)(TQuickPixels& Self, int32_t X, int32_t Y, TColor Value);
  using TGetPixelProc = TColor (*)(const TQuickPixels& Self, int32_t X, int32_t Y);

  void Detach();
  void ChooseRoutines();
  uint8_t NearestIndex(TColor Color);
  TColor PaletteColor(uint32_t Index) const;
  void BitmapChanged();

  template <int Depth>
  static void SetPaletted(TQuickPixels& Self, int32_t X, int32_t Y, TColor Value);
  template <int Depth>
  static TColor GetPaletted(const TQuickPixels& Self, int32_t X, int32_t Y);
  template <int Depth>
  static void SetIndex(TQuickPixels& Self, int32_t X, int32_t Y, TColor Value);
  template <int Depth>
  static TColor GetIndex(const TQuickPixels& Self, int32_t X, int32_t Y);
  static void Set15(TQuickPixels& Self, int32_t X, int32_t Y, TColor Value);
  static TColor Get15(const TQuickPixels& Self, int32_t X, int32_t Y);
  static void Set16(TQuickPixels& Self, int32_t X, int32_t Y, TColor Value);
  static TColor Get16(const TQuickPixels& Self, int32_t X, int32_t Y);
  static void Set24(TQuickPixels& Self, int32_t X, int32_t Y, TColor Value);
  static TColor Get24(const TQuickPixels& Self, int32_t X, int32_t Y);
  static void Set32(TQuickPixels& Self, int32_t X, int32_t Y, TColor Value);
  static TColor Get32(const TQuickPixels& Self, int32_t X, int32_t Y);
  static void SetNone(TQuickPixels&, int32_t, int32_t, TColor) {}
  static TColor GetNone(const TQuickPixels&, int32_t, int32_t) { return 0; }

  TBitmap* FBitmap = nullptr;
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  int32_t FBitsPerPixel = 0;
  uint8_t* FScanLine0 = nullptr;
  int32_t FLineStride = 0;
  TPixelFormat FPixelFormat = pfDevice;
  std::vector<PALETTEENTRY> FPalette;
  HPALETTE FPaletteHandle = nullptr;
  uint8_t FCachedIndex = 0;
  TColor FCachedColor = 0x7FFFFFF;  // no colour has this value
  bool FIndexMode = false;
  bool FTrackChanges = false;
  bool FReattaching = false;
  bool FHooked = false;  // the bitmap's change event is ours
  TNotifyEvent FPreviousOnChange;  // the bitmap's handler while tracking
  TSetPixelProc FSetPixel = &SetNone;
  TGetPixelProc FGetPixel = &GetNone;
};
