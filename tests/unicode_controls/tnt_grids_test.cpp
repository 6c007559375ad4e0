// The Unicode string grid: wide cells kept and drawn whole, column and row
// views filled from the top, wide edit texts, and a picture of the program's
// information tables.
#include "unicode_controls/tnt_grids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/tnt_string_list.h"
#include "framework/forms.h"
#include "memory_bitmap.h"
#include "test_forms.h"
#include "test_support.h"
#include "window_picture.h"

using testing_support::InkInWindowPicture;
using testing_support::MemoryCanvas;
using testing_support::PumpMessagesUntil;

namespace {

// Outside every single-byte code page: Cyrillic, a star, CJK.
const std::wstring kWide = L"\u041F\u0440\u0438\u0432\u0435\u0442 \u2605 \u65E5\u672C";
// The same kind of text in scripts the test display's font has glyphs for.
const std::wstring kShown =
    L"\u0420\u0430\u0434\u0438\u043E \u2605 \u0395\u03BB\u03BB\u03AC\u03B4\u03B1";

class TntGrids : public testing_support::FormTest {
 protected:
  void SetUp() override {
    NewForm(420, 320);
    grid = new TTntStringGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 380, 200);
    grid->SetDefaultColWidth(120);
    grid->SetColCount(3);
    grid->SetRowCount(4);
    ShowForm();
  }
  std::vector<std::wstring> Column(int32_t col) {
    std::vector<std::wstring> cells;
    for (int32_t row = 0; row < grid->RowCount(); ++row) cells.push_back(grid->Cells(col, row));
    return cells;
  }

  TTntStringGrid* grid = nullptr;
};

TEST_F(TntGrids, WideCellsReadBackAndAreDrawnWhole) {
  grid->SetCells(2, 3, kWide);
  EXPECT_EQ(grid->Cells(2, 3), kWide);
  EXPECT_EQ(grid->Cols(2)->Strings(3), kWide);
  EXPECT_EQ(grid->Rows(3)->Strings(2), kWide);
  grid->HandleNeeded();
  grid->RecreateWnd();
  EXPECT_EQ(grid->Cells(2, 3), kWide);

  // The cell as the grid paints it, against the same text put out by the
  // system's own wide call in the same font and colours.
  const RECT cell = grid->CellRect(2, 3);
  ASSERT_FALSE(IsRectEmpty(&cell));
  MemoryCanvas painted(400, 220), expected(400, 220);
  int ownerDrawn = 0;
  grid->SetOnDrawCell([&](TObject*, int32_t c, int32_t r, const RECT&, TGridDrawState) {
    ownerDrawn += c == 2 && r == 3;
  });
  grid->Perform(WM_PAINT, reinterpret_cast<WPARAM>(painted.DC()), 0);
  EXPECT_EQ(ownerDrawn, 1);  // after the grid's own text
  HGDIOBJ old = SelectObject(expected.DC(), grid->Font()->Handle());
  SetTextColor(expected.DC(), GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(expected.DC(), GetSysColor(COLOR_WINDOW));
  ExtTextOutW(expected.DC(), cell.left + 2, cell.top + 2, ETO_CLIPPED | ETO_OPAQUE, &cell,
              kWide.c_str(), static_cast<UINT>(kWide.size()), nullptr);
  SelectObject(expected.DC(), old);
  int differing = 0;
  for (int y = cell.top; y < cell.bottom; ++y) {
    for (int x = cell.left; x < cell.right; ++x)
      differing += painted.Pixel(x, y) != expected.Pixel(x, y);
  }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(expected.Count(cell, GetSysColor(COLOR_WINDOWTEXT), 64), 20);
}

TEST_F(TntGrids, ColumnAndRowViewsFillFreeCellsFromTheTop) {
  grid->SetFixedCols(0);
  grid->SetFixedRows(0);
  TTntStringGridStrings* col = grid->Cols(1);
  TObject marker;
  col->Clear();
  // An empty value takes its own row: what follows does not move up.
  EXPECT_EQ(col->Add(L"a"), 0);
  EXPECT_EQ(col->Add(L""), 1);
  EXPECT_EQ(col->AddObject(kWide, &marker), 2);
  EXPECT_EQ(Column(1), (std::vector<std::wstring>{L"a", L"", kWide, L""}));
  EXPECT_EQ(grid->Objects(1, 2), &marker);
  EXPECT_EQ(col->Add(L"d"), 3);
  // Full: nothing is added anywhere.
  EXPECT_EQ(col->Add(L"e"), -1);
  EXPECT_EQ(col->AddObject(L"f", &marker), -1);
  EXPECT_EQ(Column(1), (std::vector<std::wstring>{L"a", L"", kWide, L"d"}));
  EXPECT_EQ(col->Count(), 4);
  EXPECT_THROW(col->Insert(0, L"x"), EInvalidGridOperation);
  EXPECT_THROW(col->Delete(0), EInvalidGridOperation);

  // Clearing empties every cell and frees them all.
  col->Clear();
  EXPECT_EQ(Column(1), std::vector<std::wstring>(4));
  EXPECT_EQ(grid->Objects(1, 2), nullptr);
  TTntStringList lines;
  for (const wchar_t* s : {L"1", L"", L"3", L"4", L"5"}) lines.Add(s);
  grid->SetCols(1, &lines);
  EXPECT_EQ(Column(1), (std::vector<std::wstring>{L"1", L"", L"3", L"4"}));

  // A row view shares the cells and fills across.
  TTntStringGridStrings* row = grid->Rows(2);
  EXPECT_EQ(row->Count(), 3);
  EXPECT_EQ(row->Strings(1), L"3");
  row->Clear();
  EXPECT_EQ(row->Add(kWide), 0);
  EXPECT_EQ(row->Add(L"x"), 1);
  EXPECT_EQ(grid->Cells(1, 2), L"x");
  EXPECT_EQ(col->Strings(2), L"x");
  row->SetStrings(2, L"y");
  EXPECT_EQ(grid->Cells(2, 2), L"y");
  EXPECT_EQ(row->Add(L"z"), -1);
  EXPECT_THROW(grid->Cols(3), EInvalidGridOperation);
  EXPECT_THROW(row->Strings(3), EInvalidGridOperation);
}

TEST_F(TntGrids, EditTextEventsSeeWideText) {
  grid->SetOptions(grid->Options() | goEditing);
  grid->SetCells(1, 1, kWide);
  std::vector<std::wstring> stored;
  grid->SetOnGetEditText(
      [](TObject*, int32_t, int32_t, std::wstring& value) { value += L" \u2116"; });
  grid->SetOnSetEditText([&](TObject*, int32_t c, int32_t r, const std::wstring& value) {
    stored.push_back(std::to_wstring(c) + L"," + std::to_wstring(r) + L"=" + value);
  });
  grid->SetEditorMode(true);
  auto* editor = dynamic_cast<TTntInplaceEdit*>(grid->InplaceEditor());
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(IsWindowUnicode(editor->Handle()));
  EXPECT_EQ(editor->Text(), kWide + L" \u2116");
  EXPECT_TRUE(stored.empty());  // loading the editor is no edit

  editor->SetText(L"\u65B0\u3057\u3044");
  EXPECT_EQ(stored, std::vector<std::wstring>{L"1,1=\u65B0\u3057\u3044"});
  EXPECT_EQ(grid->Cells(1, 1), L"\u65B0\u3057\u3044");

  // A character typed on the grid opens the editor and replaces the text.
  SendMessageW(editor->Handle(), WM_CHAR, '\r', 1);
  ASSERT_FALSE(grid->EditorMode());
  SendMessageW(grid->Handle(), WM_CHAR, 0x042F, 1);  // "Я"
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_EQ(editor->Text(), L"\u042F");
  EXPECT_EQ(grid->Cells(1, 1), L"\u042F");
  EXPECT_EQ(stored.back(), L"1,1=\u042F");
}

RECT InWindow(HWND window, HWND child) { return testing_support::ChildInWindow(window, child, 3); }

TEST(TntGridPicture, AnInformationTableAndAGridWithFixedCells) {
  auto* form = testing_support::NewPictureForm("Tavrin - grids", 480, 230);

  // Built as the stream information window builds its table: one read-only
  // column, 17-pixel rows, no fixed cells, a vertical bar, and a line added
  // by growing the row count and filling the first free row.
  auto* info = new TTntStringGrid(form);
  info->SetParent(form);
  info->SetBounds(8, 8, 225, 158);
  info->SetColCount(1);
  info->SetRowCount(1);
  info->SetFixedCols(0);
  info->SetFixedRows(0);
  info->SetDefaultRowHeight(17);
  info->SetColWidths(0, 221);
  info->SetScrollBars(ssVertical);
  info->SetTag(1);
  info->Cols(0)->Clear();
  for (const std::wstring& line :
       {std::wstring(L"Connected to internet radio"), L"ICY-name : " + kShown,
        std::wstring(L"Server: Icecast 2.4.4"), std::wstring(L"icy-genre: Jazz"),
        std::wstring(L"icy-br: 128"), std::wstring(L"icy-pub: 1"),
        std::wstring(L"content-type: audio/mpeg"), std::wstring(L"icy-metaint: 16000"),
        std::wstring(L"Buffer: 87.50%")}) {
    info->SetRowCount(info->RowCount() + 1);
    info->Cols(0)->Add(line);
  }

  auto* table = new TTntStringGrid(form);
  table->SetParent(form);
  table->SetBounds(248, 8, 212, 67);
  table->SetColCount(3);
  table->SetRowCount(3);
  table->SetDefaultColWidth(69);
  table->SetDefaultRowHeight(20);
  table->SetScrollBars(ssNone);
  const wchar_t* texts[3][3] = {{L"", L"Name", L"\u0417\u043D\u0430\u0447."},
                                {L"1", L"Bitrate", L"128 kbps"},
                                {L"2", L"Title", L"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1 \u2605"}};
  for (int32_t r = 0; r < 3; ++r) {
    for (int32_t c = 0; c < 3; ++c) table->SetCells(c, r, texts[r][c]);
  }
  testing_support::ShowPainted(form);

  EXPECT_EQ(info->RowCount(), 10);
  EXPECT_EQ(info->Cells(0, 9), L"");  // one empty row stays at the bottom
  EXPECT_NE(GetWindowLongPtrW(info->Handle(), GWL_STYLE) & WS_VSCROLL, 0);
  EXPECT_GT(
      InkInWindowPicture(form->Handle(), L"grids_form.png", InWindow(form->Handle(), info->Handle())),
      200);
  EXPECT_GT(
      InkInWindowPicture(form->Handle(), L"grids_form.png", InWindow(form->Handle(), table->Handle())),
      100);
  form->Hide();
  delete form;
}

}  // namespace
