// The main window's side of the remote-control message: each known command
// runs the main window's or the playlist window's own command.
//
// The message arrives through whatever message loop runs: the main loop, the
// loop an add runs between files, a modal window's or a file dialog's. The
// playlist's commands and the exit must not run inside those: an add would
// have its list cleared under it, a dialog would open over another, the exit
// would free the player under a tag window. They wait in FRemoteQueue, in
// order, until the playlist reports it is free (PlaylistFree) or the modal
// window that disabled the main window closes (WM_ENABLE). A command that
// opens a dialog while another dialog is up is dropped, as the playlist's own
// buttons are then.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <iterator>

#include "app/main_form.h"
#include "app/remote_control.h"
#include "engine/bass_player.h"
#include "framework/app_exceptions.h"
#include "framework/dialogs.h"
#include "framework/forms.h"
#include "globals/program_globals.h"
#include "playlist/comp_list.h"
#include "skin/slider.h"
#include "windows/equalizer/eq_form.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"

namespace {

enum TRemoteKind : uint8_t {
  // Runs as it arrives, whatever is open.
  rkAtOnce,
  // Waits while the playlist adds or shows a dialog, or a modal window is up.
  rkWaits,
  // As rkWaits, but dropped when it arrives while a dialog is already up.
  rkDialog,
};

struct TRemoteCommand {
  WPARAM Code;
  TRemoteKind Kind;
  void (*Run)(TTavrinMainForm& Form, LPARAM Arg);
};

// A controller that keeps sending while a dialog stays up is not followed
// beyond this many held-back commands.
constexpr size_t kMaxHeldCommands = 10000;

int32_t ClampedArg(LPARAM Arg, int32_t Low, int32_t High) {
  return static_cast<int32_t>(std::clamp<LPARAM>(Arg, Low, High));
}

// A window of the program shown modally (it disabled the main window).
bool ModalWindowUp(HWND Main) { return !IsWindowEnabled(Main) || Application()->ModalWindowUp(); }

bool DialogUp(HWND Main) { return DialogBusy || ModalWindowUp(Main) || SystemDialogUp(); }

// The held-back commands wait only for what reports its end (PlaylistFree,
// WM_ENABLE); a message box owned by another window does not, and only
// keeps a second dialog from opening over it.
bool PlaylistBusy(HWND Main) {
  return DialogBusy || ModalWindowUp(Main) ||
         (Playlist && (Playlist->Adding() || Playlist->PendingAdds() > 0));
}

void RunGuarded(const TRemoteCommand& Command, TTavrinMainForm& Form, LPARAM Arg) {
  try {
    Command.Run(Form, Arg);
  } catch (...) {
    ApplicationHandleException(std::current_exception());
  }
}

}  // namespace

void TTavrinMainForm::PlaylistFree() {
  if (!FRemoteQueue.empty() && HandleAllocated()) PostMessageW(Handle(), WM_RUNREMOTEQUEUE, 0, 0);
}

void TTavrinMainForm::RemoteCommand(TMessage& Message) {
  using F = TTavrinMainForm;
  // The playlist's commands do nothing without the window; the lambdas are
  // members' code, so the table reaches the private ComeToFront.
  static const TRemoteCommand kCommands[] = {
      {100, rkAtOnce, [](F& f, LPARAM) { f.PlayTheSong(-2); }},
      {101, rkAtOnce, [](F& f, LPARAM) { f.StopSongExecute(); }},
      {102, rkAtOnce, [](F& f, LPARAM) { f.PauseSongExecute(); }},
      {103, rkAtOnce, [](F& f, LPARAM) { f.NextSongExecute(); }},
      {104, rkAtOnce, [](F& f, LPARAM) { f.PreviousSongExecute(); }},
      {105, rkAtOnce, [](F& f, LPARAM) { f.ToggleRepeatExecute(); }},
      {106, rkAtOnce, [](F& f, LPARAM) { f.ToggleShuffleExecute(); }},
      {200, rkAtOnce, [](F& f, LPARAM) { f.TogglePlaylist(); }},
      {201, rkAtOnce, [](F& f, LPARAM) { f.ShowEQExecute(); }},
      {202, rkAtOnce, [](F& f, LPARAM) { f.ShowSEExecute(); }},
      {203, rkAtOnce, [](F& f, LPARAM) { f.ShowTextEditorExecute(); }},
      {204, rkAtOnce, [](F& f, LPARAM) { f.ShowCDExtExecute(); }},
      {205, rkAtOnce, [](F&, LPARAM) { Application()->Minimize(); }},
      {206, rkAtOnce, [](F& f, LPARAM) { f.ComeToFront(); }},
      {250, rkDialog, [](F&, LPARAM) { if (Playlist) Playlist->AddFilesMIClick(); }},
      {251, rkDialog, [](F&, LPARAM) { if (Playlist) Playlist->AddFolderMIClick(); }},
      {252, rkDialog, [](F&, LPARAM) { if (Playlist) Playlist->FileInfoButMIClick(); }},
      {253, rkDialog, [](F&, LPARAM) { if (Playlist) Playlist->PlaylistEntryButMIClick(); }},
      {254, rkWaits, [](F&, LPARAM) { if (Playlist) Playlist->ShowTextExecute(); }},
      {255, rkDialog, [](F&, LPARAM) { if (Playlist) Playlist->FileList->ShowTotalTime(); }},
      {256, rkWaits, [](F&, LPARAM) { if (Playlist) Playlist->FileList->GoToCurrent(); }},
      {257, rkWaits,
       [](F&, LPARAM Arg) {
         if (!Playlist || Arg < 0 || Arg > INT32_MAX) return;
         TCompList* list = Playlist->List();
         if (list->IsValidIndex(static_cast<int32_t>(Arg))) list->Delete(static_cast<int32_t>(Arg), true);
       }},
      {258, rkWaits, [](F& f, LPARAM) { f.ClearPLExecute(); }},
      {259, rkDialog, [](F&, LPARAM) { if (Playlist) Playlist->LoadListMIClick(); }},
      {260, rkDialog, [](F&, LPARAM) { if (Playlist) Playlist->SaveListMIClick(); }},
      {261, rkWaits, [](F&, LPARAM) { if (Playlist) Playlist->List()->Sort(skTitle); }},
      {262, rkWaits, [](F&, LPARAM) { if (Playlist) Playlist->List()->Randomize(); }},
      {263, rkWaits, [](F&, LPARAM) { if (Playlist) Playlist->List()->Sort(skDuration); }},
      {300, rkAtOnce,
       [](F& f, LPARAM Arg) {
         f.VolumeBar->SetValue(ClampedArg(Arg, INT32_MIN, INT32_MAX));
         if (AudioPlayer) AudioPlayer->SetVolume(static_cast<uint32_t>(std::max(f.VolumeBar->Value(), 0)));
       }},
      {301, rkAtOnce,
       [](F&, LPARAM Arg) {
         if (!EQ) return;
         EQ->PanningBar->SetValue(ClampedArg(Arg, -100, 100));
         if (AudioPlayer) AudioPlayer->SetPan(EQ->PanningBar->Value());
       }},
      {400, rkAtOnce, [](F& f, LPARAM) { f.ShowPrefsExecute(); }},
      {401, rkAtOnce, [](F& f, LPARAM) { f.ShowAboutExecute(); }},
      {402, rkWaits, [](F& f, LPARAM) { f.OnProgCloseExecute(); }},
  };
  auto find = [](WPARAM Code) -> const TRemoteCommand* {
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [Code](const TRemoteCommand& c) { return c.Code == Code; });
    return found == std::end(kCommands) ? nullptr : &*found;
  };
  Message.Result = 0;
  if (FClosing) return;

  if (Message.Msg == WM_RUNREMOTEQUEUE) {
    // A run already going on (this one arrived through a loop inside one of
    // its commands) takes the new commands in turn.
    if (FRunningRemoteQueue) return;
    FRunningRemoteQueue = true;
    while (!FRemoteQueue.empty() && !FClosing && !PlaylistBusy(Handle())) {
      const auto [code, arg] = FRemoteQueue.front();
      FRemoteQueue.erase(FRemoteQueue.begin());
      RunGuarded(*find(code), *this, arg);
    }
    FRunningRemoteQueue = false;
    return;
  }

  const TRemoteCommand* command = find(Message.WParam);
  if (!command) return;
  if (command->Kind == rkDialog && DialogUp(Handle())) return;
  if (command->Kind != rkAtOnce &&
      (FRunningRemoteQueue || !FRemoteQueue.empty() || PlaylistBusy(Handle()))) {
    if (FRemoteQueue.size() >= kMaxHeldCommands) return;
    FRemoteQueue.emplace_back(command->Code, Message.LParam);
    if (!PlaylistBusy(Handle())) PostMessageW(Handle(), WM_RUNREMOTEQUEUE, 0, 0);
    return;
  }
  RunGuarded(*command, *this, Message.LParam);
}
