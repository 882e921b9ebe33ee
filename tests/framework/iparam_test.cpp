#include "framework/iparam.h"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace {

using qm::BoundedString;
using qm::IParam;

std::string display(const IParam& p, double value, bool withTexts = true) {
  BoundedString out;
  p.GetDisplay(value, false, out, withTexts);
  return out.Get();
}

TEST(IParam, DisplayPrecisionFollowsTheStep) {
  struct Case {
    double step;
    int precision;
  };
  const Case cases[] = {{1.0, 0}, {0.1, 1}, {0.5, 1}, {0.01, 2}, {0.005, 3}, {1.0 / 240.0, 6}};
  for (const auto& c : cases) {
    IParam p;
    p.InitDouble("x", 0.0, -12.0, 12.0, c.step);
    EXPECT_EQ(p.GetDisplayPrecision(), c.precision) << c.step;
  }
  IParam p;
  p.InitDouble("x", 0.0, 0.0, 1.0, 0.01);
  p.SetDisplayPrecision(4);
  EXPECT_EQ(display(p, 0.5), "0.5000");
}

TEST(IParam, NumbersAreFormattedWithSignAndNegateFlags) {
  struct Case {
    double step;
    int flags;
    double value;
    const char* shown;
  };
  const int sign = IParam::kFlagSignDisplay;
  const int negate = IParam::kFlagNegateDisplay;
  const Case cases[] = {
      {0.01, 0, -0.0, "0.00"},     // negative zero loses its sign
      {0.01, negate, 0.0, "0.00"}, // so does a negated zero
      {0.01, 0, 0.5, "0.50"},
      {0.01, sign, 0.5, "+0.50"},
      {0.01, sign, -0.5, "-0.50"},
      {0.01, sign, 0.0, "0.00"}, // zero gets no sign
      {0.01, negate, 0.25, "-0.25"},
      {0.01, negate | sign, -0.25, "+0.25"},
      {1.0, sign, 3.0, "3"}, // whole numbers never get a sign
      {1.0, 0, 2.5, "3"},    // halves round away from zero
      {1.0, 0, -2.5, "-3"},
      {1.0, 0, -0.4, "0"},
      {0.005, 0, 0.125, "0.125"},
  };
  for (const auto& c : cases) {
    IParam p;
    p.InitDouble("x", 0.0, -1.0, 4.0, c.step, "", c.flags);
    EXPECT_EQ(display(p, c.value), c.shown) << c.value << " flags " << c.flags;
  }
}

TEST(IParam, EnumTextsDisplayAndParseExactly) {
  IParam p;
  p.InitEnum("Trident Mode", 1, {"Off", "On"});
  EXPECT_EQ(p.Type(), IParam::kTypeEnum);
  EXPECT_EQ(p.GetMax(), 1.0);
  EXPECT_TRUE(p.GetStepped());
  EXPECT_EQ(display(p, 1.0), "On");
  EXPECT_EQ(display(p, 1.0, false), "1");

  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {{"On", 1.0}, {"Off", 0.0}, {"on", 0.0}, {"1", 0.0}, {"", 0.0}};
  for (const auto& c : cases) EXPECT_EQ(p.StringToValue(c.text), c.value) << c.text;
  EXPECT_EQ(p.StringToValue(nullptr), 0.0);

  double value = -1.0;
  EXPECT_TRUE(p.MapDisplayText("On", &value));
  EXPECT_EQ(value, 1.0);
  EXPECT_FALSE(p.MapDisplayText("ON", &value));
  EXPECT_STREQ(p.GetDisplayTextAtIdx(0, &value), "Off");
  EXPECT_EQ(value, 0.0);
  EXPECT_STREQ(p.GetDisplayTextAtIdx(2), "");
}

TEST(IParam, CountedEnumTakesAtMostCountTexts) {
  IParam fewer;
  fewer.InitEnum("x", 0, 3, "", 0, "", "Lower", "Both");
  EXPECT_EQ(fewer.NDisplayTexts(), 2);
  EXPECT_EQ(display(fewer, 2.0), "2");

  IParam more;
  more.InitEnum("x", 0, 2, "", 0, "", "2", "1", "extra");
  EXPECT_EQ(more.NDisplayTexts(), 2);
  EXPECT_STREQ(more.GetDisplayText(1.0), "1");

  IParam none;
  none.InitEnum("x", 0, 4);
  EXPECT_EQ(none.NDisplayTexts(), 0);
  EXPECT_EQ(none.GetMax(), 3.0);
}

TEST(IParam, DisplayTextsAreAppendedAndTheFirstMatchWins) {
  IParam p;
  p.InitInt("x", 0, 0, 10);
  p.SetDisplayText(1.0, "One");
  p.SetDisplayText(1.0, "Uno");
  p.SetDisplayText(2.0, "");
  EXPECT_EQ(p.NDisplayTexts(), 3);
  EXPECT_EQ(display(p, 1.0), "One");
  EXPECT_EQ(display(p, 2.0), "2"); // an empty text falls back to the number
  EXPECT_EQ(p.StringToValue("Uno"), 1.0);
}

TEST(IParam, IntParsesNumbersRoundedAndClamped) {
  IParam p;
  p.InitInt("Split Key", 60, 0, 127);
  EXPECT_EQ(p.Type(), IParam::kTypeInt);
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {{"63.6", 64.0},     {"300", 127.0}, {"abc", 0.0},  {"-5", 0.0},
                        {" 12 keys", 12.0}, {"63.5", 64.0}, {"nan", 60.0}, {"inf", 127.0}};
  for (const auto& c : cases) EXPECT_EQ(p.StringToValue(c.text), c.value) << c.text;

  IParam negated;
  negated.InitDouble("x", 0.0, -10.0, 10.0, 0.01, "", IParam::kFlagNegateDisplay);
  EXPECT_EQ(negated.StringToValue("2.5"), -2.5);
}

TEST(IParam, ConstrainRoundsToTheStepThenClamps) {
  IParam p;
  p.InitInt("x", 0, -10, 10);
  struct Case {
    double in;
    double out;
  };
  const Case cases[] = {{2.5, 3.0}, {-2.5, -3.0}, {2.49, 2.0}, {63.4, 10.0}, {-11.0, -10.0}};
  for (const auto& c : cases) EXPECT_EQ(p.Constrain(c.in), c.out) << c.in;

  IParam continuous;
  continuous.InitDouble("x", 0.0, 0.0, 1.0, 0.01);
  EXPECT_EQ(continuous.Constrain(0.123456), 0.123456); // the step is only a hint here
}

TEST(IParam, NonFiniteValuesBecomeTheDefaultOrTheNearerBound) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  IParam p;
  p.InitDouble("Total Volume", 0.5, 0.0, 1.0, 0.01);
  IParam stepped;
  stepped.InitInt("Split Key", 60, 0, 127);

  struct Case {
    double in;
    double value;
    double steppedValue;
  };
  const Case cases[] = {
      {kNaN, 0.5, 60.0}, {-kNaN, 0.5, 60.0}, {kInf, 1.0, 127.0}, {-kInf, 0.0, 0.0}};
  for (const auto& c : cases) {
    p.Set(c.in);
    stepped.Set(c.in);
    EXPECT_EQ(p.Value(), c.value) << c.in;
    EXPECT_EQ(stepped.Value(), c.steppedValue) << c.in;
  }

  p.SetNormalized(kNaN);
  EXPECT_EQ(p.Value(), 0.5);
  p.SetNormalized(kInf);
  EXPECT_EQ(p.Value(), 1.0);
  EXPECT_EQ(p.ToNormalized(kNaN), 0.5);
}

TEST(IParam, InitDoubleRaisesTheMaximumToOneStepAboveTheMinimum) {
  IParam p;
  p.InitDouble("x", 0.0, 0.0, 0.0, 1.0);
  EXPECT_EQ(p.GetMax(), 1.0);
  double lo = -1.0, hi = -1.0;
  p.GetBounds(lo, hi);
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(hi, 1.0);

  IParam outOfRangeDefault;
  outOfRangeDefault.InitDouble("x", 5.0, 0.0, 1.0, 0.01);
  EXPECT_EQ(outOfRangeDefault.Value(), 1.0);
  EXPECT_EQ(outOfRangeDefault.GetDefault(), 5.0);
}

TEST(IParam, LinearConversionsClampTheNormalisedRange) {
  IParam p;
  p.InitDouble("x", 0.0, -12.0, 12.0, 1.0 / 240.0);
  EXPECT_EQ(p.FromNormalized(0.5), 0.0);
  EXPECT_EQ(p.FromNormalized(1.5), 12.0);
  EXPECT_EQ(p.ToNormalized(6.0), 0.75);
  EXPECT_EQ(p.ToNormalized(100.0), 1.0);
  EXPECT_EQ(p.ToNormalized(-100.0), 0.0);
  p.SetNormalized(0.25);
  EXPECT_EQ(p.Value(), -6.0);
  EXPECT_EQ(p.GetNormalized(), 0.25);
}

TEST(IParam, PowerCurveMapsBothWays) {
  IParam p;
  p.InitDouble("VCF Cutoff", 1.0, 0.0, 1.0, 0.001, "", 0, "", IParam::ShapePowCurve(0.5));
  EXPECT_DOUBLE_EQ(p.FromNormalized(0.25), 0.5);
  EXPECT_DOUBLE_EQ(p.ToNormalized(0.5), 0.25);

  IParam speed;
  speed.InitDouble("Speed", 0.8, 0.001, 24.999, 0.01, "Hz", 0, "", IParam::ShapePowCurve(2.0));
  EXPECT_DOUBLE_EQ(speed.FromNormalized(0.5), 0.001 + 0.25 * 24.998);
  EXPECT_DOUBLE_EQ(speed.ToNormalized(speed.FromNormalized(0.3)), 0.3);
  EXPECT_EQ(speed.GetNormalized(), speed.ToNormalized(0.8));
}

TEST(IParam, PowerCurveDisplayTypeHint) {
  struct Case {
    double power;
    IParam::EDisplayType type;
  };
  const Case cases[] = {{3.0, IParam::kDisplayCubed},    {2.0, IParam::kDisplaySquared},
                        {1.0, IParam::kDisplayLinear},   {0.5, IParam::kDisplaySquareRoot},
                        {0.3, IParam::kDisplayCubeRoot}, {0.7, IParam::kDisplayLinear}};
  for (const auto& c : cases) EXPECT_EQ(IParam::ShapePowCurve(c.power).GetDisplayType(), c.type);
}

TEST(IParam, ExpShapeSpansTheRangeExponentially) {
  IParam p;
  p.InitDouble("Freq", 1000.0, 20.0, 20000.0, 1.0, "Hz", 0, "", IParam::ShapeExp());
  EXPECT_EQ(p.DisplayType(), IParam::kDisplayLog);
  EXPECT_NEAR(p.FromNormalized(0.0), 20.0, 1e-9);
  EXPECT_NEAR(p.FromNormalized(1.0), 20000.0, 1e-6);
  EXPECT_NEAR(p.FromNormalized(0.5), std::sqrt(20.0 * 20000.0), 1e-6);
  EXPECT_NEAR(p.ToNormalized(std::sqrt(20.0 * 20000.0)), 0.5, 1e-12);

  IParam fromZero;
  fromZero.InitDouble("x", 0.5, 0.0, 1.0, 0.01, "", 0, "", IParam::ShapeExp());
  EXPECT_NEAR(fromZero.FromNormalized(0.0), 1e-8, 1e-20); // the lower end taken as 1e-8
  EXPECT_NEAR(fromZero.FromNormalized(0.5), 1e-4, 1e-15);
  EXPECT_EQ(fromZero.ToNormalized(0.0), 0.0); // log(0) is clamped, not NaN
}

TEST(IParam, LabelIsHiddenWhileTheValueHasADisplayText) {
  IParam p;
  p.InitEnum("x", 1, 2, "units");
  p.SetDisplayText(1.0, "On");
  EXPECT_STREQ(p.GetLabel(), "");
  BoundedString out;
  p.GetDisplayWithLabel(out);
  EXPECT_STREQ(out.Get(), "On");

  p.Set(0.0);
  EXPECT_STREQ(p.GetLabel(), "units");
  p.GetDisplayWithLabel(out);
  EXPECT_STREQ(out.Get(), "0 units");

  IParam hz;
  hz.InitDouble("Speed", 5.5, 0.001, 24.999, 0.01, "Hz");
  hz.GetDisplayWithLabel(out);
  EXPECT_STREQ(out.Get(), "5.50 Hz");
}

TEST(IParam, TextsAreStoredInThirtyTwoBytes) {
  const std::string text31(31, 'a');
  const std::string text40(40, 'b');
  IParam p;
  p.InitEnum(text40.c_str(), 0, 2, text40.c_str());
  p.SetDisplayText(0.0, text31.c_str());
  p.SetDisplayText(1.0, text40.c_str());
  EXPECT_EQ(display(p, 0.0), text31);
  EXPECT_EQ(display(p, 1.0), std::string(31, 'b'));
  EXPECT_EQ(std::string(p.GetName()), std::string(31, 'b'));
  EXPECT_EQ(std::string(p.GetLabel()), ""); // value 0 has a text
}

TEST(IParam, DisplayFunctionReplacesAllFormatting) {
  IParam p;
  p.InitDouble("Total Volume", 0.5, 0.0, 1.0, 0.01, "", 0, "", IParam::ShapeLinear(),
               IParam::kUnitCustom, [](double x, BoundedString& out) {
                 if (x <= 0.0)
                   out.Set("-oo");
                 else
                   out.SetFormatted(8, "%.1f", 20.0 * std::log10(x));
               });
  p.SetDisplayText(0.5, "ignored");
  EXPECT_EQ(display(p, 0.5), "-6.0");
  EXPECT_EQ(display(p, 0.0), "-oo");
  BoundedString out;
  p.GetDisplay(1.0, true, out); // normalised input is converted first
  EXPECT_STREQ(out.Get(), "0.0");
}

TEST(IParam, InitialisersSetTypeUnitAndFlags) {
  IParam d;
  d.InitDouble("x", 0.0, 0.0, 1.0, 0.01, "", IParam::kFlagCannotAutomate);
  EXPECT_EQ(d.Type(), IParam::kTypeDouble);
  EXPECT_EQ(d.Unit(), IParam::kUnitCustom);
  EXPECT_FALSE(d.GetCanAutomate());
  EXPECT_FALSE(d.GetStepped());

  IParam i;
  i.InitInt("x", 2, 0, 4, "", IParam::kFlagSignDisplay);
  EXPECT_EQ(i.GetFlags(), IParam::kFlagSignDisplay | IParam::kFlagStepped);
  EXPECT_EQ(i.GetStep(), 1.0);
  EXPECT_EQ(i.Int(), 2);
  EXPECT_TRUE(i.Bool());
}

} // namespace
