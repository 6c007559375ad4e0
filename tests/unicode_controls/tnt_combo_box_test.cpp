#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/format.h"
#include "framework/forms.h"
#include "test_forms.h"
#include "test_support.h"
#include "unicode_controls/tnt_combo_box.h"
#include "window_picture.h"

namespace {

class TProbeComboBox : public TTntComboBox {
 public:
  using TTntComboBox::TTntComboBox;

  std::vector<HWND> HandlesAfterDestroyWnd;
  bool DropLastSavedItem = false;
  // A handler of the dying window that takes the parent's window down too.
  std::function<void()> OnWindowDestroy;
  int Changes = 0, Selects = 0, Clicks = 0;

 protected:
  void DestroyWnd() override {
    TTntComboBox::DestroyWnd();
    HandlesAfterDestroyWnd.push_back(WindowHandle());
    if (DropLastSavedItem && SavedWideItems()) SavedWideItems()->Delete(SavedWideItems()->Count() - 1);
  }
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_DESTROY && OnWindowDestroy) OnWindowDestroy();
    TTntComboBox::Dispatch(Message);
  }
};

// Combo boxes on a panel in a shown top-level window that is never activated
// (an activated one waits for a window manager that Xvfb does not have).
class ComboHost : public testing_support::TestHost {
 public:
  ComboHost() : TestHost(360, 220), Panel(Parent) {}

  TProbeComboBox* Combo(TComboBoxStyle Style, std::initializer_list<const wchar_t*> Items) {
    auto* combo = new TProbeComboBox(Panel);
    combo->SetParent(Panel);
    combo->SetBounds(10, 10 + 40 * Panel->ControlCount(), 200, Style == csSimple ? 90 : 24);
    combo->SetStyle(Style);
    for (const wchar_t* item : Items) combo->Items()->Add(item);
    combo->SetTickSource([this] { return Clock; });
    combo->SetOnChange([combo](TObject*) { ++combo->Changes; });
    combo->SetOnClick([combo](TObject*) { ++combo->Clicks; });
    return combo;
  }
  // The parent's notification, as the system sends it when a list selection changes.
  static void NotifySelChange(TProbeComboBox* Combo) {
    HWND wnd = Combo->Handle();
    SendMessageW(GetParent(wnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(wnd), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(wnd));
  }

  testing_support::TestParent* Panel;
  uint32_t Clock = 100000;

 private:
  HWND FTopLevel;
};

std::vector<std::wstring> ItemsOf(TTntCustomComboBox* Combo) {
  std::vector<std::wstring> items;
  for (int32_t i = 0; i < Combo->Items()->Count(); ++i) items.push_back(Combo->Items()->Strings(i));
  return items;
}

const std::vector<std::wstring> kItems = {L"Привет — 日本", L"plain", L"Ünïcödé ★"};

}  // namespace

TEST(TntComboBox, KeepsItemsSelectionAndTextAcrossRecreation) {
  ComboHost host;
  TObject marker;
  const struct {
    TComboBoxStyle Style;
    const wchar_t* Text;  // nullptr: the selected item
  } cases[] = {{csDropDown, L"Привет — 日本 typed"}, {csSimple, L"ÿ Ж"}, {csDropDownList, nullptr},
               {csOwnerDrawFixed, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Style));
    TProbeComboBox* combo = host.Combo(c.Style, {});
    for (const std::wstring& item : kItems) combo->AddItem(item, nullptr);
    combo->Items()->SetObjects(2, &marker);
    combo->SetItemIndex(2);
    if (c.Text) combo->SetText(c.Text);
    const std::wstring text = c.Text ? c.Text : kItems[2];

    combo->RecreateWnd();
    EXPECT_EQ(ItemsOf(combo), kItems);
    EXPECT_EQ(combo->Items()->Objects(2), &marker);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), text);
    EXPECT_TRUE(IsWindowUnicode(combo->Handle()));
    if (combo->EditHandle()) {
      EXPECT_TRUE(IsWindowUnicode(combo->EditHandle()));
    }

    // Taking an item from the kept ones leaves a selection past the end: the
    // last item is the nearest.
    combo->DropLastSavedItem = true;
    combo->RecreateWnd();
    combo->DropLastSavedItem = false;
    EXPECT_EQ(combo->Items()->Count(), 2);
    EXPECT_EQ(combo->ItemIndex(), 1);

    // Sorting makes the window anew; the selection follows its item.
    combo->SetItemIndex(0);
    combo->SetSorted(true);
    EXPECT_EQ(combo->Text(), kItems[0]);
  }
}

TEST(TntComboBox, KeepsItemsAndSelectionUntilItHasAWindow) {
  ComboHost host;
  // Hidden, as the combo boxes of a window not shown yet.
  auto* combo = new TProbeComboBox(host.Panel);
  combo->SetVisible(false);
  combo->SetParent(host.Panel);
  combo->SetStyle(csDropDownList);
  for (const std::wstring& item : kItems) combo->Items()->Add(item);
  combo->SetItemIndex(1);
  combo->Items()->Insert(0, L"first");
  combo->Items()->Delete(3);
  EXPECT_EQ(combo->Items()->IndexOf(L"PLAIN"), 2);
  EXPECT_EQ(combo->Text(), L"plain") << "the selection follows its item, as a window's does";
  EXPECT_FALSE(combo->HandleAllocated()) << "nothing above needs the window";

  combo->SetVisible(true);
  HWND wnd = combo->WindowHandle();
  ASSERT_NE(wnd, nullptr);
  EXPECT_EQ(SendMessageW(wnd, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(wnd, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(ItemsOf(combo), (std::vector<std::wstring>{L"first", kItems[0], kItems[1]}));
  EXPECT_EQ(combo->Text(), L"plain");
}

TEST(TntComboBox, TypingSearchesADropDownListByTheKeysOfOneBurst) {
  ComboHost host;
  TProbeComboBox* combo = host.Combo(csDropDownList, {L"apple", L"abacus", L"banana", L"Жёлтый"});
  const struct {
    uint32_t Clock;
    wchar_t Key;
    int32_t Index;
  } steps[] = {
      // Where it matters, a fresh search (or, without a match, the system's
      // own first-letter search) would pick another item.
      {1000, L'a', 0},  {1100, L'b', 1},  // "ab": abacus
      {1150, L'\b', 1}, {1200, L'p', 0},  // Backspace shortens the search to "a": "ap"
      {2449, L'p', 0},                    // "app", 1249 ms after the last key
      {3699, L'a', 0},                    // 1250 ms: a new search, "a"
      {5000, L'b', 2},  {6249, L'a', 2},  // "ba": banana
      {7600, L'Ж', 3},  // Wine's list search ignores the case of ASCII letters only
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.Clock);
    host.Clock = step.Clock;
    SendMessageW(combo->Handle(), WM_CHAR, step.Key, 0);
    EXPECT_EQ(combo->ItemIndex(), step.Index);
  }
  EXPECT_EQ(combo->Text(), L"Жёлтый");
}

TEST(TntComboBox, CompletesTheEditOnlyAtTheEndOfTheText) {
  ComboHost host;
  TProbeComboBox* combo = host.Combo(csDropDown, {L"Hello World", L"Help", L"Привет мир"});
  auto type = [&](std::wstring keys) {
    for (wchar_t key : keys) SendMessageW(combo->EditHandle(), WM_CHAR, key, 0);
  };
  const struct {
    const wchar_t* Start;  // nullptr: go on from the previous text
    int32_t Caret;
    const wchar_t* Keys;
    const wchar_t* Text;
    int32_t SelStart, SelLength, Index;
  } cases[] = {
      {L"", 0, L"h", L"hello World", 1, 10, 0},
      {nullptr, 0, L"E", L"hEllo World", 2, 9, 0},  // typed case kept, the rest selected
      {nullptr, 0, L"lp", L"hElp", 4, 0, 1},
      {L"xyz", 1, L"H", L"xHyz", 2, 0, -1},  // the caret inside the text: typed as is
      {L"", 0, L"П", L"Привет мир", 1, 9, 2},
      {L"", 0, L"q€", L"q€", 2, 0, -1},  // no item: the characters reach the edit whole
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Keys);
    if (c.Start) {
      combo->SetItemIndex(-1);
      combo->SetText(c.Start);
      combo->SetSelStart(c.Caret);
    }
    type(c.Keys);
    EXPECT_EQ(combo->Text(), c.Text);
    EXPECT_EQ(combo->SelStart(), c.SelStart);
    EXPECT_EQ(combo->SelLength(), c.SelLength);
    EXPECT_EQ(combo->ItemIndex(), c.Index);
  }
}

TEST(TntComboBox, ListSelectionSetsTheWideTextAndNotifiesOnce) {
  for (bool withSelect : {false, true}) {
    SCOPED_TRACE(withSelect);
    ComboHost host;
    TProbeComboBox* combo = host.Combo(csDropDown, {L"один", L"два ★"});
    if (withSelect) combo->SetOnSelect([combo](TObject*) { ++combo->Selects; });
    combo->SetText(L"прочее");
    combo->Clicks = combo->Changes = 0;
    SendMessageW(combo->ListHandle(), LB_SETCURSEL, 1, 0);
    ComboHost::NotifySelChange(combo);
    EXPECT_EQ(combo->Text(), L"два ★");
    EXPECT_EQ(combo->Clicks, 1);
    // OnSelect stands in for OnChange when it is assigned.
    EXPECT_EQ(combo->Selects, withSelect ? 1 : 0);
    EXPECT_EQ(combo->Changes, withSelect ? 0 : 1);
  }
}

TEST(TntComboBox, CopiesTheSelectionToWideAndAnsiLists) {
  ComboHost host;
  TProbeComboBox* source = host.Combo(csDropDownList, {L"Привет", L"plain é"});
  TProbeComboBox* wide = host.Combo(csDropDown, {});
  auto* ansi = new TComboBox(host.Panel);
  ansi->SetParent(host.Panel);
  TObject marker;
  for (int32_t index : {0, 1}) {
    source->Items()->SetObjects(index, &marker);
    source->SetItemIndex(index);
    source->CopySelection(wide);
    source->CopySelection(ansi);
  }
  EXPECT_EQ(ItemsOf(wide), (std::vector<std::wstring>{L"Привет", L"plain é"}));
  EXPECT_EQ(wide->Items()->Objects(0), &marker);
  ASSERT_EQ(ansi->Items()->Count(), 2);
  EXPECT_EQ(ansi->Items()->Strings(1), WideToAnsi(L"plain é"));
  EXPECT_EQ(ansi->Items()->Objects(1), &marker);
}

TEST(TntComboBox, ItsWindowGoesWhenItsTeardownTakesTheParentDown) {
  testing_support::ExceptionRecorder errors;
  ComboHost host;
  TProbeComboBox* combo = host.Combo(csDropDown, {L"один", L"два"});
  combo->SetItemIndex(1);
  HWND old = combo->Handle();
  combo->OnWindowDestroy = [&] {
    combo->OnWindowDestroy = nullptr;
    host.Panel->DestroyHandle();
  };
  combo->RecreateWnd();
  // The inner (re-entered) teardown destroyed the window as well as the outer.
  ASSERT_EQ(combo->HandlesAfterDestroyWnd.size(), 2u);
  EXPECT_EQ(combo->HandlesAfterDestroyWnd[0], nullptr);
  EXPECT_EQ(combo->HandlesAfterDestroyWnd[1], nullptr);
  EXPECT_FALSE(IsWindow(old));
  EXPECT_FALSE(host.Panel->HandleAllocated());
  // What the outer teardown kept comes back with the parent.
  host.Panel->HandleNeeded();
  EXPECT_EQ(ItemsOf(combo), (std::vector<std::wstring>{L"один", L"два"}));
  EXPECT_EQ(combo->ItemIndex(), 1);

  // Re-entered while tearing down, nothing is kept, but the window still goes.
  combo->HandlesAfterDestroyWnd.clear();
  old = combo->Handle();
  combo->SetControlState(combo->ControlState() | csDestroyingHandle);
  host.Panel->DestroyHandle();
  ASSERT_EQ(combo->HandlesAfterDestroyWnd.size(), 1u);
  EXPECT_EQ(combo->HandlesAfterDestroyWnd[0], nullptr);
  EXPECT_FALSE(IsWindow(old));
  host.Panel->HandleNeeded();
  EXPECT_EQ(combo->Items()->Count(), 0);
  EXPECT_TRUE(errors.messages.empty());
}

TEST(TntComboBox, PictureOfAFormWithComboBoxes) {
  auto* form = testing_support::NewPictureForm("Tavrin - combo boxes", 300, 150);
  auto add = [form](TComboBoxStyle style, int top, const wchar_t* text) {
    auto* combo = new TTntComboBox(form);
    combo->SetParent(form);
    combo->SetBounds(12, top, 260, 24);
    combo->SetStyle(style);
    for (const wchar_t* item : {L"Привет ★ é", L"Жёлтый ★ Ünïcödé", L"plain"}) combo->Items()->Add(item);
    combo->SetText(text);
    return combo;
  };
  TTntComboBox* edit = add(csDropDown, 12, L"Привет — édité");
  TTntComboBox* list = add(csDropDownList, 46, L"");
  list->SetItemIndex(1);
  TTntComboBox* disabled = add(csDropDown, 80, L"Отключено ★");
  disabled->SetEnabled(false);
  testing_support::ShowPainted(form);

  testing_support::Picture picture;
  ASSERT_TRUE(testing_support::TakeWindowPicture(form->Handle(), L"combo_boxes.png", picture));
  // Dark ink where the enabled texts are (the focused edit's text is selected:
  // anything but white counts there); only grey ink in the disabled one.
  auto ink = [&](TTntComboBox* combo, auto isInk) {
    RECT w{}, c{};
    GetWindowRect(form->Handle(), &w);
    GetWindowRect(combo->Handle(), &c);
    int count = 0;
    for (int y = c.top - w.top + 3; y < c.bottom - w.top - 3; ++y) {
      for (int x = c.left - w.left + 3; x < c.left - w.left + 150; ++x) {
        COLORREF p = picture.Pixel(x, y);
        if (p != CLR_INVALID && isInk(std::max({GetRValue(p), GetGValue(p), GetBValue(p)}),
                                      std::min({GetRValue(p), GetGValue(p), GetBValue(p)}))) {
          ++count;
        }
      }
    }
    return count;
  };
  auto dark = [](int brightest, int) { return brightest < 96; };
  auto grey = [](int brightest, int) { return brightest < 200; };
  auto notWhite = [](int, int darkest) { return darkest < 160; };
  EXPECT_GT(ink(edit, notWhite), 40);
  EXPECT_GT(ink(list, dark), 40);
  EXPECT_EQ(ink(disabled, dark), 0);
  EXPECT_GT(ink(disabled, grey), 40);
  // The dropped list shows every item (fewer than DropDownCount).
  list->SetDroppedDown(true);
  testing_support::PumpPendingMessages();
  EXPECT_TRUE(list->DroppedDown());
  RECT dropped{};
  GetWindowRect(list->ListHandle(), &dropped);
  EXPECT_GE(dropped.bottom - dropped.top, 3 * list->ItemHeight());
  list->SetDroppedDown(false);
  form->Hide();
  delete form;
}
