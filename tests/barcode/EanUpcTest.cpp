#include <gtest/gtest.h>

#include "BarcodeTestSupport.h"
#include "platform/rtl/Exception.h"

using namespace bctest;

namespace {

std::string LenError(TVmBarcode& b) { return MessageOf<EAssertionFailed>([&] { b.EncodeModules(); }); }
std::string Error(TVmBarcode& b) { return MessageOf<Exception>([&] { b.EncodeModules(); }); }

// The symbol as the test's decoder (EAN-13, UPC-A, UPC-E) or zbar reads it.
std::string Read(TVmBarcode& b) {
  switch (b.GetTyp()) {
    case bcCodeEAN13:
    case bcCodeUPC_A: return DecodeEan13(b.EncodeModules());
    case bcCodeUPC_E0:
    case bcCodeUPC_E1: return DecodeUpcE(b.EncodeModules());
    default: return ScanOne(b).Data;
  }
}

// Encodes, then checks the symbol read and Text, twice: a second encoding
// changes nothing.
void ExpectSymbol(TBarcodeType typ, const std::string& text, bool checksum, const std::string& stored,
                  const std::string& symbol) {
  auto b = MakeBarcode(typ, text, checksum);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Read(*b), symbol) << text << " " << checksum;
    EXPECT_EQ(b->GetText(), stored) << text << " " << checksum;
  }
}

}  // namespace

TEST(EanUpc, WorkedNumbersFromTheStandardTables) {
  // EAN-13: 4 selects L G L L G G for 0 0 6 3 8 1; then 3 3 3 9 3 1 in set R.
  const std::string ean13 = std::string("101") + "0001101" + "0100111" + "0101111" + "0111101" + "0001001" +
                            "0110011" + "01010" + "1000010" + "1000010" + "1000010" + "1110100" + "1000010" +
                            "1100110" + "101";
  // EAN-8: 9 6 3 8 in set L, 5 0 7 4 in set R.
  const std::string ean8 = std::string("101") + "0001011" + "0101111" + "0111101" + "0110111" + "01010" +
                           "1001110" + "1110010" + "1000100" + "1011100" + "101";
  const struct {
    TBarcodeType Typ;
    const char* Text;
    bool Checksum;
    const std::string& Bits;
    TScan Read;
  } cases[] = {
      {bcCodeEAN13, "4006381333931", false, ean13, {"EAN-13", "4006381333931"}},
      {bcCodeEAN13, "400638133393", true, ean13, {"EAN-13", "4006381333931"}},
      {bcCodeEAN8, "96385074", false, ean8, {"EAN-8", "96385074"}},
      {bcCodeEAN8, "9638507", true, ean8, {"EAN-8", "96385074"}},
  };
  for (const auto& c : cases) {
    auto b = MakeBarcode(c.Typ, c.Text, c.Checksum);
    EXPECT_EQ(ModuleBits(b->EncodeModules()), c.Bits);
    EXPECT_EQ(ScanOne(*b), c.Read);
    EXPECT_EQ(b->GetText(), c.Text);  // EAN texts are not rewritten
  }
  for (char first = '0'; first <= '9'; ++first) {  // every first-digit row, every digit in every set
    for (const char* rest : {"123456789012", "987654321098"}) {
      const std::string digits = first + std::string(rest);
      ExpectSymbol(bcCodeEAN13, digits, false, digits, digits);
    }
  }
  ExpectSymbol(bcCodeEAN8, "5678901", true, "5678901", "56789010");
  ExpectSymbol(bcCodeEAN8, "4321098", true, "4321098", "43210985");
}

TEST(EanUpc, EanPadsShortTextsAndRefusesWhatItWouldCut) {
  ExpectSymbol(bcCodeEAN13, "123", false, "123", "0000000000123");
  ExpectSymbol(bcCodeEAN13, "590123412345", true, "590123412345", "5901234123457");
  ExpectSymbol(bcCodeEAN8, "123", true, "123", "00001236");
  const struct {
    TBarcodeType Typ;
    const char* Text;
    bool Checksum;
    TCheckSumMethod Method;
    const char* Encoded;  // "" when refused
  } cases[] = {
      {bcCodeEAN13, "5901234123457", true, csmModulo10, ""},  // a check digit would make 14
      {bcCodeEAN13, "59012341234571", false, csmModulo10, ""},
      {bcCodeEAN13, "5901234123457", true, csmNone, "5901234123457"},
      {bcCodeEAN13, "590123412345", true, csmNone, ""},
      {bcCodeEAN8, "12345670", true, csmModulo10, ""},  // never the last seven digits instead
      {bcCodeEAN8, "123456709", false, csmModulo10, ""},
      {bcCodeEAN8, "12345670", true, csmNone, "12345670"},
      {bcCodeEAN8, "1234567", true, csmNone, ""},
  };
  for (const auto& c : cases) {
    auto b = MakeBarcode(c.Typ, c.Text, c.Checksum);
    b->CheckSumMethod = c.Method;
    if (*c.Encoded == '\0')
      EXPECT_EQ(LenError(*b), std::string("Invalid Text len (") + BCdata[c.Typ].Name + ")") << c.Text;
    else
      EXPECT_EQ(Read(*b), c.Encoded);
  }
}

TEST(EanUpc, UpcAKeepsEveryTypedDigit) {
  ExpectSymbol(bcCodeUPC_A, "03600029145", true, "036000291452", "0036000291452");
  ExpectSymbol(bcCodeUPC_A, "036000291459", true, "036000291452", "0036000291452");  // check's place
  ExpectSymbol(bcCodeUPC_A, "12345", true, "000000123457", "0000000123457");
  ExpectSymbol(bcCodeUPC_A, "12345", false, "000000012345", "0000000012345");
  auto b = MakeBarcode(bcCodeUPC_A, "03600029145", true);
  EXPECT_EQ(ScanOne(*b), (TScan{"UPC-A", "036000291452"}));
  for (const bool checksum : {false, true}) {
    b->SetChecksum(checksum);
    b->SetText("0360002914520");
    EXPECT_EQ(LenError(*b), "Invalid Text len (UPC_A)");
    EXPECT_EQ(b->GetText(), "0360002914520");
  }
}

TEST(EanUpc, UpcECarriesTheCheckDigitOfItsUpcAExpansion) {
  // Number system, six digits, check digit of the expansion by the sixth digit.
  for (const auto& [digits, symbol] : {std::pair{"123456", "01234565"}, std::pair{"654321", "06543217"},
                                       std::pair{"123453", "01234531"}, std::pair{"123414", "01234145"},
                                       std::pair{"123459", "01234596"}}) {
    ExpectSymbol(bcCodeUPC_E0, digits, false, digits, symbol);
    EXPECT_EQ(ScanOne(*MakeBarcode(bcCodeUPC_E0, digits)), (TScan{"UPC-E", symbol}));
  }
  ExpectSymbol(bcCodeUPC_E1, "123456", false, "123456", "11234562");
  ExpectSymbol(bcCodeUPC_E1, "654321", false, "654321", "16543214");
}

TEST(EanUpc, UpcETextForms) {
  ExpectSymbol(bcCodeUPC_E0, "123456", true, "1234565", "01234565");
  ExpectSymbol(bcCodeUPC_E0, "1234565", false, "1234565", "01234565");
  ExpectSymbol(bcCodeUPC_E0, "1234560", true, "1234565", "01234565");
  ExpectSymbol(bcCodeUPC_E0, "01234565", false, "01234565", "01234565");
  ExpectSymbol(bcCodeUPC_E0, "01234569", true, "01234565", "01234565");
  ExpectSymbol(bcCodeUPC_E0, "123", false, "000123", "00001233");
  ExpectSymbol(bcCodeUPC_E1, "11234562", false, "11234562", "11234562");
  ExpectSymbol(bcCodeUPC_E1, "123456", true, "1234562", "11234562");
  auto b = MakeBarcode(bcCodeUPC_E0, "123456", true);
  b->CheckSumMethod = csmNone;  // the parity still carries the check digit
  EXPECT_EQ(DecodeUpcE(b->EncodeModules()), "01234565");
  EXPECT_EQ(b->GetText(), "123456");
  b->SetText("1234560");
  EXPECT_EQ(Error(*b), "Invalid check digit (UPC_E0)");
  b->SetText("11234565");
  EXPECT_EQ(Error(*b), "Invalid number system (UPC_E0)");
  b->SetTyp(bcCodeUPC_E1);
  b->SetText("01234565");
  EXPECT_EQ(Error(*b), "Invalid number system (UPC_E1)");
  b->SetText("012345655");
  EXPECT_EQ(LenError(*b), "Invalid Text len (UPC_E1)");
}

TEST(EanUpc, AddOns) {
  // 52495: check digit 1 selects G L G L L. 34: 34 mod 4 = 2 selects G L.
  const std::string supp5 =
      std::string("1011") + "0111001" + "01" + "0010011" + "01" + "0011101" + "01" + "0001011" + "01" + "0110001";
  const std::string supp2 = std::string("1011") + "0100001" + "01" + "0100011";
  for (const bool checksum : {false, true}) {
    auto b5 = MakeBarcode(bcCodeUPC_Supp5, "52495", checksum);
    auto b2 = MakeBarcode(bcCodeUPC_Supp2, "34", checksum);
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(ModuleBits(b5->EncodeModules()), supp5);
      EXPECT_EQ(b5->GetText(), checksum ? "524951" : "52495");
      EXPECT_EQ(ModuleBits(b2->EncodeModules()), supp2);
      EXPECT_EQ(b2->GetText(), "34");  // no check digit, however often it is encoded
    }
    EXPECT_EQ(ScanOne(*b5), (TScan{"EAN-5", "52495"}));
    EXPECT_EQ(ScanOne(*b2), (TScan{"EAN-2", "34"}));
  }
  ExpectSymbol(bcCodeUPC_Supp5, "7", false, "00007", "00007");
  for (const char* text : {"00", "01", "02", "03", "99"}) ExpectSymbol(bcCodeUPC_Supp2, text, true, text, text);
  ExpectSymbol(bcCodeUPC_Supp2, "5", false, "05", "05");
  auto b = MakeBarcode(bcCodeUPC_Supp5, "524950");
  EXPECT_EQ(Error(*b), "Invalid check digit (UPC Supp5)");
  b->SetText("5249512");
  EXPECT_EQ(LenError(*b), "Invalid Text len (UPC Supp5)");
  b->SetTyp(bcCodeUPC_Supp2);
  b->SetText("345");
  EXPECT_EQ(LenError(*b), "Invalid Text len (UPC Supp2)");
}
