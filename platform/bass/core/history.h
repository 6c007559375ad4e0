// The most recent frames a channel decoded, addressed by a running frame index,
// so the visualisation can take the samples just before any position still held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bass_core {

class History {
 public:
  History(uint32_t channels, size_t capacityFrames);
  // Forgets everything; the next frame appended gets index `next`.
  void Clear(uint64_t next = 0);
  void Append(const float* frames, size_t count);
  uint64_t End() const { return end_; }
  size_t Capacity() const { return capacity_; }
  // The frames [end - count, end), zeros for those not held (before the first
  // frame appended or already overwritten).
  void CopyBefore(uint64_t end, size_t count, float* out) const;

 private:
  uint32_t channels_;
  size_t capacity_;
  std::vector<float> ring_;
  uint64_t begin_ = 0;  // oldest index held
  uint64_t end_ = 0;    // index of the next frame appended
};

}  // namespace bass_core
