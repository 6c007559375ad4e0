#include "bass/core/channel.h"

#include <algorithm>
#include <cmath>

#include "bass/bass_api.h"
#include "bass/core/mix.h"

namespace bass_core {
namespace {

constexpr int kMinFreq = 100;
constexpr int kMaxFreq = 200000;
constexpr int kKeepFreq = -1, kKeepVolume = -1, kKeepPan = -101;

bool ValidFreq(int f) { return f == kKeepFreq || f == 0 || (f >= kMinFreq && f <= kMaxFreq); }
bool ValidVolume(int v) { return v == kKeepVolume || (v >= 0 && v <= 100); }
bool ValidPan(int p) { return p == kKeepPan || (p >= -100 && p <= 100); }

}  // namespace

Channel::Channel(const ChannelSetup& setup, std::unique_ptr<Decoder> decoder,
                 std::shared_ptr<FrameClock> clock)
    : setup_(setup), decoder_(std::move(decoder)), clock_(std::move(clock)),
      rate_(decoder_->Rate()), channels_(decoder_->Channels()),
      frameBytes_(channels_ * BytesPerSample(setup.format)),
      loop_(setup.loop), resampler_(channels_), history_(channels_, setup.historyFrames),
      freq_(rate_) {}

ChannelInfoValues Channel::Info() {
  std::lock_guard lock(mutex_);
  uint32_t flags = setup_.flags & ~uint32_t{BASS_SAMPLE_LOOP};
  if (loop_) flags |= BASS_SAMPLE_LOOP;
  return {rate_, channels_, flags, setup_.ctype, decoder_->OriginalBits()};
}

// ---------------------------------------------------------------------------
// Decoding

size_t Channel::Pull(float* out, size_t frames) {
  size_t got = decoder_->Read(out, frames);
  if (got == 0 && loop_ && decoder_->AtEnd() && Length() != kUnknown && Length() > 0 &&
      decoder_->Seek(0)) {
    wraps_.push_back(fed_);
    wrapped_ = true;
    got = decoder_->Read(out, frames);
  }
  if (got == 0) return 0;
  if (!dsps_.empty()) RunDsps(out, got);
  history_.Append(out, got);
  fed_ += got;
  return got;
}

void Channel::RunDsps(float* frames, size_t count) {
  auto dsps = dsps_;  // a DSP may remove itself
  const uint32_t bytes = static_cast<uint32_t>(count * frameBytes_);
  const size_t samples = count * channels_;
  // Callers' DSPs see the channel's own format; effects work on the floats.
  // The samples are converted only where the chain switches between the two.
  const bool convert = setup_.format != SampleFormat::kFloat32;
  bool encoded = false;
  for (auto& dsp : dsps) {
    if (freed_) break;
    if (dsp->effect) {
      if (encoded) SamplesToFloat(dspBuffer_.data(), samples, setup_.format, frames);
      encoded = false;
      dsp->effect->Process(frames, count);
    } else if (convert) {
      if (!encoded) {
        dspBuffer_.resize(bytes);
        EncodeSamples(frames, samples, setup_.format, dspBuffer_.data());
      }
      encoded = true;
      dsp->call(dspBuffer_.data(), bytes);
    } else {
      dsp->call(frames, bytes);
    }
  }
  if (encoded) SamplesToFloat(dspBuffer_.data(), samples, setup_.format, frames);
}

bool Channel::Reposition(uint64_t frame) {
  if (!decoder_->Seek(frame)) return false;
  seekBase_ = frame;
  fed_ = 0;
  wrapped_ = false;
  resampler_.Reset();
  history_.Clear(0);
  marks_.clear();
  wraps_.clear();
  loopEndsOut_.clear();
  mixTimeEnds_ = 0;
  draining_ = false;
  restTimeline_ = 0;
  lastSyncFrame_ = frame;
  // An echo or reverb tail of the old place would not belong to the new one.
  for (auto& dsp : dsps_)
    if (dsp->effect) dsp->effect->Reset();
  return true;
}

uint64_t Channel::SourceFrame(double timeline) const {
  timeline = std::clamp(timeline, 0.0, static_cast<double>(fed_));
  uint64_t frame = seekBase_ + static_cast<uint64_t>(timeline);
  if (wrapped_ && Length() != kUnknown && Length() > 0 && frame >= Length()) frame %= Length();
  return frame;
}

// ---------------------------------------------------------------------------
// Transport

int Channel::Play(bool restart) {
  std::lock_guard lock(mutex_);
  if (freed_) return BASS_ERROR_HANDLE;
  if (setup_.decodeOnly) return BASS_ERROR_DECODE;
  if (restart || ended_) {
    // A user stream cannot go back; it simply goes on.
    Reposition(0);
  } else if (state_ == State::kPlaying) {
    return BASS_OK;
  } else if (restTimeline_ != resampler_.Position()) {
    // Frames were mixed beyond what was heard when it stopped: go back to
    // what the listener heard last.
    Reposition(SourceFrame(restTimeline_));
  }
  state_ = State::kPlaying;
  ended_ = draining_ = stalled_ = false;
  haveLastGain_ = false;
  marks_.clear();
  lastSyncFrame_ = SourceFrame(resampler_.Position());
  return BASS_OK;
}

void Channel::Quiesce(double timeline) {
  restTimeline_ = timeline;
  marks_.clear();
  loopEndsOut_.clear();
  mixTimeEnds_ = 0;
  draining_ = stalled_ = false;
}

int Channel::Stop() {
  std::lock_guard lock(mutex_);
  if (freed_) return BASS_ERROR_HANDLE;
  if (setup_.decodeOnly) return BASS_ERROR_DECODE;
  if (state_ == State::kPlaying) Quiesce(HeardTimeline(clock_->HeardFrames()));
  state_ = State::kStopped;
  return BASS_OK;
}

int Channel::Pause() {
  std::lock_guard lock(mutex_);
  if (freed_) return BASS_ERROR_HANDLE;
  if (setup_.decodeOnly) return BASS_ERROR_DECODE;
  if (state_ == State::kPaused) return BASS_ERROR_ALREADY;
  if (state_ != State::kPlaying) return BASS_ERROR_NOPLAY;
  Quiesce(HeardTimeline(clock_->HeardFrames()));
  state_ = State::kPaused;
  return BASS_OK;
}

uint32_t Channel::Activity(bool outputPaused) {
  std::lock_guard lock(mutex_);
  if (freed_) return BASS_ACTIVE_STOPPED;
  if (setup_.decodeOnly) {
    if (ended_) return BASS_ACTIVE_STOPPED;
    return stalled_ ? BASS_ACTIVE_STALLED : BASS_ACTIVE_PLAYING;
  }
  switch (state_) {
    case State::kStopped: return BASS_ACTIVE_STOPPED;
    case State::kPaused: return BASS_ACTIVE_PAUSED;
    case State::kPlaying: break;
  }
  if (outputPaused) return BASS_ACTIVE_PAUSED;
  return stalled_ ? BASS_ACTIVE_STALLED : BASS_ACTIVE_PLAYING;
}

// ---------------------------------------------------------------------------
// Positions

double Channel::HeardTimeline(uint64_t heard) const {
  if (marks_.empty()) return std::min(resampler_.Position(), static_cast<double>(fed_));
  if (heard < marks_.front().outFrame) return marks_.front().timeline;
  size_t i = marks_.size() - 1;
  while (marks_[i].outFrame > heard) --i;
  const Mark& m = marks_[i];
  double t = m.timeline + static_cast<double>(heard - m.outFrame) * m.step;
  if (i + 1 < marks_.size()) t = std::min(t, marks_[i + 1].timeline);
  t = std::min(t, resampler_.Position());
  return std::min(t, static_cast<double>(fed_));
}

double Channel::RestingTimeline() {
  return state_ == State::kPlaying ? HeardTimeline(clock_->HeardFrames()) : restTimeline_;
}

uint64_t Channel::LengthBytes() {
  return Length() == kUnknown ? kUnknown : Length() * frameBytes_;
}

int Channel::SetPosition(uint64_t bytes) {
  std::lock_guard lock(mutex_);
  if (freed_) return BASS_ERROR_HANDLE;
  if (Length() == kUnknown) return BASS_ERROR_NOTAVAIL;
  uint64_t frame = bytes / frameBytes_;
  if (frame > Length() || !Reposition(frame)) return BASS_ERROR_POSITION;
  ended_ = false;
  return BASS_OK;
}

uint64_t Channel::PositionBytes() {
  std::lock_guard lock(mutex_);
  double t = setup_.decodeOnly ? static_cast<double>(fed_) : RestingTimeline();
  return SourceFrame(t) * frameBytes_;
}

uint64_t Channel::FilePosition(uint32_t mode) {
  std::lock_guard lock(mutex_);
  uint64_t size = decoder_->FileSize();
  if (size == kUnknown) return kUnknown;
  if (mode == BASS_FILEPOS_DOWNLOAD) return decoder_->FileDownloaded();
  return mode == BASS_FILEPOS_DECODE ? decoder_->FilePosition() : size;
}

// ---------------------------------------------------------------------------
// Attributes

int Channel::SetAttributes(int freq, int volume, int pan) {
  std::lock_guard lock(mutex_);
  if (freed_) return BASS_ERROR_HANDLE;
  if (!ValidFreq(freq)) return BASS_ERROR_FREQ;
  if (!ValidVolume(volume) || !ValidPan(pan)) return BASS_ERROR_ILLPARAM;
  if (freq != kKeepFreq) {
    freq_ = freq == 0 ? rate_ : static_cast<uint32_t>(freq);
    freqSlide_.active = false;
  }
  if (volume != kKeepVolume) {
    volume_ = volume;
    volumeSlide_.active = false;
  }
  if (pan != kKeepPan) {
    pan_ = pan;
    panSlide_.active = false;
  }
  return BASS_OK;
}

void Channel::GetAttributes(uint32_t& freq, uint32_t& volume, int& pan) {
  std::lock_guard lock(mutex_);
  freq = static_cast<uint32_t>(std::lround(freqSlide_.active ? freqSlide_.Value() : freq_));
  volume = static_cast<uint32_t>(std::lround(volumeSlide_.active ? volumeSlide_.Value() : volume_));
  pan = static_cast<int>(std::lround(panSlide_.active ? panSlide_.Value() : pan_));
}

int Channel::SlideAttributes(int freq, int volume, int pan, uint32_t ms) {
  std::lock_guard lock(mutex_);
  if (freed_) return BASS_ERROR_HANDLE;
  if (!ValidFreq(freq)) return BASS_ERROR_FREQ;
  if (!ValidVolume(volume) || !ValidPan(pan)) return BASS_ERROR_ILLPARAM;
  const uint64_t frames = std::max<uint64_t>(1, uint64_t{ms} * clock_->Rate() / 1000);
  auto start = [&](Slide& s, double current, double target) {
    s = Slide{true, current, target, frames, 0};
  };
  if (freq != kKeepFreq)
    start(freqSlide_, freqSlide_.active ? freqSlide_.Value() : freq_, freq == 0 ? rate_ : freq);
  if (volume != kKeepVolume)
    start(volumeSlide_, volumeSlide_.active ? volumeSlide_.Value() : volume_, volume);
  if (pan != kKeepPan) start(panSlide_, panSlide_.active ? panSlide_.Value() : pan_, pan);
  return BASS_OK;
}

uint32_t Channel::Sliding() {
  std::lock_guard lock(mutex_);
  return (freqSlide_.active ? 1u : 0u) | (volumeSlide_.active ? 2u : 0u) | (panSlide_.active ? 4u : 0u);
}

void Channel::SetLoop(bool loop) {
  std::lock_guard lock(mutex_);
  loop_ = loop;
}

// ---------------------------------------------------------------------------
// Syncs, DSPs and links

void Channel::AddSync(SyncEntry sync) {
  std::lock_guard lock(mutex_);
  syncs_.push_back(std::make_shared<SyncEntry>(std::move(sync)));
  FireIfLatched(*syncs_.back());
}

bool Channel::RemoveSync(uint32_t sync) {
  std::lock_guard lock(mutex_);
  auto it = std::find_if(syncs_.begin(), syncs_.end(), [&](auto& s) { return s->handle == sync; });
  if (it == syncs_.end()) return false;
  syncs_.erase(it);
  return true;
}

void Channel::AddDsp(DspEntry dsp) {
  std::lock_guard lock(mutex_);
  // Higher priorities run first; among equals, the newest runs first.
  auto it = std::find_if(dsps_.begin(), dsps_.end(), [&](auto& d) { return d->priority <= dsp.priority; });
  dsps_.insert(it, std::make_shared<DspEntry>(std::move(dsp)));
}

bool Channel::RemoveDsp(uint32_t dsp) {
  std::lock_guard lock(mutex_);
  auto it = std::find_if(dsps_.begin(), dsps_.end(),
                         [&](auto& d) { return d->handle == dsp && !d->effect; });
  if (it == dsps_.end()) return false;
  dsps_.erase(it);
  return true;
}

void Channel::AddLink(uint32_t other) {
  std::lock_guard lock(mutex_);
  if (std::find(links_.begin(), links_.end(), other) == links_.end()) links_.push_back(other);
}

bool Channel::RemoveLink(uint32_t other) {
  std::lock_guard lock(mutex_);
  auto it = std::find(links_.begin(), links_.end(), other);
  if (it == links_.end()) return false;
  links_.erase(it);
  return true;
}

std::vector<uint32_t> Channel::Links() {
  std::lock_guard lock(mutex_);
  return links_;
}

void Channel::CollectSyncs(uint32_t type, SyncTiming timing, std::vector<SyncEntry>& out) {
  for (size_t i = 0; i < syncs_.size();) {
    const SyncEntry& s = *syncs_[i];
    bool match = s.type == type && (timing == SyncTiming::kAny || s.mixTime == (timing == SyncTiming::kMixed));
    if (match) out.push_back(s);
    if (match && s.oneTime) syncs_.erase(syncs_.begin() + static_cast<ptrdiff_t>(i));
    else ++i;
  }
}

void Channel::CollectPositionSyncs(uint64_t from, uint64_t to, std::vector<SyncEntry>& out) {
  if (from == to) return;
  for (size_t i = 0; i < syncs_.size();) {
    const SyncEntry& s = *syncs_[i];
    uint64_t target = s.param / frameBytes_;
    // Going backwards means the loop restarted in between.
    bool crossed = from < to ? (target > from && target <= to) : (target > from || target <= to);
    bool match = s.type == kSyncPos && crossed;
    if (match) out.push_back(s);
    if (match && s.oneTime) syncs_.erase(syncs_.begin() + static_cast<ptrdiff_t>(i));
    else ++i;
  }
}

void Channel::RunSyncs(const std::vector<SyncEntry>& due) {
  for (const SyncEntry& s : due) {
    if (freed_) return;
    // An earlier callback may have removed this one.
    bool stillSet = s.oneTime || std::any_of(syncs_.begin(), syncs_.end(),
                                             [&](auto& e) { return e->handle == s.handle; });
    if (stillSet) s.call(0);
  }
}

// ---------------------------------------------------------------------------
// Mixer side

void Channel::Render(float* stereo, size_t frames, uint64_t outStart, const GlobalMix& mix) {
  std::lock_guard lock(mutex_);
  if (freed_ || setup_.decodeOnly || state_ != State::kPlaying || draining_) return;

  auto advance = [frames](Slide& s, double& settled) {
    if (!s.active) return;
    s.done = std::min(s.total, s.done + frames);
    if (s.done == s.total) {
      s.active = false;
      settled = s.to;
    }
  };
  const double freqNow = freqSlide_.active ? freqSlide_.Value() : freq_;
  double freqSettled = freq_;
  advance(freqSlide_, freqSettled);
  freq_ = static_cast<uint32_t>(std::lround(freqSettled));
  advance(volumeSlide_, volume_);
  advance(panSlide_, pan_);
  const double volumeEnd = volumeSlide_.active ? volumeSlide_.Value() : volume_;
  const double panEnd = panSlide_.active ? panSlide_.Value() : pan_;

  const double step = freqNow / clock_->Rate();
  const double tStart = resampler_.Position();
  marks_.push_back({outStart, tStart, step});
  scratch_.resize(frames * channels_);
  size_t got = resampler_.Produce(scratch_.data(), frames, step,
                                  [this](float* out, size_t n) { return Pull(out, n); });
  // A callback during the pull may have stopped, moved or freed the channel.
  if (freed_ || state_ != State::kPlaying || marks_.empty()) return;

  StereoGain pan = PanGains(static_cast<int>(std::lround(panEnd)));
  float gain = VolumeGain(static_cast<uint32_t>(std::lround(volumeEnd)), mix.logCurve) *
               (setup_.music ? mix.musicGain : mix.gain);
  StereoGain to{gain * pan.left, gain * pan.right};
  StereoGain from = haveLastGain_ ? StereoGain{lastLeft_, lastRight_} : to;
  MixIntoStereo(scratch_.data(), got, channels_, from, to, stereo);
  lastLeft_ = to.left;
  lastRight_ = to.right;
  haveLastGain_ = true;

  const double tEnd = tStart + static_cast<double>(got) * step;
  while (!wraps_.empty() && static_cast<double>(wraps_.front()) <= tEnd) {
    double offset = std::ceil((static_cast<double>(wraps_.front()) - tStart) / step);
    loopEndsOut_.push_back(outStart + static_cast<uint64_t>(std::clamp(offset, 0.0, double(got))));
    wraps_.pop_front();
    ++mixTimeEnds_;
  }
  // The end is known as soon as the last source frame is mixed, so the end
  // sync can fire when exactly that frame is heard.
  const bool looping = loop_ && Length() != kUnknown && Length() > 0;
  const bool consumed = decoder_->AtEnd() && !looping && resampler_.Position() >= static_cast<double>(fed_);
  if ((got < frames && decoder_->AtEnd()) || consumed) {
    draining_ = true;
    endOutFrame_ = outStart + got;
    ++mixTimeEnds_;
  }
  stalled_ = got < frames && !decoder_->AtEnd();
}

bool Channel::DispatchDue(uint64_t heard) {
  std::lock_guard lock(mutex_);
  if (freed_ || setup_.decodeOnly) return false;
  std::vector<SyncEntry> due;
  for (; mixTimeEnds_ > 0; --mixTimeEnds_) CollectSyncs(kSyncEnd, SyncTiming::kMixed, due);
  while (!loopEndsOut_.empty() && loopEndsOut_.front() <= heard) {
    loopEndsOut_.pop_front();
    CollectSyncs(kSyncEnd, SyncTiming::kHeard, due);
  }
  bool wantFree = false;
  if (state_ == State::kPlaying) {
    uint64_t now = SourceFrame(HeardTimeline(heard));
    CollectPositionSyncs(lastSyncFrame_, now, due);
    lastSyncFrame_ = now;
    if (draining_ && heard >= endOutFrame_) {
      Quiesce(static_cast<double>(fed_));
      state_ = State::kStopped;
      ended_ = true;
      CollectSyncs(kSyncEnd, SyncTiming::kHeard, due);
      wantFree = setup_.autoFree;
    }
  }
  while (marks_.size() > 1 && marks_[1].outFrame <= heard) marks_.pop_front();
  RunSyncs(due);
  return wantFree && !freed_;
}

void Channel::MarkFreed() {
  std::lock_guard lock(mutex_);
  freed_ = true;
  state_ = State::kStopped;
  syncs_.clear();
  dsps_.clear();
  links_.clear();
}

}  // namespace bass_core
