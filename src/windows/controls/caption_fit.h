// Room for translated texts: buttons and grid titles made for the program's
// own English are fitted again once a language file has given them longer
// texts. Called after each translation; what fits already stays as laid out.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

class TControl;
class TTntButton;
class TTntCheckBox;
class TTntStringGrid;

namespace window_controls {

// Text's width on one line in the control's font; "&" takes no room.
int TextWidth(TControl* Control, const std::wstring& Text);
// The width a button needs to show Caption with the room kept round it.
int ButtonWidthFor(TControl* Button, const std::wstring& Caption);
// The width column Col of the grid needs for its widest text, with the room
// kept round a cell's text.
int ColumnWidthFor(TTntStringGrid* Grid, int32_t Col);

// The buttons of one row, left to right. When a caption is wider than its
// button, the widths are shared out again within the row's span (the first
// button's left to the last one's right, the gaps kept): each button its
// caption's width and an equal part of what is left, or, when the captions
// cannot all fit, a part in proportion to its caption. A single button grows
// to the left, by at most Room pixels.
void FitButtonRow(std::initializer_list<TTntButton*> Row, int Room = 0);

// Check boxes stacked one under another, the gaps between them kept: a box
// whose caption is wider than the box wraps it over as many lines as it needs
// and grows taller, and the boxes below it move down. Returns how much taller
// the stack is than before (negative when a shorter text unwraps).
int FitCheckBoxColumn(std::initializer_list<TTntCheckBox*> Column);

// The grid's title column (0) as wide as its widest title, the value column
// (1) the rest of what column 0 had and it has.
void FitTitleColumn(TTntStringGrid* Grid);

}  // namespace window_controls
