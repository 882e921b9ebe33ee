#include "dsp/phase_lfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(PhaseLFO, FirstUpdateShowsTheStartingPhases) {
  PhaseLFO lfo;
  lfo.setSpeed(3.0);
  lfo.update();
  EXPECT_EQ(lfo.bipolar(), -1.0);
  EXPECT_EQ(lfo.unipolar1(), 0.0);
  EXPECT_EQ(lfo.unipolar2(), 0.6666666666666666);
  EXPECT_EQ(lfo.unipolar3(), 1.3333333333333333); // not wrapped yet
  lfo.update();
  // phase1 = 0.006: phase3 wrapped to 4/3 + 0.006 - 2.
  EXPECT_NEAR(lfo.unipolar1(), 0.006, 1e-15);
  EXPECT_NEAR(lfo.unipolar2(), 0.6726666666666666, 1e-15);
  EXPECT_NEAR(lfo.unipolar3(), 0.6606666666666667, 1e-15);
}

TEST(PhaseLFO, OneHertzReturnsAfterAThousandUpdates) {
  PhaseLFO lfo;
  lfo.setSpeed(1.0);
  lfo.update();
  lfo.update();
  const double u1 = lfo.unipolar1(), u2 = lfo.unipolar2(), u3 = lfo.unipolar3();
  for (int n = 0; n < 1000; ++n) lfo.update();
  EXPECT_NEAR(lfo.unipolar1(), u1, 1e-9);
  EXPECT_NEAR(lfo.unipolar2(), u2, 1e-9);
  EXPECT_NEAR(lfo.unipolar3(), u3, 1e-9);
}

TEST(PhaseLFO, OutputsStayInRangeAtTheSetFrequency) {
  for (double hz : {0.01, 0.28, 6.26, 24.999}) {
    PhaseLFO lfo;
    lfo.setSpeed(hz);
    lfo.update();
    int minima = 0;
    double previous = lfo.bipolar();
    bool falling = true;
    for (int n = 0; n < 20000; ++n) {
      lfo.update();
      const double b = lfo.bipolar();
      ASSERT_GE(b, -1.0);
      ASSERT_LE(b, 1.0);
      for (double u : {lfo.unipolar1(), lfo.unipolar2(), lfo.unipolar3()}) {
        ASSERT_GE(u, 0.0);
        ASSERT_LE(u, 1.0);
      }
      if (b > previous && falling) ++minima;
      falling = b < previous;
      previous = b;
    }
    // 20 s of updates: one minimum of the bipolar triangle per period.
    EXPECT_NEAR(minima, hz * 20.0, 1.0) << hz;
  }
}

TEST(PhaseLFO, UnipolarOutputsAreAThirdOfAPeriodApart) {
  constexpr int kPeriod = 300; // updates
  PhaseLFO lfo;
  lfo.setSpeed(1000.0 / kPeriod);
  lfo.update(); // the first update shows phase3 unwrapped
  std::vector<double> u1, u2, u3;
  for (int n = 0; n < 3 * kPeriod; ++n) {
    lfo.update();
    u1.push_back(lfo.unipolar1());
    u2.push_back(lfo.unipolar2());
    u3.push_back(lfo.unipolar3());
  }
  for (int n = 0; n < kPeriod; ++n) {
    ASSERT_NEAR(u2[n], u1[n + kPeriod / 3], 1e-9) << n;
    ASSERT_NEAR(u3[n], u1[n + 2 * kPeriod / 3], 1e-9) << n;
  }
  EXPECT_EQ(lfo.bipolar(), 2.0 * u1.back() - 1.0);
}

TEST(PhaseLFO, SpeedZeroFreezesAndSpeedChangesKeepThePhase) {
  PhaseLFO lfo;
  lfo.setSpeed(5.0);
  for (int n = 0; n < 37; ++n) lfo.update();
  lfo.setSpeed(0.0);
  lfo.update();
  const double b = lfo.bipolar(), u2 = lfo.unipolar2();
  for (int n = 0; n < 100; ++n) lfo.update();
  EXPECT_EQ(lfo.bipolar(), b);
  EXPECT_EQ(lfo.unipolar2(), u2);
  lfo.setSpeed(1.0);
  lfo.update();
  EXPECT_EQ(lfo.bipolar(), b);
}

TEST(PhaseLFO, UnipolarOutputIsReadableThroughAStableAddress) {
  PhaseLFO lfo;
  lfo.setSpeed(10.0);
  const double* source = &lfo.unipolar1();
  for (int n = 0; n < 30; ++n) lfo.update();
  EXPECT_EQ(*source, lfo.unipolar1());
  EXPECT_GT(*source, 0.0);
}

} // namespace
