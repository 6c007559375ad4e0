#include "framework/bitmap_files.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "framework/streams.h"

namespace bitmap_files {

namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

[[noreturn]] void Invalid(std::wstring_view fmt, std::initializer_list<FormatArg> args = {}) {
  throw EInvalidGraphic(fmt, args);
}

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// Reads through a buffer, counting from where it started, and raises
// EInvalidGraphic when the stream ends early. Finish puts the stream right
// after what was consumed, whatever the buffer read ahead.
class BoundedReader {
 public:
  explicit BoundedReader(TStream* Stream) : FStream(Stream) {
    FStart = Stream->Position();
    int64_t size = Stream->Size();
    FAvailable = (FStart >= 0 && size >= FStart) ? size - FStart : -1;
  }
  // -1 when the stream cannot tell its size.
  int64_t Available() const { return FAvailable; }
  int64_t Offset() const { return FConsumed; }

  void Read(void* Buffer, size_t Count) {
    auto* out = static_cast<uint8_t*>(Buffer);
    while (Count > 0) {
      if (FPos == FEnd) Fill();
      size_t n = std::min(Count, FEnd - FPos);
      std::memcpy(out, FBuffer.data() + FPos, n);
      FPos += n;
      out += n;
      Count -= n;
      FConsumed += static_cast<int64_t>(n);
    }
  }
  uint8_t Byte() {
    if (FPos == FEnd) Fill();
    ++FConsumed;
    return FBuffer[FPos++];
  }
  void Skip(int64_t Count) {
    if (FAvailable >= 0 && FConsumed + Count > FAvailable) Truncated();
    int64_t buffered = static_cast<int64_t>(FEnd - FPos);
    if (Count <= buffered) {
      FPos += static_cast<size_t>(Count);
    } else {
      FPos = FEnd = 0;
      if (FStream->Seek(FStart + FConsumed + Count, TSeekOrigin::soBeginning) < 0) Truncated();
    }
    FConsumed += Count;
  }
  void Finish() { FStream->Seek(FStart + FConsumed, TSeekOrigin::soBeginning); }

 private:
  [[noreturn]] static void Truncated() { Invalid(L"The bitmap file is truncated"); }
  void Fill() {
    if (FBuffer.empty()) FBuffer.resize(64 * 1024);
    int32_t got = FStream->Read(FBuffer.data(), static_cast<int32_t>(FBuffer.size()));
    if (got <= 0) Truncated();
    FPos = 0;
    FEnd = static_cast<size_t>(got);
  }

  TStream* FStream;
  int64_t FStart = 0;
  int64_t FAvailable = -1;
  int64_t FConsumed = 0;
  std::vector<uint8_t> FBuffer;
  size_t FPos = 0;
  size_t FEnd = 0;
};

// A channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
  uint32_t Mask = 0;
  int Shift = 0;
  uint32_t Max = 0;

  explicit Channel(uint32_t mask) : Mask(mask) {
    if (mask) {
      Shift = std::countr_zero(mask);
      Max = mask >> Shift;
    }
  }
  uint32_t Get(uint32_t pixel) const {
    if (!Max) return 0;
    uint32_t v = (pixel & Mask) >> Shift;
    return Max == 255 ? v : static_cast<uint32_t>((uint64_t(v) * 255 + Max / 2) / Max);
  }
};

uint32_t Expand5(uint32_t v) { return (v << 3) | (v >> 2); }
uint32_t Expand6(uint32_t v) { return (v << 2) | (v >> 4); }
uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
uint32_t FromQuad(const RGBQUAD& q) { return Rgb(q.rgbRed, q.rgbGreen, q.rgbBlue); }

// Run-length decoding straight into the bottom-up DIB rows; every run and
// move is checked against the row and the image before it is written.
void DecodeRle(BoundedReader& in, uint8_t* bits, int width, int height, int bpp) {
  const int64_t stride = RowBytes(width, bpp);
  int x = 0, y = 0;
  auto row = [&]() { return bits + y * stride; };
  auto checkRun = [&](int count) {
    if (y >= height) Invalid(L"RLE data runs past the end of the image");
    if (x + count > width) Invalid(L"An RLE run goes past the end of row %d", {y});
  };
  for (;;) {
    int count = in.Byte();
    int value = in.Byte();
    if (count > 0) {
      checkRun(count);
      uint8_t* r = row();
      for (int i = 0; i < count; ++i, ++x) {
        uint8_t index = bpp == 8 ? static_cast<uint8_t>(value)
                                 : static_cast<uint8_t>((i & 1) ? value & 15 : value >> 4);
        SetIndexAt(r, x, bpp, index);
      }
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        if (++y > height) Invalid(L"RLE data runs past the end of the image");
        break;
      case 1:  // end of bitmap
        return;
      case 2: {  // delta
        int dx = in.Byte();
        int dy = in.Byte();
        x += dx;
        y += dy;
        if (x > width || y > height) Invalid(L"An RLE delta moves past the image");
        break;
      }
      default: {  // absolute run, padded to a 16-bit boundary
        checkRun(value);
        uint8_t* r = row();
        int bytes = bpp == 8 ? value : (value + 1) / 2;
        uint8_t packed = 0;
        for (int i = 0; i < value; ++i, ++x) {
          if (bpp == 8) {
            SetIndexAt(r, x, 8, in.Byte());
          } else {
            if ((i & 1) == 0) packed = in.Byte();
            SetIndexAt(r, x, 4, static_cast<uint8_t>((i & 1) ? packed & 15 : packed >> 4));
          }
        }
        if (bytes & 1) in.Byte();
        break;
      }
    }
  }
}

}  // namespace

int BitsPerPixelOf(TPixelFormat Format) {
  switch (Format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;
  }
}

bool IsPaletteFormat(TPixelFormat Format) {
  return Format == pf1bit || Format == pf4bit || Format == pf8bit;
}

int64_t RowBytes(int64_t Width, int BitsPerPixel) {
  return ((Width * BitsPerPixel + 31) / 32) * 4;
}

PaletteMatcher::PaletteMatcher(const std::vector<RGBQUAD>& Table) : FTable(Table), FCache(4096) {}

uint8_t PaletteMatcher::IndexOf(uint32_t Color) {
  Color &= 0xFFFFFF;
  Slot& slot = FCache[(Color ^ (Color >> 12) ^ (Color >> 5)) & 4095];
  if (slot.Color == Color) return slot.Index;
  int r = Color & 255, g = (Color >> 8) & 255, b = (Color >> 16) & 255;
  int best = 0, bestDistance = INT_MAX;
  for (size_t i = 0; i < FTable.size() && i < 256; ++i) {
    int dr = FTable[i].rgbRed - r, dg = FTable[i].rgbGreen - g, db = FTable[i].rgbBlue - b;
    int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<int>(i);
      if (distance == 0) break;
    }
  }
  slot.Color = Color;
  slot.Index = static_cast<uint8_t>(best);
  return slot.Index;
}

uint8_t IndexAt(const uint8_t* Row, int X, int BitsPerPixel) {
  switch (BitsPerPixel) {
    case 1: return (Row[X >> 3] >> (7 - (X & 7))) & 1;
    case 4: return (X & 1) ? Row[X >> 1] & 15 : Row[X >> 1] >> 4;
    default: return Row[X];
  }
}

void SetIndexAt(uint8_t* Row, int X, int BitsPerPixel, uint8_t Index) {
  switch (BitsPerPixel) {
    case 1: {
      uint8_t bit = static_cast<uint8_t>(0x80 >> (X & 7));
      Row[X >> 3] = static_cast<uint8_t>((Index & 1) ? Row[X >> 3] | bit : Row[X >> 3] & ~bit);
      break;
    }
    case 4: {
      uint8_t& b = Row[X >> 1];
      b = (X & 1) ? static_cast<uint8_t>((b & 0xF0) | (Index & 15))
                  : static_cast<uint8_t>((b & 0x0F) | (Index << 4));
      break;
    }
    default: Row[X] = Index;
  }
}

void ReadRow(TPixelFormat Format, const uint8_t* Row, int Width, const std::vector<RGBQUAD>& Table,
             uint32_t* Colors) {
  int bpp = BitsPerPixelOf(Format);
  for (int x = 0; x < Width; ++x) {
    switch (Format) {
      case pf1bit:
      case pf4bit:
      case pf8bit: {
        uint8_t index = IndexAt(Row, x, bpp);
        Colors[x] = index < Table.size() ? FromQuad(Table[index]) : 0;
        break;
      }
      case pf15bit: {
        uint32_t v = U16(Row + 2 * x);
        Colors[x] = Rgb(Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31));
        break;
      }
      case pf16bit: {
        uint32_t v = U16(Row + 2 * x);
        Colors[x] = Rgb(Expand5(v >> 11), Expand6((v >> 5) & 63), Expand5(v & 31));
        break;
      }
      case pf24bit: Colors[x] = Rgb(Row[3 * x + 2], Row[3 * x + 1], Row[3 * x]); break;
      case pf32bit: Colors[x] = Rgb(Row[4 * x + 2], Row[4 * x + 1], Row[4 * x]); break;
      default: Colors[x] = 0;
    }
  }
}

void WriteRow(TPixelFormat Format, uint8_t* Row, int Width, const uint32_t* Colors,
              PaletteMatcher* Matcher) {
  int bpp = BitsPerPixelOf(Format);
  for (int x = 0; x < Width; ++x) {
    uint32_t c = Colors[x];
    uint32_t r = c & 255, g = (c >> 8) & 255, b = (c >> 16) & 255;
    switch (Format) {
      case pf1bit:
      case pf4bit:
      case pf8bit: SetIndexAt(Row, x, bpp, Matcher->IndexOf(c)); break;
      case pf15bit: {
        uint32_t v = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
        Row[2 * x] = static_cast<uint8_t>(v);
        Row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        break;
      }
      case pf16bit: {
        uint32_t v = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
        Row[2 * x] = static_cast<uint8_t>(v);
        Row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        break;
      }
      case pf24bit:
        Row[3 * x] = static_cast<uint8_t>(b);
        Row[3 * x + 1] = static_cast<uint8_t>(g);
        Row[3 * x + 2] = static_cast<uint8_t>(r);
        break;
      case pf32bit:
        Row[4 * x] = static_cast<uint8_t>(b);
        Row[4 * x + 1] = static_cast<uint8_t>(g);
        Row[4 * x + 2] = static_cast<uint8_t>(r);
        Row[4 * x + 3] = 0;
        break;
      default: break;
    }
  }
}

void ReadBmp(TStream* Stream, const TDibAllocator& Allocate) {
  BoundedReader in(Stream);
  uint8_t fileHeader[14];
  in.Read(fileHeader, sizeof fileHeader);
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M') Invalid(L"Not a bitmap file (no BM signature)");
  const uint32_t offBits = U32(fileHeader + 10);

  uint8_t sizeBytes[4];
  in.Read(sizeBytes, 4);
  const uint32_t headerSize = U32(sizeBytes);
  int64_t width = 0, height = 0;
  int bpp = 0;
  uint32_t compression = kBiRgb, clrUsed = 0;
  uint32_t masks[4] = {0, 0, 0, 0};
  int entrySize = 4;
  if (headerSize == sizeof(BITMAPCOREHEADER)) {
    uint8_t h[8];
    in.Read(h, sizeof h);
    width = U16(h);
    height = U16(h + 2);
    bpp = U16(h + 6);
    entrySize = 3;
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 64 ||
             headerSize == 108 || headerSize == 124) {
    uint8_t h[sizeof(BITMAPV5HEADER)] = {};
    in.Read(h + 4, headerSize - 4);
    width = static_cast<int32_t>(U32(h + 4));
    height = static_cast<int32_t>(U32(h + 8));
    bpp = U16(h + 14);
    compression = U32(h + 16);
    clrUsed = U32(h + 32);
    for (int i = 0; i < 4 && 40 + 4 * (i + 1) <= static_cast<int>(headerSize); ++i)
      masks[i] = U32(h + 40 + 4 * i);
    // The OS/2 2.x header reuses 3 and 4 for Huffman and RLE24.
    if (headerSize == 64 && compression >= 3) Invalid(L"Unsupported OS/2 bitmap compression");
  } else {
    Invalid(L"Unsupported bitmap header size %d", {static_cast<int64_t>(headerSize)});
  }

  const bool topDown = height < 0;
  const int64_t rows = topDown ? -height : height;
  if (width <= 0 || rows == 0) Invalid(L"Invalid bitmap size %dx%d", {width, height});
  if (width > MaxBitmapDimension || rows > MaxBitmapDimension)
    Invalid(L"Bitmap too large (%dx%d)", {width, rows});
  const bool bitfields = compression == kBiBitfields || compression == kBiAlphaBitfields;
  switch (compression) {
    case kBiRgb:
      if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        Invalid(L"Unsupported bitmap depth of %d bits", {bpp});
      break;
    case kBiRle8:
    case kBiRle4:
      if (bpp != (compression == kBiRle8 ? 8 : 4))
        Invalid(L"RLE compression with a depth of %d bits", {bpp});
      if (topDown) Invalid(L"A top-down bitmap cannot be RLE compressed");
      break;
    case kBiBitfields:
    case kBiAlphaBitfields:
      if (bpp != 16 && bpp != 32) Invalid(L"Bit fields with a depth of %d bits", {bpp});
      break;
    default: Invalid(L"Unsupported bitmap compression %d", {static_cast<int64_t>(compression)});
  }
  if (bitfields && headerSize == sizeof(BITMAPINFOHEADER)) {
    int count = compression == kBiAlphaBitfields ? 4 : 3;
    uint8_t m[16];
    in.Read(m, 4 * count);
    for (int i = 0; i < count; ++i) masks[i] = U32(m + 4 * i);
  }

  // The colour table: read in full for palette depths, passed over otherwise.
  if (clrUsed > 256) Invalid(L"Bitmap palette too large (%d entries)", {static_cast<int64_t>(clrUsed)});
  int64_t entries = bpp <= 8 ? (clrUsed ? clrUsed : (1u << bpp)) : clrUsed;
  if (entrySize == 3 && offBits >= 26) entries = std::min<int64_t>(entries, (offBits - 26) / 3);
  std::vector<RGBQUAD> table;
  if (bpp <= 8) {
    table.assign(size_t(1) << bpp, RGBQUAD{});
    for (int64_t i = 0; i < entries; ++i) {
      uint8_t e[4];
      in.Read(e, entrySize);
      if (i < static_cast<int64_t>(table.size())) table[i] = RGBQUAD{e[0], e[1], e[2], 0};
    }
  } else {
    in.Skip(entries * entrySize);
  }

  if (offBits != 0) {
    if (offBits < in.Offset()) Invalid(L"The bitmap's pixel data offset lies inside its header");
    if (in.Available() >= 0 && offBits > in.Available())
      Invalid(L"The bitmap's pixel data offset lies past the end of the file");
    in.Skip(offBits - in.Offset());
  }

  TPixelFormat format;
  bool direct = true;  // the file's rows are the DIB's rows
  switch (bpp) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 16:
      if (!bitfields || (masks[0] == 0x7C00 && masks[1] == 0x3E0 && masks[2] == 0x1F)) {
        format = pf15bit;
      } else if (masks[0] == 0xF800 && masks[1] == 0x7E0 && masks[2] == 0x1F) {
        format = pf16bit;
      } else {
        format = pf24bit;
        direct = false;
      }
      break;
    case 24: format = pf24bit; break;
    default:
      format = pf32bit;
      direct = !bitfields || (masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF);
      if (!direct) format = pf24bit;
  }
  const int64_t fileStride = RowBytes(width, bpp);
  const int64_t dibStride = RowBytes(width, BitsPerPixelOf(format));
  if (dibStride * rows > MaxBitmapBytes || fileStride * rows > MaxBitmapBytes)
    Invalid(L"Bitmap too large (%dx%d)", {width, rows});
  const bool rle = compression == kBiRle8 || compression == kBiRle4;
  if (!rle && in.Available() >= 0 && in.Offset() + fileStride * rows > in.Available())
    Invalid(L"The bitmap file is truncated");

  uint8_t* bits = Allocate(static_cast<int>(width), static_cast<int>(rows), format, table);
  if (rle) {
    DecodeRle(in, bits, static_cast<int>(width), static_cast<int>(rows), bpp);
  } else {
    Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    std::vector<uint8_t> fileRow(direct ? 0 : static_cast<size_t>(fileStride));
    for (int64_t r = 0; r < rows; ++r) {
      uint8_t* dest = bits + (topDown ? rows - 1 - r : r) * dibStride;
      if (direct) {
        in.Read(dest, static_cast<size_t>(fileStride));
        continue;
      }
      in.Read(fileRow.data(), fileRow.size());
      for (int64_t x = 0; x < width; ++x) {
        uint32_t pixel = bpp == 16 ? U16(&fileRow[2 * x]) : U32(&fileRow[4 * x]);
        dest[3 * x] = static_cast<uint8_t>(blue.Get(pixel));
        dest[3 * x + 1] = static_cast<uint8_t>(green.Get(pixel));
        dest[3 * x + 2] = static_cast<uint8_t>(red.Get(pixel));
      }
    }
  }
  in.Finish();
}

void WriteBmp(TStream* Stream, int Width, int Height, TPixelFormat Format,
              const std::vector<RGBQUAD>& Table, const uint8_t* Bits) {
  const int bpp = BitsPerPixelOf(Format);
  const uint32_t imageSize = static_cast<uint32_t>(RowBytes(Width, bpp) * Height);
  const uint32_t tableSize = IsPaletteFormat(Format) ? static_cast<uint32_t>(Table.size()) : 0;
  const uint32_t maskBytes = Format == pf16bit ? 12 : 0;
  const uint32_t offBits = 14 + sizeof(BITMAPINFOHEADER) + maskBytes + 4 * tableSize;
  std::vector<uint8_t> head;
  head.push_back('B');
  head.push_back('M');
  Put32(head, offBits + imageSize);
  Put32(head, 0);
  Put32(head, offBits);
  Put32(head, sizeof(BITMAPINFOHEADER));
  Put32(head, static_cast<uint32_t>(Width));
  Put32(head, static_cast<uint32_t>(Height));
  Put16(head, 1);
  Put16(head, static_cast<uint32_t>(bpp));
  Put32(head, Format == pf16bit ? kBiBitfields : kBiRgb);
  Put32(head, imageSize);
  Put32(head, 2835);  // 72 dots per inch
  Put32(head, 2835);
  Put32(head, tableSize);
  Put32(head, 0);
  if (Format == pf16bit) {
    Put32(head, 0xF800);
    Put32(head, 0x7E0);
    Put32(head, 0x1F);
  }
  for (uint32_t i = 0; i < tableSize; ++i) {
    head.push_back(Table[i].rgbBlue);
    head.push_back(Table[i].rgbGreen);
    head.push_back(Table[i].rgbRed);
    head.push_back(0);
  }
  Stream->WriteBuffer(head.data(), static_cast<int32_t>(head.size()));
  Stream->WriteBuffer(Bits, static_cast<int32_t>(imageSize));
}

std::vector<uint8_t> ReadIconFile(TStream* Stream) {
  auto invalid = [] { Invalid(L"Not a valid icon file"); };
  BoundedReader in(Stream);
  uint8_t head[6];
  in.Read(head, sizeof head);
  const int count = U16(head + 4);
  if (U16(head) != 0 || U16(head + 2) != 1 || count == 0) invalid();
  const size_t directoryEnd = 6 + 16 * static_cast<size_t>(count);
  std::vector<uint8_t> file(head, head + 6);
  file.resize(directoryEnd);
  in.Read(file.data() + 6, directoryEnd - 6);
  uint64_t end = directoryEnd;
  for (int i = 0; i < count; ++i) {
    const uint8_t* e = file.data() + 6 + 16 * i;
    uint64_t size = U32(e + 8), offset = U32(e + 12);
    if (size == 0 || offset < directoryEnd) invalid();
    end = std::max(end, offset + size);
  }
  if (end > static_cast<uint64_t>(MaxBitmapBytes) ||
      (in.Available() >= 0 && end > static_cast<uint64_t>(in.Available())))
    Invalid(L"The icon file is truncated");
  file.resize(static_cast<size_t>(end));
  in.Read(file.data() + directoryEnd, file.size() - directoryEnd);
  in.Finish();
  return file;
}

std::vector<IconEntry> IconDirectory(const std::vector<uint8_t>& File) {
  std::vector<IconEntry> entries;
  if (File.size() < 6) return entries;
  const size_t count = U16(File.data() + 4);
  for (size_t i = 0; i < count && 6 + 16 * (i + 1) <= File.size(); ++i) {
    const uint8_t* e = File.data() + 6 + 16 * i;
    IconEntry entry;
    entry.Width = e[0] ? e[0] : 256;
    entry.Height = e[1] ? e[1] : 256;
    entry.BitCount = U16(e + 6);
    entry.Size = U32(e + 8);
    entry.Offset = U32(e + 12);
    if (entry.Offset > File.size() || entry.Size > File.size() - entry.Offset) continue;
    entries.push_back(entry);
  }
  return entries;
}

void CheckIconImage(const std::vector<uint8_t>& File, IconEntry& Entry) {
  const uint8_t* p = File.data() + Entry.Offset;
  const size_t size = Entry.Size;
  static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  if (size >= 24 && std::memcmp(p, png, 8) == 0) {
    // The IHDR chunk comes first: its width and height are big-endian.
    auto be32 = [](const uint8_t* q) {
      return (uint32_t(q[0]) << 24) | (q[1] << 16) | (q[2] << 8) | q[3];
    };
    if (size < 33 || std::memcmp(p + 12, "IHDR", 4) != 0) Invalid(L"Invalid PNG icon image");
    uint32_t w = be32(p + 16), h = be32(p + 20);
    if (w == 0 || h == 0 || w > 1024 || h > 1024) Invalid(L"Invalid PNG icon image");
    Entry.Width = static_cast<int>(w);
    Entry.Height = static_cast<int>(h);
    return;
  }
  if (size < sizeof(BITMAPINFOHEADER)) Invalid(L"The icon image is truncated");
  const uint32_t headerSize = U32(p);
  const int64_t w = static_cast<int32_t>(U32(p + 4));
  const int64_t h2 = static_cast<int32_t>(U32(p + 8));
  const int bpp = U16(p + 14);
  const uint32_t clrUsed = U32(p + 32);
  if (headerSize < sizeof(BITMAPINFOHEADER) || headerSize > size || w <= 0 || w > 256 || h2 <= 0 ||
      h2 > 512 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) ||
      U32(p + 16) != kBiRgb || clrUsed > 256)
    Invalid(L"Invalid icon image header");
  const int64_t h = h2 / 2;
  const int64_t entries = bpp <= 8 ? (clrUsed ? clrUsed : (1 << bpp)) : clrUsed;
  const int64_t needed = headerSize + 4 * entries + RowBytes(w, bpp) * h + RowBytes(w, 1) * h;
  if (h == 0 || needed > static_cast<int64_t>(size)) Invalid(L"The icon image is truncated");
  Entry.Width = static_cast<int>(w);
  Entry.Height = static_cast<int>(h);
  Entry.BitCount = bpp;
}

std::vector<uint8_t> IconFileFromHandle(HICON Icon) {
  ICONINFO info{};
  if (!Icon || !GetIconInfo(Icon, &info)) Invalid(L"Invalid icon handle");
  BITMAP bm{};
  HBITMAP colour = info.hbmColor ? info.hbmColor : info.hbmMask;
  GetObjectW(colour, sizeof bm, &bm);
  const int w = bm.bmWidth;
  const int h = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
  std::vector<uint8_t> xorBits, andBits;
  bool ok = w > 0 && h > 0 && w <= 256 && h <= 256;
  if (ok) {
    struct {
      BITMAPINFOHEADER Header;
      RGBQUAD Colors[2];
    } bi{};
    bi.Header.biSize = sizeof(BITMAPINFOHEADER);
    bi.Header.biWidth = w;
    bi.Header.biHeight = h;
    bi.Header.biPlanes = 1;
    bi.Header.biBitCount = 32;
    xorBits.resize(static_cast<size_t>(4) * w * h);
    andBits.resize(static_cast<size_t>(RowBytes(w, 1) * h));
    HDC dc = GetDC(nullptr);
    if (info.hbmColor) {
      ok = GetDIBits(dc, info.hbmColor, 0, h, xorBits.data(), reinterpret_cast<BITMAPINFO*>(&bi),
                     DIB_RGB_COLORS) == h;
    } else {
      // A monochrome icon keeps its colour half under the mask half.
      std::vector<uint8_t> both(static_cast<size_t>(4) * w * h * 2);
      bi.Header.biHeight = h * 2;
      ok = GetDIBits(dc, info.hbmMask, 0, h * 2, both.data(), reinterpret_cast<BITMAPINFO*>(&bi),
                     DIB_RGB_COLORS) == h * 2;
      std::copy(both.begin(), both.begin() + xorBits.size(), xorBits.begin());
      bi.Header.biHeight = h;
    }
    bi.Header.biBitCount = 1;
    bi.Header.biHeight = info.hbmColor ? h : h * 2;
    std::vector<uint8_t> mask(static_cast<size_t>(RowBytes(w, 1) * bi.Header.biHeight));
    ok = ok && GetDIBits(dc, info.hbmMask, 0, bi.Header.biHeight, mask.data(),
                         reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS) == bi.Header.biHeight;
    // Bottom-up: the AND half of a two-part mask is its top half, the rows last.
    size_t skip = info.hbmColor ? 0 : andBits.size();
    if (ok) std::copy(mask.begin() + skip, mask.begin() + skip + andBits.size(), andBits.begin());
    ReleaseDC(nullptr, dc);
  }
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (!ok) Invalid(L"Invalid icon handle");

  std::vector<uint8_t> file;
  const uint32_t imageSize =
      static_cast<uint32_t>(sizeof(BITMAPINFOHEADER) + xorBits.size() + andBits.size());
  Put16(file, 0);
  Put16(file, 1);
  Put16(file, 1);
  file.push_back(static_cast<uint8_t>(w == 256 ? 0 : w));
  file.push_back(static_cast<uint8_t>(h == 256 ? 0 : h));
  file.push_back(0);
  file.push_back(0);
  Put16(file, 1);
  Put16(file, 32);
  Put32(file, imageSize);
  Put32(file, 22);
  Put32(file, sizeof(BITMAPINFOHEADER));
  Put32(file, static_cast<uint32_t>(w));
  Put32(file, static_cast<uint32_t>(h * 2));
  Put16(file, 1);
  Put16(file, 32);
  for (int i = 0; i < 6; ++i) Put32(file, 0);
  file.insert(file.end(), xorBits.begin(), xorBits.end());
  file.insert(file.end(), andBits.begin(), andBits.end());
  return file;
}

}  // namespace bitmap_files
