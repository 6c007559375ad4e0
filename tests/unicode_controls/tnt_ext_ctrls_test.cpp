#include "unicode_controls/tnt_ext_ctrls.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "framework/format.h"
#include "framework/forms.h"
#include "test_forms.h"
#include "test_support.h"
#include "unicode_test_controls.h"
#include "window_picture.h"

using testing_support::PumpMessagesUntil;
using unicode_test::SystemWindowText;

namespace {

const std::wstring kItem = L"\u041F\u0443\u043D\u043A\u0442 \u2605 ";  // "Пункт ★ "

// A radio group whose owner can lock the selection against the user.
class TLockableRadioGroup : public TTntRadioGroup {
 public:
  using TTntRadioGroup::TTntRadioGroup;
  bool CanModify() override { return !Locked; }
  bool Locked = false;
};

class TntRadioGroups : public testing_support::FormTest {
 protected:
  void SetUp() override {
    NewForm(420, 300);
    group = new TLockableRadioGroup(form);
    group->SetParent(form);
    group->SetBounds(10, 10, 200, 120);
    group->SetCaption(L"\u0413\u0440\u0443\u043F\u043F\u0430");  // "Группа"
    group->SetOnClick([this](TObject*) { clicks.push_back(group->ItemIndex()); });
    ShowForm();
  }
  void SetItems(int Count) {
    group->Items()->Clear();
    for (int i = 0; i < Count; ++i) group->Items()->Add(kItem + std::to_wstring(i));
  }
  int TextHeight() {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, group->Font()->Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
  }
  std::vector<bool> Checks() {
    std::vector<bool> checks;
    for (int32_t i = 0; i < group->ButtonCount(); ++i)
      checks.push_back(group->Buttons(i)->Checked());
    return checks;
  }

  TLockableRadioGroup* group = nullptr;
  std::vector<int32_t> clicks;
};

TEST_F(TntRadioGroups, ButtonsFillColumnsTopToBottomInEqualCells) {
  const int th = TextHeight();
  using Box = std::array<int, 4>;  // left, top below the text height, width, height
  struct {
    int items, columns, width, height;
    std::vector<Box> boxes;
  } cases[] = {
      // clang-format off
      // Space 60: two rows of 30, no spare pixel.
      {3, 2, 200, th + 5 + 60, {{8, 1, 95, 30}, {8, 31, 95, 30}, {103, 1, 95, 30}}},
      // Space 62 over three rows: 20 each, the 2 spare pixels split above.
      {5, 2, 210, th + 5 + 62, {{8, 2, 100, 20}, {8, 22, 100, 20}, {8, 42, 100, 20},
                                {108, 2, 100, 20}, {108, 22, 100, 20}}},
      {2, 1, 150, th + 5 + 41, {{8, 1, 140, 20}, {8, 21, 140, 20}}},
      // clang-format on
  };
  for (const auto& c : cases) {
    group->SetColumns(c.columns);
    group->SetBounds(10, 10, c.width, c.height);
    SetItems(c.items);
    ASSERT_EQ(group->ButtonCount(), c.items);
    for (int i = 0; i < c.items; ++i) {
      TTntGroupButton* b = group->Buttons(i);
      EXPECT_EQ((Box{b->Left(), b->Top() - th, b->Width(), b->Height()}),
                c.boxes[static_cast<size_t>(i)])
          << c.items << " in " << c.columns << ", button " << i;
      EXPECT_TRUE(IsWindowVisible(b->Handle()));
      EXPECT_EQ(SystemWindowText(b->Handle()), kItem + std::to_wstring(i));
    }
  }
  for (auto [set, got] : {std::pair{0, 1}, {17, 16}, {5, 5}, {-3, 1}}) {
    group->SetColumns(set);
    EXPECT_EQ(group->Columns(), got) << set;
  }
}

TEST_F(TntRadioGroups, ItemIndexFollowsTheItemsAndTheUser) {
  SetItems(3);
  group->SetItemIndex(7);
  EXPECT_EQ(group->ItemIndex(), 2);
  EXPECT_EQ(Checks(), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(clicks, std::vector<int32_t>{2});  // set by program: OnClick too
  group->Items()->Delete(2);
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_EQ(Checks(), (std::vector<bool>{false, true}));
  SendMessageW(group->Buttons(0)->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(group->ItemIndex(), 0);
  EXPECT_EQ(Checks(), (std::vector<bool>{true, false}));
  EXPECT_EQ(clicks, (std::vector<int32_t>{2, 0}));
  group->SetItemIndex(-5);
  EXPECT_EQ(group->ItemIndex(), -1);
  EXPECT_EQ(Checks(), (std::vector<bool>{false, false}));
  group->SetItemIndex(1);
  group->Items()->Clear();
  EXPECT_EQ(group->ItemIndex(), -1);
  EXPECT_EQ(group->ButtonCount(), 0);

  // As a form reader sets them: the index first, the items after.
  clicks.clear();
  group->BeginReading();
  group->SetItemIndex(1);
  SetItems(3);
  EXPECT_EQ(group->ButtonCount(), 0);
  group->EndReading();
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_EQ(Checks(), (std::vector<bool>{false, true, false}));
  EXPECT_TRUE(clicks.empty());
}

TEST_F(TntRadioGroups, ALockedGroupIgnoresClicksAndSpace) {
  SetItems(3);
  group->SetItemIndex(0);
  std::string keys;
  group->SetOnKeyPress([&](TObject*, char& key) { keys += key; });
  auto space = [](TWinControl* button) {
    HWND wnd = button->Handle();
    SendMessageW(wnd, WM_KEYDOWN, VK_SPACE, 0x00390001);
    SendMessageW(wnd, WM_CHAR, ' ', 0x00390001);
    SendMessageW(wnd, WM_KEYUP, VK_SPACE, 0xC0390001);
  };
  for (bool locked : {true, false}) {
    group->Locked = locked;
    group->SetItemIndex(0);
    SendMessageW(group->Buttons(1)->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(group->ItemIndex(), locked ? 0 : 1) << locked;
    space(group->Buttons(2));
    EXPECT_EQ(group->ItemIndex(), locked ? 0 : 2) << locked;
    EXPECT_EQ(Checks(), (std::vector<bool>{locked, false, !locked})) << locked;
  }
  EXPECT_EQ(keys, "  ");  // the group hears its buttons' keys
}

TEST_F(TntRadioGroups, WideItemsSurviveNewWindowsAndFollowEnabled) {
  SetItems(2);
  group->SetItemIndex(1);
  form->Perform(CM_RECREATEWND);
  for (int32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(SystemWindowText(group->Buttons(i)->Handle()), kItem + std::to_wstring(i));
  }
  EXPECT_EQ(SystemWindowText(group->Handle()), L"\u0413\u0440\u0443\u043F\u043F\u0430");
  EXPECT_EQ(SendMessageW(group->Buttons(1)->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  group->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(group->Buttons(0)->Handle()));
  group->SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(group->Buttons(1)->Handle()));
}

TEST(TntButtonsGallery, AFormWithButtonsChecksRadiosGroupsAndPanels) {
  auto* form = testing_support::NewPictureForm("Tavrin - buttons", 470, 330);
  auto place = [](auto* control, int x, int y, int w, int h, const std::wstring& caption) {
    control->SetParent(static_cast<TWinControl*>(control->Owner()));
    control->SetBounds(x, y, w, h);
    control->SetCaption(caption);
    return control;
  };
  auto* ok = place(new TTntButton(form), 12, 12, 90, 25, L"&OK");
  ok->SetDefault(true);
  place(new TTntButton(form), 110, 12, 90, 25,
        L"\u041E\u0442\u043C\u0435\u043D\u0430");  // "Отмена"
  place(new TTntButton(form), 208, 12, 90, 25, L"Disabled")->SetEnabled(false);
  place(new TTntCheckBox(form), 12, 48, 140, 20, L"&Checked \u2605")->SetChecked(true);
  auto* grayed = place(new TTntCheckBox(form), 12, 70, 140, 20, L"Grayed \u00E9t\u00E9");
  grayed->SetAllowGrayed(true);
  grayed->SetState(cbGrayed);
  place(new TTntCheckBox(form), 12, 92, 140, 20, L"Disabled")->SetEnabled(false);
  place(new TTntRadioButton(form), 160, 48, 140, 20, L"\u0420\u0430\u0434\u0438\u043E 1")
      ->SetChecked(true);
  place(new TTntRadioButton(form), 160, 70, 140, 20, L"\u0420\u0430\u0434\u0438\u043E 2");
  auto* group = place(new TTntGroupBox(form), 308, 8, 145, 104,
                      L"\u0413\u0440\u0443\u043F\u043F\u0430 \u2014 \u00DC");
  place(new TTntCheckBox(group), 10, 24, 120, 20, L"Inside");
  auto* raised = place(new TTntPanel(form), 12, 124, 210, 36, L"Raised panel");
  auto* lowered = place(new TTntPanel(form), 232, 124, 221, 36,
                        L"\u041F\u0430\u043D\u0435\u043B\u044C \u2014 lowered");
  lowered->SetBevelOuter(bvLowered);
  auto* radios = place(new TTntRadioGroup(form), 12, 170, 441, 120, L"Radio group");
  radios->SetColumns(2);
  for (const wchar_t* item :
       {L"First", L"\u0412\u0442\u043E\u0440\u043E\u0439", L"Third \u2605", L"Fourth", L"Fifth"}) {
    radios->Items()->Add(item);
  }
  radios->SetItemIndex(2);
  testing_support::ShowPainted(form);

  testing_support::Picture picture;
  ASSERT_TRUE(testing_support::TakeWindowPicture(form->Handle(), L"buttons_form.png", picture));
  // Text where the captions are: dark pixels inside each control.
  RECT frame{};
  GetWindowRect(form->Handle(), &frame);
  for (TWinControl* c : std::vector<TWinControl*>{ok, group, raised, lowered, radios->Buttons(4)}) {
    RECT r{};
    GetWindowRect(c->Handle(), &r);
    int dark = 0;
    for (int y = r.top - frame.top + 2; y < r.bottom - frame.top - 2; ++y) {
      for (int x = r.left - frame.left + 2; x < r.right - frame.left - 2; ++x) {
        const COLORREF p = picture.Pixel(x, y);
        if (GetRValue(p) < 96 && GetGValue(p) < 96 && GetBValue(p) < 96) ++dark;
      }
    }
    EXPECT_GT(dark, 20) << WideToAnsi(WideGetWindowText(c));
  }
  form->Hide();
  delete form;
}

}  // namespace
