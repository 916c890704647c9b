#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "BarcodeTestSupport.h"
#include "barcode/Barcode.h"
#include "barcode/CheckSum.h"
#include "platform/rtl/Exception.h"

using bctest::MessageOf;

namespace {

// Counts OnChange calls and checks their sender.
struct TChangeCounter {
  int Count = 0;
  explicit TChangeCounter(TVmBarcode& barcode) {
    barcode.OnChange = [this, &barcode](TPersistent* sender) {
      EXPECT_EQ(sender, &barcode);
      ++Count;
    };
  }
};

}  // namespace

TEST(BarcodeComponent, StartsWithTheDocumentedValues) {
  TVmBarcode barcode(nullptr);
  EXPECT_EQ(barcode.ClassName(), "TVmBarcode");
  EXPECT_EQ(barcode.GetHeight(), 0);
  EXPECT_EQ(barcode.GetText(), "");
  EXPECT_EQ(barcode.GetTop(), 0);
  EXPECT_EQ(barcode.GetLeft(), 0);
  EXPECT_EQ(barcode.GetModul(), 1);
  EXPECT_EQ(barcode.GetRatio(), 2.0);
  EXPECT_EQ(barcode.GetTyp(), bcCodeEAN13);
  EXPECT_FALSE(barcode.GetChecksum());
  EXPECT_EQ(barcode.GetShowText(), bcoNone);
  EXPECT_EQ(barcode.GetAngle(), 0.0);
  EXPECT_EQ(barcode.Color, 0xFFFFFF);
  EXPECT_EQ(barcode.ColorBar, 0);
  EXPECT_EQ(barcode.CheckSumMethod, csmModulo10);
  EXPECT_FALSE(barcode.OnChange);
  EXPECT_EQ(barcode.GetShowTextPosition(), stpTopLeft);
  EXPECT_EQ(barcode.GetShowTextFont().GetHeight(), TFont().GetHeight());
}

TEST(BarcodeComponent, OrdinalsAndCaptionsAreThoseStoredInDocuments) {
  static_assert(bcCode_2_5_interleaved == 0 && bcCode39 == 3 && bcCode128C == 7 && bcCodeCodabar == 12);
  static_assert(bcCodeEAN13 == 14 && bcCodeUPC_Supp5 == 19 && bcCodeEAN128C == 22);
  static_assert(bcoBoth == 3 && stpBottomLeft == 3 && stpBottomCenter == 5 && csmModulo10 == 1);
  const char* captions[] = {"2_5_interleaved", "2_5_industrial", "2_5_matrix", "Code39", "Code39 Extended",
                            "Code128A", "Code128B", "Code128C", "Code93", "Code93 Extended", "MSI", "PostNet",
                            "Codebar", "EAN8", "EAN13", "UPC_A", "UPC_E0", "UPC_E1", "UPC Supp2", "UPC Supp5",
                            "EAN128A", "EAN128B", "EAN128C"};
  TVmBarcode barcode(nullptr);
  for (int typ = 0; typ < BarcodeTypeCount; ++typ) {
    barcode.SetTyp(static_cast<TBarcodeType>(typ));
    EXPECT_EQ(barcode.GetTypeCaption(), captions[typ]);
  }
  const bool digitsOnly[] = {1, 1, 1, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1};
  for (int typ = 0; typ < BarcodeTypeCount; ++typ) EXPECT_EQ(BCdata[typ].Num, digitsOnly[typ]) << typ;
}

TEST(BarcodeComponent, SettersSignalOnlyRealChanges) {
  TVmBarcode barcode(nullptr);
  TChangeCounter changes(barcode);
  barcode.SetHeight(0);
  barcode.SetText("");
  barcode.SetTyp(bcCodeEAN13);
  barcode.SetRatio(2.0);
  barcode.SetAngle(0.0);
  barcode.SetShowText(bcoNone);
  barcode.SetShowTextPosition(stpTopLeft);
  barcode.SetChecksum(false);
  EXPECT_EQ(changes.Count, 0);
  barcode.SetHeight(80);
  barcode.SetText("123");
  barcode.SetTop(4);
  barcode.SetLeft(5);
  barcode.SetTyp(bcCode39);
  barcode.SetRatio(2.5);
  barcode.SetAngle(90.0);
  barcode.SetShowText(bcoBoth);
  barcode.SetShowTextPosition(stpBottomCenter);
  barcode.SetChecksum(true);
  EXPECT_EQ(changes.Count, 10);
  barcode.SetShowTextFont(barcode.GetShowTextFont());  // always a change
  EXPECT_EQ(changes.Count, 11);
  barcode.Color = clRed;  // plain fields
  barcode.CheckSumMethod = csmNone;
  EXPECT_EQ(changes.Count, 11);
}

TEST(BarcodeComponent, ModulAcceptsOneToFortyNineAndSignalsEvenTheSameValue) {
  TVmBarcode barcode(nullptr);
  TChangeCounter changes(barcode);
  barcode.SetModul(0);
  barcode.SetModul(50);
  barcode.SetModul(-3);
  EXPECT_EQ(barcode.GetModul(), 1);
  EXPECT_EQ(changes.Count, 0);
  barcode.SetModul(1);
  EXPECT_EQ(changes.Count, 1);
  barcode.SetModul(49);
  EXPECT_EQ(barcode.GetModul(), 49);
  EXPECT_EQ(changes.Count, 2);
}

TEST(BarcodeComponent, ShowTextFontTakesTheAttributesOfTheGivenFont) {
  TVmBarcode barcode(nullptr);
  TFont font;
  font.SetName("Arial");
  font.SetSize(20);
  font.SetColor(clBlue);
  barcode.SetShowTextFont(font);
  EXPECT_EQ(barcode.GetShowTextFont().GetName(), "Arial");
  EXPECT_EQ(barcode.GetShowTextFont().GetSize(), 20);
  EXPECT_EQ(barcode.GetShowTextFont().GetColor(), clBlue);
  EXPECT_NE(&barcode.GetShowTextFont(), &font);
}

TEST(BarcodeComponent, AssignCopiesTheSettingsButNotFontOrDigitPositions) {
  TVmBarcode source(nullptr);
  int sourceChanges = 0;
  source.SetHeight(7), source.SetText("ABC"), source.SetTop(3), source.SetLeft(4), source.SetModul(5);
  source.SetRatio(2.5), source.SetTyp(bcCode93), source.SetChecksum(true), source.SetShowText(bcoTyp);
  source.SetShowTextPosition(stpBottomRight), source.SetAngle(45.0);
  source.Color = clYellow, source.ColorBar = clNavy, source.CheckSumMethod = csmNone;
  TFont font;
  font.SetName("Courier New");
  source.SetShowTextFont(font);
  source.OnChange = [&](TPersistent*) { ++sourceChanges; };
  source.DigitPositions[0] = 99;

  TVmBarcode copy(nullptr);
  int copyChanges = 0;
  copy.OnChange = [&](TPersistent*) { ++copyChanges; };
  copy.Assign(&source);
  EXPECT_EQ(copyChanges, 0);
  EXPECT_EQ(copy.GetHeight(), 7);
  EXPECT_EQ(copy.GetText(), "ABC");
  EXPECT_EQ(copy.GetTop(), 3);
  EXPECT_EQ(copy.GetLeft(), 4);
  EXPECT_EQ(copy.GetModul(), 5);
  EXPECT_EQ(copy.GetRatio(), 2.5);
  EXPECT_EQ(copy.GetTyp(), bcCode93);
  EXPECT_TRUE(copy.GetChecksum());
  EXPECT_EQ(copy.GetShowText(), bcoTyp);
  EXPECT_EQ(copy.GetShowTextPosition(), stpBottomRight);
  EXPECT_EQ(copy.GetAngle(), 45.0);
  EXPECT_EQ(copy.Color, clYellow);
  EXPECT_EQ(copy.ColorBar, clNavy);
  EXPECT_EQ(copy.CheckSumMethod, csmNone);
  EXPECT_NE(copy.GetShowTextFont().GetName(), "Courier New");
  EXPECT_EQ(copy.DigitPositions[0], 0);
  copy.SetHeight(8);  // the copied event now reports to the source's handler
  EXPECT_EQ(sourceChanges, 1);

  TFont notABarcode;
  EXPECT_EQ(MessageOf<EConvertError>([&] { copy.Assign(&notABarcode); }), "Cannot assign a TFont to a TVmBarcode");
}

TEST(BarcodeComponent, RatioIsClampedPerSymbologyWithAChangeEvent) {
  struct TCase {
    TBarcodeType Typ;
    double Ratio;
    double Expected;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const TCase cases[] = {
      {bcCode39, 1.5, 2.0},          {bcCode39, 4.0, 3.0},         {bcCodeEAN13, 2.5, 2.5},
      {bcCode_2_5_matrix, 2.0, 2.25}, {bcCode_2_5_matrix, 3.5, 3.0}, {bcCodeCodabar, nan, 2.0},
      {bcCode39, -inf, 2.0},         {bcCode39, inf, 3.0},         {bcCode128B, 1.5, 1.5},
      {bcCode93, 5.0, 5.0},          {bcCodeMSI, 0.5, 0.5},        {bcCode128B, 0.0, 2.0},
      {bcCode93, -1.0, 2.0},         {bcCodeMSI, nan, 2.0},        {bcCodePostNet, inf, 2.0},
  };
  for (const TCase& c : cases) {
    auto barcode = bctest::MakeBarcode(c.Typ, "12");
    barcode->SetRatio(c.Ratio);
    TChangeCounter changes(*barcode);
    barcode->EncodeModules();
    EXPECT_EQ(barcode->GetRatio(), c.Expected) << BCdata[c.Typ].Name << " " << c.Ratio;
    EXPECT_EQ(changes.Count, c.Expected == c.Ratio ? 0 : 1) << BCdata[c.Typ].Name << " " << c.Ratio;
  }
}

TEST(BarcodeComponent, ModuleWidthsAreWholePixelsOfAtLeastOne) {
  struct TCase {
    TBarcodeType Typ;
    int Modul;
    double Ratio;
    std::array<int, 4> Widths;
  };
  const TCase cases[] = {
      {bcCode_2_5_matrix, 2, 2.25, {2, 4, 6, 8}},  // 4.5 rounds to the even 4
      {bcCodeEAN13, 32, 2.0, {32, 64, 96, 128}},   // past a signed byte
      {bcCode39, 49, 3.0, {49, 147, 220, 294}},
      {bcCode128B, 1, 1.5, {1, 2, 3, 4}},
      {bcCodePostNet, 1, 0.3, {1, 1, 1, 2}},  // a space never vanishes
  };
  for (const TCase& c : cases) {
    auto barcode = bctest::MakeBarcode(c.Typ, "1");
    barcode->SetModul(c.Modul);
    barcode->SetRatio(c.Ratio);
    barcode->ComputeModuleWidths();
    EXPECT_EQ(barcode->GetModuleWidths(), c.Widths) << BCdata[c.Typ].Name;
  }
  auto ean = bctest::MakeBarcode(bcCodeEAN13, "");
  ean->SetModul(32);
  EXPECT_EQ(ean->GetWidth(), 95 * 32);
}

TEST(BarcodeComponent, AbsurdRatiosAndWidthsAreRefused) {
  auto barcode = bctest::MakeBarcode(bcCode128B, "");
  barcode->SetModul(49);
  barcode->SetRatio(1e12);
  EXPECT_EQ(MessageOf<Exception>([&] { barcode->EncodeModules(); }), "TVmBarcode: barcode too wide");
  barcode->SetRatio(1e7);  // each module fits, their sum does not
  EXPECT_EQ(MessageOf<Exception>([&] { barcode->GetWidth(); }), "TVmBarcode: barcode too wide");
}

TEST(BarcodeComponent, ModuleAlphabetGivesWidthAndKind) {
  TVmBarcode barcode(nullptr);
  barcode.SetModul(3);
  barcode.ComputeModuleWidths();
  const std::string kinds[] = {"0123", "5678", "ABCD"};
  const TBarLineType expected[] = {blSpace, blBar, blShortBar};
  for (int k = 0; k < 3; ++k)
    for (int w = 0; w < 4; ++w) {
      const TModuleInfo info = barcode.GetModuleInfo(kinds[k][w]);
      EXPECT_EQ(info.Width, 3 * (w + 1));
      EXPECT_EQ(info.Kind, expected[k]);
    }
  barcode.SetName("MyBarcode");  // the class name, not the component's, fills the message
  for (const char bad : {'4', '9', 'E', '/', '\0'})
    EXPECT_EQ(MessageOf<Exception>([&] { barcode.GetModuleInfo(bad); }), "TVmBarcode: internal Error");
}

TEST(BarcodeComponent, HelpersOfTheEncoders) {
  EXPECT_EQ(TVmBarcode::WidthsToModules("211412"), "605351");
  EXPECT_EQ(TVmBarcode::WidthsToModules(""), "");
  EXPECT_EQ(TVmBarcode::DigitSum(0), 0);
  EXPECT_EQ(TVmBarcode::DigitSum(-48), 0);
  EXPECT_EQ(TVmBarcode::DigitSum(48), 12);
  EXPECT_EQ(TVmBarcode::DigitSum(2147483647), 46);
  TVmBarcode barcode(nullptr);
  barcode.SetText("123");
  EXPECT_EQ(barcode.PadLeftZeros(6), "000123");
  EXPECT_EQ(barcode.PadLeftZeros(2), "123");
}

TEST(BarcodeComponent, Modulo10CheckDigits) {
  EXPECT_EQ(barcode::AppendMod10CheckDigit("400638133393"), "4006381333931");
  EXPECT_EQ(barcode::AppendMod10CheckDigit("9638507"), "96385074");
  EXPECT_EQ(barcode::AppendMod10CheckDigit("03600029145"), "036000291452");
  EXPECT_EQ(barcode::AppendMod10CheckDigit("590123412345"), "5901234123457");
  EXPECT_EQ(barcode::AppendMod10CheckDigit(""), "0");
  EXPECT_EQ(barcode::ApplyCheckSumMethod(csmNone, "123"), "123");
  EXPECT_EQ(barcode::ApplyCheckSumMethod(csmModulo10, "123"), "1236");
  EXPECT_EQ(MessageOf<EConvertError>([] { barcode::AppendMod10CheckDigit("12A"); }),
            "'A' is not a valid integer value");
}

TEST(BarcodeComponent, WrongTypeOrdinalsAreRefused) {
  TVmBarcode barcode(nullptr);
  barcode.SetName("Other");
  barcode.SetTyp(static_cast<TBarcodeType>(23));
  EXPECT_EQ(MessageOf<Exception>([&] { barcode.EncodeModules(); }), "TVmBarcode: wrong BarcodeType");
  EXPECT_EQ(MessageOf<Exception>([&] { barcode.GetTypeCaption(); }), "TVmBarcode: wrong BarcodeType");
  EXPECT_EQ(MessageOf<Exception>([&] { barcode.GetWidth(); }), "TVmBarcode: wrong BarcodeType");
}

TEST(BarcodeComponent, DigitsOnlyTypesTrimAndRefuseOtherCharacters) {
  auto barcode = bctest::MakeBarcode(bcCodeEAN13, " 123 \t");
  TChangeCounter changes(*barcode);
  barcode->EncodeModules();
  EXPECT_EQ(barcode->GetText(), "123");
  EXPECT_EQ(changes.Count, 0);
  for (const TBarcodeType typ : {bcCode_2_5_interleaved, bcCodeMSI, bcCodePostNet, bcCodeEAN13, bcCodeUPC_E0,
                                 bcCodeUPC_Supp2, bcCode128C, bcCodeEAN128C}) {
    barcode->SetTyp(typ);
    barcode->SetText("12A4");
    EXPECT_EQ(MessageOf<Exception>([&] { barcode->EncodeModules(); }), "Numeric/Numerique") << BCdata[typ].Name;
  }
  // The FNC1 marker belongs to code set C; elsewhere it would index the digit tables.
  for (const TBarcodeType typ : {bcCode_2_5_industrial, bcCodeMSI, bcCodePostNet, bcCodeEAN8, bcCodeUPC_A}) {
    barcode->SetTyp(typ);
    barcode->SetText(std::string("12") + FNC1Marker + "34");
    EXPECT_EQ(MessageOf<Exception>([&] { barcode->EncodeModules(); }), "Numeric/Numerique") << BCdata[typ].Name;
  }
  barcode->SetTyp(bcCode128C);
  EXPECT_NO_THROW(barcode->EncodeModules());
}

TEST(BarcodeComponent, WidthIsTheSumOfTheModulesAndRescalesModul) {
  auto barcode = bctest::MakeBarcode(bcCodeEAN13, "");
  barcode->SetModul(1);
  EXPECT_EQ(barcode->GetWidth(), 95);  // as "0000000000000"
  TChangeCounter changes(*barcode);
  barcode->SetWidth(0);  // asks for Modul 0
  barcode->SetWidth(95 * 50);
  barcode->SetWidth(-95);
  barcode->SetWidth(std::numeric_limits<int>::max());
  EXPECT_EQ(barcode->GetModul(), 1);
  EXPECT_EQ(changes.Count, 0);
  barcode->SetWidth(95 * 3 + 94);  // truncates
  EXPECT_EQ(barcode->GetModul(), 3);
  EXPECT_EQ(changes.Count, 1);
  EXPECT_EQ(barcode->GetWidth(), 95 * 3);
}
