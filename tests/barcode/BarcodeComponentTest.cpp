#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "BarcodeTestSupport.h"
#include "barcode/BarcodeGeometry.h"

using namespace bctest;

namespace {

// OnChange calls with the barcode as sender count 1, with another sender 100.
void CountChanges(TVmBarcode& barcode, int& count) {
  barcode.OnChange = [&count, &barcode](TPersistent* sender) { count += sender == &barcode ? 1 : 100; };
}

}  // namespace

TEST(BarcodeComponent, OrdinalsAndCaptions) {
  TVmBarcode b(nullptr);
  static_assert(bcCode39 == 3 && bcCodeCodabar == 12 && bcCodeEAN128C == 22 && bcoBoth == 3 && stpBottomCenter == 5);
  const char* captions[] = {"2_5_interleaved", "2_5_industrial", "2_5_matrix", "Code39", "Code39 Extended",
                            "Code128A", "Code128B", "Code128C", "Code93", "Code93 Extended", "MSI", "PostNet",
                            "Codebar", "EAN8", "EAN13", "UPC_A", "UPC_E0", "UPC_E1", "UPC Supp2", "UPC Supp5",
                            "EAN128A", "EAN128B", "EAN128C"};
  for (int typ = 0; typ < BarcodeTypeCount; ++typ) {
    b.SetTyp(static_cast<TBarcodeType>(typ));
    EXPECT_EQ(b.GetTypeCaption(), captions[typ]);
  }
}

TEST(BarcodeComponent, SettersSignalChangesAsDocumented) {
  TVmBarcode b(nullptr);
  int changes = 0;
  CountChanges(b, changes);
  // The defaults, a Modul outside 1..49 and the plain fields are silent.
  EXPECT_TRUE(b.Color == clWhite && b.ColorBar == clBlack && b.CheckSumMethod == csmModulo10);
  b.SetHeight(0), b.SetText(""), b.SetTyp(bcCodeEAN13), b.SetRatio(2.0), b.SetAngle(0.0), b.SetChecksum(false);
  b.SetShowText(bcoNone), b.SetShowTextPosition(stpTopLeft), b.SetTop(0), b.SetLeft(0);
  b.SetModul(0), b.SetModul(50), b.Color = clRed, b.ColorBar = clBlue, b.CheckSumMethod = csmNone;
  EXPECT_TRUE(changes == 0 && b.GetModul() == 1);
  b.SetHeight(80), b.SetText("1"), b.SetTop(4), b.SetLeft(5), b.SetTyp(bcCode39), b.SetRatio(2.5);
  b.SetAngle(90.0), b.SetShowText(bcoBoth), b.SetShowTextPosition(stpBottomCenter), b.SetChecksum(true);
  EXPECT_EQ(changes, 10);
  b.SetModul(1), b.SetModul(49), b.SetShowTextFont(TFont()), b.SetShowTextFont(TFont());  // these always signal
  EXPECT_TRUE(changes == 14 && b.GetModul() == 49);
}

TEST(BarcodeComponent, AssignCopiesTheSettingsButNotFontOrDigitPositions) {
  TVmBarcode source(nullptr), c(nullptr);
  source.SetHeight(7), source.SetText("AB"), source.SetTop(3), source.SetLeft(4), source.SetModul(5);
  source.SetRatio(2.5), source.SetTyp(bcCode93), source.SetChecksum(true), source.SetShowText(bcoTyp);
  source.SetShowTextPosition(stpBottomRight), source.SetAngle(45.0), source.GetShowTextFont().SetName("Courier New");
  source.Color = clYellow, source.ColorBar = clNavy, source.CheckSumMethod = csmNone, source.DigitPositions[0] = 99;
  int sourceChanges = 0, copyChanges = 0;
  CountChanges(source, sourceChanges), CountChanges(c, copyChanges);
  c.Assign(&source);
  EXPECT_TRUE(copyChanges == 0 && c.GetHeight() == 7 && c.GetText() == "AB" && c.GetTop() == 3 && c.GetLeft() == 4);
  EXPECT_TRUE(c.GetModul() == 5 && c.GetRatio() == 2.5 && c.GetTyp() == bcCode93 && c.GetChecksum());
  EXPECT_TRUE(c.GetShowText() == bcoTyp && c.GetShowTextPosition() == stpBottomRight && c.GetAngle() == 45.0);
  EXPECT_TRUE(c.Color == clYellow && c.ColorBar == clNavy && c.CheckSumMethod == csmNone);
  EXPECT_TRUE(c.GetShowTextFont().GetName() != "Courier New" && c.DigitPositions[0] == 0);
  c.SetHeight(8);  // the copied event reports to the source's handler, with the copy as sender
  EXPECT_EQ(sourceChanges, 100);
}

// The ratio is corrected per symbology through its setter; the widths are
// whole pixels of at least one.
TEST(BarcodeComponent, RatioCorrectionAndModuleWidths) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const std::tuple<TBarcodeType, int, double, double, std::array<int, 4>> cases[] = {
      {bcCode39, 1, 1.5, 2.0, {1, 2, 3, 4}},
      {bcCode39, 49, inf, 3.0, {49, 147, 220, 294}},  // past a signed byte
      {bcCodeCodabar, 1, nan, 2.0, {1, 2, 3, 4}},
      {bcCodeEAN13, 32, 2.5, 2.5, {32, 80, 120, 160}},
      {bcCode_2_5_matrix, 2, 2.0, 2.25, {2, 4, 6, 8}},  // 4.5 rounds to the even 4
      {bcCode128B, 1, 0.0, 2.0, {1, 2, 3, 4}},  // zero or negative
      {bcCodeMSI, 1, nan, 2.0, {1, 2, 3, 4}},
      {bcCodePostNet, 3, 1.5, 1.5, {3, 4, 6, 8}},  // the gap is Modul x Ratio, unclamped
      {bcCodePostNet, 1, 0.3, 0.3, {1, 1, 1, 2}},  // and never vanishes
      {bcCodePostNet, 1, inf, 2.0, {1, 2, 3, 4}},
  };
  for (const auto& [typ, modul, ratio, corrected, widths] : cases) {
    auto b = MakeBarcode(typ, "1");
    b->SetModul(modul), b->SetRatio(ratio);
    int changes = 0;
    CountChanges(*b, changes);
    b->EncodeModules();
    EXPECT_EQ(b->GetRatio(), corrected) << BCdata[typ].Name << " " << ratio;
    EXPECT_EQ(changes, corrected == ratio ? 0 : 1) << BCdata[typ].Name << " " << ratio;
    EXPECT_EQ(b->GetModuleWidths(), widths) << BCdata[typ].Name << " " << ratio;
    EXPECT_TRUE(b->GetModuleInfo('0').Width == widths[0] && b->GetModuleInfo('D').Width == widths[3]);
  }
}

TEST(BarcodeComponent, WidthIsTheSumOfTheModulesAndRescalesModul) {
  auto b = MakeBarcode(bcCodeEAN13, " \t");
  b->SetModul(1);
  int changes = 0;
  CountChanges(*b, changes);
  EXPECT_EQ(b->GetWidth(), 95);  // as "0000000000000"
  EXPECT_EQ(b->GetText(), "");   // trimmed without an event
  for (const int width : {0, 95 * 50, -95, std::numeric_limits<int>::max()}) b->SetWidth(width);
  EXPECT_TRUE(b->GetModul() == 1 && changes == 0);
  b->SetWidth(95 * 3 + 94);  // truncates
  EXPECT_TRUE(b->GetModul() == 3 && changes == 1 && b->GetWidth() == 95 * 3);
}

TEST(BarcodeGeometry, RotatedBoxOriginFollowsTheQuadrantTable) {
  // A 100 x 50 box at (7, 11).
  const std::pair<double, TPoint> cases[] = {
      {30, {7, 61}},     // sin, cos >= 0: (0, round(100 * 0.5))
      {90, {7, 111}},    // cos 90 is a tiny positive number: still the first row
      {120, {57, 123}},  // cos < 0: (-round(-50), round(86.6 + 25))
      {180, {107, 61}},  // sin 180 counts as positive: offset (W, H)
      {210, {119, 54}},  // both < 0: (86.6 -> 87 + 25, -round(-43.3))
      {300, {50, 11}},   // sin < 0: (-round(-43.3), 0)
  };
  for (const auto& [degrees, origin] : cases)
    EXPECT_EQ(barcode::RotatedBoxOrigin(barcode::Radians(degrees), Point(7, 11), 100, 50), origin) << degrees;
}

TEST(BarcodeGeometry, CoordinatesOutsideTheIntegerRangeAreRefused) {
  const int big = std::numeric_limits<int>::max();
  EXPECT_EQ(barcode::OffsetPoint(Point(big - 5, -big), Point(5, -1)), Point(big, -big - 1));
  EXPECT_THROW(barcode::OffsetPoint(Point(big, 0), Point(1, 0)), EInvalidOp);
  EXPECT_THROW(barcode::RotatePoint(Point(big, big), barcode::Radians(45)), EInvalidOp);
  EXPECT_THROW(barcode::RotatedBoxOrigin(barcode::Radians(90), Point(0, big), 10, 10), EInvalidOp);
  EXPECT_THROW(barcode::RotatedBoxOrigin(std::nan(""), Point(0, 0), 10, 10), EInvalidOp);
}

// Every refusal, as the user sees it: the message, nothing drawn, the text kept.
TEST(BarcodeComponent, RefusalsAndTheirMessages) {
  const struct {
    TBarcodeType Typ;
    std::string Text;
    std::string Message;
    bool Checksum = false;
    double Ratio = 2.0;
  } cases[] = {
      {bcCodeMSI, "12A4", "Numeric/Numerique"},
      {bcCodeEAN13, std::string("12") + FNC1Marker + "34", "Numeric/Numerique"},  // the marker is code set C's
      {static_cast<TBarcodeType>(23), "1", "TVmBarcode: wrong BarcodeType"},
      {bcCodeEAN13, "5901234123457", "Invalid Text len (EAN13)", true},  // a check digit would make 14
      {bcCodeEAN13, "59012341234571", "Invalid Text len (EAN13)"},
      {bcCodeEAN8, "12345670", "Invalid Text len (EAN8)", true},  // never the last seven digits instead
      {bcCodeUPC_A, "0360002914520", "Invalid Text len (UPC_A)", true},  // never cut
      {bcCodeUPC_E1, "012345655", "Invalid Text len (UPC_E1)"},
      {bcCodeUPC_Supp5, "5249512", "Invalid Text len (UPC Supp5)"},
      {bcCodeUPC_Supp2, "345", "Invalid Text len (UPC Supp2)"},
      {bcCodeUPC_E0, "1234560", "Invalid check digit (UPC_E0)"},
      {bcCodeUPC_Supp5, "524950", "Invalid check digit (UPC Supp5)"},
      {bcCodeUPC_E0, "11234565", "Invalid number system (UPC_E0)"},
      {bcCodeUPC_E1, "01234565", "Invalid number system (UPC_E1)"},
      {bcCode39, "abc", "TVmBarcode:Code39 bad Data <abc>"},  // never skipped
      {bcCode39, "A*B", "TVmBarcode:Code39 bad Data <A*B>"},  // a stop inside the data
      {bcCode39Extended, "caf\xe9", "TVmBarcode:Code39 Extended bad Data <caf\xe9>"},
      {bcCode93, "test", "TVmBarcode:Code93 bad Data <test>"},
      {bcCode93, "A[B", "TVmBarcode:Code93 bad Data <A[B>"},  // "[" writes a shift
      {bcCode93Extended, "\x80", "TVmBarcode:Code93 Extended bad Data <\x80>"},
      {bcCodeCodabar, "A12", "TVmBarcode:Codebar bad Data <A12>"},  // a stop inside the data
      {bcCodeCodabar, "12x", "TVmBarcode:Codebar bad Data <12x>"},
      {bcCode128A, "Ab", "TVmBarcode:Code128A bad Data <Ab>"},  // never a space instead
      {bcCode128B, "A\x7f", "TVmBarcode:Code128B bad Data <A\x7f>"},
      {bcCodeEAN128B, "\x1b", "TVmBarcode:EAN128B bad Data <\x1b>"},
      {bcCodeEAN128C, std::string(1, FNC1Marker) + "1", "TVmBarcode: odd number of digits before FNC1 in EAN128C"},
      {bcCodeEAN128A, "AB", "'A' is not a valid integer value", true},
      {bcCode128B, "", "TVmBarcode: barcode too wide", false, 1e12},
      {bcCode128B, "", "TVmBarcode: barcode too wide", false, 1e7},  // only the sum overflows
  };
  for (const auto& c : cases) {
    auto b = MakeBarcode(c.Typ, c.Text, c.Checksum);
    b->SetRatio(c.Ratio), b->SetModul(49), b->SetShowText(bcoBoth), b->SetLeft(10), b->SetTop(10);
    TPaintSurface paint(100, 60);
    const std::vector<std::uint32_t> before = paint.Pixels();
    EXPECT_EQ(MessageOf([&] { b->PaintBarcode(paint.Canvas); }), c.Message) << c.Text;
    EXPECT_EQ(paint.Pixels(), before) << c.Text;
    if (c.Typ != bcCodeEAN128C) {  // code set C pads before it fails
      EXPECT_EQ(b->GetText(), c.Text);
    }
  }
  EXPECT_THROW(MakeBarcode(bcCodeEAN8, "123456789")->EncodeModules(), EAssertionFailed);
  EXPECT_THROW(MakeBarcode(bcCodeEAN128A, "A", true)->EncodeModules(), EConvertError);
  TVmBarcode b(nullptr);
  b.SetName("MyBarcode");  // the class name fills the messages, not the component's
  for (const char bad : {'4', '9', 'E', '/', '\0'})
    EXPECT_EQ(MessageOf([&] { b.GetModuleInfo(bad); }), "TVmBarcode: internal Error");
  b.SetTyp(static_cast<TBarcodeType>(23));
  EXPECT_EQ(MessageOf([&] { b.GetTypeCaption(); }), "TVmBarcode: wrong BarcodeType");
  TFont notABarcode;
  EXPECT_EQ(MessageOf([&] { b.Assign(&notABarcode); }), "Cannot assign a TFont to a TVmBarcode");
}
