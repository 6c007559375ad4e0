// Text arguments as the family's callers pass them.
#pragma once

#include <windows.h>

#include <string>

namespace tavrin_bass {

// 8-bit text in the system code page as UTF-16; empty for nullptr.
std::wstring WideFromAnsi(const char* text);
// A file name or command line: UTF-16 when flags hold BASS_UNICODE, else 8-bit
// text in the system code page; empty for nullptr.
std::wstring NameArgument(const void* name, DWORD flags);

}  // namespace tavrin_bass
