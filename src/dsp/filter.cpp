#include "dsp/filter.h"

#include "dsp/sanitise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kQScale = 0.9;
constexpr double kQOffset = 0.1;
// Past Nyquist the cookbook formulas give poles outside the unit circle (at
// low sample rates the Strings tone filter reaches 12 kHz); stop just short.
constexpr double kHighestCutoffPerRate = 0.49;

} // namespace

void Filter::setSampleRate(double rate) {
  sampleRate_ = rate;
  q_ = kDefaultQ;
  a1_ = a2_ = b0_ = b1_ = 0.0;
  x1_ = x2_ = y1_ = y2_ = 0.0;
}

void Filter::setCutoff(double hz) {
  w_ = std::min(hz, kHighestCutoffPerRate * sampleRate_) * kTwoPi / sampleRate_;
  calcCoeffs();
}

void Filter::setQ(double setting) {
  q_ = setting * kQScale + kQOffset;
  calcCoeffs();
}

double Filter::process(double x) {
  const double dither = dither_;
  x = dsp::sanitise(x, dither);
  const double x1 = dsp::sanitise(x1_, dither);
  const double x2 = dsp::sanitise(x2_, dither);
  const double y1 = dsp::sanitise(y1_, dither);
  const double y2 = dsp::sanitise(y2_, dither);
  dither_ = -dither;

  double y = b1_ * x1 + b0_ * (x + x2) + a1_ * y1 + a2_ * y2;
  if (!std::isfinite(y)) y = 0.0;

  x2_ = x1;
  x1_ = x;
  y2_ = y1;
  y1_ = y;
  return y;
}

void LowPass::calcCoeffs() {
  const double alpha = std::sin(w_) / (2.0 * q_);
  const double n = 1.0 / (1.0 + alpha);
  const double cosW = std::cos(w_);
  a1_ = 2.0 * cosW * n;
  a2_ = (alpha - 1.0) * n;
  b1_ = (1.0 - cosW) * n;
  b0_ = 0.5 * b1_;
}

void BandPass::calcCoeffs() {
  const double alpha = std::sin(w_) / (2.0 * q_);
  const double n = 1.0 / (1.0 + alpha);
  a1_ = 2.0 * std::cos(w_) * n;
  a2_ = (alpha - 1.0) * n;
  // q * alpha = sin(w) / 2 whatever q is: the gain does not follow Q.
  b0_ = q_ * 0.5 * alpha * n;
  b1_ = 0.0;
}
