// The framework's list view: comctl32's "SysListView32" (ANSI) under the
// framework, built for the report view.
//   Columns   TListColumns of TListColumn (caption, width, alignment, tag).
//   Items     TListItems of TListItem (caption, SubItems, data, check,
//             selection, focus). The window holds no texts: every item and
//             sub-item is LPSTR_TEXTCALLBACK and answered on LVN_GETDISPINFO
//             from the item objects, which a changed text only refreshes.
//   Events    arrive as CN_NOTIFY (the parent reflects WM_NOTIFY). The item
//             class comes from OnCreateItemClass.
// Items, columns, checks, selection and focus survive RecreateWnd: the item
// objects stay, and their state is kept in them while there is no window.
//
// Ownership: the view owns its items and columns objects, those own every
// item and column; an item owns its SubItems. Data belongs to the caller.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/forms.h"

class TCustomListView;
class TListColumns;
class TListItems;

enum TViewStyle : uint8_t { vsIcon, vsSmallIcon, vsList, vsReport };
enum TItemChange : uint8_t { ctText, ctImage, ctState };
enum TCustomDrawStateFlag : uint16_t {
  cdsSelected = 1 << 0,
  cdsGrayed = 1 << 1,
  cdsDisabled = 1 << 2,
  cdsChecked = 1 << 3,
  cdsFocused = 1 << 4,
  cdsDefault = 1 << 5,
  cdsHot = 1 << 6,
};
using TCustomDrawState = uint16_t;  // or-ed TCustomDrawStateFlag

class TListColumn : public TPersistent {
 public:
  explicit TListColumn(TListColumns* AOwner);

  TListColumns* Collection() const { return FOwner; }
  int32_t Index() const;
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  // The window's width while there is one (the user may have dragged it).
  int Width() const;
  void SetWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t Value) { FTag = Value; }

  void Assign(TPersistent* Source) override;

 protected:
  // The window's column takes caption, width and alignment (LVM_SETCOLUMNA).
  void Changed();

 private:
  friend class TCustomListView;
  friend class TListColumns;
  TListColumns* FOwner;
  std::string FCaption;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  intptr_t FTag = 0;
};

class TListColumns : public TPersistent {
 public:
  explicit TListColumns(TCustomListView* AOwner) : FOwner(AOwner) {}
  ~TListColumns() override;

  TCustomListView* Owner() const { return FOwner; }
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  // "List index out of bounds (%d)" for a bad index.
  TListColumn* Items(int32_t Index) const;
  TListColumn* Add();
  void Delete(int32_t Index);
  void Clear();
  int32_t IndexOf(const TListColumn* Column) const;
  void Assign(TPersistent* Source) override;

 protected:
  // The column objects Add makes.
  virtual TListColumn* NewColumn() { return new TListColumn(this); }

 private:
  friend class TCustomListView;
  TCustomListView* FOwner;
  std::vector<TListColumn*> FItems;
};

class TListItem : public TPersistent {
 public:
  explicit TListItem(TListItems* AOwner);
  // Leaves its list (and the window) when it is still in one.
  ~TListItem() override;

  TListItems* Owner() const { return FOwner; }
  TCustomListView* ListView() const;
  // -1 once the item has left its list.
  int32_t Index() const;
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  // Column 1 on; every change reaches the window.
  TStrings* SubItems() const { return FSubItems; }
  void SetSubItems(TStrings* Value);
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  // False without check boxes.
  bool Checked() const;
  void SetChecked(bool Value);
  bool Selected() const;
  void SetSelected(bool Value);
  bool Focused() const;
  void SetFocused(bool Value);

  // The list view's label editor on this item (false when it refuses).
  bool EditCaption();
  void MakeVisible(bool PartialOK);
  // The window asks for every text of the item anew.
  void Update();
  void Delete();
  // Caption, SubItems and Data.
  void Assign(TPersistent* Source) override;

 protected:
  // Out of its list and the window; a descendant's destructor calls it while
  // the texts the window may still ask for exist.
  void LeaveList();

 private:
  friend class TListItems;
  friend class TCustomListView;
  HWND Window() const;  // the view's window, or nullptr
  bool StateOf(UINT Mask) const;
  void SetState(UINT Mask, bool Value);

  TListItems* FOwner;
  mutable int32_t FIndex = -1;  // where it was last found: whole-list passes stay linear
  std::string FCaption;
  TStrings* FSubItems;
  void* FData = nullptr;
  // What the window holds while there is one.
  bool FChecked = false;
  bool FSelected = false;
  bool FFocused = false;
};

class TListItems : public TPersistent {
 public:
  explicit TListItems(TCustomListView* AOwner) : FOwner(AOwner) {}
  ~TListItems() override;

  TCustomListView* Owner() const { return FOwner; }
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  // "List index out of bounds (%d)" for a bad index.
  TListItem* Item(int32_t Index) const;
  TListItem* Add();
  TListItem* Insert(int32_t Index);
  void Delete(int32_t Index);
  void Clear();
  int32_t IndexOf(const TListItem* Value) const;
  // Redrawing is off from the first BeginUpdate to the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  void Assign(TPersistent* Source) override;

 private:
  friend class TListItem;
  friend class TCustomListView;
  // Takes the item out of the list and the window; false when not in it.
  bool Remove(TListItem* Item);

  TCustomListView* FOwner;
  std::vector<TListItem*> FItems;  // the window's order
  int32_t FUpdateCount = 0;
};

// A "class" of list item: makes an item for Owner.
using TListItemClass = TListItem* (*)(TListItems* Owner);
template <typename T>
TListItem* NewListItem(TListItems* Owner) {
  return new T(Owner);
}

using TLVCreateItemClassEvent = std::function<void(TCustomListView* Sender, TListItemClass& ItemClass)>;
using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;
using TLVChangeEvent = std::function<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVColumnClickEvent = std::function<void(TObject* Sender, TListColumn* Column)>;
using TLVEditingEvent = std::function<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = std::function<void(TObject* Sender, TListItem* Item, std::string& S)>;
// Canvas() is the item's device context: its brush colour becomes the
// item's background and its font colour the text's.
using TLVCustomDrawItemEvent = std::function<void(TCustomListView* Sender, TListItem* Item,
                                                  TCustomDrawState State, bool& DefaultDraw)>;
// MousePos in screen coordinates; Handled keeps the window from scrolling.
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta,
                                            POINT MousePos, bool& Handled)>;

// Compares two captions with the system's ANSI comparison (the default of
// AlphaSort); ParamSort is the view.
int CALLBACK DefaultListViewSort(LPARAM Item1, LPARAM Item2, LPARAM ParamSort);

class TCustomListView : public TWinControl {
 public:
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;

  void Dispatch(TMessage& Message) override;

  TListItems* Items() const { return FItems; }
  TListColumns* Columns() const { return FColumns; }
  TCanvas* Canvas() const { return FCanvas; }

  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle Value);
  bool CheckBoxes() const { return FCheckBoxes; }
  void SetCheckBoxes(bool Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool Value);
  // No label editing.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool GridLines() const { return FGridLines; }
  void SetGridLines(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  // Column headers that can be clicked.
  bool ColumnClick() const { return FColumnClick; }
  void SetColumnClick(bool Value);
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);

  // The first selected item; setting one selects only it (nullptr: none).
  TListItem* Selected() const;
  void SetSelected(TListItem* Value);
  TListItem* ItemFocused() const;
  void SetItemFocused(TListItem* Value);
  int32_t SelCount() const;
  TListItem* GetItemAt(int X, int Y);
  // The label editor is open.
  bool IsEditing() const;

  void BeginUpdate() { FItems->BeginUpdate(); }
  void EndUpdate() { FItems->EndUpdate(); }
  void Clear() { FItems->Clear(); }
  // By caption (DefaultListViewSort), or by SortProc with the items as its
  // first two arguments. The items take the window's new order.
  bool AlphaSort();
  bool CustomSort(PFNLVCOMPARE SortProc, LPARAM Data);

  // The header control of the report view, nullptr without a window.
  HWND HeaderHandle() const;

  const TLVCreateItemClassEvent& OnCreateItemClass() const { return FOnCreateItemClass; }
  void SetOnCreateItemClass(TLVCreateItemClassEvent Value) { FOnCreateItemClass = std::move(Value); }
  const TLVSelectItemEvent& OnSelectItem() const { return FOnSelectItem; }
  void SetOnSelectItem(TLVSelectItemEvent Value) { FOnSelectItem = std::move(Value); }
  const TLVChangeEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TLVChangeEvent Value) { FOnChange = std::move(Value); }
  const TLVColumnClickEvent& OnColumnClick() const { return FOnColumnClick; }
  void SetOnColumnClick(TLVColumnClickEvent Value) { FOnColumnClick = std::move(Value); }
  const TLVEditingEvent& OnEditing() const { return FOnEditing; }
  void SetOnEditing(TLVEditingEvent Value) { FOnEditing = std::move(Value); }
  const TLVEditedEvent& OnEdited() const { return FOnEdited; }
  void SetOnEdited(TLVEditedEvent Value) { FOnEdited = std::move(Value); }
  const TLVCustomDrawItemEvent& OnCustomDrawItem() const { return FOnCustomDrawItem; }
  void SetOnCustomDrawItem(TLVCustomDrawItemEvent Value) { FOnCustomDrawItem = std::move(Value); }
  const TMouseWheelEvent& OnMouseWheel() const { return FOnMouseWheel; }
  void SetOnMouseWheel(TMouseWheelEvent Value) { FOnMouseWheel = std::move(Value); }

 protected:
  using TListItemsFactory = TListItems* (*)(TCustomListView* View);
  using TListColumnsFactory = TListColumns* (*)(TCustomListView* View);
  // For descendants whose items and columns are of their own classes.
  TCustomListView(TComponent* AOwner, TListItemsFactory MakeItems, TListColumnsFactory MakeColumns);

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;

  // An item of the class OnCreateItemClass chooses (TListItem by default).
  virtual TListItem* CreateListItem();
  // OnEditing decides.
  virtual bool CanEdit(TListItem* Item);
  // OnEdited may change the text; it becomes the caption.
  virtual void EditDone(TListItem* Item, std::string Text);
  // Before an item leaves the list (nullptr: all of them).
  virtual void ItemDeleting(TListItem* /*Item*/) {}
  virtual void DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos, bool& Handled);

  // The item a notification names: by its index, checked against its
  // parameter (the item object) when it has one; nullptr when it is not ours.
  TListItem* ItemOfNotify(int Index, LPARAM Param) const;
  // The text of column Column (0: the caption; "" past the sub-items).
  static std::string ColumnText(const TListItem* Item, int Column);

 private:
  friend class TListItem;
  friend class TListItems;
  friend class TListColumn;
  friend class TListColumns;

  void Init();
  DWORD ExtendedStyle() const;
  void UpdateExtendedStyle();
  void UpdateColors();
  void InsertNativeColumn(int32_t Index);
  void InsertNativeItem(int32_t Index);
  void ApplyItemState(TListItem* Item);
  // The items take the window's order after a sort.
  void ReadNativeOrder();
  void CNNotify(TMessage& Message);
  void GetDispInfo(NMLVDISPINFOA& Info);
  void ItemChanged(const NMLISTVIEW& Info);
  void CustomDraw(TMessage& Message);

  TListItems* FItems;
  TListColumns* FColumns;
  TControlCanvas* FCanvas;
  TViewStyle FViewStyle = vsIcon;
  bool FCheckBoxes = false;
  bool FMultiSelect = false;
  bool FRowSelect = false;
  bool FReadOnly = false;
  bool FGridLines = false;
  bool FHideSelection = true;
  bool FColumnClick = true;
  TFormBorderStyle FBorderStyle = bsSingle;
  bool FRestoring = false;  // items going back into a new window: no events
  TLVCreateItemClassEvent FOnCreateItemClass;
  TLVSelectItemEvent FOnSelectItem;
  TLVChangeEvent FOnChange;
  TLVColumnClickEvent FOnColumnClick;
  TLVEditingEvent FOnEditing;
  TLVEditedEvent FOnEdited;
  TLVCustomDrawItemEvent FOnCustomDrawItem;
  TMouseWheelEvent FOnMouseWheel;
};

class TListView : public TCustomListView {
 public:
  using TCustomListView::TCustomListView;
};
