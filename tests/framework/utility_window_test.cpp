#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/thread.h"
#include "framework/timer.h"
#include "framework/utility_window.h"
#include "test_support.h"

using testing_support::ExceptionRecorder;
using testing_support::PumpMessagesUntil;

TEST(UtilityWindow, CallsTheMethodWithTheMessageAndAnswersItsResult) {
  std::vector<UINT> seen;
  HWND window = AllocateHWnd([&](TMessage& m) {
    seen.push_back(m.Msg);
    if (m.Msg == WM_USER + 1) m.Result = static_cast<LRESULT>(m.WParam + m.LParam);
  });
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendMessageA(window, WM_USER + 1, 2, 3), 5);
  EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), 0);  // no default processing
  for (UINT msg : seen) {
    EXPECT_NE(msg, static_cast<UINT>(WM_NCCREATE));
    EXPECT_NE(msg, static_cast<UINT>(WM_CREATE));
  }
  PostMessageA(window, WM_USER + 2, 0, 0);
  EXPECT_TRUE(PumpMessagesUntil([&] { return seen.back() == WM_USER + 2; }, 2000));
  DeallocateHWnd(window);
  EXPECT_FALSE(IsWindow(window));
  DeallocateHWnd(nullptr);
}

TEST(UtilityWindow, AnExceptionInTheMethodGoesToTheApplicationHandler) {
  ExceptionRecorder recorder;
  HWND window = AllocateHWnd([](TMessage& m) {
    if (m.Msg == WM_USER) throw std::runtime_error("boom");
    m.Result = 7;
  });
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 0);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0], "boom");
  EXPECT_EQ(SendMessageA(window, WM_USER + 5, 0, 0), 7);  // the window lives on
  DeallocateHWnd(window);
}

TEST(Timer, TicksOnlyWhileEnabledWithAHandler) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetEnabled(false);
  timer.SetInterval(10);
  timer.SetOnTimer([&](TObject* sender) {
    EXPECT_EQ(sender, &timer);
    ++ticks;
  });
  testing_support::PumpMessagesUntil([] { return false; }, 60);
  EXPECT_EQ(ticks, 0);
  timer.SetEnabled(true);
  EXPECT_TRUE(PumpMessagesUntil([&] { return ticks >= 3; }, 3000));
  timer.SetEnabled(false);
  int stopped = ticks;
  testing_support::PumpMessagesUntil([] { return false; }, 60);
  EXPECT_EQ(ticks, stopped);
}

TEST(Timer, AHandlerThatThrowsIsReportedAndTheTimerGoesOn) {
  ExceptionRecorder recorder;
  TTimer timer(nullptr);
  timer.SetInterval(10);
  int ticks = 0;
  timer.SetOnTimer([&](TObject*) {
    ++ticks;
    throw std::runtime_error("tick");
  });
  EXPECT_TRUE(PumpMessagesUntil([&] { return ticks >= 2; }, 3000));
  EXPECT_GE(recorder.messages.size(), 2u);
}

// What a handler does to its own timer takes effect when it returns: off and
// on again keeps it ticking, off stays off, a new interval applies, and a
// handler may free its timer.
TEST(Timer, AHandlerMayChangeOrFreeItsOwnTimer) {
  TTimer timer(nullptr);
  timer.SetInterval(10);
  int ticks = 0;
  timer.SetOnTimer([&](TObject*) {
    ++ticks;
    timer.SetEnabled(false);
    timer.SetEnabled(ticks < 3);
  });
  EXPECT_TRUE(PumpMessagesUntil([&] { return ticks >= 3; }, 3000));
  testing_support::PumpMessagesUntil([] { return false; }, 60);
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(timer.Enabled());

  timer.SetOnTimer([&](TObject*) { timer.SetInterval(30000); });
  timer.SetEnabled(true);
  EXPECT_TRUE(PumpMessagesUntil([&] { return timer.Interval() == 30000; }, 3000));

  auto* doomed = new TTimer(nullptr);
  doomed->SetInterval(10);
  bool freed = false;
  doomed->SetOnTimer([&](TObject*) {
    delete doomed;
    freed = true;
  });
  EXPECT_TRUE(PumpMessagesUntil([&] { return freed; }, 3000));
}

TEST(Thread, RunsAndIsJoinedWithinATimeLimit) {
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool ran = false;
  {
    TThread thread([&] {
      WaitForSingleObject(release, 5000);
      ran = true;
    });
    EXPECT_FALSE(thread.WaitFor(20));  // still blocked: the limit answers
    EXPECT_FALSE(thread.Finished());
    SetEvent(release);
    EXPECT_TRUE(thread.WaitFor(5000));
    EXPECT_TRUE(thread.Finished());
  }
  EXPECT_TRUE(ran);
  CloseHandle(release);
}

TEST(Thread, AnExceptionInExecuteIsReported) {
  ExceptionRecorder recorder;
  TThread thread([] { throw std::runtime_error("worker"); });
  EXPECT_TRUE(thread.WaitFor(5000));
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0], "worker");
}
