// The Unicode list view: the framework's list view in a Unicode
// "SysListView32" window, with UTF-16 column captions, item captions and
// sub-items, and its descendant in which the user edits sub-item cells in
// place.
//   Texts travel as UTF-16 both ways: the base's 8-bit item-text and column
//   messages are sent as their wide twins with the wide texts, its caption
//   sort compares the wide captions, and the wide notifications are handed to
//   the base as their 8-bit codes and then answered with the wide texts.
//   Items are TTntListItems (OnCreateItemClass must give a descendant:
//   ETntInternalError otherwise); columns are TTntListColumns.
//
// Ownership: as the framework's list view; an item owns its wide SubItems,
// the editable view its in-place editor (present only while a cell is edited).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>

#include "foundation/tnt_string_list.h"
#include "framework/list_view.h"
#include "unicode_controls/tnt_controls.h"

class TTntCustomListView;
class TTntEdit;
class TTntListItem;

class TTntListColumn : public TListColumn {
 public:
  using TListColumn::TListColumn;

  std::wstring Caption();
  void SetCaption(const std::wstring& Value);
  using TListColumn::SetCaption;
  // The wide caption comes along.
  void Assign(TPersistent* Source) override;

 private:
  std::wstring FWideCaption;
};

class TTntListColumns : public TListColumns {
 public:
  using TListColumns::TListColumns;
  TTntListColumn* Items(int32_t Index) const { return static_cast<TTntListColumn*>(TListColumns::Items(Index)); }
  TTntListColumn* Add() { return static_cast<TTntListColumn*>(TListColumns::Add()); }

 protected:
  TListColumn* NewColumn() override { return new TTntListColumn(this); }
};

// The wide sub-items of one item: every change (add, insert, put, delete,
// clear, exchange, object) is made to both this list and the item's 8-bit
// SubItems, whose change refreshes the window.
class TWideSubItems : public TTntStringList {
 public:
  explicit TWideSubItems(TTntListItem* AOwner) : FOwner(AOwner) {}

  void Clear() override;
  void Delete(int32_t Index) override;
  void Exchange(int32_t Index1, int32_t Index2) override;

 protected:
  void Put(int32_t Index, const std::wstring& S) override;
  void PutObjectAt(int32_t Index, TObject* AObject) override;
  void InsertItem(int32_t Index, const std::wstring& S, TObject* AObject) override;

 private:
  TStrings* AnsiSubItems() const;
  TTntListItem* FOwner;
};

class TTntListItem : public TListItem {
 public:
  explicit TTntListItem(TListItems* AOwner);
  ~TTntListItem() override;

  std::wstring Caption();
  void SetCaption(const std::wstring& Value);
  using TListItem::SetCaption;
  TWideSubItems* SubItems() const { return FWideSubItems; }
  void SetSubItems(TWideStrings* Value);
  // The wide text of column Column (0: the caption); a sub-item changed
  // through the 8-bit list alone reads as that text.
  std::wstring ColumnText(int Column);
  // The wide caption and sub-items come along.
  void Assign(TPersistent* Source) override;

 private:
  std::wstring FWideCaption;
  TWideSubItems* FWideSubItems;
};

class TTntListItems : public TListItems {
 public:
  using TListItems::TListItems;
  TTntListItem* Item(int32_t Index) const { return static_cast<TTntListItem*>(TListItems::Item(Index)); }
  TTntListItem* Add() { return static_cast<TTntListItem*>(TListItems::Add()); }
  TTntListItem* Insert(int32_t Index) { return static_cast<TTntListItem*>(TListItems::Insert(Index)); }
};

using TLVWideEditedEvent = std::function<void(TObject* Sender, TListItem* Item, std::wstring& S)>;

// Compares two wide captions with the system's Unicode comparison; what the
// base's caption sort becomes in a Unicode list view.
int CALLBACK WideListViewSort(LPARAM Item1, LPARAM Item2, LPARAM ParamSort);

class TTntCustomListView : public TCustomListView {
 public:
  explicit TTntCustomListView(TComponent* AOwner);
  ~TTntCustomListView() override;

  void Dispatch(TMessage& Message) override;

  TTntListItems* Items() const { return static_cast<TTntListItems*>(TCustomListView::Items()); }
  TTntListColumns* Columns() const { return static_cast<TTntListColumns*>(TCustomListView::Columns()); }
  std::wstring Hint() { return WideGetHint(this); }
  void SetHint(const std::wstring& Value) { WideSetHint(this, Value); }
  using TCustomListView::SetHint;
  // A finished label edit with the wide text; without it OnEdited sees the
  // 8-bit form.
  const TLVWideEditedEvent& OnWideEdited() const { return FOnWideEdited; }
  void SetOnWideEdited(TLVWideEditedEvent Value) { FOnWideEdited = std::move(Value); }

  // The 8-bit code the base knows for a header notification: the wide
  // begin-track, track and end-track codes become HDN_BEGINTRACKA,
  // HDN_TRACKA and HDN_ENDTRACKA; every other code is returned as it is.
  static UINT AnsiHeaderCode(UINT Code);

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  // ETntInternalError unless the item is a TTntListItem.
  TListItem* CreateListItem() override;
  virtual void WideEditDone(TListItem* Item, std::wstring Text);
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLinkClass GetActionLinkClass() override;

 private:
  bool IsWide() const;
  void CNNotify(TMessage& Message);
  void SetItemTextW(TMessage& Message);
  void SetColumnW(TMessage& Message);

  TLVWideEditedEvent FOnWideEdited;
};

class TTntListView : public TTntCustomListView {
 public:
  using TTntCustomListView::TTntCustomListView;
};

// (Sender, column index or -1, width or -1).
using TColumnResizeEvent = std::function<void(TObject* Sender, int Column, int Width)>;

// A double click on a sub-item cell whose column's Tag is 0 opens a wide edit
// over it; Enter hides the edit, and when it loses the focus its text goes
// into the sub-item. Scrolling, a deselection and a column resize drop the
// edit without writing; the mouse wheel takes the focus to the view first.
// Those three reactions are the default OnSelectItem, OnColumnResize and
// OnMouseWheel. The header tracks a line while a column is resized.
class TTntEditableListView : public TTntCustomListView {
 public:
  explicit TTntEditableListView(TComponent* AOwner);
  ~TTntEditableListView() override;

  void Dispatch(TMessage& Message) override;

  // The in-place editor while a cell is being edited, else nullptr.
  TTntEdit* Editor() const { return FEditor; }

  const TColumnResizeEvent& OnBeginColumnResize() const { return FOnBeginColumnResize; }
  void SetOnBeginColumnResize(TColumnResizeEvent Value) { FOnBeginColumnResize = std::move(Value); }
  const TColumnResizeEvent& OnEndColumnResize() const { return FOnEndColumnResize; }
  void SetOnEndColumnResize(TColumnResizeEvent Value) { FOnEndColumnResize = std::move(Value); }
  const TColumnResizeEvent& OnColumnResize() const { return FOnColumnResize; }
  void SetOnColumnResize(TColumnResizeEvent Value) { FOnColumnResize = std::move(Value); }

 protected:
  virtual void DoBeginColumnResize(int Column, int Width);
  virtual void DoEndColumnResize(int Column, int Width);
  virtual void DoColumnResize(int Column, int Width);

  void CreateWnd() override;
  void DestroyWnd() override;
  void ItemDeleting(TListItem* Item) override;

 private:
  friend class TListViewCellEditor;
  void OpenEditor(int X, int Y);
  void FreeEditor();
  void EditorLostFocus(TTntEdit* Editor);
  void HeaderNotified(const NMHEADERW& Notify);
  int HeaderColumn(int Position);

  TTntEdit* FEditor = nullptr;
  TListItem* FEditItem = nullptr;
  int32_t FEditSubItem = -1;
  TColumnResizeEvent FOnBeginColumnResize;
  TColumnResizeEvent FOnEndColumnResize;
  TColumnResizeEvent FOnColumnResize;
};
