#include "framework/page_control.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/forms.h"
#include "test_forms.h"

namespace {

class PageControls : public testing_support::FormTest {
 protected:
  void SetUp() override {
    NewForm(360, 260);
    pages = new TPageControl(form);
    pages->SetParent(form);
    pages->SetBounds(10, 10, 320, 200);
    for (const char* caption : {"One", "Two", "Three"}) {
      auto* sheet = new TTabSheet(form);
      sheet->SetCaption(caption);
      sheet->SetPageControl(pages);
      sheets.push_back(sheet);
    }
    form->Show();
  }

  // The window's tabs: text and whether their data is the page they show.
  std::vector<std::string> Tabs() {
    std::vector<std::string> tabs;
    for (int32_t i = 0; i < pages->TabCount(); ++i) {
      char text[64] = {};
      TCITEMA item{};
      item.mask = TCIF_TEXT | TCIF_PARAM;
      item.pszText = text;
      item.cchTextMax = sizeof text;
      SendMessageA(pages->Handle(), TCM_GETITEMA, static_cast<WPARAM>(i),
                   reinterpret_cast<LPARAM>(&item));
      const bool ownData = item.lParam == reinterpret_cast<LPARAM>(pages->PageForTab(i));
      tabs.push_back(std::string(text) + (ownData ? "" : " (wrong data)"));
    }
    return tabs;
  }
  // Only the active page is shown, filling the display area.
  void ExpectOnlyActiveShown(const char* when) {
    for (TTabSheet* sheet : sheets) {
      const bool active = sheet == pages->ActivePage();
      EXPECT_EQ(sheet->Visible(), active) << when << ": " << sheet->Caption();
      if (sheet->HandleAllocated()) {
        EXPECT_EQ(IsWindowVisible(sheet->WindowHandle()) != FALSE, active) << when;
      }
    }
    if (TTabSheet* active = pages->ActivePage()) {
      ASSERT_TRUE(active->HandleAllocated()) << when;
      RECT shown{}, display = pages->DisplayRect();
      GetWindowRect(active->WindowHandle(), &shown);
      MapWindowPoints(nullptr, pages->Handle(), reinterpret_cast<POINT*>(&shown), 2);
      EXPECT_TRUE(EqualRect(&shown, &display)) << when;
      EXPECT_GT(display.top, 10) << when << ": room for the tabs";
    }
  }

  TPageControl* pages = nullptr;
  std::vector<TTabSheet*> sheets;
};

TEST_F(PageControls, TabsPagesAndTheActivePageSurviveANewWindow) {
  EXPECT_EQ(pages->PageCount(), 3);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);  // the first page inserted
  EXPECT_EQ(Tabs(), (std::vector<std::string>{"One", "Two", "Three"}));
  pages->SetActivePageIndex(2);
  sheets[1]->SetTabVisible(false);
  sheets[0]->SetCaption("First");
  EXPECT_EQ(Tabs(), (std::vector<std::string>{"First", "Three"}));
  EXPECT_EQ(pages->TabIndex(), 1);
  EXPECT_EQ(sheets[2]->TabIndex(), 1);
  EXPECT_EQ(sheets[1]->TabIndex(), -1);
  ExpectOnlyActiveShown("before");

  const HWND old = pages->Handle();
  pages->SetMultiLine(true);  // a style change makes the window anew
  ASSERT_NE(pages->Handle(), old);
  EXPECT_NE(GetWindowLongPtrA(pages->Handle(), GWL_STYLE) & TCS_MULTILINE, 0);
  EXPECT_EQ(Tabs(), (std::vector<std::string>{"First", "Three"}));
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  EXPECT_EQ(pages->TabIndex(), 1);
  ExpectOnlyActiveShown("after");
}

TEST_F(PageControls, APageWithoutATabStaysReachableByProgram) {
  sheets[1]->SetTabVisible(false);
  pages->SetActivePage(sheets[1]);
  EXPECT_EQ(pages->ActivePageIndex(), 1);
  EXPECT_EQ(pages->TabIndex(), -1);
  ExpectOnlyActiveShown("hidden tab");
  sheets[1]->SetTabVisible(true);
  EXPECT_EQ(pages->TabIndex(), 1);
  EXPECT_EQ(Tabs(), (std::vector<std::string>{"One", "Two", "Three"}));
  // Selecting a tab by program activates its page, unasked and untold.
  int events = 0;
  pages->SetOnChanging([&](TObject*, bool&) { ++events; });
  pages->SetOnChange([&](TObject*) { ++events; });
  pages->SetTabIndex(2);
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  pages->SetActivePage(nullptr);
  EXPECT_EQ(pages->TabIndex(), -1);
  ExpectOnlyActiveShown("none");
  EXPECT_EQ(events, 0);
}

TEST_F(PageControls, AClickOnATabAsksOnChangingAndTellsOnChange) {
  std::vector<std::string> events;
  bool allow = false;
  pages->SetOnChanging([&](TObject*, bool& Allow) {
    events.push_back("changing from " + std::to_string(pages->ActivePageIndex()));
    Allow = allow;
  });
  pages->SetOnChange([&](TObject*) { events.push_back("change to " + std::to_string(pages->ActivePageIndex())); });
  sheets[1]->SetOnShow([&](TObject*) { events.push_back("show Two"); });
  sheets[0]->SetOnHide([&](TObject*) { events.push_back("hide One"); });
  auto click = [&](int32_t tab) {
    const RECT r = pages->TabRect(tab);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ASSERT_EQ(pages->IndexOfTabAt((r.left + r.right) / 2, (r.top + r.bottom) / 2), tab);
    SendMessageA(pages->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(pages->Handle(), WM_LBUTTONUP, 0, at);
  };
  click(1);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  EXPECT_EQ(pages->TabIndex(), 0);
  allow = true;
  click(1);
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  EXPECT_EQ(events, (std::vector<std::string>{"changing from 0", "changing from 0", "show Two",
                                              "hide One", "change to 1"}));
  ExpectOnlyActiveShown("clicked");
}

TEST_F(PageControls, PagesMoveAndAFreedActivePageHandsOverToANeighbour) {
  sheets[2]->SetPageIndex(0);
  EXPECT_EQ(Tabs(), (std::vector<std::string>{"Three", "One", "Two"}));
  EXPECT_EQ(sheets[0]->PageIndex(), 1);
  EXPECT_EQ(pages->TabIndex(), 1);  // One is still the active page
  pages->SetActivePage(sheets[1]);  // the last page
  delete sheets[1];
  sheets.erase(sheets.begin() + 1);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);  // the one before it
  EXPECT_EQ(Tabs(), (std::vector<std::string>{"Three", "One"}));
  sheets[0]->SetPageControl(nullptr);  // One, now active, leaves: the next page comes
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  EXPECT_EQ(pages->PageCount(), 1);
  EXPECT_EQ(Tabs(), (std::vector<std::string>{"Three"}));
  sheets[0]->SetParent(pages);  // a page control as parent makes it a page again
  EXPECT_EQ(sheets[0]->PageIndex(), 1);
  EXPECT_EQ(Tabs(), (std::vector<std::string>{"Three", "One"}));
  ExpectOnlyActiveShown("after moves");
}

}  // namespace
