// TPlaylist: the skinned playlist window. It fills the playlist (FileList's
// TCompList) from files, folders, drops and playlist files, with titles and
// lengths read from the files' tags; sorts, shuffles, finds, selects and
// deletes (from the list or from the disk); loads and saves M3U playlists;
// and hands playing, the tag windows, the entry dialog and the encoder to the
// main window (TPlaylistHost).
//
// Adding is one job at a time: an add keeps the window responsive (pending
// messages are handled between files), and an add, a drop or a hand-over that
// arrives meanwhile waits in a queue and runs when the one before it ends,
// never inside it. ReplaceList is taken by the one add that starts next.
//
// Ownership: the window owns its controls, menus, actions, dialogs, drop
// target and timer (as components); it only points to the host, the settings
// and an injected folder walker.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "skin/tavrin_forms.h"
#include "windows/playlist/entry_reader.h"
#include "windows/playlist/folder_walker.h"
#include "windows/playlist/playlist_host.h"

class TActionList;
class TCompList;
class TDropFileTarget;
class TFormTitle;
class TImageBut;
class TMenuItem;
class TPanel;
class TPlayListBox;
class TSlider;
class TTimer;
class TTntAction;
class TTntEdit;
class TTntOpenDialog;
class TTntPopupMenu;
class TTntSaveDialog;

class TPlaylist;

// The window (one, made at start-up).
extern TPlaylist* Playlist;
// Set by the main window's Open: the next add clears the list first and then
// plays entry 0. That add takes the flag back, so it applies to one open only.
extern bool ReplaceList;
// A file or folder dialog of this window is open; other requests are ignored.
extern bool DialogBusy;
// The entry whose tag window is open, for the tag windows to read back.
extern std::wstring InfoFileName;
extern int32_t InfoIndex;

class TPlaylist : public TTavrinForm {
 public:
  // Host and Settings may be nullptr: the commands of a missing host do
  // nothing, missing settings are the settings document's defaults.
  TPlaylist(TComponent* AOwner, TPlaylistHost* Host, TPlaylistSettings* Settings);
  ~TPlaylist() override;

  TPlaylistHost* Host() const { return FHost; }
  void SetHost(TPlaylistHost* Value) { FHost = Value; }
  TPlaylistSettings* Settings() const { return FSettings; }
  void SetSettings(TPlaylistSettings* Value);
  // Lists folders for folder adds; nullptr (the default) lists the disk.
  void SetFolderWalker(TFolderWalker* Value) { FWalker = Value; }
  // The lengths of tracker modules; BassModuleLength by default.
  void SetModuleLength(TModuleLength Value) { FModuleLength = std::move(Value); }

  // FileList's playlist.
  TCompList* List() const;

  // Adding. Each runs now, or after the add that is running.
  void AddFilesExecute(const std::vector<std::wstring>& Files, bool AllowPlaylists);
  // Dir's files (not its subfolders).
  void AddDirFiles(const std::wstring& Dir);
  // Folder's files, then (when the settings say so) each subfolder's, depth
  // first; links and junctions are not entered, nor a folder seen before.
  void RecurseDir(const std::wstring& Folder);
  // The folders named at the start: their entries, found as RecurseDir finds
  // them, replace the list when there is at least one; otherwise the list
  // stays and NoSongs runs.
  void ReplaceWithFolders(const std::vector<std::wstring>& Folders, std::function<void()> NoSongs);
  // The hand-over: the list becomes Files and its first entry plays; when
  // Files give no entry at all the list stays as it was.
  void AddFileListAndPlayIt(const std::vector<std::wstring>& Files);
  // The names dropped on the list: folders first (recursively), then files.
  void DropFiles(const std::vector<std::wstring>& Names);
  // "Load list...": the list becomes the playlist FileName, or stays as it
  // was when that cannot be read ("PlaylistIsInvalid").
  void LoadListFile(const std::wstring& FileName);
  // True while an add runs; the number of adds waiting behind it.
  bool Adding() const { return FAdding; }
  size_t PendingAdds() const { return FPendingAdds.size(); }

  // Appends the playlist FileName; when it cannot be read (part-way or at
  // all) the list stays as it was and "PlaylistIsInvalid" says so. False then.
  bool LoadPlaylist(const std::wstring& FileName);
  // "Save list...": writes extended M3U; a file that cannot be written is
  // reported ("CantSavePlaylist"), and the answer is false.
  bool SavePlaylist(const std::wstring& FileName);

  int32_t SelectedOrCurrentIndex();
  void ShowFileInfo(int32_t Index);
  void SetEntryTitle(int32_t Index, const std::wstring& Title);

  // Commands.
  // "Add folder..." and "Add files...". With Replace the chosen files replace
  // the list and the first of them plays (the main window's Open).
  void AddFolderMIClick();
  void AddFilesMIClick(bool Replace = false);
  void LoadListMIClick();
  void SaveListMIClick();
  // The tag window, and the entry dialog, of the first selected entry.
  void FileInfoButMIClick();
  void PlaylistEntryButMIClick();
  void PlayPLItemExecute();
  void ShowTextExecute();
  // "Physically remove": asks first ("ConfirmEraseFiles"), then deletes the
  // selected entries' files and the entries whose file went.
  void EraseFilesExecute();
  void RestoreFindBoxTextExecute();
  // Alt+] and Alt+[: the playlist font size one point up or down.
  void StepFontSize(int32_t Delta);
  // Both fonts of the rows take Size points; rows are twice as high.
  void ApplyFontSize(int32_t Size);
  // The client size the user gave the window under the last skin that let
  // them size it; a skin of fixed size sets its own, and the next sizeable
  // skin brings this one back.
  SIZE UserClientSize{0, 0};
  bool SizedBySkin = false;
  // Places the menu buttons, the close button and the find box again from
  // their skin positions.
  void FormResize();

  // Del and Shift+Del stay with the find box while it has the focus (they
  // delete and cut its text there).
  bool IsShortCut(TMessage& Message) override;
  // The title bar and the close button in their active or inactive look.
  void FormActivate();
  void FormDeactivate();

  // The controls, under their form names.
  TFormTitle* Title = nullptr;
  TFormTitle* Bottom = nullptr;
  TFormTitle* LeftSide = nullptr;
  TFormTitle* RightSide = nullptr;
  TPlayListBox* FileList = nullptr;
  TPanel* SliderPanel = nullptr;
  TSlider* FileListSlider = nullptr;
  TImageBut* MoveUpBut = nullptr;
  TImageBut* MoveDownBut = nullptr;
  TImageBut* CloseBut = nullptr;
  TImageBut* AddBut = nullptr;
  TImageBut* DelBut = nullptr;
  TImageBut* SelBut = nullptr;
  TImageBut* MiscBut = nullptr;
  TImageBut* LoadBut = nullptr;
  TTntEdit* FindBox = nullptr;
  TTntPopupMenu* AddMenu = nullptr;
  TTntPopupMenu* DelMenu = nullptr;
  TTntPopupMenu* SelAllMenu = nullptr;
  TTntPopupMenu* MiscOptMenu = nullptr;
  TTntPopupMenu* ListMenu = nullptr;
  TTntPopupMenu* PLMenu = nullptr;
  TActionList* ActionsPL = nullptr;
  TTntOpenDialog* OpenList = nullptr;
  TTntSaveDialog* SaveList = nullptr;
  TDropFileTarget* DropFile = nullptr;
  TTimer* ScrollTimer = nullptr;

  // Actions of ActionsPL.
  TTntAction* DelFiles = nullptr;
  TTntAction* ShowText = nullptr;
  TTntAction* IncreaseFont = nullptr;
  TTntAction* DecreaseFont = nullptr;
  TTntAction* PlayPLItem = nullptr;
  TTntAction* SelNext = nullptr;
  TTntAction* SelPrev = nullptr;
  TTntAction* SelNextRel = nullptr;
  TTntAction* SelPrevRel = nullptr;
  TTntAction* EraseFiles = nullptr;
  TTntAction* SelAllSC = nullptr;
  TTntAction* InvertSelSC = nullptr;
  TTntAction* RandomizeSC = nullptr;
  TTntAction* SortSC = nullptr;
  TTntAction* RestoreFindBoxText = nullptr;

 protected:
  void Activate() override;
  void Deactivate() override;
  void DoClose(TCloseAction& Action) override;

 private:
  class TNullHost;
  using TAddJob = std::function<void()>;

  // Construction (playlist_menus.cpp for the menus and actions).
  void CreateControls();
  void CreateActions();
  void CreateMenus();
  TMenuItem* NewMenuItem(TMenuItem* Parent, const wchar_t* Name, const wchar_t* Caption,
                         std::function<void()> OnClick);
  TPlaylistHost& HostOrNull();

  // Adding (playlist_adding.cpp).
  void RunAdd(TAddJob Job);
  // With Replace the files' entries replace the list (and the first plays)
  // only when there is at least one; true when they did.
  bool DoAddFiles(const std::vector<std::wstring>& Files, bool AllowPlaylists, bool Replace);
  // Appends the entries of Files to Target; false when the adding was stopped.
  bool ReadEntries(TCompList& Target, const std::vector<std::wstring>& Files, bool AllowPlaylists);
  // ReadEntries, then Target's change event, also when the reading fails.
  void AddEntriesOf(TCompList& Target, const std::vector<std::wstring>& Files, bool AllowPlaylists);
  // Appends the playlist FileName to Target (no change event); when it cannot
  // be read to its end, "PlaylistIsInvalid" says so and nothing is added.
  bool ReadPlaylist(TCompList& Target, const std::wstring& FileName);
  void ReplaceEntries(const TCompList& Entries);
  // Folder's entries (and its subfolders') appended to Target.
  void DoRecurseDir(const std::wstring& Folder, TFolderGuard& Guard, int32_t Depth, TCompList& Target);
  void AddFolderFiles(const std::wstring& Dir, const std::vector<TFolderEntry>& Entries, TCompList& Target);
  TFolderWalker& Walker();
  // Handles pending messages; false when the adding must stop.
  bool KeepAdding();

  // Menu and button commands.
  void PopupAt(TImageBut* Button, TTntPopupMenu* Menu);
  void EncodeMIClick();
  void EntryDialogFor(int32_t Index);
  void UpdateMenuStates();
  // Whether entry Index is a local file one of the tag windows shows.
  bool HasInfoWindow(int32_t Index);
  void FileListDblClick();
  void FileListMouseDown(TMouseButton Button);
  void FindBoxEnter();
  void FindBoxExit();
  void FindBoxChange();
  void FindBoxKeyUp(uint16_t& Key);
  void ScrollStep();

  TPlaylistHost* FHost;
  TPlaylistSettings* FSettings;
  std::unique_ptr<TPlaylistSettings> FDefaultSettings;
  TFolderWalker* FWalker = nullptr;
  std::unique_ptr<TFolderWalker> FDiskWalker;
  TModuleLength FModuleLength = BassModuleLength;
  bool FAdding = false;
  std::deque<TAddJob> FPendingAdds;
  bool FSettingFindText = false;
  int32_t FScrollDelta = 0;
  // Menu items whose state follows the host's windows.
  TMenuItem* FFileInfoButMI = nullptr;
  TMenuItem* FPlaylistEntryButMI = nullptr;
  TMenuItem* FEncodeMI = nullptr;
  TMenuItem* FFileInfoMI = nullptr;
  TMenuItem* FPlaylistEntryMI = nullptr;
};
