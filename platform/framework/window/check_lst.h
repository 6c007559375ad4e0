// The framework's check list box: an owner-drawn list box with a check box in
// front of every item (behind it under right-to-left alignment).
//   Checked[i] / State[i] (unchecked, checked, grayed), ItemEnabled[i] (a
//   disabled item is drawn grey and cannot be toggled), AllowGrayed (a click
//   cycles unchecked -> grayed -> checked), OnClickCheck after the user
//   toggles a box by clicking it or by Space.
//   Each item's state travels with the item in its item data, in a record of
//   the list box's own that also holds the caller's object (Objects[i] stays
//   the caller's); checks, states and enabled flags survive RecreateWnd.
//   The lbStandard style is drawn by the list box too (fixed height, from the
//   font and the check box); the virtual styles keep no states.
//
// Ownership: the list box owns the per-item records; the items' objects
// belong to the caller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "framework/button_controls.h"
#include "framework/list_box.h"

class TCheckListBox : public TCustomListBox {
 public:
  explicit TCheckListBox(TComponent* AOwner);
  ~TCheckListBox() override;

  void Dispatch(TMessage& Message) override;

  // Index errors raise EStringListError "List index out of bounds (%d)".
  bool Checked(int32_t Index);
  void SetChecked(int32_t Index, bool Value);
  TCheckBoxState State(int32_t Index);
  void SetState(int32_t Index, TCheckBoxState Value);
  bool ItemEnabled(int32_t Index);
  void SetItemEnabled(int32_t Index, bool Value);

  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  // Check boxes with a thin frame instead of the sunken 3-D one.
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);

  // The next state of the item's box, as a click gives it, then ClickCheck;
  // nothing for a disabled item or an index outside the items.
  void ToggleClickCheck(int32_t Index);

  const TNotifyEvent& OnClickCheck() const { return FOnClickCheck; }
  void SetOnClickCheck(TNotifyEvent Value) { FOnClickCheck = std::move(Value); }

  // The width taken by the check box column of an item.
  static int CheckWidth();

 protected:
  // One item's state as RecreateWnd keeps it.
  struct TSavedCheck {
    TCheckBoxState State = cbUnchecked;
    bool Enabled = true;
  };

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // The item's check box, then the inherited drawing in Rect (which lies
  // beside the box).
  void DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) override;
  // Draws the check box column beside Rect and greys the canvas font of a
  // disabled item; for descendants that draw the rest themselves.
  void DrawItemCheck(int32_t Index, const RECT& Rect);
  LONG_PTR GetItemData(int32_t Index) override;
  void SetItemData(int32_t Index, LONG_PTR AData) override;
  void DeleteString(int32_t Index) override;
  void ResetContent() override;
  void KeyPress(char& Key) override;
  virtual void ClickCheck();

  std::vector<TSavedCheck> SaveChecks();
  // Puts the states back on the first items, as far as both lists reach.
  void RestoreChecks(const std::vector<TSavedCheck>& Saved);

 private:
  struct TItemData;

  TItemData* ItemDataAt(int32_t Index);
  TItemData* NeedItemData(int32_t Index);
  void CheckIndex(int32_t Index);
  void InvalidateItem(int32_t Index);
  bool InCheckColumn(int32_t Index, int X);
  int StandardItemHeight();
  void CNDrawItem(TMessage& Message);
  void MouseToggle(TMessage& Message);

  // Every record in use, by its address (what the window holds as item data).
  std::unordered_map<LONG_PTR, std::unique_ptr<TItemData>> FItemData;
  // The record of an item being moved, between its deletion and its return.
  TItemData* FCarried = nullptr;
  std::vector<TSavedCheck> FSaveChecks;
  bool FAllowGrayed = false;
  bool FFlat = true;
  TNotifyEvent FOnClickCheck;
};
