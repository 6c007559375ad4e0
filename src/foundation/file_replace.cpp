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
  RemoveStaleTemporaryFiles(folder);
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

namespace {

// Name[From, From + Count) are hex digits.
bool HexDigits(const std::wstring& Name, size_t From, size_t Count) {
  for (size_t i = From; i < From + Count; ++i)
    if (!std::iswxdigit(Name[i])) return false;
  return true;
}

bool EndsInTmp(const std::wstring& Name, size_t At) { return _wcsicmp(Name.c_str() + At, L".tmp") == 0; }

uint64_t Ticks(const FILETIME& Time) { return (uint64_t{Time.dwHighDateTime} << 32) | Time.dwLowDateTime; }

uint64_t ProcessStartTicks() {
  static const uint64_t start = [] {
    FILETIME creation{}, exit{}, kernel{}, user{};
    if (GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) return Ticks(creation);
    // Unknown: nothing counts as older than this run.
    return uint64_t{0};
  }();
  return start;
}

bool IsSystemTempFolder(const std::wstring& Folder) {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return false;
  return _wcsicmp(WideIncludeTrailingBackslash(WideExpandFileName(temp)).c_str(), Folder.c_str()) == 0;
}

}  // namespace

bool IsOwnTemporaryName(const std::wstring& Name) {
  // Windows writes GetTempFileNameW's number as four upper-case digits, Wine
  // as lower-case ones without leading zeros.
  if (Name.size() >= 8 && Name.size() <= 11 && _wcsnicmp(Name.c_str(), kTempPrefix, 3) == 0)
    return HexDigits(Name, 3, Name.size() - 7) && EndsInTmp(Name, Name.size() - 4);
  // The WMA editor's names: a time and a counter, always twelve digits.
  constexpr wchar_t kWmaEditorPrefix[] = L"~wmv";
  constexpr size_t kWmaEditorDigits = 12;
  if (Name.size() == 4 + kWmaEditorDigits + 4 && _wcsnicmp(Name.c_str(), kWmaEditorPrefix, 4) == 0)
    return HexDigits(Name, 4, kWmaEditorDigits) && EndsInTmp(Name, 4 + kWmaEditorDigits);
  return false;
}

// What makes a temporary file stale, so that no save still running loses it:
// - its exact name: another program's files of like names stay;
// - nobody has it open: a save still writing it (of this run, of another
//   instance, or the external encoder writing an output) keeps it;
// - it was last written before this process started: a save of this run may
//   keep its file closed for a while (between making the name and opening
//   it, between writing and the move, an encoder's output until the encoder
//   opens it), and one save may start while another runs in the same folder
//   (a tag saved during an encode into the song's folder);
// - and at least a minute ago: another running instance keeps its files
//   closed only for moments, but those may come just before this start (an
//   instance saving its settings as it exits while this one starts and
//   writes its own in the same folder).
// A file a killed run left meets the last two once a minute has passed
// since the kill and the program has been started again.
int RemoveStaleTemporaryFiles(const std::wstring& Folder) {
  constexpr uint64_t kMinAge = uint64_t{60} * 10'000'000;  // in FILETIME's 100 ns
  if (Folder.empty()) return 0;
  const std::wstring folder = WideIncludeTrailingBackslash(WideExpandFileName(Folder));
  if (IsSystemTempFolder(folder)) return 0;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  FILETIME nowTime{};
  GetSystemTimeAsFileTime(&nowTime);
  const uint64_t now = Ticks(nowTime);
  const uint64_t started = ProcessStartTicks();
  int removed = 0;
  do {
    // The pattern also matches short (8.3) names: the long name decides.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsOwnTemporaryName(found.cFileName)) continue;
    const uint64_t written = Ticks(found.ftLastWriteTime);
    if (written >= started || written > now || now - written < kMinAge) continue;
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
