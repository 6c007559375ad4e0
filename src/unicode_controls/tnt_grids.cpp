#include "unicode_controls/tnt_grids.h"

#include "foundation/tnt_system.h"
#include "framework/format.h"
#include "unicode_controls/tnt_graphics.h"

// ------------------------------------------------------------ TTntCustomDrawGrid

void TTntCustomDrawGrid::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"");
}

// ------------------------------------------------------------ TTntInplaceEdit

void TTntInplaceEdit::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"EDIT");
}

void TTntInplaceEdit::LoadText() {
  auto* grid = dynamic_cast<TTntStringGrid*>(Grid());
  if (grid == nullptr) {
    TInplaceEdit::LoadText();
    return;
  }
  SetText(grid->WideGetEditText(grid->Col(), grid->Row()));
}

void TTntInplaceEdit::StoreText() {
  auto* grid = dynamic_cast<TTntStringGrid*>(Grid());
  if (grid == nullptr) {
    TInplaceEdit::StoreText();
    return;
  }
  grid->WideSetEditText(grid->Col(), grid->Row(), Text());
}

// ------------------------------------------------------------ TTntStringGridStrings

TTntStringGridStrings::TTntStringGridStrings(TTntStringGrid* AGrid, int32_t AIndex, bool AIsColumn)
    : FGrid(AGrid), FLine(AGrid, AIndex, AIsColumn) {}

int32_t TTntStringGridStrings::Add(const std::wstring& S) { return FLine.Add(S, nullptr); }

int32_t TTntStringGridStrings::AddObject(const std::wstring& S, TObject* AObject) {
  return FLine.Add(S, AObject);
}

void TTntStringGridStrings::Clear() { FLine.Clear(); }

void TTntStringGridStrings::Delete(int32_t) { FLine.RaiseInsertDelete(); }

void TTntStringGridStrings::Insert(int32_t, const std::wstring&) { FLine.RaiseInsertDelete(); }

std::wstring TTntStringGridStrings::Get(int32_t Index) const { return FLine.Text(Index); }

int32_t TTntStringGridStrings::GetCount() const { return FLine.Count(); }

TObject* TTntStringGridStrings::GetObjectAt(int32_t Index) const { return FLine.Object(Index); }

void TTntStringGridStrings::Put(int32_t Index, const std::wstring& S) { FLine.SetText(Index, S); }

void TTntStringGridStrings::PutObjectAt(int32_t Index, TObject* AObject) {
  FLine.SetObject(Index, AObject);
}

void TTntStringGridStrings::SetUpdateState(bool Updating) { FLine.SetUpdateState(Updating); }

// ------------------------------------------------------------ TTntStringGrid

TTntStringGrid::TTntStringGrid(TComponent* AOwner) : TTntWideTextControl(AOwner) {}

TTntStringGrid::~TTntStringGrid() = default;

void TTntStringGrid::SetCells(int32_t ACol, int32_t ARow, const std::wstring& Value) {
  SetCellText(ACol, ARow, Value);
}

TTntStringGridStrings* TTntStringGrid::Cols(int32_t Index) {
  if (Index < 0 || Index >= ColCount()) throw EInvalidGridOperation(L"Grid index out of range");
  std::unique_ptr<TTntStringGridStrings>& view = FColViews[Index];
  if (!view) view = std::make_unique<TTntStringGridStrings>(this, Index, true);
  return view.get();
}

TTntStringGridStrings* TTntStringGrid::Rows(int32_t Index) {
  if (Index < 0 || Index >= RowCount()) throw EInvalidGridOperation(L"Grid index out of range");
  std::unique_ptr<TTntStringGridStrings>& view = FRowViews[Index];
  if (!view) view = std::make_unique<TTntStringGridStrings>(this, Index, false);
  return view.get();
}

void TTntStringGrid::SetCols(int32_t Index, TPersistent* Value) { Cols(Index)->Assign(Value); }

void TTntStringGrid::SetRows(int32_t Index, TPersistent* Value) { Rows(Index)->Assign(Value); }

std::wstring TTntStringGrid::WideGetEditText(int32_t ACol, int32_t ARow) {
  std::wstring value = Cells(ACol, ARow);
  if (FOnGetEditText) FOnGetEditText(this, ACol, ARow, value);
  return value;
}

void TTntStringGrid::WideSetEditText(int32_t ACol, int32_t ARow, const std::wstring& Value) {
  StoreEditText(ACol, ARow, Value);
  if (FOnSetEditText) FOnSetEditText(this, ACol, ARow, Value);
}

void TTntStringGrid::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"");
}

TInplaceEdit* TTntStringGrid::CreateEditor() { return new TTntInplaceEdit(this); }

void TTntStringGrid::DrawCell(int32_t ACol, int32_t ARow, const RECT& ARect,
                              TGridDrawState AState) {
  if (!Win32PlatformIsUnicode) {
    TStringGrid::DrawCell(ACol, ARow, ARect, AState);
    return;
  }
  if (DefaultDrawing())
    WideCanvasTextRect(Canvas(), ARect, ARect.left + 2, ARect.top + 2, Cells(ACol, ARow));
  TCustomDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

std::string TTntStringGrid::GetEditText(int32_t ACol, int32_t ARow) {
  return WideToAnsi(WideGetEditText(ACol, ARow));
}

void TTntStringGrid::SetEditText(int32_t ACol, int32_t ARow, const std::string& Value) {
  WideSetEditText(ACol, ARow, AnsiToWide(Value));
}
