// Filling the playlist: files, folders, drops, the hand-over and playlist
// files, one job at a time; loading and saving playlists with their dialogs.
#include <windows.h>

#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "foundation/tnt_sysutils.h"
#include "framework/app_exceptions.h"
#include "framework/forms.h"
#include "framework/xml_document.h"
#include "localization/localization.h"
#include "playlist/comp_list.h"
#include "settings/settings_xml.h"
#include "shell/folder_browser.h"
#include "unicode_controls/tnt_dialogs.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"

namespace {

// DialogBusy for as long as one dialog of the window runs.
class TDialogScope {
 public:
  explicit TDialogScope(TPlaylist& Form) : FForm(Form) { DialogBusy = true; }
  ~TDialogScope() {
    DialogBusy = false;
    if (FForm.Host()) FForm.Host()->PlaylistFree();
  }
  TDialogScope(const TDialogScope&) = delete;
  TDialogScope& operator=(const TDialogScope&) = delete;

 private:
  TPlaylist& FForm;
};

// The remembered folders of the window's dialogs (node "Paths" of the
// settings document), in one bracket around a dialog. Settings that cannot be
// opened or saved cost only the remembered folder: the dialog still runs, and
// there is nobody to tell about a folder that was not stored.
class TPathsBracket {
 public:
  TPathsBracket() {
    try {
      OpenSettingsXml();
      FOpen = true;
    } catch (...) {
    }
  }
  ~TPathsBracket() {
    if (!FOpen) return;
    try {
      SaveSettingsXml();
    } catch (...) {
    }
  }
  TPathsBracket(const TPathsBracket&) = delete;
  TPathsBracket& operator=(const TPathsBracket&) = delete;

  std::wstring Read(const wchar_t* Name) const {
    if (!FOpen || !SettingsDoc) return std::wstring();
    const TXMLNode paths = SettingsDoc->DocumentElement().ChildNode(L"Paths");
    return paths.IsNull() ? std::wstring() : paths.ReadString(Name, L"");
  }
  void Write(const wchar_t* Name, const std::wstring& Folder) {
    if (FOpen && SettingsDoc) SettingsDoc->DocumentElement().ForceChild(L"Paths").SetAttribute(Name, Folder);
  }

 private:
  bool FOpen = false;
};

void AppendEntries(TCompList& Target, const TCompList& Entries) {
  TElem elem;
  for (int32_t i = 0; i < Entries.Count(); ++i) {
    Entries.GetElem(i, elem);
    Target.Add(elem);
  }
}

}  // namespace

// ---------------------------------------------------------------- the queue

// A job that arrives while another runs (from the messages that job lets
// through) waits for it, so two adds never interleave their entries and a
// replacing add never clears what another is adding. Each job's exceptions go
// to the application, so one failure does not drop the jobs behind it.
void TPlaylist::RunAdd(TAddJob Job) {
  if (FAdding) {
    FPendingAdds.push_back(std::move(Job));
    return;
  }
  FAdding = true;
  for (;;) {
    try {
      Job();
    } catch (...) {
      ApplicationHandleException(std::current_exception());
    }
    if (FPendingAdds.empty() || ComponentState().Contains(csDestroying)) break;
    Job = std::move(FPendingAdds.front());
    FPendingAdds.pop_front();
  }
  FPendingAdds.clear();
  FAdding = false;
  if (FHost) FHost->PlaylistFree();
}

bool TPlaylist::KeepAdding() {
  Application()->ProcessMessages();
  return !Application()->Terminated() && !ComponentState().Contains(csDestroying);
}

TFolderWalker& TPlaylist::Walker() {
  if (FWalker) return *FWalker;
  if (!FDiskWalker) FDiskWalker = std::make_unique<TFolderWalker>();
  return *FDiskWalker;
}

void TPlaylist::AddFilesExecute(const std::vector<std::wstring>& Files, bool AllowPlaylists) {
  const bool replace = ReplaceList;
  ReplaceList = false;
  RunAdd([this, Files, AllowPlaylists, replace] { DoAddFiles(Files, AllowPlaylists, replace); });
}

void TPlaylist::AddDirFiles(const std::wstring& Dir) {
  RunAdd([this, Dir] {
    const std::wstring folder = WideIncludeTrailingBackslash(Dir);
    std::vector<TFolderEntry> entries;
    if (Walker().List(folder, entries)) AddFolderFiles(folder, entries, *List());
  });
}

void TPlaylist::RecurseDir(const std::wstring& Folder) {
  RunAdd([this, Folder] {
    TFolderGuard guard;
    DoRecurseDir(Folder, guard, 0, *List());
  });
}

// Read aside first, as a replacing add of files is: folders without a song
// leave the user's list alone.
void TPlaylist::ReplaceWithFolders(const std::vector<std::wstring>& Folders, std::function<void()> NoSongs) {
  if (Folders.empty()) return;
  RunAdd([this, Folders, NoSongs] {
    TCompList fresh;
    TFolderGuard guard;
    for (const std::wstring& folder : Folders) {
      if (!KeepAdding()) return;
      DoRecurseDir(folder, guard, 0, fresh);
    }
    if (fresh.Count() > 0)
      ReplaceEntries(fresh);
    else if (NoSongs)
      NoSongs();
  });
}

void TPlaylist::AddFileListAndPlayIt(const std::vector<std::wstring>& Files) {
  if (Files.empty()) return;
  RunAdd([this, Files] { DoAddFiles(Files, true, true); });
}

void TPlaylist::DropFiles(const std::vector<std::wstring>& Names) {
  RunAdd([this, Names] {
    std::vector<std::wstring> files;
    TFolderGuard guard;
    for (const std::wstring& name : Names) {
      if (WideDirectoryExists(name))
        DoRecurseDir(WideIncludeTrailingBackslash(name), guard, 0, *List());
      else
        files.push_back(name);
    }
    DoAddFiles(files, true, false);
  });
}

void TPlaylist::LoadListFile(const std::wstring& FileName) {
  RunAdd([this, FileName] {
    TCompList loaded;
    if (ReadPlaylist(loaded, FileName)) ReplaceEntries(loaded);
  });
}

// ---------------------------------------------------------------- the work

// A replacing add reads everything aside first: the list is replaced only by
// content of at least one entry, so names that do not exist, files of no
// known kind or a playlist that cannot be read leave the user's list alone.
bool TPlaylist::DoAddFiles(const std::vector<std::wstring>& Files, bool AllowPlaylists,
                           bool Replace) {
  TCompList* list = List();
  if (!Replace) {
    AddEntriesOf(*list, Files, AllowPlaylists);
    return false;
  }
  TCompList fresh;
  if (!ReadEntries(fresh, Files, AllowPlaylists) || fresh.Count() == 0) return false;
  ReplaceEntries(fresh);
  FileList->SetItemIndex(0);
  FileList->GoToCurrent();
  HostOrNull().Play();
  return true;
}

bool TPlaylist::ReadEntries(TCompList& Target, const std::vector<std::wstring>& Files,
                            bool AllowPlaylists) {
  TEntryReader reader;
  reader.SetModuleLength(FModuleLength);
  for (const std::wstring& name : Files) {
    if (!KeepAdding()) return false;
    if (name.empty()) continue;
    const TEntryKind kind = EntryKindOf(name);
    if (kind == ekNone || !WideFileExists(name)) continue;
    if (kind == ekPlaylist) {
      if (AllowPlaylists) ReadPlaylist(Target, name);
      continue;
    }
    Target.Add(reader.Read(name, kind));
  }
  return true;
}

void TPlaylist::AddEntriesOf(TCompList& Target, const std::vector<std::wstring>& Files, bool AllowPlaylists) {
  try {
    ReadEntries(Target, Files, AllowPlaylists);
  } catch (...) {
    Target.Changed();
    throw;
  }
  Target.Changed();
}

void TPlaylist::ReplaceEntries(const TCompList& Entries) {
  TCompList* list = List();
  list->Clear();
  AppendEntries(*list, Entries);
  list->Changed();
}

void TPlaylist::AddFolderFiles(const std::wstring& Dir, const std::vector<TFolderEntry>& Entries,
                               TCompList& Target) {
  std::vector<std::wstring> files;
  files.reserve(Entries.size());
  for (const TFolderEntry& entry : Entries)
    if (!entry.IsFolder()) files.push_back(Dir + entry.Name);
  // The list shows each folder's entries as they come.
  AddEntriesOf(Target, files, false);
}

void TPlaylist::DoRecurseDir(const std::wstring& Folder, TFolderGuard& Guard, int32_t Depth,
                             TCompList& Target) {
  const std::wstring dir = WideIncludeTrailingBackslash(Folder);
  TFolderWalker& walker = Walker();
  if (!Guard.Enter(walker, dir, Depth)) return;
  std::vector<TFolderEntry> entries;
  if (!walker.List(dir, entries)) return;
  AddFolderFiles(dir, entries, Target);
  if (!FSettings->RecurseSubDirs()) return;
  for (const TFolderEntry& entry : entries) {
    if (!KeepAdding()) return;
    if (entry.IsFolder() && !entry.IsLink()) DoRecurseDir(dir + entry.Name + L"\\", Guard, Depth + 1, Target);
  }
}

// ---------------------------------------------------------------- playlists

bool TPlaylist::LoadPlaylist(const std::wstring& FileName) {
  TCompList* list = List();
  const bool read = ReadPlaylist(*list, FileName);
  list->Changed();
  return read;
}

// Read whole before anything reaches Target, so a file that breaks part-way
// (or is no list this program reads) adds nothing and says so.
bool TPlaylist::ReadPlaylist(TCompList& Target, const std::wstring& FileName) {
  TCompList loaded;
  bool read = false;
  try {
    read = loaded.LoadFromFile(FileName);
  } catch (const std::exception&) {
    read = false;
  }
  if (!read) {
    LocalizedMessageBox(Handle(), L"PlaylistIsInvalid", {WideExtractFileName(FileName)},
                        MB_ICONERROR, L"Error");
    return false;
  }
  AppendEntries(Target, loaded);
  return true;
}

bool TPlaylist::SavePlaylist(const std::wstring& FileName) {
  try {
    List()->SaveToFile(FileName);
  } catch (const std::exception&) {
    LocalizedMessageBox(Handle(), L"CantSavePlaylist", {FileName}, MB_ICONERROR, L"Error");
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- dialogs

void TPlaylist::AddFolderMIClick() {
  if (DialogBusy) return;
  std::wstring folder;
  {
    TDialogScope busy(*this);
    TPathsBracket paths;
    BrowseForFolder(GetLocalizedMessage(L"ChooseFolder"), 0x241, Handle(), folder,
                    paths.Read(L"AddFolder"));
    if (!folder.empty()) paths.Write(L"AddFolder", folder);
  }
  if (folder.empty()) return;
  RunAdd([this, folder] {
    TFolderGuard guard;
    DoRecurseDir(folder, guard, 0, *List());
    if (FSettings->SortOnLoad()) List()->Sort(skTitle);
  });
}

void TPlaylist::AddFilesMIClick(bool Replace) {
  ReplaceList = false;
  if (DialogBusy) return;
  std::vector<std::wstring> files;
  {
    TDialogScope busy(*this);
    TPathsBracket paths;
    if (!HostOrNull().ExecuteOpenDialog(paths.Read(L"AddFiles"), files) || files.empty()) return;
    paths.Write(L"AddFiles", WideExtractFilePath(files.front()));
  }
  // Set only now: a cancelled dialog must leave the next add alone.
  ReplaceList = Replace;
  AddFilesExecute(files, true);
}

void TPlaylist::LoadListMIClick() {
  if (DialogBusy) return;
  std::wstring file;
  {
    TDialogScope busy(*this);
    TPathsBracket paths;
    OpenList->SetInitialDir(paths.Read(L"LoadList"));
    if (!OpenList->Execute(Handle())) return;
    file = OpenList->FileName();
    paths.Write(L"LoadList", WideExtractFilePath(file));
  }
  LoadListFile(file);
}

void TPlaylist::SaveListMIClick() {
  if (DialogBusy) return;
  std::wstring file;
  {
    TDialogScope busy(*this);
    TPathsBracket paths;
    SaveList->SetInitialDir(paths.Read(L"LoadList"));
    if (!SaveList->Execute(Handle())) return;
    file = SaveList->FileName();
    paths.Write(L"LoadList", WideExtractFilePath(file));
  }
  SavePlaylist(file);
}
