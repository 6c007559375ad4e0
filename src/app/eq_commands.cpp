// The main window's side of the equaliser window: its host, and showing it
// docked above the main window.
#include "app/main_form.h"
#include "engine/bass_player.h"
#include "framework/menus.h"
#include "globals/program_globals.h"
#include "skin/image_but.h"
#include "unicode_controls/tnt_menus.h"
#include "windows/equalizer/eq_form.h"
#include "windows/equalizer/eq_host.h"

namespace {

class TEQBridge : public TEQHost {
 public:
  explicit TEQBridge(TTavrinMainForm* Form) : FForm(Form) {}

  uint8_t SoundEffects() override { return AudioPlayer ? AudioPlayer->SoundEffects() : 0; }
  void SetSoundEffects(uint8_t Bits) override {
    if (AudioPlayer) AudioPlayer->SetSoundEffects(Bits);
  }
  void SetEQGains(const std::array<float, 10>& Gains) override {
    if (AudioPlayer) AudioPlayer->SetEQGains(Gains);
  }
  void SetPan(int32_t Value) override {
    if (AudioPlayer) AudioPlayer->SetPan(Value);
  }
  void ShowInfoText(const std::wstring& Text) override { FForm->SongInfoLabel->SetText(Text); }
  void RestoreInfoText() override { FForm->SongInfoLabel->SetText(CurrentTitle); }
  void ToggleEQ() override { FForm->ShowEQExecute(); }
  void PopupMainMenu(int32_t X, int32_t Y) override { FForm->MainMenu->Popup(X, Y); }
  void LoadEQPreset(const TXMLNode& Node) override { FForm->LoadEQPreset(Node); }
  void SaveEQPreset(TXMLNode Node, const std::wstring& Name) override {
    FForm->SaveEQPreset(Node, Name);
  }
  std::string OverrideFontName() override { return FForm->OverrideFontName(); }

 private:
  TTavrinMainForm* FForm;
};

}  // namespace

TEQHost* TTavrinMainForm::EQHost() {
  if (!FEQBridge) FEQBridge = std::make_unique<TEQBridge>(this);
  return FEQBridge.get();
}

void TTavrinMainForm::ShowEQExecute() {
  ToggleDocked(EQ, EQBut, ToggleEqualizerMI, &TTavrinMainForm::EQPosExecute);
}

