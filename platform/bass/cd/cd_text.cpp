#include "bass/cd/cd_text.h"

#include <cstdint>

namespace tavrin_cd {

// Packs: type, track, sequence, position, 12 text bytes, CRC. Title (0x80)
// and performer (0x81) texts run on across packs as zero-ended strings, the
// first one for the first pack's track; a TAB repeats the previous string.
// Only block 0 in single-byte characters is read. The zeros that pad the last
// pack would read as empty strings of tracks that do not exist: trailing
// empty strings are dropped.
std::vector<std::string> ParseCdTextPacks(const unsigned char* data, size_t bytes) {
  std::vector<std::string> lines;
  if (data == nullptr || bytes < 4) return lines;
  size_t length = (static_cast<size_t>(data[0]) << 8 | data[1]) + 2;
  if (length > bytes) length = bytes;
  for (unsigned char type : {0x80, 0x81}) {
    const std::string key = type == 0x80 ? "TITLE" : "PERFORMER";
    std::vector<std::string> texts;
    int firstTrack = -1;
    std::string current, previous;
    for (size_t at = 4; at + 18 <= length; at += 18) {
      const unsigned char* pack = data + at;
      if (pack[0] != type || (pack[3] & 0xF0) != 0) continue;  // other type, block or double-byte
      if (firstTrack < 0) firstTrack = pack[1] & 0x7F;
      for (int i = 4; i < 16; ++i) {
        if (pack[i] != 0) {
          current += static_cast<char>(pack[i]);
          continue;
        }
        if (current == "\t") current = previous;
        texts.push_back(current);
        previous = current;
        current.clear();
      }
    }
    while (!texts.empty() && texts.back().empty()) texts.pop_back();
    for (size_t n = 0; n < texts.size() && firstTrack + static_cast<int>(n) <= 99; ++n) {
      lines.push_back(key + std::to_string(firstTrack + static_cast<int>(n)) + "=" + texts[n]);
    }
  }
  return lines;
}

}  // namespace tavrin_cd
