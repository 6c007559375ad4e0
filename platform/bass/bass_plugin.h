// What makes a DLL one of our add-ons, for BASS_PluginLoad: it exports
//
//   DWORD WINAPI TavrinBassPluginVersion(void);
//
// answering the BASS version it was built against, TAVRIN_BASS_PLUGIN_VERSION
// (the same number BASS_GetVersion answers). Any other DLL, or one built for
// another version, is refused with BASS_ERROR_FILEFORM and unloaded again.
// bass.dll calls the function once, after loading, from the loading thread.
#pragma once

#include <windows.h>

#define TAVRIN_BASS_PLUGIN_MARKER "TavrinBassPluginVersion"
#define TAVRIN_BASS_PLUGIN_VERSION 0x20002

typedef DWORD(WINAPI* TavrinBassPluginVersionProc)();
