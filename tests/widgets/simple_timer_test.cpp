// The shared-window timer: ticks, one-shot, stopping, a zero interval, ticks
// that arrive for a timer already gone, and the shared window's lifetime.
#include "widgets/simple_timer.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "test_support.h"

using testing_support::PumpMessagesUntil;

namespace {

// Runs the thread's messages for Ms milliseconds; true if something made
// Count change meanwhile.
bool ChangesWithin(const int& Count, unsigned Ms) {
  const int before = Count;
  return PumpMessagesUntil([&] { return Count != before; }, Ms);
}

TEST(SimpleTimer, TicksUntilStoppedAndCountsItsSystemTimers) {
  int ticks = 0;
  TSimpleTimer timer(10, [&](TObject* Sender) {
    EXPECT_TRUE(Sender != nullptr);
    ++ticks;
  });
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(TSimpleTimer::TimerCount(), 0);
  timer.SetEnabled(true);
  EXPECT_EQ(TSimpleTimer::TimerCount(), 1);
  ASSERT_TRUE(PumpMessagesUntil([&] { return ticks >= 3; }, 3000));

  // A new interval restarts the same system timer: still one.
  timer.SetInterval(15);
  EXPECT_EQ(TSimpleTimer::TimerCount(), 1);
  timer.Stop();
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(TSimpleTimer::TimerCount(), 0);
  EXPECT_FALSE(ChangesWithin(ticks, 60));
  timer.Stop();  // twice never goes below zero
  EXPECT_EQ(TSimpleTimer::TimerCount(), 0);
}

TEST(SimpleTimer, ZeroIntervalOrNoHandlerKeepsTheSystemTimerOff) {
  int ticks = 0;
  TSimpleTimer timer(0, [&](TObject*) { ++ticks; });
  EXPECT_FALSE(timer.Start());
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(TSimpleTimer::TimerCount(), 0);

  timer.SetInterval(10);
  ASSERT_TRUE(timer.Start());
  timer.SetInterval(0);  // killed, still enabled
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(TSimpleTimer::TimerCount(), 0);
  timer.SetInterval(10);  // enabled: runs again
  EXPECT_EQ(TSimpleTimer::TimerCount(), 1);
  timer.SetOnTimer(nullptr);
  EXPECT_EQ(TSimpleTimer::TimerCount(), 0);
  EXPECT_FALSE(ChangesWithin(ticks, 40));
}

TEST(SimpleTimer, OneShotTicksOnceAndAHandlerMayFreeItsTimer) {
  int ticks = 0;
  TSimpleTimer once(10, [&](TObject*) { ++ticks; });
  once.SetOneShot(true);
  ASSERT_TRUE(once.Start());
  ASSERT_TRUE(PumpMessagesUntil([&] { return ticks == 1; }, 3000));
  EXPECT_FALSE(once.Enabled());
  EXPECT_FALSE(ChangesWithin(ticks, 60));

  auto owned = std::make_unique<TSimpleTimer>();
  owned->SetInterval(10);
  owned->SetOnTimer([&](TObject*) { owned.reset(); });
  owned->SetEnabled(true);
  ASSERT_TRUE(PumpMessagesUntil([&] { return owned == nullptr; }, 3000));
  EXPECT_EQ(TSimpleTimer::TimerCount(), 0);
}

TEST(SimpleTimer, TicksForAGoneOrStoppedTimerAreIgnored) {
  int ticks = 0;
  TSimpleTimer keeper;  // keeps the shared window
  HWND window = TSimpleTimer::HandlerWindow();
  ASSERT_NE(window, nullptr);
  UINT_PTR goneId = 0;
  {
    TSimpleTimer gone(10, [&](TObject*) { ++ticks; });
    goneId = gone.Id();
    gone.Start();
  }
  TSimpleTimer stopped(10, [&](TObject*) { ++ticks; });
  PostMessageW(window, WM_TIMER, goneId, 0);
  PostMessageW(window, WM_TIMER, stopped.Id(), 0);
  EXPECT_FALSE(ChangesWithin(ticks, 40));
}

TEST(SimpleTimer, SharedWindowLivesWithTheTimers) {
  EXPECT_EQ(TSimpleTimer::HandlerWindow(), nullptr);
  HWND window = nullptr;
  {
    TSimpleTimer a;
    window = TSimpleTimer::HandlerWindow();
    TSimpleTimer b;
    EXPECT_EQ(TSimpleTimer::HandlerWindow(), window);
    EXPECT_TRUE(IsWindow(window));
  }
  EXPECT_EQ(TSimpleTimer::HandlerWindow(), nullptr);
  EXPECT_FALSE(IsWindow(window));
}

TEST(SimpleTimer, AnExceptionFromTheHandlerStopsAtTheWindow) {
  testing_support::ExceptionRecorder recorder;
  TSimpleTimer timer(10, [](TObject*) { throw std::runtime_error("tick failed"); });
  timer.SetOneShot(true);
  timer.Start();
  ASSERT_TRUE(PumpMessagesUntil([&] { return !recorder.messages.empty(); }, 3000));
  EXPECT_EQ(recorder.messages[0], "tick failed");
}

}  // namespace
