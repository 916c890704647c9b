// The view's arithmetic against hand-worked values: canvas placement,
// scroll-bar scaling, zoom around the window's centre, fits, and the zooms
// refused because no usable view would come out.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "document/editor/ViewGeometry.h"

namespace {

using docview::TViewArea;

TEST(ViewGeometryTest, ClampScrollOffsetCentresSmallCanvasesAndBoundsLargeOnes) {
  struct Case {
    int Offset, Virtual, Client;
    bool NoCentring;
    int Expected;
  };
  const Case cases[] = {
      {0, 100, 300, false, -100},  // 100 x 50 canvas in a 300 x 200 window
      {0, 50, 200, false, -75},
      {40, 100, 300, false, -100},  // cannot be scrolled
      {-7, 50, 201, false, -75},    // spare 151: division toward zero
      {0, 100, 300, true, 0},
      {500, 1000, 300, false, 500},
      {800, 1000, 300, false, 700},  // V - C at most
      {-5, 1000, 300, false, 0},
      {10, 0, 300, false, 0},  // no canvas: not centred
  };
  for (const Case& c : cases)
    EXPECT_EQ(docview::ClampScrollOffset(c.Offset, c.Virtual, c.Client, c.NoCentring), c.Expected)
        << c.Offset << " " << c.Virtual << " " << c.Client;
}

TEST(ViewGeometryTest, ScrollFactorScalesCanvasesAbove30000Pixels) {
  EXPECT_FLOAT_EQ(docview::ScrollFactor(60000, 10), 0.5f);
  EXPECT_FLOAT_EQ(docview::ScrollFactor(10, 90000), 1.0f / 3.0f);
  EXPECT_FLOAT_EQ(docview::ScrollFactor(30000, 30000), 1.0f);
  EXPECT_FLOAT_EQ(docview::ScrollFactor(30001, 0), 30000.0f / 30001.0f);
  EXPECT_FLOAT_EQ(docview::ScrollFactor(0, 0), 1.0f);
}

TEST(ViewGeometryTest, ZoomKeepsTheWindowCentreAndRoundsTiesToEven) {
  struct Case {
    TViewArea Area;
    double Factor;
    TViewArea Expected;
  };
  // Client 400 x 300: the centre is (200, 150) of the window.
  const Case cases[] = {
      {{0, 0, 1000, 800}, 1.1, {0, 0, 1100, 880}},          // offsets at the origin stay there
      {{100, 50, 1000, 800}, 1.1, {130, 70, 1100, 880}},    // (300 x 1.1 - 200, 200 x 1.1 - 150)
      {{130, 70, 1100, 880}, 0.9090909, {100, 50, 1000, 800}},  // and back
      {{1, 0, 10, 10}, 1.5, {102, 75, 15, 15}},             // 101.5 rounds to 102
      {{3, 0, 10, 10}, 1.5, {104, 75, 15, 15}},             // 104.5 rounds to 104
      {{-100, -75, 100, 50}, 2.0, {0, 0, 200, 100}},  // a centred canvas's centre stays put
  };
  for (const Case& c : cases) {
    const auto area = docview::ZoomArea(c.Area, 400, 300, c.Factor);
    ASSERT_TRUE(area.has_value());
    EXPECT_EQ(*area, c.Expected) << area->X << " " << area->Y << " " << area->Width << " " << area->Height;
  }
}

TEST(ViewGeometryTest, ZoomIsRefusedWhenNoUsableCanvasComesOut) {
  const TViewArea area{10, 10, 1000, 800};
  for (double factor : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e9})
    EXPECT_FALSE(docview::ZoomArea(area, 400, 300, factor).has_value()) << factor;
  EXPECT_FALSE(docview::ZoomArea({0, 0, 1 << 29, 10}, 400, 300, 4.0).has_value());
}

TEST(ViewGeometryTest, FitScaleLeavesTheSpareAndRefusesUnusableScales) {
  EXPECT_FLOAT_EQ(*docview::FitScale(400, 22, 211.0), 378.0f / 211.0f);
  EXPECT_FLOAT_EQ(*docview::FitScale(1024, 2, 100.0), 10.22f);
  EXPECT_FALSE(docview::FitScale(20, 22, 211.0).has_value());   // window narrower than its border
  EXPECT_FALSE(docview::FitScale(22, 22, 211.0).has_value());   // scale 0
  EXPECT_FALSE(docview::FitScale(400, 22, 0.0).has_value());    // page without width
  EXPECT_FALSE(docview::FitScale(400, 22, std::nan("")).has_value());
  EXPECT_FALSE(docview::FitScale(1000, 2, 1e-5).has_value());   // beyond the largest scale
  EXPECT_TRUE(docview::UsableScreenScale(5.905512));
  EXPECT_FALSE(docview::UsableScreenScale(0.0));
  EXPECT_FALSE(docview::UsableScreenScale(-1.0));
  EXPECT_FALSE(docview::UsableScreenScale(std::numeric_limits<double>::infinity()));
}

}  // namespace
