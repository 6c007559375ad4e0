// TTavrinForm: the base form of the resizable skinned windows (playlist,
// lyrics editor, text viewer, stream info). Their size loop is started by a
// TFormTitle, not by a system frame, so the system learns the smallest size
// from here: the minimum tracking size is the form's Constraints.
#pragma once

#include "framework/forms.h"

class TTavrinForm : public TForm {
 public:
  using TForm::TForm;

  void Dispatch(TMessage& Message) override;

 private:
  void WMGetMinMaxInfo(TMessage& Message);
};
