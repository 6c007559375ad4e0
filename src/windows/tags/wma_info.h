// TWMA_Info: the WMA window. Shows the file's attributes through the WMA tag
// editor and saves the text ones back. A save reads the file's record afresh
// and replaces only the fields the user changed, so what the window does not
// show, or shows altered, stays as it was. The window renames nothing.
//
// Ownership: the window owns its controls and its editor; it only points to
// the host.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "unicode_controls/tnt_forms.h"

class TTagHost;
class TTntButton;
class TTntEdit;
class TTntLabel;
class TTntLabeledEdit;
class TTntMemo;
class TWMATagEditor;
struct TTagsData;

class TWMA_Info;
// The window while it exists; nullptr otherwise.
extern TWMA_Info* WMA_Info;

class TWMA_Info : public TTntFixedDialog {
 public:
  TWMA_Info(TComponent* AOwner, TTagHost* Host);
  ~TWMA_Info() override;

  // Font and language, then the file's attributes.
  void ShowInfo(const std::wstring& FileName);

  // Handlers.
  void GetWMAInfo();
  void SaveButClick();
  void UndoButClick();

  TTntEdit* FilePath = nullptr;
  TTntLabeledEdit* WMATitle = nullptr;
  TTntLabeledEdit* WMAArtist = nullptr;
  TTntLabeledEdit* WMAAlbum = nullptr;
  TTntLabeledEdit* WMAYear = nullptr;
  TTntLabeledEdit* WMAGenre = nullptr;
  TTntLabeledEdit* WMAURL = nullptr;
  TTntLabeledEdit* WMACopyright = nullptr;
  TTntLabeledEdit* WMAComposer = nullptr;
  TTntLabeledEdit* WMAEncoder = nullptr;
  TTntLabel* WMACommentLabel = nullptr;
  TTntMemo* WMAComment = nullptr;
  TTntLabel* WMALyricsLabel = nullptr;
  TTntMemo* WMALyrics = nullptr;
  TTntLabeledEdit* WMAFilesize = nullptr;
  TTntLabeledEdit* WMADuration = nullptr;
  TTntLabeledEdit* WMABitrate = nullptr;
  TTntLabeledEdit* WMASDKVersion = nullptr;
  TTntButton* UndoBut = nullptr;
  TTntButton* SaveBut = nullptr;
  TTntButton* CloseBut = nullptr;

 private:
  static constexpr size_t kFields = 11;
  // A text field of the record and the edit or memo that shows it.
  struct TField {
    std::wstring TTagsData::*Member;
    TWinControl* Control;
  };
  std::array<TField, kFields> Fields() const;
  void CreateControls();
  // What the controls show now counts as unchanged.
  void RememberShown();

  TTagHost* FHost;
  std::wstring FFileName;
  std::unique_ptr<TWMATagEditor> FEditor;
  std::array<std::wstring, kFields> FShown;
};
