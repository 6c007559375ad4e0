// The Unicode labelled edit: a Unicode edit that owns a Unicode caption label
// (EditLabel, a TTntBoundLabel named "SubLabel" whose caption starts as the
// edit's name) and keeps it beside itself as the framework's labelled edit
// does, being the same templates over the Unicode edit and label:
// LabelPosition (above, below, left, right; above by default), LabelSpacing
// (3 pixels by default), following the edit's bounds, parent, enabled state,
// visibility and reading direction. A freed label is forgotten.
//
// Ownership: the edit owns the label (as its owner component).
#pragma once

#include "framework/labeled_edit.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_labels.h"

class TTntBoundLabel : public TBoundLabelOf<TTntCustomLabel, TLabeledEditOf<TTntCustomEdit, TTntBoundLabel>> {
 public:
  using TBoundLabelOf::TBoundLabelOf;
};

class TTntCustomLabeledEdit : public TLabeledEditOf<TTntCustomEdit, TTntBoundLabel> {
 public:
  using TLabeledEditOf::TLabeledEditOf;
};

class TTntLabeledEdit : public TTntCustomLabeledEdit {
 public:
  using TTntCustomLabeledEdit::TTntCustomLabeledEdit;
};

extern template class TBoundLabelOf<TTntCustomLabel, TLabeledEditOf<TTntCustomEdit, TTntBoundLabel>>;
extern template class TLabeledEditOf<TTntCustomEdit, TTntBoundLabel>;
