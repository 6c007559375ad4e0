// Sample encodings and their conversions to and from the 32-bit floats that
// decoding, mixing and analysis work in (full scale is -1..1).
#pragma once

#include <cstddef>
#include <cstdint>

namespace bass_core {

// How a file stores its samples.
enum class SourceEncoding { kUnsigned8, kSigned16, kSigned24, kSigned32, kFloat32, kFloat64 };

// How a channel hands its samples to the caller: 8-bit, 16-bit or float.
enum class SampleFormat { kUnsigned8, kSigned16, kFloat32 };

uint32_t BytesPerSample(SourceEncoding encoding);
uint32_t BytesPerSample(SampleFormat format);

// Little-endian stored samples to floats.
void DecodeSamples(const uint8_t* source, SourceEncoding encoding, size_t samples, float* out);
// Floats to a channel format, rounded to nearest and clipped at full scale.
void EncodeSamples(const float* source, size_t samples, SampleFormat format, void* out);
// A channel format back to floats; exact for 8 and 16 bits.
void SamplesToFloat(const void* source, size_t samples, SampleFormat format, float* out);

}  // namespace bass_core
