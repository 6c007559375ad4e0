// The framework's list box: a subclassed system "LISTBOX" (ANSI) whose items
// live in the window and are reached through TListBoxStrings (LB_ messages).
//   Styles: the system's own drawing, owner-drawn items of one height or of
//   their own heights, and two virtual styles (LBS_NODATA): the window keeps
//   only Count, and texts and objects come from OnData and OnDataObject.
//   Items, item data, selection and TopIndex survive RecreateWnd (kept while
//   the window is away); the virtual styles keep only their Count.
//   OnClick follows the user's selection (LBN_SELCHANGE), OnDblClick LBN_DBLCLK.
//
// Ownership: the list box owns its items object and its canvas; the items'
// objects (item data) belong to the caller.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/forms.h"
#include "framework/list_control.h"

class TCustomListBox;

enum TListBoxStyle : uint8_t {
  lbStandard,
  lbOwnerDrawFixed,
  lbOwnerDrawVariable,
  lbVirtual,
  lbVirtualOwnerDraw
};

using TLBGetDataEvent = std::function<void(TWinControl* Control, int32_t Index, std::string& Data)>;
using TLBGetDataObjectEvent =
    std::function<void(TWinControl* Control, int32_t Index, TObject*& DataObject)>;

// What the items objects of a list box share, ANSI (TListBoxStrings) or wide
// (the Unicode layer's): Put, Exchange and Move keep the item data and the
// selection with their items. The bodies are in list_box_impl.h.
template <class TBase, class TString>
class TListBoxItemsOf : public TBase {
 public:
  explicit TListBoxItemsOf(TCustomListBox* AListBox) : FListBox(AListBox) {}
  TCustomListBox* ListBox() const { return FListBox; }

  void Exchange(int32_t Index1, int32_t Index2) override;
  // The item moves with its data; the list box's Moving() holds meanwhile.
  void Move(int32_t CurIndex, int32_t NewIndex);

 protected:
  // A new text; the item keeps its data and selection as in Move.
  void Put(int32_t Index, const TString& S) override;

  TCustomListBox* FListBox;
};

extern template class TListBoxItemsOf<TStrings, std::string>;

// The items of a list box, in its window. Index errors raise EStringListError
// "List index out of bounds (%d)"; a window that refuses an item raises
// EOutOfResources "Unable to insert a line".
class TListBoxStrings : public TListBoxItemsOf<TStrings, std::string> {
 public:
  using TListBoxItemsOf::TListBoxItemsOf;

  int32_t Add(const std::string& S) override;
  void Insert(int32_t Index, const std::string& S) override;
  void Clear() override;
  void Delete(int32_t Index) override;
  int32_t IndexOf(const std::string& S) const override;

 protected:
  std::string Get(int32_t Index) const override;
  int32_t GetCount() const override;
  TObject* GetObjectAt(int32_t Index) const override;
  void PutObjectAt(int32_t Index, TObject* AObject) override;
  // Redrawing is off while updating.
  void SetUpdateState(bool Updating) override;
};

class TCustomListBox : public TCustomMultiSelectListControl {
 public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  void Dispatch(TMessage& Message) override;

  TCanvas* Canvas() const { return FCanvas; }

  // TCustomListControl. ItemIndex is the caret item under MultiSelect.
  void Clear() override;
  void ClearSelection() override;
  void DeleteSelected() override;
  void SelectAll() override;
  void CopySelection(TCustomListControl* Destination) override;
  int32_t ItemIndex() override;
  void SetItemIndex(int32_t Value) override;
  void SetMultiSelect(bool Value) override;
  // Selected items under MultiSelect; -1 (the window's answer) otherwise.
  int32_t SelCount() override;

  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  bool IsVirtualStyle() const { return FStyle == lbVirtual || FStyle == lbVirtualOwnerDraw; }
  // The virtual styles' item count; the items' count otherwise. Setting it on
  // another style raises EListError.
  int32_t Count() const;
  void SetCount(int32_t Value);
  bool Selected(int32_t Index);
  void SetSelected(int32_t Index, bool Value);
  int32_t TopIndex();
  void SetTopIndex(int32_t Value);
  // The owner-drawn height of an item; the system's for lbStandard.
  int ItemHeight();
  void SetItemHeight(int Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  bool ExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool Value);
  // 0: one column scrolled vertically; more: that many columns scrolled sideways.
  int32_t Columns() const { return FColumns; }
  void SetColumns(int32_t Value);
  bool IntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(bool Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

  // The item under Pos (client coordinates); outside every item -1, or with
  // Existing false the item count when Pos lies below the last item.
  int32_t ItemAtPos(POINT Pos, bool Existing);
  // The rectangle of an item; the one below the last for Index = Count.
  RECT ItemRect(int32_t Index);
  // True while Items.Move or a new text (Items[i] = ...) takes an item out and
  // puts it back: descendants that own per-item data keep it then.
  bool Moving() const { return FMoving; }

  const TLBGetDataEvent& OnData() const { return FOnData; }
  void SetOnData(TLBGetDataEvent Value) { FOnData = std::move(Value); }
  const TLBGetDataObjectEvent& OnDataObject() const { return FOnDataObject; }
  void SetOnDataObject(TLBGetDataObjectEvent Value) { FOnDataObject = std::move(Value); }

 protected:
  friend class TListBoxStrings;
  // The items of either width (the Unicode layer's too) carry items.
  template <class, class>
  friend class TListBoxItemsOf;

  // What RecreateWnd keeps besides the items.
  struct TSavedSelection {
    int32_t ItemIndex = -1;
    int32_t TopIndex = 0;
    std::vector<int32_t> Selected;  // MultiSelect only
  };

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;

  void DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) override;
  // The virtual styles' text and object of an item ("" and nullptr without events).
  virtual std::string DoGetData(int32_t Index);
  virtual TObject* DoGetDataObject(int32_t Index);
  // The item data as the window holds it; descendants may wrap it.
  virtual LONG_PTR GetItemData(int32_t Index);
  virtual void SetItemData(int32_t Index, LONG_PTR AData);
  virtual void DeleteString(int32_t Index);
  virtual void ResetContent();

  TSavedSelection SaveSelection();
  void RestoreSelection(const TSavedSelection& Saved);
  // A virtual style answers LB_GETTEXTLEN from its data event, which may give
  // a longer text by the time LB_GETTEXT comes: what the caller was told
  // bounds what is written into its buffer.
  void NoteToldTextLength(int32_t Index, size_t Length);
  size_t ToldTextLength(int32_t Index, size_t Length) const;
  // LB_SETCOLUMNWIDTH from Width and Columns.
  void SetColumnWidth();
  // Takes the item at From out and puts it in at To through Replace (which
  // deletes it and inserts its text); the item's data and selection and the
  // ItemIndex go along. Moving() holds during Replace.
  void CarryItem(int32_t From, int32_t To, const std::function<void()>& Replace);

  TControlCanvas* FCanvas;

 private:
  void CNCommand(TMessage& Message);
  void LBGetText(TMessage& Message);
  void LBGetTextLen(TMessage& Message);

  TListBoxStyle FStyle = lbStandard;
  int32_t FCount = 0;
  int FItemHeight = 16;
  bool FSorted = false;
  bool FExtendedSelect = true;
  int32_t FColumns = 0;
  bool FIntegralHeight = false;
  TBorderStyle FBorderStyle = bsSingle;
  bool FMoving = false;
  TStringList* FSaveItems = nullptr;
  TSavedSelection FSaveSelection;
  int32_t FToldIndex = -1;
  size_t FToldLength = 0;
  TLBGetDataEvent FOnData;
  TLBGetDataObjectEvent FOnDataObject;
};

class TListBox : public TCustomListBox {
 public:
  using TCustomListBox::TCustomListBox;
};
