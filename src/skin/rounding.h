// Rounding to the nearest integer with halves to the even neighbour, the rule
// every skin computation uses, for reals and for exact quotients.
#pragma once

#include <cstdint>

namespace skin_internal {

// x rounded half to even; independent of the floating-point rounding mode,
// which a loaded DLL may have changed.
int64_t RoundHalfEven(double x);
// Numerator / Denominator rounded half to even, computed exactly; 0 when
// Denominator is 0.
int64_t DivRoundHalfEven(int64_t Numerator, int64_t Multiplier, int64_t Denominator);

}  // namespace skin_internal
