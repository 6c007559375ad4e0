#include "timer.h"

#include "exceptions.h"
#include "utility_window.h"

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindowHandle = AllocateHWnd([this](TMessage& m) { WndProc(m); });
  if (FWindowHandle == nullptr) throw Exception(L"Not enough timers available");
}

TTimer::~TTimer() {
  FEnabled = false;
  UpdateTimer();
  DeallocateHWnd(FWindowHandle);
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
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

void TTimer::UpdateTimer() {
  KillTimer(FWindowHandle, 1);
  if (FEnabled && FInterval != 0 && FOnTimer) {
    if (SetTimer(FWindowHandle, 1, FInterval, nullptr) == 0) {
      throw Exception(L"Not enough timers available");
    }
  }
}

void TTimer::WndProc(TMessage& Message) {
  if (Message.Msg == WM_TIMER) {
    // Copied: the handler may replace OnTimer or free this timer's owner data.
    TNotifyEvent handler = FOnTimer;
    if (FEnabled && handler) handler(this);
  }
}
