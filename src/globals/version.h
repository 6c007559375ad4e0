// The program's name and version as the user sees it: the title, the tray
// hint, the resting song line, and the mark of a current settings file.
#pragma once

inline constexpr wchar_t TavrinVersion[] = L"Tavrin 1.58";

// The day this version was released, shown under the name in the about window.
inline constexpr wchar_t TavrinReleaseDate[] = L"8 December 2026";
