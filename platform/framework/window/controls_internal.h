// Pieces of the control plumbing shared by the files that implement
// controls.h. Not for other units.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/controls.h"

namespace controls_internal {

inline LRESULT DefaultWindowProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  return IsWindowUnicode(wnd) ? DefWindowProcW(wnd, msg, w, l) : DefWindowProcA(wnd, msg, w, l);
}

inline LRESULT CallProc(WNDPROC proc, HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (proc == nullptr) return DefaultWindowProc(wnd, msg, w, l);
  return IsWindowUnicode(wnd) ? CallWindowProcW(proc, wnd, msg, w, l)
                              : CallWindowProcA(proc, wnd, msg, w, l);
}

// The atom as the A property functions take it (MAKEINTATOM follows UNICODE).
inline LPCSTR AtomKey(ATOM atom) { return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(atom)); }

inline bool IsGraphic(const TControl* control) {
  return dynamic_cast<const TWinControl*>(control) == nullptr;
}

// Paint (the control's own) on Canvas, which holds DC for the call only; the
// canvas lets go of the DC, and of its lock, even when Paint throws.
template <typename F>
void PaintOnCanvas(TControlCanvas* Canvas, HDC DC, F Paint) {
  Canvas->Lock();
  try {
    Canvas->FreeHandle();
    Canvas->SetHandle(DC);
    Paint();
  } catch (...) {
    Canvas->SetHandle(nullptr);
    Canvas->Unlock();
    throw;
  }
  Canvas->SetHandle(nullptr);
  Canvas->Unlock();
}

}  // namespace controls_internal
