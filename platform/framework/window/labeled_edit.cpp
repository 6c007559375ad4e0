#include "framework/labeled_edit.h"

#include "framework/labeled_edit_impl.h"

POINT LabelPlacement(TLabelPosition Position, const RECT& EditBounds, SIZE LabelSize, int Spacing) {
  const int height = EditBounds.bottom - EditBounds.top;
  const int besideTop = EditBounds.top + (height - LabelSize.cy) / 2;
  switch (Position) {
    case lpBelow:
      return {EditBounds.left, EditBounds.bottom + Spacing};
    case lpLeft:
      return {EditBounds.left - LabelSize.cx - Spacing, besideTop};
    case lpRight:
      return {EditBounds.right + Spacing, besideTop};
    case lpAbove:
    default:
      return {EditBounds.left, EditBounds.top - LabelSize.cy - Spacing};
  }
}

template class TBoundLabelOf<TCustomLabel, TLabeledEditOf<TCustomEdit, TBoundLabel>>;
template class TLabeledEditOf<TCustomEdit, TBoundLabel>;
