// Projective text with DejaVu Sans on a plain page at 4 client pixels per
// millimetre. The oracle is where the user put the corners on the page:
// corner grips dragged one by one must end there, the frame must be their
// bounding box, the font height the mean of the two edges, the corners of
// the unbent line's box must warp onto the grips, and the rendered ink must
// stay inside the quadrilateral and reach its right edge (the line ends at
// the ink of its last glyph; it starts at the pen, before the first glyph's
// side bearing).

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "tests/document/TestShapes.h"
#include "document/text/ProjectiveText.h"
#include "document/shape/ShapeValues.h"
#include "imaging/bitmap/Bitmap32.h"

namespace {

using doctest::LoadShapeXml;
using doctest::SaveShapeXml;
using doctest::TPageFixture;
using TQuad = std::array<TFloatPoint, 4>;  // top-left, top-right, bottom-left, bottom-right

constexpr float Scale = 4;       // client pixels per millimetre
constexpr float ProjectiveResolution = 5;  // render pixels per millimetre
constexpr float Window = 80;     // rendered page square, millimetres

// Exposes the warp: the unbent line's box corners taken through it.
class TOpenProjectiveText : public TdocProjectiveText {
public:
  TQuad WarpedBox() {
    const TFixed w = document::ToFixed(GetWarpWidth()), h = document::ToFixed(GetWarpHeight());
    Outline->SetPoints({{{0, 0}, {w, 0}, {0, h}, {w, h}}});
    Warp(w, h);
    TQuad box;
    for (std::size_t i = 0; i < 4; ++i) {
      const TFixedPoint p = Outline->GetPoints().at(0).at(i);
      box[i] = {float(p.X / 65536.0), float(p.Y / 65536.0)};
    }
    BuildOutline();
    return box;
  }
};

double Cross(const TFloatPoint& a, const TFloatPoint& b, double x, double y) {
  return (double{b.X} - a.X) * (y - a.Y) - (double{b.Y} - a.Y) * (x - a.X);
}

// Distance of (x, y) from the line through a and b.
double LineDistance(const TFloatPoint& a, const TFloatPoint& b, double x, double y) {
  return std::fabs(Cross(a, b, x, y)) / std::hypot(double{b.X} - a.X, double{b.Y} - a.Y);
}

class ProjectiveTextTest : public ::testing::Test, protected TPageFixture {
protected:
  ProjectiveTextTest() : TPageFixture(200, 200) { Document.Scale = Scale; }

  TOpenProjectiveText& Add(const std::u16string& text = u"HHHHH") {
    auto owned = std::make_unique<TOpenProjectiveText>();
    TOpenProjectiveText& shape = *owned;
    Page.AddShape(std::move(owned));
    shape.SetFontName("DejaVu Sans");
    shape.SetText(text);
    shape.SetDocPos(20, 20);
    return shape;
  }

  // The corners one by one, each given on the page.
  static void SetPageCorners(TdocProjectiveText& shape, const TQuad& quad) {
    for (int i = 0; i < 4; ++i) shape.SetCorner(i, shape.DocToLocal(quad[std::size_t(i)]));
  }

  // A corner grip found under the mouse and dragged by a page offset.
  static void DragCorner(TdocProjectiveText& shape, int index, const TFloatPoint& offset) {
    shape.SetSelected(true);
    shape.UpdateHandles();
    const TFloatPoint grip = shape.GetHandlePainter()->HandleOnScreen(index);
    ASSERT_EQ(shape.HandleAtPoint({int(std::lround(grip.X)), int(std::lround(grip.Y))}), hkPoint);
    ASSERT_EQ(shape.GetEditFrame().HandleIndex, index);
    TdocTransform matrix;
    shape.ComputeEditFrame(offset, false, hkPoint, matrix);
    shape.ApplyEditFrame();
  }

  // The page square (0, 0) .. (Window, Window).
  std::unique_ptr<TBitmap32> Render(TdocShape& shape) {
    auto bitmap = std::make_unique<TBitmap32>();
    bitmap->SetSize(int(Window * ProjectiveResolution), int(Window * ProjectiveResolution));
    bitmap->Clear(0);
    TdocRenderOptions options;
    options.Resolution = ProjectiveResolution;
    shape.RenderShape(*bitmap, {0, 0, Window, Window}, false, options);
    return bitmap;
  }

  // Ink pixel centres (alpha > 64) in page millimetres.
  static std::vector<TFloatPoint> Ink(const TBitmap32& bitmap) {
    std::vector<TFloatPoint> ink;
    for (int y = 0; y < bitmap.GetHeight(); ++y)
      for (int x = 0; x < bitmap.GetWidth(); ++x)
        if ((bitmap.GetPixel(x, y) >> 24) > 64) ink.push_back({(x + 0.5f) / ProjectiveResolution, (y + 0.5f) / ProjectiveResolution});
    return ink;
  }

  // Grips, frame, box corners and ink of a convex quadrilateral given on
  // the page.
  static void ExpectOnQuad(TOpenProjectiveText& shape, const TQuad& quad, const TBitmap32& rendered) {
    shape.UpdateHandles();
    const TdocHandlePainter& painter = *shape.GetHandlePainter();
    const TQuad box = shape.WarpedBox();
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    for (int i = 0; i < 4; ++i) {
      const TFloatPoint expected{quad[std::size_t(i)].X * Scale, quad[std::size_t(i)].Y * Scale};
      const TFloatPoint grip = painter.HandleOnScreen(i), corner = shape.ShapeToScreen(box[std::size_t(i)]);
      EXPECT_NEAR(grip.X, expected.X, 0.01) << i;
      EXPECT_NEAR(grip.Y, expected.Y, 0.01) << i;
      EXPECT_NEAR(corner.X, grip.X, 0.01) << i;
      EXPECT_NEAR(corner.Y, grip.Y, 0.01) << i;
      left = std::min(left, quad[std::size_t(i)].X), right = std::max(right, quad[std::size_t(i)].X);
      top = std::min(top, quad[std::size_t(i)].Y), bottom = std::max(bottom, quad[std::size_t(i)].Y);
    }
    EXPECT_NEAR(shape.GetDocLeft(), left, 1e-3);
    EXPECT_NEAR(shape.GetDocTop(), top, 1e-3);
    EXPECT_NEAR(shape.GetDocWidth(), right - left, 1e-3);
    EXPECT_NEAR(shape.GetDocHeight(), bottom - top, 1e-3);
    const auto& [tl, tr, bl, br] = quad;
    EXPECT_NEAR(shape.GetFontHeight(), ((bl.Y - tl.Y) + (br.Y - tr.Y)) / 2, 1e-3);
    // Inside every edge (clockwise on the screen) within a pixel.
    const std::vector<TFloatPoint> ink = Ink(rendered);
    ASSERT_FALSE(ink.empty());
    const double pixel = 1 / ProjectiveResolution;
    double nearRight = 1e9;
    for (const TFloatPoint& p : ink) {
      for (const auto& [a, b] : {std::pair{tl, tr}, {tr, br}, {br, bl}, {bl, tl}})
        ASSERT_GE(Cross(a, b, p.X, p.Y) / std::hypot(double{b.X} - a.X, double{b.Y} - a.Y), -pixel) << p.X << ", " << p.Y;
      nearRight = std::min(nearRight, LineDistance(tr, br, p.X, p.Y));
    }
    EXPECT_LT(nearRight, 2 * pixel);
  }
};

TEST_F(ProjectiveTextTest, DraggedCornersCarryTheTextBoxAndTheFrame) {
  TOpenProjectiveText& shape = Add();
  TQuad quad{{{20, 20}, {60, 20}, {20, 50}, {60, 50}}};
  ExpectOnQuad(shape, quad, *Render(shape));
  EXPECT_NEAR(shape.GetFontHeight(), 30, 1e-4);
  const struct {
    int Corner;
    TFloatPoint Offset;
  } drags[] = {{1, {0, -10}}, {2, {-5, 8}}, {0, {12, 6}}, {3, {10, -3}}};
  for (const auto& drag : drags) {
    SCOPED_TRACE(drag.Corner);
    DragCorner(shape, drag.Corner, drag.Offset);
    TFloatPoint& moved = quad[std::size_t(drag.Corner)];
    moved = {moved.X + drag.Offset.X, moved.Y + drag.Offset.Y};
    ExpectOnQuad(shape, quad, *Render(shape));
  }
  // The top-right corner dragged 10 up: the right edge is 40 tall, the font
  // height after that drag was (30 + 40) / 2; now the mean of the last quad.
  EXPECT_NEAR(shape.GetFontHeight(), ((58 - 26) + (47 - 10)) / 2.0, 1e-3);

  // Twice as wide: every corner's x doubles, the font height stays.
  const TQuad before = shape.GetCorners();
  const float height = shape.GetFontHeight();
  shape.SetDocBounds(shape.GetDocLeft(), shape.GetDocTop(), 2 * shape.GetDocWidth(), shape.GetDocHeight());
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(shape.GetCorners()[i].X, 2 * before[i].X, 1e-3);
    EXPECT_NEAR(shape.GetCorners()[i].Y, before[i].Y, 1e-3);
  }
  EXPECT_NEAR(shape.GetFontHeight(), height, 1e-3);
  // A font height scales everything about the frame's top-left corner.
  const float left = shape.GetDocLeft(), top = shape.GetDocTop(), width = shape.GetDocWidth();
  shape.SetFontHeight(height * 1.5f);
  EXPECT_NEAR(shape.GetFontHeight(), height * 1.5f, 1e-3);
  EXPECT_NEAR(shape.GetDocWidth(), width * 1.5f, 1e-3);
  EXPECT_EQ(shape.GetDocLeft(), left);
  EXPECT_EQ(shape.GetDocTop(), top);
}

TEST_F(ProjectiveTextTest, DegenerateQuadrilateralsHaveAClearOutcome) {
  constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
  const struct {
    const char* Name;
    TQuad Quad;
    float FontHeight;
    bool Ink;  // anything drawn
  } cases[] = {
      {"three corners in a line", {{{20, 20}, {40, 30}, {20, 50}, {60, 40}}}, 20, true},
      {"crossed corners", {{{20, 20}, {60, 50}, {20, 50}, {60, 20}}}, 0, false},
      {"upside down", {{{20, 50}, {60, 50}, {20, 20}, {60, 20}}}, -30, true},
      {"one horizontal line", {{{20, 30}, {60, 30}, {25, 30}, {55, 30}}}, 0, false},
      {"one point", {{{30, 30}, {30, 30}, {30, 30}, {30, 30}}}, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TOpenProjectiveText& shape = Add();
    SetPageCorners(shape, c.Quad);
    for (std::size_t i = 0; i < 4; ++i) {
      const TFloatPoint onPage = shape.LocalToParent(shape.GetCorners()[i]);
      EXPECT_NEAR(onPage.X, c.Quad[i].X, 1e-3);
      EXPECT_NEAR(onPage.Y, c.Quad[i].Y, 1e-3);
    }
    EXPECT_NEAR(shape.GetFontHeight(), c.FontHeight, 1e-3);
    EXPECT_EQ(Ink(*Render(shape)).empty(), !c.Ink);
    // A height of the other sign is refused; one of the same sign scales.
    const float width = shape.GetDocWidth();
    shape.SetFontHeight(-2 * c.FontHeight);
    EXPECT_EQ(shape.GetDocWidth(), width);
    shape.SetFontHeight(c.FontHeight / 2);
    EXPECT_NEAR(shape.GetFontHeight(), c.FontHeight / 2, 1e-3);
    // Corners that are not numbers are refused.
    const TQuad kept = shape.GetCorners();
    shape.SetCorner(1, {NaN, 5});
    shape.SetCorner(2, {5, std::numeric_limits<float>::infinity()});
    shape.SetCorner(4, {5, 5});
    EXPECT_EQ(shape.GetCorners(), kept);
  }
  // Crossed top corners: the text is drawn mirrored, and still inside.
  TOpenProjectiveText& mirrored = Add();
  const TQuad crossed{{{60, 20}, {20, 20}, {20, 50}, {60, 50}}};
  SetPageCorners(mirrored, crossed);
  EXPECT_FALSE(Ink(*Render(mirrored)).empty());
  // A corner a kilometre away saturates the outline instead of wrapping.
  TOpenProjectiveText& far = Add();
  far.SetCorner(3, {1e9f, 1e9f});
  EXPECT_EQ(far.GetCorners()[3].X, float(document::MaxLength));
  EXPECT_TRUE(std::isfinite(far.GetDocWidth()));
  Render(far);
}

TEST_F(ProjectiveTextTest, XmlSaveLoadSaveIsIdentical) {
  TOpenProjectiveText& shape = Add(u"Projective");
  shape.SetFontStyle(1);
  SetPageCorners(shape, {{{22.5f, 21.25f}, {70.125f, 30}, {18, 55.5f}, {66.75f, 48}}});
  shape.Loaded();
  const std::string saved = SaveShapeXml(shape);
  EXPECT_NE(saved.find("<Point><X>4.5</X><Y>0</Y></Point>"), std::string::npos) << saved;
  auto copy = GetShapeClass("TdocProjectiveText").Create();
  Page.AddShape(std::move(copy));
  TdocShape& loaded = *Page.GetShapes(Page.GetShapeCount() - 1);
  LoadShapeXml(loaded, saved);
  loaded.Loaded();
  EXPECT_EQ(SaveShapeXml(loaded), saved);
  EXPECT_EQ(static_cast<TdocProjectiveText&>(loaded).GetCorners(), shape.GetCorners());

  // Fewer points leave the other corners; values that are not numbers read
  // as 0; an auto-sized projective text still loads.
  auto partial = std::make_unique<TdocProjectiveText>();
  const TQuad initial = partial->GetCorners();
  LoadShapeXml(*partial,
               "<shape><ClassName>TdocProjectiveText</ClassName><Point><X>nan</X><Y>inf</Y></Point>"
               "<Point><X>7</X><Y>1</Y></Point><AutoSize>True</AutoSize><DocWidth>40</DocWidth>"
               "<DocHeight>30</DocHeight><Text>x</Text></shape>");
  Page.AddShape(std::move(partial));
  auto& read = static_cast<TdocProjectiveText&>(*Page.GetShapes(Page.GetShapeCount() - 1));
  read.Loaded();
  EXPECT_EQ(read.GetCorners()[0], (TFloatPoint{0, 0}));
  EXPECT_EQ(read.GetCorners()[1], (TFloatPoint{7, 1}));
  EXPECT_EQ(read.GetCorners()[2], initial[2]);
  EXPECT_EQ(read.GetCorners()[3], initial[3]);
  read.SetDocBounds(0, 0, 80, 60);
  read.SetCorner(0, {-3, -3});
  EXPECT_TRUE(std::isfinite(read.GetDocWidth()) && std::isfinite(read.GetDocHeight()));
}

}  // namespace
