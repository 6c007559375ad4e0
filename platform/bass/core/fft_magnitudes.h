// Magnitude spectra for the visualisation. The scale is chosen so that a sine
// of amplitude A centred on a bin reads A there: |X[k]| * 2 / sum(window). A
// full-scale sine therefore peaks near 1.0 (down to 0.85 midway between bins
// with the Hann window).
#pragma once

#include <cstddef>

namespace bass_core {

// n is a power of two from 4 to 8192; out receives n / 2 magnitudes, bins
// 0 .. n/2 - 1, bin k at k * rate / n Hz. hann: apply a periodic Hann window
// first (otherwise rectangular). False for an unsupported n.
bool MagnitudeSpectrum(const float* samples, size_t n, bool hann, float* out);

}  // namespace bass_core
