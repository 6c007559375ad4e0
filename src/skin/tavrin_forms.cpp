#include "skin/tavrin_forms.h"

void TTavrinForm::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETMINMAXINFO) {
    WMGetMinMaxInfo(Message);
    return;
  }
  TTntForm::Dispatch(Message);
}

void TTavrinForm::WMGetMinMaxInfo(TMessage& Message) {
  TTntForm::Dispatch(Message);
  auto* info = reinterpret_cast<MINMAXINFO*>(Message.LParam);
  if (info == nullptr) return;
  info->ptMinTrackSize.x = Constraints()->MinWidth();
  info->ptMinTrackSize.y = Constraints()->MinHeight();
}
