// The device's mixer: renders every playing channel into 16-bit stereo blocks
// for the output, then runs the syncs that fell due. With the real clock one
// thread paces itself by the output; with the manual clock nothing moves until
// Advance, which mixes synchronously on the caller's thread. A mixer given no
// output opens one, and starts its thread, when a channel first plays: a
// player that sits idle holds no sound device and runs no mixing thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "bass/core/channel.h"
#include "bass/core/frame_clock.h"
#include "bass/core/output.h"

namespace bass_core {

class Mixer final : public FrameClock {
 public:
  struct Hooks {
    std::function<std::vector<std::shared_ptr<Channel>>()> channels;  // those to mix
    std::function<GlobalMix()> mix;
    std::function<void(uint32_t handle)> freeChannel;  // an auto-free channel ended
  };

  using OutputOpener = std::function<std::unique_ptr<Output>()>;

  // output null: openLater makes it on the first Wake, and must not fail.
  Mixer(std::unique_ptr<Output> output, uint32_t rate, size_t blockFrames, bool manualClock,
        Hooks hooks, OutputOpener openLater = nullptr);
  ~Mixer() override;
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  void Start();
  // A channel is to be heard: opens the output if it waits to be opened.
  void Wake();
  // Stops the thread and closes the output; afterwards nothing is mixed.
  void Shutdown();
  // Manual clock only: mixes exactly frames frames (false with the real clock
  // or after Shutdown). While paused nothing is mixed.
  bool Advance(uint64_t frames);
  void SetPaused(bool paused);
  bool Paused();
  bool ManualClock() const { return manual_; }

  uint64_t HeardFrames() override;
  uint32_t Rate() const override { return rate_; }

  // True on a thread that is inside a mix (so inside one of its callbacks).
  static bool OnMixingThread();

 private:
  void Run();
  void MixBlock(size_t frames);
  void StartThread();

  std::recursive_mutex mutex_;  // one mix at a time
  std::unique_ptr<Output> output_;
  std::atomic<Output*> live_{nullptr};  // output_ once open, for the clock's readers
  OutputOpener openLater_;
  const uint32_t rate_;
  const size_t blockFrames_;
  const bool manual_;
  Hooks hooks_;
  HANDLE stop_ = nullptr;
  std::thread thread_;
  bool paused_ = false;
  bool shutDown_ = false;
  uint64_t written_ = 0;
  std::vector<float> mixed_;
  std::vector<int16_t> pcm_;
};

}  // namespace bass_core
