#include "dsp/ensemble.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kControlBlock = 44; // at 44.1 kHz

void setDefaults(Ensemble& e) {
  e.setLFO1Speed(6.26);
  e.setLFO2Speed(0.28);
  for (int tap = 0; tap < Ensemble::kTaps; ++tap) e.setAmount(tap, 0.015);
}

// Runs n samples of a constant, with the control-rate update every block.
Stereo run(Ensemble& e, double in, int samples) {
  Stereo out;
  for (int n = 0; n < samples; ++n) {
    if (n % kControlBlock == 0) e.update();
    e.process(in, &out);
  }
  return out;
}

TEST(Ensemble, LineLengthFollowsTheRate) {
  struct Case {
    double rate;
    int length;
  };
  const Case cases[] = {{44100.0, 883}, {48000.0, 961}, {96000.0, 1921}};
  for (const auto& c : cases) {
    Ensemble e;
    e.setSampleRate(c.rate);
    EXPECT_EQ(e.length(), c.length) << c.rate;
  }
}

TEST(Ensemble, ConstantInputGainIsTwoMonoAndOnePerStereoSide) {
  struct Case {
    bool stereo;
    double gain;
  };
  for (const Case c : {Case{false, 2.0}, Case{true, 1.0}}) {
    Ensemble e;
    setDefaults(e);
    e.setStereo(c.stereo);
    run(e, 0.4, 2000);
    // Check over a stretch where the taps keep moving.
    for (int n = 0; n < 5000; ++n) {
      const Stereo out = run(e, 0.4, 1);
      ASSERT_NEAR(out.left, 0.4 * c.gain, 1e-12) << c.stereo << " at " << n;
      ASSERT_NEAR(out.right, 0.4 * c.gain, 1e-12) << c.stereo << " at " << n;
    }
  }
}

TEST(Ensemble, ZeroAmountsSitAtOneMillisecond) {
  Ensemble e;
  e.setLFO1Speed(6.26);
  e.setLFO2Speed(0.28);
  run(e, 0.0, 440);
  for (int tap = 0; tap < Ensemble::kTaps; ++tap) EXPECT_NEAR(e.delay(tap), 44.1, 0.2);

  // Mono: 0.5 x dry plus 1.5 x the signal 43.1 samples late.
  Stereo out;
  e.update();
  e.process(1.0, &out);
  EXPECT_NEAR(out.left, 0.5, 1e-12);
  double late43 = 0.0, late44 = 0.0, elsewhere = 0.0;
  for (int n = 1; n < kControlBlock * 2; ++n) {
    if (n % kControlBlock == 0) e.update();
    e.process(0.0, &out);
    if (n == 43)
      late43 = out.left;
    else if (n == 44)
      late44 = out.left;
    else
      elsewhere = std::max(elsewhere, std::abs(out.left));
  }
  EXPECT_NEAR(late43 + late44, 1.5, 1e-9);
  EXPECT_NEAR(late43, 1.5 * 0.9, 0.01);
  EXPECT_LT(elsewhere, 1e-9);
}

TEST(Ensemble, DelaysGlideUpFromZeroAfterARateChange) {
  Ensemble e;
  setDefaults(e);
  run(e, 0.0, 10000);
  e.setSampleRate(48000.0);
  for (int tap = 0; tap < Ensemble::kTaps; ++tap) EXPECT_EQ(e.delay(tap), 0.0);
  e.update();
  Stereo out;
  for (int n = 0; n < 48; ++n) e.process(0.0, &out);
  for (int tap = 0; tap < Ensemble::kTaps; ++tap)
    EXPECT_NEAR(e.delay(tap), 48.0, 0.1) << "amounts were cleared by the rate change";
}

TEST(Ensemble, OversizedAmountsStayInsideTheLine) {
  Ensemble e;
  e.setLFO1Speed(24.0);
  e.setLFO2Speed(24.0);
  for (int tap = 0; tap < Ensemble::kTaps; ++tap) e.setAmount(tap, 1.0);
  run(e, 0.3, 3000);
  for (int n = 0; n < 3000; ++n) {
    const Stereo out = run(e, 0.3, 1);
    ASSERT_NEAR(out.left, 0.6, 1e-12) << n;
  }
  // update withheld: the delays drift but reads stay in the line.
  Stereo out;
  for (int n = 0; n < 100000; ++n) e.process(0.3, &out);
  EXPECT_NEAR(out.left, 0.6, 1e-12);
}

} // namespace
