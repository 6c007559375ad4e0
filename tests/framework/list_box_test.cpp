#include "framework/list_box.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "test_forms.h"

#include "test_support.h"

using testing_support::MessageOf;

namespace {

// A list box in a hidden top-level window.
struct ListBoxHost : testing_support::TestHost {
  ListBoxHost() : TestHost(400, 300, false), box(Add<TListBox>(10, 10, 150, 120)) {}
  TListBox* box;
};

TObject gObjects[5];
const char* const kLetters[] = {"a", "b", "c", "d", "e"};

}  // namespace

TEST(ListBox, PutExchangeAndMoveKeepItemDataAndItemIndex) {
  struct Case {
    const char* name;
    int32_t selectedBefore;
    std::function<void(TListBoxStrings&)> change;
    std::string order;  // the items' first letters afterwards
    int32_t selectedAfter;
  } cases[] = {
      {"Put on the selected item", 2, [](TListBoxStrings& s) { s.SetStrings(2, "C!"); }, "abCde", 2},
      {"Put on another item", 2, [](TListBoxStrings& s) { s.SetStrings(0, "A!"); }, "Abcde", 2},
      {"Exchange takes the selection along", 1, [](TListBoxStrings& s) { s.Exchange(1, 3); }, "adcbe", 3},
      {"Exchange backwards", 3, [](TListBoxStrings& s) { s.Exchange(3, 1); }, "adcbe", 1},
      {"Exchange of neighbours", 4, [](TListBoxStrings& s) { s.Exchange(3, 4); }, "abced", 3},
      {"Move the selected item down", 0, [](TListBoxStrings& s) { s.Move(0, 3); }, "bcdae", 3},
      {"Move over the selected item", 2, [](TListBoxStrings& s) { s.Move(4, 1); }, "aebcd", 3},
      {"Move beside the selected item", 4, [](TListBoxStrings& s) { s.Move(1, 3); }, "acdbe", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ListBoxHost host;
    TListBox* box = host.box;
    for (int i = 0; i < 5; ++i) box->AddItem(kLetters[i], &gObjects[i]);
    box->SetItemIndex(c.selectedBefore);
    c.change(*static_cast<TListBoxStrings*>(box->Items()));

    std::string order;
    for (int i = 0; i < box->Items()->Count(); ++i) {
      const std::string text = box->Items()->Strings(i);
      order += text[0];
      const int letter = std::tolower(static_cast<unsigned char>(text[0])) - 'a';
      EXPECT_EQ(box->Items()->Objects(i), &gObjects[letter]) << text;
    }
    EXPECT_EQ(order, c.order);
    EXPECT_EQ(box->ItemIndex(), c.selectedAfter);
    EXPECT_FALSE(box->Moving());
  }
}

TEST(ListBox, BadIndicesRaiseBeforeAnythingChanges) {
  ListBoxHost host;
  TStrings* items = host.box->Items();
  items->Add("one");
  auto* strings = static_cast<TListBoxStrings*>(items);
  EXPECT_EQ(MessageOf<EStringListError>([&] { items->Strings(1); }), L"List index out of bounds (1)");
  EXPECT_EQ(MessageOf<EStringListError>([&] { items->Objects(-1); }), L"List index out of bounds (-1)");
  EXPECT_EQ(MessageOf<EStringListError>([&] { strings->Move(0, 1); }), L"List index out of bounds (1)");
  EXPECT_EQ(MessageOf<EStringListError>([&] { items->Insert(2, "x"); }), L"List index out of bounds (2)");
  EXPECT_EQ(MessageOf<EStringListError>([&] { host.box->SetSelected(-1, true); }),
            L"List index out of bounds (-1)");
  EXPECT_EQ(items->Text(), "one\r\n");
}

TEST(ListBox, VirtualStyleAnswersTextFromOnDataWithinTheLengthTheCallerWasTold) {
  ListBoxHost host;
  TListBox* box = host.box;
  box->SetStyle(lbVirtual);
  box->SetCount(1000);
  int calls = 0;
  // Each call answers a longer text than the one before.
  box->SetOnData([&](TWinControl*, int32_t Index, std::string& Data) {
    Data = "item " + std::to_string(Index) + std::string(static_cast<size_t>(calls++), '+');
  });
  HWND wnd = box->Handle();
  const LRESULT length = SendMessageA(wnd, LB_GETTEXTLEN, 7, 0);
  ASSERT_GE(length, 6);
  std::vector<char> buffer(static_cast<size_t>(length) + 1 + 16, '#');
  EXPECT_EQ(SendMessageA(wnd, LB_GETTEXT, 7, reinterpret_cast<LPARAM>(buffer.data())), length);
  EXPECT_EQ(std::string(buffer.data()), "item 7" + std::string(static_cast<size_t>(length) - 6, '+'));
  EXPECT_EQ(std::string(buffer.begin() + length + 1, buffer.end()), std::string(16, '#'));
  EXPECT_EQ(SendMessageA(wnd, LB_GETTEXTLEN, 1000, 0), LB_ERR);
  EXPECT_EQ(box->Items()->Strings(999).substr(0, 8), "item 999");

  // Only the count survives a new window.
  box->RecreateWnd();
  EXPECT_EQ(SendMessageA(box->Handle(), LB_GETCOUNT, 0, 0), 1000);
  EXPECT_EQ(box->Count(), 1000);
  EXPECT_EQ(box->Items()->Add("ignored"), -1);
}

TEST(ListBox, OwnerDrawnItemsTakeTheirHeightsAndTheUsersClicksRaiseEvents) {
  ListBoxHost host;
  TListBox* box = host.box;
  box->SetOnMeasureItem([](TWinControl*, int32_t Index, int& Height) { Height = 10 + 5 * Index; });
  std::vector<int32_t> drawn;
  box->SetOnDrawItem([&](TWinControl*, int32_t Index, RECT, TOwnerDrawState) { drawn.push_back(Index); });
  box->SetStyle(lbOwnerDrawVariable);
  for (const char* letter : kLetters) box->Items()->Add(letter);
  for (int32_t i = 0; i < 5; ++i) {
    const RECT r = box->ItemRect(i);
    EXPECT_EQ(r.bottom - r.top, 10 + 5 * i) << i;
  }
  const RECT third = box->ItemRect(2);
  EXPECT_EQ(box->ItemAtPos(POINT{20, (third.top + third.bottom) / 2}, true), 2);
  EXPECT_EQ(box->ItemAtPos(POINT{20, box->ClientHeight() - 2}, true), -1);
  EXPECT_EQ(box->ItemAtPos(POINT{20, box->ClientHeight() - 2}, false), 5);

  ShowWindow(host.TopLevel(), SW_SHOWNOACTIVATE);
  UpdateWindow(box->Handle());
  EXPECT_FALSE(drawn.empty());

  int clicks = 0, doubleClicks = 0;
  box->SetOnClick([&](TObject*) { ++clicks; });
  box->SetOnDblClick([&](TObject*) { ++doubleClicks; });
  box->SetItemIndex(0);
  EXPECT_EQ(clicks, 0);  // only the user's changes count
  SendMessageA(box->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(box->ItemIndex(), 1);
  EXPECT_EQ(clicks, 1);
  SendMessageA(box->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, (third.top + third.bottom) / 2));
  SendMessageA(box->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, (third.top + third.bottom) / 2));
  EXPECT_EQ(doubleClicks, 1);
}
