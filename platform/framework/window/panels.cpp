#include "framework/panels.h"

#include "framework/format.h"
#include "framework/themes.h"

void Frame3D(TCanvas* Canvas, RECT& Rect, TColor TopColor, TColor BottomColor, int Width) {
  if (!Canvas) return;
  Canvas->Pen()->SetWidth(1);
  --Rect.bottom;
  --Rect.right;
  for (; Width > 0; --Width) {
    // Polyline leaves out its last point: the bottom stroke is carried one
    // pixel further left so that it reaches the bottom-left corner.
    const POINT top[] = {{Rect.left, Rect.bottom}, {Rect.left, Rect.top}, {Rect.right, Rect.top}};
    Canvas->Pen()->SetColor(TopColor);
    Canvas->Polyline(top, 3);
    const POINT bottom[] = {
        {Rect.right, Rect.top}, {Rect.right, Rect.bottom}, {Rect.left - 1, Rect.bottom}};
    Canvas->Pen()->SetColor(BottomColor);
    Canvas->Polyline(bottom, 3);
    InflateRect(&Rect, -1, -1);
  }
  ++Rect.bottom;
  ++Rect.right;
}

namespace {

void BevelColors(TPanelBevel Bevel, TColor& Top, TColor& Bottom) {
  Top = Bevel == bvLowered ? clBtnShadow : clBtnHighlight;
  Bottom = Bevel == bvLowered ? clBtnHighlight : clBtnShadow;
}

UINT AlignmentFlag(TAlignment Alignment) {
  switch (Alignment) {
    case taLeftJustify:
      return DT_LEFT;
    case taRightJustify:
      return DT_RIGHT;
    default:
      return DT_CENTER;
  }
}

}  // namespace

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque |
                  csDoubleClicks | csReplicatable | csParentBackground;
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TPanelBevel Value) {
  if (FBevelInner == Value) return;
  FBevelInner = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TPanelBevel Value) {
  if (FBevelOuter == Value) return;
  FBevelOuter = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(int Value) {
  if (Value < 1 || FBevelWidth == Value) return;
  FBevelWidth = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderWidth(int Value) {
  if (Value < 0 || FBorderWidth == Value) return;
  FBorderWidth = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomPanel::SetParentBackground(bool Value) {
  if (ParentBackground() == Value) return;
  if (Value) {
    FControlStyle |= csParentBackground;
  } else {
    FControlStyle &= ~csParentBackground;
  }
  Invalidate();
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
  // A resize repaints only what WM_WINDOWPOSCHANGED invalidates.
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::AlignControls(TControl* AControl, RECT& Rect) {
  int inset = FBorderWidth;
  if (FBevelOuter != bvNone) inset += FBevelWidth;
  if (FBevelInner != bvNone) inset += FBevelWidth;
  InflateRect(&Rect, -inset, -inset);
  TCustomControl::AlignControls(AControl, Rect);
}

void TCustomPanel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      // Paint covers the whole client area; only a themed parent background
      // has to be put under it first.
      if (ThemesEnabled() && ParentBackground()) {
        DrawThemeParentBackgroundOf(FHandle, reinterpret_cast<HDC>(Message.WParam), nullptr);
      }
      Message.Result = 1;
      return;
    case WM_WINDOWPOSCHANGED:
      WMWindowPosChanged(Message);
      return;
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
      TCustomControl::Dispatch(Message);
      Invalidate();
      return;
    default:
      break;
  }
  TCustomControl::Dispatch(Message);
}

void TCustomPanel::WMWindowPosChanged(TMessage& Message) {
  const auto* pos = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
  if (FFullRepaint || !Caption().empty()) {
    Invalidate();
  } else if (pos && FHandle) {
    int bevel = FBorderWidth;
    if (FBevelInner != bvNone) bevel += FBevelWidth;
    if (FBevelOuter != bvNone) bevel += FBevelWidth;
    // The old right and bottom bevels now lie inside the panel.
    if (bevel > 0 && !(pos->flags & SWP_NOSIZE)) {
      if (pos->cx != Width()) {
        RECT r{Width() - bevel - 1, 0, Width(), Height()};
        InvalidateRect(FHandle, &r, TRUE);
      }
      if (pos->cy != Height()) {
        RECT r{0, Height() - bevel - 1, Width(), Height()};
        InvalidateRect(FHandle, &r, TRUE);
      }
    }
  }
  TCustomControl::Dispatch(Message);
}

void TCustomPanel::Paint() { PaintPanel(AnsiToWide(Caption())); }

void TCustomPanel::PaintPanel(const std::wstring& Text) {
  TCanvas* canvas = Canvas();
  RECT rect = ClientRect();
  TColor top, bottom;
  if (FBevelOuter != bvNone) {
    BevelColors(FBevelOuter, top, bottom);
    Frame3D(canvas, rect, top, bottom, FBevelWidth);
  }
  const bool themedBackground = ThemesEnabled() && ParentBackground();
  if (themedBackground) {
    InflateRect(&rect, -FBorderWidth, -FBorderWidth);
  } else {
    Frame3D(canvas, rect, Color(), Color(), FBorderWidth);
  }
  if (FBevelInner != bvNone) {
    BevelColors(FBevelInner, top, bottom);
    Frame3D(canvas, rect, top, bottom, FBevelWidth);
  }
  if (!themedBackground) {
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(rect);
  }
  canvas->Brush()->SetStyle(bsClear);
  canvas->SetFont(Font());
  const int height = canvas->TextHeight("W");
  rect.top = (rect.top + rect.bottom - height) / 2;
  rect.bottom = rect.top + height;
  canvas->Changing();
  canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  DrawTextW(
      canvas->Handle(), Text.c_str(), -1, &rect,
      DT_EXPANDTABS | DT_VCENTER | AlignmentFlag(FAlignment) | DrawTextBiDiModeFlagsReadingOnly());
  canvas->Changed();
  canvas->Brush()->SetStyle(bsSolid);
}
