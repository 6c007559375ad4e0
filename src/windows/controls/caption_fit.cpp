#include "windows/controls/caption_fit.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/graphics.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_grids.h"

namespace window_controls {
namespace {

// A button's frame and the room Wine and Windows keep round its caption.
constexpr int kButtonPadding = 14;
// Room round a grid cell's text.
constexpr int kCellPadding = 8;

int TextWidth(TControl* Control, std::wstring Text) {
  // "&" marks the underlined letter and takes no room.
  Text.erase(std::remove(Text.begin(), Text.end(), L'&'), Text.end());
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Control->Font()->Handle());
  SIZE size{};
  GetTextExtentPoint32W(dc, Text.c_str(), static_cast<int>(Text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size.cx;
}

}  // namespace

void FitButtonRow(std::initializer_list<TTntButton*> Row, int Room) {
  std::vector<TTntButton*> buttons(Row);
  if (buttons.empty()) return;
  std::vector<int> need;
  bool fits = true;
  for (TTntButton* b : buttons) {
    need.push_back(TextWidth(b, b->Caption()) + kButtonPadding);
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

void FitTitleColumn(TTntStringGrid* Grid) {
  int widest = 0;
  for (int32_t row = 0; row < Grid->RowCount(); ++row)
    widest = std::max(widest, TextWidth(Grid, Grid->Cells(0, row)) + kCellPadding);
  const int both = Grid->ColWidths(0) + Grid->ColWidths(1);
  if (widest <= Grid->ColWidths(0) || widest >= both) return;
  Grid->SetColWidths(0, widest);
  Grid->SetColWidths(1, both - widest);
}

}  // namespace window_controls
