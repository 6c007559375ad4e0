#include "bass/core/net_decoder.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "bass/bass_api.h"
#include "bass/core/file_decoder.h"
#include "bass/core/mpeg_probe.h"
#include "bass/core/vorbis_decoder.h"

namespace bass_core {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Bytes that must be ahead of an MPEG decoder before it may read on: more
// than any frame and the next frame's header. mpg123 takes a frame cut short
// for the end and cannot take it up again.
constexpr uint64_t kReadAhead = 8192;
constexpr size_t kStepFrames = 1152;

constexpr uint64_t kSizeUnknown = ~uint64_t{0};

// A look at the download that does not count as reading it.
class PeekSource final : public ByteSource {
 public:
  explicit PeekSource(NetDownload& download) : FDownload(download) {}
  uint64_t Size() const override { return kSizeUnknown; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
    return FDownload.PeekAt(offset, buffer, count);
  }
  bool Growing() const override { return !FDownload.Ended(); }

 private:
  NetDownload& FDownload;
};

// The download as a byte source. Its size stays unknown until the download
// ends, so a decoder made before treats it as a stream it cannot seek. While
// the decoder is being made, a read at the edge of the download waits for
// the rest (up to a deadline): a probe or a decoder's first look must never
// take "not here yet" for the end of the file. An Ogg decoder then reads up
// to the edge, but never into a new link before all its headers came.
class DownloadSource final : public ByteSource {
 public:
  struct Mode {
    SteadyClock::time_point deadline;
    bool opening = true;
    bool timedOut = false;
    bool ogg = false;
  };
  DownloadSource(std::shared_ptr<NetDownload> download, std::shared_ptr<Mode> mode = nullptr)
      : FDownload(std::move(download)), FMode(std::move(mode)) {}
  uint64_t Size() const override {
    if (FDownload->Block() || !FDownload->Ended()) return kSizeUnknown;
    return FDownload->Total();
  }
  size_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
    if (FMode && FMode->opening)
      return FDownload->ReadWaiting(offset, buffer, count, FMode->deadline, FMode->timedOut);
    if (FMode && FMode->ogg && Growing()) {
      PeekSource peek(*FDownload);
      uint64_t need = 0;
      const uint64_t end = FWalk.SafeEnd(peek, FDownload->Downloaded(), need);
      FDownload->Want(need);
      if (offset >= end) return 0;
      count = static_cast<size_t>(std::min<uint64_t>(count, end - offset));
    }
    return FDownload->ReadAt(offset, buffer, count);
  }
  bool Growing() const override { return !FDownload->Ended(); }

 private:
  std::shared_ptr<NetDownload> FDownload;
  std::shared_ptr<Mode> FMode;
  OggPageWalk FWalk;
};

// Frames of an MPEG file of a given size, from the header of its first frame
// after the ID3v2 tag (a cover picture may make that tag far larger than any
// fixed look at the start).
uint64_t EstimateMpegFrames(NetDownload& download) {
  PeekSource peek(download);
  const uint64_t start = Id3v2TagSize(peek);
  std::vector<uint8_t> head(16384);
  head.resize(peek.ReadAt(start, head.data(), head.size()));
  for (size_t i = 0; i + 4 <= head.size(); ++i) {
    MpegFrameHeader frame;
    if (!ParseMpegFrameHeader(head.data() + i, frame) || frame.bytes == 0) continue;
    const uint64_t perFrame = frame.layer == 1 ? 384 : (frame.layer == 3 && frame.version != 1) ? 576 : 1152;
    const uint64_t total = download.Total(), audio = start + i;
    return total > audio ? (total - audio) / frame.bytes * perFrame : 0;
  }
  return Decoder::kUnknown;
}

class NetDecoder final : public Decoder {
 public:
  // whole: made over a download that had already ended.
  NetDecoder(std::shared_ptr<NetDownload> download, std::unique_ptr<Decoder> inner, uint32_t ctype, bool whole)
      : FDownload(std::move(download)), FInner(std::move(inner)), FOgg(ctype == BASS_CTYPE_STREAM_OGG), FWhole(whole) {
    if (!FDownload->Block() && ctype >= BASS_CTYPE_STREAM_MP1 && ctype <= BASS_CTYPE_STREAM_MP3)
      FEstimate = EstimateMpegFrames(*FDownload);
    TakeOverWhenEnded();
  }
  ~NetDecoder() override { FDownload->Stop(); }

  uint32_t Rate() const override { return FInner->Rate(); }
  uint32_t Channels() const override { return FInner->Channels(); }
  uint32_t OriginalBits() const override { return FInner->OriginalBits(); }
  uint64_t LengthFrames() const override {
    TakeOverWhenEnded();
    if (FDownload->Block()) return kUnknown;
    return FWhole ? FInner->LengthFrames() : FEstimate;
  }
  size_t Read(float* out, size_t frames) override {
    TakeOverWhenEnded();
    size_t done = 0;
    while (done < frames) {
      const bool ended = FDownload->Ended();
      if (!ended && !Ready()) break;
      const size_t want = ended ? frames - done : std::min(kStepFrames, frames - done);
      const size_t got = FInner->Read(out + done * Channels(), want);
      done += got;
      if (got < want) break;
    }
    FFrame += done;
    FDownload->Reach(FInner->FilePosition());
    if (FInner->TakeLinkChange())
      if (const std::string* comments = FInner->Tags(BASS_TAG_OGG)) FDownload->Announce(*comments);
    return done;
  }
  bool AtEnd() const override { return FInner->AtEnd() && FDownload->Ended(); }
  bool Seek(uint64_t frame) override {
    TakeOverWhenEnded();
    if (!FWhole || !FInner->Seek(frame)) return false;
    FFrame = frame;
    return true;
  }
  uint64_t FilePosition() const override { return FInner->FilePosition(); }
  uint64_t FileSize() const override { return FDownload->Total(); }
  uint64_t FileDownloaded() const override { return FDownload->Downloaded(); }
  const std::string* Tags(uint32_t kind) const override {
    if (kind == BASS_TAG_HTTP || kind == BASS_TAG_ICY || kind == BASS_TAG_META) return FDownload->Tags(kind);
    TakeOverWhenEnded();
    return FInner->Tags(kind);
  }

 private:
  // Whether the decoder may read on while the download goes on. An Ogg
  // decoder pauses by itself at the edge (its source sees to the headers).
  bool Ready() {
    if (FOgg) return true;
    const uint64_t need = FInner->FilePosition() + kReadAhead;
    if (FDownload->Downloaded() >= need) return true;
    FDownload->Want(need);
    return false;
  }

  // Once the download has ended, a decoder of the whole file (of what came,
  // when it ended early) takes over at the same frame: exact length, seeking
  // and the tags at the end. Decoders are used under their channel's lock,
  // so the hand-over may happen in any call, const ones included.
  void TakeOverWhenEnded() const {
    if (FWhole || FDownload->Block() || !FDownload->Ended()) return;
    FWhole = true;
    std::unique_ptr<Decoder> whole;
    uint32_t ctype = 0;
    if (CreateFileDecoder(std::make_unique<DownloadSource>(FDownload), whole, ctype) != BASS_OK) return;
    if (whole->Rate() != FInner->Rate() || whole->Channels() != FInner->Channels()) return;
    // The whole decoder may count a few frames fewer than were decoded
    // already (a cut frame, the end's padding): it then starts at its end.
    const uint64_t at = std::min(FFrame, whole->LengthFrames());
    if (at > 0 && !whole->Seek(at)) return;
    FInner = std::move(whole);
  }

  std::shared_ptr<NetDownload> FDownload;
  mutable std::unique_ptr<Decoder> FInner;
  const bool FOgg;
  mutable bool FWhole;
  uint64_t FEstimate = kUnknown;
  uint64_t FFrame = 0;
};

}  // namespace

int CreateNetDecoder(std::shared_ptr<NetDownload> download, std::unique_ptr<Decoder>& decoder, uint32_t& ctype) {
  auto mode = std::make_shared<DownloadSource::Mode>();
  mode->deadline = SteadyClock::now() + std::chrono::milliseconds(download->TimeoutMs());
  const bool whole = !download->Block() && download->Ended();
  std::unique_ptr<Decoder> inner;
  const int error = CreateFileDecoder(std::make_unique<DownloadSource>(download, mode), inner, ctype);
  mode->opening = false;
  mode->ogg = ctype == BASS_CTYPE_STREAM_OGG;
  if (error != BASS_OK) return mode->timedOut ? BASS_ERROR_TIMEOUT : error;
  decoder = std::make_unique<NetDecoder>(std::move(download), std::move(inner), ctype, whole);
  return BASS_OK;
}

}  // namespace bass_core
