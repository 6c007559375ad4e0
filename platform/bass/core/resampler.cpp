#include "bass/core/resampler.h"

#include <cmath>
#include <cstring>

namespace bass_core {
namespace {
constexpr size_t kPullFrames = 1024;
}

Resampler::Resampler(uint32_t channels) : channels_(channels) {}

void Resampler::Reset() {
  bufferStart_ = 0;
  buffered_ = 0;
  whole_ = 0;
  fraction_ = 0;
  dry_ = false;
}

bool Resampler::Ensure(uint64_t lastNeeded, const Pull& pull) {
  while (lastNeeded >= bufferStart_ + buffered_) {
    if (dry_) return false;
    // Drop what lies before the current frame, then append one pull.
    if (whole_ > bufferStart_) {
      size_t drop = static_cast<size_t>(std::min<uint64_t>(whole_ - bufferStart_, buffered_));
      std::memmove(buffer_.data(), buffer_.data() + drop * channels_,
                   (buffered_ - drop) * channels_ * sizeof(float));
      buffered_ -= drop;
      bufferStart_ += drop;
    }
    if (buffer_.size() < (buffered_ + kPullFrames) * channels_)
      buffer_.resize((buffered_ + kPullFrames) * channels_);
    size_t got = pull(buffer_.data() + buffered_ * channels_, kPullFrames);
    if (got == 0) {
      dry_ = true;
      return false;
    }
    buffered_ += got;
  }
  return true;
}

size_t Resampler::Produce(float* out, size_t frames, double step, const Pull& pull) {
  // A dry source may have more now (a stalled user stream).
  dry_ = false;
  size_t produced = 0;
  while (produced < frames) {
    if (!Ensure(whole_, pull)) break;
    // At the very end the last frame is held rather than blended with nothing.
    bool haveNext = fraction_ != 0 && Ensure(whole_ + 1, pull);
    const float* a = buffer_.data() + (whole_ - bufferStart_) * channels_;
    float* o = out + produced * channels_;
    if (!haveNext) {
      std::memcpy(o, a, channels_ * sizeof(float));
    } else {
      const float* b = a + channels_;
      float t = static_cast<float>(fraction_);
      for (uint32_t c = 0; c < channels_; ++c) o[c] = a[c] + (b[c] - a[c]) * t;
    }
    ++produced;
    fraction_ += step;
    double carry = std::floor(fraction_);
    whole_ += static_cast<uint64_t>(carry);
    fraction_ -= carry;
  }
  return produced;
}

}  // namespace bass_core
