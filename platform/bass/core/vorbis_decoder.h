// Ogg Vorbis through vorbisfile: exact length and sample-exact seeking, the
// first stream's comments as its tags. A chained file whose later stream
// changes the rate or the channel count ends where that stream starts.
#pragma once

#include <memory>

#include "byte_source.h"
#include "decoder.h"

namespace bass_core {

// True when the source starts with an Ogg page ("OggS").
bool LooksLikeOgg(ByteSource& source);

// nullptr when the source is not Ogg Vorbis (or its headers are broken).
std::unique_ptr<Decoder> CreateVorbisDecoder(std::unique_ptr<ByteSource> source);

}  // namespace bass_core
