// The graphics facade of the document engine: its conversions, rectangle
// and colour helpers against hand-computed values, and refusal of values
// that do not fit.

#include "imaging/DocGraphics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/rtl/Exception.h"

namespace {

using namespace imaging;

TEST(Facade, ConversionsRoundHalvesToEvenAndRefuseWhatDoesNotFit) {
  EXPECT_EQ(RoundFloatPoint(TFloatPoint{2.5f, -1.5f}), (TPoint{2, -2}));
  EXPECT_EQ(RoundFloatPoint(TFloatPoint{3.5f, 0.49f}), (TPoint{4, 0}));
  EXPECT_THROW(RoundFloatPoint(TFloatPoint{std::nanf(""), 0}), EInvalidOp);
  EXPECT_THROW(RoundFloatPoint(TFloatPoint{0, 3e9f}), EInvalidOp);
  // 1/65536 of a half rounds to even: 0.5 / 65536 gives 0, 1.5 / 65536 gives 2.
  EXPECT_EQ(FloatToFixedPoint(0.5f / 65536, 1.5f / 65536), (TFixedPoint{0, 2}));
  EXPECT_EQ(FloatPointToFixed(TFloatPoint{-3, 0.75f}), (TFixedPoint{-196608, 49152}));
  EXPECT_THROW(FloatToFixedPoint(40000, 0), EInvalidOp);
  EXPECT_EQ(FixedMultiply(65536 * 3, 32768), 98304);
  EXPECT_THROW(FixedDivide(1, 0), EInvalidOp);
  EXPECT_THROW(FixedDivide(std::numeric_limits<TFixed>::max(), 1), EInvalidOp);
}

TEST(Facade, RectanglesIntersectOrComeOutEmpty) {
  TRect d{9, 9, 9, 9};
  EXPECT_FALSE(IntersectIntRect(d, TRect{0, 0, 10, 10}, TRect{10, 0, 20, 10}));
  EXPECT_EQ(d, TRect{});
  EXPECT_TRUE(IntersectIntRect(d, TRect{0, 0, 10, 10}, TRect{5, -5, 15, 7}));
  EXPECT_EQ(d, (TRect{5, 0, 10, 7}));
  TFloatRect g{9, 9, 9, 9};
  EXPECT_TRUE(IntersectFloatRect(g, TFloatRect{0, 0, 1, 1}, TFloatRect{0.25f, -1, 2, 0.5f}));
  EXPECT_EQ(g, (TFloatRect{0.25f, 0, 1, 0.5f}));
  EXPECT_FALSE(IntersectFloatRect(g, TFloatRect{0, 0, std::nanf(""), 1}, TFloatRect{0, 0, 1, 1}));
  EXPECT_EQ(g, TFloatRect{});
}

TEST(Facade, ColoursConvertAndAlphaIsHeldToAByte) {
  EXPECT_EQ(ColorToColor32(0x00332211), 0xFF112233u);
  EXPECT_EQ(SetColorAlpha(0xFF102030, 300), 0xFF102030u);
  EXPECT_EQ(SetColorAlpha(0xFF102030, -5), 0x00102030u);
  EXPECT_EQ(SetColorAlpha(0x12102030, 0x80), 0x80102030u);
}

}  // namespace
