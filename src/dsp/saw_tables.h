// The band-limited sawtooth tables the VCO reads.
//
// Table k holds one period (4096 samples) of a falling sawtooth built from
// N = round(2048 / sqrt(2)^k) partials: each step up in k lowers the top
// partial by half an octave, and the oscillator picks the table whose top
// partial stays near half the sample rate for the note it plays.
// The upper partials are tapered by half a raised cosine (weight 1 at the
// fundamental, 0.54 at partial N) to tame the Gibbs ripple.
//
// Building all 22 tables costs about 28 million sine evaluations, so they are
// generated at build time by tools/gen_saw_tables from build() below and
// compiled in as constant data; nothing is computed when the plug-in loads.
#pragma once

#include <cmath>

namespace saw_tables {

constexpr int kCount = 22;
constexpr int kLengthBits = 12;
constexpr int kLength = 1 << kLengthBits; // 4096

// The generated data: kData[k][j] is sample j of table k.
extern const double kData[kCount][kLength];

// Number of partials in table k.
inline int partials(int k) {
  constexpr double kSqrt2 = 1.4142135623730951;
  return static_cast<int>(std::round(2048.0 / std::pow(kSqrt2, k)));
}

// Fills out[0..kLength) with table k. The order of the additions is part of
// the stored sound: partial by partial, in ascending order.
inline void build(int k, double* out) {
  constexpr double kTwoPi = 6.283185307179586;
  constexpr double kHalfPi = 1.5707963267948966;
  constexpr double kInvLength = 0.000244140625; // 1 / 4096
  const int n_max = partials(k);
  for (int n = 1; n <= n_max; ++n) {
    const double w = n * kTwoPi * kInvLength;
    if (n == 1) {
      for (int j = 0; j < kLength; ++j) out[j] = 0.5 * std::sin(j * w);
    } else {
      const double g = (0.46 * std::cos((n - 1) * kHalfPi / (n_max - 1)) + 0.54) * 0.5 / n;
      for (int j = 0; j < kLength; ++j) out[j] += g * std::sin(j * w);
    }
  }
}

} // namespace saw_tables
