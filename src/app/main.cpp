// Tavrin's entry point. For now the program only checks that it runs on a
// Windows it supports and ends; the main window comes later.
#include <windows.h>

namespace {

// Windows 2000 (NT 5.0) or later. The real version comes from ntdll, since
// GetVersionEx answers according to the manifest.
bool IsSupportedWindows() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto rtlGetVersion =
      ntdll ? reinterpret_cast<RtlGetVersionFn>(
                  reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
  if (!rtlGetVersion || rtlGetVersion(&info) != 0) return false;
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 5;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // On an older Windows the program stops silently.
  if (!IsSupportedWindows()) return 0;
  return 0;
}
