// One Ogg page (RFC 3533): the 27-byte header, its lacing values and its data,
// read from a stream with every length bounded by what the stream holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TStream;

// The Ogg checksum: CRC-32, polynomial 0x04C11DB7, not reflected, initial
// value 0, no final inversion. Continue a running sum by passing it as Crc.
uint32_t OggChecksum(const void* Data, size_t Size, uint32_t Crc = 0);

struct TOggPage {
  static constexpr size_t kHeaderSize = 27;
  static constexpr size_t kMaxSegments = 255;

  std::string Header;  // 27 bytes plus the lacing values
  std::string Data;

  // False unless "OggS", a whole lacing table and all the data are there.
  // Reads only; the stream's position is left after the page.
  bool ReadFrom(TStream& Stream, int64_t Position);

  uint8_t SegmentCount() const { return static_cast<uint8_t>(Header[26]); }
  uint8_t Lacing(size_t Index) const { return static_cast<uint8_t>(Header[kHeaderSize + Index]); }
  // Header and data together, as stored.
  size_t Size() const { return Header.size() + Data.size(); }
  // Low 32 bits of the granule position, as a signed number.
  int32_t GranuleLow() const;
  // Writes the checksum field for the current header and data.
  void UpdateChecksum();
  uint32_t StoredChecksum() const;
};

// Reads the 27-byte header at Position: true when it starts with "OggS".
bool ReadOggPageHeader(TStream& Stream, int64_t Position, uint8_t (&Header)[TOggPage::kHeaderSize]);
