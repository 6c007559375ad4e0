#include "engine/bass22_dynamic.h"

namespace Bass22_dynamic {

HMODULE BASS_Handle = nullptr;
TAVRIN_BASS_ENTRY_POINTS(TAVRIN_LOADER_DEFINE_ENTRY)

namespace {

void ResetEntries() { TAVRIN_BASS_ENTRY_POINTS(TAVRIN_LOADER_RESET_ENTRY) }

bool FetchEntries(HMODULE module) {
  bool found = true;
  TAVRIN_BASS_ENTRY_POINTS(TAVRIN_LOADER_FETCH_ENTRY)
  return found;
}

}  // namespace

bool Load_BASSDLL(const std::wstring& path) {
  return tavrin_engine::LoadLibraryTable(BASS_Handle, path, FetchEntries, ResetEntries);
}

void Unload_BASSDLL() {
  if (BASS_Handle != nullptr) BASS_Free();
  tavrin_engine::FreeLibraryTable(BASS_Handle, ResetEntries);
}

}  // namespace Bass22_dynamic
