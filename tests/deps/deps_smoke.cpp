// Makes every cross-built codec library do real work once: a second of sine
// goes through each encoder and back through the matching decoder, and a tiny
// generated module is rendered by libopenmpt. A library that links but is
// built wrong (missing ffmpeg component, libopenmpt without mpg123/vorbis,
// broken gapless info, a runtime that fails under Wine) fails here, before
// any player code is involved.
//
// Plain main() on purpose: this must run even when nothing else of the
// project builds. Exit code 0 means every check passed.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <string_view>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}
#include <lame/lame.h>
#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>
#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

namespace {

constexpr int kRate = 44100;
constexpr int kFrames = kRate;  // one second, stereo
constexpr double kAmplitude = 0.5;
const double kSineRms = kAmplitude / std::sqrt(2.0);

int failures = 0;

bool check(bool ok, const std::string& what) {
  if (!ok) {
    std::fprintf(stderr, "FAIL: %s\n", what.c_str());
    ++failures;
  }
  return ok;
}

// 440 Hz on both channels, interleaved.
std::vector<float> sine_float() {
  std::vector<float> s(2 * kFrames);
  for (int i = 0; i < kFrames; ++i) {
    const float v = static_cast<float>(kAmplitude * std::sin(2 * std::numbers::pi * 440.0 * i / kRate));
    s[2 * i] = s[2 * i + 1] = v;
  }
  return s;
}

std::vector<int16_t> sine_s16() {
  std::vector<int16_t> s;
  for (float v : sine_float()) s.push_back(static_cast<int16_t>(std::lround(v * 32767.0f)));
  return s;
}

// Lossy codecs keep the level of a plain sine within a few percent; silence,
// noise or a wrong sample format are far off.
bool rms_close(double sum_sq, long samples, const char* what) {
  const double rms = samples > 0 ? std::sqrt(sum_sq / samples) : 0.0;
  return check(std::fabs(rms - kSineRms) < 0.1 * kSineRms,
               std::string(what) + ": decoded RMS " + std::to_string(rms) + ", expected about " +
                   std::to_string(kSineRms));
}

struct MemoryFile {
  std::string data;
  size_t pos = 0;
};

// --- MP3: lame encodes, mpg123 decodes, gapless info must trim exactly. ---

std::string encode_mp3() {
  lame_global_flags* lame = lame_init();
  if (!check(lame != nullptr, "lame_init")) return {};
  lame_set_in_samplerate(lame, kRate);
  lame_set_num_channels(lame, 2);
  lame_set_brate(lame, 128);
  lame_set_quality(lame, 5);
  std::string out;
  if (check(lame_init_params(lame) == 0, "lame_init_params")) {
    std::vector<int16_t> pcm = sine_s16();
    std::vector<int16_t> left(kFrames), right(kFrames);
    for (int i = 0; i < kFrames; ++i) {
      left[i] = pcm[2 * i];
      right[i] = pcm[2 * i + 1];
    }
    std::vector<unsigned char> buf(kFrames + kFrames / 4 + 7200);
    int n = lame_encode_buffer(lame, left.data(), right.data(), kFrames, buf.data(),
                               static_cast<int>(buf.size()));
    check(n >= 0, "lame_encode_buffer");
    if (n > 0) out.append(reinterpret_cast<char*>(buf.data()), n);
    n = lame_encode_flush(lame, buf.data(), static_cast<int>(buf.size()));
    check(n >= 0, "lame_encode_flush");
    if (n > 0) out.append(reinterpret_cast<char*>(buf.data()), n);
    // The first frame is a placeholder for the LAME tag that carries encoder
    // delay and padding; a file writer seeks back and fills it in.
    size_t tag = lame_get_lametag_frame(lame, buf.data(), buf.size());
    if (check(tag > 0 && tag <= out.size(), "lame_get_lametag_frame"))
      std::memcpy(out.data(), buf.data(), tag);
  }
  lame_close(lame);
  return out;
}

mpg123_ssize_t mem_read(void* handle, void* buf, size_t count) {
  auto* f = static_cast<MemoryFile*>(handle);
  const size_t n = std::min(count, f->data.size() - f->pos);
  std::memcpy(buf, f->data.data() + f->pos, n);
  f->pos += n;
  return static_cast<mpg123_ssize_t>(n);
}

off_t mem_seek(void* handle, off_t offset, int whence) {
  auto* f = static_cast<MemoryFile*>(handle);
  const long long base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? f->pos : f->data.size();
  const long long target = base + offset;
  if (target < 0 || target > static_cast<long long>(f->data.size())) return -1;
  f->pos = static_cast<size_t>(target);
  return static_cast<off_t>(target);
}

void test_mp3() {
  const std::string mp3 = encode_mp3();
  if (!check(mp3.size() > 10000, "lame produced " + std::to_string(mp3.size()) + " bytes"))
    return;

  if (!check(mpg123_init() == MPG123_OK, "mpg123_init")) return;
  int err = MPG123_OK;
  mpg123_handle* mh = mpg123_new(nullptr, &err);
  if (!check(mh != nullptr, "mpg123_new")) return;
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_FORCE_FLOAT, 0.0);
  MemoryFile file{mp3};
  long rate = 0;
  int channels = 0, encoding = 0;
  if (check(mpg123_replace_reader_handle(mh, mem_read, mem_seek, nullptr) == MPG123_OK,
            "mpg123_replace_reader_handle") &&
      check(mpg123_open_handle(mh, &file) == MPG123_OK, "mpg123_open_handle") &&
      check(mpg123_getformat(mh, &rate, &channels, &encoding) == MPG123_OK, "mpg123_getformat")) {
    check(rate == kRate && channels == 2 && encoding == MPG123_ENC_FLOAT_32,
          "mpg123 format " + std::to_string(rate) + " Hz, " + std::to_string(channels) + " ch");
    std::vector<float> buf(4096);
    long frames = 0;
    double sum_sq = 0;
    int rc;
    do {
      size_t done = 0;
      rc = mpg123_read(mh, buf.data(), buf.size() * sizeof(float), &done);
      const size_t n = done / sizeof(float);
      for (size_t i = 0; i < n; ++i) sum_sq += double(buf[i]) * buf[i];
      frames += static_cast<long>(n / 2);
    } while (rc == MPG123_OK || rc == MPG123_NEW_FORMAT);
    check(rc == MPG123_DONE, std::string("mpg123_read ended with ") + mpg123_plain_strerror(rc));
    check(frames == kFrames, "mpg123 decoded " + std::to_string(frames) + " frames, expected " +
                                 std::to_string(kFrames) + " (gapless trimming)");
    rms_close(sum_sq, 2 * frames, "mp3");
    mpg123_close(mh);
  }
  mpg123_delete(mh);
}

// --- Vorbis: vorbisenc + ogg write a stream, vorbisfile reads it back. ---

std::string encode_vorbis() {
  vorbis_info vi;
  vorbis_info_init(&vi);
  std::string out;
  if (!check(vorbis_encode_init_vbr(&vi, 2, kRate, 0.4f) == 0, "vorbis_encode_init_vbr")) {
    vorbis_info_clear(&vi);
    return out;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_comment_add_tag(&vc, "TITLE", "sine");
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  check(ogg_stream_init(&os, 1) == 0, "ogg_stream_init");

  ogg_page page;
  auto append = [&] { out.append(reinterpret_cast<char*>(page.header), page.header_len)
                          .append(reinterpret_cast<char*>(page.body), page.body_len); };
  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  while (ogg_stream_flush(&os, &page) != 0) append();

  auto pump = [&] {
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet) == 1) {
        ogg_stream_packetin(&os, &packet);
        while (ogg_stream_pageout(&os, &page) != 0) append();
      }
    }
  };
  const std::vector<float> pcm = sine_float();
  for (int offset = 0; offset < kFrames; offset += 1024) {
    const int n = std::min(1024, kFrames - offset);
    float** in = vorbis_analysis_buffer(&vd, n);
    for (int i = 0; i < n; ++i) {
      in[0][i] = pcm[2 * (offset + i)];
      in[1][i] = pcm[2 * (offset + i) + 1];
    }
    vorbis_analysis_wrote(&vd, n);
    pump();
  }
  vorbis_analysis_wrote(&vd, 0);  // end of stream: sets the last granule position
  pump();
  while (ogg_stream_flush(&os, &page) != 0) append();

  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

size_t ov_mem_read(void* ptr, size_t size, size_t nmemb, void* source) {
  return static_cast<size_t>(mem_read(source, ptr, size * nmemb)) / (size ? size : 1);
}
int ov_mem_seek(void* source, ogg_int64_t offset, int whence) {
  return mem_seek(source, static_cast<off_t>(offset), whence) < 0 ? -1 : 0;
}
long ov_mem_tell(void* source) { return static_cast<long>(static_cast<MemoryFile*>(source)->pos); }

void test_vorbis() {
  const std::string ogg = encode_vorbis();
  if (!check(ogg.size() > 1000, "vorbis produced " + std::to_string(ogg.size()) + " bytes"))
    return;
  MemoryFile file{ogg};
  OggVorbis_File vf;
  const ov_callbacks callbacks{ov_mem_read, ov_mem_seek, nullptr, ov_mem_tell};
  if (!check(ov_open_callbacks(&file, &vf, nullptr, 0, callbacks) == 0, "ov_open_callbacks"))
    return;
  const vorbis_info* vi = ov_info(&vf, -1);
  check(vi && vi->channels == 2 && vi->rate == kRate, "vorbisfile format");
  check(ov_pcm_total(&vf, -1) == kFrames,
        "ov_pcm_total " + std::to_string(ov_pcm_total(&vf, -1)));
  long frames = 0;
  double sum_sq = 0;
  int section = 0;
  for (;;) {
    float** pcm = nullptr;
    const long n = ov_read_float(&vf, &pcm, 4096, &section);
    if (n <= 0) {
      check(n == 0, "ov_read_float error " + std::to_string(n));
      break;
    }
    for (long i = 0; i < n; ++i) sum_sq += double(pcm[0][i]) * pcm[0][i] + double(pcm[1][i]) * pcm[1][i];
    frames += n;
  }
  check(frames == kFrames, "vorbisfile decoded " + std::to_string(frames) + " frames");
  rms_close(sum_sq, 2 * frames, "vorbis");
  ov_clear(&vf);
}

// --- libopenmpt: features and one rendered module. ---

bool has_token(std::string_view list, std::string_view token, char sep) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(sep, start);
    if (end == std::string_view::npos) end = list.size();
    if (list.substr(start, end - start) == token) return true;
    start = end + 1;
  }
  return false;
}

// A four-channel ProTracker module: one looped square-wave sample played once
// at C-3 on the first row of the only pattern.
std::string tiny_mod() {
  std::string mod(20 + 31 * 30 + 2 + 128 + 4 + 1024, '\0');
  std::memcpy(mod.data(), "deps smoke", 10);
  unsigned char* s1 = reinterpret_cast<unsigned char*>(mod.data()) + 20;
  std::memcpy(s1, "square", 6);
  s1[22] = 0, s1[23] = 32;  // length in words, big-endian
  s1[25] = 64;              // volume
  s1[28] = 0, s1[29] = 32;  // loop length in words
  const size_t orders = 20 + 31 * 30;
  mod[orders] = 1;      // song length
  mod[orders + 1] = 127;
  std::memcpy(mod.data() + orders + 2 + 128, "M.K.", 4);
  unsigned char* row0 = reinterpret_cast<unsigned char*>(mod.data()) + orders + 2 + 128 + 4;
  row0[0] = 0x00, row0[1] = 0xD6, row0[2] = 0x10;  // sample 1, period 214
  for (int i = 0; i < 64; ++i) mod.push_back(static_cast<char>(i < 32 ? 64 : -64));
  return mod;
}

void test_openmpt() {
  check(openmpt_get_library_version() != 0, "openmpt_get_library_version");
  const char* ext = openmpt_get_supported_extensions();
  check(ext && has_token(ext, "mo3", ';') && has_token(ext, "it", ';'),
        std::string("openmpt extensions lack mo3 or it: ") + (ext ? ext : "(null)"));
  openmpt_free_string(ext);
  // MO3 stores samples as MP3 or Vorbis, which libopenmpt only decodes when
  // built against mpg123 and vorbisfile.
  const char* features = openmpt_get_string("library_features");
  check(features && has_token(features, "+MPG123", ' ') && has_token(features, "+VORBIS", ' '),
        std::string("openmpt built without mpg123/vorbis: ") + (features ? features : "(null)"));
  openmpt_free_string(features);

  const std::string mod = tiny_mod();
  int error = 0;
  const char* message = nullptr;
  openmpt_module* m = openmpt_module_create_from_memory2(
      mod.data(), mod.size(), nullptr, nullptr, nullptr, nullptr, &error, &message, nullptr);
  check(m != nullptr, std::string("openmpt could not load the module: ") +
                         (message ? message : std::to_string(error)));
  openmpt_free_string(message);
  if (!m) return;
  const char* type = openmpt_module_get_metadata(m, "type");
  check(type && std::string(type) == "mod", "openmpt module type");
  openmpt_free_string(type);
  // 64 rows at the default speed 6, tempo 125: 7.68 s.
  const double seconds = openmpt_module_get_duration_seconds(m);
  check(std::fabs(seconds - 7.68) < 0.01, "openmpt duration " + std::to_string(seconds));
  std::vector<float> buf(2 * 4800);
  const size_t frames = openmpt_module_read_interleaved_float_stereo(m, 48000, 4800, buf.data());
  const float peak = std::fabs(*std::max_element(buf.begin(), buf.end(), [](float a, float b) {
    return std::fabs(a) < std::fabs(b);
  }));
  check(frames == 4800 && peak > 0.05f, "openmpt rendered " + std::to_string(frames) +
                                            " frames, peak " + std::to_string(peak));
  openmpt_module_destroy(m);
}

// --- ffmpeg: WMAv2 through the ASF muxer to a file and back. ---

std::string av_error(int err) {
  char buf[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(err, buf, sizeof buf);
  return buf;
}

bool write_wma(const std::string& path) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
  const AVOutputFormat* ofmt = av_guess_format("asf", nullptr, nullptr);
  if (!check(codec && ofmt, "ffmpeg lacks the wmav2 encoder or the asf muxer")) return false;

  AVCodecContext* enc = avcodec_alloc_context3(codec);
  enc->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
  enc->sample_rate = kRate;
  av_channel_layout_default(&enc->ch_layout, 2);
  enc->bit_rate = 128000;
  enc->time_base = AVRational{1, kRate};
  AVFormatContext* oc = nullptr;
  bool ok = check(avcodec_open2(enc, codec, nullptr) == 0, "avcodec_open2 wmav2 encoder") &&
            check(avformat_alloc_output_context2(&oc, ofmt, nullptr, path.c_str()) >= 0,
                  "avformat_alloc_output_context2");
  AVStream* st = ok ? avformat_new_stream(oc, nullptr) : nullptr;
  ok = ok && check(st != nullptr, "avformat_new_stream") &&
       check(avcodec_parameters_from_context(st->codecpar, enc) >= 0, "codec parameters");
  if (ok) st->time_base = AVRational{1, kRate};
  int rc = ok ? avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE) : -1;
  ok = ok && check(rc >= 0, "avio_open " + path + ": " + av_error(rc)) &&
       check(avformat_write_header(oc, nullptr) >= 0, "avformat_write_header");

  // The encoder wants planar float in frames of its own size; swresample
  // turns the interleaved 16-bit sine into that.
  SwrContext* swr = nullptr;
  AVChannelLayout stereo;
  av_channel_layout_default(&stereo, 2);
  ok = ok && check(swr_alloc_set_opts2(&swr, &stereo, enc->sample_fmt, kRate, &stereo,
                                       AV_SAMPLE_FMT_S16, kRate, 0, nullptr) == 0 &&
                       swr_init(swr) == 0,
                   "swr_alloc_set_opts2/swr_init");
  AVPacket* pkt = av_packet_alloc();
  auto drain = [&] {
    while (avcodec_receive_packet(enc, pkt) == 0) {
      av_packet_rescale_ts(pkt, enc->time_base, st->time_base);
      pkt->stream_index = st->index;
      if (!check(av_interleaved_write_frame(oc, pkt) >= 0, "av_interleaved_write_frame"))
        return false;
    }
    return true;
  };
  if (ok) {
    const std::vector<int16_t> pcm = sine_s16();
    int64_t pts = 0;
    for (int offset = 0; ok && offset < kFrames; offset += enc->frame_size) {
      AVFrame* frame = av_frame_alloc();
      frame->nb_samples = enc->frame_size;
      frame->format = enc->sample_fmt;
      frame->sample_rate = kRate;
      av_channel_layout_copy(&frame->ch_layout, &enc->ch_layout);
      ok = check(av_frame_get_buffer(frame, 0) == 0, "av_frame_get_buffer");
      const int n = std::min(enc->frame_size, kFrames - offset);
      const uint8_t* in[] = {reinterpret_cast<const uint8_t*>(pcm.data() + 2 * offset)};
      ok = ok && check(swr_convert(swr, frame->data, n, in, n) == n, "swr_convert");
      if (ok) {
        // The last frame is padded with silence to the encoder's frame size.
        for (int c = 0; c < 2; ++c)
          std::fill(reinterpret_cast<float*>(frame->data[c]) + n,
                    reinterpret_cast<float*>(frame->data[c]) + enc->frame_size, 0.0f);
        frame->pts = pts;
        pts += enc->frame_size;
        ok = check(avcodec_send_frame(enc, frame) == 0, "avcodec_send_frame") && drain();
      }
      av_frame_free(&frame);
    }
    ok = ok && check(avcodec_send_frame(enc, nullptr) == 0, "flush encoder") && drain() &&
         check(av_write_trailer(oc) == 0, "av_write_trailer");
  }
  av_packet_free(&pkt);
  swr_free(&swr);
  if (oc && oc->pb) avio_closep(&oc->pb);
  avformat_free_context(oc);
  avcodec_free_context(&enc);
  return ok;
}

void read_wma(const std::string& path) {
  check(av_find_input_format("asf") != nullptr, "ffmpeg lacks the asf demuxer");
  AVFormatContext* ic = nullptr;
  int rc = avformat_open_input(&ic, path.c_str(), nullptr, nullptr);
  if (!check(rc == 0, "avformat_open_input " + path + ": " + av_error(rc))) return;
  const AVCodec* codec = nullptr;
  const int index = av_find_best_stream(ic, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  AVCodecContext* dec = nullptr;
  if (check(index >= 0 && codec && codec->id == AV_CODEC_ID_WMAV2,
            "asf file has no wmav2 stream with a decoder")) {
    dec = avcodec_alloc_context3(codec);
    const AVCodecParameters* par = ic->streams[index]->codecpar;
    check(par->sample_rate == kRate && par->ch_layout.nb_channels == 2, "asf stream format");
    if (check(avcodec_parameters_to_context(dec, par) >= 0 && avcodec_open2(dec, codec, nullptr) == 0,
              "open wmav2 decoder")) {
      AVPacket* pkt = av_packet_alloc();
      AVFrame* frame = av_frame_alloc();
      long frames = 0;
      double sum_sq = 0;
      auto drain = [&] {
        while (avcodec_receive_frame(dec, frame) == 0) {
          if (check(frame->format == AV_SAMPLE_FMT_FLTP, "wmav2 decodes to planar float"))
            for (int c = 0; c < 2; ++c)
              for (int i = 0; i < frame->nb_samples; ++i) {
                const double v = reinterpret_cast<const float*>(frame->data[c])[i];
                sum_sq += v * v;
              }
          frames += frame->nb_samples;
          av_frame_unref(frame);
        }
      };
      while (av_read_frame(ic, pkt) >= 0) {
        if (pkt->stream_index == index && avcodec_send_packet(dec, pkt) == 0) drain();
        av_packet_unref(pkt);
      }
      avcodec_send_packet(dec, nullptr);
      drain();
      // ffmpeg's WMA encoder neither flushes nor marks its delay, so the length
      // comes back in whole frames, up to two of them short or long.
      const long slack = 2L * std::max(dec->frame_size, 2048);
      check(std::labs(frames - kFrames) <= slack,
            "wmav2 decoded " + std::to_string(frames) + " frames, expected about " +
                std::to_string(kFrames));
      rms_close(sum_sq, 2 * frames, "wma");
      av_frame_free(&frame);
      av_packet_free(&pkt);
    }
  }
  avcodec_free_context(&dec);
  avformat_close_input(&ic);
}

void test_ffmpeg() {
  for (AVCodecID id : {AV_CODEC_ID_WMAV1, AV_CODEC_ID_WMAV2, AV_CODEC_ID_WMAPRO})
    check(avcodec_find_decoder(id) != nullptr,
          std::string("ffmpeg lacks the decoder for ") + avcodec_get_name(id));
  // A real Windows path (C:\Users\...) also checks that ffmpeg's file protocol
  // takes the drive letter for a path and not for a protocol name.
  std::error_code ec;
  const std::filesystem::path path =
      std::filesystem::temp_directory_path(ec) /
      ("tavrin-deps-smoke-" + std::to_string(std::random_device{}()) + ".wma");
  if (!check(!ec, "no temp directory")) return;
  const std::u8string u8 = path.u8string();
  const std::string utf8(u8.begin(), u8.end());  // ffmpeg takes UTF-8 file names
  if (write_wma(utf8)) read_wma(utf8);
  std::filesystem::remove(path, ec);
}

}  // namespace

int main() {
  av_log_set_level(AV_LOG_ERROR);
  test_mp3();
  test_vorbis();
  test_openmpt();
  test_ffmpeg();
  if (failures != 0) {
    std::fprintf(stderr, "deps_smoke: %d check(s) failed\n", failures);
    return 1;
  }
  std::puts("deps_smoke: all codec libraries work");
  return 0;
}
