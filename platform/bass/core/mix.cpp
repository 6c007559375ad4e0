#include "bass/core/mix.h"

#include <algorithm>
#include <cmath>

#include "bass/core/samples.h"

namespace bass_core {

float VolumeGain(uint32_t volume, bool logCurve) {
  volume = std::min<uint32_t>(volume, 100);
  if (volume == 0) return 0;
  if (!logCurve) return volume / 100.0f;
  return std::pow(10.0f, (static_cast<float>(volume) - 100.0f) * 0.5f / 20.0f);
}

StereoGain PanGains(int pan) {
  pan = std::clamp(pan, -100, 100);
  StereoGain g{1.0f, 1.0f};
  if (pan > 0) g.left = (100 - pan) / 100.0f;
  if (pan < 0) g.right = (100 + pan) / 100.0f;
  return g;
}

void MixIntoStereo(const float* s, size_t frames, uint32_t channels, StereoGain from,
                   StereoGain to, float* stereo) {
  if (frames == 0 || channels == 0) return;
  const float dl = (to.left - from.left) / frames, dr = (to.right - from.right) / frames;
  const bool ramp = dl != 0 || dr != 0;
  float gl = from.left, gr = from.right;
  for (size_t i = 0; i < frames; ++i, s += channels, stereo += 2) {
    float l, r;
    if (channels == 1) {
      l = r = s[0];
    } else if (channels == 2) {
      l = s[0];
      r = s[1];
    } else {
      l = r = 0;
      for (uint32_t c = 0; c < channels; c += 2) l += s[c];
      for (uint32_t c = 1; c < channels; c += 2) r += s[c];
      l /= static_cast<float>((channels + 1) / 2);
      r /= static_cast<float>(channels / 2);
    }
    if (ramp) {
      gl = from.left + dl * static_cast<float>(i);
      gr = from.right + dr * static_cast<float>(i);
    }
    stereo[0] += l * gl;
    stereo[1] += r * gr;
  }
}

void StereoToPcm16(const float* stereo, size_t frames, int16_t* out) {
  EncodeSamples(stereo, frames * 2, SampleFormat::kSigned16, out);
}

}  // namespace bass_core
