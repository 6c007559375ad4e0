// A device context on a windowless control's area of its window, kept for the
// window's life, for a painter that draws many times a second outside
// WM_PAINT (the visualisation). Getting and releasing a window DC for each
// frame costs more than the frame: the system rebuilds the DC's state every
// time (under Wine each release even reads the X resources anew). The DC is
// set up once (its origin at the control's top left, drawing clipped to the
// control) and again only when the control moves or its window is made anew.
//
// Ownership: owns the DC it holds; points to the control, which must outlive
// it or be forgotten with Forget first. Main thread only.
#pragma once

#include <windows.h>

class TControl;

class TKeptBoxDC {
 public:
  explicit TKeptBoxDC(TControl* Box) : FBox(Box) {}
  ~TKeptBoxDC();
  TKeptBoxDC(const TKeptBoxDC&) = delete;
  TKeptBoxDC& operator=(const TKeptBoxDC&) = delete;

  // The DC, with (0, 0) at the control's top left; nullptr while the control
  // has no window to draw on.
  HDC Get();
  // Whether the system clips all drawing through the DC away (the control
  // lies under other windows, or outside its own). Cheap: for every frame.
  // Under Wine a top-level window draws into a surface of its own, which
  // other windows never clip, so this alone does not see a cover there.
  bool ClippedAway();
  // ClippedAway, or the control wholly under visible windows above its
  // window (see-through ones aside). Asks the system about each window above:
  // for an occasional look. False without a DC.
  bool Covered();
  // Gives the DC back; the next Get takes a new one. Before the window goes.
  void Release();

 private:
  TControl* FBox;
  HWND FWindow = nullptr;
  HDC FDC = nullptr;
  RECT FPlace{};
};
