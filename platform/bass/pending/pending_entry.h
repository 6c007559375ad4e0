// A definition for a name of bass.dll's export list that no source of the DLL
// defines yet: it fails with BASS_ERROR_NOTAVAIL and the function's failure
// value. Each one is compiled alone into an archive member, so the linker
// takes it only when nothing else defines the name, and a real definition
// replaces it without anyone touching these files.
//
// The exported symbol is a jump to a typed function: C++ cannot give a
// template instance a C name, and the jump keeps every argument in place.
#pragma once

#include <type_traits>

#include "bass_api.h"
#include "errors.h"

namespace tavrin_bass {

template <auto Fn>
struct Pending;

template <typename R, typename... A, R(WINAPI* Fn)(A...)>
struct Pending<Fn> {
  static R WINAPI Call(A...) noexcept {
    if constexpr (std::is_void_v<R>) {
      SetError(BASS_ERROR_NOTAVAIL);
    } else {
      return kFailsWithMinusOne<Fn> ? FailMinusOne(BASS_ERROR_NOTAVAIL)
                                    : Fail(BASS_ERROR_NOTAVAIL);
    }
  }
};

}  // namespace tavrin_bass

#define TAVRIN_BASS_PENDING(name)                                                    \
  extern "C" decltype(&::name) const tavrin_pending_##name;                         \
  decltype(&::name) const tavrin_pending_##name = &tavrin_bass::Pending<&::name>::Call; \
  __asm__(".text\n"                                                                  \
          ".globl " #name "\n"                                                       \
          ".def " #name "; .scl 2; .type 32; .endef\n" #name ":\n"                   \
          "\tjmp *tavrin_pending_" #name "(%rip)\n");
