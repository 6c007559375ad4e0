// TBASSPlayer: volume, balance, speed and the band-level timer's interval.
#include "engine/bass22_dynamic.h"
#include "engine/bass_player.h"
#include "framework/timer.h"

#include <algorithm>

namespace bass = Bass22_dynamic;

void TBASSPlayer::SetPan(int32_t Value) {
  FPan = std::clamp(Value, -100, 100);
  bass::BASS_ChannelSetAttributes(FChannel, -1, -1, FPan);
}

void TBASSPlayer::SetSpeed(uint8_t Value) {
  FSpeed = Value;
  bass::BASS_ChannelSetAttributes(FChannel, static_cast<int>(FBaseFrequency / 100 * Value), -1, -101);
}

void TBASSPlayer::SetVolume(uint32_t Value) {
  FVolume = std::min<uint32_t>(Value, 100);
  bass::BASS_SetConfig(BASS_CONFIG_GVOL_MUSIC, FVolume);
  bass::BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, FVolume);
}

void TBASSPlayer::SetVolumeCurve(int32_t Value) {
  bass::BASS_SetConfig(BASS_CONFIG_CURVE_VOL, static_cast<DWORD>(Value));
  FVolumeCurve = Value;
}

void TBASSPlayer::SetVisRefreshInterval(int32_t Value) {
  if (Value < 10 || Value > 1000) return;
  FVisInterval = Value;
  if (FVisTimer) FVisTimer->SetInterval(static_cast<uint32_t>(Value));
}
