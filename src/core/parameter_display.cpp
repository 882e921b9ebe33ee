#include "core/parameter_display.h"

#include "dsp/pitch.h"

#include <cmath>

namespace {
constexpr int kDBLimit = 8;
constexpr int kFrequencyLimit = 16;
constexpr int kFreqModLimit = 8;
constexpr int kPanLimit = 8;
constexpr double kCutoffScale = 17281.0;
constexpr double kUnitsPerOctave = 1536.0;
} // namespace

void setDisplayTextForDB(double value, qm::BoundedString& out) {
  if (value <= 0.0)
    out.Set("-oo", kDBLimit);
  else
    out.SetFormatted(kDBLimit, "%.1f", 20.0 * std::log10(value));
}

void setDisplayTextForFrequency(double value, qm::BoundedString& out) {
  const int index = static_cast<int>(std::floor(value * kCutoffScale + 0.5));
  out.SetFormatted(kFrequencyLimit, "%d", static_cast<int>(pitch::convert2Hz(index)));
}

void setDisplayTextForFreqMod(double value, qm::BoundedString& out) {
  out.SetFormatted(kFreqModLimit, "%.2f", value / kUnitsPerOctave);
}

void setDisplayTextForPan(double value, qm::BoundedString& out) {
  out.SetFormatted(kPanLimit, "%.0f:%.0f", 100.0 - 100.0 * value, 100.0 * value);
}
