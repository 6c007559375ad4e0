// Builders for the tag bytes the format tests write, and folder helpers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>

namespace tag_bytes {

inline std::string BigEndian(uint32_t v, int bytes = 4) {
  std::string s;
  for (int i = bytes - 1; i >= 0; --i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

inline std::string Syncsafe(uint32_t v) {
  return {static_cast<char>((v >> 21) & 0x7F), static_cast<char>((v >> 14) & 0x7F),
          static_cast<char>((v >> 7) & 0x7F), static_cast<char>(v & 0x7F)};
}

inline std::string Frame22(const std::string& id, const std::string& data) {
  return id + BigEndian(static_cast<uint32_t>(data.size()), 3) + data;
}

inline std::string Frame23(const std::string& id, const std::string& data, uint8_t status = 0,
                           uint8_t format = 0) {
  return id + BigEndian(static_cast<uint32_t>(data.size())) + static_cast<char>(status) +
         static_cast<char>(format) + data;
}

inline std::string Frame24(const std::string& id, const std::string& data, uint8_t status = 0,
                           uint8_t format = 0) {
  return id + Syncsafe(static_cast<uint32_t>(data.size())) + static_cast<char>(status) +
         static_cast<char>(format) + data;
}

// Header, body, then zero padding; the stated size covers body and padding.
inline std::string Tag(int version, uint8_t flags, const std::string& body, size_t padding = 0) {
  return std::string("ID3") + static_cast<char>(version) + '\0' + static_cast<char>(flags) +
         Syncsafe(static_cast<uint32_t>(body.size() + padding)) + body + std::string(padding, '\0');
}

// Encoding byte 0 and the text.
inline std::string Latin(const std::string& s) { return std::string(1, '\0') + s; }

inline std::string Utf16(const std::wstring& w, bool bigEndian = false, bool mark = true) {
  std::string s;
  if (mark) s = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (wchar_t c : w) {
    const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    s += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return s;
}

// Stands for the audio frames behind a tag.
inline std::string Audio(size_t size = 300) {
  std::string s = "\xFF\xFB\x90\x64";
  for (size_t i = 0; s.size() < size; ++i) s += static_cast<char>((i * 37 + 11) & 0xFF);
  return s;
}

}  // namespace tag_bytes
