#include "bass/core/plugin_table.h"

#include <vector>

#include "bass/bass_api.h"
#include "bass/bass_plugin.h"
#include "bass/core/engine.h"

namespace bass_core {

PluginTable& PluginTable::Instance() {
  // Never destroyed: add-ons must not be freed from inside DllMain at exit.
  static PluginTable& table = *new PluginTable;
  return table;
}

// The loader's own lock is never taken while ours is held (LoadLibrary and
// FreeLibrary run outside it), so an add-on's DllMain may call back into us.
int PluginTable::Load(const char* file, uint32_t& handle) {
  if (!file || !*file) return BASS_ERROR_ILLPARAM;
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(file, MAX_PATH, full, nullptr);
  if (n == 0 || n >= MAX_PATH) return BASS_ERROR_FILEOPEN;
  DWORD attributes = GetFileAttributesA(full);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return BASS_ERROR_FILEOPEN;

  // No "missing DLL" box for an add-on whose own dependencies are absent; its
  // dependencies are looked for beside it first.
  DWORD oldMode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
  HMODULE module = LoadLibraryExA(full, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  SetThreadErrorMode(oldMode, nullptr);
  if (!module) return BASS_ERROR_FILEFORM;

  auto marker = reinterpret_cast<TavrinBassPluginVersionProc>(
      reinterpret_cast<void*>(GetProcAddress(module, TAVRIN_BASS_PLUGIN_MARKER)));
  if (!marker || marker() != TAVRIN_BASS_PLUGIN_VERSION) {
    FreeLibrary(module);
    return BASS_ERROR_FILEFORM;
  }
  bool already = false;
  {
    std::lock_guard lock(mutex_);
    for (auto& [h, m] : plugins_) already = already || m == module;
    if (!already) plugins_[handle = Engine::NewHandle()] = module;
  }
  // Loading it again only raised the module's reference count.
  if (already) {
    FreeLibrary(module);
    return BASS_ERROR_ALREADY;
  }
  return BASS_OK;
}

int PluginTable::Free(uint32_t handle) {
  std::vector<HMODULE> modules;
  {
    std::lock_guard lock(mutex_);
    if (handle == 0) {
      for (auto& [h, m] : plugins_) modules.push_back(m);
      plugins_.clear();
    } else {
      auto it = plugins_.find(handle);
      if (it == plugins_.end()) return BASS_ERROR_HANDLE;
      modules.push_back(it->second);
      plugins_.erase(it);
    }
  }
  for (HMODULE m : modules) FreeLibrary(m);
  return BASS_OK;
}

}  // namespace bass_core
