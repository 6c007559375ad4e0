// The default sound device through waveOut: a ring of prepared buffers, each
// handed back by the driver through an event when played. The real clock
// paces it too: some drivers (ALSA's null device under Wine) take buffers as
// fast as they come, and positions must still move at the speed of sound.
#include <windows.h>
// After windows.h, which WIN32_LEAN_AND_MEAN keeps from including it.
#include <mmsystem.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "bass/core/output.h"
#include "bass/core/pacing_clock.h"

namespace bass_core {
namespace {

class WaveOutOutput final : public Output {
 public:
  explicit WaveOutOutput(uint32_t rate) : rate_(rate), clock_(rate) {}
  ~WaveOutOutput() override { Close(); }

  bool Open(uint32_t rate, size_t blockFrames, size_t blockCount) {
    event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!event_) return false;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = rate * 4;
    if (waveOutOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(event_), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
      device_ = nullptr;
      return false;
    }
    blockFrames_ = blockFrames;
    lead_ = blockFrames * blockCount;
    tolerance_ = blockFrames / 4;
    buffers_.assign(blockCount, std::vector<int16_t>(blockFrames * 2));
    headers_.assign(blockCount, WAVEHDR{});
    for (size_t i = 0; i < blockCount; ++i) {
      headers_[i].lpData = reinterpret_cast<LPSTR>(buffers_[i].data());
      headers_[i].dwBufferLength = static_cast<DWORD>(blockFrames * 4);
      if (waveOutPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
      // A buffer that was never queued counts as played.
      headers_[i].dwFlags |= WHDR_DONE;
    }
    return true;
  }

  bool WaitForRoom(HANDLE stop) override {
    for (;;) {
      DWORD ms = 100;
      {
        std::lock_guard lock(mutex_);
        uint64_t ahead = written_ - clock_.Heard(written_);
        if (ahead < lead_ && FreeHeader() >= 0) return true;
        if (ahead >= lead_) ms = static_cast<DWORD>(std::clamp<uint64_t>((ahead - lead_ + 1) * 1000 / rate_, 1, 100));
      }
      HANDLE handles[2] = {stop, event_};
      // The timeout also covers a driver that signals one event for several buffers.
      if (WaitForMultipleObjects(2, handles, FALSE, ms) == WAIT_OBJECT_0) return false;
    }
  }

  void Write(const int16_t* frames, size_t count) override {
    while (count > 0) {
      int i = FreeHeader();
      if (i < 0) return;  // only after Close
      size_t n = std::min(count, blockFrames_);
      std::copy(frames, frames + n * 2, buffers_[i].begin());
      std::fill(buffers_[i].begin() + n * 2, buffers_[i].end(), int16_t{0});
      headers_[i].dwFlags &= ~WHDR_DONE;
      {
        std::lock_guard lock(mutex_);
        written_ += blockFrames_;
      }
      if (waveOutWrite(device_, &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
        headers_[i].dwFlags |= WHDR_DONE;
      frames += n * 2;
      count -= n;
    }
  }

  uint64_t HeardFrames() override {
    std::lock_guard lock(mutex_);
    if (!device_) return heard_;
    MMTIME t{};
    t.wType = TIME_SAMPLES;
    if (waveOutGetPosition(device_, &t, sizeof t) == MMSYSERR_NOERROR) {
      uint32_t now = t.wType == TIME_SAMPLES ? t.u.sample : t.wType == TIME_BYTES ? t.u.cb / 4 : 0;
      // The driver counts in 32 bits; carry the wrap-arounds into 64.
      uint64_t extended = (played_ & ~0xFFFFFFFFull) | now;
      if (extended < played_ && played_ - extended > 0x80000000ull) extended += 0x100000000ull;
      played_ = std::max(played_, std::min(extended, written_));
    }
    uint64_t byClock = clock_.Heard(written_);
    if (played_ > byClock && played_ - byClock <= tolerance_) {
      clock_.CatchUp(played_);
      byClock = played_;
    }
    heard_ = std::max(heard_, std::min(played_, byClock));
    return heard_;
  }

  void SetPaused(bool paused) override {
    std::lock_guard lock(mutex_);
    if (!device_) return;
    if (paused) {
      waveOutPause(device_);
      clock_.Pause(written_);
    } else {
      waveOutRestart(device_);
      clock_.Resume();
    }
  }

  void Close() override {
    std::lock_guard lock(mutex_);
    if (device_) {
      waveOutReset(device_);
      for (auto& h : headers_)
        if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device_, &h, sizeof(WAVEHDR));
      waveOutClose(device_);
      device_ = nullptr;
    }
    if (event_) {
      CloseHandle(event_);
      event_ = nullptr;
    }
  }

 private:
  int FreeHeader() const {
    for (size_t i = 0; i < headers_.size(); ++i)
      if (headers_[i].dwFlags & WHDR_DONE) return static_cast<int>(i);
    return -1;
  }

  std::mutex mutex_;
  const uint32_t rate_;
  PacingClock clock_;
  HWAVEOUT device_ = nullptr;
  HANDLE event_ = nullptr;
  size_t blockFrames_ = 0;
  uint64_t lead_ = 0;
  uint64_t tolerance_ = 0;
  std::vector<std::vector<int16_t>> buffers_;
  std::vector<WAVEHDR> headers_;
  uint64_t written_ = 0;
  uint64_t played_ = 0;  // as the driver reports it
  uint64_t heard_ = 0;
};

}  // namespace

std::unique_ptr<Output> OpenWaveOutOutput(uint32_t rate, size_t blockFrames, size_t blockCount) {
  auto output = std::make_unique<WaveOutOutput>(rate);
  if (!output->Open(rate, blockFrames, blockCount)) return nullptr;
  return output;
}

}  // namespace bass_core
