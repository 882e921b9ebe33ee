// Filters run their inputs and states through sanitise() every sample: a
// NaN or an infinity becomes 0 (one passed on would poison the states and
// reach the host), and an alternating +-1e-13 keeps the recursion out of
// denormal numbers, which are slow on x86.
#pragma once

#include <cmath>

namespace dsp {

inline double sanitise(double v, double dither) {
  return std::isfinite(v) ? v + dither : 0.0;
}

} // namespace dsp
