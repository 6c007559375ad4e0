// The sound effects window, the lyrics editor and the about window hold the components their
// language sections name, and the effects window hands the player what it
// shows.
#include <gtest/gtest.h>

#include <memory>

#include "foundation/tnt_ini_files.h"
#include "framework/forms.h"
#include "language_components.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_buttons.h"
#include "windows/about/about_form.h"
#include "windows/effects/effects_form.h"
#include "windows/effects/effects_host.h"
#include "windows/lyrics/lyrics_editor.h"

namespace {

using namespace language_test;

class FakeEffectsHost : public TEffectsHost {
 public:
  uint8_t SoundEffects() override { return Bits; }
  void SetSoundEffects(uint8_t Value) override { Bits = Value; }
  uint16_t EchoLevel() override { return Echo; }
  void SetEchoLevel(uint16_t Level) override { Echo = Level; }
  uint16_t ReverbLevel() override { return Reverb; }
  void SetReverbLevel(uint16_t Level) override { Reverb = Level; }
  uint8_t Speed() override { return SpeedValue; }
  void SetSpeed(uint8_t Percent) override { SpeedValue = Percent; }
  void EffectsWindowClosed() override { Closed = true; }
  std::string OverrideFontName() override { return std::string(); }

  uint8_t Bits = 0, SpeedValue = 100;
  uint16_t Echo = 16, Reverb = 16;
  bool Closed = false;
};

TEST(ToolWindows, HoldTheComponentsOfTheirLanguageSections) {
  const auto sections = ReadComponentList(ComponentListFile());
  TTntIniFile english(EnglishLanguageFile());
  TSEffects effects(Application(), nullptr);
  EXPECT_EQ(CompareFormWithSection(&effects, *FindSection(sections, L"Sound Effects"), english), "");
  TLyricsEditor editor(Application(), nullptr);
  EXPECT_EQ(CompareFormWithSection(&editor, *FindSection(sections, L"Lyrics Editor"), english), "");
  TAbout about(Application(), nullptr);
  EXPECT_EQ(CompareFormWithSection(&about, *FindSection(sections, L"About"), english), "");
}

TEST(ToolWindows, TheEffectsWindowShowsThePlayersValuesAndKeepsTheOtherBits) {
  FakeEffectsHost host;
  host.Bits = 1 | 4;  // equaliser and reverb on, echo off
  host.Echo = 30;
  host.Reverb = 7;
  host.SpeedValue = 150;
  {
    TSEffects effects(Application(), &host);
    // An effect that is off keeps its slider at 16, whatever the player holds.
    EXPECT_EQ(effects.EchoTrack->Value(), 16);
    EXPECT_EQ(effects.ReverbTrack->Value(), 7);
    EXPECT_EQ(effects.Speed->Value(), 150);
    EXPECT_TRUE(effects.ReverbCheck->Checked());
    effects.EchoCheck->SetChecked(true);
    effects.EchoCheckClick();
    EXPECT_EQ(host.Bits, 1 | 2 | 4);
    effects.ReverbCheck->SetChecked(false);
    effects.ReverbCheckClick();
    EXPECT_EQ(host.Bits, 1 | 2);
    effects.Speed->SetValue(10);  // the slider keeps it within 50..200
    EXPECT_EQ(host.SpeedValue, 50);
  }
}

}  // namespace
