#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "platform/gdi/Canvas.h"
#include "platform/rtl/Exception.h"
#include "tests/platform/gdi/CanvasTestSupport.h"
#include "tests/platform/gdi/SfntTables.h"

using namespace gdi_test;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kLiberationSans = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";

void UseFont(TCanvas& canvas, const char* name, int height, TColor color = clBlack) {
  canvas.GetFont().SetName(name);
  canvas.GetFont().SetHeight(height);
  canvas.GetFont().SetColor(color);
}

int Scaled(int units, int emPixels, int unitsPerEm) {
  return static_cast<int>(std::nearbyint(double(units) * emPixels / unitsPerEm));
}

int ExpectedWidth(const TSfntTables& tables, std::u32string_view text, int emPixels) {
  int width = 0;
  for (char32_t c : text) width += Scaled(tables.AdvanceOf(c), emPixels, tables.UnitsPerEm());
  return width;
}

int ExpectedAscent(const TSfntTables& tables, int emPixels) {
  return Scaled(tables.WinAscent(), emPixels, tables.UnitsPerEm());
}

int ExpectedCellHeight(const TSfntTables& tables, int emPixels) {
  return ExpectedAscent(tables, emPixels) + Scaled(tables.WinDescent(), emPixels, tables.UnitsPerEm());
}

// Inked pixels seen in the text's own frame: u along the baseline, v down
// the cell, both from the cell's top-left corner (the reference point).
struct TInk {
  int Count = 0;
  double MinU = 1e9, MaxU = -1e9, MinV = 1e9, MaxV = -1e9;
};

TInk InkInTextFrame(TTestSurface& t, std::uint32_t background, TPoint origin, double degrees) {
  const double a = degrees * std::numbers::pi / 180;
  TInk ink;
  for (const auto& [x, y] : t.Differing(background)) {
    const double dx = x + 0.5 - origin.X, dy = y + 0.5 - origin.Y;
    const double u = dx * std::cos(a) - dy * std::sin(a);
    const double v = dx * std::sin(a) + dy * std::cos(a);
    ++ink.Count;
    ink.MinU = std::fmin(ink.MinU, u);
    ink.MaxU = std::fmax(ink.MaxU, u);
    ink.MinV = std::fmin(ink.MinV, v);
    ink.MaxV = std::fmax(ink.MaxV, v);
  }
  return ink;
}

int InkRows(TTestSurface& t, std::uint32_t background) {
  const PixelSet ink = t.Differing(background);
  int top = 1 << 30, bottom = -1;
  for (const auto& [x, y] : ink) {
    top = std::min(top, y);
    bottom = std::max(bottom, y);
  }
  return bottom - top + 1;
}

}  // namespace

TEST(CanvasTextMetrics, ExtentsAreWholePixelAdvancesByTheWinCellHeight) {
  const TSfntTables dejaVu(kDejaVuSans);
  TCanvas canvas;
  for (int em : {9, 13, 20, 37}) {
    UseFont(canvas, "DejaVu Sans", -em);
    for (std::u32string text : {U"iiii", U"WWWW", U"Wave, Hello!", U"fi fl AV To"}) {
      const std::u16string wide(text.begin(), text.end());
      EXPECT_EQ(canvas.TextWidth(wide), ExpectedWidth(dejaVu, text, em)) << em;
      EXPECT_EQ(canvas.TextHeight(wide), ExpectedCellHeight(dejaVu, em)) << em;
      // No kerning: the whole is the sum of its characters.
      int sum = 0;
      for (char16_t c : wide) sum += canvas.TextWidth(std::u16string(1, c));
      EXPECT_EQ(canvas.TextWidth(wide), sum);
    }
    EXPECT_NE(canvas.TextWidth("iiii"), canvas.TextWidth("WWWW"));
  }
}

TEST(CanvasTextMetrics, PositiveHeightIsTheCellHeight) {
  TCanvas canvas;
  for (int height : {10, 23, 48}) {
    UseFont(canvas, "DejaVu Sans", height);
    EXPECT_EQ(canvas.TextHeight("Hg"), height);
  }
  const TSfntTables dejaVu(kDejaVuSans);
  UseFont(canvas, "DejaVu Sans", 0);  // the default em size
  EXPECT_EQ(canvas.TextHeight("H"), ExpectedCellHeight(dejaVu, 16));
  EXPECT_EQ(canvas.TextExtent(""), (TSize{0, ExpectedCellHeight(dejaVu, 16)}));
}

TEST(CanvasTextMetrics, NarrowTextIsWindows1252AndWideTextIsUtf16) {
  const TSfntTables dejaVu(kDejaVuSans);
  TCanvas canvas;
  UseFont(canvas, "DejaVu Sans", -30);
  EXPECT_EQ(canvas.TextExtent("Hello"), canvas.TextExtent(u"Hello"));
  EXPECT_EQ(canvas.TextWidth("\x80\xE9"), ExpectedWidth(dejaVu, U"\u20AC\u00E9", 30));  // euro, e acute
  EXPECT_EQ(canvas.TextWidth(u"\u0416\u03A9"), ExpectedWidth(dejaVu, U"\u0416\u03A9", 30));
}

TEST(CanvasTextMetrics, MissingFacesAreSubstitutedNotRefused) {
  TCanvas substituted;
  TCanvas reference;
  UseFont(reference, "DejaVu Sans", -25);
  for (const char* missing : {"PoliceInclinee", "MS Sans Serif"}) {
    UseFont(substituted, missing, -25);
    EXPECT_EQ(substituted.TextExtent("Code 39 Barcode"), reference.TextExtent("Code 39 Barcode")) << missing;
  }
  const TSfntTables liberation(kLiberationSans);
  UseFont(substituted, "Arial", -25);
  EXPECT_EQ(substituted.TextWidth(u"Arial 123"), ExpectedWidth(liberation, U"Arial 123", 25));
  EXPECT_EQ(substituted.TextHeight(u"A"), ExpectedCellHeight(liberation, 25));
}

TEST(CanvasTextMetrics, FontChangesTakeEffectAtTheNextOperation) {
  TTestSurface t(10, 10);
  UseFont(t.Canvas, "DejaVu Sans", -10);
  const TSize small = t.Canvas.TextExtent("Text");
  t.Canvas.TextOut(0, 0, "T");
  t.Canvas.GetFont().SetHeight(-40);
  EXPECT_GT(t.Canvas.TextExtent("Text").cx, 3 * small.cx);
  TFont bold(t.Canvas.GetFont());
  bold.SetStyle(FontStyleBit(fsBold));
  t.Canvas.SetFont(bold);
  TCanvas regular;
  UseFont(regular, "DejaVu Sans", -40);
  EXPECT_GT(t.Canvas.TextWidth("Text"), regular.TextWidth("Text"));
}

TEST(CanvasTextMetrics, MeasuringWorksWithoutASurfaceAndOnTheSharedBitmap) {
  TCanvas detached;
  UseFont(detached, "DejaVu Sans", -18);
  EXPECT_THROW(detached.TextOut(0, 0, "x"), EInvalidOperation);
  TCanvas& shared = gdi::MeasuringCanvas();
  EXPECT_EQ(shared.GetSurface().Width, 8);
  EXPECT_EQ(shared.GetSurface().Height, 8);
  shared.SetFont(detached.GetFont());
  EXPECT_EQ(shared.TextExtent(u"Measured"), detached.TextExtent(u"Measured"));
  EXPECT_GT(shared.TextExtent(u"Measured").cx, 8);
}

TEST(CanvasTextMetrics, HugeHeightsAreHeldToTheLargestSize) {
  const TSfntTables dejaVu(kDejaVuSans);
  TTestSurface t(40, 40);
  UseFont(t.Canvas, "DejaVu Sans", -100000000);
  EXPECT_EQ(t.Canvas.TextHeight("H"), ExpectedCellHeight(dejaVu, 16384));
  t.Canvas.TextOut(-5000, -5000, "H");  // the stem of a giant H may cross the surface
  t.Canvas.TextOut(2000000000, 2000000000, "far away");
  SUCCEED();
}

class CanvasTextRotation : public ::testing::TestWithParam<int> {};

TEST_P(CanvasTextRotation, InkLiesInTheRotatedCellAndSpansItsLength) {
  const int tenths = GetParam();
  const TSfntTables dejaVu(kDejaVuSans);
  TTestSurface t(240, 240, kWhite);
  UseFont(t.Canvas, "DejaVu Sans", -24);
  t.Canvas.GetFont().SetEscapement(tenths);
  const TPoint origin = Point(120, 120);
  t.Canvas.TextOut(origin.X, origin.Y, "HEH");
  const TSize cell = t.Canvas.TextExtent("HEH");
  const int ascent = ExpectedAscent(dejaVu, 24);

  const TInk ink = InkInTextFrame(t, kWhite, origin, tenths / 10.0);
  ASSERT_GT(ink.Count, 100);
  // Antialiasing may touch the pixel next to an edge.
  const double slack = 1.5;
  EXPECT_GE(ink.MinU, -slack);
  EXPECT_LE(ink.MaxU, cell.cx + slack);
  EXPECT_GE(ink.MinV, -slack);
  EXPECT_LE(ink.MaxV, cell.cy + slack);
  // The text starts at the reference point and runs the cell's length, and
  // capitals stand on the baseline, one ascent below the cell's top.
  const double sideBearing = 0.15 * 24;
  EXPECT_LE(ink.MinU, sideBearing);
  EXPECT_GE(ink.MaxU, cell.cx - sideBearing);
  EXPECT_NEAR(ink.MaxV, ascent, slack);
  EXPECT_NEAR(ink.MinV, ascent - 0.73 * 24, 2.5);  // cap height of the face
}

INSTANTIATE_TEST_SUITE_P(Escapements, CanvasTextRotation, ::testing::Values(0, 300, 900, 1800, 2700, -450));

TEST(CanvasText, InkHeightFollowsTheFontHeight) {
  int rows[2];
  for (int i = 0; i < 2; ++i) {
    TTestSurface t(120, 120, kWhite);
    UseFont(t.Canvas, "DejaVu Sans", i == 0 ? -30 : -60);
    t.Canvas.TextOut(5, 5, "H");
    rows[i] = InkRows(t, kWhite);
  }
  EXPECT_NEAR(double(rows[1]) / rows[0], 2.0, 0.1);
}

TEST(CanvasText, BlendsInTheFontColourAndZeroesAlphaOnlyWhereItDraws) {
  constexpr std::uint32_t kBlueOpaque = 0xFF0000FF;
  TTestSurface t(100, 60, kBlueOpaque);
  UseFont(t.Canvas, "DejaVu Sans", -40, clRed);
  t.Canvas.TextOut(4, 4, "HIT");
  int full = 0, partial = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x) {
      const std::uint32_t p = t.At(x, y);
      if (p == kBlueOpaque) continue;
      EXPECT_EQ(p >> 24, 0u) << x << "," << y;
      // Each channel lies between the background's and the font's.
      const std::uint32_t red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF, blue = p & 0xFF;
      EXPECT_EQ(green, 0u);
      EXPECT_EQ(red + blue, 255u) << x << "," << y;
      if (p == 0x00FF0000) ++full; else ++partial;
    }
  EXPECT_GT(full, 200);  // the stems are solid font colour
  EXPECT_GT(partial, 20);  // the edges are antialiased
}

TEST(CanvasText, ClippedTextLeavesThePixelsOutsideAlone) {
  TTestSurface t(120, 80, kWhite);
  UseFont(t.Canvas, "DejaVu Sans", -60);
  const TRect clip = Rect(20, 15, 50, 40);
  t.Canvas.TextRect(clip, 5, 0, u"HHH");
  const PixelSet ink = t.Differing(kWhite);
  EXPECT_GT(ink.size(), 50u);
  for (const auto& [x, y] : ink) {
    EXPECT_TRUE(x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom) << x << "," << y;
  }
}

TEST(CanvasText, DrawTextStacksLinesInsideTheRectangle) {
  TTestSurface t(120, 120, kWhite);
  UseFont(t.Canvas, "DejaVu Sans", -20);
  const int line = t.Canvas.TextHeight("H");
  const TRect box = Rect(10, 10, 110, 10 + 2 * line);
  EXPECT_EQ(t.Canvas.DrawText("HE\r\nH\nEH", box, DT_NOPREFIX), 3 * line);
  // The first two lines show; the third lies below the rectangle and is clipped.
  bool inkOnLine[3] = {false, false, false};
  for (const auto& [x, y] : t.Differing(kWhite)) {
    EXPECT_TRUE(x >= box.Left && x < box.Right && y >= box.Top && y < box.Bottom);
    inkOnLine[(y - box.Top) / line] = true;
  }
  EXPECT_TRUE(inkOnLine[0]);
  EXPECT_TRUE(inkOnLine[1]);
  EXPECT_EQ(t.Canvas.DrawText(u"", box, DT_NOPREFIX), 0);
  EXPECT_THROW(t.Canvas.DrawText("&File", box, 0), EInvalidOperation);
  EXPECT_THROW(t.Canvas.DrawText("x", box, DT_NOPREFIX | 0x1), EInvalidOperation);
}

TEST(CanvasText, UnderlineAndStrikeOutCrossTheGapBetweenWords) {
  // Columns of the space between the two words, rows of ink there.
  auto inkInGap = [](TFontStyles style, int& top, int& bottom) {
    TTestSurface t(200, 80, kWhite);
    UseFont(t.Canvas, "DejaVu Sans", -40);
    t.Canvas.GetFont().SetStyle(style);
    t.Canvas.TextOut(0, 0, "H H");
    const int gapLeft = t.Canvas.TextWidth("H") + 2;
    const int gapRight = t.Canvas.TextWidth("H ") - 2;
    top = 1 << 30;
    bottom = -1;
    for (const auto& [x, y] : t.Differing(kWhite))
      if (x >= gapLeft && x < gapRight) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  };
  const TSfntTables dejaVu(kDejaVuSans);
  const int baseline = ExpectedAscent(dejaVu, 40);
  int top = 0, bottom = 0;
  inkInGap(0, top, bottom);
  EXPECT_EQ(bottom, -1);  // nothing in the gap
  inkInGap(FontStyleBit(fsUnderline), top, bottom);
  EXPECT_GE(top, baseline);
  EXPECT_LE(bottom, baseline + 6);
  inkInGap(FontStyleBit(fsStrikeOut), top, bottom);
  EXPECT_LT(bottom, baseline - 8);
  EXPECT_GT(top, baseline - 22);
}

TEST(CanvasText, ItalicLeansAndBoldThickens) {
  auto render = [](TFontStyles style, TTestSurface& t) {
    UseFont(t.Canvas, "DejaVu Sans", -60);
    t.Canvas.GetFont().SetStyle(style);
    t.Canvas.TextOut(10, 0, "I");
  };
  // Mean column of the ink in the top and bottom quarter of the glyph.
  auto lean = [](TTestSurface& t) {
    double topSum = 0, bottomSum = 0;
    int topCount = 0, bottomCount = 0;
    for (const auto& [x, y] : t.Differing(kWhite)) {
      if (y < 25) {
        topSum += x;
        ++topCount;
      } else if (y > 45) {
        bottomSum += x;
        ++bottomCount;
      }
    }
    return topSum / topCount - bottomSum / bottomCount;
  };
  TTestSurface regular(100, 80, kWhite), italic(100, 80, kWhite), bold(100, 80, kWhite);
  render(0, regular);
  render(FontStyleBit(fsItalic), italic);
  render(FontStyleBit(fsBold), bold);
  EXPECT_NEAR(lean(regular), 0, 0.5);
  EXPECT_GT(lean(italic), 3);
  EXPECT_GT(bold.Differing(kWhite).size(), regular.Differing(kWhite).size() * 5 / 4);
}
