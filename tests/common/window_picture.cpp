#include "window_picture.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "memory_bitmap.h"
#include "test_support.h"

namespace testing_support {
namespace {

// Far beyond any screen; keeps the byte counts below well inside 32 bits.
constexpr int kMaxSide = 16384;
constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kMaxStoredBlock = 65535;

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t Adler32(const uint8_t* data, size_t size) {
  uint32_t a = 1, b = 0;
  for (size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

void PutBE32(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v >> 24));
  out.push_back(static_cast<char>(v >> 16));
  out.push_back(static_cast<char>(v >> 8));
  out.push_back(static_cast<char>(v));
}

uint32_t GetBE32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void AppendChunk(std::string& png, const char* type, const std::string& data) {
  PutBE32(png, static_cast<uint32_t>(data.size()));
  std::string typed = std::string(type, 4) + data;
  png += typed;
  PutBE32(png, Crc32(Bytes(typed), typed.size()));
}

// A zlib stream of stored deflate blocks: no compression, so no library.
std::string StoredZlib(const std::string& raw) {
  std::string z = {0x78, 0x01};
  size_t pos = 0;
  do {
    size_t len = std::min(kMaxStoredBlock, raw.size() - pos);
    bool last = pos + len == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<char>(len & 0xFF));
    z.push_back(static_cast<char>(len >> 8));
    z.push_back(static_cast<char>(~len & 0xFF));
    z.push_back(static_cast<char>((~len >> 8) & 0xFF));
    z.append(raw, pos, len);
    pos += len;
  } while (pos < raw.size());
  PutBE32(z, Adler32(Bytes(raw), raw.size()));
  return z;
}

std::string EncodePng(const MemoryBitmap& bitmap) {
  const int width = bitmap.Width(), height = bitmap.Height();
  std::string raw;
  raw.reserve(static_cast<size_t>(height) * (1 + 3 * static_cast<size_t>(width)));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    const uint32_t* row = bitmap.Row(y);
    for (int x = 0; x < width; ++x) {
      raw.push_back(static_cast<char>(row[x] >> 16));
      raw.push_back(static_cast<char>(row[x] >> 8));
      raw.push_back(static_cast<char>(row[x]));
    }
  }
  std::string png(reinterpret_cast<const char*>(kSignature), sizeof(kSignature));
  std::string header;
  PutBE32(header, static_cast<uint32_t>(width));
  PutBE32(header, static_cast<uint32_t>(height));
  header += std::string{8, 2, 0, 0, 0};  // 8-bit RGB, deflate, no filter set, no interlace
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", StoredZlib(raw));
  AppendChunk(png, "IEND", std::string());
  return png;
}

bool WriteWholeFile(const std::wstring& fileName, const std::string& bytes) {
  HANDLE h = CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

bool Save(const MemoryBitmap& bitmap, const std::wstring& fileName) {
  return WriteWholeFile(fileName, EncodePng(bitmap));
}

}  // namespace

bool SaveWindowPicture(HWND window, const std::wstring& fileName) {
  RECT rect;
  if (!IsWindow(window) || !GetWindowRect(window, &rect)) return false;
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  MemoryBitmap picture(width, height);
  if (!picture.Valid()) return false;
  // Wine 8's PrintWindow only erases the background: the client's painting and
  // the child windows are missing. A shown window's own surface has them, so it
  // is copied from the window DC; PrintWindow serves hidden windows.
  bool copied = false;
  if (IsWindowVisible(window) && !IsIconic(window)) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC windowDC = GetWindowDC(window);
    copied = windowDC && BitBlt(picture.DC(), 0, 0, width, height, windowDC, 0, 0, SRCCOPY);
    if (windowDC) ReleaseDC(window, windowDC);
  }
  if (!copied) {
    // A colour no classic frame or test background uses: if it survives whole,
    // PrintWindow painted nothing, and the screen is the last resort.
    const COLORREF untouched = RGB(0x56, 0x34, 0x12);
    picture.Fill(untouched);
    copied = PrintWindow(window, picture.DC(), 0) &&
             picture.Count(picture.All(), untouched) != width * height;
  }
  if (!copied) {
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    copied = BitBlt(picture.DC(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
  }
  return copied && Save(picture, fileName);
}

bool SaveDCPicture(HDC dc, int width, int height, const std::wstring& fileName) {
  if (!dc) return false;
  MemoryBitmap picture(width, height);
  if (!picture.Valid() || !BitBlt(picture.DC(), 0, 0, width, height, dc, 0, 0, SRCCOPY)) {
    return false;
  }
  return Save(picture, fileName);
}

COLORREF Picture::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width || y >= Height) return CLR_INVALID;
  size_t at = (static_cast<size_t>(y) * Width + x) * 3;
  return RGB(Rgb[at], Rgb[at + 1], Rgb[at + 2]);
}

bool LoadPicture(const std::wstring& fileName, Picture& picture) {
  picture = Picture();
  std::string file = ReadFileBytes(fileName);
  const uint8_t* p = Bytes(file);
  size_t size = file.size(), pos = sizeof(kSignature);
  if (size < pos || std::memcmp(p, kSignature, pos) != 0) return false;

  int width = 0, height = 0;
  std::string zlib;
  bool ended = false;
  while (!ended) {
    if (size - pos < 12) return false;
    uint32_t len = GetBE32(p + pos);
    if (len > size - pos - 12) return false;
    const uint8_t* type = p + pos + 4;
    const uint8_t* data = p + pos + 8;
    if (Crc32(type, len + 4) != GetBE32(data + len)) return false;
    if (std::memcmp(type, "IHDR", 4) == 0) {
      if (len != 13 || data[8] != 8 || data[9] != 2 || data[10] != 0 || data[11] != 0 ||
          data[12] != 0) {
        return false;
      }
      uint32_t w = GetBE32(data), h = GetBE32(data + 4);
      if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide) return false;
      width = static_cast<int>(w);
      height = static_cast<int>(h);
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      zlib.append(reinterpret_cast<const char*>(data), len);
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      ended = true;
    }
    pos += 12 + len;
  }
  if (width == 0 || zlib.size() < 6) return false;

  const uint8_t* z = Bytes(zlib);
  if ((z[0] & 0x0F) != 8 || ((z[0] << 8) | z[1]) % 31 != 0) return false;
  std::string raw;
  size_t zpos = 2;
  bool last = false;
  while (!last) {
    if (zlib.size() - zpos < 5) return false;
    if ((z[zpos] >> 1) != 0) return false;  // only stored blocks
    last = (z[zpos] & 1) != 0;
    size_t len = z[zpos + 1] | (z[zpos + 2] << 8);
    size_t nlen = z[zpos + 3] | (z[zpos + 4] << 8);
    if ((len ^ 0xFFFF) != nlen || len > zlib.size() - zpos - 5) return false;
    raw.append(zlib, zpos + 5, len);
    zpos += 5 + len;
  }
  if (zlib.size() - zpos != 4 || GetBE32(z + zpos) != Adler32(Bytes(raw), raw.size())) {
    return false;
  }

  size_t rowBytes = 1 + 3 * static_cast<size_t>(width);
  if (raw.size() != rowBytes * height) return false;
  picture.Rgb.reserve(rowBytes * height);
  for (int y = 0; y < height; ++y) {
    if (raw[y * rowBytes] != 0) return false;  // only unfiltered rows
    picture.Rgb.insert(picture.Rgb.end(), raw.begin() + y * rowBytes + 1,
                       raw.begin() + (y + 1) * rowBytes);
  }
  picture.Width = width;
  picture.Height = height;
  return true;
}

void KeepPicture(const std::wstring& fileName, const std::wstring& name) {
  wchar_t keep[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"TAVRIN_PICTURE_DIR", keep, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    CopyFileW(fileName.c_str(), (std::wstring(keep) + L"\\" + name).c_str(), FALSE);
  }
}

bool TakeWindowPicture(HWND window, const std::wstring& name, Picture& picture) {
  TempDir dir;
  const std::wstring file = dir.File(name);
  if (!SaveWindowPicture(window, file)) return false;
  KeepPicture(file, name);
  return LoadPicture(file, picture);
}

int DarkPixels(const Picture& picture, const RECT& area, int darkest) {
  int dark = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const COLORREF c = picture.Pixel(x, y);
      if (c == CLR_INVALID) continue;
      if (GetRValue(c) < darkest && GetGValue(c) < darkest && GetBValue(c) < darkest) ++dark;
    }
  }
  return dark;
}

namespace {

template <class Pixels>
InkShape InkShapeAt(const Pixels& pixels, const RECT& area, COLORREF background) {
  int left = area.right, right = area.left, top = area.bottom, bottom = area.top;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (pixels.Pixel(x, y) != background) {
        left = std::min(left, x), right = std::max(right, x + 1);
        top = std::min(top, y), bottom = std::max(bottom, y + 1);
      }
  InkShape shape;
  for (int y = top; y < bottom; ++y) {
    std::string row;
    for (int x = left; x < right; ++x) row += pixels.Pixel(x, y) != background ? '#' : '.';
    shape.push_back(row);
  }
  return shape;
}

}  // namespace

InkShape InkShapeOf(const Picture& picture, const RECT& area, COLORREF background) {
  return InkShapeAt(picture, area, background);
}

InkShape InkShapeOf(const MemoryBitmap& bitmap, const RECT& area, COLORREF background) {
  return InkShapeAt(bitmap, area, background);
}

InkShape EditControlInk(HFONT font, const std::wstring& text) {
  constexpr int kWidth = 1200, kHeight = 40;
  HWND edit = CreateWindowExW(0, L"EDIT", text.c_str(), WS_POPUP | ES_LEFT, 0, 0, kWidth, kHeight, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  if (edit == nullptr) return {"<no edit control>"};
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  MemoryBitmap bitmap(kWidth, kHeight);
  bitmap.Fill(RGB(255, 255, 255));
  SendMessageW(edit, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bitmap.DC()), PRF_CLIENT | PRF_ERASEBKGND);
  DestroyWindow(edit);
  return InkShapeOf(bitmap, bitmap.All(), RGB(255, 255, 255));
}

int InkInWindowPicture(HWND window, const std::wstring& name, const RECT& area) {
  Picture picture;
  return TakeWindowPicture(window, name, picture) ? DarkPixels(picture, area) : -1;
}

std::vector<std::wstring> TextsWithoutInk(HWND window, const Picture& picture) {
  struct Search {
    HWND Window;
    const Picture* Seen;
    std::vector<std::wstring> Blank;
  } search{window, &picture, {}};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t text[256] = {};
        // Shown on the screen: its parents too (a page that is not chosen).
        if (!IsWindowVisible(child) || GetWindowTextW(child, text, 256) == 0) return TRUE;
        if (DarkPixels(*s->Seen, ChildInWindow(s->Window, child, 0)) == 0) s->Blank.push_back(text);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.Blank;
}

RECT ChildInWindow(HWND window, HWND child, int inset) {
  RECT w{}, c{};
  GetWindowRect(window, &w);
  GetWindowRect(child, &c);
  OffsetRect(&c, -w.left, -w.top);
  InflateRect(&c, -inset, -inset);
  return c;
}

RECT ClientRectInWindow(HWND window, const RECT& client) {
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  RECT w{};
  GetWindowRect(window, &w);
  RECT r = client;
  OffsetRect(&r, origin.x - w.left, origin.y - w.top);
  return r;
}

}  // namespace testing_support
