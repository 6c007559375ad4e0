// TPLEntryForm: one playlist entry's title and file name, for a song that
// was renamed or moved: the new name typed or looked for, the folder of the
// old one opened in the file manager. The playlist window has the main window
// make it for an entry and show it modally; it works on that entry whatever
// happens to the list meanwhile.
//
// Ownership: the window owns its controls and its open dialog; it only
// points to the host.
#pragma once

#include <string>

#include "unicode_controls/tnt_forms.h"

class TPLEntryHost;
class TTntButton;
class TTntLabeledEdit;
class TTntOpenDialog;
class TTntSpeedButton;

class TPLEntryForm;
// The dialog while it exists; nullptr otherwise.
extern TPLEntryForm* PLEntryForm;

class TPLEntryForm : public TTntFixedDialog {
 public:
  // Host may be nullptr: the dialog then shows and changes nothing.
  TPLEntryForm(TComponent* AOwner, TPLEntryHost* Host);
  ~TPLEntryForm() override;

  // The entry's texts into the boxes; false when it has left the playlist.
  bool GetEntry();

  // Handlers.
  void ChangeButClick();
  void CancelButClick();
  void FindClick();
  void OpenFolderButClick();

  TTntLabeledEdit* EntryTitle = nullptr;
  TTntLabeledEdit* OldEntry = nullptr;
  TTntLabeledEdit* NewEntry = nullptr;
  TTntSpeedButton* Find = nullptr;
  TTntButton* ChangeBut = nullptr;
  TTntButton* CancelBut = nullptr;
  TTntButton* OpenFolderBut = nullptr;
  TTntOpenDialog* FindFile = nullptr;

 protected:
  void DoShow() override;
  void Activate() override;
  void Deactivate() override;

 private:
  void CreateControls();

  TPLEntryHost* FHost;
};
