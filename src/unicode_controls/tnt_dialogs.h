// Open and save dialogs with UTF-16 file names, filter, folder, title and
// default extension. The framework prepares its ANSI record (flags, hook,
// buffer size, filter index, template); the dialog then runs the system's W
// entry with a record made from it, so every chosen file arrives as a wide
// name in Files and FileName.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <string>
#include <string_view>

#include "framework/file_dialogs.h"

class TTntStrings;
class TTntStringList;

using TIncludeItemEventW = std::function<void(const OFNOTIFYEXW& OFN, bool& Include)>;

class TTntOpenDialog : public TOpenDialog {
 public:
  explicit TTntOpenDialog(TComponent* AOwner);
  ~TTntOpenDialog() override;

  using TCommonDialog::Execute;
  bool Execute(HWND ParentWnd) override;

  // Each kept in step with the framework's ANSI property of the same name.
  std::wstring DefaultExt();
  void SetDefaultExt(const std::wstring& Value);
  // While an explorer dialog shows: the path the dialog holds now.
  std::wstring FileName();
  void SetFileName(const std::wstring& Value);
  std::wstring Filter();
  void SetFilter(const std::wstring& Value);
  // One trailing '\' is dropped, except after a drive ("C:\") or alone ("\").
  std::wstring InitialDir();
  void SetInitialDir(const std::wstring& Value);
  std::wstring Title();
  void SetTitle(const std::wstring& Value);
  // The chosen files; owned by the dialog.
  TTntStrings* Files();

  const TIncludeItemEventW& OnIncludeItem() const { return FOnIncludeItem; }
  void SetOnIncludeItem(TIncludeItemEventW Value) { FOnIncludeItem = std::move(Value); }

 protected:
  using TDialogFuncW = std::function<BOOL(OPENFILENAMEW& OpenFileName)>;
  // Runs Func on an OPENFILENAMEW made from the framework's prepared record.
  bool DoExecuteW(const TDialogFuncW& Func, HWND ParentWnd);
  void WndProc(TMessage& Message) override;
  // Asks OnCanClose only for the wide file-OK check; the framework's ANSI
  // check (which cannot read a UTF-16 record) always passes.
  bool DoCanClose() override;
  void DoIncludeItem(const OFNOTIFYEXA& OFN, bool& Include) override;
  void GetFileNamesFromOFN(const OPENFILENAMEW& OpenFileName);

 private:
  TTntStringList* FFiles;
  std::wstring FDefaultExt;
  std::wstring FFileName;
  std::wstring FFilter;
  std::wstring FInitialDir;
  std::wstring FTitle;
  TIncludeItemEventW FOnIncludeItem;
  OPENFILENAMEA FRecord{};  // the framework's preparation, pointers not kept
  bool FInFileOk = false;
};

class TTntSaveDialog : public TTntOpenDialog {
 public:
  using TTntOpenDialog::TTntOpenDialog;
  using TTntOpenDialog::Execute;
  bool Execute(HWND ParentWnd) override;
};

// Splits a multi-selection buffer into Files: a single part is the file; with
// more, the first is the folder and the rest are names in it (kept as they
// are when already full paths). Reads at most Buffer.size() characters.
void ExtractFileNames(std::wstring_view Buffer, wchar_t Separator, TTntStrings* Files);
