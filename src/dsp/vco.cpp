#include "dsp/vco.h"

#include "dsp/pitch.h"
#include "dsp/rate_tables.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr double kPhaseUnits = 268435456.0; // 2^28, one period
constexpr int kLastTable = saw_tables::kCount - 1;
constexpr double kInvSqrt2 = 0.7071067811865476;

// Pulse offset for a width c; widths outside 0..1 (or NaN) give no pulse.
uint32_t offsetForWidth(double c) {
  if (!(c >= 0.0 && c <= 1.0)) return 0;
  return static_cast<uint32_t>(c * VCO::kHalfPeriod);
}

} // namespace

VcoIncrements::VcoIncrements(double sampleRate) {
  for (int i = 0; i < kSize; ++i) {
    // Below about 2.5 kHz the top frequencies would not fit an int32.
    const double step = pitch::convert2Hz(i) * kPhaseUnits / sampleRate;
    inc[i] = static_cast<int32_t>(std::min(step, static_cast<double>(INT32_MAX)));
  }
}

VCO::VCO()
    : table16_(saw_tables::kData[0]), table8_(saw_tables::kData[0]), table4_(saw_tables::kData[0]) {
}

bool VCO::setSampleRate(double rate) {
  if (!(rate > 0.0 && std::isfinite(rate))) return false;
  if (rate != sampleRate_ || !increments_) {
    increments_ = &RateTables<VcoIncrements>::forRate(rate);
    sampleRate_ = rate;
  }
  update(lastPitch_);
  return true;
}

int VCO::tableFor(uint32_t phaseInc, int shift) {
  // Below two table samples per output sample every partial fits.
  if (phaseInc < (2u << shift)) return 0;
  // The repeated multiplication, with its rounding, is the stored rule:
  // x = 2 takes three steps (1.414.., 1.0000000000000002, 0.707..) and so
  // selects table 3.
  double x = static_cast<double>(phaseInc >> shift);
  int count = 0;
  do {
    x *= kInvSqrt2;
    ++count;
  } while (x > 1.0 && count < kLastTable);
  return count;
}

void VCO::update(int pitch) {
  lastPitch_ = pitch;
  const long long p = static_cast<long long>(pitch) + pitchOffset_ - kOctave;
  const auto index = static_cast<int>(std::clamp<long long>(p, 0, kPitchRange));
  const uint32_t inc = increments_ ? static_cast<uint32_t>(increments_->inc[index]) : 0;
  phaseInc_ = inc;

  if (pwmEnabled_ && pwmSource_) {
    const double m = *pwmSource_;
    pulseOffset_ = offsetForWidth((1.0 - m) * pulseWidth_ + m);
  } else {
    pulseOffset_ = offsetForWidth(pulseWidth_);
  }

  table16_ = saw_tables::kData[tableFor(inc, kShift16)];
  table8_ = saw_tables::kData[tableFor(inc, kShift8)];
  table4_ = saw_tables::kData[tableFor(inc, kShift4)];
}
