// Ogg Vorbis through vorbisfile: exact length and sample-exact seeking, the
// comments of the link being decoded as its tags. A chained file whose later
// link changes the rate or the channel count ends where that link starts.
// Over a growing source, running out of bytes is a pause, never the end.
#pragma once

#include <cstdint>
#include <memory>

#include "bass/core/byte_source.h"
#include "bass/core/decoder.h"

namespace bass_core {

// True when the source starts with an Ogg page ("OggS").
bool LooksLikeOgg(ByteSource& source);

// vorbisfile takes the end of a growing source for a pause anywhere but in
// the headers of a new link, which it reads in one go and loses when they
// come cut short. A walk over the pages of a growing Ogg stream, as they
// arrive, tells how far vorbisfile may read.
class OggPageWalk {
 public:
  // How much of the first `available` bytes vorbisfile may read: all, or up
  // to a link whose header pages have not all come; need is then how far the
  // source must reach for the walk to go on.
  uint64_t SafeEnd(ByteSource& source, uint64_t available, uint64_t& need);

 private:
  uint64_t FNext = 0;  // the first page not walked over yet
};

// nullptr when the source is not Ogg Vorbis (or its headers are broken).
std::unique_ptr<Decoder> CreateVorbisDecoder(std::unique_ptr<ByteSource> source);

}  // namespace bass_core
