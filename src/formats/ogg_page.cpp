#include "formats/ogg_page.h"

#include <array>
#include <cstring>

#include "framework/streams.h"

namespace {

constexpr std::array<uint32_t, 256> MakeTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t r = i << 24;
    for (int bit = 0; bit < 8; ++bit) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
    table[i] = r;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeTable();
constexpr size_t kChecksumOffset = 22;

bool ReadAt(TStream& stream, int64_t position, void* buffer, size_t size) {
  if (position < 0) return false;
  stream.SetPosition(position);
  return stream.Read(buffer, static_cast<int32_t>(size)) == static_cast<int32_t>(size);
}

}  // namespace

uint32_t OggChecksum(const void* Data, size_t Size, uint32_t Crc) {
  const auto* p = static_cast<const uint8_t*>(Data);
  for (size_t i = 0; i < Size; ++i) Crc = (Crc << 8) ^ kCrcTable[((Crc >> 24) ^ p[i]) & 0xFF];
  return Crc;
}

bool ReadOggPageHeader(TStream& Stream, int64_t Position, uint8_t (&Header)[TOggPage::kHeaderSize]) {
  return ReadAt(Stream, Position, Header, sizeof Header) && std::memcmp(Header, "OggS", 4) == 0;
}

bool TOggPage::ReadFrom(TStream& Stream, int64_t Position) {
  uint8_t fixed[kHeaderSize];
  if (!ReadOggPageHeader(Stream, Position, fixed)) return false;
  Header.assign(reinterpret_cast<const char*>(fixed), kHeaderSize);
  Header.resize(kHeaderSize + fixed[26]);
  if (!ReadAt(Stream, Position + kHeaderSize, Header.data() + kHeaderSize, fixed[26])) return false;
  size_t dataSize = 0;
  for (size_t i = 0; i < fixed[26]; ++i) dataSize += Lacing(i);
  Data.resize(dataSize);
  return Stream.Read(Data.data(), static_cast<int32_t>(dataSize)) == static_cast<int32_t>(dataSize);
}

int32_t TOggPage::GranuleLow() const {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(Header[6 + i]);
  return static_cast<int32_t>(value);
}

uint32_t TOggPage::StoredChecksum() const {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(Header[kChecksumOffset + i]);
  return value;
}

void TOggPage::UpdateChecksum() {
  std::memset(Header.data() + kChecksumOffset, 0, 4);
  uint32_t crc = OggChecksum(Header.data(), Header.size());
  crc = OggChecksum(Data.data(), Data.size(), crc);
  for (int i = 0; i < 4; ++i) Header[kChecksumOffset + i] = static_cast<char>(crc >> (8 * i));
}
