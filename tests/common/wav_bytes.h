// WAV files made in code, as bytes: samples given as the numbers a file
// stores, or as -1..1 in any encoding the readers know, with room for extra
// chunks and a lying data size. The data chunk ends the file, with no pad byte
// after an odd size.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct WavLayout {
  uint16_t formatTag = 1;  // 1 PCM, 3 IEEE float
  uint16_t channels = 2;
  uint32_t rate = 44100;
  uint16_t bits = 16;
  bool extensible = false;  // wrap the tag in WAVE_FORMAT_EXTENSIBLE
};

// A PCM file of `frames` frames, every channel of frame i holding sample(i) as
// stored: 8-bit samples are unsigned (128 is silence), wider ones signed.
std::string WavBytes(const WavLayout& layout, uint32_t frames, const std::function<int32_t(uint32_t)>& sample);
// A file of interleaved samples (-1..1) in layout's encoding, rounded to
// nearest. beforeData goes between fmt and data; dataSize replaces the data
// chunk's size field (the bytes stay as they are).
std::string WavBytes(const WavLayout& layout, const std::vector<float>& samples,
                     const std::string& beforeData = "", std::optional<uint32_t> dataSize = {});

// The pieces, for tests that assemble damaged files.

// A chunk: id, size, body and the pad byte after an odd body.
std::string RiffChunk(const std::string& id, const std::string& body);
std::string FmtChunk(const WavLayout& layout);
// Interleaved samples (-1..1) in layout's encoding, rounded to nearest.
std::string SampleBytes(const WavLayout& layout, const std::vector<float>& samples);

}  // namespace testing_support
