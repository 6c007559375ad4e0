// Chooses the decoder of a file stream by its content: WAV, Ogg Vorbis, then
// MPEG audio. Anything else, WMA/ASF files and tracker modules included, is
// refused so that the caller can try its next way of opening the file.
#pragma once

#include <memory>

#include "bass/core/byte_source.h"
#include "bass/core/decoder.h"

namespace bass_core {

// A BASS error code: BASS_OK with decoder and ctype set, else
// BASS_ERROR_FILEFORM.
int CreateFileDecoder(std::unique_ptr<ByteSource> source, std::unique_ptr<Decoder>& decoder,
                      uint32_t& ctype);

}  // namespace bass_core
