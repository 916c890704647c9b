// The human-readable text PaintBarcode writes: compared pixel for pixel with
// the same barcode painted without text and the expected strings then
// written by the canvas alone at hand-computed anchors, in the expected font.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "BarcodeTestSupport.h"
#include "PaintTestSupport.h"
#include "platform/rtl/Exception.h"

using namespace bctest;

namespace {

constexpr int FontHeight = -14;

struct TText {
  int X;
  int Y;
  std::string Text;
};

std::unique_ptr<TVmBarcode> TextBarcode(TBarcodeType typ, const std::string& text, TShowTextPosition position,
                                        int left, int top, int height = 40) {
  auto barcode = MakeBarcode(typ, text);
  barcode->SetLeft(left), barcode->SetTop(top), barcode->SetHeight(height);
  barcode->SetShowText(bcoCode), barcode->SetShowTextPosition(position);
  TFont font;
  font.SetHeight(FontHeight);
  font.SetColor(TextRed);
  barcode->SetShowTextFont(font);
  return barcode;
}

// Cell width and height of a text in the barcode's text font.
TSize Cell(const std::string& text) {
  TCanvas& canvas = gdi::MeasuringCanvas();
  canvas.SetFont(ReadableFont(FontHeight, TextRed, 0));
  return canvas.TextExtent(text);
}

// Paints the barcode with its text, and again without, then writes the
// expected texts on the second drawing: both must be the same pixels.
void ExpectTexts(TVmBarcode& barcode, int size, const std::vector<TText>& texts) {
  TPaintSurface painted(size, size);
  barcode.PaintBarcode(painted.Canvas);
  const TBarcodeOption show = barcode.GetShowText();
  barcode.SetShowText(bcoNone);
  TPaintSurface expected(size, size);
  barcode.PaintBarcode(expected.Canvas);
  barcode.SetShowText(show);
  const std::vector<std::uint32_t> bars = expected.Pixels();
  const TFont font = ReadableFont(FontHeight, TextRed, barcode.GetAngle());
  for (const TText& text : texts) WriteText(expected.Canvas, font, text.X, text.Y, text.Text);
  ASSERT_NE(expected.Pixels(), bars) << "the expected text falls outside the surface";
  const std::vector<std::uint32_t> got = painted.Pixels();
  const std::vector<std::uint32_t> want = expected.Pixels();
  std::size_t differences = 0;
  for (std::size_t i = 0; i < got.size(); ++i) differences += got[i] != want[i];
  EXPECT_EQ(differences, 0u);
}

// x offsets of the EAN digits from the text anchor, read from the module
// bits: each digit sits at the right edge of its group's first element;
// EAN-8's right-hand digits at the start of their groups; EAN-13's first
// digit at the anchor, left of the bars.
std::vector<int> EanDigitOffsets(const std::string& bits, int modul, int lead) {
  const auto firstElementEnd = [&](std::size_t start) {
    std::size_t end = start;
    while (bits[end] == bits[start]) ++end;
    return static_cast<int>(end);
  };
  std::vector<int> offsets;
  if (bits.size() == 95) {
    offsets.push_back(0);
    for (std::size_t group = 0; group < 12; ++group)
      offsets.push_back(lead + modul * firstElementEnd(group < 6 ? 3 + 7 * group : 50 + 7 * (group - 6)));
  } else {
    for (int group = 0; group < 4; ++group) offsets.push_back(modul * firstElementEnd(3 + 7 * group));
    for (int group = 0; group < 4; ++group) offsets.push_back(modul * (36 + 7 * group));
  }
  return offsets;
}

std::vector<TText> Digits(const std::string& digits, const std::vector<int>& offsets, int x, int y) {
  std::vector<TText> texts;
  for (std::size_t i = 0; i < digits.size(); ++i) texts.push_back({x + offsets[i], y, digits.substr(i, 1)});
  return texts;
}

}  // namespace

TEST(PaintText, Ean13DigitsUnderTheirGroups) {
  // Left 100, Top 10, Height 80, Modul 2: the digits are drawn from
  // y = 90, the first at x = 100, left of the bars that begin at 108.
  auto barcode = TextBarcode(bcCodeEAN13, "4006381333931", stpBottomLeft, 100, 10, 80);
  const std::vector<int> offsets = EanDigitOffsets(ModuleBits(barcode->EncodeModules()), 2, 8);
  ExpectTexts(*barcode, 320, Digits("4006381333931", offsets, 100, 90));
  EXPECT_TRUE(std::equal(offsets.begin(), offsets.end(), barcode->DigitPositions.begin()));
}

TEST(PaintText, EanDigitsAreTheDigitsTheBarsCarry) {
  // A short text is drawn as the bars encode it: zero-padded, with the
  // check digit when Checksum adds one, never past the end of the text.
  struct TCase {
    TBarcodeType Typ;
    const char* Text;
    bool Checksum;
    const char* Drawn;
  };
  const TCase cases[] = {
      {bcCodeEAN13, "123", false, "0000000000123"},
      {bcCodeEAN13, "400638133393", true, "4006381333931"},
      {bcCodeEAN8, "123", false, "00000123"},
      {bcCodeEAN8, "1234567", true, "12345670"},  // 21 + 6 + 15 + 4 + 9 + 2 + 3 = 60
  };
  for (const TCase& c : cases) {
    auto barcode = TextBarcode(c.Typ, c.Text, stpBottomLeft, 20, 10);
    barcode->SetChecksum(c.Checksum);
    const int lead = c.Typ == bcCodeEAN13 ? 8 : 0;
    const std::vector<int> offsets = EanDigitOffsets(ModuleBits(barcode->EncodeModules()), 2, lead);
    ExpectTexts(*barcode, 240, Digits(c.Drawn, offsets, 20, 50));
    EXPECT_EQ(barcode->GetText(), c.Text);
  }
}

TEST(PaintText, AnchorsOfTheSixPositionsAtAngleZero) {
  auto barcode = TextBarcode(bcCode39, "AB", stpTopLeft, 30, 40);
  const int width = barcode->GetWidth();
  const TSize cell = Cell("AB");
  const struct {
    TShowTextPosition Position;
    int X;
    int Y;
  } cases[] = {
      {stpTopLeft, 30, 40 - cell.cy},
      {stpTopRight, 30 + width - cell.cx, 40 - cell.cy},
      {stpTopCenter, 30 + (width - cell.cx) / 2, 40 - cell.cy},
      {stpBottomLeft, 30, 40 + 40},
      {stpBottomRight, 30 + width - cell.cx, 40 + 40},
      {stpBottomCenter, 30 + (width - cell.cx) / 2, 40 + 40},
  };
  for (const auto& c : cases) {
    barcode->SetShowTextPosition(c.Position);
    ExpectTexts(*barcode, width + 60, {{c.X, c.Y, "AB"}});
  }
}

TEST(PaintText, TheCaptionStandsWhereTheCodeTextWould) {
  // The caption "Code39" is placed by the width of Text, not its own.
  auto barcode = TextBarcode(bcCode39, "AB", stpTopCenter, 30, 40);
  barcode->SetShowText(bcoTyp);
  const int width = barcode->GetWidth();
  const TSize cell = Cell("AB");
  ExpectTexts(*barcode, width + 60, {{30 + (width - cell.cx) / 2, 40 - cell.cy, "Code39"}});
  // With both, the caption takes the next line away from the bars.
  barcode->SetShowText(bcoBoth);
  barcode->SetShowTextPosition(stpTopLeft);
  ExpectTexts(*barcode, width + 60, {{30, 40 - cell.cy, "AB"}, {30, 40 - 2 * cell.cy, "Code39"}});
  barcode->SetShowTextPosition(stpBottomLeft);
  ExpectTexts(*barcode, width + 60, {{30, 80, "AB"}, {30, 80 + cell.cy, "Code39"}});
}

TEST(PaintText, Fnc1MarkersAreNeitherDrawnNorMeasured) {
  const std::string text = std::string("AB") + FNC1Marker + "CD";
  auto barcode = TextBarcode(bcCode128B, text, stpBottomRight, 20, 10);
  const int width = barcode->GetWidth();
  ASSERT_NE(Cell(text).cx, Cell("ABCD").cx);  // the marker has a glyph of its own
  ExpectTexts(*barcode, width + 40, {{20 + width - Cell("ABCD").cx, 50, "ABCD"}});
}

TEST(PaintText, QuarterTurnsCarryTheAnchorsWithTheBars) {
  // Code 39 at (40, 30), Height 40, W wide: bottom-left text starts at the
  // frame's (0, H), top-right text at (W - text width, -text height).
  auto barcode = TextBarcode(bcCode39, "AB", stpBottomLeft, 40, 30);
  const int w = barcode->GetWidth();
  const TSize cell = Cell("AB");
  const int size = w + 100;
  const struct {
    double Degrees;
    TText BottomLeft;
    TText TopRight;
  } cases[] = {
      {90, {40 + 40, 30 + w, "AB"}, {40 - cell.cy, 30 + cell.cx, "AB"}},
      {180, {40 + w, 30, "AB"}, {40 + cell.cx, 30 + 40 + cell.cy, "AB"}},
      {270, {40, 30, "AB"}, {40 + 40 + cell.cy, 30 + w - cell.cx, "AB"}},
  };
  for (const auto& c : cases) {
    barcode->SetAngle(c.Degrees);
    barcode->SetShowTextPosition(stpBottomLeft);
    ExpectTexts(*barcode, size, {c.BottomLeft});
    barcode->SetShowTextPosition(stpTopRight);
    ExpectTexts(*barcode, size, {c.TopRight});
  }
}

TEST(PaintText, EanDigitsFollowTurnedBars) {
  // At 90 degrees the frame's (x, y) lands on (Left + lead + y, Top + W - x):
  // the digits run up the right-hand side, the first below the bars.
  auto barcode = TextBarcode(bcCodeEAN13, "4006381333931", stpBottomLeft, 20, 10);
  barcode->SetAngle(90);
  const int w = barcode->GetWidth();
  const std::vector<int> offsets = EanDigitOffsets(ModuleBits(barcode->EncodeModules()), 2, 8);
  std::vector<TText> digits;
  for (std::size_t i = 0; i < 13; ++i)
    digits.push_back({20 + 8 + 40, 10 + w - (offsets[i] - 8), std::string(1, "4006381333931"[i])});
  ExpectTexts(*barcode, w + 60, digits);
}

TEST(PaintText, TextLandsBesideTheBarsOnTheTurnedSide) {
  auto barcode = TextBarcode(bcCode39, "SIDE", stpBottomLeft, 60, 60);
  const int w = barcode->GetWidth();
  const auto inkAt = [&](double degrees) {
    barcode->SetAngle(degrees);
    TPaintSurface paint(w + 120, w + 120);
    barcode->PaintBarcode(paint.Canvas);
    const auto ink = BoundsOf(paint, IsRedInk);
    return ink ? *ink : TBounds{-1, -1, -1, -1};
  };
  const TBounds below = inkAt(0);  // bars: x 60 .. 60 + w - 1, y 60 .. 100
  EXPECT_TRUE(below.Top > 100 && below.Left >= 60 && below.Right < 60 + w) << below.Top;
  const TBounds right = inkAt(90);  // bars: x 60 .. 100, y 61 .. 60 + w
  EXPECT_TRUE(right.Left > 100 && right.Top > 60 && right.Bottom <= 60 + w) << right.Left;
  const TBounds above = inkAt(180);  // bars: x 61 .. 60 + w, y 60 .. 100
  EXPECT_TRUE(above.Bottom < 60 && above.Left > 60 && above.Right <= 60 + w) << above.Bottom;
  const TBounds left = inkAt(270);  // bars: x 60 .. 100, y 60 .. 60 + w - 1
  EXPECT_TRUE(left.Right < 60 && left.Top >= 60 && left.Bottom < 60 + w) << left.Right;
}

TEST(PaintText, TextFollowsTheBarsAtAnyAngle) {
  // Each ink pixel, taken back into the barcode's frame, lies in the text's
  // band: below the bars for a bottom position, above them for a top one.
  struct TCase {
    TBarcodeType Typ;
    TShowTextPosition Position;
    int Lead;
  };
  for (const TCase& c : {TCase{bcCode39, stpBottomCenter, 0}, TCase{bcCode39, stpTopLeft, 0},
                         TCase{bcCodeEAN13, stpBottomLeft, 8}}) {
    for (const double degrees : {0.001, 30.0, 135.0, 200.0, 300.0}) {
      auto barcode = TextBarcode(c.Typ, c.Typ == bcCode39 ? "ANY" : "4006381333931", c.Position, 150, 150);
      barcode->SetAngle(degrees);
      const int w = barcode->GetWidth();
      TPaintSurface paint(300 + w, 300 + w);
      barcode->PaintBarcode(paint.Canvas);
      const double alpha = degrees * std::numbers::pi / 180;
      const TPoint origin = barcode::RotatedBoxOrigin(alpha, Point(150 + c.Lead, 150), w, 40);
      const int cellHeight = Cell("0").cy;
      const bool bottom = c.Position == stpBottomCenter || c.Position == stpBottomLeft;
      int ink = 0;
      for (int py = 0; py < paint.Height(); ++py)
        for (int px = 0; px < paint.Width(); ++px) {
          if (!IsRedInk(paint.At(px, py))) continue;
          ++ink;
          const double dx = px + 0.5 - origin.X;
          const double dy = py + 0.5 - origin.Y;
          const double x = dx * std::cos(alpha) - dy * std::sin(alpha);
          const double y = dx * std::sin(alpha) + dy * std::cos(alpha);
          const double bandTop = bottom ? 40 : -cellHeight;
          ASSERT_TRUE(y > bandTop - 2 && y < bandTop + cellHeight + 2 && x > -c.Lead - 2 && x < w + 2)
              << BCdata[c.Typ].Name << " at " << degrees << ": (" << x << ", " << y << ")";
        }
      EXPECT_GT(ink, 30) << degrees;
    }
  }
}

TEST(PaintText, OnlySizeCharacterSetAndColourOfTheTextFontReachTheDrawing) {
  auto barcode = TextBarcode(bcCode39, "FONT", stpBottomLeft, 20, 20);
  TFont chosen;
  chosen.SetName("Liberation Serif");
  chosen.SetHeight(-20);
  chosen.SetCharset(238);
  chosen.SetColor(0x00A000);
  chosen.SetStyle(FontStyleBit(fsBold) | FontStyleBit(fsItalic) | FontStyleBit(fsUnderline));
  chosen.SetWeight(700);
  barcode->SetShowTextFont(chosen);
  barcode->SetAngle(30.04);
  TPaintSurface paint(200, 200);
  std::vector<TFont> textFonts;
  std::vector<TColor> textPens;
  paint.Canvas.OnChange = [&](TPersistent*) {
    if (paint.Canvas.GetBrush().GetStyle() != bsClear) return;  // bars are drawn with a solid brush
    textFonts.push_back(paint.Canvas.GetFont());
    textPens.push_back(paint.Canvas.GetPen().GetColor());
  };
  barcode->PaintBarcode(paint.Canvas);
  ASSERT_EQ(textFonts.size(), 1u);
  const TFont& font = textFonts[0];
  EXPECT_EQ(font.GetName(), "PoliceInclinee");
  EXPECT_EQ(font.GetHeight(), -20);
  EXPECT_EQ(font.GetCharset(), 238);
  EXPECT_EQ(font.GetColor(), 0x00A000);
  EXPECT_EQ(font.GetEscapement(), 300);  // tenths of a degree, rounded
  EXPECT_EQ(font.GetWeight(), 400);
  EXPECT_EQ(font.GetStyle(), 0);
  EXPECT_EQ(font.GetPitch(), fpVariable);
  EXPECT_EQ(textPens[0], 0x00A000);
}

TEST(PaintText, InkScalesWithTheFontHeightAndTakesItsColour) {
  const auto inkOf = [](int fontHeight) {
    auto barcode = TextBarcode(bcCode39, "HI", stpBottomLeft, 10, 10, 20);
    TFont font;
    font.SetHeight(fontHeight);
    font.SetColor(TextRed);
    barcode->SetShowTextFont(font);
    auto paint = std::make_unique<TPaintSurface>(200, 120, clWhite);
    barcode->PaintBarcode(paint->Canvas);
    return paint;
  };
  const auto small = inkOf(-12);
  const auto large = inkOf(-36);
  const auto smallInk = BoundsOf(*small, IsRedInk);
  const auto largeInk = BoundsOf(*large, IsRedInk);
  ASSERT_TRUE(smallInk && largeInk);
  const double ratio = double(largeInk->Bottom - largeInk->Top + 1) / (smallInk->Bottom - smallInk->Top + 1);
  EXPECT_NEAR(ratio, 3.0, 0.35);
  // The stems of "H" and "I" are covered fully: the font colour itself;
  // every other ink pixel lies between it and the white background.
  int full = 0;
  for (int y = 0; y < large->Height(); ++y)
    for (int x = 0; x < large->Width(); ++x) {
      const TColor c = large->At(x, y);
      if (!IsRedInk(c)) continue;
      full += c == TextRed;
      EXPECT_TRUE((c & 0xFF) == 0xFF && ((c >> 8) & 0xFF) == ((c >> 16) & 0xFF)) << std::hex << c;
    }
  EXPECT_GT(full, 50);
}

TEST(PaintText, ThePrintingAngleDrawsWhatAngleZeroDraws) {
  // Printing turns barcodes by 0.001 degrees: bars and text stay where the
  // screen shows them, EAN digits under their groups included.
  for (const auto& [typ, text, position] : {std::tuple{bcCodeEAN13, "4006381333931", stpBottomLeft},
                                            std::tuple{bcCode128B, "Print me", stpBottomCenter},
                                            std::tuple{bcCode39, "TOP", stpTopRight}}) {
    auto barcode = TextBarcode(typ, text, position, 20, 30);
    TPaintSurface screen(260, 100);
    barcode->PaintBarcode(screen.Canvas);
    barcode->SetAngle(0.001);
    TPaintSurface printed(260, 100);
    barcode->PaintBarcode(printed.Canvas);
    EXPECT_TRUE(BoundsOf(printed, IsRedInk).has_value()) << text;
    EXPECT_EQ(printed.Pixels(), screen.Pixels()) << text;
  }
}
