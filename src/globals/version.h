// The program's name and version as the user sees it: the title, the tray
// hint, the resting song line, and the mark of a current settings file.
#pragma once

inline constexpr wchar_t TavrinVersion[] = L"Tavrin 1.58";
