#include "skin/placement.h"

#include "framework/controls.h"

void PlaceControl(TControl* Control, TControl* Parent, int X, SkinAlignCode Align, int Y) {
  if (Control == nullptr || Parent == nullptr || Align == 0 || Align > 8) return;
  TControl& c = *Control;
  TControl& p = *Parent;
  // Division truncates toward zero, so a control wider than its parent is
  // centred symmetrically too.
  switch (Align) {
    case 1:
      c.SetLeft(X);
      c.SetTop(Y);
      break;
    case 2:
      c.SetLeft(X);
      c.SetTop(p.ClientHeight() - c.Height() - Y);
      break;
    case 3:
      c.SetLeft(p.ClientWidth() - c.Width() - X);
      c.SetTop(Y);
      break;
    case 4:
      c.SetLeft(p.ClientWidth() - c.Width() - X);
      c.SetTop(p.ClientHeight() - c.Height() - Y);
      break;
    case 5:
      c.SetLeft((p.Width() - c.Width()) / 2);
      c.SetTop(Y);
      break;
    case 6:
      c.SetLeft(X);
      c.SetTop((p.Height() - c.Height()) / 2);
      break;
    case 7:
      c.SetLeft((p.Width() - c.Width()) / 2);
      c.SetTop((p.Height() - c.Height()) / 2);
      break;
    case 8:
      c.SetWidth(p.Width() - 2 * X);
      c.SetLeft((p.Width() - c.Width()) / 2);
      c.SetTop(Y);
      break;
  }
}

void SetControlPos(TControl* Control, POINT P) {
  if (Control == nullptr) return;
  Control->SetLeft(P.x);
  Control->SetTop(P.y);
}

void SetControlClientSize(TControl* Control, POINT P) {
  if (Control == nullptr) return;
  Control->SetClientWidth(P.x);
  Control->SetClientHeight(P.y);
}
