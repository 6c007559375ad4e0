// The Unicode panel and the Unicode radio group.
//   TTntCustomPanel       paints its wide caption itself.
//   TTntCustomRadioGroup  a group box whose item captions live in a wide
//                         string list; one TTntGroupButton per item, laid
//                         out in Columns (1..16) of equal width, filled top
//                         to bottom. ItemIndex is the checked button (-1:
//                         none); checking one by program or by the user runs
//                         OnClick.
// Ownership: the group owns its items and its buttons; a button belongs to
// the group that made it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/tnt_string_list.h"
#include "framework/panels.h"
#include "unicode_controls/tnt_buttons.h"

class TTntCustomPanel : public TTntWideTextControl<TCustomPanel> {
 public:
  using TTntWideTextControl::TTntWideTextControl;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void Paint() override;
};

class TTntPanel : public TTntCustomPanel {
 public:
  using TTntCustomPanel::TTntCustomPanel;
};

class TTntGroupButton;

class TTntCustomRadioGroup : public TTntCustomGroupBox {
 public:
  explicit TTntCustomRadioGroup(TComponent* AOwner);
  ~TTntCustomRadioGroup() override;

  TTntStrings* Items() const { return FItems; }
  // Copies Value's lines.
  void SetItems(TTntStrings* Value);
  int32_t ItemIndex() const { return FItemIndex; }
  // Clamped to -1..ButtonCount() - 1; while reading only stored.
  void SetItemIndex(int32_t Value);
  int32_t Columns() const { return FColumns; }
  // Clamped to 1..16.
  void SetColumns(int32_t Value);
  int32_t ButtonCount() const { return static_cast<int32_t>(FButtons.size()); }
  TTntGroupButton* Buttons(int32_t Index) const { return FButtons[static_cast<size_t>(Index)]; }

  // A batch of property sets, as a form reader would make them: items and
  // ItemIndex take effect together at EndReading, whatever their order.
  void BeginReading() { FReading = true; }
  void EndReading();
  bool Reading() const { return FReading; }

  // Whether the user may change the selection (clicks, Space, Backspace).
  virtual bool CanModify() { return true; }

  void Loaded() override;
  void Dispatch(TMessage& Message) override;

 private:
  friend class TTntGroupButton;
  void ItemsChange(TObject* Sender);
  void UpdateButtons();
  void SetButtonCount(int32_t Value);
  void ArrangeButtons();
  void ButtonClick(TObject* Sender);

  std::vector<TTntGroupButton*> FButtons;
  TTntStringList* FItems;
  int32_t FItemIndex = -1;
  int32_t FColumns = 1;
  bool FReading = false;
  bool FUpdating = false;
};

class TTntRadioGroup : public TTntCustomRadioGroup {
 public:
  using TTntCustomRadioGroup::TTntCustomRadioGroup;
};

// One item of a radio group; its clicks reach the group only while the group
// CanModify, and its keys go to the group's key handlers too.
class TTntGroupButton : public TTntRadioButton {
 public:
  explicit TTntGroupButton(TTntCustomRadioGroup* Group);
  ~TTntGroupButton() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void KeyPress(char& Key) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;

 private:
  TTntCustomRadioGroup* FGroup;
  bool FInClick = false;
};
