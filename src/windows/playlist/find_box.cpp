#include "windows/playlist/find_box.h"

#include <windows.h>

#include <algorithm>

#include "framework/graphics.h"
#include "framework/messages.h"

namespace {

// Between the frame and the text, on either side.
constexpr int kSidePadding = 2;

COLORREF Between(COLORREF A, COLORREF B) {
  return RGB((GetRValue(A) + GetRValue(B)) / 2, (GetGValue(A) + GetGValue(B)) / 2,
             (GetBValue(A) + GetBValue(B)) / 2);
}

}  // namespace

TFindBox::TFindBox(TComponent* AOwner) : TTntEdit(AOwner) {
  // The frame is drawn here; the skin sets the height.
  SetBorderStyle(bsNone);
  SetAutoSize(false);
}

void TFindBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE:
      // No border: the client starts as the whole window.
      TTntEdit::Dispatch(Message);
      if (Message.WParam)
        CalcClient(reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]);
      else
        CalcClient(*reinterpret_cast<RECT*>(Message.LParam));
      return;
    case WM_NCPAINT:
      PaintFrame();
      Message.Result = 0;
      return;
    case CM_FONTCHANGED:
      TTntEdit::Dispatch(Message);
      FrameChanged();
      return;
    case CM_COLORCHANGED:
      TTntEdit::Dispatch(Message);
      if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
      return;
    default:
      break;
  }
  TTntEdit::Dispatch(Message);
}

void TFindBox::CalcClient(RECT& Window) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const int height = Window.bottom - Window.top;
  // The frame stays outside the text, however low the box.
  const int line = std::clamp<int>(metrics.tmHeight, 1, std::max(1, height - 2));
  Window.top += (height - line) / 2;
  Window.bottom = Window.top + line;
  const int side = std::min<int>(1 + kSidePadding, std::max<int>(0, (Window.right - Window.left - 1) / 2));
  Window.left += side;
  Window.right -= side;
}

void TFindBox::PaintFrame() {
  HWND window = Handle();
  RECT outer{}, inner{};
  GetWindowRect(window, &outer);
  GetClientRect(window, &inner);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&inner), 2);
  OffsetRect(&inner, -outer.left, -outer.top);
  OffsetRect(&outer, -outer.left, -outer.top);
  HDC dc = GetWindowDC(window);
  if (!dc) return;
  ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
  const COLORREF fill = ColorToRGB(Color());
  HBRUSH background = CreateSolidBrush(fill);
  FillRect(dc, &outer, background);
  DeleteObject(background);
  HBRUSH frame = CreateSolidBrush(Between(fill, ColorToRGB(Font()->Color())));
  FrameRect(dc, &outer, frame);
  DeleteObject(frame);
  ReleaseDC(window, dc);
}

void TFindBox::FrameChanged() {
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
