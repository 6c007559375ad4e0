// The options window's host, and the options the other windows read from its
// controls. Without the options window (tests of the main window alone) the
// options are the settings document's defaults.
#include "app/options_bridge.h"

#include <algorithm>

#include "app/main_form.h"
#include "app/skin_list.h"
#include "engine/bass22_dynamic.h"
#include "engine/bass_player.h"
#include "framework/format.h"
#include "framework/up_down.h"
#include "globals/program_globals.h"
#include "shell/cool_tray_icon.h"
#include "skin/form_title.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "widgets/font_combo.h"
#include "windows/equalizer/eq_form.h"
#include "windows/options/options_form.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"

namespace bass = Bass22_dynamic;

namespace {

// Device numbers asked for at most: a library that never says "no more" must
// not keep the list growing.
constexpr int32_t kMaxDevices = 64;

bool Checked(TTntCheckBox* Box, bool Default) { return Box ? Box->Checked() : Default; }

}  // namespace

TOptionsBridge::TOptionsBridge(TTavrinMainForm* Form) : FForm(Form) {}

TOptionsBridge::~TOptionsBridge() {
  // The windows that outlive the main window go back to the defaults.
  if (Options && Options->Host() == this) Options->SetHost(nullptr);
  if (Playlist && Playlist->Settings() == &FPlaylistSettings) Playlist->SetSettings(nullptr);
  if (&::SkinOptions() == &FSkinOptions) SetSkinOptions(nullptr);
}

// ------------------------------------------------------------------ player

void TOptionsBridge::SetBufferLength(uint32_t Ms) {
  if (AudioPlayer) AudioPlayer->SetBufferLength(Ms);
}

uint32_t TOptionsBridge::BufferLength() { return AudioPlayer ? AudioPlayer->BufferLength() : 0; }

void TOptionsBridge::SetNetBufferLength(uint32_t Ms) {
  if (AudioPlayer) AudioPlayer->SetNetBufferLength(Ms);
}

uint32_t TOptionsBridge::NetBufferLength() {
  return AudioPlayer ? AudioPlayer->NetBufferLength() : 0;
}

void TOptionsBridge::SetUseProxy(bool Value) {
  if (AudioPlayer) AudioPlayer->SetUseProxy(Value);
}

void TOptionsBridge::SetVolumeCurve(int32_t Curve) {
  if (!AudioPlayer) return;
  AudioPlayer->SetVolumeCurve(Curve);
  AudioPlayer->SetVolume(AudioPlayer->Volume());
}

std::vector<std::wstring> TOptionsBridge::DeviceNames() {
  std::vector<std::wstring> names;
  if (!AudioPlayer || !AudioPlayer->BASSLoaded()) return names;
  for (int32_t n = 1; n <= kMaxDevices; ++n) {
    const char* description = bass::BASS_GetDeviceDescription(static_cast<DWORD>(n));
    if (!description) break;
    names.push_back(AnsiToWide(description));
  }
  return names;
}

bool TOptionsBridge::SetDevice(int32_t Number) {
  return AudioPlayer && AudioPlayer->SetDevice(Number);
}

int32_t TOptionsBridge::GetDevice() { return AudioPlayer ? AudioPlayer->GetDevice() : 1; }

bool TOptionsBridge::GetDeviceFacts(TDeviceFacts& Facts) {
  if (!AudioPlayer || !AudioPlayer->BASSLoaded()) return false;
  BASS_INFO info{};
  if (!bass::BASS_GetInfo(&info)) return false;
  Facts.Flags = info.flags;
  Facts.HardwareMemory = info.hwsize;
  Facts.FreeSampleSlots = info.freesam;
  Facts.MinRate = info.minrate;
  Facts.MaxRate = info.maxrate;
  Facts.Speakers = info.speakers;
  Facts.DirectSoundVersion = info.dsver;
  Facts.Driver = info.driver ? AnsiToWide(info.driver) : std::wstring();
  return true;
}

void TOptionsBridge::SetFloatOutput(bool Value) {
  if (AudioPlayer) AudioPlayer->SetFloatOutput(Value);
}

bool TOptionsBridge::FloatOutput() { return AudioPlayer && AudioPlayer->FloatOutput(); }

void TOptionsBridge::SetVisRefreshInterval(int32_t Ms) {
  if (AudioPlayer) AudioPlayer->SetVisRefreshInterval(Ms);
}

// ------------------------------------------------------------ main window

void TOptionsBridge::SetVisKind(int32_t) {
  // The kind is the radio group's: the main window reads it back.
  if (FForm) FForm->ApplyVisSettings();
}

void TOptionsBridge::LoadMenuIcons() {
  if (FForm) FForm->LoadMenuIcons();
}

void TOptionsBridge::ClearMenuIcons() {
  if (FForm) FForm->ClearMenuIcons();
}

void TOptionsBridge::SetMinimizeToTray(bool Value) {
  if (!FForm || !FForm->TavrinTrayIcon) return;
  FForm->TavrinTrayIcon->SetMinimizeToTray(Value);
  if (!Value) FForm->TavrinTrayIcon->SetIconVisible(false);
}

void TOptionsBridge::SetShortcutsEnabled(bool Value) {
  if (FForm) FForm->SetShortcutsEnabled(Value);
}

void TOptionsBridge::ApplyGlobalFont(const std::string& FontName) {
  if (FForm) FForm->ApplyGlobalFont(FontName);
}

void TOptionsBridge::SetSkinnedWindowsOpacity(int32_t Value) {
  const auto alpha = static_cast<uint8_t>(std::clamp(Value, 0, 255));
  for (TCustomForm* window : {static_cast<TCustomForm*>(FForm), static_cast<TCustomForm*>(Playlist),
                              static_cast<TCustomForm*>(EQ)}) {
    if (!window) continue;
    window->SetAlphaBlendValue(alpha);
    window->SetAlphaBlend(alpha != 255);
  }
}

// ------------------------------------------------------------ playlist

void TOptionsBridge::SetPlaylistShowNumbers(bool Value) {
  if (Playlist) Playlist->FileList->SetShowNumbers(Value);
}

void TOptionsBridge::SetPlaylistShowDuration(bool Value) {
  if (Playlist) Playlist->FileList->SetShowDuration(Value);
}

void TOptionsBridge::SetPlaylistFontName(const std::string& FontName) {
  if (!Playlist || FontName.empty()) return;
  TPlayListBox* list = Playlist->FileList;
  list->ItemFont()->SetName(FontName);
  list->SelectedItemFont()->SetName(FontName);
  list->Invalidate();
}

void TOptionsBridge::SetPlaylistFontSize(int32_t Size) {
  if (Playlist)
    Playlist->ApplyFontSize(
        std::clamp(Size, TPlaylistSettings::MinFontSize, TPlaylistSettings::MaxFontSize));
}

void TOptionsBridge::SetPlaylistSmoothResize(bool Value) {
  if (!Playlist) return;
  for (TFormTitle* part : {Playlist->Title, Playlist->Bottom, Playlist->LeftSide, Playlist->RightSide})
    if (part) part->SetSmoothResize(Value);
}

// ------------------------------------------------------ skins, languages

TSkinListing TOptionsBridge::FindSkins() {
  FindSkinsExecute();
  const TSkinList& list = SkinListModel();
  TSkinListing listing;
  for (int32_t i = 0; i < list.Count(); ++i) listing.Names.push_back(list.Names(i));
  listing.Selected = list.ItemIndex();
  return listing;
}

bool TOptionsBridge::SkinCheck(const std::wstring& SkinName) {
  return SkinCheckExecute(SkinName, Options);
}

void TOptionsBridge::LoadSkin(const std::wstring& SkinName) {
  LoadSkinOrDefault(SkinName, Options ? static_cast<TObject*>(Options) : FForm);
}

bool TOptionsBridge::DeleteSkin(const std::wstring& SkinName) {
  return DeleteSkinExecute(SkinName, Options ? static_cast<TObject*>(Options) : FForm);
}

void TOptionsBridge::LoadLanguage(const std::wstring& Name) {
  if (FForm) FForm->LoadLanguage(Name);
}

void TOptionsBridge::ApplyFileTypes() {
  if (FForm) FForm->RegFileTypesExecute(Options);
}

// ------------------------------------------- options the others read

bool TOptionsBridge::TPlaylistOptions::RecurseSubDirs() {
  return Options ? Options->RecurseSubDirsCB->Checked() : TPlaylistSettings::RecurseSubDirs();
}

bool TOptionsBridge::TPlaylistOptions::SortOnLoad() {
  return Options ? Options->SortPLOnLoadCB->Checked() : TPlaylistSettings::SortOnLoad();
}

int32_t TOptionsBridge::TPlaylistOptions::FontSize() {
  return Options ? Options->PLFontSize->Position() : TPlaylistSettings::FontSize();
}

void TOptionsBridge::TPlaylistOptions::SetFontSize(int32_t Value) {
  if (!Options) return TPlaylistSettings::SetFontSize(Value);
  Options->PLFontSize->SetPosition(Value);
  Options->PLFontSizeEditChange();
}

bool TOptionsBridge::TTransportOptions::ManualAdvance() {
  return Checked(Options ? Options->ManualPLAdvCB : nullptr, TTransportSettings::ManualAdvance());
}

bool TOptionsBridge::TTransportOptions::ClearOnCDAdd() {
  return Checked(Options ? Options->PLClearCDCB : nullptr, TTransportSettings::ClearOnCDAdd());
}

int32_t TOptionsBridge::TTransportOptions::VisKind() {
  return Options ? Options->VisKind->ItemIndex() : TTransportSettings::VisKind();
}

void TOptionsBridge::TTransportOptions::SetVisKind(int32_t Value) {
  if (!Options) return TTransportSettings::SetVisKind(Value);
  // The radio group runs its handler on a change only; the caller applies.
  Options->VisKind->SetItemIndex(Value);
}

int32_t TOptionsBridge::TTransportOptions::VisRefreshRate() {
  return Options ? Options->RefreshRateSlider->Value() : TTransportSettings::VisRefreshRate();
}

int32_t TOptionsBridge::TTransportOptions::SpectrumStyle() {
  return Options ? Options->SpecStyle->ItemIndex() : TTransportSettings::SpectrumStyle();
}

bool TOptionsBridge::TTransportOptions::DrawPeaks() {
  return Checked(Options ? Options->DrawPeaksCB : nullptr, TTransportSettings::DrawPeaks());
}

int32_t TOptionsBridge::TTransportOptions::ScopeStyle() {
  return Options ? Options->ScopeStyle->ItemIndex() : TTransportSettings::ScopeStyle();
}

int32_t TOptionsBridge::TTransportOptions::ScopeSens() {
  return Options ? Options->ScopeSensSlider->Value() : TTransportSettings::ScopeSens();
}

bool TOptionsBridge::TSkinLoaderOptions::HueOn() {
  return Options ? Options->HueOnCB->Checked() : TSkinOptions::HueOn();
}

int32_t TOptionsBridge::TSkinLoaderOptions::Hue() {
  return Options ? Options->HueSlider->Value() : TSkinOptions::Hue();
}

bool TOptionsBridge::TSkinLoaderOptions::UseSkinFont() {
  return Options ? Options->UseSkinFontCB->Checked() : TSkinOptions::UseSkinFont();
}

std::wstring TOptionsBridge::TSkinLoaderOptions::PlaylistFontName() {
  return Options ? AnsiToWide(Options->PLFontComboBox->FontName())
                 : TSkinOptions::PlaylistFontName();
}

std::string TOptionsBridge::TSkinLoaderOptions::OverrideFontName() {
  return TavrinMainForm ? TavrinMainForm->OverrideFontName() : std::string();
}
