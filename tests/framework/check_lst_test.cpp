#include "framework/check_lst.h"

#include <gtest/gtest.h>

#include <string>

#include "test_forms.h"

namespace {

// A check list box of five items, item i carrying objects[i].
struct CheckListHost : testing_support::TestHost {
  CheckListHost() : TestHost(300, 200), box(Add<TCheckListBox>(10, 10, 200, 150)) {
    for (int i = 0; i < 5; ++i) box->Items()->AddObject("item " + std::to_string(i), &objects[i]);
  }
  TObject objects[5];
  TCheckListBox* box;
};

struct ItemCheck {
  TCheckBoxState state;
  bool enabled;
  bool operator==(const ItemCheck&) const = default;
};

const ItemCheck kChecks[5] = {
    {cbChecked, true}, {cbGrayed, true}, {cbUnchecked, false}, {cbChecked, false}, {cbUnchecked, true}};

ItemCheck CheckOf(TCheckListBox* Box, int32_t Index) { return {Box->State(Index), Box->ItemEnabled(Index)}; }

}  // namespace

TEST(CheckListBox, ChecksStatesAndEnabledFlagsStayWithTheirItems) {
  struct Case {
    const char* name;
    void (*change)(TCheckListBox*);
    int order[5];  // original numbers of the items afterwards
  } cases[] = {
      {"new window", [](TCheckListBox* b) { b->RecreateWnd(); }, {0, 1, 2, 3, 4}},
      {"new window for a style", [](TCheckListBox* b) { b->SetStyle(lbOwnerDrawFixed); }, {0, 1, 2, 3, 4}},
      {"new window for an item height", [](TCheckListBox* b) { b->SetItemHeight(20); }, {0, 1, 2, 3, 4}},
      {"exchange", [](TCheckListBox* b) { b->Items()->Exchange(0, 2); }, {2, 1, 0, 3, 4}},
      {"move", [](TCheckListBox* b) { static_cast<TListBoxStrings*>(b->Items())->Move(4, 1); }, {0, 4, 1, 2, 3}},
      {"delete", [](TCheckListBox* b) { b->Items()->Delete(1); }, {0, 2, 3, 4, -1}},
      {"clear", [](TCheckListBox* b) { b->Items()->Clear(); }, {-1, -1, -1, -1, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CheckListHost host;
    TCheckListBox* box = host.box;
    for (int32_t i = 0; i < 5; ++i) {
      box->SetState(i, kChecks[i].state);
      box->SetItemEnabled(i, kChecks[i].enabled);
    }
    c.change(box);
    for (int32_t i = 0; i < box->Items()->Count(); ++i) {
      const int was = c.order[i];
      EXPECT_EQ(box->Items()->Strings(i), "item " + std::to_string(was)) << i;
      EXPECT_EQ(box->Items()->Objects(i), &host.objects[was]) << i;
      EXPECT_EQ(CheckOf(box, i), kChecks[was]) << i;
    }
    // No record is left over for an item that comes later.
    box->Items()->AddObject("new", &host.objects[0]);
    EXPECT_EQ(CheckOf(box, box->Items()->Count() - 1), (ItemCheck{cbUnchecked, true}));
  }
}

TEST(CheckListBox, AnItemGivenANewTextKeepsItsCheckObjectAndSelection) {
  CheckListHost host;
  TCheckListBox* box = host.box;
  for (int32_t i = 0; i < 5; ++i) {
    box->SetState(i, kChecks[i].state);
    box->SetItemEnabled(i, kChecks[i].enabled);
  }
  box->SetItemIndex(3);
  for (int32_t i : {0, 1, 3}) box->Items()->SetStrings(i, "new " + std::to_string(i));
  for (int32_t i = 0; i < 5; ++i) {
    const bool renamed = i != 2 && i != 4;
    EXPECT_EQ(box->Items()->Strings(i), (renamed ? "new " : "item ") + std::to_string(i));
    EXPECT_EQ(box->Items()->Objects(i), &host.objects[i]) << i;
    EXPECT_EQ(CheckOf(box, i), kChecks[i]) << i;
  }
  EXPECT_EQ(box->ItemIndex(), 3);
  EXPECT_FALSE(box->Moving());
}

TEST(CheckListBox, AClickOnTheBoxOrSpaceTogglesAnEnabledItemAndTellsOnClickCheck) {
  enum How { BoxClick, TextClick, BoxDoubleClick, Space };
  struct Case {
    const char* name;
    How how;
    bool enabled;
    bool allowGrayed;
    TCheckBoxState before, after;
    int clickChecks;
  } cases[] = {
      {"click on the box", BoxClick, true, false, cbUnchecked, cbChecked, 1},
      {"click on a checked box", BoxClick, true, false, cbChecked, cbUnchecked, 1},
      {"grayed comes between", BoxClick, true, true, cbUnchecked, cbGrayed, 1},
      {"grayed goes to checked", BoxClick, true, true, cbGrayed, cbChecked, 1},
      {"a quick second click toggles again", BoxDoubleClick, true, true, cbUnchecked, cbChecked, 2},
      {"click on the text", TextClick, true, false, cbUnchecked, cbUnchecked, 0},
      {"click on a disabled item", BoxClick, false, false, cbUnchecked, cbUnchecked, 0},
      {"space", Space, true, false, cbUnchecked, cbChecked, 1},
      {"space on a disabled item", Space, false, false, cbChecked, cbChecked, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CheckListHost host;
    TCheckListBox* box = host.box;
    box->SetAllowGrayed(c.allowGrayed);
    box->SetState(2, c.before);
    box->SetItemEnabled(2, c.enabled);
    int clickChecks = 0;
    box->SetOnClickCheck([&](TObject* Sender) {
      EXPECT_EQ(Sender, box);
      ++clickChecks;
    });
    const RECT item = box->ItemRect(2);
    const int x = c.how == TextClick ? item.left + TCheckListBox::CheckWidth() + 10 : item.left + 4;
    const LPARAM at = MAKELPARAM(x, (item.top + item.bottom) / 2);
    HWND wnd = box->Handle();
    if (c.how == Space) {
      box->SetItemIndex(2);
      SendMessageA(wnd, WM_CHAR, ' ', 0x00390001);
    } else {
      SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
      SendMessageA(wnd, WM_LBUTTONUP, 0, at);
      if (c.how == BoxDoubleClick) {
        SendMessageA(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageA(wnd, WM_LBUTTONUP, 0, at);
      }
      EXPECT_EQ(box->ItemIndex(), 2);
    }
    EXPECT_EQ(box->State(2), c.after);
    EXPECT_EQ(clickChecks, c.clickChecks);
  }
}
