#include "spectrum.h"

#include <array>
#include <cmath>
#include <complex>
#include <mutex>
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

const FftTables& Tables(int log2n) {
  static std::array<FftTables, kMaxLog2 + 1> tables;
  static std::array<std::once_flag, kMaxLog2 + 1> once;
  std::call_once(once[log2n], [log2n] {
    FftTables& t = tables[log2n];
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
  });
  return tables[log2n];
}

}  // namespace

bool MagnitudeSpectrum(const float* samples, size_t n, bool hann, float* out) {
  int log2n = 0;
  while ((size_t{1} << log2n) < n) ++log2n;
  if (n < 2 || (size_t{1} << log2n) != n || log2n > kMaxLog2) return false;
  const FftTables& t = Tables(log2n);

  thread_local std::vector<std::complex<float>> x;
  x.resize(n);
  for (size_t i = 0; i < n; ++i) x[t.reversed[i]] = {hann ? samples[i] * t.hann[i] : samples[i], 0.0f};
  for (size_t half = 1, stride = n / 2; half < n; half *= 2, stride /= 2) {
    for (size_t start = 0; start < n; start += 2 * half) {
      for (size_t k = 0; k < half; ++k) {
        // Written out: the library's complex product checks for infinities at each step.
        const std::complex<float> w = t.twiddles[k * stride], v = x[start + k + half];
        std::complex<float> odd{w.real() * v.real() - w.imag() * v.imag(),
                                w.real() * v.imag() + w.imag() * v.real()};
        x[start + k + half] = x[start + k] - odd;
        x[start + k] += odd;
      }
    }
  }
  float scale = 2.0f / (hann ? t.hannSum : float(n));
  for (size_t k = 0; k < n / 2; ++k) out[k] = std::abs(x[k]) * scale;
  return true;
}

}  // namespace bass_core
