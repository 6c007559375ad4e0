#include "skin/quick_pixels.h"

#include <algorithm>
#include <cstring>

namespace {

int32_t DepthOfDIB(HBITMAP Handle) {
  DIBSECTION dib{};
  if (Handle == nullptr || GetObjectW(Handle, sizeof(dib), &dib) != sizeof(dib)) return 0;
  const BITMAPINFOHEADER& h = dib.dsBmih;
  if (h.biBitCount == 16) {
    if (h.biCompression == BI_RGB) return 15;
    if (h.biCompression == BI_BITFIELDS && dib.dsBitfields[1] == 0x7E0) return 16;
    if (h.biCompression == BI_BITFIELDS && dib.dsBitfields[1] == 0x3E0) return 15;
    return 0;
  }
  if (h.biBitCount == 32 && h.biCompression == BI_RGB) return 32;
  if (h.biBitCount == 24 && h.biCompression == BI_RGB) return 24;
  if (h.biBitCount <= 8 && h.biCompression == BI_RGB &&
      (h.biBitCount == 1 || h.biBitCount == 4 || h.biBitCount == 8))
    return h.biBitCount;
  return 0;
}

int32_t DepthOf(TBitmap* Bitmap) {
  switch (Bitmap->PixelFormat()) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit: return 15;
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return DepthOfDIB(Bitmap->Handle());
  }
}

inline TColor RGBColor(uint8_t R, uint8_t G, uint8_t B) { return R | (G << 8) | (B << 16); }
inline uint8_t RedOf(TColor C) { return static_cast<uint8_t>(C & 0xFF); }
inline uint8_t GreenOf(TColor C) { return static_cast<uint8_t>((C >> 8) & 0xFF); }
inline uint8_t BlueOf(TColor C) { return static_cast<uint8_t>((C >> 16) & 0xFF); }

// A 5-bit field to 0..255: 31 gives 255, the steps spread evenly.
inline uint8_t Expand5(uint32_t c) { return static_cast<uint8_t>(c * 135263 / 16384); }
inline uint8_t Expand6(uint32_t g) { return static_cast<uint8_t>(std::min<uint32_t>(g * 135263 / 32768, 255)); }

inline uint16_t LoadWord(const uint8_t* p) {
  uint16_t w;
  std::memcpy(&w, p, 2);
  return w;
}
inline void StoreWord(uint8_t* p, uint16_t w) { std::memcpy(p, &w, 2); }

}  // namespace

TQuickPixels::~TQuickPixels() { Detach(); }

void TQuickPixels::Detach() {
  if (FBitmap != nullptr && FHooked) FBitmap->SetOnChange(std::move(FPreviousOnChange));
  FPreviousOnChange = nullptr;
  FHooked = false;
  if (FPaletteHandle != nullptr) DeleteObject(FPaletteHandle);
  FPaletteHandle = nullptr;
  FPalette.clear();
  FBitmap = nullptr;
  FWidth = FHeight = FBitsPerPixel = FLineStride = 0;
  FScanLine0 = nullptr;
  ChooseRoutines();
}

void TQuickPixels::Attach(TBitmap* Bitmap) {
  Detach();
  FBitmap = Bitmap;
  if (FBitmap == nullptr) return;
  BitmapChanged();
  if (FTrackChanges) {
    FHooked = true;
    FPreviousOnChange = FBitmap->OnChange();
    FBitmap->SetOnChange([this](TObject* Sender) {
      if (FPreviousOnChange) FPreviousOnChange(Sender);
      if (!FReattaching && (FBitmap->Width() != FWidth || FBitmap->Height() != FHeight ||
                            FBitmap->PixelFormat() != FPixelFormat))
        BitmapChanged();
    });
  }
}

// Reads everything from the bitmap anew; the change hook stays as it is.
void TQuickPixels::BitmapChanged() {
  FReattaching = true;
  if (FPaletteHandle != nullptr) DeleteObject(FPaletteHandle);
  FPaletteHandle = nullptr;
  FPalette.clear();
  FWidth = FBitmap->Width();
  FHeight = FBitmap->Height();
  FBitsPerPixel = 0;
  FScanLine0 = nullptr;
  FLineStride = 0;
  if (FWidth > 0 && FHeight > 0) {
    FBitsPerPixel = DepthOf(FBitmap);
    if (FBitsPerPixel == 0) {
      FBitmap->SetPixelFormat(pf24bit);
      FBitsPerPixel = DepthOf(FBitmap);
    }
    FScanLine0 = static_cast<uint8_t*>(FBitmap->ScanLine(0));
    FLineStride = FBitmap->ScanLineStride();
  }
  FPixelFormat = FBitmap->PixelFormat();
  if (FBitsPerPixel > 0 && FBitsPerPixel <= 8) {
    std::vector<RGBQUAD> table = FBitmap->ColorTable();
    FPalette.assign(size_t{1} << FBitsPerPixel, PALETTEENTRY{});
    for (size_t i = 0; i < FPalette.size() && i < table.size(); ++i)
      FPalette[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    std::vector<uint8_t> block(sizeof(LOGPALETTE) + FPalette.size() * sizeof(PALETTEENTRY));
    auto* logical = reinterpret_cast<LOGPALETTE*>(block.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(FPalette.size());
    std::memcpy(logical->palPalEntry, FPalette.data(), FPalette.size() * sizeof(PALETTEENTRY));
    FPaletteHandle = CreatePalette(logical);
    FCachedColor = 0x7FFFFFF;
  }
  ChooseRoutines();
  FReattaching = false;
}

void TQuickPixels::SetIndexMode(bool Value) {
  FIndexMode = Value;
  ChooseRoutines();
}

void TQuickPixels::ChooseRoutines() {
  FSetPixel = &SetNone;
  FGetPixel = &GetNone;
  switch (FBitsPerPixel) {
    case 1:
      FSetPixel = FIndexMode ? &SetIndex<1> : &SetPaletted<1>;
      FGetPixel = FIndexMode ? &GetIndex<1> : &GetPaletted<1>;
      break;
    case 4:
      FSetPixel = FIndexMode ? &SetIndex<4> : &SetPaletted<4>;
      FGetPixel = FIndexMode ? &GetIndex<4> : &GetPaletted<4>;
      break;
    case 8:
      FSetPixel = FIndexMode ? &SetIndex<8> : &SetPaletted<8>;
      FGetPixel = FIndexMode ? &GetIndex<8> : &GetPaletted<8>;
      break;
    case 15:
      FSetPixel = &Set15;
      FGetPixel = &Get15;
      break;
    case 16:
      FSetPixel = &Set16;
      FGetPixel = &Get16;
      break;
    case 24:
      FSetPixel = &Set24;
      FGetPixel = &Get24;
      break;
    case 32:
      FSetPixel = &Set32;
      FGetPixel = &Get32;
      break;
  }
}

uint8_t TQuickPixels::NearestIndex(TColor Color) {
  if (Color != FCachedColor) {
    UINT index = FPaletteHandle ? GetNearestPaletteIndex(FPaletteHandle, Color & 0xFFFFFF) : 0;
    FCachedIndex = index < FPalette.size() ? static_cast<uint8_t>(index) : 0;
    FCachedColor = Color;
  }
  return FCachedIndex;
}

TColor TQuickPixels::PaletteColor(uint32_t Index) const {
  if (Index >= FPalette.size()) return 0;
  const PALETTEENTRY& e = FPalette[Index];
  return RGBColor(e.peRed, e.peGreen, e.peBlue);
}

template <int Depth>
void TQuickPixels::SetIndex(TQuickPixels& Self, int32_t X, int32_t Y, TColor Value) {
  uint8_t* row = Self.Row(Y);
  if constexpr (Depth == 1) {
    uint8_t mask = static_cast<uint8_t>(0x80 >> (X & 7));
    uint8_t& byte = row[X >> 3];
    byte = (Value & 1) ? byte | mask : byte & ~mask;
  } else if constexpr (Depth == 4) {
    uint8_t& byte = row[X >> 1];
    byte = (X & 1) ? (byte & 0xF0) | (Value & 0x0F) : (byte & 0x0F) | ((Value & 0x0F) << 4);
  } else {
    row[X] = static_cast<uint8_t>(Value);
  }
}

template <int Depth>
TColor TQuickPixels::GetIndex(const TQuickPixels& Self, int32_t X, int32_t Y) {
  const uint8_t* row = Self.Row(Y);
  if constexpr (Depth == 1) return (row[X >> 3] >> (7 - (X & 7))) & 1;
  if constexpr (Depth == 4) return (X & 1) ? row[X >> 1] & 0x0F : row[X >> 1] >> 4;
  return row[X];
}

template <int Depth>
void TQuickPixels::SetPaletted(TQuickPixels& Self, int32_t X, int32_t Y, TColor Value) {
  uint8_t index = Self.NearestIndex(Value);
  if constexpr (Depth == 1) index = index != 0 ? 1 : 0;
  SetIndex<Depth>(Self, X, Y, index);
}

template <int Depth>
TColor TQuickPixels::GetPaletted(const TQuickPixels& Self, int32_t X, int32_t Y) {
  return Self.PaletteColor(static_cast<uint32_t>(GetIndex<Depth>(Self, X, Y)));
}

void TQuickPixels::Set15(TQuickPixels& Self, int32_t X, int32_t Y, TColor Value) {
  StoreWord(Self.Row(Y) + 2 * X, static_cast<uint16_t>(((RedOf(Value) >> 3) << 10) |
                                                       ((GreenOf(Value) >> 3) << 5) |
                                                       (BlueOf(Value) >> 3)));
}

TColor TQuickPixels::Get15(const TQuickPixels& Self, int32_t X, int32_t Y) {
  uint16_t w = LoadWord(Self.Row(Y) + 2 * X);
  return RGBColor(Expand5((w >> 10) & 31), Expand5((w >> 5) & 31), Expand5(w & 31));
}

void TQuickPixels::Set16(TQuickPixels& Self, int32_t X, int32_t Y, TColor Value) {
  StoreWord(Self.Row(Y) + 2 * X, static_cast<uint16_t>(((RedOf(Value) >> 3) << 11) |
                                                       ((GreenOf(Value) >> 2) << 5) |
                                                       (BlueOf(Value) >> 3)));
}

TColor TQuickPixels::Get16(const TQuickPixels& Self, int32_t X, int32_t Y) {
  uint16_t w = LoadWord(Self.Row(Y) + 2 * X);
  return RGBColor(Expand5((w >> 11) & 31), Expand6((w >> 5) & 63), Expand5(w & 31));
}

void TQuickPixels::Set24(TQuickPixels& Self, int32_t X, int32_t Y, TColor Value) {
  uint8_t* p = Self.Row(Y) + 3 * X;
  p[0] = BlueOf(Value);
  p[1] = GreenOf(Value);
  p[2] = RedOf(Value);
}

TColor TQuickPixels::Get24(const TQuickPixels& Self, int32_t X, int32_t Y) {
  const uint8_t* p = Self.Row(Y) + 3 * X;
  return RGBColor(p[2], p[1], p[0]);
}

void TQuickPixels::Set32(TQuickPixels& Self, int32_t X, int32_t Y, TColor Value) {
  uint8_t* p = Self.Row(Y) + 4 * X;
  p[0] = BlueOf(Value);
  p[1] = GreenOf(Value);
  p[2] = RedOf(Value);
  p[3] = 0;
}

TColor TQuickPixels::Get32(const TQuickPixels& Self, int32_t X, int32_t Y) {
  const uint8_t* p = Self.Row(Y) + 4 * X;
  return RGBColor(p[2], p[1], p[0]);
}
