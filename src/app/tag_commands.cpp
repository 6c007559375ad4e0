// The main window's side of the tag windows: one shown at a time, modally,
// for the playlist entry it was opened for.
#include <memory>

#include "app/main_form.h"
#include "playlist/comp_list.h"
#include "windows/playlist/entry_reader.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"
#include "windows/tags/id3_info.h"
#include "windows/tags/ogg_info.h"
#include "windows/tags/tag_host.h"
#include "windows/tags/wav_info.h"
#include "windows/tags/wma_info.h"

namespace {

// Bound to the entry by its identity: a list sorted, cut or replaced while
// the window is open renames the same entry, or none once it is gone.
class TEntryTagHost : public TTagHost {
 public:
  TEntryTagHost(TTavrinMainForm* Form, TElemId Entry, std::wstring FileName)
      : FForm(Form), FEntry(Entry), FFileName(std::move(FileName)) {}

  void SetEntryTitle(const std::wstring& Title) override {
    if (!Playlist || FEntry == 0) return;
    TCompList* list = Playlist->List();
    const int32_t index = list->IndexOfEntry(FEntry);
    if (index < 0) return;
    list->SetTitle(index, Title.empty() ? TitleFromFileName(FFileName) : Title);
    Playlist->FileList->Repaint();
  }
  std::string OverrideFontName() override { return FForm->OverrideFontName(); }

 private:
  TTavrinMainForm* FForm;
  TElemId FEntry;
  std::wstring FFileName;
};

// The single-key commands stay quiet while the user types in the window.
class TQuietShortcuts {
 public:
  explicit TQuietShortcuts(TTavrinMainForm* Form) : FForm(Form), FWere(Form->ShortcutsEnabled()) {
    FForm->SetShortcutsEnabled(false);
  }
  ~TQuietShortcuts() { FForm->SetShortcutsEnabled(FWere); }
  TQuietShortcuts(const TQuietShortcuts&) = delete;
  TQuietShortcuts& operator=(const TQuietShortcuts&) = delete;

 private:
  TTavrinMainForm* FForm;
  bool FWere;
};

template <typename TWindow, typename TStart>
void ShowModally(TTagHost* Host, TStart Start) {
  const std::unique_ptr<TWindow> window(new TWindow(Application(), Host));
  Start(*window);
  window->ShowModal();
}

}  // namespace

bool TTavrinMainForm::InfoWindowsAvailable() { return true; }

void TTavrinMainForm::ShowInfoWindow(TInfoWindowKind Kind) {
  if (!Playlist || ID3_Info || OGG_Info || WMA_Info || WAV_Info) return;
  const std::wstring file = InfoFileName;
  TEntryTagHost host(this, Playlist->List()->IdOf(InfoIndex), file);
  const TQuietShortcuts quiet(this);
  switch (Kind) {
    case iwID3:
      ShowModally<TID3_Info>(&host, [&](TID3_Info& W) { W.Init(file); });
      break;
    case iwOgg:
      ShowModally<TOGG_Info>(&host, [&](TOGG_Info& W) { W.ShowInfo(file); });
      break;
    case iwWMA:
      ShowModally<TWMA_Info>(&host, [&](TWMA_Info& W) { W.ShowInfo(file); });
      break;
    case iwWAV:
      ShowModally<TWAV_Info>(&host, [&](TWAV_Info& W) { W.ShowInfo(file); });
      break;
  }
}
