// The settings document turned into the running state at the first showing,
// and written back at exit together with the last playlist.
#include <windows.h>

#include <algorithm>

#include "app/main_form.h"
#include "app/options_settings.h"
#include "app/skin_loading.h"
#include "framework/app_exceptions.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "playlist/comp_list.h"
#include "settings/settings_xml.h"
#include "skin/image_but.h"
#include "windows/options/options_form.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"

namespace {

// A window placed by stored coordinates stays reachable: a position left
// from a screen that is gone brings it back onto the desktop.
POINT OnScreen(TControl* Window, int32_t X, int32_t Y) {
  RECT desktop{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
  const int32_t maxX = std::max<int32_t>(desktop.left, desktop.right - Window->Width());
  const int32_t maxY = std::max<int32_t>(desktop.top, desktop.bottom - Window->Height());
  return POINT{std::clamp<int32_t>(X, desktop.left, maxX), std::clamp<int32_t>(Y, desktop.top, maxY)};
}

void WritePoint(TXMLNode Node, int32_t X, int32_t Y) {
  Node.WriteInteger(L"X", X);
  Node.WriteInteger(L"Y", Y);
}

// The stored skin, or the built-in one when it fails its check (a skin that
// cannot be read is reported once and replaced by the built-in one).
void LoadStoredSkin(TObject* Sender) {
  if (SkinCheckExecute(CurrentSkin))
    LoadSkinOrDefault(CurrentSkin, Sender);
  else
    LoadNewSkin(DefaultSkinName, Sender);
}

// Settings that cannot be written cost this run's changes, never the run nor
// the playlist's save: the failure is told by the file it failed to write (the
// writer's own error would name its temporary file).
void ReportSettingsNotSaved(HWND Owner) {
  LocalizedMessageBox(Owner, L"CantSaveSettings", {SettingsFileName()}, MB_ICONERROR, L"Error");
}

void SaveSettingsOrReport(HWND Owner) {
  try {
    SaveSettingsXml();
  } catch (const std::exception&) {
    ReportSettingsNotSaved(Owner);
  }
}

}  // namespace

void TTavrinMainForm::LoadOptionsExecute(TObject* Sender) {
  if (!SettingsDoc) OpenSettingsXml();
  LoadingOptions = true;
  try {
    const TXMLNode root = SettingsDoc->DocumentElement();
    const TXMLNode positions = root.ChildNode(L"Positions");
    const TXMLNode main = positions.ChildNode(L"Main");
    const POINT at = OnScreen(this, main.ReadInteger(L"X", Left()), main.ReadInteger(L"Y", Top()));
    SetBounds(at.x, at.y, Width(), Height());

    LoadLanguage(root.ChildNode(L"Appearance").ReadString(L"Language", CurrentLanguage));
    if (Options) {
      LoadAppearanceOptions(Options, root);
      LoadVisualizationOptions(Options, root);
      LoadSoundOptions(Options, root);
      LoadEncodingOptions(Options, root);
      LoadFileTypeOptions(Options, root);
    }
    LoadStoredSkin(Sender);

    const TXMLNode playlist = root.ChildNode(L"Playlist");
    if (Options) LoadPlaylistOptions(Options, root);
    if (Playlist) {
      const TXMLNode size = playlist.ChildNode(L"Size");
      Playlist->SetClientWidth(size.ReadInteger(L"Width", Playlist->ClientWidth()));
      Playlist->SetClientHeight(size.ReadInteger(L"Height", Playlist->ClientHeight()));
      if (root.ChildNode(L"VisibleWindows").ReadBool(L"PL", true)) TogglePlaylist();
    }
  } catch (...) {
    LoadingOptions = false;
    SaveSettingsOrReport(Handle());
    throw;
  }
  LoadingOptions = false;
  // A start that cannot write its settings runs on; the exit tries again.
  SaveSettingsOrReport(Handle());
}

void TTavrinMainForm::SaveOptionsExecute() {
  // Each save runs whatever became of the other, and the playlist is on disk
  // before any box waits for the user; the playlist reports its own failure.
  const bool settingsSaved = WriteSettings();
  if (Playlist && !FKeepLastPlaylist) Playlist->SavePlaylist(DefaultPlaylistFile);
  if (!settingsSaved) ReportSettingsNotSaved(Handle());
}

bool TTavrinMainForm::WriteSettings() {
  try {
    OpenSettingsXml();
  } catch (const std::exception&) {
    return false;
  }
  try {
    TXMLNode root = SettingsDoc->DocumentElement();
    root.ForceChild(L"Skin").SetAttribute(L"Name", CurrentSkin);
    WritePoint(root.ForceChild(L"Pos"), Left(), Top());
    TXMLNode positions = root.ForceChild(L"Positions");
    WritePoint(positions.ForceChild(L"Main"), Left(), Top());
    root.ForceChild(L"Appearance").SetAttribute(L"Language", CurrentLanguage);
    if (Options) SaveOptionControls(Options, root);
    if (Playlist) {
      WritePoint(positions.ForceChild(L"PL"), Playlist->Left(), Playlist->Top());
      root.ForceChild(L"VisibleWindows").WriteBool(L"PL", Playlist->Visible());
      TXMLNode playlist = root.ForceChild(L"Playlist");
      playlist.WriteInteger(L"CurrentSong", Playlist->FileList->ItemIndex());
      TXMLNode size = playlist.ForceChild(L"Size");
      size.WriteInteger(L"Width", Playlist->ClientWidth());
      size.WriteInteger(L"Height", Playlist->ClientHeight());
    }
  } catch (const std::exception&) {
    DiscardSettingsXml();
    return false;
  }
  try {
    SaveSettingsXml();
  } catch (const std::exception&) {
    return false;
  }
  return true;
}
