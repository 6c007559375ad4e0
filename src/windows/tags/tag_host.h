// What a tag window needs from outside itself. The main window makes one
// host for each window it opens, bound to the playlist entry the window was
// opened for (by the entry's identity, not its place): the window only
// points to it; whoever made it frees it.
#pragma once

#include <string>

class TTagHost {
 public:
  virtual ~TTagHost() = default;

  // The window's entry takes Title; an empty Title gives the entry the title
  // its file name makes. Nothing when the entry has left the playlist.
  virtual void SetEntryTitle(const std::wstring& Title) = 0;
  // The face every window takes when the options override fonts; empty when
  // they do not.
  virtual std::string OverrideFontName() = 0;
};
