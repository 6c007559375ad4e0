// TOpenURL: the dialog in which the user types the address of an internet
// stream and an optional comment. The main window makes it, shows it modally
// and, on OK, adds the stream to the playlist. OK is there only with an
// address typed, and an address the player cannot open is refused with a
// message while the dialog stays up.
//
// Ownership: the window owns its controls; it only points to the host.
#pragma once

#include <string>

#include "unicode_controls/tnt_forms.h"

class TOpenURLHost;
class TTntButton;
class TTntLabeledEdit;

class TOpenURL;
// The dialog while it exists; nullptr otherwise.
extern TOpenURL* OpenURL;

class TOpenURL : public TTntFixedDialog {
 public:
  // Host may be nullptr: the dialog then calls out to nothing.
  TOpenURL(TComponent* AOwner, TOpenURLHost* Host);
  ~TOpenURL() override;

  // After OK: the address as checked (trimmed, its scheme in lower case) and
  // the comment without the blanks around it.
  const std::wstring& URL() const { return FURL; }
  std::wstring Comment() const;

  // Handlers.
  void URLStringChange();
  void OKButClick();

  TTntLabeledEdit* URLString = nullptr;
  TTntLabeledEdit* CommentString = nullptr;
  TTntButton* OKBut = nullptr;
  TTntButton* CancelBut = nullptr;

 protected:
  void DoShow() override;
  void Activate() override;
  void Deactivate() override;

 private:
  void CreateControls();

  TOpenURLHost* FHost;
  std::wstring FURL;
};
