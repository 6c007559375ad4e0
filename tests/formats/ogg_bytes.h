// Builders for Ogg Vorbis files made byte by byte, with their own checksum
// routine (bit by bit, not the table of the unit under test).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ogg_bytes {

inline std::string LittleEndian(uint64_t v, int bytes = 4) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

inline uint32_t SlowOggCrc(const std::string& bytes) {
  uint32_t crc = 0;
  for (unsigned char c : bytes) {
    crc ^= uint32_t(c) << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  return crc;
}

// Lacing for the packets; the last one is left open (continued on the next
// page) when lastContinues.
inline std::string Page(const std::vector<std::string>& packets, uint64_t granule, uint32_t sequence,
                        uint8_t type = 0, bool lastContinues = false) {
  std::string lacing, data;
  for (size_t i = 0; i < packets.size(); ++i) {
    const size_t n = packets[i].size();
    lacing.append(n / 255, '\xFF');
    if (!(lastContinues && i + 1 == packets.size())) lacing += static_cast<char>(n % 255);
    data += packets[i];
  }
  std::string page = "OggS" + std::string(1, '\0') + static_cast<char>(type) + LittleEndian(granule, 8) +
                     LittleEndian(0x1234) + LittleEndian(sequence) + LittleEndian(0) +
                     static_cast<char>(lacing.size()) + lacing;
  const uint32_t crc = SlowOggCrc(page + data);
  page.replace(22, 4, LittleEndian(crc));
  return page + data;
}

inline std::string Identification(uint8_t channels, uint32_t rate, int32_t nominal) {
  return "\x01vorbis" + LittleEndian(0) + static_cast<char>(channels) + LittleEndian(rate) + LittleEndian(0) +
         LittleEndian(static_cast<uint32_t>(nominal)) + LittleEndian(0) + "\xB8\x01";
}

inline std::string CommentPacket(const std::vector<std::string>& comments, const std::string& vendor = "Test vendor") {
  std::string p = "\x03vorbis" + LittleEndian(vendor.size()) + vendor + LittleEndian(comments.size());
  for (const auto& c : comments) p += LittleEndian(c.size()) + c;
  return p + "\x01";
}

inline std::string SetupPacket() { return "\x05vorbis" + std::string(40, '\x42'); }

struct File {
  uint8_t channels = 2;
  uint32_t rate = 44100;
  int32_t nominal = 128000;
  uint64_t samples = 88200;
  std::vector<std::string> comments;
};

// Identification page, comment and setup page, one audio page.
inline std::string Make(const File& f) {
  return Page({Identification(f.channels, f.rate, f.nominal)}, 0, 0, 2) +
         Page({CommentPacket(f.comments), SetupPacket()}, 0, 1) + Page({std::string(3000, '\x55')}, f.samples, 2, 4);
}

// The page at offset, header and data.
inline size_t PageSize(const std::string& file, size_t offset) {
  const auto segments = static_cast<uint8_t>(file[offset + 26]);
  size_t size = 27 + segments;
  for (size_t i = 0; i < segments; ++i) size += static_cast<uint8_t>(file[offset + 27 + i]);
  return size;
}

// Every page's checksum is right.
inline bool ChecksumsHold(const std::string& file, size_t start = 0) {
  for (size_t at = start; at + 27 <= file.size();) {
    if (file.compare(at, 4, "OggS") != 0) return false;
    const size_t size = PageSize(file, at);
    if (at + size > file.size()) return false;
    std::string page = file.substr(at, size);
    const std::string stored = page.substr(22, 4);
    page.replace(22, 4, std::string(4, '\0'));
    if (LittleEndian(SlowOggCrc(page)) != stored) return false;
    at += size;
  }
  return true;
}

}  // namespace ogg_bytes
