// The value each entry point of the BASS family answers when it fails: -1
// (all bits set) for the functions of TAVRIN_BASS_MINUS_ONE_FAILURES, else
// 0, FALSE or nullptr. Shared by the DLLs and by the program's stand-in
// tables, so both sides agree on what a failure looks like.
#pragma once

#include <type_traits>

#include "bass/bass_api.h"

namespace tavrin_bass {

// 0 / nullptr, or all bits set when minusOne; nothing for void.
template <typename T>
constexpr T FailureValueOf(bool minusOne) {
  if constexpr (std::is_void_v<T>) {
    return;
  } else if constexpr (std::is_pointer_v<T>) {
    return nullptr;
  } else if constexpr (std::is_floating_point_v<T>) {
    return minusOne ? T(-1) : T(0);
  } else {
    return minusOne ? static_cast<T>(-1) : T(0);
  }
}

template <auto Fn>
inline constexpr bool kFailsWithMinusOne = false;
#define TAVRIN_BASS_MINUS_ONE(name) \
  template <>                       \
  inline constexpr bool kFailsWithMinusOne<&::name> = true;
TAVRIN_BASS_MINUS_ONE_FAILURES(TAVRIN_BASS_MINUS_ONE)
#undef TAVRIN_BASS_MINUS_ONE

template <typename R, typename... A>
R ResultOf(R(WINAPI*)(A...));

// What entry point Fn answers on failure.
template <auto Fn>
constexpr decltype(ResultOf(Fn)) FailureResult() {
  return FailureValueOf<decltype(ResultOf(Fn))>(kFailsWithMinusOne<Fn>);
}

}  // namespace tavrin_bass
