// The Unicode labelled edit: a Unicode edit that owns a Unicode caption label
// (EditLabel, a TTntBoundLabel named "SubLabel" whose caption starts as the
// edit's name) and keeps it beside itself as the framework's labelled edit
// does: LabelPosition (above, below, left, right; above by default),
// LabelSpacing (3 pixels by default), following the edit's bounds, parent,
// enabled state, visibility and reading direction. A freed label is forgotten.
//
// Ownership: the edit owns the label (as its owner component).
#pragma once

#include <windows.h>

#include <string>

#include "labeled_edit.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_labels.h"

class TTntCustomLabeledEdit;

class TTntBoundLabel : public TTntCustomLabel {
 public:
  // Named "SubLabel"; the caption is the owner's name.
  explicit TTntBoundLabel(TComponent* AOwner);

 protected:
  // After sizing itself, the label takes its place beside its edit again.
  void AdjustBounds() override;
};

class TTntCustomLabeledEdit : public TTntCustomEdit {
 public:
  explicit TTntCustomLabeledEdit(TComponent* AOwner);

  void Dispatch(TMessage& Message) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetParent(TWinControl* AParent) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SetName(const std::wstring& NewName) override;

  // Makes the label when there is none (the constructor does).
  void SetupInternalLabel();
  // nullptr once the label was freed.
  TTntBoundLabel* EditLabel() const { return FEditLabel; }
  TLabelPosition LabelPosition() const { return FLabelPosition; }
  void SetLabelPosition(TLabelPosition Value);
  int LabelSpacing() const { return FLabelSpacing; }
  void SetLabelSpacing(int Value);

 private:
  TTntBoundLabel* FEditLabel = nullptr;
  TLabelPosition FLabelPosition = lpAbove;
  int FLabelSpacing = 3;
};

class TTntLabeledEdit : public TTntCustomLabeledEdit {
 public:
  using TTntCustomLabeledEdit::TTntCustomLabeledEdit;
};
