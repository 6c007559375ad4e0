// TEQPresets: the small modal dialog that lists, loads, saves and deletes the
// equaliser presets kept in the settings document (APP/Equalizer/Presets, one
// child element per preset, in list order). The document is open from the
// dialog's showing to its closing, and every change reaches the file then.
//
// Ownership: the dialog owns its controls; it only points to the host.
// ShowEQPresets makes the dialog and frees it when it closes.
#pragma once

#include <string>

#include "framework/xml_document.h"
#include "unicode_controls/tnt_forms.h"
#include "windows/equalizer/eq_host.h"

class TTntButton;
class TTntEdit;
class TTntListBox;

class TEQPresets;
// The dialog while it exists; nullptr otherwise.
extern TEQPresets* EQPresets;

// The most the name box takes by typing, in UTF-16 units: the box refuses
// more as it is typed, so what it shows is what is saved.
inline constexpr size_t MaxPresetNameLength = 64;

// A preset name as the settings document can hold it: control characters
// (below U+0020, U+007F), halves of surrogate pairs and the non-characters
// U+FFFE and U+FFFF removed, blanks around it trimmed; everything else as
// typed. Empty when nothing usable is left.
std::wstring CleanPresetName(const std::wstring& Name);

// Makes the dialog (owned by the application) and shows it modally; nothing
// when it is open already. The settings document is closed (and saved, or
// the failure told) however the dialog ends.
void ShowEQPresets(TEQHost* Host);

class TEQPresets : public TTntFixedDialog {
 public:
  // Host may be nullptr: loading and saving then do nothing.
  TEQPresets(TComponent* AOwner, TEQHost* Host);
  ~TEQPresets() override;

  // Handlers.
  void FormShow();
  void RefreshPresetList();
  void LoadButClick();
  void SaveButClick();
  void DeleteButClick();
  void PresetListDblClick();
  void CloseButClick();
  // Closes the settings bracket this dialog opened, once: at its closing,
  // or earlier when the program ends under it (its changes are on disk
  // before the exit's own save; what it is asked afterwards does nothing).
  void CloseSettings();

  TTntListBox* PresetList = nullptr;
  TTntEdit* PresetName = nullptr;
  TTntButton* LoadBut = nullptr;
  TTntButton* SaveBut = nullptr;
  TTntButton* DeleteBut = nullptr;
  TTntButton* CloseBut = nullptr;

 protected:
  void DoClose(TCloseAction& Action) override;

 private:
  void CreateControls();
  // APP/Equalizer/Presets; made when Create and missing. Null without a
  // document (it could not be opened).
  TXMLNode PresetsNode(bool Create) const;
  TEQHost* FHost;
  bool FSettingsOpen = false;
};
