// The output's frame counter as channels see it: how many mixed frames have
// been heard. Playing positions, end syncs and the visualisation follow it.
#pragma once

#include <cstdint>

namespace bass_core {

class FrameClock {
 public:
  virtual ~FrameClock() = default;
  virtual uint64_t HeardFrames() = 0;
  virtual uint32_t Rate() const = 0;
};

// What the whole device adds to every channel's own volume and pan.
struct GlobalMix {
  float gain = 1;         // stream volume x output volume, through the curve
  float musicGain = 1;    // the same with the music volume, for tracker modules
  bool logCurve = false;  // the curve for the channel's own volume
};

}  // namespace bass_core
