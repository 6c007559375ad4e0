#include "bass/wma/asf_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "bass/bass_api.h"

namespace tavrin_wma {

namespace {

constexpr int kIoBufferBytes = 1 << 16;
// Packets that fail to decode in a row before the stream is taken as ended:
// a damaged file plays what is valid without spinning on the rest.
constexpr int kMaxErrorsInARow = 64;

constexpr uint8_t kAsfHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                        0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

// ffmpeg's names of the ASF attributes it maps, back to the names the
// attributes have in the file.
constexpr struct {
  const char* key;
  const char* name;
} kAttributeNames[] = {{"title", "Title"},       {"artist", "Author"},
                       {"copyright", "Copyright"}, {"comment", "Description"},
                       {"album", "WM/AlbumTitle"}, {"genre", "WM/Genre"},
                       {"date", "WM/Year"},       {"track", "WM/TrackNumber"}};

std::string AnsiFromUtf8(const char* utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (n <= 1) return std::string();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), n);
  int m = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (m <= 1) return std::string();
  std::string ansi(static_cast<size_t>(m), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi.data(), m, nullptr, nullptr);
  ansi.resize(static_cast<size_t>(m - 1));
  return ansi;
}

}  // namespace

struct AsfDecoder::State {
  std::unique_ptr<bass_core::ByteSource> source;
  uint64_t position = 0;  // of the reader in the source
  AVIOContext* io = nullptr;
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int stream = -1;
  std::vector<float> pending;  // decoded frames not yet handed out
  size_t pendingAt = 0;        // in samples
  uint64_t delivered = 0;      // the next frame handed out
  uint64_t skipTo = 0;         // after a seek: decoded frames before it are dropped
  bool flushed = false, ended = false;

  ~State() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    if (io) av_freep(&io->buffer);
    avio_context_free(&io);
  }

  static int ReadPacket(void* opaque, uint8_t* buffer, int size) {
    auto* s = static_cast<State*>(opaque);
    size_t n = s->source->ReadAt(s->position, buffer, static_cast<size_t>(std::max(size, 0)));
    s->position += n;
    return n == 0 ? AVERROR_EOF : static_cast<int>(n);
  }

  static int64_t SeekBytes(void* opaque, int64_t offset, int whence) {
    auto* s = static_cast<State*>(opaque);
    const int64_t size = static_cast<int64_t>(s->source->Size());
    if (whence & AVSEEK_SIZE) return size;
    whence &= ~AVSEEK_FORCE;
    int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<int64_t>(s->position) : size;
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return AVERROR(EINVAL);
    if (base + offset < 0) return AVERROR(EINVAL);
    s->position = static_cast<uint64_t>(base + offset);
    return base + offset;
  }
};

bool LooksLikeAsf(bass_core::ByteSource& source) {
  uint8_t guid[16];
  return source.ReadAt(0, guid, 16) == 16 && std::memcmp(guid, kAsfHeaderGuid, 16) == 0;
}

int AsfDecoder::Open(std::unique_ptr<bass_core::ByteSource> source, std::unique_ptr<AsfDecoder>& decoder) {
  if (!source || !LooksLikeAsf(*source)) return BASS_ERROR_FILEFORM;
  static std::once_flag quiet;
  std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
  auto s = std::make_unique<State>();
  s->source = std::move(source);
  auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferBytes));
  if (!buffer) return BASS_ERROR_MEM;
  s->io = avio_alloc_context(buffer, kIoBufferBytes, 0, s.get(), State::ReadPacket, nullptr, State::SeekBytes);
  if (!s->io) {
    av_free(buffer);
    return BASS_ERROR_MEM;
  }
  s->format = avformat_alloc_context();
  if (!s->format) return BASS_ERROR_MEM;
  s->format->pb = s->io;
  s->format->flags |= AVFMT_FLAG_CUSTOM_IO;
  // On failure ffmpeg frees the context and clears the pointer.
  if (avformat_open_input(&s->format, nullptr, av_find_input_format("asf"), nullptr) < 0)
    return BASS_ERROR_FILEFORM;
  if (avformat_find_stream_info(s->format, nullptr) < 0) return BASS_ERROR_FILEFORM;
  const AVCodec* codec = nullptr;
  s->stream = av_find_best_stream(s->format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (s->stream < 0 || !codec) return BASS_ERROR_FILEFORM;
  AVStream* stream = s->format->streams[s->stream];
  s->codec = avcodec_alloc_context3(codec);
  if (!s->codec || avcodec_parameters_to_context(s->codec, stream->codecpar) < 0 ||
      avcodec_open2(s->codec, codec, nullptr) < 0)
    return BASS_ERROR_FILEFORM;
  s->packet = av_packet_alloc();
  s->frame = av_frame_alloc();
  if (!s->packet || !s->frame) return BASS_ERROR_MEM;
  const int rate = s->codec->sample_rate, channels = s->codec->ch_layout.nb_channels;
  if (rate <= 0 || channels < 1 || channels > 32) return BASS_ERROR_FILEFORM;

  decoder.reset(new AsfDecoder(std::move(s)));
  decoder->rate_ = static_cast<uint32_t>(rate);
  decoder->channels_ = static_cast<uint32_t>(channels);
  double seconds = -1;
  if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
    seconds = static_cast<double>(stream->duration) * av_q2d(stream->time_base);
  else if (decoder->state_->format->duration > 0)
    seconds = static_cast<double>(decoder->state_->format->duration) / AV_TIME_BASE;
  if (seconds >= 0) decoder->length_ = static_cast<uint64_t>(std::llround(seconds * rate));
  decoder->BuildTags();
  return BASS_OK;
}

AsfDecoder::AsfDecoder(std::unique_ptr<State> state) : state_(std::move(state)) {}

AsfDecoder::~AsfDecoder() = default;

uint64_t AsfDecoder::FileSize() const { return state_->source->Size(); }

uint64_t AsfDecoder::FilePosition() const { return state_->position; }

void AsfDecoder::BuildTags() {
  State& s = *state_;
  auto add = [&](const std::string& name, const std::string& value) {
    tags_ += name + " : " + value;
    tags_.push_back('\0');
  };
  AVStream* stream = s.format->streams[s.stream];
  int64_t bitRate = stream->codecpar->bit_rate > 0 ? stream->codecpar->bit_rate : s.format->bit_rate;
  std::string title;
  if (const AVDictionaryEntry* e = av_dict_get(s.format->metadata, "title", nullptr, 0)) title = AnsiFromUtf8(e->value);
  add("FileSize", std::to_string(s.source->Size()));
  add("Bitrate", std::to_string(std::max<int64_t>(bitRate, 0)));
  add("Title", title);
  const AVDictionaryEntry* e = nullptr;
  while ((e = av_dict_get(s.format->metadata, "", e, AV_DICT_IGNORE_SUFFIX))) {
    if (std::strcmp(e->key, "title") == 0) continue;
    std::string name = e->key;
    for (const auto& known : kAttributeNames)
      if (name == known.key) name = known.name;
    add(AnsiFromUtf8(name.c_str()), AnsiFromUtf8(e->value));
  }
  tags_.push_back('\0');
}

bool AsfDecoder::DecodeMore() {
  State& s = *state_;
  int errors = 0;
  while (!s.ended) {
    int rc = avcodec_receive_frame(s.codec, s.frame);
    if (rc == 0) break;
    if (rc == AVERROR_EOF) {
      s.ended = true;
      return false;
    }
    if (rc != AVERROR(EAGAIN) && ++errors >= kMaxErrorsInARow) {
      s.ended = true;
      return false;
    }
    if (s.flushed) {
      // After the flush the decoder has nothing more to give.
      if (rc == AVERROR(EAGAIN)) s.ended = true;
      continue;
    }
    rc = av_read_frame(s.format, s.packet);
    if (rc < 0) {
      avcodec_send_packet(s.codec, nullptr);
      s.flushed = true;
      continue;
    }
    if (s.packet->stream_index == s.stream) {
      if (avcodec_send_packet(s.codec, s.packet) < 0 && ++errors >= kMaxErrorsInARow) s.ended = true;
    }
    av_packet_unref(s.packet);
  }
  if (s.ended) return false;

  AVFrame* f = s.frame;
  const int n = f->nb_samples;
  const uint32_t channels = std::min<uint32_t>(channels_, static_cast<uint32_t>(f->ch_layout.nb_channels));
  s.pending.assign(static_cast<size_t>(n) * channels_, 0.0f);
  s.pendingAt = 0;
  const auto format = static_cast<AVSampleFormat>(f->format);
  const bool planar = av_sample_fmt_is_planar(format);
  for (int i = 0; i < n; ++i) {
    for (uint32_t c = 0; c < channels; ++c) {
      const uint8_t* plane = f->extended_data[planar ? c : 0];
      const size_t at = planar ? static_cast<size_t>(i) : static_cast<size_t>(i) * f->ch_layout.nb_channels + c;
      float v = 0;
      switch (av_get_packed_sample_fmt(format)) {
        case AV_SAMPLE_FMT_FLT: v = reinterpret_cast<const float*>(plane)[at]; break;
        case AV_SAMPLE_FMT_DBL: v = static_cast<float>(reinterpret_cast<const double*>(plane)[at]); break;
        case AV_SAMPLE_FMT_S16: v = reinterpret_cast<const int16_t*>(plane)[at] / 32768.0f; break;
        case AV_SAMPLE_FMT_S32: v = static_cast<float>(reinterpret_cast<const int32_t*>(plane)[at] / 2147483648.0); break;
        case AV_SAMPLE_FMT_U8: v = (plane[at] - 128) / 128.0f; break;
        default: break;
      }
      s.pending[static_cast<size_t>(i) * channels_ + c] = v;
    }
  }
  // After a seek, frames before the target are dropped by their timestamps.
  if (s.skipTo > 0 && f->best_effort_timestamp != AV_NOPTS_VALUE) {
    const AVStream* stream = s.format->streams[s.stream];
    const double start = static_cast<double>(f->best_effort_timestamp) * av_q2d(stream->time_base) * rate_;
    const double drop = static_cast<double>(s.skipTo) - std::max(start, 0.0);
    if (drop > 0) s.pendingAt = std::min(s.pending.size(), static_cast<size_t>(std::llround(drop)) * channels_);
  }
  s.skipTo = 0;
  return true;
}

size_t AsfDecoder::Read(float* out, size_t frames) {
  State& s = *state_;
  if (length_ != kUnknown) frames = static_cast<size_t>(std::min<uint64_t>(frames, length_ - std::min(s.delivered, length_)));
  size_t done = 0;
  while (done < frames) {
    if (s.pendingAt >= s.pending.size() && !DecodeMore()) break;
    const size_t n = std::min(frames - done, (s.pending.size() - s.pendingAt) / channels_);
    std::memcpy(out + done * channels_, s.pending.data() + s.pendingAt, n * channels_ * sizeof(float));
    s.pendingAt += n * channels_;
    done += n;
  }
  s.delivered += done;
  return done;
}

bool AsfDecoder::Seek(uint64_t frame) {
  State& s = *state_;
  if (length_ != kUnknown && frame > length_) return false;
  const AVStream* stream = s.format->streams[s.stream];
  const int64_t ts = static_cast<int64_t>(static_cast<double>(frame) / rate_ / av_q2d(stream->time_base));
  if (av_seek_frame(s.format, s.stream, ts, AVSEEK_FLAG_BACKWARD) < 0 &&
      avformat_seek_file(s.format, s.stream, INT64_MIN, ts, ts, 0) < 0)
    return false;
  avcodec_flush_buffers(s.codec);
  s.pending.clear();
  s.pendingAt = 0;
  s.delivered = frame;
  s.skipTo = frame;
  s.flushed = s.ended = false;
  return true;
}

}  // namespace tavrin_wma
