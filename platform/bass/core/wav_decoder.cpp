#include "bass/core/wav_decoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace bass_core {
namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr uint32_t kMaxChannels = 32;
constexpr uint32_t kMinRate = 1;
constexpr uint32_t kMaxRate = 1000000;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

bool ParseFmt(const uint8_t* p, uint32_t size, WavFormat& f) {
  if (size < 16) return false;
  uint16_t tag = U16(p);
  f.channels = U16(p + 2);
  f.rate = U32(p + 4);
  f.blockAlign = U16(p + 12);
  f.bitsPerSample = U16(p + 14);
  if (tag == kFormatExtensible) {
    // cbSize, valid bits, channel mask, then the sub-format GUID whose first
    // two bytes are the plain format tag.
    if (size < 40 || U16(p + 16) < 22) return false;
    tag = U16(p + 24);
  }
  f.formatTag = tag;
  if (f.channels < 1 || f.channels > kMaxChannels) return false;
  if (f.rate < kMinRate || f.rate > kMaxRate) return false;
  if (tag == kFormatPcm) {
    switch (f.bitsPerSample) {
      case 8: f.encoding = SourceEncoding::kUnsigned8; break;
      case 16: f.encoding = SourceEncoding::kSigned16; break;
      case 24: f.encoding = SourceEncoding::kSigned24; break;
      case 32: f.encoding = SourceEncoding::kSigned32; break;
      default: return false;
    }
  } else if (tag == kFormatFloat) {
    switch (f.bitsPerSample) {
      case 32: f.encoding = SourceEncoding::kFloat32; break;
      case 64: f.encoding = SourceEncoding::kFloat64; break;
      default: return false;
    }
  } else {
    return false;
  }
  return f.blockAlign == f.channels * (f.bitsPerSample / 8);
}

class WavDecoder final : public Decoder {
 public:
  WavDecoder(std::unique_ptr<ByteSource> source, const WavFormat& format)
      : source_(std::move(source)), format_(format), frames_(format.dataBytes / format.blockAlign) {}

  uint32_t Rate() const override { return format_.rate; }
  uint32_t Channels() const override { return format_.channels; }
  uint32_t OriginalBits() const override { return format_.bitsPerSample; }
  uint64_t LengthFrames() const override { return frames_; }
  bool AtEnd() const override { return ended_ || frame_ >= frames_; }
  uint64_t FilePosition() const override { return format_.dataOffset + frame_ * format_.blockAlign; }
  uint64_t FileSize() const override { return source_->Size(); }

  size_t Read(float* out, size_t frames) override {
    size_t done = 0;
    while (done < frames && !ended_) {
      uint64_t left = frames_ - frame_;
      if (left == 0) {
        ended_ = true;
        break;
      }
      const uint64_t at = format_.dataOffset + frame_ * format_.blockAlign;
      if (at < cacheStart_ || at >= cacheStart_ + cached_) {
        // Read ahead in large blocks: a small read costs a system call, and
        // under Wine a round trip that dwarfs the decoding.
        uint64_t want = std::min<uint64_t>(kCacheBytes, left * format_.blockAlign);
        want -= want % format_.blockAlign;
        cache_.resize(kCacheBytes);
        cacheStart_ = at;
        cached_ = source_->ReadAt(at, cache_.data(), static_cast<size_t>(want));
        cached_ -= cached_ % format_.blockAlign;
        if (cached_ == 0) {
          // A file that shrinks under us ends the stream where the bytes stop.
          ended_ = true;
          break;
        }
      }
      size_t available = static_cast<size_t>((cacheStart_ + cached_ - at) / format_.blockAlign);
      size_t n = static_cast<size_t>(std::min<uint64_t>({frames - done, left, available}));
      DecodeSamples(cache_.data() + (at - cacheStart_), format_.encoding, n * format_.channels,
                    out + done * format_.channels);
      done += n;
      frame_ += n;
    }
    return done;
  }

  bool Seek(uint64_t frame) override {
    if (frame > frames_) return false;
    frame_ = frame;
    ended_ = false;
    return true;
  }

 private:
  static constexpr size_t kCacheBytes = 1 << 16;
  std::unique_ptr<ByteSource> source_;
  WavFormat format_;
  uint64_t frames_;
  uint64_t frame_ = 0;
  bool ended_ = false;
  std::vector<uint8_t> cache_;  // source bytes [cacheStart_, cacheStart_ + cached_)
  uint64_t cacheStart_ = 0;
  size_t cached_ = 0;
};

}  // namespace

bool ParseWav(ByteSource& source, WavFormat& format) {
  const uint64_t size = source.Size();
  uint8_t header[12];
  if (source.ReadAt(0, header, 12) != 12) return false;
  if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) return false;
  // The RIFF size is often wrong in files cut short or written by streamers;
  // the chunks themselves are bounded by the source instead.
  bool haveFmt = false;
  uint64_t pos = 12;
  while (pos + 8 <= size) {
    uint8_t chunk[8];
    if (source.ReadAt(pos, chunk, 8) != 8) return false;
    uint64_t body = pos + 8;
    uint64_t chunkSize = U32(chunk + 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      uint8_t fmt[40] = {};
      uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(chunkSize, sizeof fmt));
      if (body + n > size || source.ReadAt(body, fmt, n) != n) return false;
      if (!ParseFmt(fmt, static_cast<uint32_t>(std::min<uint64_t>(chunkSize, 0xFFFF)), format)) return false;
      haveFmt = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFmt) return false;
      uint64_t available = size - body;
      uint64_t bytes = std::min(chunkSize, available);
      format.dataOffset = body;
      format.dataBytes = bytes - bytes % format.blockAlign;
      return true;
    }
    // Each step moves at least 8 bytes forward, so the walk ends.
    pos = body + chunkSize + (chunkSize & 1);
  }
  return false;
}

std::unique_ptr<Decoder> CreateWavDecoder(std::unique_ptr<ByteSource> source) {
  WavFormat format;
  if (!source || !ParseWav(*source, format)) return nullptr;
  return std::make_unique<WavDecoder>(std::move(source), format);
}

}  // namespace bass_core
