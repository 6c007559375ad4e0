#include "framework/bitmaps.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <memory>

#include "framework/bitmap_files.h"
#include "framework/streams.h"

using namespace bitmap_files;

namespace {

// A file handle closed on scope exit.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : FHandle(h) {}
  ~FileHandle() {
    if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE Get() const { return FHandle; }

 private:
  HANDLE FHandle;
};

TPixelFormat ScreenPixelFormat() {
  static const TPixelFormat format = [] {
    HDC dc = GetDC(nullptr);
    int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    switch (bits) {
      case 1: return pf1bit;
      case 4: return pf4bit;
      case 8: return pf8bit;
      case 15: return pf15bit;
      case 16: return pf16bit;
      case 24: return pf24bit;
      default: return pf32bit;
    }
  }();
  return format;
}

// The fixed palettes a conversion to a palette format gets. Index 0 is black
// everywhere, so the pixels a size change adds are black.
std::vector<RGBQUAD> DefaultTable(TPixelFormat Format) {
  auto quad = [](uint32_t rgb) {
    return RGBQUAD{static_cast<BYTE>(rgb), static_cast<BYTE>(rgb >> 8),
                   static_cast<BYTE>(rgb >> 16), 0};
  };
  static const uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                   0x008080, 0x808080, 0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00,
                                   0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};  // 0xRRGGBB
  std::vector<RGBQUAD> table;
  if (Format == pf1bit) {
    table = {quad(0), quad(0xFFFFFF)};
  } else if (Format == pf4bit) {
    for (uint32_t c : vga) table.push_back(quad(c));
  } else if (Format == pf8bit) {
    // The halftone palette: the 6x6x6 colour cube, the half-intensity system
    // colours and a ramp of greys.
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) table.push_back(quad((r * 51 << 16) | (g * 51 << 8) | b * 51));
    for (int i = 1; i < 9; ++i) table.push_back(quad(vga[i]));
    for (int i = 0; table.size() < 256; ++i) {
      int v = 8 + i * 248 / 32;
      table.push_back(quad((v << 16) | (v << 8) | v));
    }
  }
  return table;
}

struct DibInfo {
  BITMAPINFOHEADER Header;
  RGBQUAD Colors[256];
};

void FillDibInfo(DibInfo& info, int Width, int Height, TPixelFormat Format,
                 const std::vector<RGBQUAD>& Table) {
  std::memset(&info, 0, sizeof info);
  info.Header.biSize = sizeof(BITMAPINFOHEADER);
  info.Header.biWidth = Width;
  info.Header.biHeight = Height;
  info.Header.biPlanes = 1;
  info.Header.biBitCount = static_cast<WORD>(BitsPerPixelOf(Format));
  if (Format == pf16bit) {
    info.Header.biCompression = BI_BITFIELDS;
    const DWORD masks[3] = {0xF800, 0x7E0, 0x1F};
    std::memcpy(info.Colors, masks, sizeof masks);
  } else if (IsPaletteFormat(Format)) {
    info.Header.biClrUsed = static_cast<DWORD>(Table.size());
    std::copy(Table.begin(), Table.end(), info.Colors);
  }
}

// A zeroed bottom-up DIB section; EInvalidGraphic past the size bounds.
HBITMAP CreateDib(int Width, int Height, TPixelFormat Format, const std::vector<RGBQUAD>& Table,
                  uint8_t*& Bits) {
  const int64_t bytes = RowBytes(Width, BitsPerPixelOf(Format)) * Height;
  if (Width > MaxBitmapDimension || Height > MaxBitmapDimension || bytes > MaxBitmapBytes)
    throw EInvalidGraphic(L"Bitmap too large (%dx%d)", {Width, Height});
  DibInfo info;
  FillDibInfo(info, Width, Height, Format, Table);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                 &bits, nullptr, 0);
  if (!dib || !bits) {
    if (dib) DeleteObject(dib);
    throw EInvalidGraphic(L"Out of system resources for a %dx%d bitmap", {Width, Height});
  }
  Bits = static_cast<uint8_t*>(bits);
  return dib;
}

std::vector<RGBQUAD> TableFor(TPixelFormat Format, const std::vector<RGBQUAD>* Wanted) {
  if (!IsPaletteFormat(Format)) return {};
  std::vector<RGBQUAD> table = Wanted && !Wanted->empty() ? *Wanted : DefaultTable(Format);
  table.resize(size_t(1) << BitsPerPixelOf(Format), RGBQUAD{});
  return table;
}

bool SameTable(const std::vector<RGBQUAD>& a, const std::vector<RGBQUAD>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(RGBQUAD)) == 0;
}

}  // namespace

// ------------------------------------------------------------------ TBitmapCanvas

// The bitmap's canvas: a memory DC with the DIB selected, made when drawing
// first needs it and dropped when the DIB is handed out.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* Bitmap) : FBitmap(Bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  void SelectBitmap(HBITMAP Value) {
    if (FDC) SelectObject(FDC, Value ? Value : FStockBitmap);
  }
  void FreeContext() {
    if (!FDC) return;
    SetHandle(nullptr);
    SelectObject(FDC, FStockBitmap);
    DeleteDC(FDC);
    FDC = nullptr;
  }
  void Changed() override {
    TCanvas::Changed();
    FBitmap->Changed();
  }

 protected:
  void CreateHandle() override {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) RaiseLastOSError();
    FStockBitmap = GetCurrentObject(dc, OBJ_BITMAP);
    FDC = dc;
    SelectBitmap(FBitmap->FHandle);
    SetHandle(dc);
  }

 private:
  TBitmap* FBitmap;
  HDC FDC = nullptr;
  HGDIOBJ FStockBitmap = nullptr;
};

// ------------------------------------------------------------------ TGraphic

void TGraphic::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Changed();
}

void TGraphic::SetModified(bool Value) {
  if (Value)
    Changed();
  else
    FModified = false;
}

void TGraphic::Changed() {
  FModified = true;
  if (FOnChange) FOnChange(this);
}

void TGraphic::LoadFromFile(const std::wstring& FileName) {
  FileHandle file(CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE)
    throw EFOpenError(L"Cannot open file \"%s\". %s", {FileName, SystemMessageText(GetLastError())});
  THandleStream stream(file.Get());
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const std::wstring& FileName) {
  FileHandle file(CreateFileW(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE)
    throw EFCreateError(L"Cannot create file \"%s\". %s",
                        {FileName, SystemMessageText(GetLastError())});
  THandleStream stream(file.Get());
  SaveToStream(&stream);
}

// ------------------------------------------------------------------ TBitmap

TBitmap::TBitmap() : FPixelFormat(ScreenPixelFormat()) {}

TBitmap::TBitmap(int AWidth, int AHeight) : TBitmap() { SetSize(AWidth, AHeight); }

TBitmap::~TBitmap() {
  // The canvas goes first and gives the DIB back from its DC; FreeImage must
  // then find no canvas to reach.
  delete FCanvas;
  FCanvas = nullptr;
  FreeImage();
}

bool TBitmap::Empty() const { return FWidth == 0 || FHeight == 0; }

void TBitmap::SetWidth(int Value) { SetSize(Value, FHeight); }

void TBitmap::SetHeight(int Value) { SetSize(FWidth, Value); }

void TBitmap::SetSize(int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth == FWidth && AHeight == FHeight) return;
  NewImage(AWidth, AHeight, FPixelFormat, &FColorTable, true);
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == pfDevice) Value = ScreenPixelFormat();
  if (Value == pfCustom) throw EInvalidGraphic(L"A bitmap cannot be given a custom pixel format");
  if (Value == FPixelFormat) return;
  NewImage(FWidth, FHeight, Value, nullptr, true);
  Changed();
}

int TBitmap::BitsPerPixel() const { return BitsPerPixelOf(FPixelFormat); }

void* TBitmap::ScanLine(int Row) {
  if (!FBits || Row < 0 || Row >= FHeight) throw EInvalidGraphic(L"Scan line index out of range");
  GdiFlush();
  return FBits + (FHeight - 1 - Row) * RowBytes(FWidth, BitsPerPixel());
}

int TBitmap::ScanLineStride() const {
  return -static_cast<int>(RowBytes(FWidth, BitsPerPixel()));
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) FCanvas = new TBitmapCanvas(this);
  return FCanvas;
}

HBITMAP TBitmap::Handle() {
  // A bitmap can be selected into one DC at a time; whoever asks for the
  // handle may want to select it elsewhere (image lists do).
  if (FCanvas) FCanvas->FreeContext();
  return FHandle;
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == FHandle) return;
  if (!Value) {
    NewImage(0, 0, FPixelFormat, nullptr, false);
    Changed();
    return;
  }
  DIBSECTION ds{};
  int got = GetObjectW(Value, sizeof ds, &ds);
  if (got == 0) throw EInvalidGraphic(L"Invalid bitmap handle");
  const int width = ds.dsBm.bmWidth, height = std::abs(ds.dsBm.bmHeight);
  const bool dib = got == sizeof(DIBSECTION);
  const int bpp = dib ? ds.dsBmih.biBitCount : ds.dsBm.bmBitsPixel * ds.dsBm.bmPlanes;
  TPixelFormat format = pf32bit;
  switch (bpp) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 16:
      format = dib && ds.dsBmih.biCompression == BI_BITFIELDS && ds.dsBitfields[1] == 0x7E0
                   ? pf16bit
                   : pf15bit;
      break;
    case 24: format = pf24bit; break;
    default: break;
  }
  const bool standardLayout = ds.dsBmih.biCompression == BI_RGB ||
                              (format == pf16bit && ds.dsBitfields[0] == 0xF800 &&
                               ds.dsBitfields[2] == 0x1F);
  std::vector<RGBQUAD> table;
  if (IsPaletteFormat(format)) {
    table.resize(size_t(1) << bpp);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Value);
    UINT n = dib ? GetDIBColorTable(dc, 0, static_cast<UINT>(table.size()), table.data()) : 0;
    SelectObject(dc, old);
    DeleteDC(dc);
    if (n == 0) table = TableFor(format, nullptr);
  }
  if (dib && ds.dsBm.bmBits && ds.dsBmih.biHeight > 0 && standardLayout) {
    // A bottom-up DIB section of one of the formats: taken over as it is.
    NewImage(0, 0, format, nullptr, false);
    FHandle = Value;
    FBits = static_cast<uint8_t*>(ds.dsBm.bmBits);
    FWidth = width;
    FHeight = height;
    FColorTable = std::move(table);
    if (FCanvas) FCanvas->SelectBitmap(FHandle);
  } else {
    NewImage(width, height, format, &table, false);
    DibInfo info;
    FillDibInfo(info, FWidth, FHeight, FPixelFormat, FColorTable);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, Value, 0, static_cast<UINT>(FHeight), FBits, reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(Value);
  }
  Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
  if (FCanvas) FCanvas->FreeContext();
  HBITMAP handle = FHandle;
  FHandle = nullptr;
  FBits = nullptr;
  FreeImage();
  FWidth = FHeight = 0;
  Changed();
  return handle;
}

void TBitmap::SetHandleType(TBitmapHandleType Value) {
  if (Value != bmDIB) throw EInvalidGraphicOperation(L"Bitmaps are always device-independent");
}

HPALETTE TBitmap::Palette() {
  if (!FPalette && IsPaletteFormat(FPixelFormat) && !FColorTable.empty()) {
    std::vector<uint8_t> buffer(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(buffer.data());
    log->palVersion = 0x300;
    log->palNumEntries = static_cast<WORD>(FColorTable.size());
    for (size_t i = 0; i < FColorTable.size(); ++i)
      log->palPalEntry[i] = PALETTEENTRY{FColorTable[i].rgbRed, FColorTable[i].rgbGreen,
                                         FColorTable[i].rgbBlue, 0};
    FPalette = CreatePalette(log);
  }
  return FPalette;
}

void TBitmap::SetPalette(HPALETTE Value) {
  if (!Value || !IsPaletteFormat(FPixelFormat)) return;
  PALETTEENTRY entries[256];
  UINT n = GetPaletteEntries(Value, 0, 256, entries);
  std::vector<RGBQUAD> table(n);
  for (UINT i = 0; i < n; ++i)
    table[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  SetColorTable(table);
}

std::vector<RGBQUAD> TBitmap::ColorTable() const { return FColorTable; }

void TBitmap::SetColorTable(const std::vector<RGBQUAD>& Table) {
  if (!IsPaletteFormat(FPixelFormat)) return;
  std::vector<RGBQUAD> table = TableFor(FPixelFormat, &Table);
  if (FHandle) {
    // The DIB must be selected into a DC for its table to be set; the canvas's
    // DC already holds it when there is one.
    HDC dc = FCanvas && FCanvas->HandleAllocated() ? FCanvas->Handle() : CreateCompatibleDC(nullptr);
    bool own = !(FCanvas && FCanvas->HandleAllocated());
    HGDIOBJ old = own ? SelectObject(dc, FHandle) : nullptr;
    SetDIBColorTable(dc, 0, static_cast<UINT>(table.size()), table.data());
    if (own) {
      SelectObject(dc, old);
      DeleteDC(dc);
    }
  }
  FColorTable = std::move(table);
  FreePalette();
  Changed();
}

bool TBitmap::Monochrome() const {
  if (FPixelFormat != pf1bit || FColorTable.size() < 2) return false;
  const RGBQUAD& a = FColorTable[0];
  const RGBQUAD& b = FColorTable[1];
  return a.rgbRed == 0 && a.rgbGreen == 0 && a.rgbBlue == 0 && b.rgbRed == 255 &&
         b.rgbGreen == 255 && b.rgbBlue == 255;
}

void TBitmap::SetMonochrome(bool Value) {
  if (Value == Monochrome()) return;
  if (Value) {
    if (FPixelFormat == pf1bit) {
      SetColorTable(DefaultTable(pf1bit));
      return;
    }
    SetPixelFormat(pf1bit);
  } else {
    SetPixelFormat(pfDevice);
  }
}

TColor TBitmap::TransparentColor() const {
  if (FTransparentMode == tmFixed) return FTransparentColor;
  if (!FBits) return clNone;
  GdiFlush();
  uint32_t colour = 0;
  // Row Height-1 is the first row in memory.
  ReadRow(FPixelFormat, FBits, 1, FColorTable, &colour);
  return static_cast<TColor>(colour);
}

void TBitmap::SetTransparentColor(TColor Value) {
  if (Value == FTransparentColor && FTransparentMode == (Value == clDefault ? tmAuto : tmFixed)) return;
  FTransparentColor = Value;
  FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == FTransparentMode) return;
  if (Value == tmAuto) {
    SetTransparentColor(clDefault);
  } else {
    SetTransparentColor(TransparentColor());
  }
}

HBITMAP TBitmap::CreateMask(TColor Color) {
  if (!FBits) return nullptr;
  GdiFlush();
  const uint32_t key = ColorToRGB(Color) & 0xFFFFFF;
  // Monochrome DDB rows are 16-bit aligned and top-down; 1 is white.
  const int maskStride = ((FWidth + 15) / 16) * 2;
  std::vector<uint8_t> maskBits(static_cast<size_t>(maskStride) * FHeight, 0);
  std::vector<uint32_t> colours(static_cast<size_t>(FWidth));
  const int64_t stride = RowBytes(FWidth, BitsPerPixel());
  for (int y = 0; y < FHeight; ++y) {
    ReadRow(FPixelFormat, FBits + (FHeight - 1 - y) * stride, FWidth, FColorTable, colours.data());
    uint8_t* row = maskBits.data() + static_cast<size_t>(y) * maskStride;
    for (int x = 0; x < FWidth; ++x)
      if (colours[x] == key) SetIndexAt(row, x, 1, 1);
  }
  return CreateBitmap(FWidth, FHeight, 1, 1, maskBits.data());
}

void TBitmap::LoadFromStream(TStream* Stream) {
  HBITMAP dib = nullptr;
  uint8_t* bits = nullptr;
  int width = 0, height = 0;
  TPixelFormat format = pf24bit;
  std::vector<RGBQUAD> table;
  try {
    ReadBmp(Stream, [&](int w, int h, TPixelFormat f, const std::vector<RGBQUAD>& t) {
      table = TableFor(f, &t);
      dib = CreateDib(w, h, f, table, bits);
      width = w;
      height = h;
      format = f;
      return bits;
    });
  } catch (...) {
    if (dib) DeleteObject(dib);
    throw;
  }
  AdoptDIB(dib, width, height, format);
  FColorTable = std::move(table);
  Changed();
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (!FBits) return;
  GdiFlush();
  WriteBmp(Stream, FWidth, FHeight, FPixelFormat, FColorTable, FBits);
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const std::wstring& ResName) {
  HRSRC info = FindResourceW(Instance, ResName.c_str(), MAKEINTRESOURCEW(2));  // RT_BITMAP
  HGLOBAL data = info ? LoadResource(Instance, info) : nullptr;
  const void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes) throw EResNotFound(L"Resource %s not found", {ResName});
  // Resource bitmaps lack the file header; one with a zero offset says the
  // pixels follow the colour table.
  const DWORD size = SizeofResource(Instance, info);
  TMemoryStream stream;
  const uint8_t header[14] = {'B', 'M'};
  stream.WriteBuffer(header, sizeof header);
  stream.WriteBuffer(bytes, static_cast<int32_t>(size));
  stream.SetPosition(0);
  LoadFromStream(&stream);
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, int ResID) {
  LoadFromResourceName(Instance, L"#" + std::to_wstring(ResID));
}

void TBitmap::Assign(TPersistent* Source) {
  if (!Source) {
    SetHandle(nullptr);
    return;
  }
  if (auto* source = dynamic_cast<TBitmap*>(Source)) {
    if (source == this) return;
    NewImage(source->FWidth, source->FHeight, source->FPixelFormat, &source->FColorTable, false);
    if (FBits && source->FBits) {
      GdiFlush();
      std::memcpy(FBits, source->FBits,
                  static_cast<size_t>(RowBytes(FWidth, BitsPerPixel()) * FHeight));
    }
    FTransparentColor = source->FTransparentColor;
    FTransparentMode = source->FTransparentMode;
    if (source->Transparent() != Transparent()) {
      SetTransparent(source->Transparent());  // fires Changed
      return;
    }
    Changed();
    return;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    NewImage(graphic->Width(), graphic->Height(), pf32bit, nullptr, false);
    if (FBits) {
      RECT r{0, 0, FWidth, FHeight};
      TCanvas* canvas = Canvas();
      canvas->Brush()->SetColor(clBlack);
      canvas->FillRect(r);
      canvas->Draw(0, 0, graphic);
    }
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}

void TBitmap::Draw(TCanvas* ACanvas, const RECT& Rect) {
  if (!FBits) return;
  HDC dest = ACanvas->Handle();
  HDC source = Canvas()->Handle();
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  const int oldMode = SetStretchBltMode(dest, COLORONCOLOR);
  if (!Transparent()) {
    StretchBlt(dest, Rect.left, Rect.top, w, h, source, 0, 0, FWidth, FHeight, ACanvas->CopyMode());
  } else {
    // Without TransparentBlt: the source XORed in, the key area's XOR kept by
    // the mask and the rest cleared, then the source XORed in again, which
    // restores the background under the key and leaves the source elsewhere.
    HBITMAP mask = CreateMask(TransparentColor());
    HDC maskDC = CreateCompatibleDC(nullptr);
    HGDIOBJ oldMask = SelectObject(maskDC, mask);
    const COLORREF oldText = SetTextColor(dest, RGB(0, 0, 0));
    const COLORREF oldBk = SetBkColor(dest, RGB(255, 255, 255));
    StretchBlt(dest, Rect.left, Rect.top, w, h, source, 0, 0, FWidth, FHeight, SRCINVERT);
    StretchBlt(dest, Rect.left, Rect.top, w, h, maskDC, 0, 0, FWidth, FHeight, SRCAND);
    StretchBlt(dest, Rect.left, Rect.top, w, h, source, 0, 0, FWidth, FHeight, SRCINVERT);
    SetTextColor(dest, oldText);
    SetBkColor(dest, oldBk);
    SelectObject(maskDC, oldMask);
    DeleteDC(maskDC);
    DeleteObject(mask);
  }
  SetStretchBltMode(dest, oldMode);
}

void TBitmap::Changed() { TGraphic::Changed(); }

void TBitmap::NewImage(int AWidth, int AHeight, TPixelFormat Format,
                       const std::vector<RGBQUAD>* Table, bool KeepPixels) {
  std::vector<RGBQUAD> table = TableFor(Format, Table);
  if (AWidth <= 0 || AHeight <= 0) {
    FreeImage();
    FWidth = std::max(AWidth, 0);
    FHeight = std::max(AHeight, 0);
    FPixelFormat = Format;
    FColorTable = std::move(table);
    return;
  }
  uint8_t* bits = nullptr;
  HBITMAP dib = CreateDib(AWidth, AHeight, Format, table, bits);
  if (KeepPixels && FBits) {
    GdiFlush();
    const int w = std::min(AWidth, FWidth), h = std::min(AHeight, FHeight);
    const int oldBpp = BitsPerPixel(), newBpp = BitsPerPixelOf(Format);
    const int64_t oldStride = RowBytes(FWidth, oldBpp), newStride = RowBytes(AWidth, newBpp);
    const bool sameLayout = Format == FPixelFormat &&
                            (!IsPaletteFormat(Format) || SameTable(table, FColorTable));
    PaletteMatcher matcher(table);
    std::vector<uint32_t> colours(static_cast<size_t>(w));
    for (int y = 0; y < h; ++y) {  // rows counted from the top
      const uint8_t* from = FBits + (FHeight - 1 - y) * oldStride;
      uint8_t* to = bits + (AHeight - 1 - y) * newStride;
      if (sameLayout && newBpp >= 8) {
        std::memcpy(to, from, static_cast<size_t>(w) * (newBpp / 8));
      } else if (sameLayout) {
        for (int x = 0; x < w; ++x) SetIndexAt(to, x, newBpp, IndexAt(from, x, newBpp));
      } else {
        ReadRow(FPixelFormat, from, w, FColorTable, colours.data());
        WriteRow(Format, to, w, colours.data(), &matcher);
      }
    }
  }
  AdoptDIB(dib, AWidth, AHeight, Format);
  FColorTable = std::move(table);
}

void TBitmap::AdoptDIB(HBITMAP Dib, int AWidth, int AHeight, TPixelFormat Format) {
  DIBSECTION ds{};
  GetObjectW(Dib, sizeof ds, &ds);
  // Selecting the new DIB deselects the old one, which can then go.
  if (FCanvas) FCanvas->SelectBitmap(Dib);
  HBITMAP old = FHandle;
  FHandle = Dib;
  FBits = static_cast<uint8_t*>(ds.dsBm.bmBits);
  if (old) DeleteObject(old);
  FreePalette();
  FWidth = AWidth;
  FHeight = AHeight;
  FPixelFormat = Format;
}

void TBitmap::FreeImage() {
  if (FCanvas) FCanvas->SelectBitmap(nullptr);
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
  FBits = nullptr;
  FreePalette();
}

void TBitmap::FreePalette() {
  if (FPalette) DeleteObject(FPalette);
  FPalette = nullptr;
}

// ------------------------------------------------------------------ TIcon

TIcon::~TIcon() { FreeHandle(); }

bool TIcon::Empty() const { return FData.empty() && !FHandle; }

int TIcon::Width() const { return Empty() ? 0 : FWidth; }

int TIcon::Height() const { return Empty() ? 0 : FHeight; }

void TIcon::SetWidth(int Value) { SetSize(Value, FRequestedHeight); }

void TIcon::SetHeight(int Value) { SetSize(FRequestedWidth, Value); }

void TIcon::SetSize(int AWidth, int AHeight) {
  if (AWidth == FRequestedWidth && AHeight == FRequestedHeight) return;
  FRequestedWidth = std::max(AWidth, 0);
  FRequestedHeight = std::max(AHeight, 0);
  if (!FData.empty()) {
    PickEntry();
    Changed();
  }
}

HICON TIcon::Handle() {
  if (!FHandle && !FData.empty()) {
    FHandle = CreateIconFromResourceEx(FData.data() + FEntryOffset, static_cast<DWORD>(FEntrySize),
                                       TRUE, 0x00030000, FWidth, FHeight, LR_DEFAULTCOLOR);
    if (!FHandle) throw EInvalidGraphic(L"The icon image cannot be used");
  }
  return FHandle;
}

void TIcon::SetHandle(HICON Value) {
  if (Value == FHandle) return;
  FreeHandle();
  FData.clear();
  FHandle = Value;
  FWidth = FHeight = 0;
  if (Value) {
    ICONINFO info{};
    if (GetIconInfo(Value, &info)) {
      BITMAP bm{};
      GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
      FWidth = bm.bmWidth;
      FHeight = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
      if (info.hbmColor) DeleteObject(info.hbmColor);
      if (info.hbmMask) DeleteObject(info.hbmMask);
    }
  }
  Changed();
}

HICON TIcon::ReleaseHandle() {
  HICON handle = Handle();
  FHandle = nullptr;
  FData.clear();
  Changed();
  return handle;
}

void TIcon::LoadFromStream(TStream* Stream) {
  std::vector<uint8_t> data = ReadIconFile(Stream);
  std::vector<uint8_t> old = std::move(FData);
  FData = std::move(data);
  try {
    PickEntry();
  } catch (...) {
    FData = std::move(old);
    throw;
  }
  Changed();
}

void TIcon::SaveToStream(TStream* Stream) {
  if (FData.empty() && FHandle) {
    std::vector<uint8_t> file = IconFileFromHandle(FHandle);
    Stream->WriteBuffer(file.data(), static_cast<int32_t>(file.size()));
    return;
  }
  if (!FData.empty()) Stream->WriteBuffer(FData.data(), static_cast<int32_t>(FData.size()));
}

void TIcon::LoadFromResourceName(HINSTANCE Instance, const std::wstring& ResName) {
  HANDLE icon = LoadImageW(Instance, ResName.c_str(), IMAGE_ICON, FRequestedWidth, FRequestedHeight,
                           FRequestedWidth || FRequestedHeight ? 0 : LR_DEFAULTSIZE);
  if (!icon) throw EResNotFound(L"Resource %s not found", {ResName});
  SetHandle(static_cast<HICON>(icon));
}

void TIcon::Assign(TPersistent* Source) {
  if (!Source) {
    SetHandle(nullptr);
    return;
  }
  if (auto* source = dynamic_cast<TIcon*>(Source)) {
    if (source == this) return;
    FRequestedWidth = source->FRequestedWidth;
    FRequestedHeight = source->FRequestedHeight;
    if (!source->FData.empty()) {
      FreeHandle();
      FData = source->FData;
      PickEntry();
      Changed();
    } else {
      SetHandle(source->FHandle ? CopyIcon(source->FHandle) : nullptr);
    }
    return;
  }
  TGraphic::Assign(Source);
}

void TIcon::Draw(TCanvas* ACanvas, const RECT& Rect) {
  if (Empty()) return;
  DrawIconEx(ACanvas->Handle(), Rect.left, Rect.top, Handle(), Rect.right - Rect.left,
             Rect.bottom - Rect.top, 0, nullptr, DI_NORMAL);
}

void TIcon::PickEntry() {
  std::vector<IconEntry> entries = IconDirectory(FData);
  if (entries.empty()) throw EInvalidGraphic(L"Not a valid icon file");
  const int wantW = FRequestedWidth ? FRequestedWidth : GetSystemMetrics(SM_CXICON);
  const int wantH = FRequestedHeight ? FRequestedHeight : GetSystemMetrics(SM_CYICON);
  size_t best = 0;
  bool exact = false;
  for (size_t i = 0; i < entries.size(); ++i) {
    const IconEntry& e = entries[i];
    if (e.Width != wantW || e.Height != wantH) continue;
    if (!exact || e.BitCount > entries[best].BitCount) best = i;
    exact = true;
  }
  IconEntry entry = entries[best];
  CheckIconImage(FData, entry);
  FreeHandle();
  FEntryOffset = entry.Offset;
  FEntrySize = entry.Size;
  FWidth = entry.Width;
  FHeight = entry.Height;
}

void TIcon::FreeHandle() {
  if (FHandle) DestroyIcon(FHandle);
  FHandle = nullptr;
}

// ------------------------------------------------------------------ TPicture

TPicture::~TPicture() { delete FGraphic; }

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == FGraphic) return;
  TGraphic* copy = nullptr;
  if (dynamic_cast<TBitmap*>(Value))
    copy = new TBitmap;
  else if (dynamic_cast<TIcon*>(Value))
    copy = new TIcon;
  else if (Value)
    throw EInvalidGraphic(L"Unsupported graphic class %s", {Value->ClassName()});
  if (copy) {
    try {
      copy->Assign(Value);
      copy->SetTransparent(Value->Transparent());
    } catch (...) {
      delete copy;
      throw;
    }
  }
  Adopt(copy);
}

TBitmap* TPicture::Bitmap() {
  auto* bitmap = dynamic_cast<TBitmap*>(FGraphic);
  if (!bitmap) {
    bitmap = new TBitmap;
    Adopt(bitmap);
  }
  return bitmap;
}

TIcon* TPicture::Icon() {
  auto* icon = dynamic_cast<TIcon*>(FGraphic);
  if (!icon) {
    icon = new TIcon;
    Adopt(icon);
  }
  return icon;
}

int TPicture::Width() const { return FGraphic ? FGraphic->Width() : 0; }

int TPicture::Height() const { return FGraphic ? FGraphic->Height() : 0; }

void TPicture::LoadFromFile(const std::wstring& FileName) {
  size_t dot = FileName.find_last_of(L".\\/");
  std::wstring ext = dot != std::wstring::npos && FileName[dot] == L'.' ? FileName.substr(dot) : L"";
  for (wchar_t& c : ext) c = static_cast<wchar_t>(towlower(c));
  std::unique_ptr<TGraphic> graphic;
  if (ext == L".bmp" || ext == L".dib")
    graphic = std::make_unique<TBitmap>();
  else if (ext == L".ico")
    graphic = std::make_unique<TIcon>();
  else
    throw EInvalidGraphic(L"Unknown picture file extension (%s)", {ext});
  graphic->LoadFromFile(FileName);
  Adopt(graphic.release());
}

void TPicture::SaveToFile(const std::wstring& FileName) {
  if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) {
    SetGraphic(nullptr);
  } else if (auto* picture = dynamic_cast<TPicture*>(Source)) {
    SetGraphic(picture->FGraphic);
  } else if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(graphic);
  } else {
    TPersistent::Assign(Source);
  }
}

void TPicture::AssignTo(TPersistent* Dest) {
  if (auto* graphic = dynamic_cast<TGraphic*>(Dest); graphic && FGraphic) {
    graphic->Assign(FGraphic);
    return;
  }
  TPersistent::AssignTo(Dest);
}

void TPicture::Changed() {
  if (FOnChange) FOnChange(this);
}

void TPicture::Adopt(TGraphic* Value) {
  delete FGraphic;
  FGraphic = Value;
  if (FGraphic) FGraphic->SetOnChange([this](TObject*) { Changed(); });
  Changed();
}
