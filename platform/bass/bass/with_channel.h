// Entry points on a channel: look the handle up, then work on the channel.
#pragma once

#include "bass/core/engine.h"

namespace tavrin_bass {

// The error of the look-up (before BASS_Init, or a stale handle), else
// body(channel) -> error code.
template <typename Body>
int WithChannel(DWORD handle, Body body) {
  std::shared_ptr<bass_core::Channel> channel;
  if (int error = bass_core::Engine::Instance().Find(handle, channel)) return error;
  return body(*channel);
}

}  // namespace tavrin_bass
