// What the about window and its text viewer need from outside themselves:
// the face the options override every window's font with. The main window
// answers it; the windows only point to their host.
#pragma once

#include <string>

class TAboutHost {
 public:
  virtual ~TAboutHost() = default;

  // Empty when the options do not override fonts.
  virtual std::string OverrideFontName() = 0;
};
