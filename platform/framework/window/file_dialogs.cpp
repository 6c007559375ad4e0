#include "framework/file_dialogs.h"

#include <commctrl.h>

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/app_exceptions.h"
#include "framework/dialogs.h"

bool ForceCurrentDirectory = false;

namespace {

// The dialog whose hook window is about to be created. The system gives the
// hook no pointer of ours before WM_INITDIALOG, so the executing dialog is
// handed over through here (one per thread; nested dialogs stack up).
thread_local TCommonDialog* CreationDialog = nullptr;

constexpr UINT_PTR kSubclassId = 1;

// The multi-selection buffer: big enough for a folder full of long names, and
// still within what the old 16-bit length fields of the system accept.
constexpr DWORD kMultiSelectBufferSize = 0xFFFF - 16;

// "a|b|c|d" -> "a\0b\0c\0d\0\0"; an odd count of parts still ends in two NULs.
std::string AllocFilterStr(const std::string& S) {
  if (S.empty()) return {};
  std::string result = S;
  for (char& c : result) {
    if (c == '|') c = '\0';
  }
  result.append(2, '\0');
  return result;
}

// The parts of a dialog's buffer between separators, up to the first empty
// one; a NUL separator reads a double-NUL-terminated list. Never reads past
// the buffer, terminated or not.
std::vector<std::string> SplitNames(std::string_view Buffer, char Separator) {
  std::vector<std::string> parts;
  size_t pos = 0;
  while (pos < Buffer.size()) {
    size_t end = pos;
    while (end < Buffer.size() && Buffer[end] != '\0' && Buffer[end] != Separator) ++end;
    if (end == pos) break;
    parts.emplace_back(Buffer.substr(pos, end - pos));
    if (end >= Buffer.size() || (Buffer[end] == '\0' && Separator != '\0')) break;
    pos = end + 1;
  }
  return parts;
}

bool IsFullPath(const std::string& Name) {
  return !Name.empty() &&
         (Name[0] == '\\' || (Name.size() > 3 && Name[1] == ':' && Name[2] == '\\'));
}

}  // namespace

// ---- TCommonDialog ----

TCommonDialog::TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

TCommonDialog::~TCommonDialog() {
  if (FSubclassed && FHandle) RemoveWindowSubclass(FHandle, HookWindowProc, kSubclassId);
}

bool TCommonDialog::Execute() {
  HWND owner = GetActiveWindow();
  if (!owner) owner = ApplicationHandle();
  return Execute(owner);
}

void TCommonDialog::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_INITDIALOG:
      // Only old-style dialogs get here: the hook window is the dialog itself.
      // TRUE lets the system give the first control the focus.
      DoShow();
      Message.Result = 1;
      return;
    case WM_DESTROY:
      DefaultHandler(Message);
      DoClose();
      return;
    default:
      DefaultHandler(Message);
  }
}

void TCommonDialog::DefaultHandler(TMessage& Message) {
  // DefSubclassProc is only valid inside the subclass procedure; WM_INITDIALOG
  // arrives from the hook itself, before the subclass runs.
  if (FSubclassed && FHandle && FHookDepth > 0) {
    Message.Result = DefSubclassProc(FHandle, Message.Msg, Message.WParam, Message.LParam);
  } else {
    Message.Result = 0;
  }
}

void TCommonDialog::DoShow() {
  if (FOnShow) FOnShow(this);
}

void TCommonDialog::DoClose() {
  if (FOnClose) FOnClose(this);
}

bool TCommonDialog::TaskModalDialog(const std::function<BOOL()>& DialogFunc) {
  struct Restore {
    TCommonDialog* Previous;
    HWND Active = GetActiveWindow();
    HWND Focus = GetFocus();
    ~Restore() {
      CreationDialog = Previous;
      if (Active && IsWindow(Active) && GetActiveWindow() != Active) SetActiveWindow(Active);
      if (Focus && IsWindow(Focus) && GetFocus() != Focus) SetFocus(Focus);
    }
  } restore{std::exchange(CreationDialog, this)};
  return DialogFunc() != 0;
}

UINT_PTR CALLBACK TCommonDialog::DialogHook(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg != WM_INITDIALOG || !CreationDialog) return 0;
  TCommonDialog* dialog = std::exchange(CreationDialog, nullptr);
  try {
    dialog->Bind(Wnd);
    TMessage message{Msg, WParam, LParam, 0};
    dialog->WndProc(message);
    return static_cast<UINT_PTR>(message.Result);
  } catch (...) {
    ApplicationHandleException(std::current_exception());
    return 0;
  }
}

void TCommonDialog::Bind(HWND Wnd) {
  FHandle = Wnd;
  FSubclassed = SetWindowSubclass(Wnd, HookWindowProc, kSubclassId,
                                  reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

LRESULT CALLBACK TCommonDialog::HookWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam,
                                               UINT_PTR, DWORD_PTR RefData) {
  auto* dialog = reinterpret_cast<TCommonDialog*>(RefData);
  TMessage message{Msg, WParam, LParam, 0};
  ++dialog->FHookDepth;
  try {
    dialog->WndProc(message);
  } catch (...) {
    ApplicationHandleException(std::current_exception());
  }
  --dialog->FHookDepth;
  if (Msg == WM_NCDESTROY) {
    RemoveWindowSubclass(Wnd, HookWindowProc, kSubclassId);
    dialog->FSubclassed = false;
    dialog->FHandle = nullptr;
  }
  return message.Result;
}

// ---- TOpenDialog ----

DWORD OpenOptionFlag(TOpenOption Option) {
  switch (Option) {
    case ofReadOnly: return OFN_READONLY;
    case ofOverwritePrompt: return OFN_OVERWRITEPROMPT;
    case ofHideReadOnly: return OFN_HIDEREADONLY;
    case ofNoChangeDir: return OFN_NOCHANGEDIR;
    case ofShowHelp: return OFN_SHOWHELP;
    case ofNoValidate: return OFN_NOVALIDATE;
    case ofAllowMultiSelect: return OFN_ALLOWMULTISELECT;
    case ofExtensionDifferent: return OFN_EXTENSIONDIFFERENT;
    case ofPathMustExist: return OFN_PATHMUSTEXIST;
    case ofFileMustExist: return OFN_FILEMUSTEXIST;
    case ofCreatePrompt: return OFN_CREATEPROMPT;
    case ofShareAware: return OFN_SHAREAWARE;
    case ofNoReadOnlyReturn: return OFN_NOREADONLYRETURN;
    case ofNoTestFileCreate: return OFN_NOTESTFILECREATE;
    case ofNoNetworkButton: return OFN_NONETWORKBUTTON;
    case ofNoLongNames: return OFN_NOLONGNAMES;
    case ofOldStyleDialog: return OFN_EXPLORER;
    case ofNoDereferenceLinks: return OFN_NODEREFERENCELINKS;
    case ofEnableIncludeNotify: return OFN_ENABLEINCLUDENOTIFY;
    case ofEnableSizing: return OFN_ENABLESIZING;
    case ofDontAddToRecent: return OFN_DONTADDTORECENT;
    case ofForceShowHidden: return OFN_FORCESHOWHIDDEN;
  }
  return 0;
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFiles(new TStringList) {}

TOpenDialog::~TOpenDialog() { delete FFiles; }

bool TOpenDialog::Execute(HWND ParentWnd) {
  return DoExecute([](OPENFILENAMEA& ofn) { return GetOpenFileNameA(&ofn); }, ParentWnd);
}

bool TSaveDialog::Execute(HWND ParentWnd) {
  return DoExecute([](OPENFILENAMEA& ofn) { return GetSaveFileNameA(&ofn); }, ParentWnd);
}

std::string TOpenDialog::FileName() {
  if (!NewStyleControls || !Handle() || FOptions.Contains(ofOldStyleDialog)) return FFileName;
  // Explorer dialogs: the hook window is a child of the dialog proper. A
  // Unicode dialog writes UTF-16 whatever the caller's buffer, so ask it in
  // its own family; the size is in characters for both.
  HWND dialog = GetParent(Handle());
  constexpr int kPathSize = 32768;
  if (IsWindowUnicode(dialog)) {
    std::wstring path(kPathSize, L'\0');
    if (SendMessageW(dialog, CDM_GETFILEPATH, kPathSize, reinterpret_cast<LPARAM>(path.data())) < 0)
      return FFileName;
    path.resize(wcsnlen(path.c_str(), kPathSize));
    int n = WideCharToMultiByte(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string result(n > 0 ? n : 0, '\0');
    if (n > 0)
      WideCharToMultiByte(CP_ACP, 0, path.data(), static_cast<int>(path.size()), result.data(), n,
                          nullptr, nullptr);
    return result;
  }
  std::string path(kPathSize, '\0');
  if (SendMessageA(dialog, CDM_GETFILEPATH, kPathSize, reinterpret_cast<LPARAM>(path.data())) < 0)
    return FFileName;
  path.resize(strnlen(path.c_str(), kPathSize));
  return path;
}

bool TOpenDialog::DoExecute(const TDialogFunc& Func, HWND ParentWnd) {
  FFiles->Clear();
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hInstance = GetModuleHandleA(nullptr);
  const std::string filter = AllocFilterStr(FFilter);
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(FFilterIndex);
  ofn.nMaxFile = FOptions.Contains(ofAllowMultiSelect) ? kMultiSelectBufferSize : MAX_PATH;
  std::vector<char> file(ofn.nMaxFile + 2, '\0');
  FFileName.copy(file.data(), std::min<size_t>(FFileName.size(), ofn.nMaxFile));
  ofn.lpstrFile = file.data();
  if (FInitialDir.empty() && ForceCurrentDirectory) {
    ofn.lpstrInitialDir = ".";
  } else if (!FInitialDir.empty()) {
    ofn.lpstrInitialDir = FInitialDir.c_str();
  }
  if (!FTitle.empty()) ofn.lpstrTitle = FTitle.c_str();
  ofn.Flags = OFN_ENABLEHOOK;
  for (int o = ofReadOnly; o <= ofForceShowHidden; ++o) {
    if (FOptions.Contains(static_cast<TOpenOption>(o)))
      ofn.Flags |= OpenOptionFlag(static_cast<TOpenOption>(o));
  }
  // ofOldStyleDialog stands for OFN_EXPLORER, so toggling gives explorer
  // dialogs unless the old style was asked for.
  if (NewStyleControls) {
    ofn.Flags ^= OFN_EXPLORER;
  } else {
    ofn.Flags &= ~static_cast<DWORD>(OFN_EXPLORER);
  }
  std::string defaultExt = FDefaultExt;
  if (defaultExt.empty() && (ofn.Flags & OFN_EXPLORER) == 0) {
    size_t dot = FFileName.find_last_of(".\\:");
    if (dot != std::string::npos && FFileName[dot] == '.') defaultExt = FFileName.substr(dot + 1);
  }
  if (!defaultExt.empty()) ofn.lpstrDefExt = defaultExt.c_str();
  ofn.lpfnHook = DialogHook;
  if (Template()) {
    ofn.Flags |= OFN_ENABLETEMPLATE;
    ofn.lpTemplateName = Template();
  }
  ofn.hwndOwner = ParentWnd;

  const bool result = TaskModalDialog([&] { return Func(ofn); });
  if (result) {
    GetFileNames(ofn);
    if (ofn.Flags & OFN_EXTENSIONDIFFERENT) {
      FOptions.Include(ofExtensionDifferent);
    } else {
      FOptions.Exclude(ofExtensionDifferent);
    }
    if (ofn.Flags & OFN_READONLY) {
      FOptions.Include(ofReadOnly);
    } else {
      FOptions.Exclude(ofReadOnly);
    }
    FFilterIndex = static_cast<int32_t>(ofn.nFilterIndex);
  }
  return result;
}

void TOpenDialog::GetFileNames(const OPENFILENAMEA& OpenFileName) {
  if (!OpenFileName.lpstrFile) return;
  char separator = '\0';
  if (FOptions.Contains(ofAllowMultiSelect) &&
      (FOptions.Contains(ofOldStyleDialog) || !NewStyleControls))
    separator = ' ';
  const std::string_view buffer(OpenFileName.lpstrFile, OpenFileName.nMaxFile);
  if (FOptions.Contains(ofAllowMultiSelect)) {
    std::vector<std::string> parts = SplitNames(buffer, separator);
    if (parts.size() == 1) {
      FFiles->Add(parts[0]);
    } else if (parts.size() > 1) {
      std::string folder = parts[0];
      if (folder.back() != '\\') folder += '\\';
      for (size_t i = 1; i < parts.size(); ++i)
        FFiles->Add(IsFullPath(parts[i]) ? parts[i] : folder + parts[i]);
    }
    FFileName = FFiles->Count() > 0 ? FFiles->Strings(0) : std::string();
  } else {
    std::vector<std::string> parts = SplitNames(buffer, '\0');
    FFileName = parts.empty() ? std::string() : parts[0];
    FFiles->Add(FFileName);
  }
}

bool TOpenDialog::CanClose(const OPENFILENAMEA& OpenFileName) {
  GetFileNames(OpenFileName);
  const bool result = DoCanClose();
  FFiles->Clear();
  return result;
}

bool TOpenDialog::DoCanClose() {
  bool result = true;
  if (FOnCanClose) FOnCanClose(this, result);
  return result;
}

void TOpenDialog::DoIncludeItem(const OFNOTIFYEXA& OFN, bool& Include) {
  if (FOnIncludeItem) FOnIncludeItem(OFN, Include);
}

void TOpenDialog::WndProc(TMessage& Message) {
  Message.Result = 0;
  // Explorer dialogs show on CDN_INITDONE, when the dialog proper is ready.
  if (Message.Msg == WM_INITDIALOG && !FOptions.Contains(ofOldStyleDialog)) return;
  if (Message.Msg == WM_NOTIFY && Message.LParam) {
    const auto* notify = reinterpret_cast<const OFNOTIFYA*>(Message.LParam);
    switch (notify->hdr.code) {
      case CDN_FILEOK:
        if (notify->lpOFN && !CanClose(*notify->lpOFN)) {
          // The dialog reads the refusal from DWLP_MSGRESULT.
          Message.Result = 1;
          SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, 1);
          return;
        }
        break;
      case CDN_INITDONE:
        DoShow();
        break;
      case CDN_SELCHANGE:
        if (FOnSelectionChange) FOnSelectionChange(this);
        break;
      case CDN_FOLDERCHANGE:
        if (FOnFolderChange) FOnFolderChange(this);
        break;
      case CDN_TYPECHANGE:
        if (FOnTypeChange) FOnTypeChange(this);
        break;
      case CDN_INCLUDEITEM: {
        bool include = true;
        DoIncludeItem(*reinterpret_cast<const OFNOTIFYEXA*>(Message.LParam), include);
        Message.Result = include ? 1 : 0;
        SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, Message.Result);
        return;
      }
      default:
        break;
    }
  }
  TCommonDialog::WndProc(Message);
}
