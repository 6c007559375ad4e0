// Builders for MPEG audio frames and VBR headers written byte by byte, and the
// folder of files made by make-mpeg-fixtures.sh.
#pragma once

#include <cstdint>
#include <map>
#include <sstream>
#include <string>

#include "tag_bytes.h"
#include "test_support.h"

namespace mpeg_frames {

// MPEG 1 Layer III, 128 kbit/s, 44100 Hz, joint stereo, no CRC, original:
// 417 bytes without padding.
constexpr uint8_t kB1 = 0xFB, kB2 = 0x90, kB3 = 0x64;

inline std::string Header(uint8_t b1 = kB1, uint8_t b2 = kB2, uint8_t b3 = kB3) {
  return {'\xFF', static_cast<char>(b1), static_cast<char>(b2), static_cast<char>(b3)};
}

// Count frames of Length bytes, each Header then Fill bytes.
inline std::string Frames(const std::string& header, size_t length, size_t count, char fill = 0x55) {
  std::string frame = header + std::string(length - header.size(), fill);
  std::string s;
  for (size_t i = 0; i < count; ++i) s += frame;
  return s;
}

// s with bytes written over it from at on.
inline std::string Put(std::string s, size_t at, const std::string& bytes) {
  if (s.size() < at + bytes.size()) s.resize(at + bytes.size(), '\0');
  s.replace(at, bytes.size(), bytes);
  return s;
}

// Bytes that never hold a sync word.
inline std::string Junk(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>('A' + i % 26);
  return s;
}

// A Xing header with the fields its flags name, each in its place.
inline std::string Xing(uint32_t flags, uint32_t frames, uint32_t bytes, uint8_t scale = 0,
                        const std::string& vendor = "", const std::string& mark = "Xing") {
  using tag_bytes::BigEndian;
  std::string s = mark + BigEndian(flags);
  if (flags & 1) s += BigEndian(frames);
  if (flags & 2) s += BigEndian(bytes);
  if (flags & 4) s += std::string(100, '\x01');
  if (flags & 8) s += BigEndian(scale);
  return s + vendor;
}

inline std::string VBRI(uint32_t frames, uint32_t bytes, uint16_t quality = 75) {
  using tag_bytes::BigEndian;
  return "VBRI" + BigEndian(1, 2) + BigEndian(0x0240, 2) + BigEndian(quality, 2) + BigEndian(bytes) +
         BigEndian(frames) + BigEndian(0, 2) + BigEndian(1, 2) + BigEndian(2, 2) + BigEndian(1152, 2);
}

// A file made by make-mpeg-fixtures.sh, as Wine names it.
inline std::wstring Fixture(const std::string& name) {
  std::wstring path = L"Z:";
  for (char c : std::string(TAVRIN_FORMATS_FIXTURES) + "/" + name) path += c == '/' ? L'\\' : wchar_t(c);
  return path;
}

// The durations ffprobe measured for those files, by file name.
inline std::map<std::string, double> FixtureTruth() {
  std::map<std::string, double> truth;
  std::istringstream lines(testing_support::ReadFileBytes(Fixture("truth.txt")));
  std::string name;
  double seconds;
  while (lines >> name >> seconds) truth[name] = seconds;
  return truth;
}

}  // namespace mpeg_frames
