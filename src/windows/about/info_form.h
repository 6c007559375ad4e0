// TInfoForm: a plain viewer of one of the program folder's text files, opened
// from the about window. At most one at a time; it frees itself when closed
// and may outlive the about window.
//
// Ownership: the window owns its controls; it only points to the host.
#pragma once

#include <string>

#include "skin/tavrin_forms.h"

class TAboutHost;
class TTntButton;
class TTntMemo;

class TInfoForm;
// The viewer while it exists; nullptr otherwise.
extern TInfoForm* InfoForm;

class TInfoForm : public TTavrinForm {
 public:
  TInfoForm(TComponent* AOwner, TAboutHost* Host);
  ~TInfoForm() override;

  // The file's text, by its byte-order mark; a file that cannot be read
  // leaves the page empty.
  void LoadFile(const std::wstring& FileName);

  // Handlers.
  void FormResize();
  void CloseButClick();

  TTntMemo* Memo = nullptr;
  TTntButton* CloseBut = nullptr;

 private:
  TAboutHost* FHost;
};
