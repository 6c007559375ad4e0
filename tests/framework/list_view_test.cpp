#include "framework/list_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

// A report list view of three columns and four rows on a shown form.
struct ListViewForm {
  ListViewForm() {
    form->SetBounds(30, 30, 360, 220);
    list->SetParent(form);
    list->SetBounds(8, 8, 330, 160);
    list->SetViewStyle(vsReport);
    list->SetCheckBoxes(true);
    list->SetMultiSelect(true);
    const char* captions[] = {"#", "Title", "Time"};
    for (int i = 0; i < 3; ++i) {
      TListColumn* column = list->Columns()->Add();
      column->SetCaption(captions[i]);
      column->SetWidth(60 + 20 * i);
      column->SetTag(i);
    }
    for (int i = 0; i < 4; ++i) {
      TListItem* item = list->Items()->Add();
      item->SetCaption(std::string(1, static_cast<char>('d' - i)));
      item->SubItems()->Add("title " + std::to_string(i));
      item->SubItems()->Add(std::to_string(i) + ":00");
      item->SetData(&data[i]);
    }
    form->Show();
  }
  ~ListViewForm() { delete form; }
  ListViewForm(const ListViewForm&) = delete;
  ListViewForm& operator=(const ListViewForm&) = delete;

  TForm* form = new TForm(nullptr);
  TListView* list = new TListView(form);
  int data[4] = {};
};

std::string ItemTextA(TListView* List, int Item, int SubItem) {
  char buffer[128] = {};
  LVITEMA item{};
  item.iSubItem = SubItem;
  item.pszText = buffer;
  item.cchTextMax = 128;
  SendMessageA(List->Handle(), LVM_GETITEMTEXTA, static_cast<WPARAM>(Item), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

}  // namespace

TEST(ListView, ItemsColumnsChecksAndSelectionSurviveANewWindow) {
  ListViewForm f;
  int selectEvents = 0;
  f.list->SetOnSelectItem([&](TObject*, TListItem*, bool) { ++selectEvents; });
  f.list->Items()->Item(1)->SetChecked(true);
  f.list->Items()->Item(3)->SetChecked(true);
  f.list->Items()->Item(0)->SetSelected(true);
  f.list->Items()->Item(2)->SetSelected(true);
  f.list->SetItemFocused(f.list->Items()->Item(2));
  f.list->Columns()->Items(1)->SetWidth(111);
  ASSERT_EQ(selectEvents, 2);
  HWND before = f.list->Handle();

  f.list->SetReadOnly(true);  // a style: the window is made anew
  ASSERT_NE(f.list->Handle(), before);
  EXPECT_EQ(selectEvents, 2);  // restoring is no user's selection
  EXPECT_EQ(SendMessageA(f.list->Handle(), LVM_GETITEMCOUNT, 0, 0), 4);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    TListItem* item = f.list->Items()->Item(i);
    EXPECT_EQ(item->Checked(), i == 1 || i == 3);
    EXPECT_EQ(item->Selected(), i == 0 || i == 2);
    EXPECT_EQ(item->Focused(), i == 2);
    EXPECT_EQ(item->Data(), &f.data[i]);
    EXPECT_EQ(ItemTextA(f.list, i, 1), "title " + std::to_string(i));
  }
  EXPECT_EQ(f.list->SelCount(), 2);
  EXPECT_EQ(f.list->Columns()->Items(1)->Width(), 111);
  EXPECT_EQ(f.list->Columns()->Items(2)->Tag(), 2);
  EXPECT_EQ(f.list->Columns()->Items(2)->Caption(), "Time");
}

TEST(ListView, SubItemChangesDeletionAndSortingReachTheWindow) {
  ListViewForm f;
  TListItem* third = f.list->Items()->Item(2);
  third->SubItems()->SetStrings(0, "changed");
  third->SubItems()->Delete(1);
  EXPECT_EQ(ItemTextA(f.list, 2, 1), "changed");
  EXPECT_EQ(ItemTextA(f.list, 2, 2), "");
  f.list->Items()->Delete(0);
  EXPECT_EQ(SendMessageA(f.list->Handle(), LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(third->Index(), 1);

  ASSERT_TRUE(f.list->AlphaSort());
  std::string order;
  for (int i = 0; i < 3; ++i) order += f.list->Items()->Item(i)->Caption() + ItemTextA(f.list, i, 0);
  EXPECT_EQ(order, "aabbcc");
  EXPECT_EQ(third->Index(), 1);
  EXPECT_EQ(f.list->GetItemAt(-5, -5), nullptr);
}

TEST(ListView, LabelEditingAsksAndTakesTheEditedText) {
  ListViewForm f;
  std::vector<std::string> seen;
  f.list->SetOnEditing([&](TObject*, TListItem* Item, bool& Allow) { Allow = Item->Index() != 0; });
  f.list->SetOnEdited([&](TObject*, TListItem*, std::string& S) {
    seen.push_back(S);
    S += "!";
  });
  EXPECT_FALSE(f.list->Items()->Item(0)->EditCaption());
  EXPECT_FALSE(f.list->IsEditing());

  ASSERT_TRUE(f.list->Items()->Item(1)->EditCaption());
  ASSERT_TRUE(f.list->IsEditing());
  HWND edit = reinterpret_cast<HWND>(SendMessageA(f.list->Handle(), LVM_GETEDITCONTROL, 0, 0));
  SetWindowTextA(edit, "renamed");
  // Enter belongs to the label editor, not to the form's dialog keys.
  EXPECT_NE(f.list->Perform(CM_WANTSPECIALKEY, VK_RETURN), 0);
  SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(testing_support::PumpMessagesUntil([&] { return !seen.empty(); }));
  EXPECT_EQ(seen, std::vector<std::string>{"renamed"});
  EXPECT_EQ(f.list->Items()->Item(1)->Caption(), "renamed!");
  EXPECT_EQ(ItemTextA(f.list, 1, 0), "renamed!");
}
