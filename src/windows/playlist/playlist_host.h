// What the playlist window needs from outside itself, as two small
// interfaces, so that the main window and the options window plug in later
// without changes here:
//   TPlaylistHost      the main window: transport, the single-key shortcuts,
//                      its open dialog and open-URL command, and the windows
//                      that come with their own work (lyrics, tag windows,
//                      entry dialog, encoder). A window it does not offer
//                      leaves its menu items disabled.
//   TPlaylistSettings  the options the options window owns, answered with the
//                      defaults of the settings document until it exists.
// The playlist window only points to them; whoever made them frees them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TBasicAction;

// The tag and header windows, by file kind.
enum TInfoWindowKind : uint8_t { iwID3, iwWAV, iwWMA, iwOgg };

class TPlaylistHost {
 public:
  virtual ~TPlaylistHost() = default;

  // The main window's Play: resumes a paused song, else plays the selected
  // entry, else the current one.
  virtual void Play() = 0;
  // Plays the list's ItemIndex entry, whatever is selected or paused.
  virtual void PlayCurrent() = 0;
  virtual void Stop() = 0;
  // The player's mode (pmNone .. pmPaused of the engine).
  virtual uint8_t PlayerMode() = 0;
  virtual bool ShuffleOn() = 0;
  virtual void PlayRandomSong() = 0;
  // The main window's open-URL command ("Add URL...") and ClearPL action
  // (its item runs it and shows its key; disabled while there is none).
  virtual void OpenURL() = 0;
  virtual TBasicAction* ClearPlaylistAction() { return nullptr; }
  // The show-playlist toggle (the close button and the close command).
  virtual void TogglePlaylist() = 0;
  // The main window's single-key shortcuts.
  virtual bool ShortcutsEnabled() = 0;
  virtual void SetShortcutsEnabled(bool Value) = 0;
  // The main window's open dialog, started in InitialDir; false on cancel.
  virtual bool ExecuteOpenDialog(const std::wstring& InitialDir,
                                 std::vector<std::wstring>& Files) = 0;
  // The lyrics text of FileName in the lyrics editor.
  virtual void ShowText(const std::wstring& FileName) = 0;

  // Windows of their own; false while they do not exist.
  virtual bool InfoWindowsAvailable() { return false; }
  // Shows the window of Kind, modally, for InfoFileName / InfoIndex, unless
  // one is open already.
  virtual void ShowInfoWindow(TInfoWindowKind) {}
  virtual bool EntryDialogAvailable() { return false; }
  // The playlist-entry dialog for entry Index, modally, unless one is open.
  virtual void ShowEntryDialog(int32_t) {}
  virtual bool EncoderAvailable() { return false; }
  // The encoder window with these files, unless it is open already.
  virtual void ShowEncoder(const std::vector<std::wstring>&) {}

  // The window's last add, or one of its file and folder dialogs, has ended:
  // what waited for the window to be free may go on.
  virtual void PlaylistFree() {}
};

class TPlaylistSettings {
 public:
  virtual ~TPlaylistSettings() = default;

  // "Recurse subdirectories when adding a folder to playlist".
  virtual bool RecurseSubDirs() { return FRecurseSubDirs; }
  // "When loading folders, sort playlist".
  virtual bool SortOnLoad() { return FSortOnLoad; }
  // The playlist font size of the options window, in points.
  virtual int32_t FontSize() { return FFontSize; }
  virtual void SetFontSize(int32_t Value) { FFontSize = Value; }

  static constexpr int32_t MinFontSize = 8;
  static constexpr int32_t MaxFontSize = 30;

 protected:
  bool FRecurseSubDirs = true;
  bool FSortOnLoad = false;
  int32_t FFontSize = 8;
};
