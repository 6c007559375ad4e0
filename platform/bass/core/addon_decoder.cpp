#include "bass/core/addon_decoder.h"

#include <algorithm>
#include <array>

namespace bass_core {

namespace {

constexpr DWORD kMaxChannels = 32;
constexpr DWORD kTagKinds = BASS_TAG_META + 1;

class AddonDecoder final : public Decoder {
 public:
  AddonDecoder(const BASS_INTERNAL_DECODER& record, void* user, HMODULE module)
      : record_(record), user_(user), module_(module) {
    for (DWORD kind = 0; kind < kTagKinds && record_.tags; ++kind) {
      DWORD bytes = 0;
      if (const char* block = record_.tags(user_, kind, &bytes); block && bytes > 0)
        tags_[kind].assign(block, bytes);
    }
  }
  ~AddonDecoder() override {
    record_.free(user_);
    // The free callback has returned: nothing of the add-on runs any more.
    if (module_) FreeLibrary(module_);
  }

  uint32_t Rate() const override { return record_.freq; }
  uint32_t Channels() const override { return record_.chans; }
  uint32_t OriginalBits() const override { return record_.origres; }
  uint64_t LengthFrames() const override { return record_.length; }
  bool AtEnd() const override { return ended_; }
  uint64_t FilePosition() const override { return record_.filepos ? record_.filepos(user_) : kUnknown; }
  uint64_t FileSize() const override { return record_.filesize; }
  const std::string* Tags(uint32_t kind) const override {
    return kind < kTagKinds && !tags_[kind].empty() ? &tags_[kind] : nullptr;
  }

  size_t Read(float* out, size_t frames) override {
    size_t done = 0;
    while (done < frames && !ended_) {
      const DWORD want = static_cast<DWORD>(std::min<size_t>(frames - done, 1 << 20));
      const DWORD got = std::min(record_.read(user_, out + done * record_.chans, want), want);
      done += got;
      if (got < want) ended_ = true;
    }
    return done;
  }

  bool Seek(uint64_t frame) override {
    if (!record_.seek || (record_.length != kUnknown && frame > record_.length)) return false;
    if (!record_.seek(user_, frame)) return false;
    ended_ = false;
    return true;
  }

 private:
  BASS_INTERNAL_DECODER record_;
  void* user_;
  HMODULE module_;
  bool ended_ = false;
  std::array<std::string, kTagKinds> tags_;
};

}  // namespace

std::unique_ptr<Decoder> CreateAddonDecoder(const BASS_INTERNAL_DECODER& record, void* user) {
  if (!record.free) return nullptr;
  const bool usable = record.read && record.freq >= 100 && record.freq <= 1000000 && record.chans >= 1 &&
                      record.chans <= kMaxChannels;
  HMODULE module = nullptr;
  // Pins the module that holds the callbacks for as long as the stream lives.
  if (usable && !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                    reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(record.read)), &module))
    module = nullptr;
  if (usable) {
    try {
      return std::make_unique<AddonDecoder>(record, user, module);
    } catch (...) {
      // Out of memory: the add-on's state is still released, once.
    }
    if (module) FreeLibrary(module);
  }
  record.free(user);
  return nullptr;
}

}  // namespace bass_core
