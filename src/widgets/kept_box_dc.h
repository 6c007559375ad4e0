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
  // Whether nothing of the control can be seen through the DC: its window is
  // covered there (or the control lies outside it). False without a DC.
  bool Covered();
  // Gives the DC back; the next Get takes a new one. Before the window goes.
  void Release();

 private:
  TControl* FBox;
  HWND FWindow = nullptr;
  HDC FDC = nullptr;
  RECT FPlace{};
};
