#include "bass/core/mpeg_decoder.h"

#include <mpg123.h>

#include <mutex>

#include "bass/bass_api.h"
#include "bass/core/mpeg_probe.h"

namespace bass_core {

namespace {

// mpg123 gives up looking for the next frame after this many bytes of junk;
// its default (1 KiB) refuses files whose audio starts after a longer gap that
// the probe accepted.
constexpr long kResyncLimit = static_cast<long>(kMpegProbeWindow) * 2;
// A stream decoding nothing after this many reads in a row is treated as
// ended, so a file of sync-like noise cannot spin forever.
constexpr int kMaxIdleReads = 64;

// mpg123 reads a frame's header and body apart, a few hundred bytes at a
// time; the file source serves such reads from a block it caches. Nothing
// here reads ahead: over a growing source (a download) a block ahead of what
// mpg123 wants may not have come yet, and a read that waited for it while the
// stream opens would wait for nothing.
struct Reader {
  ByteSource* source;
  uint64_t position = 0;

  size_t Read(void* buffer, size_t count) {
    const size_t n = source->ReadAt(position, buffer, count);
    position += n;
    return n;
  }
};

mpg123_ssize_t ReadBytes(void* handle, void* buffer, size_t count) {
  return static_cast<mpg123_ssize_t>(static_cast<Reader*>(handle)->Read(buffer, count));
}

off_t SeekBytes(void* handle, off_t offset, int whence) {
  auto* r = static_cast<Reader*>(handle);
  int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<int64_t>(r->position)
                                                             : static_cast<int64_t>(r->source->Size());
  int64_t target = base + offset;
  if (target < 0) return -1;
  r->position = static_cast<uint64_t>(target);
  return static_cast<off_t>(target);
}

std::string TagBlock(std::string image) {
  if (!image.empty()) image.append(2, '\0');
  return image;
}

class MpegDecoder final : public Decoder {
 public:
  explicit MpegDecoder(std::unique_ptr<ByteSource> source)
      : source_(std::move(source)), reader_{source_.get()} {
    id3v1_ = TagBlock(ReadId3v1Image(*source_));
    id3v2_ = TagBlock(ReadId3v2Image(*source_));
  }
  ~MpegDecoder() override {
    if (handle_) {
      mpg123_close(handle_);
      mpg123_delete(handle_);
    }
  }

  // False when no frame decodes to a format.
  bool Open(int& layer) {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
    handle_ = mpg123_new(nullptr, nullptr);
    if (!handle_) return false;
    // A source it cannot seek (a download) is read through a buffer, which
    // lets mpg123 check that a sync word is followed by a second frame:
    // without it a stream joined in the middle locks onto a false header.
    mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_FLOAT | MPG123_GAPLESS | MPG123_SEEKBUFFER, 0);
    mpg123_param(handle_, MPG123_RESYNC_LIMIT, kResyncLimit, 0);
    mpg123_format_none(handle_);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
      mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    if (mpg123_replace_reader_handle(handle_, ReadBytes, SeekBytes, nullptr) != MPG123_OK) return false;
    if (mpg123_open_handle(handle_, &reader_) != MPG123_OK) return false;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels < 1)
      return false;
    rate_ = static_cast<uint32_t>(rate);
    channels_ = static_cast<uint32_t>(channels);
    mpg123_frameinfo info{};
    if (mpg123_info(handle_, &info) == MPG123_OK) layer = info.layer;
    // Later format changes are refused: the channel's format is fixed.
    mpg123_format_none(handle_);
    mpg123_format(handle_, rate, channels == 1 ? MPG123_MONO : MPG123_STEREO, MPG123_ENC_FLOAT_32);
    if (mpg123_scan(handle_) == MPG123_OK) {
      off_t frames = mpg123_length(handle_);
      if (frames >= 0) length_ = static_cast<uint64_t>(frames);
    }
    // Only the scan moves the sample position off the start. Over a source
    // it cannot seek (a download), finding the format of an MPEG-2 stream
    // already reads past its first frame, and a seek back to it is refused.
    return mpg123_tell(handle_) == 0 || mpg123_seek(handle_, 0, SEEK_SET) >= 0;
  }

  uint32_t Rate() const override { return rate_; }
  uint32_t Channels() const override { return channels_; }
  uint32_t OriginalBits() const override { return 0; }
  uint64_t LengthFrames() const override { return length_; }
  bool AtEnd() const override { return ended_; }
  uint64_t FilePosition() const override {
    off_t at = mpg123_tell_stream(handle_);
    return at >= 0 ? static_cast<uint64_t>(at) : reader_.position;
  }
  uint64_t FileSize() const override { return source_->Size(); }

  const std::string* Tags(uint32_t kind) const override {
    if (kind == BASS_TAG_ID3 && !id3v1_.empty()) return &id3v1_;
    if (kind == BASS_TAG_ID3V2 && !id3v2_.empty()) return &id3v2_;
    return nullptr;
  }

  size_t Read(float* out, size_t frames) override {
    size_t done = 0;
    int idle = 0;
    while (done < frames && !ended_) {
      size_t bytes = 0;
      const size_t want = (frames - done) * channels_ * sizeof(float);
      int rc = mpg123_read(handle_, out + done * channels_, want, &bytes);
      size_t got = bytes / (channels_ * sizeof(float));
      done += got;
      if (rc == MPG123_DONE || (rc != MPG123_OK && rc != MPG123_NEW_FORMAT && rc != MPG123_NEED_MORE)) {
        // A decoding error past the start ends the stream where the good
        // frames end.
        ended_ = true;
      } else if (got == 0 && ++idle >= kMaxIdleReads) {
        ended_ = true;
      } else if (got != 0) {
        idle = 0;
      }
    }
    return done;
  }

  bool Seek(uint64_t frame) override {
    if (length_ != kUnknown && frame > length_) return false;
    if (mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET) < 0) return false;
    ended_ = false;
    return true;
  }

 private:
  std::unique_ptr<ByteSource> source_;
  mutable Reader reader_;
  mpg123_handle* handle_ = nullptr;
  uint32_t rate_ = 0, channels_ = 0;
  uint64_t length_ = kUnknown;
  bool ended_ = false;
  std::string id3v1_, id3v2_;
};

}  // namespace

std::unique_ptr<Decoder> CreateMpegDecoder(std::unique_ptr<ByteSource> source, int& layer) {
  if (!source) return nullptr;
  auto decoder = std::make_unique<MpegDecoder>(std::move(source));
  if (!decoder->Open(layer)) return nullptr;
  return decoder;
}

}  // namespace bass_core
