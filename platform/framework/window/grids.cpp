#include "framework/grids.h"

#include <algorithm>
#include <climits>

#include "framework/flag_scope.h"
#include "framework/format.h"

namespace {

constexpr int MaxCellSize = 65535;
constexpr int MaxLineWidth = 64;
constexpr TColor LineColor = clBtnFace;
constexpr TColor FixedLineColor = clBlack;

void FillWith(TCanvas* Canvas, const RECT& Rect, TColor Color) {
  if (Rect.right <= Rect.left || Rect.bottom <= Rect.top) return;
  Canvas->Brush()->SetColor(Color);
  Canvas->FillRect(Rect);
}

[[noreturn]] void RaiseGridIndex() { throw EInvalidGridOperation(L"Grid index out of range"); }

}  // namespace

// ------------------------------------------------------------ TCustomGrid

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = csCaptureMouse | csClickEvents | csOpaque | csDoubleClicks;
  FColWidths.assign(5, FDefaultColWidth);
  FRowHeights.assign(5, FDefaultRowHeight);
  SetBounds(0, 0, 320, 120);
  SetTabStop(true);
  SetColor(clWindow);
}

TCustomGrid::~TCustomGrid() {
  // The editor must not call back into a grid that is going away (its window
  // loses the focus as the windows die).
  if (FInplaceEdit != nullptr) FInplaceEdit->FGrid = nullptr;
  DestroyHandle();
  delete FInplaceEdit;
  FInplaceEdit = nullptr;
}

void TCustomGrid::SetColCount(int32_t Value) {
  Value = std::clamp(Value, 1, MaxGridCount);
  if (Value == ColCount()) return;
  const int32_t old = ColCount();
  FColWidths.resize(static_cast<size_t>(Value), FDefaultColWidth);
  if (FFixedCols >= Value) FFixedCols = Value - 1;
  ClampPositions();
  SizeChanged(old, RowCount());
  Invalidate();
  UpdateScrollRange();
  if (FEditorMode) UpdateEditor();
}

void TCustomGrid::SetRowCount(int32_t Value) {
  Value = std::clamp(Value, 1, MaxGridCount);
  if (Value == RowCount()) return;
  const int32_t old = RowCount();
  FRowHeights.resize(static_cast<size_t>(Value), FDefaultRowHeight);
  if (FFixedRows >= Value) FFixedRows = Value - 1;
  ClampPositions();
  SizeChanged(ColCount(), old);
  Invalidate();
  UpdateScrollRange();
  if (FEditorMode) UpdateEditor();
}

void TCustomGrid::SetFixedCols(int32_t Value) {
  if (Value < 0 || Value >= ColCount()) {
    throw EInvalidGridOperation(L"Fixed column count must be less than column count");
  }
  FFixedCols = Value;
  FCurrent.X = FAnchor.X = FTopLeft.X = Value;
  Invalidate();
  UpdateScrollRange();
  if (FEditorMode) UpdateEditor();
}

void TCustomGrid::SetFixedRows(int32_t Value) {
  if (Value < 0 || Value >= RowCount()) {
    throw EInvalidGridOperation(L"Fixed row count must be less than row count");
  }
  FFixedRows = Value;
  FCurrent.Y = FAnchor.Y = FTopLeft.Y = Value;
  Invalidate();
  UpdateScrollRange();
  if (FEditorMode) UpdateEditor();
}

void TCustomGrid::SetDefaultColWidth(int Value) {
  FDefaultColWidth = std::clamp(Value, 0, MaxCellSize);
  std::fill(FColWidths.begin(), FColWidths.end(), FDefaultColWidth);
  LayoutChanged();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
  FDefaultRowHeight = std::clamp(Value, 0, MaxCellSize);
  std::fill(FRowHeights.begin(), FRowHeights.end(), FDefaultRowHeight);
  LayoutChanged();
}

int TCustomGrid::ColWidths(int32_t Index) const {
  if (Index < 0 || Index >= ColCount()) return FDefaultColWidth;
  return FColWidths[static_cast<size_t>(Index)];
}

void TCustomGrid::SetColWidths(int32_t Index, int Value) {
  if (Index < 0 || Index >= ColCount()) return;
  FColWidths[static_cast<size_t>(Index)] = std::clamp(Value, 0, MaxCellSize);
  LayoutChanged();
}

int TCustomGrid::RowHeights(int32_t Index) const {
  if (Index < 0 || Index >= RowCount()) return FDefaultRowHeight;
  return FRowHeights[static_cast<size_t>(Index)];
}

void TCustomGrid::SetRowHeights(int32_t Index, int Value) {
  if (Index < 0 || Index >= RowCount()) return;
  FRowHeights[static_cast<size_t>(Index)] = std::clamp(Value, 0, MaxCellSize);
  LayoutChanged();
}

void TCustomGrid::SetGridLineWidth(int Value) {
  Value = std::clamp(Value, 0, MaxLineWidth);
  if (Value == FGridLineWidth) return;
  FGridLineWidth = Value;
  LayoutChanged();
}

void TCustomGrid::LayoutChanged() {
  ClampPositions();
  Invalidate();
  UpdateScrollRange();
  PlaceEditor();
}

void TCustomGrid::SetDefaultDrawing(bool Value) {
  if (Value == FDefaultDrawing) return;
  FDefaultDrawing = Value;
  Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions Value) {
  if (Value == FOptions) return;
  FOptions = Value;
  if ((FOptions & (goEditing | goRowSelect)) != goEditing) HideEditor();
  LayoutChanged();
}

void TCustomGrid::SetFixedColor(TColor Value) {
  if (Value == FFixedColor) return;
  FFixedColor = Value;
  Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
  if (Value == FScrollBars) return;
  FScrollBars = Value;
  if (!HandleAllocated()) return;
  ShowScrollBar(FHandle, SB_BOTH, FALSE);
  UpdateScrollRange();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomGrid::SetCol(int32_t Value) { FocusCell(Value, FCurrent.Y, true); }

void TCustomGrid::SetRow(int32_t Value) { FocusCell(FCurrent.X, Value, true); }

TGridRect TCustomGrid::Selection() const {
  TGridRect r{std::min(FAnchor.X, FCurrent.X), std::min(FAnchor.Y, FCurrent.Y),
              std::max(FAnchor.X, FCurrent.X), std::max(FAnchor.Y, FCurrent.Y)};
  if (FOptions & goRowSelect) {
    r.Left = FFixedCols;
    r.Right = ColCount() - 1;
  }
  return r;
}

void TCustomGrid::SetSelection(const TGridRect& Value) {
  FAnchor = ClampToScrolling({Value.Left, Value.Top});
  FCurrent = ClampToScrolling({Value.Right, Value.Bottom});
  Invalidate();
  ScrollIntoView(FCurrent);
  if (FEditorMode) UpdateEditor();
}

void TCustomGrid::SetTopRow(int32_t Value) {
  const TAxis axis = RowAxis();
  const int32_t last =
      std::max(FFixedRows, FirstShowing(axis, RowCount() - 1, ClientRect().bottom));
  Value = std::clamp(Value, FFixedRows, last);
  if (Value == FTopLeft.Y) return;
  FTopLeft.Y = Value;
  Invalidate();
  UpdateScrollRange();
  PlaceEditor();
}

void TCustomGrid::SetLeftCol(int32_t Value) {
  const TAxis axis = ColAxis();
  const int32_t last = std::max(FFixedCols, FirstShowing(axis, ColCount() - 1, ClientRect().right));
  Value = std::clamp(Value, FFixedCols, last);
  if (Value == FTopLeft.X) return;
  FTopLeft.X = Value;
  Invalidate();
  UpdateScrollRange();
  PlaceEditor();
}

int32_t TCustomGrid::VisibleRowCount() { return FullyVisible(RowAxis(), ClientRect().bottom); }

int32_t TCustomGrid::VisibleColCount() { return FullyVisible(ColAxis(), ClientRect().right); }

RECT TCustomGrid::CellRect(int32_t ACol, int32_t ARow) {
  const RECT client = ClientRect();
  RECT result{0, 0, 0, 0};
  for (const TSpan& c : Layout(ColAxis(), client.right)) {
    if (c.Index != ACol) continue;
    for (const TSpan& r : Layout(RowAxis(), client.bottom)) {
      if (r.Index == ARow) result = RECT{c.Start, r.Start, c.Start + c.Size, r.Start + r.Size};
    }
  }
  return result;
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) {
  const RECT client = ClientRect();
  TGridCoord result{-1, -1};
  if (X < 0 || Y < 0 || X >= client.right || Y >= client.bottom) return result;
  const TAxis cols = ColAxis(), rows = RowAxis();
  for (const TSpan& c : Layout(cols, client.right)) {
    if (X >= c.Start && X < c.Start + c.Size + cols.Gap) result.X = c.Index;
  }
  for (const TSpan& r : Layout(rows, client.bottom)) {
    if (Y >= r.Start && Y < r.Start + r.Size + rows.Gap) result.Y = r.Index;
  }
  if (result.X < 0 || result.Y < 0) return TGridCoord{-1, -1};
  return result;
}

void TCustomGrid::MouseToCell(int X, int Y, int32_t& ACol, int32_t& ARow) {
  const TGridCoord cell = MouseCoord(X, Y);
  ACol = cell.X;
  ARow = cell.Y;
}

void TCustomGrid::SetEditorMode(bool Value) {
  if (Value) {
    ShowEditor();
  } else {
    HideEditor();
  }
}

// --- layout ---

TCustomGrid::TAxis TCustomGrid::ColAxis() const {
  const bool lines = (FOptions & (goFixedVertLine | goVertLine)) != 0;
  return TAxis{&FColWidths, FFixedCols, FTopLeft.X, lines ? FGridLineWidth : 0};
}

TCustomGrid::TAxis TCustomGrid::RowAxis() const {
  const bool lines = (FOptions & (goFixedHorzLine | goHorzLine)) != 0;
  return TAxis{&FRowHeights, FFixedRows, FTopLeft.Y, lines ? FGridLineWidth : 0};
}

std::vector<TCustomGrid::TSpan> TCustomGrid::Layout(const TAxis& Axis, int Extent) const {
  std::vector<TSpan> spans;
  const std::vector<int>& sizes = *Axis.Sizes;
  const auto count = static_cast<int32_t>(sizes.size());
  int64_t pos = 0;
  auto take = [&](int32_t i) {
    const int size = sizes[static_cast<size_t>(i)];
    spans.push_back(TSpan{i, static_cast<int>(pos), size});
    pos += size + Axis.Gap;
  };
  for (int32_t i = 0; i < Axis.Fixed && pos < Extent; ++i) take(i);
  for (int32_t i = Axis.First; i < count && pos < Extent; ++i) take(i);
  return spans;
}

int32_t TCustomGrid::FullyVisible(const TAxis& Axis, int Extent) const {
  const std::vector<int>& sizes = *Axis.Sizes;
  const auto count = static_cast<int32_t>(sizes.size());
  int64_t pos = 0;
  for (int32_t i = 0; i < Axis.Fixed && pos < Extent; ++i)
    pos += sizes[static_cast<size_t>(i)] + Axis.Gap;
  int32_t visible = 0;
  for (int32_t i = Axis.First; i < count; ++i) {
    const int size = sizes[static_cast<size_t>(i)];
    if (pos + size > Extent) break;
    ++visible;
    pos += size + Axis.Gap;
  }
  return visible;
}

int32_t TCustomGrid::FirstShowing(const TAxis& Axis, int32_t Last, int Extent) const {
  const std::vector<int>& sizes = *Axis.Sizes;
  int64_t avail = Extent;
  for (int32_t i = 0; i < Axis.Fixed && avail > 0; ++i)
    avail -= sizes[static_cast<size_t>(i)] + Axis.Gap;
  int32_t first = std::max(Last, Axis.Fixed);
  if (first >= static_cast<int32_t>(sizes.size())) return Axis.Fixed;
  int64_t used = sizes[static_cast<size_t>(first)];
  while (first > Axis.Fixed) {
    const int64_t next = used + Axis.Gap + sizes[static_cast<size_t>(first - 1)];
    if (next > avail) break;
    used = next;
    --first;
  }
  return first;
}

TGridCoord TCustomGrid::ClampToScrolling(TGridCoord Cell) const {
  return TGridCoord{std::clamp(Cell.X, FFixedCols, ColCount() - 1),
                    std::clamp(Cell.Y, FFixedRows, RowCount() - 1)};
}

void TCustomGrid::ClampPositions() {
  FCurrent = ClampToScrolling(FCurrent);
  FAnchor = ClampToScrolling(FAnchor);
  const RECT client = ClientRect();
  const int32_t maxLeft = FirstShowing(ColAxis(), ColCount() - 1, client.right);
  const int32_t maxTop = FirstShowing(RowAxis(), RowCount() - 1, client.bottom);
  FTopLeft.X = std::clamp(FTopLeft.X, FFixedCols, std::max(FFixedCols, maxLeft));
  FTopLeft.Y = std::clamp(FTopLeft.Y, FFixedRows, std::max(FFixedRows, maxTop));
}

void TCustomGrid::ScrollIntoView(TGridCoord Cell) {
  const RECT client = ClientRect();
  if (Cell.X < FTopLeft.X) {
    SetLeftCol(Cell.X);
  } else if (Cell.X >= FTopLeft.X + FullyVisible(ColAxis(), client.right)) {
    SetLeftCol(FirstShowing(ColAxis(), Cell.X, client.right));
  }
  if (Cell.Y < FTopLeft.Y) {
    SetTopRow(Cell.Y);
  } else if (Cell.Y >= FTopLeft.Y + FullyVisible(RowAxis(), client.bottom)) {
    SetTopRow(FirstShowing(RowAxis(), Cell.Y, client.bottom));
  }
}

// --- scroll bars ---

void TCustomGrid::UpdateScrollRange() {
  if (!HandleAllocated() || FUpdatingScrollBars) return;
  TFlagScope updating(FUpdatingScrollBars);
  auto setBar = [this](int Bar, const TAxis& Axis, int Extent) {
    const auto count = static_cast<int32_t>(Axis.Sizes->size());
    const int32_t maxFirst = FirstShowing(Axis, count - 1, Extent);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = count - Axis.Fixed - 1;
    // A page as large as the range hides the bar: everything fits.
    info.nPage = static_cast<UINT>(count - maxFirst);
    info.nPos = Axis.First - Axis.Fixed;
    SetScrollInfo(FHandle, Bar, &info, TRUE);
  };
  // A bar that comes or goes changes the client area, and with it the range
  // of the other bar; a few rounds settle it.
  for (int round = 0; round < 3; ++round) {
    const RECT before = ClientRect();
    if (FScrollBars == ssVertical || FScrollBars == ssBoth)
      setBar(SB_VERT, RowAxis(), before.bottom);
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
      setBar(SB_HORZ, ColAxis(), before.right);
    const RECT after = ClientRect();
    if (EqualRect(&before, &after)) break;
    ClampPositions();
  }
}

void TCustomGrid::ScrollMessage(int Bar, WPARAM WParam) {
  const bool vertical = Bar == SB_VERT;
  const int32_t fixed = vertical ? FFixedRows : FFixedCols;
  const int32_t count = vertical ? RowCount() : ColCount();
  int32_t first = vertical ? FTopLeft.Y : FTopLeft.X;
  const int32_t page = std::max(1, vertical ? VisibleRowCount() : VisibleColCount());
  switch (LOWORD(WParam)) {
    case SB_LINEUP:
      --first;
      break;
    case SB_LINEDOWN:
      ++first;
      break;
    case SB_PAGEUP:
      first -= page;
      break;
    case SB_PAGEDOWN:
      first += page;
      break;
    case SB_TOP:
      first = fixed;
      break;
    case SB_BOTTOM:
      first = count - 1;
      break;
    case SB_THUMBTRACK:
      if (!(FOptions & goThumbTracking)) return;
      [[fallthrough]];
    case SB_THUMBPOSITION: {
      // The 32-bit track position; the message's own is only 16 bits.
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      if (!GetScrollInfo(FHandle, Bar, &info)) return;
      first = fixed + info.nTrackPos;
      break;
    }
    default:
      return;
  }
  if (vertical) {
    SetTopRow(first);
  } else {
    SetLeftCol(first);
  }
}

// --- window ---

void TCustomGrid::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomGrid::CreateWnd() {
  TCustomControl::CreateWnd();
  ClampPositions();
  UpdateScrollRange();
}

void TCustomGrid::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      // Paint covers every pixel.
      Message.Result = 1;
      return;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      if (!(FOptions & goRowSelect)) {
        if (FOptions & goTabs) Message.Result |= DLGC_WANTTAB;
        if (FOptions & goEditing) Message.Result |= DLGC_WANTCHARS;
      }
      return;
    case WM_VSCROLL:
    case WM_HSCROLL:
      // A scroll bar control of our own would be reflected; these are the
      // window's own bars.
      if (Message.LParam != 0) break;
      ScrollMessage(Message.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, Message.WParam);
      Message.Result = 0;
      return;
    case WM_MOUSEWHEEL: {
      const int steps = GET_WHEEL_DELTA_WPARAM(Message.WParam) / WHEEL_DELTA;
      if (steps != 0) FocusCell(FCurrent.X, FCurrent.Y - steps, true);
      Message.Result = 0;
      return;
    }
    case WM_SIZE:
      TCustomControl::Dispatch(Message);
      ClampPositions();
      UpdateScrollRange();
      PlaceEditor();
      return;
    case WM_SETFOCUS:
      TCustomControl::Dispatch(Message);
      if ((FOptions & goAlwaysShowEditor) && (FOptions & goEditing)) ShowEditor();
      Invalidate();
      return;
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(Message);
      Invalidate();
      return;
    case WM_CHAR:
      if (DoKeyPress(Message)) return;
      if (StartEditingWith(Message)) return;
      DefaultHandler(Message);
      return;
    default:
      break;
  }
  TCustomControl::Dispatch(Message);
}

// --- painting ---

TGridDrawState TCustomGrid::CellState(int32_t ACol, int32_t ARow, bool Focused) const {
  if (ACol < FFixedCols || ARow < FFixedRows) return gdFixed;
  TGridDrawState state = 0;
  const bool current = ACol == FCurrent.X && ARow == FCurrent.Y;
  if (current && Focused) state |= gdFocused;
  const TGridRect sel = Selection();
  const bool inSelection =
      ACol >= sel.Left && ACol <= sel.Right && ARow >= sel.Top && ARow <= sel.Bottom;
  if (inSelection && (!current || (FOptions & (goDrawFocusSelected | goRowSelect)))) {
    state |= gdSelected;
  }
  return state;
}

void TCustomGrid::Paint() {
  TCanvas* canvas = Canvas();
  const RECT client = ClientRect();
  const TAxis colAxis = ColAxis(), rowAxis = RowAxis();
  const std::vector<TSpan> cols = Layout(colAxis, client.right);
  const std::vector<TSpan> rows = Layout(rowAxis, client.bottom);
  const bool focused = Focused();
  const bool raisedFixed = (FOptions & goFixedVertLine) && (FOptions & goFixedHorzLine);
  for (const TSpan& row : rows) {
    for (const TSpan& col : cols) {
      const RECT cell{col.Start, row.Start, col.Start + col.Size, row.Start + row.Size};
      if (cell.right <= cell.left || cell.bottom <= cell.top ||
          !RectVisible(canvas->Handle(), &cell)) {
        continue;
      }
      const TGridDrawState state = CellState(col.Index, row.Index, focused);
      canvas->Font()->Assign(Font());
      TColor back = Color();
      if (state & gdFixed) {
        back = FFixedColor;
      } else if (state & gdSelected) {
        back = clHighlight;
        canvas->Font()->SetColor(clHighlightText);
      }
      canvas->Brush()->SetColor(back);
      if (FDefaultDrawing) canvas->FillRect(cell);
      DrawCell(col.Index, row.Index, cell, state);
      if (FDefaultDrawing && (state & gdFixed) && raisedFixed) {
        RECT edge = cell;
        DrawEdge(canvas->Handle(), &edge, BDR_RAISEDINNER, BF_RECT);
      }
    }
  }
  DrawLines(canvas, cols, rows);
  // What lies past the last column and below the last row.
  const int right = cols.empty() ? 0 : cols.back().Start + cols.back().Size + colAxis.Gap;
  const int bottom = rows.empty() ? 0 : rows.back().Start + rows.back().Size + rowAxis.Gap;
  FillWith(canvas, RECT{right, 0, client.right, client.bottom}, Color());
  FillWith(canvas, RECT{0, bottom, std::min<int>(right, client.right), client.bottom}, Color());
  if (focused && FDefaultDrawing) {
    // The current cell, or under goRowSelect the shown part of its row.
    RECT focus{0, 0, 0, 0};
    for (const TSpan& row : rows) {
      if (row.Index != FCurrent.Y) continue;
      for (const TSpan& col : cols) {
        const bool inFocus =
            (FOptions & goRowSelect) ? col.Index >= FFixedCols : col.Index == FCurrent.X;
        if (!inFocus) continue;
        const RECT cell{col.Start, row.Start, col.Start + col.Size, row.Start + row.Size};
        UnionRect(&focus, &focus, &cell);
      }
    }
    if (!IsRectEmpty(&focus)) {
      canvas->Brush()->SetColor(Color());
      canvas->DrawFocusRect(focus);
    }
  }
}

void TCustomGrid::DrawLines(TCanvas* Canvas, const std::vector<TSpan>& Cols,
                            const std::vector<TSpan>& Rows) {
  const int colGap = ColAxis().Gap, rowGap = RowAxis().Gap;
  if (colGap == 0 && rowGap == 0) return;
  for (const TSpan& row : Rows) {
    for (const TSpan& col : Cols) {
      const bool fixed = col.Index < FFixedCols || row.Index < FFixedRows;
      const bool vertLine = (FOptions & (fixed ? goFixedVertLine : goVertLine)) != 0;
      const bool horzLine = (FOptions & (fixed ? goFixedHorzLine : goHorzLine)) != 0;
      const TColor line = fixed ? FixedLineColor : LineColor;
      const TColor back = fixed ? FFixedColor : Color();
      const int right = col.Start + col.Size, bottom = row.Start + row.Size;
      if (colGap > 0) {
        FillWith(Canvas, RECT{right, row.Start, right + colGap, bottom}, vertLine ? line : back);
      }
      if (rowGap > 0) {
        FillWith(Canvas, RECT{col.Start, bottom, right, bottom + rowGap}, horzLine ? line : back);
      }
      if (colGap > 0 && rowGap > 0) {
        FillWith(Canvas, RECT{right, bottom, right + colGap, bottom + rowGap},
                 vertLine || horzLine ? line : back);
      }
    }
  }
}

void TCustomGrid::DrawCell(int32_t, int32_t, const RECT&, TGridDrawState) {}

void TCustomGrid::InvalidateCell(int32_t ACol, int32_t ARow) {
  if (!HandleAllocated()) return;
  const RECT r = CellRect(ACol, ARow);
  if (!IsRectEmpty(&r)) InvalidateRect(FHandle, &r, FALSE);
}

void TCustomGrid::SizeChanged(int32_t, int32_t) {}

// --- selection ---

bool TCustomGrid::SelectCell(int32_t, int32_t) { return true; }

void TCustomGrid::FocusCell(int32_t ACol, int32_t ARow, bool MoveAnchor) {
  const TGridCoord target = ClampToScrolling({ACol, ARow});
  const bool anchorMoves = MoveAnchor || !(FOptions & goRangeSelect);
  if (target == FCurrent && (!anchorMoves || FAnchor == target)) {
    ScrollIntoView(target);
    return;
  }
  if (target != FCurrent && !SelectCell(target.X, target.Y)) return;
  FCurrent = target;
  if (anchorMoves) FAnchor = target;
  Invalidate();
  ScrollIntoView(target);
  if (FEditorMode) UpdateEditor();
}

void TCustomGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  if (Key == VK_F2 && (FOptions & goEditing)) {
    ShowEditor();
    Key = 0;
    return;
  }
  if (MoveByKey(Key, Shift)) Key = 0;
}

bool TCustomGrid::MoveByKey(uint16_t Key, TShiftState Shift) {
  const bool ctrl = (Shift & ssCtrl) != 0;
  const bool rowSelect = (FOptions & goRowSelect) != 0;
  const int32_t page = std::max(1, VisibleRowCount());
  TGridCoord to = FCurrent;
  switch (Key) {
    case VK_UP:
      --to.Y;
      break;
    case VK_DOWN:
      ++to.Y;
      break;
    case VK_LEFT:
    case VK_RIGHT:
      if (rowSelect) {
        SetLeftCol(FTopLeft.X + (Key == VK_LEFT ? -1 : 1));
        return true;
      }
      to.X += Key == VK_LEFT ? -1 : 1;
      break;
    case VK_PRIOR:
      to.Y -= page;
      break;
    case VK_NEXT:
      to.Y += page;
      break;
    case VK_HOME:
      if (ctrl || rowSelect) to.Y = FFixedRows;
      if (!rowSelect) to.X = FFixedCols;
      break;
    case VK_END:
      if (ctrl || rowSelect) to.Y = RowCount() - 1;
      if (!rowSelect) to.X = ColCount() - 1;
      break;
    case VK_TAB:
      if (!(FOptions & goTabs) || (Shift & ssAlt)) return false;
      if (Shift & ssShift) {
        if (to.X > FFixedCols) {
          --to.X;
        } else if (to.Y > FFixedRows) {
          to.X = ColCount() - 1;
          --to.Y;
        }
      } else if (to.X < ColCount() - 1) {
        ++to.X;
      } else if (to.Y < RowCount() - 1) {
        to.X = FFixedCols;
        ++to.Y;
      }
      FocusCell(to.X, to.Y, true);
      return true;
    default:
      return false;
  }
  const bool extend = (Shift & ssShift) && (FOptions & goRangeSelect);
  FocusCell(to.X, to.Y, !extend);
  return true;
}

void TCustomGrid::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (Key == '\r' && (FOptions & goEditing) && !(FOptions & goAlwaysShowEditor)) {
    SetEditorMode(!FEditorMode);
    Key = 0;
  }
}

bool TCustomGrid::StartEditingWith(TMessage& Message) {
  const uint16_t code = CharCodeOf(Message);
  if (code < 32 || code == 127 || FEditorMode ||
      (FOptions & (goEditing | goRowSelect)) != goEditing) {
    return false;
  }
  ShowEditor();
  if (FInplaceEdit == nullptr || !FInplaceEdit->HandleAllocated() ||
      !IsWindowVisible(FInplaceEdit->WindowHandle())) {
    return false;
  }
  // The whole message: a character packed by a Unicode layer travels on as it is.
  Message.Result = FInplaceEdit->Perform(WM_CHAR, Message.WParam, Message.LParam);
  return true;
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    if (!Focused() && CanFocus() && HandleAllocated()) ::SetFocus(FHandle);
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X >= FFixedCols && cell.Y >= FFixedRows) {
      if (Shift & ssDouble) {
        if (FOptions & goEditing) ShowEditor();
      } else {
        const bool extend = (Shift & ssShift) && (FOptions & goRangeSelect);
        FocusCell(cell.X, cell.Y, !extend);
        FSelecting = true;
      }
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  if (FSelecting && (Shift & ssLeft)) {
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X >= FFixedCols && cell.Y >= FFixedRows) {
      FocusCell(cell.X, cell.Y, !(FOptions & goRangeSelect));
    }
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) FSelecting = false;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

// --- editing ---

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

std::string TCustomGrid::GetEditText(int32_t, int32_t) { return {}; }

void TCustomGrid::SetEditText(int32_t, int32_t, const std::string&) {}

bool TCustomGrid::CanEditShow() {
  return (FOptions & (goEditing | goRowSelect)) == goEditing && FEditorMode && HandleAllocated() &&
         !ComponentState().Contains(csDestroying);
}

void TCustomGrid::ShowEditor() {
  if ((FOptions & (goEditing | goRowSelect)) != goEditing) return;
  FEditorMode = true;
  UpdateEditor();
}

void TCustomGrid::HideEditor() {
  FEditorMode = false;
  if (FInplaceEdit == nullptr || !FInplaceEdit->HandleAllocated()) return;
  HWND editor = FInplaceEdit->WindowHandle();
  // The grid takes the focus first: a hidden window that keeps it would
  // leave the keyboard nowhere.
  if (GetFocus() == editor && HandleAllocated()) ::SetFocus(FHandle);
  FInplaceEdit->SetVisible(false);
  Invalidate();
}

void TCustomGrid::UpdateEditor() {
  if (!CanEditShow()) return;
  if (FInplaceEdit == nullptr) {
    FInplaceEdit = CreateEditor();
    FInplaceEdit->FGrid = this;
    FInplaceEdit->SetParent(this);
  }
  FInplaceEdit->UpdateContents();
  PlaceEditor();
  if (!FInplaceEdit->Visible()) return;
  if (Focused()) ::SetFocus(FInplaceEdit->Handle());
  FInplaceEdit->SelectAll();
}

void TCustomGrid::PlaceEditor() {
  if (!FEditorMode || FInplaceEdit == nullptr || !CanEditShow()) return;
  const RECT r = CellRect(FCurrent.X, FCurrent.Y);
  if (IsRectEmpty(&r)) {
    if (FInplaceEdit->HandleAllocated() && GetFocus() == FInplaceEdit->WindowHandle()) {
      ::SetFocus(FHandle);
    }
    FInplaceEdit->SetVisible(false);
    return;
  }
  FInplaceEdit->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  FInplaceEdit->SetVisible(true);
}

void TCustomGrid::InvalidateEditor() {
  if (FEditorMode && FInplaceEdit != nullptr) FInplaceEdit->UpdateContents();
}

// ------------------------------------------------------------ TInplaceEdit

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  SetVisible(false);
  SetTabStop(false);
  SetAutoSize(false);
  SetBorderStyle(bsNone);
  SetAutoSelect(false);
}

void TInplaceEdit::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(WS_BORDER);
}

void TInplaceEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      TCustomEdit::Dispatch(Message);
      // Enter, Esc and the arrows belong to the editing, not to the dialog.
      Message.Result |= DLGC_WANTALLKEYS | DLGC_WANTARROWS;
      if (FGrid != nullptr && (FGrid->Options() & goTabs)) Message.Result |= DLGC_WANTTAB;
      return;
    case WM_KILLFOCUS: {
      TCustomEdit::Dispatch(Message);
      TCustomGrid* grid = FGrid;
      if (grid != nullptr && !grid->ComponentState().Contains(csDestroying) &&
          reinterpret_cast<HWND>(Message.WParam) != grid->WindowHandle() &&
          !(grid->Options() & goAlwaysShowEditor)) {
        grid->HideEditor();
      }
      return;
    }
    default:
      break;
  }
  TCustomEdit::Dispatch(Message);
}

void TInplaceEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (FGrid == nullptr || Key == 0 || !HandleAllocated()) return;
  bool toGrid = false;
  switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
      toGrid = true;
      break;
    case VK_TAB:
      toGrid = (FGrid->Options() & goTabs) != 0;
      break;
    case VK_LEFT:
    case VK_RIGHT: {
      // Only from the very edge of the text, with nothing selected.
      const bool unicode = IsWindowUnicode(FHandle);
      DWORD start = 0, end = 0;
      (unicode ? SendMessageW : SendMessageA)(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                              reinterpret_cast<LPARAM>(&end));
      const auto length = static_cast<DWORD>(unicode ? GetWindowTextLengthW(FHandle)
                                                     : GetWindowTextLengthA(FHandle));
      toGrid = start == end && (Key == VK_LEFT ? start == 0 : end >= length);
      break;
    }
    default:
      break;
  }
  if (!toGrid) return;
  FGrid->KeyDown(Key, Shift);
  Key = 0;
}

void TInplaceEdit::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  if (FGrid == nullptr) return;
  switch (Key) {
    case '\r':
    case 27:
      if (FGrid->Options() & goAlwaysShowEditor) {
        SelectAll();
      } else {
        FGrid->HideEditor();
      }
      Key = 0;
      break;
    case '\t':
      // Handled as a key; the edit would only beep.
      Key = 0;
      break;
    default:
      break;
  }
}

void TInplaceEdit::Change() {
  if (!FLoading && FGrid != nullptr) StoreText();
  TCustomEdit::Change();
}

void TInplaceEdit::UpdateContents() {
  if (FGrid == nullptr) return;
  TFlagScope loading(FLoading);
  LoadText();
}

void TInplaceEdit::LoadText() { SetText(FGrid->GetEditText(FGrid->Col(), FGrid->Row())); }

void TInplaceEdit::StoreText() { FGrid->SetEditText(FGrid->Col(), FGrid->Row(), Text()); }

// ------------------------------------------------------------ TCustomDrawGrid

void TCustomDrawGrid::DrawCell(int32_t ACol, int32_t ARow, const RECT& ARect,
                               TGridDrawState AState) {
  if (FOnDrawCell) FOnDrawCell(this, ACol, ARow, ARect, AState);
}

std::string TCustomDrawGrid::GetEditText(int32_t ACol, int32_t ARow) {
  std::string value;
  if (FOnGetEditText) FOnGetEditText(this, ACol, ARow, value);
  return value;
}

void TCustomDrawGrid::SetEditText(int32_t ACol, int32_t ARow, const std::string& Value) {
  if (FOnSetEditText) FOnSetEditText(this, ACol, ARow, Value);
}

bool TCustomDrawGrid::SelectCell(int32_t ACol, int32_t ARow) {
  bool canSelect = true;
  if (FOnSelectCell) FOnSelectCell(this, ACol, ARow, canSelect);
  return canSelect;
}

// ------------------------------------------------------------ TStringGridLine

namespace {

// The ANSI view of one line of a string grid.
class TStringGridStrings : public TStrings {
 public:
  TStringGridStrings(TStringGrid* Grid, int32_t Index, bool IsColumn)
      : FLine(Grid, Index, IsColumn) {}

  int32_t Add(const std::string& S) override { return FLine.Add(AnsiToWide(S), nullptr); }
  int32_t AddObject(const std::string& S, TObject* AObject) override {
    return FLine.Add(AnsiToWide(S), AObject);
  }
  void Clear() override { FLine.Clear(); }
  void Delete(int32_t) override { FLine.RaiseInsertDelete(); }
  void Insert(int32_t, const std::string&) override { FLine.RaiseInsertDelete(); }

 protected:
  std::string Get(int32_t Index) const override { return WideToAnsi(FLine.Text(Index)); }
  int32_t GetCount() const override { return FLine.Count(); }
  TObject* GetObjectAt(int32_t Index) const override { return FLine.Object(Index); }
  void Put(int32_t Index, const std::string& S) override { FLine.SetText(Index, AnsiToWide(S)); }
  void PutObjectAt(int32_t Index, TObject* AObject) override { FLine.SetObject(Index, AObject); }
  void SetUpdateState(bool Updating) override { FLine.SetUpdateState(Updating); }

 private:
  TStringGridLine FLine;
};

}  // namespace

TStringGridLine::TStringGridLine(TStringGrid* AGrid, int32_t AIndex, bool AIsColumn)
    : FGrid(AGrid), FIndex(AIndex), FIsColumn(AIsColumn) {}

int32_t TStringGridLine::Count() const { return FIsColumn ? FGrid->RowCount() : FGrid->ColCount(); }

TGridCoord TStringGridLine::Cell(int32_t I) const {
  if (I < 0 || I >= Count()) RaiseGridIndex();
  const TGridCoord cell = FIsColumn ? TGridCoord{FIndex, I} : TGridCoord{I, FIndex};
  FGrid->CheckCell(cell.X, cell.Y);
  return cell;
}

std::wstring TStringGridLine::Text(int32_t I) const {
  const TGridCoord cell = Cell(I);
  return FGrid->CellText(cell.X, cell.Y);
}

void TStringGridLine::SetText(int32_t I, const std::wstring& S) {
  const TGridCoord cell = Cell(I);
  FGrid->SetCellText(cell.X, cell.Y, S);
}

TObject* TStringGridLine::Object(int32_t I) const {
  const TGridCoord cell = Cell(I);
  return FGrid->Objects(cell.X, cell.Y);
}

void TStringGridLine::SetObject(int32_t I, TObject* AObject) {
  const TGridCoord cell = Cell(I);
  FGrid->SetObjects(cell.X, cell.Y, AObject);
}

void TStringGridLine::Clear() {
  auto& cells = FGrid->FCells;
  for (auto it = cells.begin(); it != cells.end();) {
    const bool inLine = FIsColumn ? it->first.first == FIndex : it->first.second == FIndex;
    it = inLine ? cells.erase(it) : std::next(it);
  }
  if (FGrid->FUpdateCount == 0) FGrid->Invalidate();
  const bool editedHere = FIsColumn ? FGrid->Col() == FIndex : FGrid->Row() == FIndex;
  if (editedHere && FGrid->FEditUpdate == 0) FGrid->InvalidateEditor();
}

int32_t TStringGridLine::Add(const std::wstring& S, TObject* AObject) {
  const int32_t count = Count();
  const auto& cells = FGrid->FCells;
  for (int32_t i = 0; i < count; ++i) {
    const TGridCoord cell = FIsColumn ? TGridCoord{FIndex, i} : TGridCoord{i, FIndex};
    if (cells.count({cell.X, cell.Y}) != 0) continue;
    FGrid->CheckCell(cell.X, cell.Y);
    FGrid->FilledCell(cell.X, cell.Y).Object = AObject;
    FGrid->SetCellText(cell.X, cell.Y, S);
    return i;
  }
  return -1;
}

void TStringGridLine::RaiseInsertDelete() const {
  throw EInvalidGridOperation(L"Cannot insert or delete rows from grid");
}

void TStringGridLine::SetUpdateState(bool Updating) {
  if (Updating) {
    ++FGrid->FUpdateCount;
  } else if (FGrid->FUpdateCount > 0 && --FGrid->FUpdateCount == 0) {
    FGrid->Invalidate();
  }
}

// ------------------------------------------------------------ TStringGrid

TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) {}

TStringGrid::~TStringGrid() = default;

bool TStringGrid::InGrid(int32_t ACol, int32_t ARow) const {
  return ACol >= 0 && ARow >= 0 && ACol < ColCount() && ARow < RowCount();
}

void TStringGrid::CheckCell(int32_t ACol, int32_t ARow) const {
  if (!InGrid(ACol, ARow)) RaiseGridIndex();
}

TStringGrid::TCell& TStringGrid::FilledCell(int32_t ACol, int32_t ARow) {
  return FCells[{ACol, ARow}];
}

std::wstring TStringGrid::CellText(int32_t ACol, int32_t ARow) const {
  auto it = FCells.find({ACol, ARow});
  return it == FCells.end() ? std::wstring() : it->second.Text;
}

void TStringGrid::SetCellText(int32_t ACol, int32_t ARow, const std::wstring& Value) {
  CheckCell(ACol, ARow);
  FilledCell(ACol, ARow).Text = Value;
  CellChanged(ACol, ARow);
}

void TStringGrid::StoreEditText(int32_t ACol, int32_t ARow, const std::wstring& Value) {
  ++FEditUpdate;
  try {
    SetCellText(ACol, ARow, Value);
  } catch (...) {
    --FEditUpdate;
    throw;
  }
  --FEditUpdate;
}

void TStringGrid::CellChanged(int32_t ACol, int32_t ARow) {
  if (FUpdateCount == 0) InvalidateCell(ACol, ARow);
  if (FEditUpdate == 0 && ACol == Col() && ARow == Row()) InvalidateEditor();
}

std::string TStringGrid::Cells(int32_t ACol, int32_t ARow) const {
  return WideToAnsi(CellText(ACol, ARow));
}

void TStringGrid::SetCells(int32_t ACol, int32_t ARow, const std::string& Value) {
  SetCellText(ACol, ARow, AnsiToWide(Value));
}

TObject* TStringGrid::Objects(int32_t ACol, int32_t ARow) const {
  auto it = FCells.find({ACol, ARow});
  return it == FCells.end() ? nullptr : it->second.Object;
}

void TStringGrid::SetObjects(int32_t ACol, int32_t ARow, TObject* Value) {
  CheckCell(ACol, ARow);
  FilledCell(ACol, ARow).Object = Value;
}

TStrings* TStringGrid::Cols(int32_t Index) {
  if (Index < 0 || Index >= ColCount()) RaiseGridIndex();
  std::unique_ptr<TStrings>& view = FColViews[Index];
  if (!view) view = std::make_unique<TStringGridStrings>(this, Index, true);
  return view.get();
}

TStrings* TStringGrid::Rows(int32_t Index) {
  if (Index < 0 || Index >= RowCount()) RaiseGridIndex();
  std::unique_ptr<TStrings>& view = FRowViews[Index];
  if (!view) view = std::make_unique<TStringGridStrings>(this, Index, false);
  return view.get();
}

void TStringGrid::DrawCell(int32_t ACol, int32_t ARow, const RECT& ARect, TGridDrawState AState) {
  if (DefaultDrawing()) Canvas()->TextRect(ARect, ARect.left + 2, ARect.top + 2, Cells(ACol, ARow));
  TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

std::string TStringGrid::GetEditText(int32_t ACol, int32_t ARow) {
  std::string value = Cells(ACol, ARow);
  if (OnGetEditText()) OnGetEditText()(this, ACol, ARow, value);
  return value;
}

void TStringGrid::SetEditText(int32_t ACol, int32_t ARow, const std::string& Value) {
  StoreEditText(ACol, ARow, AnsiToWide(Value));
  TDrawGrid::SetEditText(ACol, ARow, Value);
}

void TStringGrid::SizeChanged(int32_t OldColCount, int32_t OldRowCount) {
  for (auto it = FCells.begin(); it != FCells.end();) {
    it = InGrid(it->first.first, it->first.second) ? std::next(it) : FCells.erase(it);
  }
  TDrawGrid::SizeChanged(OldColCount, OldRowCount);
}
