// Text rendered into polygons and filled, compared with FreeType's own
// rasteriser drawing the same glyphs at the same size and pen positions;
// underline and strike-out bands, placements, subdivided edges and the
// measured width against the ink.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "document/text/FontManager.h"
#include "document/text/FontRenderer.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/startup/CoreStartUp.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 110;
constexpr double kFontHeight = 10;
constexpr double kScale = 6.4;  // a 64-pixel em
constexpr double kOriginX = 10.25;
constexpr double kBaseline = 70;

using TCoverage = std::vector<int>;  // 0..255 per pixel, rows top down
// The rasteriser's full coverage may fall a step short of 255.
constexpr int kFull = 250;

struct TFace {
  const char* Family;
  const char* Path;
};

class RenderTextTest : public testing::TestWithParam<TFace> {
protected:
  void SetUp() override {
    if (!std::filesystem::exists(GetParam().Path)) GTEST_SKIP() << GetParam().Path << " is not installed";
    imaging::StartUp();
  }

  TdocFont* Font(TFontStyles style = 0) { return Manager.AcquireFont(GetParam().Family, style, nullptr); }

  TCoverage Fill(const TPolygon32& polygon) {
    TCustomBitmap32 bitmap;
    bitmap.SetSize(kWidth, kHeight);
    bitmap.Clear(0xFF000000);
    polygon.DrawFill(bitmap, 0xFFFFFFFF);
    TCoverage coverage;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) coverage.push_back(int((bitmap.GetPixel(x, y) >> 16) & 0xFF));
    return coverage;
  }

  TCoverage Render(TdocFontRenderer& renderer, std::u16string_view text, double originX = kOriginX) {
    TPolygon32 polygon;
    polygon.Antialiased = true;
    polygon.AntialiasMode = am16times;
    polygon.FillMode = pfNonZero;
    renderer.RenderText(text, polygon, originX, kBaseline, kScale);
    return Fill(polygon);
  }

  // FreeType drawing each glyph at the em in pixels, its pen where ours is.
  TCoverage Reference(TdocFont* font, std::u16string_view text) {
    FT_Library library;
    FT_Face face;
    EXPECT_EQ(FT_Init_FreeType(&library), 0);
    EXPECT_EQ(FT_New_Face(library, GetParam().Path, 0, &face), 0);
    FT_Set_Char_Size(face, 0, std::lround(kFontHeight * kScale * 64), 72, 72);
    TCoverage coverage(kWidth * kHeight, 0);
    double pen = kOriginX;
    for (char16_t c : text) {
      EXPECT_EQ(FT_Load_Char(face, c, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP), 0);
      std::vector<unsigned char> gray(kWidth * kHeight, 0);
      FT_Bitmap bitmap{};
      bitmap.rows = kHeight;
      bitmap.width = kWidth;
      bitmap.pitch = -kWidth;  // rows bottom up, as FreeType's y
      bitmap.buffer = gray.data();
      bitmap.num_grays = 256;
      bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
      FT_Outline_Translate(&face->glyph->outline, std::lround(pen * 64), std::lround((kHeight - kBaseline) * 64));
      FT_Outline_Get_Bitmap(library, &face->glyph->outline, &bitmap);
      for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
          int& to = coverage[y * kWidth + x];
          to = std::min(255, to + gray[(kHeight - 1 - y) * kWidth + x]);
        }
      pen += font->GetGlyph(c)->Advance * kFontHeight * kScale / 1000;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return coverage;
  }

  TdocFontManager Manager;
};

long Total(const TCoverage& c) {
  long sum = 0;
  for (int v : c) sum += v;
  return sum;
}

// Pixels where the two differ by more than a quarter, away from any edge
// of the reference (an edge pixel has partial coverage in its 3 x 3 block).
int InteriorMismatches(const TCoverage& ours, const TCoverage& reference) {
  int count = 0;
  for (int y = 1; y + 1 < kHeight; ++y)
    for (int x = 1; x + 1 < kWidth; ++x) {
      bool edge = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int v = reference[(y + dy) * kWidth + x + dx];
          edge = edge || (v > 0 && v < 255) || v != reference[y * kWidth + x];
        }
      if (!edge && std::abs(ours[y * kWidth + x] - reference[y * kWidth + x]) > 64) ++count;
    }
  return count;
}

TEST_P(RenderTextTest, CoverageMatchesFreeTypesRasteriser) {
  TdocFont* font = Font();
  TdocFontRenderer renderer(font);
  renderer.FontHeight = kFontHeight;
  const std::u16string text = u"Hxg&Q@";
  const TCoverage ours = Render(renderer, text);
  const TCoverage reference = Reference(font, text);
  EXPECT_GT(Total(reference), 255L * 800);
  EXPECT_NEAR(double(Total(ours)) / double(Total(reference)), 1.0, 0.015);
  EXPECT_EQ(InteriorMismatches(ours, reference), 0);
  // A negative height is a size too: the same drawing, not a mirror image.
  renderer.FontHeight = -kFontHeight;
  EXPECT_EQ(Render(renderer, text), ours);
}

TEST_P(RenderTextTest, UnderlineAndStrikeOutBandsFillWithTheGlyphs) {
  TdocFont* font = Font(4 | 8);
  TdocFontRenderer renderer(font);
  renderer.FontHeight = kFontHeight;
  const std::u16string text = u" lI";
  const TCoverage ours = Render(renderer, text);
  const double k = kFontHeight * kScale / 1000;  // pixels per font unit
  double width = 0;
  for (char16_t c : text) width += font->GetGlyph(c)->Advance * k;
  const auto rowCovered = [&](double unitsBelowBaseline) {
    const int y = int(std::floor(kBaseline + unitsBelowBaseline * k));
    int full = 0;
    for (int x = int(std::ceil(kOriginX)) + 1; x < int(kOriginX + width) - 1; ++x) full += ours[y * kWidth + x] >= kFull;
    return full == int(kOriginX + width) - 1 - int(std::ceil(kOriginX)) - 1;
  };
  // Rows in the middle of each band are covered from the first pen
  // position to the last, through the stems they cross.
  EXPECT_TRUE(rowCovered(font->Descent - 67.5));
  EXPECT_TRUE(rowCovered(-(font->Ascent / 2) + 227.5));
  // Nothing between the bands but the glyphs' own stems.
  EXPECT_FALSE(rowCovered(-(font->Ascent / 2) + 320));
}

TEST_P(RenderTextTest, PlacementsAndSubdividedEdges) {
  TdocFont* font = Font(4);
  TdocGlyphPlacementList placements;
  TdocFontRenderer renderer(font);
  renderer.FontHeight = kFontHeight;
  renderer.Placements = &placements;
  const std::u16string text = u"Ob i";
  TPolygon32 plain;
  renderer.RenderText(text, plain, kOriginX, kBaseline, kScale);
  ASSERT_EQ(placements.GetCount(), 4);
  int next = 1;  // the polygon's own first contour stays empty
  for (int i = 0; i < 4; ++i) {
    const TdocGlyphPlacement& p = *placements[i];
    const TdocGlyph& glyph = *font->GetGlyph(text[i]);
    EXPECT_EQ(p.FirstContour, next) << i;
    EXPECT_EQ(p.ContourCount, glyph.ContourCount() + 1) << i;  // the underline
    EXPECT_NEAR(p.EndX - p.StartX, glyph.BlackBoxX * kFontHeight * kScale / 1000 * 65536, 1) << i;
    if (i > 0) {
      EXPECT_GT(p.StartX, placements[i - 1]->StartX);
    }
    next += p.ContourCount;
  }
  EXPECT_EQ(int(plain.GetPoints().size()), next);

  // Edges no longer than about a third of a pixel, the same area covered.
  renderer.MaxSegment = 0.05;
  TPolygon32 subdivided;
  renderer.RenderText(text, subdivided, kOriginX, kBaseline, kScale);
  const double seg = 0.05 * kScale * 65536;
  for (const TArrayOfFixedPoint& contour : subdivided.GetPoints())
    for (std::size_t i = 0; i + 1 < contour.size(); ++i)
      EXPECT_LE(std::hypot(double(contour[i + 1].X - contour[i].X), double(contour[i + 1].Y - contour[i].Y)), 1.5 * seg);
  const auto pointCount = [](const TPolygon32& p) {
    std::size_t n = 0;
    for (const auto& contour : p.GetPoints()) n += contour.size();
    return n;
  };
  EXPECT_GT(pointCount(subdivided), pointCount(plain) + 50);  // the stems' long edges
  plain.Antialiased = subdivided.Antialiased = true;
  plain.FillMode = subdivided.FillMode = pfNonZero;
  EXPECT_NEAR(double(Total(Fill(subdivided))) / double(Total(Fill(plain))), 1.0, 0.005);
}

TEST_P(RenderTextTest, InkBoundsWidthMatchesTheDrawnInk) {
  TdocFontRenderer renderer(Font());
  renderer.FontHeight = kFontHeight;
  renderer.InkBounds = true;
  renderer.CharacterSpacing = 0.1;
  const std::u16string text = u"jaw";
  double width = 0, height = 0;
  renderer.GetTextWidth(text, width, height);
  EXPECT_DOUBLE_EQ(height, renderer.GetLineHeight());
  std::vector<double> positions;
  renderer.GetCharPositions(text, positions);
  ASSERT_EQ(positions.size(), 4u);
  const double origin = 20;
  const TCoverage ours = Render(renderer, text, origin);
  int left = kWidth, right = -1;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (ours[y * kWidth + x] > 0) {
        left = std::min(left, x);
        right = std::max(right, x + 1);
      }
  // The ink starts at the origin and ends at origin + width (whole-unit
  // black boxes hold the ink within a pixel at this size).
  EXPECT_NEAR(left, origin, 1.0);
  EXPECT_NEAR(right, origin + width * kScale, 1.0);
  for (int i = 1; i < 4; ++i) EXPECT_GT(positions[i], positions[i - 1]);
}

INSTANTIATE_TEST_SUITE_P(Faces, RenderTextTest,
                         testing::Values(TFace{"DejaVu Sans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
                                         TFace{"Cantarell", "/usr/share/fonts/opentype/cantarell/Cantarell-Regular.otf"}),
                         [](const testing::TestParamInfo<TFace>& info) {
                           std::string name = info.param.Family;
                           std::erase(name, ' ');
                           return name;
                         });

}  // namespace
