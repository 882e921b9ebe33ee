#include "dsp/shelf_eq.h"

#include "dsp/sanitise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kSqrt2 = 1.4142135623730951;
// Keeps tan() finite and positive when the corner is at or past Nyquist.
constexpr double kHighestCornerPerRate = 0.49;

} // namespace

void ShelfEQ::setSampleRate(double rate) {
  sampleRate_ = rate;
  calcCoeff();
}

void ShelfEQ::setFrequency(double hz) {
  frequency_ = hz;
  calcCoeff();
}

void ShelfEQ::setGain(double dB) {
  gain_ = dB;
  calcCoeff();
}

void ShelfEQ::calcCoeff() {
  if (!(gain_ > 0.0) && !(gain_ < 0.0)) { // 0 dB or not a number
    b0_ = 1.0;
    b1_ = b2_ = a1_ = a2_ = 0.0;
    return;
  }
  double V = std::pow(10.0, gain_ / 20.0);
  if (V < 1.0) V = 1.0 / V;
  const double corner = std::min(frequency_, kHighestCornerPerRate * sampleRate_);
  const double K = std::tan(corner * kPi / sampleRate_);
  const double K2 = K * K;
  const double r = kSqrt2;
  const double sqrtV = std::sqrt(V);
  const double root2V = sqrtV * kSqrt2; // sqrt(2V)
  const bool boost = gain_ > 0.0;

  if (lowShelf_) {
    if (boost) {
      const double D = 1.0 + r * K + K2;
      b0_ = (1.0 + root2V * K + V * K2) / D;
      b1_ = 2.0 * (V * K2 - 1.0) / D;
      b2_ = (1.0 - root2V * K + V * K2) / D;
      a1_ = 2.0 * (K2 - 1.0) / D;
      a2_ = (1.0 - r * K + K2) / D;
    } else {
      const double E = 1.0 + root2V * K + V * K2;
      b0_ = (1.0 + r * K + K2) / E;
      b1_ = 2.0 * (K2 - 1.0) / E;
      b2_ = (1.0 - r * K + K2) / E;
      a1_ = 2.0 * (V * K2 - 1.0) / E;
      a2_ = (1.0 - root2V * K + V * K2) / E;
    }
  } else {
    if (boost) {
      const double D = 1.0 + r * K + K2;
      b0_ = (V + root2V * K + K2) / D;
      b1_ = 2.0 * (K2 - V) / D;
      b2_ = (V - root2V * K + K2) / D;
      a1_ = 2.0 * (K2 - 1.0) / D;
      a2_ = (1.0 - r * K + K2) / D;
    } else {
      const double E = V + root2V * K + K2;
      const double root2OverV = kSqrt2 / sqrtV; // sqrt(2 / V)
      const double F = 1.0 + root2OverV * K + K2 / V;
      b0_ = (1.0 + r * K + K2) / E;
      b1_ = 2.0 * (K2 - 1.0) / E;
      b2_ = (1.0 - r * K + K2) / E;
      a1_ = 2.0 * (K2 / V - 1.0) / F;
      a2_ = (1.0 - root2OverV * K + K2 / V) / F;
    }
  }
}

double ShelfEQ::process(double x) {
  const double dither = dither_;
  x = dsp::sanitise(x, dither);
  const double x1 = dsp::sanitise(x1_, dither);
  const double x2 = dsp::sanitise(x2_, dither);
  const double y1 = dsp::sanitise(y1_, dither);
  const double y2 = dsp::sanitise(y2_, dither);
  dither_ = -dither;

  double y = b0_ * x + b1_ * x1 + b2_ * x2 - a1_ * y1 - a2_ * y2;
  if (!std::isfinite(y)) y = 0.0;

  x2_ = x1;
  x1_ = x;
  y2_ = y1;
  y1_ = y;
  return y;
}
