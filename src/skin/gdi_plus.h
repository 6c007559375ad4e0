// GDI+ for the skinned controls, loaded at run time: a system without
// gdiplus.dll (or with one that fails to start) still draws, through plain GDI.
#pragma once

#include <windows.h>

namespace gdi_plus {

// The started gdiplus.dll, or nullptr. Loaded and started once for the process
// and never shut down: shutting GDI+ down at exit races with its own
// background thread.
HMODULE Module();

// Entry := the export Name of Module; false when it is missing.
template <typename F>
bool Resolve(HMODULE Module, const char* Name, F& Entry) {
  Entry = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Module, Name)));
  return Entry != nullptr;
}

}  // namespace gdi_plus
