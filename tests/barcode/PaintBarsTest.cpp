// The bars PaintBarcode draws, pixel by pixel: the worked EAN-13 layout read
// against the standard's module bits, turns by quarter angles against plain
// pixel transpositions of the unturned drawing, and PostNet's short bars.

#include <gtest/gtest.h>

#include <functional>

#include "BarcodeTestSupport.h"
#include "PaintTestSupport.h"
#include "platform/rtl/Exception.h"

using namespace bctest;

namespace {

std::unique_ptr<TVmBarcode> PlacedBarcode(TBarcodeType typ, const std::string& text, int left, int top, int height,
                                          int modul = 2) {
  auto barcode = MakeBarcode(typ, text);
  barcode->SetModul(modul), barcode->SetLeft(left), barcode->SetTop(top), barcode->SetHeight(height);
  return barcode;
}

// Every pixel of the surface against the expected colour; the first few
// differences are reported.
void ExpectPixels(const TPaintSurface& surface, const std::function<TColor(int, int)>& expected) {
  int differences = 0;
  for (int y = 0; y < surface.Height(); ++y)
    for (int x = 0; x < surface.Width(); ++x)
      if (surface.At(x, y) != expected(x, y) && ++differences <= 5)
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << surface.At(x, y) << ", expected "
                      << expected(x, y);
  EXPECT_EQ(differences, 0);
}

}  // namespace

TEST(PaintBars, Ean13WorkedLayout) {
  // Left 100, Top 10, Height 80, Modul 2: two wide modules (8 pixels) are
  // left for the first digit, so the start guard begins at x = 108; guard
  // bars are six modules longer and reach y = 10 + 80 + 12.
  auto barcode = PlacedBarcode(bcCodeEAN13, "4006381333931", 100, 10, 80);
  TPaintSurface paint(320, 120);
  barcode->PaintBarcode(paint.Canvas);
  const std::string bits = ModuleBits(barcode->EncodeModules());
  ASSERT_EQ(bits.size(), 95u);
  const auto isGuard = [](int bit) { return bit < 3 || (bit >= 46 && bit <= 48) || bit >= 92; };
  ExpectPixels(paint, [&](int x, int y) {
    const int bit = (x - 108) / 2;
    if (x < 108 || bit >= 95) return Backdrop;
    const int bottom = isGuard(bit) ? 10 + 80 + 12 : 10 + 80;
    if (y < 10 || y > bottom) return Backdrop;
    return bits[static_cast<std::size_t>(bit)] == '1' ? clBlack : clWhite;
  });
}

TEST(PaintBars, PostNetShortBarsHangFromTheTop) {
  // Height 54: short bars are 54 * 2 div 5 = 21 (rounding would give 22).
  auto barcode = PlacedBarcode(bcCodePostNet, "1", 5, 10, 54);
  const std::string modules = barcode->EncodeModules();  // tall, then 00011 for "1", then tall; gaps between
  const int narrow = barcode->GetModuleWidths()[0];
  const int gap = barcode->GetModuleWidths()[1];
  ASSERT_EQ(modules, "51A1A1A151515");
  TPaintSurface paint(90, 80);
  barcode->PaintBarcode(paint.Canvas);
  ExpectPixels(paint, [&](int x, int y) {
    int start = 5;
    for (const char module : modules) {
      const int width = module == '1' ? gap : narrow;
      if (x >= start && x < start + width) {
        const int bottom = 10 + (module == 'A' ? 21 : 54);
        if (y < 10 || y > bottom) return Backdrop;
        return module == '1' ? clWhite : clBlack;
      }
      start += width;
    }
    return Backdrop;
  });
}

class PaintBarsTurned : public testing::TestWithParam<std::tuple<TBarcodeType, int>> {};

TEST_P(PaintBarsTurned, QuarterTurnsMoveEveryPixelExactly) {
  const auto [typ, degrees] = GetParam();
  const char* text = typ == bcCodePostNet ? "90210" : typ == bcCode39 ? "TURN-9" : "4006381333931";
  constexpr int left = 30, top = 30, height = 40;
  auto barcode = PlacedBarcode(typ, text, left, top, height);
  barcode->SetRatio(2.5);  // kept by Code 39, clamped for the others
  const int width = barcode->GetWidth();
  const int lead = typ == bcCodeEAN13 ? 2 * barcode->GetModuleWidths()[1] : 0;
  const int size = left + lead + width + height + 30;
  TPaintSurface upright(size, size);
  barcode->PaintBarcode(upright.Canvas);
  barcode->SetAngle(degrees);
  TPaintSurface turned(size, size);
  barcode->PaintBarcode(turned.Canvas);

  // The frame starts at (left + lead, top); y grows down the bars.
  const std::function<std::pair<int, int>(int, int)> place[] = {
      [&](int x, int y) { return std::pair{x, y}; },
      [&](int x, int y) { return std::pair{y, width - x}; },           // 90: the row runs up
      [&](int x, int y) { return std::pair{width - x, height - y}; },  // 180: offset (W, H)
      [&](int x, int y) { return std::pair{height - y, x}; },          // 270: the row runs down
  };
  int drawn = 0;
  for (int py = 0; py < size; ++py)
    for (int px = 0; px < size; ++px) {
      const TColor colour = upright.At(px, py);
      if (colour == Backdrop) continue;
      ++drawn;
      const auto [x, y] = place[degrees / 90](px - left - lead, py - top);
      ASSERT_EQ(turned.At(left + lead + x, top + y), colour) << px << ", " << py;
    }
  const auto isDrawn = [](TColor colour) { return colour != Backdrop; };
  int turnedDrawn = 0;
  for (int py = 0; py < size; ++py)
    for (int px = 0; px < size; ++px) turnedDrawn += isDrawn(turned.At(px, py));
  EXPECT_EQ(turnedDrawn, drawn);
  EXPECT_GT(drawn, width * height / 2);
}

INSTANTIATE_TEST_SUITE_P(Symbols, PaintBarsTurned,
                         testing::Combine(testing::Values(bcCodeEAN13, bcCodePostNet, bcCode39),
                                          testing::Values(0, 90, 180, 270)),
                         [](const auto& info) {
                           return std::string(BCdata[std::get<0>(info.param)].Name) + "_deg" +
                                  std::to_string(std::get<1>(info.param));
                         });

TEST(PaintBars, QuarterTurnedBoxes) {
  // Angle 90: the box spans Left to Left + Height and Top to Top + W;
  // angle 180 moves it by (W, H) from the turned origin.
  auto barcode = PlacedBarcode(bcCode39, "BOX", 20, 15, 30);
  const int width = barcode->GetWidth();
  const auto box = [&](double degrees) {
    barcode->SetAngle(degrees);
    TPaintSurface paint(width + 60, width + 60);
    barcode->PaintBarcode(paint.Canvas);
    const auto bounds = BoundsOf(paint, [](TColor colour) { return colour != Backdrop; });
    return bounds ? std::tuple{bounds->Left, bounds->Top, bounds->Right, bounds->Bottom} : std::tuple{0, 0, 0, 0};
  };
  EXPECT_EQ(box(0), std::tuple(20, 15, 20 + width - 1, 15 + 30));
  EXPECT_EQ(box(90), std::tuple(20, 15 + 1, 20 + 30, 15 + width));
  EXPECT_EQ(box(180), std::tuple(20 + 1, 15, 20 + width, 15 + 30));
  EXPECT_EQ(box(270), std::tuple(20, 15, 20 + 30, 15 + width - 1));
}

TEST(PaintBars, TheCanvasKeepsItsFontPenAndBrush) {
  TPaintSurface paint(300, 200);
  TCanvas& canvas = paint.Canvas;
  TFont font;
  font.SetName("Liberation Mono"), font.SetHeight(-17), font.SetColor(clBlue), font.SetCharset(ANSI_CHARSET);
  font.SetEscapement(450), font.SetStyle(FontStyleBit(fsItalic));
  canvas.SetFont(font);
  canvas.GetPen().SetColor(clLime), canvas.GetPen().SetWidth(3), canvas.GetPen().SetStyle(psDash);
  canvas.GetBrush().SetColor(clYellow), canvas.GetBrush().SetStyle(bsDiagCross);
  const TPen pen = canvas.GetPen();
  const TBrush brush = canvas.GetBrush();
  const auto expectKept = [&] {
    const TFont& kept = canvas.GetFont();
    EXPECT_TRUE(kept.GetName() == "Liberation Mono" && kept.GetHeight() == -17 && kept.GetColor() == clBlue &&
                kept.GetCharset() == ANSI_CHARSET && kept.GetEscapement() == 450 &&
                kept.GetStyle() == FontStyleBit(fsItalic) && kept.GetWeight() == font.GetWeight());
    EXPECT_TRUE(canvas.GetPen().GetColor() == pen.GetColor() && canvas.GetPen().GetWidth() == 3 &&
                canvas.GetPen().GetStyle() == psDash && canvas.GetPen().GetMode() == pen.GetMode());
    EXPECT_TRUE(canvas.GetBrush().GetColor() == brush.GetColor() && canvas.GetBrush().GetStyle() == bsDiagCross);
  };
  auto barcode = PlacedBarcode(bcCode128B, "Keep", 20, 40, 50);
  barcode->SetShowText(bcoBoth), barcode->SetAngle(20);
  barcode->PaintBarcode(canvas);
  expectKept();
  EXPECT_NE(paint.Pixels(), TPaintSurface(300, 200).Pixels());
  barcode->SetTyp(bcCodeEAN13);  // "Keep" is not a number
  EXPECT_THROW(barcode->PaintBarcode(canvas), Exception);
  expectKept();
}

TEST(PaintBars, AnEncodingErrorDrawsNothing) {
  struct TCase {
    TBarcodeType Typ;
    const char* Text;
    const char* Message;
  };
  const TCase cases[] = {
      {bcCodeEAN13, "12A", "Numeric/Numerique"},
      {bcCodeEAN13, "12345678901234", "Invalid Text len (EAN13)"},
      {bcCode39, "lower", "TVmBarcode:Code39 bad Data <lower>"},
  };
  for (const TCase& c : cases) {
    auto barcode = PlacedBarcode(c.Typ, c.Text, 10, 10, 30);
    barcode->SetShowText(bcoBoth);
    TPaintSurface paint(100, 60);
    const std::vector<std::uint32_t> before = paint.Pixels();
    EXPECT_EQ(MessageOf<Exception>([&] { barcode->PaintBarcode(paint.Canvas); }), c.Message);
    EXPECT_EQ(paint.Pixels(), before) << c.Text;
  }
}
