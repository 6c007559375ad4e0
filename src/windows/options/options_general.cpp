// The handlers of the General, Skins, Playlist, Visualization and Appearance
// pages: each applies its control's value at once, through the host.
#include "framework/up_down.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "skin/slider.h"
#include "skin/vis_drawers.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "unicode_controls/tnt_grids.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "unicode_controls/tnt_list_box.h"
#include "widgets/font_combo.h"
#include "windows/options/options_form.h"

namespace {

std::wstring SelectedItem(TTntComboBox* Box) {
  const int32_t index = Box->ItemIndex();
  return index >= 0 && index < Box->Items()->Count() ? Box->Items()->Strings(index)
                                                     : std::wstring();
}

}  // namespace

// --- General ---

void TOptions::GeneralTabSheetShow() { FindLanguages(LangComboBox, AppDir, CurrentLanguage); }

void TOptions::LangComboBoxChange() {
  const std::wstring name = SelectedItem(LangComboBox);
  if (name.empty()) return;
  HostOrNull().LoadLanguage(name);
  // The page names and the device words are in the new language.
  MakeTabList();
  GetDeviceInfo();
  FitTexts();
}

void TOptions::MinToTrayCBClick() { HostOrNull().SetMinimizeToTray(MinToTrayCB->Checked()); }

void TOptions::ShowTipsCBClick() { Application()->SetShowHint(ShowTipsCB->Checked()); }

void TOptions::GlobalFontComboBoxChange() {
  if (EnableGlobalFontCB->Checked()) {
    HostOrNull().ApplyGlobalFont(GlobalFontComboBox->FontName());
  } else if (!LoadingOptions) {
    HostOrNull().ApplyGlobalFont("Tahoma");
  }
}

void TOptions::EnableGlobalFontCBClick() {
  GlobalFontComboBox->SetEnabled(EnableGlobalFontCB->Checked());
  GlobalFontComboBoxChange();
}

// --- Skins ---

void TOptions::SkinsTabSheetShow() { ShowSkinListing(HostOrNull().FindSkins()); }

void TOptions::ShowSkinListing(const TSkinListing& Listing) {
  FPickedSkin.clear();
  SkinListLB->Items()->BeginUpdate();
  SkinListLB->Items()->Clear();
  for (const std::wstring& name : Listing.Names) SkinListLB->Items()->Add(name);
  SkinListLB->Items()->EndUpdate();
  SkinListLB->SetItemIndex(Listing.Selected < static_cast<int32_t>(Listing.Names.size())
                               ? Listing.Selected
                               : -1);
}

void TOptions::ShowSkinInfo(const std::vector<std::wstring>& Info) {
  for (int32_t row = 0; row < AboutSkin->RowCount(); ++row)
    AboutSkin->SetCells(1, row, row < static_cast<int32_t>(Info.size()) ? Info[row] : L"");
}

void TOptions::SkinListLBClick() {
  const int32_t index = SkinListLB->ItemIndex();
  if (index < 0 || index >= SkinListLB->Items()->Count()) return;
  const std::wstring name = SkinListLB->Items()->Strings(index);
  if (name != CurrentSkin && HostOrNull().SkinCheck(name)) HostOrNull().LoadSkin(name);
  // The mark stays on the skin in use, also when this one could not be
  // loaded; the pick is what Delete acts on.
  int32_t current = SkinListLB->Items()->Count() - 1;
  while (current >= 0 && SkinListLB->Items()->Strings(current) != CurrentSkin) --current;
  if (current != SkinListLB->ItemIndex()) SkinListLB->SetItemIndex(current);
  FPickedSkin = name;
}

void TOptions::DeleteSkinButClick() {
  std::wstring name = FPickedSkin;
  if (name.empty()) {
    const int32_t index = SkinListLB->ItemIndex();
    if (index < 0 || index >= SkinListLB->Items()->Count()) return;
    name = SkinListLB->Items()->Strings(index);
  }
  // The host asks the user, keeps the built-in skin and switches away from
  // the one going; whatever it did, the list shows what is left.
  HostOrNull().DeleteSkin(name);
  SkinsTabSheetShow();
}

// --- Playlist ---

void TOptions::PLFontComboBoxChange() {
  if (!UseSkinFontCB->Checked()) HostOrNull().SetPlaylistFontName(PLFontComboBox->FontName());
}

void TOptions::UseSkinFontCBClick() {
  if (UseSkinFontCB->Checked()) {
    HostOrNull().LoadSkin(CurrentSkin);  // the skin's own fonts come back with it
  } else {
    PLFontComboBoxChange();
  }
}

void TOptions::PLFontSizeEditChange() { HostOrNull().SetPlaylistFontSize(PLFontSize->Position()); }

void TOptions::PlaylistNumbersCBClick() {
  HostOrNull().SetPlaylistShowNumbers(PlaylistNumbersCB->Checked());
}

void TOptions::PlaylistDurCBClick() {
  HostOrNull().SetPlaylistShowDuration(PlaylistDurCB->Checked());
}

void TOptions::SmoothResizeCBClick() {
  HostOrNull().SetPlaylistSmoothResize(SmoothResizeCB->Checked());
}

// --- Visualization ---

void TOptions::VisKindClick() {
  if (VisKind->ItemIndex() >= 0) HostOrNull().SetVisKind(VisKind->ItemIndex());
}

void TOptions::RefreshRateSliderChange() {
  static const int32_t kIntervals[] = {80, 50, 33, 20};
  const int32_t value = RefreshRateSlider->Value();
  if (value < 1 || value > 4) return;
  const int32_t interval = kIntervals[value - 1];
  HostOrNull().SetVisRefreshInterval(interval);
  RefreshLabel->SetText(std::to_wstring(1000 / interval));
}

void TOptions::SpecStyleClick() {
  const int32_t style = SpecStyle->ItemIndex();
  if (!SpectrumVis || style < 0) return;
  SpectrumVis->DrawMode = static_cast<uint8_t>(style);
  SpectrumVis->SetNumBars(style == 0 ? 102 : 25);
}

void TOptions::DrawPeaksCBClick() {
  if (SpectrumVis) SpectrumVis->ShowPeaks = DrawPeaksCB->Checked();
}

void TOptions::ScopeStyleClick() {
  if (ScopeVis && ScopeStyle->ItemIndex() >= 0)
    ScopeVis->DrawMode = static_cast<uint8_t>(ScopeStyle->ItemIndex());
}

void TOptions::ScopeSensSliderChange() {
  if (ScopeVis) ScopeVis->Amplitude = ScopeSensSlider->Value();
  OscSensLabel->SetText(std::to_wstring(ScopeSensSlider->Value()));
}

// --- Appearance ---

void TOptions::OpSliderChange() {
  OpacityLabel->SetText(std::to_wstring(OpSlider->Value()));
  // The label shows the new value before the windows are redrawn blended.
  Application()->ProcessMessages();
  HostOrNull().SetSkinnedWindowsOpacity(OpSlider->Value());
}

void TOptions::HueSliderChange() { HueLabel->SetText(std::to_wstring(HueSlider->Value())); }

void TOptions::HueSliderStopTracking() { HostOrNull().LoadSkin(CurrentSkin); }

void TOptions::HueOnCBClick() {
  HueSlider->SetEnabled(HueOnCB->Checked());
  if (!LoadingOptions) HostOrNull().LoadSkin(CurrentSkin);
}

void TOptions::IconsInMenusCBClick() {
  if (IconsInMenusCB->Checked()) {
    HostOrNull().LoadMenuIcons();
  } else {
    HostOrNull().ClearMenuIcons();
  }
}
