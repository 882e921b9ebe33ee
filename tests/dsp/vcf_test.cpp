#include "dsp/vcf.h"

#include "dsp/pitch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Runs a filter settled on its default state through a burst of a 220 Hz
// sine and returns the output.
std::vector<double> render(VCF& f, int samples, int modulation = 0) {
  std::vector<double> out(samples);
  for (int n = 0; n < samples; ++n)
    out[n] = f.process(std::sin(kTwoPi * 220.0 * n / f.sampleRate()), modulation);
  return out;
}

TEST(VCF, GlideMovesOneUnitPerSample) {
  struct Case {
    int from;
    int to;
  };
  const Case cases[] = {{0, 17280}, {17280, 0}, {6000, 6001}, {8000, 7000}};
  for (const auto& c : cases) {
    VCF f;
    f.setCutoff(c.from, false);
    f.setCutoff(c.to, true);
    int samples = 0;
    while (f.cutoffCurrent() != c.to && samples < 20000) {
      f.process(0.0, 0);
      ++samples;
    }
    EXPECT_EQ(samples, std::abs(c.to - c.from)) << c.from << " -> " << c.to;
  }
}

TEST(VCF, CutoffWithoutGlideJumps) {
  VCF f;
  f.setCutoff(12000, false);
  EXPECT_EQ(f.cutoffCurrent(), 12000);
  f.setCutoff(3000, true);
  f.process(0.0, 0);
  EXPECT_EQ(f.cutoffCurrent(), 11999);
  f.endGlide();
  EXPECT_EQ(f.cutoffCurrent(), 3000);
}

TEST(VCF, ResetStartsAtTheBottomAndReturnsToTheTarget) {
  struct Case {
    bool glideBeforeReset;
    int samplesToArrive;
  };
  // A jump before the reset jumps back at once; a running upward glide
  // resumes from the bottom.
  const Case cases[] = {{false, 1}, {true, 9000}};
  for (const auto& c : cases) {
    VCF f;
    f.setCutoff(4000, false);
    f.setCutoff(9000, c.glideBeforeReset);
    f.setSampleRate(48000.0);
    EXPECT_EQ(f.cutoffCurrent(), 0);
    int samples = 0;
    while (f.cutoffCurrent() != 9000 && samples < 20000) {
      f.process(0.0, 0);
      ++samples;
    }
    EXPECT_EQ(samples, c.samplesToArrive) << c.glideBeforeReset;
  }
}

TEST(VCF, CoefficientsRecomputeOnlyOnChange) {
  VCF f;
  f.setCutoff(8000, false);
  f.process(0.1, 0); // first sample after reset always computes
  const auto base = f.coefficientUpdates();

  for (int n = 0; n < 1000; ++n) f.process(0.1, 0);
  EXPECT_EQ(f.coefficientUpdates(), base) << "steady cutoff";

  for (int n = 0; n < 100; ++n) f.process(0.1, n);
  EXPECT_EQ(f.coefficientUpdates(), base + 99) << "moving modulation (first value unchanged)";

  f.setResonance(0.7);
  f.process(0.1, 99);
  EXPECT_EQ(f.coefficientUpdates(), base + 100) << "resonance change";

  f.setCutoff(8099, false);
  f.process(0.1, 0); // same total 8099
  EXPECT_EQ(f.coefficientUpdates(), base + 100) << "same total from another split";
}

TEST(VCF, TotalCutoffIsClampedToTheTables) {
  struct Case {
    int cutoff;
    int modulation;
    int equivalentTotal;
  };
  // -1 right after reset must still compute the coefficients.
  const Case cases[] = {{0, -1, 0}, {0, -5000, 0}, {17000, 1000, 17280}, {100, 30000, 17280}};
  for (const auto& c : cases) {
    VCF clamped, reference;
    clamped.setCutoff(c.cutoff, false);
    reference.setCutoff(c.equivalentTotal, false);
    const auto a = render(clamped, 500, c.modulation);
    const auto b = render(reference, 500, 0);
    for (int n = 0; n < 500; ++n)
      ASSERT_DOUBLE_EQ(a[n], b[n]) << c.cutoff << "+" << c.modulation << " at " << n;
  }
}

TEST(VCF, StartsFromItsInitialStatesAndDecays) {
  VCF f;
  f.setSampleRate(44100.0);
  // States 0, 1, 0, -1 give a first output of G^2 - 1 at the lowest cutoff.
  const double w = 8.176 * kTwoPi / 44100.0;
  const double G = w / (w + 2.0);
  EXPECT_NEAR(f.process(0.0, 0), G * G - 1.0, 1e-9);
  double last = 0.0;
  for (int n = 0; n < 44100 * 2; ++n) last = f.process(0.0, 0);
  EXPECT_LT(std::abs(last), 1e-3);
}

TEST(VCF, RecoversFromNonFiniteInput) {
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()};
  for (double b : bad) {
    VCF f;
    f.setCutoff(9000, false);
    f.setResonance(0.3);
    for (int n = 0; n < 100; ++n) f.process(0.5, 0);
    f.process(b, 0);
    double y = 0.0;
    for (int n = 0; n < 5000; ++n) {
      y = f.process(0.5, 0);
      ASSERT_TRUE(std::isfinite(y)) << b << " at " << n;
    }
    // Back to the DC gain of the ladder: outputGain / (1 + k), k = 4.1 * 0.3
    // below 500 Hz (cutoff 9000 is about 475 Hz).
    EXPECT_NEAR(y, 0.5 * (2.0 - 0.4 * 0.4) / (1.0 + 4.1 * 0.3), 0.005) << b;
  }
}

TEST(VCF, FullResonanceSelfOscillatesWithinTheSaturator) {
  VCF f;
  f.setCutoff(8832, false); // 440 Hz
  f.setResonance(1.0);
  double peak = 0.0, energy = 0.0;
  for (int n = 0; n < 44100; ++n) {
    const double y = f.process(n == 0 ? 1.0 : 0.0, 0);
    if (n > 40000) {
      peak = std::max(peak, std::abs(y));
      energy += y * y;
    }
  }
  EXPECT_GT(energy / 4100.0, 0.01);
  EXPECT_LT(peak, 10.0);
}

TEST(VCF, EachSampleRateKeepsItsOwnTables) {
  VCF a, b;
  a.setSampleRate(44100.0);
  b.setSampleRate(96000.0);
  EXPECT_DOUBLE_EQ(a.tables().freq2rad[8832], 440.0 * kTwoPi / 44100.0);
  EXPECT_DOUBLE_EQ(b.tables().freq2rad[8832], 440.0 * kTwoPi / 96000.0);

  // A filter's sound does not change when another one meets a new rate.
  VCF reference, probe;
  reference.setCutoff(7000, false);
  probe.setCutoff(7000, false);
  const auto expected = render(reference, 2000);
  std::vector<double> got(2000);
  for (int n = 0; n < 2000; ++n) {
    if (n == 1000) {
      VCF other;
      other.setSampleRate(22050.0);
      b.setSampleRate(48000.0);
    }
    got[n] = probe.process(std::sin(kTwoPi * 220.0 * n / 44100.0), 0);
  }
  for (int n = 0; n < 2000; ++n) ASSERT_EQ(got[n], expected[n]) << n;
}

TEST(VCF, SetUpOnTwoThreadsAtOnceGivesEachItsRate) {
  const double rates[] = {32000.0, 88200.0, 176400.0, 192000.0};
  std::vector<VCF> filters(8);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < filters.size(); ++t)
    threads.emplace_back([&, t] { filters[t].setSampleRate(rates[t % 4]); });
  for (auto& t : threads) t.join();
  for (std::size_t t = 0; t < filters.size(); ++t) {
    EXPECT_EQ(filters[t].tables().sampleRate, rates[t % 4]);
    EXPECT_DOUBLE_EQ(filters[t].tables().freq2rad[17280],
                     pitch::convert2Hz(17280) * kTwoPi / rates[t % 4]);
  }
}

TEST(VCFTables, ResonanceScalingBendsBetween500And2000Hz) {
  const VCFTables t(44100.0);
  for (int i = 0; i < VCFTables::kSize; i += 7) {
    const double hz = pitch::convert2Hz(i);
    const double s = t.resoScaler[i];
    if (hz < 500.0)
      EXPECT_EQ(s, 4.1);
    else if (hz > 2000.0)
      EXPECT_EQ(s, 4.005);
    else
      EXPECT_NEAR(s, 4.1 - (hz - 500.0) / 1500.0 * 0.095, 1e-12);
  }
}

} // namespace
