// The silent and capturing outputs, paced by the real clock or by the manual one.
#include <algorithm>
#include <mutex>

#include "bass/core/output.h"
#include "bass/core/pacing_clock.h"
#include "bass/core/wav_writer.h"

namespace bass_core {
namespace {

class ClockOutput final : public Output {
 public:
  ClockOutput(uint32_t rate, size_t leadFrames, bool manualClock)
      : rate_(rate), lead_(leadFrames), manual_(manualClock), clock_(rate) {}
  ~ClockOutput() override { Close(); }

  bool OpenCapture(const std::wstring& path) { return writer_.Create(path, rate_, 2); }

  bool WaitForRoom(HANDLE stop) override {
    for (;;) {
      uint64_t ahead;
      {
        std::lock_guard lock(mutex_);
        ahead = written_ - HeardLocked();
        if (manual_ || ahead < lead_) return true;
      }
      DWORD ms = static_cast<DWORD>(std::clamp<uint64_t>((ahead - lead_ + 1) * 1000 / rate_, 1, 50));
      if (WaitForSingleObject(stop, ms) == WAIT_OBJECT_0) return false;
    }
  }

  void Write(const int16_t* frames, size_t count) override {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    writer_.Append(frames, count * 2);
    written_ += count;
  }

  uint64_t HeardFrames() override {
    std::lock_guard lock(mutex_);
    return HeardLocked();
  }

  void SetPaused(bool paused) override {
    std::lock_guard lock(mutex_);
    if (paused) clock_.Pause(written_);
    else clock_.Resume();
  }

  void Close() override {
    std::lock_guard lock(mutex_);
    closed_ = true;
    writer_.Close();
  }

 private:
  uint64_t HeardLocked() { return manual_ ? written_ : clock_.Heard(written_); }

  std::mutex mutex_;
  uint32_t rate_;
  uint64_t lead_;
  bool manual_;
  PacingClock clock_;
  WavWriter writer_;
  uint64_t written_ = 0;
  bool closed_ = false;
};

}  // namespace

std::unique_ptr<Output> OpenClockOutput(uint32_t rate, size_t leadFrames, bool manualClock,
                                        const std::wstring& capturePath) {
  auto output = std::make_unique<ClockOutput>(rate, leadFrames, manualClock);
  if (!capturePath.empty() && !output->OpenCapture(capturePath)) return nullptr;
  return output;
}

std::optional<OutputChoice> ParseOutputChoice(const wchar_t* output, const wchar_t* clock) {
  OutputChoice choice;
  std::wstring o = output ? output : L"";
  std::wstring c = clock ? clock : L"";
  if (o.empty() || o == L"auto") {
    choice.kind = OutputChoice::Kind::kAuto;
  } else if (o == L"null") {
    choice.kind = OutputChoice::Kind::kNull;
  } else if (o.rfind(L"capture:", 0) == 0 && o.size() > 8) {
    choice.kind = OutputChoice::Kind::kCapture;
    choice.capturePath = o.substr(8);
  } else {
    return std::nullopt;
  }
  if (c == L"manual") {
    choice.manualClock = true;
  } else if (!c.empty() && c != L"real") {
    return std::nullopt;
  }
  return choice;
}

}  // namespace bass_core
