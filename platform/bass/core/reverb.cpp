#include "bass/core/reverb.h"

#include <algorithm>
#include <cmath>

namespace bass_core {
namespace {

// Delays in frames at 44.1 kHz, mutually prime so the echoes do not pile up
// on common multiples; odd channels get slightly longer ones so a stereo
// tail is not the same on both sides.
constexpr size_t kCombDelays[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr size_t kAllPassDelays[] = {556, 441, 341, 225};
constexpr size_t kStereoSpread = 23;
constexpr float kAllPassGain = 0.5f;
// Eight combs near resonance can add up to far more than their input; at
// this scale the wet part of music at a 0 dB mix sits some 6 to 10 dB below
// the dry part.
constexpr float kInputScale = 0.15f;
// Below this a decaying loop is silence; flushing it avoids denormal floats,
// which are very slow on x86.
constexpr float kSilence = 1e-30f;

bool Within(float v, float lo, float hi) { return v >= lo && v <= hi; }  // false for NaN

float DbToGain(float db) { return static_cast<float>(std::pow(10.0, db / 20.0)); }

}  // namespace

Reverb::Reverb(uint32_t rate, uint32_t channels) : rate_(rate), channels_(channels) {
  const double scale = rate / 44100.0;
  auto frames = [scale](size_t at44k) {
    return std::max<size_t>(1, static_cast<size_t>(std::lround(at44k * scale)));
  };
  networks_.resize(channels);
  for (uint32_t c = 0; c < channels; ++c) {
    const size_t spread = (c & 1) ? kStereoSpread : 0;
    for (size_t d : kCombDelays) {
      Comb comb;
      comb.line.buffer.assign(frames(d + spread), 0.0f);
      networks_[c].combs.push_back(std::move(comb));
    }
    for (size_t d : kAllPassDelays) networks_[c].allPasses.push_back({std::vector<float>(frames(d + spread), 0.0f)});
  }
  Design();
}

bool Reverb::Set(const BASS_FXREVERB& p) {
  if (!Within(p.fInGain, kMinGain, kMaxGain) || !Within(p.fReverbMix, kMinGain, kMaxGain) ||
      !Within(p.fReverbTime, kMinTime, kMaxTime) ||
      !Within(p.fHighFreqRTRatio, kMinRatio, kMaxRatio)) {
    return false;
  }
  params_ = p;
  Design();
  return true;
}

// Each comb loses 60 dB per reverb time at DC: its loop gain is
// 10^(-3 delay / time). The one-pole low-pass in the loop lowers the gain at
// Nyquist to that of the high-frequency time; it keeps unity at DC.
void Reverb::Design() {
  inGain_ = DbToGain(params_.fInGain) * kInputScale;
  mixGain_ = DbToGain(params_.fReverbMix);
  const double time = params_.fReverbTime / 1000.0 * rate_;  // in frames
  const double highTime = time * params_.fHighFreqRTRatio;
  for (Network& n : networks_) {
    for (Comb& comb : n.combs) {
      const double delay = static_cast<double>(comb.line.buffer.size());
      const double low = std::pow(10.0, -3 * delay / time);
      const double high = std::pow(10.0, -3 * delay / highTime);
      // A ratio of 0 would freeze the low-pass, holding whatever it had.
      const double ratio = low > 0 ? std::max(high / low, 1e-3) : 1;
      comb.feedback = static_cast<float>(low);
      comb.damp = static_cast<float>((1 - ratio) / (1 + ratio));
    }
  }
}

float Reverb::Run(Network& n, float in) {
  float sum = 0;
  for (Comb& comb : n.combs) {
    const float out = comb.line.Delayed();
    comb.memory = out * (1 - comb.damp) + comb.memory * comb.damp;
    if (std::fabs(comb.memory) < kSilence) comb.memory = 0;
    comb.line.Push(in + comb.feedback * comb.memory);
    sum += out;
  }
  for (Line& line : n.allPasses) {
    const float delayed = line.Delayed();
    const float w = sum + kAllPassGain * delayed;
    line.Push(std::fabs(w) < kSilence ? 0.0f : w);
    sum = delayed - kAllPassGain * w;
  }
  return sum;
}

void Reverb::Process(float* frames, size_t count) {
  for (size_t i = 0; i < count; ++i, frames += channels_) {
    for (uint32_t c = 0; c < channels_; ++c) {
      float in = frames[c];
      // NaN from a caller's DSP would circulate in the loops for ever.
      if (!std::isfinite(in)) in = 0;
      frames[c] += mixGain_ * Run(networks_[c], in * inGain_);
    }
  }
}

void Reverb::Reset() {
  for (Network& n : networks_) {
    for (Comb& comb : n.combs) {
      std::fill(comb.line.buffer.begin(), comb.line.buffer.end(), 0.0f);
      comb.line.index = 0;
      comb.memory = 0;
    }
    for (Line& line : n.allPasses) {
      std::fill(line.buffer.begin(), line.buffer.end(), 0.0f);
      line.index = 0;
    }
  }
}

}  // namespace bass_core
