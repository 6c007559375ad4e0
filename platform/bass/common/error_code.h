// The family's per-thread error code, and the helpers every entry point ends
// with: `return Fail(BASS_ERROR_HANDLE);` or `return Ok(handle);`.
//
// bass.dll keeps the code. An add-on hands its codes to bass.dll through
// BASS_Internal_SetError, looked up in the loaded bass.dll at each call (the
// program unloads bass.dll before the add-ons, so a remembered address could
// dangle); only while no bass.dll is loaded does the add-on keep a code of its
// own.
#pragma once

#include <new>

#include "bass/bass_failure.h"

namespace tavrin_bass {

// Sets the calling thread's error code of the family.
void SetError(int code) noexcept;

// This module's own per-thread code: in bass.dll, the family's code.
int LocalError() noexcept;
void SetLocalError(int code) noexcept;

// Converts to the failure value of whatever the entry point returns.
class Failure {
 public:
  constexpr explicit Failure(bool minusOne) : FMinusOne(minusOne) {}
  template <typename T>
  constexpr operator T() const noexcept {
    return FailureValueOf<T>(FMinusOne);
  }

 private:
  bool FMinusOne;
};

// Records code and answers 0 / FALSE / nullptr.
inline Failure Fail(int code) noexcept {
  SetError(code);
  return Failure(false);
}

// Records code and answers -1 (all bits set), for the functions that fail so.
inline Failure FailMinusOne(int code) noexcept {
  SetError(code);
  return Failure(true);
}

// Records success (BASS_OK) and answers value.
template <typename T>
T Ok(T value) noexcept {
  SetError(BASS_OK);
  return value;
}

// Runs an add-on entry point's body so that nothing escapes the DLL: running
// out of memory records BASS_ERROR_MEM, anything else BASS_ERROR_UNKNOWN, and
// the answer is 0 / FALSE / nullptr.
template <typename Body>
auto Guarded(Body&& body) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return Fail(BASS_ERROR_MEM);
  } catch (...) {
    return Fail(BASS_ERROR_UNKNOWN);
  }
}

}  // namespace tavrin_bass
