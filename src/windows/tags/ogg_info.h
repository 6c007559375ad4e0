// TOGG_Info: the Ogg Vorbis window. Shows the stream's header values and its
// comments, and saves or removes the comments of the one file it was opened
// for. Only the fields the user changed are set before a save, so text the
// edits cannot hold and comments the window does not show stay as they were.
//
// Ownership: the window owns its controls and its reader; it only points to
// the host.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "unicode_controls/tnt_forms.h"

class TOggVorbis;
class TTagHost;
class TTntButton;
class TTntLabeledEdit;

class TOGG_Info;
// The window while it exists; nullptr otherwise.
extern TOGG_Info* OGG_Info;

class TOGG_Info : public TTntFixedDialog {
 public:
  TOGG_Info(TComponent* AOwner, TTagHost* Host);
  ~TOGG_Info() override;

  // Font and language, then the file's values.
  void ShowInfo(const std::wstring& FileName);

  // Handlers.
  void GetOggInfo();
  void SaveOggClick();
  void RemoveOggClick();
  void UndoOggClick();
  void UpdateOgg();
  void OggClearAll();
  void CloseButClick();

  TTntLabeledEdit* OggValidHeader = nullptr;
  TTntLabeledEdit* OggDuration = nullptr;
  TTntLabeledEdit* OggChannelMode = nullptr;
  TTntLabeledEdit* OggBitRate = nullptr;
  TTntLabeledEdit* OggSampleRate = nullptr;
  TTntLabeledEdit* OggFileSize = nullptr;
  TTntLabeledEdit* OggVendor = nullptr;
  TTntLabeledEdit* OggTitle = nullptr;
  TTntLabeledEdit* OggArtist = nullptr;
  TTntLabeledEdit* OggAlbum = nullptr;
  TTntLabeledEdit* OggTrack = nullptr;
  TTntLabeledEdit* OggDate = nullptr;
  TTntLabeledEdit* OggGenre = nullptr;
  TTntLabeledEdit* OggComment = nullptr;
  TTntButton* SaveOgg = nullptr;
  TTntButton* RemoveOgg = nullptr;
  TTntButton* UndoOgg = nullptr;
  TTntButton* CloseBut = nullptr;

 private:
  // The editable edits, in the order of FShown.
  static constexpr size_t kFields = 7;
  std::array<TTntLabeledEdit*, kFields> Editable() const;
  void CreateControls();
  // What the editable edits show now counts as unchanged.
  void RememberShown();

  TTagHost* FHost;
  std::wstring FFileName;
  std::unique_ptr<TOggVorbis> FOgg;
  std::array<std::wstring, kFields> FShown;
};
