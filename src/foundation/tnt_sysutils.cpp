#include "foundation/tnt_sysutils.h"

#include <vector>

#include "foundation/tnt_system.h"

namespace {

constexpr wchar_t kPathDelim = L'\\';
constexpr wchar_t kDriveDelim = L':';

bool HasWildcards(const std::wstring& S) { return S.find_first_of(L"*?") != std::wstring::npos; }

// Attributes of exactly this name; a folder search would let wildcards match.
bool GetExactAttributes(const std::wstring& FileName, WIN32_FILE_ATTRIBUTE_DATA& Data) {
  if (FileName.empty() || HasWildcards(FileName)) return false;
  return GetFileAttributesExW(FileName.c_str(), GetFileExInfoStandard, &Data) != 0;
}

int32_t LocalDosTime(const FILETIME& Utc) {
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&Utc, &local) || !FileTimeToDosDateTime(&local, &date, &time))
    return -1;
  return static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | time);
}

bool IsDriveOrShareRoot(const std::wstring& Dir) {
  if (Dir.size() == 2 && Dir[1] == kDriveDelim) return true;
  return Dir.size() >= 2 && Dir[0] == kPathDelim && Dir[1] == kPathDelim &&
         WideExtractFileDrive(Dir) == Dir;
}

int32_t FindMatchingFile(TSearchRecW& F) {
  while (F.FindData.dwFileAttributes & F.ExcludeAttr) {
    if (!TntFindNextFileW(F.FindHandle, &F.FindData)) {
      DWORD error = GetLastError();
      WideFindClose(F);
      return static_cast<int32_t>(error);
    }
  }
  F.Time = LocalDosTime(F.FindData.ftLastWriteTime);
  F.Size = static_cast<int64_t>((static_cast<uint64_t>(F.FindData.nFileSizeHigh) << 32) |
                                F.FindData.nFileSizeLow);
  F.Attr = F.FindData.dwFileAttributes;
  F.Name = F.FindData.cFileName;
  return 0;
}

bool IsBlankOrControl(wchar_t c) { return c <= L' '; }

}  // namespace

// ---- File names ----

std::wstring WideIncludeTrailingPathDelimiter(const std::wstring& S) {
  if (!S.empty() && S.back() == kPathDelim) return S;
  return S + kPathDelim;
}

std::wstring WideIncludeTrailingBackslash(const std::wstring& S) {
  return WideIncludeTrailingPathDelimiter(S);
}

std::wstring WideExcludeTrailingPathDelimiter(const std::wstring& S) {
  if (!S.empty() && S.back() == kPathDelim) return S.substr(0, S.size() - 1);
  return S;
}

std::wstring WideExcludeTrailingBackslash(const std::wstring& S) {
  return WideExcludeTrailingPathDelimiter(S);
}

bool WideIsDelimiter(const std::wstring& Delimiters, const std::wstring& S, int Index) {
  if (Index < 1 || static_cast<size_t>(Index) > S.size()) return false;
  wchar_t c = S[Index - 1];
  return c != 0 && Delimiters.find(c) != std::wstring::npos;
}

bool WideIsPathDelimiter(const std::wstring& S, int Index) {
  return WideIsDelimiter(std::wstring(1, kPathDelim), S, Index);
}

int WideLastDelimiter(const std::wstring& Delimiters, const std::wstring& S) {
  for (size_t i = S.size(); i > 0; --i) {
    wchar_t c = S[i - 1];
    if (c != 0 && Delimiters.find(c) != std::wstring::npos) return static_cast<int>(i);
  }
  return 0;
}

std::wstring WideChangeFileExt(const std::wstring& FileName, const std::wstring& Extension) {
  int i = WideLastDelimiter(L".\\:", FileName);
  if (i > 0 && FileName[i - 1] == L'.') return FileName.substr(0, i - 1) + Extension;
  return FileName + Extension;
}

std::wstring WideExtractFilePath(const std::wstring& FileName) {
  return FileName.substr(0, WideLastDelimiter(L"\\:", FileName));
}

std::wstring WideExtractFileName(const std::wstring& FileName) {
  return FileName.substr(WideLastDelimiter(L"\\:", FileName));
}

std::wstring WideExtractFileExt(const std::wstring& FileName) {
  int i = WideLastDelimiter(L".\\:", FileName);
  if (i > 0 && FileName[i - 1] == L'.') return FileName.substr(i - 1);
  return {};
}

std::wstring WideExtractFileDrive(const std::wstring& FileName) {
  if (FileName.size() >= 2 && FileName[1] == kDriveDelim) return FileName.substr(0, 2);
  if (FileName.size() >= 2 && FileName[0] == kPathDelim && FileName[1] == kPathDelim) {
    // The drive of a UNC name ends before the delimiter after the share name.
    int seen = 0;
    for (size_t i = 2; i < FileName.size(); ++i) {
      if (FileName[i] == kPathDelim && ++seen == 2) return FileName.substr(0, i);
    }
    return FileName;
  }
  return {};
}

std::wstring WideExpandFileName(const std::wstring& FileName) {
  if (FileName.empty()) return {};
  std::wstring buffer(MAX_PATH, L'\0');
  wchar_t* filePart = nullptr;
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD n = TntGetFullPathNameW(FileName.c_str(), static_cast<DWORD>(buffer.size()),
                                  buffer.data(), &filePart);
    if (n == 0) return {};
    if (n < buffer.size()) return buffer.substr(0, n);
    buffer.assign(n, L'\0');  // n counts the NUL it would need
  }
  return {};
}

int WideTextPos(const std::wstring& SubStr, const std::wstring& S) {
  if (SubStr.empty()) return 0;
  size_t at = TntWideUpperCase(S).find(TntWideUpperCase(SubStr));
  return at == std::wstring::npos ? 0 : static_cast<int>(at) + 1;
}

// ---- Files and folders ----

HANDLE WideFileCreate(const std::wstring& FileName) {
  return TntCreateFileW(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE WideFileOpen(const std::wstring& FileName, uint32_t Mode) {
  static const DWORD kAccess[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static const DWORD kShare[5] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE};
  uint32_t access = Mode & 3;
  if (access > 2) return INVALID_HANDLE_VALUE;
  uint32_t share = (Mode & 0xF0) >> 4;
  return TntCreateFileW(FileName.c_str(), kAccess[access], share < 5 ? kShare[share] : 0, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int32_t WideFileAge(const std::wstring& FileName) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetExactAttributes(FileName, data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return -1;
  return LocalDosTime(data.ftLastWriteTime);
}

bool WideFileExists(const std::wstring& FileName) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return GetExactAttributes(FileName, data) &&
         !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WideDirectoryExists(const std::wstring& Name) {
  DWORD attr = TntGetFileAttributesW(Name.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

uint32_t WideFileGetAttr(const std::wstring& FileName) {
  return TntGetFileAttributesW(FileName.c_str());
}

bool WideFileSetAttr(const std::wstring& FileName, uint32_t Attr) {
  return TntSetFileAttributesW(FileName.c_str(), Attr) != 0;
}

bool WideForceDirectories(const std::wstring& Dir) {
  if (Dir.empty()) throw ETntGeneralError(L"Unable to create directory");
  // Walks up to the first folder that exists (or a root), then creates the
  // missing ones top down; a loop rather than recursion, so deep names cannot
  // exhaust the stack.
  std::vector<std::wstring> missing;
  std::wstring d = WideExcludeTrailingBackslash(Dir);
  while (!d.empty() && !IsDriveOrShareRoot(d) && !WideDirectoryExists(d)) {
    std::wstring parent = WideExtractFilePath(d);
    if (parent == d) break;
    missing.push_back(d);
    if (parent.empty()) break;
    d = WideExcludeTrailingBackslash(parent);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (!TntCreateDirectoryW(it->c_str(), nullptr) && !WideDirectoryExists(*it)) return false;
  }
  return true;
}

bool WideRenameFile(const std::wstring& OldName, const std::wstring& NewName) {
  return TntMoveFileW(OldName.c_str(), NewName.c_str()) != 0;
}

bool WideDeleteFile(const std::wstring& FileName) {
  return TntDeleteFileW(FileName.c_str()) != 0;
}

bool WideRemoveDir(const std::wstring& Dir) { return TntRemoveDirectoryW(Dir.c_str()) != 0; }

// ---- Folder search ----

int32_t WideFindFirst(const std::wstring& Path, uint32_t Attr, TSearchRecW& F) {
  constexpr uint32_t kHiddenSystemDirectory = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                              FILE_ATTRIBUTE_DIRECTORY;
  F.ExcludeAttr = ~Attr & kHiddenSystemDirectory;
  F.FindHandle = TntFindFirstFileW(Path.c_str(), &F.FindData);
  if (F.FindHandle == INVALID_HANDLE_VALUE) return static_cast<int32_t>(GetLastError());
  return FindMatchingFile(F);
}

int32_t WideFindNext(TSearchRecW& F) {
  if (!TntFindNextFileW(F.FindHandle, &F.FindData)) return static_cast<int32_t>(GetLastError());
  return FindMatchingFile(F);
}

void WideFindClose(TSearchRecW& F) {
  if (F.FindHandle != INVALID_HANDLE_VALUE) {
    FindClose(F.FindHandle);
    F.FindHandle = INVALID_HANDLE_VALUE;
  }
}

// ---- Modules and errors ----

std::wstring WideGetModuleFileName(HMODULE Module) {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = TntGetModuleFileNameW(Module, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) RaiseLastOSError();
    // A full buffer means the name was cut; long paths reach 32767 characters.
    if (n < name.size() || name.size() > 32768) return name.substr(0, n);
    name.resize(name.size() * 2);
  }
}

BOOL TntWin32Check(BOOL Value) {
  if (Value == 0) RaiseLastOSError();
  return Value;
}

std::wstring WideFormatMessageText(const std::wstring& ModuleName, HMODULE Module, uint32_t Code) {
  std::wstring text = SystemMessageText(Code, Module);
  size_t first = 0, last = text.size();
  while (first < last && IsBlankOrControl(text[first])) ++first;
  while (last > first && IsBlankOrControl(text[last - 1])) --last;
  text = text.substr(first, last - first);
  if (text.empty()) return Format(L"Unspecified error (%d) from %s.", {Code, ModuleName});
  return text;
}

std::wstring WideSysErrorMessage(uint32_t Code) {
  return WideFormatMessageText(L"system", nullptr, Code);
}
