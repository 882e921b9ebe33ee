#include "dsp/saw_tables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// One sample of table k straight from the formula, partial by partial in the
// same order as the tables are summed, so it must match bit for bit.
double formulaSample(int n_max, int j) {
  double v = 0.0;
  for (int n = 1; n <= n_max; ++n) {
    const double w = n * 6.283185307179586 * 0.000244140625;
    if (n == 1) {
      v = 0.5 * std::sin(j * w);
    } else {
      const double g =
          (0.46 * std::cos((n - 1) * 1.5707963267948966 / (n_max - 1)) + 0.54) * 0.5 / n;
      v += g * std::sin(j * w);
    }
  }
  return v;
}

TEST(SawTables, PartialCountsHalveEveryTwoTables) {
  const int expected[saw_tables::kCount] = {2048, 1448, 1024, 724, 512, 362, 256, 181, 128, 91, 64,
                                            45,   32,   23,   16,  11,  8,   6,   4,   3,   2,  1};
  for (int k = 0; k < saw_tables::kCount; ++k) EXPECT_EQ(saw_tables::partials(k), expected[k]) << k;
}

TEST(SawTables, GeneratedDataMatchesTheFormula) {
  const int samples[] = {0, 1, 2, 7, 511, 1023, 1024, 2047, 2048, 2049, 3001, 4095};
  for (int k = 0; k < saw_tables::kCount; ++k) {
    const int n_max = saw_tables::partials(k);
    for (int j : samples)
      EXPECT_EQ(saw_tables::kData[k][j], formulaSample(n_max, j))
          << "table " << k << " sample " << j;
  }
}

TEST(SawTables, EachTableIsOnePeriodOfAFallingRamp) {
  constexpr double kQuarterPi = 0.7853981633974483;
  for (int k = 0; k <= 12; ++k) {
    const double* t = saw_tables::kData[k];
    SCOPED_TRACE(k);
    EXPECT_EQ(t[0], 0.0);
    // An ideal ramp runs from +pi/4 just after 0 down to -pi/4 at the end:
    // pi/8 at a quarter, 0 at the middle, -pi/8 at three quarters.
    EXPECT_NEAR(t[1024], kQuarterPi / 2, 0.02);
    EXPECT_NEAR(t[2048], 0.0, 1e-9);
    EXPECT_NEAR(t[3072], -kQuarterPi / 2, 0.02);
    for (int j = 1; j < saw_tables::kLength; ++j)
      EXPECT_NEAR(t[j], -t[saw_tables::kLength - j], 1e-9);
  }
  // The last table is the bare fundamental.
  EXPECT_DOUBLE_EQ(saw_tables::kData[21][1024], 0.5);
}

} // namespace
