// The library's process-wide state: the configuration, the one initialised
// device with its mixer, and the handle table. Results are error codes (0 for
// success) with values in out-parameters.
//
// Locking: the table lock is held only briefly and never while a channel's
// lock is taken or a callback runs; channel work happens after the lookup.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "bass/core/channel.h"
#include "bass/core/mixer.h"
#include "bass/core/output.h"

namespace bass_core {

class Engine {
 public:
  static Engine& Instance();

  // Configuration, valid before and after initialisation.
  int SetConfig(uint32_t option, uint32_t value, uint32_t& result);
  int GetConfig(uint32_t option, uint32_t& result);

  // The output for the next Init; nullptr texts fall back to the environment
  // variables TAVRIN_BASS_OUTPUT and TAVRIN_BASS_CLOCK.
  int ChooseOutput(const wchar_t* output, const wchar_t* clock);

  // Device 0 is the silent "No sound" device, 1 the default output (-1 means 1).
  int Init(int device, uint32_t freq, uint32_t flags);
  int Free();
  struct DeviceState {
    int device;
    uint32_t rate;
    uint32_t initFlags;
    uint32_t latencyMs;
    uint32_t blockMs;
  };
  int Device(DeviceState& state);
  int SetDevice(uint32_t device);
  int Start();
  int Stop();
  int Pause();
  int SetVolume(uint32_t volume);
  int GetVolume(uint32_t& volume);
  int AdvanceClock(uint64_t frames);

  // Channels. Handles of channels, syncs and DSPs come from one counter and
  // are never reused within the process.
  static uint32_t NewHandle();
  // The device's clock and defaults for a channel about to be created.
  int PrepareChannel(bool decodeOnly, ChannelSetup& setup, std::shared_ptr<FrameClock>& clock);
  int AddChannel(std::shared_ptr<Channel> channel);
  int Find(uint32_t handle, std::shared_ptr<Channel>& channel);
  int FreeChannel(uint32_t handle);
  // The channel that holds effect fx; BASS_ERROR_HANDLE when none does.
  int FindEffect(uint32_t fx, std::shared_ptr<Channel>& channel);
  // Transport with linked channels following and the output's state checked.
  int Play(uint32_t handle, bool restart);
  int Stop(uint32_t handle);
  int Pause(uint32_t handle);
  int IsActive(uint32_t handle, uint32_t& state);

 private:
  Engine();
  std::vector<std::shared_ptr<Channel>> MixableChannels();
  GlobalMix CurrentMix();
  std::shared_ptr<Mixer> CurrentMixer();
  // TAVRIN_BASS_CHANNEL_LOG (tests): the channels open now and the most open
  // at once, rewritten at every change. BASS_Free leaves it alone, so after
  // an exit it tells what the program left open.
  void LogChannelCount(size_t open);

  std::mutex mutex_;  // the table lock
  std::map<uint32_t, std::shared_ptr<Channel>> channels_;
  std::shared_ptr<Mixer> mixer_;
  std::optional<OutputChoice> chosenOutput_;
  DeviceState device_{};
  const std::wstring channelLog_;
  std::mutex logMutex_;
  size_t mostOpen_ = 0;

  std::atomic<uint32_t> buffer_{500}, streamVolume_{100}, musicVolume_{100}, curve_{0},
      netBuffer_{5000}, netTimeout_{5000}, noProxy_{0}, cdFreeOld_{0}, volume_{100};
};

}  // namespace bass_core
