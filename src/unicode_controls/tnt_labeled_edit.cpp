#include "unicode_controls/tnt_labeled_edit.h"

#include "framework/labeled_edit_impl.h"

template class TBoundLabelOf<TTntCustomLabel, TLabeledEditOf<TTntCustomEdit, TTntBoundLabel>>;
template class TLabeledEditOf<TTntCustomEdit, TTntBoundLabel>;
