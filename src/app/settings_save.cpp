// The running state written back to the settings document at exit, then the
// playlist beside the program. Each of the two saves runs whatever became of
// the other.
#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "app/main_form.h"
#include "app/options_settings.h"
#include "app/transport.h"
#include "engine/bass_player.h"
#include "framework/menus.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "playlist/comp_list.h"
#include "settings/settings_xml.h"
#include "skin/image_but.h"
#include "unicode_controls/tnt_buttons.h"
#include "windows/equalizer/eq_form.h"
#include "windows/lyrics/lyrics_editor.h"
#include "windows/options/options_form.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"

namespace {

void WritePoint(TXMLNode Node, int32_t X, int32_t Y) {
  Node.WriteInteger(L"X", X);
  Node.WriteInteger(L"Y", Y);
}

}  // namespace

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

void TTavrinMainForm::SaveOptionsExecute() {
  // The playlist is on disk before any box waits for the user; it reports
  // its own failure.
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
    WriteSettingsTo(SettingsDoc->DocumentElement());
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

void TTavrinMainForm::WriteSettingsTo(TXMLNode Root) {
  Root.ForceChild(L"Skin").SetAttribute(L"Name", CurrentSkin);
  WritePoint(Root.ForceChild(L"Pos"), Left(), Top());
  TXMLNode positions = Root.ForceChild(L"Positions");
  WritePoint(positions.ForceChild(L"Main"), Left(), Top());
  if (Playlist) WritePoint(positions.ForceChild(L"PL"), Playlist->Left(), Playlist->Top());
  if (EQ) WritePoint(positions.ForceChild(L"EQ"), EQ->Left(), EQ->Top());

  TXMLNode playback = Root.ForceChild(L"Playback");
  if (AudioPlayer) {
    playback.WriteInteger(L"Volume", static_cast<int32_t>(AudioPlayer->Volume()));
    playback.WriteInteger(L"Pan", AudioPlayer->Pan());
  }
  playback.WriteBool(L"Repeat", RepeatToggle->Checked());
  if (RepeatPlaylistMI->Checked())
    playback.WriteInteger(L"RepeatMode", 0);
  else if (RepeatTrackMI->Checked())
    playback.WriteInteger(L"RepeatMode", 1);
  playback.WriteBool(L"Shuffle", ShuffleToggle->Checked());
  playback.WriteBool(L"InvertTime", TimeLabel->ShowRemaining());

  Root.ForceChild(L"Appearance").SetAttribute(L"Language", CurrentLanguage);
  TXMLNode visible = Root.ForceChild(L"VisibleWindows");
  if (Playlist) visible.WriteBool(L"PL", Playlist->Visible());
  if (EQ) {
    visible.WriteBool(L"EQ", EQ->Visible());
    TXMLNode equalizer = Root.ForceChild(L"Equalizer");
    equalizer.WriteBool(L"On", EQ->EQON->Checked());
    SaveEQPreset(equalizer.ForceChild(L"Bands"), std::wstring());
  }
  if (LyricsEditor) {
    visible.WriteBool(L"TE", LyricsEditor->Visible());
    WriteTextEditorSettings(Root.ForceChild(L"TextEditor"));
  }
  if (Options) SaveOptionControls(Options, Root);
  if (Playlist) WritePlaylistState(Root.ForceChild(L"Playlist"));
}

void TTavrinMainForm::WritePlaylistState(TXMLNode Node) {
  TCompList* list = Playlist->List();
  const int32_t song = Playlist->FileList->ItemIndex();
  Node.WriteInteger(L"CurrentSong", song);
  TElem entry;
  if (list->IsValidIndex(song)) list->GetElem(song, entry);
  // Which file the index meant, so the next start resumes that song only.
  Node.SetAttribute(L"CurrentFile", entry.FileName);
  // The position is the playing song's: kept only when that song is the one
  // stored, and never for a stream.
  int32_t position = 0;
  if (Options && Options->SaveCurrentPosCB->Checked() && !PlayingURL && AudioPlayer &&
      (AudioPlayer->PlayerMode() == pmPlaying || AudioPlayer->PlayerMode() == pmPaused) &&
      song >= 0 && PlayingEntryIndex() == song)
    position = static_cast<int32_t>(std::min<uint32_t>(AudioPlayer->GetPosition(), INT32_MAX));
  Node.WriteInteger(L"CurrentPos", position);
  // The user's size: a skin of fixed size has its own, which is no one's
  // choice and would hold the next sizeable skin to it.
  const SIZE user = Playlist->SizedBySkin
                        ? Playlist->UserClientSize
                        : SIZE{Playlist->ClientWidth(), Playlist->ClientHeight()};
  TXMLNode size = Node.ForceChild(L"Size");
  size.WriteInteger(L"Width", user.cx);
  size.WriteInteger(L"Height", user.cy);
}
