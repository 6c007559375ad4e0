#include "widgets/font_combo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "test_support.h"
#include "window_picture.h"

namespace {

// Counts the builds of the list (calls made while the window exists).
class TCountingFontCombo : public TFontComboBox {
 public:
  using TFontComboBox::TFontComboBox;
  int Builds = 0;
  void RebuildList() override {
    if (HandleAllocated()) ++Builds;
    TFontComboBox::RebuildList();
  }
};

// A font combo on a control in a shown top-level window of its own, shown
// without activation (no window manager runs on the test display).
struct TComboHost {
  HWND TopLevel = CreateWindowExW(WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 60, 60,
                                  320, 300, nullptr, nullptr, nullptr, nullptr);
  TWinControl* Panel = new TWinControl(nullptr);
  TCountingFontCombo* Combo = nullptr;
  explicit TComboHost(TFontComboOptions Options = {}) {
    Panel->SetParentWindow(TopLevel);
    Panel->SetBounds(0, 0, 320, 300);
    Panel->SetColor(clBtnFace);
    Panel->HandleNeeded();
    ShowWindow(Panel->Handle(), SW_SHOWNOACTIVATE);
    Combo = new TCountingFontCombo(Panel);
    {
      TLoadingScope loading(Panel);
      Combo->SetOptions(Options);
      Combo->SetBounds(10, 10, 220, 24);
      Combo->SetParent(Panel);
    }
  }
  ~TComboHost() {
    delete Panel;
    DestroyWindow(TopLevel);
  }
  std::vector<std::string> Items() const {
    std::vector<std::string> items;
    for (int32_t i = 0; i < Combo->Items()->Count(); ++i) items.push_back(Combo->Items()->Strings(i));
    return items;
  }
};

// What GDI itself says of a face, apart from the enumeration the combo reads.
TEXTMETRICA MetricsOf(const std::string& Face) {
  LOGFONTA lf{};
  lf.lfHeight = -12;
  lf.lfCharSet = DEFAULT_CHARSET;
  Face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  HFONT font = CreateFontIndirectA(&lf);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return tm;
}

bool Contains(const std::vector<std::string>& List, const std::string& S) {
  for (const std::string& item : List)
    if (item == S) return true;
  return false;
}

TEST(FontCombo, VerticalFacesAreNeverListed) {
  LOGFONTA lf{};
  strcpy(lf.lfFaceName, "@Tavrin Face");
  EXPECT_FALSE(IsValidFont({}, lf, TRUETYPE_FONTTYPE));
  strcpy(lf.lfFaceName, "Tavrin Face");
  EXPECT_TRUE(IsValidFont({}, lf, TRUETYPE_FONTTYPE));
  TComboHost host;
  for (const std::string& face : host.Items()) EXPECT_NE(face.front(), '@') << face;
}

TEST(FontCombo, FontNameOfAMissingFace) {
  TComboHost host;
  const std::string missing = "Tavrin No Such Face";
  host.Combo->SetFontName(missing);
  EXPECT_EQ(host.Combo->ItemIndex(), -1);
  EXPECT_FALSE(Contains(host.Items(), missing));

  host.Combo->SetOptions({foDisableVerify});
  host.Combo->SetFontName(missing);
  const int32_t index = host.Combo->Items()->IndexOf(missing);
  ASSERT_GE(index, 0);
  EXPECT_EQ(host.Combo->ItemIndex(), index);
  EXPECT_EQ(host.Combo->FontName(), missing);
  EXPECT_EQ(host.Combo->FontTypeOf(index), static_cast<DWORD>(TRUETYPE_FONTTYPE));

  // Picking an item raises OnChange once (the click's), not again for the selection.
  int changes = 0;
  host.Combo->SetOnChange([&](TObject*) { ++changes; });
  host.Combo->SetItemIndex(0);
  host.Combo->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), 0);
  EXPECT_EQ(changes, 1);
}

TEST(FontCombo, TrueTypeAndFixedPitchOnlyListsOnlySuchFaces) {
  TComboHost all;
  TComboHost filtered({foTrueTypeOnly, foFixedPitchOnly});
  const std::vector<std::string> every = all.Items();
  const std::vector<std::string> fixedTrueType = filtered.Items();
  ASSERT_FALSE(every.empty());
  EXPECT_LT(fixedTrueType.size(), every.size());
  bool sawProportionalTrueType = false;
  for (const std::string& face : every) {
    const TEXTMETRICA tm = MetricsOf(face);
    // TMPF_FIXED_PITCH set means a variable pitch (the flag's name misleads).
    const bool trueType = (tm.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
    const bool fixed = (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
    if (trueType && !fixed) sawProportionalTrueType = true;
    EXPECT_EQ(Contains(fixedTrueType, face), trueType && fixed) << face;
  }
  EXPECT_TRUE(sawProportionalTrueType);
}

TEST(FontCombo, ListIsBuiltOncePerChangeNotOnDropDown) {
  TComboHost host;
  TCountingFontCombo* combo = host.Combo;
  EXPECT_EQ(combo->Builds, 1);

  // A hidden box makes no window: the chosen face is only kept, and the
  // window, when it comes, builds the list and shows the face.
  auto* hidden = new TCountingFontCombo(host.Panel);
  hidden->SetVisible(false);
  hidden->SetParent(host.Panel);
  const std::string face = host.Items().at(host.Items().size() / 2);
  hidden->SetFontName(face);
  EXPECT_EQ(hidden->FontName(), face);
  EXPECT_EQ(hidden->Builds, 0);
  EXPECT_FALSE(hidden->HandleAllocated());
  hidden->SetVisible(true);
  EXPECT_TRUE(hidden->HandleAllocated());
  EXPECT_EQ(hidden->Builds, 1);
  EXPECT_EQ(hidden->FontName(), face);
  for (int i = 0; i < 3; ++i) {
    combo->SetDroppedDown(true);
    testing_support::PumpPendingMessages();
    combo->SetDroppedDown(false);
  }
  EXPECT_EQ(combo->Builds, 1);

  // The system broadcasts WM_FONTCHANGE to top-level windows only; the combo
  // hears it through its hidden one. Sent here to this thread's hidden windows.
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND Wnd, LPARAM) -> BOOL {
        char name[64] = {};
        GetClassNameA(Wnd, name, sizeof(name));
        if (std::string(name) == "TPUtilWindow") PostMessageA(Wnd, WM_FONTCHANGE, 0, 0);
        return TRUE;
      },
      0);
  EXPECT_TRUE(testing_support::PumpMessagesUntil([&] { return combo->Builds == 2; }));
  testing_support::PumpPendingMessages();
  EXPECT_EQ(combo->Builds, 2);

  // A face that sorting moves, so that keeping it by its place would fail.
  const std::vector<std::string> unsorted = host.Items();
  std::vector<std::string> sorted = unsorted;
  std::sort(sorted.begin(), sorted.end(), [](const std::string& A, const std::string& B) {
    return lstrcmpiA(A.c_str(), B.c_str()) < 0;
  });
  size_t moved = 0;
  while (moved + 1 < unsorted.size() && unsorted[moved] == sorted[moved]) ++moved;
  const std::string chosen = unsorted.at(moved);
  combo->SetFontName(chosen);
  combo->SetOptions({foNoOEMFonts});
  EXPECT_EQ(combo->Builds, 3);
  combo->SetSorted(true);
  EXPECT_EQ(combo->Builds, 4);
  EXPECT_EQ(combo->FontName(), chosen);  // kept across the rebuilds
  combo->SetOptions({foNoOEMFonts});
  EXPECT_EQ(combo->Builds, 4);
}

TEST(FontCombo, NoPrinterListsNothingMore) {
  wchar_t device[256] = {};
  GetProfileStringW(L"windows", L"device", L"", device, 256);
  if (device[0] != 0) GTEST_SKIP() << "a printer is installed";
  TComboHost host;
  const int32_t screen = host.Combo->Items()->Count();
  EXPECT_NO_THROW(host.Combo->SetDevice(fdPrinter));
  EXPECT_EQ(host.Combo->Items()->Count(), 0);
  host.Combo->SetDevice(fdBoth);
  EXPECT_EQ(host.Combo->Items()->Count(), screen);
}

TEST(FontCombo, DroppedDownPicture) {
  TComboHost host({foWysiWyg});
  host.Combo->SetDropDownCount(10);
  host.Combo->SetDroppedDown(true);
  testing_support::PumpPendingMessages();
  ASSERT_TRUE(host.Combo->DroppedDown());
  HWND list = host.Combo->ListHandle();
  ASSERT_NE(list, nullptr);
  testing_support::Picture picture;
  ASSERT_TRUE(testing_support::TakeWindowPicture(list, L"font_combo_dropped.png", picture));
  // Names are written in the rows: dark ink in the text column of the first rows.
  int dark = 0;
  for (int y = 0; y < std::min(picture.Height, 60); ++y) {
    for (int x = 8; x < std::min(picture.Width, 150); ++x) {
      const COLORREF c = picture.Pixel(x, y);
      if (GetRValue(c) < 96 && GetGValue(c) < 96 && GetBValue(c) < 96) ++dark;
    }
  }
  EXPECT_GT(dark, 20);
  host.Combo->SetDroppedDown(false);
}

}  // namespace
