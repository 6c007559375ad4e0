// The system's open and save dialogs, ANSI like the rest of the framework.
//   TCommonDialog  a system dialog run modally; while it shows, its hook window
//                  (for explorer dialogs the child dialog that carries the hook,
//                  Handle()) is subclassed and its messages reach WndProc.
//   TOpenDialog    GetOpenFileNameA from Options, Filter, FileName... ; the chosen
//                  names come back in FileName and Files.
//   TSaveDialog    the same with GetSaveFileNameA.
// The dialog function is a parameter of DoExecute, so a layer on top (the
// Unicode dialogs) can let the framework prepare the record and run its own.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "framework/component.h"
#include "framework/messages.h"
#include "framework/string_list.h"

// Always on for the platforms we run on: explorer-style dialogs, whose
// multi-selection buffer is NUL-separated.
inline constexpr bool NewStyleControls = true;
// An empty InitialDir then opens the dialog in the current folder (".").
extern bool ForceCurrentDirectory;

class TCommonDialog : public TComponent {
 public:
  explicit TCommonDialog(TComponent* AOwner);
  ~TCommonDialog() override;

  // The hook window while the dialog shows, else nullptr.
  HWND Handle() const { return FHandle; }
  // A dialog template for the hook window (a name or an integer resource of
  // the program's module); nullptr for none. The text is not copied.
  LPCSTR Template() const { return FTemplate; }
  void SetTemplate(LPCSTR Value) { FTemplate = Value; }
  const TNotifyEvent& OnShow() const { return FOnShow; }
  void SetOnShow(TNotifyEvent Value) { FOnShow = std::move(Value); }
  const TNotifyEvent& OnClose() const { return FOnClose; }
  void SetOnClose(TNotifyEvent Value) { FOnClose = std::move(Value); }

  // Owned by the active window of the thread, else by the application window.
  bool Execute();
  // True when the user confirmed.
  virtual bool Execute(HWND ParentWnd) = 0;

 protected:
  // Messages of the hook window. The base shows/closes on WM_INITDIALOG and
  // WM_DESTROY and passes everything on to DefaultHandler.
  virtual void WndProc(TMessage& Message);
  // The hook window's previous procedure.
  virtual void DefaultHandler(TMessage& Message);
  virtual void DoShow();
  virtual void DoClose();
  // Runs DialogFunc with this object as the one the hook binds to; the active
  // window and focus come back afterwards.
  bool TaskModalDialog(const std::function<BOOL()>& DialogFunc);
  // For lpfnHook: binds the hook window to the executing dialog on
  // WM_INITDIALOG. Explorer dialogs do their own centring; nothing else.
  static UINT_PTR CALLBACK DialogHook(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

 private:
  static LRESULT CALLBACK HookWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam,
                                         UINT_PTR Id, DWORD_PTR RefData);
  void Bind(HWND Wnd);

  HWND FHandle = nullptr;
  bool FSubclassed = false;
  int FHookDepth = 0;  // calls of the subclass procedure in progress
  LPCSTR FTemplate = nullptr;
  TNotifyEvent FOnShow;
  TNotifyEvent FOnClose;
};

enum TOpenOption : uint8_t {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
  ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
  ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
  ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing,
  ofDontAddToRecent, ofForceShowHidden
};

class TOpenOptions {
 public:
  constexpr TOpenOptions() = default;
  constexpr TOpenOptions(std::initializer_list<TOpenOption> options) {
    for (TOpenOption o : options) Include(o);
  }
  constexpr bool Contains(TOpenOption o) const { return (FBits & Bit(o)) != 0; }
  constexpr void Include(TOpenOption o) { FBits |= Bit(o); }
  constexpr void Exclude(TOpenOption o) { FBits &= ~Bit(o); }
  constexpr bool operator==(const TOpenOptions&) const = default;

 private:
  static constexpr uint32_t Bit(TOpenOption o) { return 1u << o; }
  uint32_t FBits = 0;
};

// The OFN_* flag of each option (ofOldStyleDialog: OFN_EXPLORER, toggled).
DWORD OpenOptionFlag(TOpenOption Option);

using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TIncludeItemEvent = std::function<void(const OFNOTIFYEXA& OFN, bool& Include)>;

class TOpenDialog : public TCommonDialog {
 public:
  explicit TOpenDialog(TComponent* AOwner);
  ~TOpenDialog() override;

  using TCommonDialog::Execute;
  bool Execute(HWND ParentWnd) override;

  // While an explorer dialog shows: the path the dialog holds now.
  std::string FileName();
  void SetFileName(const std::string& Value) { FFileName = Value; }
  // The chosen files, full paths; owned by the dialog.
  TStrings* Files() const { return FFiles; }
  // Description|mask pairs separated by '|': "Text files|*.txt|All|*.*".
  const std::string& Filter() const { return FFilter; }
  void SetFilter(const std::string& Value) { FFilter = Value; }
  // 1-based.
  int32_t FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int32_t Value) { FFilterIndex = Value; }
  const std::string& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const std::string& Value) { FInitialDir = Value; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  // Without the dot.
  const std::string& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const std::string& Value) { FDefaultExt = Value; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions Value) { FOptions = Value; }

  const TCloseQueryEvent& OnCanClose() const { return FOnCanClose; }
  void SetOnCanClose(TCloseQueryEvent Value) { FOnCanClose = std::move(Value); }
  // Asked for every item with ofEnableIncludeNotify.
  const TIncludeItemEvent& OnIncludeItem() const { return FOnIncludeItem; }
  void SetOnIncludeItem(TIncludeItemEvent Value) { FOnIncludeItem = std::move(Value); }
  const TNotifyEvent& OnSelectionChange() const { return FOnSelectionChange; }
  void SetOnSelectionChange(TNotifyEvent Value) { FOnSelectionChange = std::move(Value); }
  const TNotifyEvent& OnFolderChange() const { return FOnFolderChange; }
  void SetOnFolderChange(TNotifyEvent Value) { FOnFolderChange = std::move(Value); }
  const TNotifyEvent& OnTypeChange() const { return FOnTypeChange; }
  void SetOnTypeChange(TNotifyEvent Value) { FOnTypeChange = std::move(Value); }

 protected:
  using TDialogFunc = std::function<BOOL(OPENFILENAMEA& OpenFileName)>;
  // Prepares the record (flags, hook, filter, buffer of nMaxFile + 2 bytes...)
  // and runs Func on it modally; on success reads the names, the read-only
  // and extension flags and the filter index back.
  bool DoExecute(const TDialogFunc& Func, HWND ParentWnd);
  void WndProc(TMessage& Message) override;
  // OnCanClose, true when unassigned.
  virtual bool DoCanClose();
  virtual void DoIncludeItem(const OFNOTIFYEXA& OFN, bool& Include);
  // Reads FileName and Files from a record the dialog filled (at most
  // nMaxFile characters of its buffer).
  void GetFileNames(const OPENFILENAMEA& OpenFileName);

 private:
  bool CanClose(const OPENFILENAMEA& OpenFileName);

  TStrings* FFiles;
  std::string FFileName;
  std::string FFilter;
  int32_t FFilterIndex = 1;
  std::string FInitialDir;
  std::string FTitle;
  std::string FDefaultExt;
  TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
  TCloseQueryEvent FOnCanClose;
  TIncludeItemEvent FOnIncludeItem;
  TNotifyEvent FOnSelectionChange;
  TNotifyEvent FOnFolderChange;
  TNotifyEvent FOnTypeChange;
};

class TSaveDialog : public TOpenDialog {
 public:
  using TOpenDialog::TOpenDialog;
  using TOpenDialog::Execute;
  bool Execute(HWND ParentWnd) override;
};
