#include "engine/basscd22_dynamic.h"

namespace BassCD22_dynamic {

HMODULE BASSCD_Handle = nullptr;
TAVRIN_BASSCD_ENTRY_POINTS(TAVRIN_LOADER_DEFINE_ENTRY)

namespace {

void ResetEntries() { TAVRIN_BASSCD_ENTRY_POINTS(TAVRIN_LOADER_RESET_ENTRY) }

bool FetchEntries(HMODULE module) {
  bool found = true;
  TAVRIN_BASSCD_ENTRY_POINTS(TAVRIN_LOADER_FETCH_ENTRY)
  return found;
}

}  // namespace

bool Load_BASSCDDLL(const std::wstring& path) {
  return tavrin_engine::LoadLibraryTable(BASSCD_Handle, path, FetchEntries, ResetEntries);
}

void Unload_BASSCDDLL() {
  tavrin_engine::FreeLibraryTable(BASSCD_Handle, ResetEntries);
}

}  // namespace BassCD22_dynamic
