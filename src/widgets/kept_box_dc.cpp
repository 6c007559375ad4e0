#include "widgets/kept_box_dc.h"

#include "framework/controls.h"

TKeptBoxDC::~TKeptBoxDC() { Release(); }

HDC TKeptBoxDC::Get() {
  TWinControl* parent = FBox->Parent();
  if (!parent || !parent->HandleAllocated()) return nullptr;
  const HWND window = parent->Handle();
  const RECT place = FBox->BoundsRect();
  if (FDC && window == FWindow && EqualRect(&place, &FPlace)) return FDC;
  if (FDC && window != FWindow) Release();
  if (!FDC) {
    FDC = GetDC(window);
    if (!FDC) return nullptr;
    FWindow = window;
  }
  // The clip is the DC's own: nobody else draws through a DC held out of the
  // system's cache, so it stays until the control moves.
  SelectClipRgn(FDC, nullptr);
  SetViewportOrgEx(FDC, 0, 0, nullptr);
  IntersectClipRect(FDC, place.left, place.top, place.right, place.bottom);
  SetViewportOrgEx(FDC, place.left, place.top, nullptr);
  FPlace = place;
  return FDC;
}

bool TKeptBoxDC::Covered() {
  HDC dc = Get();
  RECT seen;
  return dc && GetClipBox(dc, &seen) == NULLREGION;
}

void TKeptBoxDC::Release() {
  if (FDC) ReleaseDC(FWindow, FDC);
  FDC = nullptr;
  FWindow = nullptr;
}
