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
  for (size_t i = 0; i < m; ++i) {
    float even = samples[2 * i], odd = samples[2 * i + 1];
    if (hann) {
      even *= full.hann[2 * i];
      odd *= full.hann[2 * i + 1];
    }
    z[half.reversed[i]] = {even, odd};
  }
  for (size_t span = 1, stride = m / 2; span < m; span *= 2, stride /= 2) {
    for (size_t start = 0; start < m; start += 2 * span) {
      for (size_t k = 0; k < span; ++k) {
        // Written out: the library's complex product checks for infinities at each step.
        const std::complex<float> w = half.twiddles[k * stride], v = z[start + k + span];
        std::complex<float> t{w.real() * v.real() - w.imag() * v.imag(),
                              w.real() * v.imag() + w.imag() * v.real()};
        z[start + k + span] = z[start + k] - t;
        z[start + k] += t;
      }
    }
  }
  const float scale = 2.0f / (hann ? full.hannSum : float(n));
  for (size_t k = 0; k < m; ++k) {
    const std::complex<float> a = z[k], b = std::conj(z[(m - k) % m]);
    const std::complex<float> even = (a + b) * 0.5f;
    const std::complex<float> d = a - b;
    const std::complex<float> odd{0.5f * d.imag(), -0.5f * d.real()};  // d / 2i
    const std::complex<float> w = full.twiddles[k];
    const float re = even.real() + w.real() * odd.real() - w.imag() * odd.imag();
    const float im = even.imag() + w.real() * odd.imag() + w.imag() * odd.real();
    out[k] = std::sqrt(re * re + im * im) * scale;
  }
  return true;
}

}  // namespace bass_core
