// What the sound effects window needs from outside itself. The main window
// answers it: the player's effect bits, echo and reverb levels and speed, and
// its main menu's check mark. The window only points to its host; whoever
// made the host frees it.
#pragma once

#include <cstdint>
#include <string>

class TEffectsHost {
 public:
  virtual ~TEffectsHost() = default;

  // The player's effect bits: 1 equaliser, 2 echo, 4 reverb.
  virtual uint8_t SoundEffects() = 0;
  virtual void SetSoundEffects(uint8_t Bits) = 0;
  // 0..32 each.
  virtual uint16_t EchoLevel() = 0;
  virtual void SetEchoLevel(uint16_t Level) = 0;
  virtual uint16_t ReverbLevel() = 0;
  virtual void SetReverbLevel(uint16_t Level) = 0;
  // Playback speed in percent, 50..200; the position display keeps pace.
  virtual uint8_t Speed() = 0;
  virtual void SetSpeed(uint8_t Percent) = 0;
  // The window is going: the main menu's check mark goes out.
  virtual void EffectsWindowClosed() = 0;
  // The face every window takes when the options override fonts; empty when
  // they do not.
  virtual std::string OverrideFontName() = 0;
};
