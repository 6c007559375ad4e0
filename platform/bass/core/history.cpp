#include "bass/core/history.h"

#include <algorithm>
#include <cstring>

namespace bass_core {

History::History(uint32_t channels, size_t capacityFrames)
    : channels_(channels), capacity_(std::max<size_t>(capacityFrames, 1)),
      ring_(capacity_ * channels) {}

void History::Clear(uint64_t next) {
  begin_ = end_ = next;
}

void History::Append(const float* frames, size_t count) {
  if (count >= capacity_) {
    frames += (count - capacity_) * channels_;
    end_ += count - capacity_;
    count = capacity_;
  }
  for (size_t done = 0; done < count;) {
    size_t slot = static_cast<size_t>(end_ % capacity_);
    size_t run = std::min(count - done, capacity_ - slot);
    std::memcpy(&ring_[slot * channels_], frames + done * channels_, run * channels_ * sizeof(float));
    done += run;
    end_ += run;
  }
  begin_ = std::max(begin_, end_ > capacity_ ? end_ - capacity_ : 0);
}

void History::CopyBefore(uint64_t end, size_t count, float* out) const {
  std::fill(out, out + count * channels_, 0.0f);
  uint64_t from = end >= count ? end - count : 0;
  size_t skip = static_cast<size_t>(from + count - end);  // frames before index 0
  uint64_t first = std::max(from, begin_), last = std::min(end, end_);
  while (first < last) {
    size_t slot = static_cast<size_t>(first % capacity_);
    size_t run = static_cast<size_t>(std::min<uint64_t>(last - first, capacity_ - slot));
    std::memcpy(out + (first - from + skip) * channels_, &ring_[slot * channels_], run * channels_ * sizeof(float));
    first += run;
  }
}

}  // namespace bass_core
