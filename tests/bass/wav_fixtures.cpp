#include "wav_fixtures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace bass_test {
namespace {

void Put(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

int64_t RoundScaled(float v, double scale, int64_t lo, int64_t hi) {
  double x = std::nearbyint(double(v) * scale);
  return std::clamp<int64_t>(static_cast<int64_t>(x), lo, hi);
}

}  // namespace

std::string Chunk(const std::string& id, const std::string& body) {
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
    Put(b, 22, 2);          // cbSize
    Put(b, layout.bits, 2);   // valid bits
    Put(b, 3, 4);           // channel mask: front left and right
    Put(b, layout.formatTag, 2);
    b += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
  }
  return Chunk("fmt ", b);
}

std::string EncodeSamples(const WavLayout& layout, const std::vector<float>& samples) {
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

std::string MakeWav(const WavLayout& layout, const std::vector<float>& samples,
                    const std::string& beforeData, std::optional<uint32_t> dataSize) {
  std::string data = Chunk("data", EncodeSamples(layout, samples));
  if (dataSize) {
    std::string size;
    Put(size, *dataSize, 4);
    data.replace(4, 4, size);
  }
  std::string body = "WAVE" + FmtChunk(layout) + beforeData + data;
  std::string file = "RIFF";
  Put(file, static_cast<uint32_t>(body.size()), 4);
  return file + body;
}

std::vector<float> Sine(double hz, double amplitude, uint32_t rate, size_t frames, uint32_t channels) {
  std::vector<float> s(frames * channels);
  for (size_t i = 0; i < frames; ++i) {
    float v = static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hz * double(i) / rate));
    for (uint32_t c = 0; c < channels; ++c) s[i * channels + c] = v;
  }
  return s;
}

std::vector<float> Constant(float left, float right, size_t frames) {
  std::vector<float> s(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    s[2 * i] = left;
    s[2 * i + 1] = right;
  }
  return s;
}

std::vector<int16_t> CaptureSamples(const std::string& file) {
  if (file.size() < 44 || file.compare(0, 4, "RIFF") != 0 || file.compare(36, 4, "data") != 0) return {};
  uint32_t size;
  std::memcpy(&size, file.data() + 40, 4);
  size = std::min<uint32_t>(size, static_cast<uint32_t>(file.size() - 44));
  std::vector<int16_t> samples(size / 2);
  std::memcpy(samples.data(), file.data() + 44, samples.size() * 2);
  return samples;
}

}  // namespace bass_test
