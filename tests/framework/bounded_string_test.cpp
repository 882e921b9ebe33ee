#include "framework/bounded_string.h"

#include <gtest/gtest.h>

namespace {

using qm::BoundedString;

TEST(BoundedString, FormattedSetKeepsAtMostTheGivenLength) {
  BoundedString s;
  s.SetFormatted(8, "%.1f", -120.456);
  EXPECT_STREQ(s.Get(), "-120.5");
  s.SetFormatted(4, "%d", 123456);
  EXPECT_STREQ(s.Get(), "1234");
  s.SetFormatted(-1, "v%d.%d.%d", 1, 1, 3);
  EXPECT_STREQ(s.Get(), "v1.1.3");
  s.SetFormatted(0, "%s", "gone");
  EXPECT_TRUE(s.Empty());
}

TEST(BoundedString, AppendLimitsOnlyTheAddedPart) {
  BoundedString s("Preset");
  s.AppendFormatted(3, " %d", 12345);
  EXPECT_STREQ(s.Get(), "Preset 12");
  s.Append("abcdef", 2);
  EXPECT_STREQ(s.Get(), "Preset 12ab");
  s.Append(nullptr);
  s.Set(nullptr);
  EXPECT_STREQ(s.Get(), "");
}

TEST(BoundedString, TruncateCutsLongTextOnly) {
  BoundedString s("abcdef");
  s.Truncate(10);
  EXPECT_STREQ(s.Get(), "abcdef");
  s.Truncate(3);
  EXPECT_STREQ(s.Get(), "abc");
  EXPECT_EQ(s.GetLength(), 3);
}

} // namespace
