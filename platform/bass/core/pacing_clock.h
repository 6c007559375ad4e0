// Output frames as real time lets them be heard: rate frames a second since
// the start, never more than were written, frozen while paused. Not locked:
// its output serialises the calls.
#pragma once

#include <cstdint>

namespace bass_core {

class PacingClock {
 public:
  explicit PacingClock(uint32_t rate);
  // Frames heard by now out of `written`. When the writer fell behind (an
  // underrun) the listener heard silence: the clock restarts from `written`
  // instead of racing ahead.
  uint64_t Heard(uint64_t written);
  void Pause(uint64_t written);
  void Resume();
  // A device that reports more frames played than the clock moves it forward
  // (device clocks drift a little against the system's).
  void CatchUp(uint64_t frames);

 private:
  int64_t Now() const;
  void Rebase(uint64_t frames);

  uint32_t rate_;
  double ticksPerSecond_;
  int64_t baseTick_ = 0;
  uint64_t baseFrames_ = 0;
  bool paused_ = false;
  uint64_t pausedAt_ = 0;
};

}  // namespace bass_core
