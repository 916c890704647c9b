// Polygon shapes rendered through the shape rendering path: covered areas
// against the analytic ones and against cairo drawing the same figures,
// hairlines and dashes, generated contours, and values that would break
// the drawing.

#include <gtest/gtest.h>
#include <cairo.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "tests/document/TestShapes.h"
#include "document/shapes/FrameShapes.h"

namespace {

using doctest::TPageFixture;

constexpr int PagePx = 400;
constexpr float Res = 8;  // pixels per mm
constexpr float PageMm = PagePx / Res;

class PolygonShapeTest : public ::testing::Test, protected TPageFixture {
protected:
  PolygonShapeTest() : TPageFixture(PageMm, PageMm) {}

  template <class Shape>
  Shape& Add(float left, float top, float width, float height) {
    auto* shape = static_cast<Shape*>(Page.GetShapes(Page.AddShape(std::make_unique<Shape>())));
    shape->SetDocFrame(left, top, width, height, 0);
    return *shape;
  }
  // The page on a transparent bitmap: alpha is the coverage.
  std::unique_ptr<TBitmap32> Render() {
    auto bitmap = std::make_unique<TBitmap32>();
    bitmap->SetSize(PagePx, PagePx);
    bitmap->Clear(clTransparent32);
    TdocRenderOptions options;
    options.Resolution = Res;
    Page.RenderShape(*bitmap, {0, 0, PageMm, PageMm}, true, options);
    return bitmap;
  }
  // Covered square millimetres.
  static double Area(const TBitmap32& bitmap) {
    double sum = 0;
    for (int y = 0; y < bitmap.GetHeight(); ++y)
      for (int x = 0; x < bitmap.GetWidth(); ++x) sum += (bitmap.GetPixel(x, y) >> 24) / 255.0;
    return sum / (Res * Res);
  }
};

// Cairo draws a figure on the same grid; returns the mean and the largest
// difference of the coverage in 0..255.
template <class Draw>
std::pair<double, int> CompareWithCairo(const TBitmap32& ours, Draw&& draw) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, PagePx, PagePx);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, Res, Res);
  cairo_set_source_rgba(cr, 0, 0, 0, 1);
  draw(cr);
  cairo_surface_flush(surface);
  const auto* reference = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface));
  const int stride = cairo_image_surface_get_stride(surface) / 4;
  double total = 0;
  int worst = 0;
  for (int y = 0; y < PagePx; ++y)
    for (int x = 0; x < PagePx; ++x) {
      const int diff = std::abs(int(ours.GetPixel(x, y) >> 24) - int(reference[y * stride + x] >> 24));
      total += diff;
      worst = std::max(worst, diff);
    }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return {total / (PagePx * PagePx), worst};
}

// Of a figure of this perimeter, the edge pixels may each be off by a part.
double EdgeTolerance(double perimeterMm) { return perimeterMm * 0.1 / Res; }

TEST_F(PolygonShapeTest, FilledFiguresCoverTheirAnalyticAreaAndAgreeWithCairo) {
  const struct {
    bool ellipse;
    float left, top, width, height;
  } cases[] = {{false, 5.3f, 7.1f, 20, 12.5f}, {false, 10, 10, 0.8f, 30}, {true, 4.2f, 6.9f, 30, 18}, {true, 20, 20, 12, 12}};
  for (const auto& c : cases) {
    TdocPolygonShape& shape = c.ellipse ? static_cast<TdocPolygonShape&>(Add<TdocEllipseShape>(c.left, c.top, c.width, c.height))
                                        : Add<TdocRectangleShape>(c.left, c.top, c.width, c.height);
    shape.SetUseOutline(false);
    const auto rendered = Render();
    const TBitmap32& bitmap = *rendered;
    Page.DeleteShape(0);
    const double a = c.width / 2.0, b = c.height / 2.0;
    const double area = c.ellipse ? std::numbers::pi * a * b : double{c.width} * c.height;
    const double perimeter = c.ellipse ? std::numbers::pi * (3 * (a + b) - std::sqrt((3 * a + b) * (a + 3 * b)))
                                       : 2.0 * (c.width + c.height);
    EXPECT_NEAR(Area(bitmap), area, EdgeTolerance(perimeter)) << c.width << " x " << c.height;
    const auto [mean, worst] = CompareWithCairo(bitmap, [&](cairo_t* cr) {
      cairo_save(cr);
      cairo_translate(cr, c.left + a, c.top + b);
      if (c.ellipse) {
        cairo_scale(cr, a, b);
        cairo_arc(cr, 0, 0, 1, 0, 2 * std::numbers::pi);
      } else {
        cairo_rectangle(cr, -a, -b, c.width, c.height);
      }
      cairo_restore(cr);
      cairo_fill(cr);
    });
    EXPECT_LE(mean, 0.2) << c.width;
    EXPECT_LE(worst, 64) << c.width;
  }
}

TEST_F(PolygonShapeTest, OutlineBandsCoverPerimeterTimesWidthAndAgreeWithCairo) {
  const struct {
    bool circle;
    float size, width;
  } cases[] = {{false, 20, 0.5f}, {false, 31.25f, 2}, {true, 20, 0.5f}, {true, 33, 1.5f}};
  for (const auto& c : cases) {
    const float left = 6.5f, top = 5.25f;
    TdocPolygonShape& shape = c.circle ? static_cast<TdocPolygonShape&>(Add<TdocEllipseShape>(left, top, c.size, c.size))
                                       : Add<TdocRectangleShape>(left, top, c.size, c.size * 0.75f);
    shape.SetUseFill(false);
    shape.SetOutlineWidth(c.width);
    const auto rendered = Render();
    const TBitmap32& bitmap = *rendered;
    Page.DeleteShape(0);
    const double perimeter = c.circle ? std::numbers::pi * c.size : 2.0 * (c.size + c.size * 0.75);
    EXPECT_NEAR(Area(bitmap), perimeter * c.width, EdgeTolerance(2 * perimeter)) << c.size << " / " << c.width;
    const auto [mean, worst] = CompareWithCairo(bitmap, [&](cairo_t* cr) {
      if (c.circle)
        cairo_arc(cr, left + c.size / 2, top + c.size / 2, c.size / 2, 0, 2 * std::numbers::pi);
      else
        cairo_rectangle(cr, left, top, c.size, c.size * 0.75);
      cairo_set_line_width(cr, c.width);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
      cairo_stroke(cr);
    });
    EXPECT_LE(mean, 0.3) << c.size;
    EXPECT_LE(worst, 64) << c.size;
  }
}

TEST_F(PolygonShapeTest, TranslucentFillWeighsItsCoverage) {
  TdocRectangleShape& shape = Add<TdocRectangleShape>(10, 10, 10, 10);
  shape.SetUseOutline(false);
  shape.SetFillAlpha(128);
  EXPECT_NEAR(Area(*Render()), 100 * 128 / 255.0, 0.5);
  shape.SetFillAlpha(1000);
  EXPECT_EQ(shape.GetFillAlpha(), 255);
}

TEST_F(PolygonShapeTest, AZeroWidthOutlineIsAHairlineAndWithStippleOnlyDashes) {
  TdocRectangleShape& shape = Add<TdocRectangleShape>(10, 10, 20, 20);
  shape.SetUseFill(false);
  shape.SetOutlineWidth(0);
  shape.SetOutlineColor(0x0000FF);  // red
  const auto hairlineBitmap = Render();
  const TBitmap32& hairline = *hairlineBitmap;
  // About one pixel along each side.
  EXPECT_NEAR(Area(hairline) * Res, 80, 8);
  const int y = static_cast<int>(10 * Res);
  // Red, weighed by the line's coverage of the pixel.
  const std::uint32_t onLine = hairline.GetPixel(static_cast<int>(20 * Res), y);
  EXPECT_EQ(onLine & 0xFFFF, 0u);
  EXPECT_GE(onLine >> 16 & 0xFF, 0xF0u);

  shape.SetUseStipple(true);
  shape.SetStippleSize(2);
  const auto dashesBitmap = Render();
  const TBitmap32& dashes = *dashesBitmap;
  // Along the top side: white and black runs, each about half a dash period
  // long, and nothing red.
  int changes = 0, black = 0, white = 0;
  std::uint32_t last = 0;
  for (int x = static_cast<int>(11 * Res); x < static_cast<int>(29 * Res); ++x) {
    const std::uint32_t rgb = dashes.GetPixel(x, y) & 0xFFFFFF;
    EXPECT_EQ(rgb >> 16 & 0xFF, rgb & 0xFF) << "no red";
    if (rgb == 0) ++black;
    if ((rgb & 0xFF) >= 0xF0) ++white;
    const std::uint32_t kind = rgb < 0x808080 ? 0 : 1;
    if (x > static_cast<int>(11 * Res) && kind != last) ++changes;
    last = kind;
  }
  EXPECT_GT(black, 30);
  EXPECT_GT(white, 30);
  // 18 mm of 2 mm periods: two changes per period.
  EXPECT_NEAR(changes, 18, 3);
}

TEST_F(PolygonShapeTest, RoundRectCornersAreHeldToHalfTheFrameAndFiftyPercentIsAnEllipse) {
  TdocRoundRectShape& shape = Add<TdocRoundRectShape>(5, 5, 30, 20);
  shape.SetUseOutline(false);
  shape.SetCornerWidth(100);
  shape.SetCornerHeight(0);
  const TFloatRect bounds = shape.GetPointsBounds();
  EXPECT_EQ(bounds.Right - bounds.Left, 30);
  // Half-width corners and straight ends: the two corner arcs meet in the middle.
  for (const TFloatPoint& p : shape.GetPoints()[0]) EXPECT_TRUE(p.Y == 0 || p.Y == 20) << p.X << "," << p.Y;
  shape.SetCornerPropertiesArePercentage(true);
  shape.SetCornerWidth(50);
  shape.SetCornerHeight(50);
  EXPECT_NEAR(Area(*Render()), std::numbers::pi * 15 * 10, EdgeTolerance(80));
}

TEST_F(PolygonShapeTest, ResizingScalesStoredPointsAndRegeneratesARectangle) {
  TdocPolygonShape& polygon = Add<TdocPolygonShape>(0, 0, 10, 10);
  polygon.SetStorePoints(true);
  polygon.ClearPoints();
  for (const TFloatPoint p : {TFloatPoint{0, 0}, TFloatPoint{10, 5}, TFloatPoint{5, 10}}) polygon.AddPoint(p);
  polygon.SetDocFrame(0, 0, 20, 5, 0);
  EXPECT_EQ(polygon.GetPoints()[0][1], (TFloatPoint{20, 2.5f}));
  TdocRectangleShape& rectangle = Add<TdocRectangleShape>(0, 0, 10, 10);
  rectangle.SetDocFrame(0, 0, 7, 3, 0);
  EXPECT_EQ(rectangle.GetPoints()[0], (TdocContour{{0, 0}, {0, 3}, {7, 3}, {7, 0}}));
}

TEST_F(PolygonShapeTest, OutlineWidthsThatAreNegativeOrNotANumberDrawAHairline) {
  TdocEllipseShape& shape = Add<TdocEllipseShape>(10, 10, 20, 10);
  shape.SetUseFill(false);
  for (float width : {-3.0f, std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity()}) {
    shape.SetOutlineWidth(width);
    EXPECT_EQ(shape.GetOutlineWidth(), 0);
    EXPECT_FLOAT_EQ(shape.GetCurbLeft(), 0.1f);
    EXPECT_GT(Area(*Render()), 0);
  }
}

TEST_F(PolygonShapeTest, DegenerateStippleSizesAndHugeShapesStillDraw) {
  TdocRectangleShape& shape = Add<TdocRectangleShape>(10, 10, 20, 20);
  shape.SetUseStipple(true);
  for (float size : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 1e-30f, 1e30f}) {
    shape.SetStippleSize(size);
    EXPECT_TRUE(shape.GetStippleSize() > 0 && std::isfinite(shape.GetStippleSize())) << size;
    EXPECT_NO_THROW(Render()) << size;
  }
  // Far beyond the 16.16 pixel range: cut to it, the visible part intact.
  shape.SetUseStipple(false);
  shape.SetUseOutline(false);
  shape.SetDocFrame(-1e5f, -1e5f, 2e5f + 10, 2e5f + 10, 0);
  const auto rendered = Render();
    const TBitmap32& bitmap = *rendered;
  EXPECT_NEAR(Area(bitmap), PageMm * PageMm, 0.5);
}

TEST_F(PolygonShapeTest, OutlineWidensTheRenderMargins) {
  TdocRectangleShape& shape = Add<TdocRectangleShape>(10, 10, 20, 20);
  shape.SetOutlineWidth(3);
  EXPECT_FLOAT_EQ(shape.GetExtents()[0], 3);
  shape.SetUseOutline(false);
  EXPECT_FLOAT_EQ(shape.GetExtents()[0], 1.5f);  // the curb, half the width
}

// A hit inside the outline counts each contour by the alternate rule: three
// squares side by side are hit inside each and missed between them, and a
// square inside another is a hole.
TEST_F(PolygonShapeTest, HitsCountEveryContourByTheAlternateRule) {
  Document.Scale = 4;
  TdocPolygonShape& polygon = Add<TdocPolygonShape>(0, 0, 100, 30);
  polygon.SetStorePoints(true);
  polygon.ClearPoints();
  const auto square = [&polygon](float left, float top, float size) {
    polygon.NewContour();
    for (const TFloatPoint p : {TFloatPoint{left, top}, TFloatPoint{left + size, top},
                                TFloatPoint{left + size, top + size}, TFloatPoint{left, top + size}})
      polygon.AddPoint(p);
  };
  for (const float left : {0.0f, 40.0f, 80.0f}) square(left, 0, 20);
  const auto hit = [&polygon](float x, float y) {
    const TFloatPoint at = polygon.ShapeToScreen({x, y});
    return polygon.PointInShape({static_cast<int>(std::floor(at.X)), static_cast<int>(std::floor(at.Y))});
  };
  for (const float x : {10.0f, 50.0f, 90.0f}) EXPECT_TRUE(hit(x, 10)) << x;
  for (const float x : {30.0f, 70.0f}) EXPECT_FALSE(hit(x, 10)) << x;
  EXPECT_FALSE(hit(50, 25));
  square(5, 5, 10);
  EXPECT_FALSE(hit(10, 10));
  EXPECT_TRUE(hit(2, 10));
  EXPECT_TRUE(hit(50, 10));
}

}  // namespace
