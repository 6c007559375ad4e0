#include "windows/controls/caption_fit.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/graphics.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_graphics.h"
#include "unicode_controls/tnt_grids.h"
#include "windows/controls/window_controls.h"

namespace window_controls {
namespace {

// A button's frame and room round its caption, on both sides: with less the
// caption looks as if it filled the button.
constexpr int kButtonPadding = 16;
// Room round a grid cell's text.
constexpr int kCellPadding = 8;
// A check box's mark and the gap between it and the caption.
constexpr int kCheckMarkRoom = 20;

// The size of Text in the control's font: on one line, or wrapped at
// WrapWidth. Measured on the screen: a hidden window's control need not have a
// window of its own.
SIZE TextSize(TControl* Control, std::wstring Text, int WrapWidth = 0) {
  // "&" marks the underlined letter and takes no room.
  Text.erase(std::remove(Text.begin(), Text.end(), L'&'), Text.end());
  return WideFontTextSize(Control->Font()->Handle(), Text, WrapWidth);
}

}  // namespace

int TextWidth(TControl* Control, const std::wstring& Text) { return TextSize(Control, Text).cx; }

int ButtonWidthFor(TControl* Button, const std::wstring& Caption) {
  return TextWidth(Button, Caption) + kButtonPadding;
}

int ColumnWidthFor(TTntStringGrid* Grid, int32_t Col) {
  int widest = 0;
  for (int32_t row = 0; row < Grid->RowCount(); ++row)
    widest = std::max(widest, TextWidth(Grid, Grid->Cells(Col, row)) + kCellPadding);
  return widest;
}

void FitButtonRow(std::initializer_list<TTntButton*> Row, int Room) {
  std::vector<TTntButton*> buttons(Row);
  if (buttons.empty()) return;
  std::vector<int> need;
  bool fits = true;
  for (TTntButton* b : buttons) {
    need.push_back(ButtonWidthFor(b, b->Caption()));
    fits = fits && need.back() <= b->Width();
  }
  if (fits) return;
  if (buttons.size() == 1) {
    TTntButton* b = buttons.front();
    const int grow = std::min(need.front() - b->Width(), Room);
    b->SetBounds(b->Left() - grow, b->Top(), b->Width() + grow, b->Height());
    return;
  }
  int widths = 0, needed = 0;
  for (size_t i = 0; i < buttons.size(); ++i) {
    widths += buttons[i]->Width();
    needed += need[i];
  }
  int left = buttons.front()->Left(), given = 0;
  for (size_t i = 0; i < buttons.size(); ++i) {
    TTntButton* b = buttons[i];
    const int gap = i + 1 < buttons.size() ? buttons[i + 1]->Left() - b->Left() - b->Width() : 0;
    // The last one takes what rounding left over, so the row ends where it did.
    int width = i + 1 == buttons.size() ? widths - given
                : needed <= widths  ? need[i] + (widths - needed) / static_cast<int>(buttons.size())
                                    : need[i] * widths / needed;
    b->SetBounds(left, b->Top(), width, b->Height());
    given += width;
    left += width + gap;
  }
}

int FitCheckBoxColumn(std::initializer_list<TTntCheckBox*> Column) {
  std::vector<TTntCheckBox*> boxes(Column);
  if (boxes.empty()) return 0;
  // The gaps as laid out, read before anything moves.
  std::vector<int> gaps{0};
  for (size_t i = 1; i < boxes.size(); ++i)
    gaps.push_back(boxes[i]->Top() - boxes[i - 1]->Top() - boxes[i - 1]->Height());
  const int start = boxes.front()->Top();
  const int before = boxes.back()->Top() + boxes.back()->Height() - start;
  int top = start;
  for (size_t i = 0; i < boxes.size(); ++i) {
    TTntCheckBox* box = boxes[i];
    const int room = box->Width() - kCheckMarkRoom;
    const bool wraps = TextWidth(box, box->Caption()) > room;
    // The lines' own height and a little, so that no line touches the edge.
    const int height = wraps ? std::max<int>(kCheckHeight, TextSize(box, box->Caption(), room).cy + 4)
                             : kCheckHeight;
    top += gaps[i];
    box->SetWordWrap(wraps);
    box->SetBounds(box->Left(), top, box->Width(), height);
    top += height;
  }
  return top - start - before;
}

void FitTitleColumn(TTntStringGrid* Grid) {
  const int widest = ColumnWidthFor(Grid, 0);
  const int both = Grid->ColWidths(0) + Grid->ColWidths(1);
  if (widest <= Grid->ColWidths(0) || widest >= both) return;
  Grid->SetColWidths(0, widest);
  Grid->SetColWidths(1, both - widest);
}

}  // namespace window_controls
