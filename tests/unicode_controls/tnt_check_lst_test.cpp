#include "unicode_controls/tnt_check_lst.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unicode_test_controls.h"

namespace {

const std::wstring kWide = L"Привет — 日本 ★ ";

std::wstring Item(int Index) { return kWide + std::to_wstring(Index); }

struct ItemCheck {
  TCheckBoxState state;
  bool enabled;
  bool operator==(const ItemCheck&) const = default;
};

}  // namespace

TEST(TntCheckListBox, WideItemsChecksStatesAndEnabledFlagsSurviveANewWindowOrText) {
  const ItemCheck checks[6] = {{cbChecked, true},    {cbGrayed, true},  {cbUnchecked, false},
                               {cbChecked, false},   {cbGrayed, false}, {cbUnchecked, true}};
  struct Case {
    const char* name;
    void (*change)(TTntCheckListBox*);
  } cases[] = {
      {"new window", [](TTntCheckListBox* b) { b->RecreateWnd(); }},
      {"new window for an item height", [](TTntCheckListBox* b) { b->SetItemHeight(20); }},
      {"new window for the parent", [](TTntCheckListBox* b) { b->Parent()->RecreateWnd(); }},
      {"the texts put again", [](TTntCheckListBox* b) {
         for (int32_t i = 0; i < 6; ++i) b->Items()->SetStrings(i, Item(i));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    unicode_test::TTestHost host;
    TObject objects[6];
    auto* box = new TTntCheckListBox(host.Host);
    box->SetParent(host.Host);
    box->SetBounds(320, 4, 90, 150);
    for (int i = 0; i < 6; ++i) box->AddItem(Item(i), i == 2 ? nullptr : &objects[i]);
    for (int32_t i = 0; i < 6; ++i) {
      box->SetState(i, checks[i].state);
      box->SetItemEnabled(i, checks[i].enabled);
    }
    box->SetItemIndex(3);

    c.change(box);
    ASSERT_TRUE(IsWindowUnicode(box->Handle()));
    ASSERT_EQ(box->Items()->Count(), 6);
    for (int32_t i = 0; i < 6; ++i) {
      EXPECT_EQ(box->Items()->Strings(i), Item(i));
      EXPECT_EQ(box->Items()->Objects(i), i == 2 ? nullptr : &objects[i]);
      EXPECT_EQ((ItemCheck{box->State(i), box->ItemEnabled(i)}), checks[i]) << i;
    }
    EXPECT_EQ(box->ItemIndex(), 3);
  }
}

TEST(TntCheckListBox, OwnerDrawingGetsTheRectangleBesideTheBox) {
  unicode_test::TTestHost host;
  auto* box = new TTntCheckListBox(host.Host);
  box->SetParent(host.Host);
  box->SetBounds(320, 4, 90, 150);
  box->SetStyle(lbOwnerDrawFixed);
  box->SetItemHeight(20);
  std::vector<RECT> drawn;
  box->SetOnDrawItem([&](TWinControl*, int32_t, RECT Rect, TOwnerDrawState) { drawn.push_back(Rect); });
  box->AddItem(Item(0), nullptr);
  box->SetChecked(0, true);
  UpdateWindow(box->Handle());
  ASSERT_FALSE(drawn.empty());
  const RECT item = box->ItemRect(0);
  EXPECT_EQ(drawn.back().left, item.left + TTntCheckListBox::CheckWidth());
  EXPECT_EQ(drawn.back().right, item.right);
  EXPECT_EQ(drawn.back().bottom - drawn.back().top, 20);
}
