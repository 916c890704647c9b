// What PaintBarcode draws, pixel by pixel: bars against the standard's
// module bits and plain pixel transpositions of the unturned drawing; the
// human-readable text against the same barcode painted without text and the
// expected strings then written by the canvas alone at hand-computed
// anchors, in the expected font.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "BarcodeTestSupport.h"

using namespace bctest;

namespace {

constexpr int FontHeight = -14;
constexpr TColor TextRed = 0x0000FF;

using TText = std::tuple<int, int, std::string>;  // x, y and the text

std::unique_ptr<TVmBarcode> Placed(TBarcodeType typ, const std::string& text, int left, int top, int height) {
  auto barcode = MakeBarcode(typ, text);
  barcode->SetLeft(left), barcode->SetTop(top), barcode->SetHeight(height);
  return barcode;
}

// The text font's face, weight and style must not reach the drawing.
std::unique_ptr<TVmBarcode> TextBarcode(TBarcodeType typ, const std::string& text, int left, int top, int height) {
  auto barcode = Placed(typ, text, left, top, height);
  barcode->SetShowText(bcoCode);
  TFont font;
  font.SetName("Liberation Mono"), font.SetHeight(FontHeight), font.SetColor(TextRed), font.SetWeight(700);
  font.SetStyle(FontStyleBit(fsBold) | FontStyleBit(fsItalic) | FontStyleBit(fsUnderline));
  barcode->SetShowTextFont(font);
  return barcode;
}

// Only the size, character set and colour of the text font, turned with the bars.
TFont ReadableFont(double angle) {
  TFont font;
  font.SetName("PoliceInclinee"), font.SetHeight(FontHeight), font.SetColor(TextRed);
  font.SetEscapement(static_cast<int>(std::lround(angle * 10)));
  return font;
}

TSize Cell(const std::string& text) {
  gdi::MeasuringCanvas().SetFont(ReadableFont(0));
  return gdi::MeasuringCanvas().TextExtent(text);
}

// Paints the barcode with its text on a canvas with a font, pen and brush of
// its own, which it gets back, and again without text, then writes the
// expected texts on the second drawing: both must be the same pixels.
void ExpectTexts(TVmBarcode& barcode, int size, const std::vector<TText>& texts) {
  TPaintSurface painted(size, size), expected(size, size);
  TCanvas& canvas = painted.Canvas;
  canvas.GetFont().SetName("Liberation Serif"), canvas.GetPen().SetWidth(3), canvas.GetBrush().SetStyle(bsDiagCross);
  barcode.PaintBarcode(canvas);
  EXPECT_TRUE(canvas.GetFont().GetName() == "Liberation Serif" && canvas.GetPen().GetWidth() == 3);
  EXPECT_EQ(canvas.GetBrush().GetStyle(), bsDiagCross);
  const TBarcodeOption show = barcode.GetShowText();
  barcode.SetShowText(bcoNone);
  barcode.PaintBarcode(expected.Canvas);
  barcode.SetShowText(show);
  const std::vector<std::uint32_t> bars = expected.Pixels();
  expected.Canvas.SetFont(ReadableFont(barcode.GetAngle()));
  for (const auto& [x, y, text] : texts) expected.Canvas.TextOut(x, y, text);
  ASSERT_NE(expected.Pixels(), bars) << "the expected text falls outside the surface";
  const std::vector<std::uint32_t> got = painted.Pixels(), want = expected.Pixels();
  const auto diff = std::ranges::mismatch(got, want);
  EXPECT_TRUE(diff.in1 == got.end()) << "first difference at pixel " << diff.in1 - got.begin();
}

// x offsets of the EAN digits from the text anchor at Modul 2, read from the
// module bits: each digit sits at the right edge of its group's first
// element, EAN-8's right-hand digits at the start of their groups, and
// EAN-13's first digit at the anchor, left of the bars and their lead.
std::vector<int> EanDigitOffsets(const std::string& bits) {
  const bool ean13 = bits.size() == 95;
  std::vector<int> offsets(ean13 ? 1 : 0, 0);
  for (std::size_t group = 0; group < (ean13 ? 12u : 8u); ++group) {
    const bool left = group < (ean13 ? 6u : 4u);
    const std::size_t start = left ? 3 + 7 * group : 8 + 7 * group;  // past the centre guard
    std::size_t end = start;
    while ((ean13 || left) && bits[end] == bits[start]) ++end;
    offsets.push_back((ean13 ? 8 : 0) + 2 * static_cast<int>(end));
  }
  return offsets;
}

}  // namespace

TEST(PaintBars, ExactLayoutsAtAngleZero) {
  // At Left 100, Top 10 and Modul 2, EAN-13 leaves two wide modules (8
  // pixels) for the first digit, so its start guard begins at x = 108; its
  // guard bars are six modules longer and reach y = 10 + 80 + 12. PostNet's
  // short bars hang from the top, 54 * 2 div 5 = 21 tall (rounding gives 22).
  for (const auto& [typ, text, height, start] :
       {std::tuple{bcCodeEAN13, "4006381333931", 80, 108}, std::tuple{bcCodePostNet, "1", 54, 100}}) {
    auto barcode = Placed(typ, text, 100, 10, height);
    TPaintSurface paint(320, 120);
    barcode->PaintBarcode(paint.Canvas);
    const std::string units = ModuleBits(barcode->EncodeModules());  // 2 pixels each
    const auto expected = [&, typ = typ, height = height, start = start](int x, int y) {
      const std::size_t unit = static_cast<std::size_t>(x - start) / 2;
      if (x < start || unit >= units.size()) return Backdrop;
      const bool guard = typ == bcCodeEAN13 && (unit < 3 || (unit >= 46 && unit <= 48) || unit >= 92);
      const int bottom = 10 + (units[unit] == 'A' ? 21 : guard ? 92 : height);
      return y < 10 || y > bottom ? Backdrop : units[unit] == '0' ? clWhite : clBlack;
    };
    for (int y = 0; y < paint.Height; ++y)
      for (int x = 0; x < paint.Width; ++x) ASSERT_EQ(paint.At(x, y), expected(x, y)) << x << ", " << y;
  }
}

class PaintBarsTurned : public testing::TestWithParam<std::tuple<TBarcodeType, double>> {};

// 0.001 degrees, the printing angle, moves nothing.
TEST_P(PaintBarsTurned, QuarterTurnsMoveEveryPixelExactly) {
  const auto [typ, degrees] = GetParam();
  const char* text = typ == bcCodePostNet ? "90210" : typ == bcCode39 ? "TURN-9" : "4006381333931";
  constexpr int top = 30, height = 40;
  auto barcode = Placed(typ, text, 30, top, height);
  barcode->SetRatio(2.5);  // kept by Code 39, clamped for the others
  const int width = barcode->GetWidth();
  const int left = 30 + (typ == bcCodeEAN13 ? 2 * barcode->GetModuleWidths()[1] : 0);  // where the frame starts
  const int size = left + width + height + 30;
  TPaintSurface upright(size, size), turned(size, size);
  barcode->PaintBarcode(upright.Canvas);
  barcode->SetAngle(degrees);
  barcode->PaintBarcode(turned.Canvas);
  const auto place = [&, degrees = degrees](int x, int y) {  // (x, y) in the frame, y down the bars
    switch (std::lround(degrees / 90)) {
      case 1: return Point(y, width - x);  // the row runs up
      case 2: return Point(width - x, height - y);
      case 3: return Point(height - y, x);  // the row runs down
      default: return Point(x, y);
    }
  };
  int drawn = 0, turnedDrawn = 0;
  for (int py = 0; py < size; ++py)
    for (int px = 0; px < size; ++px) {
      turnedDrawn += turned.At(px, py) != Backdrop;
      if (upright.At(px, py) == Backdrop) continue;
      ++drawn;
      const TPoint at = place(px - left, py - top);
      ASSERT_EQ(turned.At(left + at.X, top + at.Y), upright.At(px, py)) << px << ", " << py;
    }
  EXPECT_EQ(turnedDrawn, drawn);
  EXPECT_GT(drawn, width * height / 2);
}

INSTANTIATE_TEST_SUITE_P(Symbols, PaintBarsTurned,
                         testing::Combine(testing::Values(bcCodeEAN13, bcCodePostNet, bcCode39),
                                          testing::Values(0.001, 90.0, 180.0, 270.0)));

TEST(PaintText, EanDigitsAreTheDigitsTheBarsCarryUnderTheirGroups) {
  // Left 100, Top 10, Height 80, Modul 2: the digits are drawn from y = 90,
  // the first EAN-13 digit at x = 100, left of the bars that begin at 108.
  // A short text is drawn zero-padded, with the check digit Checksum adds.
  const struct {
    TBarcodeType Typ;
    const char* Text;
    bool Checksum;
    double Angle;
    std::string Drawn;
  } cases[] = {
      {bcCodeEAN13, "4006381333931", false, 0, "4006381333931"},
      {bcCodeEAN13, "123", false, 0, "0000000000123"},
      {bcCodeEAN13, "400638133393", true, 0.001, "4006381333931"},  // the printing angle
      {bcCodeEAN13, "4006381333931", false, 90, "4006381333931"},   // up the right-hand side
      {bcCodeEAN8, "123", false, 0, "00000123"},
      {bcCodeEAN8, "1234567", true, 0, "12345670"},  // 21 + 6 + 15 + 4 + 9 + 2 + 3 = 60
  };
  for (const auto& c : cases) {
    auto barcode = TextBarcode(c.Typ, c.Text, 100, 10, 80);
    barcode->SetChecksum(c.Checksum), barcode->SetAngle(c.Angle), barcode->SetShowTextPosition(stpBottomLeft);
    const int w = barcode->GetWidth();
    const std::vector<int> offsets = EanDigitOffsets(ModuleBits(barcode->EncodeModules()));
    std::vector<TText> digits;
    for (std::size_t i = 0; i < c.Drawn.size(); ++i)  // at 90 degrees (x, y) lands on (108 + y, 10 + W - x)
      digits.push_back({c.Angle == 90 ? 108 + 80 : 100 + offsets[i], c.Angle == 90 ? 10 + w + 8 - offsets[i] : 90,
                        c.Drawn.substr(i, 1)});
    ExpectTexts(*barcode, 320, digits);
    EXPECT_TRUE(std::equal(offsets.begin(), offsets.end(), barcode->DigitPositions.begin())) << c.Text;
    EXPECT_EQ(barcode->GetText(), c.Text);
  }
}

TEST(PaintText, AnchorsOfThePositionsAndTheCaptionAtAnyAngle) {
  // Code 128 "A", FNC1, "B" at (150, 150), Height 40, W wide: the marker is
  // neither drawn nor measured. Turned, the frame's (x, y) lands on
  // (150 + y, 150 + W - x) at 90 degrees, (150 + W - x, 190 - y) at 180 and
  // (190 - y, 150 + x) at 270; the caption is placed by the width of Text.
  const std::string text = std::string("A") + FNC1Marker + "B";
  auto barcode = TextBarcode(bcCode128B, text, 150, 150, 40);
  const int w = barcode->GetWidth();
  const TSize cell = Cell("AB");
  ASSERT_NE(Cell(text).cx, cell.cx);  // the marker has a glyph of its own
  const auto at = [&](int x, int y, double degrees) {  // the frame's (x, y) at other angles
    const double alpha = barcode::Radians(degrees);
    const TPoint p = barcode::OffsetPoint(barcode::RotatedBoxOrigin(alpha, Point(150, 150), w, 40),
                                          barcode::RotatePoint(Point(x, y), alpha));
    return TText{p.X, p.Y, "AB"};
  };
  const struct {
    TShowTextPosition Position;
    double Angle;
    TBarcodeOption Show;
    std::vector<TText> Texts;
  } cases[] = {
      {stpBottomCenter, 0, bcoCode, {{150 + (w - cell.cx) / 2, 190, "AB"}}},
      {stpBottomRight, 0.001, bcoCode, {{150 + w - cell.cx, 190, "AB"}}},
      {stpBottomLeft, 90, bcoCode, {{150 + 40, 150 + w, "AB"}}},
      {stpTopRight, 180, bcoCode, {{150 + cell.cx, 150 + 40 + cell.cy, "AB"}}},
      {stpTopRight, 270, bcoCode, {{150 + 40 + cell.cy, 150 + w - cell.cx, "AB"}}},
      {stpBottomCenter, 30, bcoCode, {at((w - cell.cx) / 2, 40, 30)}},
      {stpTopLeft, 135, bcoCode, {at(0, -cell.cy, 135)}},
      {stpTopRight, 300.06, bcoCode, {at(w - cell.cx, -cell.cy, 300.06)}},  // escapement 3000.6 rounds to 3001
      {stpTopCenter, 0, bcoTyp, {{150 + (w - cell.cx) / 2, 150 - cell.cy, "Code128B"}}},
      // With both, the caption takes the next line away from the bars.
      {stpTopLeft, 0, bcoBoth, {{150, 150 - cell.cy, "AB"}, {150, 150 - 2 * cell.cy, "Code128B"}}},
      {stpBottomLeft, 0, bcoBoth, {{150, 190, "AB"}, {150, 190 + cell.cy, "Code128B"}}},
  };
  for (const auto& c : cases) {
    barcode->SetShowTextPosition(c.Position), barcode->SetAngle(c.Angle), barcode->SetShowText(c.Show);
    ExpectTexts(*barcode, w + 300, c.Texts);
  }
}
