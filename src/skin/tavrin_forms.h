// TTavrinForm: the base form of the resizable skinned windows (playlist,
// lyrics editor, text viewer, stream info). Their size loop is started by a
// TFormTitle, not by a system frame, so the system learns the smallest size
// from here: the minimum tracking size is the form's Constraints. Its window
// is Unicode (TTntForm), so a translated caption shows whole.
#pragma once

#include "unicode_controls/tnt_forms.h"

class TTavrinForm : public TTntForm {
 public:
  using TTntForm::TTntForm;

  void Dispatch(TMessage& Message) override;

 private:
  void WMGetMinMaxInfo(TMessage& Message);
};
