// Offset contours and outlines against geometric expectations: squares grow
// into squares of side + 2d, corners are cut or mitred by the sharpness,
// outlines grown and filled are bands of the expected area.

#include <gtest/gtest.h>

#include <cmath>

#include "PolygonOracle.h"
#include "imaging/CustomBitmap32.h"
#include "imaging/Polygon32.h"

namespace {

TFixedPoint At(double x, double y) {
  return TFixedPoint{static_cast<TFixed>(std::lround(x * 65536)), static_cast<TFixed>(std::lround(y * 65536))};
}

constexpr TFixed Units(double v) { return static_cast<TFixed>(v * 65536); }

// Clockwise on screen (y down): top-left, top-right, bottom-right, bottom-left.
void Square(TPolygon32& polygon, double left, double top, double side) {
  for (TFixedPoint p : {At(left, top), At(left + side, top), At(left + side, top + side), At(left, top + side)})
    polygon.Add(p);
}

// Pixels filled without antialiasing.
int FilledPixels(const TPolygon32& polygon, int size) {
  TCustomBitmap32 bitmap;
  bitmap.SetSize(size, size);
  bitmap.Clear(clBlack32);
  polygon.DrawFill(bitmap, clWhite32);
  int count = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) count += bitmap.GetPixel(x, y) == clWhite32;
  return count;
}

double Area(const TArrayOfFixedPoint& contour) { return oracle::SignedArea(oracle::FromFixed(contour)); }

TEST(PolygonGrow, SharpCornersKeepTheirPointAndTheSquareGrowsBy2dASide) {
  TPolygon32 square;
  Square(square, 10, 10, 10);
  const auto grown = square.Grow(Units(2), 0.99f);
  ASSERT_EQ(grown->GetPoints().size(), 1u);
  EXPECT_EQ(grown->GetPoints()[0], (TArrayOfFixedPoint{At(8, 8), At(22, 8), At(22, 22), At(8, 22)}));
  EXPECT_EQ(FilledPixels(*grown, 32), 14 * 14);
}

TEST(PolygonGrow, WithoutSharpnessRightAnglesAreCutAndStraightRunsKeepOnePoint) {
  TPolygon32 square;
  square.Add(At(10, 10));
  square.Add(At(15, 10));  // in the middle of the top edge
  square.Add(At(20, 10));
  square.Add(At(20, 20));
  square.Add(At(10, 20));
  const auto grown = square.Grow(Units(2), 0);
  EXPECT_EQ(grown->GetPoints()[0], (TArrayOfFixedPoint{At(8, 10), At(10, 8), At(15, 8), At(20, 8), At(22, 10),
                                                       At(22, 20), At(20, 22), At(10, 22), At(8, 20)}));
  // The grown square less four corner triangles of 2 x 2 / 2.
  EXPECT_DOUBLE_EQ(Area(grown->GetPoints()[0]), 14 * 14 - 4 * 2.0);
}

TEST(PolygonGrow, SharpnessDecidesWhichCornersAreCut) {
  // A clockwise triangle with two 45-degree corners (turns of 135 degrees)
  // and a right angle (90). A corner is cut when its turn reaches
  // acos(-sharpness): 127 degrees at 0.6, 143 at 0.8.
  TPolygon32 triangle;
  triangle.Add(At(0, 20));
  triangle.Add(At(20, 0));
  triangle.Add(At(20, 20));
  EXPECT_EQ(triangle.Grow(Units(1), 0.6f)->GetPoints()[0].size(), 5u);
  EXPECT_EQ(triangle.Grow(Units(1), 0.8f)->GetPoints()[0].size(), 3u);
  EXPECT_EQ(triangle.Grow(Units(1), 0)->GetPoints()[0].size(), 6u);
  // The mitred corner sits where the moved edges meet: 1 / sin(22.5) along
  // the bisector.
  const TFixedPoint tip = triangle.Grow(Units(1), 0.8f)->GetPoints()[0][0];
  EXPECT_NEAR(tip.X / 65536.0, -1 - std::sqrt(2.0), 1e-3);
  EXPECT_NEAR(tip.Y / 65536.0, 21, 1e-3);
}

TEST(PolygonGrow, NegativeDeltaShrinksAndCounterClockwiseContoursShrinkToo) {
  TPolygon32 square;
  Square(square, 10, 10, 10);
  EXPECT_EQ(square.Grow(Units(-2), 0.99f)->GetPoints()[0],
            (TArrayOfFixedPoint{At(12, 12), At(18, 12), At(18, 18), At(12, 18)}));
  TPolygon32 reversed;
  for (TFixedPoint p : {At(10, 10), At(10, 20), At(20, 20), At(20, 10)}) reversed.Add(p);
  EXPECT_EQ(FilledPixels(*reversed.Grow(Units(2), 0.99f), 32), 6 * 6);
  // Without sharpness shrinking cuts the right angles as growing does.
  EXPECT_DOUBLE_EQ(std::fabs(Area(square.Grow(Units(-2), 0)->GetPoints()[0])), 6 * 6 - 4 * 2.0);
}

TEST(PolygonGrow, TurningBackAndRepeatedPointsNeverDivideByZero) {
  // A contour of two points turns back at both ends: each end is cut into a
  // flat cap, whatever the sign of delta.
  for (TFixed delta : {Units(1.5), Units(-1.5)}) {
    TPolygon32 segment;
    segment.Add(At(5, 10));
    segment.Add(At(25, 10));
    const auto grown = segment.Grow(delta, 0.5f);
    ASSERT_EQ(grown->GetPoints()[0].size(), 4u);
    EXPECT_DOUBLE_EQ(std::fabs(Area(grown->GetPoints()[0])), 20 * 3.0);
  }
  // Repeated points (and a contour of one point repeated) add no corner.
  TPolygon32 plain, repeated;
  Square(plain, 10, 10, 10);
  for (const TFixedPoint& p : plain.GetPoints()[0]) {
    repeated.Add(p);
    repeated.Add(p);
  }
  repeated.NewLine();
  for (int i = 0; i < 3; ++i) repeated.Add(At(3, 3));
  for (float sharpness : {0.0f, 0.99f})
    for (TFixed delta : {Units(2), Units(-2)}) {
      const auto a = plain.Grow(delta, sharpness);
      const auto b = repeated.Grow(delta, sharpness);
      EXPECT_DOUBLE_EQ(Area(a->GetPoints()[0]), Area(b->GetPoints()[0]));
      for (const TFixedPoint& p : b->GetPoints()[1]) EXPECT_EQ(p, At(3, 3));
    }
}

TEST(PolygonGrow, OpenContoursMoveTheirEndsAlongTheirOwnEdges) {
  TPolygon32 path;
  path.Closed = false;
  path.Add(At(0, 0));
  path.Add(At(10, 0));
  path.Add(At(10, 10));
  const auto grown = path.Grow(Units(1), 0.99f);
  EXPECT_FALSE(grown->Closed);
  EXPECT_EQ(grown->GetPoints()[0], (TArrayOfFixedPoint{At(0, -1), At(11, -1), At(11, 10)}));
}

TEST(PolygonGrow, ZeroDeltaCopiesAndPropertiesCarryOver) {
  TPolygon32 polygon;
  polygon.Antialiased = true;
  polygon.AntialiasMode = am4times;
  polygon.FillMode = pfNonZero;
  Square(polygon, 1, 2, 3);
  polygon.NewLine();
  polygon.Add(At(7, 7));
  const auto copy = polygon.Grow(0, 0.3f);
  EXPECT_EQ(copy->GetPoints(), polygon.GetPoints());
  EXPECT_TRUE(copy->Antialiased);
  EXPECT_EQ(copy->AntialiasMode, am4times);
  EXPECT_EQ(copy->FillMode, pfNonZero);
  // A contour of one point has no edge to move along: it is left out.
  EXPECT_EQ(polygon.Grow(Units(1))->GetPoints().size(), 1u);
}

TEST(PolygonOutline, ClosedContoursTwiceOpenOnesThereAndBack) {
  TPolygon32 closed;
  Square(closed, 0, 0, 4);
  const auto outline = closed.Outline();
  const TArrayOfFixedPoint& square = closed.GetPoints()[0];
  ASSERT_EQ(outline->GetPoints().size(), 2u);
  EXPECT_EQ(outline->GetPoints()[0], square);
  EXPECT_EQ(outline->GetPoints()[1], TArrayOfFixedPoint(square.rbegin(), square.rend()));

  TPolygon32 open;
  open.Closed = false;
  for (TFixedPoint p : {At(0, 0), At(1, 0), At(2, 3)}) open.Add(p);
  const auto there = open.Outline();
  EXPECT_FALSE(there->Closed);
  EXPECT_EQ(there->GetPoints(), (TArrayOfArrayOfFixedPoint{{At(0, 0), At(1, 0), At(2, 3), At(1, 0), At(0, 0)}}));
}

TEST(PolygonOutline, GrownOutlinesFillBandsAroundTheContours) {
  // A closed square of side 10 outlined and grown by 2 with sharp corners: the
  // band between the squares of side 14 and 6.
  TPolygon32 square;
  square.FillMode = pfNonZero;
  Square(square, 8, 8, 10);
  EXPECT_EQ(FilledPixels(*square.Outline()->Grow(Units(2), 0.99f), 32), 14 * 14 - 6 * 6);
  // An open segment: a rectangle 20 long and 4 wide with flat ends.
  TPolygon32 segment;
  segment.FillMode = pfNonZero;
  segment.Closed = false;
  segment.Add(At(5, 10));
  segment.Add(At(25, 10));
  EXPECT_EQ(FilledPixels(*segment.Outline()->Grow(Units(2), 0.5f), 32), 20 * 4);
  // A bent open path: both legs, 16 x 4 and 20 x 4, overlapping in 2 x 2 at
  // the bend, and the mitred outside corner of 2 x 2.
  TPolygon32 bend;
  bend.FillMode = pfNonZero;
  bend.Closed = false;
  for (TFixedPoint p : {At(4, 6), At(20, 6), At(20, 26)}) bend.Add(p);
  EXPECT_EQ(FilledPixels(*bend.Outline()->Grow(Units(2), 0.99f), 32), 16 * 4 + 20 * 4 - 2 * 2 + 2 * 2);
}

}  // namespace
