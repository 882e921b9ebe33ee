#include "dsp/vco.h"

#include "dsp/pitch.h"
#include "support/allocation_counter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

namespace {

constexpr double kPhaseUnits = 268435456.0; // 2^28
constexpr int32_t kHalf = 1 << 27;

int32_t expectedIncrement(int index, double rate) {
  return static_cast<int32_t>(pitch::convert2Hz(index) * kPhaseUnits / rate);
}

TEST(VcoTableChoice, FollowsTheRepeatedMultiplicationRule) {
  struct Case {
    uint32_t inc;
    int shift;
    int table;
  };
  const Case cases[] = {
      {0, VCO::kShift16, 0},
      {0x1FFFF, VCO::kShift16, 0},
      {0x20000, VCO::kShift16, 3},
      {0x2FFFF, VCO::kShift16, 3},
      {0x30000, VCO::kShift16, 4},
      {0x40000, VCO::kShift16, 5},
      {0x80000, VCO::kShift16, 7},
      {0x100000, VCO::kShift16, 9},
      {0x80000000u, VCO::kShift16, 21},
      {0xFFFFFFFFu, VCO::kShift16, 21},
      {0xFFFF, VCO::kShift8, 0},
      {0x10000, VCO::kShift8, 3},
      {0x7FFF, VCO::kShift4, 0},
      {0x8000, VCO::kShift4, 3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(VCO::tableFor(c.inc, c.shift), c.table) << std::hex << c.inc << " >> " << c.shift;
}

TEST(VcoTableChoice, FootagesPickTablesAnOctaveApart) {
  VCO vco;
  ASSERT_TRUE(vco.setSampleRate(44100.0));
  vco.update(8832); // 16' at 220 Hz
  EXPECT_EQ(vco.table16(), VCO::tableFor(vco.phaseInc(), VCO::kShift16));
  EXPECT_EQ(vco.table8(), vco.table16() + 2);
  EXPECT_EQ(vco.table4(), vco.table16() + 4);
  // The top partial of each footage stays below half the sample rate.
  const double hz16 = pitch::convert2Hz(8832 - 1536);
  EXPECT_LT(saw_tables::partials(vco.table16()) * hz16, 22050.0);
  EXPECT_LT(saw_tables::partials(vco.table4()) * hz16 * 4, 22050.0);
}

TEST(VcoIncrements, EachSampleRateKeepsItsOwnTable) {
  VCO a;
  VCO b;
  ASSERT_TRUE(a.setSampleRate(44100.0));
  ASSERT_TRUE(b.setSampleRate(96000.0));
  for (int index : {0, 1, 7296, 12345, 17280}) {
    a.update(index + 1536);
    b.update(index + 1536);
    EXPECT_EQ(a.phaseInc(), expectedIncrement(index, 44100.0)) << index;
    EXPECT_EQ(b.phaseInc(), expectedIncrement(index, 96000.0)) << index;
  }
}

TEST(VcoIncrements, ConcurrentSetUpAtDifferentRatesIsSafe) {
  const double rates[] = {22050.0, 32000.0, 48000.0, 88200.0};
  std::vector<int32_t> got(4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 16; ++i) {
        VCO vco;
        vco.setSampleRate(rates[t]);
        vco.update(8832);
        got[t] = vco.phaseInc();
      }
    });
  for (auto& th : threads) th.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(got[t], expectedIncrement(7296, rates[t])) << rates[t];
}

TEST(VcoPitch, ClampsToTheTableRange) {
  VCO vco;
  ASSERT_TRUE(vco.setSampleRate(48000.0));
  struct Case {
    int pitch;
    int index;
  };
  const Case cases[] = {{-100000, 0}, {0, 0},         {1535, 0},      {1536, 0},
                        {1537, 1},    {18816, 17280}, {18817, 17280}, {1 << 30, 17280}};
  for (const auto& c : cases) {
    vco.update(c.pitch);
    EXPECT_EQ(vco.phaseInc(), expectedIncrement(c.index, 48000.0)) << c.pitch;
  }
  vco.setPitchOffset(-128);
  vco.update(1537 + 128);
  EXPECT_EQ(vco.phaseInc(), expectedIncrement(1, 48000.0));
}

TEST(VcoSetUp, UnusableRateIsRefusedAndChangesNothing) {
  VCO vco;
  ASSERT_TRUE(vco.setSampleRate(44100.0));
  vco.update(8832);
  const int32_t inc = vco.phaseInc();
  for (double rate : {0.0, -44100.0, std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(vco.setSampleRate(rate)) << rate;
    EXPECT_EQ(vco.sampleRate(), 44100.0);
    EXPECT_EQ(vco.phaseInc(), inc);
  }
}

TEST(VcoSetUp, BeforeTheFirstRateItStandsStillAndReadsSafely) {
  VCO vco;
  vco.update(8832);
  EXPECT_EQ(vco.phaseInc(), 0);
  vco.next();
  EXPECT_EQ(vco.phase(), 0);
  EXPECT_EQ(vco.getSaw4(), 0.0);
}

// Counts the periods of a footage over one second: a falling ramp jumps from
// its bottom to its top once per period (the jump may span a few samples).
int periodsPerSecond(VCO& vco, double (VCO::*output)() const) {
  int jumps = 0;
  bool atBottom = false;
  for (int i = 0; i < 44100; ++i, vco.next()) {
    const double v = (vco.*output)();
    if (v < -0.5) atBottom = true;
    if (atBottom && v > 0.5) {
      ++jumps;
      atBottom = false;
    }
  }
  return jumps;
}

TEST(VcoOutputs, SawtoothFootagesSoundOctavesApart) {
  struct Case {
    const char* name;
    double (VCO::*output)() const;
    int periods;
  };
  const Case cases[] = {
      {"16'", &VCO::getSaw16, 220}, {"8'", &VCO::getSaw8, 440}, {"4'", &VCO::getSaw4, 880}};
  for (const auto& c : cases) {
    VCO vco;
    ASSERT_TRUE(vco.setSampleRate(44100.0));
    vco.update(69 * 128); // A4 on the 8' footage
    EXPECT_NEAR(periodsPerSecond(vco, c.output), c.periods, 1) << c.name;
  }
}

TEST(VcoOutputs, FootagesReadTheirTableAtTwiceAndFourTimesThePhase) {
  VCO vco;
  ASSERT_TRUE(vco.setSampleRate(44100.0));
  vco.setPulseWidth(0.3);
  vco.update(100 * 128);
  const int32_t off = vco.pulseOffset();
  const int32_t phases[] = {0, 1 << 16, kHalf - 1, kHalf, (1 << 28) - 1, 0x5A5A5A5};
  auto at = [](int table, int64_t p) {
    return saw_tables::kData[table][(p & ((1 << 28) - 1)) >> 16];
  };
  for (int32_t p : phases) {
    vco.setPhase(p);
    SCOPED_TRACE(p);
    EXPECT_EQ(vco.getSaw16(), at(vco.table16(), p));
    EXPECT_EQ(vco.getSaw8(), at(vco.table8(), 2 * int64_t{p}));
    EXPECT_EQ(vco.getSaw4(), at(vco.table4(), 4 * int64_t{p}));
    EXPECT_EQ(vco.getPWM16(), at(vco.table16(), p) - at(vco.table16(), int64_t{p} + off));
    EXPECT_EQ(vco.getPWM8(),
              at(vco.table8(), 2 * int64_t{p}) - at(vco.table8(), 2 * int64_t{p} + off));
    EXPECT_EQ(vco.getPWM4(),
              at(vco.table4(), 4 * int64_t{p}) - at(vco.table4(), 4 * int64_t{p} + off));
  }
}

TEST(VcoOutputs, PhaseWrapsAtTwoToThe28) {
  VCO vco;
  ASSERT_TRUE(vco.setSampleRate(44100.0));
  vco.update(18816);
  const int32_t inc = vco.phaseInc();
  vco.setPhase((1 << 28) - 10);
  vco.next();
  EXPECT_EQ(vco.phase(), (1 << 28) - 10 + inc - (1 << 28));
}

TEST(VcoPulseWidth, OffsetFollowsWidthAndModulation) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    bool pwm;
    double width;
    bool hasSource;
    double source;
    int32_t offset;
  };
  const Case cases[] = {
      {false, 1.0, false, 0.0, kHalf}, // square
      {false, 0.5, false, 0.0, kHalf / 2},
      {false, 0.0, false, 0.0, 0},                                // no width
      {false, 0.3, true, 0.9, static_cast<int32_t>(0.3 * kHalf)}, // source ignored
      {true, 0.3, false, 0.0, static_cast<int32_t>(0.3 * kHalf)}, // no source connected
      {true, 0.2, true, 0.0, static_cast<int32_t>(0.2 * kHalf)},  // LFO at its bottom
      {true, 0.2, true, 0.5, static_cast<int32_t>(0.6 * kHalf)},  // halfway to square
      {true, 0.2, true, 1.0, kHalf},                              // LFO at its top
      {true, 0.0, true, 1.5, 0},                                  // c above 1
      {true, 0.2, true, -0.5, 0},                                 // c below 0
      {true, 0.5, true, nan, 0},
      {false, 1.5, false, 0.0, 0}, // static width out of range
      {false, nan, false, 0.0, 0},
  };
  for (const auto& c : cases) {
    VCO vco;
    ASSERT_TRUE(vco.setSampleRate(44100.0));
    double source = c.source;
    vco.setPwmEnabled(c.pwm);
    vco.setPulseWidth(c.width);
    if (c.hasSource) vco.setPwmSource(&source);
    vco.update(8832);
    EXPECT_EQ(vco.pulseOffset(), c.offset) << c.pwm << " " << c.width << " " << c.source;
  }
}

TEST(VcoPulseWidth, DutyCycleIsTheSameOnEveryFootage) {
  struct Case {
    double width;
    double lowFraction; // share of the period below zero
  };
  const Case cases[] = {{1.0, 0.5}, {0.5, 0.25}, {0.2, 0.1}};
  double (VCO::*outputs[])() const = {&VCO::getPWM16, &VCO::getPWM8, &VCO::getPWM4};
  for (const auto& c : cases) {
    for (auto output : outputs) {
      VCO vco;
      ASSERT_TRUE(vco.setSampleRate(44100.0));
      vco.setPulseWidth(c.width);
      vco.update(48 * 128);
      int low = 0;
      constexpr int kSamples = 44100;
      double sum = 0.0;
      for (int i = 0; i < kSamples; ++i, vco.next()) {
        const double v = (vco.*output)();
        low += v < 0.0;
        sum += v;
      }
      EXPECT_NEAR(static_cast<double>(low) / kSamples, c.lowFraction, 0.02) << c.width;
      EXPECT_NEAR(sum / kSamples, 0.0, 0.01) << c.width;
    }
  }
}

TEST(VcoPulseWidth, ZeroWidthIsSilentOnEveryFootage) {
  VCO vco;
  ASSERT_TRUE(vco.setSampleRate(44100.0));
  vco.setPulseWidth(0.0);
  vco.update(60 * 128);
  for (int i = 0; i < 2000; ++i, vco.next()) {
    ASSERT_EQ(vco.getPWM16(), 0.0);
    ASSERT_EQ(vco.getPWM8(), 0.0);
    ASSERT_EQ(vco.getPWM4(), 0.0);
  }
}

TEST(VcoRealTime, RenderingAndUpdatesDoNotAllocate) {
  VCO vco;
  double lfo = 0.25;
  ASSERT_TRUE(vco.setSampleRate(44100.0));
  vco.setPwmEnabled(true);
  vco.setPwmSource(&lfo);
  test_support::AllocationScope scope;
  double sum = 0.0;
  for (int i = 0; i < 4410; ++i) {
    if (i % 44 == 0) vco.update(6000 + i);
    sum += vco.getSaw16() + vco.getSaw8() + vco.getSaw4() + vco.getPWM16() + vco.getPWM8() +
           vco.getPWM4();
    vco.next();
  }
  ASSERT_TRUE(vco.setSampleRate(44100.0)); // a rate already seen builds nothing
  EXPECT_EQ(scope.allocations(), 0u);
  EXPECT_TRUE(std::isfinite(sum));
}

} // namespace
