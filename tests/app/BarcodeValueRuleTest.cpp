#include "app/BarcodeValueRule.h"

#include <gtest/gtest.h>

#include "tests/barcode/BarcodeTestSupport.h"

namespace {

struct TRuleCase {
  TBarcodeType Typ;
  const char* Text;
  bool Valid;
};

const TRuleCase RuleCases[] = {
    {bcCodeEAN13, "12A4", false},
    {bcCode39, "12A4", true},
    {bcCodeEAN13, "12345678901234", false},
    {bcCodeEAN13, "  123  ", true},
    {bcCodeEAN13, "4006381333931", true},
    {bcCodeEAN8, "123456789", false},
    {bcCodeEAN8, "\t12345670 ", true},
    {bcCodeUPC_A, "1234567890123", false},
    {bcCodeUPC_A, "123456789012", true},
    {bcCode_2_5_interleaved, "12345", true},
    {bcCode_2_5_industrial, "12.5", false},
    {bcCodeMSI, "1234", true},
    {bcCodeMSI, "12a4", false},
    {bcCodePostNet, "12345", true},
    {bcCodePostNet, "1234X", false},
    {bcCodeUPC_E0, "123456", true},
    {bcCodeUPC_E0, "12345678", true},  // digits: the encoder, not the rule, refuses the length
    {bcCodeUPC_Supp2, "12", true},
    {bcCodeUPC_Supp2, "123", true},  // digits: the encoder, not the rule, refuses a third
    {bcCodeUPC_Supp5, "52495", true},
    // Code 93 and Codabar hold letters and signs, not only digits.
    {bcCode93, "TEST93", true},
    {bcCode93, "A-B. $/+%", true},
    {bcCode93, "test93", true},  // the rule takes any text; the encoder refuses lower case
    {bcCode93Extended, "test93", true},
    {bcCodeCodabar, "12-34$:/.+", true},
    {bcCodeCodabar, "12A34", true},  // the rule takes any text; A to D only start and stop
    // The rule takes any text for the Code 128 family: what the encoder
    // refuses stays as typed and is refused where it is drawn.
    {bcCode128C, "12A4", true},
    {bcCode128C, "123", true},
    {bcCodeEAN128C, "0101234567890128", true},
    {bcCodeEAN128C, "01-2345", true},
    {bcCode128B, "Label 1b", true},
    {bcCode128A, "lower", true},
    {bcCode39, "*12*", true},  // the encoder, not the rule, refuses the start/stop character
    {bcCode39Extended, "lower *", true},
    {bcCodeEAN128A, "ABC 123", true},
};

TEST(BarcodeValueRule, ValidityPerSymbology) {
  for (const auto& c : RuleCases)
    EXPECT_EQ(fglotextecodebarrevalide(c.Typ, c.Text), c.Valid) << BCdata[c.Typ].Name << " \"" << c.Text << '"';
}

// Types past the last one come from newer files; they take any text.
TEST(BarcodeValueRule, UnlistedTypesAcceptAnyText) {
  for (const int typ : {BarcodeTypeCount, 30, 255})
    for (const char* text : {"12345", "Any text 1"})
      EXPECT_TRUE(fglotextecodebarrevalide(static_cast<TBarcodeType>(typ), text)) << typ << " \"" << text << '"';
}

TEST(BarcodeValueRule, EmptyTextIsValidForEveryType) {
  for (int typ = 0; typ < BarcodeTypeCount; ++typ)
    EXPECT_TRUE(fglotextecodebarrevalide(static_cast<TBarcodeType>(typ), "")) << BCdata[typ].Name;
}

TEST(BarcodeValueRule, DigitsAfterTrimmingBlanksAndControlCharacters) {
  EXPECT_TRUE(fglotextechiffres(""));
  EXPECT_TRUE(fglotextechiffres(" \t0123456789\r\n"));
  EXPECT_FALSE(fglotextechiffres("12 34"));
  EXPECT_FALSE(fglotextechiffres("１２"));  // full-width digits are not decimal digits here
  EXPECT_FALSE(fglotextechiffres("-1"));
}

struct TValueCase {
  TBarcodeType Typ;
  const char* Text;
  TBarcodeValueVerdict Verdict;
  const char* Value;
  const char* Corrected;
};

using enum TBarcodeValueVerdict;

const TValueCase ValueCases[] = {
    {bcCodeEAN13, "400638133393", CheckDigitAdded, "4006381333931", ""},
    {bcCodeEAN13, " 400638133393 ", CheckDigitAdded, "4006381333931", ""},
    {bcCodeEAN13, "4006381333931", Accepted, "4006381333931", ""},
    {bcCodeEAN13, "4006381333932", WrongCheckDigit, "4006381333932", "4006381333931"},
    {bcCodeEAN13, "  123  ", Accepted, "  123  ", ""},  // printed 0000000000123, whose check digit is 3
    {bcCodeEAN13, "124", WrongCheckDigit, "124", "0000000000123"},
    {bcCodeEAN13, "", Accepted, "", ""},
    {bcCodeEAN13, "12A4", Refused, "0", ""},
    {bcCodeEAN8, "9638507", CheckDigitAdded, "96385074", ""},
    {bcCodeEAN8, "96385074", Accepted, "96385074", ""},
    {bcCodeEAN8, "96385071", WrongCheckDigit, "96385071", "96385074"},
    {bcCodeUPC_A, "03600029145", CheckDigitAdded, "036000291452", ""},
    {bcCodeUPC_A, "036000291452", Accepted, "036000291452", ""},
    {bcCodeUPC_A, "036000291450", WrongCheckDigit, "036000291450", "036000291452"},
    {bcCode93, "TEST93", Accepted, "TEST93", ""},
    {bcCodeCodabar, "40156", Accepted, "40156", ""},
    {bcCode39, "12A4", Accepted, "12A4", ""},
    {bcCode128C, "12A4", Accepted, "12A4", ""},  // the encoder refuses it where it is drawn
};

TEST(BarcodeValueRule, VerdictsAndValues) {
  for (const auto& c : ValueCases) {
    const TBarcodeValue value = CheckBarcodeValue(c.Typ, c.Text);
    EXPECT_EQ(value.Verdict, c.Verdict) << BCdata[c.Typ].Name << " \"" << c.Text << '"';
    EXPECT_EQ(value.Value, c.Value) << BCdata[c.Typ].Name << " \"" << c.Text << '"';
    EXPECT_EQ(value.Corrected, c.Corrected) << BCdata[c.Typ].Name << " \"" << c.Text << '"';
  }
}

// A scanner reads what the barcode prints: values the rule passes scan as the
// full number, and the corrected number of a wrong check digit scans too,
// while the wrong one does not.
TEST(BarcodeValueRule, PassedValuesScanAsTheIntendedNumber) {
  struct TScanCase {
    TBarcodeType Typ;
    const char* Text;
    const char* Scanned;
  };
  const TScanCase cases[] = {
      {bcCodeEAN13, "400638133393", "4006381333931"},
      {bcCodeEAN8, "9638507", "96385074"},
      {bcCodeUPC_A, "03600029145", "036000291452"},
      {bcCode93, "TEST93", "TEST93"},
  };
  for (const auto& c : cases) {
    const TBarcodeValue value = CheckBarcodeValue(c.Typ, c.Text);
    const auto scan = bctest::ScanPainted(*bctest::MakeBarcode(c.Typ, value.Value));
    EXPECT_TRUE(scan.second.ends_with(c.Scanned)) << c.Text << " scanned as " << scan.first << " " << scan.second;
  }
  const TBarcodeValue wrong = CheckBarcodeValue(bcCodeEAN13, "4006381333932");
  EXPECT_EQ(bctest::ScanPainted(*bctest::MakeBarcode(bcCodeEAN13, wrong.Value)).second, "");
  EXPECT_EQ(bctest::ScanPainted(*bctest::MakeBarcode(bcCodeEAN13, wrong.Corrected)).second, "4006381333931");
}

}  // namespace
