#include "foundation/file_replace.h"

#include <windows.h>

#include <cwctype>

#include "foundation/tnt_sysutils.h"
#include "framework/exceptions.h"
#include "framework/streams.h"

namespace {

// GetTempFileNameW takes at most three characters of the prefix.
constexpr wchar_t kTempPrefix[] = L"tav";

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
  if (!GetTempFileNameW(folder.c_str(), kTempPrefix, 0, tempName)) RaiseCreateError(fullName, GetLastError());
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

bool IsReplacingTempName(const std::wstring& Name) {
  // Windows writes the number as four upper-case digits, Wine as lower-case
  // ones without leading zeros.
  if (Name.size() < 8 || Name.size() > 11) return false;
  const size_t digits = Name.size() - 7;
  if (_wcsnicmp(Name.c_str(), kTempPrefix, 3) != 0 || _wcsicmp(Name.c_str() + 3 + digits, L".tmp") != 0)
    return false;
  for (size_t i = 3; i < 3 + digits; ++i)
    if (!std::iswxdigit(Name[i])) return false;
  return true;
}

int RemoveStaleReplacingFiles(const std::wstring& Folder, uint32_t MinAgeSeconds) {
  const std::wstring folder = WideIncludeTrailingBackslash(Folder);
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + kTempPrefix + L"*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  auto ticks = [](const FILETIME& t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
  const uint64_t minAge = uint64_t{MinAgeSeconds} * 10'000'000;
  int removed = 0;
  do {
    // The pattern also matches short (8.3) names: the long name decides.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsReplacingTempName(found.cFileName))
      continue;
    const uint64_t written = ticks(found.ftLastWriteTime);
    if (written > ticks(now) || ticks(now) - written < minAge) continue;
    // Opened without sharing, so a file some process still has open is left
    // alone; it goes when this handle closes.
    HANDLE file = CreateFileW((folder + found.cFileName).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    CloseHandle(file);
    ++removed;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return removed;
}
