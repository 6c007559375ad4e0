// The parametric equaliser (BASS_FX_PARAMEQ): one peaking biquad per channel,
// bandwidth in semitones, gain in dB.
#pragma once

#include <vector>

#include "bass/bass_api.h"
#include "bass/core/effect.h"

namespace bass_core {

class ParamEq final : public EffectOf<BASS_FXPARAMEQ> {
 public:
  // Centre 80..16000 Hz, bandwidth 1..36 semitones, gain -15..15 dB.
  static constexpr float kMinCenter = 80, kMaxCenter = 16000;
  static constexpr float kMinBandwidth = 1, kMaxBandwidth = 36;
  static constexpr float kMinGain = -15, kMaxGain = 15;

  ParamEq(uint32_t rate, uint32_t channels);

  bool Set(const BASS_FXPARAMEQ& parameters) override;
  BASS_FXPARAMEQ Parameters() const override { return params_; }
  void Process(float* frames, size_t count) override;
  void Reset() override;

 private:
  struct State {
    double z1 = 0, z2 = 0;
  };
  void Design();

  const uint32_t rate_, channels_;
  BASS_FXPARAMEQ params_{8000, 12, 0};
  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
  std::vector<State> state_;
};

}  // namespace bass_core
