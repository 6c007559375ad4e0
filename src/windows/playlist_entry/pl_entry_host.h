// What the playlist-entry dialog needs from outside itself. The main window
// makes one host for each dialog it opens, bound to the entry the dialog was
// opened for (see TListEntry); the dialog only points to it, whoever made it
// frees it.
#pragma once

#include <string>

class TPLEntryHost {
 public:
  virtual ~TPLEntryHost() = default;

  // The entry's title and file name (or URL); false once it has left the
  // playlist.
  virtual bool ReadEntry(std::wstring& Title, std::wstring& FileName) = 0;
  // The entry takes both; nothing once it has left the playlist.
  virtual void ChangeEntry(const std::wstring& Title, const std::wstring& FileName) = 0;
  // The filter of the main window's open dialog, for looking for the file.
  virtual std::wstring OpenFilter() = 0;
  // The main window's single-key shortcuts, off while the dialog types.
  virtual void SetShortcutsEnabled(bool Value) = 0;
  // The face every window takes when the options override fonts; empty when
  // they do not.
  virtual std::string OverrideFontName() = 0;
};
