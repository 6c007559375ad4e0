#include "bass/core/module_decoder.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include <windows.h>

#include "bass/bass_api.h"

namespace bass_core {

namespace {

std::string Metadata(openmpt_module* module, const char* key) {
  const char* text = openmpt_module_get_metadata(module, key);
  std::string value = text ? text : "";
  openmpt_free_string(text);
  return value;
}

// libopenmpt answers UTF-8; the name goes out as 8-bit text in the system
// code page, as the program reads it.
std::string AnsiFromUtf8(const std::string& utf8) {
  if (utf8.empty()) return utf8;
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return utf8;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  int m = WideCharToMultiByte(CP_ACP, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  if (m <= 0) return utf8;
  std::string ansi(static_cast<size_t>(m), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), n, ansi.data(), m, nullptr, nullptr);
  return ansi;
}

uint32_t TypeOf(openmpt_module* module) {
  std::string type = Metadata(module, "type");
  std::string original = Metadata(module, "originaltype");
  const bool mo3 = type == "mo3" || original == "mo3" || Metadata(module, "container") == "mo3";
  if (type == "mo3" && !original.empty()) type = original;
  uint32_t ctype = BASS_CTYPE_MUSIC_MOD;
  if (type == "mtm") ctype = BASS_CTYPE_MUSIC_MTM;
  else if (type == "s3m") ctype = BASS_CTYPE_MUSIC_S3M;
  else if (type == "xm") ctype = BASS_CTYPE_MUSIC_XM;
  else if (type == "it" || type == "mptm") ctype = BASS_CTYPE_MUSIC_IT;
  return mo3 ? ctype | BASS_CTYPE_MUSIC_MO3 : ctype;
}

class ModuleDecoder final : public Decoder {
 public:
  ModuleDecoder(openmpt_module* module, const ModuleOptions& options)
      : module_(module), options_(options), channels_(options.mono ? 1 : 2) {
    const double seconds = openmpt_module_get_duration_seconds(module_);
    length_ = seconds > 0 && std::isfinite(seconds)
                  ? static_cast<uint64_t>(std::llround(seconds * options_.rate))
                  : 0;
    name_ = AnsiFromUtf8(Metadata(module_, "title"));
    name_.resize(strnlen(name_.c_str(), name_.size()));
  }
  ~ModuleDecoder() override { openmpt_module_destroy(module_); }

  uint32_t Rate() const override { return options_.rate; }
  uint32_t Channels() const override { return channels_; }
  uint32_t OriginalBits() const override { return 0; }
  uint64_t LengthFrames() const override { return length_; }
  bool AtEnd() const override { return frame_ >= length_; }
  uint64_t FilePosition() const override { return kUnknown; }
  uint64_t FileSize() const override { return kUnknown; }
  const std::string* Tags(uint32_t kind) const override { return kind == kTagMusicName ? &name_ : nullptr; }

  size_t Read(float* out, size_t frames) override {
    frames = static_cast<size_t>(std::min<uint64_t>(frames, length_ - std::min(frame_, length_)));
    size_t done = 0;
    while (done < frames && !rendered_) {
      // libopenmpt takes an int32 rate and renders in chunks of its own size.
      const size_t want = std::min<size_t>(frames - done, 1 << 16);
      float* at = out + done * channels_;
      const int32_t rate = static_cast<int32_t>(options_.rate);
      size_t got = options_.mono ? openmpt_module_read_float_mono(module_, rate, want, at)
                                 : openmpt_module_read_interleaved_float_stereo(module_, rate, want, at);
      if (got == 0) rendered_ = true;
      done += got;
    }
    // The song's end came a little before its computed length: silence fills
    // the gap so that the length holds.
    std::fill(out + done * channels_, out + frames * channels_, 0.0f);
    frame_ += frames;
    return frames;
  }

  bool Seek(uint64_t frame) override {
    if (frame > length_) return false;
    openmpt_module_set_position_seconds(module_, static_cast<double>(frame) / options_.rate);
    frame_ = frame;
    rendered_ = false;
    return true;
  }

 private:
  openmpt_module* module_;
  ModuleOptions options_;
  uint32_t channels_;
  uint64_t length_ = 0;
  uint64_t frame_ = 0;
  bool rendered_ = false;
  std::string name_;
};

}  // namespace

std::unique_ptr<Decoder> CreateModuleDecoder(ByteSource& source, const ModuleOptions& options,
                                             uint32_t& ctype) {
  const uint64_t size = source.Size();
  if (size == 0 || size > kMaxModuleBytes || options.rate == 0) return nullptr;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (source.ReadAt(0, bytes.data(), bytes.size()) != bytes.size()) return nullptr;
  // "stop" makes the last render end at the song's end instead of fading out
  // or starting over; looping is the channel's business. Without synced
  // samples a seek would silence every note struck before the target.
  const openmpt_module_initial_ctl ctls[] = {
      {"play.at_end", "stop"}, {"seek.sync_samples", "1"}, {nullptr, nullptr}};
  int error = 0;
  openmpt_module* module = openmpt_module_create_from_memory2(
      bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr, nullptr, nullptr, &error, nullptr, ctls);
  if (!module) return nullptr;
  openmpt_module_set_repeat_count(module, 0);
  openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH,
                                  options.interpolate ? 2 : 1);
  openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, options.ramping);
  ctype = TypeOf(module);
  auto decoder = std::make_unique<ModuleDecoder>(module, options);
  if (decoder->LengthFrames() == 0) return nullptr;
  return decoder;
}

}  // namespace bass_core
