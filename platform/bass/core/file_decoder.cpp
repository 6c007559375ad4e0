#include "bass/core/file_decoder.h"

#include "bass/bass_api.h"
#include "bass/core/mpeg_decoder.h"
#include "bass/core/mpeg_probe.h"
#include "bass/core/vorbis_decoder.h"
#include "bass/core/wav_decoder.h"

namespace bass_core {

int CreateFileDecoder(std::unique_ptr<ByteSource> source, std::unique_ptr<Decoder>& decoder,
                      uint32_t& ctype) {
  if (!source) return BASS_ERROR_FILEFORM;
  if (WavFormat format; ParseWav(*source, format)) {
    decoder = CreateWavDecoder(std::move(source));
    ctype = BASS_CTYPE_STREAM_WAV | BASS_CTYPE_STREAM | format.formatTag;
  } else if (LooksLikeOgg(*source)) {
    decoder = CreateVorbisDecoder(std::move(source));
    ctype = BASS_CTYPE_STREAM_OGG;
  } else if (int probed = 0; ProbeMpegAudio(*source, probed)) {
    int layer = probed;
    decoder = CreateMpegDecoder(std::move(source), layer);
    ctype = layer == 1 ? BASS_CTYPE_STREAM_MP1 : layer == 2 ? BASS_CTYPE_STREAM_MP2 : BASS_CTYPE_STREAM_MP3;
  }
  return decoder ? BASS_OK : BASS_ERROR_FILEFORM;
}

}  // namespace bass_core
