#include "foundation/file_replace.h"

#include <windows.h>

#include "foundation/tnt_sysutils.h"
#include "framework/exceptions.h"
#include "framework/streams.h"

namespace {

[[noreturn]] void RaiseCreateError(const std::wstring& fullName, DWORD error) {
  throw EFCreateError(L"Cannot create file \"%s\". %s", {fullName, WideSysErrorMessage(error)});
}

}  // namespace

void WideWriteFileReplacing(const std::wstring& FileName,
                            const std::function<void(TStream& Stream)>& Write,
                            const std::function<void()>& BeforeReplace) {
  const std::wstring fullName = WideExpandFileName(FileName);
  std::wstring folder = WideExtractFilePath(fullName);
  if (folder.empty()) folder = L".";
  // GetTempFileNameW makes the file, so the name cannot be taken meanwhile.
  wchar_t tempName[MAX_PATH + 1] = {};
  if (!GetTempFileNameW(folder.c_str(), L"tav", 0, tempName)) RaiseCreateError(fullName, GetLastError());
  HANDLE h = CreateFileW(tempName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    DeleteFileW(tempName);
    RaiseCreateError(fullName, error);
  }
  try {
    THandleStream stream(h);
    Write(stream);
    if (!FlushFileBuffers(h)) RaiseCreateError(fullName, GetLastError());
  } catch (...) {
    CloseHandle(h);
    DeleteFileW(tempName);
    throw;
  }
  CloseHandle(h);
  try {
    if (BeforeReplace) BeforeReplace();
  } catch (...) {
    DeleteFileW(tempName);
    throw;
  }
  const DWORD attributes = GetFileAttributesW(fullName.c_str());
  if (!MoveFileExW(tempName, fullName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DWORD error = GetLastError();
    DeleteFileW(tempName);
    RaiseCreateError(fullName, error);
  }
  // The new file arrives with the temporary file's attributes; a hidden or
  // system playlist or tagged song stays what it was.
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    SetFileAttributesW(fullName.c_str(), attributes | FILE_ATTRIBUTE_ARCHIVE);
}
