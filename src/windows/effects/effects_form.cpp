#include "windows/effects/effects_form.h"

#include <algorithm>
#include <string>

#include "globals/program_globals.h"
#include "localization/localization.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "unicode_controls/tnt_labels.h"
#include "windows/controls/window_controls.h"
#include "windows/effects/effects_host.h"

TSEffects* SEffects = nullptr;

namespace {

constexpr uint8_t kEchoBit = 2;
constexpr uint8_t kReverbBit = 4;
constexpr int kClientWidth = 170;
constexpr int kClientHeight = 190;

}  // namespace

TSEffects::TSEffects(TComponent* AOwner, TEffectsHost* Host) : TTntFixedDialog(AOwner), FHost(Host) {
  SEffects = this;
  {
    TLoadingScope scope(this);
    SetName(L"SEffects");
    SetCaption("Sound Effects");
    SizeForClient(kClientWidth, kClientHeight);
    CreateControls();
  }
  SetOnShow([this](TObject*) { FormShow(); });
  SetOnClose([this](TObject*, TCloseAction& Action) {
    Action = caFree;
    // Freed later: a toggle meanwhile makes a new window.
    if (SEffects == this) SEffects = nullptr;
    if (FHost) FHost->EffectsWindowClosed();
  });
  DoCreate();
  FormCreate();
}

TSEffects::~TSEffects() {
  if (SEffects == this) SEffects = nullptr;
  DestroyComponents();
}

void TSEffects::CreateControls() {
  using namespace window_controls;
  EffectsPanel = new TTntPanel(this);
  EffectsPanel->SetParent(this);
  EffectsPanel->SetName(L"EffectsPanel");
  EffectsPanel->SetAlign(alClient);
  EffectsPanel->SetBevelOuter(bvLowered);
  EffectsPanel->SetCaption(std::wstring());

  // Three rows: a caption with its value at the right, the slider under it.
  constexpr int left = 12, width = kClientWidth - 2 * left, valueWidth = 40;
  auto row = [&](int Top, TSlider*& Track, const wchar_t* TrackName, int32_t Min, int32_t Max,
                 int32_t Value, TTntLabel*& Level, const wchar_t* LevelName) {
    Level = NewLabel(this, EffectsPanel, LevelName, L"", left + width - valueWidth, Top + 2, valueWidth);
    Level->SetAlignment(taRightJustify);
    Track = NewSlider(this, EffectsPanel, TrackName, left, Top + kCheckHeight + 6, width, Min, Max, Value);
  };
  EchoCheck = NewCheckBox(this, EffectsPanel, L"EchoCheck", L"Echo:", left, 14, 100);
  row(14, EchoTrack, L"EchoTrack", 0, kLevelMax, kLevelDefault, EchoLevel, L"EchoLevel");
  ReverbCheck = NewCheckBox(this, EffectsPanel, L"ReverbCheck", L"Reverb:", left, 72, 100);
  row(72, ReverbTrack, L"ReverbTrack", 0, kLevelMax, kLevelDefault, ReverbLevel, L"ReverbLevel");
  SpeedLabel = NewLabel(this, EffectsPanel, L"SpeedLabel", L"Speed:", left + 2, 132, 100);
  row(130, Speed, L"Speed", kSpeedMin, kSpeedMax, 100, SpeedLevel, L"SpeedLevel");
  EchoLevel->SetCaption(std::to_wstring(kLevelDefault));
  ReverbLevel->SetCaption(std::to_wstring(kLevelDefault));
  SpeedLevel->SetCaption(L"100%");

  EchoCheck->SetOnClick([this](TObject*) { EchoCheckClick(); });
  ReverbCheck->SetOnClick([this](TObject*) { ReverbCheckClick(); });
  EchoTrack->SetOnChange([this](TObject*) { EchoTrackChange(); });
  ReverbTrack->SetOnChange([this](TObject*) { ReverbTrackChange(); });
  Speed->SetOnChange([this](TObject*) { SpeedChange(); });
}

void TSEffects::FormCreate() {
  if (!FHost) return;
  // Each assignment runs its handler, which gives the same value back to the
  // player and shows it. An effect that is off keeps its slider at 16.
  const uint8_t bits = FHost->SoundEffects();
  Speed->SetValue(FHost->Speed());
  SpeedChange();
  if (bits & kEchoBit) {
    EchoCheck->SetChecked(true);
    EchoTrack->SetValue(FHost->EchoLevel());
    EchoTrackChange();
  }
  if (bits & kReverbBit) {
    ReverbCheck->SetChecked(true);
    ReverbTrack->SetValue(FHost->ReverbLevel());
    ReverbTrackChange();
  }
}

void TSEffects::FormShow() {
  const std::string font = FHost ? FHost->OverrideFontName() : std::string();
  if (!font.empty()) ApplyFontOverride(this, font);
  LoadFormLanguage(this, LanguageFile, L"Sound Effects");
}

void TSEffects::SetEffectBit(uint8_t Bit, bool On) {
  if (!FHost) return;
  const uint8_t bits = FHost->SoundEffects();
  FHost->SetSoundEffects(static_cast<uint8_t>(On ? bits | Bit : bits & ~Bit));
}

void TSEffects::EchoCheckClick() { SetEffectBit(kEchoBit, EchoCheck->Checked()); }

void TSEffects::ReverbCheckClick() { SetEffectBit(kReverbBit, ReverbCheck->Checked()); }

void TSEffects::EchoTrackChange() {
  const int32_t level = std::clamp<int32_t>(EchoTrack->Value(), 0, kLevelMax);
  if (FHost) FHost->SetEchoLevel(static_cast<uint16_t>(level));
  EchoLevel->SetCaption(std::to_wstring(level));
}

void TSEffects::ReverbTrackChange() {
  const int32_t level = std::clamp<int32_t>(ReverbTrack->Value(), 0, kLevelMax);
  if (FHost) FHost->SetReverbLevel(static_cast<uint16_t>(level));
  ReverbLevel->SetCaption(std::to_wstring(level));
}

void TSEffects::SpeedChange() {
  const int32_t speed = std::clamp<int32_t>(Speed->Value(), kSpeedMin, kSpeedMax);
  SpeedLevel->SetCaption(std::to_wstring(speed) + L"%");
  if (FHost) FHost->SetSpeed(static_cast<uint8_t>(speed));
}
