// The main window's side of the playlist-entry dialog: shown modally for the
// entry the playlist names, bound to that entry by its identity.
#include <memory>

#include "app/main_form.h"
#include "unicode_controls/tnt_dialogs.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"
#include "windows/playlist_entry/list_entry.h"
#include "windows/playlist_entry/pl_entry_form.h"
#include "windows/playlist_entry/pl_entry_host.h"

namespace {

class TEntryDialogBridge : public TPLEntryHost {
 public:
  TEntryDialogBridge(TTavrinMainForm* Form, int32_t Index) : FForm(Form), FEntry(Playlist->List(), Index) {}

  bool ReadEntry(std::wstring& Title, std::wstring& FileName) override { return FEntry.Read(Title, FileName); }
  void ChangeEntry(const std::wstring& Title, const std::wstring& FileName) override {
    // The list's own change event stays quiet: nothing was added or removed.
    if (FEntry.Change(Title, FileName) && Playlist) Playlist->FileList->Repaint();
  }
  std::wstring OpenFilter() override { return FForm->OpenFile ? FForm->OpenFile->Filter() : std::wstring(); }
  void SetShortcutsEnabled(bool Value) override { FForm->SetShortcutsEnabled(Value); }
  std::string OverrideFontName() override { return FForm->OverrideFontName(); }

 private:
  TTavrinMainForm* FForm;
  TListEntry FEntry;
};

}  // namespace

bool TTavrinMainForm::EntryDialogAvailable() { return true; }

void TTavrinMainForm::ShowEntryDialog(int32_t Index) {
  if (!Playlist || PLEntryForm || !Playlist->List()->IsValidIndex(Index)) return;
  TEntryDialogBridge host(this, Index);
  const std::unique_ptr<TPLEntryForm> dialog(new TPLEntryForm(Application(), &host));
  if (dialog->GetEntry()) dialog->ShowModal();
}
