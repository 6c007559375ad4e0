// The main window's transport: which playlist entry plays, starting, pausing,
// stopping and seeking, what follows the end of a track, the position timer,
// volume, adding an audio CD or a URL.
#include "app/transport.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "app/main_form.h"
#include "engine/bass_player.h"
#include "foundation/string_func.h"
#include "foundation/tnt_string_list.h"
#include "foundation/tnt_sysutils.h"
#include "framework/format.h"
#include "framework/shortcuts.h"
#include "framework/timer.h"
#include "globals/program_globals.h"
#include "globals/version.h"
#include "localization/localization.h"
#include "playlist/comp_list.h"
#include "skin/image_but.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_forms.h"
#include "unicode_controls/tnt_labels.h"
#include "unicode_controls/tnt_menus.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"

int32_t PlayIndex = -1;
std::wstring CurrentFileName;
bool PlayingURL = false;
std::string DurationText;

struct TTransportState {
  TTransportSettings* Settings = nullptr;
  TTransportSettings DefaultSettings;
  TOpenURLDialog OpenURLDialog;
  bool URLDialogOpen = false;
  std::vector<std::pair<TCustomAction*, TShortCut>> SingleKeys;
  // The entry that plays or is paused, by identity (0: none).
  TElemId PlayingEntry = 0;
  // Counts starts and stops: a start that let messages run learns from it
  // that another command took over meanwhile.
  uint32_t Generation = 0;
  std::mt19937 Random{static_cast<uint32_t>(
      std::chrono::steady_clock::now().time_since_epoch().count())};
};

void TTavrinMainForm::TTransportStateDeleter::operator()(TTransportState* State) const {
  delete State;
}

namespace {

int32_t ClampToInt(uint32_t Value) { return static_cast<int32_t>(std::min<uint32_t>(Value, INT32_MAX)); }

TCompList* PlaylistModel() { return Playlist ? Playlist->List() : nullptr; }

void SetAppTitle(const std::wstring& Text) { TntApplication()->SetTitle(Text); }

}  // namespace

// ------------------------------------------------------------- helpers

std::wstring DecodeURLText(const std::wstring& URL) {
  auto hex = [](wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
  };
  // The escape at I as a byte, or -1.
  auto escape = [&](size_t I) {
    if (I + 2 >= URL.size() || URL[I] != L'%') return -1;
    const int high = hex(URL[I + 1]), low = hex(URL[I + 2]);
    return high < 0 || low < 0 || (high | low) == 0 ? -1 : high * 16 + low;
  };
  std::wstring out;
  out.reserve(URL.size());
  for (size_t i = 0; i < URL.size();) {
    std::string bytes;
    for (int b; (b = escape(i)) >= 0; i += 3) bytes += static_cast<char>(b);
    if (bytes.empty()) {
      out += URL[i++];
      continue;
    }
    const int size = static_cast<int>(bytes.size());
    UINT page = CP_UTF8;
    int n = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (n <= 0) {
      page = CP_ACP;
      n = MultiByteToWideChar(page, 0, bytes.data(), size, nullptr, 0);
    }
    std::wstring text(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0) MultiByteToWideChar(page, page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0, bytes.data(), size,
                                   text.data(), n);
    out += text;
  }
  return out;
}

int32_t VisIntervalForRate(int32_t Rate) {
  switch (Rate) {
    case 1: return 80;
    case 2: return 50;
    case 3: return 33;
    default: return 20;
  }
}

uint32_t PosTimerIntervalFor(uint8_t Speed) { return 100000u / std::max<uint8_t>(Speed, 1); }

std::wstring SeekText(int32_t Value, const std::string& DurationText, uint32_t Length) {
  const uint32_t at = static_cast<uint32_t>(std::max(Value, 0));
  const int32_t percent = Length == 0 ? 0 : static_cast<int32_t>(std::lround(at * 100.0 / Length));
  return L"Seek to: " + AnsiToWide(FormatMinSec(at, 1)) + L"/" + AnsiToWide(DurationText) + L" (" +
         std::to_wstring(percent) + L"%)";
}

int32_t DrawShuffleEntry(int32_t Count, int32_t Current, std::mt19937& Random) {
  if (Count <= 0) return -1;
  if (Count == 1) return 0;
  // One draw among the others: the entry that plays is skipped over, so the
  // draw always ends.
  const bool hasCurrent = Current >= 0 && Current < Count;
  const int32_t pick =
      std::uniform_int_distribution<int32_t>(0, Count - (hasCurrent ? 2 : 1))(Random);
  return hasCurrent && pick >= Current ? pick + 1 : pick;
}

// -------------------------------------------------------------- wiring

void TTavrinMainForm::CreateTransportControls() {
  TransportState();

  auto action = [this](TTntAction*& Field, const wchar_t* Name, TShortCut Key, bool SingleKey,
                       std::function<void()> Run) {
    Field = new TTntAction(this);
    Field->SetName(Name);
    Field->SetActionList(Actions);
    Field->SetOnExecute([Run](TObject*) { Run(); });
    if (SingleKey)
      AddSingleKeyShortcut(Field, Key);
    else
      Field->SetShortCut(Key);
  };
  action(PlaySong, L"PlaySong", 'X', true, [this] { PlaySongExecute(); });
  action(PauseSong, L"PauseSong", 'C', true, [this] { PauseSongExecute(); });
  action(StopSong, L"StopSong", 'V', true, [this] { StopSongExecute(); });
  action(NextSong, L"NextSong", 'B', true, [this] { NextSongExecute(); });
  action(PreviousSong, L"PreviousSong", 'Z', true, [this] { PreviousSongExecute(); });
  action(ToggleRepeat, L"ToggleRepeat", 'R', true, [this] { ToggleRepeatExecute(); });
  action(ToggleShuffle, L"ToggleShuffle", 'S', true, [this] { ToggleShuffleExecute(); });
  action(OpenFiles, L"OpenFiles", 'L', true, [this] { OpenFilesExecute(); });
  action(ClearPL, L"ClearPL", 'D', true, [this] { ClearPLExecute(); });
  action(Fwd_5_sec, L"Fwd_5_sec", VK_RIGHT, true, [this] { Fwd_5_secExecute(); });
  action(Back_5_sec, L"Back_5_sec", VK_LEFT, true, [this] { Back_5_secExecute(); });
  action(VolumeUp, L"VolumeUp", VK_UP, true, [this] { VolumeUpExecute(); });
  action(VolumeDown, L"VolumeDown", VK_DOWN, true, [this] { VolumeDownExecute(); });
  action(InvertTime, L"InvertTime", ShortCut('T', ssCtrl), false, [this] { InvertTimeExecute(); });
  PlayCD = new TTntAction(this);
  PlayCD->SetName(L"PlayCD");
  PlayCD->SetActionList(Actions);
  PlayCD->SetOnExecute([this](TObject* Sender) { PlayCDExecute(Sender); });

  const std::pair<TImageBut*, std::function<void()>> buttons[] = {
      {Rev, [this] { PreviousSongExecute(); }},     {PlayBut, [this] { PlaySongExecute(); }},
      {Pause, [this] { PauseSongExecute(); }},      {StopBut, [this] { StopSongExecute(); }},
      {Fwd, [this] { NextSongExecute(); }},         {Open, [this] { OpenFilesExecute(); }},
      {ShuffleToggle, [this] { ToggleShuffleExecute(); }},
      {RepeatToggle, [this] { ToggleRepeatExecute(); }}};
  for (const auto& [button, run] : buttons) button->SetOnClick([run](TObject*) { run(); });
  RepeatToggle->SetPopupMenu(RepeatMenu);
  RepeatTrackMI->SetOnClick([this](TObject*) { RepeatTrackMIClick(); });
  RepeatPlaylistMI->SetOnClick([this](TObject*) { RepeatPlaylistMIClick(); });

  auto menuItem = [this](const wchar_t* Name) { return dynamic_cast<TMenuItem*>(FindComponent(Name)); };
  PlayFileMI = menuItem(L"PlayFileMI");
  PlayDirectoryMI = menuItem(L"PlayDirectoryMI");
  PlayURLMI = menuItem(L"PlayURLMI");
  PlayCDMI = menuItem(L"PlayCDMI");
  const std::pair<TMenuItem*, std::function<void()>> items[] = {
      {PlayFileMI, [this] { OpenFilesExecute(); }},
      {PlayDirectoryMI, [this] { PlayDirectoryMIClick(); }},
      {PlayURLMI, [this] { PlayURLMIClick(); }}};
  for (const auto& [item, run] : items) {
    if (!item) continue;
    item->SetOnClick([run](TObject*) { run(); });
    item->SetEnabled(true);
  }
  // Until an open-URL window is plugged in, there is nothing to ask with.
  if (PlayURLMI) PlayURLMI->SetEnabled(false);
  // The drive list is made each time the menu opens, after whatever else
  // the menu's opening does.
  MainMenu->SetOnPopup([this, previous = MainMenu->OnPopup()](TObject* Sender) {
    if (previous) previous(Sender);
    FindCDDrivesExecute();
  });

  SeekingBar->SetOnChange([this](TObject*) { SeekingBarChange(); });
  SeekingBar->SetOnStartTracking([this](TObject*) { SeekingBarChange(); });
  SeekingBar->SetOnStopTracking([this](TObject*) { SeekingBarStopTracking(); });
  SeekingBar->SetThumbVisible(false);
  VolumeBar->SetOnChange([this](TObject*) { VolumeBarChange(); });
  VolumeBar->SetOnStartTracking([this](TObject*) { VolumeBarChange(); });
  VolumeBar->SetOnStopTracking([this](TObject*) { VolumeBarStopTracking(); });
  VolumeBar->SetMaxValue(100);
  VolumeBar->SetValue(100);
  PosTimer->SetOnTimer([this](TObject*) { PosTimerTimer(); });
  PaintBox->SetOnClick([this](TObject*) { PaintBoxClick(); });
  // A display shown again or uncovered is repainted: its frames resume.
  PaintBox->SetOnPaint([this](TObject*) { LookAtVisualisation(true); });
  SongInfoLabel->SetOnDblClick([this](TObject*) { SongInfoLabelDblClick(); });
  TimeLabel->SetVisible(false);
}

void TTavrinMainForm::InitTransport() {
  if (!AudioPlayer) return;
  AudioPlayer->SetOnPlayEnd([this](TObject*) { RepeatnShuffleCheck(); });
  AudioPlayer->SetOnGetMeta([this](TObject*, const std::string& Title) { StreamTitleChanged(Title); });
  VolumeBar->SetValue(ClampToInt(AudioPlayer->Volume()));
  // The frames only draw, each from data it fetches (DrawSpec, DrawOsc):
  // neither the tick's band levels nor an idle pass after it are needed.
  AudioPlayer->SetBandLevelsWanted(false);
  if (AudioPlayer->VisTimer()) AudioPlayer->VisTimer()->SetQuiet(true);
  ApplyVisSettings();
}

TTransportSettings* TTavrinMainForm::TransportSettings() const { return FTransport->Settings; }

void TTavrinMainForm::SetTransportSettings(TTransportSettings* Value) {
  FTransport->Settings = Value ? Value : &FTransport->DefaultSettings;
}

void TTavrinMainForm::SetOpenURLDialog(std::function<bool(std::wstring&, std::wstring&)> Dialog) {
  FTransport->OpenURLDialog = std::move(Dialog);
  if (PlayURLMI) PlayURLMI->SetEnabled(static_cast<bool>(FTransport->OpenURLDialog));
}

// Made at the first need: other commands of the window may register their
// single keys before the transport's controls are made.
TTransportState& TTavrinMainForm::TransportState() {
  if (!FTransport) {
    FTransport.reset(new TTransportState);
    FTransport->Settings = &FTransport->DefaultSettings;
  }
  return *FTransport;
}

void TTavrinMainForm::AddSingleKeyShortcut(TCustomAction* Action, TShortCut Key) {
  TransportState().SingleKeys.emplace_back(Action, Key);
  Action->SetShortCut(FShortcutsEnabled ? Key : scNone);
}

void TTavrinMainForm::ApplySingleKeyShortcuts() {
  for (const auto& [action, key] : TransportState().SingleKeys)
    action->SetShortCut(FShortcutsEnabled ? key : scNone);
}

// ------------------------------------------------------------- playing

void TTavrinMainForm::PlayTheSong(int32_t Index, uint32_t StartAt) {
  if (!AudioPlayer || !Playlist) return;
  TTransportState& state = *FTransport;
  TPlayListBox* box = Playlist->FileList;
  TCompList* list = box->List();
  box->GoToCurrent();
  if (list->Count() == 0) return;
  // Play resumes a paused song, whatever is selected, while that song is
  // still in the list; stepping to another entry starts that one.
  if (Index == -2 && AudioPlayer->PlayerMode() == pmPaused &&
      list->IndexOfEntry(state.PlayingEntry) >= 0) {
    AudioPlayer->Play();
    StateControl->SetPlayState(psPlay);
    PosTimer->SetEnabled(true);
    return;
  }
  const uint32_t generation = ++state.Generation;
  int32_t chosen = Index == -2 ? Playlist->SelectedOrCurrentIndex()
                   : Index == -1 ? box->ItemIndex()
                                 : Index;
  // Play with nothing selected or current (a list just loaded) starts at
  // the top rather than doing nothing.
  if (Index == -2 && chosen == -1) chosen = 0;
  PlayIndex = list->IsValidIndex(chosen) ? chosen : -1;
  if (PlayIndex == -1) return;
  TElem entry;
  list->GetElem(PlayIndex, entry);
  const TElemId id = list->IdOf(PlayIndex);
  CurrentTitle = entry.Title;
  CurrentFileName = entry.FileName;
  PlayingURL = TCompList::IsURL(entry.FileName);
  box->SetItemIndex(PlayIndex);

  if (!PlayingURL && !TCompList::IsOnCDROMDrive(CurrentFileName) &&
      !WideFileExists(CurrentFileName)) {
    SkipMissingEntries();
    return;
  }
  if (PlayingURL) {
    // Shown decoded, once; the address itself is opened as it was given.
    CurrentFileName = DecodeURLText(entry.FileName);
    // The song before must not end (and advance) while messages run below.
    AudioPlayer->Close();
    PosTimer->SetEnabled(false);
    SongInfoLabel->SetText(L"Connecting...");
    Application()->ProcessMessages();
    if (generation != state.Generation || !AudioPlayer) return;
    PlayIndex = list->IndexOfEntry(id);
    if (PlayIndex == -1) {
      StopSongExecute();
      return;
    }
  }
  if (!AudioPlayer->Open(entry.FileName)) {
    StopSongExecute();
    return;
  }
  state.PlayingEntry = id;
  GetRateInfoExecute();
  LoadText(CurrentFileName, false);
  const uint32_t length = AudioPlayer->GetLength();
  SeekingBar->SetValue(SeekingBar->MinValue());
  SeekingBar->SetMaxValue(ClampToInt(length));
  DurationText = FormatMinSec(length, 1);
  // A radio has no length to store; an entry removed meanwhile is left alone.
  if (const int32_t at = list->IndexOfEntry(id); at >= 0 && !(PlayingURL && length == 0)) {
    TElem stored;
    list->GetElem(at, stored);
    const int32_t seconds = ClampToInt(length / 1000);
    if (stored.Duration != seconds) {
      list->SetDuration(at, seconds);
      box->Invalidate();
    }
  }

  if (PlayingURL) {
    const std::wstring tagTitle = AnsiToWide(AudioPlayer->StreamInfo().Title);
    if (!tagTitle.empty())
      CurrentTitle = DecodeURLText(tagTitle);
    else if (!AudioPlayer->IsNetRadio())
      CurrentTitle = WideChangeFileExt(ExtractUrlFileName(CurrentFileName), L"");
    ShowTitle(CurrentTitle, CurrentTitle);
  } else {
    const std::wstring plain = CurrentTitle;
    CurrentTitle += L" (" + AnsiToWide(DurationText) + L")";
    ShowTitle(CurrentTitle, plain);
    CloseNetStreamInfo();
  }

  if (StartAt > 0 && StartAt < length) {
    AudioPlayer->SetPosition(StartAt);
    SeekingBar->SetValue(ClampToInt(StartAt));
  }
  AudioPlayer->Play();
  StateControl->SetPlayState(psPlay);
  TimeLabel->SetVisible(true);
  UpdateTimeExecute();
  SeekingBar->SetThumbVisible(!PlayingURL);
  PosTimer->SetInterval(PosTimerIntervalFor(AudioPlayer->Speed()));
  PosTimer->SetEnabled(true);
}

void TTavrinMainForm::ShowTitle(const std::wstring& SongInfo, const std::wstring& AppTitle) {
  SongInfoLabel->SetText(SongInfo);
  SetAppTitle(AppTitle + L" - Tavrin");
}

// The entry at PlayIndex is a missing file: every missing entry goes, and
// the entry that followed it plays (not the first of the list).
void TTavrinMainForm::SkipMissingEntries() {
  TCompList* list = PlaylistModel();
  auto missing = [list](int32_t Index) {
    TElem e;
    list->GetElem(Index, e);
    return !TCompList::IsURL(e.FileName) && !TCompList::IsOnCDROMDrive(e.FileName) &&
           !WideFileExists(e.FileName);
  };
  int32_t after = PlayIndex + 1;
  while (list->IsValidIndex(after) && missing(after)) ++after;
  const TElemId follower = list->IdOf(after);
  list->DeleteMissing();
  if (ShuffleToggle->Checked()) {
    NextSongExecute();
    return;
  }
  int32_t next = list->IndexOfEntry(follower);
  if (next < 0 && RepeatToggle->Checked() && RepeatPlaylistMI->Checked() && list->Count() > 0) next = 0;
  if (next < 0) {
    StopSongExecute();
    return;
  }
  Playlist->FileList->SetItemIndex(next);
  PlayTheSong(-1);
}

void TTavrinMainForm::PlaySongExecute() { PlayTheSong(-2); }

void TTavrinMainForm::StopSongExecute() {
  ++FTransport->Generation;
  FTransport->PlayingEntry = 0;
  SeekingBar->SetValue(0);
  SeekingBar->SetThumbVisible(false);
  CloseNetStreamInfo();
  PlayingURL = false;
  if (AudioPlayer) AudioPlayer->Close();
  PosTimer->SetEnabled(false);
  TimeLabel->SetVisible(false);
  BitRateLabel->SetCaption(std::wstring());
  StateControl->SetPlayState(psStop);
  CurrentTitle = TavrinVersion;
  SongInfoLabel->SetText(TavrinVersion);
  SetAppTitle(TavrinVersion);
  ClearVisualisation();
}

void TTavrinMainForm::PauseSongExecute() {
  if (!AudioPlayer) return;
  if (PosTimer->Enabled()) {
    AudioPlayer->Pause(true);
    StateControl->SetPlayState(psPause);
    PosTimer->SetEnabled(false);
  } else if (AudioPlayer->PlayerMode() == pmPaused) {
    AudioPlayer->Pause(false);
    StateControl->SetPlayState(psPlay);
    PosTimer->SetEnabled(true);
  }
}

void TTavrinMainForm::NextSongExecute() {
  TCompList* list = PlaylistModel();
  if (!list) return;
  if (!ShuffleToggle->Checked()) {
    const int32_t next = Playlist->FileList->ItemIndex() + 1;
    if (!list->IsValidIndex(next)) return;
    Playlist->FileList->SetItemIndex(next);
    PlayTheSong(-1);
    return;
  }
  if (list->HistoryAtEnd()) {
    RandomSongExecute();
    return;
  }
  const int32_t index = list->HistoryNext();
  if (index == -1) return;
  Playlist->FileList->SetItemIndex(index);
  PlayTheSong(-1);
}

void TTavrinMainForm::PreviousSongExecute() {
  TCompList* list = PlaylistModel();
  if (!list) return;
  if (!ShuffleToggle->Checked()) {
    const int32_t previous = Playlist->FileList->ItemIndex() - 1;
    if (!list->IsValidIndex(previous)) return;
    Playlist->FileList->SetItemIndex(previous);
    PlayTheSong(-1);
    return;
  }
  if (list->HistoryAtStart()) return;
  const int32_t index = list->HistoryPrev();
  if (index == -1) return;
  Playlist->FileList->SetItemIndex(index);
  PlayTheSong(-1);
}

void TTavrinMainForm::RandomSongExecute() {
  TCompList* list = PlaylistModel();
  if (!list || list->Count() == 0) {
    StopSongExecute();
    return;
  }
  const int32_t index =
      DrawShuffleEntry(list->Count(), Playlist->FileList->ItemIndex(), FTransport->Random);
  Playlist->FileList->SetItemIndex(index);
  list->HistoryAdd(index);
  SeekingBar->SetValue(0);
  TimeLabel->SetTime(0, 0);
  PlayTheSong(-1);
}

void TTavrinMainForm::RepeatnShuffleCheck() {
  TCompList* list = PlaylistModel();
  if (!list || FTransport->Settings->ManualAdvance() || list->Count() == 0) {
    StopSongExecute();
    return;
  }
  if (ShuffleToggle->Checked()) {
    RandomSongExecute();
    return;
  }
  const int32_t current = list->GetCurrentIndex();
  const bool repeat = RepeatToggle->Checked();
  if (repeat && RepeatPlaylistMI->Checked() && !list->IsValidIndex(current + 1)) {
    Playlist->FileList->SetItemIndex(0);
    PlayTheSong(-1);
  } else if (repeat && RepeatTrackMI->Checked() && current >= 0) {
    PlayTheSong(-1);
  } else if (list->IsValidIndex(current + 1)) {
    NextSongExecute();
  } else {
    StopSongExecute();
  }
}

// ------------------------------------------------------ toggles and menus

void TTavrinMainForm::ToggleShuffleExecute() {
  ShuffleToggle->SetChecked(!ShuffleToggle->Checked());
  if (ShuffleToggle->Checked()) return;
  if (TCompList* list = PlaylistModel()) list->HistoryClear();
}

int32_t TTavrinMainForm::PlayingEntryIndex() {
  TCompList* list = PlaylistModel();
  return list && FTransport->PlayingEntry ? list->IndexOfEntry(FTransport->PlayingEntry) : -1;
}

void TTavrinMainForm::ToggleRepeatExecute() { RepeatToggle->SetChecked(!RepeatToggle->Checked()); }

void TTavrinMainForm::RepeatTrackMIClick() {
  RepeatTrackMI->SetChecked(true);
  RepeatToggle->SetChecked(true);
}

void TTavrinMainForm::RepeatPlaylistMIClick() {
  RepeatPlaylistMI->SetChecked(true);
  RepeatToggle->SetChecked(true);
}

void TTavrinMainForm::OpenFilesExecute() {
  if (Playlist) Playlist->AddFilesMIClick(true);
}

void TTavrinMainForm::PlayDirectoryMIClick() {
  if (Playlist) Playlist->AddFolderMIClick();
}

void TTavrinMainForm::ClearPLExecute() {
  if (TCompList* list = PlaylistModel()) list->Clear();
}

void TTavrinMainForm::OnPlEntryDeleteExecute() {
  if (Playlist) Playlist->FileList->DeleteSelected(false);
}

// ------------------------------------------------------ position and volume

void TTavrinMainForm::PosTimerTimer() {
  if (!AudioPlayer) return;
  if (PlayingURL && AudioPlayer->IsSeekable() && !SeekingBar->ThumbVisible() &&
      !AudioPlayer->IsNetRadio()) {
    // A downloaded internet file: its length is known now.
    const uint32_t length = AudioPlayer->GetLength();
    SeekingBar->SetMaxValue(ClampToInt(length));
    if (TCompList* list = PlaylistModel()) {
      const int32_t at = list->IndexOfEntry(FTransport->PlayingEntry);
      if (at >= 0) {
        list->SetDuration(at, SeekingBar->MaxValue() / 1000);
        Playlist->FileList->Invalidate();
      }
    }
    DurationText = FormatMinSec(length, 1);
    const TStreamInfo& info = AudioPlayer->StreamInfo();
    if (!IsBlankAnsi(info.Artist) || !IsBlankAnsi(info.Title)) {
      CurrentTitle = JoinWithDash(AnsiToWide(info.Artist), AnsiToWide(info.Title));
      SongInfoLabel->SetText(CurrentTitle);
    }
    SeekingBar->SetThumbVisible(true);
  }
  if (!SeekingBar->Tracking()) SeekingBar->SetValue(ClampToInt(AudioPlayer->GetPosition()));
  UpdateTimeExecute();
  LookAtVisualisation(false);
}

void TTavrinMainForm::SeekingBarChange() {
  if (!SeekingBar->Tracking() || !AudioPlayer) return;
  SongInfoLabel->SetText(SeekText(SeekingBar->Value(), DurationText, AudioPlayer->GetLength()));
}

void TTavrinMainForm::SeekingBarStopTracking() {
  SongInfoLabel->SetText(CurrentTitle);
  if (!AudioPlayer || AudioPlayer->ChannelKind() == ckNone) return;
  if (!PosTimer->Enabled()) PosTimer->SetEnabled(true);
  if (SeekingBar->Value() < SeekingBar->MaxValue()) {
    AudioPlayer->SetPosition(static_cast<uint32_t>(SeekingBar->Value()));
    AudioPlayer->Play();
    StateControl->SetPlayState(psPlay);
  } else {
    RepeatnShuffleCheck();
  }
  PosTimerTimer();
}

void TTavrinMainForm::VolumeBarChange() {
  if (AudioPlayer) AudioPlayer->SetVolume(static_cast<uint32_t>(VolumeBar->Value()));
  if (VolumeBar->Tracking())
    SongInfoLabel->SetText(L"Volume: " + std::to_wstring(VolumeBar->Value()) + L" %");
}

void TTavrinMainForm::VolumeBarStopTracking() { SongInfoLabel->SetText(CurrentTitle); }

void TTavrinMainForm::VolumeUpExecute() {
  VolumeBar->SetValue(VolumeBar->Value() + 4);
  if (AudioPlayer) AudioPlayer->SetVolume(static_cast<uint32_t>(VolumeBar->Value()));
}

void TTavrinMainForm::VolumeDownExecute() {
  VolumeBar->SetValue(VolumeBar->Value() - 4);
  if (AudioPlayer) AudioPlayer->SetVolume(static_cast<uint32_t>(VolumeBar->Value()));
}

// The jumps start from where the song is, not from the slider, which the
// position timer moves only once a second.
void TTavrinMainForm::Fwd_5_secExecute() {
  if (!AudioPlayer || AudioPlayer->PlayerMode() != pmPlaying) return;
  SeekingBar->SetValue(ClampToInt(AudioPlayer->GetPosition()) + 5000);
  AudioPlayer->SetPosition(static_cast<uint32_t>(SeekingBar->Value()));
  // The display follows the jump now, not at the next tick of its timer.
  UpdateTimeExecute();
}

void TTavrinMainForm::Back_5_secExecute() {
  if (!AudioPlayer || AudioPlayer->PlayerMode() != pmPlaying) return;
  SeekingBar->SetValue(ClampToInt(AudioPlayer->GetPosition()) - 5000);
  AudioPlayer->SetPosition(static_cast<uint32_t>(SeekingBar->Value()));
  UpdateTimeExecute();
}

void TTavrinMainForm::SetPlaybackSpeed(uint8_t Percent) {
  if (AudioPlayer) AudioPlayer->SetSpeed(Percent);
  PosTimer->SetInterval(PosTimerIntervalFor(AudioPlayer ? AudioPlayer->Speed() : Percent));
}

// ------------------------------------------------------------ CD and URL

void TTavrinMainForm::FindCDDrivesExecute() {
  if (!PlayCDMI) return;
  PlayCDMI->Clear();
  if (!AudioPlayer || !AudioPlayer->CDReady()) {
    PlayCDMI->SetEnabled(false);
    return;
  }
  std::unique_ptr<TTntStringList> drives(AudioPlayer->GetCDDrives());
  for (int32_t i = drives->Count() - 1; i >= 0; --i) {
    auto* item = new TTntMenuItem(this);
    item->SetCaption(drives->Strings(i));
    if (auto* number = dynamic_cast<TDriveNumber*>(drives->Objects(i))) item->SetTag(number->Number);
    item->SetOnClick(PlayCD->OnExecute());
    PlayCDMI->Add(item);
  }
  for (int32_t i = 0; i < drives->Count(); ++i) delete drives->Objects(i);
  PlayCDMI->SetEnabled(PlayCDMI->Count() > 0);
}

void TTavrinMainForm::PlayCDExecute(TObject* Sender) {
  TCompList* list = PlaylistModel();
  auto* item = dynamic_cast<TComponent*>(Sender);
  if (!list || !item || !AudioPlayer || !AudioPlayer->CDReady()) return;
  if (FTransport->Settings->ClearOnCDAdd()) list->Clear();
  const auto drive = static_cast<int32_t>(item->Tag());
  AudioPlayer->SetCDDrive(static_cast<uint8_t>(drive));
  std::unique_ptr<TCompList> tracks(AudioPlayer->GetCDTracks());
  const wchar_t letter = AudioPlayer->GetCDDriveLetter();
  for (int32_t i = 0; i < tracks->Count(); ++i) {
    TElem track;
    tracks->GetElem(i, track);
    if (track.Duration == -1) continue;
    const std::wstring artist = track.Artist.empty() ? GetLocalizedMessage(L"UnknownArtist") : track.Artist;
    const std::wstring title =
        track.Title.empty() ? GetLocalizedMessage(L"Track") + L" " + std::to_wstring(i + 1) : track.Title;
    TElem entry;
    entry.Title = artist + L" - " + title;
    entry.FileName = std::wstring(1, letter) + L":\\" + std::to_wstring(drive) + L"\\" + std::to_wstring(i + 1);
    entry.Duration = track.Duration;
    list->Add(entry);
  }
  list->Changed();
}

void TTavrinMainForm::PlayURLMIClick() {
  TTransportState& state = *FTransport;
  if (!state.OpenURLDialog || state.URLDialogOpen) return;
  std::wstring url, comment;
  state.URLDialogOpen = true;
  bool ok = false;
  try {
    ok = state.OpenURLDialog(url, comment);
  } catch (...) {
    state.URLDialogOpen = false;
    throw;
  }
  state.URLDialogOpen = false;
  TCompList* list = PlaylistModel();
  if (!ok || url.empty() || !list) return;
  TElem entry;
  entry.FileName = url;
  entry.Title = comment.empty() ? DecodeURLText(url) : comment;
  entry.Duration = -1;
  list->Add(entry);
  list->Changed();
}

// A radio's new song: the song line and the application's title follow it.
void TTavrinMainForm::StreamTitleChanged(const std::string& Title) {
  if (!PlayingURL || IsBlankAnsi(Title)) return;
  CurrentTitle = DecodeURLText(AnsiToWide(Title));
  if (!SongInfoLabel->Text().starts_with(L"Seek to: ") && !VolumeBar->Tracking())
    ShowTitle(CurrentTitle, CurrentTitle);
}
