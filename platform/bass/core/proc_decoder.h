// A decoder over a caller's procedure that fills buffers in the channel's own
// sample format (a user stream): no length, no seeking, and an empty answer
// without the end flag is a stall.
#pragma once

#include <functional>
#include <memory>

#include "bass/core/decoder.h"
#include "bass/core/samples.h"

namespace bass_core {

// Writes up to length bytes into buffer and answers the count, with endFlag
// set in the answer when the stream has ended.
using FillProc = std::function<uint32_t(void* buffer, uint32_t length)>;

std::unique_ptr<Decoder> CreateProcDecoder(uint32_t rate, uint32_t channels, SampleFormat format,
                                           uint32_t endFlag, FillProc fill);

}  // namespace bass_core
