// What the lyrics editor needs from outside itself. The main window answers
// it: its toggle and menu check mark, and its single-key shortcuts, which are
// off while the editor types. The window only points to its host; whoever
// made the host frees it.
#pragma once

#include <string>

class TLyricsHost {
 public:
  virtual ~TLyricsHost() = default;

  // The main window's single-key shortcuts.
  virtual void SetShortcutsEnabled(bool Value) = 0;
  // The window was closed by the user: the main menu's check mark goes out.
  virtual void LyricsEditorClosed() = 0;
  // The face every window takes when the options override fonts; empty when
  // they do not.
  virtual std::string OverrideFontName() = 0;
};
