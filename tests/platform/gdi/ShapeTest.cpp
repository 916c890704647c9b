#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "platform/gdi/Canvas.h"
#include "platform/rtl/Exception.h"
#include "tests/platform/gdi/CanvasTestSupport.h"

using namespace gdi_test;

namespace {

constexpr std::uint32_t kRedPixel = 0x00FF0000;   // clRed as the canvas writes it
constexpr std::uint32_t kBluePixel = 0x000000FF;  // clBlue

void UsePenAndBrush(TCanvas& canvas, TColor pen, TColor brush) {
  canvas.GetPen().SetColor(pen);
  canvas.GetBrush().SetColor(brush);
}

// The barcode module polygon: corners (x, 0), (x, h), (x + w - 1, h), (x + w - 1, 0).
std::array<TPoint, 4> Module(int x, int w, int h, int top) {
  return {Point(x, top), Point(x, top + h), Point(x + w - 1, top + h), Point(x + w - 1, top)};
}

}  // namespace

TEST(CanvasPolygon, BarcodeModuleCoversItsColumnsAndRowsInclusively) {
  for (int w = 1; w <= 3; ++w) {
    TTestSurface t(16, 16);
    UsePenAndBrush(t.Canvas, clRed, clRed);
    const auto module = Module(5, w, 8, 2);
    t.Canvas.Polygon(module);
    EXPECT_EQ(t.Holding(kRedPixel), Block(5, 2, 5 + w - 1, 10)) << "w = " << w;
    EXPECT_EQ(t.Differing(kBackground), t.Holding(kRedPixel)) << "w = " << w;
  }
}

TEST(CanvasPolygon, FillLeavesRightAndBottomEdgesToThePen) {
  TTestSurface t(16, 16);
  UsePenAndBrush(t.Canvas, clRed, clBlue);
  const auto module = Module(2, 4, 5, 1);  // columns 2..5, rows 1..6
  t.Canvas.Polygon(module);
  // The fill alone samples (x, y) with left and top edges inside: columns
  // 2..4 and rows 1..5; the pen then draws all four edges over it.
  EXPECT_EQ(t.Holding(kBluePixel), Block(3, 2, 4, 5));
  EXPECT_EQ(t.Differing(kBackground), Block(2, 1, 5, 6));

  TTestSurface clearPen(16, 16);
  UsePenAndBrush(clearPen.Canvas, clRed, clBlue);
  clearPen.Canvas.GetPen().SetStyle(psClear);
  clearPen.Canvas.Polygon(module);
  EXPECT_EQ(clearPen.Differing(kBackground), Block(2, 1, 4, 5));
}

TEST(CanvasPolygon, ClearBrushDrawsOnlyTheOutline) {
  TTestSurface t(12, 12);
  UsePenAndBrush(t.Canvas, clRed, clBlue);
  t.Canvas.GetBrush().SetStyle(bsClear);
  const auto module = Module(2, 5, 4, 3);
  t.Canvas.Polygon(module);
  PixelSet outline = Union(Union(Block(2, 3, 6, 3), Block(2, 7, 6, 7)), Union(Block(2, 3, 2, 7), Block(6, 3, 6, 7)));
  EXPECT_EQ(t.Differing(kBackground), outline);
  EXPECT_EQ(t.Holding(kRedPixel), outline);
}

TEST(CanvasPolygon, DrawnPixelsGetAlphaZeroAndOthersKeepTheirs) {
  TTestSurface t(10, 10, 0x7F336699);
  UsePenAndBrush(t.Canvas, clRed, clBlue);
  const auto module = Module(1, 3, 3, 1);
  t.Canvas.Polygon(module);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 1 && x <= 3 && y >= 1 && y <= 4;
      EXPECT_EQ(t.At(x, y) >> 24, inside ? 0u : 0x7Fu) << x << "," << y;
      if (!inside) {
        EXPECT_EQ(t.At(x, y), 0x7F336699u);
      }
    }
}

// An oracle independent of the scan-line fill: the crossing-number test at
// the point moved by a tiny step right and a tinier step down, which puts
// points on left and top edges inside and points on right and bottom edges
// outside.
bool InsideByCrossings(const std::vector<TPoint>& polygon, int px, int py) {
  const double x = px + 1e-4;
  const double y = py + 1e-7;
  bool inside = false;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const double xi = polygon[i].X, yi = polygon[i].Y, xj = polygon[j].X, yj = polygon[j].Y;
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside;
}

double DistanceToSegment(double px, double py, const TPoint& a, const TPoint& b) {
  const double dx = b.X - a.X, dy = b.Y - a.Y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 == 0 ? 0 : ((px - a.X) * dx + (py - a.Y) * dy) / length2;
  t = std::fmax(0, std::fmin(1, t));
  return std::hypot(px - (a.X + t * dx), py - (a.Y + t * dy));
}

// Quadrilaterals as the barcode turns a module: corners rotated and rounded.
std::vector<TPoint> RotatedModule(double degrees, int x, int w, int h, TPoint origin) {
  const double a = degrees / 180 * M_PI;
  std::vector<TPoint> points;
  for (const TPoint& p : Module(x, w, h, 0)) {
    const double rx = p.X * std::cos(a) + p.Y * std::sin(a);
    const double ry = -p.X * std::sin(a) + p.Y * std::cos(a);
    points.push_back(Point(origin.X + static_cast<int>(std::nearbyint(rx)), origin.Y + static_cast<int>(std::nearbyint(ry))));
  }
  return points;
}

TEST(CanvasPolygon, RotatedQuadrilateralsFillExactlyTheSampledPixels) {
  for (double degrees : {0.0, 17.0, 30.0, 45.0, 90.0, 135.0, 200.0, 290.0, 333.0}) {
    for (int w : {1, 2, 3, 7}) {
      const std::vector<TPoint> quad = RotatedModule(degrees, 3, w, 20, Point(30, 30));
      TTestSurface t(64, 64);
      UsePenAndBrush(t.Canvas, clRed, clBlue);
      t.Canvas.GetPen().SetStyle(psClear);
      t.Canvas.Polygon(quad);
      PixelSet expected;
      for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
          if (InsideByCrossings(quad, x, y)) expected.insert({x, y});
      EXPECT_EQ(t.Differing(kBackground), expected) << degrees << " degrees, w = " << w;
      EXPECT_EQ(t.Holding(kBluePixel), expected);
    }
  }
}

TEST(CanvasPolygon, RotatedQuadrilateralOutlineHugsTheEdgesAndCoversTheCorners) {
  for (double degrees : {17.0, 30.0, 45.0, 135.0, 290.0}) {
    const std::vector<TPoint> quad = RotatedModule(degrees, 3, 6, 20, Point(30, 30));
    TTestSurface t(64, 64);
    UsePenAndBrush(t.Canvas, clRed, clBlue);
    t.Canvas.Polygon(quad);
    for (const TPoint& corner : quad) EXPECT_EQ(t.At(corner.X, corner.Y), kRedPixel) << degrees;
    for (const auto& [x, y] : t.Holding(kRedPixel)) {
      double nearest = 1e9;
      for (std::size_t i = 0; i < quad.size(); ++i)
        nearest = std::fmin(nearest, DistanceToSegment(x, y, quad[i], quad[(i + 1) % quad.size()]));
      EXPECT_LE(nearest, std::sqrt(0.5) + 1e-9) << degrees << ": pen pixel " << x << "," << y;
    }
    // Whatever the pen left of the fill is exactly the sampled interior.
    for (const auto& [x, y] : t.Holding(kBluePixel)) EXPECT_TRUE(InsideByCrossings(quad, x, y));
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x)
        if (InsideByCrossings(quad, x, y)) {
          EXPECT_NE(t.At(x, y), kBackground);
        }
  }
}

TEST(CanvasPolygon, SelfIntersectingPolygonUsesAlternateFill) {
  // Two overlapping squares traced as one contour: the overlap is a hole.
  const std::vector<TPoint> points = {Point(0, 0), Point(6, 0), Point(6, 6), Point(2, 6), Point(2, 2),
                                      Point(8, 2), Point(8, 8), Point(0, 8)};
  TTestSurface t(10, 10);
  UsePenAndBrush(t.Canvas, clRed, clBlue);
  t.Canvas.GetPen().SetStyle(psClear);
  t.Canvas.Polygon(points);
  EXPECT_EQ(t.At(1, 1), kBluePixel);
  EXPECT_EQ(t.At(4, 4), kBackground);  // inside both loops
  EXPECT_EQ(t.At(7, 4), kBluePixel);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(t.At(x, y) == kBluePixel, InsideByCrossings(points, x, y)) << x << "," << y;
}

TEST(CanvasPolygon, HugeCoordinatesAreClippedWithoutOverflow) {
  TTestSurface t(8, 8);
  UsePenAndBrush(t.Canvas, clRed, clBlue);
  const std::vector<TPoint> huge = {Point(-2000000000, -2000000000), Point(2000000000, -2000000000),
                                    Point(2000000000, 2000000000), Point(-2000000000, 2000000000)};
  t.Canvas.Polygon(huge);
  EXPECT_EQ(t.Holding(kBluePixel), Block(0, 0, 7, 7));
}

TEST(CanvasRectangle, PenCoversAllFourEdgesAndBrushTheInside) {
  TTestSurface t(12, 12);
  UsePenAndBrush(t.Canvas, clRed, clBlue);
  t.Canvas.Rectangle(8, 9, 2, 3);  // corners in any order
  EXPECT_EQ(t.Differing(kBackground), Block(2, 3, 7, 8));
  EXPECT_EQ(t.Holding(kBluePixel), Block(3, 4, 6, 7));
}

TEST(CanvasRectangle, WithoutPenTheFillIsOnePixelShort) {
  TTestSurface t(12, 12);
  UsePenAndBrush(t.Canvas, clRed, clBlue);
  t.Canvas.GetPen().SetStyle(psClear);
  t.Canvas.Rectangle(Rect(2, 3, 8, 9));
  EXPECT_EQ(t.Differing(kBackground), Block(2, 3, 6, 7));
  t.Canvas.Rectangle(Rect(5, 5, 5, 9));  // empty: nothing
  EXPECT_EQ(t.Differing(kBackground), Block(2, 3, 6, 7));
}

TEST(CanvasFillRect, FillsExactlyTheRectangleClippedToTheSurface) {
  TTestSurface t(10, 10);
  t.Canvas.GetBrush().SetColor(clBlue);
  t.Canvas.FillRect(Rect(-5, 7, 3, 20));
  EXPECT_EQ(t.Differing(kBackground), Block(0, 7, 2, 9));
  EXPECT_EQ(t.Holding(kBluePixel), Block(0, 7, 2, 9));
  t.Canvas.GetBrush().SetStyle(bsClear);
  t.Canvas.FillRect(Rect(4, 4, 6, 6));
  EXPECT_EQ(t.Differing(kBackground), Block(0, 7, 2, 9));
}

TEST(CanvasLine, LineToLeavesTheLastPixelAndMovesThePen) {
  TTestSurface t(12, 12);
  t.Canvas.GetPen().SetColor(clRed);
  t.Canvas.MoveTo(1, 2);
  t.Canvas.LineTo(6, 2);
  EXPECT_EQ(t.Differing(kBackground), Block(1, 2, 5, 2));
  EXPECT_EQ(t.Canvas.GetPenPos(), Point(6, 2));
  t.Canvas.LineTo(6, 8);
  EXPECT_EQ(t.Differing(kBackground), Union(Block(1, 2, 5, 2), Block(6, 2, 6, 7)));
}

TEST(CanvasLine, SlopedLinesRoundTheMinorCoordinate) {
  struct Case {
    TPoint From, To;
    PixelSet Expected;
  };
  const std::vector<Case> cases = {
      // y = 2x/5: 0, 0.4, 0.8, 1.2, 1.6 rounded (halves away from the start).
      {Point(0, 0), Point(5, 2), {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
      {Point(5, 2), Point(0, 0), {{5, 2}, {4, 2}, {3, 1}, {2, 1}, {1, 0}}},
      {Point(0, 0), Point(4, 4), {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
      {Point(7, 0), Point(5, 4), {{7, 0}, {6, 1}, {6, 2}, {5, 3}}},  // steep: x at 7, 6.5, 6, 5.5
      {Point(0, 5), Point(4, 3), {{0, 5}, {1, 4}, {2, 4}, {3, 3}}},  // y at 5, 4.5, 4, 3.5
  };
  for (const Case& c : cases) {
    TTestSurface t(10, 10);
    t.Canvas.GetPen().SetColor(clRed);
    t.Canvas.MoveTo(c.From.X, c.From.Y);
    t.Canvas.LineTo(c.To.X, c.To.Y);
    EXPECT_EQ(t.Holding(kRedPixel), c.Expected) << c.From.X << "," << c.From.Y << " -> " << c.To.X << "," << c.To.Y;
  }
}

TEST(CanvasLine, ClearPenDrawsNothingAndWidePensStampSquares) {
  TTestSurface t(12, 12);
  t.Canvas.GetPen().SetStyle(psClear);
  t.Canvas.LineTo(10, 10);
  EXPECT_TRUE(t.Differing(kBackground).empty());
  EXPECT_EQ(t.Canvas.GetPenPos(), Point(10, 10));

  t.Canvas.GetPen().SetStyle(psSolid);
  t.Canvas.GetPen().SetWidth(3);
  t.Canvas.GetPen().SetColor(clRed);
  t.Canvas.MoveTo(2, 5);
  t.Canvas.LineTo(8, 5);
  EXPECT_EQ(t.Differing(kBackground), Block(1, 4, 8, 6));
}

TEST(CanvasLine, VeryLongLinesCostOnlyTheirVisiblePart) {
  TTestSurface t(6, 6);
  t.Canvas.GetPen().SetColor(clRed);
  t.Canvas.MoveTo(-2000000000, -2000000000);
  t.Canvas.LineTo(2000000000, 2000000000);
  PixelSet diagonal;
  for (int i = 0; i < 6; ++i) diagonal.insert({i, i});
  EXPECT_EQ(t.Differing(kBackground), diagonal);
}

TEST(CanvasPixels, ReadAndWriteColoursWithAlphaZero) {
  TTestSurface t(4, 4);
  t.Canvas.SetPixel(1, 2, 0x00123456);
  EXPECT_EQ(t.At(1, 2), 0x00563412u);
  EXPECT_EQ(t.Canvas.GetPixel(1, 2), 0x00123456);
  EXPECT_EQ(t.Canvas.GetPixel(0, 0), 0x00302010);  // alpha ignored
  EXPECT_EQ(t.Canvas.GetPixel(4, 0), CLR_INVALID);
  t.Canvas.SetPixel(-1, 0, clRed);  // off the surface: nothing
  EXPECT_EQ(t.Differing(kBackground).size(), 1u);
}

TEST(CanvasState, DrawingNeedsASurfaceAndReportsEachChange) {
  TCanvas detached;
  EXPECT_THROW(detached.LineTo(3, 3), EInvalidOperation);
  EXPECT_THROW(detached.FillRect(Rect(0, 0, 2, 2)), EInvalidOperation);

  TTestSurface t(4, 4);
  int changes = 0;
  t.Canvas.OnChange = [&](TPersistent* sender) {
    EXPECT_EQ(sender, &t.Canvas);
    ++changes;
  };
  t.Canvas.FillRect(Rect(0, 0, 1, 1));
  t.Canvas.LineTo(2, 2);
  t.Canvas.Rectangle(0, 0, 3, 3);
  EXPECT_EQ(changes, 3);
}

TEST(CanvasState, PenAndBrushAssignAndNotify) {
  TPen pen;
  int penChanges = 0;
  pen.OnChange = [&](TPersistent*) { ++penChanges; };
  TPen other;
  other.SetColor(clRed);
  other.SetWidth(4);
  other.SetStyle(psDot);
  other.SetMode(pmXor);
  pen.Assign(&other);
  EXPECT_EQ(pen.GetColor(), clRed);
  EXPECT_EQ(pen.GetWidth(), 4);
  EXPECT_EQ(pen.GetStyle(), psDot);
  EXPECT_EQ(pen.GetMode(), pmXor);
  EXPECT_EQ(penChanges, 1);
  pen.SetColor(clRed);  // unchanged: no notification
  EXPECT_EQ(penChanges, 1);

  TBrush brush;
  int brushChanges = 0;
  brush.OnChange = [&](TPersistent*) { ++brushChanges; };
  EXPECT_EQ(brush.GetColor(), clWhite);
  EXPECT_EQ(brush.GetStyle(), bsSolid);
  brush.SetStyle(bsClear);
  TBrush copy(brush);
  EXPECT_EQ(copy.GetStyle(), bsClear);
  EXPECT_EQ(brushChanges, 1);
  EXPECT_THROW(brush.Assign(&pen), EConvertError);

  // A canvas keeps its own pen and brush: saving and restoring them is a copy.
  TTestSurface t(4, 4);
  TPen saved(t.Canvas.GetPen());
  t.Canvas.GetPen().SetColor(clBlue);
  t.Canvas.SetPen(saved);
  EXPECT_EQ(t.Canvas.GetPen().GetColor(), clBlack);
}
