#include "unicode_controls/tnt_graphics.h"

#include <climits>

namespace {

int LengthOf(const std::wstring& Text) {
  return Text.size() > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(Text.size());
}

}  // namespace

void WideCanvasTextRect(TCanvas* Canvas, const RECT& Rect, int X, int Y, const std::wstring& Text) {
  Canvas->Changing();
  Canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT options = static_cast<UINT>(Canvas->TextFlags()) | ETO_CLIPPED;
  if (Canvas->Brush()->Style() != bsClear) options |= ETO_OPAQUE;
  if ((Canvas->TextFlags() & ETO_RTLREADING) && Canvas->CanvasOrientation() == coRightToLeft) {
    X += WideCanvasTextWidth(Canvas, Text) + 1;
  }
  ExtTextOutW(Canvas->Handle(), X, Y, options, &Rect, Text.c_str(), static_cast<UINT>(LengthOf(Text)),
              nullptr);
  Canvas->Changed();
}

void WideCanvasTextOut(TCanvas* Canvas, int X, int Y, const std::wstring& Text) {
  Canvas->Changing();
  Canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  const int width = WideCanvasTextWidth(Canvas, Text);
  if (Canvas->CanvasOrientation() == coRightToLeft) X += width + 1;
  ExtTextOutW(Canvas->Handle(), X, Y, static_cast<UINT>(Canvas->TextFlags()), nullptr, Text.c_str(),
              static_cast<UINT>(LengthOf(Text)), nullptr);
  Canvas->MoveTo(X + width, Y);
  Canvas->Changed();
}

SIZE WideCanvasTextExtent(TCanvas* Canvas, const std::wstring& Text) {
  SIZE size{0, 0};
  Canvas->RequiredState({csHandleValid, csFontValid});
  GetTextExtentPoint32W(Canvas->Handle(), Text.c_str(), LengthOf(Text), &size);
  return size;
}

int WideCanvasTextWidth(TCanvas* Canvas, const std::wstring& Text) {
  return WideCanvasTextExtent(Canvas, Text).cx;
}

int WideCanvasTextHeight(TCanvas* Canvas, const std::wstring& Text) {
  return WideCanvasTextExtent(Canvas, Text).cy;
}

SIZE WideFontTextSize(HFONT Font, const std::wstring& Text, int WrapWidth) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font);
  RECT r{0, 0, WrapWidth, 0};
  DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &r,
            DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (WrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {r.right - r.left, r.bottom - r.top};
}
