// The device's mixer: renders every playing channel into 16-bit stereo blocks
// for the output, then runs the syncs that fell due. With the real clock one
// thread paces itself by the output; with the manual clock nothing moves until
// Advance, which mixes synchronously on the caller's thread.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "channel.h"
#include "frame_clock.h"
#include "output.h"

namespace bass_core {

class Mixer final : public FrameClock {
 public:
  struct Hooks {
    std::function<std::vector<std::shared_ptr<Channel>>()> channels;  // those to mix
    std::function<GlobalMix()> mix;
    std::function<void(uint32_t handle)> freeChannel;  // an auto-free channel ended
  };

  Mixer(std::unique_ptr<Output> output, uint32_t rate, size_t blockFrames, bool manualClock,
        Hooks hooks);
  ~Mixer() override;
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  void Start();
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

  std::recursive_mutex mutex_;  // one mix at a time
  std::unique_ptr<Output> output_;
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
