// Offset contours and outlines against geometric expectations: squares grow
// into squares of side + 2d, corners are cut or mitred by the sharpness,
// outlines grown and filled are bands of the expected area.

#include <gtest/gtest.h>

#include <cmath>

#include "ImagingTestSupport.h"
#include "PolygonOracle.h"
#include "imaging/CustomBitmap32.h"
#include "imaging/Polygon32.h"

namespace {

using imagingtest::Fx;
using imagingtest::Solid;
using TPoints = TArrayOfFixedPoint;

constexpr TFixed Units(double v) { return static_cast<TFixed>(v * 65536); }

std::unique_ptr<TPolygon32> Path(const TPoints& points, bool closed = true) {
  auto polygon = std::make_unique<TPolygon32>();
  polygon->AddPoints(points.data(), points.size());
  polygon->Closed = closed;
  polygon->FillMode = pfNonZero;
  return polygon;
}

// Clockwise on screen (y down): top-left, top-right, bottom-right, bottom-left.
TPoints Square(double left, double top, double side) {
  return {Fx(left, top), Fx(left + side, top), Fx(left + side, top + side), Fx(left, top + side)};
}

// Pixels filled without antialiasing.
int FilledPixels(const TPolygon32& polygon) {
  TCustomBitmap32 bitmap;
  Solid(bitmap, 32, 32, clBlack32);
  polygon.DrawFill(bitmap, clWhite32);
  const std::vector<TColor32> pixels = imagingtest::Pixels(bitmap);
  return static_cast<int>(std::count(pixels.begin(), pixels.end(), clWhite32));
}

double Area(const TPoints& contour) { return std::fabs(oracle::SignedArea(oracle::FromFixed(contour))); }

TEST(PolygonGrow, SharpCornersKeepTheirPointAndTheSquareGrowsOrShrinksBy2dASide) {
  const auto square = Path(Square(10, 10, 10));
  EXPECT_EQ(square->Grow(Units(2), 0.99f)->GetPoints(), TArrayOfArrayOfFixedPoint{Square(8, 8, 14)});
  EXPECT_EQ(square->Grow(Units(-2), 0.99f)->GetPoints(), TArrayOfArrayOfFixedPoint{Square(12, 12, 6)});
  // Counter-clockwise, growing shrinks.
  const TPoints square2 = Square(10, 10, 10);
  EXPECT_EQ(FilledPixels(*Path(TPoints(square2.rbegin(), square2.rend()))->Grow(Units(2), 0.99f)), 6 * 6);
  // Without sharpness shrinking cuts the right angles as growing does.
  EXPECT_DOUBLE_EQ(Area(square->Grow(Units(-2), 0)->GetPoints()[0]), 6 * 6 - 4 * 2.0);
}

TEST(PolygonGrow, WithoutSharpnessRightAnglesAreCutAndStraightRunsKeepOnePoint) {
  const auto square = Path({Fx(10, 10), Fx(15, 10), Fx(20, 10), Fx(20, 20), Fx(10, 20)});  // (15, 10) mid-edge
  const TPoints grown = square->Grow(Units(2), 0)->GetPoints()[0];
  EXPECT_EQ(grown, (TPoints{Fx(8, 10), Fx(10, 8), Fx(15, 8), Fx(20, 8), Fx(22, 10), Fx(22, 20), Fx(20, 22),
                            Fx(10, 22), Fx(8, 20)}));
  EXPECT_DOUBLE_EQ(Area(grown), 14 * 14 - 4 * 2.0);  // the grown square less four corner triangles
}

TEST(PolygonGrow, SharpnessDecidesWhichCornersAreCut) {
  // A clockwise triangle with two 45-degree corners (turns of 135 degrees)
  // and a right angle (90). A corner is cut when its turn reaches
  // acos(-sharpness): 127 degrees at 0.6, 143 at 0.8.
  const auto triangle = Path({Fx(0, 20), Fx(20, 0), Fx(20, 20)});
  EXPECT_EQ(triangle->Grow(Units(1), 0.6f)->GetPoints()[0].size(), 5u);
  EXPECT_EQ(triangle->Grow(Units(1), 0)->GetPoints()[0].size(), 6u);
  // Mitred corners sit where the moved edges meet: 1 / sin(22.5) along the bisector.
  const TPoints mitred = triangle->Grow(Units(1), 0.8f)->GetPoints()[0];
  ASSERT_EQ(mitred.size(), 3u);
  EXPECT_NEAR(mitred[0].X / 65536.0, -1 - std::sqrt(2.0), 1e-3);
  EXPECT_NEAR(mitred[0].Y / 65536.0, 21, 1e-3);
}

TEST(PolygonGrow, TurningBackAndRepeatedPointsNeverDivideByZero) {
  // A contour of two points turns back at both ends: each end is cut into a
  // flat cap, whatever the sign of delta.
  for (TFixed delta : {Units(1.5), Units(-1.5)}) {
    const auto grown = Path({Fx(5, 10), Fx(25, 10)})->Grow(delta, 0.5f);
    ASSERT_EQ(grown->GetPoints()[0].size(), 4u);
    EXPECT_DOUBLE_EQ(Area(grown->GetPoints()[0]), 20 * 3.0);
  }
  // Repeated points (and a contour of one point repeated) add no corner.
  const TPoints plain = Square(10, 10, 10);
  TPoints doubled;
  for (const TFixedPoint& p : plain) doubled.insert(doubled.end(), {p, p});
  const auto repeated = Path(doubled);
  repeated->NewLine();
  for (int i = 0; i < 3; ++i) repeated->Add(Fx(3, 3));
  for (float sharpness : {0.0f, 0.99f})
    for (TFixed delta : {Units(2), Units(-2)}) {
      const auto grown = repeated->Grow(delta, sharpness);
      EXPECT_DOUBLE_EQ(Area(grown->GetPoints()[0]), Area(Path(plain)->Grow(delta, sharpness)->GetPoints()[0]));
      for (const TFixedPoint& p : grown->GetPoints()[1]) EXPECT_EQ(p, Fx(3, 3));
    }
}

TEST(PolygonGrow, OpenContoursMoveTheirEndsAlongTheirOwnEdges) {
  const auto grown = Path({Fx(0, 0), Fx(10, 0), Fx(10, 10)}, false)->Grow(Units(1), 0.99f);
  EXPECT_FALSE(grown->Closed);
  EXPECT_EQ(grown->GetPoints()[0], (TPoints{Fx(0, -1), Fx(11, -1), Fx(11, 10)}));
}

TEST(PolygonOutline, ClosedContoursTwiceOpenOnesThereAndBack) {
  const TPoints square = Square(0, 0, 4);
  EXPECT_EQ(Path(square)->Outline()->GetPoints(),
            (TArrayOfArrayOfFixedPoint{square, TPoints(square.rbegin(), square.rend())}));
  const auto there = Path({Fx(0, 0), Fx(1, 0), Fx(2, 3)}, false)->Outline();
  EXPECT_FALSE(there->Closed);
  EXPECT_EQ(there->GetPoints(), (TArrayOfArrayOfFixedPoint{{Fx(0, 0), Fx(1, 0), Fx(2, 3), Fx(1, 0), Fx(0, 0)}}));
}

TEST(PolygonOutline, GrownOutlinesFillBandsAroundTheContours) {
  // A closed square of side 10 with sharp corners: the band between the
  // squares of side 14 and 6.
  EXPECT_EQ(FilledPixels(*Path(Square(8, 8, 10))->Outline()->Grow(Units(2), 0.99f)), 14 * 14 - 6 * 6);
  // An open segment: a rectangle 20 long and 4 wide with flat ends.
  EXPECT_EQ(FilledPixels(*Path({Fx(5, 10), Fx(25, 10)}, false)->Outline()->Grow(Units(2), 0.5f)), 20 * 4);
  // A bent open path: both legs, 16 x 4 and 20 x 4, overlapping in 2 x 2 at
  // the bend, and the mitred outside corner of 2 x 2.
  EXPECT_EQ(FilledPixels(*Path({Fx(4, 6), Fx(20, 6), Fx(20, 26)}, false)->Outline()->Grow(Units(2), 0.99f)),
            16 * 4 + 20 * 4 - 2 * 2 + 2 * 2);
}

}  // namespace
