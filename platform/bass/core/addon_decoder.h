// A decoder that an add-on hands to bass.dll through
// BASS_Internal_StreamCreateDecoder: the add-on's callbacks behind the
// core's decoder interface. The add-on's module stays loaded while the
// decoder lives.
#pragma once

#include <memory>

#include "bass/bass_api.h"
#include "bass/core/decoder.h"

namespace bass_core {

// nullptr when the record is unusable; record.free(user) has then already
// run, as it runs once in every case.
std::unique_ptr<Decoder> CreateAddonDecoder(const BASS_INTERNAL_DECODER& record, void* user);

}  // namespace bass_core
