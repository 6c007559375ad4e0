#include "framework/button_controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/forms.h"
#include "framework/panels.h"
#include "framework/timer.h"
#include "memory_bitmap.h"
#include "test_forms.h"
#include "test_support.h"

using testing_support::AddControl;
using testing_support::PumpMessagesUntil;

namespace {

LRESULT CheckOf(TWinControl* Control) { return SendMessageW(Control->Handle(), BM_GETCHECK, 0, 0); }

class ButtonControls : public testing_support::FormTest {
 protected:
  void SetUp() override { NewForm(360, 300)->SetColor(clBtnFace); }
};

TEST_F(ButtonControls, ACheckedRadioButtonUnchecksItsSiblingsOnly) {
  TRadioButton* r[3];
  std::string clicks;
  for (int i = 0; i < 3; ++i) {
    r[i] = AddControl<TRadioButton>(form, "Radio", 10 + 30 * i);
    r[i]->SetOnClick([&clicks, i](TObject*) { clicks += static_cast<char>('0' + i); });
  }
  auto* group = AddControl<TGroupBox>(form, "Group", 110, 200);
  group->SetHeight(60);
  auto* other = AddControl<TRadioButton>(group, "Elsewhere", 20);
  other->SetChecked(true);
  ShowForm();

  r[0]->SetChecked(true);
  r[1]->SetChecked(true);
  SendMessageW(r[2]->Handle(), BM_CLICK, 0, 0);  // the user's click: BN_CLICKED
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(r[i]->Checked(), i == 2) << i;
    EXPECT_EQ(CheckOf(r[i]), i == 2 ? BST_CHECKED : BST_UNCHECKED) << i;
    EXPECT_EQ(r[i]->TabStop(), i == 2) << i;
  }
  EXPECT_EQ(CheckOf(other), BST_CHECKED);
  EXPECT_EQ(clicks, "012");

  int doubleClicks = 0;
  r[2]->SetOnDblClick([&](TObject*) { ++doubleClicks; });
  SendMessageW(form->Handle(), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(r[2]->Handle()), BN_DOUBLECLICKED),
               reinterpret_cast<LPARAM>(r[2]->Handle()));
  EXPECT_EQ(doubleClicks, 1);
}

TEST_F(ButtonControls, ACheckBoxClickTogglesAndOnClickRunsOnEveryChange) {
  auto* box = AddControl<TCheckBox>(form, "Box", 10);
  int clicks = 0;
  box->SetOnClick([&](TObject*) { ++clicks; });
  ShowForm();
  struct {
    bool allowGrayed;
    TCheckBoxState from, to;
  } cases[] = {{false, cbUnchecked, cbChecked},
               {true, cbUnchecked, cbGrayed},
               {true, cbGrayed, cbChecked},
               {false, cbChecked, cbUnchecked}};
  for (const auto& c : cases) {
    box->SetAllowGrayed(c.allowGrayed);
    box->SetClicksDisabled(true);
    box->SetState(c.from);
    box->SetClicksDisabled(false);
    clicks = 0;
    SendMessageW(box->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(box->State(), c.to) << c.from;
    EXPECT_EQ(CheckOf(box), c.to) << c.from;
    EXPECT_EQ(clicks, 1) << c.from;
  }
  clicks = 0;
  box->SetChecked(box->Checked());
  EXPECT_EQ(clicks, 0);
  box->SetChecked(!box->Checked());
  EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonControls, DefaultAndCancelButtonsAnswerEnterAndEscOnTheirForm) {
  auto* box = AddControl<TCheckBox>(form, "Box", 10);
  auto* ok = AddControl<TButton>(form, "OK", 40);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = AddControl<TButton>(form, "Cancel", 70);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  auto* other = AddControl<TButton>(form, "Other", 100);
  other->SetModalResult(mrRetry);
  // Enter and Esc inside a panel reach the buttons too.
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(150, 10, 150, 100);
  auto* inner = AddControl<TCheckBox>(panel, "Inner", 10);
  std::vector<std::string> clicked;
  for (TButton* b : {ok, cancel, other}) {
    b->SetOnClick([&clicked, b](TObject*) { clicked.push_back(b->Caption()); });
  }
  ShowForm();

  auto isDefault = [](TButton* b) {
    return (GetWindowLongPtrW(b->Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  };
  struct {
    TWinControl* focus;
    WPARAM key;
    const char* clicked;
    TModalResult result;
  } cases[] = {{box, VK_RETURN, "OK", mrOk},         {box, VK_ESCAPE, "Cancel", mrCancel},
               {other, VK_RETURN, "Other", mrRetry}, {other, VK_ESCAPE, "Cancel", mrCancel},
               {inner, VK_RETURN, "OK", mrOk},       {box, 'A', nullptr, mrNone}};
  for (const auto& c : cases) {
    c.focus->SetFocus();
    Application()->ProcessMessages();
    EXPECT_EQ(isDefault(ok), c.focus != other) << c.focus->Caption();
    EXPECT_EQ(isDefault(other), c.focus == other) << c.focus->Caption();
    clicked.clear();
    form->SetModalResult(mrNone);
    PostMessageA(c.focus->Handle(), WM_KEYDOWN, c.key, 1);
    Application()->ProcessMessages();
    EXPECT_EQ(clicked, c.clicked ? std::vector<std::string>{c.clicked} : std::vector<std::string>{})
        << c.focus->Caption() << " " << c.key;
    EXPECT_EQ(form->ModalResult(), c.result) << c.focus->Caption() << " " << c.key;
  }
  ok->SetDefault(false);
  EXPECT_FALSE(isDefault(ok));
}

TEST_F(ButtonControls, EnterOnAModalFormEndsItWithTheDefaultButtonsResult) {
  auto* box = AddControl<TCheckBox>(form, "Box", 10);
  auto* ok = AddControl<TButton>(form, "OK", 40);
  ok->SetDefault(true);
  ok->SetModalResult(mrYes);
  TTimer timer(nullptr);
  timer.SetInterval(30);
  timer.SetOnTimer([&](TObject*) {
    timer.SetEnabled(false);
    box->SetFocus();
    PostMessageA(box->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  });
  EXPECT_EQ(form->ShowModal(), mrYes);
}

TEST_F(ButtonControls, AGroupBoxDrawsItsFrameAndCaptionAndKeepsChildrenInside) {
  auto* group = AddControl<TGroupBox>(form, "Caption", 10, 200);
  group->SetHeight(100);
  auto* child = new TCheckBox(group);
  child->SetParent(group);
  child->SetAlign(alClient);
  ShowForm();
  testing_support::MemoryCanvas m(200, 100, clBtnFace);
  group->Perform(WM_PAINT, reinterpret_cast<WPARAM>(m.DC()), 0);
  SIZE zero{}, caption{};
  {
    HGDIOBJ old = SelectObject(m.DC(), group->Font()->Handle());
    GetTextExtentPoint32A(m.DC(), "0", 1, &zero);
    GetTextExtentPoint32A(m.DC(), "Caption", 7, &caption);
    SelectObject(m.DC(), old);
  }
  const int line = static_cast<int>(zero.cy) / 2 - 1;
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
  // A dark frame with a light one right and below it; the caption, on the
  // group's colour, covers the top line from x = 8.
  struct {
    int x, y;
    COLORREF colour;
  } pixels[] = {
      {4, line, shadow}, {4, line + 1, light}, {0, 60, shadow},   {1, 60, light},
      {198, 60, shadow}, {199, 60, light},     {7, line, shadow}, {8 + caption.cx, line, shadow}};
  for (const auto& p : pixels) EXPECT_EQ(m.Pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
  EXPECT_EQ(m.Count(RECT{8, line, 8 + caption.cx, line + 1}, shadow), 0);
  auto ink = m.InkSpan(0, line, GetSysColor(COLOR_BTNFACE));
  EXPECT_GE(ink.first, 8);
  EXPECT_LE(ink.second, 8 + caption.cx);
  EXPECT_EQ(child->BoundsRect().left, 1);
  EXPECT_EQ(child->BoundsRect().top, 1 + zero.cy);
  EXPECT_EQ(child->BoundsRect().bottom, 99);
}

}  // namespace
