// Wide text on a framework canvas. Each call draws between the canvas's
// Changing() and Changed(), with its font (and brush) selected, as the
// canvas's own ANSI text calls do.
#pragma once

#include <windows.h>

#include <string>

#include "framework/graphics.h"

// Clipped to Rect, which is filled with the brush unless it is bsClear.
void WideCanvasTextRect(TCanvas* Canvas, const RECT& Rect, int X, int Y, const std::wstring& Text);
// The pen moves to the end of the text.
void WideCanvasTextOut(TCanvas* Canvas, int X, int Y, const std::wstring& Text);
// (0, 0) for an empty text.
SIZE WideCanvasTextExtent(TCanvas* Canvas, const std::wstring& Text);
int WideCanvasTextWidth(TCanvas* Canvas, const std::wstring& Text);
int WideCanvasTextHeight(TCanvas* Canvas, const std::wstring& Text);

// The size of Text in Font, measured on the screen (a control need not have a
// window of its own for it): on one line, or wrapped at WrapWidth when that is
// above 0. No "&" prefixes are taken.
SIZE WideFontTextSize(HFONT Font, const std::wstring& Text, int WrapWidth = 0);

// DrawTextW, but that a character outside the basic plane (an emoji, a letter
// of a historic script) stays one character, drawn and measured as one glyph,
// from another font when DC's lacks it, or the one missing-glyph box, and
// never cut in two by an end ellipsis. (Wine's DrawTextW and ExtTextOutW
// take each half of its surrogate pair for a character and draw two boxes;
// the system's edit controls draw it whole, through Uniscribe, as this does.)
// Text on one line with no tab, and with DT_NOPREFIX or no "&", is covered
// with DT_CALCRECT, the alignments, DT_SINGLELINE, DT_END_ELLIPSIS,
// DT_NOCLIP and DT_EXPANDTABS; other text and flags go to DrawTextW.
int WideDrawText(HDC DC, const std::wstring& Text, RECT& Rect, UINT Flags);
