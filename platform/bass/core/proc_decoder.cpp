#include "bass/core/proc_decoder.h"

#include <algorithm>
#include <vector>

namespace bass_core {
namespace {

class ProcDecoder final : public Decoder {
 public:
  ProcDecoder(uint32_t rate, uint32_t channels, SampleFormat format, uint32_t endFlag, FillProc fill)
      : rate_(rate), channels_(channels), format_(format), endFlag_(endFlag), fill_(std::move(fill)),
        frameBytes_(channels * BytesPerSample(format)) {}

  uint32_t Rate() const override { return rate_; }
  uint32_t Channels() const override { return channels_; }
  uint32_t OriginalBits() const override { return BytesPerSample(format_) * 8; }
  uint64_t LengthFrames() const override { return kUnknown; }
  bool AtEnd() const override { return ended_; }
  bool Seek(uint64_t) override { return false; }
  uint64_t FilePosition() const override { return kUnknown; }
  uint64_t FileSize() const override { return kUnknown; }

  size_t Read(float* out, size_t frames) override {
    if (ended_ || frames == 0) return 0;
    size_t want = std::min<size_t>(frames, kMaxBytes / frameBytes_);
    uint32_t bytes = static_cast<uint32_t>(want * frameBytes_);
    raw_.resize(bytes);
    uint32_t answer = fill_(raw_.data(), bytes);
    if (answer & endFlag_) ended_ = true;
    // A procedure answering more than it was asked for is cut to the request.
    size_t got = std::min<uint32_t>(answer & ~endFlag_, bytes) / frameBytes_;
    SamplesToFloat(raw_.data(), got * channels_, format_, out);
    return got;
  }

 private:
  static constexpr size_t kMaxBytes = 1 << 16;
  uint32_t rate_, channels_;
  SampleFormat format_;
  uint32_t endFlag_;
  FillProc fill_;
  size_t frameBytes_;
  bool ended_ = false;
  std::vector<uint8_t> raw_;
};

}  // namespace

std::unique_ptr<Decoder> CreateProcDecoder(uint32_t rate, uint32_t channels, SampleFormat format,
                                           uint32_t endFlag, FillProc fill) {
  return std::make_unique<ProcDecoder>(rate, channels, format, endFlag, std::move(fill));
}

}  // namespace bass_core
