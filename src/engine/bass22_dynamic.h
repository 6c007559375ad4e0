// Loader of bass.dll: the module handle and one entry-point variable per
// function, named like the function (Bass22_dynamic::BASS_Init). The global names
// are the prototypes of bass_api.h, hence the namespace; call through it by
// the qualified name or an alias, not after `using namespace` (the calls would
// be ambiguous). Until the library is loaded, and again after a failed load or
// an unload, every variable holds a stand-in that fails with BASS_ERROR_INIT.
#pragma once

#include <windows.h>

#include <string>

#include "bass/bass_api.h"
#include "engine/dynamic_library.h"

namespace Bass22_dynamic {

// nullptr while bass.dll is not loaded.
extern HMODULE BASS_Handle;
TAVRIN_BASS_ENTRY_POINTS(TAVRIN_LOADER_DECLARE_ENTRY)

// Loads bass.dll from its full path with all 94 entry points; true at once
// when it is loaded already.
bool Load_BASSDLL(const std::wstring& path);
// When loaded: BASS_Free, then frees the library.
void Unload_BASSDLL();

}  // namespace Bass22_dynamic
