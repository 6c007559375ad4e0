// The framework's edit, memo and up-down on real system windows.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/edits.h"
#include "framework/exceptions.h"
#include "framework/up_down.h"
#include "test_forms.h"
#include "test_support.h"

using testing_support::MessageOf;

namespace {

// Framework controls on a shown host that is never activated.
class Host : public testing_support::TestHost {
 public:
  Host() : TestHost(420, 300) {}
};

LONG_PTR StyleOf(TWinControl* c) { return GetWindowLongPtrA(c->Handle(), GWL_STYLE); }

std::string WindowText(TWinControl* c) {
  char buffer[512] = {};
  GetWindowTextA(c->Handle(), buffer, sizeof buffer);
  return buffer;
}

}  // namespace

TEST(Edits, EditKeepsItsStateAcrossRecreateWnd) {
  Host host;
  auto* edit = host.Add<TEdit>(10, 10, 200, 24);
  edit->SetText("kept text");
  edit->SetModified(true);
  edit->SetPasswordChar('#');
  edit->SetReadOnly(true);
  edit->SetMaxLength(40);
  edit->RecreateWnd();
  HWND wnd = edit->Handle();
  EXPECT_EQ(WindowText(edit), "kept text");
  EXPECT_TRUE(edit->Modified());
  EXPECT_EQ(SendMessageA(wnd, EM_GETPASSWORDCHAR, 0, 0), '#');
  EXPECT_TRUE(StyleOf(edit) & ES_PASSWORD);
  EXPECT_TRUE(StyleOf(edit) & ES_READONLY);
  EXPECT_EQ(SendMessageA(wnd, EM_GETLIMITTEXT, 0, 0), 40);
  EXPECT_TRUE(GetWindowLongPtrA(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  // AutoSize: the height follows the font, whatever the bounds said.
  const int sunkenHeight = edit->Height();
  EXPECT_NE(sunkenHeight, 24);
  edit->SetCtl3D(false);
  EXPECT_FALSE(GetWindowLongPtrA(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(edit->Height(), sunkenHeight - 2);
  EXPECT_EQ(WindowText(edit), "kept text");
}

TEST(Edits, PropertiesBecomeWindowStyles) {
  struct Case {
    const char* name;
    std::function<void(TCustomMemo*)> set;
    LONG_PTR present;
    LONG_PTR absent;
  } cases[] = {
      {"defaults", [](TCustomMemo*) {}, ES_MULTILINE, ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL},
      {"vertical bar", [](TCustomMemo* m) { m->SetScrollBars(ssVertical); }, WS_VSCROLL, WS_HSCROLL},
      {"both bars", [](TCustomMemo* m) { m->SetScrollBars(ssBoth); }, WS_VSCROLL | WS_HSCROLL, 0},
      {"no word wrap", [](TCustomMemo* m) { m->SetWordWrap(false); }, ES_AUTOHSCROLL, 0},
      {"centred", [](TCustomMemo* m) { m->SetAlignment(taCenter); }, ES_CENTER, ES_RIGHT},
      {"upper case", [](TCustomMemo* m) { m->SetCharCase(ecUpperCase); }, ES_UPPERCASE, ES_LOWERCASE},
  };
  for (const Case& c : cases) {
    Host host;
    auto* memo = host.Add<TMemo>(10, 10, 200, 100);
    memo->SetText("LINE");
    memo->HandleNeeded();
    c.set(memo);
    EXPECT_EQ(StyleOf(memo) & c.present, c.present) << c.name;
    EXPECT_EQ(StyleOf(memo) & c.absent, 0) << c.name;
    EXPECT_EQ(WindowText(memo), "LINE") << c.name;
  }
}

TEST(Edits, OnChangeFiresOncePerChangeAndNotWhileCreating) {
  struct Case {
    const char* name;
    bool memo;
    std::function<void(TCustomEdit*)> act;
    int changes;
  } cases[] = {
      {"edit text", false, [](TCustomEdit* e) { e->SetText("new"); }, 1},
      {"edit same text", false, [](TCustomEdit* e) { e->SetText("old"); }, 0},
      {"edit typed", false,
       [](TCustomEdit* e) { SendMessageA(e->Handle(), WM_CHAR, 'x', 0); }, 1},
      {"edit re-created", false, [](TCustomEdit* e) { e->RecreateWnd(); }, 0},
      {"memo text", true, [](TCustomEdit* e) { e->SetText("new"); }, 1},
      {"memo line added", true,
       [](TCustomEdit* e) { static_cast<TCustomMemo*>(e)->Lines()->Add("more"); }, 1},
      {"memo re-created", true, [](TCustomEdit* e) { e->RecreateWnd(); }, 0},
  };
  for (const Case& c : cases) {
    Host host;
    TCustomEdit* edit = c.memo ? static_cast<TCustomEdit*>(host.Add<TMemo>(10, 10, 200, 100))
                               : host.Add<TEdit>(10, 10, 200, 24);
    edit->SetText("old");
    edit->HandleNeeded();
    int changes = 0;
    edit->SetOnChange([&changes](TObject*) { ++changes; });
    c.act(edit);
    EXPECT_EQ(changes, c.changes) << c.name;
  }
}

TEST(Edits, SelectionAndSelText) {
  Host host;
  auto* edit = host.Add<TEdit>(10, 10, 200, 24);
  edit->SetText("hello world");
  edit->SetSelStart(6);
  edit->SetSelLength(5);
  EXPECT_EQ(edit->SelStart(), 6);
  EXPECT_EQ(edit->SelLength(), 5);
  EXPECT_EQ(edit->SelText(), "world");
  edit->SetSelText("there");
  EXPECT_EQ(edit->Text(), "hello there");
  edit->SelectAll();
  EXPECT_EQ(edit->SelLength(), 11);
  edit->SetSelStart(50);  // past the end: nothing selected, no fault
  EXPECT_EQ(edit->SelText(), "");
}

TEST(Edits, MemoLinesThroughTheWindow) {
  struct Case {
    const char* text;
    std::function<void(TStrings*)> act;
    const char* after;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\r\n", nullptr, "a\r\n", {"a"}},
      {"a\r\n\r\nb", nullptr, "a\r\n\r\nb", {"a", "", "b"}},
      {"a", [](TStrings* l) { l->Add("b"); }, "a\r\nb", {"a", "b"}},
      {"a\r\n", [](TStrings* l) { l->Add("b"); }, "a\r\nb\r\n", {"a", "b"}},
      {"a\r\n", [](TStrings* l) { l->Insert(2, "b"); }, "a\r\n", {"a"}},
      {"a\r\nb\r\nc", [](TStrings* l) { l->SetStrings(1, "X"); }, "a\r\nX\r\nc", {"a", "X", "c"}},
      {"a\r\nb", [](TStrings* l) { l->Delete(1); }, "a\r\n", {"a"}},
      {"a", [](TStrings* l) { l->SetText("x\ny\rz"); }, "x\r\ny\r\nz", {"x", "y", "z"}},
      {"a\r\nb", [](TStrings* l) { l->Clear(); }, "", {}},
  };
  for (const Case& c : cases) {
    Host host;
    auto* memo = host.Add<TMemo>(10, 10, 200, 100);
    memo->SetText(c.text);
    if (c.act) c.act(memo->Lines());
    EXPECT_EQ(memo->Text(), c.after) << c.text;
    std::vector<std::string> lines;
    for (int32_t i = 0; i < memo->Lines()->Count(); ++i) lines.push_back(memo->Lines()->Strings(i));
    EXPECT_EQ(lines, c.lines) << c.text;
  }
}

TEST(Edits, MemoRefusesALineTooLongToRead) {
  Host host;
  auto* memo = host.Add<TMemo>(10, 10, 200, 100);
  memo->SetWordWrap(false);
  memo->SetText(std::string(65536, 'x'));
  EXPECT_EQ(MessageOf<EOutOfResources>([&] { memo->Lines()->Strings(0); }), L"Line too long");
}

TEST(Edits, MemoKeys) {
  Host host;
  auto* memo = host.Add<TMemo>(10, 10, 200, 100);
  EXPECT_TRUE(memo->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS);
  EXPECT_FALSE(memo->Perform(WM_GETDLGCODE) & DLGC_WANTTAB);
  memo->SetWantTabs(true);
  memo->SetWantReturns(false);
  EXPECT_TRUE(memo->Perform(WM_GETDLGCODE) & DLGC_WANTTAB);
  EXPECT_FALSE(memo->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS);
  memo->Perform(WM_CHAR, '\r', 0);
  EXPECT_EQ(memo->Text(), "");
}

// ------------------------------------------------------------ up-down

namespace {

struct SpinRig {
  Host host;
  TEdit* edit = host.Add<TEdit>(10, 10, 60, 21);
  TUpDown* spin = host.Add<TUpDown>(70, 10, 16, 21);
  std::vector<TUDBtnType> clicks;

  SpinRig() {
    edit->SetReadOnly(true);
    spin->SetMin(8);
    spin->SetMax(30);
    spin->SetAssociate(edit);
    spin->SetOnClick([this](TObject*, TUDBtnType b) { clicks.push_back(b); });
  }
  void Key(WPARAM key) {
    SendMessageA(edit->Handle(), WM_KEYDOWN, key, 1);
    SendMessageA(edit->Handle(), WM_KEYUP, key, 0xC0000001);
  }
};

}  // namespace

TEST(UpDown, PositionShowsInTheAssociatedEditWithinItsRange) {
  SpinRig rig;
  EXPECT_EQ(rig.spin->Position(), 8);
  EXPECT_EQ(rig.edit->Text(), "8");
  struct Case {
    int32_t set;
    int32_t position;
  } cases[] = {{12, 12}, {100, 30}, {-5, 8}, {30, 30}};
  for (const Case& c : cases) {
    rig.spin->SetPosition(c.set);
    EXPECT_EQ(rig.spin->Position(), c.position) << c.set;
    EXPECT_EQ(rig.edit->Text(), std::to_string(c.position)) << c.set;
  }
  rig.spin->SetMax(20);
  EXPECT_EQ(rig.spin->Position(), 20);
  // The arrows sit at the edit's right edge, and the edit keeps its width.
  EXPECT_EQ(rig.edit->Width(), 60);
  EXPECT_GE(rig.spin->Left(), rig.edit->Left() + rig.edit->Width() - 2);
}

TEST(UpDown, ArrowKeysOnTheEditStepAndAskFirst) {
  SpinRig rig;
  rig.Key(VK_UP);
  rig.Key(VK_UP);
  rig.Key(VK_DOWN);
  EXPECT_EQ(rig.spin->Position(), 9);
  EXPECT_EQ(rig.edit->Text(), "9");
  EXPECT_EQ(rig.clicks, (std::vector<TUDBtnType>{btNext, btNext, btPrev}));

  std::vector<int32_t> asked;
  rig.spin->SetOnChanging([&](TObject*, bool& allow) {
    asked.push_back(rig.spin->NewValue());
    allow = false;
  });
  rig.Key(VK_UP);
  rig.spin->SetPosition(15);
  EXPECT_EQ(rig.spin->Position(), 9);
  EXPECT_EQ(asked, (std::vector<int32_t>{10, 15}));
}

TEST(UpDown, KeepsPositionAcrossRecreateWndAndForgetsADeletedEdit) {
  SpinRig rig;
  rig.spin->SetPosition(20);
  rig.edit->SetText("17");  // the system reads the position back from the text
  rig.spin->RecreateWnd();
  EXPECT_EQ(rig.spin->Position(), 17);
  rig.Key(VK_UP);
  EXPECT_EQ(rig.edit->Text(), "18");

  auto* other = rig.host.Add<TUpDown>(100, 10, 16, 21);
  EXPECT_NE(MessageOf<EComponentError>([&] { other->SetAssociate(rig.edit); }), L"(nothing raised)");
  delete rig.edit;
  EXPECT_EQ(rig.spin->Associate(), nullptr);
  rig.spin->SetPosition(25);
  EXPECT_EQ(rig.spin->Position(), 25);
}
