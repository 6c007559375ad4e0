#include "menu_capture.h"

#include <gtest/gtest.h>

#include "framework/menus.h"
#include "test_support.h"
#include "window_picture.h"

namespace {

// The menu's loop owns the thread while it is open: the timer's steps come
// through it, and these are theirs.
struct TCapture {
  POINT At{};
  std::vector<WPARAM> Keys;
  testing_support::MemoryBitmap* Shot = nullptr;
  std::vector<RECT>* Rows = nullptr;
  int Step = 0;
};
TCapture gCapture;

void ReadRows(HWND MenuWindow) {
  gCapture.Rows->clear();
  const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(MenuWindow, MN_GETHMENU, 0, 0));
  for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
    RECT r{};
    GetMenuItemRect(MenuWindow, menu, i, &r);
    OffsetRect(&r, -gCapture.At.x, -gCapture.At.y);
    gCapture.Rows->push_back(r);
  }
}

void CALLBACK CaptureStep(HWND, UINT, UINT_PTR, DWORD) {
  // The topmost menu window: the submenu opened last.
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (!menu) return;
  if (gCapture.Step == 0) {
    for (WPARAM key : gCapture.Keys) PostMessageW(menu, WM_KEYDOWN, key, 0);
  } else if (gCapture.Step == 2) {
    testing_support::MemoryBitmap& shot = *gCapture.Shot;
    HDC screen = GetDC(nullptr);
    BitBlt(shot.DC(), 0, 0, shot.Width(), shot.Height(), screen, gCapture.At.x, gCapture.At.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    if (gCapture.Rows) ReadRows(menu);
  } else if (gCapture.Step >= 3) {
    EndMenu();
  }
  ++gCapture.Step;
}

}  // namespace

void CaptureMenu(TPopupMenu* Menu, POINT At, std::vector<WPARAM> Keys, testing_support::MemoryBitmap& Shot,
                 const std::wstring& File, const std::wstring& Name, std::vector<RECT>* Rows) {
  gCapture = TCapture{At, std::move(Keys), &Shot, Rows, 0};
  const UINT_PTR timer = SetTimer(nullptr, 0, 150, CaptureStep);
  Menu->Popup(At.x, At.y);
  KillTimer(nullptr, timer);
  testing_support::PumpPendingMessages();
  EXPECT_TRUE(testing_support::SaveDCPicture(Shot.DC(), Shot.Width(), Shot.Height(), File));
  testing_support::KeepPicture(File, Name);
}
