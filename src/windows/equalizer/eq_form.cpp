#include "windows/equalizer/eq_form.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "framework/images.h"
#include "globals/program_globals.h"
#include "skin/form_title.h"
#include "skin/image_but.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_controls.h"
#include "windows/equalizer/eq_presets.h"

TEQ* EQ = nullptr;

namespace {

constexpr const char* kBandHints[10] = {"80 Hz", "170 Hz", "310 Hz", "600 Hz", "1 KHz",
                                        "3 KHz", "6 KHz",  "10 KHz", "12 KHz", "14 KHz"};
constexpr uint8_t kEQBit = 1;
// The system's move command asked for with the pointer as the caption's.
constexpr WPARAM kMoveByDragging = 0xF012;

}  // namespace

TEQ::TEQ(TComponent* AOwner, TEQHost* Host) : TTntForm(AOwner), FHost(Host) {
  {
    TLoadingScope scope(this);
    SetName(L"EQ");
    SetCaption(L"EQ");
    SetBorderStyle(bsNone);
    SetClientWidth(250);
    SetClientHeight(145);
    SetShowHint(true);
    CreateControls();
  }
  SetOnShow([this](TObject*) { FormShow(); });
  EQ = this;
  DoCreate();
}

TEQ::~TEQ() {
  if (EQ == this) EQ = nullptr;
  DestroyComponents();
}

void TEQ::CreateControls() {
  EQBG = new TImage(this);
  EQBG->SetName(L"EQBG");
  EQBG->SetParent(this);
  EQBG->SetBounds(0, 19, 250, 126);
  EQBG->SetOnMouseDown(
      [this](TObject*, TMouseButton Button, TShiftState, int, int) { EQBGMouseDown(Button); });

  Title = new TFormTitle(this);
  Title->SetName(L"Title");
  Title->SetParent(this);
  Title->SetBevelOuter(bvNone);
  Title->SetAlign(alTop);
  Title->SetDrawStyle(dsSimple);
  Title->SetHeight(19);
  Title->SetSizeable(false);
  // The main menu comes where the pointer lets go, as a system menu would.
  auto popup = [this](TObject*, TMouseButton Button, TShiftState, int, int) {
    if (Button == mbRight) PopupMainMenu();
  };
  Title->SetOnMouseUp(popup);
  EQBG->SetOnMouseUp(popup);

  auto button = [this](const wchar_t* Name, TWinControl* Parent, uint8_t States, const char* Hint) {
    auto* b = new TImageBut(this);
    b->SetName(Name);
    b->SetNumStates(States);
    b->SetParent(Parent);
    b->SetHint(Hint);
    return b;
  };
  // On the bar, so that the bar's move loop never takes the button's press.
  CloseBut = button(L"CloseBut", Title, 4, "Close");
  CloseBut->SetOnClick([this](TObject*) { CloseButClick(); });
  EQON = button(L"EQON", this, 3, "Equalizer on/off");
  EQON->SetState(stCheck);
  EQON->SetControlType(ctManual);
  EQON->SetOnClick([this](TObject*) { EQONClick(); });
  PresetsBut = button(L"PresetsBut", this, 3, "Presets");
  PresetsBut->SetOnClick([this](TObject*) { PresetsButClick(); });

  for (int32_t i = 0; i < 10; ++i) {
    auto* slider = new TSlider(this);
    slider->SetName(L"Slider" + std::to_wstring(i + 1));
    slider->SetParent(this);
    slider->SetOrientation(soVertical);
    slider->SetNumThumbStates(2);
    slider->SetMinValue(-15);
    slider->SetMaxValue(15);
    slider->SetShowProgress(true);
    slider->SetTag(i + 1);
    slider->SetHint(kBandHints[i]);
    slider->SetBounds(40 + 20 * i, 35, 14, 75);
    auto change = [this, slider](TObject*) { EQSliderChange(slider); };
    slider->SetOnChange(change);
    slider->SetOnStartTracking(change);
    slider->SetOnStopTracking([this, slider](TObject*) { EQSliderStopTracking(slider); });
    FBands[i] = slider;
  }

  PanningBar = new TSlider(this);
  PanningBar->SetName(L"PanningBar");
  PanningBar->SetParent(this);
  PanningBar->SetNumThumbStates(2);
  PanningBar->SetMinValue(-100);
  PanningBar->SetMaxValue(100);
  PanningBar->SetHint("Panning Bar");
  PanningBar->SetBounds(93, 125, 55, 10);
  PanningBar->SetOnChange([this](TObject*) { PanningBarChange(); });
  PanningBar->SetOnStartTracking([this](TObject*) { PanningBarChange(); });
  PanningBar->SetOnStopTracking([this](TObject*) { PanningBarStopTracking(); });
}

TSlider* TEQ::Band(int32_t N) const { return N >= 1 && N <= 10 ? FBands[N - 1] : nullptr; }

// ---------------------------------------------------------------- handlers

void TEQ::EQSliderChange(TSlider* Sender) {
  if (!Sender || !FHost) return;
  const int32_t value = Sender->Value();
  // A negative value brings its own sign.
  FHost->ShowInfoText(L"EQ (" + WideGetHint(Sender) + L")  " + (value >= 0 ? L"+" : L"") +
                      std::to_wstring(value) + L" db");
}

void TEQ::EQSliderStopTracking(TSlider* Sender) {
  if (!Sender) return;
  const intptr_t band = Sender->Tag();
  if (band < 1 || band > 10) return;
  EQGains[band - 1] = static_cast<float>(Sender->Value());
  if (!FHost) return;
  FHost->SetEQGains(EQGains);
  FHost->RestoreInfoText();
}

void TEQ::PanningBarChange() {
  const int32_t value = PanningBar->Value();
  // An odd width has a middle pixel: the thumb near it rests on the centre.
  // Setting the value runs this handler again, which does the rest.
  if (PanningBar->Width() % 2 != 0 && value != 0 && std::abs(value) < 11) {
    PanningBar->SetValue(0);
    return;
  }
  // A value set from outside (the settings) is the player's already.
  if (!PanningBar->Tracking() || !FHost) return;
  FHost->SetPan(value);
  if (value == 0)
    FHost->ShowInfoText(L"Balance: Center");
  else
    FHost->ShowInfoText(L"Balance: " + std::to_wstring(std::abs(value)) + L" %" +
                        (value > 0 ? L" right" : L" left"));
}

void TEQ::PanningBarStopTracking() {
  if (FHost) FHost->RestoreInfoText();
}

void TEQ::EQONClick() {
  const bool on = !EQON->Checked();
  if (FHost) {
    // Echo and reverb keep their bits.
    const uint8_t bits = FHost->SoundEffects();
    FHost->SetSoundEffects(on ? static_cast<uint8_t>(bits | kEQBit)
                              : static_cast<uint8_t>(bits & ~kEQBit));
  }
  EQON->SetChecked(on);
}

void TEQ::PresetsButClick() { ShowEQPresets(FHost); }

void TEQ::CloseButClick() {
  if (FHost) FHost->ToggleEQ();
}

void TEQ::EQBGMouseDown(TMouseButton Button) {
  if (Button != mbLeft) return;
  ReleaseCapture();
  SendMessageW(Handle(), WM_SYSCOMMAND, kMoveByDragging, 0);
}

void TEQ::PopupMainMenu() {
  if (!FHost) return;
  POINT at{};
  GetCursorPos(&at);
  FHost->PopupMainMenu(at.x, at.y);
}

void TEQ::FormShow() { SetDoubleBuffered(true); }

void TEQ::Activate() {
  Title->SetActive(true);
  CloseBut->SetActive(true);
  TTntForm::Activate();
}

void TEQ::Deactivate() {
  Title->SetActive(false);
  CloseBut->SetActive(false);
  TTntForm::Deactivate();
}
