// MPEG audio layers 1, 2 and 3 through mpg123, gapless, with the exact length
// found by scanning every frame header once at creation (cheap next to
// decoding, and what makes seeking land on the exact frame).
#pragma once

#include <memory>

#include "bass/core/byte_source.h"
#include "bass/core/decoder.h"

namespace bass_core {

// nullptr when mpg123 finds no audio it can decode. layer receives 1, 2 or 3.
// The decoder also keeps the source's ID3v1 and ID3v2 images as its tags.
std::unique_ptr<Decoder> CreateMpegDecoder(std::unique_ptr<ByteSource> source, int& layer);

}  // namespace bass_core
