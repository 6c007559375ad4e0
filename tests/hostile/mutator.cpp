#include "mutator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "formats/ogg_page.h"

namespace hostile {

namespace {

// splitmix64: tiny, and the same on every compiler, unlike the standard
// library's distributions.
class Random {
 public:
  explicit Random(uint64_t seed) : FState(seed) {}
  uint64_t Next() {
    uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0..n-1; 0 when n is 0.
  size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }
  bool OneIn(size_t n) { return Below(n) == 0; }

 private:
  uint64_t FState;
};

std::string Hex(uint64_t v) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
  return text;
}

uint32_t Get(const std::string& b, size_t at, size_t width, bool big) {
  uint32_t v = 0;
  for (size_t i = 0; i < width && i < 4 && at + i < b.size(); ++i) {
    const uint32_t byte = static_cast<uint8_t>(b[at + i]);
    v |= big ? byte << (8 * (width - 1 - i)) : byte << (8 * i);
  }
  return v;
}

bool Is(const std::string& b, size_t at, const char* text, size_t length) {
  return at + length <= b.size() && std::memcmp(b.data() + at, text, length) == 0;
}

// --- where the sizes are ---------------------------------------------------

void ID3v2Fields(const std::string& b, std::vector<SizeField>& out, size_t& audioStart) {
  if (!Is(b, 0, "ID3", 3) || b.size() < 10) return;
  out.push_back({6, 4, SizeField::kSyncsafe, "ID3v2 tag size"});
  const uint8_t version = static_cast<uint8_t>(b[3]);
  uint32_t tagSize = 0;
  for (int i = 6; i < 10; ++i) tagSize = tagSize << 7 | (static_cast<uint8_t>(b[i]) & 0x7F);
  audioStart = 10 + tagSize;
  const size_t end = std::min<size_t>(b.size(), audioStart);
  const size_t header = version == 2 ? 6 : 10;
  for (size_t at = 10, n = 0; at + header <= end && n < 64; ++n) {
    if (b[at] == 0) break;  // padding
    uint32_t size;
    if (version == 2) {
      out.push_back({at + 3, 3, SizeField::kBig, "ID3v2.2 frame size"});
      size = Get(b, at + 3, 3, true);
    } else if (version == 4) {
      out.push_back({at + 4, 4, SizeField::kSyncsafe, "ID3v2.4 frame size"});
      size = 0;
      for (size_t i = 0; i < 4; ++i) size = size << 7 | (static_cast<uint8_t>(b[at + 4 + i]) & 0x7F);
    } else {
      out.push_back({at + 4, 4, SizeField::kBig, "ID3v2.3 frame size"});
      size = Get(b, at + 4, 4, true);
    }
    at += header + size;
  }
}

void RiffFields(const std::string& b, std::vector<SizeField>& out) {
  if (!Is(b, 0, "RIFF", 4)) return;
  out.push_back({4, 4, SizeField::kLittle, "RIFF size"});
  for (size_t at = 12, n = 0; at + 8 <= b.size() && n < 32; ++n) {
    out.push_back({at + 4, 4, SizeField::kLittle, "RIFF chunk size"});
    const uint32_t size = Get(b, at + 4, 4, false);
    if (Is(b, at, "fmt ", 4)) {
      out.push_back({at + 10, 2, SizeField::kLittle, "WAVE channels"});
      out.push_back({at + 12, 4, SizeField::kLittle, "WAVE sample rate"});
      out.push_back({at + 16, 4, SizeField::kLittle, "WAVE byte rate"});
      out.push_back({at + 20, 2, SizeField::kLittle, "WAVE block align"});
      out.push_back({at + 22, 2, SizeField::kLittle, "WAVE bits per sample"});
      if (size >= 18) out.push_back({at + 24, 2, SizeField::kLittle, "WAVE extension size"});
    }
    at += 8 + size + (size & 1);
  }
}

void OggFields(const std::string& b, size_t start, std::vector<SizeField>& out) {
  size_t at = start;
  for (int page = 0; page < 4 && Is(b, at, "OggS", 4) && at + 27 <= b.size(); ++page) {
    out.push_back({at + 6, 4, SizeField::kLittle, "Ogg granule position"});
    out.push_back({at + 26, 1, SizeField::kLittle, "Ogg segment count"});
    const size_t segments = static_cast<uint8_t>(b[at + 26]);
    size_t body = 0;
    for (size_t i = 0; i < segments && at + 27 + i < b.size(); ++i) {
      if (i < 6 || i + 2 >= segments) out.push_back({at + 27 + i, 1, SizeField::kLittle, "Ogg lacing value"});
      body += static_cast<uint8_t>(b[at + 27 + i]);
    }
    at += 27 + segments + body;
  }
  if (size_t id = b.find("\x01vorbis", start); id != std::string::npos) {
    out.push_back({id + 11, 1, SizeField::kLittle, "Vorbis channels"});
    out.push_back({id + 12, 4, SizeField::kLittle, "Vorbis sample rate"});
    out.push_back({id + 16, 4, SizeField::kLittle, "Vorbis maximum bitrate"});
    out.push_back({id + 28, 1, SizeField::kLittle, "Vorbis block sizes"});
  }
  if (size_t c = b.find("\x03vorbis", start); c != std::string::npos && c + 11 <= b.size()) {
    out.push_back({c + 7, 4, SizeField::kLittle, "Vorbis vendor length"});
    size_t item = c + 11 + Get(b, c + 7, 4, false);
    if (item + 4 <= b.size()) {
      out.push_back({item, 4, SizeField::kLittle, "Vorbis comment count"});
      const uint32_t count = Get(b, item, 4, false);
      item += 4;
      for (uint32_t i = 0; i < count && i < 16 && item + 4 <= b.size(); ++i) {
        out.push_back({item, 4, SizeField::kLittle, "Vorbis comment length"});
        item += 4 + Get(b, item, 4, false);
      }
    }
  }
  if (size_t s = b.find("\x05vorbis", start); s != std::string::npos) {
    out.push_back({s + 7, 1, SizeField::kLittle, "Vorbis codebook count"});
    out.push_back({s + 11, 2, SizeField::kLittle, "Vorbis codebook dimensions"});
    out.push_back({s + 13, 3, SizeField::kLittle, "Vorbis codebook entries"});
  }
}

const char kAsfHeader[] = "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C";
const char kAsfContent[] = "\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C";
const char kAsfExtended[] = "\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50";
const char kAsfFile[] = "\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65";

void AsfFields(const std::string& b, std::vector<SizeField>& out) {
  if (!Is(b, 0, kAsfHeader, 16) || b.size() < 30) return;
  out.push_back({16, 4, SizeField::kLittle, "ASF header size"});
  out.push_back({20, 4, SizeField::kLittle, "ASF header size, high half"});
  out.push_back({24, 4, SizeField::kLittle, "ASF header object count"});
  const size_t end = std::min<size_t>(b.size(), Get(b, 16, 4, false));
  for (size_t at = 30, n = 0; at + 24 <= end && n < 32; ++n) {
    out.push_back({at + 16, 4, SizeField::kLittle, "ASF object size"});
    if (Is(b, at, kAsfContent, 16)) {
      for (size_t i = 0; i < 5; ++i)
        out.push_back({at + 24 + 2 * i, 2, SizeField::kLittle, "ASF content description length"});
    } else if (Is(b, at, kAsfFile, 16)) {
      out.push_back({at + 40, 4, SizeField::kLittle, "ASF file size"});
      out.push_back({at + 56, 4, SizeField::kLittle, "ASF data packets"});
      out.push_back({at + 92, 4, SizeField::kLittle, "ASF minimum packet size"});
      out.push_back({at + 96, 4, SizeField::kLittle, "ASF maximum packet size"});
    } else if (Is(b, at, kAsfExtended, 16) && at + 26 <= b.size()) {
      out.push_back({at + 24, 2, SizeField::kLittle, "ASF descriptor count"});
      size_t d = at + 26;
      for (int i = 0; i < 16 && d + 2 <= b.size(); ++i) {
        out.push_back({d, 2, SizeField::kLittle, "ASF descriptor name length"});
        d += 2 + Get(b, d, 2, false);
        if (d + 4 > b.size()) break;
        out.push_back({d + 2, 2, SizeField::kLittle, "ASF descriptor value length"});
        d += 4 + Get(b, d + 2, 2, false);
      }
    }
    const uint32_t size = Get(b, at + 16, 4, false);
    if (size < 24) break;
    at += size;
  }
}

void TrailerFields(const std::string& b, std::vector<SizeField>& out) {
  if (b.size() < 128 || !Is(b, b.size() - 128, "TAG", 3)) return;
  out.push_back({b.size() - 3, 1, SizeField::kLittle, "ID3v1 track"});
  out.push_back({b.size() - 1, 1, SizeField::kLittle, "ID3v1 genre"});
  const size_t mark = b.size() - 128 - 9;
  if (b.size() < 128 + 15 || !Is(b, mark, "LYRICS200", 9)) return;
  out.push_back({mark - 6, 6, SizeField::kDecimal, "Lyrics3 size"});
  size_t size = 0;
  for (size_t i = mark - 6; i < mark; ++i) size = size * 10 + static_cast<size_t>(b[i] - '0');
  if (size > mark - 6) return;
  for (size_t at = mark - 6 - size + 11, n = 0; at + 8 <= mark - 6 && n < 16; ++n) {
    out.push_back({at + 3, 5, SizeField::kDecimal, "Lyrics3 field size"});
    size_t field = 0;
    for (size_t i = at + 3; i < at + 8; ++i) field = field * 10 + static_cast<size_t>(b[i] - '0');
    at += 8 + field;
  }
}

void MpegFields(const std::string& b, size_t start, std::vector<SizeField>& out) {
  const size_t window = std::min(b.size(), start + 4096);
  for (const char* mark : {"Xing", "Info"}) {
    size_t at = b.find(mark, start);
    if (at != std::string::npos && at < window) {
      out.push_back({at + 4, 4, SizeField::kBig, "Xing flags"});
      out.push_back({at + 8, 4, SizeField::kBig, "Xing frames"});
      out.push_back({at + 12, 4, SizeField::kBig, "Xing bytes"});
    }
  }
  size_t at = b.find("VBRI", start);
  if (at != std::string::npos && at < window) {
    out.push_back({at + 10, 4, SizeField::kBig, "VBRI bytes"});
    out.push_back({at + 14, 4, SizeField::kBig, "VBRI frames"});
    out.push_back({at + 18, 2, SizeField::kBig, "VBRI table entries"});
  }
}

// A BITMAPINFOHEADER (or the OS/2 core header) at At: of a .bmp file, or of
// an image inside an .ico.
void InfoHeaderFields(const std::string& b, size_t at, std::vector<SizeField>& out) {
  if (at + 16 > b.size()) return;
  out.push_back({at, 4, SizeField::kLittle, "bitmap header size"});
  if (Get(b, at, 4, false) == 12) {
    out.push_back({at + 4, 2, SizeField::kLittle, "bitmap width"});
    out.push_back({at + 6, 2, SizeField::kLittle, "bitmap height"});
    out.push_back({at + 10, 2, SizeField::kLittle, "bitmap bits per pixel"});
    return;
  }
  out.push_back({at + 4, 4, SizeField::kLittle, "bitmap width"});
  out.push_back({at + 8, 4, SizeField::kLittle, "bitmap height"});
  out.push_back({at + 14, 2, SizeField::kLittle, "bitmap bits per pixel"});
  out.push_back({at + 16, 4, SizeField::kLittle, "bitmap compression"});
  out.push_back({at + 20, 4, SizeField::kLittle, "bitmap image size"});
  out.push_back({at + 32, 4, SizeField::kLittle, "bitmap colours used"});
  const uint32_t compression = Get(b, at + 16, 4, false);
  if (compression == 3 || compression == 6)
    for (size_t i = 0; i < 4; ++i)
      out.push_back({at + 40 + 4 * i, 4, SizeField::kLittle, "bitmap bit field"});
}

// The counts and escape codes of the first operations of an RLE stream: a
// zero, a one or a two there turns data into end of line, end of bitmap or a
// move.
void RleFields(const std::string& b, size_t at, bool rle8, std::vector<SizeField>& out) {
  for (int n = 0; n < 24 && at + 2 <= b.size(); ++n) {
    const uint8_t count = static_cast<uint8_t>(b[at]), code = static_cast<uint8_t>(b[at + 1]);
    out.push_back({at, 1, SizeField::kLittle, "RLE count"});
    out.push_back({at + 1, 1, SizeField::kLittle, count ? "RLE value" : "RLE escape"});
    if (count) {
      at += 2;
    } else if (code == 1) {
      return;
    } else if (code == 2) {
      out.push_back({at + 2, 1, SizeField::kLittle, "RLE move right"});
      out.push_back({at + 3, 1, SizeField::kLittle, "RLE move up"});
      at += 4;
    } else {
      const size_t bytes = code == 0 ? 0 : rle8 ? code : (code + 1u) / 2;
      at += 2 + bytes + (bytes & 1);
    }
  }
}

void BmpFields(const std::string& b, std::vector<SizeField>& out) {
  if (!Is(b, 0, "BM", 2) || b.size() < 30) return;
  out.push_back({2, 4, SizeField::kLittle, "bitmap file size"});
  out.push_back({10, 4, SizeField::kLittle, "bitmap pixel offset"});
  InfoHeaderFields(b, 14, out);
  const uint32_t compression = Get(b, 30, 4, false);
  if (Get(b, 14, 4, false) >= 40 && (compression == 1 || compression == 2))
    RleFields(b, Get(b, 10, 4, false), compression == 1, out);
}

// An icon's image: a PNG or a DIB.
void ImageFields(const std::string& b, size_t at, std::vector<SizeField>& out) {
  if (Is(b, at, "\x89PNG", 4)) {
    out.push_back({at + 16, 4, SizeField::kBig, "PNG width"});
    out.push_back({at + 20, 4, SizeField::kBig, "PNG height"});
  } else {
    InfoHeaderFields(b, at, out);
  }
}

void IconFields(const std::string& b, std::vector<SizeField>& out) {
  if (!Is(b, 0, "\0\0\1\0", 4) || b.size() < 22) return;
  out.push_back({4, 2, SizeField::kLittle, "icon count"});
  const size_t count = Get(b, 4, 2, false);
  for (size_t i = 0; i < count && i < 8 && 6 + 16 * (i + 1) <= b.size(); ++i) {
    const size_t e = 6 + 16 * i;
    out.push_back({e, 1, SizeField::kLittle, "icon entry width"});
    out.push_back({e + 1, 1, SizeField::kLittle, "icon entry height"});
    out.push_back({e + 6, 2, SizeField::kLittle, "icon entry bits per pixel"});
    out.push_back({e + 8, 4, SizeField::kLittle, "icon image size"});
    out.push_back({e + 12, 4, SizeField::kLittle, "icon image offset"});
    ImageFields(b, Get(b, e + 12, 4, false), out);
  }
}

// A resource DLL (an icon library): the PE headers that lead to the
// resources, the section table, the resource tree's counts and offsets, the
// icon groups and the first icon images.
void PeFields(const std::string& b, std::vector<SizeField>& out) {
  if (!Is(b, 0, "MZ", 2) || b.size() < 64) return;
  out.push_back({0x3C, 4, SizeField::kLittle, "PE header offset"});
  const size_t pe = Get(b, 0x3C, 4, false);
  if (!Is(b, pe, "PE\0\0", 4) || pe + 24 > b.size()) return;
  out.push_back({pe + 6, 2, SizeField::kLittle, "PE section count"});
  out.push_back({pe + 20, 2, SizeField::kLittle, "PE optional header size"});
  const size_t optional = pe + 24, sections = optional + Get(b, pe + 20, 2, false);
  const bool plus = Get(b, optional, 2, false) == 0x20B;
  const size_t directory = optional + (plus ? 112 : 96) + 2 * 8;  // the resource directory's entry
  out.push_back({optional + (plus ? 108u : 92u), 4, SizeField::kLittle, "PE directory count"});
  out.push_back({directory, 4, SizeField::kLittle, "PE resource address"});
  out.push_back({directory + 4, 4, SizeField::kLittle, "PE resource size"});
  const uint32_t rva = Get(b, directory, 4, false);
  size_t root = std::string::npos, delta = 0;  // file offset = address - delta
  for (size_t i = 0, n = Get(b, pe + 6, 2, false); i < n && i < 16 && sections + 40 * (i + 1) <= b.size();
       ++i) {
    const size_t s = sections + 40 * i;
    out.push_back({s + 8, 4, SizeField::kLittle, "PE section size in memory"});
    out.push_back({s + 12, 4, SizeField::kLittle, "PE section address"});
    out.push_back({s + 16, 4, SizeField::kLittle, "PE section size in the file"});
    out.push_back({s + 20, 4, SizeField::kLittle, "PE section offset"});
    const uint32_t address = Get(b, s + 12, 4, false), size = Get(b, s + 16, 4, false);
    if (rva >= address && rva - address < size && address >= Get(b, s + 20, 4, false)) {
      delta = address - Get(b, s + 20, 4, false);
      root = rva - delta;
    }
  }
  if (root == std::string::npos) return;
  // The tree: type, then name, then language; a leaf of type 14 is an icon
  // group, one of type 3 an icon image.
  size_t images = 0;
  auto walk = [&](auto& self, size_t dir, int depth, uint32_t type) -> void {
    if (dir + 16 > b.size() || out.size() > 512) return;
    out.push_back({dir + 12, 2, SizeField::kLittle, "resource named entries"});
    out.push_back({dir + 14, 2, SizeField::kLittle, "resource numbered entries"});
    const size_t count = Get(b, dir + 12, 2, false) + Get(b, dir + 14, 2, false);
    for (size_t i = 0; i < count && i < 24 && dir + 16 + 8 * (i + 1) <= b.size(); ++i) {
      const size_t entry = dir + 16 + 8 * i;
      out.push_back({entry + 4, 4, SizeField::kLittle, "resource entry offset"});
      const uint32_t offset = Get(b, entry + 4, 4, false);
      const uint32_t id = depth == 0 ? Get(b, entry, 4, false) : type;
      if (offset & 0x80000000u) {
        if (depth < 2) self(self, root + (offset & 0x7FFFFFFFu), depth + 1, id);
        continue;
      }
      const size_t leaf = root + offset;
      if (leaf + 8 > b.size()) continue;
      out.push_back({leaf, 4, SizeField::kLittle, "resource data address"});
      out.push_back({leaf + 4, 4, SizeField::kLittle, "resource data size"});
      if (Get(b, leaf, 4, false) < delta) continue;
      const size_t data = Get(b, leaf, 4, false) - delta;
      if (id == 14 && data + 6 <= b.size()) {
        out.push_back({data + 4, 2, SizeField::kLittle, "icon group count"});
        for (size_t k = 0; k < Get(b, data + 4, 2, false) && k < 4; ++k) {
          out.push_back({data + 6 + 14 * k + 8, 4, SizeField::kLittle, "icon group image size"});
          out.push_back({data + 6 + 14 * k + 12, 2, SizeField::kLittle, "icon group image id"});
        }
      } else if (id == 3 && images++ < 6) {
        ImageFields(b, data, out);
      }
    }
  };
  walk(walk, root, 0, 0);
}

// A DROPFILES block: the offset of its list (the header's own size) and the
// wide flag.
void DropFilesFields(const std::string& b, std::vector<SizeField>& out) {
  if (b.size() < 20 || Get(b, 0, 4, false) != 20 || Get(b, 16, 4, false) > 1) return;
  out.push_back({0, 4, SizeField::kLittle, "DROPFILES list offset"});
  out.push_back({16, 4, SizeField::kLittle, "DROPFILES wide flag"});
}

// The numbers of an INI text ("key=12", "x,y", "r,g,b") or of an XML
// document's attributes ("B1=\"-6\""), as decimal fields.
void TextNumberFields(const std::string& b, std::vector<SizeField>& out) {
  const bool xml = Is(b, 0, "<?xml", 5);
  const size_t first = b.find_first_not_of(" \t\r\n");
  if (!xml && (first == std::string::npos || (b[first] != '[' && b[first] != ';' && b[first] != '/') ||
               b.find("\n[") == std::string::npos))
    return;
  auto starts = [&](size_t at) {
    if (!xml) return b[at - 1] == '=' || b[at - 1] == ',';
    const size_t quote = b[at - 1] == '-' ? at - 2 : at - 1;
    return quote >= 1 && quote < at && b[quote] == '"' && b[quote - 1] == '=';
  };
  for (size_t at = 2, n = 0; at < b.size() && n < 256; ++at) {
    if (b[at] < '0' || b[at] > '9' || !starts(at)) continue;
    size_t end = at;
    while (end < b.size() && end - at < 10 && b[end] >= '0' && b[end] <= '9') ++end;
    out.push_back(
        {at, static_cast<uint8_t>(end - at), SizeField::kDecimal, xml ? "XML number" : "INI number"});
    ++n;
  }
}

// --- what the mutants do ---------------------------------------------------

constexpr uint32_t kInteresting[] = {0,       1,        2,          7,          8,          0x7F,
                                     0x80,    0xFF,     0x100,      0x7FFF,     0x8000,     0xFFFF,
                                     0x10000, 0xFFFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF};

void Put(std::string& b, const SizeField& f, uint64_t value) {
  if (f.Offset >= b.size()) return;
  const size_t width = std::min<size_t>(f.Width, b.size() - f.Offset);
  for (size_t i = 0; i < width; ++i) {
    uint8_t byte = 0;
    switch (f.Encoding) {
      case SizeField::kLittle:
        byte = static_cast<uint8_t>(value >> (8 * i));
        break;
      case SizeField::kBig:
        byte = static_cast<uint8_t>(value >> (8 * (f.Width - 1 - i)));
        break;
      case SizeField::kSyncsafe:
        byte = static_cast<uint8_t>((value >> (7 * (f.Width - 1 - i))) & 0x7F);
        break;
      case SizeField::kDecimal: {
        uint64_t v = value;
        for (size_t k = i + 1; k < f.Width; ++k) v /= 10;
        byte = static_cast<uint8_t>('0' + v % 10);
        break;
      }
    }
    b[f.Offset + i] = static_cast<char>(byte);
  }
}

uint64_t FieldValue(const std::string& b, const SizeField& f) {
  uint64_t v = 0;
  for (size_t i = 0; i < f.Width && f.Offset + i < b.size(); ++i) {
    const uint8_t byte = static_cast<uint8_t>(b[f.Offset + i]);
    switch (f.Encoding) {
      case SizeField::kLittle:
        v |= uint64_t{byte} << (8 * i);
        break;
      case SizeField::kBig:
        v = v << 8 | byte;
        break;
      case SizeField::kSyncsafe:
        v = v << 7 | (byte & 0x7F);
        break;
      case SizeField::kDecimal:
        v = v * 10 + (byte >= '0' && byte <= '9' ? byte - '0' : 0);
        break;
    }
  }
  return v;
}

// Keeps every mutant of a fixture within a few times its size.
constexpr size_t kMaxGrowth = 256 * 1024;

std::string Mutate(std::string& b, const std::vector<SizeField>& fields, Random& r, int kind) {
  const size_t size = b.size();
  switch (kind) {
    case 0: {  // bit flips
      std::string d = "flip";
      for (size_t n = 1 + r.Below(4); n > 0 && size; --n) {
        const size_t at = r.Below(size), bit = r.Below(8);
        b[at] = static_cast<char>(b[at] ^ (1 << bit));
        d += " " + std::to_string(at) + ":" + std::to_string(bit);
      }
      return d;
    }
    case 1: {  // random bytes
      if (!size) return "nothing";
      const size_t at = r.Below(size), n = std::min<size_t>(1 + r.Below(4), size - at);
      for (size_t i = 0; i < n; ++i) b[at + i] = static_cast<char>(r.Next());
      return "random " + std::to_string(n) + " bytes at " + std::to_string(at);
    }
    case 2:    // a stored size set to an interesting value
    case 3: {  // or to one near what it was, or near what the file holds
      if (fields.empty()) return Mutate(b, fields, r, 4);
      const SizeField& f = fields[r.Below(fields.size())];
      const uint64_t old = FieldValue(b, f);
      uint64_t value;
      if (kind == 2) {
        value = kInteresting[r.Below(std::size(kInteresting))];
      } else {
        const uint64_t choices[] = {
            old + 1, old - 1, old * 2, old / 2, size, size - f.Offset, size - f.Offset - f.Width, old + 0x80};
        value = choices[r.Below(std::size(choices))];
      }
      Put(b, f, value);
      return std::string(f.Name) + " at " + std::to_string(f.Offset) + ": " + Hex(old) + " -> " +
             Hex(FieldValue(b, f));
    }
    case 4: {  // an interesting 32-bit value anywhere
      if (size < 4) return Mutate(b, fields, r, 0);
      const bool big = r.OneIn(2);
      const SizeField f{r.Below(size - 3), 4, big ? SizeField::kBig : SizeField::kLittle, ""};
      const uint64_t value = kInteresting[r.Below(std::size(kInteresting))];
      Put(b, f, value);
      return std::string(big ? "u32be " : "u32le ") + Hex(value) + " at " + std::to_string(f.Offset);
    }
    case 5: {  // cut short, more often in the headers
      const size_t at = r.OneIn(2) ? r.Below(std::min<size_t>(size, 4096) + 1) : r.Below(size + 1);
      b.resize(at);
      return "cut at " + std::to_string(at);
    }
    case 6: {  // a range removed
      if (!size) return "nothing";
      const size_t at = r.Below(size), n = 1 + r.Below(std::min<size_t>(4096, size - at));
      b.erase(at, n);
      return "removed " + std::to_string(n) + " bytes at " + std::to_string(at);
    }
    case 7: {  // a range duplicated
      if (!size) return "nothing";
      const size_t at = r.Below(size), n = 1 + r.Below(std::min<size_t>(4096, size - at));
      const size_t to = r.OneIn(2) ? at + n : r.Below(size + 1);
      b.insert(to, b.substr(at, n));
      return "copied " + std::to_string(n) + " bytes at " + std::to_string(at) + " to " + std::to_string(to);
    }
    default: {  // a short range repeated many times
      if (!size) return "nothing";
      const size_t at = r.Below(size), n = 1 + r.Below(std::min<size_t>(64, size - at));
      const size_t times = std::min<size_t>(2 + r.Below(4000), kMaxGrowth / n);
      std::string piece = b.substr(at, n), run;
      run.reserve(n * times);
      for (size_t i = 0; i < times; ++i) run += piece;
      b.insert(at, run);
      return "repeated " + std::to_string(n) + " bytes at " + std::to_string(at) + " " +
             std::to_string(times) + " times";
    }
  }
}

size_t OggStart(const std::string& b) {
  if (Is(b, 0, "OggS", 4)) return 0;
  if (!Is(b, 0, "ID3", 3) || b.size() < 10) return std::string::npos;
  uint32_t size = 0;
  for (int i = 6; i < 10; ++i) size = size << 7 | (static_cast<uint8_t>(b[i]) & 0x7F);
  return Is(b, 10 + size, "OggS", 4) ? 10 + size : std::string::npos;
}

}  // namespace

std::vector<SizeField> FindSizeFields(const std::string& Bytes) {
  std::vector<SizeField> fields;
  size_t audioStart = 0;
  ID3v2Fields(Bytes, fields, audioStart);
  RiffFields(Bytes, fields);
  AsfFields(Bytes, fields);
  TrailerFields(Bytes, fields);
  BmpFields(Bytes, fields);
  IconFields(Bytes, fields);
  PeFields(Bytes, fields);
  DropFilesFields(Bytes, fields);
  TextNumberFields(Bytes, fields);
  if (size_t ogg = OggStart(Bytes); ogg != std::string::npos) {
    OggFields(Bytes, ogg, fields);
  } else if (audioStart < Bytes.size()) {
    MpegFields(Bytes, audioStart, fields);
  }
  return fields;
}

void FixOggChecksums(std::string& Bytes) {
  size_t at = Bytes.find("OggS");
  while (at != std::string::npos && at + 27 <= Bytes.size()) {
    const size_t segments = static_cast<uint8_t>(Bytes[at + 26]);
    size_t length = 27 + segments;
    if (at + length > Bytes.size()) break;
    for (size_t i = 0; i < segments; ++i) length += static_cast<uint8_t>(Bytes[at + 27 + i]);
    if (at + length > Bytes.size()) break;
    std::memset(Bytes.data() + at + 22, 0, 4);
    const uint32_t crc = OggChecksum(Bytes.data() + at, length);
    for (int i = 0; i < 4; ++i) Bytes[at + 22 + i] = static_cast<char>(crc >> (8 * i));
    at = Bytes.find("OggS", at + length);
  }
}

Mutant MakeMutant(const std::string& Original, uint64_t Seed, uint32_t Index) {
  Mutant m{Original, "the file as it is"};
  if (Index == 0) return m;
  Random r(Seed * 0x100000001B3ull ^ (uint64_t{Index} << 20) ^ Index);
  const std::vector<SizeField> fields = FindSizeFields(Original);
  // Aimed at the stored sizes half the time when the format has any.
  const int kinds = 9;
  int first = static_cast<int>(r.Below(kinds));
  if (!fields.empty() && r.OneIn(2)) first = 2 + static_cast<int>(r.Below(2));
  m.Description = Mutate(m.Bytes, fields, r, first);
  for (size_t more = r.OneIn(4) ? 1 + r.Below(2) : 0; more > 0; --more)
    m.Description += "; " + Mutate(m.Bytes, fields, r, static_cast<int>(r.Below(kinds)));
  if (OggStart(Original) != std::string::npos && !r.OneIn(8)) {
    FixOggChecksums(m.Bytes);
    m.Description += " (page checksums fixed)";
  }
  return m;
}

}  // namespace hostile
