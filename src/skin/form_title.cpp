#include "skin/form_title.h"

#include <algorithm>

#include "framework/forms.h"
#include "skin/skin_cells.h"

namespace {

// Tiles Count + 1 copies of a Length-long piece starting at From, Length apart.
// Count may be negative (nothing drawn); Length is positive.
template <typename Draw>
void Repeat(int From, int Length, int Count, Draw DrawAt) {
  for (int k = 0; k <= Count; ++k) DrawAt(From + k * Length);
}

TCursor CursorOfZone(int Zone) {
  switch (Zone) {
    case WMSZ_TOPRIGHT:
    case WMSZ_BOTTOMLEFT:
      return crSizeNESW;
    case WMSZ_TOPLEFT:
    case WMSZ_BOTTOMRIGHT:
      return crSizeNWSE;
    case WMSZ_TOP:
    case WMSZ_BOTTOM:
      return crSizeNS;
    case WMSZ_LEFT:
    case WMSZ_RIGHT:
      return crSizeWE;
    default:
      return crArrow;
  }
}

HCURSOR CursorHandle(TCursor Cursor) {
  const wchar_t* id = IDC_ARROW;
  switch (Cursor) {
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeNS: id = IDC_SIZENS; break;
    case crSizeWE: id = IDC_SIZEWE; break;
    default: break;
  }
  return LoadCursorW(nullptr, id);
}

// Switches the system's "show window contents while dragging" off for the
// length of one size loop. The setting is system-wide, so it comes back on
// every way out of the loop (release, Escape, an exception from a window
// procedure), and it is never written to the user's profile: a crash in the
// middle must not leave the user's choice changed for good.
class DragOutlineOnly {
 public:
  explicit DragOutlineOnly(bool Switch) : FSwitched(Switch) {
    if (FSwitched) SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
  }
  ~DragOutlineOnly() {
    if (FSwitched) SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
  }
  DragOutlineOnly(const DragOutlineOnly&) = delete;
  DragOutlineOnly& operator=(const DragOutlineOnly&) = delete;

 private:
  bool FSwitched;
};

}  // namespace

TFormTitle::TFormTitle(TComponent* AOwner)
    : TCustomPanel(AOwner),
      FActiveImage(std::make_unique<TBitmap>()),
      FInactiveImage(std::make_unique<TBitmap>()) {
  SetBounds(FLeft, FTop, 100, 20);
  SetDoubleBuffered(true);
  // Invalidate, not an immediate paint: a change may come while painting.
  FActiveImage->SetOnChange([this](TObject*) { Invalidate(); });
  FInactiveImage->SetOnChange([this](TObject*) { Invalidate(); });
}

TFormTitle::~TFormTitle() {
  // The window goes while the pictures still exist: taken down by the base
  // destructor, it could still paint from pictures already freed.
  DestroyHandle();
}

void TFormTitle::PaintNow() {
  if (!HandleAllocated()) return;
  Invalidate();
  Update();
}

void TFormTitle::SetActiveImage(TBitmap* Value) {
  if (Value != nullptr && Value != FActiveImage.get()) FActiveImage->Assign(Value);
  PaintNow();
}

void TFormTitle::SetInactiveImage(TBitmap* Value) {
  if (Value != nullptr && Value != FInactiveImage.get()) FInactiveImage->Assign(Value);
  Invalidate();
}

void TFormTitle::SetEdgeSize(int32_t Value) {
  if (Value <= 0) return;
  FEdgeSize = Value;
  PaintNow();
}

void TFormTitle::SetMiddleSize(int32_t Value) {
  if (Value <= 0) return;
  FMiddleSize = Value;
  PaintNow();
}

void TFormTitle::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  PaintNow();
}

void TFormTitle::SetDrawStyle(TDrawStyle Value) {
  if (Value == FDrawStyle) return;
  FDrawStyle = Value;
  PaintNow();
}

void TFormTitle::SetSizeable(bool Value) {
  FSizeable = Value;
  if (!Value) SetCursor(crArrow);
}

void TFormTitle::SetGripSize(int32_t Value) {
  if (Value > FHeight / 2 || Value > FWidth / 2) return;
  FGripSize = Value;
}

void TFormTitle::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE:
      TCustomPanel::Dispatch(Message);
      FGripSize = std::min({FGripSize, FWidth / 2, FHeight / 2});
      return;
    case WM_SETCURSOR:
      // Only for the bar itself: a child's WM_SETCURSOR asks its parent first,
      // and a button on the bar keeps its own cursor.
      if (reinterpret_cast<HWND>(Message.WParam) == WindowHandle() &&
          LOWORD(Message.LParam) == HTCLIENT && Cursor() != crDefault) {
        ::SetCursor(CursorHandle(Cursor()));
        Message.Result = TRUE;
        return;
      }
      TCustomPanel::Dispatch(Message);
      return;
    default:
      TCustomPanel::Dispatch(Message);
  }
}

// ---------------------------------------------------------------- painting

void TFormTitle::Paint() {
  const int w = FWidth, h = FHeight;
  if (w <= 0 || h <= 0) return;
  TBitmap* picture = FActive ? FActiveImage.get() : FInactiveImage.get();
  TBitmap buffer;
  buffer.SetPixelFormat(pf24bit);
  buffer.SetSize(w, h);
  TCanvas* canvas = buffer.Canvas();
  // What no piece covers (a picture lower or narrower than the bar) shows the
  // bar's colour.
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(RECT{0, 0, w, h});
  HDC dc = canvas->Handle();
  if (!picture->Empty()) {
    switch (FDrawStyle) {
      case dsSimple:
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, 0, 0, w, h, picture->Canvas()->Handle(), 0, 0, picture->Width(),
                   picture->Height(), SRCCOPY);
        break;
      case dsStretch:
        ComposeStretch(dc, picture);
        break;
      case dsComplex:
        ComposeComplex(dc, picture);
        break;
      case dsVertical:
        ComposeVertical(dc, picture);
        break;
    }
  }
  if (ComponentState().Contains(csDesigning)) {
    canvas->Pen()->SetStyle(psDash);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Rectangle(0, 0, w, h);
  }
  BitBlt(Canvas()->Handle(), 0, 0, w, h, dc, 0, 0, SRCCOPY);
}

// The ends are drawn last, over any tile that ran into them. A picture too
// short for a middle (PW <= 2E) shows its two ends only.
void TFormTitle::ComposeStretch(HDC DC, TBitmap* Picture) {
  const int e = FEdgeSize, w = FWidth;
  const int pw = Picture->Width(), ph = Picture->Height();
  // Compared in 64 bits: a skin may give any edge size.
  if (pw - 2 * int64_t{e} > 0) {
    const int tile = pw - 2 * e;
    Repeat(e, tile, (w - 2 * e) / tile, [&](int x) { CopySkinPiece(DC, x, 0, tile, ph, Picture, e, 0); });
  }
  CopySkinPiece(DC, 0, 0, e, ph, Picture, 0, 0);
  CopySkinPiece(DC, w - e, 0, e, ph, Picture, pw - e, 0);
}

void TFormTitle::ComposeComplex(HDC DC, TBitmap* Picture) {
  const int e = FEdgeSize, m = FMiddleSize, w = FWidth;
  const int pw = Picture->Width(), ph = Picture->Height();
  if (pw - 2 * (int64_t{e} + m) >= 0) {
    const int ornament = pw - 2 * (e + m);
    const int xc = e + m + (w - 2 * (e + m) - ornament) / 2;
    Repeat(e, m, (xc - e) / m, [&](int x) { CopySkinPiece(DC, x, 0, m, ph, Picture, e, 0); });
    CopySkinPiece(DC, xc, 0, ornament, ph, Picture, e + m, 0);
    Repeat(xc + ornament, m, (w - e - xc - ornament) / m,
           [&](int x) { CopySkinPiece(DC, x, 0, m, ph, Picture, pw - e - m, 0); });
  }
  CopySkinPiece(DC, 0, 0, e, ph, Picture, 0, 0);
  CopySkinPiece(DC, w - e, 0, e, ph, Picture, pw - e, 0);
}

void TFormTitle::ComposeVertical(HDC DC, TBitmap* Picture) {
  const int e = FEdgeSize, h = FHeight;
  const int pw = Picture->Width(), ph = Picture->Height();
  if (ph - 2 * int64_t{e} > 0) {
    const int tile = ph - 2 * e;
    Repeat(e, tile, (h - 2 * e) / tile, [&](int y) { CopySkinPiece(DC, 0, y, pw, tile, Picture, 0, e); });
  }
  CopySkinPiece(DC, 0, 0, pw, e, Picture, 0, 0);
  CopySkinPiece(DC, 0, h - e, pw, e, Picture, 0, ph - e);
}

// ---------------------------------------------------------------- moving and sizing

TCustomForm* TFormTitle::MovableForm() {
  auto* form = dynamic_cast<TCustomForm*>(FParent);
  if (form == nullptr || !form->HandleAllocated() || IsZoomed(form->WindowHandle())) return nullptr;
  return form;
}

int TFormTitle::GripZoneAt(int X, int Y) {
  if (!FSizeable) return gzMove;
  const int w = FWidth, h = FHeight, g = FGripSize;
  auto within = [](int v, int low, int high) { return low <= v && v <= high; };
  const bool right = FSizeHorizontal && within(X, w - 4, w);
  const bool left = FSizeHorizontal && within(X, 0, 4);
  switch (Align()) {
    case alTop:
      if (FSizeCorners && within(X, w - g, w) && within(Y, 0, g)) return WMSZ_TOPRIGHT;
      if (FSizeCorners && within(X, 0, g) && within(Y, 0, g)) return WMSZ_TOPLEFT;
      if (FSizeVertical && within(Y, 0, 4)) return WMSZ_TOP;
      break;
    case alBottom:
      if (FSizeCorners && within(X, w - g, w) && within(Y, h - g, h)) return WMSZ_BOTTOMRIGHT;
      if (FSizeCorners && within(X, 0, g) && within(Y, h - g, h)) return WMSZ_BOTTOMLEFT;
      if (FSizeVertical && within(Y, h - 4, h)) return WMSZ_BOTTOM;
      break;
    case alLeft:
      return left ? WMSZ_LEFT : gzMove;
    case alRight:
      return right ? WMSZ_RIGHT : gzMove;
    default:
      return gzNothing;
  }
  if (right) return WMSZ_RIGHT;
  if (left) return WMSZ_LEFT;
  return gzMove;
}

void TFormTitle::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomPanel::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  ReleaseCapture();
  // The system's loop takes the button's release: no click follows this press.
  FControlState &= ~csClicked;
  TCustomForm* form = MovableForm();
  if (form == nullptr) return;
  const int zone = GripZoneAt(X, Y);
  if (zone == gzMove)
    SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
  else if (zone != gzNothing)
    RunSizeLoop(form, zone);
  // The form (and this bar with it) may be gone now: nothing of either is touched.
}

void TFormTitle::RunSizeLoop(TCustomForm* Form, int Edge) {
  BOOL full = FALSE;
  SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
  const bool layered = (GetWindowLongPtrW(Form->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
  const DragOutlineOnly outline(full && (layered || !FSmoothResize));
  Form->Perform(WM_SYSCOMMAND, SC_SIZE + Edge, 0);
}

void TFormTitle::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomPanel::MouseMove(Shift, X, Y);
  if (!FSizeable || MovableForm() == nullptr) return;
  const TCursor cursor = CursorOfZone(GripZoneAt(X, Y));
  if (cursor == Cursor()) return;
  SetCursor(cursor);
  // WM_SETCURSOR came before this move: show the new shape now, not on the next one.
  POINT p;
  if (GetCursorPos(&p) && WindowFromPoint(p) == WindowHandle()) ::SetCursor(CursorHandle(cursor));
}
