// Wide run-time basics: platform flags, the command line, case, line breaks,
// conversions between UTF-16 and 8-bit texts (UTF-7 and UTF-8 included) and a
// thin layer over the W entry points of the system.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Fixed before main runs; never change afterwards.
extern const bool& Win32PlatformIsUnicode;   // NT family
extern const bool& Win32PlatformIsXP;        // Windows XP or later
extern const uint32_t& DefaultSystemCodePage;  // GetACP()

// Command line. Positions are pointers into a NUL-terminated text.
// Reads one token at P into Param and returns the position after it.
const wchar_t* TntGetParamStrAt(const wchar_t* P, std::wstring& Param);
int WideParamCountOf(const std::wstring& CmdLine);
// Index 0 is the first token as written; beyond the last token gives "".
std::wstring WideParamStrOf(const std::wstring& CmdLine, int Index);
int WideParamCount();
// Index 0 is the module's full file name.
std::wstring WideParamStr(int Index);

// Case and line breaks.
std::wstring TntWideUpperCase(const std::wstring& S);
std::wstring TntWideLowerCase(const std::wstring& S);

enum TTntTextLineBreakStyle : uint8_t { tlbsLF = 0, tlbsCRLF = 1, tlbsCR = 2 };
// CR LF, lone CR, lone LF and U+2028 all become the style's break.
std::wstring TntAdjustLineBreaks(const std::wstring& S, TTntTextLineBreakStyle Style = tlbsCRLF);
size_t TntAdjustLineBreaksLength(const std::wstring& S, TTntTextLineBreakStyle Style = tlbsCRLF);

// Conversions. Unpaired surrogates and malformed UTF-8 become U+FFFD.
std::string WideStringToUTF8(const std::wstring& S);
std::wstring UTF8ToWideString(const std::string& S);
// UTF-7 (RFC 2152); decoding raises ETntGeneralError on malformed input.
std::string WideStringToUTF7(const std::wstring& S);
std::wstring UTF7ToWideString(const std::string& S);
// 65000 is UTF-7, 65001 UTF-8, anything else goes through the system.
std::wstring AnsiToWideInCodePage(const std::string& S, uint32_t CodePage);
std::string WideToAnsiInCodePage(const std::wstring& S, uint32_t CodePage);

uint32_t CodePageOfLocale(LCID Locale);
uint32_t KeyboardLayoutCodePage();
// Turns a WM_CHAR code typed on the current keyboard layout into UTF-16.
wchar_t TntKeyCharToUnicode(uint16_t CharCode);

// Byte order swap, in place, up to the first NUL.
void TntSwapWideBytes(wchar_t* P);
// The pieces of P between separators, up to the first empty one. A NUL
// separator reads a double-NUL-terminated list.
std::vector<std::wstring> WideExtractStringsFromArray(const wchar_t* P, wchar_t Separator);
bool TntIsIntResource(const wchar_t* Name);

// W entry points. x64 Windows is always NT, so there is no ANSI fallback.
BOOL TntSetWindowTextW(HWND Wnd, const wchar_t* Text);
BOOL TntRemoveDirectoryW(const wchar_t* PathName);
DWORD TntGetFullPathNameW(const wchar_t* FileName, DWORD BufferLength, wchar_t* Buffer,
                          wchar_t** FilePart);
HANDLE TntCreateFileW(const wchar_t* FileName, DWORD DesiredAccess, DWORD ShareMode,
                      SECURITY_ATTRIBUTES* SecurityAttributes, DWORD CreationDisposition,
                      DWORD FlagsAndAttributes, HANDLE TemplateFile);
HANDLE TntFindFirstFileW(const wchar_t* FileName, WIN32_FIND_DATAW* FindFileData);
BOOL TntFindNextFileW(HANDLE FindFile, WIN32_FIND_DATAW* FindFileData);
DWORD TntGetFileAttributesW(const wchar_t* FileName);
BOOL TntSetFileAttributesW(const wchar_t* FileName, DWORD FileAttributes);
BOOL TntCreateDirectoryW(const wchar_t* PathName, SECURITY_ATTRIBUTES* SecurityAttributes);
BOOL TntMoveFileW(const wchar_t* ExistingFileName, const wchar_t* NewFileName);
BOOL TntDeleteFileW(const wchar_t* FileName);
int TntDrawTextW(HDC DC, const wchar_t* Text, int Count, RECT* Rect, UINT Format);
DWORD TntGetModuleFileNameW(HMODULE Module, wchar_t* FileName, DWORD Size);
