// TEQ: the skinned ten-band equaliser window with its balance bar. Made at
// start-up, it lives for the whole run; the main window shows, hides and
// docks it. A band's gain reaches the player when its thumb is released; the
// drag itself only shows the value on the main window's song line.
//
// Ownership: the window owns its controls; it only points to the host.
#pragma once

#include <array>
#include <cstdint>

#include "framework/controls.h"
#include "unicode_controls/tnt_forms.h"
#include "windows/equalizer/eq_host.h"

class TFormTitle;
class TImage;
class TImageBut;
class TSlider;

class TEQ;
// The window (one, made at start-up); nullptr before and after.
extern TEQ* EQ;

class TEQ : public TTntForm {
 public:
  // Host may be nullptr: the window then calls out to nothing.
  TEQ(TComponent* AOwner, TEQHost* Host);
  ~TEQ() override;

  TEQHost* Host() const { return FHost; }
  void SetHost(TEQHost* Value) { FHost = Value; }

  // Slider1 .. Slider10 by band number; nullptr outside 1..10.
  TSlider* Band(int32_t N) const;

  // Handlers.
  void EQSliderChange(TSlider* Sender);
  void EQSliderStopTracking(TSlider* Sender);
  void PanningBarChange();
  void PanningBarStopTracking();
  void EQONClick();
  void PresetsButClick();
  void CloseButClick();
  void EQBGMouseDown(TMouseButton Button);
  void FormShow();

  // The controls, under their form names.
  TImage* EQBG = nullptr;
  TFormTitle* Title = nullptr;
  TImageBut* CloseBut = nullptr;
  TImageBut* EQON = nullptr;
  TImageBut* PresetsBut = nullptr;
  TSlider* PanningBar = nullptr;

 protected:
  void Activate() override;
  void Deactivate() override;

 private:
  void CreateControls();
  void PopupMainMenu();

  TEQHost* FHost;
  std::array<TSlider*, 10> FBands{};
};
