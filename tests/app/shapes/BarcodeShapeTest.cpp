// The barcode shape on a page: its layout in the frame for the worked
// frames, the text band, the text size in millimetres at every resolution,
// frames too small for the symbol, values the symbology refuses, the
// check digits of EAN and UPC values as the panel reports them, and the fit
// judged as on paper on the screen and in thumbnails.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "ShapeTestSupport.h"
#include "app/BarcodeValueRule.h"
#include "app/UiTexts.h"
#include "platform/rtl/Strings.h"
#include "document/shape/ClassRegistry.h"
#include "document/effects/Effect.h"

namespace {

using shapetest::IsDark;
using shapetest::ScanAll;
using shapetest::TScan;
using shapetest::TTestPage;

// An effect that only widens the shape's render margins, as a shadow does:
// the cache then reaches beyond the frame.
class TMarginEffect : public TdocEffect {
public:
  void AdjustExtents(float& left, float& top, float& right, float& bottom) const override {
    left += 5, top += 5, right += 5, bottom += 5;
  }
};

// The rows and columns of the page that hold ink, as a reader sees it.
struct TInkBox {
  int Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1;  // inclusive
  bool Empty() const { return Right < 0; }
};

TInkBox InkBox(const TBitmap32& bitmap, int fromRow = 0, int toRow = -1) {
  TInkBox box;
  const int last = toRow < 0 ? bitmap.GetHeight() : std::min(toRow, bitmap.GetHeight());
  for (int y = std::max(0, fromRow); y < last; ++y)
    for (int x = 0; x < bitmap.GetWidth(); ++x)
      if (IsDark(bitmap.GetPixel(x, y)))
        box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x), std::max(box.Bottom, y)};
  return box;
}

// Pixels that differ from the white page at all.
TInkBox PaintedBox(const TBitmap32& bitmap) {
  TInkBox box;
  for (int y = 0; y < bitmap.GetHeight(); ++y)
    for (int x = 0; x < bitmap.GetWidth(); ++x)
      if ((bitmap.GetPixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
        box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x), std::max(box.Bottom, y)};
  return box;
}

// The last row crossing the bars: far more changes between dark and light
// than a row of text has (Code 39 of ten digits has 60 bars).
int LastBarRow(const TBitmap32& bitmap) {
  int last = -1;
  for (int y = 0; y < bitmap.GetHeight(); ++y) {
    int changes = 0;
    for (int x = 1; x < bitmap.GetWidth(); ++x) changes += IsDark(bitmap.GetPixel(x, y)) != IsDark(bitmap.GetPixel(x - 1, y));
    if (changes > 80) last = y;
  }
  return last;
}

TEST(BarcodeShape, AnInsertedBarcodeHasTheInsertSettings) {
  TTestPage page(100, 100);
  TdocBarCodeShape shape;
  EXPECT_EQ(shape.GetBarcode(), nullptr);
  shape.CreateNewBarcode();
  const TVmBarcode& barcode = *shape.GetBarcode();
  EXPECT_EQ(barcode.GetTyp(), bcCode39);
  EXPECT_EQ(barcode.GetText(), "1234567890");
  EXPECT_EQ(barcode.GetShowText(), bcoCode);
  EXPECT_EQ(barcode.GetShowTextFont().GetSize(), 20);
  EXPECT_EQ(barcode.GetShowTextPosition(), stpBottomLeft);
  EXPECT_EQ(barcode.GetModul(), 2);
  EXPECT_TRUE(shape.GetCachedRendering());
  EXPECT_TRUE(shape.GetForceRenderCache());
}

TEST(BarcodeShape, PaintingKeepsTheAngleAndRendersThroughTheCache) {
  TTestPage page(100, 100);
  TdocBarCodeShape& level = page.AddBarcode(bcCode39, "1234567890", 10, 10, 60, 20);
  TdocBarCodeShape& turned = page.AddBarcode(bcCode39, "1234567890", 10, 50, 60, 20, 30);
  auto plain = std::make_unique<TdocShape>();
  TdocShape& other = *plain;
  page.Page().AddShape(std::move(plain));
  page.Render(5.905512f);
  EXPECT_EQ(level.GetDocAngle(), 0.0f);
  EXPECT_NE(level.GetCacheBitmap(), nullptr);
  // Sheets nudge the level barcodes, and only those.
  NudgeBarcodeAngles(page.Page());
  EXPECT_EQ(level.GetDocAngle(), 0.001f);
  EXPECT_EQ(turned.GetDocAngle(), 30.0f);
  EXPECT_EQ(other.GetDocAngle(), 0.0f);
}

TEST(BarcodeShape, DirectCachedAndBandedDrawingGiveTheSamePixels) {
  // Labels starting inside pixels, drawn through the cache (as inserted),
  // straight onto the page (as loaded from a file), nudged as on a sheet,
  // each in one piece and in bands of rows that cut through bars and text.
  TTestPage page(100, 60);
  std::vector<TdocBarCodeShape*> shapes{&page.AddBarcode(bcCode39, "4711", 10.37f, 5.61f, 38, 21.19f),
                                        &page.AddBarcode(bcCodeEAN13, "400638133393", 52.1f, 30.3f, 38, 21.19f),
                                        &page.AddBarcode(bcCode128B, "Label", 3.3f, 33.77f, 40, 20)};
  // Turned a quarter, always through the cache, and across many bands.
  page.AddBarcode(bcCode93, "CODE93", 60.4f, 7.85f, 25, 12.3f, 90);
  constexpr float Resolution = 11.811024f;  // 300 dots per inch
  const auto reference = page.Render(Resolution);
  ASSERT_EQ(ScanAll(*reference).size(), 4u);
  const auto expectSame = [&](const TBitmap32& bitmap, const char* what) {
    int differing = 0;
    for (int y = 0; y < bitmap.GetHeight(); ++y)
      for (int x = 0; x < bitmap.GetWidth(); ++x) differing += bitmap.GetPixel(x, y) != reference->GetPixel(x, y);
    EXPECT_EQ(differing, 0) << what;
  };
  expectSame(*page.Render(Resolution, 13), "cached, in bands");
  for (TdocBarCodeShape* shape : shapes) shape->SetCachedRendering(false);
  expectSame(*page.Render(Resolution), "direct");
  for (TdocBarCodeShape* shape : shapes) EXPECT_EQ(shape->GetCacheBitmap(), nullptr);
  expectSame(*page.Render(Resolution, 7), "direct, in bands");
  NudgeBarcodeAngles(page.Page());
  expectSame(*page.Render(Resolution, 64), "nudged, in bands");
  for (TdocBarCodeShape* shape : shapes) EXPECT_NE(shape->GetCacheBitmap(), nullptr);
}

TEST(BarcodeShape, TheModuleIsALengthFromTheFrameDrawnAsWholePixels) {
  // Code 128 C "1234": start, two digit pairs, check, stop = 4 x 11 + 13 =
  // 57 modules. The bars span 80 % of the frame: a module is 0.8 x width /
  // 57 mm, drawn as the nearest whole number of pixels, at least one, and
  // narrowed only when the symbol would leave the frame.
  const struct {
    float Width;       // mm
    float Resolution;  // dots per mm
    int Modul;         // hand-computed
  } cases[] = {
      {10, 10, 1},      // 1.40 pixels
      {40, 10, 6},      // 5.61
      {40, 11.811f, 7},  // 6.63
      {40, 5.9055f, 3},  // 3.32
      {30, 23.622f, 10},  // 9.95
      {7, 10, 1},       // 0.98: one pixel, 57 in 70
  };
  for (const auto& c : cases) {
    const std::string what = std::to_string(c.Width) + " mm at " + std::to_string(c.Resolution);
    TTestPage page(120, 40);
    TdocBarCodeShape& shape = page.AddBarcode(bcCode128C, "1234", 10, 10, c.Width, 20);
    page.Render(c.Resolution);
    TVmBarcode& barcode = *shape.GetBarcode();
    EXPECT_NEAR(shape.GetModuleMm(), 0.8 * c.Width / 57, 1e-6) << what;
    EXPECT_EQ(barcode.GetModul(), c.Modul) << what;
    EXPECT_EQ(barcode.GetWidth(), 57 * c.Modul) << what;
    // Centred: equal quiet zones, halves to even; never before the frame.
    const int frame = static_cast<int>(std::nearbyint((10 + c.Width) * c.Resolution) - std::nearbyint(10 * c.Resolution));
    EXPECT_EQ(barcode.GetLeft(), std::max(0, static_cast<int>(std::nearbyint((frame - 57.0 * c.Modul) / 2)))) << what;
  }
  // Rounded up, the module would pass the frame: 0.8 x 5 / 57 mm at 14.3
  // dots per mm is 1.0035 pixels, 57 > 5 x 14.3 = 71.5, fits; at 0.5 mm
  // modules of 1.5 pixels round to 2, 114 pixels in a 143 pixel frame fit too.
  TTestPage page(120, 40);
  TdocBarCodeShape& shape = page.AddBarcode(bcCode128C, "1234", 10, 10, 10, 20);
  page.Render(14.3f);
  EXPECT_EQ(shape.GetBarcode()->GetModul(), 2);
  EXPECT_LE(shape.GetBarcode()->GetWidth(), 143);
}

// After a finer paint, as after zooming out, the bars are drawn afresh in
// whole pixels, never sampled down from the finer cache.
TEST(BarcodeShape, ACoarserPaintAfterAFinerOneDrawsAfresh) {
  TTestPage fresh(60, 30), zoomedOut(60, 30);
  for (TTestPage* page : {&fresh, &zoomedOut}) {
    page->AddBarcode(bcCode128B, "Label 128", 5, 5, 50, 20);
    NudgeBarcodeAngles(page->Page());
  }
  zoomedOut.Render(23.622047f);
  const auto expected = fresh.Render(7.5f);
  const auto actual = zoomedOut.Render(7.5f);
  ASSERT_EQ(actual->GetWidth(), expected->GetWidth());
  int differing = 0;
  for (int y = 0; y < expected->GetHeight(); ++y)
    for (int x = 0; x < expected->GetWidth(); ++x) differing += actual->GetPixel(x, y) != expected->GetPixel(x, y);
  EXPECT_EQ(differing, 0);
}

TEST(BarcodeShape, HugeFramesTakeTheLargestModule) {
  TTestPage page(1020, 30);
  TdocBarCodeShape& shape = page.AddBarcode(bcCode128C, "12", 10, 5, 1000, 20);
  page.Render(11.811024f);
  EXPECT_EQ(shape.GetBarcode()->GetModul(), TVmBarcode::MaxModul);
}

TEST(BarcodeShape, TheTextTakesItsBandAndTheBarsKeepTheOppositeEdge) {
  int top[3], height[3];
  const TShowTextPosition positions[] = {stpTopCenter, stpBottomRight, stpBottomLeft};
  for (int i = 0; i < 3; ++i) {
    TTestPage page(80, 40);
    TdocBarCodeShape& shape = page.AddBarcode(bcCode39, "1234", 10, 10, 60, 20);
    shape.GetBarcode()->SetShowTextPosition(positions[i]);
    if (i == 2) shape.GetBarcode()->SetShowText(bcoNone);
    page.Render(10);
    top[i] = shape.GetBarcode()->GetTop();
    height[i] = shape.GetBarcode()->GetHeight();
  }
  // Without text the bars fill the 200 pixel high frame.
  EXPECT_EQ(top[2], 0);
  EXPECT_EQ(height[2], 200);
  const int textHeight = top[0];
  EXPECT_GT(textHeight, 45);  // 20 points at the start zoom: a 4.5 mm em, a cell over 5 mm
  EXPECT_EQ(top[0] + height[0], 200);
  EXPECT_EQ(top[1], 0);
  EXPECT_EQ(height[1], 200 - textHeight);
}

TEST(BarcodeShape, TheTextKeepsItsSizeInMillimetresAtEveryResolution) {
  double heights[3];
  const float resolutions[] = {5.905512f, 11.811024f, 23.622047f};
  for (int i = 0; i < 3; ++i) {
    TTestPage page(80, 40);
    page.AddBarcode(bcCode39, "1234567890", 10, 5, 60, 30);
    const auto bitmap = page.Render(resolutions[i]);
    const TInkBox text = InkBox(*bitmap, LastBarRow(*bitmap) + 1);
    ASSERT_FALSE(text.Empty());
    heights[i] = (text.Bottom - text.Top + 1) / resolutions[i];
  }
  // 20 points as the screen shows them at the start zoom: 20 x 96 / 72
  // pixels of 25.4 / 150 mm, a 4.52 mm em; digits stand about 0.72 em.
  EXPECT_NEAR(heights[1], 3.25, 0.3);
  EXPECT_NEAR(heights[0], heights[1], 0.2);
  EXPECT_NEAR(heights[2], heights[1], 0.2);
}

TEST(BarcodeShape, NothingIsPaintedOutsideFramesTooSmallForTheSymbol) {
  // Frames narrower than one pixel a module, lower than the text, both, and
  // one holding no pixel at all; at a whole and at a fractional scale.
  const struct {
    float Width, Height;
  } frames[] = {{5, 3}, {20, 2}, {2, 20}, {0.5f, 0.5f}, {0.05f, 0.05f}, {8, 20}};
  for (const float resolution : {10.0f, 5.905512f})
    for (const auto& frame : frames)
      for (const TBarcodeType typ : {bcCode128B, bcCodeEAN13}) {
        TTestPage page(40, 40);
        TdocBarCodeShape& shape =
            page.AddBarcode(typ, typ == bcCodeEAN13 ? "590123412345" : "A long value in Code 128", 10, 10,
                            frame.Width, frame.Height);
        shape.AddEffect(std::make_unique<TMarginEffect>());
        shape.UpdateExtents();
        page.Render(resolution);  // a first paint with the insert settings' module
        shape.GetBarcode()->SetModul(TVmBarcode::MaxModul);
        const auto bitmap = page.Render(resolution);
        // A symbol wider than its frame at one pixel a module is refused
        // in the frame; any other is drawn. A frame without a whole pixel
        // shows nothing.
        const bool fits = shape.FitsFrameAt(resolution);
        if (frame.Width * resolution >= 1 && frame.Height * resolution >= 1) {
          EXPECT_EQ(shape.GetPaintError(), fits ? "" : "Barcode wider than its frame")
              << frame.Width << " x " << frame.Height << " at " << resolution;
        }
        const TInkBox painted = PaintedBox(*bitmap);
        if (painted.Empty()) continue;
        // The frame in pixels; a fractional scale blends one pixel more.
        const double slack = resolution == 10.0f ? 0 : 1;
        const std::string what = std::to_string(frame.Width) + " x " + std::to_string(frame.Height) + " mm at " +
                                 std::to_string(resolution);
        EXPECT_GE(painted.Left, std::floor(10 * resolution - slack)) << what;
        EXPECT_GE(painted.Top, std::floor(10 * resolution - slack)) << what;
        EXPECT_LT(painted.Right, std::ceil((10 + frame.Width) * resolution + slack)) << what;
        EXPECT_LT(painted.Bottom, std::ceil((10 + frame.Height) * resolution + slack)) << what;
        EXPECT_GE(shape.GetBarcode()->GetHeight(), 0) << what;
      }
}

TEST(BarcodeShape, ACompleteEanOrUpcValueMustCarryItsCheckDigit) {
  const struct {
    TBarcodeType Typ;
    const char* Text;
    const char* Error;  // "" when the symbol is read as Read
    const char* Read;
  } cases[] = {
      {bcCodeEAN13, "5901234123457", "", "5901234123457"},
      {bcCodeEAN13, "590123412345", "", "5901234123457"},
      {bcCodeEAN13, "5901234123450", "Invalid check digit (EAN13)", ""},
      {bcCodeEAN8, "96385074", "", "96385074"},
      {bcCodeEAN8, "96385070", "Invalid check digit (EAN8)", ""},
      {bcCodeUPC_A, "036000291452", "", "036000291452"},
      {bcCodeUPC_A, "036000291450", "Invalid check digit (UPC_A)", ""},
      {bcCodeEAN13, "12AB", "Numeric/Numerique", ""},
  };
  for (const auto& c : cases) {
    TTestPage page(80, 70);
    TdocBarCodeShape& shape = page.AddBarcode(c.Typ, c.Text, 10, 10, 60, 20);
    // A refused value does not keep the rest of the page from its paint.
    page.AddBarcode(bcCode128B, "Next", 10, 40, 60, 20);
    const auto bitmap = page.Render(11.811024f);
    EXPECT_EQ(shape.GetPaintError(), c.Error) << c.Text;
    const int split = static_cast<int>(35 * 11.811024f);
    std::vector<std::string> read;
    for (const auto& scan : shapetest::ScanAll(*bitmap, 0, split)) read.push_back(scan.second);
    EXPECT_EQ(read, *c.Read ? std::vector<std::string>{c.Read} : std::vector<std::string>{}) << c.Text;
    EXPECT_EQ(shapetest::ScanAll(*bitmap, split), (std::vector<shapetest::TScan>{{"CODE-128", "Next"}})) << c.Text;
    if (*c.Error) {
      EXPECT_FALSE(InkBox(*bitmap, 0, static_cast<int>(30 * 11.811024f)).Empty()) << "the message shows";
    }
  }
}

TEST(BarcodeShape, TheStartUpRegistersTheClass) {
  TTestPage page(10, 10);
  EXPECT_EQ(&GetShapeClass("TdocBarCodeShape"), &TdocBarCodeShape::StaticClass());
  EXPECT_EQ(GetShapeClass("TdocBarCodeShape").Create()->ClassName(), "TdocBarCodeShape");
}

}  // namespace

namespace {

// In a frame narrower than its text at the inserted size, the readable text
// is made smaller and stays whole inside the frame at every position: no
// ink on the frame's first or last column, where a cut glyph would end.
TEST(BarcodeShape, TheReadableTextShrinksIntoANarrowFrameAtEveryPosition) {
  constexpr float Resolution = 12;
  constexpr float Left = 10, Width = 22;
  for (int position = stpTopLeft; position <= stpBottomCenter; ++position) {
    TTestPage page(60, 40);
    TdocBarCodeShape& shape = page.AddBarcode(bcCode39, "1234567890", Left, 10, Width, 20);
    shape.GetBarcode()->SetShowTextPosition(static_cast<TShowTextPosition>(position));
    const auto bitmap = page.Render(Resolution);
    ASSERT_EQ(shape.GetPaintError(), "") << position;
    const TInkBox all = InkBox(*bitmap);
    ASSERT_FALSE(all.Empty()) << position;
    EXPECT_GT(all.Left, static_cast<int>(Left * Resolution)) << position;
    EXPECT_LT(all.Right, static_cast<int>((Left + Width) * Resolution) - 1) << position;
    EXPECT_EQ(ScanAll(*bitmap), (std::vector<TScan>{{"CODE-39", "1234567890"}})) << position;
  }
}

}  // namespace

namespace {

constexpr float PaperDpm = static_cast<float>(TdocBarCodeShape::PrintDotsPerMm);

std::string WithoutLeadingZeros(const std::string& digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "" : digits.substr(first);
}

std::string RandomDigitsOf(std::mt19937& random, std::size_t count) {
  std::string digits;
  for (std::size_t i = 0; i < count; ++i) digits += static_cast<char>('0' + random() % 10);
  return digits;
}

// What the panel tells about an EAN or UPC value of any length is what the
// label draws and prints: the number it names scans from the drawing (a
// scanner drops leading zeros of a UPC-A read as EAN-13), and a value it
// reports wrong is refused in the frame and at print, as a wrong last digit
// is; the corrected number it names draws and scans.
TEST(BarcodeEanValue, TheLabelDrawsTheNumberThePanelNamesAndRefusesWhatItReportsWrong) {
  const struct {
    TBarcodeType Typ;
    std::size_t Digits;
  } symbologies[] = {{bcCodeEAN8, 8}, {bcCodeEAN13, 13}, {bcCodeUPC_A, 12}};
  std::mt19937 random(46);
  const std::string wrong = pgloretlibmessage(UiTextCheckDigitIsWrong);
  for (const auto& symbology : symbologies) {
    std::vector<std::string> values = {"", "123", " 1234567 "};
    if (symbology.Digits == 13) values.insert(values.end(), {"1234567890", "12345678901", "0012345678905"});
    for (std::size_t length = 1; length <= symbology.Digits; ++length)
      for (int i = 0; i < 2; ++i) values.push_back(RandomDigitsOf(random, length));
    for (const std::string& value : values) {
      const std::string what = std::string(BCdata[symbology.Typ].Name) + " \"" + value + '"';
      const TBarcodeValue panel = CheckBarcodeValue(symbology.Typ, value);
      ASSERT_NE(panel.Verdict, TBarcodeValueVerdict::Refused) << what;
      TTestPage page(80, 40);
      TdocBarCodeShape& shape = page.AddBarcode(symbology.Typ, panel.Value, 5, 5, 70, 30);
      shape.GetBarcode()->SetShowText(bcoNone);
      const auto drawn = page.Render(PaperDpm);
      const std::vector<TScan> read = ScanAll(*drawn);
      const std::string atPrint = RefusedBarcodeMessage(page.Page(), PaperDpm);
      std::string named = panel.Value;
      if (panel.Verdict == TBarcodeValueVerdict::WrongCheckDigit) {
        EXPECT_EQ(shape.GetRefusal(), wrong) << what;
        EXPECT_TRUE(read.empty()) << what;
        EXPECT_NE(atPrint.find(wrong), std::string::npos) << what << ": " << atPrint;
        named = panel.Corrected;
        shape.GetBarcode()->SetText(named);
        shape.Refresh();
        EXPECT_EQ(RefusedBarcodeMessage(page.Page(), PaperDpm), "") << what << " corrected to " << named;
        const auto corrected = page.Render(PaperDpm);
        ASSERT_EQ(ScanAll(*corrected).size(), 1u) << what << " corrected to " << named;
        EXPECT_EQ(WithoutLeadingZeros(ScanAll(*corrected)[0].second), WithoutLeadingZeros(named)) << what;
        continue;
      }
      if (panel.Verdict == TBarcodeValueVerdict::Accepted) named = rtl::Trim(value);
      EXPECT_EQ(shape.GetRefusal(), "") << what;
      EXPECT_EQ(atPrint, "") << what;
      ASSERT_EQ(read.size(), 1u) << what;
      EXPECT_EQ(WithoutLeadingZeros(read[0].second), WithoutLeadingZeros(named)) << what;
    }
  }
}

// Whether a barcode fits its frame is judged at the resolution of paper on
// the screen, at any zoom, and in thumbnails: a symbol paper takes is drawn
// there, however coarse their pixels, and one paper refuses is refused
// there too, as it is at print.
TEST(BarcodeFit, TheScreenAndThumbnailsRefuseOnlyWhatPaperRefuses) {
  // 95 modules: one dot a module needs 8 mm at the paper's 11.8 dots per mm.
  const float resolutions[] = {0.8f, 2.0f, 5.905512f, 23.62f};
  for (const float width : {12.0f, 6.0f}) {
    TTestPage page(40, 30);
    TdocBarCodeShape& shape = page.AddBarcode(bcCodeEAN13, "400638133393", 5, 5, width, 20);
    const bool printed = RefusedBarcodeMessage(page.Page(), PaperDpm).empty();
    ASSERT_EQ(printed, width == 12.0f);
    for (const float resolution : resolutions)
      for (const bool miniature : {false, true}) {
        const std::string what = std::to_string(width) + " mm at " + std::to_string(resolution) +
                                 (miniature ? " in a thumbnail" : " on screen");
        const auto bitmap = page.Render(resolution, miniature ? dtPrinter : dtScreen, miniature);
        if (!printed) {
          EXPECT_EQ(shape.GetRefusal(), pgloretlibmessage(UiTextBarcodeTooWide)) << what;
          continue;
        }
        EXPECT_EQ(shape.GetRefusal(), "") << what;
        EXPECT_EQ(shape.GetPaintError(), "") << what;
        // Bars, or the shades they reduce to, across most of the frame's
        // middle row.
        const int row = static_cast<int>(15 * resolution);
        int first = -1, last = -1;
        for (int x = static_cast<int>(5 * resolution); x < static_cast<int>((5 + width) * resolution); ++x)
          if ((bitmap->GetPixel(x, row) & 0xFF) < 200) {
            if (first < 0) first = x;
            last = x;
          }
        EXPECT_GE(last - first + 1, static_cast<int>(0.6 * width * resolution)) << what;
      }
    // An exported image at a resolution the symbol does not fit is refused.
    EXPECT_NE(RefusedBarcodeMessage(page.Page(), 2.0), "");
  }
}

}  // namespace
