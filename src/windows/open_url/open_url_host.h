// What the open-URL dialog needs from outside itself: the main window's
// single-key shortcuts, which are off while the user types an address, and
// the font override. The dialog only points to its host; whoever made the
// host frees it.
#pragma once

#include <string>

class TOpenURLHost {
 public:
  virtual ~TOpenURLHost() = default;

  virtual void SetShortcutsEnabled(bool Value) = 0;
  // The face every window takes when the options override fonts; empty when
  // they do not.
  virtual std::string OverrideFontName() = 0;
};
