// The reverb (BASS_FX_REVERB): per channel, eight damped comb filters in
// parallel and four all-pass filters in series (Schroeder's network with
// fixed delays, so the tail is the same on every run). The wet signal is
// added to the untouched dry one.
#pragma once

#include <vector>

#include "bass/bass_api.h"
#include "bass/core/effect.h"

namespace bass_core {

class Reverb final : public EffectOf<BASS_FXREVERB> {
 public:
  // Input gain -96..0 dB (what enters the network), reverb mix -96..0 dB (the
  // wet level), reverb time 0.001..3000 ms (to fall by 60 dB at low
  // frequencies), high-frequency ratio 0.001..0.999 (the high frequencies'
  // time as a share of the reverb time).
  static constexpr float kMinGain = -96, kMaxGain = 0;
  static constexpr float kMinTime = 0.001f, kMaxTime = 3000;
  static constexpr float kMinRatio = 0.001f, kMaxRatio = 0.999f;

  Reverb(uint32_t rate, uint32_t channels);

  bool Set(const BASS_FXREVERB& parameters) override;
  BASS_FXREVERB Parameters() const override { return params_; }
  void Process(float* frames, size_t count) override;
  void Reset() override;

 private:
  struct Line {
    std::vector<float> buffer;
    size_t index = 0;
    float Delayed() const { return buffer[index]; }
    void Push(float v) {
      buffer[index] = v;
      if (++index == buffer.size()) index = 0;
    }
  };
  struct Comb {
    Line line;
    float memory = 0;             // the loop's low-pass
    float feedback = 0, damp = 0;
  };
  struct Network {
    std::vector<Comb> combs;
    std::vector<Line> allPasses;
  };
  void Design();
  float Run(Network& n, float in);

  const uint32_t rate_, channels_;
  BASS_FXREVERB params_{0, 0, 1000, 0.001f};
  float inGain_ = 1, mixGain_ = 1;
  std::vector<Network> networks_;  // one per channel
};

}  // namespace bass_core
