// Add-on entry points of bass.dll. They work before BASS_Init too: the
// program loads its add-ons while the player is still being set up.
#include "bass/bass/entry.h"
#include "bass/core/plugin_table.h"

using namespace bass_core;
using namespace tavrin_bass;

HPLUGIN WINAPI BASS_PluginLoad(const char* file) {
  return Guard<&BASS_PluginLoad>([&] {
    uint32_t handle = 0;
    int error = PluginTable::Instance().Load(file, handle);
    return Answer<&BASS_PluginLoad>(error, handle);
  });
}

BOOL WINAPI BASS_PluginFree(HPLUGIN handle) {
  return Guard<&BASS_PluginFree>([&] {
    return Answer<&BASS_PluginFree>(PluginTable::Instance().Free(handle), TRUE);
  });
}
