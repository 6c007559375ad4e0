#include "wav_fixtures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace bass_test {

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
