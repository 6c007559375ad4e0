#include "bass/core/pacing_clock.h"

#include <windows.h>

namespace bass_core {

PacingClock::PacingClock(uint32_t rate) : rate_(rate) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  ticksPerSecond_ = static_cast<double>(f.QuadPart);
  baseTick_ = Now();
}

int64_t PacingClock::Now() const {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

void PacingClock::Rebase(uint64_t frames) {
  baseFrames_ = frames;
  baseTick_ = Now();
}

uint64_t PacingClock::Heard(uint64_t written) {
  if (paused_) return pausedAt_;
  double elapsed = static_cast<double>(Now() - baseTick_) / ticksPerSecond_;
  uint64_t frames = baseFrames_ + static_cast<uint64_t>(elapsed * rate_);
  if (frames <= written) return frames;
  Rebase(written);
  return written;
}

void PacingClock::Pause(uint64_t written) {
  if (paused_) return;
  pausedAt_ = Heard(written);
  paused_ = true;
}

void PacingClock::Resume() {
  if (!paused_) return;
  paused_ = false;
  Rebase(pausedAt_);
}

void PacingClock::CatchUp(uint64_t frames) {
  if (paused_) return;
  double elapsed = static_cast<double>(Now() - baseTick_) / ticksPerSecond_;
  if (frames > baseFrames_ + static_cast<uint64_t>(elapsed * rate_)) Rebase(frames);
}

}  // namespace bass_core
