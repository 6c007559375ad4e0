// Placing skinned controls inside their window by the codes of a skin
// description.
#pragma once

#include <windows.h>

#include <cstdint>

class TControl;

// 0 leave as is; 1 X,Y from the top left; 2 from the bottom left; 3 from the
// top right; 4 from the bottom right (client area, X and Y as margins);
// 5 centred across at Y; 6 centred down at X; 7 centred both ways; 8 as wide as
// the parent less X on both sides, at Y. Centring uses the parent's outer size.
using SkinAlignCode = uint8_t;

// Left is set before Top. Codes above 8 and a missing control or parent do nothing.
void PlaceControl(TControl* Control, TControl* Parent, int X, SkinAlignCode Align, int Y);
void SetControlPos(TControl* Control, POINT P);
void SetControlClientSize(TControl* Control, POINT P);
