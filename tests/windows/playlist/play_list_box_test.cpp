#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "framework/dialogs.h"
#include "framework/forms.h"
#include "framework/menus.h"
#include "memory_bitmap.h"
#include "skin/slider.h"
#include "test_support.h"
#include "window_picture.h"
#include "windows/playlist/play_list_box.h"

namespace {

// A box 200 x 160 on a hidden form: ten rows of 16 pixels.
class PlayListBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    form.SetBounds(0, 0, 300, 240);
    box = new TPlayListBox(&form);
    box->SetParent(&form);
    box->SetBounds(0, 0, 200, 160);
    for (TFont* f : {box->ItemFont(), box->SelectedItemFont()}) {
      f->SetName("Tahoma");
      f->SetHeight(-11);
      f->SetStyle({});
    }
  }

  // Entries titled A, B, C... (or by the given titles), 60 s + index long.
  void Fill(int n, std::vector<std::wstring> titles = {}) {
    for (int i = 0; i < n; ++i) {
      TElem e;
      e.Title = i < static_cast<int>(titles.size()) ? titles[i] : std::wstring(1, wchar_t(L'A' + i % 26));
      e.FileName = L"C:\\music\\" + e.Title + L".mp3";
      e.Duration = 60 + i;
      box->List()->Add(e);
    }
    box->List()->Changed();
  }

  std::wstring Order() {
    std::wstring s;
    TElem e;
    for (int i = 0; i < box->Count(); ++i) {
      box->List()->GetElem(i, e);
      s += e.Title;
    }
    return s;
  }
  // "X" for each selected entry, "." for the others.
  std::string Selection() {
    std::string s;
    for (int i = 0; i < box->Count(); ++i) s += box->List()->GetSelected(i) ? 'X' : '.';
    return s;
  }
  void Select(const std::string& pattern) {
    for (int i = 0; i < box->Count(); ++i) box->List()->SetSelected(i, pattern[i] == 'X');
  }
  void Send(UINT message, WPARAM keys, int x, int y) {
    SendMessageW(box->Handle(), message, keys, MAKELPARAM(x, y));
  }
  void Wheel(int delta, WPARAM keys) {
    SendMessageW(box->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(delta)), 0);
  }

  TForm form{nullptr};
  TPlayListBox* box = nullptr;
};

TEST_F(PlayListBoxTest, ClicksSelectWithCtrlAndShift) {
  Fill(6);
  struct Step {
    WPARAM keys;
    int row;
    const char* selection;
  } steps[] = {
      {0, 1, ".X...."},           {MK_CONTROL, 3, ".X.X.."}, {MK_CONTROL, 1, "...X.."},
      {MK_SHIFT, 5, ".XXXXX"},    {0, 2, "..X..."},          {MK_SHIFT, 0, "XXX..."},
      {MK_CONTROL, 9, "XXX..."},  // Ctrl past the end: nothing toggles
      {0, 9, "......"},           // a plain click past the end clears
  };
  for (const Step& s : steps) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON | s.keys, 50, s.row * 16 + 5);
    Send(WM_LBUTTONUP, s.keys, 50, s.row * 16 + 5);
    EXPECT_EQ(Selection(), s.selection) << "row " << s.row << " keys " << s.keys;
  }
  // Stepping: nothing selected selects entry 0 either way; the ends hold.
  struct StepCase {
    const char* before;
    bool down;
    const char* after;
  } cases[] = {{"......", true, "X....."}, {"......", false, "X....."}, {"..X.X.", true, "...X.."},
               {"..X...", false, ".X...."}, {".....X", true, ".....X"}, {"X.....", false, "X....."}};
  for (const StepCase& c : cases) {
    Select(c.before);
    box->SelectStep(c.down);
    EXPECT_EQ(Selection(), c.after) << c.before << (c.down ? " down" : " up");
  }
}

TEST_F(PlayListBoxTest, DraggingMovesTheSelectedBlockKeepingOrderAndGaps) {
  struct Case {
    const char* preselected;
    int grab, to;
    const wchar_t* order;
  } cases[] = {
      {".X......", 3, 5, L"ACEBFDGH"},  // B and D two down, one apart still
      {"X.......", 2, 0, L"ABCDEFGH"},  // the block starts at the top: nothing moves
      {"....X...", 6, 9, L"ABCDFEHG"},  // stops when the last selected reaches the end
      {"........", 4, 2, L"ABECDFGH"},  // a single entry moves up
  };
  for (const Case& c : cases) {
    box->List()->Clear();
    Fill(8);
    Select(c.preselected);
    box->SetItemIndex(3);  // D plays
    Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 50, c.grab * 16 + 5);
    for (int row = c.grab; row != c.to; row += c.to > c.grab ? 1 : -1)
      Send(WM_MOUSEMOVE, MK_LBUTTON, 50, (row + (c.to > c.grab ? 1 : -1)) * 16 + 5);
    Send(WM_LBUTTONUP, 0, 50, c.to * 16 + 5);
    EXPECT_EQ(Order(), c.order) << c.preselected;
    TElem current;
    box->List()->GetElem(box->ItemIndex(), current);
    EXPECT_EQ(current.Title, L"D") << c.preselected;
    EXPECT_FALSE(box->Dragging());
  }
  // A move without the button held (its release went elsewhere) drags nothing.
  Select("X.......");
  Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 50, 5);
  Send(WM_MOUSEMOVE, 0, 50, 3 * 16 + 5);
  EXPECT_FALSE(box->Dragging());
}

TEST_F(PlayListBoxTest, WheelAndSliderScrollInStep) {
  Fill(100);
  TSlider* slider = new TSlider(&form);
  slider->SetParent(&form);
  slider->SetOrientation(soVertical);
  box->LinkSlider(slider);
  EXPECT_EQ(box->MaxTop(), 90);
  EXPECT_EQ(slider->MaxValue(), 90);
  struct Step {
    int delta;
    WPARAM keys;
    int top;
  } steps[] = {
      {-120, 0, 1},  {-120, MK_CONTROL, 9}, {120, 0, 8},  {120, MK_CONTROL, 0}, {120, 0, 0},
      {-240, 0, 2},  {-60, 0, 2},           {-60, 0, 3},  // half notches add up
      {120, MK_CONTROL, 3},                               // 3 - 8 < 0: stays
      {120, 0, 2},
  };
  for (const Step& s : steps) {
    Wheel(s.delta, s.keys);
    EXPECT_EQ(box->TopIndex(), s.top) << s.delta << " " << s.keys;
    EXPECT_EQ(slider->Value(), s.top);
  }
  box->SetTopIndex(85);
  Wheel(-120, MK_CONTROL);  // 93 would pass the slider's end
  EXPECT_EQ(box->TopIndex(), 90);
  EXPECT_EQ(slider->Value(), 90);
  slider->SetValue(40);
  EXPECT_EQ(box->TopIndex(), 40);
  // Fewer entries and a taller box pull the range and the slider back.
  for (int i = 0; i < 50; ++i) box->List()->Delete(0, false);
  box->List()->Changed();
  EXPECT_EQ(box->MaxTop(), 40);
  EXPECT_EQ(box->TopIndex(), 40);
  box->SetHeight(320);
  EXPECT_EQ(box->VisibleRows(), 20);
  EXPECT_EQ(box->MaxTop(), 30);
  EXPECT_EQ(box->TopIndex(), 30);
  EXPECT_EQ(slider->Value(), 30);
  box->SetItemIndex(2);
  box->GoToCurrent();
  EXPECT_EQ(box->TopIndex(), 0);
  // An empty list shows no thumb; the first entry brings it back.
  EXPECT_TRUE(slider->ThumbVisible());
  box->List()->Clear();
  EXPECT_FALSE(slider->ThumbVisible());
  Fill(1);
  EXPECT_TRUE(slider->ThumbVisible());
}

TEST_F(PlayListBoxTest, FindsATitleIgnoringCase) {
  Fill(40, {});
  box->List()->SetTitle(25, L"Queen - Bohemian Rhapsody");
  box->List()->SetTitle(30, L"Кино - Группа крови");
  struct Case {
    const wchar_t* text;
    int selected, top;
  } cases[] = {{L"bohemian", 25, 20}, {L"ГРУППА", 30, 25}, {L"no such title", 30, 25}};
  for (const Case& c : cases) {
    box->FindTitle(c.text);
    EXPECT_EQ(box->List()->FirstSelected(), c.selected) << c.text;
    EXPECT_EQ(box->TopIndex(), c.top) << c.text;
  }
  EXPECT_EQ(Selection().find('X', 31), std::string::npos);  // the only selected one
}

TEST_F(PlayListBoxTest, DeletingTheSelectionKeepsTheCurrentEntry) {
  testing_support::TempDir dir;
  std::vector<std::wstring> names;
  for (const wchar_t* n : {L"a.mp3", L"b.mp3", L"c.mp3", L"d.mp3", L"e.mp3"}) {
    names.push_back(dir.WriteFile(n, "x"));
    TElem e;
    e.Title = n;
    e.FileName = names.back();
    box->List()->Add(e);
  }
  dir.WriteFile(L"b.txt", "lyrics");
  SetFileAttributesW(names[1].c_str(), FILE_ATTRIBUTE_READONLY);
  DeleteFileW(names[4].c_str());  // e: its file is gone, so its entry stays
  box->List()->Changed();
  box->SetItemIndex(2);
  Select("XX.XX");
  EXPECT_EQ(box->SelectedBeforeCurrent(), 2);
  box->DeleteSelected(true);
  EXPECT_EQ(Order(), L"c.mp3e.mp3");
  EXPECT_EQ(box->ItemIndex(), 0);
  EXPECT_EQ(testing_support::FilesIn(dir.Path()), std::set<std::wstring>{L"c.mp3"});
  // Without the files; the current entry selected too goes, and with it the mark.
  Select("XX");
  box->DeleteSelected(false);
  EXPECT_EQ(box->Count(), 0);
  EXPECT_EQ(box->ItemIndex(), -1);
}

TEST_F(PlayListBoxTest, TotalTimeCountsMeasuredEntriesOnly) {
  Fill(3);
  box->List()->SetDuration(0, 180);
  box->List()->SetDuration(1, -1);  // a stream
  box->List()->SetDuration(2, -7);  // damaged
  std::wstring text, caption;
  MessageBoxSink previous = SetMessageBoxSink([&](HWND, const std::wstring& t, const std::wstring& c, UINT) {
    text = t;
    caption = c;
    return IDOK;
  });
  box->ShowTotalTime();
  SetMessageBoxSink(previous);
  EXPECT_EQ(text, L"03:00");
  EXPECT_EQ(caption, L"Total duration");
}

TEST_F(PlayListBoxTest, NumbersColumnFitsTheDigitsOfTheRowAfterTheLastShown) {
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, box->ItemFont()->Handle());
  SIZE zero{};
  GetTextExtentPoint32W(dc, L"0", 1, &zero);
  DeleteDC(dc);
  const int d = zero.cx;
  struct Case {
    int count, top, digits;
  } cases[] = {{0, 0, 0}, {9, 0, 2}, {8, 0, 1}, {1000, 989, 4}, {1000, 988, 3}, {100000, 99989, 6}};
  for (const Case& c : cases) {
    box->List()->Clear();
    for (int i = 0; i < c.count; ++i) box->List()->Add(TElem{L"", L"t", L"f", -1, false});
    box->List()->Changed();
    box->SetTopIndex(c.top);
    EXPECT_EQ(box->NumbersColumnWidth(), c.digits ? c.digits * d + d / 2 + 4 : 0) << c.count << " " << c.top;
  }
  box->SetShowNumbers(false);
  EXPECT_EQ(box->NumbersColumnWidth(), 0);
  // The row height never drops below one pixel.
  for (int h : {0, -16}) {
    box->SetItemHeight(h);
    EXPECT_EQ(box->ItemHeight(), 1);
    EXPECT_EQ(box->VisibleRows(), 160);
    EXPECT_EQ(box->ItemAtPos(0, 170), 99999);
  }
}

TEST_F(PlayListBoxTest, PaintsColoursAndColumnsIntoAMemoryCanvas) {
  constexpr TColor kRows = 0x00C000, kSelected = 0x808080, kNumbers = 0xFF0000, kPicture = 0xFF00FF;
  box->SetBounds(0, 0, 200, 80);  // five rows
  box->SetItemBGColor(kRows);
  box->SetSelectedItemBGColor(kSelected);
  box->SetNumbersBGColor(kNumbers);
  box->ItemFont()->SetColor(clBlack);
  box->SelectedItemFont()->SetColor(clWhite);
  box->SetShowDuration(true);
  Fill(3, {L"One", L"Two", L"Three"});
  box->List()->SetDuration(2, -1);
  box->List()->SetSelected(1, true);
  box->SetItemIndex(0);
  testing_support::MemoryCanvas canvas(200, 80, clYellow);
  box->PaintTo(canvas.DC());
  const int n = box->NumbersColumnWidth();
  ASSERT_GT(n, 0);
  EXPECT_EQ(canvas.Pixel(n - 1, 70), COLORREF(kNumbers));
  EXPECT_EQ(canvas.Pixel(n, 70), COLORREF(kRows));
  EXPECT_EQ(canvas.Pixel(198, 17), COLORREF(kSelected));  // row 1 is selected
  EXPECT_EQ(canvas.Pixel(198, 1), COLORREF(kRows));
  // Ink per row: the number ends in the numbers column, the title starts right of it,
  // the duration ends 4 pixels from the edge; the playing row is in its own colour.
  auto ink = [&](int row, int from, int to, TColor background) {
    return canvas.Count(RECT{from, row * 16, to, row * 16 + 16}, ColorToRGB(background), 0) <
           (to - from) * 16;
  };
  for (int row = 0; row < 3; ++row) {
    const TColor rowBg = row == 1 ? kSelected : kRows;
    EXPECT_TRUE(ink(row, 0, n, kNumbers)) << row;
    EXPECT_FALSE(ink(row, n - n / 4, n, kNumbers)) << row;  // right-aligned, clear of the edge
    EXPECT_TRUE(ink(row, n, n + 30, rowBg)) << row;
    EXPECT_FALSE(ink(row, 196, 200, rowBg)) << row;
    EXPECT_EQ(ink(row, 170, 196, rowBg), row != 2) << row;  // no duration for -1
  }
  EXPECT_GT(canvas.Count(RECT{0, 0, 200, 16}, RGB(255, 255, 255)), 0);
  EXPECT_EQ(canvas.Count(RECT{0, 16, 200, 48}, RGB(255, 255, 255)), 0);
  EXPECT_GT(canvas.Count(RECT{0, 16, 200, 48}, RGB(0, 0, 0)), 0);
  if (const char* dir = getenv("TAVRIN_PICTURE_DIR"))
    testing_support::SaveDCPicture(canvas.DC(), 200, 80,
                                   std::wstring(dir, dir + strlen(dir)) + L"\\play_list_box.png");

  // A background picture centres right of the numbers column (both axes).
  testing_support::TempDir dir;
  EXPECT_EQ(box->LoadBackground(dir.File(L"missing.bmp")), 3);
  EXPECT_FALSE(box->HasBackground());
  TBitmap picture;
  picture.SetPixelFormat(pf24bit);
  picture.SetSize(20, 10);
  picture.Canvas()->Brush()->SetColor(kPicture);
  picture.Canvas()->FillRect(RECT{0, 0, 20, 10});
  picture.SaveToFile(dir.File(L"bg.bmp"));
  ASSERT_EQ(box->LoadBackground(dir.File(L"bg.bmp")), 0);
  ASSERT_TRUE(box->HasBackground());
  box->PaintTo(canvas.DC());
  const int x = (200 + n - 20) / 2, y = (80 + n - 10) / 2;
  EXPECT_EQ(canvas.Count(RECT{0, 0, 200, 80}, ColorToRGB(kPicture)), 200);
  EXPECT_EQ(canvas.Count(RECT{x, y, x + 20, y + 10}, ColorToRGB(kPicture)), 200);
  box->FreeBackground();
  box->PaintTo(canvas.DC());
  EXPECT_EQ(canvas.Count(RECT{0, 0, 200, 80}, ColorToRGB(kPicture)), 0);
  // Skins ship PNG pictures too; a file that is no picture gives none.
  testing_support::MemoryCanvas png(8, 8, kPicture);
  ASSERT_TRUE(testing_support::SaveDCPicture(png.DC(), 8, 8, dir.File(L"bg.png")));
  EXPECT_EQ(box->LoadBackground(dir.File(L"bg.png")), 0);
  EXPECT_TRUE(box->HasBackground());
  EXPECT_EQ(box->LoadBackground(dir.WriteFile(L"bad.png", "\x89PNG\r\n\x1a\n garbage")), 0);
  EXPECT_FALSE(box->HasBackground());
}

// A character outside the basic plane shows as one character, as the edit
// boxes draw it (Wine's plain text drawing makes two boxes of it), and a row
// cut short ends in an ellipsis after whole characters.
TEST_F(PlayListBoxTest, CharactersOutsideTheBasicPlaneShowAsTheEditBoxesDrawThem) {
  const std::wstring math = L"\U0001D400", note = L"\U0001F3B5";
  std::wstring cut;
  for (int i = 0; i < 40; ++i) cut += math + L" ";
  box->SetShowNumbers(false);
  box->SetItemBGColor(clWhite);
  box->ItemFont()->SetColor(clBlack);
  Fill(3, {L"A" + math + L"B", L"A" + note + L"B", cut});
  testing_support::MemoryCanvas canvas(200, 48, clWhite);
  box->PaintTo(canvas.DC());
  const HFONT font = box->ItemFont()->Handle();
  auto row = [&](int r) {
    return testing_support::InkShapeOf(canvas, RECT{0, r * 16, 200, r * 16 + 16}, RGB(255, 255, 255));
  };
  EXPECT_EQ(row(0), testing_support::EditControlInk(font, L"A" + math + L"B"));
  EXPECT_EQ(row(1), testing_support::EditControlInk(font, L"A" + note + L"B"));
  // As many whole characters as fill most of the row.
  bool whole = false;
  for (size_t n = 0; n < cut.size() && !whole; ++n)
    if (cut[n] != math[1]) whole = row(2) == testing_support::EditControlInk(font, cut.substr(0, n) + L"...");
  EXPECT_TRUE(whole) << "the cut row shows no whole characters before its ellipsis";
  EXPECT_GT(row(2).empty() ? 0 : row(2)[0].size(), 150u);
  testing_support::TempDir dir;
  testing_support::SaveDCPicture(canvas.DC(), 200, 48, dir.File(L"pairs.png"));
  testing_support::KeepPicture(dir.File(L"pairs.png"), L"play_list_box_pairs.png");
}

TEST_F(PlayListBoxTest, DoubleClickBelowTheLastRowPlaysNothing) {
  Fill(3);
  int plays = 0;
  box->SetOnDblClick([&](TObject*) { ++plays; });
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, 50, 5 * 16 + 5);
  EXPECT_EQ(plays, 0);
  EXPECT_EQ(box->ItemIndex(), -1);
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, 50, 2 * 16 + 5);
  EXPECT_EQ(plays, 1);
  EXPECT_EQ(box->ItemIndex(), 2);
  EXPECT_FALSE(box->Dragging());
}

TEST_F(PlayListBoxTest, EnterPlaysOnce) {
  Fill(3);
  int plays = 0;
  box->SetOnKeyUp([&](TObject*, uint16_t& key, TShiftState) {
    if (key == VK_RETURN) ++plays;
  });
  auto press = [&](int downs, bool up) {
    for (int i = 0; i < downs; ++i)
      PostMessageW(box->Handle(), WM_KEYDOWN, VK_RETURN, i == 0 ? 1 : 0x40000001);
    if (up) PostMessageW(box->Handle(), WM_KEYUP, VK_RETURN, 0xC0000001);
    Application()->ProcessMessages();
  };
  struct Case {
    int downs;
    bool shortcut;
    int plays;
  } cases[] = {{1, false, 1}, {3, false, 1}, {0, false, 0}, {1, true, 1}};
  for (const Case& c : cases) {
    plays = 0;
    if (c.shortcut) {
      // Enter as the popup menu's shortcut: its press plays, its release must not.
      auto* menu = new TPopupMenu(&form);
      auto* item = new TMenuItem(menu);
      item->SetShortCut(VK_RETURN);
      item->SetOnClick([&](TObject*) { ++plays; });
      menu->Items()->Add(item);
      box->SetPopupMenu(menu);
    }
    press(c.downs, true);
    EXPECT_EQ(plays, c.plays) << c.downs << " " << c.shortcut;
  }
}

}  // namespace
