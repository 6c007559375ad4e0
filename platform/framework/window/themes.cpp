#include "framework/themes.h"

#include <shlwapi.h>

namespace {

using HTHEME = HANDLE;

template <typename F>
void Bind(HMODULE Module, const char* Name, F& Function) {
  // GetProcAddress gives a generic pointer; the cast goes through void* so
  // -Wcast-function-type keeps quiet about a cast that is right by contract.
  Function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Module, Name)));
}

// The entry points of uxtheme.dll that the framework uses.
struct TThemeLibrary {
  BOOL(WINAPI* IsThemeActive)() = nullptr;
  BOOL(WINAPI* IsAppThemed)() = nullptr;
  HTHEME(WINAPI* OpenThemeData)(HWND, LPCWSTR) = nullptr;
  HRESULT(WINAPI* CloseThemeData)(HTHEME) = nullptr;
  HRESULT(WINAPI* DrawThemeBackground)(HTHEME, HDC, int, int, const RECT*, const RECT*) = nullptr;
  HRESULT(WINAPI* DrawThemeText)
  (HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*) = nullptr;
  HRESULT(WINAPI* DrawThemeParentBackground)(HWND, HDC, const RECT*) = nullptr;
  bool Complete = false;
  bool ThemedCommonControls = false;
};

// The system draws its own controls themed only with version 6 of the
// common controls, which a program gets through its manifest; without it a
// theme may be active and yet every "BUTTON" is classic, so painted
// controls must stay classic to match.
bool CommonControlsAreThemed() {
  HMODULE module = LoadLibraryW(L"comctl32.dll");
  if (!module) return false;
  using TDllGetVersion = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
  TDllGetVersion getVersion = nullptr;
  Bind(module, "DllGetVersion", getVersion);
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  const bool themed = getVersion && SUCCEEDED(getVersion(&info)) && info.dwMajorVersion >= 6;
  FreeLibrary(module);
  return themed;
}

const TThemeLibrary& ThemeLibrary() {
  static const TThemeLibrary library = [] {
    TThemeLibrary l;
    HMODULE module = LoadLibraryW(L"uxtheme.dll");
    if (!module) return l;
    Bind(module, "IsThemeActive", l.IsThemeActive);
    Bind(module, "IsAppThemed", l.IsAppThemed);
    Bind(module, "OpenThemeData", l.OpenThemeData);
    Bind(module, "CloseThemeData", l.CloseThemeData);
    Bind(module, "DrawThemeBackground", l.DrawThemeBackground);
    Bind(module, "DrawThemeText", l.DrawThemeText);
    Bind(module, "DrawThemeParentBackground", l.DrawThemeParentBackground);
    l.Complete = l.IsThemeActive && l.IsAppThemed && l.OpenThemeData && l.CloseThemeData &&
                 l.DrawThemeBackground && l.DrawThemeText && l.DrawThemeParentBackground;
    l.ThemedCommonControls = CommonControlsAreThemed();
    return l;
  }();
  return library;
}

constexpr int BP_GROUPBOX = 4;
constexpr int GBS_NORMAL = 1;
constexpr int GBS_DISABLED = 2;

// Runs Draw with the "BUTTON" theme of Wnd; false when there is none.
template <typename F>
bool WithButtonTheme(HWND Wnd, F Draw) {
  if (!ThemesEnabled()) return false;
  const TThemeLibrary& l = ThemeLibrary();
  HTHEME theme = l.OpenThemeData(Wnd, L"BUTTON");
  if (!theme) return false;
  const bool done = SUCCEEDED(Draw(l, theme));
  l.CloseThemeData(theme);
  return done;
}

}  // namespace

bool ThemesEnabled() {
  const TThemeLibrary& l = ThemeLibrary();
  return l.Complete && l.ThemedCommonControls && l.IsThemeActive() && l.IsAppThemed();
}

bool DrawThemedGroupBox(HWND Wnd, HDC DC, const RECT& Rect, bool Enabled) {
  return WithButtonTheme(Wnd, [&](const TThemeLibrary& l, HTHEME theme) {
    return l.DrawThemeBackground(theme, DC, BP_GROUPBOX, Enabled ? GBS_NORMAL : GBS_DISABLED, &Rect,
                                 nullptr);
  });
}

bool DrawThemedGroupBoxText(HWND Wnd, HDC DC, const std::wstring& Text, const RECT& Rect,
                            UINT Flags, bool Enabled) {
  return WithButtonTheme(Wnd, [&](const TThemeLibrary& l, HTHEME theme) {
    return l.DrawThemeText(theme, DC, BP_GROUPBOX, Enabled ? GBS_NORMAL : GBS_DISABLED,
                           Text.c_str(), static_cast<int>(Text.size()), Flags, 0, &Rect);
  });
}

bool DrawThemeParentBackgroundOf(HWND Wnd, HDC DC, const RECT* Rect) {
  if (!ThemesEnabled() || !Wnd) return false;
  return SUCCEEDED(ThemeLibrary().DrawThemeParentBackground(Wnd, DC, Rect));
}
