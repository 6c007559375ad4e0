// WAV files: PCM 8/16/24/32-bit, IEEE float 32/64-bit, and both inside
// WAVE_FORMAT_EXTENSIBLE. The chunks are walked to "data" (word-padded); every
// size is bounded by the source, so a truncated data chunk or a size of
// 0xFFFFFFFF yields the whole frames that are really there.
#pragma once

#include <memory>

#include "bass/core/byte_source.h"
#include "bass/core/decoder.h"
#include "bass/core/samples.h"

namespace bass_core {

struct WavFormat {
  uint16_t formatTag = 0;  // 1 PCM or 3 IEEE float, also when extensible
  uint32_t rate = 0;
  uint32_t channels = 0;
  uint32_t bitsPerSample = 0;
  SourceEncoding encoding = SourceEncoding::kSigned16;
  uint32_t blockAlign = 0;
  uint64_t dataOffset = 0;
  uint64_t dataBytes = 0;  // whole frames only
};

// False when the bytes are not a WAV file of a kind decoded here.
bool ParseWav(ByteSource& source, WavFormat& format);

// nullptr when ParseWav fails.
std::unique_ptr<Decoder> CreateWavDecoder(std::unique_ptr<ByteSource> source);

}  // namespace bass_core
