// The common face of the framework's item controls (the combo box and the list
// box): items are added, selected and copied through it without knowing which
// of the two a caller holds.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "framework/controls.h"
#include "framework/menus.h"

// Owner drawing of the items of a combo box or a list box.
using TDrawItemEvent =
    std::function<void(TWinControl* Control, int32_t Index, RECT Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int32_t Index, int& Height)>;

class TCustomListControl : public TWinControl {
 public:
  using TWinControl::TWinControl;

  // The items, made and owned by the combo box or the list box.
  TStrings* Items() const { return FItems; }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }

  // Items.AddObject.
  virtual void AddItem(const std::string& Item, TObject* AObject);
  virtual void Clear() = 0;
  virtual void ClearSelection() = 0;
  virtual void DeleteSelected() = 0;
  virtual void SelectAll() = 0;
  // Every selected item goes to Destination's AddItem, in ascending order.
  virtual void CopySelection(TCustomListControl* Destination) = 0;
  virtual int32_t ItemIndex() = 0;
  virtual void SetItemIndex(int32_t Value) = 0;
  void MoveSelection(TCustomListControl* Destination) {
    CopySelection(Destination);
    DeleteSelected();
  }

  const TDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(TDrawItemEvent Value) { FOnDrawItem = std::move(Value); }
  const TMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(TMeasureItemEvent Value) { FOnMeasureItem = std::move(Value); }

 protected:
  // OnDrawItem when assigned, else the item's text on the filled rectangle.
  virtual void DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) = 0;
  // OnMeasureItem when assigned.
  virtual void MeasureItem(int32_t Index, int& Height);
  // CN_DRAWITEM: Canvas draws on the item's DC in the control's font and
  // brush, in the highlight colours for a selected item (in grey text for a
  // disabled one when GreyDisabled); DrawItem paints an item, the background
  // is filled where there is none; the focus frame comes last.
  void DrawOwnerItem(TMessage& Message, TCanvas* Canvas, bool GreyDisabled);
  // CN_MEASUREITEM: ItemHeight, or MeasureItem's from it for an item when Variable.
  void MeasureOwnerItem(TMessage& Message, int ItemHeight, bool Variable);

  TStrings* FItems = nullptr;

 private:
  TDrawItemEvent FOnDrawItem;
  TMeasureItemEvent FOnMeasureItem;
};

// A list control whose items can be selected together.
class TCustomMultiSelectListControl : public TCustomListControl {
 public:
  using TCustomListControl::TCustomListControl;

  bool MultiSelect() const { return FMultiSelect; }
  virtual void SetMultiSelect(bool Value) = 0;
  virtual int32_t SelCount() = 0;

 protected:
  bool FMultiSelect = false;
};
