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
const TSfntTables& DejaVu() {
  static const TSfntTables tables("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  return tables;
}

void UseFont(TCanvas& canvas, const char* name, int height, TFontStyles style = 0) {
  canvas.GetFont().SetName(name);
  canvas.GetFont().SetHeight(height);
  canvas.GetFont().SetStyle(style);
}

int Scaled(const TSfntTables& tables, int units, int emPixels) {
  return static_cast<int>(std::nearbyint(double(units) * emPixels / tables.UnitsPerEm()));
}

// Whole-pixel advances, no kerning, by the win ascent plus descent.
TSize ExpectedExtent(const TSfntTables& tables, std::u32string_view text, int emPixels) {
  int width = 0;
  for (char32_t c : text) width += Scaled(tables, tables.AdvanceOf(c), emPixels);
  return {width, Scaled(tables, tables.WinAscent(), emPixels) + Scaled(tables, tables.WinDescent(), emPixels)};
}

// The rows and columns of ink in the columns [left, right).
struct TInkBox {
  int Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1, Count = 0;
};

TInkBox InkBox(TTestSurface& t, int left = 0, int right = 1 << 30) {
  TInkBox box;
  for (const auto& [x, y] : t.Differing(kWhite))
    if (x >= left && x < right) {
      box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x), std::max(box.Bottom, y), box.Count + 1};
    }
  return box;
}

}  // namespace

TEST(CanvasTextMetrics, ExtentsAreWholePixelAdvancesByTheWinCellHeight) {
  TCanvas canvas;  // measuring needs no surface
  for (int em : {9, 13, 20, 37}) {
    UseFont(canvas, "DejaVu Sans", -em);
    for (std::u32string text : {U"iiii", U"WWWW", U"Wave, Hello!", U"fi fl AV To", U"\u0416\u03A9"}) {
      EXPECT_EQ(canvas.TextExtent(std::u16string(text.begin(), text.end())), ExpectedExtent(DejaVu(), text, em)) << em;
    }
    // Narrow text is Windows-1252: euro sign, e acute.
    EXPECT_EQ(canvas.TextExtent("\x80\xE9"), ExpectedExtent(DejaVu(), U"\u20AC\u00E9", em));
  }
  for (int height : {10, 23, 48}) {  // a positive height is the cell height
    UseFont(canvas, "DejaVu Sans", height);
    EXPECT_EQ(canvas.TextHeight("Hg"), height);
  }
  UseFont(canvas, "DejaVu Sans", 0);  // the default em size
  EXPECT_EQ(canvas.TextExtent(""), ExpectedExtent(DejaVu(), U"", 16));
  UseFont(canvas, "DejaVu Sans", -100000000);  // held to the largest size
  EXPECT_EQ(canvas.TextExtent(""), ExpectedExtent(DejaVu(), U"", 16384));
}

TEST(CanvasTextMetrics, MissingFacesAreSubstitutedAndFontChangesTakeEffectAtTheNextOperation) {
  TTestSurface t(10, 10);
  for (const char* missing : {"PoliceInclinee", "MS Sans Serif"}) {
    UseFont(t.Canvas, missing, -25);
    EXPECT_EQ(t.Canvas.TextExtent(u"Code 39"), ExpectedExtent(DejaVu(), U"Code 39", 25)) << missing;
  }
  UseFont(t.Canvas, "Arial", -25);
  const TSfntTables liberation("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf");
  EXPECT_EQ(t.Canvas.TextExtent(u"Arial 123"), ExpectedExtent(liberation, U"Arial 123", 25));
  UseFont(t.Canvas, "DejaVu Sans", -10);
  t.Canvas.TextOut(0, 0, "T");
  t.Canvas.GetFont().SetHeight(-40);
  EXPECT_EQ(t.Canvas.TextExtent(u"Text"), ExpectedExtent(DejaVu(), U"Text", 40));
  TFont bold(t.Canvas.GetFont());
  bold.SetStyle(FontStyleBit(fsBold));
  t.Canvas.SetFont(bold);
  const TSfntTables dejaVuBold("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
  EXPECT_EQ(t.Canvas.TextExtent(u"Text"), ExpectedExtent(dejaVuBold, U"Text", 40));
  TCanvas& shared = gdi::MeasuringCanvas();  // 8 x 8 pixels, for measuring where there is no surface
  EXPECT_EQ((TSize{shared.GetSurface().Width, shared.GetSurface().Height}), (TSize{8, 8}));
  shared.SetFont(bold);
  EXPECT_EQ(shared.TextExtent(u"Text"), ExpectedExtent(dejaVuBold, U"Text", 40));
  TCanvas detached;
  EXPECT_THROW(detached.TextOut(0, 0, "x"), EInvalidOperation);
  t.Canvas.GetFont().SetHeight(-100000000);
  t.Canvas.TextOut(-5000, -5000, "H");  // the stem of a giant H may cross the surface
  t.Canvas.TextOut(2000000000, 2000000000, "far away");
}

class CanvasTextRotation : public ::testing::TestWithParam<int> {};

TEST_P(CanvasTextRotation, InkLiesInTheRotatedCellAndSpansItsLength) {
  const int tenths = GetParam();
  TTestSurface t(240, 240, kWhite);
  UseFont(t.Canvas, "DejaVu Sans", -24);
  t.Canvas.GetFont().SetEscapement(tenths);
  t.Canvas.TextOut(120, 120, "HEH");
  const TSize cell = t.Canvas.TextExtent("HEH");
  const int ascent = Scaled(DejaVu(), DejaVu().WinAscent(), 24);
  // Ink in the text's own frame: u along the baseline, v down the cell, from the reference point.
  const double a = tenths * std::numbers::pi / 1800;
  double minU = 1e9, maxU = -1e9, minV = 1e9, maxV = -1e9;
  const PixelSet ink = t.Differing(kWhite);
  ASSERT_GT(ink.size(), 100u);
  for (const auto& [x, y] : ink) {
    const double dx = x + 0.5 - 120, dy = y + 0.5 - 120;
    const double u = dx * std::cos(a) - dy * std::sin(a), v = dx * std::sin(a) + dy * std::cos(a);
    minU = std::fmin(minU, u), maxU = std::fmax(maxU, u), minV = std::fmin(minV, v), maxV = std::fmax(maxV, v);
  }
  // Inside the cell (antialiasing may touch the pixel next to an edge), from
  // the reference point along the cell's length (but for the side bearings),
  // capitals standing on the baseline one ascent below the cell's top.
  const double slack = 1.5, sideBearing = 0.15 * 24;
  EXPECT_TRUE(minU >= -slack && minU <= sideBearing) << minU;
  EXPECT_TRUE(maxU <= cell.cx + slack && maxU >= cell.cx - sideBearing) << maxU;
  EXPECT_TRUE(minV >= -slack && maxV <= cell.cy + slack) << minV << ".." << maxV;
  EXPECT_NEAR(maxV, ascent, slack);
  EXPECT_NEAR(minV, ascent - 0.73 * 24, 2.5);  // cap height of the face
}

INSTANTIATE_TEST_SUITE_P(Escapements, CanvasTextRotation, ::testing::Values(0, 300, 900, 1800, 2700, -450));

TEST(CanvasText, BlendsInTheFontColourAndZeroesAlphaOnlyWhereItDraws) {
  constexpr std::uint32_t kBlueOpaque = 0xFF0000FF;
  TTestSurface t(100, 60, kBlueOpaque);
  UseFont(t.Canvas, "DejaVu Sans", -40);
  t.Canvas.GetFont().SetColor(clRed);
  t.Canvas.TextOut(4, 4, "HIT");
  int full = 0, partial = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x) {
      const std::uint32_t p = t.At(x, y);
      if (p == kBlueOpaque) continue;
      // Alpha 0; each channel between the background's and the font's.
      EXPECT_EQ(p & 0xFF00FF00, 0u) << x << "," << y;
      EXPECT_EQ(((p >> 16) & 0xFF) + (p & 0xFF), 255u) << x << "," << y;
      ++(p == 0x00FF0000 ? full : partial);
    }
  EXPECT_GT(full, 200);    // the stems are solid font colour
  EXPECT_GT(partial, 20);  // the edges are antialiased
}

TEST(CanvasText, ClippedAndFormattedTextStaysInsideItsRectangle) {
  TTestSurface t(120, 120, kWhite);
  UseFont(t.Canvas, "DejaVu Sans", -60);
  t.Canvas.TextRect(Rect(20, 15, 50, 40), 5, 0, u"HHH");
  const TInkBox clipped = InkBox(t);
  EXPECT_GT(clipped.Count, 50);
  EXPECT_TRUE(clipped.Left >= 20 && clipped.Right < 50 && clipped.Top >= 15 && clipped.Bottom < 40);

  TTestSurface lines(120, 120, kWhite);
  UseFont(lines.Canvas, "DejaVu Sans", -20);
  const int line = lines.Canvas.TextHeight("H");
  const TRect box = Rect(10, 10, 110, 10 + 2 * line);
  EXPECT_EQ(lines.Canvas.DrawText("HE\r\nH\nEH", box, DT_NOPREFIX), 3 * line);
  // The first two lines show; the third lies below the rectangle and is clipped.
  const TInkBox ink = InkBox(lines);
  EXPECT_TRUE(ink.Left >= box.Left && ink.Right < box.Right && ink.Bottom < box.Bottom);
  EXPECT_EQ((ink.Top - box.Top) / line, 0);
  EXPECT_EQ((ink.Bottom - box.Top) / line, 1);
  EXPECT_EQ(lines.Canvas.DrawText(u"", box, DT_NOPREFIX), 0);
  EXPECT_THROW(lines.Canvas.DrawText("&File", box, 0), EInvalidOperation);  // prefixes are not supported
  EXPECT_THROW(lines.Canvas.DrawText("x", box, DT_NOPREFIX | 0x1), EInvalidOperation);
}

TEST(CanvasText, StylesReachTheDrawing) {
  auto ink = [](TFontStyles style, const char* text, int left = 0, int right = 1 << 30) {
    TTestSurface t(200, 80, kWhite);
    UseFont(t.Canvas, "DejaVu Sans", -40, style);
    t.Canvas.TextOut(10, 0, text);
    return InkBox(t, left, right);
  };
  // The columns of the space between two words, and the baseline.
  TCanvas measure;
  UseFont(measure, "DejaVu Sans", -40);
  const int gapLeft = 10 + measure.TextWidth("H") + 2, gapRight = 10 + measure.TextWidth("H ") - 2;
  const int baseline = Scaled(DejaVu(), DejaVu().WinAscent(), 40);
  EXPECT_EQ(ink(0, "H H", gapLeft, gapRight).Count, 0);
  const TInkBox under = ink(FontStyleBit(fsUnderline), "H H", gapLeft, gapRight);
  const TInkBox strike = ink(FontStyleBit(fsStrikeOut), "H H", gapLeft, gapRight);
  EXPECT_TRUE(under.Top >= baseline && under.Bottom <= baseline + 6) << under.Top << ".." << under.Bottom;
  EXPECT_TRUE(strike.Top > baseline - 22 && strike.Bottom < baseline - 8) << strike.Top << ".." << strike.Bottom;
  // A slanted stem spans more columns, a bold one holds more ink.
  const TInkBox upright = ink(0, "I"), italic = ink(FontStyleBit(fsItalic), "I"), bold = ink(FontStyleBit(fsBold), "I");
  EXPECT_GT(italic.Right - italic.Left, upright.Right - upright.Left + 3);
  EXPECT_GT(bold.Count, upright.Count * 5 / 4);
}
