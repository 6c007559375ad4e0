// Unicode grids over the framework's ones.
//   TTntCustomDrawGrid     a draw grid in a Unicode window, with a wide hint.
//   TTntInplaceEdit        the cell editor as a Unicode "EDIT": it carries the
//                          wide edit text of a TTntStringGrid whole.
//   TTntStringGrid         a string grid whose cells, columns and rows are
//                          UTF-16; its edit-text events see wide texts.
//   TTntStringGridStrings  the wide view of one column or row (Cols[i],
//                          Rows[i]): Count is the row (column) count, Add
//                          fills the first free cell (a cell given "" is not
//                          free) and answers -1 when none is left, Clear
//                          frees the whole line; lines are never inserted
//                          or deleted.
// Ownership: the grid owns its views and its editor.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "foundation/tnt_strings.h"
#include "framework/grids.h"
#include "unicode_controls/tnt_buttons.h"

class TTntCustomDrawGrid : public TTntWideTextControl<TCustomDrawGrid> {
 public:
  using TTntWideTextControl::TTntWideTextControl;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
};

class TTntDrawGrid : public TTntCustomDrawGrid {
 public:
  using TTntCustomDrawGrid::TTntCustomDrawGrid;
};

class TTntInplaceEdit : public TInplaceEdit {
 public:
  using TInplaceEdit::TInplaceEdit;
  std::wstring Text() { return WideGetWindowText(this); }
  void SetText(const std::wstring& Value) { WideSetWindowText(this, Value); }
  using TInplaceEdit::SetText;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void LoadText() override;
  void StoreText() override;
};

class TTntStringGrid;

class TTntStringGridStrings : public TTntStrings {
 public:
  TTntStringGridStrings(TTntStringGrid* AGrid, int32_t AIndex, bool AIsColumn);

  TTntStringGrid* Grid() const { return FGrid; }
  int32_t Index() const { return FLine.Index(); }
  bool IsColumn() const { return FLine.IsColumn(); }

  int32_t Add(const std::wstring& S) override;
  int32_t AddObject(const std::wstring& S, TObject* AObject) override;
  void Clear() override;
  void Delete(int32_t Index) override;
  void Insert(int32_t Index, const std::wstring& S) override;

 protected:
  std::wstring Get(int32_t Index) const override;
  int32_t GetCount() const override;
  TObject* GetObjectAt(int32_t Index) const override;
  void Put(int32_t Index, const std::wstring& S) override;
  void PutObjectAt(int32_t Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;

 private:
  TTntStringGrid* FGrid;
  TStringGridLine FLine;
};

using TTntGetEditEvent =
    std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, std::wstring& Value)>;
using TTntSetEditEvent =
    std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, const std::wstring& Value)>;

class TTntStringGrid : public TTntWideTextControl<TStringGrid> {
 public:
  explicit TTntStringGrid(TComponent* AOwner);
  ~TTntStringGrid() override;

  // "" outside the grid on reading, EInvalidGridOperation on writing.
  std::wstring Cells(int32_t ACol, int32_t ARow) const { return CellText(ACol, ARow); }
  void SetCells(int32_t ACol, int32_t ARow, const std::wstring& Value);
  using TStringGrid::SetCells;
  // Made on first use; EInvalidGridOperation for an index outside the grid.
  TTntStringGridStrings* Cols(int32_t Index);
  TTntStringGridStrings* Rows(int32_t Index);
  // From wide or ANSI lines.
  void SetCols(int32_t Index, TPersistent* Value);
  void SetRows(int32_t Index, TPersistent* Value);

  // The editor's text of a cell: the cell's text, then OnGetEditText.
  std::wstring WideGetEditText(int32_t ACol, int32_t ARow);
  // Stores the editor's text in the cell, then OnSetEditText.
  void WideSetEditText(int32_t ACol, int32_t ARow, const std::wstring& Value);
  // These replace the framework grid's ANSI edit-text events.
  const TTntGetEditEvent& OnGetEditText() const { return FOnGetEditText; }
  void SetOnGetEditText(TTntGetEditEvent Value) { FOnGetEditText = std::move(Value); }
  const TTntSetEditEvent& OnSetEditText() const { return FOnSetEditText; }
  void SetOnSetEditText(TTntSetEditEvent Value) { FOnSetEditText = std::move(Value); }

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  TInplaceEdit* CreateEditor() override;
  // The wide text at (left + 2, top + 2), then only the owner's OnDrawCell.
  void DrawCell(int32_t ACol, int32_t ARow, const RECT& ARect, TGridDrawState AState) override;
  std::string GetEditText(int32_t ACol, int32_t ARow) override;
  void SetEditText(int32_t ACol, int32_t ARow, const std::string& Value) override;

 private:
  std::map<int32_t, std::unique_ptr<TTntStringGridStrings>> FColViews;
  std::map<int32_t, std::unique_ptr<TTntStringGridStrings>> FRowViews;
  TTntGetEditEvent FOnGetEditText;
  TTntSetEditEvent FOnSetEditText;
};
