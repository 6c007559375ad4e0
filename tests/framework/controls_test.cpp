#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/actions.h"
#include "framework/controls.h"
#include "test_support.h"

using testing_support::ExceptionRecorder;
using testing_support::PumpPendingMessages;

namespace {

// A plain top-level window that hosts the controls under test.
class HostWindow {
 public:
  explicit HostWindow(bool visible = false) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "ControlsTestHost";
    RegisterClassA(&cls);
    FHandle = CreateWindowExA(0, cls.lpszClassName, "host", WS_OVERLAPPEDWINDOW, 10, 10,
                              400, 300, nullptr, nullptr, cls.hInstance, nullptr);
    if (visible) ShowWindow(FHandle, SW_SHOWNOACTIVATE);
  }
  ~HostWindow() {
    ShowWindow(FHandle, SW_HIDE);
    DestroyWindow(FHandle);
  }
  HWND Handle() const { return FHandle; }

 private:
  HWND FHandle;
};

// A control that records what reaches its default handler and key events.
class ProbeControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<TMessage> Defaults;
  std::vector<UINT> Seen;
  void DefaultHandler(TMessage& m) override {
    Defaults.push_back(m);
    TCustomControl::DefaultHandler(m);
  }
  void WndProc(TMessage& m) override {
    Seen.push_back(m.Msg);
    TCustomControl::WndProc(m);
  }
  int Count(UINT msg) const { return static_cast<int>(std::count(Seen.begin(), Seen.end(), msg)); }
};

class EditControl : public TWinControl {
 public:
  using TWinControl::TWinControl;
  std::vector<WPARAM> Commands;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "EDIT");
  }
  void Dispatch(TMessage& m) override {
    if (m.Msg == CN_COMMAND) Commands.push_back(m.WParam);
    TWinControl::Dispatch(m);
  }
};

class Box : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    Canvas()->Brush()->SetColor(clRed);
    RECT r{0, 0, Width(), Height()};
    Canvas()->FillRect(r);
  }
};

// An edit on a plain windowed parent in a hidden host window.
struct EditOnParent {
  EditOnParent() {
    parent.SetBounds(0, 0, 200, 100);
    parent.SetParentWindow(host.Handle());
    edit.SetBounds(5, 5, 100, 20);
    edit.SetParent(&parent);
  }
  HostWindow host;
  TWinControl parent{nullptr};
  EditControl edit{nullptr};
};

}  // namespace

TEST(Controls, TextLivesInTheControlWithoutAWindowAndInTheWindowWithOne) {
  HostWindow host;
  ProbeControl control(nullptr);
  control.SetText("before");
  EXPECT_FALSE(control.HandleAllocated());
  EXPECT_EQ(control.Text(), "before");
  EXPECT_EQ(control.Count(CM_TEXTCHANGED), 1);
  control.SetText("before");  // the same text changes nothing
  EXPECT_EQ(control.Count(CM_TEXTCHANGED), 1);

  control.SetParentWindow(host.Handle());
  ASSERT_TRUE(control.HandleAllocated());
  char buffer[32] = {};
  GetWindowTextA(control.WindowHandle(), buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "before");
  SetWindowTextA(control.WindowHandle(), "typed");
  EXPECT_EQ(control.Text(), "typed");

  control.RecreateWnd();
  EXPECT_EQ(control.Text(), "typed");
  HWND old = control.WindowHandle();
  control.SetParentWindow(nullptr);
  EXPECT_FALSE(IsWindow(old));
  EXPECT_EQ(control.Text(), "typed");
}

TEST(Controls, WindowsFindTheirControlAndChildrenGetPointerSizedIds) {
  EditOnParent f;
  EditControl& edit = f.edit;
  ASSERT_TRUE(edit.HandleAllocated());
  EXPECT_EQ(FindControl(edit.WindowHandle()), &edit);
  EXPECT_EQ(FindControl(f.host.Handle()), nullptr);
  EXPECT_EQ(GetWindowLongPtrA(edit.WindowHandle(), GWLP_ID),
            reinterpret_cast<LONG_PTR>(edit.WindowHandle()));
  EXPECT_EQ(GetPropA(edit.WindowHandle(), ControlAtomName().c_str()), &edit);
  EXPECT_EQ(ControlAtomName().size(), std::string("ControlOfs").size() + 16 + 8);
}

TEST(Controls, ParentNotificationsAreReflectedToTheChild) {
  EditOnParent f;
  SetWindowTextA(f.edit.WindowHandle(), "x");  // the edit tells its parent: EN_CHANGE
  ASSERT_FALSE(f.edit.Commands.empty());
  EXPECT_EQ(HIWORD(f.edit.Commands.back()), EN_CHANGE);
}

TEST(Controls, AThirdPartyHookingWindowProcSeesMessagesAndCanBeCompared) {
  ProbeControl control(nullptr);
  EXPECT_EQ(control.WindowProc(), control.OwnWndProc());
  struct Spy {
    TWindowMethod next;
    int seen = 0;
    void Hook(TMessage& m) {
      if (m.Msg == WM_USER + 7) ++seen;
      next(m);
    }
  } spy;
  spy.next = control.WindowProc();
  control.SetWindowProc(MakeWindowMethod<&Spy::Hook>(&spy));
  EXPECT_NE(control.WindowProc(), control.OwnWndProc());
  EXPECT_EQ(control.WindowProc(), MakeWindowMethod<&Spy::Hook>(&spy));
  control.Perform(WM_USER + 7);
  EXPECT_EQ(spy.seen, 1);
  EXPECT_EQ(control.Count(WM_USER + 7), 1);
  control.SetWindowProc(spy.next);
}

TEST(Controls, KeyPressWritesBackOnlyTheLowWord) {
  HostWindow host;
  ProbeControl control(nullptr);
  control.SetParentWindow(host.Handle());
  std::vector<int> keys;
  control.SetOnKeyPress([&](TObject*, char& key) {
    keys.push_back(static_cast<unsigned char>(key));
    if (key == 'a') key = 'b';
  });
  const WPARAM packed = (static_cast<WPARAM>(0x0416) << 16) | 0xFF;
  SendMessageA(control.WindowHandle(), WM_CHAR, packed, 0);
  SendMessageA(control.WindowHandle(), WM_CHAR, 'a', 0);
  ASSERT_EQ(keys, (std::vector<int>{0xFF, 'a'}));
  std::vector<WPARAM> chars;
  for (const TMessage& m : control.Defaults) {
    if (m.Msg == WM_CHAR) chars.push_back(m.WParam);
  }
  EXPECT_EQ(chars, (std::vector<WPARAM>{packed, 'b'}));
}

TEST(Controls, GraphicChildrenPaintAndGetTheirMouseMessagesInTheirOwnCoordinates) {
  HostWindow host(true);
  ProbeControl parent(nullptr);
  parent.SetBounds(0, 0, 200, 100);
  parent.SetParentWindow(host.Handle());
  Box box(nullptr);
  box.SetBounds(50, 20, 30, 30);
  box.SetParent(&parent);
  std::vector<POINT> downs;
  int clicks = 0;
  box.SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, int x, int y) { downs.push_back({x, y}); });
  box.SetOnClick([&](TObject*) { ++clicks; });
  SendMessageA(parent.WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(55, 30));
  SendMessageA(parent.WindowHandle(), WM_LBUTTONUP, 0, MAKELPARAM(55, 30));
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].x, 5);
  EXPECT_EQ(downs[0].y, 10);
  EXPECT_EQ(clicks, 1);
  SendMessageA(parent.WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));  // outside
  SendMessageA(parent.WindowHandle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(downs.size(), 1u);

  RedrawWindow(parent.WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_GE(box.Paints, 1);
  HDC dc = GetDC(parent.WindowHandle());
  EXPECT_EQ(GetPixel(dc, 60, 30), RGB(255, 0, 0));
  EXPECT_NE(GetPixel(dc, 10, 10), RGB(255, 0, 0));
  ReleaseDC(parent.WindowHandle(), dc);
}

// A press that drags the window by a graphic child gives the pointer away
// before its release: the next press goes to the child under it.
TEST(Controls, AGraphicChildThatLostThePointerLetsTheNextPressGoWhereItFalls) {
  HostWindow host(true);
  ProbeControl parent(nullptr);
  parent.SetBounds(0, 0, 200, 100);
  parent.SetParentWindow(host.Handle());
  Box handle(nullptr), target(nullptr);
  handle.SetBounds(0, 0, 40, 40);
  handle.SetParent(&parent);
  handle.SetOnMouseDown([](TObject*, TMouseButton, TShiftState, int, int) { ReleaseCapture(); });
  target.SetBounds(100, 20, 30, 30);
  target.SetParent(&parent);
  int clicks = 0;
  target.SetOnClick([&](TObject*) { ++clicks; });
  SendMessageA(parent.WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(parent.WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(110, 30));
  SendMessageA(parent.WindowHandle(), WM_LBUTTONUP, 0, MAKELPARAM(110, 30));
  EXPECT_EQ(clicks, 1);
}

TEST(Controls, AlignedChildrenShareTheClientArea) {
  TWinControl parent(nullptr);
  parent.SetBounds(0, 0, 200, 100);
  TWinControl top(nullptr), left(nullptr), client(nullptr);
  top.SetHeight(20);
  left.SetWidth(30);
  top.SetAlign(alTop);
  left.SetAlign(alLeft);
  client.SetAlign(alClient);
  for (TWinControl* c : {&top, &left, &client}) c->SetParent(&parent);
  struct Case {
    TControl* control;
    RECT expected;
  } cases[] = {{&top, {0, 0, 200, 20}}, {&left, {0, 20, 30, 100}}, {&client, {30, 20, 200, 100}}};
  for (const Case& c : cases) {
    RECT r = c.control->BoundsRect();
    EXPECT_TRUE(EqualRect(&r, &c.expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
  parent.SetBounds(0, 0, 300, 150);
  RECT r = client.BoundsRect();
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(r.bottom, 150);
}

TEST(Controls, AnExceptionInAHandlerReachesTheApplicationAndTheWindowLivesOn) {
  ExceptionRecorder recorder;
  HostWindow host;
  ProbeControl control(nullptr);
  control.SetParentWindow(host.Handle());
  control.SetOnMouseDown([](TObject*, TMouseButton, TShiftState, int, int) {
    throw std::runtime_error("handler failed");
  });
  SendMessageA(control.WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  ASSERT_EQ(recorder.messages, std::vector<std::string>{"handler failed"});
  EXPECT_TRUE(IsWindow(control.WindowHandle()));
  SetWindowTextA(control.WindowHandle(), "still here");
  EXPECT_EQ(control.Text(), "still here");
}

TEST(Controls, ALinkedControlFollowsItsActionUntilItsCaptionIsItsOwn) {
  TAction action(nullptr);
  action.SetCaption("Play");
  int executed = 0;
  action.SetOnExecute([&](TObject*) { ++executed; });
  ProbeControl control(nullptr);
  control.SetAction(&action);
  EXPECT_EQ(control.Caption(), "Play");
  control.Click();
  EXPECT_EQ(executed, 1);
  action.SetCaption("Pause");
  EXPECT_EQ(control.Caption(), "Pause");
  action.SetEnabled(false);
  EXPECT_FALSE(control.Enabled());
  control.SetCaption("Mine");
  action.SetCaption("Stop");
  EXPECT_EQ(control.Caption(), "Mine");
}

TEST(Controls, AControlOutlivesItsActionAndTheOtherWayRound) {
  auto* action = new TAction(nullptr);
  {
    ProbeControl control(nullptr);
    control.SetAction(action);
  }
  action->SetCaption("fine");  // no link left behind
  ProbeControl control(nullptr);
  control.SetAction(action);
  delete action;
  EXPECT_EQ(control.Action(), nullptr);
  control.Click();
}

TEST(Controls, TabOrderWalksFocusableChildren) {
  HostWindow host;
  TWinControl parent(nullptr);
  parent.SetParentWindow(host.Handle());
  EditControl a(nullptr), b(nullptr), c(nullptr);
  for (EditControl* e : {&a, &b, &c}) {
    e->SetTabStop(true);
    e->SetParent(&parent);
  }
  b.SetEnabled(false);
  c.SetTabOrder(0);
  EXPECT_EQ(c.TabOrder(), 0);
  EXPECT_EQ(a.TabOrder(), 1);
  EXPECT_EQ(parent.FindNextControl(&c, true, true, false), &a);
  EXPECT_EQ(parent.FindNextControl(&a, true, true, false), &c);  // b is disabled
  EXPECT_EQ(parent.FindNextControl(&a, false, true, false), &c);
  PumpPendingMessages();
}
