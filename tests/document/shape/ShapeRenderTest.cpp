// Rendering through the cache and the map sampler against cairo drawing the
// same turned rectangle, direct drawing against cached drawing, the cache's
// reuse rule, and hit tests against plain geometry.

#include <gtest/gtest.h>
#include <cairo.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <numbers>
#include <random>

#include "tests/document/TestShapes.h"

namespace {

using doctest::MakeFill;
using doctest::TFillShape;
using doctest::TNoiseShape;
using doctest::TPageFixture;

constexpr int PageWidthPx = 160;
constexpr int PageHeightPx = 120;

class ShapeRenderTest : public ::testing::Test, protected TPageFixture {
protected:
  ShapeRenderTest() : TPageFixture(40, 30) {}

  // The page rendered at res pixels per mm into a white bitmap.
  void RenderPage(TBitmap32& bitmap, float res, TdocRenderOptions options = {}) {
    options.Resolution = res;
    if (bitmap.GetWidth() == 0) {
      bitmap.SetSize(PageWidthPx, PageHeightPx);
      bitmap.Clear(clWhite32);
    }
    Page.RenderShape(bitmap, {0, 0, PageWidthPx / res, PageHeightPx / res}, true, options);
  }
  static int Channel(TColor32 c, int i) { return static_cast<int>(c >> (8 * i) & 0xFF); }
};

// Distance in pixels from the pixel centre (x, y) to the border of the turned
// rectangle, negative inside.
double SignedDistance(double x, double y, float left, float top, float width, float height, float angle, float res) {
  const double a = angle * std::numbers::pi / 180.0;
  const double dx = x / res - left, dy = y / res - top;
  const double lx = std::cos(a) * dx - std::sin(a) * dy;
  const double ly = std::sin(a) * dx + std::cos(a) * dy;
  const double outside = std::max({-lx, lx - width, -ly, ly - height});
  return outside * res;
}

TEST_F(ShapeRenderTest, TurnedTranslucentRectanglesAgreeWithCairo) {
  const struct {
    float left, top, width, height, angle;
    int alpha;
  } cases[] = {{10, 5, 12, 8, 30, 255}, {20, 20, 10, 5, 137.5f, 128}, {5, 25, 15, 6, 301, 255}, {18, 3, 6, 6, 0.001f, 200}};
  const float res = 4;
  for (const auto& c : cases) {
    TdocShape& shape = *Page.GetShapes(Page.AddShape(MakeFill(c.left, c.top, c.width, c.height, c.angle)));
    shape.SetMasterAlpha(c.alpha);
    TBitmap32 ours;
    RenderPage(ours, res);
    Page.DeleteShape(0);

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, PageWidthPx, PageHeightPx);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_scale(cr, res, res);
    cairo_translate(cr, c.left, c.top);
    cairo_rotate(cr, -c.angle * std::numbers::pi / 180.0);
    cairo_rectangle(cr, 0, 0, c.width, c.height);
    const TColor32 color = TFillShape().Color;
    cairo_set_source_rgba(cr, Channel(color, 2) / 255.0, Channel(color, 1) / 255.0, Channel(color, 0) / 255.0,
                          c.alpha / 255.0);
    cairo_fill(cr);
    cairo_surface_flush(surface);
    const auto* reference = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface));
    const int stride = cairo_image_surface_get_stride(surface) / 4;

    long total = 0;
    int worstAwayFromEdges = 0;
    for (int y = 0; y < PageHeightPx; ++y)
      for (int x = 0; x < PageWidthPx; ++x) {
        const TColor32 a = ours.GetPixel(x, y), b = reference[y * stride + x];
        const double edge = std::fabs(SignedDistance(x + 0.5, y + 0.5, c.left, c.top, c.width, c.height, c.angle, res));
        for (int i = 0; i < 3; ++i) {
          const int diff = std::abs(Channel(a, i) - Channel(b, i));
          total += diff;
          if (edge > 1.5) worstAwayFromEdges = std::max(worstAwayFromEdges, diff);
        }
      }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    EXPECT_LE(double(total) / (PageWidthPx * PageHeightPx * 3), 1.0) << c.angle;
    EXPECT_LE(worstAwayFromEdges, 2) << c.angle;
  }
}

TEST_F(ShapeRenderTest, AWholePixelMoveThroughTheCacheCopiesPixelsExactly) {
  const float res = 4;
  auto* shape = static_cast<TNoiseShape*>(Page.GetShapes(Page.AddShape(std::make_unique<TNoiseShape>())));
  shape->SetDocFrame(3.25f, 7.5f, 20, 12.75f, 0);
  // On a transparent page the cache's pixels land as they are; on an opaque
  // one they would pass the blend's rounding.
  TBitmap32 direct, cached;
  for (TBitmap32* bitmap : {&direct, &cached}) {
    bitmap->SetSize(PageWidthPx, PageHeightPx);
    bitmap->Clear(clTransparent32);
  }
  RenderPage(direct, res);
  EXPECT_EQ(shape->GetCacheBitmap(), nullptr);
  shape->SetForceRenderCache(true);
  RenderPage(cached, res);
  ASSERT_NE(shape->GetCacheBitmap(), nullptr);
  for (int y = 0; y < PageHeightPx; ++y)
    for (int x = 0; x < PageWidthPx; ++x) ASSERT_EQ(cached.GetPixel(x, y), direct.GetPixel(x, y)) << x << "," << y;
}

TEST_F(ShapeRenderTest, ALevelCacheAtAFractionalPositionGivesThePixelsOfDirectDrawing) {
  // The cache takes the page's pixel grid whatever fraction of a pixel the
  // shape starts at; a turn that moves no pixel by 1/32 counts as level, a
  // visible one is resampled.
  const float res = 4;
  const struct {
    float left, top, angle;
    bool same;
  } cases[] = {{3.3f, 7.1f, 0, true}, {3.95f, 7.5f, 0, true}, {3.3f, 7.1f, 0.001f, true}, {3.3f, 7.1f, 0.5f, false}};
  for (const auto& c : cases) {
    auto* shape = static_cast<TNoiseShape*>(Page.GetShapes(Page.AddShape(std::make_unique<TNoiseShape>())));
    shape->SetDocFrame(c.left, c.top, 20, 12.75f, 0);
    TBitmap32 direct, cached;
    for (TBitmap32* bitmap : {&direct, &cached}) {
      bitmap->SetSize(PageWidthPx, PageHeightPx);
      bitmap->Clear(clTransparent32);
    }
    RenderPage(direct, res);
    shape->SetDocAngle(c.angle);
    shape->SetForceRenderCache(true);
    RenderPage(cached, res);
    ASSERT_NE(shape->GetCacheBitmap(), nullptr);
    int differing = 0;
    for (int y = 0; y < PageHeightPx; ++y)
      for (int x = 0; x < PageWidthPx; ++x) differing += cached.GetPixel(x, y) != direct.GetPixel(x, y);
    EXPECT_EQ(differing == 0, c.same) << c.left << " " << c.angle << ": " << differing;
    Page.DeleteShape(0);
  }
}

TEST_F(ShapeRenderTest, AQuarterTurnedCacheLandsOnWholePixelsUnblurred) {
  // The noise's 80 x 51 pixels each have their own colour: turned by a
  // quarter, each must land on the page once, unblended, whatever fraction
  // of a pixel the shape's centre lies at. Any other turn blends them.
  const float res = 4;
  std::map<TColor32, int> expected;
  for (std::uint32_t y = 0; y < 51; ++y)
    for (std::uint32_t x = 0; x < 80; ++x) ++expected[0xFF000000u | ((x * 2654435761u) ^ (y * 40503u))];
  const struct {
    float angle, centreX, centreY;
    bool exact;
  } cases[] = {{90, 20.13f, 14.91f, true},      {180, 19.9f, 15.37f, true}, {270, 20.05f, 15.2f, true},
               {90.001f, 20.3f, 14.6f, true},   {-90, 20.2f, 15.01f, true}, {30, 20.13f, 14.91f, false},
               {0.001f, 20.13f, 14.91f, true}};
  for (const auto& c : cases) {
    auto* shape = static_cast<TNoiseShape*>(Page.GetShapes(Page.AddShape(std::make_unique<TNoiseShape>())));
    shape->SetDocFrame(0, 0, 20, 12.75f, c.angle);
    shape->CenterAt(c.centreX, c.centreY);
    TBitmap32 bitmap;
    bitmap.SetSize(PageWidthPx, PageHeightPx);
    bitmap.Clear(clTransparent32);
    RenderPage(bitmap, res);
    std::map<TColor32, int> landed;
    for (int y = 0; y < PageHeightPx; ++y)
      for (int x = 0; x < PageWidthPx; ++x)
        if (bitmap.GetPixel(x, y) != clTransparent32) ++landed[bitmap.GetPixel(x, y)];
    EXPECT_EQ(landed == expected, c.exact) << c.angle << " at " << c.centreX << ", " << c.centreY;
    // Turned the right way: the first and last noise pixels land where the
    // centres of the frame's first and last pixels go.
    const auto landsAt = [&](float x, float y) {
      const TFloatPoint p = shape->LocalToParent({(x + 0.5f) / res, (y + 0.5f) / res});
      return bitmap.GetPixel(static_cast<int>(std::floor(p.X * res)), static_cast<int>(std::floor(p.Y * res)));
    };
    if (c.exact) {
      EXPECT_EQ(landsAt(0, 0), 0xFF000000u) << c.angle;
      EXPECT_EQ(landsAt(79, 50), 0xFF000000u | ((79u * 2654435761u) ^ (50u * 40503u))) << c.angle;
    }
    Page.DeleteShape(0);
  }
}

TEST_F(ShapeRenderTest, ACacheIsNoFinerThanTheBitmapItIsDrawnOn) {
  auto* shape = static_cast<TNoiseShape*>(Page.GetShapes(Page.AddShape(std::make_unique<TNoiseShape>())));
  shape->SetDocFrame(5, 5, 10, 10, 30);
  for (const auto& [asked, bitmapRes, cacheRes] : {std::tuple{8.0f, 4.0f, 4.0f}, {4.0f, 8.0f, 4.0f}, {8.0f, 0.0f, 8.0f}}) {
    shape->ClearRenderCache();
    TBitmap32 bitmap;
    bitmap.SetSize(PageWidthPx, PageHeightPx);
    TdocRenderOptions options;
    options.Resolution = asked;
    options.BitmapResolution = bitmapRes;
    Page.RenderShape(bitmap, {0, 0, 40, 30}, true, options);
    EXPECT_EQ(shape->GetCacheResolution(), cacheRes) << asked << " " << bitmapRes;
  }
}

TEST_F(ShapeRenderTest, TheCacheIsMadeOnlyWhenNeededAndReusedAtOrBelowItsResolution) {
  auto* shape = static_cast<TNoiseShape*>(Page.GetShapes(Page.AddShape(std::make_unique<TNoiseShape>())));
  shape->SetDocFrame(5, 5, 10, 10, 0);
  EXPECT_FALSE(shape->NeedsRenderCache());
  shape->SetDocAngle(0.001f);
  EXPECT_TRUE(shape->NeedsRenderCache());
  const struct {
    float res;
    bool exact;
    int paints;
    float cacheRes;
  } steps[] = {{4, false, 1, 4}, {2, false, 1, 4}, {4, false, 1, 4}, {8, false, 2, 8}, {4, true, 3, 4}};
  for (const auto& s : steps) {
    TBitmap32 bitmap;
    TdocRenderOptions options;
    options.ExactResolution = s.exact;
    RenderPage(bitmap, s.res, options);
    EXPECT_EQ(shape->Paints, s.paints) << s.res;
    EXPECT_EQ(shape->GetCacheResolution(), s.cacheRes) << s.res;
    // The shape draws into its cache at the cache's own resolution.
    EXPECT_EQ(shape->LastOptions.BitmapResolution, s.cacheRes) << s.res;
  }
  // A request that does not meet the shape leaves its cache alone.
  TBitmap32 far;
  far.SetSize(10, 10);
  TdocRenderOptions options;
  options.Resolution = 16;
  Page.RenderShape(far, {30, 25, 40, 30}, true, options);
  EXPECT_EQ(shape->Paints, 3);
  shape->SetDocWidth(11);
  EXPECT_EQ(shape->GetCacheResolution(), 0);
  options.FreeCache = true;
  RenderPage(far, 4, options);
  EXPECT_EQ(shape->GetCacheBitmap(), nullptr);
}

TEST_F(ShapeRenderTest, CanvasDrawingComesOutOpaque) {
  struct TCanvasShape : TdocShape {
    bool HasCanvasPaint() const override { return true; }
    void PaintToCanvas(TCanvas& canvas, const TdocRenderOptions&) override {
      canvas.GetBrush().SetColor(0x0000FF);  // red
      canvas.GetPen().SetStyle(psClear);
      canvas.FillRect({GetPixelLeft(), GetPixelTop(), GetPixelRight(), GetPixelBottom()});
    }
  };
  auto shape = std::make_unique<TCanvasShape>();
  shape->SetDocFrame(1, 1, 2, 2, 0);
  Page.AddShape(std::move(shape));
  TBitmap32 bitmap;
  bitmap.SetSize(PageWidthPx, PageHeightPx);
  bitmap.Clear(0x80FFFFFFu);  // half-transparent page
  RenderPage(bitmap, 4);
  EXPECT_EQ(bitmap.GetPixel(6, 6), 0xFFFF0000u);
  EXPECT_EQ(bitmap.GetPixel(20, 20), 0x80FFFFFFu);
}

TEST_F(ShapeRenderTest, CanvasPaintingReachesOnlyTheShapesPixelsWithinTheClip) {
  // A painter that fills every pixel its canvas offers.
  struct TGreedyShape : TdocShape {
    bool HasCanvasPaint() const override { return true; }
    void PaintToCanvas(TCanvas& canvas, const TdocRenderOptions&) override {
      canvas.GetBrush().SetColor(0x0000FF);  // red
      canvas.FillRect(canvas.GetSurface().Bounds());
    }
  };
  auto shape = std::make_unique<TGreedyShape>();
  shape->SetDocFrame(1.3f, 2.6f, 3, 2, 0);
  Page.AddShape(std::move(shape));
  // At 4 pixels per mm the frame spans x 5.2 .. 17.2 and y 10.4 .. 18.4:
  // pixels 5 .. 17 and 10 .. 18, cut to the clip's rows 12 .. 15.
  TBitmap32 bitmap;
  bitmap.SetSize(PageWidthPx, PageHeightPx);
  bitmap.Clear(clWhite32);
  bitmap.SetClipRect({0, 12, PageWidthPx, 16});
  RenderPage(bitmap, 4);
  for (int y = 0; y < PageHeightPx; ++y)
    for (int x = 0; x < PageWidthPx; ++x) {
      const bool red = x >= 5 && x <= 17 && y >= 12 && y <= 15;
      ASSERT_EQ(bitmap.GetPixel(x, y), red ? 0xFFFF0000u : clWhite32) << x << ", " << y;
    }
}

// Shapes may lie off the page, where a view shows them too: any part of the
// view rendered alone under a clip gives the pixels of the whole view.
TEST_F(ShapeRenderTest, APartRenderedUnderAClipMatchesTheWholeOffThePageToo) {
  Page.AddShape(MakeFill(-15, -10, 8, 6));
  Page.AddShape(MakeFill(-12, 34, 6, 4, 30));
  Page.AddShape(MakeFill(42, 10, 5, 12, 200));
  Page.AddShape(MakeFill(10, 10, 12, 8, 15));
  // At 2 pixels per mm the bitmap shows the page and 20 mm left and right of
  // it, 15 mm above and below.
  const TFloatRect view{-20, -15, 60, 45};
  TdocRenderOptions options;
  options.Resolution = 2;
  TBitmap32 whole;
  whole.SetSize(PageWidthPx, PageHeightPx);
  whole.Clear(clWhite32);
  Page.RenderShape(whole, view, false, options);
  ASSERT_NE(whole.GetPixel(20, 15), clWhite32) << "the shape above the page is drawn";
  std::vector<TRect> clips = {{0, 0, 40, 40}, {0, 0, PageWidthPx, 20}, {0, 95, 40, PageHeightPx}, {124, 40, 160, 80}};
  std::mt19937 random(5);
  for (int i = 0; i < 20; ++i) {
    const int left = static_cast<int>(random() % PageWidthPx), top = static_cast<int>(random() % PageHeightPx);
    const int width = 1 + static_cast<int>(random() % 50), height = 1 + static_cast<int>(random() % 50);
    clips.push_back({left, top, std::min(PageWidthPx, left + width), std::min(PageHeightPx, top + height)});
  }
  for (const TRect& clip : clips) {
    TBitmap32 part;
    part.SetSize(PageWidthPx, PageHeightPx);
    part.Clear(clWhite32);
    part.SetClipRect(clip);
    Page.RenderShape(part, view, false, options);
    int differing = 0;
    for (int y = clip.Top; y < clip.Bottom; ++y)
      for (int x = clip.Left; x < clip.Right; ++x) differing += part.GetPixel(x, y) != whole.GetPixel(x, y);
    EXPECT_EQ(differing, 0) << "clip " << clip.Left << ", " << clip.Top << " - " << clip.Right << ", " << clip.Bottom;
  }
}

TEST_F(ShapeRenderTest, MirrorAndFlipReverseTheCache) {
  TBitmap32 bitmap;
  bitmap.SetSize(2, 2);
  const TColor32 pixels[] = {1, 2, 3, 4};
  for (int i = 0; i < 4; ++i) bitmap.SetPixel(i % 2, i / 2, pixels[i]);
  TdocShape shape;
  shape.SetMirrored(true);
  shape.SetFlipped(true);
  shape.ProcessRenderedBitmap(bitmap, {});
  EXPECT_EQ(bitmap.GetPixel(0, 0), 4u);
  EXPECT_EQ(bitmap.GetPixel(1, 0), 3u);
  EXPECT_EQ(bitmap.GetPixel(0, 1), 2u);
  shape.FillMask(bitmap, 0xFF123456u);
  bitmap.SetPixel(1, 1, 0x00ABCDEFu);
  shape.FillMask(bitmap, 0xFF123456u);
  EXPECT_EQ(bitmap.GetPixel(0, 0), 0xFF123456u);
  EXPECT_EQ(bitmap.GetPixel(1, 1), 0xFFABCDEFu);
}

TEST_F(ShapeRenderTest, HitTestsAgreeWithPlainGeometryOnRandomPoints) {
  Document.Scale = 4;
  Document.Origin = {-2, -1};
  std::mt19937 random(7);
  std::uniform_real_distribution<float> angle(0, 360);
  for (int round = 0; round < 6; ++round) {
    const float a = round <= 1 ? 0.0f : angle(random);
    TdocShape& shape = *Page.GetShapes(Page.AddShape(MakeFill(12.1f, 9.15f, 14, 7, a)));
    shape.SetForceRenderCache(round == 1);  // level, cached a fraction of a pixel off the grid
    if (round % 2 == 1) {
      // Half the rounds decide on the cache's pixels.
      TBitmap32 bitmap;
      RenderPage(bitmap, 4);
      ASSERT_NE(shape.GetCacheBitmap(), nullptr);
    }
    std::uniform_int_distribution<int> column(9, 166), row(5, 122);  // inside the page
    int inside = 0;
    for (int i = 0; i < 3000; ++i) {
      const TPoint p{column(random), row(random)};
      // The pixel centre in page millimetres.
      const double d = SignedDistance((p.X + 0.5) / 4 - 2, (p.Y + 0.5) / 4 - 1, 12.1f, 9.15f, 14, 7, a, 1) * 4;
      if (std::fabs(d) < 1.5) continue;
      TdocShape* hit = nullptr;
      const bool expected = d < 0;
      inside += expected;
      EXPECT_EQ(shape.PointInShape(p), expected) << a << " " << p.X << "," << p.Y;
      EXPECT_EQ(Page.ShapeAtPoint(p, hit), expected);
      EXPECT_EQ(hit, expected ? &shape : &Page);
    }
    EXPECT_GT(inside, 100);
    Page.DeleteShape(0);
  }
}

TEST_F(ShapeRenderTest, OpacityThresholdOfTheCachedHitTest) {
  // Alpha 0 gives threshold 0: a pixel of alpha 1 already counts.
  for (const auto& [master, pixelAlpha, hit] :
       {std::tuple{0, 1u, true}, {0, 0u, false}, {255, 50u, false}, {255, 51u, true}, {128, 25u, false}, {128, 26u, true}}) {
    struct TAlphaShape : TdocShape {
      std::uint32_t Alpha = 0;
      void PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions&) override { bitmap.Clear(Alpha << 24); }
    };
    auto owned = std::make_unique<TAlphaShape>();
    owned->Alpha = pixelAlpha;
    owned->SetDocFrame(2, 2, 10, 10, 45);
    owned->SetMasterAlpha(master);
    TdocShape& shape = *Page.GetShapes(Page.AddShape(std::move(owned)));
    TBitmap32 bitmap;
    RenderPage(bitmap, 4);
    // Page point (9, 7) lies inside the turned frame; the plain document maps 1:1.
    EXPECT_EQ(shape.PointOnOpaquePixel({9, 7}), hit) << master << " " << pixelAlpha;
    Page.DeleteShape(0);
  }
}

TEST_F(ShapeRenderTest, ScreenRectanglesAndRubberBandHits) {
  Document.Scale = 2;
  const struct {
    float angle;
    TRect screen;
  } cases[] = {{0, {20, 20, 40, 30}}, {90, {20, 0, 30, 20}}, {180, {0, 10, 20, 20}}};
  for (const auto& c : cases) {
    TdocShape& shape = *Page.GetShapes(Page.AddShape(MakeFill(10, 10, 10, 5, c.angle)));
    EXPECT_EQ(shape.GetScreenRect(), c.screen) << c.angle;
    const TRect& r = c.screen;
    EXPECT_TRUE(shape.IntersectsRect({r.Left + 1, r.Top + 1, r.Left + 3, r.Top + 3})) << c.angle;
    EXPECT_FALSE(shape.IntersectsRect({r.Right, r.Top, r.Right + 5, r.Bottom})) << c.angle;  // touching only
    Page.DeleteShape(0);
  }
  // Turned by 45 degrees, the corner of its box lies outside the frame.
  TdocShape& turned = *Page.GetShapes(Page.AddShape(MakeFill(10, 10, 10, 10, 45)));
  const TRect box = turned.GetScreenRect();
  EXPECT_FALSE(turned.IntersectsRect({box.Left, box.Top, box.Left + 3, box.Top + 3}));
}

}  // namespace
