// TEncoderForm: converts a list of local files, one after another from the
// bottom of the list, to the format of the options window's "Encoding" page,
// into its output folder. Conversion runs on the main thread inside the
// player's encoding loop, which lets messages through: the window stays
// usable, Cancel stops the file under way, and a close or the program's exit
// asked meanwhile cancels and waits for the loop to unwind before it acts.
//
// Every output is written under a temporary name in its folder and takes its
// name only when complete, so a cancelled or failed file leaves nothing. An
// output never takes the name of a file of the batch (sources or outputs made
// before): it gets a numbered name instead; an existing file is replaced only
// when the user says so.
//
// Ownership: the window owns its controls and frees itself when closed; it
// only points to its host.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/forms.h"
#include "unicode_controls/tnt_forms.h"

class TEncoderHost;
class TMProgress;
class TTntButton;
class TTntLabel;
class TTntListBox;

class TEncoderForm;
// The window while it exists; nullptr otherwise.
extern TEncoderForm* EncoderForm;

class TEncoderForm : public TTntFixedDialog {
 public:
  TEncoderForm(TComponent* AOwner, TEncoderHost* Host);
  ~TEncoderForm() override;

  // Full paths, appended to the files to convert.
  void AddFiles(const std::vector<std::wstring>& Files);
  // Whether a batch is running (a file may be between two blocks).
  bool Converting() const { return FConverting; }
  // Cancels the batch; Then runs once the file under way has stopped, its
  // output is removed and its channel freed. At once when idle.
  void CancelThen(std::function<void()> Then);

  // Handlers.
  void FormShow();
  void FormCloseQuery(bool& CanClose);
  void FormClose(TCloseAction& Action);
  void StartButClick();
  void CancelButClick();
  void CloseButClick();
  void OptionsButClick();
  void FilesToConvertMouseMove(int X, int Y);

  void ConvertSelectedFile();
  void UpdateProgress(int32_t Percent);
  // The output folder + the selected file's name (made safe) with Extension.
  std::wstring MakeEncoderOutputName(const std::wstring& Extension);

  TTntLabel* FilesToEncodeLabel = nullptr;
  TTntListBox* FilesToConvert = nullptr;
  TTntLabel* ProgressLabel = nullptr;
  TMProgress* ConvertProgress = nullptr;
  TTntLabel* TotalLabel = nullptr;
  TTntLabel* BatchLabel = nullptr;
  TMProgress* TotalProgress = nullptr;
  TTntLabel* ResultsLabel = nullptr;
  TTntListBox* ResultsList = nullptr;
  TTntButton* StartBut = nullptr;
  TTntButton* CancelBut = nullptr;
  TTntButton* CloseBut = nullptr;
  TTntButton* OptionsBut = nullptr;

 private:
  void CreateControls();
  void SetBusy(bool Busy);
  void ShowBatchPosition();
  void AddResult(const std::wstring& Name, const std::wstring& Text);
  // The first free output name for the selected file; empty when the user
  // declined every choice or none is left.
  std::wstring ChooseOutput(const std::wstring& Folder, const std::wstring& Extension, bool& Replaces);
  void RunAfterBatch() noexcept;

  TEncoderHost* FHost;
  bool FConverting = false;
  bool FCloseAfterBatch = false;
  std::function<void()> FAfterBatch;
  // The batch's files: its sources and the outputs made so far.
  std::vector<std::wstring> FBatchFiles;
  int32_t FBatchTotal = 0;
  int32_t FBatchDone = 0;
  int32_t FFilePercent = 0;
};
