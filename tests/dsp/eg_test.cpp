#include "dsp/eg.h"

#include "support/allocation_counter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

enum class Segment { Attack, Decay, Release };

// Seconds the segment takes to cover 9/10 of its way: the full rise for
// attack, the full fall for release, and for decay (sustain 0) down to 0.1.
double measureSeconds(double rate, Segment segment, double setting) {
  EG eg;
  eg.setSampleRate(rate);
  eg.setAttack(segment == Segment::Attack ? setting : 0.0);
  eg.setDecay(segment == Segment::Decay ? setting : 0.0);
  eg.setSustain(segment == Segment::Release ? 1.0 : 0.0);
  eg.setRelease(setting);
  eg.start();
  long steps = 0;
  while (eg.state() == EG::kAttack) {
    eg.update();
    ++steps;
  }
  if (segment == Segment::Attack) return steps / rate;
  steps = 0;
  if (segment == Segment::Decay) {
    while (eg.value() > 0.1) {
      eg.update();
      ++steps;
    }
  } else {
    eg.stop();
    while (eg.isOn()) {
      eg.update();
      ++steps;
    }
  }
  return steps / rate;
}

TEST(EgTimes, SegmentsFollowTheTimeLawAtAnyUpdateRate) {
  struct Case {
    double rate;
    Segment segment;
    double setting;
    double seconds;
  };
  const Case cases[] = {
      {44100.0, Segment::Attack, 0.0, 0.00501}, // attack 0 has its own law
      {44100.0, Segment::Attack, 0.5, 1.870},
      {44100.0, Segment::Attack, 1.0, 19.55},
      {44100.0, Segment::Decay, 0.0, 0.00494},
      {44100.0, Segment::Decay, 0.5, 1.870},
      {44100.0, Segment::Decay, 1.0, 19.55},
      {44100.0, Segment::Release, 0.0, 0.00494},
      {44100.0, Segment::Release, 0.5, 1.870},
      {44100.0, Segment::Release, 1.0, 19.55},
      {96000.0, Segment::Release, 0.3, 0.183},
      // Control rate: stepped once per millisecond.
      {1000.0, Segment::Attack, 0.5, 1.870},
      {1000.0, Segment::Decay, 0.7, 10.7},
      {1000.0, Segment::Release, 1.0, 19.55},
  };
  for (const auto& c : cases) {
    const double got = measureSeconds(c.rate, c.segment, c.setting);
    // One step of slack for the discrete steps, plus the rounding of the
    // reference values.
    EXPECT_NEAR(got, c.seconds, c.seconds * 0.007 + 1.0 / c.rate)
        << "rate " << c.rate << " segment " << static_cast<int>(c.segment) << " x " << c.setting;
  }
}

TEST(EgTimes, AttackZeroExceptionAppliesOnlyAtStart) {
  // Started with attack 0: about 5.01 ms. Switched to 0 inside the attack:
  // the main law, about 4.94 ms.
  EG started;
  started.setSampleRate(44100.0);
  started.setAttack(0.0);
  started.start();
  EG switched;
  switched.setSampleRate(44100.0);
  switched.setAttack(0.5);
  switched.start();
  switched.setAttack(0.0);
  int startedSteps = 0;
  int switchedSteps = 0;
  while (started.state() == EG::kAttack) started.update(), ++startedSteps;
  while (switched.state() == EG::kAttack) switched.update(), ++switchedSteps;
  EXPECT_NEAR(startedSteps / 44.1, 5.01, 5.01 * 0.006);
  EXPECT_NEAR(switchedSteps / 44.1, 4.94, 4.94 * 0.006);
  EXPECT_GT(startedSteps, switchedSteps);
}

TEST(EgStates, RunsAttackDecaySustainReleaseOff) {
  EG eg;
  eg.setSampleRate(1000.0);
  eg.setAttack(0.1);
  eg.setDecay(0.1);
  eg.setSustain(0.5);
  eg.setRelease(0.1);
  EXPECT_FALSE(eg.isOn());
  eg.start();
  EXPECT_EQ(eg.state(), EG::kAttack);
  double previous = eg.value();
  while (eg.state() == EG::kAttack) {
    eg.update();
    EXPECT_GT(eg.value(), previous);
    previous = eg.value();
  }
  EXPECT_EQ(eg.state(), EG::kDecay);
  EXPECT_EQ(eg.value(), 1.0);
  for (int i = 0; i < 2000; ++i) eg.update();
  EXPECT_EQ(eg.state(), EG::kDecay);
  EXPECT_NEAR(eg.value(), 0.5, 1e-6);
  EXPECT_GT(eg.value(), 0.5); // approaches sustain from above, never crosses
  eg.stop();
  EXPECT_EQ(eg.state(), EG::kRelease);
  while (eg.isOn()) eg.update();
  EXPECT_EQ(eg.value(), 0.0);
  EXPECT_EQ(eg.state(), EG::kOff);
  eg.update();
  EXPECT_EQ(eg.value(), 0.0);
}

TEST(EgStates, SustainZeroStaysOnUntilStopped) {
  EG eg;
  eg.setSampleRate(1000.0);
  eg.setSustain(0.0);
  eg.start();
  for (int i = 0; i < 100000; ++i) eg.update();
  EXPECT_TRUE(eg.isOn());
  EXPECT_EQ(eg.state(), EG::kDecay);
  EXPECT_LT(eg.value(), 1e-9);
}

TEST(EgStates, StopAtZeroGoesOffWithoutRelease) {
  EG eg;
  eg.setSampleRate(44100.0);
  eg.setRelease(1.0);
  eg.start();
  eg.stop(); // value still 0: nothing to release
  EXPECT_EQ(eg.state(), EG::kOff);
  EXPECT_EQ(eg.value(), 0.0);
}

TEST(EgStates, RestartsAndStopsFromTheCurrentValue) {
  EG eg;
  eg.setSampleRate(1000.0);
  eg.setAttack(0.3);
  eg.setRelease(0.3);
  eg.start();
  for (int i = 0; i < 50; ++i) eg.update();
  const double mid = eg.value();
  ASSERT_GT(mid, 0.1);
  ASSERT_LT(mid, 0.9);
  eg.stop(); // release from inside the attack
  EXPECT_EQ(eg.state(), EG::kRelease);
  eg.update();
  EXPECT_LT(eg.value(), mid);
  const double released = eg.value();
  eg.start(); // re-attack from where the release is
  EXPECT_EQ(eg.state(), EG::kAttack);
  EXPECT_EQ(eg.value(), released);
  eg.update();
  EXPECT_GT(eg.value(), released);
}

TEST(EgSettings, TakeEffectOnlyInTheirOwnSegment) {
  EG eg;
  eg.setSampleRate(1000.0);
  eg.setAttack(0.2);
  eg.setDecay(0.2);
  eg.setSustain(0.6);
  eg.start();
  EG reference = eg;
  eg.setDecay(1.0);   // inside the attack: no effect yet
  eg.setSustain(0.1); // likewise
  eg.setRelease(1.0);
  reference.setSustain(0.1);
  reference.setDecay(1.0);
  for (int i = 0; i < 20; ++i) eg.update(), reference.update();
  EXPECT_EQ(eg.value(), reference.value());

  // In the decay, a new sustain retargets at once and a new decay time
  // applies from the next step.
  while (eg.state() == EG::kAttack) eg.update();
  eg.setSustain(0.9);
  eg.setDecay(0.0);
  for (int i = 0; i < 100; ++i) eg.update();
  EXPECT_NEAR(eg.value(), 0.9, 1e-6);

  eg.stop();
  eg.setRelease(0.0); // fast release now
  int steps = 0;
  while (eg.isOn()) eg.update(), ++steps;
  EXPECT_LT(steps, 10);
}

TEST(EgSettings, SetSampleRateResetsButKeepsSettings) {
  EG eg;
  eg.setSampleRate(1000.0);
  eg.setAttack(0.5);
  eg.start();
  for (int i = 0; i < 100; ++i) eg.update();
  ASSERT_GT(eg.value(), 0.0);
  ASSERT_TRUE(eg.setSampleRate(44100.0));
  EXPECT_FALSE(eg.isOn());
  EXPECT_EQ(eg.value(), 0.0);
  // The kept attack of 0.5 still takes about 1.87 s at the new rate.
  eg.start();
  long steps = 0;
  while (eg.state() == EG::kAttack) eg.update(), ++steps;
  EXPECT_NEAR(steps / 44100.0, 1.870, 0.02);
}

TEST(EgSettings, BadInputIsRefusedOrNeutralised) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EG eg;
  eg.setSampleRate(1000.0);
  eg.start();
  eg.update();
  const double v = eg.value();
  for (double rate : {0.0, -1.0, nan, std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(eg.setSampleRate(rate));
    EXPECT_EQ(eg.state(), EG::kAttack);
    EXPECT_EQ(eg.value(), v);
  }
  // A NaN or out-of-range setting must not poison the envelope for good.
  eg.setAttack(nan);
  eg.setDecay(-3.0);
  eg.setSustain(nan);
  eg.setRelease(7.0);
  for (int i = 0; i < 1000; ++i) eg.update();
  EXPECT_TRUE(std::isfinite(eg.value()));
  EXPECT_GE(eg.value(), 0.0);
  EXPECT_LE(eg.value(), 1.0);
  eg.stop();
  for (int i = 0; i < 100000 && eg.isOn(); ++i) eg.update();
  EXPECT_FALSE(eg.isOn());
}

TEST(EgRealTime, SteppingAndSettingDoNotAllocate) {
  EG eg;
  eg.setSampleRate(44100.0);
  test_support::AllocationScope scope;
  eg.setAttack(0.1);
  eg.setDecay(0.2);
  eg.setSustain(0.5);
  eg.setRelease(0.3);
  eg.start();
  for (int i = 0; i < 10000; ++i) eg.update();
  eg.stop();
  for (int i = 0; i < 10000; ++i) eg.update();
  EXPECT_EQ(scope.allocations(), 0u);
}

} // namespace
