// The equaliser window's part of a skin: the pictures of an "EQ" sheet and
// the window's keys of a skin description ([EQPositions], [EQSizes]), applied
// as the skin loader applies them; and the built-in skin from the program's
// resources. The loader itself checks the sheet, shapes and docks the window.
#pragma once

#include <array>
#include <cstdint>

class TBitmap;
class TCoolIni;
class TEQ;

// A cell of the "EQ" sheet and the least size its control can use (a button
// of N frames needs N rows, a thumb of two frames two columns).
struct TEQSheetCell {
  int32_t Row, Column;
  int32_t MinWidth, MinHeight;
};
// Every cell ApplyEQSheet cuts, in the order it applies them.
extern const std::array<TEQSheetCell, 11> EQSheetCells;

// Cuts the window's pictures from Sheet and sizes the window and its
// controls after them. False when a cell is missing (the controls keep what
// they had from it).
bool ApplyEQSheet(TEQ* Form, TBitmap* Sheet);
// Places the close, on/off and presets buttons, the balance bar and the ten
// bands, and sizes the bar and the bands (their other side from their ruler
// pictures, so the sheet goes first).
void ApplyEQSkinOptions(TEQ* Form, const TCoolIni& Ini);
// The built-in skin: the sheet "EQ" and the description "SKIN" of the
// program's resources.
bool ApplyBuiltInEQSkin(TEQ* Form);
