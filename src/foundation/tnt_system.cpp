#include "foundation/tnt_system.h"

#include <cstdlib>

#include "foundation/tnt_sysutils.h"

namespace {

bool gPlatformIsUnicode = false;
bool gPlatformIsXP = false;
uint32_t gDefaultSystemCodePage = 0;

using RtlGetVersionProc = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);

// GetVersionEx lies to programs without a compatibility manifest; RtlGetVersion
// does not.
RTL_OSVERSIONINFOW QueryVersion() {
  RTL_OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  FARPROC proc = ntdll ? GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
  if (proc && reinterpret_cast<RtlGetVersionProc>(reinterpret_cast<void*>(proc))(&info) == 0)
    return info;
  OSVERSIONINFOW fallback = {};
  fallback.dwOSVersionInfoSize = sizeof fallback;
  if (GetVersionExW(&fallback)) {
    info.dwMajorVersion = fallback.dwMajorVersion;
    info.dwMinorVersion = fallback.dwMinorVersion;
    info.dwPlatformId = fallback.dwPlatformId;
  }
  return info;
}

struct PlatformInitialiser {
  PlatformInitialiser() {
    RTL_OSVERSIONINFOW v = QueryVersion();
    gPlatformIsUnicode = v.dwPlatformId == VER_PLATFORM_WIN32_NT;
    gPlatformIsXP = (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1) || v.dwMajorVersion >= 6;
    gDefaultSystemCodePage = GetACP();
  }
};

// Early priority so other units' static initialisers already see the values.
__attribute__((init_priority(200))) const PlatformInitialiser gPlatformInitialiser;

}  // namespace

const bool& Win32PlatformIsUnicode = gPlatformIsUnicode;
const bool& Win32PlatformIsXP = gPlatformIsXP;
const uint32_t& DefaultSystemCodePage = gDefaultSystemCodePage;

// ---- Command line ----

const wchar_t* TntGetParamStrAt(const wchar_t* P, std::wstring& Param) {
  Param.clear();
  if (!P) return P;
  for (;;) {
    while (*P != 0 && *P <= L' ') ++P;
    if (P[0] == L'"' && P[1] == L'"') {
      P += 2;
      continue;
    }
    break;
  }
  while (*P > L' ') {
    if (*P == L'"') {
      ++P;
      while (*P != 0 && *P != L'"') Param += *P++;
      if (*P != 0) ++P;
    } else {
      Param += *P++;
    }
  }
  return P;
}

int WideParamCountOf(const std::wstring& CmdLine) {
  std::wstring token;
  const wchar_t* p = TntGetParamStrAt(CmdLine.c_str(), token);
  int count = 0;
  for (;;) {
    p = TntGetParamStrAt(p, token);
    if (token.empty()) return count;
    ++count;
  }
}

std::wstring WideParamStrOf(const std::wstring& CmdLine, int Index) {
  if (Index < 0) return {};
  std::wstring token;
  const wchar_t* p = CmdLine.c_str();
  for (;;) {
    p = TntGetParamStrAt(p, token);
    if (Index == 0 || token.empty()) return token;
    --Index;
  }
}

int WideParamCount() { return WideParamCountOf(GetCommandLineW()); }

std::wstring WideParamStr(int Index) {
  if (Index == 0) return WideGetModuleFileName(nullptr);
  return WideParamStrOf(GetCommandLineW(), Index);
}

// ---- Case and line breaks ----

std::wstring TntWideUpperCase(const std::wstring& S) {
  std::wstring r = S;
  if (!r.empty()) CharUpperBuffW(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

std::wstring TntWideLowerCase(const std::wstring& S) {
  std::wstring r = S;
  if (!r.empty()) CharLowerBuffW(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

namespace {

constexpr wchar_t kLineSeparator = 0x2028;

// Calls emit(ch) for every character of S with its breaks in the given style.
template <typename Emit>
void WalkLineBreaks(const std::wstring& S, TTntTextLineBreakStyle Style, Emit emit) {
  const size_t n = S.size();
  for (size_t i = 0; i < n; ++i) {
    wchar_t c = S[i];
    if (c == L'\r' || c == L'\n' || c == kLineSeparator) {
      if (c == L'\r' && i + 1 < n && S[i + 1] == L'\n') ++i;
      switch (Style) {
        case tlbsLF: emit(L'\n'); break;
        case tlbsCR: emit(L'\r'); break;
        default: emit(L'\r'); emit(L'\n'); break;
      }
    } else {
      emit(c);
    }
  }
}

}  // namespace

size_t TntAdjustLineBreaksLength(const std::wstring& S, TTntTextLineBreakStyle Style) {
  size_t length = 0;
  WalkLineBreaks(S, Style, [&](wchar_t) { ++length; });
  return length;
}

std::wstring TntAdjustLineBreaks(const std::wstring& S, TTntTextLineBreakStyle Style) {
  std::wstring r(TntAdjustLineBreaksLength(S, Style), L'\0');
  size_t at = 0;
  WalkLineBreaks(S, Style, [&](wchar_t c) { r[at++] = c; });
  return r;
}

// ---- Code pages and keys ----

std::wstring AnsiToWideInCodePage(const std::string& S, uint32_t CodePage) {
  if (CodePage == CP_UTF7) return UTF7ToWideString(S);
  if (CodePage == CP_UTF8) return UTF8ToWideString(S);
  if (S.empty()) return {};
  int n = MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring r(n, L'\0');
  n = MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), r.data(), n);
  r.resize(n > 0 ? n : 0);
  return r;
}

std::string WideToAnsiInCodePage(const std::wstring& S, uint32_t CodePage) {
  if (CodePage == CP_UTF7) return WideStringToUTF7(S);
  if (CodePage == CP_UTF8) return WideStringToUTF8(S);
  if (S.empty()) return {};
  int n = WideCharToMultiByte(CodePage, 0, S.data(), static_cast<int>(S.size()), nullptr, 0,
                              nullptr, nullptr);
  if (n <= 0) return {};
  std::string r(n, '\0');
  n = WideCharToMultiByte(CodePage, 0, S.data(), static_cast<int>(S.size()), r.data(), n,
                          nullptr, nullptr);
  r.resize(n > 0 ? n : 0);
  return r;
}

uint32_t CodePageOfLocale(LCID Locale) {
  char buf[16] = {};
  int n = GetLocaleInfoA(Locale, LOCALE_IDEFAULTANSICODEPAGE, buf, sizeof buf);
  if (n <= 1) return GetACP();
  char* end = nullptr;
  unsigned long value = std::strtoul(buf, &end, 10);
  if (end == buf || *end != '\0') return GetACP();
  return static_cast<uint32_t>(value);
}

uint32_t KeyboardLayoutCodePage() {
  HKL layout = GetKeyboardLayout(0);
  return CodePageOfLocale(LOWORD(reinterpret_cast<uintptr_t>(layout)));
}

wchar_t TntKeyCharToUnicode(uint16_t CharCode) {
  if (CharCode >= 256) return static_cast<wchar_t>(CharCode);
  char byte = static_cast<char>(CharCode);
  wchar_t result = 0;
  if (MultiByteToWideChar(KeyboardLayoutCodePage(), MB_USEGLYPHCHARS, &byte, 1, &result, 1) != 1)
    return static_cast<wchar_t>(CharCode);
  return result;
}

// ---- Buffers ----

void TntSwapWideBytes(wchar_t* P) {
  if (!P) return;
  for (; *P != 0; ++P) {
    auto c = static_cast<uint16_t>(*P);
    *P = static_cast<wchar_t>(static_cast<uint16_t>((c << 8) | (c >> 8)));
  }
}

std::vector<std::wstring> WideExtractStringsFromArray(const wchar_t* P, wchar_t Separator) {
  std::vector<std::wstring> result;
  if (!P) return result;
  for (;;) {
    const wchar_t* start = P;
    while (*P != 0 && *P != Separator) ++P;
    if (P == start) break;
    result.emplace_back(start, P);
    // A NUL ends the text unless it is the separator itself.
    if (*P == 0 && Separator != 0) break;
    ++P;
  }
  return result;
}

bool TntIsIntResource(const wchar_t* Name) {
  return reinterpret_cast<uintptr_t>(Name) <= 0xFFFF;
}

// ---- W entry points ----

BOOL TntSetWindowTextW(HWND Wnd, const wchar_t* Text) { return SetWindowTextW(Wnd, Text); }

BOOL TntRemoveDirectoryW(const wchar_t* PathName) { return RemoveDirectoryW(PathName); }

DWORD TntGetFullPathNameW(const wchar_t* FileName, DWORD BufferLength, wchar_t* Buffer,
                          wchar_t** FilePart) {
  return GetFullPathNameW(FileName, BufferLength, Buffer, FilePart);
}

HANDLE TntCreateFileW(const wchar_t* FileName, DWORD DesiredAccess, DWORD ShareMode,
                      SECURITY_ATTRIBUTES* SecurityAttributes, DWORD CreationDisposition,
                      DWORD FlagsAndAttributes, HANDLE TemplateFile) {
  return CreateFileW(FileName, DesiredAccess, ShareMode, SecurityAttributes, CreationDisposition,
                     FlagsAndAttributes, TemplateFile);
}

HANDLE TntFindFirstFileW(const wchar_t* FileName, WIN32_FIND_DATAW* FindFileData) {
  return FindFirstFileW(FileName, FindFileData);
}

BOOL TntFindNextFileW(HANDLE FindFile, WIN32_FIND_DATAW* FindFileData) {
  return FindNextFileW(FindFile, FindFileData);
}

DWORD TntGetFileAttributesW(const wchar_t* FileName) { return GetFileAttributesW(FileName); }

BOOL TntSetFileAttributesW(const wchar_t* FileName, DWORD FileAttributes) {
  return SetFileAttributesW(FileName, FileAttributes);
}

BOOL TntCreateDirectoryW(const wchar_t* PathName, SECURITY_ATTRIBUTES* SecurityAttributes) {
  return CreateDirectoryW(PathName, SecurityAttributes);
}

BOOL TntMoveFileW(const wchar_t* ExistingFileName, const wchar_t* NewFileName) {
  return MoveFileW(ExistingFileName, NewFileName);
}

BOOL TntDeleteFileW(const wchar_t* FileName) { return DeleteFileW(FileName); }

int TntDrawTextW(HDC DC, const wchar_t* Text, int Count, RECT* Rect, UINT Format) {
  return DrawTextW(DC, Text, Count, Rect, Format);
}

DWORD TntGetModuleFileNameW(HMODULE Module, wchar_t* FileName, DWORD Size) {
  return GetModuleFileNameW(Module, FileName, Size);
}
