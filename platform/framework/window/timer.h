// TTimer: OnTimer every Interval ms while Enabled, on the thread that made the
// timer, through its message loop (SetTimer). Each timer has its own hidden
// utility window (AllocateHWnd), made with the timer and destroyed with it, so
// a tick can never reach a timer that is gone. Interval 0 or no OnTimer keeps
// the system timer off while Enabled stays as set. An exception from OnTimer
// goes to ApplicationHandleException. Changes made by OnTimer itself reach
// the system timer when it returns, and only when the timer's state differs
// from what it was: a handler that switches its timer off while it works and
// on again leaves the system timer running (no server round trips a tick).
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/component.h"
#include "framework/string_list.h"
#include "framework/utility_window.h"

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  uint32_t Interval() const { return FInterval; }
  void SetInterval(uint32_t Value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent Value);
  // A quiet timer's ticks change nothing the application's idle pass looks
  // after (actions, hints, the control under the mouse), as a frame timer's
  // that only draws: the loop skips the pass after a batch of nothing else.
  bool Quiet() const { return FQuiet; }
  void SetQuiet(bool Value);

  // The hidden window that receives WM_TIMER (for tests).
  HWND WindowHandle() const { return FWindowHandle; }

 private:
  void UpdateTimer();
  void WndProc(TMessage& Message);

  // Whether the system timer runs as the state says it should.
  bool Running() const;

  bool FEnabled = true;
  bool FQuiet = false;
  uint32_t FInterval = 1000;
  // Set while OnTimer runs: cleared by the destructor when the handler frees
  // the timer, so the tick does not touch it afterwards.
  bool* FTickAlive = nullptr;
  TNotifyEvent FOnTimer;
  HWND FWindowHandle = nullptr;
};
