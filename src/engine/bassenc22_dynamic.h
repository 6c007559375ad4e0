// Loader of bassenc.dll: the module handle and one entry-point variable per
// function, named like the function (BassEnc22_dynamic::BASS_Encode_Start).
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

namespace BassEnc22_dynamic {

// nullptr while bassenc.dll is not loaded.
extern HMODULE BASSENC_Handle;
TAVRIN_BASSENC_ENTRY_POINTS(TAVRIN_LOADER_DECLARE_ENTRY)

// Loads bassenc.dll from its full path with all 5 entry points; true at
// once when it is loaded already.
bool Load_BASSENCDLL(const std::wstring& path);
// Frees the library when loaded.
void Unload_BASSENCDLL();

}  // namespace BassEnc22_dynamic
