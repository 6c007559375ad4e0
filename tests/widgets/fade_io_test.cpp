// The window-fade thread: the opacity steps it applies (watched through an
// injected opacity call that also sets the real one), fades cut short by the
// window going away, a newer fade of the same window, and an error on the
// thread reaching the application's handler on the window's thread.
#include "widgets/fade_io.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <vector>

#include "test_support.h"

using testing_support::PumpMessagesUntil;

namespace {

struct Recording {
  std::mutex lock;
  std::vector<int> values;
};

template <int N>
Recording& Rec() {
  static Recording r;
  return r;
}

template <int N>
BOOL WINAPI Record(HWND Wnd, COLORREF Key, BYTE Alpha, DWORD Flags) {
  {
    std::lock_guard<std::mutex> guard(Rec<N>().lock);
    Rec<N>().values.push_back(Alpha);
  }
  return SetLayeredWindowAttributes(Wnd, Key, Alpha, Flags);
}

template <int N>
std::vector<int> Values() {
  std::lock_guard<std::mutex> guard(Rec<N>().lock);
  return Rec<N>().values;
}

BOOL WINAPI Fail(HWND, COLORREF, BYTE, DWORD) { throw Exception(L"opacity refused"); }

int Alpha(HWND Wnd) {
  BYTE alpha = 0;
  DWORD flags = 0;
  return GetLayeredWindowAttributes(Wnd, nullptr, &alpha, &flags) ? alpha : -1;
}

class FadeTest : public testing::Test {
 protected:
  void SetUp() override {
    Rec<1>().values.clear();
    Rec<2>().values.clear();
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(50, 50, 200, 120);
    form->Show();
  }
  // Suspended, with its steps recorded in Rec<N>.
  template <int N>
  TFadeIO* NewFade(bool FadeIn, uint8_t Target, DWORD Delay, bool& Ended) {
    auto* fade = new TFadeIO(true);
    fade->SetForm(form.get());
    fade->SetTarget(Target);
    fade->SetFadeIn(FadeIn);
    fade->SetStepDelay(Delay);
    fade->SetOpacityFunction(&Record<N>);
    fade->SetOnTerminate([&Ended, main = GetCurrentThreadId()](TObject*) {
      Ended = GetCurrentThreadId() == main;
    });
    return fade;
  }

  std::unique_ptr<TForm> form;
};

TEST_F(FadeTest, StepsTwentyOneTimesThenSettlesOnTheTarget) {
  struct Case {
    bool fadeIn;
    int target;
  } cases[] = {{true, 200}, {false, 255}, {true, 255}, {false, 3}};
  for (const Case& c : cases) {
    Rec<1>().values.clear();
    bool ended = false;
    TFadeIO* fade = NewFade<1>(c.fadeIn, static_cast<uint8_t>(c.target), 1, ended);
    fade->SetFreeOnTerminate(true);
    fade->Resume();
    ASSERT_TRUE(PumpMessagesUntil([&] { return ended; })) << c.fadeIn << " " << c.target;
    std::vector<int> expected;
    for (int i = 0; i <= 20; ++i) {
      const int k = c.fadeIn ? i : 20 - i, q = k * c.target / 20, r = k * c.target % 20;
      expected.push_back(q + (2 * r > 20 || (2 * r == 20 && q % 2 == 1)));  // halves to even
    }
    expected.push_back(c.target);
    EXPECT_EQ(Values<1>(), expected) << c.fadeIn << " " << c.target;
    EXPECT_EQ(Alpha(form->Handle()), c.target);
  }
  EXPECT_NE(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  Rec<1>().values.clear();
  bool ended = false;
  std::unique_ptr<TFadeIO> fade(NewFade<1>(true, 200, 1, ended));
  fade->Resume();
  ASSERT_TRUE(PumpMessagesUntil([&] { return ended; }));
  const std::vector<int> tens{0,   10,  20,  30,  40,  50,  60,  70,  80,  90,  100,
                              110, 120, 130, 140, 150, 160, 170, 180, 190, 200, 200};
  EXPECT_EQ(Values<1>(), tens);
  EXPECT_TRUE(fade->Terminated());
  EXPECT_EQ(fade->Value(), 200);
}

TEST_F(FadeTest, AWindowDestroyedOrHiddenMidFadeEndsTheThreadFirst) {
  for (bool destroy : {true, false}) {
    Rec<1>().values.clear();
    if (!form) SetUp();
    form->Show();
    bool ended = false;
    std::unique_ptr<TFadeIO> fade(NewFade<1>(true, 240, 100, ended));
    fade->Resume();
    ASSERT_TRUE(PumpMessagesUntil([] { return Values<1>().size() >= 2; }));
    HWND window = form->Handle();
    const DWORD start = GetTickCount();
    if (destroy)
      form.reset();
    else
      form->Hide();
    EXPECT_TRUE(fade->Finished()) << destroy;  // joined while the window was still whole
    EXPECT_LT(GetTickCount() - start, 1000u);
    const size_t steps = Values<1>().size();
    EXPECT_LT(steps, 22u);
    if (destroy) {
      EXPECT_FALSE(IsWindow(window));
      EXPECT_EQ(fade->Form(), nullptr);
    } else {
      EXPECT_EQ(Values<1>().back(), 240);  // hidden: it takes the target at once
      EXPECT_EQ(Alpha(window), 240);
      EXPECT_EQ(fade->Form(), form.get());
    }
    ASSERT_TRUE(PumpMessagesUntil([&] { return ended; })) << destroy;
    EXPECT_EQ(Values<1>().size(), steps);
  }
}

TEST_F(FadeTest, ANewerFadeOfTheSameWindowReplacesTheRunningOne) {
  bool endedA = false, endedB = false;
  std::unique_ptr<TFadeIO> a(NewFade<1>(false, 255, 100, endedA));
  std::unique_ptr<TFadeIO> b(NewFade<2>(true, 180, 1, endedB));
  a->Resume();
  ASSERT_TRUE(PumpMessagesUntil([] { return Values<1>().size() >= 2; }));
  b->Resume();
  EXPECT_TRUE(a->Finished());  // stopped before the new one starts
  const size_t stepsOfA = Values<1>().size();
  EXPECT_LT(stepsOfA, 22u);
  ASSERT_TRUE(PumpMessagesUntil([&] { return endedA && endedB; }));
  EXPECT_EQ(Values<1>().size(), stepsOfA);
  EXPECT_EQ(Values<2>().size(), 22u);
  EXPECT_EQ(Alpha(form->Handle()), 180);
  a.reset();  // the older one lets go of nothing the newer holds
  form->Hide();
  EXPECT_EQ(Values<2>().size(), 22u);
}

TEST_F(FadeTest, AnErrorOnTheFadeThreadReachesTheHandlerOnTheWindowsThread) {
  testing_support::ExceptionRecorder errors;
  bool ended = false;
  std::unique_ptr<TFadeIO> fade(NewFade<1>(true, 255, 1, ended));
  fade->SetOpacityFunction(&Fail);
  fade->Resume();
  ASSERT_TRUE(PumpMessagesUntil([&] { return ended; }));
  EXPECT_EQ(errors.messages, std::vector<std::string>{"opacity refused"});
}

}  // namespace
