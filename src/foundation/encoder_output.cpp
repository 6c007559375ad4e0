#include "foundation/encoder_output.h"

#include <windows.h>

#include "foundation/file_replace.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"

namespace {

std::wstring FullPath(const std::wstring& Name) {
  wchar_t buffer[MAX_PATH * 4];
  const DWORD n = GetFullPathNameW(Name.c_str(), MAX_PATH * 4, buffer, nullptr);
  return n > 0 && n < MAX_PATH * 4 ? std::wstring(buffer, n) : Name;
}

bool FileId(const std::wstring& Name, BY_HANDLE_FILE_INFORMATION& Info) {
  HANDLE h = CreateFileW(Name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(h, &Info) != 0;
  CloseHandle(h);
  return ok;
}

bool FitsCodePage(const std::wstring& Text) {
  BOOL lost = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Text.c_str(), static_cast<int>(Text.size()),
                                    nullptr, 0, nullptr, &lost);
  return n > 0 && !lost;
}

}  // namespace

std::wstring CodePageSafeName(const std::wstring& File) {
  if (FitsCodePage(File)) return File;
  wchar_t buffer[MAX_PATH * 4];
  const DWORD n = GetShortPathNameW(File.c_str(), buffer, MAX_PATH * 4);
  if (n == 0 || n >= MAX_PATH * 4) return std::wstring();
  const std::wstring shortName(buffer, n);
  return FitsCodePage(shortName) ? shortName : std::wstring();
}

std::wstring NumberedOutputName(const std::wstring& Folder, const std::wstring& Stem,
                                const std::wstring& Extension, int N) {
  if (N <= 1) return Folder + Stem + Extension;
  return Folder + Stem + L" (" + std::to_wstring(N) + L")" + Extension;
}

bool SameFile(const std::wstring& A, const std::wstring& B) {
  if (TntWideLowerCase(FullPath(A)) == TntWideLowerCase(FullPath(B))) return true;
  BY_HANDLE_FILE_INFORMATION a{}, b{};
  if (!FileId(A, a) || !FileId(B, b)) return false;
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

std::wstring NewTemporaryOutput(const std::wstring& Folder, std::wstring& Error) {
  RemoveStaleTemporaryFiles(Folder);
  wchar_t name[MAX_PATH + 1];
  if (Folder.size() > MAX_PATH - 14 || GetTempFileNameW(Folder.c_str(), L"tav", 0, name) == 0) {
    Error = WideSysErrorMessage(Folder.size() > MAX_PATH - 14 ? ERROR_FILENAME_EXCED_RANGE : GetLastError());
    return std::wstring();
  }
  return name;
}

bool OutputReplaceable(const std::wstring& File, std::wstring& Error) {
  const DWORD attributes = GetFileAttributesW(File.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    Error = WideSysErrorMessage(ERROR_ACCESS_DENIED);
    return false;
  }
  // Opened as the move will need it, and left untouched.
  HANDLE h = CreateFileW(File.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return true;
  }
  const DWORD error = GetLastError();
  // Gone meanwhile: there is nothing left to keep.
  if (error == ERROR_FILE_NOT_FOUND) return true;
  Error = WideSysErrorMessage(error);
  return false;
}

TTemporaryOutput::~TTemporaryOutput() {
  if (!FElsewhere.empty()) DeleteFileW(FElsewhere.c_str());
  if (!FBeside.empty()) DeleteFileW(FBeside.c_str());
}

bool TTemporaryOutput::Create(const std::wstring& Folder, bool ForCodePage, std::wstring& Error) {
  FBeside = NewTemporaryOutput(Folder, Error);
  if (FBeside.empty()) return false;
  FWriteName = ForCodePage ? CodePageSafeName(FBeside) : FBeside;
  if (!FWriteName.empty()) return true;
  // The one beside the output stays, holding a name in its folder for the
  // move.
  wchar_t systemTemp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, systemTemp);
  FElsewhere = n > 0 && n <= MAX_PATH ? NewTemporaryOutput(systemTemp, Error) : L"";
  FWriteName = FElsewhere.empty() ? L"" : CodePageSafeName(FElsewhere);
  if (!FWriteName.empty()) return true;
  Error = WideSysErrorMessage(ERROR_NO_UNICODE_TRANSLATION);
  return false;
}

int64_t TTemporaryOutput::Size() const {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const std::wstring& written = FElsewhere.empty() ? FBeside : FElsewhere;
  if (written.empty() || !GetFileAttributesExW(written.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (int64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

bool TTemporaryOutput::MoveTo(const std::wstring& Output, bool Replace, std::wstring& Error) {
  // From another volume the move is a copy, which a kill could cut short:
  // the copy goes to the temporary name beside the output, never to the
  // output's own.
  if (!FElsewhere.empty()) {
    if (!MoveFileExW(FElsewhere.c_str(), FBeside.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
      Error = WideSysErrorMessage(GetLastError());
      return false;
    }
    FElsewhere.clear();
  }
  if (!MoveFileExW(FBeside.c_str(), Output.c_str(), MOVEFILE_WRITE_THROUGH | (Replace ? MOVEFILE_REPLACE_EXISTING : 0))) {
    Error = WideSysErrorMessage(GetLastError());
    return false;
  }
  FBeside.clear();
  return true;
}
