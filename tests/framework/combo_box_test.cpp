#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "framework/combo_box.h"
#include "test_forms.h"
#include "test_support.h"

namespace {

class TProbeCombo : public TComboBox {
 public:
  using TComboBox::TComboBox;

  std::vector<HWND> HandlesAfterDestroyWnd;
  std::string Events;  // one letter per event, in order
  std::vector<std::pair<int32_t, TOwnerDrawState>> Drawn;

 protected:
  void DestroyWnd() override {
    TComboBox::DestroyWnd();
    HandlesAfterDestroyWnd.push_back(WindowHandle());
  }
};

// Combo boxes on a panel in a shown top-level window that is never activated.
class ComboHost : public testing_support::TestHost {
 public:
  ComboHost() : TestHost(360, 260), Panel(Parent) {}

  TProbeCombo* Combo(TComboBoxStyle Style, std::initializer_list<const char*> Items) {
    auto* combo = new TProbeCombo(Panel);
    combo->SetParent(Panel);
    combo->SetBounds(10, 10 + 40 * (Panel->ControlCount() % 6), 200, Style == csSimple ? 90 : 24);
    combo->SetStyle(Style);
    for (const char* item : Items) combo->Items()->Add(item);
    std::string& events = combo->Events;
    combo->SetOnChange([&events](TObject*) { events += 'c'; });
    combo->SetOnClick([&events](TObject*) { events += 'k'; });
    combo->SetOnDblClick([&events](TObject*) { events += 'b'; });
    combo->SetOnDropDown([&events](TObject*) { events += 'd'; });
    combo->SetOnCloseUp([&events](TObject*) { events += 'u'; });
    combo->SetOnDrawItem([combo](TWinControl*, int32_t Index, RECT, TOwnerDrawState State) {
      combo->Drawn.emplace_back(Index, State);
    });
    return combo;
  }

  testing_support::TestParent* Panel;
};

std::vector<std::string> ItemsOf(TCustomComboBox* Combo) {
  std::vector<std::string> items;
  for (int32_t i = 0; i < Combo->Items()->Count(); ++i) items.push_back(Combo->Items()->Strings(i));
  return items;
}

}  // namespace

TEST(ComboBox, KeepsItemsObjectsSelectionAndTextAcrossRecreation) {
  ComboHost host;
  TObject marker;
  const struct {
    TComboBoxStyle Style;
    const char* Text;  // nullptr: the selected item
  } cases[] = {{csDropDown, "typed"}, {csSimple, "typed"}, {csDropDownList, nullptr},
               {csOwnerDrawVariable, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Style));
    TProbeCombo* combo = host.Combo(c.Style, {"pear", "apple"});
    combo->AddItem("fig", &marker);
    combo->SetItemIndex(2);
    if (c.Text) combo->SetText(c.Text);

    combo->RecreateWnd();
    EXPECT_EQ(ItemsOf(combo), (std::vector<std::string>{"pear", "apple", "fig"}));
    EXPECT_EQ(combo->Items()->Objects(2), &marker);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), c.Text ? c.Text : "fig");

    // Sorting makes the window anew: the items are sorted with their objects.
    combo->SetSorted(true);
    EXPECT_EQ(ItemsOf(combo), (std::vector<std::string>{"apple", "fig", "pear"}));
    EXPECT_EQ(combo->Items()->Objects(1), &marker);
    EXPECT_EQ(combo->Text(), c.Text ? c.Text : "fig");
  }
}

TEST(ComboBox, ParentNotificationsBecomeEvents) {
  ComboHost host;
  const struct {
    WORD Code;
    const char* Events;
  } cases[] = {{CBN_SELCHANGE, "kc"}, {CBN_EDITCHANGE, "c"}, {CBN_DROPDOWN, "d"},
               {CBN_CLOSEUP, "u"},    {CBN_DBLCLK, "b"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Code);
    TProbeCombo* combo = host.Combo(csDropDown, {"one", "two"});
    combo->SetText("other");
    SendMessageA(combo->ListHandle(), LB_SETCURSEL, 1, 0);
    HWND wnd = combo->Handle();
    SendMessageA(GetParent(wnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(wnd), c.Code),
                 reinterpret_cast<LPARAM>(wnd));
    EXPECT_EQ(combo->Events, c.Events);
    EXPECT_EQ(combo->Text(), c.Code == CBN_SELCHANGE ? "two" : "other");
    delete combo;
  }
}

TEST(ComboBox, TypedKeysReachTheKeyEventsAndCompleteFromTheItems) {
  ComboHost host;
  TProbeCombo* edit = host.Combo(csDropDown, {"Hello", "help me"});
  uint16_t lastKeyDown = 0;
  edit->SetOnKeyDown([&](TObject*, uint16_t& Key, TShiftState) { lastKeyDown = Key; });
  SendMessageA(edit->EditHandle(), WM_KEYDOWN, VK_F2, 0);
  EXPECT_EQ(lastKeyDown, VK_F2);
  std::string keys;
  edit->SetOnKeyPress([&keys](TObject*, char& Key) {
    keys += Key;
    if (Key == 'x') Key = 0;
  });
  for (char key : std::string("xhe")) SendMessageA(edit->EditHandle(), WM_CHAR, static_cast<uint8_t>(key), 0);
  EXPECT_EQ(keys, "xhe");  // 'x' swallowed by OnKeyPress, the rest completed
  EXPECT_EQ(edit->Text(), "hello");
  EXPECT_EQ(edit->SelStart(), 2);
  EXPECT_EQ(edit->SelLength(), 3);
  EXPECT_EQ(edit->SelText(), "llo");
  edit->SetSelText("p!");
  EXPECT_EQ(edit->Text(), "hep!");

  TProbeCombo* list = host.Combo(csDropDownList, {"apple", "abacus", "banana"});
  uint32_t clock = 5000;
  list->SetTickSource([&clock] { return clock; });
  for (char key : std::string("ab")) SendMessageA(list->Handle(), WM_CHAR, static_cast<uint8_t>(key), 0);
  EXPECT_EQ(list->ItemIndex(), 1);
  clock += kComboSearchPauseMs;  // a new search: "a", not "aba"
  SendMessageA(list->Handle(), WM_CHAR, 'a', 0);
  EXPECT_EQ(list->ItemIndex(), 0);
}

TEST(ComboBox, OwnerDrawnItemsAreMeasuredAndDrawnByTheEvents) {
  ComboHost host;
  TProbeCombo* fixed = host.Combo(csOwnerDrawFixed, {"one", "two"});
  fixed->SetItemHeight(22);
  EXPECT_EQ(SendMessageA(fixed->Handle(), CB_GETITEMHEIGHT, 0, 0), 22);
  fixed->SetItemIndex(1);
  fixed->Drawn.clear();
  RedrawWindow(fixed->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ASSERT_FALSE(fixed->Drawn.empty());
  EXPECT_EQ(fixed->Drawn.back().first, 1);
  EXPECT_TRUE(fixed->Drawn.back().second & odComboBoxEdit);

  TProbeCombo* variable = host.Combo(csOwnerDrawVariable, {});
  variable->SetOnMeasureItem([](TWinControl*, int32_t Index, int& Height) { Height = 10 + 5 * Index; });
  variable->Items()->Add("one");
  variable->Items()->Add("two");
  EXPECT_EQ(SendMessageA(variable->Handle(), CB_GETITEMHEIGHT, 0, 0), 10);
  EXPECT_EQ(SendMessageA(variable->Handle(), CB_GETITEMHEIGHT, 1, 0), 15);
}

TEST(ComboBox, ListControlOperations) {
  ComboHost host;
  TProbeCombo* source = host.Combo(csDropDownList, {"one", "two"});
  TProbeCombo* target = host.Combo(csDropDown, {});
  TObject marker;
  source->Items()->SetObjects(1, &marker);
  source->CopySelection(target);  // nothing selected
  source->SetItemIndex(1);
  source->CopySelection(target);
  EXPECT_EQ(ItemsOf(target), std::vector<std::string>{"two"});
  EXPECT_EQ(target->Items()->Objects(0), &marker);
  source->DeleteSelected();
  EXPECT_EQ(ItemsOf(source), std::vector<std::string>{"one"});
  target->SetText("kept?");
  target->Clear();
  EXPECT_EQ(target->Items()->Count(), 0);
  EXPECT_EQ(target->Text(), "");
}

TEST(ComboBox, DestroysItsWindowWhenReenteredDuringTheParentsTeardown) {
  ComboHost host;
  TProbeCombo* combo = host.Combo(csDropDown, {"one", "two"});
  // An ordinary teardown of the parent keeps the items.
  host.Panel->RecreateWnd();
  EXPECT_EQ(combo->Items()->Count(), 2);

  HWND old = combo->Handle();
  combo->HandlesAfterDestroyWnd.clear();
  combo->SetControlState(combo->ControlState() | csDestroyingHandle);
  host.Panel->DestroyHandle();
  ASSERT_EQ(combo->HandlesAfterDestroyWnd.size(), 1u);
  EXPECT_EQ(combo->HandlesAfterDestroyWnd[0], nullptr);
  EXPECT_FALSE(IsWindow(old));
  host.Panel->HandleNeeded();
  EXPECT_EQ(combo->Items()->Count(), 0);  // nothing kept from inside a teardown
}
