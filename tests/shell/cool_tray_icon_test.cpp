// The tray icon against a recording stand-in for the shell: click versus
// double click from posted callback messages, the record sent, the tip's cut,
// a shell that refuses and the taskbar coming back, icon cycling, minimising
// to the tray; and the real shell once.
#include "shell/cool_tray_icon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "framework/bitmaps.h"
#include "framework/forms.h"
#include "framework/image_list.h"
#include "test_support.h"
#include "widgets/simple_timer.h"

using testing_support::PumpMessagesUntil;
using testing_support::PumpPendingMessages;

namespace {

struct ShellCall {
  DWORD message;
  NOTIFYICONDATAW data;
};

// Stands in for Shell_NotifyIconW: records every request, answers Accept.
struct FakeShell {
  std::vector<ShellCall> calls;
  bool accept = true;

  TNotifyIconFunction Function() {
    return [this](DWORD Message, NOTIFYICONDATAW& Data) {
      calls.push_back({Message, Data});
      return accept;
    };
  }
  int Count(DWORD Message, UINT Id) const {
    int n = 0;
    for (const ShellCall& c : calls) n += c.message == Message && c.data.uID == Id ? 1 : 0;
    return n;
  }
};

void PostCallback(TCoolTrayIcon& Icon, UINT MouseMessage) {
  PostMessageW(Icon.IconData().hWnd, WM_TRAYNOTIFY, Icon.Id(), MouseMessage);
}

TEST(CoolTrayIcon, SendsAWideRecordWithItsOwnNumber) {
  FakeShell shell;
  TCoolTrayIcon first(nullptr), second(nullptr);
  for (TCoolTrayIcon* icon : {&first, &second}) {
    icon->SetNotifyIconFunction(shell.Function());
    icon->SetIconVisible(true);
  }
  ASSERT_EQ(shell.calls.size(), 2u);
  for (const ShellCall& call : shell.calls) {
    EXPECT_EQ(call.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(call.data.cbSize, sizeof(NOTIFYICONDATAW));
    EXPECT_EQ(call.data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(call.data.uCallbackMessage, 2048u);
    EXPECT_TRUE(IsWindow(call.data.hWnd));
  }
  EXPECT_NE(shell.calls[0].data.uID, shell.calls[1].data.uID);
  EXPECT_TRUE(first.InTray());

  // Hidden, the icon asks nothing of the shell when its hint changes.
  first.SetIconVisible(false);
  EXPECT_EQ(shell.Count(NIM_DELETE, first.Id()), 1);
  first.SetHint(L"quiet");
  EXPECT_EQ(shell.Count(NIM_MODIFY, first.Id()), 0);
  second.SetHint(L"loud");
  EXPECT_EQ(shell.Count(NIM_MODIFY, second.Id()), 1);
}

TEST(CoolTrayIcon, TipIsCutAt127UnitsNeverInsideASurrogatePair) {
  const std::wstring pair = L"\xD834\xDD1E";  // U+1D11E
  const struct {
    const char* name;
    std::wstring hint;
    bool showHint;
    std::wstring tip;
  } cases[] = {
      {"200 characters", std::wstring(200, L'a'), true, std::wstring(127, L'a')},
      {"exactly 127", std::wstring(127, L'b'), true, std::wstring(127, L'b')},
      {"pair across the cut", std::wstring(126, L'c') + pair, true, std::wstring(126, L'c')},
      {"pair just inside", std::wstring(125, L'd') + pair + L"e", true,
       std::wstring(125, L'd') + pair},
      {"hints off", L"Tavrin 1.58", false, L""},
      {"empty", L"", true, L""},
  };
  FakeShell shell;
  TCoolTrayIcon icon(nullptr);
  icon.SetNotifyIconFunction(shell.Function());
  icon.SetIconVisible(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    icon.SetShowHint(c.showHint);
    icon.SetHint(c.hint);
    ASSERT_EQ(shell.calls.back().message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(std::wstring(shell.calls.back().data.szTip), c.tip);
  }
}

TEST(CoolTrayIcon, ClickComesAfterTheDoubleClickTimeAndNeverWithADoubleClick) {
  const struct {
    const char* name;
    bool wantDoubleClick;
    std::vector<UINT> messages;
    int clicksAtOnce, clicks, doubleClicks;
  } cases[] = {
      {"click without a double-click handler", false, {WM_LBUTTONDOWN, WM_LBUTTONUP}, 1, 1, 0},
      {"click with a double-click handler", true, {WM_LBUTTONDOWN, WM_LBUTTONUP}, 0, 1, 0},
      {"double click", true, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, 0, 0,
       1},
      {"release without a press", true, {WM_LBUTTONUP}, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeShell shell;
    TCoolTrayIcon icon(nullptr);
    icon.SetNotifyIconFunction(shell.Function());
    int clicks = 0, doubleClicks = 0, downs = 0, ups = 0;
    icon.SetOnClick([&](TObject*) { ++clicks; });
    if (c.wantDoubleClick) icon.SetOnDblClick([&](TObject*) { ++doubleClicks; });
    icon.SetOnMouseDown([&](TObject*, TMouseButton b, TShiftState, int, int) { downs += b == mbLeft; });
    icon.SetOnMouseUp([&](TObject*, TMouseButton b, TShiftState, int, int) { ups += b == mbLeft; });
    for (UINT m : c.messages) PostCallback(icon, m);
    PumpPendingMessages();
    EXPECT_EQ(clicks, c.clicksAtOnce);
    // The click timer has ticked (or never ran) once no system timer is left.
    ASSERT_TRUE(PumpMessagesUntil([] { return TSimpleTimer::TimerCount() == 0; }, 5000));
    EXPECT_EQ(clicks, c.clicks);
    EXPECT_EQ(doubleClicks, c.doubleClicks);
    EXPECT_EQ(ups, static_cast<int>(std::count(c.messages.begin(), c.messages.end(), WM_LBUTTONUP)));
    EXPECT_EQ(downs, static_cast<int>(std::count(c.messages.begin(), c.messages.end(), WM_LBUTTONDOWN)));
  }
  // Disabled, the icon raises no mouse events; a gone icon's messages find nothing.
  TCoolTrayIcon icon(nullptr);
  int events = 0;
  icon.SetOnClick([&](TObject*) { ++events; });
  icon.SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, int, int) { ++events; });
  icon.SetEnabled(false);
  PostCallback(icon, WM_LBUTTONDOWN);
  PostCallback(icon, WM_LBUTTONUP);
  PostMessageW(icon.IconData().hWnd, WM_TRAYNOTIFY, icon.Id() + 1000, WM_LBUTTONDOWN);
  PumpPendingMessages();
  EXPECT_EQ(events, 0);
}

TEST(CoolTrayIcon, RefusedIconIsRetriedWhenTheTaskbarComesBack) {
  ASSERT_NE(TaskbarCreatedMessage(), 0u);
  FakeShell shell;
  shell.accept = false;
  TCoolTrayIcon visible(nullptr), hidden(nullptr);
  visible.SetNotifyIconFunction(shell.Function());
  hidden.SetNotifyIconFunction(shell.Function());
  visible.SetIconVisible(true);
  EXPECT_FALSE(visible.AddIcon());
  EXPECT_TRUE(visible.IconVisible());
  EXPECT_FALSE(visible.InTray());

  shell.accept = true;
  PostMessageW(Application()->Handle(), TaskbarCreatedMessage(), 0, 0);
  ASSERT_TRUE(PumpMessagesUntil([&] { return visible.InTray(); }));
  EXPECT_EQ(shell.Count(NIM_ADD, visible.Id()), 3);
  EXPECT_EQ(shell.Count(NIM_ADD, hidden.Id()), 0);

  // A restarted Explorer has lost every icon: the shown one comes back.
  PostMessageW(Application()->Handle(), TaskbarCreatedMessage(), 0, 0);
  ASSERT_TRUE(PumpMessagesUntil([&] { return shell.Count(NIM_ADD, visible.Id()) == 4; }));
  EXPECT_EQ(shell.Count(NIM_ADD, hidden.Id()), 0);
}

TEST(CoolTrayIcon, CyclingStepsThroughTheListAndWrapsToZero) {
  TImageList list(nullptr, 16, 16);
  for (int i = 0; i < 3; ++i) {
    TIcon source;
    source.SetHandle(CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(32512))));
    ASSERT_EQ(list.AddIcon(&source), i);
  }
  FakeShell shell;
  TCoolTrayIcon icon(nullptr);
  icon.SetNotifyIconFunction(shell.Function());
  icon.SetIconVisible(true);
  icon.SetIconList(&list);
  icon.SetIconIndex(7);
  EXPECT_EQ(icon.IconIndex(), 2);
  std::vector<std::pair<int, int>> steps;  // shown index, next index
  icon.SetOnCycle([&](TObject*, int32_t& next) { steps.emplace_back(icon.IconIndex(), next); });
  icon.SetCycleInterval(10);
  icon.SetCycleIcons(true);
  EXPECT_EQ(icon.IconIndex(), 0);
  ASSERT_TRUE(PumpMessagesUntil([&] { return steps.size() >= 4; }, 5000));
  icon.SetCycleIcons(false);
  const std::vector<std::pair<int, int>> expected = {{0, 1}, {1, 2}, {2, 0}, {0, 1}};
  steps.resize(4);
  EXPECT_EQ(steps, expected);
  EXPECT_GE(shell.Count(NIM_MODIFY, icon.Id()), 4);
  EXPECT_EQ(TSimpleTimer::TimerCount(), 0);
}

TEST(CoolTrayIcon, MinimizingHidesTheMainFormInTheTrayAndRestoreBringsItBack) {
  TApplication* app = Application();
  TCustomForm* previousMain = app->MainForm();
  TForm form(nullptr);
  app->SetMainForm(&form);
  FakeShell shell;
  auto* icon = new TCoolTrayIcon(&form);
  icon->SetNotifyIconFunction(shell.Function());
  icon->SetMinimizeToTray(true);
  int minimized = 0;
  icon->SetOnMinimizeToTray([&](TObject*) { ++minimized; });
  form.Show();
  PumpPendingMessages();
  ASSERT_TRUE(IsWindowVisible(app->Handle()));

  SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  PumpPendingMessages();
  EXPECT_EQ(minimized, 1);
  EXPECT_FALSE(IsWindowVisible(app->Handle()));
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  EXPECT_TRUE(icon->IconVisible());
  EXPECT_EQ(shell.Count(NIM_ADD, icon->Id()), 1);

  icon->RestoreMainForm();
  icon->SetIconVisible(false);
  PumpPendingMessages();
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  EXPECT_FALSE(IsIconic(form.Handle()));
  EXPECT_EQ(shell.Count(NIM_DELETE, icon->Id()), 1);

  // Without the option, minimising is the form's own business.
  icon->SetMinimizeToTray(false);
  SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  PumpPendingMessages();
  EXPECT_EQ(minimized, 1);
  EXPECT_EQ(shell.Count(NIM_ADD, icon->Id()), 1);
  app->Restore();

  delete icon;  // gives the form its window procedure back
  SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  app->Restore();
  form.Hide();
  app->SetMainForm(previousMain);
}

TEST(CoolTrayIcon, RealShellMaySucceedOrFailButNeverCrashes) {
  TCoolTrayIcon icon(nullptr);
  icon.Icon()->SetHandle(CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(32512))));
  icon.SetHint(L"Tavrin 1.58");
  icon.SetIconVisible(true);
  EXPECT_TRUE(icon.IconVisible());
  const bool shown = icon.InTray();
  icon.SetHint(L"Tavrin 1.58 \x266B");
  icon.SetIconVisible(false);
  EXPECT_FALSE(icon.InTray());
  std::printf("the real shell %s the icon\n", shown ? "accepted" : "refused");
}

}  // namespace
