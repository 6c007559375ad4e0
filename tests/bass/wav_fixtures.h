// WAV files made in code for the tests: every encoding the reader knows, extra
// chunks, and damaged sizes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bass_test {

struct WavLayout {
  uint16_t formatTag = 1;  // 1 PCM, 3 IEEE float
  uint16_t channels = 2;
  uint32_t rate = 44100;
  uint16_t bits = 16;
  bool extensible = false;  // wrap the tag in WAVE_FORMAT_EXTENSIBLE
};

// A chunk: id, size, body and the pad byte after an odd body.
std::string Chunk(const std::string& id, const std::string& body);
// The fmt chunk of layout.
std::string FmtChunk(const WavLayout& layout);
// Interleaved samples (-1..1) in the layout's encoding, rounded to nearest.
std::string EncodeSamples(const WavLayout& layout, const std::vector<float>& samples);
// A whole file. beforeData goes between fmt and data; dataSize replaces the
// data chunk's size field (the bytes stay as they are).
std::string MakeWav(const WavLayout& layout, const std::vector<float>& samples,
                    const std::string& beforeData = "", std::optional<uint32_t> dataSize = {});

// frames frames of a sine on every channel.
std::vector<float> Sine(double hz, double amplitude, uint32_t rate, size_t frames,
                        uint32_t channels);
// frames frames holding `left` and `right` (a stereo constant).
std::vector<float> Constant(float left, float right, size_t frames);

// The 16-bit stereo samples of a capture file; empty when it is not one.
std::vector<int16_t> CaptureSamples(const std::string& file);

}  // namespace bass_test
