// The ruler's scale against hand-worked values: unit names, pixels per
// unit, the label step and long-tick period for each zoom, and where the
// labels and ticks fall; hostile scales lay out nothing instead of looping.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "document/editor/RulerScale.h"

namespace {

constexpr double ScreenDpm = 5.905512;  // 150 pixels per inch

TEST(RulerScaleTest, UnitNames) {
  struct Case {
    TRulerUnit Unit;
    const char* Short;
    const char* Long;
  };
  const Case cases[] = {{ruCenti, "cm", "centimeter"}, {ruMilli, "mm", "millimeter"}, {ruInch, "in", "inch"},
                        {ruPixel, "px", "pixel"},      {ruNone, "", ""}};
  for (const Case& c : cases) {
    EXPECT_EQ(ruler::ShortName(c.Unit), c.Short);
    EXPECT_EQ(ruler::LongName(c.Unit), c.Long);
  }
  EXPECT_EQ(ruler::ShortName(static_cast<TRulerUnit>(200)), "");
}

TEST(RulerScaleTest, PixelsPerUnit) {
  struct Case {
    TRulerUnit Unit;
    double Scale, Expected;
  };
  const Case cases[] = {{ruCenti, 1, 59.05512}, {ruMilli, 1, 5.905512}, {ruInch, 1, 150.0000048},
                        {ruPixel, 1, 1.0},      {ruNone, 1, 1.0},       {ruMilli, 2, 11.811024},
                        {ruPixel, 3, 3.0}};
  for (const Case& c : cases)
    EXPECT_NEAR(ruler::PixelsPerUnit(c.Unit, ScreenDpm, c.Scale), c.Expected, 1e-6) << int(c.Unit);
  EXPECT_DOUBLE_EQ(ruler::UnitsPerMillimetre(ruCenti), 0.1);
  EXPECT_DOUBLE_EQ(ruler::UnitsPerMillimetre(ruInch), 1 / 25.4);
  EXPECT_DOUBLE_EQ(ruler::UnitsPerMillimetre(ruPixel), 96 / 25.4);
}

TEST(RulerScaleTest, LabelStepAndLongTicksFollowTheZoom) {
  struct Case {
    double PixelsPerUnit;
    double Step;
    int Period;
  };
  const Case cases[] = {
      {5.905512, 10, 5},   // mm at 150 dpi: r = 6.77, labels every 10 mm, long ticks every 5 mm
      {1.0, 50, 2},        // r = 40 -> m = 10, r = 4: labels every 50, long ticks every 10
      {59.05512, 1, 5},    // cm at 150 dpi: r = 0.68
      {150.0, 1, 5},       // inch at 150 dpi
      {20.0, 2, 5},        // r = 2
      {3.0, 20, 5},        // r = 13.3 -> m = 10, r = 1.33
      {0.1, 500, 2},       // r = 400 -> m = 100, r = 4
      {8.0, 5, 2},         // r = 5
      {35.0, 1, 5},        // r = 1.14
  };
  for (const Case& c : cases) {
    const auto step = ruler::ScaleStepFor(c.PixelsPerUnit);
    ASSERT_TRUE(step.has_value());
    EXPECT_DOUBLE_EQ(step->Step, c.Step) << c.PixelsPerUnit;
    EXPECT_EQ(step->LongTickPeriod, c.Period) << c.PixelsPerUnit;
    EXPECT_DOUBLE_EQ(step->LabelSpacing, c.Step * c.PixelsPerUnit);
  }
}

TEST(RulerScaleTest, LabelsAndTicksSitAtTheirPixels) {
  const auto step = ruler::ScaleStepFor(ScreenDpm);
  ASSERT_TRUE(step.has_value());
  // Origin 0: labels 0, 10, 20, 30, 40 mm at 1 + i x 59.05512.
  const auto labels = ruler::Labels(*step, 200, 0);
  ASSERT_EQ(labels.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_DOUBLE_EQ(labels[i].Value, 10.0 * i);
    EXPECT_NEAR(labels[i].Position, 1 + i * 59.05512, 1e-9);
  }
  // One tick a millimetre, j = 0 .. ceil(200 / 5.905512) = 34; long every 5.
  const auto ticks = ruler::Ticks(*step, 200, 0);
  ASSERT_EQ(ticks.size(), 35u);
  EXPECT_NEAR(ticks[7].Position, 1 + 7 * 5.905512, 1e-9);
  EXPECT_TRUE(ticks[0].Long);
  EXPECT_FALSE(ticks[4].Long);
  EXPECT_TRUE(ticks[5].Long);
  EXPECT_TRUE(ticks[30].Long);

  // Origin at -30 pixels: the label left of it reads -10 at -28.06.
  const auto shifted = ruler::Labels(*step, 200, -30);
  ASSERT_FALSE(shifted.empty());
  EXPECT_DOUBLE_EQ(shifted[0].Value, -10.0);
  EXPECT_NEAR(shifted[0].Position, -59.05512 + 30 + 1, 1e-9);
  EXPECT_NEAR(shifted[1].Position, 31.0, 1e-9);
  // Ticks left of the origin count negative, long on multiples of the period.
  const auto shiftedTicks = ruler::Ticks(*step, 200, -30);
  EXPECT_NEAR(shiftedTicks[0].Position, -6 * 5.905512 + 31, 1e-9);
  EXPECT_FALSE(shiftedTicks[0].Long);  // j = -6
  EXPECT_TRUE(shiftedTicks[1].Long);   // j = -5
}

TEST(RulerScaleTest, HostileScalesLayOutNothingAndNeverLoop) {
  const double inf = std::numeric_limits<double>::infinity();
  for (double p : {0.0, -5.0, std::nan(""), inf, 5e-324}) EXPECT_FALSE(ruler::ScaleStepFor(p).has_value()) << p;
  EXPECT_FALSE(ruler::ScaleStepFor(ruler::PixelsPerUnit(ruMilli, 0.0, 1.0)).has_value());

  // Tiny and huge scales still end with a step whose labels lie 33 pixels or more apart.
  for (double p : {1e-300, 1e300}) {
    const auto step = ruler::ScaleStepFor(p);
    ASSERT_TRUE(step.has_value()) << p;
    EXPECT_GE(step->LabelSpacing, 33.0);
    EXPECT_LE(ruler::Ticks(*step, 1000, 0).size(), 1002u);
  }
  // Origins too far or not numbers at all: a bounded handful of marks or none.
  const auto step = ruler::ScaleStepFor(ScreenDpm);
  for (double origin : {1e300, -1e300, 1e17}) {
    const auto ticks = ruler::Ticks(*step, 200, origin);
    EXPECT_LE(ticks.size(), 202u);
    for (const ruler::TTick& tick : ticks) {
      EXPECT_GE(tick.Position, -8.0) << origin;
      EXPECT_LE(tick.Position, 208.0) << origin;
    }
  }
  for (double origin : {std::nan(""), inf, -inf}) {
    EXPECT_TRUE(ruler::Labels(*step, 200, origin).empty());
    EXPECT_TRUE(ruler::Ticks(*step, 200, origin).empty());
  }
}

}  // namespace
