#include "unicode_controls/tnt_dialogs.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "foundation/tnt_classes.h"
#include "foundation/tnt_string_list.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "framework/app_exceptions.h"

namespace {

std::string ToAnsi(const std::wstring& S) { return WideToAnsiInCodePage(S, CP_ACP); }

// Explorer dialogs answer CDM_GETFILEPATH with a path of any length the
// system allows; the size passed is in characters for the W dialog.
constexpr int kPathBufferSize = 32768;

// "a|b|c|d" -> "a\0b\0c\0d\0\0"; an odd count of parts still ends in two NULs.
std::wstring AllocFilterStr(const std::wstring& S) {
  if (S.empty()) return {};
  std::wstring result = S;
  std::replace(result.begin(), result.end(), L'|', L'\0');
  result.append(2, L'\0');
  return result;
}

bool IsFullPath(const std::wstring& Name) {
  return !Name.empty() &&
         (Name[0] == L'\\' || (Name.size() > 3 && Name[1] == L':' && Name[2] == L'\\'));
}

}  // namespace

void ExtractFileNames(std::wstring_view Buffer, wchar_t Separator, TTntStrings* Files) {
  // Two NULs of our own end the list even when the buffer is full to its end.
  std::wstring bounded(Buffer);
  bounded.append(2, L'\0');
  const std::vector<std::wstring> parts = WideExtractStringsFromArray(bounded.c_str(), Separator);
  if (parts.empty()) return;
  if (parts.size() == 1) {
    Files->Add(parts[0]);
    return;
  }
  const std::wstring folder = WideIncludeTrailingBackslash(parts[0]);
  for (size_t i = 1; i < parts.size(); ++i)
    Files->Add(IsFullPath(parts[i]) ? parts[i] : folder + parts[i]);
}

// ---- TTntOpenDialog ----

TTntOpenDialog::TTntOpenDialog(TComponent* AOwner)
    : TOpenDialog(AOwner), FFiles(new TTntStringList) {}

TTntOpenDialog::~TTntOpenDialog() { delete FFiles; }

std::wstring TTntOpenDialog::DefaultExt() {
  return TntGetSyncedWideString(FDefaultExt, TOpenDialog::DefaultExt());
}

void TTntOpenDialog::SetDefaultExt(const std::wstring& Value) {
  TntSetSyncedWideString(Value, FDefaultExt, TOpenDialog::DefaultExt(),
                         [this](const std::string& S) { TOpenDialog::SetDefaultExt(S); });
}

std::wstring TTntOpenDialog::FileName() {
  if (Win32PlatformIsUnicode && NewStyleControls && Handle() &&
      !Options().Contains(ofOldStyleDialog)) {
    std::wstring path(kPathBufferSize, L'\0');
    if (SendMessageW(GetParent(Handle()), CDM_GETFILEPATH, kPathBufferSize,
                     reinterpret_cast<LPARAM>(path.data())) >= 0) {
      path.resize(wcsnlen(path.c_str(), kPathBufferSize));
      return path;
    }
  }
  return TntGetSyncedWideString(FFileName, TOpenDialog::FileName());
}

void TTntOpenDialog::SetFileName(const std::wstring& Value) {
  FFileName = Value;
  TOpenDialog::SetFileName(ToAnsi(Value));
}

std::wstring TTntOpenDialog::Filter() {
  return TntGetSyncedWideString(FFilter, TOpenDialog::Filter());
}

void TTntOpenDialog::SetFilter(const std::wstring& Value) {
  TntSetSyncedWideString(Value, FFilter, TOpenDialog::Filter(),
                         [this](const std::string& S) { TOpenDialog::SetFilter(S); });
}

std::wstring TTntOpenDialog::InitialDir() {
  return TntGetSyncedWideString(FInitialDir, TOpenDialog::InitialDir());
}

void TTntOpenDialog::SetInitialDir(const std::wstring& Value) {
  std::wstring dir = Value;
  if (dir.size() > 1 && dir.back() == L'\\' && dir[dir.size() - 2] != L':') dir.pop_back();
  TntSetSyncedWideString(dir, FInitialDir, TOpenDialog::InitialDir(),
                         [this](const std::string& S) { TOpenDialog::SetInitialDir(S); });
}

std::wstring TTntOpenDialog::Title() { return TntGetSyncedWideString(FTitle, TOpenDialog::Title()); }

void TTntOpenDialog::SetTitle(const std::wstring& Value) {
  TntSetSyncedWideString(Value, FTitle, TOpenDialog::Title(),
                         [this](const std::string& S) { TOpenDialog::SetTitle(S); });
}

TTntStrings* TTntOpenDialog::Files() {
  if (!Win32PlatformIsUnicode) FFiles->SetAnsiStrings(TOpenDialog::Files());
  return FFiles;
}

bool TTntOpenDialog::Execute(HWND ParentWnd) {
  if (!Win32PlatformIsUnicode) return TOpenDialog::Execute(ParentWnd);
  return DoExecuteW([](OPENFILENAMEW& ofn) { return GetOpenFileNameW(&ofn); }, ParentWnd);
}

bool TTntSaveDialog::Execute(HWND ParentWnd) {
  if (!Win32PlatformIsUnicode) {
    return DoExecute([](OPENFILENAMEA& ofn) { return GetSaveFileNameA(&ofn); }, ParentWnd);
  }
  return DoExecuteW([](OPENFILENAMEW& ofn) { return GetSaveFileNameW(&ofn); }, ParentWnd);
}

bool TTntOpenDialog::DoExecuteW(const TDialogFuncW& Func, HWND ParentWnd) {
  FFiles->Clear();
  // The framework's preparation, kept instead of shown. Its text pointers die
  // with that call; every one of them is replaced below.
  DoExecute(
      [this](OPENFILENAMEA& prepared) {
        FRecord = prepared;
        return FALSE;
      },
      ParentWnd);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = ParentWnd;
  ofn.hInstance = FRecord.hInstance;
  const std::wstring filter = AllocFilterStr(Filter());
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = FRecord.nFilterIndex;
  ofn.nMaxFile = FRecord.nMaxFile;
  std::vector<wchar_t> file(static_cast<size_t>(ofn.nMaxFile) + 2, L'\0');
  const std::wstring fileName = FileName();
  fileName.copy(file.data(), std::min<size_t>(fileName.size(), ofn.nMaxFile));
  ofn.lpstrFile = file.data();
  const std::wstring initialDir = InitialDir();
  if (initialDir.empty() && ForceCurrentDirectory) {
    ofn.lpstrInitialDir = L".";
  } else if (!initialDir.empty()) {
    ofn.lpstrInitialDir = initialDir.c_str();
  }
  const std::wstring title = Title();
  if (!title.empty()) ofn.lpstrTitle = title.c_str();
  ofn.Flags = FRecord.Flags;
  ofn.FlagsEx = FRecord.FlagsEx;
  ofn.lCustData = FRecord.lCustData;
  ofn.lpfnHook = FRecord.lpfnHook;
  std::wstring defaultExt = DefaultExt();
  if (defaultExt.empty() && (ofn.Flags & OFN_EXPLORER) == 0) {
    defaultExt = WideExtractFileExt(fileName);
    if (!defaultExt.empty()) defaultExt.erase(0, 1);
  }
  if (!defaultExt.empty()) ofn.lpstrDefExt = defaultExt.c_str();
  std::wstring templateName;
  if (FRecord.lpTemplateName) {
    if (IS_INTRESOURCE(FRecord.lpTemplateName)) {
      ofn.lpTemplateName = reinterpret_cast<LPCWSTR>(FRecord.lpTemplateName);
    } else {
      templateName = AnsiToWideInCodePage(FRecord.lpTemplateName, CP_ACP);
      ofn.lpTemplateName = templateName.c_str();
    }
  }

  const bool result = TaskModalDialog([&] { return Func(ofn); });
  if (result) {
    GetFileNamesFromOFN(ofn);
    TOpenOptions options = Options();
    if (ofn.Flags & OFN_READONLY) {
      options.Include(ofReadOnly);
    } else {
      options.Exclude(ofReadOnly);
    }
    if (ofn.Flags & OFN_EXTENSIONDIFFERENT) {
      options.Include(ofExtensionDifferent);
    } else {
      options.Exclude(ofExtensionDifferent);
    }
    SetOptions(options);
    SetFilterIndex(static_cast<int32_t>(ofn.nFilterIndex));
  }
  return result;
}

void TTntOpenDialog::GetFileNamesFromOFN(const OPENFILENAMEW& OpenFileName) {
  wchar_t separator = L'\0';
  if (Options().Contains(ofAllowMultiSelect) &&
      (Options().Contains(ofOldStyleDialog) || !NewStyleControls))
    separator = L' ';
  std::wstring_view buffer;
  if (OpenFileName.lpstrFile) buffer = std::wstring_view(OpenFileName.lpstrFile, OpenFileName.nMaxFile);
  if (Options().Contains(ofAllowMultiSelect)) {
    ExtractFileNames(buffer, separator, FFiles);
    SetFileName(FFiles->Count() > 0 ? FFiles->Strings(0) : std::wstring());
  } else {
    SetFileName(std::wstring(buffer.substr(0, std::min(buffer.find(separator), buffer.size()))));
    FFiles->Add(FFileName);
  }
  TOpenDialog::Files()->Assign(FFiles);
}

void TTntOpenDialog::WndProc(TMessage& Message) {
  Message.Result = 0;
  if (Message.Msg == WM_INITDIALOG && !Options().Contains(ofOldStyleDialog)) return;
  if (Win32PlatformIsUnicode && Message.Msg == WM_NOTIFY && Message.LParam) {
    const auto* notify = reinterpret_cast<const OFNOTIFYW*>(Message.LParam);
    if (notify->hdr.code == CDN_FILEOK) {
      bool canClose = true;
      if (notify->lpOFN) {
        GetFileNamesFromOFN(*notify->lpOFN);
        FInFileOk = true;
        try {
          canClose = DoCanClose();
        } catch (...) {
          // A check that failed keeps the dialog open; the user may retry or cancel.
          canClose = false;
          ApplicationHandleException(std::current_exception());
        }
        FInFileOk = false;
        FFiles->Clear();
        TOpenDialog::Files()->Clear();
      }
      if (!canClose) {
        Message.Result = 1;
        SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, 1);
        return;
      }
      // The framework's own file-OK reading expects an ANSI record.
      TCommonDialog::WndProc(Message);
      return;
    }
  }
  TOpenDialog::WndProc(Message);
}

bool TTntOpenDialog::DoCanClose() {
  if (!FInFileOk) return true;
  return TOpenDialog::DoCanClose();
}

void TTntOpenDialog::DoIncludeItem(const OFNOTIFYEXA& OFN, bool& Include) {
  if (!Win32PlatformIsUnicode) {
    TOpenDialog::DoIncludeItem(OFN, Include);
    return;
  }
  // The dialog runs the W entry, so the notification is the wide record.
  if (FOnIncludeItem) FOnIncludeItem(reinterpret_cast<const OFNOTIFYEXW&>(OFN), Include);
}
