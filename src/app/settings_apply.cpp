// The settings document turned into the running state at the first showing.
// Each value goes into the control that shows it and that control's handler
// runs, so a stored value and one the user picks take the same path; the
// steps keep the order in which they depend on each other (the language
// before the texts it translates, the skin before the playlist's size, the
// windows shown last).
#include <windows.h>

#include <algorithm>

#include "app/main_form.h"
#include "app/monitor_places.h"
#include "app/options_settings.h"
#include "app/skin_loading.h"
#include "engine/bass_player.h"
#include "framework/app_exceptions.h"
#include "localization/localization.h"
#include "unicode_controls/tnt_buttons.h"
#include "globals/program_globals.h"
#include "playlist/comp_list.h"
#include "settings/settings_xml.h"
#include "skin/form_title.h"
#include "skin/image_but.h"
#include "skin/slider.h"
#include "windows/equalizer/eq_form.h"
#include "windows/lyrics/lyrics_editor.h"
#include "windows/options/options_form.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"

namespace {

// A window stands where it was stored, on whichever monitor, while the user
// can still reach its title; one left on a monitor that is gone comes back.
void PlaceAsStored(TWinControl* Window, TControl* SkinnedTitle, const TXMLNode& Node) {
  const TScreenPlace place = StoredPlace(
      TScreenPlace{Node.ReadInteger(L"X", Window->Left()), Node.ReadInteger(L"Y", Window->Top())},
      TitleArea(Window, SkinnedTitle));
  const RECT bounds = PartOnScreen(place, RECT{0, 0, Window->Width(), Window->Height()});
  Window->SetBounds(bounds.left, bounds.top, Window->Width(), Window->Height());
}

// The stored skin, or the built-in one when it fails its check (a skin that
// cannot be read is reported once and replaced by the built-in one).
void LoadStoredSkin(TObject* Sender) {
  if (SkinCheckExecute(CurrentSkin))
    LoadSkinOrDefault(CurrentSkin, Sender);
  else
    LoadNewSkin(DefaultSkinName, Sender);
}

// A stored client size between the skin's smallest playlist and what the
// screen can show. The skin's minimum binds only the user's dragging, so a
// size set here is held to it as well. A skin of fixed size keeps its own:
// the stored one is the user's, for the next skin that lets them size it
// (which holds it to its own minimum then).
void PutPlaylistSize(const TXMLNode& Size) {
  const RECT desktop = WorkAreaNear(Playlist->BoundsRect());
  const bool fixed = Playlist->SizedBySkin;
  const TSizeConstraints* limits = Playlist->Constraints();
  const SIZE current = fixed ? Playlist->UserClientSize
                             : SIZE{Playlist->ClientWidth(), Playlist->ClientHeight()};
  const int32_t minWidth = fixed ? 1 : std::max(1, limits->MinWidth());
  const int32_t minHeight = fixed ? 1 : std::max(1, limits->MinHeight());
  const int32_t maxWidth = std::max<int32_t>(minWidth, desktop.right - desktop.left);
  const int32_t maxHeight = std::max<int32_t>(minHeight, desktop.bottom - desktop.top);
  const SIZE size{std::clamp(Size.ReadInteger(L"Width", current.cx), minWidth, maxWidth),
                  std::clamp(Size.ReadInteger(L"Height", current.cy), minHeight, maxHeight)};
  if (fixed) {
    Playlist->UserClientSize = size;
    return;
  }
  Playlist->SetClientWidth(size.cx);
  Playlist->SetClientHeight(size.cy);
}

}  // namespace

void TTavrinMainForm::LoadOptionsExecute(TObject* Sender) {
  if (!SettingsDoc) OpenSettingsXml();
  LoadingOptions = true;
  try {
    const TXMLNode root = SettingsDoc->DocumentElement();
    LoadPositions(root.ChildNode(L"Positions"));
    LoadPlayback(root.ChildNode(L"Playback"));
    LoadLanguage(root.ChildNode(L"Appearance").ReadString(L"Language", CurrentLanguage));
    if (Options) LoadAppearanceOptions(Options, root);
    if (EQ) {
      if (root.ChildNode(L"Equalizer").ReadBool(L"On", false) != EQ->EQON->Checked()) EQ->EQONClick();
      LoadEQPreset(root.ChildNode(L"Equalizer").ChildNode(L"Bands"));
    }
    if (Options) {
      LoadVisualizationOptions(Options, root);
    }
    LoadTextEditorSettings(root.ChildNode(L"TextEditor"));
    if (Options) {
      LoadSoundOptions(Options, root);
      LoadEncodingOptions(Options, root);
      LoadFileTypeOptions(Options, root);
      if (Options->RestoreFTCB->Checked()) RegFileTypesExecute(Sender);
    }
    LoadStoredSkin(Sender);
    LoadPlaylistSettings(root.ChildNode(L"Playlist"));
    const TXMLNode visible = root.ChildNode(L"VisibleWindows");
    if (Playlist && visible.ReadBool(L"PL", true) && !Playlist->Visible()) TogglePlaylist();
    LastActionTick = 0;
    if (EQ && visible.ReadBool(L"EQ", true) && !EQ->Visible()) ShowEQExecute();
    if (LyricsEditor && visible.ReadBool(L"TE", false) && !LyricsEditor->Visible()) ShowTextEditorExecute();
  } catch (...) {
    LoadingOptions = false;
    SaveSettingsOrReport(Handle());
    throw;
  }
  LoadingOptions = false;
  // A start that cannot write its settings runs on; the exit tries again.
  SaveSettingsOrReport(Handle());
}

void TTavrinMainForm::LoadPositions(const TXMLNode& Positions) {
  PlaceAsStored(this, Title, Positions.ChildNode(L"Main"));
  if (Playlist) PlaceAsStored(Playlist, Playlist->Title, Positions.ChildNode(L"PL"));
  if (EQ) PlaceAsStored(EQ, EQ->Title, Positions.ChildNode(L"EQ"));
}

void TTavrinMainForm::LoadPlayback(const TXMLNode& Playback) {
  if (AudioPlayer) {
    // The player refuses what it cannot take; the bars show what it kept.
    AudioPlayer->SetVolume(static_cast<uint32_t>(std::clamp(Playback.ReadInteger(L"Volume", 100), 0, 100)));
    VolumeBar->SetValue(static_cast<int32_t>(AudioPlayer->Volume()));
    AudioPlayer->SetPan(std::clamp(Playback.ReadInteger(L"Pan", 0), -100, 100));
    // Set from here, the balance bar leaves the player alone.
    if (EQ) EQ->PanningBar->SetValue(AudioPlayer->Pan());
  }
  if (Playback.ReadBool(L"Repeat", false) != RepeatToggle->Checked()) ToggleRepeatExecute();
  switch (Playback.ReadInteger(L"RepeatMode", 0)) {
    case 0: RepeatPlaylistMI->SetChecked(true); break;
    case 1: RepeatTrackMI->SetChecked(true); break;
    default: break;
  }
  if (Playback.ReadBool(L"Shuffle", false) != ShuffleToggle->Checked()) ToggleShuffleExecute();
  TimeLabel->SetShowRemaining(Playback.ReadBool(L"InvertTime", false));
}

void TTavrinMainForm::LoadPlaylistSettings(const TXMLNode& Node) {
  if (Options) LoadPlaylistBoxes(Options, Node);
  ResumeStoredSong(Node);
  if (Playlist) PutPlaylistSize(Node.ChildNode(L"Size"));
  if (Options) LoadPlaylistFont(Options, Node);
}

void TTavrinMainForm::ResumeStoredSong(const TXMLNode& Node) {
  if (FStartedWithFiles || !Playlist) return;
  TCompList* list = Playlist->List();
  const int32_t song = Node.ReadInteger(L"CurrentSong", -1);
  if (!list->IsValidIndex(song)) return;
  // The entry must still be the song that was saved: a list changed since
  // (or read only in part) would otherwise resume another file at its place.
  const std::wstring stored = Node.ReadString(L"CurrentFile", std::wstring());
  if (!stored.empty()) {
    TElem entry;
    list->GetElem(song, entry);
    if (entry.FileName != stored) return;
  }
  Playlist->FileList->SetItemIndex(song);
  Playlist->FileList->GoToCurrent();
  const int32_t position = Node.ReadInteger(L"CurrentPos", 0);
  if (position <= 0 || !Options || !Options->SaveCurrentPosCB->Checked()) return;
  // Placed before the sound starts. A position the song no longer reaches
  // (the file was cut since) plays it from its start rather than skipping
  // it as if it had ended.
  PlayTheSong(-1, static_cast<uint32_t>(position));
}

void TTavrinMainForm::LoadEQPreset(const TXMLNode& Node) {
  if (!EQ) return;
  for (int32_t n = 1; n <= 10; ++n) {
    TSlider* band = EQ->Band(n);
    band->SetValue(Node.ReadInteger(L"B" + std::to_wstring(n), 0));
    EQGains[static_cast<size_t>(n - 1)] = static_cast<float>(band->Value());
  }
  if (AudioPlayer) AudioPlayer->SetEQGains(EQGains);
  SongInfoLabel->SetText(CurrentTitle);
}

void TTavrinMainForm::SaveEQPreset(TXMLNode Node, const std::wstring& Name) {
  if (!EQ || Node.IsNull()) return;
  TXMLNode target = Node;
  if (!Name.empty()) {
    target = Node.AddChild(L"Preset");
    target.SetAttribute(L"Name", Name);
  }
  for (int32_t n = 1; n <= 10; ++n) target.WriteInteger(L"B" + std::to_wstring(n), EQ->Band(n)->Value());
}
