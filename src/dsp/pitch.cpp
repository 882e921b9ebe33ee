#include "dsp/pitch.h"

#include <array>
#include <cmath>

namespace pitch {
namespace {

double roundTo(double x, double scale) {
  return std::round(x * scale) / scale;
}

struct Tables {
  std::array<double, kTableSize> up{};
  std::array<double, kTableSize> down{};

  Tables() {
    for (int n = 0; n < kTableSize; ++n) {
      const double hz = 440.0 * std::pow(2.0, (n - 69) / 12.0);
      up[n] = (n >= 124 && n <= 127) ? roundTo(hz, 1e2) : roundTo(hz, 1e3);
      down[n] = roundTo(kLowestHz * std::pow(2.0, -n / 12.0), 1e10);
    }
  }
};

// Built once, on first use, under the language's thread-safe static init.
const Tables& tables() {
  static const Tables t;
  return t;
}

} // namespace

double upTable(int n) {
  return tables().up[n];
}
double downTable(int n) {
  return tables().down[n];
}

double convert2Hz(int index) {
  constexpr double kStep = 1.0 / kUnitsPerSemitone;
  if (index == 0) return kLowestHz;
  if (index > kHighestIndex) return kHighestHz;
  if (index < -kHighestIndex) return kBottomHz;
  const Tables& t = tables();
  if (index > 0) {
    const int n = index / kUnitsPerSemitone;
    const int k = index % kUnitsPerSemitone;
    return t.up[n] + (t.up[n + 1] - t.up[n]) * k * kStep;
  }
  const int m = -index;
  const int n = (m / kUnitsPerSemitone) % 256;
  const int k = m % kUnitsPerSemitone;
  return t.down[n] + (t.down[n + 1] - t.down[n]) * k * kStep;
}

} // namespace pitch
