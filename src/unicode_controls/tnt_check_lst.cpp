#include "unicode_controls/tnt_check_lst.h"

#include <utility>

void TTntCheckListBox::CreateWnd() {
  TTntListBoxOf::CreateWnd();
  RestoreChecks(std::exchange(FSaveWideChecks, {}));
}

void TTntCheckListBox::DestroyWnd() {
  if (!ComponentState().Contains(csDestroying) && !IsVirtualStyle()) FSaveWideChecks = SaveChecks();
  TTntListBoxOf::DestroyWnd();
}

void TTntCheckListBox::DrawItem(int32_t Index, RECT Rect, TOwnerDrawState State) {
  DrawItemCheck(Index, Rect);
  TTntListBoxOf::DrawItem(Index, Rect, State);
}
