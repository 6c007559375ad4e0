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

bool TKeptBoxDC::ClippedAway() {
  HDC dc = Get();
  RECT seen;
  return dc && GetClipBox(dc, &seen) == NULLREGION;
}

bool TKeptBoxDC::Covered() {
  if (!Get()) return false;
  if (ClippedAway()) return true;
  RECT box = FPlace;
  MapWindowPoints(FWindow, nullptr, reinterpret_cast<POINT*>(&box), 2);
  HRGN open = CreateRectRgnIndirect(&box);
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  bool covered = false;
  // Bounded: the order may change while it is walked.
  HWND above = GetWindow(GetAncestor(FWindow, GA_ROOT), GW_HWNDPREV);
  for (int walked = 0; above && walked < 1024 && !covered; ++walked, above = GetWindow(above, GW_HWNDPREV)) {
    if (!IsWindowVisible(above) || IsIconic(above) ||
        (GetWindowLongPtrW(above, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TRANSPARENT)))
      continue;
    RECT place;
    if (!GetWindowRect(above, &place)) continue;
    // A shaped window covers only its shape, given from its top left.
    if (GetWindowRgn(above, shape) == ERROR)
      SetRectRgn(shape, place.left, place.top, place.right, place.bottom);
    else
      OffsetRgn(shape, place.left, place.top);
    covered = CombineRgn(open, open, shape, RGN_DIFF) == NULLREGION;
  }
  DeleteObject(shape);
  DeleteObject(open);
  return covered;
}

void TKeptBoxDC::Release() {
  if (FDC) ReleaseDC(FWindow, FDC);
  FDC = nullptr;
  FWindow = nullptr;
}
