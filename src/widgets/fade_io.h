// TFadeIO: fades a window in or out on a thread of its own by stepping the
// window's opacity: 21 steps from 0 to Target (or back), a pause of StepDelay
// after each, and last Target itself, so a faded-out window ends at full
// Target opacity and the caller hides it.
//
// Create it suspended, set Form, SetTarget and FadeIn, then Resume on the
// thread that owns the form's window. Resume makes the window layered, ends a
// fade of the same window that still runs (the newer one wins) and watches
// the window: when it is destroyed the fade ends first (a bounded wait) and
// Form becomes nullptr; when it is hidden the fade ends and the window takes
// Target at once. The thread touches nothing but the window's opacity, under
// a lock that the window's destruction takes; everything else (OnTerminate,
// freeing with FreeOnTerminate, an exception of the thread) is handed to the
// owning thread through its message loop.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/forms.h"
#include "framework/thread.h"

class TFadeIO : public TObject, private TThread {
 public:
  explicit TFadeIO(bool CreateSuspended);
  // Ends a fade that still runs (bounded wait) and lets the window go.
  ~TFadeIO() override;

  bool FadeIn() const { return FFadeIn; }
  void SetFadeIn(bool Value);
  TForm* Form() const { return FForm; }
  void SetForm(TForm* Value);
  // The opacity last applied.
  uint8_t Value() const;
  uint8_t Target() const { return FTarget; }
  // Target := Alpha and Step := Alpha / 20.
  void SetTarget(uint8_t Alpha);
  double Step() const { return FStep; }
  // The pause after each step, 25 ms (tests shorten it).
  DWORD StepDelay() const { return FStepDelay; }
  void SetStepDelay(DWORD Value);
  // The call that applies an opacity on the fade thread (tests watch it).
  using TOpacityFunction = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
  void SetOpacityFunction(TOpacityFunction Value);

  // Setters are ignored from here on.
  void Resume();
  void Start() { Resume(); }
  // Asks the fade to stop where it is.
  void Terminate();
  bool Terminated() const;
  using TThread::Finished;
  using TThread::WaitFor;

  // Run on the owning thread once the fade thread has ended, whatever ended it.
  bool FreeOnTerminate() const { return FFreeOnTerminate; }
  void SetFreeOnTerminate(bool Value) { FFreeOnTerminate = Value; }
  const TNotifyEvent& OnTerminate() const { return FOnTerminate; }
  void SetOnTerminate(TNotifyEvent Value) { FOnTerminate = std::move(Value); }

  struct TState;  // shared with the running thread

 private:
  TFadeIO(std::shared_ptr<TState> State, bool CreateSuspended);
  // The thread's body: touches State only.
  static void Execute(TState& State);
  // The hidden window of the calling thread that hears fade threads end.
  static HWND NotifyWindow();
  static LRESULT CALLBACK WindowHook(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam,
                                     UINT_PTR Id, DWORD_PTR RefData);
  // Stops the thread (bounded wait) and stops watching the window.
  void Cancel();
  void Unhook();
  void ThreadDone();

  bool FFadeIn = true;
  TForm* FForm = nullptr;
  uint8_t FTarget = 255;
  double FStep = 255.0 / 20;
  DWORD FStepDelay = 25;
  bool FFreeOnTerminate = false;
  bool FResumed = false;
  HWND FWindow = nullptr;  // watched while not nullptr
  TNotifyEvent FOnTerminate;
  std::shared_ptr<TState> FState;
};
