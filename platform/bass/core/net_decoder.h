// The decoder of an internet stream: the file decoder of its content over
// what has been downloaded so far, held back while too little is ahead of it
// (a stall, not an end). A file becomes seekable, with its exact length and
// its ID3v1 tag, once the download is complete: a decoder of the whole file
// then takes over at the same frame.
#pragma once

#include <memory>

#include "bass/core/decoder.h"
#include "bass/core/net_download.h"

namespace bass_core {

// A BASS error code; BASS_ERROR_FILEFORM when nothing decodes the content.
int CreateNetDecoder(std::shared_ptr<NetDownload> download, std::unique_ptr<Decoder>& decoder, uint32_t& ctype);

}  // namespace bass_core
