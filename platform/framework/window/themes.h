// Visual styles, as far as the framework's painted controls need them: whether
// they are on, and the few themed drawings of group boxes and of a parent's
// background. uxtheme.dll is loaded on first use; a system without it (or
// without one of the entry points) counts as unthemed, and every drawing
// below then answers false so the caller takes its classic path. Wine 8 has
// a theme active, but without a manifest its controls are classic too.
#pragma once

#include <windows.h>

#include <string>

// IsThemeActive() && IsAppThemed(), with version 6 of the common controls
// loaded (without it the system's own controls are classic).
bool ThemesEnabled();

// The themed group-box frame (the "BUTTON" class's group-box part, normal or
// disabled) in Rect.
bool DrawThemedGroupBox(HWND Wnd, HDC DC, const RECT& Rect, bool Enabled);
// Text drawn with the group box's theme text drawing, DrawText Flags.
bool DrawThemedGroupBoxText(HWND Wnd, HDC DC, const std::wstring& Text, const RECT& Rect,
                            UINT Flags, bool Enabled);
// The parent's background under the control's window (Rect in the control's
// client coordinates, nullptr for all of it).
bool DrawThemeParentBackgroundOf(HWND Wnd, HDC DC, const RECT* Rect);
