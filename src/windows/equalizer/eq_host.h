// What the equaliser window and its presets dialog need from outside
// themselves. The main window answers it: the player, its song line, the
// main menu, the window toggle and the presets' loading and storing. The
// windows only point to their host; whoever made the host frees it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "framework/xml_document.h"

struct TMessage;

class TEQHost {
 public:
  virtual ~TEQHost() = default;

  // The player's effect bits: 1 equaliser, 2 echo, 4 reverb.
  virtual uint8_t SoundEffects() = 0;
  virtual void SetSoundEffects(uint8_t Bits) = 0;
  // Gains in dB, lowest band first.
  virtual void SetEQGains(const std::array<float, 10>& Gains) = 0;
  // -100 (left) .. 100 (right).
  virtual void SetPan(int32_t Value) = 0;

  // The main window's song line: a passing text, then the song's title again.
  virtual void ShowInfoText(const std::wstring& Text) = 0;
  virtual void RestoreInfoText() = 0;

  // The main window's show-equaliser toggle (the close button hides through
  // it, so the main window's button and menu follow).
  virtual void ToggleEQ() = 0;
  // The main menu, popped up at a screen point.
  virtual void PopupMainMenu(int32_t X, int32_t Y) = 0;

  // A preset element (attributes B1 .. B10) into the sliders and the player.
  virtual void LoadEQPreset(const TXMLNode& Node) = 0;
  // The sliders into Node's B1 .. B10 (Name empty), or into a new "Preset"
  // child of Node named Name.
  virtual void SaveEQPreset(TXMLNode Node, const std::wstring& Name) = 0;

  // The face every window takes when the options override fonts; empty when
  // they do not.
  virtual std::string OverrideFontName() = 0;
};
