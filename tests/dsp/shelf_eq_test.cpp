#include "dsp/shelf_eq.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586;

std::vector<double> noise(int samples) {
  std::vector<double> out(samples);
  unsigned seed = 7;
  for (auto& v : out) {
    seed = seed * 1664525u + 1013904223u;
    v = seed / 4294967296.0 - 0.5;
  }
  return out;
}

ShelfEQ makeShelf(bool low, double hz, double dB, double rate = 44100.0) {
  ShelfEQ eq;
  eq.setLowShelf(low);
  eq.setSampleRate(rate);
  eq.setFrequency(hz);
  eq.setGain(dB);
  return eq;
}

double sineGain(ShelfEQ& eq, double hz) {
  double peak = 0.0;
  for (int n = 0; n < 20000; ++n) {
    const double y = eq.process(std::sin(kTwoPi * hz * n / 44100.0));
    if (n > 15000) peak = std::max(peak, std::abs(y));
  }
  return peak;
}

TEST(ShelfEQ, ZeroDecibelsPassesTheSignalThrough) {
  const auto in = noise(2000);
  for (bool low : {true, false}) {
    for (double dB : {0.0, std::numeric_limits<double>::quiet_NaN()}) {
      ShelfEQ eq = makeShelf(low, low ? 600.0 : 1800.0, dB);
      for (double x : in) ASSERT_NEAR(eq.process(x), x, 2e-13) << low << " " << dB;
    }
  }
}

TEST(ShelfEQ, CutIsTheInverseOfTheSameBoost) {
  struct Case {
    bool low;
    double hz;
    double dB;
  };
  const Case cases[] = {{true, 600.0, 6.0},    {false, 1800.0, 6.0}, {true, 600.0, 12.0},
                        {false, 1800.0, 12.0}, {true, 80.0, 3.0},    {false, 12000.0, 9.5}};
  const auto in = noise(5000);
  for (const auto& c : cases) {
    ShelfEQ boost = makeShelf(c.low, c.hz, c.dB);
    ShelfEQ cut = makeShelf(c.low, c.hz, -c.dB);
    for (std::size_t n = 0; n < in.size(); ++n)
      ASSERT_NEAR(cut.process(boost.process(in[n])), in[n], 1e-9)
          << (c.low ? "low " : "high ") << c.hz << " Hz " << c.dB << " dB at " << n;
  }
}

TEST(ShelfEQ, ShelvesLiftOnlyTheirSide) {
  struct Case {
    bool low;
    double dB;
    double probeHz;
    double gain;
  };
  const double plus12 = std::pow(10.0, 12.0 / 20.0);
  const Case cases[] = {
      {true, 12.0, 20.0, plus12},      {true, 12.0, 15000.0, 1.0},
      {true, -12.0, 20.0, 1 / plus12}, {false, 12.0, 18000.0, plus12},
      {false, 12.0, 50.0, 1.0},        {false, -12.0, 18000.0, 1 / plus12},
  };
  for (const auto& c : cases) {
    ShelfEQ eq = makeShelf(c.low, c.low ? 600.0 : 1800.0, c.dB);
    EXPECT_NEAR(sineGain(eq, c.probeHz), c.gain, 0.05 * c.gain)
        << (c.low ? "low " : "high ") << c.dB << " dB at " << c.probeHz << " Hz";
  }
}

TEST(ShelfEQ, SettersKeepTheStates) {
  ShelfEQ a = makeShelf(true, 600.0, 6.0);
  ShelfEQ b = makeShelf(true, 600.0, 6.0);
  const auto in = noise(300);
  for (int n = 0; n < 200; ++n) {
    a.process(in[n]);
    b.process(in[n]);
  }
  a.setGain(6.0);
  a.setFrequency(600.0);
  for (int n = 200; n < 300; ++n) ASSERT_EQ(a.process(in[n]), b.process(in[n]));
}

TEST(ShelfEQ, RecoversFromNaN) {
  ShelfEQ eq = makeShelf(false, 1800.0, 12.0);
  eq.process(std::numeric_limits<double>::quiet_NaN());
  double y = 0.0;
  for (int n = 0; n < 2000; ++n) y = eq.process(0.5);
  EXPECT_NEAR(y, 0.5, 1e-9);
}

} // namespace
