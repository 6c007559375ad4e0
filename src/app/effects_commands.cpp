// The main window's side of the sound effects window: its host, and showing
// and closing it from the menu, Alt+S and the remote control.
#include "app/main_form.h"
#include "engine/bass_player.h"
#include "framework/menus.h"
#include "framework/shortcuts.h"
#include "globals/program_globals.h"
#include "unicode_controls/tnt_actions.h"
#include "windows/effects/effects_form.h"
#include "windows/effects/effects_host.h"

namespace {

class TEffectsBridge : public TEffectsHost {
 public:
  explicit TEffectsBridge(TTavrinMainForm* Form) : FForm(Form) {}

  uint8_t SoundEffects() override { return AudioPlayer ? AudioPlayer->SoundEffects() : 0; }
  void SetSoundEffects(uint8_t Bits) override {
    if (AudioPlayer) AudioPlayer->SetSoundEffects(Bits);
  }
  uint16_t EchoLevel() override { return AudioPlayer ? AudioPlayer->EchoLevel() : 16; }
  void SetEchoLevel(uint16_t Level) override {
    if (AudioPlayer) AudioPlayer->SetEchoLevel(Level);
  }
  uint16_t ReverbLevel() override { return AudioPlayer ? AudioPlayer->ReverbLevel() : 16; }
  void SetReverbLevel(uint16_t Level) override {
    if (AudioPlayer) AudioPlayer->SetReverbLevel(Level);
  }
  uint8_t Speed() override { return AudioPlayer ? AudioPlayer->Speed() : 100; }
  void SetSpeed(uint8_t Percent) override { FForm->SetPlaybackSpeed(Percent); }
  void EffectsWindowClosed() override {
    if (FForm->ToggleSpecialEffectsMI) FForm->ToggleSpecialEffectsMI->SetChecked(false);
  }
  std::string OverrideFontName() override { return FForm->OverrideFontName(); }

 private:
  TTavrinMainForm* FForm;
};

}  // namespace

void TTavrinMainForm::CreateEffectsCommands() {
  FEffectsBridge = std::make_unique<TEffectsBridge>(this);
  ShowSE = new TTntAction(this);
  ShowSE->SetName(L"ShowSE");
  ShowSE->SetActionList(Actions);
  ShowSE->SetShortCut(ShortCut('S', ssAlt));
  ShowSE->SetOnExecute([this](TObject*) { ShowSEExecute(); });
  ToggleSpecialEffectsMI = dynamic_cast<TMenuItem*>(FindComponent(L"ToggleSpecialEffectsMI"));
  if (ToggleSpecialEffectsMI) {
    ToggleSpecialEffectsMI->SetOnClick([this](TObject*) { ShowSEExecute(); });
    ToggleSpecialEffectsMI->SetEnabled(true);
  }
}

void TTavrinMainForm::ShowSEExecute() {
  if (SEffects) {
    SEffects->Close();
    return;
  }
  auto* window = new TSEffects(Application(), FEffectsBridge.get());
  window->Show();
  if (ToggleSpecialEffectsMI) ToggleSpecialEffectsMI->SetChecked(true);
}
