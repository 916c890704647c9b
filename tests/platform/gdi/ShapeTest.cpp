#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "platform/gdi/Canvas.h"
#include "platform/rtl/Exception.h"
#include "tests/platform/gdi/CanvasTestSupport.h"

using namespace gdi_test;

namespace {

constexpr std::uint32_t kRedPixel = 0x00FF0000;   // clRed as the canvas writes it: alpha 0
constexpr std::uint32_t kBluePixel = 0x000000FF;  // clBlue

// The barcode module polygon: corners (x, top), (x, top + h), (x + w - 1, top + h), (x + w - 1, top).
std::vector<TPoint> Module(int x, int w, int h, int top) {
  return {Point(x, top), Point(x, top + h), Point(x + w - 1, top + h), Point(x + w - 1, top)};
}

PixelSet Outline(int x1, int y1, int x2, int y2) {
  return Union(Union(Block(x1, y1, x2, y1), Block(x1, y2, x2, y2)), Union(Block(x1, y1, x1, y2), Block(x2, y1, x2, y2)));
}

void UseRedPenAndBlueBrush(TCanvas& canvas) {
  canvas.GetPen().SetColor(clRed);
  canvas.GetBrush().SetColor(clBlue);
}

using TDraw = std::function<void(TCanvas&)>;

TDraw Polygon(const std::vector<TPoint>& points) {
  return [=](TCanvas& canvas) { canvas.Polygon(points); };
}

TDraw Line(TPoint from, TPoint to, int width = 1) {
  return [=](TCanvas& canvas) {
    canvas.GetPen().SetWidth(width);
    canvas.MoveTo(from.X, from.Y);
    canvas.LineTo(to.X, to.Y);
  };
}

TDraw WithoutPen(TDraw draw) {
  return [=](TCanvas& canvas) { canvas.GetPen().SetStyle(psClear), draw(canvas); };
}

TDraw WithoutBrush(TDraw draw) {
  return [=](TCanvas& canvas) { canvas.GetBrush().SetStyle(bsClear), draw(canvas); };
}

// An oracle independent of the scan-line fill: the crossing-number test at
// the point moved by a tiny step right and a tinier step down, which puts
// points on left and top edges inside and points on right and bottom edges
// outside.
bool InsideByCrossings(const std::vector<TPoint>& polygon, int px, int py) {
  const double x = px + 1e-4, y = py + 1e-7;
  bool inside = false;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const double xi = polygon[i].X, yi = polygon[i].Y, xj = polygon[j].X, yj = polygon[j].Y;
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside;
}

double DistanceToSegment(double px, double py, const TPoint& a, const TPoint& b) {
  const double dx = b.X - a.X, dy = b.Y - a.Y;
  const double t = std::fmax(0, std::fmin(1, ((px - a.X) * dx + (py - a.Y) * dy) / (dx * dx + dy * dy)));
  return std::hypot(px - (a.X + t * dx), py - (a.Y + t * dy));
}

// Quadrilaterals as the barcode turns a module: corners rotated and rounded.
std::vector<TPoint> RotatedModule(double degrees, int w) {
  const double cos = std::cos(degrees / 180 * M_PI), sin = std::sin(degrees / 180 * M_PI);
  std::vector<TPoint> points;
  for (const TPoint& p : Module(3, w, 20, 0))
    points.push_back(Point(30 + std::nearbyint(p.X * cos + p.Y * sin), 30 + std::nearbyint(-p.X * sin + p.Y * cos)));
  return points;
}

PixelSet InsideSet(const std::vector<TPoint>& polygon, int size) {
  PixelSet set;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if (InsideByCrossings(polygon, x, y)) set.insert({x, y});
  return set;
}

}  // namespace

// With a red pen and a blue brush, worked out by hand from GDI's rules: a
// fill samples pixel (x, y) with left and top edges inside, the pen then
// covers every edge pixel; a line leaves out its last pixel and rounds the
// minor coordinate (halves away from the start). Drawn pixels get alpha 0,
// the others keep the background's.
TEST(CanvasShapes, PenAndBrushLeaveTheHandComputedPixels) {
  constexpr int kFar = 2000000000;
  PixelSet diagonal;
  for (int i = 0; i < 16; ++i) diagonal.insert({i, i});
  const struct {
    const char* Name;
    TDraw Draw;
    PixelSet Pen, Brush;
  } cases[] = {
      {"module of width 1", Polygon(Module(5, 1, 8, 2)), Block(5, 2, 5, 10), {}},
      {"module of width 4", Polygon(Module(2, 4, 5, 1)), Outline(2, 1, 5, 6), Block(3, 2, 4, 5)},
      {"module without pen", WithoutPen(Polygon(Module(2, 4, 5, 1))), {}, Block(2, 1, 4, 5)},
      {"module without brush", WithoutBrush(Polygon(Module(2, 5, 4, 3))), Outline(2, 3, 6, 7), {}},
      {"polygon far beyond the surface",
       Polygon({Point(-kFar, -kFar), Point(kFar, -kFar), Point(kFar, kFar), Point(-kFar, kFar)}), {},
       Block(0, 0, 15, 15)},
      {"rectangle, corners in any order", [](TCanvas& c) { c.Rectangle(8, 9, 2, 3); }, Outline(2, 3, 7, 8),
       Block(3, 4, 6, 7)},
      {"rectangle without pen", WithoutPen([](TCanvas& c) { c.Rectangle(Rect(2, 3, 8, 9)); }), {}, Block(2, 3, 6, 7)},
      {"empty rectangle", [](TCanvas& c) { c.Rectangle(Rect(5, 5, 5, 9)); }, {}, {}},
      {"FillRect clipped", [](TCanvas& c) { c.FillRect(Rect(-5, 13, 3, 20)); }, {}, Block(0, 13, 2, 15)},
      {"FillRect without brush", WithoutBrush([](TCanvas& c) { c.FillRect(Rect(4, 4, 6, 6)); }), {}, {}},
      {"horizontal line", Line(Point(1, 2), Point(6, 2)), Block(1, 2, 5, 2), {}},
      {"vertical line", Line(Point(6, 2), Point(6, 8)), Block(6, 2, 6, 7), {}},
      {"horizontal line backwards", Line(Point(6, 2), Point(1, 2)), Block(2, 2, 6, 2), {}},
      {"upward pen of width 2", Line(Point(6, 9), Point(6, 3), 2), Block(6, 4, 7, 10), {}},
      {"y = 2x / 5", Line(Point(0, 0), Point(5, 2)), {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}, {}},
      {"y = 2x / 5 backwards", Line(Point(5, 2), Point(0, 0)), {{5, 2}, {4, 2}, {3, 1}, {2, 1}, {1, 0}}, {}},
      {"diagonal", Line(Point(0, 0), Point(4, 4)), {{0, 0}, {1, 1}, {2, 2}, {3, 3}}, {}},
      {"steep, x at 7, 6.5, 6, 5.5", Line(Point(7, 0), Point(5, 4)), {{7, 0}, {6, 1}, {6, 2}, {5, 3}}, {}},
      {"rising, y at 5, 4.5, 4, 3.5", Line(Point(0, 5), Point(4, 3)), {{0, 5}, {1, 4}, {2, 4}, {3, 3}}, {}},
      {"pen of width 3 stamps squares", Line(Point(2, 5), Point(8, 5), 3), Block(1, 4, 8, 6), {}},
      {"line without pen", WithoutPen(Line(Point(0, 0), Point(10, 10))), {}, {}},
      {"line far beyond the surface", Line(Point(-kFar, -kFar), Point(kFar, kFar)), diagonal, {}},
  };
  for (const auto& c : cases) {
    TTestSurface t(16, 16);
    UseRedPenAndBlueBrush(t.Canvas);
    c.Draw(t.Canvas);
    EXPECT_EQ(t.Holding(kRedPixel), c.Pen) << c.Name;
    EXPECT_EQ(t.Holding(kBluePixel), c.Brush) << c.Name;
    EXPECT_EQ(t.Differing(kBackground), Union(c.Pen, c.Brush)) << c.Name;
  }
}

TEST(CanvasShapes, RotatedModulesFillTheSampledPixelsAndTheirOutlineHugsTheEdges) {
  for (double degrees : {0.0, 17.0, 30.0, 45.0, 90.0, 135.0, 200.0, 290.0, 333.0}) {
    for (int w : {1, 2, 3, 7}) {
      const std::vector<TPoint> quad = RotatedModule(degrees, w);
      const PixelSet inside = InsideSet(quad, 64);
      TTestSurface filled(64, 64), outlined(64, 64);
      UseRedPenAndBlueBrush(filled.Canvas);
      UseRedPenAndBlueBrush(outlined.Canvas);
      WithoutPen(Polygon(quad))(filled.Canvas);
      outlined.Canvas.Polygon(quad);
      EXPECT_EQ(filled.Differing(kBackground), inside) << degrees << " degrees, w = " << w;
      EXPECT_EQ(filled.Holding(kBluePixel), inside) << degrees << " degrees, w = " << w;
      for (const TPoint& corner : quad) EXPECT_EQ(outlined.At(corner.X, corner.Y), kRedPixel);
      for (const auto& [x, y] : outlined.Holding(kRedPixel)) {
        double nearest = 1e9;
        for (std::size_t i = 0; i < quad.size(); ++i)
          nearest = std::fmin(nearest, DistanceToSegment(x, y, quad[i], quad[(i + 1) % quad.size()]));
        EXPECT_LE(nearest, std::sqrt(0.5) + 1e-9) << degrees << ": pen pixel " << x << "," << y;
      }
      // Whatever the pen left of the fill lies inside; everything inside was drawn.
      const PixelSet blue = outlined.Holding(kBluePixel);
      EXPECT_TRUE(std::includes(inside.begin(), inside.end(), blue.begin(), blue.end()));
      EXPECT_EQ(Union(outlined.Holding(kRedPixel), inside), outlined.Differing(kBackground));
    }
  }
}

TEST(CanvasShapes, SelfIntersectingPolygonUsesAlternateFill) {
  // Two overlapping squares traced as one contour: the overlap is a hole.
  const std::vector<TPoint> points = {Point(0, 0), Point(6, 0), Point(6, 6), Point(2, 6),
                                      Point(2, 2), Point(8, 2), Point(8, 8), Point(0, 8)};
  TTestSurface t(10, 10);
  UseRedPenAndBlueBrush(t.Canvas);
  WithoutPen(Polygon(points))(t.Canvas);
  EXPECT_EQ(t.At(4, 4), kBackground);
  EXPECT_EQ(t.Holding(kBluePixel), InsideSet(points, 10));
}

TEST(CanvasState, PixelsAreColoursWithAlphaZeroAndDrawingNeedsASurfaceAndReportsChanges) {
  TCanvas detached;
  EXPECT_THROW(detached.LineTo(3, 3), EInvalidOperation);
  EXPECT_THROW(detached.FillRect(Rect(0, 0, 2, 2)), EInvalidOperation);
  TTestSurface t(4, 4);
  t.Canvas.SetPixel(1, 2, 0x00123456);
  t.Canvas.SetPixel(-1, 0, clRed);  // off the surface: nothing
  EXPECT_EQ(t.Differing(kBackground), (PixelSet{{1, 2}}));
  EXPECT_EQ(t.At(1, 2), 0x00563412u);
  EXPECT_EQ(t.Canvas.GetPixel(1, 2), 0x00123456);
  EXPECT_EQ(t.Canvas.GetPixel(0, 0), 0x00302010);  // alpha ignored
  EXPECT_EQ(t.Canvas.GetPixel(4, 0), CLR_INVALID);
  int changes = 0;
  t.Canvas.OnChange = [&](TPersistent* sender) { changes += sender == &t.Canvas; };
  t.Canvas.FillRect(Rect(0, 0, 1, 1));
  t.Canvas.LineTo(2, 3);
  t.Canvas.Rectangle(0, 0, 3, 3);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(t.Canvas.GetPenPos(), Point(2, 3));
}
