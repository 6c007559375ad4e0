#include "bass/core/mixer.h"

#include <algorithm>

#include "bass/core/mix.h"

namespace bass_core {
namespace {
thread_local int tlsMixDepth = 0;

struct MixScope {
  MixScope() { ++tlsMixDepth; }
  ~MixScope() { --tlsMixDepth; }
};
}  // namespace

Mixer::Mixer(std::unique_ptr<Output> output, uint32_t rate, size_t blockFrames, bool manualClock,
             Hooks hooks, OutputOpener openLater)
    : output_(std::move(output)), openLater_(std::move(openLater)), rate_(rate),
      blockFrames_(std::max<size_t>(blockFrames, 1)), manual_(manualClock), hooks_(std::move(hooks)) {
  live_ = output_.get();
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

Mixer::~Mixer() {
  Shutdown();
  if (stop_) CloseHandle(stop_);
}

bool Mixer::OnMixingThread() { return tlsMixDepth > 0; }

void Mixer::Start() {
  std::lock_guard lock(mutex_);
  if (output_) StartThread();
}

void Mixer::Wake() {
  if (live_ || !openLater_) return;  // the common case: nothing to wait for
  std::lock_guard lock(mutex_);
  if (output_ || shutDown_ || !openLater_) return;
  output_ = openLater_();
  if (!output_) return;
  if (paused_) output_->SetPaused(true);
  live_ = output_.get();
  StartThread();
}

void Mixer::StartThread() {
  if (!manual_ && !thread_.joinable()) thread_ = std::thread([this] { Run(); });
}

void Mixer::Run() {
  while (output_->WaitForRoom(stop_)) {
    std::unique_lock lock(mutex_);
    if (shutDown_) break;
    if (paused_) {
      // A paused output may still report room; idle instead of spinning.
      lock.unlock();
      if (WaitForSingleObject(stop_, 20) == WAIT_OBJECT_0) break;
      continue;
    }
    try {
      MixBlock(blockFrames_);
    } catch (...) {
      // Out of memory, or a callback that threw: this block is lost, the
      // output goes on (the thread must not end with the device open).
    }
  }
}

void Mixer::Shutdown() {
  if (stop_) SetEvent(stop_);
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  if (shutDown_) return;
  shutDown_ = true;
  if (output_) output_->Close();
}

bool Mixer::Advance(uint64_t frames) {
  std::lock_guard lock(mutex_);
  if (!manual_ || shutDown_) return false;
  if (paused_) return true;
  // A callback may free the device in the middle.
  while (frames > 0 && !shutDown_) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(frames, blockFrames_));
    MixBlock(n);
    frames -= n;
  }
  return true;
}

void Mixer::SetPaused(bool paused) {
  std::lock_guard lock(mutex_);
  if (paused_ == paused || shutDown_) return;
  paused_ = paused;
  if (output_) output_->SetPaused(paused);
}

bool Mixer::Paused() {
  std::lock_guard lock(mutex_);
  return paused_;
}

uint64_t Mixer::HeardFrames() {
  Output* output = live_;
  return output ? output->HeardFrames() : 0;
}

void Mixer::MixBlock(size_t frames) {
  MixScope scope;
  auto channels = hooks_.channels();
  const GlobalMix mix = hooks_.mix();
  mixed_.assign(frames * 2, 0.0f);
  for (auto& channel : channels) channel->Render(mixed_.data(), frames, written_, mix);
  pcm_.resize(frames * 2);
  StereoToPcm16(mixed_.data(), frames, pcm_.data());
  output_->Write(pcm_.data(), frames);
  written_ += frames;
  const uint64_t heard = output_->HeardFrames();
  for (auto& channel : channels)
    if (channel->DispatchDue(heard)) hooks_.freeChannel(channel->Handle());
}

}  // namespace bass_core
