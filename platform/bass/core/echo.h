// The echo (BASS_FX_ECHO): a delay line per channel with feedback, even
// channels on the left delay and odd ones on the right. With the pan delay
// the feedback crosses over within each pair, so successive echoes alternate
// sides.
#pragma once

#include <vector>

#include "bass/bass_api.h"
#include "bass/core/effect.h"

namespace bass_core {

class Echo final : public EffectOf<BASS_FXECHO> {
 public:
  // Wet/dry mix and feedback 0..100 %, delays 1..2000 ms, pan delay 0 or 1.
  static constexpr float kMaxPercent = 100;
  static constexpr float kMinDelayMs = 1, kMaxDelayMs = 2000;

  Echo(uint32_t rate, uint32_t channels);

  bool Set(const BASS_FXECHO& parameters) override;
  BASS_FXECHO Parameters() const override { return params_; }
  void Process(float* frames, size_t count) override;
  void Reset() override;

 private:
  size_t DelayFrames(float ms) const;

  const uint32_t rate_, channels_;
  BASS_FXECHO params_{50, 50, 500, 500, FALSE};
  size_t lineFrames_;
  std::vector<float> line_;  // interleaved like the frames, lineFrames_ long
  size_t write_ = 0;
  std::vector<float> delayed_;
};

}  // namespace bass_core
