#include "bass/core/fft_magnitudes.h"

#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace bass_core {
namespace {

constexpr int kMaxLog2 = 13;

struct FftTables {
  std::vector<std::complex<float>> twiddles;  // e^(-2 pi i k / n), k < n/2
  std::vector<unsigned> reversed;             // bit-reversal permutation
  std::vector<float> hann;
  float hannSum = 0;
};

FftTables Build(int log2n) {
  FftTables t;
  size_t n = size_t{1} << log2n;
  t.twiddles.resize(n / 2);
  for (size_t k = 0; k < n / 2; ++k) {
    double a = -2 * std::numbers::pi * double(k) / double(n);
    t.twiddles[k] = {float(std::cos(a)), float(std::sin(a))};
  }
  t.reversed.resize(n);
  for (size_t i = 0; i < n; ++i) {
    unsigned r = 0;
    for (int b = 0; b < log2n; ++b)
      if (i & (size_t{1} << b)) r |= 1u << (log2n - 1 - b);
    t.reversed[i] = r;
  }
  t.hann.resize(n);
  double sum = 0;
  for (size_t i = 0; i < n; ++i) {
    t.hann[i] = float(0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(n)));
    sum += t.hann[i];
  }
  t.hannSum = float(sum);
  return t;
}

const FftTables& Tables(int log2n) {
  // Built once, all sizes together: a per-size once-flag costs a lock on
  // every call with this toolchain's threads.
  static const std::array<FftTables, kMaxLog2 + 1> tables = [] {
    std::array<FftTables, kMaxLog2 + 1> all;
    for (int i = 1; i <= kMaxLog2; ++i) all[i] = Build(i);
    return all;
  }();
  return tables[log2n];
}

}  // namespace

bool MagnitudeSpectrum(const float* samples, size_t n, bool hann, float* out) {
  int log2n = 0;
  while ((size_t{1} << log2n) < n) ++log2n;
  if (n < 4 || (size_t{1} << log2n) != n || log2n > kMaxLog2) return false;
  const FftTables& full = Tables(log2n);
  const FftTables& half = Tables(log2n - 1);
  const size_t m = n / 2;

  // A real signal of n samples as m complex ones (even samples real, odd
  // imaginary): one FFT of half the size, then the halves are untangled.
  thread_local std::vector<std::complex<float>> z;
  z.resize(m);
  // All the arithmetic on the parts as floats (a complex number is two of
  // them, by the standard): built as complex values, each pair went through
  // the stack and back, which took most of the transform's time.
  float* parts = reinterpret_cast<float*>(z.data());
  for (size_t i = 0; i < m; ++i) {
    float even = samples[2 * i], odd = samples[2 * i + 1];
    if (hann) {
      even *= full.hann[2 * i];
      odd *= full.hann[2 * i + 1];
    }
    parts[2 * half.reversed[i]] = even;
    parts[2 * half.reversed[i] + 1] = odd;
  }
  const float* turns = reinterpret_cast<const float*>(half.twiddles.data());
  for (size_t span = 1, stride = m / 2; span < m; span *= 2, stride /= 2) {
    for (size_t start = 0; start < m; start += 2 * span) {
      for (size_t k = 0; k < span; ++k) {
        float* a = parts + 2 * (start + k);
        float* b = a + 2 * span;
        const float wr = turns[2 * k * stride], wi = turns[2 * k * stride + 1];
        const float tr = wr * b[0] - wi * b[1];
        const float ti = wr * b[1] + wi * b[0];
        b[0] = a[0] - tr;
        b[1] = a[1] - ti;
        a[0] += tr;
        a[1] += ti;
      }
    }
  }
  const float scale = 2.0f / (hann ? full.hannSum : float(n));
  const float* fullTurns = reinterpret_cast<const float*>(full.twiddles.data());
  for (size_t k = 0; k < m; ++k) {
    // a = z[k], b = conj(z[m - k]); even = (a + b) / 2, odd = (a - b) / 2i.
    const float* a = parts + 2 * k;
    const float* mirror = parts + 2 * ((m - k) % m);
    const float br = mirror[0], bi = -mirror[1];
    const float evenR = (a[0] + br) * 0.5f, evenI = (a[1] + bi) * 0.5f;
    const float oddR = 0.5f * (a[1] - bi), oddI = -0.5f * (a[0] - br);
    const float wr = fullTurns[2 * k], wi = fullTurns[2 * k + 1];
    const float re = evenR + wr * oddR - wi * oddI;
    const float im = evenI + wr * oddI + wi * oddR;
    out[k] = std::sqrt(re * re + im * im) * scale;
  }
  return true;
}

}  // namespace bass_core
