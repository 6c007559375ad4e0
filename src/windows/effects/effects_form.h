// TSEffects: the sound effects window (echo, reverb, playback speed). Made on
// demand by the main window, it frees itself when closed. It keeps nothing of
// its own: the values live in the player and are read back at creation, and
// every change reaches the player at once.
//
// Ownership: the window owns its controls; it only points to the host.
#pragma once

#include <cstdint>

#include "unicode_controls/tnt_forms.h"

class TEffectsHost;
class TSlider;
class TTntCheckBox;
class TTntLabel;
class TTntPanel;

class TSEffects;
// The window while it exists; nullptr otherwise.
extern TSEffects* SEffects;

class TSEffects : public TTntFixedDialog {
 public:
  // Host may be nullptr: the window then calls out to nothing.
  TSEffects(TComponent* AOwner, TEffectsHost* Host);
  ~TSEffects() override;

  // Handlers.
  void FormCreate();
  void FormShow();
  void EchoCheckClick();
  void ReverbCheckClick();
  void EchoTrackChange();
  void ReverbTrackChange();
  void SpeedChange();

  static constexpr int32_t kLevelMax = 32;
  static constexpr int32_t kLevelDefault = 16;
  static constexpr int32_t kSpeedMin = 50;
  static constexpr int32_t kSpeedMax = 200;

  // The controls, under their form names.
  TTntPanel* EffectsPanel = nullptr;
  TTntCheckBox* EchoCheck = nullptr;
  TSlider* EchoTrack = nullptr;
  TTntLabel* EchoLevel = nullptr;
  TTntCheckBox* ReverbCheck = nullptr;
  TSlider* ReverbTrack = nullptr;
  TTntLabel* ReverbLevel = nullptr;
  TTntLabel* SpeedLabel = nullptr;
  TSlider* Speed = nullptr;
  TTntLabel* SpeedLevel = nullptr;

 private:
  void CreateControls();
  // Sets or clears one effect bit, keeping the others.
  void SetEffectBit(uint8_t Bit, bool On);

  TEffectsHost* FHost;
};
