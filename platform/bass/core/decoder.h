// A source of interleaved float frames at its own sample rate: a file decoder
// or a caller's stream procedure. Decoders are used from one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bass_core {

class Decoder {
 public:
  static constexpr uint64_t kUnknown = ~uint64_t{0};

  virtual ~Decoder() = default;
  virtual uint32_t Rate() const = 0;
  virtual uint32_t Channels() const = 0;
  // Bits per sample of the source before conversion to floats.
  virtual uint32_t OriginalBits() const = 0;
  // Frames in the stream, or kUnknown.
  virtual uint64_t LengthFrames() const = 0;
  // Writes up to frames frames; fewer means the end was reached (AtEnd) or the
  // source has nothing yet (a stall).
  virtual size_t Read(float* out, size_t frames) = 0;
  virtual bool AtEnd() const = 0;
  // Moves to a frame within the length; false when the source cannot seek.
  virtual bool Seek(uint64_t frame) = 0;
  // Byte offsets in the underlying file: of the next frame to decode, and the
  // file's size; kUnknown when there is no file.
  virtual uint64_t FilePosition() const = 0;
  virtual uint64_t FileSize() const = 0;
  // Bytes of the file at hand: less than FileSize while it downloads.
  virtual uint64_t FileDownloaded() const { return FileSize(); }
  // A tag block in the form BASS_StreamGetTags hands out (kind: BASS_TAG_ID3
  // ... BASS_TAG_META, or kTagMusicName), owned by the decoder and stable
  // while it lives; nullptr when the source has none.
  virtual const std::string* Tags(uint32_t /*kind*/) const { return nullptr; }
  // True once for each new link of a chained stream that decoding entered
  // (a seek does not count): its tags are then the new link's.
  virtual bool TakeLinkChange() { return false; }
};

// The tag kind under which a tracker module keeps its name (8-bit text).
constexpr uint32_t kTagMusicName = 0x10000;

}  // namespace bass_core
