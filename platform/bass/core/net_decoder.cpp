#include "net_decoder.h"

#include <algorithm>
#include <vector>

#include "bass_api.h"
#include "file_decoder.h"
#include "mpeg_probe.h"

namespace bass_core {

namespace {

// Bytes that must be ahead of the decoder before it may read on: more than
// any MPEG frame and the next frame's header, so that it never meets the
// edge of the download and takes it for the end.
constexpr uint64_t kReadAhead = 8192;
constexpr size_t kStepFrames = 1152;

// The download as a byte source. Its size stays unknown until the whole file
// is there, so a decoder made before treats it as a stream it cannot seek.
class DownloadSource final : public ByteSource {
 public:
  explicit DownloadSource(std::shared_ptr<NetDownload> download) : FDownload(std::move(download)) {}
  uint64_t Size() const override {
    if (FDownload->Block() || !FDownload->Ended() || FDownload->Downloaded() != FDownload->Total()) return kSizeUnknown;
    return FDownload->Total();
  }
  size_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
    return FDownload->ReadAt(offset, buffer, count);
  }
  static constexpr uint64_t kSizeUnknown = ~uint64_t{0};

 private:
  std::shared_ptr<NetDownload> FDownload;
};

// Frames of an MPEG file of a given size, from its first frame's header.
uint64_t EstimateMpegFrames(NetDownload& download) {
  std::vector<uint8_t> head(16384);
  head.resize(download.ReadAt(0, head.data(), head.size()));
  size_t start = 0;
  if (head.size() >= 10 && head[0] == 'I' && head[1] == 'D' && head[2] == '3')
    start = 10 + ((head[6] & 0x7F) << 21 | (head[7] & 0x7F) << 14 | (head[8] & 0x7F) << 7 | (head[9] & 0x7F));
  for (size_t i = start; i + 4 <= head.size(); ++i) {
    MpegFrameHeader frame;
    if (!ParseMpegFrameHeader(head.data() + i, frame) || frame.bytes == 0) continue;
    const uint64_t perFrame = frame.layer == 1 ? 384 : (frame.layer == 3 && frame.version != 1) ? 576 : 1152;
    const uint64_t total = download.Total();
    return total > i ? (total - i) / frame.bytes * perFrame : 0;
  }
  return Decoder::kUnknown;
}

class NetDecoder final : public Decoder {
 public:
  NetDecoder(std::shared_ptr<NetDownload> download, std::unique_ptr<Decoder> inner, uint32_t ctype)
      : FDownload(std::move(download)), FInner(std::move(inner)) {
    FWhole = !FDownload->Block() && FDownload->Ended() && FDownload->Downloaded() == FDownload->Total();
    if (!FWhole && !FDownload->Block() && ctype >= BASS_CTYPE_STREAM_MP1 && ctype <= BASS_CTYPE_STREAM_MP3)
      FEstimate = EstimateMpegFrames(*FDownload);
  }
  ~NetDecoder() override { FDownload->Stop(); }

  uint32_t Rate() const override { return FInner->Rate(); }
  uint32_t Channels() const override { return FInner->Channels(); }
  uint32_t OriginalBits() const override { return FInner->OriginalBits(); }
  uint64_t LengthFrames() const override {
    TakeOverWhenComplete();
    if (FDownload->Block()) return kUnknown;
    return FWhole ? FInner->LengthFrames() : FEstimate;
  }
  size_t Read(float* out, size_t frames) override {
    TakeOverWhenComplete();
    size_t done = 0;
    while (done < frames) {
      const bool ended = FDownload->Ended();
      if (!ended && FDownload->Downloaded() < FInner->FilePosition() + kReadAhead) break;
      const size_t want = ended ? frames - done : std::min(kStepFrames, frames - done);
      const size_t got = FInner->Read(out + done * Channels(), want);
      done += got;
      if (got < want) break;
    }
    FFrame += done;
    FDownload->Reach(FInner->FilePosition());
    return done;
  }
  bool AtEnd() const override { return FInner->AtEnd() && FDownload->Ended(); }
  bool Seek(uint64_t frame) override {
    TakeOverWhenComplete();
    if (!FWhole || !FInner->Seek(frame)) return false;
    FFrame = frame;
    return true;
  }
  uint64_t FilePosition() const override { return FInner->FilePosition(); }
  uint64_t FileSize() const override { return FDownload->Total(); }
  uint64_t FileDownloaded() const override { return FDownload->Downloaded(); }
  const std::string* Tags(uint32_t kind) const override {
    if (kind == BASS_TAG_HTTP || kind == BASS_TAG_ICY || kind == BASS_TAG_META) return FDownload->Tags(kind);
    TakeOverWhenComplete();
    return FInner->Tags(kind);
  }

 private:
  // Decoders are used under their channel's lock, so the hand-over may
  // happen in any call, const ones included.
  void TakeOverWhenComplete() const {
    if (FWhole || FDownload->Block() || !FDownload->Ended() || FDownload->Downloaded() != FDownload->Total()) return;
    FWhole = true;
    std::unique_ptr<Decoder> whole;
    uint32_t ctype = 0;
    if (CreateFileDecoder(std::make_unique<DownloadSource>(FDownload), whole, ctype) != BASS_OK) return;
    if (whole->Rate() != FInner->Rate() || whole->Channels() != FInner->Channels()) return;
    if (FFrame > 0 && !whole->Seek(FFrame)) return;
    FInner = std::move(whole);
  }

  std::shared_ptr<NetDownload> FDownload;
  mutable std::unique_ptr<Decoder> FInner;
  mutable bool FWhole = false;
  uint64_t FEstimate = kUnknown;
  uint64_t FFrame = 0;
};

}  // namespace

int CreateNetDecoder(std::shared_ptr<NetDownload> download, std::unique_ptr<Decoder>& decoder, uint32_t& ctype) {
  std::unique_ptr<Decoder> inner;
  if (int error = CreateFileDecoder(std::make_unique<DownloadSource>(download), inner, ctype)) return error;
  decoder = std::make_unique<NetDecoder>(std::move(download), std::move(inner), ctype);
  return BASS_OK;
}

}  // namespace bass_core
