#include "unicode_controls/tnt_list_box.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "framework/format.h"
#include "test_support.h"
#include "unicode_test_controls.h"

using testing_support::MessageOf;

namespace {

const std::wstring kWide = L"Привет — 日本 ";

std::wstring Item(int Index) { return kWide + std::to_wstring(Index); }

// A list box of Count wide items, item i carrying Objects[i].
template <typename T = TTntListBox>
T* AddListBox(unicode_test::TTestHost& Host, int Count, TObject* Objects = nullptr) {
  auto* box = new T(Host.Host);
  box->SetParent(Host.Host);
  box->SetBounds(320, 4, 90, 100);
  if constexpr (std::is_base_of_v<TTntCustomListBox, T>) {
    for (int i = 0; i < Count; ++i) box->AddItem(Item(i), Objects ? &Objects[i] : nullptr);
  }
  return box;
}

std::vector<int32_t> SelectedOf(TCustomListBox* Box) {
  std::vector<int32_t> selected;
  for (int32_t i = 0; i < Box->Count(); ++i) {
    if (Box->Selected(i)) selected.push_back(i);
  }
  return selected;
}

}  // namespace

TEST(TntListBox, WideItemsDataSelectionAndTopIndexSurviveANewWindow) {
  struct Case {
    bool multiSelect;
    std::vector<int32_t> selected;
    int32_t itemIndex;
  } cases[] = {{false, {7}, 7}, {true, {3, 7, 9}, 9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.multiSelect ? "multi-select" : "single");
    unicode_test::TTestHost host;
    TObject objects[30];
    TTntListBox* box = AddListBox(host, 0);
    box->SetMultiSelect(c.multiSelect);
    for (int i = 0; i < 30; ++i) box->AddItem(Item(i), &objects[i]);
    for (int32_t i : c.selected) box->SetSelected(i, true);
    box->SetItemIndex(c.itemIndex);
    box->SetTopIndex(5);

    box->RecreateWnd();
    ASSERT_TRUE(IsWindowUnicode(box->Handle()));
    ASSERT_EQ(box->Items()->Count(), 30);
    for (int i = 0; i < 30; ++i) {
      EXPECT_EQ(box->Items()->Strings(i), Item(i));
      EXPECT_EQ(box->Items()->Objects(i), &objects[i]);
    }
    EXPECT_EQ(SelectedOf(box), c.selected);
    EXPECT_EQ(box->ItemIndex(), c.itemIndex);
    EXPECT_EQ(box->TopIndex(), 5);
  }
}

TEST(TntListBox, PutExchangeAndMoveKeepItemDataAndSelection) {
  struct Case {
    const char* name;
    bool multiSelect;
    std::vector<int32_t> selectedBefore;
    std::function<void(TTntListBoxStrings&)> change;
    std::vector<int> order;  // original numbers of the items afterwards
    std::vector<int32_t> selectedAfter;
  } cases[] = {
      {"Put", false, {1}, [](TTntListBoxStrings& s) { s.SetStrings(1, Item(1)); }, {0, 1, 2, 3}, {1}},
      {"Exchange", false, {0}, [](TTntListBoxStrings& s) { s.Exchange(0, 2); }, {2, 1, 0, 3}, {2}},
      {"Move", false, {2}, [](TTntListBoxStrings& s) { s.Move(3, 0); }, {3, 0, 1, 2}, {3}},
      {"Put, multi", true, {1, 3}, [](TTntListBoxStrings& s) { s.SetStrings(3, Item(3)); }, {0, 1, 2, 3}, {1, 3}},
      {"Exchange, multi", true, {0, 1}, [](TTntListBoxStrings& s) { s.Exchange(1, 3); }, {0, 3, 2, 1}, {0, 3}},
      {"Move, multi", true, {0}, [](TTntListBoxStrings& s) { s.Move(0, 2); }, {1, 2, 0, 3}, {2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    unicode_test::TTestHost host;
    TObject objects[4];
    TTntListBox* box = AddListBox(host, 0);
    box->SetMultiSelect(c.multiSelect);
    for (int i = 0; i < 4; ++i) box->AddItem(Item(i), &objects[i]);
    for (int32_t i : c.selectedBefore) box->SetSelected(i, true);
    c.change(*static_cast<TTntListBoxStrings*>(box->Items()));
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(box->Items()->Strings(i), Item(c.order[i])) << i;
      EXPECT_EQ(box->Items()->Objects(i), &objects[c.order[i]]) << i;
    }
    EXPECT_EQ(SelectedOf(box), c.selectedAfter);
  }
}

TEST(TntListBox, AFailedTextLengthIsAListIndexError) {
  unicode_test::TTestHost host;
  TTntListBox* box = AddListBox(host, 3);
  for (int32_t index : {3, -1}) {
    const std::wstring expected = L"List index out of bounds (" + std::to_wstring(index) + L")";
    EXPECT_EQ(MessageOf<EStringListError>([&] { box->Items()->Strings(index); }), expected);
    EXPECT_EQ(MessageOf<EStringListError>([&] { box->TCustomListBox::Items()->Strings(index); }), expected);
  }
}

TEST(TntListBox, VirtualTextsComeFromTheWideDataEventWithinTheToldLength) {
  unicode_test::TTestHost host;
  TTntListBox* box = AddListBox(host, 0);
  box->SetStyle(lbVirtualOwnerDraw);
  box->SetCount(50);
  box->SetOnData([](TWinControl*, int32_t, std::string& Data) { Data = "ansi"; });
  EXPECT_EQ(box->Items()->Strings(4), L"ansi");
  int calls = 0;
  box->SetOnWideData([&](TWinControl*, int32_t Index, std::wstring& Data) {
    Data = Item(Index) + std::wstring(static_cast<size_t>(calls++), L'★');
  });
  HWND wnd = box->Handle();
  const LRESULT length = SendMessageW(wnd, LB_GETTEXTLEN, 4, 0);
  ASSERT_EQ(length, static_cast<LRESULT>(Item(4).size()));
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1 + 8, L'#');
  EXPECT_EQ(SendMessageW(wnd, LB_GETTEXT, 4, reinterpret_cast<LPARAM>(buffer.data())), length);
  EXPECT_EQ(std::wstring(buffer.data()), Item(4));
  EXPECT_EQ(std::wstring(buffer.begin() + length + 1, buffer.end()), std::wstring(8, L'#'));
  EXPECT_EQ(SendMessageW(wnd, LB_GETTEXTLEN, 50, 0), LB_ERR);
  calls = 0;
  EXPECT_EQ(box->Items()->Strings(49), Item(49));
}

TEST(TntListBox, CopySelectionHandsTheSelectedItemsOnInAscendingOrder) {
  unicode_test::TTestHost host;
  TObject objects[6];
  TTntListBox* source = AddListBox(host, 0);
  source->SetMultiSelect(true);
  for (int i = 0; i < 6; ++i) source->AddItem(Item(i), &objects[i]);
  for (int32_t i : {4, 1, 3}) source->SetSelected(i, true);
  TTntListBox* wide = AddListBox(host, 0);
  TListBox* ansi = AddListBox<TListBox>(host, 0);
  source->CopySelection(wide);
  source->CopySelection(ansi);
  const int expected[] = {1, 3, 4};
  ASSERT_EQ(wide->Items()->Count(), 3);
  ASSERT_EQ(ansi->Items()->Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(wide->Items()->Strings(i), Item(expected[i]));
    EXPECT_EQ(wide->Items()->Objects(i), &objects[expected[i]]);
    EXPECT_EQ(ansi->Items()->Strings(i), WideToAnsi(Item(expected[i])));
    EXPECT_EQ(ansi->Items()->Objects(i), &objects[expected[i]]);
  }
}
