// TCDEx: the CD extractor. Lists the tracks of a chosen drive, lets the user
// tick tracks (and edit titles and artists in place), and rips each ticked
// track through the player's encoder with the format, options and folder of
// the options window's "Encoding" page. It rips on the main thread; the
// encoder's progress callback lets messages through, so Cancel can be
// clicked. The window cannot be closed while it rips; the program's exit
// cancels the rip instead (CancelThen) and runs once it has ended.
//
// Ownership: the window owns its controls and every stream it opens (each is
// freed before the track's turn ends); it only points to its host. It frees
// itself when closed.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "unicode_controls/tnt_forms.h"

class TCDHost;
class TListItem;
class TMenuItem;
class TTntCheckBox;
class TTntComboBox;
class TTntEditableListView;
class TTntLabel;
class TTntMainMenu;
class TTntPanel;

class TCDEx;
// The window while it exists; nullptr otherwise.
extern TCDEx* CDEx;

class TCDEx : public TTntFixedDialog {
 public:
  TCDEx(TComponent* AOwner, TCDHost* Host);
  ~TCDEx() override;

  // Handlers.
  void FormShow();
  void FormClose(TCloseAction& Action);
  void FormCloseQuery(bool& CanClose);
  void GetCDTracks();
  void SelAllTracksClick();
  void TrackListCustomDrawItem(TListItem* Item, bool& DefaultDraw);
  void ExtractMIClick();
  void CancelMIClick();
  void OptionsMIClick();

  int32_t TrackListCheckedCount();
  bool ValidTrackRow(int32_t Row);
  // The output name of Row in Folder (with its trailing backslash): the
  // row's artist and title made safe for a file name, or the row's number.
  std::wstring MakeFileName(const std::wstring& Folder, const std::wstring& Extension, int32_t Row);
  void UpdateProgress(int32_t Percent);

  // False while a rip runs.
  bool Idle() const { return FIdle; }
  // Cancels a running rip; Then runs once it has unwound (at once when the
  // window is idle). Then may free the window.
  void CancelThen(std::function<void()> Then);

  TTntPanel* Panel = nullptr;
  TTntLabel* CDDriveLabel = nullptr;
  TTntComboBox* CDDrive = nullptr;
  TTntCheckBox* SelAllTracks = nullptr;
  TTntEditableListView* TrackList = nullptr;
  TTntMainMenu* CDExtMMenu = nullptr;
  TMenuItem* ExtractMI = nullptr;
  TMenuItem* CancelMI = nullptr;
  TMenuItem* OptionsMI = nullptr;

 protected:
  void Activate() override;
  void Deactivate() override;

 private:
  void CreateControls();
  void FillLastColumn();
  void ExtractChecked(uint8_t Format, const std::wstring& Options, const std::wstring& Folder);
  void EncodeTrack(int32_t Drive, int32_t Track, const std::wstring& Options, const std::wstring& Folder,
                   uint8_t Format);
  // The path Row rips to: a name no earlier track of this rip took, and an
  // existing file (Replace) only when the user lets it be replaced. Empty
  // when no name is left, or on a cancel meanwhile.
  std::wstring ClaimOutput(const std::wstring& Folder, const std::wstring& Extension, int32_t Row, bool& Replace);
  void ShowError(int32_t Drive, const std::wstring& Text);
  void SetState(int32_t Row, const std::wstring& Text);
  void SetRipping(bool Ripping);
  // The player's CD given back (once).
  void ReleaseCD();

  TCDHost* FHost;
  std::vector<int32_t> FDriveNumbers;  // one per CDDrive line
  int32_t FCurrentRow = -1;
  bool FIdle = true;
  bool FCancelRequested = false;
  bool FFolderFailed = false;
  bool FHoldsCD = false;
  std::set<std::wstring> FClaimed;  // lower-cased paths of this rip
  std::function<void()> FAfterRip;
};
