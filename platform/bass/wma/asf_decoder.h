// WMA audio in ASF files through ffmpeg: the first audio stream decoded to
// interleaved floats, its length from the file header, and its attributes as
// a "Name : value" text list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "bass/core/byte_source.h"

namespace tavrin_wma {

class AsfDecoder {
 public:
  static constexpr uint64_t kUnknown = ~uint64_t{0};

  // A BASS error code: BASS_OK with decoder set, else BASS_ERROR_FILEFORM for
  // anything that is not an ASF file with a WMA stream ffmpeg can decode.
  static int Open(std::unique_ptr<bass_core::ByteSource> source, std::unique_ptr<AsfDecoder>& decoder);
  ~AsfDecoder();

  uint32_t Rate() const { return rate_; }
  uint32_t Channels() const { return channels_; }
  uint64_t LengthFrames() const { return length_; }
  uint64_t FileSize() const;
  uint64_t FilePosition() const;
  // The zero-separated "Name : value" list ending with an empty string.
  const std::string& Tags() const { return tags_; }

  // Up to frames frames; fewer only at the end of the stream.
  size_t Read(float* out, size_t frames);
  bool Seek(uint64_t frame);

 private:
  struct State;
  explicit AsfDecoder(std::unique_ptr<State> state);
  bool DecodeMore();
  void BuildTags();

  std::unique_ptr<State> state_;
  uint32_t rate_ = 0, channels_ = 0;
  uint64_t length_ = kUnknown;
  std::string tags_;
};

// True when the source starts with the ASF header object's GUID.
bool LooksLikeAsf(bass_core::ByteSource& source);

}  // namespace tavrin_wma
