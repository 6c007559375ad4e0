// The least a 50 fps visualiser can do, the visualisation benchmark's
// yardstick: a 20 ms timer, and on each tick one block transfer of a 104 x 32
// frame from a memory DC into the window through a DC kept for the window's
// life. The frame's content changes each tick, as a visualiser's does.
#include <windows.h>

namespace {

constexpr int kFrameWidth = 104;
constexpr int kFrameHeight = 32;

struct Floor {
  HDC Window = nullptr;
  HDC Memory = nullptr;
  int Tick = 0;
};

Floor gFloor;

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER: {
      // One column of the frame moves, so every transfer carries new pixels.
      const int column = gFloor.Tick++ % kFrameWidth;
      PatBlt(gFloor.Memory, column, 0, 1, kFrameHeight, DSTINVERT);
      BitBlt(gFloor.Window, 12, 60, kFrameWidth, kFrameHeight, gFloor.Memory, 0, 0, SRCCOPY);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc{};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = FloorProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = L"TavrinVisFloor";
  if (!RegisterClassW(&wc)) return 1;
  // The main window's size and place: 291 x 156 client, without a frame.
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"Visualisation floor", WS_POPUP, 380, 321, 291,
                                156, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  gFloor.Window = GetDC(window);
  gFloor.Memory = CreateCompatibleDC(gFloor.Window);
  HBITMAP frame = CreateCompatibleBitmap(gFloor.Window, kFrameWidth, kFrameHeight);
  HGDIOBJ old = SelectObject(gFloor.Memory, frame);
  PatBlt(gFloor.Memory, 0, 0, kFrameWidth, kFrameHeight, BLACKNESS);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  SetTimer(window, 1, 20, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  SelectObject(gFloor.Memory, old);
  DeleteObject(frame);
  DeleteDC(gFloor.Memory);
  return 0;
}
