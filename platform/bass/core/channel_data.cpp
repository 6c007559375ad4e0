// The data a channel hands out: decoded samples, the samples last heard, their
// spectrum and their level, and its source's tags.
#include <algorithm>
#include <cmath>

#include "bass/bass_api.h"
#include "bass/core/channel.h"
#include "bass/core/fft_magnitudes.h"

namespace bass_core {
namespace {

constexpr uint32_t kFftFlag = BASS_DATA_FFT512;
constexpr uint32_t kFftSizeMask = 0x7;
constexpr uint32_t kFftKnownBits = kFftFlag | kFftSizeMask | BASS_DATA_FFT_INDIVIDUAL | BASS_DATA_FFT_NOWINDOW;
constexpr size_t kDecodeChunk = 8192;

}  // namespace

const std::string* Channel::Tags(uint32_t kind) {
  std::lock_guard lock(mutex_);
  return freed_ ? nullptr : decoder_->Tags(kind);
}

uint64_t Channel::DataEnd() {
  if (setup_.decodeOnly) return fed_;
  return std::min<uint64_t>(static_cast<uint64_t>(RestingTimeline()), fed_);
}

int Channel::GetData(void* buffer, uint32_t length, uint32_t& result) {
  std::lock_guard lock(mutex_);
  if (freed_) return BASS_ERROR_HANDLE;
  if (length != BASS_DATA_AVAILABLE && !buffer) return BASS_ERROR_ILLPARAM;
  if (!setup_.decodeOnly && state_ == State::kStopped) return BASS_ERROR_NOPLAY;
  if (length & kFftFlag) {
    if ((length & ~kFftKnownBits) != 0 || (length & kFftSizeMask) > 3) return BASS_ERROR_ILLPARAM;
    // A decoding channel's spectrum is of the data it decoded last, so asking
    // for it does not move the decoding position.
    return Spectrum(buffer, length, DataEnd(), result);
  }
  const bool asFloat = (length & BASS_DATA_FLOAT) != 0;
  const uint32_t bytes = length & ~uint32_t{BASS_DATA_FLOAT};
  if (setup_.decodeOnly) return Decode(buffer, bytes, asFloat, result);

  const uint64_t end = DataEnd();
  if (bytes == BASS_DATA_AVAILABLE) {
    result = static_cast<uint32_t>(std::min<uint64_t>((fed_ - end) * frameBytes_, 0xFFFFFFFEu));
    return BASS_OK;
  }
  const uint32_t outFrameBytes = channels_ * (asFloat ? 4 : BytesPerSample(setup_.format));
  // No more than the history holds: older samples are gone.
  const size_t frames = std::min<size_t>(bytes / outFrameBytes, history_.Capacity());
  scratch_.resize(frames * channels_);
  history_.CopyBefore(end, frames, scratch_.data());
  EncodeSamples(scratch_.data(), frames * channels_, asFloat ? SampleFormat::kFloat32 : setup_.format, buffer);
  result = static_cast<uint32_t>(frames * outFrameBytes);
  return BASS_OK;
}

int Channel::Decode(void* buffer, uint32_t bytes, bool asFloat, uint32_t& result) {
  result = 0;
  if (bytes == 0) return BASS_OK;
  if (ended_) return BASS_ERROR_NOPLAY;
  const SampleFormat format = asFloat ? SampleFormat::kFloat32 : setup_.format;
  const uint32_t outFrameBytes = channels_ * BytesPerSample(format);
  const size_t frames = bytes / outFrameBytes;
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < frames && !freed_) {
    size_t want = std::min(frames - done, kDecodeChunk);
    scratch_.resize(want * channels_);
    size_t got = Pull(scratch_.data(), want);
    if (got == 0) break;
    EncodeSamples(scratch_.data(), got * channels_, format, out + done * outFrameBytes);
    done += got;
  }
  result = static_cast<uint32_t>(done * outFrameBytes);

  std::vector<SyncEntry> due;
  for (; !wraps_.empty(); wraps_.pop_front()) CollectSyncs(kSyncEnd, SyncTiming::kAny, due);
  uint64_t now = SourceFrame(static_cast<double>(fed_));
  CollectPositionSyncs(lastSyncFrame_, now, due);
  lastSyncFrame_ = now;
  if (decoder_->AtEnd() && !ended_) {
    ended_ = true;
    CollectSyncs(kSyncEnd, SyncTiming::kAny, due);
  }
  stalled_ = done < frames && !ended_;
  RunSyncs(due);
  return BASS_OK;
}

int Channel::Spectrum(void* buffer, uint32_t flags, uint64_t end, uint32_t& result) {
  const size_t n = size_t{512} << (flags & kFftSizeMask);
  const bool hann = (flags & BASS_DATA_FFT_NOWINDOW) == 0;
  const bool individual = (flags & BASS_DATA_FFT_INDIVIDUAL) != 0 && channels_ > 1;
  std::vector<float>& frames = analysis_;
  std::vector<float>& mono = mono_;
  frames.resize(n * channels_);
  mono.resize(n);
  history_.CopyBefore(end, n, frames.data());
  auto* out = static_cast<float*>(buffer);
  if (!individual) {
    for (size_t i = 0; i < n; ++i) {
      float sum = 0;
      for (uint32_t c = 0; c < channels_; ++c) sum += frames[i * channels_ + c];
      mono[i] = sum / static_cast<float>(channels_);
    }
    MagnitudeSpectrum(mono.data(), n, hann, out);
    result = static_cast<uint32_t>(n / 2 * sizeof(float));
    return BASS_OK;
  }
  std::vector<float>& bins = bins_;
  bins.resize(n / 2);
  for (uint32_t c = 0; c < channels_; ++c) {
    for (size_t i = 0; i < n; ++i) mono[i] = frames[i * channels_ + c];
    MagnitudeSpectrum(mono.data(), n, hann, bins.data());
    for (size_t k = 0; k < n / 2; ++k) out[k * channels_ + c] = bins[k];
  }
  result = static_cast<uint32_t>(n / 2 * channels_ * sizeof(float));
  return BASS_OK;
}

int Channel::GetLevel(uint32_t& level) {
  std::lock_guard lock(mutex_);
  if (freed_) return BASS_ERROR_HANDLE;
  if (!setup_.decodeOnly && state_ == State::kStopped) return BASS_ERROR_NOPLAY;
  // The peak of the last 20 ms, per side, on a 0..32768 scale.
  const size_t n = std::max<size_t>(1, rate_ / 50);
  scratch_.resize(n * channels_);
  history_.CopyBefore(DataEnd(), n, scratch_.data());
  float left = 0, right = 0;
  for (size_t i = 0; i < n; ++i) {
    for (uint32_t c = 0; c < channels_; ++c) {
      float v = std::fabs(scratch_[i * channels_ + c]);
      float& side = (c % 2 == 0) ? left : right;
      side = std::max(side, v);
    }
  }
  if (channels_ == 1) right = left;
  auto scale = [](float v) { return static_cast<uint32_t>(std::min(32768.0f, std::round(v * 32768.0f))); };
  level = scale(left) | (scale(right) << 16);
  return BASS_OK;
}

}  // namespace bass_core
