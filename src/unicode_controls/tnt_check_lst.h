// The Unicode check list box: the framework's check list box in a Unicode
// "LISTBOX" window, with UTF-16 items (TTntListBoxStrings), a wide hint and
// wide item drawing beside the check boxes (the Unicode list box's, over the
// check list box).
//   Across RecreateWnd it keeps the wide items, the selection and, per item,
//   the check state and the enabled flag.
//
// Ownership: the list box owns its wide items object; the items' objects
// belong to the caller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/check_lst.h"
#include "unicode_controls/tnt_list_box.h"

extern template class TTntListBoxOf<TCheckListBox>;

class TTntCheckListBox : public TTntListBoxOf<TCheckListBox> {
 public:
  using TTntListBoxOf::TTntListBoxOf;

 protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  // The check box, then OnDrawItem when assigned, else the wide item text.
  void DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) override;

 private:
  // The framework's own keeping of the checks runs while the wide items are
  // away: these are kept with the wide items instead.
  std::vector<TSavedCheck> FSaveWideChecks;
};
