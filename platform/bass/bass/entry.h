// What every entry point of bass.dll shares: nothing escapes it (an exception
// becomes an error code) and its result goes through one helper that records
// the per-thread error code.
#pragma once

#include <new>

#include "bass/bass_api.h"
#include "bass/common/error_code.h"

namespace tavrin_bass {

template <auto Fn>
using ResultType = decltype(ResultOf(Fn));

// Runs body; on an exception records BASS_ERROR_MEM (out of memory) or
// BASS_ERROR_UNKNOWN and answers Fn's failure value.
template <auto Fn, typename Body>
ResultType<Fn> Guard(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    SetError(BASS_ERROR_MEM);
  } catch (...) {
    SetError(BASS_ERROR_UNKNOWN);
  }
  return FailureResult<Fn>();
}

// error 0: records success and answers value; otherwise records error and
// answers Fn's failure value.
template <auto Fn, typename T>
ResultType<Fn> Answer(int error, T value) noexcept {
  SetError(error);
  if (error != BASS_OK) return FailureResult<Fn>();
  return static_cast<ResultType<Fn>>(value);
}

}  // namespace tavrin_bass
