#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/tnt_sysutils.h"
#include "framework/exceptions.h"
#include "framework/format.h"
#include "test_support.h"
#include "unicode_controls/tnt_controls.h"
#include "unicode_controls/tnt_forms.h"
#include "unicode_test_controls.h"
#include "window_picture.h"

using namespace unicode_test;

namespace {

const std::vector<std::wstring> kTexts = {L"Привет ★ 日本", L"plain", L"", L"é ÿ"};

// Sits in a control's WindowProc the way any third party would: keeps the
// previous method and chains to it.
struct TWindowProcSpy {
  TWindowMethod Old;
  UINT Watched = 0;
  int Seen = 0;
  void Proc(TMessage& Message) {
    if (Message.Msg == Watched) ++Seen;
    Old(Message);
  }
  void Install(TControl* Control, UINT Msg) {
    Watched = Msg;
    Old = Control->WindowProc();
    Control->SetWindowProc(MakeWindowMethod<&TWindowProcSpy::Proc>(this));
  }
};

std::wstring Hex(uint32_t Value) { return Format(L"U+%x", {Value}); }

}  // namespace

TEST(UnicodeText, KeepsTextWithoutAnAnsiFormThroughRecreationAndWindowlessLife) {
  TTestHost f;
  for (TWinControl* control : std::vector<TWinControl*>{f.Edit, f.Panel}) {
    auto destroy = [&] {
      if (control == f.Edit) f.Edit->DestroyHandle(); else f.Panel->DestroyHandle();
    };
    for (const std::wstring& text : kTexts) {
      SCOPED_TRACE(control->ClassName() + L" \"" + text + L"\"");
      WideSetWindowText(control, text);
      EXPECT_EQ(WideGetWindowText(control), text);
      EXPECT_EQ(SystemWindowText(control->Handle()), text);

      control->RecreateWnd();
      ASSERT_TRUE(IsWindowUnicode(control->Handle()));
      EXPECT_EQ(SystemWindowText(control->Handle()), text);

      destroy();
      ASSERT_FALSE(control->HandleAllocated());
      EXPECT_EQ(WideGetWindowText(control), text);
      const std::wstring other = text + L" ∑";
      WideSetWindowText(control, other);
      EXPECT_EQ(WideGetWindowText(control), other);
      control->HandleNeeded();
      EXPECT_EQ(SystemWindowText(control->Handle()), other);
      EXPECT_EQ(control->Text(), WideToAnsi(other));
    }
  }
  // Text set through the ANSI side while windowless wins over the wide copy.
  WideSetWindowText(f.Edit, L"Жук");
  f.Edit->DestroyHandle();
  f.Edit->SetText("beetle");
  EXPECT_EQ(WideGetWindowText(f.Edit), L"beetle");
  EXPECT_EQ(SystemWindowText(f.Edit->Handle()), L"beetle");
}

TEST(UnicodeText, GraphicControlsKeepTheirWideTextInStepWithTheAnsiText) {
  TTestHost f;
  auto* label = new TGraphicControl(f.Host);
  label->SetParent(f.Host);
  WideSetWindowText(label, L"Метка ★");
  EXPECT_EQ(WideGetWindowText(label), L"Метка ★");
  EXPECT_EQ(label->Text(), WideToAnsi(L"Метка ★"));
  label->SetText("label");
  EXPECT_EQ(WideGetWindowText(label), L"label");
}

TEST(UnicodeText, SettingTheShownTextAgainSendsNoTextChanged) {
  TWindowProcSpy spy;
  TTestHost f;
  spy.Install(f.Edit, CM_TEXTCHANGED);
  WideSetWindowText(f.Edit, L"Один ★");
  WideSetWindowText(f.Edit, L"Один ★");
  EXPECT_EQ(spy.Seen, 1);
  WideSetWindowText(f.Edit, L"Два ★");
  EXPECT_EQ(spy.Seen, 2);
  f.Edit->SetWindowProc(spy.Old);
}

TEST(UnicodeWindow, AThirdPartyWindowProcSurvivesRecreationAndIsNotHookedOver) {
  TWindowProcSpy spy;
  TTestHost f;
  spy.Install(f.Edit, WM_APP + 1);
  const TWindowMethod mine = f.Edit->WindowProc();
  SendMessageW(f.Edit->Handle(), WM_APP + 1, 0, 0);
  EXPECT_EQ(spy.Seen, 1);

  f.Edit->RecreateWnd();
  f.Edit->RecreateWnd();
  EXPECT_EQ(f.Edit->WindowProc().Code, mine.Code) << "the trap hooked on top of the spy";
  SendMessageW(f.Edit->Handle(), WM_APP + 1, 0, 0);
  EXPECT_EQ(spy.Seen, 2);
  // The trap is still under the spy: characters are packed and unpacked once.
  WideSetWindowText(f.Edit, L"");
  SendMessageW(f.Edit->Handle(), WM_CHAR, 0x416, 1);
  EXPECT_EQ(SystemWindowText(f.Edit->Handle()), L"Ж");
  EXPECT_EQ(f.Edit->KeyPresses, "\xFF");
  f.Edit->SetWindowProc(spy.Old);
}

TEST(UnicodeChars, ReachTheWindowWhileTheFrameworkSeesAnEightBitStandIn) {
  struct Case {
    wchar_t Sent;
    char SwallowKey;
    const char* KeyPresses;
    const wchar_t* Typed;
  };
  const Case cases[] = {
      {0x416, 0, "\xFF", L"Ж"},     // above U+00FF
      {0xFF, 0, "\xFF", L"ÿ"},      // a genuine U+00FF
      {0xE9, 0, "\xFF", L"é"},      // above 127: packed too
      {0x2605, 0, "\xFF", L"★"},
      {'A', 0, "A", L"A"},
      {0x416, '\xFF', "\xFF", L""},  // the framework's handler swallows it
  };
  TTestHost f;
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.Sent));
    WideSetWindowText(f.Edit, L"");
    f.Edit->KeyPresses.clear();
    f.Edit->SwallowKey = c.SwallowKey;
    SendMessageW(f.Edit->Handle(), WM_CHAR, c.Sent, 1);
    EXPECT_EQ(SystemWindowText(f.Edit->Handle()), c.Typed);
    EXPECT_EQ(f.Edit->KeyPresses, c.KeyPresses);
  }
}

TEST(UnicodeChars, PackingKeepsEveryCodeUnit) {
  for (uint32_t ch : {0u, 'a' + 0u, 0x7Fu, 0x80u, 0xE9u, 0xFFu, 0x100u, 0x416u, 0xFFFFu}) {
    SCOPED_TRACE(Hex(ch));
    TMessage m{WM_CHAR, 0, 0, 0};
    SetWideCharInWMChar(m, static_cast<wchar_t>(ch));
    EXPECT_EQ(CharCodeOf(m), ch > 127 ? 255u : ch);
    EXPECT_EQ(GetWideCharFromWMChar(m), static_cast<wchar_t>(ch));
    PackWideCharInWMChar(m);  // a second pass changes nothing
    UnpackWideCharInWMChar(m);
    EXPECT_EQ(m.WParam, ch);
  }
}

TEST(UnicodeWindow, AnswersNotifyFormatByTheAskingWindow) {
  TTestHost f;
  EXPECT_EQ(SendMessageW(f.Panel->Handle(), WM_NOTIFYFORMAT,
                         reinterpret_cast<WPARAM>(f.Edit->Handle()), NF_QUERY),
            NFR_UNICODE);
  EXPECT_EQ(SendMessageW(f.Panel->Handle(), WM_NOTIFYFORMAT,
                         reinterpret_cast<WPARAM>(f.Host->Handle()), NF_QUERY),
            NFR_ANSI);
}

namespace {
// Deletes its control from inside that control's own message.
struct TKiller {
  TWinControl* Victim;
  TWindowMethod Old;
  void Proc(TMessage& Message) {
    if (Message.Msg == WM_APP + 2) {
      delete Victim;
      return;
    }
    Old(Message);
  }
};
}  // namespace

TEST(UnicodeWindow, AControlFreedInsideItsOwnMessageTakesItsTrapAlong) {
  TTestHost f;
  TKiller killer{f.Edit, f.Edit->WindowProc()};
  f.Edit->SetWindowProc(MakeWindowMethod<&TKiller::Proc>(&killer));
  HWND wnd = f.Edit->Handle();
  SendMessageW(wnd, WM_APP + 2, 0, 0);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(f.Host->ControlCount(), 1);
}

namespace {
class TStaleClassPanel : public TTestUnicodePanel {
 public:
  using TTestUnicodePanel::TTestUnicodePanel;
};
}  // namespace

TEST(UnicodeWindow, ClassFoundWithAnotherProcedureIsRegisteredAgain) {
  WNDCLASSW stale{};
  stale.lpfnWndProc = DefWindowProcW;
  stale.hInstance = GetModuleHandleW(nullptr);
  stale.lpszClassName = L"TStaleClassPanel.UnicodeClass";
  ASSERT_NE(RegisterClassW(&stale), 0);

  TTestHost f;
  auto* panel = new TStaleClassPanel(f.Host);
  panel->SetParent(f.Host);
  WideSetWindowText(panel, L"Снова ★");
  WNDCLASSW now{};
  ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), L"TStaleClassPanel.UnicodeClass", &now));
  EXPECT_EQ(now.lpfnWndProc, &UnicodeInitWndProc);
  EXPECT_EQ(SystemWindowText(panel->Handle()), L"Снова ★");
  // The framework finds the control from its window as usual.
  EXPECT_EQ(FindControl(panel->Handle()), panel);
}

TEST(UnicodeWindow, SubclassingAnAnsiWindowIsAnInternalError) {
  TTestHost f;
  auto* plain = new TWinControl(f.Host);
  plain->SetParent(f.Host);
  plain->HandleNeeded();
  EXPECT_EQ(testing_support::MessageOf<ETntInternalError>([&] { SubclassUnicodeControl(plain, ""); }),
            L"Internal Error: SubClassUnicodeControl.Control is not Unicode.");
}

TEST(UnicodeWindow, PictureOfUnicodeText) {
  TTestHost f;
  WideSetWindowText(f.Edit, L"Привет ★ 日本 é");
  UpdateWindow(f.TopLevel());
  testing_support::Picture picture;
  ASSERT_TRUE(testing_support::TakeWindowPicture(f.TopLevel(), L"unicode_edit.png", picture));
  // Some dark text pixels inside the edit.
  RECT edit{};
  GetWindowRect(f.Edit->Handle(), &edit);
  RECT form{};
  GetWindowRect(f.TopLevel(), &form);
  OffsetRect(&edit, -form.left, -form.top);
  InflateRect(&edit, -3, -3);
  EXPECT_GT(testing_support::DarkPixels(picture, edit), 20);
}

// Runs last in a process of its own: the layer cannot be brought back.
TEST(UnicodeLayerFinalised, WindowsStillPassEveryMessageOn) {
  TTestHost f;
  WideSetWindowText(f.Edit, L"Жук");
  FinalizeUnicodeLayer();
  ASSERT_TRUE(UnicodeLayerFinalised());
  EXPECT_EQ(WideGetWindowText(f.Edit), L"Жук");
  WideSetWindowText(f.Edit, L"");
  SendMessageW(f.Edit->Handle(), WM_CHAR, 0x416, 1);
  SendMessageW(f.Edit->Handle(), WM_CHAR, 'q', 1);
  EXPECT_EQ(SystemWindowText(f.Edit->Handle()), L"Жq");
  EXPECT_EQ(f.Edit->Text(), WideToAnsi(L"Жq"));
  // A window made after the end still works, and so does its destruction.
  f.Edit->RecreateWnd();
  ASSERT_TRUE(IsWindowUnicode(f.Edit->Handle()));
  WideSetWindowText(f.Edit, L"★");
  EXPECT_EQ(SystemWindowText(f.Edit->Handle()), L"★");
  f.Panel->DestroyHandle();
  EXPECT_FALSE(f.Panel->HandleAllocated());
}
