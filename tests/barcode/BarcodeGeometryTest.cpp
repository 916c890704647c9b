#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "barcode/BarcodeGeometry.h"
#include "platform/rtl/Exception.h"

using barcode::OffsetPoint;
using barcode::Radians;
using barcode::RotatedBoxOrigin;
using barcode::RotatePoint;

TEST(BarcodeGeometry, RotatePointTurnsCounterClockwiseOnTheCanvas) {
  struct TCase {
    double Degrees;
    TPoint Turned;
  };
  // (10, 20) by hand: x cos + y sin, -x sin + y cos, rounded.
  const TCase cases[] = {
      {0, {10, 20}},   {90, {20, -10}},  {180, {-10, -20}}, {270, {-20, 10}}, {360, {10, 20}},
      {30, {19, 12}},  // 8.66 + 10, -5 + 17.32
      {135, {7, -21}},  // -7.07 + 14.14, -7.07 - 14.14
      {225, {-21, -7}},  // -7.07 - 14.14, 7.07 - 14.14
      {300, {-12, 19}},  // 5 - 17.32, 8.66 + 10
      {-90, {-20, 10}},
  };
  for (const TCase& c : cases) EXPECT_EQ(RotatePoint(Point(10, 20), Radians(c.Degrees)), c.Turned) << c.Degrees;
  // The canvas y axis points down: the row's direction turns upwards.
  EXPECT_EQ(RotatePoint(Point(100, 0), Radians(90)), Point(0, -100));
}

TEST(BarcodeGeometry, RotatedBoxOriginFollowsTheQuadrantTable) {
  struct TCase {
    double Degrees;
    TPoint Origin;
  };
  // A 100 x 50 box at (7, 11).
  const TCase cases[] = {
      {0, {7, 11}},
      {30, {7, 61}},     // sin, cos >= 0: (0, round(100 * 0.5))
      {90, {7, 111}},    // cos 90 is a tiny positive number: still the first row
      {120, {57, 123}},  // cos < 0: (-round(-50), round(86.6 + 25))
      {180, {107, 61}},  // sin 180 counts as positive: offset (W, H)
      {210, {119, 54}},  // both < 0: (86.6 -> 87 + 25, -round(-43.3))
      {270, {57, 11}},   // both < 0: (0 + 50, 0)
      {300, {50, 11}},   // sin < 0: (-round(-43.3), 0)
      {360, {7, 11}},
      {-90, {57, 11}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(RotatedBoxOrigin(Radians(c.Degrees), Point(7, 11), 100, 50), c.Origin) << c.Degrees;
}

TEST(BarcodeGeometry, TheTurnedBoxStartsAtTheOriginAtAnyAngle) {
  const TPoint origin = Point(40, 30);
  for (double degrees = -360; degrees <= 360; degrees += 7.5) {
    const double alpha = Radians(degrees);
    const TPoint moved = RotatedBoxOrigin(alpha, origin, 120, 45);
    int left = std::numeric_limits<int>::max();
    int top = std::numeric_limits<int>::max();
    for (const TPoint corner : {Point(0, 0), Point(120, 0), Point(0, 45), Point(120, 45)}) {
      const TPoint p = OffsetPoint(moved, RotatePoint(corner, alpha));
      left = std::min(left, p.X), top = std::min(top, p.Y);
    }
    EXPECT_NEAR(left, origin.X, 1) << degrees;
    EXPECT_NEAR(top, origin.Y, 1) << degrees;
  }
}

TEST(BarcodeGeometry, CoordinatesOutsideTheIntegerRangeAreRefused) {
  const int big = std::numeric_limits<int>::max();
  EXPECT_EQ(OffsetPoint(Point(big - 5, -big), Point(5, -1)), Point(big, -big - 1));
  EXPECT_THROW(OffsetPoint(Point(big, 0), Point(1, 0)), EInvalidOp);
  EXPECT_THROW(RotatePoint(Point(big, big), Radians(45)), EInvalidOp);
  EXPECT_THROW(RotatedBoxOrigin(Radians(90), Point(0, big), 10, 10), EInvalidOp);
  EXPECT_THROW(RotatedBoxOrigin(std::nan(""), Point(0, 0), 10, 10), EInvalidOp);
}
