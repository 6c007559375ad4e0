// Playback-speed change by linear interpolation: each output frame advances the
// source by `step` frames. At a step of exactly 1 samples pass unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace bass_core {

class Resampler {
 public:
  // Writes up to frames source frames; 0 means nothing more for now.
  using Pull = std::function<size_t(float* out, size_t frames)>;

  explicit Resampler(uint32_t channels);
  // Forgets buffered frames; positions count from 0 again.
  void Reset();
  // Writes up to frames output frames; fewer when the source runs dry.
  size_t Produce(float* out, size_t frames, double step, const Pull& pull);
  // The source position of the next output frame, in frames since Reset.
  double Position() const { return static_cast<double>(whole_) + fraction_; }

 private:
  bool Ensure(uint64_t lastNeeded, const Pull& pull);

  uint32_t channels_;
  std::vector<float> buffer_;  // source frames [bufferStart_, bufferStart_ + buffered_)
  uint64_t bufferStart_ = 0;
  size_t buffered_ = 0;
  uint64_t whole_ = 0;
  double fraction_ = 0;
  bool dry_ = false;
};

}  // namespace bass_core
