// The common face of the framework's item controls (the combo box and the list
// box): items are added, selected and copied through it without knowing which
// of the two a caller holds.
#pragma once

#include <functional>
#include <string>

#include "controls.h"
#include "menus.h"

// Owner drawing of the items of a combo box or a list box.
using TDrawItemEvent =
    std::function<void(TWinControl* Control, int32_t Index, RECT Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int32_t Index, int& Height)>;

class TCustomListControl : public TWinControl {
 public:
  using TWinControl::TWinControl;

  virtual void AddItem(const std::string& Item, TObject* AObject) = 0;
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
