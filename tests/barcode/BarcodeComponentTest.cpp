#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "BarcodeTestSupport.h"
#include "barcode/CheckSum.h"
#include "platform/rtl/Exception.h"

using bctest::MakeBarcode;
using bctest::MessageOf;

namespace {

// Counts OnChange calls and checks their sender.
struct TChangeCounter {
  int Count = 0;
  explicit TChangeCounter(TVmBarcode& barcode) {
    barcode.OnChange = [this, &barcode](TPersistent* sender) { Count += sender == &barcode ? 1 : 100; };
  }
};

std::string Message(TVmBarcode& barcode) { return MessageOf<Exception>([&] { barcode.EncodeModules(); }); }

}  // namespace

TEST(BarcodeComponent, DefaultsOrdinalsAndCaptions) {
  TVmBarcode b(nullptr);
  EXPECT_EQ(b.ClassName(), "TVmBarcode");
  EXPECT_TRUE(b.GetHeight() == 0 && b.GetText().empty() && b.GetTop() == 0 && b.GetLeft() == 0);
  EXPECT_TRUE(b.GetModul() == 1 && b.GetRatio() == 2.0 && b.GetTyp() == bcCodeEAN13 && !b.GetChecksum());
  EXPECT_TRUE(b.GetShowText() == bcoNone && b.GetAngle() == 0.0 && b.GetShowTextPosition() == stpTopLeft);
  EXPECT_TRUE(b.Color == 0xFFFFFF && b.ColorBar == 0 && b.CheckSumMethod == csmModulo10 && !b.OnChange);
  EXPECT_EQ(b.GetModuleWidths(), (std::array<int, 4>{1, 2, 3, 4}));
  static_assert(bcCode39 == 3 && bcCodeCodabar == 12 && bcCodeEAN13 == 14 && bcCodeEAN128C == 22);
  static_assert(bcoBoth == 3 && stpBottomLeft == 3 && stpBottomCenter == 5 && csmModulo10 == 1);
  const char* captions[] = {"2_5_interleaved", "2_5_industrial", "2_5_matrix", "Code39", "Code39 Extended",
                            "Code128A", "Code128B", "Code128C", "Code93", "Code93 Extended", "MSI", "PostNet",
                            "Codebar", "EAN8", "EAN13", "UPC_A", "UPC_E0", "UPC_E1", "UPC Supp2", "UPC Supp5",
                            "EAN128A", "EAN128B", "EAN128C"};
  const bool digitsOnly[] = {1, 1, 1, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1};
  for (int typ = 0; typ < BarcodeTypeCount; ++typ) {
    b.SetTyp(static_cast<TBarcodeType>(typ));
    EXPECT_EQ(b.GetTypeCaption(), captions[typ]);
    EXPECT_EQ(BCdata[typ].Num, digitsOnly[typ]) << typ;
  }
}

TEST(BarcodeComponent, SettersSignalChangesAsDocumented) {
  TVmBarcode b(nullptr);
  TChangeCounter changes(b);
  b.SetHeight(0), b.SetText(""), b.SetTyp(bcCodeEAN13), b.SetRatio(2.0), b.SetAngle(0.0), b.SetChecksum(false);
  b.SetShowText(bcoNone), b.SetShowTextPosition(stpTopLeft), b.SetTop(0), b.SetLeft(0);
  b.SetModul(0), b.SetModul(50), b.SetModul(-3);  // ignored
  b.Color = clRed, b.ColorBar = clBlue, b.CheckSumMethod = csmNone;  // plain fields
  EXPECT_EQ(b.GetModul(), 1);
  EXPECT_EQ(changes.Count, 0);
  b.SetHeight(80), b.SetText("1"), b.SetTop(4), b.SetLeft(5), b.SetTyp(bcCode39), b.SetRatio(2.5);
  b.SetAngle(90.0), b.SetShowText(bcoBoth), b.SetShowTextPosition(stpBottomCenter), b.SetChecksum(true);
  EXPECT_EQ(changes.Count, 10);
  b.SetModul(1);  // an accepted Modul always signals
  b.SetModul(49);
  TFont font;
  font.SetName("Arial"), font.SetSize(20), font.SetColor(clBlue);
  b.SetShowTextFont(font);  // always signals
  b.SetShowTextFont(font);
  EXPECT_EQ(changes.Count, 14);
  EXPECT_EQ(b.GetModul(), 49);
  EXPECT_TRUE(b.GetShowTextFont().GetName() == "Arial" && b.GetShowTextFont().GetSize() == 20);
  EXPECT_EQ(b.GetShowTextFont().GetColor(), clBlue);
}

TEST(BarcodeComponent, AssignCopiesTheSettingsButNotFontOrDigitPositions) {
  TVmBarcode source(nullptr);
  source.SetHeight(7), source.SetText("AB"), source.SetTop(3), source.SetLeft(4), source.SetModul(5);
  source.SetRatio(2.5), source.SetTyp(bcCode93), source.SetChecksum(true), source.SetShowText(bcoTyp);
  source.SetShowTextPosition(stpBottomRight), source.SetAngle(45.0);
  source.Color = clYellow, source.ColorBar = clNavy, source.CheckSumMethod = csmNone;
  TFont font;
  font.SetName("Courier New");
  source.SetShowTextFont(font);
  source.DigitPositions[0] = 99;
  TChangeCounter sourceChanges(source);

  TVmBarcode c(nullptr);
  TChangeCounter copyChanges(c);
  c.Assign(&source);
  EXPECT_EQ(copyChanges.Count, 0);
  EXPECT_TRUE(c.GetHeight() == 7 && c.GetText() == "AB" && c.GetTop() == 3 && c.GetLeft() == 4);
  EXPECT_TRUE(c.GetModul() == 5 && c.GetRatio() == 2.5 && c.GetTyp() == bcCode93 && c.GetChecksum());
  EXPECT_TRUE(c.GetShowText() == bcoTyp && c.GetShowTextPosition() == stpBottomRight && c.GetAngle() == 45.0);
  EXPECT_TRUE(c.Color == clYellow && c.ColorBar == clNavy && c.CheckSumMethod == csmNone);
  EXPECT_NE(c.GetShowTextFont().GetName(), "Courier New");
  EXPECT_EQ(c.DigitPositions[0], 0);
  c.SetHeight(8);  // the copied event reports to the source's handler, with the copy as sender
  EXPECT_EQ(sourceChanges.Count, 100);
  TFont notABarcode;
  EXPECT_EQ(MessageOf<EConvertError>([&] { c.Assign(&notABarcode); }), "Cannot assign a TFont to a TVmBarcode");
}

TEST(BarcodeComponent, RatioIsCorrectedPerSymbologyWithAChangeEvent) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    TBarcodeType Typ;
    double Ratio, Expected;
  } cases[] = {
      {bcCode39, 1.5, 2.0},   {bcCode39, 4.0, 3.0},     {bcCodeEAN13, 2.5, 2.5},   {bcCode_2_5_matrix, 2.0, 2.25},
      {bcCode39, -inf, 2.0},  {bcCode39, inf, 3.0},     {bcCodeCodabar, nan, 2.0}, {bcCode_2_5_matrix, 3.5, 3.0},
      {bcCode128B, 1.5, 1.5}, {bcCode93, 5.0, 5.0},     {bcCodeMSI, 0.5, 0.5},     {bcCode128B, 0.0, 2.0},
      {bcCode93, -1.0, 2.0},  {bcCodeMSI, nan, 2.0},    {bcCodePostNet, inf, 2.0},
  };
  for (const auto& c : cases) {
    auto b = MakeBarcode(c.Typ, "12");
    b->SetRatio(c.Ratio);
    TChangeCounter changes(*b);
    b->EncodeModules();
    EXPECT_EQ(b->GetRatio(), c.Expected) << BCdata[c.Typ].Name << " " << c.Ratio;
    EXPECT_EQ(changes.Count, c.Expected == c.Ratio ? 0 : 1) << BCdata[c.Typ].Name << " " << c.Ratio;
  }
}

TEST(BarcodeComponent, ModuleWidthsAreWholePixelsOfAtLeastOne) {
  const struct {
    TBarcodeType Typ;
    int Modul;
    double Ratio;
    std::array<int, 4> Widths;
  } cases[] = {
      {bcCode_2_5_matrix, 2, 2.25, {2, 4, 6, 8}},  // 4.5 rounds to the even 4
      {bcCodeEAN13, 32, 2.0, {32, 64, 96, 128}},   // past a signed byte
      {bcCode39, 49, 3.0, {49, 147, 220, 294}},
      {bcCodePostNet, 1, 0.3, {1, 1, 1, 2}},  // a gap never vanishes
  };
  for (const auto& c : cases) {
    auto b = MakeBarcode(c.Typ, "1");
    b->SetModul(c.Modul), b->SetRatio(c.Ratio);
    b->ComputeModuleWidths();
    EXPECT_EQ(b->GetModuleWidths(), c.Widths) << BCdata[c.Typ].Name;
  }
  auto b = MakeBarcode(bcCode128B, "");
  b->SetModul(49), b->SetRatio(1e12);
  EXPECT_EQ(Message(*b), "TVmBarcode: barcode too wide");
  b->SetRatio(1e7);  // each module fits an int, their sum does not
  EXPECT_EQ(MessageOf<Exception>([&] { b->GetWidth(); }), "TVmBarcode: barcode too wide");
}

TEST(BarcodeComponent, ModuleAlphabetGivesWidthAndKind) {
  TVmBarcode b(nullptr);
  b.SetModul(3);
  b.ComputeModuleWidths();
  const TBarLineType kinds[] = {blSpace, blBar, blShortBar};
  for (int k = 0; k < 3; ++k)
    for (int w = 0; w < 4; ++w) {
      const TModuleInfo info = b.GetModuleInfo("05A"[k] + w);
      EXPECT_TRUE(info.Width == 3 * (w + 1) && info.Kind == kinds[k]) << k << w;
    }
  b.SetName("MyBarcode");  // the class name, not the component's, fills the message
  for (const char bad : {'4', '9', 'E', '/', '\0'})
    EXPECT_EQ(MessageOf<Exception>([&] { b.GetModuleInfo(bad); }), "TVmBarcode: internal Error");
}

TEST(BarcodeComponent, HelpersAndCheckDigits) {
  EXPECT_EQ(TVmBarcode::WidthsToModules("211412"), "605351");
  EXPECT_TRUE(TVmBarcode::DigitSum(0) == 0 && TVmBarcode::DigitSum(-48) == 0 && TVmBarcode::DigitSum(48) == 12);
  TVmBarcode b(nullptr);
  b.SetText("123");
  EXPECT_TRUE(b.PadLeftZeros(6) == "000123" && b.PadLeftZeros(2) == "123");
  EXPECT_EQ(barcode::AppendMod10CheckDigit("400638133393"), "4006381333931");
  EXPECT_EQ(barcode::AppendMod10CheckDigit("9638507"), "96385074");
  EXPECT_EQ(barcode::AppendMod10CheckDigit("03600029145"), "036000291452");
  EXPECT_EQ(barcode::AppendMod10CheckDigit(""), "0");
  EXPECT_TRUE(b.ApplyCheckSumMethod("123") == "1236" && barcode::ApplyCheckSumMethod(csmNone, "12") == "12");
  EXPECT_EQ(MessageOf<EConvertError>([] { barcode::AppendMod10CheckDigit("1A"); }), "'A' is not a valid integer value");
}

TEST(BarcodeComponent, TypeAndDigitChecksOfTheEncoding) {
  TVmBarcode b(nullptr);
  b.SetName("Other");
  b.SetTyp(static_cast<TBarcodeType>(23));
  EXPECT_EQ(Message(b), "TVmBarcode: wrong BarcodeType");
  EXPECT_EQ(MessageOf<Exception>([&] { b.GetTypeCaption(); }), "TVmBarcode: wrong BarcodeType");

  b.SetTyp(bcCodeEAN13);
  b.SetText(" 123 \t");
  TChangeCounter changes(b);
  b.EncodeModules();
  EXPECT_TRUE(b.GetText() == "123" && changes.Count == 0);
  const std::string withMarker = std::string("12") + FNC1Marker + "34";
  for (const TBarcodeType typ : {bcCode_2_5_interleaved, bcCodeMSI, bcCodePostNet, bcCodeEAN13, bcCodeUPC_E0,
                                 bcCodeUPC_Supp2, bcCode128C, bcCodeEAN128C}) {
    b.SetTyp(typ);
    b.SetText("12A4");
    EXPECT_EQ(Message(b), "Numeric/Numerique") << BCdata[typ].Name;
    b.SetText(withMarker);  // the FNC1 marker belongs to code set C only
    EXPECT_EQ(Message(b), typ == bcCode128C || typ == bcCodeEAN128C ? "<no exception>" : "Numeric/Numerique");
  }
}

TEST(BarcodeComponent, WidthIsTheSumOfTheModulesAndRescalesModul) {
  auto b = MakeBarcode(bcCodeEAN13, "");
  b->SetModul(1);
  EXPECT_EQ(b->GetWidth(), 95);  // as "0000000000000"
  TChangeCounter changes(*b);
  for (const int width : {0, 95 * 50, -95, std::numeric_limits<int>::max()}) b->SetWidth(width);
  EXPECT_TRUE(b->GetModul() == 1 && changes.Count == 0);
  b->SetWidth(95 * 3 + 94);  // truncates
  EXPECT_TRUE(b->GetModul() == 3 && changes.Count == 1);
  EXPECT_EQ(b->GetWidth(), 95 * 3);
}
