#include "engine/bassenc22_dynamic.h"

namespace BassEnc22_dynamic {

HMODULE BASSENC_Handle = nullptr;
TAVRIN_BASSENC_ENTRY_POINTS(TAVRIN_LOADER_DEFINE_ENTRY)

namespace {

void ResetEntries() { TAVRIN_BASSENC_ENTRY_POINTS(TAVRIN_LOADER_RESET_ENTRY) }

bool FetchEntries(HMODULE module) {
  bool found = true;
  TAVRIN_BASSENC_ENTRY_POINTS(TAVRIN_LOADER_FETCH_ENTRY)
  return found;
}

}  // namespace

bool Load_BASSENCDLL(const std::wstring& path) {
  return tavrin_engine::LoadLibraryTable(BASSENC_Handle, path, FetchEntries, ResetEntries);
}

void Unload_BASSENCDLL() {
  tavrin_engine::FreeLibraryTable(BASSENC_Handle, ResetEntries);
}

}  // namespace BassEnc22_dynamic
