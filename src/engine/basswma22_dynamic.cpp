#include "engine/basswma22_dynamic.h"

namespace BassWMA22_dynamic {

HMODULE BASSWMA_Handle = nullptr;
TAVRIN_BASSWMA_ENTRY_POINTS(TAVRIN_LOADER_DEFINE_ENTRY)

namespace {

void ResetEntries() { TAVRIN_BASSWMA_ENTRY_POINTS(TAVRIN_LOADER_RESET_ENTRY) }

bool FetchEntries(HMODULE module) {
  bool found = true;
  TAVRIN_BASSWMA_ENTRY_POINTS(TAVRIN_LOADER_FETCH_ENTRY)
  return found;
}

}  // namespace

bool Load_BASSWMADLL(const std::wstring& path) {
  return tavrin_engine::LoadLibraryTable(BASSWMA_Handle, path, FetchEntries, ResetEntries);
}

void Unload_BASSWMADLL() {
  tavrin_engine::FreeLibraryTable(BASSWMA_Handle, ResetEntries);
}

}  // namespace BassWMA22_dynamic
