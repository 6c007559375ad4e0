#include "skin/tavrin_forms.h"

void TTavrinForm::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETMINMAXINFO) {
    WMGetMinMaxInfo(Message);
    return;
  }
  TForm::Dispatch(Message);
}

void TTavrinForm::WMGetMinMaxInfo(TMessage& Message) {
  TForm::Dispatch(Message);
  auto* info = reinterpret_cast<MINMAXINFO*>(Message.LParam);
  if (info == nullptr) return;
  info->ptMinTrackSize.x = Constraints()->MinWidth();
  info->ptMinTrackSize.y = Constraints()->MinHeight();
}
