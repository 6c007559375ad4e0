// Wide file names, files and folders, folder searches and error texts.
// Positions in file names are 1-based; 0 means "none".
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/exceptions.h"

TAVRIN_DECLARE_EXCEPTION(ETntGeneralError, Exception);
TAVRIN_DECLARE_EXCEPTION(ETntInternalError, Exception);

struct TSearchRecW {
  int32_t Time = 0;  // local DOS date-time of the last write, date in the high word
  int64_t Size = 0;
  uint32_t Attr = 0;
  std::wstring Name;
  uint32_t ExcludeAttr = 0;
  HANDLE FindHandle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW FindData = {};
};

// File names.
std::wstring WideIncludeTrailingPathDelimiter(const std::wstring& S);
std::wstring WideIncludeTrailingBackslash(const std::wstring& S);
std::wstring WideExcludeTrailingPathDelimiter(const std::wstring& S);
std::wstring WideExcludeTrailingBackslash(const std::wstring& S);
bool WideIsDelimiter(const std::wstring& Delimiters, const std::wstring& S, int Index);
bool WideIsPathDelimiter(const std::wstring& S, int Index);
int WideLastDelimiter(const std::wstring& Delimiters, const std::wstring& S);
std::wstring WideChangeFileExt(const std::wstring& FileName, const std::wstring& Extension);
std::wstring WideExtractFilePath(const std::wstring& FileName);
std::wstring WideExtractFileName(const std::wstring& FileName);
std::wstring WideExtractFileExt(const std::wstring& FileName);
// "C:" or "\\server\share"; "" for other names.
std::wstring WideExtractFileDrive(const std::wstring& FileName);
std::wstring WideExpandFileName(const std::wstring& FileName);
int WideTextPos(const std::wstring& SubStr, const std::wstring& S);

// Files and folders. Failure shows in the result.
HANDLE WideFileCreate(const std::wstring& FileName);
// Mode: access in the low two bits (0 read, 1 write, 2 both), sharing in bits
// 4-7 (0/1 none, 2 read, 3 write, 4 both).
HANDLE WideFileOpen(const std::wstring& FileName, uint32_t Mode);
// -1 when the name is missing, a folder or a wildcard pattern.
int32_t WideFileAge(const std::wstring& FileName);
bool WideFileExists(const std::wstring& FileName);
bool WideDirectoryExists(const std::wstring& Name);
uint32_t WideFileGetAttr(const std::wstring& FileName);  // 0xFFFFFFFF on failure
bool WideFileSetAttr(const std::wstring& FileName, uint32_t Attr);
// Creates Dir and its missing parents; an empty Dir raises ETntGeneralError.
bool WideForceDirectories(const std::wstring& Dir);
bool WideRenameFile(const std::wstring& OldName, const std::wstring& NewName);
bool WideDeleteFile(const std::wstring& FileName);
bool WideRemoveDir(const std::wstring& Dir);

// Folder search: 0 or the system's error code. Hidden (2), system (4) and
// folder (16) entries are skipped unless Attr asks for them.
int32_t WideFindFirst(const std::wstring& Path, uint32_t Attr, TSearchRecW& F);
int32_t WideFindNext(TSearchRecW& F);
void WideFindClose(TSearchRecW& F);

// Raise EOSError on failure.
std::wstring WideGetModuleFileName(HMODULE Module);
BOOL TntWin32Check(BOOL Value);

// Error texts, trimmed; "Unspecified error (code) from ModuleName." when the
// system has none.
std::wstring WideFormatMessageText(const std::wstring& ModuleName, HMODULE Module, uint32_t Code);
std::wstring WideSysErrorMessage(uint32_t Code);
