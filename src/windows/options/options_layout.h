// The space each page's panel gives its controls (as laid out for the
// window's fixed size), and the grid of facts two pages show; shared by the
// page layouts.
#pragma once

#include <initializer_list>

class TComponent;
class TTntStringGrid;
class TWinControl;

namespace options_layout {

// The panel's inner width and height, and the width of a control spanning it
// between the margins.
inline constexpr int kPageWidth = 402;
inline constexpr int kPageHeight = 327;
inline constexpr int kFullWidth = kPageWidth - 2 * 8;
// Two columns: the left one's width, and where the right one starts.
inline constexpr int kColumnWidth = (kFullWidth - 8) / 2;
inline constexpr int kRightColumn = 8 + kColumnWidth + 8;
// The height of a row of facts in a grid, without its line.
inline constexpr int kFactRowHeight = 17;

// A two-column grid of facts: titles (translated) on the left, values on the
// right. It shows VisibleRows rows (0: all of them); the others scroll.
TTntStringGrid* NewFactsGrid(TComponent* Owner, TWinControl* Parent, const wchar_t* Name, int Left,
                             int Top, int TitleWidth, int ValueWidth,
                             std::initializer_list<const wchar_t*> Titles, int VisibleRows = 0);

}  // namespace options_layout
