// Effect entry points of bass.dll: equaliser, echo and reverb on any channel,
// decoding ones included. Effects need DirectSound 8, which BASS_GetInfo
// always reports, so they are never refused for the device's sake.
#include "bass/bass/entry.h"
#include "bass/bass/with_channel.h"
#include "bass/core/effect.h"
#include "bass/core/engine.h"

using namespace bass_core;
using namespace tavrin_bass;

HFX WINAPI BASS_ChannelSetFX(DWORD handle, DWORD type, int priority) {
  return Guard<&BASS_ChannelSetFX>([&] {
    HFX fx = 0;
    int error = WithChannel(handle, [&](Channel& c) {
      if (type > BASS_FX_REVERB) return static_cast<int>(BASS_ERROR_ILLTYPE);
      ChannelInfoValues info = c.Info();
      auto effect = MakeEffect(type, info.freq, info.chans);
      // Chorus, compressor, distortion, flanger, gargle and I3DL2 reverb are
      // real types that this library does not have.
      if (!effect) return static_cast<int>(BASS_ERROR_NOTAVAIL);
      fx = Engine::NewHandle();
      c.AddEffect(fx, priority, std::move(effect));
      return static_cast<int>(BASS_OK);
    });
    return Answer<&BASS_ChannelSetFX>(error, fx);
  });
}

BOOL WINAPI BASS_ChannelRemoveFX(DWORD handle, HFX fx) {
  return Guard<&BASS_ChannelRemoveFX>([&] {
    int error = WithChannel(handle, [&](Channel& c) {
      return static_cast<int>(c.RemoveEffect(fx) ? BASS_OK : BASS_ERROR_HANDLE);
    });
    return Answer<&BASS_ChannelRemoveFX>(error, TRUE);
  });
}

BOOL WINAPI BASS_FXSetParameters(HFX fx, const void* par) {
  return Guard<&BASS_FXSetParameters>([&] {
    std::shared_ptr<Channel> channel;
    int error = Engine::Instance().FindEffect(fx, channel);
    if (error == BASS_OK) error = channel->SetEffectParameters(fx, par);
    return Answer<&BASS_FXSetParameters>(error, TRUE);
  });
}

BOOL WINAPI BASS_FXGetParameters(HFX fx, void* par) {
  return Guard<&BASS_FXGetParameters>([&] {
    std::shared_ptr<Channel> channel;
    int error = Engine::Instance().FindEffect(fx, channel);
    if (error == BASS_OK) error = channel->GetEffectParameters(fx, par);
    return Answer<&BASS_FXGetParameters>(error, TRUE);
  });
}
