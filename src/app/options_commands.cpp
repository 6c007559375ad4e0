// The main window's side of the options window: its host, the wiring of the
// options the other windows read, and showing it.
#include "app/main_form.h"
#include "app/options_bridge.h"
#include "app/skin_list.h"
#include "app/skin_loading.h"
#include "framework/timer.h"
#include "unicode_controls/tnt_buttons.h"
#include "widgets/font_combo.h"
#include "windows/options/options_form.h"
#include "windows/playlist/playlist_form.h"

TOptionsHost* TTavrinMainForm::OptionsHost() {
  if (!FOptionsBridge) FOptionsBridge = std::make_unique<TOptionsBridge>(this);
  return FOptionsBridge.get();
}

void TTavrinMainForm::AttachOptions() {
  auto* bridge = static_cast<TOptionsBridge*>(OptionsHost());
  if (Playlist) Playlist->SetSettings(bridge->PlaylistSettings());
  SetTransportSettings(bridge->TransportSettings());
  SetSkinOptions(bridge->SkinOptions());
  // The skins page follows the list of skins and the facts of the one loaded,
  // whoever changes them (the skins menu, the N and M keys, the loader).
  PrepareOptionsWhenIdle();
  SkinListModel().OnChange = [] {
    // A hidden window's list is filled when it is shown.
    if (!Options || !Options->Visible()) return;
    const TSkinList& list = SkinListModel();
    TSkinListing listing;
    for (int32_t i = 0; i < list.Count(); ++i) listing.Names.push_back(list.Names(i));
    listing.Selected = list.ItemIndex();
    Options->ShowSkinListing(listing);
    Options->ShowSkinInfo(list.SkinInfo());
  };
}

void TTavrinMainForm::PrepareOptionsWhenIdle() {
  // The options window's frame and first page take a good tenth of a second
  // to make: made a moment after the start, when nothing waits for them, its
  // first showing is as quick as any later one.
  auto* timer = new TTimer(this);
  timer->SetInterval(kPrepareOptionsDelayMs);
  timer->SetOnTimer([timer](TObject*) {
    timer->SetEnabled(false);
    if (Options && !Options->HandleAllocated()) Options->HandleNeeded();
  });
}

void TTavrinMainForm::ShowPrefsExecute() {
  if (!Options) return;
  Options->Show();
  Options->BringToFront();
}

std::string TTavrinMainForm::OverrideFontName() {
  if (!Options || !Options->EnableGlobalFontCB->Checked()) return std::string();
  return Options->GlobalFontComboBox->FontName();
}
