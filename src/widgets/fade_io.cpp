#include "widgets/fade_io.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <utility>

#include "framework/app_exceptions.h"
#include "framework/utility_window.h"
#include "skin/rounding.h"

namespace {

constexpr int kSteps = 20;
// How long the owning thread waits for a fade thread to stop. The thread only
// ever waits on its wake event or sits in one opacity call, so it answers at
// once; the bound only keeps a stuck system call from hanging the program.
constexpr DWORD kStopTimeoutMs = 2000;
// One watch per window, held by the newest fade; the property names it (the
// import libraries lack GetWindowSubclass).
constexpr UINT_PTR kHookId = 0x46616465;
const wchar_t kHolderProp[] = L"TavrinFadeIO";
// Goes only to this unit's own hidden window, so it needs no framework-wide id.
constexpr UINT kFadeThreadDone = WM_APP + 0x46;

}  // namespace

struct TFadeIO::TState {
  TState()
      : Lock(CreateMutexW(nullptr, FALSE, nullptr)), Wake(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~TState() {
    if (Lock != nullptr) CloseHandle(Lock);
    if (Wake != nullptr) CloseHandle(Wake);
  }
  TState(const TState&) = delete;
  TState& operator=(const TState&) = delete;

  // Set before the thread starts, read-only after.
  HWND Window = nullptr;
  HWND Notify = nullptr;
  bool FadeIn = true;
  uint8_t Target = 255;
  double Step = 255.0 / kSteps;
  DWORD StepDelay = 25;
  TOpacityFunction Opacity = &SetLayeredWindowAttributes;
  COLORREF Key = 0;
  DWORD Flags = LWA_ALPHA;

  // A mutex rather than a lighter lock: the owning thread can wait for it with
  // a bound. The fade thread holds it only around one opacity call; Stopped
  // turns true under it, after which the thread leaves the window alone.
  HANDLE Lock;
  HANDLE Wake;  // set to cut the pause short when stopping
  std::atomic<bool> Stopped{false};
  std::atomic<uint8_t> Value{0};
  std::exception_ptr Error;  // written by the thread before it posts its end

  TFadeIO* Owner = nullptr;  // owning thread only; nullptr once the object is gone
};

namespace {

void Stop(TFadeIO::TState& State) {
  const DWORD got = State.Lock != nullptr ? WaitForSingleObject(State.Lock, kStopTimeoutMs) : WAIT_FAILED;
  State.Stopped = true;
  if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) ReleaseMutex(State.Lock);
  if (State.Wake != nullptr) SetEvent(State.Wake);
}

// On the fade thread: false once stopped.
bool Apply(TFadeIO::TState& State, uint8_t Value) {
  if (State.Lock == nullptr || WaitForSingleObject(State.Lock, INFINITE) == WAIT_FAILED) return false;
  struct Release {
    HANDLE Lock;
    ~Release() { ReleaseMutex(Lock); }
  } release{State.Lock};
  if (State.Stopped) return false;
  State.Value = Value;
  State.Opacity(State.Window, State.Key, Value, State.Flags);
  return true;
}

std::shared_ptr<TFadeIO::TState> NewState() { return std::make_shared<TFadeIO::TState>(); }

// The thread's end is handled by the thread that resumed the fade, through a
// hidden window of that thread. The message carries a reference to the shared
// state, so an owner freed in the meantime is simply not there to be told.
thread_local HWND notifyWindow = nullptr;

}  // namespace

HWND TFadeIO::NotifyWindow() {
  if (notifyWindow == nullptr) {
    notifyWindow = AllocateHWnd([](TMessage& Message) {
      if (Message.Msg != kFadeThreadDone) {
        Message.Result = DefWindowProcA(notifyWindow, Message.Msg, Message.WParam, Message.LParam);
        return;
      }
      std::unique_ptr<std::shared_ptr<TState>> held(
          reinterpret_cast<std::shared_ptr<TState>*>(Message.LParam));
      if (held != nullptr && (*held)->Owner != nullptr) (*held)->Owner->ThreadDone();
    });
  }
  return notifyWindow;
}

TFadeIO::TFadeIO(bool CreateSuspended) : TFadeIO(NewState(), CreateSuspended) {}

TFadeIO::TFadeIO(std::shared_ptr<TState> State, bool CreateSuspended)
    : TThread(
          [State] {
            // Nothing may leave the thread, and the framework's handler belongs
            // to the owning thread: errors travel with the end message.
            try {
              Execute(*State);
              auto* held = new std::shared_ptr<TState>(State);
              if (!PostMessageW(State->Notify, kFadeThreadDone, 0, reinterpret_cast<LPARAM>(held)))
                delete held;
            } catch (...) {
            }
          },
          true),
      FState(std::move(State)) {
  FState->Owner = this;
  if (!CreateSuspended) Resume();
}

TFadeIO::~TFadeIO() {
  FState->Owner = nullptr;
  Cancel();
  if (!TThread::Finished()) TThread::Detach();
}

void TFadeIO::SetFadeIn(bool Value) {
  if (!FResumed) FFadeIn = Value;
}

void TFadeIO::SetForm(TForm* Value) {
  if (!FResumed) FForm = Value;
}

uint8_t TFadeIO::Value() const { return FState->Value; }

void TFadeIO::SetTarget(uint8_t Alpha) {
  if (FResumed) return;
  FTarget = Alpha;
  FStep = Alpha / double(kSteps);
}

void TFadeIO::SetStepDelay(DWORD Value) {
  if (!FResumed) FStepDelay = Value;
}

void TFadeIO::SetOpacityFunction(TOpacityFunction Value) {
  if (!FResumed && Value != nullptr) FState->Opacity = Value;
}

void TFadeIO::Resume() {
  if (FResumed) return;
  FResumed = true;
  TState& s = *FState;
  s.FadeIn = FFadeIn;
  s.Target = FTarget;
  s.Step = FStep;
  s.StepDelay = FStepDelay;
  s.Notify = NotifyWindow();
  if (FForm != nullptr) {
    HWND window = FForm->Handle();
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if ((exStyle & WS_EX_LAYERED) == 0) {
      // Made layered here, on the window's own thread: a style change from the
      // fade thread would send messages across to this one. A new layered
      // window shows nothing until it has an opacity, so it gets the first one.
      SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
      SetLayeredWindowAttributes(window, 0, FFadeIn ? 0 : FTarget, LWA_ALPHA);
    } else {
      COLORREF key = 0;
      BYTE alpha = 0;
      DWORD flags = 0;
      if (GetLayeredWindowAttributes(window, &key, &alpha, &flags)) {
        s.Key = key;
        s.Flags = (flags & LWA_COLORKEY) | LWA_ALPHA;
      }
    }
    if (auto* running = static_cast<TFadeIO*>(GetPropW(window, kHolderProp))) running->Cancel();
    if (!SetWindowSubclass(window, WindowHook, kHookId, reinterpret_cast<DWORD_PTR>(this)))
      RaiseLastOSError();
    SetPropW(window, kHolderProp, this);
    FWindow = window;
    s.Window = window;
  }
  try {
    TThread::Start();
  } catch (...) {
    Unhook();
    throw;
  }
}

void TFadeIO::Terminate() { Stop(*FState); }

bool TFadeIO::Terminated() const { return FState->Stopped; }

void TFadeIO::Cancel() {
  Stop(*FState);
  if (FResumed) TThread::WaitFor(kStopTimeoutMs);
  Unhook();
}

void TFadeIO::Unhook() {
  if (FWindow == nullptr) return;
  if (GetPropW(FWindow, kHolderProp) == this) {
    RemoveWindowSubclass(FWindow, WindowHook, kHookId);
    RemovePropW(FWindow, kHolderProp);
  }
  FWindow = nullptr;
}

void TFadeIO::ThreadDone() {
  TThread::WaitFor(kStopTimeoutMs);  // it posted its end as its last act
  Unhook();
  std::exception_ptr error = std::exchange(FState->Error, nullptr);
  if (error) ApplicationHandleException(error);
  try {
    if (FOnTerminate) FOnTerminate(this);
  } catch (...) {
    ApplicationHandleException(std::current_exception());
  }
  if (FFreeOnTerminate) delete this;
}

void TFadeIO::Execute(TState& State) {
  try {
    if (State.Window != nullptr) {
      bool going = true;
      for (int i = 0; i <= kSteps && going; ++i) {
        const int k = State.FadeIn ? i : kSteps - i;
        const int64_t value = skin_internal::RoundHalfEven(k * State.Step);
        going = Apply(State, static_cast<uint8_t>(std::clamp<int64_t>(value, 0, 255))) &&
                WaitForSingleObject(State.Wake, State.StepDelay) == WAIT_TIMEOUT;
      }
      if (going) Apply(State, State.Target);
    }
  } catch (...) {
    State.Error = std::current_exception();
  }
  State.Stopped = true;
}

LRESULT CALLBACK TFadeIO::WindowHook(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR,
                                     DWORD_PTR RefData) {
  auto* fade = reinterpret_cast<TFadeIO*>(RefData);
  try {
    if (Msg == WM_DESTROY || Msg == WM_NCDESTROY) {
      // The window is still whole here: the thread is stopped before it goes.
      fade->Cancel();
      fade->FForm = nullptr;
    } else if (Msg == WM_SHOWWINDOW && WParam == FALSE) {
      // Hidden mid-fade (closed, or its owner minimised): shown again later it
      // must not keep a half-way opacity.
      const bool cut = !fade->FState->Stopped;
      fade->Cancel();
      if (cut) fade->FState->Opacity(Wnd, fade->FState->Key, fade->FState->Target, fade->FState->Flags);
    }
  } catch (...) {
    ApplicationHandleException(std::current_exception());
  }
  return DefSubclassProc(Wnd, Msg, WParam, LParam);
}
