#include "skin/rounding.h"

#include <cmath>

namespace skin_internal {

int64_t RoundHalfEven(double x) {
  double whole = std::floor(x);
  double fraction = x - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return static_cast<int64_t>(whole);
}

// Numerator * Multiplier / Denominator: the product needs up to 95 bits for a
// 32-bit range times a pixel count, so it is formed in 128 bits.
int64_t DivRoundHalfEven(int64_t Numerator, int64_t Multiplier, int64_t Denominator) {
  if (Denominator == 0) return 0;
  __int128 n = static_cast<__int128>(Numerator) * Multiplier;
  __int128 d = Denominator;
  if (d < 0) {
    n = -n;
    d = -d;
  }
  __int128 q = n / d;
  __int128 r = n % d;
  if (r < 0) {  // floor instead of truncation
    r += d;
    q -= 1;
  }
  if (2 * r > d || (2 * r == d && (q & 1) != 0)) q += 1;
  return static_cast<int64_t>(q);
}

}  // namespace skin_internal
