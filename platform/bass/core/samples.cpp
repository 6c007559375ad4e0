#include "samples.h"

#include <cmath>
#include <cstring>

namespace bass_core {

uint32_t BytesPerSample(SourceEncoding encoding) {
  switch (encoding) {
    case SourceEncoding::kUnsigned8: return 1;
    case SourceEncoding::kSigned16: return 2;
    case SourceEncoding::kSigned24: return 3;
    case SourceEncoding::kSigned32: return 4;
    case SourceEncoding::kFloat32: return 4;
    case SourceEncoding::kFloat64: return 8;
  }
  return 0;
}

uint32_t BytesPerSample(SampleFormat format) {
  switch (format) {
    case SampleFormat::kUnsigned8: return 1;
    case SampleFormat::kSigned16: return 2;
    case SampleFormat::kFloat32: return 4;
  }
  return 0;
}

void DecodeSamples(const uint8_t* s, SourceEncoding encoding, size_t samples, float* out) {
  switch (encoding) {
    case SourceEncoding::kUnsigned8:
      for (size_t i = 0; i < samples; ++i) out[i] = (static_cast<int>(s[i]) - 128) * (1.0f / 128);
      break;
    case SourceEncoding::kSigned16:
      for (size_t i = 0; i < samples; ++i, s += 2)
        out[i] = static_cast<int16_t>(s[0] | (s[1] << 8)) * (1.0f / 32768);
      break;
    case SourceEncoding::kSigned24:
      for (size_t i = 0; i < samples; ++i, s += 3) {
        int32_t v = static_cast<int32_t>((uint32_t(s[0]) << 8) | (uint32_t(s[1]) << 16) |
                                         (uint32_t(s[2]) << 24)) >> 8;
        out[i] = v * (1.0f / 8388608);
      }
      break;
    case SourceEncoding::kSigned32:
      for (size_t i = 0; i < samples; ++i, s += 4) {
        int32_t v;
        std::memcpy(&v, s, 4);
        out[i] = static_cast<float>(v * (1.0 / 2147483648.0));
      }
      break;
    case SourceEncoding::kFloat32:
      std::memcpy(out, s, samples * 4);
      // A NaN or infinity would poison the mix and the spectrum of everything after it.
      for (size_t i = 0; i < samples; ++i)
        if (!std::isfinite(out[i])) out[i] = 0;
      break;
    case SourceEncoding::kFloat64:
      for (size_t i = 0; i < samples; ++i, s += 8) {
        double v;
        std::memcpy(&v, s, 8);
        out[i] = std::isfinite(v) ? static_cast<float>(v) : 0.0f;
      }
      break;
  }
}

namespace {

// Rounds half away from zero; the library's rounding functions are calls
// that cost more than the rest of the conversion.
int32_t RoundClip(float v, float scale, int32_t lo, int32_t hi) {
  float x = v * scale;
  if (!(x > static_cast<float>(lo))) return lo;  // also catches NaN
  if (x >= static_cast<float>(hi)) return hi;
  return static_cast<int32_t>(x < 0 ? x - 0.5f : x + 0.5f);
}

}  // namespace

void EncodeSamples(const float* s, size_t samples, SampleFormat format, void* out) {
  switch (format) {
    case SampleFormat::kUnsigned8: {
      auto* o = static_cast<uint8_t*>(out);
      for (size_t i = 0; i < samples; ++i) o[i] = static_cast<uint8_t>(RoundClip(s[i], 128, -128, 127) + 128);
      break;
    }
    case SampleFormat::kSigned16: {
      auto* o = static_cast<int16_t*>(out);
      for (size_t i = 0; i < samples; ++i) o[i] = static_cast<int16_t>(RoundClip(s[i], 32768, -32768, 32767));
      break;
    }
    case SampleFormat::kFloat32:
      std::memcpy(out, s, samples * 4);
      break;
  }
}

void SamplesToFloat(const void* source, size_t samples, SampleFormat format, float* out) {
  switch (format) {
    case SampleFormat::kUnsigned8:
      DecodeSamples(static_cast<const uint8_t*>(source), SourceEncoding::kUnsigned8, samples, out);
      break;
    case SampleFormat::kSigned16:
      DecodeSamples(static_cast<const uint8_t*>(source), SourceEncoding::kSigned16, samples, out);
      break;
    case SampleFormat::kFloat32:
      DecodeSamples(static_cast<const uint8_t*>(source), SourceEncoding::kFloat32, samples, out);
      break;
  }
}

}  // namespace bass_core
