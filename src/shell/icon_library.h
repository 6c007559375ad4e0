// Icon libraries (".icl": a resource-only DLL holding one icon group per
// icon), read by our own reader rather than by ExtractIconEx: the system's
// reader (Wine 8's) trusts the offsets and sizes of the file, and a damaged
// library crashed the program inside it. Icons are counted as ExtractIconEx
// counts them: the icon groups in the order the resource directory lists them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// More than any icon library holds; a larger file is no library.
inline constexpr uint64_t MaxIconLibraryBytes = 64u << 20;

// Icon Index of the library as an .ico file's bytes (the group's images).
// Empty when the file cannot be read or is no library, the icon is not
// there, or the way to it leaves the file.
std::string IconLibraryIcon(const std::wstring& FileName, int32_t Index);
// Icon Index of the library at Size x Size (through TIcon, which checks the
// image); the caller owns it. nullptr when there is none or it is damaged.
HICON ExtractLibraryIcon(const std::wstring& FileName, int32_t Index, int Size);
