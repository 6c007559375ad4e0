// Gain laws and the stereo mix.
//
// Volume (0..100) maps to a gain by one of two curves, chosen by the volume
// curve option: linear (gain = v / 100) or logarithmic (0.5 dB per step below
// 100, so 50 is -25 dB and 1 is -49.5 dB; 0 is silence). A channel's gain is
// the product of its own volume, the global stream volume and the output
// volume, each through the curve: with the logarithmic curve their dB add.
//
// Pan (-100..100) is a balance: only the far side is lowered, linearly, so the
// centre leaves both sides at unity (no centre dip) and +100 silences the left.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bass_core {

float VolumeGain(uint32_t volume, bool logCurve);

struct StereoGain {
  float left;
  float right;
};
StereoGain PanGains(int pan);

// Adds frames of an interleaved source into a stereo accumulator, the gains
// moving linearly from `from` to `to` across the block. A mono source feeds
// both sides; with more than two channels the even ones average into the left
// and the odd ones into the right.
void MixIntoStereo(const float* source, size_t frames, uint32_t channels, StereoGain from,
                   StereoGain to, float* stereo);

// Float stereo to 16-bit, rounded and clipped.
void StereoToPcm16(const float* stereo, size_t frames, int16_t* out);

}  // namespace bass_core
