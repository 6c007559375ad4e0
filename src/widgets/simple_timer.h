// TSimpleTimer: a light timer without a window of its own. Every such timer
// of the process shares one hidden window (made by the first timer, freed
// with the last), which receives WM_TIMER with the timer's identity as the
// system timer id and hands the tick to OnTimer on the thread's message loop.
// Main thread only. An exception from OnTimer goes to
// ApplicationHandleException.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/object.h"
#include "framework/string_list.h"

class TSimpleTimer : public TObject {
 public:
  // Interval 1000, disabled.
  TSimpleTimer();
  TSimpleTimer(uint32_t Interval, TNotifyEvent OnTimer);
  ~TSimpleTimer() override;
  TSimpleTimer(const TSimpleTimer&) = delete;
  TSimpleTimer& operator=(const TSimpleTimer&) = delete;

  // Kills a running timer, then sets it again; false (and nothing done) when
  // Interval is 0 or the system has no timer left.
  bool Start();
  // Enabled := False and the system timer goes.
  void Stop();

  // True starts, False stops.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Milliseconds. A change while enabled restarts with the new interval; 0
  // kills the system timer (Enabled stays as it was).
  uint32_t Interval() const { return FInterval; }
  void SetInterval(uint32_t Value);
  // Stopped before OnTimer runs, so it ticks once per Start.
  bool OneShot() const { return FOneShot; }
  void SetOneShot(bool Value) { FOneShot = Value; }
  // No handler while enabled kills the system timer; a handler given while
  // enabled starts it again.
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent Value);

  // The system timer id (the object's address).
  UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }

  // The shared window (nullptr while no timer exists) and the number of
  // system timers running on it, for tests.
  static HWND HandlerWindow();
  static int32_t TimerCount();

 private:
  friend class TSimpleTimerHandler;
  void KillSystemTimer();
  void Tick();

  bool FEnabled = false;
  uint32_t FInterval = 1000;
  bool FOneShot = false;
  TNotifyEvent FOnTimer;
  bool FRunning = false;  // the system timer is set
};
