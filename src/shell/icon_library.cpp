#include "shell/icon_library.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "framework/bitmaps.h"
#include "framework/exceptions.h"
#include "framework/streams.h"

namespace {

constexpr uint32_t kIcon = 3;        // RT_ICON
constexpr uint32_t kGroupIcon = 14;  // RT_GROUP_ICON
constexpr uint32_t kSubdirectory = 0x80000000u;
constexpr size_t kNowhere = static_cast<size_t>(-1);
// More images than any icon holds.
constexpr size_t kMaxImages = 256;

std::string ReadLibrary(const std::wstring& FileName) {
  HANDLE file = CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER size{};
  std::string bytes;
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
      static_cast<uint64_t>(size.QuadPart) <= MaxIconLibraryBytes) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size())
      bytes.clear();
  }
  CloseHandle(file);
  return bytes;
}

std::string Le32(uint32_t Value) {
  return {static_cast<char>(Value), static_cast<char>(Value >> 8), static_cast<char>(Value >> 16),
          static_cast<char>(Value >> 24)};
}

// A resource directory entry: the type's or name's number (or a name), and
// its data entry or, with kSubdirectory, the directory below.
struct TEntry {
  uint32_t Name;
  uint32_t Data;
};

// The DLL's bytes, read only where they are.
class TLibrary {
 public:
  explicit TLibrary(std::string Bytes) : FBytes(std::move(Bytes)) { Open(); }

  const std::string& Bytes() const { return FBytes; }
  bool Has(size_t At, size_t Length) const { return At <= FBytes.size() && Length <= FBytes.size() - At; }
  uint32_t U16(size_t At) const { return Has(At, 2) ? Byte(At) | Byte(At + 1) << 8 : 0; }
  uint32_t U32(size_t At) const { return Has(At, 4) ? U16(At) | U16(At + 2) << 16 : 0; }

  // The entries of the directory Below a resource entry's data (the type
  // list itself for the root).
  std::vector<TEntry> Directory(uint32_t Below) const {
    std::vector<TEntry> entries;
    if (FRoot == kNowhere || !(Below & kSubdirectory)) return entries;
    const size_t at = FRoot + (Below & ~kSubdirectory);
    if (!Has(at, 16)) return entries;
    const size_t count = U16(at + 12) + U16(at + 14);
    for (size_t i = 0, e = at + 16; i < count && Has(e, 8); ++i, e += 8)
      entries.push_back({U32(e), U32(e + 4)});
    return entries;
  }
  // The names listed under a type.
  std::vector<TEntry> Names(uint32_t Type) const {
    for (const TEntry& e : Directory(kSubdirectory))
      if (e.Name == Type) return Directory(e.Data);
    return {};
  }
  // The bytes of a name's resource in its first language; false when they
  // are not wholly inside one section of the file.
  bool Data(uint32_t Name, size_t& At, size_t& Size) const {
    const std::vector<TEntry> languages = Directory(Name);
    if (languages.empty() || (languages[0].Data & kSubdirectory)) return false;
    const size_t entry = FRoot + languages[0].Data;
    if (!Has(entry, 16)) return false;
    Size = U32(entry + 4);
    At = Offset(U32(entry), Size);
    return At != kNowhere;
  }

 private:
  uint32_t Byte(size_t At) const { return static_cast<uint8_t>(FBytes[At]); }

  // The file offset of Length bytes at a memory address, when all of them lie
  // in one section's data.
  size_t Offset(uint32_t Address, uint32_t Length) const {
    for (const auto& [address, size, offset] : FSections) {
      if (Address < address || Address - address > size || Length > size - (Address - address)) continue;
      const size_t at = size_t{offset} + (Address - address);
      return Has(at, Length) ? at : kNowhere;
    }
    return kNowhere;
  }

  // The headers of a PE file, 32 or 64-bit: its sections and its resource
  // directory (the third data directory).
  void Open() {
    if (!Has(0, 64) || U16(0) != 0x5A4D) return;  // "MZ"
    const size_t pe = U32(0x3C);
    if (!Has(pe, 24) || U32(pe) != 0x4550) return;  // "PE\0\0"
    const size_t optional = pe + 24, optionalSize = U16(pe + 20);
    const bool plus = U16(optional) == 0x20B;
    const size_t directories = optional + (plus ? 112 : 96);
    if (U32(optional + (plus ? 108 : 92)) < 3 || directories + 3 * 8 > optional + optionalSize) return;
    const size_t sections = optional + optionalSize;
    for (size_t i = 0, n = U16(pe + 6), s = sections; i < n && Has(s, 40); ++i, s += 40)
      FSections.push_back({U32(s + 12), U32(s + 16), U32(s + 20)});
    FRoot = Offset(U32(directories + 16), 16);
  }

  struct TSection {
    uint32_t Address, Size, Offset;  // in memory, in the file, in the file
  };
  std::string FBytes;
  std::vector<TSection> FSections;
  size_t FRoot = kNowhere;
};

}  // namespace

std::string IconLibraryIcon(const std::wstring& FileName, int32_t Index) {
  if (Index < 0) return {};
  const TLibrary library(ReadLibrary(FileName));
  const std::vector<TEntry> groups = library.Names(kGroupIcon);
  size_t group = 0, size = 0;
  if (static_cast<size_t>(Index) >= groups.size() || !library.Data(groups[Index].Data, group, size) ||
      size < 6 || library.U16(group + 2) != 1)
    return {};
  // The group's entries are an .ico file's but for their last field, the
  // image's number instead of its offset.
  const size_t count = std::min({size_t{library.U16(group + 4)}, (size - 6) / 14, kMaxImages});
  const std::vector<TEntry> icons = library.Names(kIcon);
  std::vector<std::pair<std::string, std::string>> found;  // each entry's first 8 bytes and its image
  size_t total = 0;
  for (size_t i = 0, e = group + 6; i < count; ++i, e += 14) {
    const uint32_t id = library.U16(e + 12);
    const auto icon =
        std::find_if(icons.begin(), icons.end(), [id](const TEntry& x) { return x.Name == id; });
    size_t at = 0, length = 0;
    if (icon == icons.end() || !library.Data(icon->Data, at, length) || length == 0) continue;
    // A group that names its images many times holds no more than the file.
    if ((total += length) > library.Bytes().size()) return {};
    found.emplace_back(library.Bytes().substr(e, 8), library.Bytes().substr(at, length));
  }
  if (found.empty()) return {};
  std::string file =
      std::string("\0\0\1\0", 4) + static_cast<char>(found.size()) + static_cast<char>(found.size() >> 8);
  std::string images;
  size_t offset = 6 + 16 * found.size();
  for (const auto& [entry, image] : found) {
    file += entry + Le32(static_cast<uint32_t>(image.size())) + Le32(static_cast<uint32_t>(offset));
    offset += image.size();
    images += image;
  }
  return file + images;
}

HICON ExtractLibraryIcon(const std::wstring& FileName, int32_t Index, int Size) {
  const std::string file = IconLibraryIcon(FileName, Index);
  if (file.empty()) return nullptr;
  try {
    TMemoryStream stream;
    stream.WriteBuffer(file.data(), static_cast<int32_t>(file.size()));
    stream.SetPosition(0);
    TIcon icon;
    icon.SetSize(Size, Size);
    icon.LoadFromStream(&stream);
    return icon.ReleaseHandle();
  } catch (const EInvalidGraphic&) {
    return nullptr;
  }
}
