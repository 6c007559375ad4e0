// Grids: controls that paint a table of cells themselves.
//   TCustomGrid      columns and rows (the first FixedCols / FixedRows stay in
//                    place while the rest scroll by whole cells), their sizes,
//                    grid lines, the current cell and the selected range,
//                    keyboard and mouse selection, scroll bars, and an in-place
//                    editor over the current cell. DrawCell paints one cell.
//   TInplaceEdit     the borderless edit a grid puts over its current cell; it
//                    reads the cell's text with GetEditText and hands every
//                    change back with SetEditText.
//   TCustomDrawGrid  a grid whose owner draws cells and answers edit texts
//   / TDrawGrid      through events.
//   TStringGrid      a draw grid that keeps a text and an object per cell, and
//                    shows every column and row as a TStrings view.
// Ownership: a grid owns its editor and its line views; cell objects belong to
// the caller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/controls.h"
#include "framework/edits.h"

TAVRIN_DECLARE_EXCEPTION(EInvalidGridOperation, Exception);

struct TGridCoord {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TGridCoord&) const = default;
};

// Inclusive on every side: a single cell is {X, Y, X, Y}.
struct TGridRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  bool operator==(const TGridRect&) const = default;
};

enum TGridOption : uint32_t {
  goFixedVertLine = 1u << 0,
  goFixedHorzLine = 1u << 1,
  goVertLine = 1u << 2,
  goHorzLine = 1u << 3,
  goRangeSelect = 1u << 4,
  goDrawFocusSelected = 1u << 5,
  goEditing = 1u << 6,
  goTabs = 1u << 7,
  goRowSelect = 1u << 8,
  goAlwaysShowEditor = 1u << 9,
  goThumbTracking = 1u << 10,
};
using TGridOptions = uint32_t;  // or-ed TGridOption

enum TGridDrawStateFlag : uint8_t { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = uint8_t;  // or-ed TGridDrawStateFlag

class TInplaceEdit;

class TCustomGrid : public TCustomControl {
 public:
  explicit TCustomGrid(TComponent* AOwner);
  ~TCustomGrid() override;

  // At least 1 and at most MaxGridCount; fewer columns (rows) than fixed ones
  // take the fixed count down to leave one that scrolls.
  int32_t ColCount() const { return static_cast<int32_t>(FColWidths.size()); }
  void SetColCount(int32_t Value);
  int32_t RowCount() const { return static_cast<int32_t>(FRowHeights.size()); }
  void SetRowCount(int32_t Value);
  // Below ColCount (RowCount), else EInvalidGridOperation; the first cell
  // that scrolls becomes current and first shown.
  int32_t FixedCols() const { return FFixedCols; }
  void SetFixedCols(int32_t Value);
  int32_t FixedRows() const { return FFixedRows; }
  void SetFixedRows(int32_t Value);
  // Setting a default size gives it to every column (row).
  int DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int Value);
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int Value);
  // Out of range: the default size on reading, ignored on writing.
  int ColWidths(int32_t Index) const;
  void SetColWidths(int32_t Index, int Value);
  int RowHeights(int32_t Index) const;
  void SetRowHeights(int32_t Index, int Value);
  // The gap after every column and row, drawn as a line where Options ask.
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int Value);
  // Off: the grid neither fills cells nor draws their texts before DrawCell.
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool Value);
  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions Value);
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor Value);
  // A bar shows only while there is something to scroll.
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  // bsSingle: a sunken client edge.
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

  // The current cell; moving it (clamped to the cells that scroll) asks
  // SelectCell first and scrolls it into view.
  int32_t Col() const { return FCurrent.X; }
  void SetCol(int32_t Value);
  int32_t Row() const { return FCurrent.Y; }
  void SetRow(int32_t Value);
  // From the anchor to the current cell (whole rows under goRowSelect).
  TGridRect Selection() const;
  void SetSelection(const TGridRect& Value);
  // The first scrolling row (column) shown.
  int32_t TopRow() const { return FTopLeft.Y; }
  void SetTopRow(int32_t Value);
  int32_t LeftCol() const { return FTopLeft.X; }
  void SetLeftCol(int32_t Value);
  // Scrolling rows (columns) shown whole.
  int32_t VisibleRowCount();
  int32_t VisibleColCount();
  // The cell's rectangle in client coordinates, or an empty one when the cell
  // is not on screen.
  RECT CellRect(int32_t ACol, int32_t ARow);
  // The cell under a client point (its grid line counts with it); {-1, -1}
  // outside every cell.
  TGridCoord MouseCoord(int X, int Y);
  void MouseToCell(int X, int Y, int32_t& ACol, int32_t& ARow);

  // On: the editor is shown over the current cell (goEditing without
  // goRowSelect, and a cell that scrolls).
  bool EditorMode() const { return FEditorMode; }
  void SetEditorMode(bool Value);
  // nullptr until the editor is first shown.
  TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }

  void Dispatch(TMessage& Message) override;

  static constexpr int32_t MaxGridCount = 1 << 20;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Paint() override;
  // Paints the cell; before it, with DefaultDrawing, the cell is filled in
  // the colour of its state and the canvas holds the matching font.
  virtual void DrawCell(int32_t ACol, int32_t ARow, const RECT& ARect, TGridDrawState AState);
  // The editor, made when first shown (owned and parented by the grid).
  virtual TInplaceEdit* CreateEditor();
  virtual std::string GetEditText(int32_t ACol, int32_t ARow);
  virtual void SetEditText(int32_t ACol, int32_t ARow, const std::string& Value);
  // Whether the cell may become current.
  virtual bool SelectCell(int32_t ACol, int32_t ARow);
  virtual bool CanEditShow();
  // After ColCount or RowCount changed.
  virtual void SizeChanged(int32_t OldColCount, int32_t OldRowCount);
  void ShowEditor();
  void HideEditor();
  // Reloads and re-places the editor while it is shown.
  void InvalidateEditor();
  void InvalidateCell(int32_t ACol, int32_t ARow);
  // Makes the cell current: the anchor follows unless the range grows.
  void FocusCell(int32_t ACol, int32_t ARow, bool MoveAnchor);

  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  friend class TInplaceEdit;
  struct TSpan {
    int32_t Index;
    int Start;
    int Size;
  };
  struct TAxis {
    const std::vector<int>* Sizes;
    int32_t Fixed;
    int32_t First;
    int Gap;
  };
  TAxis ColAxis() const;
  TAxis RowAxis() const;
  std::vector<TSpan> Layout(const TAxis& Axis, int Extent) const;
  int32_t FullyVisible(const TAxis& Axis, int Extent) const;
  // The first scrolling index that still shows Last whole.
  int32_t FirstShowing(const TAxis& Axis, int32_t Last, int Extent) const;
  void ScrollIntoView(TGridCoord Cell);
  void UpdateScrollRange();
  void ScrollMessage(int Bar, WPARAM WParam);
  void ClampPositions();
  // After sizes, gaps or options changed.
  void LayoutChanged();
  TGridCoord ClampToScrolling(TGridCoord Cell) const;
  void DrawLines(TCanvas* Canvas, const std::vector<TSpan>& Cols, const std::vector<TSpan>& Rows);
  TGridDrawState CellState(int32_t ACol, int32_t ARow, bool Focused) const;
  bool MoveByKey(uint16_t Key, TShiftState Shift);
  bool StartEditingWith(TMessage& Message);
  // Loads the editor, places it over the current cell and focuses it.
  void UpdateEditor();
  // Places (or hides, for a cell off screen) the shown editor.
  void PlaceEditor();

  std::vector<int> FColWidths;
  std::vector<int> FRowHeights;
  int32_t FFixedCols = 1;
  int32_t FFixedRows = 1;
  int FDefaultColWidth = 64;
  int FDefaultRowHeight = 24;
  int FGridLineWidth = 1;
  bool FDefaultDrawing = true;
  TGridOptions FOptions =
      goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  TColor FFixedColor = clBtnFace;
  TScrollStyle FScrollBars = ssBoth;
  TBorderStyle FBorderStyle = bsSingle;
  TGridCoord FCurrent{1, 1};
  TGridCoord FAnchor{1, 1};
  TGridCoord FTopLeft{1, 1};
  bool FEditorMode = false;
  bool FSelecting = false;
  bool FUpdatingScrollBars = false;
  TInplaceEdit* FInplaceEdit = nullptr;
};

class TInplaceEdit : public TCustomEdit {
 public:
  explicit TInplaceEdit(TComponent* AOwner);
  TCustomGrid* Grid() const { return FGrid; }
  // Takes the current cell's edit text without echoing it back as a change.
  void UpdateContents();
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void Change() override;
  // The text between the editor and its grid's current cell; a wide editor
  // carries it whole.
  virtual void LoadText();
  virtual void StoreText();

 private:
  friend class TCustomGrid;
  TCustomGrid* FGrid = nullptr;
  bool FLoading = false;
};

using TDrawCellEvent = std::function<void(TObject* Sender, int32_t ACol, int32_t ARow,
                                          const RECT& Rect, TGridDrawState State)>;
using TGetEditEvent =
    std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, std::string& Value)>;
using TSetEditEvent =
    std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, const std::string& Value)>;
using TSelectCellEvent =
    std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, bool& CanSelect)>;

class TCustomDrawGrid : public TCustomGrid {
 public:
  using TCustomGrid::TCustomGrid;

  const TDrawCellEvent& OnDrawCell() const { return FOnDrawCell; }
  void SetOnDrawCell(TDrawCellEvent Value) { FOnDrawCell = std::move(Value); }
  const TGetEditEvent& OnGetEditText() const { return FOnGetEditText; }
  void SetOnGetEditText(TGetEditEvent Value) { FOnGetEditText = std::move(Value); }
  const TSetEditEvent& OnSetEditText() const { return FOnSetEditText; }
  void SetOnSetEditText(TSetEditEvent Value) { FOnSetEditText = std::move(Value); }
  const TSelectCellEvent& OnSelectCell() const { return FOnSelectCell; }
  void SetOnSelectCell(TSelectCellEvent Value) { FOnSelectCell = std::move(Value); }

 protected:
  void DrawCell(int32_t ACol, int32_t ARow, const RECT& ARect, TGridDrawState AState) override;
  std::string GetEditText(int32_t ACol, int32_t ARow) override;
  void SetEditText(int32_t ACol, int32_t ARow, const std::string& Value) override;
  bool SelectCell(int32_t ACol, int32_t ARow) override;

 private:
  TDrawCellEvent FOnDrawCell;
  TGetEditEvent FOnGetEditText;
  TSetEditEvent FOnSetEditText;
  TSelectCellEvent FOnSelectCell;
};

class TDrawGrid : public TCustomDrawGrid {
 public:
  using TCustomDrawGrid::TCustomDrawGrid;
};

class TStringGrid;

// One column (IsColumn) or row of a string grid as its line views see it:
// Count is the row (column) count. A cell is free until something is written
// into it (an empty text too) and free again once the line is cleared; Add
// takes the first free cell and answers -1 when none is left. Lines are
// neither inserted nor deleted (EInvalidGridOperation).
class TStringGridLine {
 public:
  TStringGridLine(TStringGrid* AGrid, int32_t AIndex, bool AIsColumn);

  TStringGrid* Grid() const { return FGrid; }
  int32_t Index() const { return FIndex; }
  bool IsColumn() const { return FIsColumn; }
  int32_t Count() const;
  // Out of range: EInvalidGridOperation "Grid index out of range".
  std::wstring Text(int32_t I) const;
  void SetText(int32_t I, const std::wstring& S);
  TObject* Object(int32_t I) const;
  void SetObject(int32_t I, TObject* AObject);
  void Clear();
  int32_t Add(const std::wstring& S, TObject* AObject);
  [[noreturn]] void RaiseInsertDelete() const;
  void SetUpdateState(bool Updating);

 private:
  TGridCoord Cell(int32_t I) const;

  TStringGrid* FGrid;
  int32_t FIndex;
  bool FIsColumn;
};

class TStringGrid : public TDrawGrid {
 public:
  explicit TStringGrid(TComponent* AOwner);
  ~TStringGrid() override;

  // ANSI texts in the system code page; "" outside the grid on reading,
  // EInvalidGridOperation on writing.
  std::string Cells(int32_t ACol, int32_t ARow) const;
  void SetCells(int32_t ACol, int32_t ARow, const std::string& Value);
  TObject* Objects(int32_t ACol, int32_t ARow) const;
  void SetObjects(int32_t ACol, int32_t ARow, TObject* Value);
  // The views of one column and one row, made on first use, owned by the grid.
  TStrings* Cols(int32_t Index);
  TStrings* Rows(int32_t Index);
  void SetCols(int32_t Index, TStrings* Value) { Cols(Index)->Assign(Value); }
  void SetRows(int32_t Index, TStrings* Value) { Rows(Index)->Assign(Value); }

 protected:
  void DrawCell(int32_t ACol, int32_t ARow, const RECT& ARect, TGridDrawState AState) override;
  std::string GetEditText(int32_t ACol, int32_t ARow) override;
  void SetEditText(int32_t ACol, int32_t ARow, const std::string& Value) override;
  void SizeChanged(int32_t OldColCount, int32_t OldRowCount) override;

  // The cell store keeps UTF-16, so a Unicode layer above loses nothing; the
  // ANSI accessors convert in the system code page.
  std::wstring CellText(int32_t ACol, int32_t ARow) const;
  // Marks the cell filled; the editor showing it takes the new text.
  void SetCellText(int32_t ACol, int32_t ARow, const std::wstring& Value);
  // The same from the editor itself, which keeps what is being typed.
  void StoreEditText(int32_t ACol, int32_t ARow, const std::wstring& Value);

 private:
  friend class TStringGridLine;
  struct TCell {
    std::wstring Text;
    TObject* Object = nullptr;
  };
  bool InGrid(int32_t ACol, int32_t ARow) const;
  void CheckCell(int32_t ACol, int32_t ARow) const;
  TCell& FilledCell(int32_t ACol, int32_t ARow);
  void CellChanged(int32_t ACol, int32_t ARow);

  // Only filled cells are kept: (column, row) -> cell.
  std::map<std::pair<int32_t, int32_t>, TCell> FCells;
  std::map<int32_t, std::unique_ptr<TStrings>> FColViews;
  std::map<int32_t, std::unique_ptr<TStrings>> FRowViews;
  int32_t FUpdateCount = 0;
  int32_t FEditUpdate = 0;
};
