// A stand-in add-on for the BASS_PluginLoad tests: it carries the marker,
// answering ADDON_VERSION.
#include "bass/bass_plugin.h"

extern "C" __declspec(dllexport) DWORD WINAPI TavrinBassPluginVersion() { return ADDON_VERSION; }
