#include "dsp/mod_delay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr int kControlBlock = 44; // at 44.1 kHz

ModDelay makeVibrato(double intensity, double manual = 0.5) {
  ModDelay d;
  d.init(44100.0, 0.002);
  d.setLPFreq(8000.0);
  d.setManual(manual);
  d.setIntensity(intensity);
  d.update();
  return d;
}

// Samples until a unit step at the input crosses one half at the output.
double stepDelay(ModDelay& d) {
  double previous = 0.0;
  for (int n = 0; n < 1000; ++n) {
    double s = 1.0;
    d.processVibrato(&s);
    if (s >= 0.5) return n - 1 + (0.5 - previous) / (s - previous);
    previous = s;
  }
  return -1.0;
}

TEST(ModDelay, ManualSetsAFixedPeriodAndDelayAtIntensityZero) {
  struct Case {
    double manual;
    double period;
  };
  const Case cases[] = {{0.0, 0.125}, {0.5, 0.5625}, {1.0, 1.0}};
  for (const auto& c : cases) {
    ModDelay d = makeVibrato(0.0, c.manual);
    d.setSpeed(5.0);
    for (int n = 0; n < 50; ++n) {
      d.update();
      ASSERT_EQ(d.periodL(), c.period) << c.manual;
    }
    // 88 slots at the period, plus a few samples of smoothing and
    // interpolation latency.
    const double measured = stepDelay(d);
    EXPECT_GE(measured, d.length() * c.period) << c.manual;
    EXPECT_LE(measured, d.length() * c.period + 6.0) << c.manual;
  }
}

TEST(ModDelay, FullIntensitySweepsThePeriodExponentially) {
  ModDelay d = makeVibrato(1.0, 0.0);
  d.setSpeed(2.0);
  double lowest = 2.0, highest = 0.0;
  for (int n = 0; n < 2000; ++n) {
    d.update();
    lowest = std::min(lowest, d.periodL());
    highest = std::max(highest, d.periodL());
  }
  EXPECT_NEAR(lowest, 0.125, 1e-3);
  EXPECT_NEAR(highest, 1.0, 1e-3);
}

TEST(ModDelay, SettingsOutOfRangeKeepThePeriodUsable) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double manual;
    double intensity;
  };
  const Case cases[] = {{-1.0, 0.0}, {5.0, 0.0}, {0.0, -3.0}, {nan, 0.0}, {0.5, nan}};
  for (const auto& c : cases) {
    ModDelay d = makeVibrato(c.intensity, c.manual);
    EXPECT_GE(d.periodL(), ModDelay::kShortestPeriod);
    EXPECT_LE(d.periodL(), ModDelay::kLongestPeriod);
    double s = 0.5;
    for (int n = 0; n < 500; ++n) d.processVibrato(&s); // would hang on a period <= 0
    EXPECT_TRUE(std::isfinite(s));
  }
}

TEST(ModDelay, CatmullRomIsExactOnARampAndHitsItsKnots) {
  const double ramp[4] = {1.0, 3.0, 5.0, 7.0};
  for (double t = 0.0; t <= 1.0; t += 0.125)
    EXPECT_DOUBLE_EQ(ModDelay::cubic(ramp, t), 3.0 + 2 * t);
  const double bumpy[4] = {0.3, -1.0, 2.5, 0.1};
  EXPECT_DOUBLE_EQ(ModDelay::cubic(bumpy, 0.0), -1.0);
  EXPECT_DOUBLE_EQ(ModDelay::cubic(bumpy, 1.0), 2.5);
  // Slope at the knots is half the span of the neighbours.
  const double e = 1e-6;
  EXPECT_NEAR((ModDelay::cubic(bumpy, e) - ModDelay::cubic(bumpy, 0.0)) / e, (2.5 - 0.3) / 2, 1e-4);
}

TEST(ModDelay, FeedbackRecirculatesAndIsClipped) {
  struct Case {
    double feedback;
    double dcGain;
  };
  // Constant 1 in: the line settles at 1 + feedback * clip(line), and the
  // clip at 3 stops full feedback at 1 + 3.
  const Case cases[] = {{0.0, 1.0}, {0.5, 2.0}, {0.75, 3.25}, {1.0, 4.0}};
  for (const auto& c : cases) {
    for (bool stereo : {false, true}) {
      ModDelay d;
      d.init(44100.0, 0.004);
      d.setLPFreq(8000.0);
      d.setManual(1.0);
      d.setFeedback(c.feedback);
      d.setStereo(stereo);
      Stereo pair;
      for (int n = 0; n < 44100; ++n) {
        if (n % kControlBlock == 0) d.update();
        pair = {1.0, 1.0};
        d.processFlanger(&pair);
      }
      EXPECT_NEAR(pair.left, c.dcGain, 1e-6) << c.feedback << " stereo " << stereo;
      EXPECT_NEAR(pair.right, c.dcGain, 1e-6) << c.feedback << " stereo " << stereo;
    }
  }
}

TEST(ModDelay, VibratoHasNoFeedback) {
  ModDelay d = makeVibrato(0.0, 1.0);
  d.setFeedback(1.0);
  double s = 0.0;
  for (int n = 0; n < 5000; ++n) {
    s = 0.7;
    d.processVibrato(&s);
  }
  EXPECT_NEAR(s, 0.7, 1e-9);
}

TEST(ModDelay, MonoClockDrivesBothChannelsAndStereoSeparatesThem) {
  ModDelay d;
  d.init(44100.0, 0.004);
  d.setLPFreq(8000.0);
  d.setSpeed(3.0);
  d.setIntensity(1.0);
  d.setStereo(true);
  auto input = [](int n) { return std::sin(n * 0.05); };
  double spread = 0.0;
  for (int n = 0; n < 20000; ++n) {
    if (n % kControlBlock == 0) d.update();
    Stereo pair{input(n), input(n)};
    d.processFlanger(&pair);
    spread = std::max(spread, std::abs(pair.left - pair.right));
  }
  EXPECT_GT(spread, 0.05);
  EXPECT_NE(d.periodL(), d.periodR());

  d.setStereo(false);
  for (int n = 20000; n < 24000; ++n) {
    if (n % kControlBlock == 0) d.update();
    Stereo pair{input(n), input(n)};
    d.processFlanger(&pair);
    if (n > 22000) {
      ASSERT_NEAR(pair.left, pair.right, 1e-9) << n;
    }
  }
}

TEST(ModDelay, ZeroLengthPassesThrough) {
  ModDelay d;
  d.init(200.0, 0.004);
  d.setLPFreq(80.0);
  EXPECT_EQ(d.length(), 0);
  Stereo pair{0.3, -0.2};
  d.processFlanger(&pair);
  double s = 0.9;
  d.processVibrato(&s);
  EXPECT_EQ(pair.left, 0.3);
  EXPECT_EQ(pair.right, -0.2);
  EXPECT_EQ(s, 0.9);
}

TEST(ModDelay, LineLengthIsTheTruncatedDuration) {
  struct Case {
    double rate;
    double seconds;
    int length;
  };
  const Case cases[] = {{44100.0, 0.004, 176}, {44100.0, 0.002, 88}, {48000.0, 0.004, 192}};
  for (const auto& c : cases) {
    ModDelay d;
    d.init(c.rate, c.seconds);
    EXPECT_EQ(d.length(), c.length) << c.rate << " " << c.seconds;
  }
}

TEST(ModDelay, RecoversFromNaNInput) {
  ModDelay d = makeVibrato(0.5);
  double s = std::numeric_limits<double>::quiet_NaN();
  d.processVibrato(&s);
  for (int n = 0; n < 1000; ++n) {
    s = 0.25;
    d.processVibrato(&s);
    ASSERT_TRUE(std::isfinite(s)) << n;
  }
  EXPECT_NEAR(s, 0.25, 1e-9);
}

} // namespace
