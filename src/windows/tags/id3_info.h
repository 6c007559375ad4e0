// TID3_Info: the tag window of an MPEG file. It edits the file's ID3v1 and
// ID3v2 tags side by side and shows what the first frame header tells. The
// main window makes it for one playlist entry, calls Init with the entry's
// file, shows it modally and frees it; a save or removal renames the entry
// through the host.
//
// Only the fields the user changed are written: a field still showing what
// its tag held is left to the tag as it was read, so texts the window cannot
// show and values it cannot hold survive a save of another field.
//
// Ownership: the window owns its controls and its three readers; it only
// points to the host.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "formats/id3v1.h"
#include "formats/id3v2.h"
#include "formats/mpeg_audio.h"
#include "unicode_controls/tnt_forms.h"

class TControl;
class TTagHost;
class TTntButton;
class TTntComboBox;
class TTntEdit;
class TTntGroupBox;
class TTntLabel;
class TTntLabeledEdit;
class TTntStringGrid;

class TID3_Info;
// The window while it exists; nullptr otherwise.
extern TID3_Info* ID3_Info;

// The ID3v1 genre byte an item of the genre box stands for: item g + 1 is
// genre g; the empty first item and no selection at all are "no genre" (255).
uint8_t GenreByteOfItem(int32_t ItemIndex);

class TID3_Info : public TTntFixedDialog {
 public:
  // Host may be nullptr: the entry is then never renamed.
  TID3_Info(TComponent* AOwner, TTagHost* Host);
  ~TID3_Info() override;

  // Font and language, then both tags and the MPEG header of FileName, the
  // only file the window ever reads or writes.
  void Init(const std::wstring& FileName);
  const std::wstring& FileName() const { return FFileName; }

  // Handlers.
  void FormCreate();
  // False (after the error box) when the tag cannot be read.
  bool LoadID3v1();
  void LoadID3v2();
  void LoadMPEGinfo();
  void SaveButClick();
  void SaveBut2Click();
  void RemoveButClick();
  void RemoveBut2Click();
  void CopyFrom1Click();
  void CopyFrom2Click();
  void UndoClick();
  void Genrev1Exit();
  void Update1();
  void Update2();
  void IfNoTagsExecute();
  void ClearID3v1Fields();
  void ClearID3v2Fields();
  void CloseButClick();

  // The controls, under their form names.
  TTntEdit* FilePath = nullptr;
  TTntGroupBox* ID3v1Group = nullptr;
  TTntLabeledEdit *TagExv1 = nullptr, *TagVerv1 = nullptr, *Titlev1 = nullptr, *Artistv1 = nullptr,
                  *Albumv1 = nullptr, *TrackNumv1 = nullptr, *Yearv1 = nullptr,
                  *Commentv1 = nullptr;
  TTntLabel* Genrev1Label = nullptr;
  TTntComboBox* Genrev1 = nullptr;
  TTntButton *SaveBut = nullptr, *RemoveBut = nullptr, *CopyFrom2 = nullptr;
  TTntGroupBox* ID3v2Group = nullptr;
  TTntLabeledEdit *TagExv2 = nullptr, *TagVerv2 = nullptr, *TagSize = nullptr, *Titlev2 = nullptr,
                  *Artistv2 = nullptr, *Albumv2 = nullptr, *TrackNumv2 = nullptr, *Yearv2 = nullptr,
                  *Commentv2 = nullptr, *Composer = nullptr, *Copyright = nullptr,
                  *Encoder = nullptr, *Language = nullptr, *Link = nullptr;
  TTntLabel* Genrev2Label = nullptr;
  TTntComboBox* Genrev2 = nullptr;
  TTntButton *SaveBut2 = nullptr, *RemoveBut2 = nullptr, *CopyFrom1 = nullptr;
  TTntLabel* MpegInfoLabel = nullptr;
  TTntStringGrid* MpegInfo = nullptr;
  TTntButton *Undo = nullptr, *CloseBut = nullptr;

 private:
  // Makes the controls, and places them and sizes the window for their
  // texts as they are now (id3_info_layout.cpp).
  void CreateControls();
  void LayOut();
  // What every field of one tag shows now becomes its loaded value.
  void RememberID3v1();
  void RememberID3v2();
  bool Changed(TControl* Field);
  // The track number to save from Field: -1 when it was not changed, 0 for
  // none. False, after the error box, for a number above Max.
  bool TakeTrack(TTntLabeledEdit* Field, int32_t Max, int32_t& Track);
  // "artist - title" to the host, or the file-name title when both are empty.
  void RenameEntry(TTntLabeledEdit* Artist, TTntLabeledEdit* Title);

  TTagHost* FHost;
  std::wstring FFileName;
  TID3v1 FID3v1;
  TID3v2 FID3v2;
  TMPEGaudio FMPEGaudio;
  // The text each field showed when its tag was last loaded.
  std::map<TControl*, std::wstring> FLoaded;
  int32_t FLoadedGenre1 = -1;
};
