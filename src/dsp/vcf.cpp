#include "dsp/vcf.h"

#include "dsp/sanitise.h"

#include "dsp/pitch.h"
#include "dsp/rate_tables.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Feedback at full resonance falls in a straight line from 4.1 at 500 Hz to
// 4.005 at 2000 Hz, keeping self-oscillation even across the range.
constexpr double kLowResoScale = 4.1;
constexpr double kHighResoScale = 4.005;
constexpr double kResoBendLowHz = 500.0;
constexpr double kResoBendHighHz = 2000.0;
constexpr double kResoSlope = kHighResoScale - kLowResoScale; // per 1500 Hz

// Rational stand-in for 5 tanh(v / 5); the two branches meet at |0.2 v| = 3.
double saturate(double v) {
  const double r = 0.2 * v;
  if (r < -3.0) return -5.0;
  if (r > 3.0) return 5.0;
  const double r2 = r * r;
  return (r2 + 27.0) * (5.0 * r) / (9.0 * r2 + 27.0);
}

} // namespace

VCFTables::VCFTables(double rate) : sampleRate(rate), freq2rad(kSize), resoScaler(kSize) {
  for (int i = 0; i < kSize; ++i) {
    const double hz = pitch::convert2Hz(i);
    freq2rad[i] = hz * kTwoPi / rate;
    if (hz < kResoBendLowHz)
      resoScaler[i] = kLowResoScale;
    else if (hz > kResoBendHighHz)
      resoScaler[i] = kHighResoScale;
    else
      resoScaler[i] =
          kLowResoScale + (hz - kResoBendLowHz) * kResoSlope / (kResoBendHighHz - kResoBendLowHz);
  }
}

VCF::VCF() : tables_(&RateTables<VCFTables>::forRate(kDefaultSampleRate)) {
  setSampleRate(kDefaultSampleRate);
}

void VCF::setSampleRate(double rate) {
  if (rate != sampleRate_ || !tables_) {
    sampleRate_ = rate;
    tables_ = &RateTables<VCFTables>::forRate(rate);
  }
  cutoffCurrent_ = 0;
  coefficientsStale_ = true;
  // Not all zero: the filter starts with a short transient, as it always has.
  s1_ = 0.0;
  s2_ = 1.0;
  s3_ = 0.0;
  s4_ = -1.0;
}

void VCF::setCutoff(int cutoff, bool glide) {
  cutoffTarget_ = cutoff;
  glideStep_ = 0;
  if (glide) {
    if (cutoffCurrent_ < cutoff)
      glideStep_ = 1;
    else if (cutoffCurrent_ > cutoff)
      glideStep_ = -1;
  } else {
    cutoffCurrent_ = cutoff;
  }
}

void VCF::setResonance(double value) {
  resonance_ = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
  coefficientsStale_ = true;
}

double VCF::process(double input, int modulation) {
  if (cutoffCurrent_ != cutoffTarget_) {
    // No step (a reset put the cutoff at 0 after a jump) means jump, in both
    // directions; otherwise a cutoff below its target would never move.
    cutoffCurrent_ += glideStep_;
    if (glideStep_ == 0 || (glideStep_ > 0 && cutoffCurrent_ > cutoffTarget_) ||
        (glideStep_ < 0 && cutoffCurrent_ < cutoffTarget_))
      cutoffCurrent_ = cutoffTarget_;
  }

  const int total = cutoffCurrent_ + modulation;
  if (total != cutoffCached_ || coefficientsStale_) {
    cutoffCached_ = total;
    coefficientsStale_ = false;
    ++coefficientUpdates_;
    const int i = std::clamp(total, 0, VCFTables::kHighestIndex);
    const double w = tables_->freq2rad[i];
    feedback_ = tables_->resoScaler[i] * resonance_;
    const double spread = 2.0 * std::abs(resonance_ - 0.5);
    outputGain_ = 2.0 - spread * spread;
    const double h = 1.0 / (w + 2.0);
    pole_ = (w - 2.0) * h;
    g_ = h * w;
    g4_ = (g_ * g_) * (g_ * g_);
    norm_ = 1.0 / (g4_ * feedback_ + 1.0);
  }

  const double G = g_;
  const double pole = pole_;
  const double dither = dither_;
  const double x = dsp::sanitise(input, dither);
  double s1 = dsp::sanitise(s1_, dither);
  double s2 = dsp::sanitise(s2_, dither);
  double s3 = dsp::sanitise(s3_, dither);
  double s4 = dsp::sanitise(s4_, dither);
  dither_ = -dither;

  const double y = (g4_ * x + ((s1 * G + s2) * G + s3) * G + s4) * norm_;
  const double fb = saturate(y);

  const double v = (x - feedback_ * fb) * G;
  const double a1 = s1 + v;
  s1 = v - pole * a1;
  const double a2 = s2 + G * a1;
  s2 = G * a1 - pole * a2;
  const double a3 = s3 + G * a2;
  s3 = G * a2 - pole * a3;
  const double a4 = s4 + G * a3;
  s4 = G * a3 - pole * a4;

  s1_ = s1;
  s2_ = s2;
  s3_ = s3;
  s4_ = s4;
  return y * outputGain_;
}
