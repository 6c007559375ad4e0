#include "widgets/simple_timer.h"

#include <unordered_map>

#include "framework/exceptions.h"
#include "framework/utility_window.h"

class TSimpleTimerHandler {
 public:
  static TSimpleTimerHandler*& Instance() {
    static TSimpleTimerHandler* handler = nullptr;
    return handler;
  }

  static HWND Acquire(TSimpleTimer* Timer) {
    TSimpleTimerHandler*& handler = Instance();
    if (!handler) {
      HWND window = AllocateHWnd([](TMessage& m) { Instance()->WndProc(m); });
      if (!window) throw Exception(L"Not enough timers available");
      handler = new TSimpleTimerHandler(window);
    }
    ++handler->RefCount;
    handler->Timers[Timer->Id()] = Timer;
    return handler->Window;
  }

  static void Release(TSimpleTimer* Timer) {
    TSimpleTimerHandler*& handler = Instance();
    if (!handler) return;
    handler->Timers.erase(Timer->Id());
    if (--handler->RefCount <= 0) {
      delete handler;
      handler = nullptr;
    }
  }

  ~TSimpleTimerHandler() { DeallocateHWnd(Window); }

  HWND Window;
  int32_t RefCount = 0;
  int32_t TimerCount = 0;
  // A WM_TIMER already queued when its timer died (KillTimer does not take
  // back posted ticks) must find nothing, so ids are looked up, never cast.
  std::unordered_map<UINT_PTR, TSimpleTimer*> Timers;

 private:
  explicit TSimpleTimerHandler(HWND AWindow) : Window(AWindow) {}

  void WndProc(TMessage& Message) {
    if (Message.Msg != WM_TIMER) {
      Message.Result = DefWindowProcA(Window, Message.Msg, Message.WParam, Message.LParam);
      return;
    }
    auto found = Timers.find(Message.WParam);
    if (found != Timers.end()) found->second->Tick();
  }
};

namespace {

// A handler still alive at exit (a timer that was never freed) goes with
// the process's static objects.
struct THandlerFinalizer {
  ~THandlerFinalizer() {
    delete TSimpleTimerHandler::Instance();
    TSimpleTimerHandler::Instance() = nullptr;
  }
} gHandlerFinalizer;

}  // namespace

TSimpleTimer::TSimpleTimer() { TSimpleTimerHandler::Acquire(this); }

TSimpleTimer::TSimpleTimer(uint32_t Interval, TNotifyEvent OnTimer)
    : FInterval(Interval), FOnTimer(std::move(OnTimer)) {
  TSimpleTimerHandler::Acquire(this);
}

TSimpleTimer::~TSimpleTimer() {
  Stop();
  TSimpleTimerHandler::Release(this);
}

bool TSimpleTimer::Start() {
  if (FInterval == 0) return false;
  KillSystemTimer();
  TSimpleTimerHandler* handler = TSimpleTimerHandler::Instance();
  if (!handler || SetTimer(handler->Window, Id(), FInterval, nullptr) == 0) return false;
  FRunning = true;
  FEnabled = true;
  ++handler->TimerCount;
  return true;
}

void TSimpleTimer::Stop() {
  FEnabled = false;
  KillSystemTimer();
}

void TSimpleTimer::KillSystemTimer() {
  TSimpleTimerHandler* handler = TSimpleTimerHandler::Instance();
  if (!FRunning || !handler) return;
  FRunning = false;
  if (KillTimer(handler->Window, Id()) && handler->TimerCount > 0) --handler->TimerCount;
}

void TSimpleTimer::SetEnabled(bool Value) {
  if (Value) {
    Start();
  } else {
    Stop();
  }
}

void TSimpleTimer::SetInterval(uint32_t Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  if (!FEnabled) return;
  if (Value == 0) {
    KillSystemTimer();
  } else {
    Start();
  }
}

void TSimpleTimer::SetOnTimer(TNotifyEvent Value) {
  FOnTimer = std::move(Value);
  if (!FEnabled) return;
  if (!FOnTimer) {
    KillSystemTimer();
  } else if (!FRunning) {
    Start();
  }
}

void TSimpleTimer::Tick() {
  // A tick generated just before the timer was stopped.
  if (!FRunning) return;
  if (FOneShot) Stop();
  // A copy: the handler may free this timer.
  TNotifyEvent handler = FOnTimer;
  if (handler) handler(this);
}

HWND TSimpleTimer::HandlerWindow() {
  TSimpleTimerHandler* handler = TSimpleTimerHandler::Instance();
  return handler ? handler->Window : nullptr;
}

int32_t TSimpleTimer::TimerCount() {
  TSimpleTimerHandler* handler = TSimpleTimerHandler::Instance();
  return handler ? handler->TimerCount : 0;
}
