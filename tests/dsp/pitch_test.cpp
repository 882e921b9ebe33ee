#include "dsp/pitch.h"

#include <gtest/gtest.h>

namespace {

struct HzCase {
  int index;
  double hz;
};

TEST(Convert2Hz, MatchesTheStoredTables) {
  const HzCase cases[] = {
      {0, 8.176},
      {128, 8.662},
      {6144, 130.813},
      {8832, 440.0},
      {64, 8.176 + (8.662 - 8.176) * 64 * 0.0078125},
      {124 * 128, 10548.08},
      {125 * 128, 11175.3},
      {126 * 128, 11839.82},
      {127 * 128, 12543.85},
      {128 * 128, 13289.75},
      {17279, pitch::upTable(134) + (pitch::upTable(135) - pitch::upTable(134)) * 127 * 0.0078125},
      {17280, 19912.127},
      {17281, 19912.127},
      {1 << 30, 19912.127},
      {-128, 7.7171163805},
      {-64, 8.176 + (7.7171163805 - 8.176) * 64 * 0.0078125},
      {-17279,
       pitch::downTable(134) + (pitch::downTable(135) - pitch::downTable(134)) * 127 * 0.0078125},
      {-17280, 0.0033570162},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(pitch::convert2Hz(c.index), c.hz) << c.index;
}

TEST(Convert2Hz, TablesAreRoundedAsStored) {
  EXPECT_EQ(pitch::upTable(1), 8.662);
  EXPECT_EQ(pitch::upTable(3), 9.723);
  EXPECT_EQ(pitch::upTable(135), 19912.127);
  EXPECT_EQ(pitch::downTable(1), 7.7171163805);
  EXPECT_EQ(pitch::downTable(2), 7.2839879195);
  EXPECT_EQ(pitch::downTable(3), 6.8751690911);
  EXPECT_EQ(pitch::downTable(135), 0.0033570162);
}

} // namespace
