#include "engine/dynamic_library.h"

#include "engine/bass22_dynamic.h"

namespace tavrin_engine {

namespace {

constexpr UINT kQuietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;

}  // namespace

bool LoadLibraryTable(HMODULE& handle, const std::wstring& path, bool (*fetch)(HMODULE),
                      void (*reset)()) {
  if (handle != nullptr) return true;
  if (path.find_first_of(L"\\/") == std::wstring::npos) return false;

  UINT previousMode = SetErrorMode(kQuietErrorMode);
  HMODULE module = LoadLibraryW(path.c_str());
  SetErrorMode(previousMode);
  if (module == nullptr) return false;

  if (!fetch(module)) {
    reset();
    FreeLibrary(module);
    return false;
  }
  handle = module;
  return true;
}

void FreeLibraryTable(HMODULE& handle, void (*reset)()) {
  reset();
  if (handle == nullptr) return;
  FreeLibrary(handle);
  handle = nullptr;
}

void ReportNotLoaded() noexcept {
  HMODULE bass = Bass22_dynamic::BASS_Handle;
  if (bass == nullptr) return;
  // Absent from a foreign bass.dll; the code then stays what that library says.
  FARPROC proc = GetProcAddress(bass, "BASS_Internal_SetError");
  if (proc != nullptr) reinterpret_cast<decltype(&::BASS_Internal_SetError)>(
      reinterpret_cast<void*>(proc))(BASS_ERROR_INIT);
}

}  // namespace tavrin_engine
