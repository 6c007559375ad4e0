#include "bass/enc/bass_link.h"

namespace bass_enc {
namespace {

template <auto Fn>
decltype(Fn) Lookup(const char* name) {
  HMODULE bass = GetModuleHandleW(L"bass.dll");
  if (bass == nullptr) return nullptr;
  return reinterpret_cast<decltype(Fn)>(reinterpret_cast<void*>(GetProcAddress(bass, name)));
}

}  // namespace

bool ChannelInfo(DWORD channel, BASS_CHANNELINFO& info) {
  auto fn = Lookup<&BASS_ChannelGetInfo>("BASS_ChannelGetInfo");
  return fn != nullptr && fn(channel, &info) != FALSE;
}

HDSP ChannelSetDsp(DWORD channel, DSPPROC* proc, void* user, int priority) {
  auto fn = Lookup<&BASS_ChannelSetDSP>("BASS_ChannelSetDSP");
  return fn != nullptr ? fn(channel, proc, user, priority) : 0;
}

void ChannelRemoveDsp(DWORD channel, HDSP dsp) {
  auto fn = Lookup<&BASS_ChannelRemoveDSP>("BASS_ChannelRemoveDSP");
  if (fn != nullptr) fn(channel, dsp);
}

}  // namespace bass_enc
