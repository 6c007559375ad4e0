// Tracker modules (MOD, MO3, IT, XM, S3M, MTM, UMX and whatever else
// libopenmpt reads) rendered at a chosen rate. The length is the song's
// duration in whole frames, and the decoder hands out exactly that many:
// libopenmpt's last render may end a few frames early or late.
#pragma once

#include <memory>

#include "bass/core/byte_source.h"
#include "bass/core/decoder.h"

namespace bass_core {

struct ModuleOptions {
  uint32_t rate = 44100;
  bool mono = false;
  bool interpolate = true;  // linear; false renders the nearest sample
  int ramping = 0;          // libopenmpt's volume-ramping strength: 0 none, -1 default
};

// Modules are read whole into memory; larger sources are refused.
constexpr uint64_t kMaxModuleBytes = 256u << 20;

// nullptr when libopenmpt cannot read the source. ctype receives the
// BASS_CTYPE_MUSIC_ type (with the MO3 flag for MO3 files).
std::unique_ptr<Decoder> CreateModuleDecoder(ByteSource& source, const ModuleOptions& options,
                                             uint32_t& ctype);

}  // namespace bass_core
