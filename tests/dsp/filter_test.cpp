#include "dsp/filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Steady-state amplitude of a sine through the filter.
double sineGain(Filter& f, double hz, double rate) {
  double peak = 0.0;
  const int settle = static_cast<int>(rate / 10);
  for (int n = 0; n < settle + static_cast<int>(rate / 20); ++n) {
    const double y = f.process(std::sin(kTwoPi * hz * n / rate));
    if (n >= settle) peak = std::max(peak, std::abs(y));
  }
  return peak;
}

double dcGain(Filter& f) {
  double y = 0.0;
  for (int n = 0; n < 20000; ++n) y = f.process(1.0);
  return y;
}

TEST(Filter, SilentAfterSetSampleRateUntilCutoffOrQIsSet) {
  LowPass lp;
  BandPass bp;
  lp.setCutoff(1000.0);
  bp.setCutoff(1000.0);
  for (int n = 0; n < 100; ++n) {
    lp.process(0.7);
    bp.process(0.7);
  }
  lp.setSampleRate(48000.0);
  bp.setSampleRate(48000.0);
  EXPECT_EQ(lp.q(), 0.5);
  for (int n = 0; n < 100; ++n) {
    EXPECT_EQ(lp.process(0.7), 0.0);
    EXPECT_EQ(bp.process(-0.3), 0.0);
  }
  lp.setQ(0.5);
  EXPECT_NE(lp.process(0.7), 0.0);
}

TEST(LowPass, PassesDcStopsNyquistAndPeaksByQAtCutoff) {
  LowPass f;
  f.setSampleRate(44100.0);
  f.setQ(0.5); // q = 0.55
  f.setCutoff(1000.0);
  EXPECT_NEAR(f.q(), 0.55, 1e-15);
  EXPECT_NEAR(dcGain(f), 1.0, 1e-9);
  EXPECT_NEAR(sineGain(f, 1000.0, 44100.0), 0.55, 0.01);
  EXPECT_LT(sineGain(f, 15000.0, 44100.0), 0.01);
}

TEST(BandPass, PassesDcWithAGainSetByTheCentreNotTheQ) {
  // sin(w) / (4 (1 - cos w)) at 600 Hz, 44.1 kHz.
  const double w = kTwoPi * 600.0 / 44100.0;
  const double expected = std::sin(w) / (4.0 * (1.0 - std::cos(w)));
  EXPECT_NEAR(expected, 5.85, 0.01);
  for (double q : {0.0, 0.5, 0.8, 1.0}) {
    BandPass f;
    f.setSampleRate(44100.0);
    f.setQ(q);
    f.setCutoff(600.0);
    EXPECT_NEAR(dcGain(f), expected, 1e-6) << "q setting " << q;
  }
}

TEST(BandPass, NotchesAQuarterOfTheSampleRate) {
  BandPass f;
  f.setSampleRate(48000.0);
  f.setQ(0.8);
  f.setCutoff(2400.0);
  EXPECT_LT(sineGain(f, 12000.0, 48000.0), 1e-6);
  EXPECT_GT(sineGain(f, 2400.0, 48000.0), 1.0);
}

TEST(Filter, CutoffPastNyquistStaysStable) {
  LowPass f;
  f.setSampleRate(22050.0);
  f.setQ(0.5);
  f.setCutoff(12000.0);
  double peak = 0.0;
  unsigned seed = 1;
  for (int n = 0; n < 22050; ++n) {
    seed = seed * 1664525u + 1013904223u;
    peak = std::max(peak, std::abs(f.process(seed / 4294967296.0 - 0.5)));
  }
  EXPECT_LT(peak, 4.0);
}

TEST(Filter, RecoversFromNonFiniteInput) {
  for (double bad :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    LowPass f;
    f.setSampleRate(44100.0);
    f.setQ(0.5);
    f.setCutoff(8000.0);
    f.process(bad);
    double y = 0.0;
    for (int n = 0; n < 2000; ++n) {
      y = f.process(0.25);
      ASSERT_TRUE(std::isfinite(y)) << bad << " at " << n;
    }
    EXPECT_NEAR(y, 0.25, 1e-9) << bad;
  }
}

} // namespace
