// One stream: a decoder with its transport, position, attributes, syncs and
// DSPs. A channel is either played through the mixer or decoded by the caller
// (decode-only). Every public member locks the channel's own recursive mutex;
// callbacks (syncs, DSPs, a user stream's procedure) run under that lock and
// never under the handle table's, so a callback may call any entry point, and
// once MarkFreed returns no callback of the channel runs again.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "bass/core/decoder.h"
#include "bass/core/effect.h"
#include "bass/core/frame_clock.h"
#include "bass/core/history.h"
#include "bass/core/resampler.h"
#include "bass/core/samples.h"

namespace bass_core {

struct ChannelSetup {
  uint32_t handle = 0;
  uint32_t flags = 0;     // creation flags, kept for the channel's information
  uint32_t ctype = 0;     // channel type for the information record
  int device = 1;
  SampleFormat format = SampleFormat::kSigned16;
  bool decodeOnly = false;
  bool loop = false;
  bool autoFree = false;
  bool music = false;  // a tracker module: the music volume applies, not the stream volume
  size_t historyFrames = 8192;
};

// A sync as the library's caller set it.
struct SyncEntry {
  uint32_t handle = 0;
  uint32_t type = 0;       // position, end, ... (low bits of the caller's type)
  bool mixTime = false;    // fire when mixed or decoded, not when heard
  bool oneTime = false;
  uint64_t param = 0;      // byte position for position syncs
  std::function<void(uint32_t data)> call;
};

// One link of the chain a channel's samples pass through as they are decoded:
// a caller's DSP (call, on the channel's sample format) or one of our effects
// (effect, on the float frames).
struct DspEntry {
  uint32_t handle = 0;
  int priority = 0;
  std::function<void(void* buffer, uint32_t bytes)> call;
  std::shared_ptr<Effect> effect;
};

struct ChannelInfoValues {
  uint32_t freq, chans, flags, ctype, origres;
};

class Channel {
 public:
  static constexpr uint64_t kUnknown = ~uint64_t{0};
  static constexpr uint32_t kSyncPos = 0, kSyncEnd = 2;

  Channel(const ChannelSetup& setup, std::unique_ptr<Decoder> decoder,
          std::shared_ptr<FrameClock> clock);

  uint32_t Handle() const { return setup_.handle; }
  bool DecodeOnly() const { return setup_.decodeOnly; }
  int Device() const { return setup_.device; }
  bool AutoFree() const { return setup_.autoFree; }
  ChannelInfoValues Info();
  // Bytes per frame of the channel's own format.
  uint32_t FrameBytes() const { return frameBytes_; }
  uint32_t Rate() const { return rate_; }

  // Transport. Results are error codes (0 success).
  int Play(bool restart);
  int Stop();
  int Pause();
  // 0 stopped or ended, 1 playing, 2 stalled, 3 paused (also while the
  // output is paused).
  uint32_t Activity(bool outputPaused);

  uint64_t LengthBytes();  // kUnknown without a known length
  int SetPosition(uint64_t bytes);
  // Playing: of what is being heard; decoding: of the next byte decoded.
  uint64_t PositionBytes();
  uint64_t FilePosition(uint32_t mode);  // 0 decoded, 1 downloaded, 2 size; kUnknown when no file
  // The decoder's tag block of a kind; nullptr when it has none.
  const std::string* Tags(uint32_t kind);

  int SetAttributes(int freq, int volume, int pan);
  void GetAttributes(uint32_t& freq, uint32_t& volume, int& pan);
  int SlideAttributes(int freq, int volume, int pan, uint32_t ms);
  uint32_t Sliding();  // bits 1 freq, 2 volume, 4 pan
  void SetLoop(bool loop);

  // length: a byte count, or the data flags (spectrum, float samples).
  int GetData(void* buffer, uint32_t length, uint32_t& result);
  int GetLevel(uint32_t& level);

  void AddSync(SyncEntry sync);
  bool RemoveSync(uint32_t sync);
  void AddDsp(DspEntry dsp);
  bool RemoveDsp(uint32_t dsp);
  // Effects share the DSPs' chain: higher priorities first, equal ones in the
  // order they were set. Parameter calls answer BASS_ERROR_HANDLE for an
  // effect not on this channel and BASS_ERROR_ILLPARAM for a value out of range.
  void AddEffect(uint32_t handle, int priority, std::unique_ptr<Effect> effect);
  bool RemoveEffect(uint32_t handle);
  bool HasEffect(uint32_t handle);
  int SetEffectParameters(uint32_t handle, const void* record);
  int GetEffectParameters(uint32_t handle, void* record);
  void AddLink(uint32_t other);
  bool RemoveLink(uint32_t other);
  std::vector<uint32_t> Links();

  // Mixer side: adds the next frames to a stereo block starting at output
  // frame outStart; then runs what fell due once `heard` frames were heard.
  // DispatchDue answers whether the channel asks to be freed (auto-free).
  void Render(float* stereo, size_t frames, uint64_t outStart, const GlobalMix& mix);
  bool DispatchDue(uint64_t heard);

  // Stops everything; waits for a callback running on another thread.
  void MarkFreed();

  // An event of the source (a stream title, a finished download) for the
  // syncs of its type, with their data. A latched event also fires each sync
  // of its type set later, once.
  void Signal(uint32_t type, uint32_t data, bool latch);

 private:
  enum class State { kStopped, kPlaying, kPaused };
  enum class SyncTiming { kHeard, kMixed, kAny };
  struct Slide {
    bool active = false;
    double from = 0, to = 0;
    uint64_t total = 0, done = 0;
    double Value() const { return from + (to - from) * double(done) / double(total); }
  };
  struct Mark {
    uint64_t outFrame;
    double timeline;
    double step;
  };

  size_t Pull(float* out, size_t frames);
  void RunDsps(float* frames, size_t count);
  std::shared_ptr<DspEntry> FindEffect(uint32_t handle);
  bool Reposition(uint64_t frame);
  double HeardTimeline(uint64_t heard) const;
  double RestingTimeline();
  uint64_t SourceFrame(double timeline) const;
  void CollectSyncs(uint32_t type, SyncTiming timing, std::vector<SyncEntry>& out);
  void CollectPositionSyncs(uint64_t from, uint64_t to, std::vector<SyncEntry>& out);
  void RunSyncs(const std::vector<SyncEntry>& due);
  void Quiesce(double timeline);
  int Spectrum(void* buffer, uint32_t flags, uint64_t end, uint32_t& result);
  int Decode(void* buffer, uint32_t bytes, bool asFloat, uint32_t& result);
  uint64_t DataEnd();
  // The decoder's, which may learn it late (a download completing).
  uint64_t Length() const { return decoder_->LengthFrames(); }
  void FireIfLatched(const SyncEntry& sync);

  std::recursive_mutex mutex_;
  const ChannelSetup setup_;
  std::unique_ptr<Decoder> decoder_;
  std::shared_ptr<FrameClock> clock_;
  const uint32_t rate_, channels_, frameBytes_;

  State state_ = State::kStopped;
  bool freed_ = false;
  bool ended_ = false;     // the end was reached (and heard, when played)
  bool draining_ = false;  // played: all decoded, the last frames not yet heard
  bool stalled_ = false;
  bool loop_;
  bool wrapped_ = false;  // a loop restarted since the last reposition
  uint64_t endOutFrame_ = 0;

  // The timeline counts frames pulled from the decoder since the last
  // reposition; the resampler, the history and the marks all use it.
  uint64_t seekBase_ = 0;
  uint64_t fed_ = 0;
  double restTimeline_ = 0;
  Resampler resampler_;
  History history_;
  std::deque<Mark> marks_;
  std::deque<uint64_t> wraps_;         // timeline indices where a loop restarted
  std::deque<uint64_t> loopEndsOut_;   // output frames of those restarts
  uint32_t mixTimeEnds_ = 0;
  uint64_t lastSyncFrame_ = 0;

  uint32_t freq_;
  double volume_ = 100;
  double pan_ = 0;
  Slide freqSlide_, volumeSlide_, panSlide_;
  bool haveLastGain_ = false;
  float lastLeft_ = 1, lastRight_ = 1;

  std::vector<std::shared_ptr<SyncEntry>> syncs_;
  std::vector<uint32_t> latched_;
  std::vector<std::shared_ptr<DspEntry>> dsps_;
  std::vector<uint32_t> links_;
  std::vector<float> scratch_;
  std::vector<float> analysis_, mono_, bins_;
  std::vector<uint8_t> dspBuffer_;
};

}  // namespace bass_core
