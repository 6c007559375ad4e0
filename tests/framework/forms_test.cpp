#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "framework/actions.h"
#include "framework/dialogs.h"
#include "framework/forms.h"
#include "framework/timer.h"
#include "test_support.h"

using testing_support::PumpMessagesUntil;
using testing_support::ScopedKeys;

namespace {

// A windowed control that logs the framework messages the form and the
// application send it, and can answer CM_HINTSHOW.
class TProbe : public TCustomControl {
 public:
  TProbe(TWinControl* parent, std::string name, std::vector<std::string>* log = nullptr)
      : TCustomControl(parent), FName(std::move(name)), FLog(log) {
    SetParent(parent);
    SetControlStyle(ControlStyle() | csAcceptsControls);
  }
  std::function<LRESULT(THintInfo&)> HintShow;

  void Dispatch(TMessage& m) override {
    const char* what = nullptr;
    switch (m.Msg) {
      case CM_ENTER:
        what = "enter ";
        break;
      case CM_EXIT:
        what = "exit ";
        break;
      case CM_MOUSEENTER:
        what = "mouse in ";
        break;
      case CM_MOUSELEAVE:
        what = "mouse out ";
        break;
      case CM_HINTSHOW:
        if (HintShow) {
          m.Result = HintShow(*reinterpret_cast<THintInfo*>(m.LParam));
          return;
        }
        break;
      default:
        break;
    }
    if (what && FLog) FLog->push_back(what + FName);
    TCustomControl::Dispatch(m);
  }

 private:
  std::string FName;
  std::vector<std::string>* FLog;
};

// Hears when the watched component dies.
class TFreeWatch : public TComponent {
 public:
  explicit TFreeWatch(TComponent* target) : TComponent(nullptr), FTarget(target) {
    FreeNotification(target);
  }
  bool Freed() const { return FFreed; }
  void Notification(TComponent* c, TOperation op) override {
    if (op == opRemove && c == FTarget) FFreed = true;
  }

 private:
  TComponent* FTarget;
  bool FFreed = false;
};

// Calls fn once, Ms after the loop starts running.
class TOneShot {
 public:
  TOneShot(uint32_t Ms, std::function<void()> fn) : FTimer(nullptr) {
    FTimer.SetInterval(Ms);
    FTimer.SetOnTimer([this, fn](TObject*) {
      FTimer.SetEnabled(false);
      fn();
    });
  }

 private:
  TTimer FTimer;
};

// Every test starts without a main form, records exceptions and message boxes
// instead of blocking on them, and leaves no quit message behind.
class FormsTest : public testing::Test {
 protected:
  void SetUp() override {
    app = Application();
    savedMainForm = app->MainForm();
    app->SetMainForm(nullptr);
    app->SetOnException([this](TObject*, std::exception_ptr e) {
      try {
        std::rethrow_exception(e);
      } catch (const std::exception& ex) {
        exceptions.push_back(ex.what());
      }
    });
    savedBoxSink = SetMessageBoxSink(
        [this](HWND, const std::wstring& text, const std::wstring& caption, UINT flags) {
          boxes.push_back({text, caption, flags});
          return IDOK;
        });
  }
  void TearDown() override {
    app->CancelHint();
    app->ProcessMessages();  // eats a quit message a test left
    app->ResetTerminated();
    app->SetOnException(nullptr);
    app->SetMainForm(savedMainForm);
    SetMessageBoxSink(savedBoxSink);
  }

  struct Box {
    std::wstring text, caption;
    UINT flags;
  };
  TApplication* app = nullptr;
  TCustomForm* savedMainForm = nullptr;
  MessageBoxSink savedBoxSink;
  std::vector<std::string> exceptions;
  std::vector<Box> boxes;
};

}  // namespace

TEST_F(FormsTest, ShowModalRunsUntilATimerSetsModalResultAndDisablesTheOtherWindows) {
  TForm other(nullptr);
  other.Show();
  TForm dialog(nullptr);
  dialog.SetPosition(poScreenCenter);
  int shows = 0, hides = 0;
  dialog.SetOnShow([&](TObject*) { ++shows; });
  dialog.SetOnHide([&](TObject*) { ++hides; });
  bool otherDisabled = false, dialogShown = false, modal = false;
  RECT shownAt{};
  TOneShot end(30, [&] {
    GetWindowRect(dialog.Handle(), &shownAt);
    otherDisabled = !IsWindowEnabled(other.Handle());
    dialogShown = IsWindowVisible(dialog.Handle()) != FALSE;
    modal = dialog.Modal();
    dialog.SetModalResult(mrOk);
  });
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_TRUE(otherDisabled);
  EXPECT_TRUE(dialogShown);
  EXPECT_TRUE(modal);
  EXPECT_FALSE(dialog.Modal());
  EXPECT_FALSE(dialog.Visible());
  EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
  EXPECT_TRUE(IsWindowEnabled(other.Handle()));
  EXPECT_EQ(shows, 1);
  EXPECT_EQ(hides, 1);
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_NEAR((shownAt.left + shownAt.right) / 2, (area.left + area.right) / 2, 2);
  EXPECT_NEAR((shownAt.top + shownAt.bottom) / 2, (area.top + area.bottom) / 2, 2);

  dialog.Show();
  EXPECT_THROW(dialog.ShowModal(), EInvalidOperation);
}

TEST_F(FormsTest, CloseQueryRefusingKeepsTheFormModalOrNot) {
  TForm dialog(nullptr);
  bool allow = false;
  int queries = 0;
  dialog.SetOnCloseQuery([&](TObject*, bool& canClose) {
    ++queries;
    canClose = allow;
  });
  bool keptAfterRefusal = false;
  TOneShot first(20, [&] { dialog.Close(); });
  TOneShot second(120, [&] {
    keptAfterRefusal = dialog.Visible() && dialog.ModalResult() == mrNone;
    allow = true;
    dialog.SetModalResult(mrOk);
  });
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_TRUE(keptAfterRefusal);
  EXPECT_EQ(queries, 2);

  allow = false;
  dialog.Show();
  dialog.Close();
  EXPECT_TRUE(dialog.Visible());
  allow = true;
  dialog.Close();
  EXPECT_FALSE(dialog.Visible());
}

TEST_F(FormsTest, CloseWithCaFreeReleasesTheFormOnceItsMessagesAreHandled) {
  auto* form = new TForm(nullptr);
  TFreeWatch watch(form);
  form->SetOnClose([](TObject*, TCloseAction& action) { action = caFree; });
  form->Show();
  HWND handle = form->Handle();
  SendMessageA(handle, WM_CLOSE, 0, 0);
  EXPECT_FALSE(watch.Freed());
  EXPECT_TRUE(IsWindow(handle));  // WM_CLOSE never reaches DefWindowProc
  EXPECT_TRUE(PumpMessagesUntil([&] { return watch.Freed(); }, 3000));
  EXPECT_FALSE(IsWindow(handle));
}

// A controller toggling a window posts faster than it is freed: the closed
// window must neither hold its name nor outlive the next message.
TEST_F(FormsTest, AReleasedFormGivesUpItsNameAndGoesBeforeTheNextMessage) {
  TComponent owner(nullptr);
  auto* first = new TForm(&owner);
  first->SetName(L"Tool");
  TFreeWatch watch(first);
  first->SetOnClose([](TObject*, TCloseAction& action) { action = caFree; });
  first->Show();
  PostMessageA(app->Handle(), WM_NULL, 0, 0);  // queued ahead of the release
  first->Close();
  EXPECT_FALSE(watch.Freed());
  auto* second = new TForm(&owner);
  EXPECT_NO_THROW(second->SetName(L"Tool"));
  app->HandleMessage();
  EXPECT_TRUE(watch.Freed());
  EXPECT_EQ(owner.FindComponent(L"Tool"), second);
}

namespace {
class TThrowingForm : public TForm {
 public:
  using TForm::TForm;
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_USER + 1) throw EConvertError(L"bad value");
    if (m.Msg == WM_USER + 2) throw EAbort(L"quiet");
    if (m.Msg == WM_USER + 3) throw std::runtime_error("plain");
    TForm::Dispatch(m);
  }
};
}  // namespace

TEST_F(FormsTest, ExceptionsFromHandlersReachOnExceptionOrAnErrorBox) {
  TThrowingForm form(nullptr);
  HWND handle = form.Handle();
  for (UINT msg : {WM_USER + 1, WM_USER + 2, WM_USER + 3}) SendMessageA(handle, msg, 0, 0);
  EXPECT_EQ(exceptions, (std::vector<std::string>{"bad value", "plain"}));
  EXPECT_TRUE(IsWindow(handle));

  app->SetOnException(nullptr);
  std::string title = app->Title();
  app->SetTitle("Forms test");
  SendMessageA(handle, WM_USER + 1, 0, 0);
  SendMessageA(handle, WM_USER + 2, 0, 0);
  app->SetTitle(title);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"bad value");
  EXPECT_EQ(boxes[0].caption, L"Forms test");
  EXPECT_TRUE(boxes[0].flags & MB_ICONSTOP);
  EXPECT_EQ(ApplicationHandle(), app->Handle());
}

// A box's own loop lets more messages through; failing alike, they would
// stack a box on the box for as long as they come.
TEST_F(FormsTest, AnErrorBoxIsNeverShownOverAnother) {
  TThrowingForm form(nullptr);
  HWND handle = form.Handle();
  app->SetOnException(nullptr);
  SetMessageBoxSink([&](HWND, const std::wstring& text, const std::wstring& caption, UINT flags) {
    boxes.push_back({text, caption, flags});
    if (boxes.size() < 5) SendMessageA(handle, WM_USER + 1, 0, 0);
    return IDOK;
  });
  SendMessageA(handle, WM_USER + 1, 0, 0);
  EXPECT_EQ(boxes.size(), 1u);
  SendMessageA(handle, WM_USER + 3, 0, 0);
  ASSERT_EQ(boxes.size(), 2u) << "the next failure after the box is shown again";
  EXPECT_EQ(boxes[1].text, L"plain");
}

namespace {
class TLoadRecorder : public TComponent {
 public:
  TLoadRecorder(TComponent* owner, std::vector<std::string>& log) : TComponent(owner), FLog(log) {}
  void Loaded() override {
    TComponent::Loaded();
    FLog.push_back("loaded");
  }

 private:
  std::vector<std::string>& FLog;
};

class TBuiltForm : public TForm {
 public:
  TBuiltForm(TComponent* owner, std::vector<std::string>& log) : TForm(owner) {
    {
      TLoadingScope scope(this);
      new TLoadRecorder(this, log);
      SetOnCreate([this, &log](TObject*) {
        log.push_back(ComponentState().Contains(csLoading) ? "create, loading" : "create");
      });
    }
    DoCreate();
  }
};
}  // namespace

TEST_F(FormsTest, OnCreateRunsAfterTheLoadingScopeHasLoadedEverything) {
  std::vector<std::string> log;
  TBuiltForm form(nullptr, log);
  EXPECT_EQ(log, (std::vector<std::string>{"loaded", "create"}));
}

TEST_F(FormsTest, TheFirstFormOwnedByTheApplicationIsTheMainFormAndClosingItTerminates) {
  auto* first = new TForm(app);
  auto* second = new TForm(app);
  EXPECT_EQ(app->MainForm(), first);

  int queries = 0;
  bool allow = false;
  first->SetOnCloseQuery([&](TObject*, bool& canClose) {
    ++queries;
    canClose = allow;
  });
  SendMessageA(app->Handle(), WM_CLOSE, 0, 0);  // the application window closes the main form
  EXPECT_EQ(queries, 1);
  EXPECT_FALSE(app->Terminated());

  second->Show();
  second->Close();  // not the main form: only hidden
  EXPECT_FALSE(app->Terminated());
  EXPECT_FALSE(second->Visible());

  allow = true;
  SendMessageA(first->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(app->Terminated());
  app->ProcessMessages();
  app->ResetTerminated();

  delete first;
  EXPECT_EQ(app->MainForm(), nullptr);
  delete second;
}

TEST_F(FormsTest, RunShowsTheMainFormAndReturnsWhenTerminated) {
  TForm main(nullptr);
  app->SetMainForm(&main);
  bool shownWhileRunning = false;
  TOneShot stop(30, [&] {
    shownWhileRunning = main.Visible() && IsWindowVisible(main.Handle());
    app->Terminate();
  });
  app->Run();
  EXPECT_TRUE(shownWhileRunning);
  EXPECT_TRUE(app->Terminated());
  EXPECT_TRUE(IsWindowVisible(app->Handle()));  // the taskbar button of the main form
  main.Hide();
  EXPECT_FALSE(IsWindowVisible(app->Handle()));
  app->SetMainForm(nullptr);
}

namespace {
struct HookProbe {
  std::vector<UINT> seen;
  LRESULT answer = 0;              // non-zero: handle WM_USER + 10 with it
  TWindowHook removeDuringCall{};  // unhooked while handling WM_USER + 11
  bool Hook(TMessage& m) {
    if (m.Msg < WM_USER || m.Msg > WM_USER + 20) return false;
    seen.push_back(m.Msg);
    if (m.Msg == WM_USER + 11 && removeDuringCall.Code) {
      Application()->UnhookMainWindow(removeDuringCall);
    }
    if (m.Msg == WM_USER + 10 && answer) {
      m.Result = answer;
      return true;
    }
    return false;
  }
};
}  // namespace

TEST_F(FormsTest, MainWindowHooksRunInOrderAndMayBeRemovedDuringACall) {
  HookProbe first, second;
  TWindowHook firstHook = MakeWindowHook<&HookProbe::Hook>(&first);
  TWindowHook secondHook = MakeWindowHook<&HookProbe::Hook>(&second);
  app->HookMainWindow(firstHook);
  app->HookMainWindow(secondHook);
  first.answer = 42;
  first.removeDuringCall = secondHook;
  HWND handle = app->Handle();
  EXPECT_EQ(SendMessageA(handle, WM_USER + 10, 0, 0), 42);
  EXPECT_EQ(SendMessageA(handle, WM_USER + 11, 0, 0), 0);
  EXPECT_EQ(SendMessageA(handle, WM_USER + 12, 0, 0), 0);
  app->UnhookMainWindow(firstHook);
  EXPECT_EQ(SendMessageA(handle, WM_USER + 13, 0, 0), 0);
  EXPECT_EQ(first.seen, (std::vector<UINT>{WM_USER + 10, WM_USER + 11, WM_USER + 12}));
  EXPECT_TRUE(second.seen.empty());  // answered before it, then removed
}

namespace {
struct HintActionProbe {
  std::vector<std::string> hints;
  bool Hook(TMessage& m) {
    if (m.Msg != CM_ACTIONEXECUTE) return false;
    if (auto* action = dynamic_cast<THintAction*>(reinterpret_cast<TBasicAction*>(m.LParam))) {
      hints.push_back(action->Hint());
      m.Result = 1;
      return true;
    }
    return false;
  }
};
}  // namespace

TEST_F(FormsTest, SetHintExecutesAHintActionUnlessOnHintIsAssigned) {
  HintActionProbe probe;
  TWindowHook hook = MakeWindowHook<&HintActionProbe::Hook>(&probe);
  app->HookMainWindow(hook);
  app->SetHint("Play|Starts playing");
  app->SetHint("Play|Starts playing");
  int onHint = 0;
  app->SetOnHint([&](TObject*) { ++onHint; });
  app->SetHint("Stop");
  app->SetOnHint(nullptr);
  app->SetHint("");
  app->UnhookMainWindow(hook);
  EXPECT_EQ(probe.hints, (std::vector<std::string>{"Play|Starts playing", ""}));
  EXPECT_EQ(onHint, 1);
}

TEST_F(FormsTest, TheHintWindowShowsTheShortHintOfTheControlUnderTheCursor) {
  std::vector<std::string> log;
  TForm form(nullptr);
  form.SetBounds(200, 200, 300, 200);
  auto* panel = new TProbe(&form, "panel", &log);
  panel->SetBounds(10, 10, 200, 100);
  panel->SetShowHint(true);
  panel->SetHint("Volume|Sets the volume");
  auto* knob = new TProbe(panel, "knob", &log);  // no hint of its own: the panel's
  knob->SetBounds(10, 10, 50, 50);
  form.Show();

  POINT over = knob->ClientToScreen(POINT{5, 5});
  SetCursorPos(over.x, over.y);
  app->ActivateHint(over);
  ASSERT_NE(app->HintWindow(), nullptr);
  EXPECT_EQ(app->HintWindow()->Caption(), "Volume");
  ASSERT_TRUE(app->HintWindow()->HandleAllocated());
  HWND hint = app->HintWindow()->Handle();
  EXPECT_TRUE(IsWindowVisible(hint));
  RECT r;
  GetWindowRect(hint, &r);
  EXPECT_GT(r.top, over.y);
  app->CancelHint();
  EXPECT_FALSE(app->HintWindow()->HandleAllocated());

  // The knob follows the panel's ShowHint, so it is the hint control and is
  // asked: CM_HINTSHOW may change the text, or cancel the hint.
  knob->HintShow = [&](THintInfo& info) {
    EXPECT_EQ(info.HintControl, knob);
    EXPECT_EQ(info.HintStr, "Volume");
    info.HintStr = "changed";
    return 0;
  };
  app->ActivateHint(over);
  EXPECT_EQ(app->HintWindow()->Caption(), "changed");
  knob->HintShow = [](THintInfo&) { return 1; };
  app->ActivateHint(over);
  EXPECT_FALSE(app->HintWindow()->HandleAllocated());
  knob->HintShow = nullptr;

  // Idle: the control under the mouse hears it come and go; its long hint
  // becomes the application's.
  MSG msg{};
  app->Idle(msg);
  EXPECT_EQ(app->Hint(), "Sets the volume");
  SetCursorPos(0, 0);
  app->Idle(msg);
  EXPECT_EQ(app->Hint(), "");
  std::vector<std::string> mouse;
  for (const std::string& s : log) {
    if (s.rfind("mouse", 0) == 0) mouse.push_back(s);
  }
  EXPECT_EQ(mouse, (std::vector<std::string>{"mouse in knob", "mouse out knob"}));
}

// The message loop skips the look for the control under the mouse after a
// timer's tick, but not after the mouse moved: a fast timer must not hide it.
TEST_F(FormsTest, TheLoopFindsTheControlUnderAMovedMouseWhileAFastTimerTicks) {
  std::vector<std::string> log;
  TForm form(nullptr);
  form.SetBounds(200, 200, 300, 200);
  auto* knob = new TProbe(&form, "knob", &log);
  knob->SetBounds(10, 10, 50, 50);
  form.Show();
  TTimer timer(nullptr);
  timer.SetInterval(5);
  int ticks = 0;
  timer.SetOnTimer([&](TObject*) { ++ticks; });
  timer.SetEnabled(true);
  SetCursorPos(0, 0);
  auto loopUntil = [&](auto done) {
    const DWORD deadline = GetTickCount() + 3000;
    while (!done() && GetTickCount() < deadline) app->HandleMessage();
    return done();
  };
  ASSERT_TRUE(loopUntil([&] { return ticks >= 5; }));
  const POINT over = knob->ClientToScreen(POINT{5, 5});
  SetCursorPos(over.x, over.y);
  EXPECT_TRUE(loopUntil([&] { return std::count(log.begin(), log.end(), "mouse in knob") == 1; }));
  SetCursorPos(0, 0);
  EXPECT_TRUE(loopUntil([&] { return std::count(log.begin(), log.end(), "mouse out knob") == 1; }));
}

// A quiet timer's ticks (the visualisation's frames) pass without the idle
// pass; any other message, another timer's tick among them, runs it.
TEST_F(FormsTest, OnlyAQuietTimersTicksSkipTheIdlePass) {
  int idles = 0;
  app->SetOnIdle([&](TObject*, bool&) { ++idles; });
  TTimer timer(nullptr);
  timer.SetInterval(5);
  int ticks = 0;
  timer.SetOnTimer([&](TObject*) { ++ticks; });
  auto loopUntil = [&](auto done) {
    const DWORD deadline = GetTickCount() + 3000;
    while (!done() && GetTickCount() < deadline) app->HandleMessage();
    return done();
  };
  app->ProcessMessages();
  for (bool quiet : {true, false}) {
    SCOPED_TRACE(quiet ? "quiet" : "not quiet");
    timer.SetQuiet(quiet);
    timer.SetEnabled(true);
    ticks = idles = 0;
    ASSERT_TRUE(loopUntil([&] { return ticks >= 20; }));
    // Stray messages of the system's may still run a pass or two.
    if (quiet) EXPECT_LE(idles, 2) << ticks << " ticks";
    else EXPECT_GE(idles, ticks - 2);
    // The ticks go on, so the loop never waits for good.
    idles = 0;
    PostMessageW(timer.WindowHandle(), WM_NULL, 0, 0);
    EXPECT_TRUE(loopUntil([&] { return idles > 0; }));
    timer.SetEnabled(false);
  }
  app->SetOnIdle(nullptr);
}

// A message another thread sends is handled inside the loop's look at the
// queue; when a quiet tick comes out of that same look, the idle pass still
// runs for whatever the sent message changed.
TEST_F(FormsTest, AMessageSentFromAnotherThreadRunsTheIdlePassAmongQuietTicks) {
  struct TSlowForm : TForm {
    using TForm::TForm;
    bool Handled = false;
    void Dispatch(TMessage& Message) override {
      if (Message.Msg != WM_APP) return TForm::Dispatch(Message);
      // Long enough for the quiet timer to be due when the look goes on.
      Sleep(40);
      Handled = true;
    }
  } form(nullptr);
  const HWND window = form.Handle();
  int idles = 0;
  app->SetOnIdle([&](TObject*, bool&) { ++idles; });
  TTimer timer(nullptr);
  timer.SetInterval(5);
  timer.SetQuiet(true);
  int ticks = 0;
  timer.SetOnTimer([&](TObject*) { ++ticks; });
  timer.SetEnabled(true);
  auto loopUntil = [&](auto done) {
    const DWORD deadline = GetTickCount() + 3000;
    while (!done() && GetTickCount() < deadline) app->HandleMessage();
    return done();
  };
  ASSERT_TRUE(loopUntil([&] { return ticks >= 5; }));
  idles = 0;
  std::thread sender([window] { SendMessageW(window, WM_APP, 0, 0); });
  EXPECT_TRUE(loopUntil([&] { return form.Handled && idles > 0; })) << idles << " idle passes";
  timer.SetEnabled(false);
  sender.join();
  app->SetOnIdle(nullptr);
}

TEST_F(FormsTest, FocusMovesSendExitUpTheOldChainThenEnterDownTheNew) {
  std::vector<std::string> log;
  TForm form(nullptr);
  auto* group = new TProbe(&form, "group", &log);
  auto* inner = new TProbe(group, "inner", &log);
  auto* other = new TProbe(&form, "other", &log);
  EXPECT_TRUE(form.SetFocusedControl(inner));
  EXPECT_TRUE(form.SetFocusedControl(other));
  EXPECT_EQ(log, (std::vector<std::string>{"enter group", "enter inner", "exit inner", "exit group",
                                           "enter other"}));
  EXPECT_EQ(form.ActiveControl(), other);
  EXPECT_EQ(Screen()->ActiveControl(), other);
  EXPECT_EQ(Screen()->ActiveForm(), &form);
  EXPECT_EQ(GetParentForm(inner), &form);

  TForm stranger(nullptr);
  EXPECT_FALSE(stranger.SetFocusedControl(inner));
  delete other;
  EXPECT_EQ(form.ActiveControl(), nullptr);
  EXPECT_EQ(Screen()->ActiveControl(), nullptr);
}

TEST_F(FormsTest, ACtrlKeyPostedToAControlRunsTheFormsActionShortcut) {
  TForm form(nullptr);
  auto* edit = new TProbe(&form, "edit");
  edit->SetBounds(10, 10, 100, 24);
  auto* list = new TActionList(&form);
  auto* action = new TAction(&form);
  action->SetActionList(list);
  action->SetShortCut(ShortCut('K', ssCtrl));
  int runs = 0;
  action->SetOnExecute([&](TObject*) { ++runs; });
  form.Show();
  // Wine reloads the key state from X when the window takes the focus.
  PumpMessagesUntil([&] { return form.Active(); }, 2000);
  app->ProcessMessages();

  TMessage direct{WM_KEYDOWN, 'K', 0x00250001, 0};
  {
    ScopedKeys keys({VK_CONTROL});
    EXPECT_TRUE(form.IsShortCut(direct));
    EXPECT_EQ(runs, 1);
    PostMessageA(edit->Handle(), WM_KEYDOWN, 'K', 0x00250001);
    app->ProcessMessages();
  }
  EXPECT_EQ(runs, 2);

  bool asked = false;
  form.SetOnShortCut([&](TMessage&, bool& handled) { handled = asked = true; });
  EXPECT_TRUE(form.IsShortCut(direct));
  EXPECT_TRUE(asked);
  EXPECT_EQ(runs, 2);
}

// The main form's shortcuts answer a key that another form's control has no
// use for, but not while a modal window (it disables the main form) or a
// system dialog of the thread is up.
TEST_F(FormsTest, TheMainFormsShortcutsAnswerInOtherFormsUnlessAModalWindowIsUp) {
  TForm mainForm(nullptr);
  auto* list = new TActionList(&mainForm);
  auto* action = new TAction(&mainForm);
  action->SetActionList(list);
  action->SetShortCut(ShortCut(VK_F2, 0));
  int runs = 0;
  action->SetOnExecute([&](TObject*) { ++runs; });
  mainForm.Show();
  app->SetMainForm(&mainForm);
  TForm other(nullptr);
  auto* edit = new TProbe(&other, "edit");
  edit->SetBounds(10, 10, 100, 24);
  other.Show();

  // A message box stands for the system's dialogs: the same class, shown.
  struct {
    const char* Up;
    std::function<HWND()> Show;
    int Runs;
  } const cases[] = {
      {"nothing", [] { return HWND{}; }, 1},
      {"a modal window", [&] { EnableWindow(mainForm.Handle(), FALSE); return HWND{}; }, 0},
      {"a message box",
       [] {
         return CreateWindowExW(0, L"#32770", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
       },
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Up);
    runs = 0;
    const HWND dialog = c.Show();
    PostMessageA(edit->Handle(), WM_KEYDOWN, VK_F2, 0x003C0001);
    app->ProcessMessages();
    EXPECT_EQ(runs, c.Runs);
    if (dialog) DestroyWindow(dialog);
    EnableWindow(mainForm.Handle(), TRUE);
  }
}
