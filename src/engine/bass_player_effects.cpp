// TBASSPlayer: the ten equaliser bands, echo and reverb as BASS effects on
// the open channel, created when their bit is set and removed when cleared.
#include <algorithm>
#include <cmath>

#include "engine/bass22_dynamic.h"
#include "engine/bass_player.h"

namespace bass = Bass22_dynamic;

namespace {

constexpr uint8_t kEqualiserBit = 1;
constexpr uint8_t kEchoBit = 2;
constexpr uint8_t kReverbBit = 4;
constexpr uint16_t kLevelLimit = 33;
// Gains closer than this to what BASS already has are not sent again.
constexpr float kGainStep = 0.001f;

void SetEchoParameters(HFX fx, uint16_t level) {
  BASS_FXECHO echo{};
  if (!bass::BASS_FXGetParameters(fx, &echo)) return;
  echo.fWetDryMix = 1.2f * level;
  echo.fFeedback = 30;
  bass::BASS_FXSetParameters(fx, &echo);
}

void SetReverbParameters(HFX fx, uint16_t level) {
  BASS_FXREVERB reverb{};
  if (!bass::BASS_FXGetParameters(fx, &reverb)) return;
  reverb.fInGain = 0;
  reverb.fReverbMix = level * 0.5f - 16;
  reverb.fReverbTime = 1000;
  reverb.fHighFreqRTRatio = 0.1f;
  bass::BASS_FXSetParameters(fx, &reverb);
}

// The handle stays when BASS refuses the removal, so a later call retries.
void RemoveEffect(DWORD channel, HFX& fx) {
  if (fx != 0 && bass::BASS_ChannelRemoveFX(channel, fx)) fx = 0;
}

}  // namespace

void TBASSPlayer::SetEQGains(const TEQGains& Gains) {
  if (!FEffectsAvailable) return;
  for (size_t i = 0; i < kEQBandCount; ++i) {
    // NaN would pass a plain clamp and reach the filter.
    float gain = std::isnan(Gains[i]) ? 0.0f : std::clamp(Gains[i], -15.0f, 15.0f);
    FEQBands[i].fGain = gain;
    if (!(FSoundEffects & kEqualiserBit) || FEQEffects[i] == 0) continue;
    BASS_FXPARAMEQ current{};
    if (!bass::BASS_FXGetParameters(FEQEffects[i], &current)) continue;
    if (std::fabs(current.fGain - gain) >= kGainStep) bass::BASS_FXSetParameters(FEQEffects[i], &FEQBands[i]);
  }
}

void TBASSPlayer::SetEchoLevel(uint16_t Level) {
  if (Level >= kLevelLimit) return;
  FEchoLevel = Level;
  if ((FSoundEffects & kEchoBit) && FEchoEffect != 0) SetEchoParameters(FEchoEffect, Level);
}

void TBASSPlayer::SetReverbLevel(uint16_t Level) {
  if (Level >= kLevelLimit) return;
  FReverbLevel = Level;
  if ((FSoundEffects & kReverbBit) && FReverbEffect != 0) SetReverbParameters(FReverbEffect, Level);
}

void TBASSPlayer::SetSoundEffects(uint8_t Bits) {
  FSoundEffects = Bits;
  if (FChannelKind == ckNone || !FEffectsAvailable) return;
  for (size_t i = 0; i < kEQBandCount; ++i) {
    if (Bits & kEqualiserBit) {
      if (FEQEffects[i] == 0) FEQEffects[i] = bass::BASS_ChannelSetFX(FChannel, BASS_FX_PARAMEQ, 0);
      // Sent even when the effect could not be made: BASS refuses handle 0,
      // and the next call tries to create it again.
      bass::BASS_FXSetParameters(FEQEffects[i], &FEQBands[i]);
    } else {
      RemoveEffect(FChannel, FEQEffects[i]);
    }
  }
  if (Bits & kEchoBit) {
    if (FEchoEffect == 0) FEchoEffect = bass::BASS_ChannelSetFX(FChannel, BASS_FX_ECHO, 0);
    if (FEchoEffect != 0) SetEchoParameters(FEchoEffect, FEchoLevel);
  } else {
    RemoveEffect(FChannel, FEchoEffect);
  }
  if (Bits & kReverbBit) {
    if (FReverbEffect == 0) FReverbEffect = bass::BASS_ChannelSetFX(FChannel, BASS_FX_REVERB, 0);
    if (FReverbEffect != 0) SetReverbParameters(FReverbEffect, FReverbLevel);
  } else {
    RemoveEffect(FChannel, FReverbEffect);
  }
}

void TBASSPlayer::ClearEffectHandles() {
  if (!FEffectsAvailable) return;
  FEQEffects.fill(0);
  FEchoEffect = 0;
  FReverbEffect = 0;
}
