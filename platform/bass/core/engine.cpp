#include "bass/core/engine.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "bass/bass_api.h"
#include "bass/core/mix.h"

namespace bass_core {
namespace {

constexpr uint32_t kDefaultRate = 44100;
// The output runs this far ahead of the listener. Decoding happens on demand,
// so a longer lead would only delay starts and stretch the tail after a pause.
constexpr uint32_t kMinLeadMs = 40;
constexpr uint32_t kMaxLeadMs = 250;
constexpr uint32_t kBlocksPerLead = 8;

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[1024];
  DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
  return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
}

// Tests outside the process count the decoding channels a program leaves
// open: with TAVRIN_BASS_DECODE_COUNT naming a file, the number open is
// written there after every change of the table, and at BASS_Free the number
// the program had not freed itself.
void ReportDecodeChannels(const std::map<uint32_t, std::shared_ptr<Channel>>& channels) {
  static const std::wstring file = Environment(L"TAVRIN_BASS_DECODE_COUNT");
  if (file.empty()) return;
  size_t open = 0;
  for (const auto& [handle, channel] : channels)
    if (channel->DecodeOnly()) ++open;
  const std::string text = std::to_string(open);
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
}

}  // namespace

Engine& Engine::Instance() {
  // Never destroyed: at process exit the mixer's thread is already gone and
  // the sound system must not be called from inside DllMain.
  static Engine& engine = *new Engine;
  return engine;
}

Engine::Engine() : channelLog_(Environment(L"TAVRIN_BASS_CHANNEL_LOG")) {}

void Engine::LogChannelCount(size_t open) {
  if (channelLog_.empty()) return;
  std::lock_guard lock(logMutex_);
  mostOpen_ = std::max(mostOpen_, open);
  const std::string text = std::to_string(open) + " " + std::to_string(mostOpen_) + "\n";
  HANDLE file = CreateFileW(channelLog_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

namespace {

// The last handle given, kept in the process's environment while the DLL is
// unloaded, so that a reload never hands out a number a caller still holds.
class HandleCounter {
 public:
  HandleCounter() {
    std::wstring saved = Environment(kVariable);
    if (!saved.empty()) last_ = static_cast<uint32_t>(std::wcstoul(saved.c_str(), nullptr, 10));
  }
  ~HandleCounter() { SetEnvironmentVariableW(kVariable, std::to_wstring(last_.load()).c_str()); }
  uint32_t Next() {
    uint32_t handle = ++last_;
    return handle != 0 ? handle : ++last_;
  }

 private:
  static constexpr const wchar_t* kVariable = L"TAVRIN_BASS_LAST_HANDLE";
  std::atomic<uint32_t> last_{0};
};

}  // namespace

uint32_t Engine::NewHandle() {
  static HandleCounter counter;
  return counter.Next();
}

// ---------------------------------------------------------------------------
// Configuration

int Engine::SetConfig(uint32_t option, uint32_t value, uint32_t& result) {
  switch (option) {
    case BASS_CONFIG_BUFFER: buffer_ = std::clamp<uint32_t>(value, 10, 5000); break;
    case BASS_CONFIG_GVOL_STREAM:
    case BASS_CONFIG_GVOL_MUSIC:
      if (value > 100) return BASS_ERROR_ILLPARAM;
      (option == BASS_CONFIG_GVOL_STREAM ? streamVolume_ : musicVolume_) = value;
      break;
    case BASS_CONFIG_CURVE_VOL: curve_ = value; break;
    case BASS_CONFIG_NET_BUFFER: netBuffer_ = value; break;
    case BASS_CONFIG_NET_TIMEOUT: netTimeout_ = value; break;
    case BASS_CONFIG_NET_NOPROXY: noProxy_ = value; break;
    case BASS_CONFIG_CD_FREEOLD: cdFreeOld_ = value; break;
    default: return BASS_ERROR_ILLPARAM;
  }
  return GetConfig(option, result);
}

int Engine::GetConfig(uint32_t option, uint32_t& result) {
  switch (option) {
    case BASS_CONFIG_BUFFER: result = buffer_; break;
    case BASS_CONFIG_GVOL_STREAM: result = streamVolume_; break;
    case BASS_CONFIG_GVOL_MUSIC: result = musicVolume_; break;
    case BASS_CONFIG_CURVE_VOL: result = curve_; break;
    case BASS_CONFIG_NET_BUFFER: result = netBuffer_; break;
    case BASS_CONFIG_NET_TIMEOUT: result = netTimeout_; break;
    case BASS_CONFIG_NET_NOPROXY: result = noProxy_; break;
    case BASS_CONFIG_CD_FREEOLD: result = cdFreeOld_; break;
    default: return BASS_ERROR_ILLPARAM;
  }
  return BASS_OK;
}

// ---------------------------------------------------------------------------
// Device

int Engine::ChooseOutput(const wchar_t* output, const wchar_t* clock) {
  std::lock_guard lock(mutex_);
  if (mixer_) return BASS_ERROR_ALREADY;
  if (!output && !clock) {
    chosenOutput_.reset();
    return BASS_OK;
  }
  auto choice = ParseOutputChoice(output, clock);
  if (!choice) return BASS_ERROR_ILLPARAM;
  chosenOutput_ = choice;
  return BASS_OK;
}

int Engine::Init(int device, uint32_t freq, uint32_t flags) {
  if (device == -1) device = 1;
  if (device < 0 || device > 1) return BASS_ERROR_DEVICE;
  std::lock_guard lock(mutex_);
  if (mixer_) return BASS_ERROR_ALREADY;

  OutputChoice choice;
  if (chosenOutput_) {
    choice = *chosenOutput_;
  } else if (auto fromEnvironment = ParseOutputChoice(Environment(L"TAVRIN_BASS_OUTPUT").c_str(),
                                                      Environment(L"TAVRIN_BASS_CLOCK").c_str())) {
    choice = *fromEnvironment;
  }
  const uint32_t rate = freq >= 1000 && freq <= 192000 ? freq : kDefaultRate;
  const uint32_t leadMs = std::clamp<uint32_t>(buffer_, kMinLeadMs, kMaxLeadMs);
  const size_t leadFrames = size_t{rate} * leadMs / 1000;
  const size_t blockFrames = std::max<size_t>(leadFrames / kBlocksPerLead, rate / 100);

  // The sound card is opened when something first plays; until then, and
  // when it cannot be opened, a silent output keeps time. Device 0 and the
  // tests' choices get their output at once.
  std::unique_ptr<Output> output;
  Mixer::OutputOpener openLater;
  if (device == 1 && choice.kind == OutputChoice::Kind::kAuto && !choice.manualClock) {
    const size_t blocks = std::max<size_t>(2, leadFrames / blockFrames);
    openLater = [rate, blockFrames, blocks, leadFrames] {
      std::unique_ptr<Output> card = OpenWaveOutOutput(rate, blockFrames, blocks);
      return card ? std::move(card) : OpenClockOutput(rate, leadFrames, false, std::wstring());
    };
  } else {
    std::wstring capture = device == 1 && choice.kind == OutputChoice::Kind::kCapture
                               ? choice.capturePath : std::wstring();
    output = OpenClockOutput(rate, leadFrames, choice.manualClock, capture);
    if (!output) return BASS_ERROR_CREATE;
  }

  Mixer::Hooks hooks{[this] { return MixableChannels(); }, [this] { return CurrentMix(); },
                     [this](uint32_t handle) { FreeChannel(handle); }};
  mixer_ = std::make_shared<Mixer>(std::move(output), rate, blockFrames, choice.manualClock,
                                   std::move(hooks), std::move(openLater));
  device_ = {device, rate, flags, leadMs, static_cast<uint32_t>(blockFrames * 1000 / rate)};
  mixer_->Start();
  return BASS_OK;
}

int Engine::Free() {
  // The mixing thread cannot wait for itself to finish.
  if (Mixer::OnMixingThread()) return BASS_ERROR_UNKNOWN;
  std::shared_ptr<Mixer> mixer;
  std::map<uint32_t, std::shared_ptr<Channel>> channels;
  {
    std::lock_guard lock(mutex_);
    if (!mixer_) return BASS_ERROR_INIT;
    mixer.swap(mixer_);
    channels.swap(channels_);
    ReportDecodeChannels(channels);
  }
  mixer->Shutdown();
  for (auto& [handle, channel] : channels) channel->MarkFreed();
  return BASS_OK;
}

int Engine::Device(DeviceState& state) {
  std::lock_guard lock(mutex_);
  if (!mixer_) return BASS_ERROR_INIT;
  state = device_;
  return BASS_OK;
}

int Engine::SetDevice(uint32_t device) {
  std::lock_guard lock(mutex_);
  if (device > 1) return BASS_ERROR_DEVICE;
  if (!mixer_ || static_cast<int>(device) != device_.device) return BASS_ERROR_INIT;
  return BASS_OK;
}

std::shared_ptr<Mixer> Engine::CurrentMixer() {
  std::lock_guard lock(mutex_);
  return mixer_;
}

int Engine::Start() {
  auto mixer = CurrentMixer();
  if (!mixer) return BASS_ERROR_INIT;
  mixer->SetPaused(false);
  return BASS_OK;
}

int Engine::Stop() {
  auto mixer = CurrentMixer();
  if (!mixer) return BASS_ERROR_INIT;
  for (auto& channel : MixableChannels()) {
    channel->Stop();
    if (channel->AutoFree()) FreeChannel(channel->Handle());
  }
  mixer->SetPaused(true);
  return BASS_OK;
}

int Engine::Pause() {
  auto mixer = CurrentMixer();
  if (!mixer) return BASS_ERROR_INIT;
  mixer->SetPaused(true);
  return BASS_OK;
}

int Engine::SetVolume(uint32_t volume) {
  if (!CurrentMixer()) return BASS_ERROR_INIT;
  if (volume > 100) return BASS_ERROR_ILLPARAM;
  volume_ = volume;
  return BASS_OK;
}

int Engine::GetVolume(uint32_t& volume) {
  if (!CurrentMixer()) return BASS_ERROR_INIT;
  volume = volume_;
  return BASS_OK;
}

int Engine::AdvanceClock(uint64_t frames) {
  auto mixer = CurrentMixer();
  if (!mixer) return BASS_ERROR_INIT;
  if (!mixer->ManualClock()) return BASS_ERROR_NOTAVAIL;
  return mixer->Advance(frames) ? BASS_OK : BASS_ERROR_INIT;
}

std::vector<std::shared_ptr<Channel>> Engine::MixableChannels() {
  std::lock_guard lock(mutex_);
  std::vector<std::shared_ptr<Channel>> list;
  for (auto& [handle, channel] : channels_)
    if (!channel->DecodeOnly()) list.push_back(channel);
  return list;
}

GlobalMix Engine::CurrentMix() {
  const bool log = curve_ != 0;
  const float output = VolumeGain(volume_, log);
  return {VolumeGain(streamVolume_, log) * output, VolumeGain(musicVolume_, log) * output, log};
}

// ---------------------------------------------------------------------------
// Channels

int Engine::PrepareChannel(bool decodeOnly, ChannelSetup& setup, std::shared_ptr<FrameClock>& clock) {
  std::lock_guard lock(mutex_);
  if (!mixer_) return BASS_ERROR_INIT;
  setup.handle = NewHandle();
  setup.device = device_.device;
  setup.decodeOnly = decodeOnly;
  // Enough history for the frames still queued ahead of the listener, even
  // at a raised speed, plus the largest spectrum.
  const size_t lead = size_t{device_.rate} * device_.latencyMs / 1000;
  setup.historyFrames = decodeOnly ? 8192 : lead * 3 + 8192;
  clock = mixer_;
  return BASS_OK;
}

int Engine::AddChannel(std::shared_ptr<Channel> channel) {
  size_t open = 0;
  {
    std::lock_guard lock(mutex_);
    if (!mixer_) return BASS_ERROR_INIT;
    channels_[channel->Handle()] = std::move(channel);
    open = channels_.size();
    ReportDecodeChannels(channels_);
  }
  LogChannelCount(open);
  return BASS_OK;
}

int Engine::Find(uint32_t handle, std::shared_ptr<Channel>& channel) {
  std::lock_guard lock(mutex_);
  if (!mixer_) return BASS_ERROR_INIT;
  auto it = channels_.find(handle);
  if (it == channels_.end()) return BASS_ERROR_HANDLE;
  channel = it->second;
  return BASS_OK;
}

int Engine::FreeChannel(uint32_t handle) {
  std::shared_ptr<Channel> channel;
  size_t open = 0;
  {
    std::lock_guard lock(mutex_);
    if (!mixer_) return BASS_ERROR_INIT;
    auto it = channels_.find(handle);
    if (it == channels_.end()) return BASS_ERROR_HANDLE;
    channel = std::move(it->second);
    channels_.erase(it);
    open = channels_.size();
    ReportDecodeChannels(channels_);
  }
  channel->MarkFreed();
  LogChannelCount(open);
  return BASS_OK;
}

int Engine::FindEffect(uint32_t fx, std::shared_ptr<Channel>& channel) {
  std::vector<std::shared_ptr<Channel>> list;
  {
    std::lock_guard lock(mutex_);
    for (auto& [handle, c] : channels_) list.push_back(c);
  }
  // Asked outside the table lock: each question takes the channel's own.
  for (auto& c : list) {
    if (c->HasEffect(fx)) {
      channel = c;
      return BASS_OK;
    }
  }
  return BASS_ERROR_HANDLE;
}

int Engine::Play(uint32_t handle, bool restart) {
  std::shared_ptr<Channel> channel;
  if (int error = Find(handle, channel)) return error;
  if (channel->DecodeOnly()) return BASS_ERROR_DECODE;
  if (auto mixer = CurrentMixer(); mixer && mixer->Paused()) return BASS_ERROR_START;
  if (int error = channel->Play(restart)) return error;
  for (uint32_t link : channel->Links()) {
    std::shared_ptr<Channel> other;
    if (Find(link, other) == BASS_OK && !other->DecodeOnly()) other->Play(restart);
  }
  if (auto mixer = CurrentMixer()) mixer->Wake();
  return BASS_OK;
}

int Engine::Stop(uint32_t handle) {
  std::shared_ptr<Channel> channel;
  if (int error = Find(handle, channel)) return error;
  if (int error = channel->Stop()) return error;
  for (uint32_t link : channel->Links()) {
    std::shared_ptr<Channel> other;
    if (Find(link, other) == BASS_OK && other->Stop() == BASS_OK && other->AutoFree()) FreeChannel(link);
  }
  if (channel->AutoFree()) FreeChannel(handle);
  return BASS_OK;
}

int Engine::Pause(uint32_t handle) {
  std::shared_ptr<Channel> channel;
  if (int error = Find(handle, channel)) return error;
  if (int error = channel->Pause()) return error;
  for (uint32_t link : channel->Links()) {
    std::shared_ptr<Channel> other;
    if (Find(link, other) == BASS_OK) other->Pause();
  }
  return BASS_OK;
}

int Engine::IsActive(uint32_t handle, uint32_t& state) {
  std::shared_ptr<Channel> channel;
  if (int error = Find(handle, channel)) return error;
  auto mixer = CurrentMixer();
  state = channel->Activity(mixer && mixer->Paused());
  return BASS_OK;
}

}  // namespace bass_core
