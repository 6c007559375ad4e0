// A channel's effects: where they sit in its chain and their parameters.
#include <algorithm>

#include "bass/bass_api.h"
#include "bass/core/channel.h"

namespace bass_core {

void Channel::AddEffect(uint32_t handle, int priority, std::unique_ptr<Effect> effect) {
  std::lock_guard lock(mutex_);
  auto entry = std::make_shared<DspEntry>();
  entry->handle = handle;
  entry->priority = priority;
  entry->effect = std::move(effect);
  // After every link of the same priority, so equal ones run in the order set.
  auto it = std::find_if(dsps_.begin(), dsps_.end(), [&](auto& d) { return d->priority < priority; });
  dsps_.insert(it, std::move(entry));
}

std::shared_ptr<DspEntry> Channel::FindEffect(uint32_t handle) {
  auto it = std::find_if(dsps_.begin(), dsps_.end(),
                         [&](auto& d) { return d->handle == handle && d->effect; });
  return it == dsps_.end() ? nullptr : *it;
}

bool Channel::RemoveEffect(uint32_t handle) {
  std::lock_guard lock(mutex_);
  auto entry = FindEffect(handle);
  if (!entry) return false;
  dsps_.erase(std::find(dsps_.begin(), dsps_.end(), entry));
  return true;
}

bool Channel::HasEffect(uint32_t handle) {
  std::lock_guard lock(mutex_);
  return FindEffect(handle) != nullptr;
}

int Channel::SetEffectParameters(uint32_t handle, const void* record) {
  std::lock_guard lock(mutex_);
  auto entry = FindEffect(handle);
  if (!entry) return BASS_ERROR_HANDLE;
  if (!record) return BASS_ERROR_ILLPARAM;
  return entry->effect->SetParameters(record) ? BASS_OK : BASS_ERROR_ILLPARAM;
}

int Channel::GetEffectParameters(uint32_t handle, void* record) {
  std::lock_guard lock(mutex_);
  auto entry = FindEffect(handle);
  if (!entry) return BASS_ERROR_HANDLE;
  if (!record) return BASS_ERROR_ILLPARAM;
  entry->effect->GetParameters(record);
  return BASS_OK;
}

}  // namespace bass_core
