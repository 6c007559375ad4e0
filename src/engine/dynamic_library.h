// What the four BASS loaders share: loading one library by its full path
// into a table of entry points, all or nothing, and the stand-ins the table
// holds whenever the library is not loaded. A call through the table of a
// missing library thus fails like BASS does before BASS_Init (code 8, the
// function's failure value) instead of jumping to nil or into a freed module.
#pragma once

#include <windows.h>

#include <string>

#include "bass/bass_failure.h"

namespace tavrin_engine {

// Loads path unless handle is set: critical-error boxes suppressed, then
// fetch(module) fills the table. When the library is missing or lacks a name,
// reset() puts the stand-ins back, the module is freed and the result is false.
// A name without a folder is refused, so the system path is never searched.
bool LoadLibraryTable(HMODULE& handle, const std::wstring& path, bool (*fetch)(HMODULE),
                      void (*reset)());

// Frees the module when loaded and puts the stand-ins back.
void FreeLibraryTable(HMODULE& handle, void (*reset)());

// Stores the address of name in entry; false when the module lacks it.
template <typename F>
bool FetchEntry(HMODULE module, const char* name, F& entry) {
  FARPROC proc = GetProcAddress(module, name);
  entry = reinterpret_cast<F>(reinterpret_cast<void*>(proc));
  return proc != nullptr;
}

// Makes BASS_ERROR_INIT the code the program reads through
// Bass22_dynamic::BASS_ErrorGetCode: written into the loaded bass.dll, or,
// without it, what the stand-in of BASS_ErrorGetCode answers anyway.
void ReportNotLoaded() noexcept;

// The stand-in of entry point Fn.
template <auto Fn>
struct NotLoaded;

template <typename R, typename... A, R(WINAPI* Fn)(A...)>
struct NotLoaded<Fn> {
  static R WINAPI Call(A...) noexcept {
    ReportNotLoaded();
    return tavrin_bass::FailureResult<Fn>();
  }
};

template <>
struct NotLoaded<&::BASS_ErrorGetCode> {
  static int WINAPI Call() noexcept { return BASS_ERROR_INIT; }
};

}  // namespace tavrin_engine

// The pieces each loader unit expands over its list.
#define TAVRIN_LOADER_DECLARE_ENTRY(name) extern decltype(&::name) name;
#define TAVRIN_LOADER_DEFINE_ENTRY(name) \
  decltype(&::name) name = &::tavrin_engine::NotLoaded<&::name>::Call;
#define TAVRIN_LOADER_RESET_ENTRY(name) name = &::tavrin_engine::NotLoaded<&::name>::Call;
#define TAVRIN_LOADER_FETCH_ENTRY(name) \
  found = ::tavrin_engine::FetchEntry(module, #name, name) && found;
