// The graphics facade of the document engine: its value makers, rectangle
// and colour helpers against hand-computed values, and its forwarding
// routines against the bound routines they rest on.

#include "imaging/DocGraphics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "imaging/Blend.h"
#include "platform/rtl/Exception.h"

namespace {

using namespace imaging;

TEST(Facade, PointMakersRoundHalvesToEvenAndRefuseWhatDoesNotFit) {
  EXPECT_EQ(MakePoint(3, -4), (TPoint{3, -4}));
  EXPECT_EQ(RoundFloatPoint(TFloatPoint{2.5f, -1.5f}), (TPoint{2, -2}));
  EXPECT_EQ(RoundFloatPoint(TFloatPoint{3.5f, 0.49f}), (TPoint{4, 0}));
  EXPECT_THROW(RoundFloatPoint(TFloatPoint{std::nanf(""), 0}), EInvalidOp);
  EXPECT_THROW(RoundFloatPoint(TFloatPoint{0, 3e9f}), EInvalidOp);
  EXPECT_EQ(MakeFloatPoint(1.25f, -2), (TFloatPoint{1.25f, -2}));
  EXPECT_EQ(FloatToFixedPoint(1.5f, -0.25f), (TFixedPoint{98304, -16384}));
  // 1/65536 of a half rounds to even: 0.5 / 65536 gives 0, 1.5 / 65536 gives 2.
  EXPECT_EQ(FloatToFixedPoint(0.5f / 65536, 1.5f / 65536), (TFixedPoint{0, 2}));
  EXPECT_EQ(FloatPointToFixed(TFloatPoint{-3, 0.75f}), (TFixedPoint{-196608, 49152}));
  EXPECT_THROW(FloatToFixedPoint(40000, 0), EInvalidOp);
}

TEST(Facade, RectanglesMoveGrowAndIntersect) {
  EXPECT_EQ(MakeFloatRect(1, 2, 3, 4), (TFloatRect{1, 2, 3, 4}));
  EXPECT_EQ(RectToFloatRect(TRect{-1, 2, 30, 40}), (TFloatRect{-1, 2, 30, 40}));
  TRect r{1, 2, 3, 4};
  OffsetIntRect(r, 10, -20);
  EXPECT_EQ(r, (TRect{11, -18, 13, -16}));
  TFloatRect f{1, 2, 3, 4};
  OffsetFloatRect(f, 0.5f, -1);
  EXPECT_EQ(f, (TFloatRect{1.5f, 1, 3.5f, 3}));
  InflateFloatRect(f, 1, 2);
  EXPECT_EQ(f, (TFloatRect{0.5f, -1, 4.5f, 5}));

  TRect d{9, 9, 9, 9};
  EXPECT_FALSE(IntersectIntRect(d, TRect{0, 0, 10, 10}, TRect{10, 0, 20, 10}));
  EXPECT_EQ(d, TRect{});
  EXPECT_TRUE(IntersectIntRect(d, TRect{0, 0, 10, 10}, TRect{5, -5, 15, 7}));
  EXPECT_EQ(d, (TRect{5, 0, 10, 7}));

  TFloatRect g{9, 9, 9, 9};
  EXPECT_FALSE(IntersectFloatRect(g, TFloatRect{0, 0, 1, 1}, TFloatRect{0, 1, 1, 2}));
  EXPECT_EQ(g, TFloatRect{});
  EXPECT_TRUE(IntersectFloatRect(g, TFloatRect{0, 0, 1, 1}, TFloatRect{0.25f, -1, 2, 0.5f}));
  EXPECT_EQ(g, (TFloatRect{0.25f, 0, 1, 0.5f}));
  EXPECT_FALSE(IntersectFloatRect(g, TFloatRect{0, 0, std::nanf(""), 1}, TFloatRect{0, 0, 1, 1}));
  EXPECT_EQ(g, TFloatRect{});
}

TEST(Facade, ColoursConvertAndTakeAlpha) {
  EXPECT_EQ(ColorToColor32(0x00332211), 0xFF112233u);
  const auto face = static_cast<std::uint32_t>(ColorToRGB(clBtnFace));
  EXPECT_EQ(ColorToColor32(clBtnFace), 0xFF000000u | (face & 0xFF) << 16 | (face & 0xFF00) | (face >> 16 & 0xFF));
  EXPECT_EQ(MakeColor32(1, 2, 3, 4), 0x04010203u);
  EXPECT_EQ(SetColorAlpha(0xFF102030, 300), 0xFF102030u);
  EXPECT_EQ(SetColorAlpha(0xFF102030, -5), 0x00102030u);
  EXPECT_EQ(SetColorAlpha(0x12102030, 0x80), 0x80102030u);
  EXPECT_EQ(GetColorAlpha(0xA1B2C3D4), 0xA1);

  float h, s, l;
  Color32ToHSL(0xFFFF0000, h, s, l);
  EXPECT_FLOAT_EQ(h, 0);
  EXPECT_FLOAT_EQ(s, 1);
  EXPECT_FLOAT_EQ(l, 0.5f);
  Color32ToHSL(0x800000FF, h, s, l);
  EXPECT_FLOAT_EQ(h, 2.0f / 3);
  for (TColor32 c : {0xFF00FF00u, 0xFF336699u, 0xFF808080u, 0xFFFFFFFFu}) {
    Color32ToHSL(c, h, s, l);
    EXPECT_EQ(HSLToColor32(h, s, l), c);
  }
}

TEST(Facade, BitmapSettersSetTheProperties) {
  static_assert(sfMitchell == 6 && sizeof(TdocStretchFilter) == sizeof(TStretchFilter));
  TCustomBitmap32 bitmap;
  SetBitmapStretchFilter(bitmap, sfLanczos);
  SetBitmapDrawMode(bitmap, dmBlend);
  SetBitmapCombineMode(bitmap, cmMerge);
  EXPECT_EQ(bitmap.GetStretchFilter(), sfLanczos);
  EXPECT_EQ(bitmap.GetDrawMode(), dmBlend);
  EXPECT_EQ(bitmap.GetCombineMode(), cmMerge);
  TPolygon32 polygon;
  SetPolygonFillMode(polygon, pfNonZero);
  EXPECT_EQ(polygon.FillMode, pfNonZero);
}

TEST(Facade, ColourLinesMergeCombineAndMove) {
  const std::vector<TColor32> src{0x00FFFFFF, 0x80FF0000, 0xFF00FF00, 0x400000FF, 0xC0123456};
  const std::vector<TColor32> background{0xFF000000, 0x80FFFFFF, 0x00000000, 0x40404040, 0xFFFFFFFF};
  std::vector<TColor32> merged = background, mergedAlpha = background;
  MergeColorLine(src.data(), merged.data(), static_cast<int>(src.size()));
  MergeColorLineAlpha(src.data(), mergedAlpha.data(), static_cast<int>(src.size()), 100);
  for (std::size_t i = 0; i < src.size(); ++i) {
    EXPECT_EQ(merged[i], MergeReg(src[i], background[i])) << i;
    EXPECT_EQ(mergedAlpha[i], MergeRegEx(src[i], background[i], 100)) << i;
  }
  EXPECT_EQ(CombineColors(0x11223344, 0xAABBCCDD, 255), 0x11223344u);
  EXPECT_EQ(CombineColors(0x11223344, 0xAABBCCDD, 0), 0xAABBCCDDu);
  EXPECT_EQ(CombineColors(0x11223344, 0xAABBCCDD, 100), CombineReg(0x11223344, 0xAABBCCDD, 100));
  std::vector<TColor32> moved(src.size());
  MoveColors(src.data(), moved.data(), static_cast<int>(src.size()));
  EXPECT_EQ(moved, src);
  // Our vector variants leave no state behind to clear.
  EXPECT_FALSE(IsMMXActive());
}

TEST(Facade, FixedArithmetic) {
  EXPECT_EQ(FixedMultiply(65536 * 3, 32768), 98304);
  EXPECT_EQ(FixedMultiply(-65536, 32768), -32768);
  EXPECT_EQ(FixedMultiply(3 << 16, 5 << 16), 15 << 16);
  EXPECT_EQ(FixedDivide(3 << 16, 2 << 16), 98304);
  EXPECT_EQ(FixedDivide(-1 << 16, 4 << 16), -16384);
  EXPECT_THROW(FixedDivide(1, 0), EInvalidOp);
  EXPECT_THROW(FixedDivide(std::numeric_limits<TFixed>::max(), 1), EInvalidOp);
}

}  // namespace
