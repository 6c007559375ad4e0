// Recognising MPEG audio (layers 1, 2 and 3) before a decoder is trusted with
// it, and the ID3 tag images around it. The probe is strict on purpose: a
// tracker module or a WMA file must not pass for MPEG audio because a few of
// its bytes look like a frame sync.
#pragma once

#include <cstdint>
#include <string>

#include "bass/core/byte_source.h"

namespace bass_core {

struct MpegFrameHeader {
  int version = 0;  // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
  int layer = 0;    // 1, 2 or 3
  uint32_t rate = 0;
  uint32_t channels = 0;
  uint32_t bytes = 0;  // the whole frame, header included
};

// False for anything but a valid header (free-format bit rates included).
bool ParseMpegFrameHeader(const uint8_t* header, MpegFrameHeader& frame);

// The size of the ID3v2 tag at offset 0 (header, body and footer), or 0.
uint64_t Id3v2TagSize(ByteSource& source);

// True for an ID3v2 tag at the start or, within the first kMpegProbeWindow
// bytes after it, a run of consistent frames (same version, layer and rate,
// each header where the previous frame ends); layer receives the layer of
// that run, or 0 when only the tag was seen.
constexpr uint64_t kMpegProbeWindow = 16384;
bool ProbeMpegAudio(ByteSource& source, int& layer);

// The tag images BASS_StreamGetTags hands out: the 128-byte ID3v1 tag at the
// end, and the whole ID3v2 tag at the start; empty when absent.
std::string ReadId3v1Image(ByteSource& source);
std::string ReadId3v2Image(ByteSource& source);

}  // namespace bass_core
