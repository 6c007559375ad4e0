#include "bass/core/mpeg_probe.h"

#include <algorithm>
#include <vector>

namespace bass_core {

namespace {

// kbit/s by [MPEG-1 or not][layer - 1][index]; index 0 (free format) and 15
// are refused.
constexpr uint16_t kBitRates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
constexpr uint32_t kRates[3] = {44100, 48000, 32000};

// Frames in a row that make a run; a shorter run that ends exactly at the end
// of the audio (a tiny file) also counts.
constexpr int kRunLength = 4;

bool Consistent(const MpegFrameHeader& a, const MpegFrameHeader& b) {
  return a.version == b.version && a.layer == b.layer && a.rate == b.rate;
}

}  // namespace

bool ParseMpegFrameHeader(const uint8_t* h, MpegFrameHeader& frame) {
  if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return false;
  const int versionBits = (h[1] >> 3) & 3, layerBits = (h[1] >> 1) & 3;
  const int bitIndex = h[2] >> 4, rateIndex = (h[2] >> 2) & 3, padding = (h[2] >> 1) & 1;
  if (versionBits == 1 || layerBits == 0 || bitIndex == 0 || bitIndex == 15 || rateIndex == 3)
    return false;
  // Emphasis 2 is reserved: a header carrying it is noise.
  if ((h[3] & 3) == 2) return false;
  frame.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 3;
  frame.layer = 4 - layerBits;
  frame.rate = kRates[rateIndex] >> (frame.version - 1);
  frame.channels = (h[3] >> 6) == 3 ? 1 : 2;
  const uint32_t kbps = kBitRates[frame.version == 1 ? 0 : 1][frame.layer - 1][bitIndex];
  if (frame.layer == 1) {
    frame.bytes = (12000 * kbps / frame.rate + padding) * 4;
  } else {
    const uint32_t factor = (frame.layer == 3 && frame.version != 1) ? 72000 : 144000;
    frame.bytes = factor * kbps / frame.rate + padding;
  }
  return frame.bytes >= 4;
}

uint64_t Id3v2TagSize(ByteSource& source) {
  uint8_t h[10];
  if (source.ReadAt(0, h, 10) != 10 || h[0] != 'I' || h[1] != 'D' || h[2] != '3') return 0;
  if (h[3] == 0xFF || h[4] == 0xFF) return 0;
  for (int i = 6; i < 10; ++i)
    if (h[i] & 0x80) return 0;
  const uint64_t body = (uint64_t{h[6]} << 21) | (h[7] << 14) | (h[8] << 7) | h[9];
  const bool footer = h[3] >= 4 && (h[5] & 0x10);
  return std::min(source.Size(), 10 + body + (footer ? 10 : 0));
}

bool ProbeMpegAudio(ByteSource& source, int& layer) {
  layer = 0;
  const uint64_t start = Id3v2TagSize(source);
  uint64_t end = source.Size();
  uint8_t tag[3];
  if (end >= 128 && source.ReadAt(end - 128, tag, 3) == 3 && tag[0] == 'T' && tag[1] == 'A' && tag[2] == 'G')
    end -= 128;
  // Enough bytes for the window and a run of the largest frames after it.
  const uint64_t span = std::min(end - std::min(end, start), kMpegProbeWindow + kRunLength * 2881 + 4);
  std::vector<uint8_t> bytes(static_cast<size_t>(span));
  // A download is read a piece at a time: its first frames decide long
  // before the whole span has come.
  const size_t piece = source.Growing() ? 4096 : bytes.size();
  size_t have = 0, at = 0;
  for (bool complete = false; !complete && at + 4 <= kMpegProbeWindow;) {
    const size_t want = std::min(bytes.size(), have + piece);
    const size_t n = source.ReadAt(start + have, bytes.data() + have, want - have);
    complete = have + n < want || want == bytes.size();
    have += n;
    for (; at + 4 <= std::min<size_t>(have, kMpegProbeWindow); ++at) {
      MpegFrameHeader first;
      if (!ParseMpegFrameHeader(&bytes[at], first)) continue;
      MpegFrameHeader previous = first;
      size_t next = at + first.bytes;
      int run = 1;
      while (run < kRunLength && next + 4 <= have) {
        MpegFrameHeader frame;
        if (!ParseMpegFrameHeader(&bytes[next], frame) || !Consistent(previous, frame)) break;
        previous = frame;
        next += frame.bytes;
        ++run;
      }
      if (run < kRunLength && next + 4 > have && !complete) break;  // the bytes so far cannot tell
      const bool reachesEnd = complete && start + next == end && have == end - start;
      if (run >= kRunLength || (run >= 2 && reachesEnd) || (run == 1 && at == 0 && reachesEnd)) {
        layer = first.layer;
        return true;
      }
    }
  }
  return start > 0;
}

std::string ReadId3v1Image(ByteSource& source) {
  const uint64_t size = source.Size();
  if (size < 128) return std::string();
  std::string image(128, '\0');
  if (source.ReadAt(size - 128, image.data(), 128) != 128 || image.compare(0, 3, "TAG") != 0)
    return std::string();
  return image;
}

std::string ReadId3v2Image(ByteSource& source) {
  const uint64_t size = Id3v2TagSize(source);
  if (size == 0) return std::string();
  std::string image(static_cast<size_t>(size), '\0');
  image.resize(source.ReadAt(0, image.data(), image.size()));
  return image;
}

}  // namespace bass_core
