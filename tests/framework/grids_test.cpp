// The framework's string grid on a real window: moving the current cell by
// keys and mouse keeps it in view, the scroll bars follow, the in-place editor
// carries texts both ways, and the cells are painted in their states' colours.
#include "framework/grids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/forms.h"
#include "memory_bitmap.h"
#include "test_forms.h"
#include "test_support.h"

using testing_support::MemoryCanvas;
using testing_support::PumpMessagesUntil;

namespace {

class Grids : public testing_support::FormTest {
 protected:
  void SetUp() override {
    NewForm(420, 320);
    grid = new TStringGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 300, 200);
    grid->SetColCount(8);
    grid->SetRowCount(40);
    ShowForm();
  }

  void Click(int32_t col, int32_t row, WPARAM keys = MK_LBUTTON) {
    const RECT r = grid->CellRect(col, row);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(grid->Handle(), WM_LBUTTONDOWN, keys, at);
    SendMessageA(grid->Handle(), WM_LBUTTONUP, keys & ~static_cast<WPARAM>(MK_LBUTTON), at);
  }
  // The current cell lies whole inside the client area, and a vertical bar
  // shows the top row.
  void ExpectCurrentShown(const char* step) {
    const RECT cell = grid->CellRect(grid->Col(), grid->Row());
    const RECT client = grid->ClientRect();
    EXPECT_FALSE(IsRectEmpty(&cell)) << step;
    EXPECT_LE(cell.right, client.right) << step;
    EXPECT_LE(cell.bottom, client.bottom) << step;
    EXPECT_GE(cell.top, grid->RowHeights(0)) << step;  // below the fixed row
    if (!(GetWindowLongPtrA(grid->Handle(), GWL_STYLE) & WS_VSCROLL)) return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    ASSERT_TRUE(GetScrollInfo(grid->Handle(), SB_VERT, &info)) << step;
    EXPECT_EQ(info.nPos, grid->TopRow() - grid->FixedRows()) << step;
  }

  TStringGrid* grid = nullptr;
};

TEST_F(Grids, KeysMoveTheCurrentCellAndScrollItIntoView) {
  const int32_t page = grid->VisibleRowCount();
  ASSERT_GT(page, 2);
  struct Step {
    WORD key;
    bool ctrl;
    int32_t col, row;
  } steps[] = {
      {VK_DOWN, false, 1, 2},          {VK_RIGHT, false, 2, 2}, {VK_NEXT, false, 2, 2 + page},
      {VK_END, true, 7, 39},           {VK_UP, false, 7, 38},   {VK_HOME, false, 1, 38},
      {VK_PRIOR, false, 1, 38 - page}, {VK_HOME, true, 1, 1},   {VK_UP, false, 1, 1},
      {VK_LEFT, false, 1, 1},
  };
  for (const Step& s : steps) {
    {
      testing_support::ScopedKeys keys(s.ctrl ? std::initializer_list<int>{VK_CONTROL}
                                              : std::initializer_list<int>{});
      SendMessageA(grid->Handle(), WM_KEYDOWN, s.key, 1);
    }
    const std::string step = "key " + std::to_string(s.key);
    EXPECT_EQ(grid->Col(), s.col) << step;
    EXPECT_EQ(grid->Row(), s.row) << step;
    ExpectCurrentShown(step.c_str());
  }
  // The bar scrolls the view away from the current cell; the next key
  // brings it back.
  SendMessageA(grid->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_GT(grid->TopRow(), 20);
  SendMessageA(grid->Handle(), WM_KEYDOWN, VK_DOWN, 1);
  EXPECT_EQ(grid->Row(), 2);
  ExpectCurrentShown("after the bar");
  grid->SetRow(30);
  ExpectCurrentShown("SetRow");
  SendMessageA(grid->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-3 * WHEEL_DELTA)),
               0);
  EXPECT_EQ(grid->Row(), 33);
  ExpectCurrentShown("wheel");
}

TEST_F(Grids, ScrollBarsShowOnlyWhileSomethingIsHidden) {
  auto hasBar = [&](LONG_PTR style) {
    return (GetWindowLongPtrA(grid->Handle(), GWL_STYLE) & style) != 0;
  };
  EXPECT_TRUE(hasBar(WS_VSCROLL));
  EXPECT_TRUE(hasBar(WS_HSCROLL));  // 300 pixels hold four of the eight columns
  grid->SetColCount(3);
  grid->SetRowCount(4);
  EXPECT_FALSE(hasBar(WS_VSCROLL));
  EXPECT_FALSE(hasBar(WS_HSCROLL));
  grid->SetRowCount(40);
  grid->SetScrollBars(ssNone);
  EXPECT_FALSE(hasBar(WS_VSCROLL));
  grid->SetRow(39);
  ExpectCurrentShown("without bars");
}

TEST_F(Grids, MouseSelectsCellsAndRanges) {
  std::vector<std::pair<int32_t, int32_t>> asked;
  grid->SetOnSelectCell([&](TObject*, int32_t c, int32_t r, bool& can) {
    asked.emplace_back(c, r);
    can = !(c == 1 && r == 4);
  });
  Click(3, 2);
  EXPECT_EQ(grid->Col(), 3);
  EXPECT_EQ(grid->Row(), 2);
  {
    testing_support::ScopedKeys keys({VK_SHIFT});
    Click(2, 5, MK_LBUTTON | MK_SHIFT);
  }
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 2, 3, 5}));
  Click(0, 3);  // a fixed cell
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 2, 3, 5}));
  Click(1, 4);  // refused
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(asked.back(), std::make_pair(1, 4));
  grid->SetOptions(grid->Options() & ~static_cast<TGridOptions>(goRangeSelect));
  Click(1, 1, MK_LBUTTON | MK_SHIFT);
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 1, 1}));
}

TEST_F(Grids, TheEditorCarriesTheCellTextBothWays) {
  grid->SetOptions(grid->Options() | goEditing);
  grid->SetCells(1, 1, "first");
  grid->SetCells(1, 2, "second");
  SendMessageA(grid->Handle(), WM_KEYDOWN, VK_F2, 1);
  ASSERT_TRUE(grid->EditorMode());
  TInplaceEdit* editor = grid->InplaceEditor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->Text(), "first");
  editor->SetText("changed");
  EXPECT_EQ(grid->Cells(1, 1), "changed");
  SendMessageA(editor->Handle(), WM_KEYDOWN, VK_DOWN, 1);  // the editor follows
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_EQ(editor->Text(), "second");
  SendMessageA(editor->Handle(), WM_CHAR, '\r', 1);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_FALSE(IsWindowVisible(editor->Handle()));
  // Typing on the grid starts an edit that replaces the text.
  SendMessageA(grid->Handle(), WM_CHAR, 'x', 1);
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_EQ(grid->Cells(1, 2), "x");
  // A cell changed by code while shown reaches the editor.
  grid->SetCells(1, 2, "from code");
  EXPECT_EQ(editor->Text(), "from code");
}

TEST_F(Grids, FixedCountsStayBelowTheCounts) {
  EXPECT_THROW(grid->SetFixedCols(8), EInvalidGridOperation);
  EXPECT_THROW(grid->SetFixedRows(-1), EInvalidGridOperation);
  grid->SetColCount(1);
  EXPECT_EQ(grid->FixedCols(), 0);
  EXPECT_EQ(grid->Col(), 0);
  EXPECT_THROW(grid->SetCells(1, 0, "outside"), EInvalidGridOperation);
  EXPECT_EQ(grid->Cells(1, 0), "");
}

TEST_F(Grids, CellsArePaintedInTheirStatesColours) {
  grid->SetColCount(3);
  grid->SetRowCount(3);
  grid->SetOptions(grid->Options() | goRowSelect);
  const int w = grid->DefaultColWidth(), h = grid->DefaultRowHeight();
  MemoryCanvas m(300, 200);
  grid->Perform(WM_PAINT, reinterpret_cast<WPARAM>(m.DC()), 0);
  const COLORREF face = GetSysColor(COLOR_BTNFACE), window = GetSysColor(COLOR_WINDOW),
                 highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(m.Pixel(w / 2, h / 2), face);                     // fixed corner
  EXPECT_EQ(m.Pixel(w + 1 + w / 2, h + 4), highlight);        // current row, selected
  EXPECT_EQ(m.Pixel(2 * (w + 1) + w / 2, h + 4), highlight);  // the rest of the row
  EXPECT_EQ(m.Pixel(w + 1 + w / 2, 2 * (h + 1) + h / 2), window);
  EXPECT_EQ(m.Pixel(w + 1 + w, 2 * (h + 1) + 3), face);  // line between normal cells
  EXPECT_EQ(m.Pixel(w, h / 2), RGB(0, 0, 0));            // line after a fixed cell
}

}  // namespace
