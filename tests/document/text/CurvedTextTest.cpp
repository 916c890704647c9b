// Curved and wavy text with DejaVu Sans: the ink centroid of every glyph of
// a bent line lies on one circle whose radius follows from the line's width
// and the angle (found by a least-squares circle fit), straight text at 0,
// a full ring at 180, the "Www" minimum, waves, the fixed-point transform,
// XML round trips and hostile values.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "tests/document/TestShapes.h"
#include "document/text/FontManager.h"
#include "document/text/TransformText.h"
#include "imaging/bitmap/Bitmap32.h"

namespace {

using doctest::LoadShapeXml;
using doctest::SaveShapeXml;
using doctest::TPageFixture;

constexpr const char* CurvedFontName = "DejaVu Sans";
constexpr float CurvedFontHeight = 8;
constexpr float CurvedResolution = 10;  // pixels per millimetre

struct TPoint2 {
  double X = 0, Y = 0;
};

// Alpha-weighted centroids of the 8-connected blobs of ink (alpha > 64),
// in millimetres from the bitmap's top-left corner.
std::vector<TPoint2> BlobCentroids(const TBitmap32& bitmap) {
  const int w = bitmap.GetWidth(), h = bitmap.GetHeight();
  std::vector<int> seen(std::size_t(w) * h, 0);
  std::vector<TPoint2> centroids;
  for (int start = 0; start < w * h; ++start) {
    if (seen[std::size_t(start)] || (bitmap.GetPixel(start % w, start / w) >> 24) <= 64) continue;
    double sx = 0, sy = 0, sum = 0;
    std::vector<int> stack{start};
    seen[std::size_t(start)] = 1;
    while (!stack.empty()) {
      const int at = stack.back();
      stack.pop_back();
      const int x = at % w, y = at / w;
      const double a = (bitmap.GetPixel(x, y) >> 24) / 255.0;
      sx += a * (x + 0.5);
      sy += a * (y + 0.5);
      sum += a;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = x + dx, ny = y + dy;
          if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
          const int next = ny * w + nx;
          if (!seen[std::size_t(next)] && (bitmap.GetPixel(nx, ny) >> 24) > 64) {
            seen[std::size_t(next)] = 1;
            stack.push_back(next);
          }
        }
    }
    if (sum > 4) centroids.push_back({sx / sum / CurvedResolution, sy / sum / CurvedResolution});
  }
  return centroids;
}

struct TCircle {
  TPoint2 Centre;
  double Radius = 0;
  double WorstResidual = 0;
};

// Least squares on x^2 + y^2 + D x + E y + F = 0 (Kasa's fit).
TCircle FitCircle(const std::vector<TPoint2>& points) {
  double m[3][4] = {};
  for (const TPoint2& p : points) {
    const double row[3] = {p.X, p.Y, 1}, rhs = -(p.X * p.X + p.Y * p.Y);
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) m[i][j] += row[i] * row[j];
      m[i][3] += row[i] * rhs;
    }
  }
  for (int i = 0; i < 3; ++i)
    for (int k = i + 1; k < 3; ++k) {
      const double f = m[k][i] / m[i][i];
      for (int j = i; j < 4; ++j) m[k][j] -= f * m[i][j];
    }
  double s[3];
  for (int i = 2; i >= 0; --i) {
    double v = m[i][3];
    for (int j = i + 1; j < 3; ++j) v -= m[i][j] * s[j];
    s[i] = v / m[i][i];
  }
  TCircle circle;
  circle.Centre = {-s[0] / 2, -s[1] / 2};
  circle.Radius = std::sqrt(circle.Centre.X * circle.Centre.X + circle.Centre.Y * circle.Centre.Y - s[2]);
  for (const TPoint2& p : points)
    circle.WorstResidual = std::max(
        circle.WorstResidual, std::fabs(std::hypot(p.X - circle.Centre.X, p.Y - circle.Centre.Y) - circle.Radius));
  return circle;
}

class CurvedTextTest : public ::testing::Test, protected TPageFixture {
protected:
  CurvedTextTest() : TPageFixture(400, 400) {}

  template <class Shape>
  Shape& Add(const std::u16string& text) {
    auto shape = std::make_unique<Shape>();
    Shape& ref = *shape;
    Page.AddShape(std::move(shape));
    ref.SetDocBounds(20, 20, 50, 20);
    ref.SetFontName(CurvedFontName);
    ref.SetFontHeight(CurvedFontHeight);
    ref.SetText(text);
    return ref;
  }

  // The shape's frame and a 2 mm margin at CurvedResolution pixels per millimetre; the frame's
  // top-left corner lands at (2, 2) mm.
  static std::unique_ptr<TBitmap32> Draw(TdocShape& shape) {
    auto bitmap = std::make_unique<TBitmap32>();
    const float width = shape.GetDocWidth() + 4, height = shape.GetDocHeight() + 4;
    bitmap->SetSize(static_cast<int>(width * CurvedResolution), static_cast<int>(height * CurvedResolution));
    bitmap->Clear(0);
    TdocRenderOptions options;
    options.Resolution = CurvedResolution;
    shape.RenderShape(*bitmap, {-2, -2, width - 2, height - 2}, true, options);
    return bitmap;
  }

  // Ink extent in millimetres (alpha > 64).
  static std::pair<double, double> InkSize(const TBitmap32& bitmap) {
    int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
    for (int y = 0; y < bitmap.GetHeight(); ++y)
      for (int x = 0; x < bitmap.GetWidth(); ++x)
        if ((bitmap.GetPixel(x, y) >> 24) > 64) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
    return {(right - left + 1) / double(CurvedResolution), (bottom - top + 1) / double(CurvedResolution)};
  }
};

// The unbent line is a polygon text of the same text: its measured width
// is the width the arc takes (pen start to the last glyph's ink), and its
// glyphs' ink centroids give their depth below the line's top.
TEST_F(CurvedTextTest, GlyphCentresLieOnTheCircleOfTheAngle) {
  const std::u16string text = u"HHHHHHHHH";
  auto& straight = Add<TdocPolygonText>(text);
  const auto straightBitmap = Draw(straight);
  const std::vector<TPoint2> flat = BlobCentroids(*straightBitmap);
  ASSERT_EQ(flat.size(), text.size());
  const double lineWidth = straight.GetSpans(0).Width;
  const double lineHeight = straight.GetDocHeight();
  const double centroidDepth = flat[0].Y - 2;  // below the frame's top
  double glyphStep = 0;
  for (const TPoint2& c : flat) glyphStep = std::max(glyphStep, (c.X - flat[0].X) / double(text.size() - 1));
  for (int method : {1, 0})
    for (float angle : {40.0f, 90.0f, -60.0f}) {
      SCOPED_TRACE(testing::Message() << "method " << method << ", angle " << angle);
      auto& bent = Add<TdocCurvedText>(text);
      bent.SetTransformMethod(static_cast<std::uint8_t>(method));
      bent.SetCurveAngle(angle);
      const std::vector<TPoint2> centres = BlobCentroids(*Draw(bent));
      ASSERT_EQ(centres.size(), text.size());
      const TCircle circle = FitCircle(centres);
      const double radius = 180 * lineWidth / (2 * std::numbers::pi * std::fabs(angle));
      // Turned glyphs pivot at 70 % (arch) or 30 % (bowl) of the line height
      // on the circle; bent points put the line's bottom (arch) or top
      // (bowl) on it.
      const double pivot = method == 1 ? (angle > 0 ? 0.7 : 0.3) * lineHeight : (angle > 0 ? lineHeight : 0.0);
      const double expected = radius + (angle > 0 ? pivot - centroidDepth : centroidDepth - pivot);
      EXPECT_NEAR(circle.Radius, expected, 0.02 * expected);
      EXPECT_LT(circle.WorstResidual, 0.15);
      // An arch stands above its centre, a bowl hangs below it.
      for (const TPoint2& c : centres) EXPECT_EQ(c.Y < circle.Centre.Y, angle > 0);
      // The line spans an arc of twice the angle (between the outer
      // glyphs' centres, one glyph short of the whole width).
      double lowest = 1e9, highest = -1e9;
      for (const TPoint2& c : centres) {
        const double at = std::atan2(c.X - circle.Centre.X, std::fabs(c.Y - circle.Centre.Y));
        lowest = std::min(lowest, at), highest = std::max(highest, at);
      }
      const double span = (highest - lowest) * 180 / std::numbers::pi;
      EXPECT_NEAR(span, 2 * std::fabs(angle) * (text.size() - 1) * glyphStep / lineWidth, 1.5);
    }
}

TEST_F(CurvedTextTest, ZeroIsStraightAndOneEightyAFullRing) {
  auto& straight = Add<TdocCurvedText>(u"ABCDEFGHIJKLMNOP");
  auto& polygon = Add<TdocPolygonText>(u"ABCDEFGHIJKLMNOP");
  // The curved frame is the ink's bounds, the polygon text's starts at the
  // pen: they differ by the first glyph's side bearing.
  EXPECT_NEAR(straight.GetDocWidth(), polygon.GetDocWidth(), 0.1);
  EXPECT_NEAR(straight.GetDocHeight(), polygon.GetDocHeight(), 0.01);
  auto& ring = Add<TdocCurvedText>(u"ABCDEFGHIJKLMNOP");
  ring.SetCurveAngle(180);
  const auto [width, height] = InkSize(*Draw(ring));
  EXPECT_NEAR(width / height, 1.0, 0.1);
  // The circumference of the pivot circle is the line's width.
  EXPECT_NEAR(width, straight.GetWarpWidth() / std::numbers::pi + 2 * 0.7 * straight.GetDocHeight(), 0.15 * width);
  EXPECT_GT(ring.GetDocWidth(), 0);
  // The frame follows the bent outline's bounds.
  EXPECT_NEAR(ring.GetDocWidth(), ring.GetWarpWidth(), 1e-4);
}

TEST_F(CurvedTextTest, ShortTextGetsTheWidthOfWww) {
  auto& www = Add<TdocCurvedText>(u"Www");
  auto& i = Add<TdocCurvedText>(u"i");
  auto& empty = Add<TdocCurvedText>(u"");
  EXPECT_NEAR(i.GetWarpWidth(), www.GetWarpWidth(), 1e-6);
  EXPECT_NEAR(empty.GetWarpWidth(), www.GetWarpWidth(), 1e-6);
  empty.SetCurveAngle(120);
  EXPECT_TRUE(std::isfinite(empty.GetDocWidth()));
  Draw(empty);
}

TEST_F(CurvedTextTest, WavesDisplaceAndAZeroWaveLengthIsIgnored) {
  auto& wavy = Add<TdocWavyText>(u"HHHHHHHHHHHHHHHH");
  const auto [straightWidth, straightHeight] = InkSize(*Draw(wavy));
  wavy.GetWaveX().Amplitude = 3;
  wavy.Relayout();
  EXPECT_NEAR(InkSize(*Draw(wavy)).second, straightHeight, 0.01);
  wavy.GetWaveX().WaveLength = 20;
  wavy.Relayout();
  // The wave lifts some glyphs by up to 3 mm and lowers others as much.
  const auto [wavyWidth, wavyHeight] = InkSize(*Draw(wavy));
  EXPECT_GT(wavyHeight, straightHeight + 4);
  EXPECT_LE(wavyHeight, straightHeight + 6 + 0.2);
  EXPECT_NEAR(wavyWidth, straightWidth, 0.2);
  EXPECT_NEAR(wavy.GetDocHeight(), wavyHeight, 0.2);
  wavy.GetWaveY().WaveLength = 5;
  wavy.GetWaveY().Amplitude = 1;
  wavy.Relayout();
  EXPECT_GT(InkSize(*Draw(wavy)).first, straightWidth + 1);
}

TEST_F(CurvedTextTest, FixedTransformTurnsAboutItsCentreAndSaturates) {
  TFixedTransform turn;
  turn.Rotate(65536, 65536, std::numbers::pi / 2);
  const TFixedPoint p = turn.Transform({2 * 65536, 65536});
  // (cos, sin; -sin, cos) takes (1, 0) from the centre to (0, -1).
  EXPECT_NEAR(p.X, 65536, 2);
  EXPECT_NEAR(p.Y, 0, 2);
  turn.Translate(65536 * 3, -65536);
  const TFixedPoint q = turn.Transform({2 * 65536, 65536});
  EXPECT_NEAR(q.X, 4 * 65536, 2);
  EXPECT_NEAR(q.Y, -65536, 2);
  TFixedTransform far;
  far.Translate(INT_MAX, INT_MAX);
  far.Translate(INT_MAX, INT_MIN);
  far.Rotate(INT_MIN, INT_MAX, 1e300);
  const TFixedPoint r = far.Transform({INT_MAX, INT_MIN});
  EXPECT_GE(r.X, INT_MIN);  // reached without overflow
}

TEST_F(CurvedTextTest, XmlRoundTripAndUndoOfTheAngle) {
  auto& curved = Add<TdocCurvedText>(u"Round trip");
  curved.SetCurveAngle(-35.5f);
  curved.SetTransformMethod(0);
  auto& wavy = Add<TdocWavyText>(u"Waves");
  wavy.GetWaveX() .WaveLength = 12.5f;
  wavy.GetWaveX().Amplitude = 1.25f;
  wavy.GetWaveY().WaveShift = 3;
  wavy.Relayout();
  for (TdocShape* shape : {static_cast<TdocShape*>(&curved), static_cast<TdocShape*>(&wavy)}) {
    const std::string saved = SaveShapeXml(*shape);
    Page.AddShape(GetShapeClass(shape->GetClass().Name).Create());
    TdocShape& copy = *Page.GetShapes(Page.GetShapeCount() - 1);
    LoadShapeXml(copy, saved);
    copy.Loaded();
    EXPECT_EQ(SaveShapeXml(copy), saved);
  }
  const std::string saved = SaveShapeXml(curved);
  EXPECT_NE(saved.find("<CurveAngle>-35.5</CurveAngle>"), std::string::npos);
  EXPECT_NE(saved.find("<TransformMethod>0</TransformMethod>"), std::string::npos);
  EXPECT_NE(SaveShapeXml(wavy).find("<WaveY><WaveLength>0</WaveLength><WaveShift>3</WaveShift><Amplitude>0</Amplitude></WaveY>"),
            std::string::npos);
  Document.UndoList.clear();
  curved.SetCurveAngle(10);
  ASSERT_TRUE(Document.Undo(Page));
  while (Document.Undo(Page)) {
  }
  EXPECT_EQ(curved.GetCurveAngle(), -35.5f);
  // Point-wise bending subdivides the edges first; turning glyphs does not.
  EXPECT_TRUE(curved.GetSubdivide());
  curved.SetPropertyByName("TransformMethod", "1");
  EXPECT_EQ(curved.GetTransformMethod(), 1);
  EXPECT_FALSE(curved.GetSubdivide());
}

TEST_F(CurvedTextTest, HostileValuesGiveFiniteFrames) {
  const struct {
    const char* Name;
    const char* Xml;
  } cases[] = {
      {"angle not a number", "<ClassName>TdocCurvedText</ClassName><CurveAngle>nan</CurveAngle>"},
      {"huge angle", "<ClassName>TdocCurvedText</ClassName><CurveAngle>1e38</CurveAngle><TransformMethod>0</TransformMethod>"},
      {"tiny angle", "<ClassName>TdocCurvedText</ClassName><CurveAngle>1e-30</CurveAngle>"},
      {"method beyond a byte", "<ClassName>TdocCurvedText</ClassName><CurveAngle>30</CurveAngle><TransformMethod>99999</TransformMethod>"},
      {"huge font", "<ClassName>TdocCurvedText</ClassName><CurveAngle>30</CurveAngle><FontHeight>1e6</FontHeight>"},
      {"huge wave", "<ClassName>TdocWavyText</ClassName><WaveX><WaveLength>1e-30</WaveLength><Amplitude>1e30</Amplitude></WaveX>"},
      {"wave not a number", "<ClassName>TdocWavyText</ClassName><WaveY><WaveLength>nan</WaveLength><Amplitude>inf</Amplitude></WaveY>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string xml = std::string("<shape>") + c.Xml +
                            "<Text>Hostile</Text><AutoSize>True</AutoSize><Font><Name>DejaVu Sans</Name></Font></shape>";
    const std::string name = std::string(c.Xml).substr(11, std::string(c.Xml).find("</ClassName>") - 11);
    Page.AddShape(GetShapeClass(name).Create());
    TdocShape& shape = *Page.GetShapes(Page.GetShapeCount() - 1);
    LoadShapeXml(shape, xml);
    shape.Loaded();
    EXPECT_TRUE(std::isfinite(shape.GetDocWidth()));
    EXPECT_TRUE(std::isfinite(shape.GetDocHeight()));
    TBitmap32 bitmap;
    bitmap.SetSize(64, 64);
    TdocRenderOptions options;
    options.Resolution = 5.9f;
    shape.RenderShape(bitmap, {0, 0, 64 / 5.9f, 64 / 5.9f}, true, options);
  }
}

}  // namespace
