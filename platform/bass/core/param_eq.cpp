#include "bass/core/param_eq.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace bass_core {
namespace {

// A centre near the Nyquist frequency makes the filter's poles crowd z = -1,
// where rounding alone can push them out: the player's 14 kHz band on a
// 22.05 kHz file would sit above Nyquist. The band is pulled down instead.
constexpr double kMaxCenterOfRate = 0.45;

bool Within(float v, float lo, float hi) { return v >= lo && v <= hi; }  // false for NaN

}  // namespace

ParamEq::ParamEq(uint32_t rate, uint32_t channels)
    : rate_(rate), channels_(channels), state_(channels) {
  Design();
}

bool ParamEq::Set(const BASS_FXPARAMEQ& p) {
  if (!Within(p.fCenter, kMinCenter, kMaxCenter) ||
      !Within(p.fBandwidth, kMinBandwidth, kMaxBandwidth) || !Within(p.fGain, kMinGain, kMaxGain)) {
    return false;
  }
  params_ = p;
  Design();
  // A flat band is bypassed; memory left from before would click on return.
  if (p.fGain == 0) Reset();
  return true;
}

// The peaking filter of the audio-EQ cookbook, with the bandwidth taken as
// the analogue prototype's (no warping term), so wide bands near the top of
// the range stay bounded.
void ParamEq::Design() {
  const double center = std::min<double>(params_.fCenter, kMaxCenterOfRate * rate_);
  const double w0 = 2 * std::numbers::pi * center / rate_;
  const double octaves = params_.fBandwidth / 12.0;
  const double alpha = std::sin(w0) * std::sinh(std::numbers::ln2 / 2 * octaves);
  const double a = std::pow(10.0, params_.fGain / 40.0);
  const double a0 = 1 + alpha / a;
  b0_ = (1 + alpha * a) / a0;
  b1_ = -2 * std::cos(w0) / a0;
  b2_ = (1 - alpha * a) / a0;
  a1_ = b1_;
  a2_ = (1 - alpha / a) / a0;
}

void ParamEq::Process(float* frames, size_t count) {
  // A flat band passes the samples untouched, bit for bit.
  if (params_.fGain == 0) return;
  for (uint32_t c = 0; c < channels_; ++c) {
    State& s = state_[c];
    float* x = frames + c;
    for (size_t i = 0; i < count; ++i, x += channels_) {
      const double in = *x;
      const double out = b0_ * in + s.z1;
      s.z1 = b1_ * in - a1_ * out + s.z2;
      s.z2 = b2_ * in - a2_ * out;
      *x = static_cast<float>(out);
    }
    // Garbage from a caller's DSP must not poison the filter for good.
    if (!std::isfinite(s.z1) || !std::isfinite(s.z2)) s = State{};
  }
}

void ParamEq::Reset() { std::fill(state_.begin(), state_.end(), State{}); }

}  // namespace bass_core
