#include "framework/timer.h"

#include "framework/app_exceptions.h"
#include "framework/exceptions.h"
#include "framework/forms.h"
#include "framework/utility_window.h"

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindowHandle = AllocateHWnd([this](TMessage& m) { WndProc(m); });
  if (FWindowHandle == nullptr) throw Exception(L"Not enough timers available");
}

TTimer::~TTimer() {
  SetQuiet(false);
  if (FTickAlive) *FTickAlive = false;
  FTickAlive = nullptr;
  FEnabled = false;
  UpdateTimer();
  DeallocateHWnd(FWindowHandle);
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetQuiet(bool Value) {
  if (Value == FQuiet) return;
  FQuiet = Value;
  // Made with the timer or not at all: no application just to forget it.
  if (TApplication* app = Value ? Application() : ExistingApplication())
    app->SetQuietTimerWindow(FWindowHandle, Value);
}

void TTimer::SetInterval(uint32_t Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  FOnTimer = std::move(Value);
  UpdateTimer();
}

bool TTimer::Running() const { return FEnabled && FInterval != 0 && FOnTimer; }

void TTimer::UpdateTimer() {
  // Inside OnTimer: settled when it returns.
  if (FTickAlive) return;
  KillTimer(FWindowHandle, 1);
  if (FEnabled && FInterval != 0 && FOnTimer) {
    if (SetTimer(FWindowHandle, 1, FInterval, nullptr) == 0) {
      throw Exception(L"Not enough timers available");
    }
  }
}

void TTimer::WndProc(TMessage& Message) {
  if (Message.Msg != WM_TIMER || FTickAlive) return;
  // Copied: the handler may replace OnTimer or free this timer's owner data.
  TNotifyEvent handler = FOnTimer;
  if (!FEnabled || !handler) return;
  const uint32_t interval = FInterval;
  bool alive = true;
  FTickAlive = &alive;
  struct TSettle {
    TTimer* Timer;
    bool& Alive;
    uint32_t Interval;
    ~TSettle() {
      if (!Alive) return;
      Timer->FTickAlive = nullptr;
      if (Timer->Running() && Timer->FInterval == Interval) return;
      try {
        Timer->UpdateTimer();
      } catch (...) {
        ApplicationHandleException(std::current_exception());
      }
    }
  } settle{this, alive, interval};
  handler(this);
}
