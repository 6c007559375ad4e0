// Where the program's windows may stand: anywhere on any monitor, as the user
// left them, as long as the part that grabs them shows; a window lost off
// every monitor (its monitor unplugged, the desktop made smaller) comes back
// onto the nearest one by the least move.
#pragma once

#include <windows.h>

#include <cstdint>

class TControl;
class TWinControl;

// What of a window is kept on a monitor at least, in each direction (all of
// the part when it is smaller).
inline constexpr int64_t kVisibleStrip = 32;

// A window's top-left corner, wide enough for any stored value and for the
// arithmetic on it.
struct TScreenPlace {
  int64_t Left = 0;
  int64_t Top = 0;
};

// Part (in the window's own coordinates) of a window at Place, on the screen;
// cut to what a RECT holds.
RECT PartOnScreen(TScreenPlace Place, const RECT& Part);
// Whether any of Area lies on some monitor.
bool OnSomeMonitor(const RECT& Area);
// The work area of the monitor nearest to Area.
RECT WorkAreaNear(const RECT& Area);
// Place moved the least so that a strip of Part lies on the work area of the
// monitor nearest to it; unchanged when one does already.
TScreenPlace KeepOnAMonitor(TScreenPlace Place, const RECT& Part);
// A stored place of a window whose title area is Title: kept while any of the
// title is on some monitor, else moved until a strip of the title shows.
TScreenPlace StoredPlace(TScreenPlace Place, const RECT& Title);
// The band across Window's top that it is dragged by, in its own coordinates:
// down to the bottom of SkinnedTitle when that shows, else the system's
// caption down to the client area.
RECT TitleArea(TWinControl* Window, TControl* SkinnedTitle);
