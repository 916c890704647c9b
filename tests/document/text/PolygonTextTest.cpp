// Polygon text and memo with DejaVu Sans: the filled outlines against
// FreeType's rasteriser filling the same outlines, ink kept in millimetres
// at every resolution, fonts shared through the document, measuring without
// a document, and the XML round trip.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/document/TestShapes.h"
#include "document/text/FontManager.h"
#include "document/text/PolygonText.h"
#include "imaging/bitmap/Bitmap32.h"

namespace {

using doctest::LoadShapeXml;
using doctest::SaveShapeXml;
using doctest::TPageFixture;

constexpr const char* FontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* PolygonFontName = "DejaVu Sans";
constexpr float PolygonFontHeight = 8;

// Alpha of every pixel, rows top down.
std::vector<int> Alpha(const TBitmap32& bitmap) {
  std::vector<int> alpha;
  for (int y = 0; y < bitmap.GetHeight(); ++y)
    for (int x = 0; x < bitmap.GetWidth(); ++x) alpha.push_back(int(bitmap.GetPixel(x, y) >> 24));
  return alpha;
}

// FreeType's grey rasteriser filling the contours (16.16 pixels) by the
// non-zero rule into a width x height coverage map.
std::vector<int> FreeTypeFill(const TArrayOfArrayOfFixedPoint& contours, int width, int height) {
  std::vector<FT_Vector> points;
  std::vector<char> tags;
  std::vector<short> ends;
  for (const TArrayOfFixedPoint& contour : contours) {
    if (contour.size() < 3) continue;
    for (const TFixedPoint& p : contour) {
      // 26.6, y up from the bottom row.
      points.push_back({FT_Pos(p.X >> 10), FT_Pos(height * 64 - (p.Y >> 10))});
      tags.push_back(FT_CURVE_TAG_ON);
    }
    ends.push_back(static_cast<short>(points.size() - 1));
  }
  FT_Outline outline{};
  outline.n_points = static_cast<short>(points.size());
  outline.n_contours = static_cast<short>(ends.size());
  outline.points = points.data();
  outline.tags = tags.data();
  outline.contours = ends.data();
  std::vector<unsigned char> grey(std::size_t(width) * height, 0);
  FT_Bitmap target{};
  target.rows = static_cast<unsigned>(height);
  target.width = static_cast<unsigned>(width);
  target.pitch = -width;
  target.buffer = grey.data();
  target.num_grays = 256;
  target.pixel_mode = FT_PIXEL_MODE_GRAY;
  FT_Library library = nullptr;
  EXPECT_EQ(FT_Init_FreeType(&library), 0);
  EXPECT_EQ(FT_Outline_Get_Bitmap(library, &outline, &target), 0);
  FT_Done_FreeType(library);
  std::vector<int> coverage;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) coverage.push_back(grey[std::size_t(height - 1 - y) * width + x]);
  return coverage;
}

class PolygonTextTest : public ::testing::Test, protected TPageFixture {
protected:
  PolygonTextTest() : TPageFixture(300, 200) {}

  template <class Shape = TdocPolygonText>
  Shape& Add(const std::u16string& text) {
    auto shape = std::make_unique<Shape>();
    Shape& ref = *shape;
    Page.AddShape(std::move(shape));
    ref.SetDocBounds(10, 10, 50, 20);
    ref.SetFontName(PolygonFontName);
    ref.SetFontHeight(PolygonFontHeight);
    ref.SetText(text);
    return ref;
  }

  // The shape drawn straight into a bitmap covering its frame and a 1 mm
  // margin at resolution dots per millimetre.
  static std::unique_ptr<TBitmap32> Draw(TdocShape& shape, float resolution) {
    auto drawn = std::make_unique<TBitmap32>();
    TBitmap32& bitmap = *drawn;
    const float width = shape.GetDocWidth() + 2, height = shape.GetDocHeight() + 2;
    bitmap.SetSize(static_cast<int>(width * resolution), static_cast<int>(height * resolution));
    bitmap.Clear(0);
    TdocRenderOptions options;
    options.Resolution = resolution;
    const float left = shape.GetDocLeft() - 1, top = shape.GetDocTop() - 1;
    shape.GetParent()->RenderShape(bitmap, {left, top, left + width, top + height}, false, options);
    return drawn;
  }

  void SetUp() override {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Face(library, FontFile, 0, &face), 0) << "the test font is missing";
    FT_Load_Char(face, 'H', FT_LOAD_NO_SCALE);
    CapHeightMm = PolygonFontHeight * double(face->glyph->metrics.height) / face->units_per_EM;
    FT_Done_Face(face);
    FT_Done_FreeType(library);
  }

  double CapHeightMm = 0;
};

TEST_F(PolygonTextTest, FilledOutlinesMatchFreeTypesRasteriser) {
  auto& text = Add(u"Hxg&Q@ e");
  text.SetFontColor(0);
  constexpr int Width = 420, Height = 110;
  TBitmap32 bitmap;
  bitmap.SetSize(Width, Height);
  bitmap.Clear(0);
  TdocRenderOptions options;
  options.Resolution = 7.3f;
  // Drawn straight (a rectangle of the frame's own coordinates), so the
  // device transform maps into this bitmap.
  text.RenderShape(bitmap, {-1.3f, -1.1f, -1.3f + Width / 7.3f, -1.1f + Height / 7.3f}, true, options);
  const TdocTransform& device = text.GetDeviceTransform();
  TArrayOfArrayOfFixedPoint mapped;
  for (const TArrayOfFixedPoint& contour : text.GetOutline().GetPoints()) {
    TArrayOfFixedPoint& to = mapped.emplace_back();
    for (const TFixedPoint& p : contour) {
      const double x = p.X / 65536.0, y = p.Y / 65536.0;
      to.push_back({TFixed(std::lround((device.a * x + device.c * y + device.e) * 65536)),
                    TFixed(std::lround((device.b * x + device.d * y + device.f) * 65536))});
    }
  }
  const std::vector<int> ours = Alpha(bitmap);
  const std::vector<int> reference = FreeTypeFill(mapped, Width, Height);
  long ourTotal = 0, referenceTotal = 0;
  int edgeMismatches = 0;
  for (std::size_t i = 0; i < ours.size(); ++i) {
    ourTotal += ours[i];
    referenceTotal += reference[i];
    // 8 x 8 sub-samples against exact areas: at most about a sixth apart.
    if (std::abs(ours[i] - reference[i]) > 48) ++edgeMismatches;
  }
  EXPECT_GT(referenceTotal, 255L * 1500);
  EXPECT_NEAR(double(ourTotal) / double(referenceTotal), 1.0, 0.015);
  EXPECT_EQ(edgeMismatches, 0);
}

// The ink height of "H" from the tallest column, in millimetres.
TEST_F(PolygonTextTest, InkKeepsItsSizeInMillimetresAtEveryResolution) {
  auto& text = Add(u"HHH");
  for (float resolution : {5.905512f, 11.811024f, 23.622047f}) {
    SCOPED_TRACE(resolution);
    const auto drawn = Draw(text, resolution);
    const TBitmap32& bitmap = *drawn;
    double best = 0;
    for (int x = 0; x < bitmap.GetWidth(); ++x) {
      double column = 0;
      for (int y = 0; y < bitmap.GetHeight(); ++y) column += (bitmap.GetPixel(x, y) >> 24) / 255.0;
      best = std::max(best, column);
    }
    EXPECT_NEAR(best / resolution, CapHeightMm, 0.15);
  }
}

TEST_F(PolygonTextTest, TurnedTextTurnsItsGlyphs) {
  auto& text = Add(u"HHHHHH");
  const auto inkBox = [](const TBitmap32& bitmap) {
    int w = 0, h = 0;
    std::vector<bool> columns(std::size_t(bitmap.GetWidth())), rows(std::size_t(bitmap.GetHeight()));
    for (int y = 0; y < bitmap.GetHeight(); ++y)
      for (int x = 0; x < bitmap.GetWidth(); ++x)
        if ((bitmap.GetPixel(x, y) >> 24) > 128) columns[std::size_t(x)] = rows[std::size_t(y)] = true;
    for (bool c : columns) w += c;
    for (bool r : rows) h += r;
    return std::pair{w, h};
  };
  const auto [width, height] = inkBox(*Draw(text, 6));
  ASSERT_GT(width, 2 * height);
  text.SetDocFrame(100, 100, text.GetDocWidth(), text.GetDocHeight(), 90);
  TBitmap32 bitmap;
  bitmap.SetSize(1800, 1200);
  bitmap.Clear(0);
  TdocRenderOptions options;
  options.Resolution = 6;
  Page.RenderShape(bitmap, {0, 0, 300, 200}, false, options);
  const auto [turnedWidth, turnedHeight] = inkBox(bitmap);
  // The turned cache is resampled: a few pixels of blur on each side.
  EXPECT_NEAR(turnedWidth, height, 5);
  EXPECT_NEAR(turnedHeight, width, 5);
}

// A page printed in bands draws each band through a clip rectangle; each
// band fills only the glyphs that reach it, and together they give the
// pixels of one piece.
TEST_F(PolygonTextTest, ClippedBandsTogetherGiveTheInkOfOnePiece) {
  auto& memo = Add<TdocPolygonMemo>(u"Hxg&Q@ e\r\nWjy{}|\r\n,;_~");
  constexpr int Width = 420, Height = 240;
  constexpr float Resolution = 7.3f;
  const TFloatRect area{-1.3f, -1.1f, -1.3f + Width / Resolution, -1.1f + Height / Resolution};
  TdocRenderOptions options;
  options.Resolution = Resolution;
  TBitmap32 whole, banded;
  for (TBitmap32* bitmap : {&whole, &banded}) {
    bitmap->SetSize(Width, Height);
    bitmap->Clear(0);
  }
  memo.RenderShape(whole, area, true, options);
  for (int top = 0; top < Height; top += 7) {
    banded.SetClipRect({0, top, Width, std::min(top + 7, Height)});
    memo.RenderShape(banded, area, true, options);
  }
  banded.SetClipRect({0, 0, Width, Height});
  const std::vector<int> ink = Alpha(whole);
  EXPECT_GT(std::count_if(ink.begin(), ink.end(), [](int a) { return a > 128; }), 1500);
  EXPECT_TRUE(Alpha(banded) == ink);
}

TEST_F(PolygonTextTest, TextsShareFontsAndLetGoOfTheOldOne) {
  auto& a = Add(u"one");
  auto& b = Add(u"two");
  ASSERT_NE(a.GetFont(), nullptr);
  EXPECT_EQ(a.GetFont(), b.GetFont());
  EXPECT_EQ(a.GetFont()->RefCount, 2);
  TdocFont* shared = a.GetFont();
  b.SetFontName("DejaVu Sans Mono");
  EXPECT_NE(b.GetFont(), shared);
  EXPECT_EQ(shared->RefCount, 1);
  TdocFontManager* fonts = Document.GetShapeFonts();
  EXPECT_EQ(fonts->GetFontCount(), 2);
  Page.DeleteShape(Page.IndexOfShape(&b));
  fonts->PurgeFonts();
  EXPECT_EQ(fonts->GetFontCount(), 1);
}

TEST_F(PolygonTextTest, WithoutADocumentNothingIsMeasuredUntilAttached) {
  TdocPolygonText loose;
  loose.SetFontName(PolygonFontName);
  loose.SetText(u"Label");
  double width = -1, height = -1;
  loose.MeasureText(1, 5, height, width);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(height, 0);
  EXPECT_EQ(loose.GetLineDistance(), 0);
  loose.SetDocument(&Document);
  EXPECT_GT(loose.GetDocWidth(), 10);
  EXPECT_NEAR(loose.GetDocHeight(), loose.GetLineDistance(), 1e-4);
  loose.SetDocument(nullptr);
}

TEST_F(PolygonTextTest, AnEmptyLineIsAsWideAsWww) {
  auto& memo = Add<TdocPolygonMemo>(u"Www\r\n\r\ni");
  ASSERT_EQ(memo.GetSpanCount(), 3);
  EXPECT_GT(memo.GetSpans(0).Width, 0);
  EXPECT_EQ(memo.GetSpans(1).Width, memo.GetSpans(0).Width);
  EXPECT_EQ(memo.GetSpans(2).Width, memo.GetSpans(0).Width);
  // Lines are a font's line height apart: ascent plus descent.
  EXPECT_NEAR(memo.GetSpans(2).LineTop - memo.GetSpans(1).LineTop, memo.GetLineDistance(), 1e-4);
  EXPECT_GT(memo.GetLineDistance(), PolygonFontHeight);
  EXPECT_LT(memo.GetLineDistance(), 1.3 * PolygonFontHeight);
}

TEST_F(PolygonTextTest, XmlRoundTrip) {
  auto& memo = Add<TdocPolygonMemo>(u"Größe\r\nΚαλημέρα");
  memo.SetFontStyle(FontStyleBit(fsItalic));
  memo.SetFontColor(0x123456);
  auto& text = Add(u"plain");
  for (TdocTextBaseShape* shape : {static_cast<TdocTextBaseShape*>(&memo), static_cast<TdocTextBaseShape*>(&text)}) {
    const std::string saved = SaveShapeXml(*shape);
    std::unique_ptr<TdocShape> loaded = GetShapeClass(shape->GetClass().Name).Create();
    ASSERT_NE(loaded, nullptr);
    Page.AddShape(std::move(loaded));
    TdocShape& copy = *Page.GetShapes(Page.GetShapeCount() - 1);
    LoadShapeXml(copy, saved);
    copy.Loaded();
    EXPECT_EQ(SaveShapeXml(copy), saved);
  }
}

}  // namespace

namespace {

// Runs in a process of its own (a death test re-executed): the font
// configuration is read once per process, and this one names a face whose
// file cannot be opened.
void SwitchToAFaceThatCannotBeOpened() {
  const std::string config = testing::TempDir() + "unopenable-fonts.conf";
  std::FILE* file = std::fopen(config.c_str(), "w");
  if (!file) std::exit(2);
  std::fputs(
      "<?xml version=\"1.0\"?><fontconfig><include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>"
      "<match target=\"font\"><test target=\"pattern\" name=\"family\"><string>Unopenable Face</string></test>"
      "<edit name=\"file\" mode=\"assign\"><string>/nonexistent/unopenable.ttf</string></edit></match>"
      "</fontconfig>",
      file);
  std::fclose(file);
  ::setenv("FONTCONFIG_FILE", config.c_str(), 1);
  int failures = 0;
  {
    TPageFixture fixture;
    auto owned = std::make_unique<TdocPolygonText>();
    TdocPolygonText& text = *owned;
    text.SetFontName(PolygonFontName);
    fixture.Page.AddShape(std::move(owned));
    text.SetText(u"Label");
    // The only user of its font: switching away releases and purges it.
    if (text.GetFont() == nullptr) std::exit(3);
    try {
      text.SetFontName("Unopenable Face");
      ++failures;  // the face must not be created
    } catch (const std::exception&) {
    }
    TdocFontManager& fonts = *fixture.Document.GetShapeFonts();
    if (text.GetFont() != nullptr) ++failures;
    if (fonts.GetFontCount() != 0) ++failures;
    // Taking a font again, then the shape's end, touch no freed font.
    text.SetFontName(PolygonFontName);
    if (text.GetFont() != fonts.GetFont(0) || fonts.GetFont(0)->RefCount != 1) ++failures;
  }
  std::exit(failures);
}

TEST(PolygonTextFonts, AFaceThatCannotBeOpenedLeavesNoFreedFontBehind) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(SwitchToAFaceThatCannotBeOpened(), testing::ExitedWithCode(0), "");
}

}  // namespace
