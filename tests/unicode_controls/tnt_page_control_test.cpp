#include "unicode_controls/tnt_page_control.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/forms.h"
#include "test_forms.h"
#include "test_support.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_speed_button.h"
#include "unicode_test_controls.h"
#include "window_picture.h"

namespace {

const std::wstring kSettings = L"\u041D\u0430\u0441\u0442\u0440\u043E\u0439\u043A\u0438 \u2605";  // "Настройки ★"
const std::wstring kEncoding = L"\u041A\u043E\u0434\u0438\u0440\u043E\u0432\u0430\u043D\u0438\u0435";  // "Кодирование"
const std::wstring kGreek = L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC";  // "Ελληνικά"

class TntPageControls : public testing_support::FormTest {
 protected:
  void SetUp() override {
    NewForm(380, 260);
    pages = new TTntExPageControl(form);
    pages->SetParent(form);
    pages->SetBounds(10, 10, 340, 200);
  }

  TTntTabSheet* AddSheet(const std::wstring& Caption) {
    auto* sheet = new TTntTabSheet(form);
    sheet->SetCaption(Caption);
    sheet->SetPageControl(pages);
    return sheet;
  }
  std::vector<std::wstring> WideTabs() {
    std::vector<std::wstring> tabs;
    for (int32_t i = 0; i < pages->TabCount(); ++i) {
      wchar_t text[64] = {};
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = text;
      item.cchTextMax = 64;
      SendMessageW(pages->Handle(), TCM_GETITEMW, static_cast<WPARAM>(i),
                   reinterpret_cast<LPARAM>(&item));
      tabs.push_back(text);
    }
    return tabs;
  }
  void ExpectShownPage(int32_t Index) {
    for (int32_t i = 0; i < pages->PageCount(); ++i) {
      TTabSheet* page = pages->Pages(i);
      const bool shown = page->HandleAllocated() && IsWindowVisible(page->WindowHandle());
      EXPECT_EQ(shown, i == Index) << "page " << i << " with page " << Index << " active";
    }
    RECT shown{}, display = pages->DisplayRect();
    GetWindowRect(pages->Pages(Index)->Handle(), &shown);
    MapWindowPoints(nullptr, pages->Handle(), reinterpret_cast<POINT*>(&shown), 2);
    EXPECT_TRUE(EqualRect(&shown, &display)) << "page " << Index;
  }

  TTntExPageControl* pages = nullptr;
};

TEST_F(TntPageControls, WideCaptionsReachTheTabsAndSurviveANewWindow) {
  AddSheet(kSettings);
  TTntTabSheet* second = AddSheet(kEncoding);
  auto* plain = new TTabSheet(form);
  plain->SetCaption("Plain");
  plain->SetPageControl(pages);
  form->Show();
  EXPECT_TRUE(IsWindowUnicode(pages->Handle()));
  EXPECT_EQ(WideTabs(), (std::vector<std::wstring>{kSettings, kEncoding, L"Plain"}));

  // Same length, so the same 8-bit form: only the wide text changes.
  const std::wstring changed = L"\u041A\u043E\u0434\u0438\u0440\u043E\u0432\u0430\u043D\u0438\u044F";
  second->SetCaption(changed);  // a page without a window yet
  EXPECT_EQ(WideTabs(), (std::vector<std::wstring>{kSettings, changed, L"Plain"}));
  pages->SetActivePageIndex(1);  // the first and second pages now have windows
  pages->SetActivePageIndex(2);

  pages->RecreateWnd();
  EXPECT_EQ(WideTabs(), (std::vector<std::wstring>{kSettings, changed, L"Plain"}));
  EXPECT_EQ(pages->ActivePage(), plain);
  EXPECT_EQ(pages->TabIndex(), 2);
  ExpectShownPage(2);
  pages->SetActivePageIndex(0);
  EXPECT_EQ(static_cast<TTntTabSheet*>(pages->Pages(0))->Caption(), kSettings);
  EXPECT_EQ(unicode_test::SystemWindowText(pages->Pages(0)->Handle()), kSettings);
}

TEST_F(TntPageControls, HiddenTabsLeaveEveryPageReachable) {
  for (const std::wstring& caption : {kSettings, kEncoding, kGreek}) AddSheet(caption);
  pages->Pages(1)->SetTabVisible(false);
  form->Show();
  pages->SetActivePageIndex(1);
  pages->SetHideAllTabs(true);
  EXPECT_EQ(pages->TabCount(), 0);
  EXPECT_EQ(pages->ActivePageIndex(), 1);
  for (int32_t index : {2, 0, 1}) {
    pages->SetActivePageIndex(index);
    EXPECT_EQ(pages->ActivePage(), pages->Pages(index));
    EXPECT_EQ(pages->TabIndex(), -1);
    ExpectShownPage(index);
  }
  pages->SetActivePageIndex(2);
  pages->SetHideAllTabs(false);
  EXPECT_EQ(WideTabs(), (std::vector<std::wstring>{kSettings, kGreek}));
  EXPECT_EQ(pages->ActivePageIndex(), 2);
  EXPECT_EQ(pages->TabIndex(), 1);
  ExpectShownPage(2);
  // A new window keeps the tabs hidden.
  pages->SetHideAllTabs(true);
  pages->RecreateWnd();
  EXPECT_EQ(pages->TabCount(), 0);
  ExpectShownPage(2);
}

// A folder: a dark outline round a yellow body, on a fuchsia (transparent) ground.
TBitmap* FolderGlyph() {
  auto* glyph = new TBitmap(16, 16);
  TCanvas* c = glyph->Canvas();
  c->Brush()->SetColor(clFuchsia);
  c->FillRect(RECT{0, 0, 16, 16});
  c->Brush()->SetColor(clYellow);
  c->Pen()->SetColor(clOlive);
  c->Rectangle(1, 4, 15, 14);
  c->Rectangle(1, 2, 7, 5);
  return glyph;
}

TEST(TntPagesGallery, AFormWithPagesAndSpeedButtons) {
  auto* form = testing_support::NewPictureForm("Tavrin - pages", 420, 300);
  auto* pages = new TTntPageControl(form);
  pages->SetParent(form);
  pages->SetBounds(8, 8, 396, 210);
  std::vector<TTntTabSheet*> sheets;
  for (const std::wstring& caption : {kSettings, kEncoding, kGreek}) {
    auto* sheet = new TTntTabSheet(form);
    sheet->SetCaption(caption);
    sheet->SetPageControl(pages);
    sheets.push_back(sheet);
  }
  auto* check = new TTntCheckBox(form);
  check->SetParent(sheets[0]);
  check->SetBounds(12, 12, 220, 20);
  check->SetCaption(L"\u041F\u043E\u043A\u0430\u0437\u044B\u0432\u0430\u0442\u044C \u2605");
  check->SetChecked(true);
  auto* edit = new TTntEdit(form);
  edit->SetParent(sheets[0]);
  edit->SetBounds(12, 44, 300, 23);
  edit->SetText(L"C:\\\u041C\u0443\u0437\u044B\u043A\u0430\\");
  auto* browse = new TTntSpeedButton(form);
  browse->SetParent(sheets[0]);
  browse->SetBounds(316, 44, 23, 23);
  browse->SetCaption(L"...");
  auto* apply = new TTntButton(form);
  apply->SetParent(sheets[0]);
  apply->SetBounds(12, 80, 110, 25);
  apply->SetCaption(L"\u041F\u0440\u0438\u043C\u0435\u043D\u0438\u0442\u044C");
  auto* off = new TTntButton(form);
  off->SetParent(sheets[0]);
  off->SetBounds(130, 80, 110, 25);
  off->SetCaption(L"\u0412\u044B\u043A\u043B.");
  off->SetEnabled(false);

  auto* open = new TTntSpeedButton(form);
  open->SetParent(form);
  open->SetBounds(8, 228, 120, 28);
  TBitmap* glyph = FolderGlyph();
  open->SetGlyph(glyph);
  delete glyph;
  open->SetCaption(L"\u041E\u0442\u043A\u0440\u044B\u0442\u044C");
  auto* down = new TTntSpeedButton(form);
  down->SetParent(form);
  down->SetBounds(136, 228, 120, 28);
  down->SetGroupIndex(1);
  down->SetDown(true);
  down->SetCaption(L"\u0416\u0438\u0432\u043E \u2605");

  testing_support::ShowPainted(form);

  testing_support::Picture picture;
  ASSERT_TRUE(testing_support::TakeWindowPicture(form->Handle(), L"pages_form.png", picture));
  // Dark pixels inside a control (window coordinates from its screen place).
  RECT frame{};
  GetWindowRect(form->Handle(), &frame);
  auto ink = [&](RECT r, int darkest = 96) {
    int dark = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        const COLORREF c = picture.Pixel(x - frame.left, y - frame.top);
        if (c != CLR_INVALID && GetRValue(c) < darkest && GetGValue(c) < darkest && GetBValue(c) < darkest) ++dark;
      }
    }
    return dark;
  };
  auto screen = [&](TControl* control, RECT r) {
    const POINT origin = control->ClientOrigin();
    OffsetRect(&r, origin.x, origin.y);
    return r;
  };
  for (int32_t tab = 0; tab < 3; ++tab) {
    RECT r = pages->TabRect(tab);
    InflateRect(&r, -3, -3);
    EXPECT_GT(ink(screen(pages, r)), 20) << "tab " << tab;
  }
  EXPECT_GT(ink(screen(form, RECT{12, 232, 124, 252})), 20) << "speed button with a glyph";
  EXPECT_GT(ink(screen(form, RECT{140, 232, 252, 252})), 20) << "speed button down";
  // Three small dots, drawn grey by the font smoothing.
  EXPECT_GE(ink(screen(sheets[0], RECT{318, 46, 337, 65}), 176), 3) << "browse button";
  delete form;
}

}  // namespace
