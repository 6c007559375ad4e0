// Bounded copies of UTF-16 text into caller buffers (the single-instance
// hand-over fills a WM_COPYDATA block with them).
#pragma once

#include <cstdint>
#include <string>

// Copies at most MaxLen units of Source, stopping at its terminating zero, and
// always writes a terminating zero: Dest needs MaxLen + 1 units. Returns Dest.
// A null Source copies nothing; a null Dest writes nothing.
wchar_t* WideStrLCopy(wchar_t* Dest, const wchar_t* Source, uint32_t MaxLen);
// The same from a wide string, which ends at its first zero unit if it has one.
wchar_t* WideStrPLCopy(wchar_t* Dest, const std::wstring& Source, uint32_t MaxLen);
// WideStrPLCopy with MaxLen $7FFFFFFF: Dest must hold all of Source and its zero.
wchar_t* WideStrPCopy(wchar_t* Dest, const std::wstring& Source);
