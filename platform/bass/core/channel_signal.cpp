// Events that come from a channel's source rather than from its playback:
// internet stream titles and finished downloads.
#include <algorithm>

#include "bass/core/channel.h"

namespace bass_core {

void Channel::Signal(uint32_t type, uint32_t data, bool latch) {
  std::lock_guard lock(mutex_);
  if (freed_) return;
  if (latch) {
    if (std::find(latched_.begin(), latched_.end(), type) != latched_.end()) return;
    latched_.push_back(type);
  }
  std::vector<SyncEntry> due;
  CollectSyncs(type, SyncTiming::kAny, due);
  for (const SyncEntry& s : due) {
    if (freed_) return;
    s.call(data);
  }
}

void Channel::FireIfLatched(const SyncEntry& sync) {
  if (freed_ || std::find(latched_.begin(), latched_.end(), sync.type) == latched_.end()) return;
  // A one-time sync is used up by this call.
  std::shared_ptr<SyncEntry> held = syncs_.back();
  if (sync.oneTime) syncs_.pop_back();
  held->call(0);
}

}  // namespace bass_core
