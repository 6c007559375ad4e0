// An edit with its caption label attached (TLabeledEdit).
//   The edit owns its label (EditLabel, a TBoundLabel named "SubLabel") and
//   keeps it beside itself: above, below, left or right (LabelPosition), at
//   LabelSpacing pixels, whenever the edit moves or resizes, the position or
//   spacing changes or the label sizes itself to a new caption. The label
//   shares the edit's parent, enabled state, visibility and reading direction,
//   and focuses the edit on its hot key. A label that is freed is forgotten.
//   The label's caption starts as the edit's name (and follows renames while
//   it still shows the old name).
//   The Unicode layer's labelled edit is the same pair of templates over its
//   own edit and label.
//
// Ownership: the edit owns the label (as its owner component).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/edits.h"
#include "framework/labels.h"

enum TLabelPosition : uint8_t { lpAbove, lpBelow, lpLeft, lpRight };

// The top-left corner of a label of LabelSize placed at Position beside an
// edit with EditBounds (the parent's coordinates), Spacing pixels apart.
// Beside the edit the label is centred on the edit's height.
POINT LabelPlacement(TLabelPosition Position, const RECT& EditBounds, SIZE LabelSize, int Spacing);

// The label of a TLabeledEditOf edit of class TEditClass, over a label class.
template <class TLabelBase, class TEditClass>
class TBoundLabelOf : public TLabelBase {
 public:
  // Named "SubLabel"; the caption is the owner's name.
  explicit TBoundLabelOf(TComponent* AOwner);

 protected:
  // After sizing itself, the label takes its place beside its edit again.
  void AdjustBounds() override;
};

// An edit class that owns and places a label of TLabelClass (a TBoundLabelOf).
// The bodies are in labeled_edit_impl.h, instantiated once per layer.
template <class TEditBase, class TLabelClass>
class TLabeledEditOf : public TEditBase {
 public:
  explicit TLabeledEditOf(TComponent* AOwner);

  void Dispatch(TMessage& Message) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetParent(TWinControl* AParent) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SetName(const std::wstring& NewName) override;

  // Makes the label when there is none (the constructor does).
  void SetupInternalLabel();
  // nullptr once the label was freed.
  TLabelClass* EditLabel() const { return FEditLabel; }
  TLabelPosition LabelPosition() const { return FLabelPosition; }
  void SetLabelPosition(TLabelPosition Value);
  int LabelSpacing() const { return FLabelSpacing; }
  void SetLabelSpacing(int Value);

 private:
  TLabelClass* FEditLabel = nullptr;
  TLabelPosition FLabelPosition = lpAbove;
  int FLabelSpacing = 3;
};

class TBoundLabel : public TBoundLabelOf<TCustomLabel, TLabeledEditOf<TCustomEdit, TBoundLabel>> {
 public:
  using TBoundLabelOf::TBoundLabelOf;
};

class TCustomLabeledEdit : public TLabeledEditOf<TCustomEdit, TBoundLabel> {
 public:
  using TLabeledEditOf::TLabeledEditOf;
};

class TLabeledEdit : public TCustomLabeledEdit {
 public:
  using TCustomLabeledEdit::TCustomLabeledEdit;
};

extern template class TBoundLabelOf<TCustomLabel, TLabeledEditOf<TCustomEdit, TBoundLabel>>;
extern template class TLabeledEditOf<TCustomEdit, TBoundLabel>;
