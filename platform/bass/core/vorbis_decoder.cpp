#include "bass/core/vorbis_decoder.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string_view>
#include <utility>

#include "bass/bass_api.h"

namespace bass_core {

namespace {

// vorbisfile reports a hole (a lost or broken page) as a negative read and
// goes on after it; this many in a row means nothing more will decode.
constexpr int kMaxErrorsInARow = 32;
// Comment blocks kept after their link ended: pointers handed out stay valid
// a while.
constexpr size_t kTagBlocksKept = 8;
// No link's header pages run longer than this (a cover picture among the
// comments included).
constexpr uint64_t kMaxHeaderBytes = uint64_t{16} << 20;
constexpr size_t kPageHeaderBytes = 27;

struct OggPage {
  uint64_t size = 0;  // header, segment table and body
  bool linkStart = false;
  int64_t granule = 0;  // -1 on a page where no packet ends
};

enum class PageRead { kPage, kCut, kNotAPage };

// The page at `at`; kCut when its header has not all come (need: how far the
// source must reach to tell).
PageRead ReadOggPage(ByteSource& source, uint64_t at, OggPage& page, uint64_t& need) {
  uint8_t h[kPageHeaderBytes + 255];
  need = at + kPageHeaderBytes;
  if (source.ReadAt(at, h, kPageHeaderBytes) < kPageHeaderBytes) return PageRead::kCut;
  if (std::memcmp(h, "OggS", 4) != 0) return PageRead::kNotAPage;
  const size_t segments = h[26];
  need += segments;
  if (source.ReadAt(at + kPageHeaderBytes, h + kPageHeaderBytes, segments) < segments) return PageRead::kCut;
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | h[6 + i];
  page.granule = static_cast<int64_t>(bits);
  page.linkStart = (h[5] & 2) != 0;
  page.size = kPageHeaderBytes + segments;
  for (size_t i = 0; i < segments; ++i) page.size += h[kPageHeaderBytes + i];
  need = at + page.size;
  return PageRead::kPage;
}

struct Reader {
  ByteSource* source;
  uint64_t position = 0;
};

size_t ReadBytes(void* buffer, size_t size, size_t count, void* handle) {
  auto* r = static_cast<Reader*>(handle);
  if (size == 0) return 0;
  size_t n = r->source->ReadAt(r->position, buffer, size * count);
  r->position += n;
  return n / size;
}

int SeekBytes(void* handle, ogg_int64_t offset, int whence) {
  auto* r = static_cast<Reader*>(handle);
  int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<int64_t>(r->position)
                                                             : static_cast<int64_t>(r->source->Size());
  if (base + offset < 0) return -1;
  r->position = static_cast<uint64_t>(base + offset);
  return 0;
}

long TellBytes(void* handle) { return static_cast<long>(static_cast<Reader*>(handle)->position); }

class VorbisDecoder final : public Decoder {
 public:
  explicit VorbisDecoder(std::unique_ptr<ByteSource> source) : source_(std::move(source)), reader_{source_.get()} {}
  ~VorbisDecoder() override {
    if (open_) ov_clear(&file_);
  }

  bool Open() {
    // A source of unknown size (a download still arriving) is read as a
    // stream: vorbisfile would otherwise look for the last page at its end.
    const bool seekable = source_->Size() != kUnknown;
    const ov_callbacks callbacks{ReadBytes, seekable ? SeekBytes : nullptr, nullptr, TellBytes};
    if (ov_open_callbacks(&reader_, &file_, nullptr, 0, callbacks) != 0) return false;
    open_ = true;
    const vorbis_info* info = ov_info(&file_, -1);
    if (!info || info->rate <= 0 || info->channels < 1) return false;
    rate_ = static_cast<uint32_t>(info->rate);
    channels_ = static_cast<uint32_t>(info->channels);
    ogg_int64_t total = ov_pcm_total(&file_, -1);
    if (total >= 0) length_ = static_cast<uint64_t>(total);
    TakeComments(0);
    return true;
  }

  uint32_t Rate() const override { return rate_; }
  uint32_t Channels() const override { return channels_; }
  uint32_t OriginalBits() const override { return 0; }
  uint64_t LengthFrames() const override { return length_; }
  bool AtEnd() const override { return ended_; }
  uint64_t FilePosition() const override {
    ogg_int64_t at = ov_raw_tell(const_cast<OggVorbis_File*>(&file_));
    return at >= 0 ? static_cast<uint64_t>(at) : reader_.position;
  }
  uint64_t FileSize() const override { return source_->Size(); }
  const std::string* Tags(uint32_t kind) const override {
    return kind == BASS_TAG_OGG && !comments_.empty() && !comments_.back().empty() ? &comments_.back() : nullptr;
  }
  bool TakeLinkChange() override { return std::exchange(linkChanged_, false); }

  size_t Read(float* out, size_t frames) override {
    size_t done = 0;
    int errors = 0;
    while (done < frames && !ended_) {
      float** pcm = nullptr;
      int section = 0;
      long got = ov_read_float(&file_, &pcm, static_cast<int>(std::min<size_t>(frames - done, 4096)), &section);
      if (got == 0) {
        // vorbisfile keeps a page cut short and goes on with it once the
        // rest has come.
        if (source_->Growing()) break;
        ended_ = true;
      } else if (got < 0) {
        if (++errors >= kMaxErrorsInARow) ended_ = true;
      } else {
        const vorbis_info* info = ov_info(&file_, section);
        if (!info || static_cast<uint32_t>(info->channels) != channels_ ||
            static_cast<uint32_t>(info->rate) != rate_) {
          ended_ = true;
          break;
        }
        errors = 0;
        if (section != link_) {
          link_ = section;
          TakeComments(section);
          linkChanged_ = !seeked_;
        }
        seeked_ = false;
        float* o = out + done * channels_;
        if (channels_ == 2) {
          const float *left = pcm[0], *right = pcm[1];
          for (long i = 0; i < got; ++i) {
            o[2 * i] = left[i];
            o[2 * i + 1] = right[i];
          }
        } else {
          for (uint32_t c = 0; c < channels_; ++c)
            for (long i = 0; i < got; ++i) o[i * channels_ + c] = pcm[c][i];
        }
        done += static_cast<size_t>(got);
      }
    }
    return done;
  }

  bool Seek(uint64_t frame) override {
    if (length_ != kUnknown && frame > length_) return false;
    if (ov_pcm_seek(&file_, static_cast<ogg_int64_t>(frame)) != 0) return false;
    ended_ = false;
    seeked_ = true;
    return true;
  }

 private:
  void TakeComments(int link) {
    std::string block;
    if (const vorbis_comment* vc = ov_comment(&file_, link); vc && vc->comments > 0) {
      for (int i = 0; i < vc->comments; ++i) {
        if (!vc->user_comments[i] || vc->comment_lengths[i] <= 0) continue;
        // A comment holding a zero byte would cut the list short: keep what
        // comes before it.
        block.append(vc->user_comments[i], strnlen(vc->user_comments[i], vc->comment_lengths[i]));
        block.push_back('\0');
      }
      if (!block.empty()) block.push_back('\0');
    }
    comments_.push_back(std::move(block));
    if (comments_.size() > kTagBlocksKept) comments_.pop_front();
  }

  std::unique_ptr<ByteSource> source_;
  Reader reader_;
  OggVorbis_File file_{};
  bool open_ = false;
  uint32_t rate_ = 0, channels_ = 0;
  uint64_t length_ = kUnknown;
  bool ended_ = false;
  int link_ = 0;             // of the samples read last
  bool linkChanged_ = false;
  bool seeked_ = false;      // a link reached by a seek is no change
  std::deque<std::string> comments_;  // the current link's last
};

}  // namespace

uint64_t OggPageWalk::SafeEnd(ByteSource& source, uint64_t available, uint64_t& need) {
  need = available;
  while (FNext < available) {
    OggPage page;
    uint64_t pageNeed = 0;
    const PageRead read = ReadOggPage(source, FNext, page, pageNeed);
    if (read == PageRead::kCut) {
      // Bytes that came but are gone (a block stream keeps only a window):
      // the walk picks up the pages again from the edge.
      if (pageNeed <= available) FNext = available;
      return available;  // a page cut short by the edge is a pause
    }
    if (read == PageRead::kNotAPage) {
      // Damage: vorbisfile skips to the next page by itself, and so does the walk.
      char block[4096];
      const size_t n = source.ReadAt(FNext + 1, block, sizeof(block));
      const size_t found = std::string_view(block, n).find("OggS");
      FNext += 1 + (found != std::string_view::npos ? found : n >= 3 ? n - 3 : 0);
      if (found == std::string_view::npos && n < 4) return available;
      continue;
    }
    if (!page.linkStart) {
      if (pageNeed > available) return available;
      FNext = pageNeed;
      continue;
    }
    // A new link: its header pages run up to its first page of audio.
    uint64_t at = FNext;
    for (;;) {
      if (at - FNext > kMaxHeaderBytes) {
        FNext = at;  // more header than any real link has: let vorbisfile judge it
        break;
      }
      OggPage next;
      const PageRead r = ReadOggPage(source, at, next, pageNeed);
      if (r == PageRead::kNotAPage || (r == PageRead::kPage && at != FNext && next.granule > 0)) {
        FNext = at;
        break;
      }
      if (r == PageRead::kCut || pageNeed > available) {
        need = std::max(pageNeed, available + 1);
        return FNext;
      }
      at = pageNeed;
    }
  }
  return available;
}

bool LooksLikeOgg(ByteSource& source) {
  char magic[4];
  return source.ReadAt(0, magic, 4) == 4 && std::memcmp(magic, "OggS", 4) == 0;
}

std::unique_ptr<Decoder> CreateVorbisDecoder(std::unique_ptr<ByteSource> source) {
  if (!source) return nullptr;
  auto decoder = std::make_unique<VorbisDecoder>(std::move(source));
  if (!decoder->Open()) return nullptr;
  return decoder;
}

}  // namespace bass_core
