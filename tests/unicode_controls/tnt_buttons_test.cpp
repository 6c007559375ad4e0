#include "unicode_controls/tnt_buttons.h"

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

#include "framework/forms.h"
#include "test_forms.h"
#include "test_support.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "unicode_test_controls.h"

using testing_support::AddControl;
using testing_support::PumpMessagesUntil;
using unicode_test::SystemWindowText;

namespace {

const std::wstring kWide =
    L"\u041F\u0440\u0438\u0432\u0435\u0442 \u2014 \u65E5\u672C";  // "Привет — 日本"

// Wide enough for the wide captions.
constexpr int kWidth = 160;

LRESULT CheckOf(TWinControl* Control) { return SendMessageW(Control->Handle(), BM_GETCHECK, 0, 0); }

class TntButtons : public testing_support::FormTest {
 protected:
  void SetUp() override { NewForm(400, 320); }
};

TEST_F(TntButtons, WideCaptionsAndChecksSurviveNewWindows) {
  auto* button = AddControl<TTntButton>(form, L"", 10, kWidth);
  auto* box = AddControl<TTntCheckBox>(form, L"", 40, kWidth);
  box->SetAllowGrayed(true);
  box->SetState(cbGrayed);
  auto* radio = AddControl<TTntRadioButton>(form, L"", 70, kWidth);
  radio->SetChecked(true);
  auto* group = AddControl<TTntGroupBox>(form, L"", 100, kWidth);
  auto* panel = AddControl<TTntPanel>(form, L"", 130, kWidth);
  std::vector<TWinControl*> controls{button, box, radio, group, panel};
  ShowForm();
  for (size_t i = 0; i < controls.size(); ++i) {
    WideSetWindowText(controls[i], kWide + std::to_wstring(i));
  }
  // Each window alone (the box's through its text side), then all of them
  // with their parent's.
  for (TWinControl* c : controls) c->Perform(CM_RECREATEWND);
  box->SetAlignment(taLeftJustify);
  EXPECT_NE(GetWindowLongPtrW(box->Handle(), GWL_STYLE) & BS_LEFTTEXT, 0);
  form->Perform(CM_RECREATEWND);
  for (size_t i = 0; i < controls.size(); ++i) {
    EXPECT_EQ(SystemWindowText(controls[i]->Handle()), kWide + std::to_wstring(i)) << i;
    EXPECT_EQ(WideGetWindowText(controls[i]), kWide + std::to_wstring(i)) << i;
  }
  EXPECT_EQ(button->Caption(), kWide + L"0");
  EXPECT_EQ(CheckOf(box), BST_INDETERMINATE);
  EXPECT_EQ(CheckOf(radio), BST_CHECKED);
}

TEST_F(TntButtons, WideHotKeysClickFocusToggleAndSelect) {
  auto* button = AddControl<TTntButton>(form, L"&\u0416\u043C\u0438", 10, kWidth);       // "&Жми"
  auto* box = AddControl<TTntCheckBox>(form, L"&\u0401\u043B\u043A\u0430", 40, kWidth);  // "&Ёлка"
  auto* radio = AddControl<TTntRadioButton>(form, L"&\u042E\u0433", 70, kWidth);         // "&Юг"
  auto* group = AddControl<TTntGroupBox>(form, L"Gr&oup \u65E5\u672C", 100, 200);
  group->SetHeight(80);
  auto* first = AddControl<TTntCheckBox>(group, L"First", 20, kWidth);
  auto* ansi = new TButton(form);  // the framework's own: its ANSI hot key
  ansi->SetParent(form);
  ansi->SetBounds(200, 10, 80, 24);
  ansi->SetCaption("&Go");
  int clicks = 0;
  button->SetOnClick([&](TObject*) { ++clicks; });
  ansi->SetOnClick([&](TObject*) { clicks += 10; });
  ShowForm();
  auto packed = [](wchar_t ch) {
    return static_cast<WPARAM>(255 | (static_cast<unsigned>(ch) << 16));
  };
  struct {
    const char* what;
    WPARAM ch;
    TWinControl* focused;
  } cases[] = {
      {"button, lower case", L'\u0436', nullptr}, {"check box, packed", packed(L'\u0451'), box},
      {"radio button", L'\u042E', radio},         {"group box, ANSI", 'O', first},
      {"framework button", 'g', nullptr},         {"no hot key", L'\u044F', nullptr},
  };
  for (const auto& c : cases) {
    LRESULT handled = form->Perform(CM_DIALOGCHAR, c.ch, 0);
    Application()->ProcessMessages();
    EXPECT_EQ(handled != 0, c.ch != L'\u044F') << c.what;
    if (c.focused) {
      EXPECT_EQ(form->ActiveControl(), c.focused) << c.what;
      EXPECT_TRUE(c.focused->Focused()) << c.what;
    }
  }
  EXPECT_EQ(clicks, 11);
  EXPECT_EQ(box->State(), cbChecked);
  EXPECT_EQ(first->State(), cbUnchecked);
}

TEST_F(TntButtons, ButtonControlsTakeTheWideActionTextsAndChecked) {
  auto* button = AddControl<TTntButton>(form, L"", 10, kWidth);
  auto* box = AddControl<TTntCheckBox>(form, L"", 40, kWidth);
  TTntAction action(nullptr);
  action.SetCaption(kWide);
  action.SetChecked(true);
  int runs = 0;
  action.SetOnExecute([&](TObject*) { ++runs; });
  button->SetAction(&action);
  box->SetAction(&action);
  ShowForm();
  EXPECT_EQ(typeid(*button->ActionLink()), typeid(TTntButtonActionLink));
  EXPECT_EQ(typeid(*box->ActionLink()), typeid(TTntButtonActionLink));
  EXPECT_EQ(button->Caption(), kWide);
  EXPECT_EQ(SystemWindowText(box->Handle()), kWide);
  EXPECT_TRUE(box->Checked());
  action.SetCaption(L"\u2605 " + kWide);
  action.SetChecked(false);
  EXPECT_EQ(SystemWindowText(button->Handle()), L"\u2605 " + kWide);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(runs, 0);
  SendMessageW(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(runs, 1);
  button->SetAction(nullptr);
  box->SetAction(nullptr);
}

}  // namespace
