// Loader of basswma.dll: the module handle and one entry-point variable per
// function, named like the function (BassWMA22_dynamic::BASS_WMA_StreamCreateFile).
// The global names are the prototypes of bass_api.h, hence the namespace; call
// through it by the qualified name or an alias, not after `using namespace`
// (the calls would be ambiguous). Until the library is loaded, and again after
// a failed load or an unload, every variable holds a stand-in that fails with
// BASS_ERROR_INIT.
#pragma once

#include <windows.h>

#include <string>

#include "bass/bass_api.h"
#include "engine/dynamic_library.h"

namespace BassWMA22_dynamic {

// nullptr while basswma.dll is not loaded.
extern HMODULE BASSWMA_Handle;
TAVRIN_BASSWMA_ENTRY_POINTS(TAVRIN_LOADER_DECLARE_ENTRY)

// Loads basswma.dll from its full path with all 14 entry points; true at
// once when it is loaded already.
bool Load_BASSWMADLL(const std::wstring& path);
// Frees the library when loaded.
void Unload_BASSWMADLL();

}  // namespace BassWMA22_dynamic
