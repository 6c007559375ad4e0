#include "bass/core/echo.h"

#include <algorithm>
#include <cmath>

namespace bass_core {
namespace {

// At 100 % feedback the line would grow without bound on a steady input;
// holding it within this level keeps the echo endless but finite (and turns
// NaN from a caller's DSP into silence).
constexpr float kLineLimit = 8;

float Bounded(float v) {
  if (v >= -kLineLimit && v <= kLineLimit) return v;
  return v > 0 ? kLineLimit : v < 0 ? -kLineLimit : 0;
}

bool Within(float v, float lo, float hi) { return v >= lo && v <= hi; }  // false for NaN

}  // namespace

Echo::Echo(uint32_t rate, uint32_t channels)
    : rate_(rate), channels_(channels), lineFrames_(DelayFrames(kMaxDelayMs) + 1),
      line_(lineFrames_ * channels, 0.0f), delayed_(channels) {}

size_t Echo::DelayFrames(float ms) const {
  return std::max<size_t>(1, static_cast<size_t>(std::lround(double(ms) * rate_ / 1000)));
}

bool Echo::Set(const BASS_FXECHO& p) {
  if (!Within(p.fWetDryMix, 0, kMaxPercent) || !Within(p.fFeedback, 0, kMaxPercent) ||
      !Within(p.fLeftDelay, kMinDelayMs, kMaxDelayMs) ||
      !Within(p.fRightDelay, kMinDelayMs, kMaxDelayMs) || (p.lPanDelay != 0 && p.lPanDelay != 1)) {
    return false;
  }
  params_ = p;
  return true;
}

void Echo::Process(float* frames, size_t count) {
  const float wet = params_.fWetDryMix / 100, dry = 1 - wet;
  const float feedback = params_.fFeedback / 100;
  const size_t delays[2] = {DelayFrames(params_.fLeftDelay), DelayFrames(params_.fRightDelay)};
  const bool cross = params_.lPanDelay != 0;
  for (size_t i = 0; i < count; ++i, frames += channels_) {
    for (uint32_t c = 0; c < channels_; ++c) {
      size_t read = (write_ + lineFrames_ - delays[c & 1]) % lineFrames_;
      delayed_[c] = line_[read * channels_ + c];
    }
    float* line = &line_[write_ * channels_];
    for (uint32_t c = 0; c < channels_; ++c) {
      const uint32_t partner = cross && (c ^ 1) < channels_ ? c ^ 1 : c;
      line[c] = Bounded(frames[c] + feedback * delayed_[partner]);
      frames[c] = dry * frames[c] + wet * delayed_[c];
    }
    write_ = write_ + 1 == lineFrames_ ? 0 : write_ + 1;
  }
}

void Echo::Reset() {
  std::fill(line_.begin(), line_.end(), 0.0f);
  write_ = 0;
}

}  // namespace bass_core
