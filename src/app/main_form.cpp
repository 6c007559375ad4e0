#include "app/main_form.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "app/instance_handover.h"
#include "app/options_bridge.h"
#include "app/remote_control.h"
#include "app/skin_list.h"
#include "app/skin_loading.h"
#include "engine/bass_player.h"
#include "foundation/file_replace.h"
#include "foundation/tnt_string_list.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "framework/actions.h"
#include "framework/app_exceptions.h"
#include "framework/bitmaps.h"
#include "framework/image_list.h"
#include "framework/images.h"
#include "framework/shortcuts.h"
#include "framework/timer.h"
#include "globals/program_globals.h"
#include "globals/version.h"
#include "localization/localization.h"
#include "playlist/comp_list.h"
#include "settings/settings_xml.h"
#include "shell/cool_tray_icon.h"
#include "skin/form_title.h"
#include "skin/image_but.h"
#include "skin/slider.h"
#include "skin/vis_drawers.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_controls.h"
#include "unicode_controls/tnt_dialogs.h"
#include "unicode_controls/tnt_forms.h"
#include "unicode_controls/tnt_labels.h"
#include "unicode_controls/tnt_menus.h"
#include "widgets/kept_box_dc.h"
#include "windows/equalizer/eq_presets.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"

TTavrinMainForm* TavrinMainForm = nullptr;

namespace {

// Posted to the main window to run the hand-overs received meanwhile.
constexpr UINT kRunHandOvers = WM_APP + 0x101;
// Posted to the main window when a second start asks for the player.
constexpr UINT kComeToFront = WM_APP + 0x102;
// How long a second start waits for the running window to appear and to
// take the hand-over before it starts as a full instance itself.
constexpr DWORD kFindRunningWindowMs = 3000;
constexpr UINT kHandOverTimeoutMs = 5000;
constexpr DWORD kHandOverDeadlineMs = 20000;

// Windows 2000 (NT 5.0) or later. The real version comes from ntdll, since
// GetVersionEx answers according to the manifest.
bool IsSupportedWindows() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto rtlGetVersion =
      ntdll ? reinterpret_cast<RtlGetVersionFn>(
                  reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
  if (!rtlGetVersion || rtlGetVersion(&info) != 0) return false;
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 5;
}

[[noreturn]] void Halt() { ExitProcess(0); }

std::vector<std::wstring> CommandLineParams() {
  std::vector<std::wstring> params;
  for (int i = 1; i <= WideParamCount(); ++i) params.push_back(WideParamStr(i));
  return params;
}

// The names for one message: one a line, the first few only, so that a
// command line of thousands of names still gives a box that fits.
std::wstring ShortList(const std::vector<std::wstring>& Names) {
  constexpr size_t kShown = 10;
  std::wstring text;
  for (size_t i = 0; i < Names.size() && i < kShown; ++i) text += (i ? L"\r\n" : L"") + Names[i];
  if (Names.size() > kShown) text += L"\r\n...";
  return text;
}

bool IsEmptyFile(const std::wstring& FileName) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExW(FileName.c_str(), GetFileExInfoStandard, &data) &&
         data.nFileSizeHigh == 0 && data.nFileSizeLow == 0;
}

}  // namespace

// ------------------------------------------------------------- creation

TTavrinMainForm::TTavrinMainForm(TComponent* AOwner) : TTntForm(AOwner) {
  TavrinMainForm = this;
  FSkinFontFiles = std::make_unique<TTntStringList>();
  {
    TLoadingScope scope(this);
    SetName(L"TavrinMainForm");
    SetCaption("Tavrin Audio Player");
    SetBorderStyle(bsNone);
    SetClientWidth(291);
    SetClientHeight(156);
    CreateControls();
    CreateMenus();
    AssignMenuImages();
    CreateTransportControls();
    CreateWindowCommands();
    CreateEffectsCommands();
    CreateLyricsCommands();
    CreateAboutCommands();
    CreateURLCommands();
    LinkMenuItemsToActions();
  }
  DoCreate();
}

TTavrinMainForm::~TTavrinMainForm() {
  if (TavrinMainForm == this) TavrinMainForm = nullptr;
  DestroyComponents();
  FOptionsBridge.reset();
  FEQBridge.reset();
}

void TTavrinMainForm::CreateControls() {
  Title = new TFormTitle(this);
  Title->SetName(L"Title");
  Title->SetParent(this);
  Title->SetBevelOuter(bvNone);
  Title->SetAlign(alTop);
  Title->SetDrawStyle(dsSimple);
  Title->SetHeight(20);

  // Until a skin places them: the built-in skin's places.
  auto control = [this]<typename C>(C*& Field, const wchar_t* Name, int X, int Y, int W, int H) {
    Field = new C(this);
    Field->SetName(Name);
    Field->SetParent(this);
    Field->SetBounds(X, Y, W, H);
  };
  control(BG, L"BG", 0, 20, 291, 136);
  control(PaintBox, L"PaintBox", 93, 75, 104, 25);
  FVisDC = std::make_unique<TKeptBoxDC>(PaintBox);
  control(SongInfoLabel, L"SongInfoLabel", 10, 32, 162, 13);
  SongInfoLabel->SetTransparent(true);
  control(BitRateLabel, L"BitRateLabel", 187, 34, 100, 15);
  BitRateLabel->SetTransparent(true);
  BitRateLabel->SetAutoSize(false);
  BitRateLabel->SetBounds(187, 34, 100, 15);  // again: it had sized itself to its text
  control(TimeLabel, L"TimeLabel", 92, 60, 106, 16);
  control(StateControl, L"StateControl", 72, 72, 18, 18);

  auto button = [this](TImageBut*& Field, const wchar_t* Name, uint8_t States,
                       std::function<void()> OnClick) {
    Field = new TImageBut(this);
    Field->SetName(Name);
    Field->SetNumStates(States);
    Field->SetParent(this);
    if (OnClick) Field->SetOnClick([OnClick](TObject*) { OnClick(); });
  };
  button(Rev, L"Rev", 3, nullptr);
  button(PlayBut, L"Play", 3, [this] { Play(); });
  button(Pause, L"Pause", 3, nullptr);
  button(StopBut, L"Stop", 3, [this] { Stop(); });
  button(Fwd, L"Fwd", 3, nullptr);
  button(Open, L"Open", 3, nullptr);
  button(AboutBut, L"AboutBut", 3, nullptr);
  button(EQBut, L"EQBut", 3, [this] { ShowEQExecute(); });
  button(PLBut, L"PLBut", 3, [this] { TogglePlaylist(); });
  button(ShuffleToggle, L"ShuffleToggle", 3, nullptr);
  button(RepeatToggle, L"RepeatToggle", 3, nullptr);
  // Their light shows what they switch, set by the program: a click only
  // presses them (a push button's click would put the light out again after
  // the handler lit it).
  for (TImageBut* toggle : {EQBut, PLBut, ShuffleToggle, RepeatToggle}) {
    toggle->SetState(stCheck);
    toggle->SetControlType(ctManual);
  }
  button(MainMenuBut, L"MainMenuBut", 4, [this] { ShowMainMenu(); });
  MainMenuBut->SetOnDblClick([this](TObject*) { OnProgCloseExecute(); });
  button(MinimizeBut, L"MinimizeBut", 4, [] { Application()->Minimize(); });
  button(CloseBut, L"CloseBut", 4, [this] { OnProgCloseExecute(); });

  auto slider = [this](const wchar_t* Name) {
    auto* s = new TSlider(this);
    s->SetName(Name);
    s->SetParent(this);
    s->SetNumThumbStates(2);
    return s;
  };
  SeekingBar = slider(L"SeekingBar");
  SeekingBar->SetBounds(27, 111, 253, 12);
  VolumeBar = slider(L"VolumeBar");
  VolumeBar->SetOrientation(soVertical);
  VolumeBar->SetMinValue(0);
  VolumeBar->SetMaxValue(255);
  VolumeBar->SetBounds(10, 55, 12, 95);

  const std::pair<TControl*, const wchar_t*> hints[] = {
      {Rev, L"Previous"},          {PlayBut, L"Play"},           {Pause, L"Pause"},
      {StopBut, L"Stop"},          {Fwd, L"Next"},               {Open, L"Open files"},
      {AboutBut, L"About Tavrin"}, {EQBut, L"Equalizer"},        {PLBut, L"Playlist"},
      {ShuffleToggle, L"Shuffle"}, {RepeatToggle, L"Repeat"},    {MainMenuBut, L"Main menu"},
      {MinimizeBut, L"Minimize"},  {CloseBut, L"Exit"},          {SeekingBar, L"Seek"},
      {VolumeBar, L"Volume"},      {SongInfoLabel, L"Double-click for file information"}};
  for (const auto& [control, hint] : hints) WideSetHint(control, hint);
  SetShowHint(true);

  OpenFile = new TTntOpenDialog(this);
  OpenFile->SetName(L"OpenFile");
  TOpenOptions options = OpenFile->Options();
  options.Include(ofAllowMultiSelect);
  options.Include(ofFileMustExist);
  OpenFile->SetOptions(options);
  // The kinds the player opens, then everything.
  OpenFile->SetFilter(
      L"Audio files|*.mp1;*.mp2;*.mp3;*.wav;*.wma;*.ogg;*.mod;*.mo3;*.it;*.xm;*.s3m;*.mtm;*.umx;*.m3u"
      L"|MPEG audio (*.mp1, *.mp2, *.mp3)|*.mp1;*.mp2;*.mp3|Wave (*.wav)|*.wav"
      L"|Windows Media Audio (*.wma)|*.wma|Ogg Vorbis (*.ogg)|*.ogg"
      L"|Modules (*.mod, *.mo3, *.it, *.xm, *.s3m, *.mtm, *.umx)|*.mod;*.mo3;*.it;*.xm;*.s3m;*.mtm;*.umx"
      L"|Playlists (*.m3u)|*.m3u|All files (*.*)|*.*");

  PosTimer = new TTimer(this);
  PosTimer->SetName(L"PosTimer");
  PosTimer->SetEnabled(false);

  TavrinTrayIcon = new TCoolTrayIcon(this);
  TavrinTrayIcon->SetName(L"TavrinTrayIcon");

  MMenuIcons = new TImageList(this);
  MMenuIcons->SetName(L"MMenuIcons");
}

void TTavrinMainForm::CreateMenus() {
  Actions = new TActionList(this);
  Actions->SetName(L"Actions");
  OnProgClose = new TTntAction(this);
  OnProgClose->SetName(L"OnProgClose");
  OnProgClose->SetActionList(Actions);
  OnProgClose->SetCaption(L"Exit");
  OnProgClose->SetShortCut(ShortCut(VK_F4, ssAlt));
  OnProgClose->SetOnExecute([this](TObject*) { OnProgCloseExecute(); });

  auto item = [this](TMenuItem* Parent, const wchar_t* Name, const wchar_t* Caption,
                     std::function<void()> OnClick) {
    auto* i = new TTntMenuItem(this);
    i->SetName(Name);
    i->SetCaption(Caption);
    // A command whose window is not there yet stays greyed.
    if (OnClick)
      i->SetOnClick([OnClick](TObject*) { OnClick(); });
    else
      i->SetEnabled(false);
    Parent->Add(i);
    return static_cast<TMenuItem*>(i);
  };
  MainMenu = new TTntPopupMenu(this);
  MainMenu->SetName(L"MainMenu");
  TMenuItem* root = MainMenu->Items();
  // Separators have no name: nothing translates them.
  auto separator = [this](TMenuItem* Parent) {
    auto* line = new TTntMenuItem(this);
    line->SetCaption(L"-");
    Parent->Add(line);
  };
  item(root, L"AboutTavrinMI", L"About Tavrin...", nullptr);
  separator(root);
  TMenuItem* play = item(root, L"PlayMI", L"Play", [] {});
  play->SetEnabled(true);
  item(play, L"PlayFileMI", L"File...", nullptr);
  item(play, L"PlayDirectoryMI", L"Folder...", nullptr);
  item(play, L"PlayURLMI", L"URL...", nullptr);
  item(play, L"PlayCDMI", L"Audio CD", nullptr);
  separator(root);
  TogglePlaylistMI = item(root, L"TogglePlaylistMI", L"Playlist", [this] { TogglePlaylist(); });
  ToggleEqualizerMI = item(root, L"ToggleEqualizerMI", L"Equalizer", [this] { ShowEQExecute(); });
  ShowEQ = new TTntAction(this);
  ShowEQ->SetName(L"ShowEQ");
  ShowEQ->SetActionList(Actions);
  ShowEQ->SetShortCut(ShortCut('G', ssAlt));
  ShowEQ->SetOnExecute([this](TObject*) { ShowEQExecute(); });
  item(root, L"ToggleSpecialEffectsMI", L"Sound effects", nullptr);
  item(root, L"ToggleTextEditorMI", L"Lyrics editor", nullptr);
  CDExtractorMI = item(root, L"CDExtractorMI", L"CD extractor", [this] { ShowCDExtExecute(); });
  CreateCDCommands();
  separator(root);
  ShowPrefs = new TTntAction(this);
  ShowPrefs->SetName(L"ShowPrefs");
  ShowPrefs->SetActionList(Actions);
  ShowPrefs->SetShortCut(ShortCut('P', ssCtrl));
  ShowPrefs->SetOnExecute([this](TObject*) { ShowPrefsExecute(); });
  item(root, L"PreferencesMI", L"Preferences...", [this] { ShowPrefsExecute(); });
  SkinsMI = item(root, L"SkinsMI", L"Skins", [] {});
  DefaultSkinMI = item(SkinsMI, L"DefaultSkinMI", DefaultSkinName, [] {});
  DefaultSkinMI->SetRadioItem(true);
  DefaultSkinMI->SetChecked(true);
  separator(root);
  ExitMI = item(root, L"ExitMI", L"Exit", [this] { OnProgCloseExecute(); });

  RepeatMenu = new TTntPopupMenu(this);
  RepeatMenu->SetName(L"RepeatMenu");
  RepeatTrackMI = item(RepeatMenu->Items(), L"RepeatTrackMI", L"Repeat track", [] {});
  RepeatPlaylistMI = item(RepeatMenu->Items(), L"RepeatPlaylistMI", L"Repeat playlist", [] {});
  for (TMenuItem* mode : {RepeatTrackMI, RepeatPlaylistMI}) {
    mode->SetRadioItem(true);
    mode->SetGroupIndex(1);
  }
  RepeatPlaylistMI->SetChecked(true);
  CreateSkinCommands(this);
}

void TTavrinMainForm::LinkMenuItemsToActions() {
  const std::pair<const wchar_t*, TTntAction*> links[] = {
      {L"AboutTavrinMI", ShowAbout},         {L"PlayFileMI", OpenFiles},        {L"TogglePlaylistMI", ShowPlaylist},
      {L"ToggleEqualizerMI", ShowEQ},        {L"ToggleSpecialEffectsMI", ShowSE}, {L"ToggleTextEditorMI", ShowTextEditor},
      {L"CDExtractorMI", ShowCDExt},         {L"PreferencesMI", ShowPrefs},     {L"ExitMI", OnProgClose}};
  for (const auto& [name, action] : links)
    if (auto* item = dynamic_cast<TTntMenuItem*>(FindComponent(name))) SetMenuItemAction(item, action);
}

void TTavrinMainForm::FormCreate() {
  if (!IsSupportedWindows()) Halt();
  // A failure that escapes a handler is shown, one box at a time, and the
  // program goes on (the application's own handling). Ending here would lose
  // the settings and the playlist; saving here would run the exit under
  // whatever the failure interrupted, freeing the player below its caller.
  Application()->SetOnException(nullptr);
  const std::wstring program = WideParamStr(0);
  AppDir = WideExtractFilePath(program);
  DefaultPlaylistFile = WideChangeFileExt(program, L".m3u");
  wchar_t windows[145] = {};
  GetWindowsDirectoryW(windows, 145);
  WindowsFolder = windows;

  SetSettingsFolder(std::wstring());
  // Settings that cannot be read give way to the defaults, at start or in any
  // later bracket: the user is told, and where the old file is kept.
  SetSettingsResetReport([this](const std::wstring& FileName, const std::wstring& KeptAs) {
    const HWND owner = HandleAllocated() && IsWindowVisible(Handle()) ? Handle() : Application()->Handle();
    LocalizedMessageBox(owner, L"SettingsReset", {FileName, KeptAs}, MB_ICONERROR, L"Error");
  });
  // A file of another version is replaced by the default (the old one kept
  // as a .bak); settings that cannot be opened at all have been reported.
  if (!OpenCheckedSettingsXml()) Halt();

  const TXMLNode root = SettingsDoc->DocumentElement();
  const TXMLNode appearance = root.ChildNode(L"Appearance");
  // The window exists whenever the semaphore does, so a second start that
  // finds the semaphore finds the window too.
  HandleNeeded();
  if (!appearance.ReadBool(L"MultiInstance", false)) {
    if (AnotherInstanceRuns()) {
      // The player may be busy starting, or answering many second starts at
      // once: it is asked again until the time is up.
      const std::wstring text = BuildCopyDataText(CommandLineParams());
      const DWORD start = GetTickCount();
      while (GetTickCount() - start < kHandOverDeadlineMs) {
        HWND running = FindRunningMainWindow(L"TTavrinMainForm", kFindRunningWindowMs);
        if (!running) break;
        BringWindowToFront(running);
        if (SendCopyDataFileList(running, Handle(), text, kHandOverTimeoutMs)) {
          DiscardSettingsXml();
          Halt();
        }
      }
      // No running window answered: this start becomes a full instance.
    } else {
      MarkRunningPlayer(Handle());
    }
  }
  RemoveStaleTemporaryFiles(AppDir);

  CurrentSkin = root.ChildNode(L"Skin").ReadString(L"Name", DefaultSkinName);
  CurrentLanguage = appearance.ReadString(L"Language", L"English");
  if (!IsSkinFolderName(CurrentLanguage)) CurrentLanguage = L"English";  // a plain name in Lang\ only
  LanguageFile = AppDir + L"Lang\\" + CurrentLanguage + L".ini";

  if (WideFileExists(AppDir + L"bass.dll")) AudioPlayer = new TBASSPlayer(this, AppDir);
  if (!AudioPlayer || !AudioPlayer->BASSLoaded()) {
    LocalizedMessageBox(Application()->Handle(), L"BassNotLoaded", {}, MB_ICONERROR, L"Error");
    DiscardSettingsXml();
    Halt();
  }

  CurrentTitle = TavrinVersion;
  BitRateLabel->SetCaption(std::wstring());

  VisBackground = new TBitmap();
  SpectrumVis = new TSpectrum(PaintBox->Width(), PaintBox->Height());
  SpectrumVis->MaxHeight = PaintBox->Height();
  ScopeVis = new TOscilloScope(PaintBox->Width(), PaintBox->Height());

  TntApplication()->SetTitle(TavrinVersion);
  Application()->SetHintHidePause(4000);
  SetDoubleBuffered(true);

  HICON large = nullptr;
  HICON small = nullptr;
  if (ExtractIconExW(program.c_str(), 0, &large, &small, 1) > 0) {
    if (large) DestroyIcon(large);
    if (small) {
      TIcon icon;
      icon.SetHandle(small);
      TavrinTrayIcon->SetIcon(&icon);
    }
  }
  TavrinTrayIcon->SetHint(TavrinVersion);
  SongInfoLabel->SetText(TavrinVersion);
  InitTransport();
}

// -------------------------------------------------------------- showing

void TTavrinMainForm::FormShow() {
  const std::vector<std::wstring> params = CommandLineParams();
  // The last playlist is loaded also when the command line names files or
  // folders: they replace it only once they give an entry, so a name that
  // does not exist, a list that cannot be read or a folder without a song
  // leaves the user's list, and the exit saves it.
  LoadListExecute();
  FStartedWithFiles = !params.empty();
  LoadOptionsExecute(this);
  if (!params.empty()) LoadParams(params, true);
  FShown = true;
  // What the command line could not use is told once the window shows, not
  // in a box standing alone before it; hand-overs received meanwhile run then.
  PostMessageW(Handle(), kRunHandOvers, 0, 0);
}

void TTavrinMainForm::LoadListExecute() {
  if (!Playlist || !WideFileExists(DefaultPlaylistFile)) return;
  TCompList* list = Playlist->List();
  bool readable = false;
  try {
    readable = list->LoadFromFile(DefaultPlaylistFile) || IsEmptyFile(DefaultPlaylistFile);
  } catch (const std::exception&) {
    readable = false;
  }
  if (readable) return;
  // What was read before the damage stays in the list; the user's file is
  // kept aside whole, where the exit save cannot overwrite it.
  const std::wstring aside = DefaultPlaylistFile + L".bak";
  if (!MoveFileExW(DefaultPlaylistFile.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING))
    FKeepLastPlaylist = true;
  LocalizedMessageBox(Handle(), L"PlaylistIsInvalid", {WideExtractFileName(DefaultPlaylistFile)},
                      MB_ICONERROR, L"Error");
}

void TTavrinMainForm::LoadParams(const std::vector<std::wstring>& Params, bool AtStart) {
  if (!Playlist) return;
  std::vector<std::wstring> folders, files;
  for (const std::wstring& param : Params) {
    if (WideDirectoryExists(param)) {
      folders.push_back(WideIncludeTrailingBackslash(param));
      continue;
    }
    files.push_back(param);
    // An address is no file the playlist takes: it goes without a word.
    if (!TCompList::IsURL(param) && !WideFileExists(param)) FMissingNames.push_back(param);
  }
  if (AtStart) {
    // The start's folders replace the last playlist as its files do: only
    // with a song among them.
    Playlist->ReplaceWithFolders(folders, [this, folders] {
      FSonglessFolders.insert(FSonglessFolders.end(), folders.begin(), folders.end());
      if (FShown) PostMessageW(Handle(), kRunHandOvers, 0, 0);
    });
  } else {
    for (const std::wstring& folder : folders) Playlist->RecurseDir(folder);
  }
  Playlist->AddFileListAndPlayIt(files);
}

// Hand-overs that arrive while a box is up add their names to the next box
// instead of opening one inside it: a burst of starts gives a few boxes, not a
// stack of hundreds.
void TTavrinMainForm::ReportUnusedNames() {
  if (FReportingUnused) return;
  FReportingUnused = true;
  try {
    while (!FMissingNames.empty() || !FSonglessFolders.empty()) {
      const bool missing = !FMissingNames.empty();
      std::vector<std::wstring>& pending = missing ? FMissingNames : FSonglessFolders;
      const std::vector<std::wstring> names = std::move(pending);
      pending.clear();
      if (missing)
        LocalizedMessageBox(Handle(), L"CantFindFile", {ShortList(names)}, MB_ICONERROR, L"Error");
      else
        LocalizedMessageBox(Handle(), L"NoSongsInFolder", {ShortList(names)}, MB_ICONINFORMATION,
                            L"Information");
    }
  } catch (...) {
    FReportingUnused = false;
    throw;
  }
  FReportingUnused = false;
}

void TTavrinMainForm::WMCopyData(TMessage& Message) {
  Message.Result = 1;
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(Message.LParam);
  // The sender cannot show a player that the minimise hid, nor always take
  // the foreground for another process: the player comes back by itself,
  // once the sender has its answer.
  if (IsCopyDataFileList(data)) PostMessageW(Handle(), kComeToFront, 0, 0);
  std::vector<std::wstring> items = SplitCopyDataFileList(data);
  if (items.empty()) return;
  // The sender waits while this runs: take the names and answer at once; the
  // adding runs from the message loop, after the first showing and after any
  // hand-over before it.
  FPendingHandOvers.push_back(std::move(items));
  if (FShown) PostMessageW(Handle(), kRunHandOvers, 0, 0);
}

void TTavrinMainForm::ComeToFront() {
  // Before the first showing there is nothing to restore: the showing does it.
  if (!FShown || FClosing) return;
  const HWND application = Application()->Handle();
  if (IsIconic(application) || !IsWindowVisible(application) || IsIconic(Handle()) ||
      !IsWindowVisible(Handle()))
    TavrinTrayIconClick();
  SetForegroundWindow(Handle());
}

void TTavrinMainForm::RunHandOvers() {
  while (!FPendingHandOvers.empty() && !FClosing) {
    std::vector<std::wstring> items = std::move(FPendingHandOvers.front());
    FPendingHandOvers.erase(FPendingHandOvers.begin());
    LoadParams(items, false);
  }
  if (!FClosing) ReportUnusedNames();
}

// ------------------------------------------------------------------ end

void TTavrinMainForm::OnProgCloseExecute() {
  if (FClosing) return;
  // Nothing may be freed under a running conversion or rip: the exit comes
  // back once it has stopped.
  if (HoldExitForCDExtractor([this] { OnProgCloseExecute(); })) return;
  if (EncoderHoldsClose([this] { OnProgCloseExecute(); })) return;
  FClosing = true;
  // The presets dialog's bracket is closed first, so that the exit's own is
  // the one that writes the file.
  if (EQPresets) EQPresets->CloseSettings();
  try {
    SaveOptionsExecute();
  } catch (...) {
    // The user learns that the settings were not saved; the program ends anyway.
    ApplicationHandleException(std::current_exception());
  }
  TCloseAction action = caFree;
  FormClose(action);
  Application()->Terminate();
}

void TTavrinMainForm::EndSession() {
  OnProgCloseExecute();
}

void TTavrinMainForm::FormClose(TCloseAction&) {
  Stop();
  delete AudioPlayer;
  AudioPlayer = nullptr;
  delete SpectrumVis;
  SpectrumVis = nullptr;
  delete ScopeVis;
  ScopeVis = nullptr;
  delete VisBackground;
  VisBackground = nullptr;
  UnregisterSkinFonts();
  FSkinFontFiles.reset();
}

void TTavrinMainForm::DoClose(TCloseAction& Action) {
  if (!FClosing && (HoldExitForCDExtractor([this] { Close(); }) || EncoderHoldsClose([this] { Close(); }))) {
    Action = caNone;
    return;
  }
  TTntForm::DoClose(Action);
  if (!FClosing) {
    FClosing = true;
    FormClose(Action);
  }
}

// ------------------------------------------------------------- messages

void TTavrinMainForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_COPYDATA:
      WMCopyData(Message);
      return;
    case kRunHandOvers:
      RunHandOvers();
      return;
    case kComeToFront:
      ComeToFront();
      return;
    case WM_MOVE:
      TTntForm::Dispatch(Message);
      WMMove();
      return;
    case WM_REMOTECOMMAND:
    case WM_RUNREMOTEQUEUE:
      RemoteCommand(Message);
      return;
    case WM_ENABLE:
      // A modal window that held the remote commands back has closed.
      TTntForm::Dispatch(Message);
      if (Message.WParam && !FRemoteQueue.empty()) PostMessageW(Handle(), WM_RUNREMOTEQUEUE, 0, 0);
      return;
    case WM_SIZE:
      TTntForm::Dispatch(Message);
      if (Message.WParam != SIZE_MINIMIZED) LookAtVisualisation(true);
      return;
    case WM_DESTROY:
      // The window may be made anew (a new skin): its DC goes with it.
      if (FVisDC) FVisDC->Release();
      TTntForm::Dispatch(Message);
      return;
    case WM_MOUSEWHEEL:
      if (GET_WHEEL_DELTA_WPARAM(Message.WParam) > 0)
        VolumeUpExecute();
      else
        VolumeDownExecute();
      Message.Result = 0;
      return;
    case WM_QUERYENDSESSION:
      Message.Result = TRUE;
      return;
    case WM_ENDSESSION:
      // The session ends: save as the exit command does, before the system
      // ends the process.
      if (Message.WParam) EndSession();
      Message.Result = 0;
      return;
    case WM_SHOWWINDOW:
      TTntForm::Dispatch(Message);
      if (Message.WParam && !FShown) FormShow();
      return;
    default:
      TTntForm::Dispatch(Message);
  }
}

void TTavrinMainForm::Activate() {
  TTntForm::Activate();
  ShowActiveLook(true);
}

void TTavrinMainForm::Deactivate() {
  TTntForm::Deactivate();
  ShowActiveLook(false);
}

void TTavrinMainForm::ShowMainMenu() {
  const POINT at =
      ClientToScreen(POINT{MainMenuBut->Left(), MainMenuBut->Top() + MainMenuBut->Height()});
  MainMenu->Popup(at.x, at.y);
}

// ------------------------------------------------------ the playlist's host

void TTavrinMainForm::Play() { PlayTheSong(-2); }
void TTavrinMainForm::PlayCurrent() { PlayTheSong(-1); }

void TTavrinMainForm::Stop() { StopSongExecute(); }

uint8_t TTavrinMainForm::PlayerMode() { return AudioPlayer ? AudioPlayer->PlayerMode() : uint8_t{pmNone}; }
bool TTavrinMainForm::ShuffleOn() { return ShuffleToggle->Checked(); }
void TTavrinMainForm::PlayRandomSong() { RandomSongExecute(); }
void TTavrinMainForm::OpenURL() { PlayURLMIClick(); }

TBasicAction* TTavrinMainForm::ClearPlaylistAction() { return ClearPL; }

void TTavrinMainForm::TogglePlaylist() { ShowPlaylistExecute(); }

bool TTavrinMainForm::ShortcutsEnabled() { return FShortcutsEnabled; }
void TTavrinMainForm::SetShortcutsEnabled(bool Value) {
  FShortcutsEnabled = Value;
  ApplySingleKeyShortcuts();
}

bool TTavrinMainForm::ExecuteOpenDialog(const std::wstring& InitialDir,
                                        std::vector<std::wstring>& Files) {
  OpenFile->SetInitialDir(InitialDir);
  if (!OpenFile->Execute()) return false;
  Files.clear();
  for (int32_t i = 0; i < OpenFile->Files()->Count(); ++i) Files.push_back(OpenFile->Files()->Strings(i));
  return !Files.empty();
}

