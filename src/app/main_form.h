// TTavrinMainForm: the main window, and the program's spine at both ends of a
// run. Its creation checks the system, opens the settings, hands the command
// line to a running instance (and ends) or creates the player; its first
// showing loads the last playlist or the command line's files and applies the
// settings; the exit command saves everything and ends the program.
//
// The window's class name "TTavrinMainForm" is the address of the hand-over:
// a second start finds the running window by it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/actions.h"
#include "framework/forms.h"
#include "framework/xml_document.h"
#include "unicode_controls/tnt_forms.h"
#include "windows/about/about_host.h"
#include "windows/effects/effects_host.h"
#include "windows/cd_extractor/cd_host.h"
#include "windows/encoder/encoder_host.h"
#include "windows/equalizer/eq_host.h"
#include "windows/lyrics/lyrics_host.h"
#include "windows/playlist/playlist_host.h"

class TActionList;
class TFormTitle;
class TImage;
class TImageBut;
class TMenuItem;
class TPaintBox;
class TPicTimeLabel;
class TScrollLabel;
class TSlider;
class TStateControl;
class TTimer;
class TTransportSettings;
struct TTransportState;
class TTntAction;
class TTntLabel;
class TTntOpenDialog;
class TTntPopupMenu;
class TTntStringList;
class TCoolTrayIcon;
class TFadeIO;
class TImageList;
class TKeptBoxDC;
class TOptionsBridge;
class TOptionsHost;

class TTavrinMainForm : public TTntForm, public TPlaylistHost {
 public:
  // The window and its controls; the program runs FormCreate next.
  explicit TTavrinMainForm(TComponent* AOwner);
  ~TTavrinMainForm() override;

  // The start-up steps (see the file comment). On a second start that handed
  // its command line over, or when the program cannot run, the process ends
  // inside FormCreate.
  void FormCreate();
  void FormShow();
  // Appends the last playlist (DefaultPlaylistFile) when it exists. A file
  // that cannot be read to its end is moved aside as "<name>.bak" (so the exit
  // save does not overwrite the user's list), "PlaylistIsInvalid" says so, and
  // the playlist holds what was read before the damage.
  void LoadListExecute();
  // The command line's folders and files into the playlist. The files
  // replace the playlist when they give an entry, and the first of them
  // plays. The folders replace it too at the start (when they hold a song;
  // "NoSongsInFolder" is told when not) and are added to it on a hand-over.
  // Names that do not exist are gathered for one "CantFindFile"; an address
  // is no file and is not told.
  void LoadParams(const std::vector<std::wstring>& Params, bool AtStart);
  // The settings: applied once at the first showing (the document left open
  // by FormCreate is saved and closed), saved once at exit with the playlist.
  void LoadOptionsExecute(TObject* Sender);
  // The options' file-type list into the registry's associations
  // (file_associations.cpp).
  void RegFileTypesExecute(TObject* Sender);
  void SaveOptionsExecute();
  // The settings part of SaveOptionsExecute; false when the document could
  // not be opened, filled or written.
  bool WriteSettings();
  // A preset element's B1 .. B10 into the equaliser's bands and the player
  // (each clamped by its band); the song line shows the title again.
  void LoadEQPreset(const TXMLNode& Node);
  // The bands into Node's B1 .. B10 (Name empty), or into a new "Preset"
  // child of Node named Name.
  void SaveEQPreset(TXMLNode Node, const std::wstring& Name);
  // The equaliser window shown docked above this one, or hidden
  // (EQBut, the menu, its close button).
  void ShowEQExecute();
  // The sound effects window made and shown, or closed (the menu, Alt+S).
  void ShowSEExecute();
  // The about window made and shown, or closed (F1, the about button, the
  // menu).
  void ShowAboutExecute();
  // The lyrics editor shown or hidden (the menu, Alt+T).
  void ShowTextEditorExecute();
  TLyricsHost* LyricsHost();
  // The playlist window shown docked below this one, or hidden (PLBut, the
  // menu, Alt+E, its close button).
  void ShowPlaylistExecute();
  // The CD extractor made and shown, or closed (the menu, Alt+C, remote
  // command 204); cd_commands.cpp.
  void ShowCDExtExecute();
  // Dock the playlist window below this one at its left edge, and the
  // equaliser window above it, centred, each keeping its size. A window that
  // would end up off every monitor is pulled back until a strip of it shows.
  void PlaylistPosExecute();
  void EQPosExecute();
  // A suspended fade-in of Form up to its current opacity.
  void CreateFormFader(TFadeIO*& Fader, TForm* Form);
  // T: the skinned windows opaque, or at 150 when they are opaque already;
  // ignored within 250 ms of the last timed action.
  void MakeTransparentExecute();
  // A left press on the background or the labels moves the window.
  void BGMouseDown(TMouseButton Button);
  void TavrinTrayIconClick();
  // The application's activation: the title bars' active look follows it.
  void ActivateAllExecute();
  void DeactivateAllExecute();
  // The single-key shortcuts given back, or taken away while a window types.
  void EnableShortcuts();
  void DisableShortcuts();
  // This window's shortcuts answer in every window of the program (the
  // application hands them the keys the other windows have no use for),
  // except Alt+F4: the exit in the player's own windows, it closes a tool
  // window as anywhere else.
  bool IsShortCut(TMessage& Message) override;
  TEQHost* EQHost();
  // The options window's host; the window itself is made after the playlist
  // window, then AttachOptions makes the playlist window, the transport and
  // the skin loader read their options from it.
  TOptionsHost* OptionsHost();
  void AttachOptions();
  // Shows the options window (Ctrl+P, "Preferences...").
  void ShowPrefsExecute();
  static constexpr uint32_t kPrepareOptionsDelayMs = 1000;
  // The language Name ("Lang\<Name>.ini") applied to the windows.
  void LoadLanguage(const std::wstring& Name);
  void LoadLanguageFile(const std::wstring& FileName);

  // The menu icons (menu_icons.cpp): MMenuIcons filled from the program's
  // icons, or emptied; the menus show what it holds.
  void LoadMenuIcons();
  void ClearMenuIcons();
  // ApplyFontOverride on the windows that have one (global_font.cpp).
  void ApplyGlobalFont(const std::string& FontName);

  // The one exit path: saves the settings and the playlist, stops and frees,
  // ends the program.
  void OnProgCloseExecute();
  // The close handler: stops playback, frees the player, the visualisation and
  // the skin's fonts. Also the window's OnClose (a close by the system saves
  // nothing).
  void FormClose(TCloseAction& Action);

  void Dispatch(TMessage& Message) override;

  // TPlaylistHost.
  void Play() override;
  void PlayCurrent() override;
  void Stop() override;
  uint8_t PlayerMode() override;
  bool ShuffleOn() override;
  void PlayRandomSong() override;
  void OpenURL() override;
  TBasicAction* ClearPlaylistAction() override;
  void TogglePlaylist() override;
  bool ShortcutsEnabled() override;
  void SetShortcutsEnabled(bool Value) override;
  bool ExecuteOpenDialog(const std::wstring& InitialDir, std::vector<std::wstring>& Files) override;
  void ShowText(const std::wstring& FileName) override;
  // The tag windows (tag_commands.cpp).
  bool InfoWindowsAvailable() override;
  void ShowInfoWindow(TInfoWindowKind Kind) override;
  // The playlist-entry dialog (entry_commands.cpp).
  bool EntryDialogAvailable() override;
  void ShowEntryDialog(int32_t Index) override;
  void PlaylistFree() override;
  // The face the options override every window's font with; empty when they
  // do not.
  std::string OverrideFontName();
  // The encoder window (encoder_commands.cpp), for the playlist's chosen files.
  bool EncoderAvailable() override;
  void ShowEncoder(const std::vector<std::wstring>& Files) override;
  // A close of the program asked while the encoder window converts: the
  // conversion is cancelled and Then (the close again) runs once it has
  // unwound; true then.
  bool EncoderHoldsClose(std::function<void()> Then);

  // The transport (transport.cpp). PlayTheSong's Index: -2 the playlist's
  // first selected entry, else its current one; -1 the current entry;
  // otherwise that entry. StartAt (ms), when the song reaches it, is where
  // the sound begins: a resumed song never sounds from its start first.
  void PlayTheSong(int32_t Index, uint32_t StartAt = 0);
  void PlaySongExecute();
  void StopSongExecute();
  void PauseSongExecute();
  void PreviousSongExecute();
  void NextSongExecute();
  void RandomSongExecute();
  // The end of a track (the player's OnPlayEnd), or a seek to its very end.
  void RepeatnShuffleCheck();
  void ToggleShuffleExecute();
  void ToggleRepeatExecute();
  void RepeatTrackMIClick();
  void RepeatPlaylistMIClick();
  void OpenFilesExecute();
  void PlayDirectoryMIClick();
  void ClearPLExecute();
  void OnPlEntryDeleteExecute();
  void PosTimerTimer();
  void SeekingBarChange();
  void SeekingBarStopTracking();
  void VolumeBarChange();
  void VolumeBarStopTracking();
  void VolumeUpExecute();
  void VolumeDownExecute();
  void Fwd_5_secExecute();
  void Back_5_secExecute();
  void FindCDDrivesExecute();
  // Sender: a drive item of PlayCDMI (its Tag is the drive number).
  void PlayCDExecute(TObject* Sender);
  void PlayURLMIClick();
  // The playback speed in percent; the position timer keeps pace with it.
  void SetPlaybackSpeed(uint8_t Percent);
  // The options the transport reads; nullptr: the settings document's defaults.
  TTransportSettings* TransportSettings() const;
  void SetTransportSettings(TTransportSettings* Value);
  // The open-URL window (true on OK, with the address and its comment);
  // PlayURLMI stays disabled without one.
  void SetOpenURLDialog(std::function<bool(std::wstring& URL, std::wstring& Comment)> Dialog);
  // A single-key shortcut, taken away while a text box types
  // (SetShortcutsEnabled) and given back after.
  void AddSingleKeyShortcut(TCustomAction* Action, TShortCut Key);

  // Wires the player's events and the visualisation, once AudioPlayer exists.
  void InitTransport();

  // The display (main_display.cpp).
  void GetRateInfoExecute();
  void UpdateTimeExecute();
  void InvertTimeExecute();
  // OnNewFFTData handlers: one frame into PaintBox.
  void DrawSpec();
  void DrawOsc();
  // The visualisation options (kind, rate, styles) applied to the player and
  // the painters.
  void ApplyVisSettings();
  void PaintBoxClick();
  void SongInfoLabelDblClick();
  // The lyrics side file into the lyrics editor; nothing while there is none.
  void LoadText(const std::wstring& FileName, bool ShowEditor);
  // The stream information window for the stream that plays, modally; closed
  // when playback stops or a local file starts (url_commands.cpp).
  void ShowNetStreamInfo();
  void CloseNetStreamInfo();

  // The controls, under their form names.
  TImage* BG = nullptr;
  TTntLabel* BitRateLabel = nullptr;
  TScrollLabel* SongInfoLabel = nullptr;
  TPaintBox* PaintBox = nullptr;
  TPicTimeLabel* TimeLabel = nullptr;
  TStateControl* StateControl = nullptr;
  TImageBut* Rev = nullptr;
  // "Play" and "Stop": the member names would clash with Play() and Stop().
  TImageBut* PlayBut = nullptr;
  TImageBut* Pause = nullptr;
  TImageBut* StopBut = nullptr;
  TImageBut* Fwd = nullptr;
  TImageBut* Open = nullptr;
  TImageBut* AboutBut = nullptr;
  TImageBut* EQBut = nullptr;
  TImageBut* PLBut = nullptr;
  TImageBut* ShuffleToggle = nullptr;
  TImageBut* RepeatToggle = nullptr;
  TImageBut* MainMenuBut = nullptr;
  TImageBut* MinimizeBut = nullptr;
  TImageBut* CloseBut = nullptr;
  TSlider* SeekingBar = nullptr;
  TSlider* VolumeBar = nullptr;
  TFormTitle* Title = nullptr;
  TTntOpenDialog* OpenFile = nullptr;
  TTntPopupMenu* MainMenu = nullptr;
  TTntPopupMenu* RepeatMenu = nullptr;
  TActionList* Actions = nullptr;
  TTimer* PosTimer = nullptr;
  TCoolTrayIcon* TavrinTrayIcon = nullptr;
  TImageList* MMenuIcons = nullptr;

  // Menu items of MainMenu and RepeatMenu.
  TMenuItem* TogglePlaylistMI = nullptr;
  TMenuItem* ToggleEqualizerMI = nullptr;
  TMenuItem* ToggleSpecialEffectsMI = nullptr;
  TMenuItem* ToggleTextEditorMI = nullptr;
  TMenuItem* SkinsMI = nullptr;
  TMenuItem* DefaultSkinMI = nullptr;
  TMenuItem* ExitMI = nullptr;
  TMenuItem* RepeatTrackMI = nullptr;
  TMenuItem* RepeatPlaylistMI = nullptr;
  TMenuItem* PlayFileMI = nullptr;
  TMenuItem* PlayDirectoryMI = nullptr;
  TMenuItem* PlayURLMI = nullptr;
  TMenuItem* PlayCDMI = nullptr;
  TMenuItem* CDExtractorMI = nullptr;

  // Actions of Actions.
  TTntAction* OnProgClose = nullptr;
  TTntAction* PrevSkin = nullptr;
  TTntAction* NextSkin = nullptr;
  TTntAction* PlaySong = nullptr;
  TTntAction* PauseSong = nullptr;
  TTntAction* StopSong = nullptr;
  TTntAction* NextSong = nullptr;
  TTntAction* PreviousSong = nullptr;
  TTntAction* ToggleRepeat = nullptr;
  TTntAction* ToggleShuffle = nullptr;
  TTntAction* OpenFiles = nullptr;
  TTntAction* ClearPL = nullptr;
  TTntAction* Fwd_5_sec = nullptr;
  TTntAction* Back_5_sec = nullptr;
  TTntAction* VolumeUp = nullptr;
  TTntAction* VolumeDown = nullptr;
  TTntAction* InvertTime = nullptr;
  TTntAction* PlayCD = nullptr;
  TTntAction* ShowPrefs = nullptr;
  TTntAction* ShowEQ = nullptr;
  TTntAction* ShowPlaylist = nullptr;
  TTntAction* MakeTransparent = nullptr;
  TTntAction* ShowSE = nullptr;
  TTntAction* ShowTextEditor = nullptr;
  TTntAction* ShowAbout = nullptr;
  TTntAction* ShowCDExt = nullptr;
  // Del: the playlist's selected entries removed, from whichever window.
  TTntAction* OnPlEntryDelete = nullptr;

  // The font files registered for the current skin.
  TTntStringList* SkinFontFiles() const { return FSkinFontFiles.get(); }

 protected:
  void Activate() override;
  void Deactivate() override;
  void DoClose(TCloseAction& Action) override;

 private:
  void CreateControls();
  void CreateMenus();
  // The menus' image list and the image of each main menu item.
  void AssignMenuImages();
  // The main menu's items run the actions of their commands and show their
  // keys; made once every action is.
  void LinkMenuItemsToActions();
  void WMCopyData(TMessage& Message);
  // WM_REMOTECOMMAND and the run of the commands it had to hold back
  // (remote_control.cpp).
  void RemoteCommand(TMessage& Message);
  // A hand-over received: run once the first showing is through, never inside
  // another one; then what the command lines could not use is told.
  void RunHandOvers();
  // A second start asked for the player: a minimised or hidden one is
  // restored, and it comes to the front.
  void ComeToFront();
  // One "CantFindFile" for the names gathered in FMissingNames, one
  // "NoSongsInFolder" for the folders in FSonglessFolders.
  void ReportUnusedNames();
  // The steps of LoadOptionsExecute and WriteSettings (settings_apply.cpp,
  // settings_save.cpp).
  void LoadPositions(const TXMLNode& Positions);
  void LoadPlayback(const TXMLNode& Playback);
  void LoadPlaylistSettings(const TXMLNode& Node);
  // The stored song selected, and played from its stored place when the
  // options keep it; never when the command line brought files.
  void ResumeStoredSong(const TXMLNode& Node);
  void WriteSettingsTo(TXMLNode Root);
  void WritePlaylistState(TXMLNode Node);
  // The playing (or paused) entry's index; -1 when none or gone.
  int32_t PlayingEntryIndex();
  // Makes the options window's own window once the start is over.
  void PrepareOptionsWhenIdle();
  void EndSession();
  void ShowMainMenu();
  // A docked window shown (docked first by Dock, faded in when the options
  // want fades and no timed action came just before) or hidden.
  void ToggleDocked(TForm* Window, TImageBut* Button, TMenuItem* Item,
                    void (TTavrinMainForm::*Dock)());
  // The tool windows' actions and menu items (effects_commands.cpp,
  // lyrics_commands.cpp).
  void CreateEffectsCommands();
  void CreateLyricsCommands();
  void CreateAboutCommands();
  // The open-URL dialog plugged into the transport (url_commands.cpp).
  void CreateURLCommands();
  // The lyrics editor's place and size (the settings' TextEditor element).
  void LoadTextEditorSettings(const TXMLNode& Node);
  void WriteTextEditorSettings(TXMLNode Node);
  // The window management's actions, events and hooks (window_management.cpp).
  void CreateWindowCommands();
  // The CD extractor's action (cd_commands.cpp).
  void CreateCDCommands();
  // An exit while the CD extractor rips cancels the rip and runs Resume once
  // it has unwound (true: the caller stops here); an idle extractor is
  // closed first.
  bool HoldExitForCDExtractor(std::function<void()> Resume);
  // The title bar and its three buttons in their active or inactive look.
  void ShowActiveLook(bool Active);
  // The docked windows follow the main window's every move.
  void WMMove();
  RECT ScreenBounds();
  // Transport (transport.cpp): the actions, events and menu items it wires
  // at construction, and the player's events once the player exists.
  void CreateTransportControls();
  TTransportState& TransportState();
  // The single-key shortcuts given or taken as FShortcutsEnabled says.
  void ApplySingleKeyShortcuts();
  void SkipMissingEntries();
  void ShowTitle(const std::wstring& SongInfo, const std::wstring& AppTitle);
  void StreamTitleChanged(const std::string& Title);
  void ClearVisualisation();
  // Whether the display can be seen: its window shown, not minimised, and the
  // display not covered. Thorough asks the system about the windows above
  // (a few calls), which a frame leaves to the position timer's look.
  bool DisplaySeen(bool Thorough);
  // A frame's look: when the display cannot be seen, the player's frame timer
  // is stopped (nothing is fetched or drawn) until LookAtVisualisation finds
  // it seen again.
  bool VisualisationSeen();
  // While playing with a visualisation: the frames run just when the display
  // can be seen. OnlyToStart: only stopped frames may start (the window
  // restored, shown or uncovered, which repaints the display); otherwise (the
  // position timer's look, once a second) a covered display stops them too.
  void LookAtVisualisation(bool OnlyToStart);

  // The display's DC, kept while the window lives.
  std::unique_ptr<TKeptBoxDC> FVisDC;
  std::unique_ptr<TTntStringList> FSkinFontFiles;
  std::unique_ptr<TOptionsBridge> FOptionsBridge;
  std::unique_ptr<TEQHost> FEQBridge;
  std::unique_ptr<TEffectsHost> FEffectsBridge;
  std::unique_ptr<TLyricsHost> FLyricsBridge;
  std::unique_ptr<TAboutHost> FAboutBridge;
  std::unique_ptr<TCDHost> FCDBridge;
  std::unique_ptr<TEncoderHost> FEncoderBridge;
  // The command line named files: the stored song is not resumed.
  bool FStartedWithFiles = false;
  std::vector<std::vector<std::wstring>> FPendingHandOvers;
  bool FShown = false;
  std::vector<std::wstring> FMissingNames;
  std::vector<std::wstring> FSonglessFolders;
  bool FReportingUnused = false;
  // The last playlist could not be read nor moved aside: the exit save must
  // not overwrite it.
  bool FKeepLastPlaylist = false;
  bool FClosing = false;
  bool FShortcutsEnabled = true;
  // Remote commands held back until the playlist and the modal windows are
  // free, as (command, argument), in their order of arrival.
  std::vector<std::pair<WPARAM, LPARAM>> FRemoteQueue;
  bool FRunningRemoteQueue = false;
  struct TTransportStateDeleter {
    void operator()(TTransportState* State) const;
  };
  std::unique_ptr<TTransportState, TTransportStateDeleter> FTransport;
};

extern TTavrinMainForm* TavrinMainForm;
