#include "bass/wma/wma_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "bass/bass_api.h"

namespace tavrin_wma {
namespace {

// What the options dialog offers: bit/s for constant rates, and the
// qualities for variable rates, which ffmpeg's encoder (constant rate only)
// turns into the rates below.
constexpr uint32_t kCbrRates[] = {320000, 256000, 192000, 160000, 128000, 96000,
                                  80000,  64000,  48000,  32000,  0};
constexpr uint32_t kVbrQualities[] = {10, 25, 50, 75, 90, 100, 0};
constexpr uint32_t kVbrRates[] = {48000, 64000, 96000, 128000, 192000, 320000};

bool Encodable(uint32_t freq, uint32_t chans) {
  return (chans == 1 || chans == 2) && freq >= 8000 && freq <= 48000;
}

// The stereo bit rate for bitrate (a CBR rate or a VBR quality); 0 when it is
// neither.
uint32_t StereoRate(uint32_t bitrate) {
  for (int i = 0; kVbrQualities[i] != 0; ++i)
    if (kVbrQualities[i] == bitrate) return kVbrRates[i];
  for (int i = 0; kCbrRates[i] != 0; ++i)
    if (kCbrRates[i] == bitrate) return bitrate;
  return 0;
}

std::string Utf8(const std::wstring& wide) {
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(n > 0 ? n : 1, '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), n, nullptr, nullptr);
  text.resize(strlen(text.c_str()));
  return text;
}

}  // namespace

struct WmaEncoder::State {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  std::wstring file;
  uint32_t flags = 0;
  int channels = 0;
  std::vector<float> pending;  // interleaved samples not yet in a frame
  int64_t pts = 0;
  bool failed = false;
  bool closed = false;

  ~State() {
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    if (format != nullptr) {
      if (format->pb != nullptr) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }
};

const uint32_t* WmaEncoder::Rates(uint32_t freq, uint32_t chans, bool vbr) {
  if (!Encodable(freq, chans)) return nullptr;
  return vbr ? kVbrQualities : kCbrRates;
}

int WmaEncoder::OpenFile(uint32_t freq, uint32_t chans, uint32_t flags, uint32_t bitrate,
                         const std::wstring& file, std::unique_ptr<WmaEncoder>& encoder) {
  if (!Encodable(freq, chans)) return BASS_ERROR_FORMAT;
  uint32_t rate = StereoRate(bitrate);
  if (rate == 0) return BASS_ERROR_NOTAVAIL;
  // A mono stream needs half the bits for the same quality; the encoder
  // refuses much below 32 kbit/s.
  if (chans == 1 && bitrate <= 100) rate = std::max<uint32_t>(32000, rate / 2);

  auto s = std::make_unique<State>();
  s->file = file;
  s->flags = flags;
  s->channels = static_cast<int>(chans);
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
  if (codec == nullptr) return BASS_ERROR_NOTAVAIL;
  s->codec = avcodec_alloc_context3(codec);
  s->frame = av_frame_alloc();
  s->packet = av_packet_alloc();
  if (s->codec == nullptr || s->frame == nullptr || s->packet == nullptr) return BASS_ERROR_MEM;
  s->codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
  s->codec->sample_rate = static_cast<int>(freq);
  av_channel_layout_default(&s->codec->ch_layout, s->channels);
  s->codec->bit_rate = rate;
  s->codec->time_base = AVRational{1, static_cast<int>(freq)};

  // Everything that can refuse the format is asked before the file exists.
  if (avformat_alloc_output_context2(&s->format, nullptr, "asf", nullptr) < 0 || s->format == nullptr)
    return BASS_ERROR_MEM;
  if (s->format->oformat->flags & AVFMT_GLOBALHEADER) s->codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(s->codec, codec, nullptr) < 0) return BASS_ERROR_NOTAVAIL;
  s->stream = avformat_new_stream(s->format, nullptr);
  if (s->stream == nullptr) return BASS_ERROR_MEM;
  s->stream->time_base = s->codec->time_base;
  if (avcodec_parameters_from_context(s->stream->codecpar, s->codec) < 0) return BASS_ERROR_MEM;

  s->frame->format = AV_SAMPLE_FMT_FLTP;
  s->frame->sample_rate = s->codec->sample_rate;
  s->frame->nb_samples = s->codec->frame_size;
  if (av_channel_layout_copy(&s->frame->ch_layout, &s->codec->ch_layout) < 0 ||
      av_frame_get_buffer(s->frame, 0) < 0)
    return BASS_ERROR_MEM;

  if (avio_open(&s->format->pb, Utf8(file).c_str(), AVIO_FLAG_WRITE) < 0) return BASS_ERROR_CREATE;
  if (avformat_write_header(s->format, nullptr) < 0) {
    avio_closep(&s->format->pb);
    DeleteFileW(file.c_str());
    return BASS_ERROR_CREATE;
  }
  encoder.reset(new WmaEncoder(std::move(s)));
  return BASS_OK;
}

WmaEncoder::WmaEncoder(std::unique_ptr<State> state) : FState(std::move(state)) {}

WmaEncoder::~WmaEncoder() {
  if (!FState->closed) Close();
}

bool WmaEncoder::Write(const void* buffer, uint32_t length) {
  State& s = *FState;
  if (s.failed || s.closed) return false;
  if (s.flags & BASS_SAMPLE_FLOAT) {
    const auto* in = static_cast<const float*>(buffer);
    s.pending.insert(s.pending.end(), in, in + length / 4);
  } else if (s.flags & BASS_SAMPLE_8BITS) {
    const auto* in = static_cast<const uint8_t*>(buffer);
    for (uint32_t i = 0; i < length; ++i) s.pending.push_back((in[i] - 128) / 128.0f);
  } else {
    const auto* in = static_cast<const uint8_t*>(buffer);
    for (uint32_t i = 0; i + 1 < length; i += 2)
      s.pending.push_back(static_cast<int16_t>(in[i] | in[i + 1] << 8) / 32768.0f);
  }
  if (!EncodeFrames(false)) s.failed = true;
  return !s.failed;
}

// Hands every whole frame of pending samples (with flush, also the rest) to
// the encoder and writes the packets it gives back.
bool WmaEncoder::EncodeFrames(bool flush) {
  State& s = *FState;
  const size_t frameSize = static_cast<size_t>(s.codec->frame_size);
  size_t done = 0;
  while (s.pending.size() - done >= frameSize * s.channels ||
         (flush && s.pending.size() - done >= static_cast<size_t>(s.channels))) {
    const size_t frames = std::min(frameSize, (s.pending.size() - done) / s.channels);
    if (av_frame_make_writable(s.frame) < 0) return false;
    s.frame->nb_samples = static_cast<int>(frames);
    for (int c = 0; c < s.channels; ++c) {
      auto* plane = reinterpret_cast<float*>(s.frame->data[c]);
      for (size_t i = 0; i < frames; ++i) plane[i] = s.pending[done + i * s.channels + c];
    }
    done += frames * s.channels;
    s.frame->pts = s.pts;
    s.pts += static_cast<int64_t>(frames);
    if (avcodec_send_frame(s.codec, s.frame) < 0 || !Drain()) return false;
  }
  s.pending.erase(s.pending.begin(), s.pending.begin() + static_cast<ptrdiff_t>(done));
  return true;
}

bool WmaEncoder::Drain() {
  State& s = *FState;
  for (;;) {
    int got = avcodec_receive_packet(s.codec, s.packet);
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
    if (got < 0) return false;
    av_packet_rescale_ts(s.packet, s.codec->time_base, s.stream->time_base);
    s.packet->stream_index = s.stream->index;
    if (av_interleaved_write_frame(s.format, s.packet) < 0) return false;
  }
}

bool WmaEncoder::Close() {
  State& s = *FState;
  if (s.closed) return !s.failed;
  s.closed = true;
  bool ok = !s.failed && EncodeFrames(true) && avcodec_send_frame(s.codec, nullptr) >= 0 && Drain();
  ok = av_write_trailer(s.format) >= 0 && ok;
  ok = avio_closep(&s.format->pb) >= 0 && ok;
  s.failed = !ok;
  return ok;
}

}  // namespace tavrin_wma
