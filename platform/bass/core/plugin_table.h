// The add-ons loaded with BASS_PluginLoad (see bass_plugin.h for what counts
// as one). Safe to use from any thread: the program loads its add-ons on a
// thread of their own while the main thread opens files. Results are error
// codes (0 for success).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>

namespace bass_core {

class PluginTable {
 public:
  static PluginTable& Instance();

  // file: an 8-bit path in the system code page. BASS_ERROR_FILEOPEN when it
  // names no file, BASS_ERROR_FILEFORM when it is not one of our add-ons,
  // BASS_ERROR_ALREADY when that add-on is loaded already.
  int Load(const char* file, uint32_t& handle);
  // handle 0 frees every add-on.
  int Free(uint32_t handle);

 private:
  PluginTable() = default;

  std::mutex mutex_;
  std::map<uint32_t, HMODULE> plugins_;
};

}  // namespace bass_core
