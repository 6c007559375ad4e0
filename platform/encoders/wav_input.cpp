#include "wav_input.h"

#include <cstring>
#include <vector>

namespace {

uint32_t Le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24; }
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

bool ReadExact(FILE* f, void* out, size_t n) { return fread(out, 1, n, f) == n; }

bool Skip(FILE* f, uint64_t n) {
  char scratch[4096];
  while (n > 0) {
    size_t step = n < sizeof(scratch) ? static_cast<size_t>(n) : sizeof(scratch);
    if (!ReadExact(f, scratch, step)) return false;
    n -= step;
  }
  return true;
}

constexpr uint32_t kUnknownSize = 0xFFFFFFFF;

}  // namespace

bool WavInput::Open(FILE* file, std::string& error) {
  FFile = file;
  unsigned char riff[12];
  if (!ReadExact(file, riff, 12) || memcmp(riff, "RIFF", 4) != 0 || memcmp(riff + 8, "WAVE", 4) != 0) {
    error = "the input is not a WAV file";
    return false;
  }
  bool haveFormat = false;
  // A bounded walk: a stream of tiny bogus chunks cannot keep us here.
  for (int chunks = 0; chunks < 1000; ++chunks) {
    unsigned char head[8];
    if (!ReadExact(file, head, 8)) break;
    uint32_t size = Le32(head + 4);
    if (memcmp(head, "fmt ", 4) == 0) {
      if (size < 16 || size > 1024) break;
      unsigned char fmt[1024];
      if (!ReadExact(file, fmt, size + (size & 1))) break;
      uint16_t tag = Le16(fmt);
      FChannels = Le16(fmt + 2);
      FRate = static_cast<int>(Le32(fmt + 4));
      FBits = Le16(fmt + 14);
      if (tag == 0xFFFE && size >= 40) tag = Le16(fmt + 24);  // extensible
      FFloat = tag == 3;
      bool pcm = tag == 1 && (FBits == 8 || FBits == 16 || FBits == 24 || FBits == 32);
      if (!(pcm || (FFloat && FBits == 32)) || FChannels < 1 || FChannels > 8 || FRate < 1000 ||
          FRate > 200000) {
        error = "unsupported WAV sample format";
        return false;
      }
      haveFormat = true;
    } else if (memcmp(head, "data", 4) == 0) {
      if (!haveFormat) break;
      FLeft = size == kUnknownSize ? UINT64_MAX : size;
      return true;
    } else if (size == kUnknownSize || !Skip(file, size + (size & 1))) {
      break;
    }
  }
  error = "the WAV input has no usable format and data chunks";
  return false;
}

size_t WavInput::Read(float** out, size_t frames) {
  const size_t sampleBytes = FBits / 8;
  const size_t frameBytes = sampleBytes * FChannels;
  uint64_t want = static_cast<uint64_t>(frames) * frameBytes;
  if (want > FLeft) want = FLeft - FLeft % frameBytes;
  FBuffer.resize(static_cast<size_t>(want));
  size_t got = fread(FBuffer.data(), 1, FBuffer.size(), FFile);
  size_t count = got / frameBytes;
  FLeft -= got;
  const auto* p = reinterpret_cast<const unsigned char*>(FBuffer.data());
  for (size_t i = 0; i < count; ++i) {
    for (int c = 0; c < FChannels; ++c, p += sampleBytes) {
      float v;
      if (FFloat) {
        memcpy(&v, p, 4);
      } else if (FBits == 8) {
        v = (p[0] - 128) / 128.0f;
      } else if (FBits == 16) {
        v = static_cast<int16_t>(Le16(p)) / 32768.0f;
      } else if (FBits == 24) {
        v = static_cast<int32_t>(uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 24) /
            2147483648.0f;
      } else {
        v = static_cast<int32_t>(Le32(p)) / 2147483648.0f;
      }
      out[c][i] = v;
    }
  }
  if (got < want) FLeft = 0;
  return count;
}
