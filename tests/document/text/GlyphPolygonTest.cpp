// Native outline records to polygons: hand-worked contours with lines and
// quadratic splines, damaged buffers, and the winding of glyphs.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "document/text/GlyphPolygon.h"

namespace {

constexpr std::int32_t kOne = 65536;

// Writes records by the layout: per contour a 16-byte header (byte size,
// type 24, start point), then curve records (type, count, points).
class TRecords {
public:
  TRecords& Contour(TFixedPoint start) {
    ContourAt = Bytes.size();
    Put32(0);
    Put32(24);
    Put(start);
    Patch();
    return *this;
  }
  TRecords& Curve(std::uint16_t type, std::initializer_list<TFixedPoint> points) {
    Put16(type);
    Put16(static_cast<std::uint16_t>(points.size()));
    for (const TFixedPoint& p : points) Put(p);
    Patch();
    return *this;
  }
  std::vector<std::uint8_t> Bytes;

private:
  void Put16(std::uint16_t v) {
    Bytes.push_back(static_cast<std::uint8_t>(v));
    Bytes.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void Put32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) Bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void Put(TFixedPoint p) {
    Put32(static_cast<std::uint32_t>(p.X));
    Put32(static_cast<std::uint32_t>(p.Y));
  }
  void Patch() {
    const auto size = static_cast<std::uint32_t>(Bytes.size() - ContourAt);
    for (int i = 0; i < 4; ++i) Bytes[ContourAt + i] = static_cast<std::uint8_t>(size >> (8 * i));
  }
  std::size_t ContourAt = 0;
};

TFixedPoint U(double x, double y) { return {static_cast<TFixed>(x * kOne), static_cast<TFixed>(y * kOne)}; }

TArrayOfArrayOfFixedPoint Convert(const std::vector<std::uint8_t>& bytes) {
  TPolygon32 polygon;
  OutlineToPolygon(bytes, polygon);
  return polygon.GetPoints();
}

// The engine's y points up; polygons get it pointing down.
TArrayOfFixedPoint Down(std::initializer_list<TFixedPoint> points) {
  TArrayOfFixedPoint out;
  for (TFixedPoint p : points) out.push_back({p.X, -p.Y});
  return out;
}

TEST(OutlineToPolygon, HandWorkedContours) {
  struct TCase {
    const char* Name;
    TRecords Records;
    TArrayOfArrayOfFixedPoint Expected;
  };
  const TCase cases[] = {
      {"square closed once, repeated point dropped",
       TRecords().Contour(U(0, 0)).Curve(1, {U(10, 0), U(10, 0), U(10, 10), U(0, 10)}),
       {Down({U(0, 0), U(10, 0), U(10, 10), U(0, 10), U(0, 0)})}},
      {"last point equal to the start is not added twice",
       TRecords().Contour(U(0, 0)).Curve(1, {U(10, 0), U(10, 10), U(0, 0)}),
       {Down({U(0, 0), U(10, 0), U(10, 10), U(0, 0)})}},
      // (0,0) (4,4) (8,0): q0 = (2,2), q1 = (6,2), r = (4,2); both halves
      // have control polygons of 6 units, under the 20-unit limit.
      {"flat spline halves become two edges each",
       TRecords().Contour(U(0, 0)).Curve(2, {U(4, 4), U(8, 0)}),
       {Down({U(0, 0), U(2, 2), U(4, 2), U(6, 2), U(8, 0), U(0, 0)})}},
      // Controls (4,4) and (12,4): the implicit point between them is (8,4).
      {"implicit on-curve midpoint",
       TRecords().Contour(U(0, 0)).Curve(2, {U(4, 4), U(12, 4), U(16, 0)}),
       {Down({U(0, 0), U(2, 2), U(4, 3), U(6, 4), U(8, 4), U(10, 4), U(12, 3), U(14, 2), U(16, 0), U(0, 0)})}},
      {"a control equal to an end point adds it again",
       TRecords().Contour(U(0, 0)).Curve(2, {U(0, 0), U(8, 0)}),
       {Down({U(0, 0), U(0, 0), U(8, 0), U(0, 0)})}},
      {"unknown record types are skipped; two contours",
       TRecords().Contour(U(0, 0)).Curve(3, {U(50, 50)}).Curve(1, {U(1, 0), U(1, 1)}).Contour(U(5, 5)).Curve(1, {U(6, 5), U(6, 6)}),
       {Down({U(0, 0), U(1, 0), U(1, 1), U(0, 0)}), Down({U(5, 5), U(6, 5), U(6, 6), U(5, 5)})}},
  };
  for (const TCase& c : cases) EXPECT_EQ(Convert(c.Records.Bytes), c.Expected) << c.Name;
}

TEST(OutlineToPolygon, MidpointsTruncateTowardZero) {
  // Raw 16.16 controls (1, -1) and (2, -2): their implicit midpoint is
  // (1, -1) when halved toward zero, (1, -2) when floored.
  const auto points = Convert(TRecords().Contour({0, 0}).Curve(2, {{1, -1}, {2, -2}, {0, 0}}).Bytes);
  ASSERT_EQ(points.size(), 1u);
  const TArrayOfFixedPoint& contour = points[0];
  EXPECT_NE(std::find(contour.begin(), contour.end(), TFixedPoint{1, 1}), contour.end());
  EXPECT_EQ(std::find(contour.begin(), contour.end(), TFixedPoint{1, 2}), contour.end());
}

TEST(OutlineToPolygon, LongCurvesStayWithinTheFlatnessLimit) {
  // A parabola 400 units wide: every flattened edge is at most 20 units
  // long and every point (on the curve or a control point of a piece that
  // short) lies within 2 units of it.
  const auto points = Convert(TRecords().Contour(U(0, 0)).Curve(2, {U(200, 400), U(400, 0)}).Bytes);
  ASSERT_EQ(points.size(), 1u);
  const TArrayOfFixedPoint& c = points[0];
  ASSERT_GT(c.size(), 20u);
  for (std::size_t i = 0; i + 2 < c.size(); ++i) {
    const double x = c[i].X / double(kOne), y = -c[i].Y / double(kOne);
    EXPECT_NEAR(y, 2 * x - x * x / 200, 2.0) << i;
    const double step = std::hypot(double(c[i + 1].X - c[i].X), double(c[i + 1].Y - c[i].Y)) / kOne;
    EXPECT_LE(step, 20.0) << i;
  }
}

TEST(OutlineToPolygon, DamagedBuffersStopWithoutReadingPastTheEnd) {
  std::vector<std::uint8_t> good = TRecords().Contour(U(0, 0)).Curve(1, {U(1, 0), U(1, 1)}).Bytes;
  struct TCase {
    const char* Name;
    std::vector<std::uint8_t> Bytes;
    std::size_t Points;  // in the one contour read, 0 for none
  };
  auto sizeTooLarge = good;
  sizeTooLarge[0] = 0xFF;
  auto sizeTooSmall = good;
  sizeTooSmall[0] = 8;
  auto countTooLarge = good;
  countTooLarge[18] = 0x40;
  const TCase cases[] = {
      {"empty", {}, 0},
      {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 16), 0},
      {"contour size beyond the buffer", sizeTooLarge, 0},
      {"contour size below its header", sizeTooSmall, 0},
      {"point count beyond the contour", countTooLarge, 1},
      {"cut inside a record", std::vector<std::uint8_t>(good.begin(), good.end() - 3), 0},
  };
  for (const TCase& c : cases) {
    const auto contours = Convert(c.Bytes);
    ASSERT_EQ(contours.size(), 1u) << c.Name;  // the polygon's own first contour
    EXPECT_EQ(contours[0].size(), c.Points) << c.Name;
  }
}

TEST(GlyphOrientation, SignOfTheSummedShoelace) {
  TPolygon32 clockwiseOnScreen, counterClockwise, line, twoContours;
  clockwiseOnScreen.SetPoints({{U(0, 0), U(10, 0), U(10, 10), U(0, 10)}});
  counterClockwise.SetPoints({{U(0, 10), U(10, 10), U(10, 0), U(0, 0)}});
  line.SetPoints({{U(0, 0), U(10, 10)}});
  // A big counter-clockwise contour outweighs a small clockwise hole.
  twoContours.SetPoints({{U(0, 30), U(30, 30), U(30, 0), U(0, 0)}, {U(1, 1), U(2, 1), U(2, 2), U(1, 2)}});
  EXPECT_EQ(GlyphOrientation(&clockwiseOnScreen), 1);
  EXPECT_EQ(GlyphOrientation(&counterClockwise), 2);
  EXPECT_EQ(GlyphOrientation(&line), 0);
  EXPECT_EQ(GlyphOrientation(&twoContours), 2);
  EXPECT_EQ(GlyphOrientation(nullptr), 0);
}

}  // namespace
