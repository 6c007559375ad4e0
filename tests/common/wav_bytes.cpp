#include "wav_bytes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace testing_support {
namespace {

void Put(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

int64_t RoundScaled(float v, double scale, int64_t lo, int64_t hi) {
  double x = std::nearbyint(double(v) * scale);
  return std::clamp<int64_t>(static_cast<int64_t>(x), lo, hi);
}

// No pad byte after odd data, as the engine's own writer leaves none: tests
// compare what follows the 44-byte header with the engine's output.
std::string Assemble(const WavLayout& layout, const std::string& samples, const std::string& beforeData,
                     std::optional<uint32_t> dataSize) {
  std::string dataHeader = "data";
  Put(dataHeader, dataSize.value_or(static_cast<uint32_t>(samples.size())), 4);
  std::string body = "WAVE" + FmtChunk(layout) + beforeData + dataHeader + samples;
  std::string file = "RIFF";
  Put(file, static_cast<uint32_t>(body.size()), 4);
  return file + body;
}

}  // namespace

std::string WavBytes(const WavLayout& layout, uint32_t frames, const std::function<int32_t(uint32_t)>& sample) {
  std::string samples;
  samples.reserve(size_t{frames} * layout.channels * layout.bits / 8);
  for (uint32_t i = 0; i < frames; ++i) {
    const auto v = static_cast<uint32_t>(sample(i));
    for (uint16_t c = 0; c < layout.channels; ++c) Put(samples, v, layout.bits / 8);
  }
  return Assemble(layout, samples, "", {});
}

std::string WavBytes(const WavLayout& layout, const std::vector<float>& samples, const std::string& beforeData,
                     std::optional<uint32_t> dataSize) {
  return Assemble(layout, SampleBytes(layout, samples), beforeData, dataSize);
}

std::string RiffChunk(const std::string& id, const std::string& body) {
  std::string s = id;
  Put(s, static_cast<uint32_t>(body.size()), 4);
  s += body;
  if (body.size() % 2) s.push_back('\0');
  return s;
}

std::string FmtChunk(const WavLayout& layout) {
  std::string b;
  uint16_t block = static_cast<uint16_t>(layout.channels * layout.bits / 8);
  Put(b, layout.extensible ? 0xFFFE : layout.formatTag, 2);
  Put(b, layout.channels, 2);
  Put(b, layout.rate, 4);
  Put(b, layout.rate * block, 4);
  Put(b, block, 2);
  Put(b, layout.bits, 2);
  if (layout.extensible) {
    Put(b, 22, 2);            // cbSize
    Put(b, layout.bits, 2);   // valid bits
    Put(b, 3, 4);             // channel mask: front left and right
    Put(b, layout.formatTag, 2);
    b += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
  }
  return RiffChunk("fmt ", b);
}

std::string SampleBytes(const WavLayout& layout, const std::vector<float>& samples) {
  std::string s;
  for (float v : samples) {
    if (layout.formatTag == 3 && layout.bits == 32) {
      uint32_t u;
      std::memcpy(&u, &v, 4);
      Put(s, u, 4);
    } else if (layout.formatTag == 3) {
      double d = v;
      uint64_t u;
      std::memcpy(&u, &d, 8);
      Put(s, static_cast<uint32_t>(u), 4);
      Put(s, static_cast<uint32_t>(u >> 32), 4);
    } else if (layout.bits == 8) {
      Put(s, static_cast<uint32_t>(RoundScaled(v, 128, -128, 127) + 128), 1);
    } else {
      double scale = std::ldexp(1.0, layout.bits - 1);
      int64_t top = static_cast<int64_t>(scale) - 1;
      Put(s, static_cast<uint32_t>(RoundScaled(v, scale, -top - 1, top)), layout.bits / 8);
    }
  }
  return s;
}

}  // namespace testing_support
