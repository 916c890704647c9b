#include <gtest/gtest.h>

#include "BarcodeTestSupport.h"
#include "platform/rtl/Exception.h"

using bctest::DecodeAddOn;
using bctest::DecodeEan13;
using bctest::DecodeEan8;
using bctest::DecodeUpcE;
using bctest::MakeBarcode;
using bctest::MessageOf;
using bctest::ModuleBits;
using bctest::ScanOne;
using bctest::TScan;

namespace {

std::string LenError(TVmBarcode& barcode) {
  return MessageOf<EAssertionFailed>([&] { barcode.EncodeModules(); });
}

std::string Error(TVmBarcode& barcode) {
  return MessageOf<Exception>([&] { barcode.EncodeModules(); });
}

}  // namespace

TEST(EanUpc, Ean13WorkedNumberWithAndWithoutChecksum) {
  // 4 selects L G L L G G for the left digits 0 0 6 3 8 1; the right half is 3 3 3 9 3 1 in set R.
  const std::string expected = std::string("101") + "0001101" + "0100111" + "0101111" + "0111101" + "0001001" +
                               "0110011" + "01010" + "1000010" + "1000010" + "1000010" + "1110100" + "1000010" +
                               "1100110" + "101";
  for (const auto& [text, checksum] : {std::pair{"4006381333931", false}, std::pair{"400638133393", true}}) {
    auto barcode = MakeBarcode(bcCodeEAN13, text, checksum);
    const std::string modules = barcode->EncodeModules();
    EXPECT_EQ(ModuleBits(modules), expected);
    EXPECT_EQ(DecodeEan13(modules), "4006381333931");
    EXPECT_EQ(ScanOne(*barcode), (TScan{"EAN-13", "4006381333931"}));
    EXPECT_EQ(barcode->GetText(), text);
  }
}

TEST(EanUpc, Ean13PadsShortTextsAndRefusesLongOnes) {
  auto barcode = MakeBarcode(bcCodeEAN13, "123");
  EXPECT_EQ(DecodeEan13(barcode->EncodeModules()), "0000000000123");
  EXPECT_EQ(barcode->GetText(), "123");
  barcode->SetChecksum(true);
  barcode->SetText("590123412345");
  EXPECT_EQ(DecodeEan13(barcode->EncodeModules()), "5901234123457");
  EXPECT_EQ(barcode->GetText(), "590123412345");
  barcode->SetText("5901234123457");  // a check digit would make 14
  EXPECT_EQ(LenError(*barcode), "Invalid Text len (EAN13)");
  barcode->SetChecksum(false);
  barcode->SetText("59012341234571");
  EXPECT_EQ(LenError(*barcode), "Invalid Text len (EAN13)");
  barcode->SetChecksum(true);  // a method that adds nothing takes the whole number
  barcode->CheckSumMethod = csmNone;
  barcode->SetText("5901234123457");
  EXPECT_EQ(DecodeEan13(barcode->EncodeModules()), "5901234123457");
  barcode->SetText("590123412345");
  EXPECT_EQ(LenError(*barcode), "Invalid Text len (EAN13)");
}

TEST(EanUpc, Ean8EncodesTheTypedNumber) {
  const std::string expected = std::string("101") + "0001011" + "0101111" + "0111101" + "0110111" + "01010" +
                               "1001110" + "1110010" + "1000100" + "1011100" + "101";
  for (const auto& [text, checksum] : {std::pair{"96385074", false}, std::pair{"9638507", true}}) {
    auto barcode = MakeBarcode(bcCodeEAN8, text, checksum);
    const std::string modules = barcode->EncodeModules();
    EXPECT_EQ(ModuleBits(modules), expected);
    EXPECT_EQ(ScanOne(*barcode), (TScan{"EAN-8", "96385074"}));
    EXPECT_EQ(barcode->GetText(), text);
  }
  auto barcode = MakeBarcode(bcCodeEAN8, "123", true);
  EXPECT_EQ(DecodeEan8(barcode->EncodeModules()), "00001236");
  // Eight digits and Checksum: the check digit would be a ninth; never drop the first digit instead.
  barcode->SetText("12345670");
  EXPECT_EQ(LenError(*barcode), "Invalid Text len (EAN8)");
  barcode->SetChecksum(false);
  barcode->SetText("123456709");
  EXPECT_EQ(LenError(*barcode), "Invalid Text len (EAN8)");
  barcode->SetChecksum(true);
  barcode->CheckSumMethod = csmNone;
  barcode->SetText("1234567");
  EXPECT_EQ(LenError(*barcode), "Invalid Text len (EAN8)");
  barcode->SetText("12345670");
  EXPECT_EQ(DecodeEan8(barcode->EncodeModules()), "12345670");
}

TEST(EanUpc, UpcAKeepsEveryTypedDigit) {
  struct TCase {
    const char* Text;
    bool Checksum;
    const char* StoredText;
  };
  const TCase cases[] = {
      {"03600029145", true, "036000291452"},   // eleven digits and their check digit
      {"036000291459", true, "036000291452"},  // the twelfth is the check digit's place
      {"12345", true, "000000123457"},
      {"036000291452", false, "036000291452"},
      {"12345", false, "000000012345"},
  };
  for (const TCase& c : cases) {
    auto barcode = MakeBarcode(bcCodeUPC_A, c.Text, c.Checksum);
    const std::string modules = barcode->EncodeModules();
    EXPECT_EQ(barcode->GetText(), c.StoredText) << c.Text;
    EXPECT_EQ(DecodeEan13(modules), std::string("0") + c.StoredText) << c.Text;
    EXPECT_EQ(barcode->EncodeModules(), modules);
    EXPECT_EQ(barcode->GetText(), c.StoredText);
  }
  auto barcode = MakeBarcode(bcCodeUPC_A, "03600029145", true);
  EXPECT_EQ(ScanOne(*barcode), (TScan{"UPC-A", "036000291452"}));
  for (const bool checksum : {false, true}) {
    barcode->SetChecksum(checksum);
    barcode->SetText("0360002914520");
    EXPECT_EQ(LenError(*barcode), "Invalid Text len (UPC_A)");
    EXPECT_EQ(barcode->GetText(), "0360002914520");
  }
}

TEST(EanUpc, UpcECarriesTheCheckDigitOfItsUpcAExpansion) {
  // Six digits and the number system with check digit, from the expansion by the sixth digit.
  const std::pair<const char*, const char*> e0[] = {
      {"123456", "01234565"}, {"654321", "06543217"}, {"123453", "01234531"},
      {"123414", "01234145"}, {"123459", "01234596"},
  };
  for (const auto& [digits, symbol] : e0) {
    auto barcode = MakeBarcode(bcCodeUPC_E0, digits);
    EXPECT_EQ(DecodeUpcE(barcode->EncodeModules()), symbol);
    EXPECT_EQ(ScanOne(*barcode), (TScan{"UPC-E", symbol}));
  }
  const std::pair<const char*, const char*> e1[] = {{"123456", "11234562"}, {"654321", "16543214"}};
  for (const auto& [digits, symbol] : e1) {
    auto barcode = MakeBarcode(bcCodeUPC_E1, digits);
    EXPECT_EQ(DecodeUpcE(barcode->EncodeModules()), symbol);
  }
}

TEST(EanUpc, UpcETextForms) {
  struct TCase {
    TBarcodeType Typ;
    const char* Text;
    bool Checksum;
    const char* StoredText;
    const char* Symbol;
  };
  const TCase cases[] = {
      {bcCodeUPC_E0, "123456", false, "123456", "01234565"},
      {bcCodeUPC_E0, "123456", true, "1234565", "01234565"},
      {bcCodeUPC_E0, "1234565", false, "1234565", "01234565"},
      {bcCodeUPC_E0, "1234560", true, "1234565", "01234565"},
      {bcCodeUPC_E0, "01234565", false, "01234565", "01234565"},
      {bcCodeUPC_E0, "01234569", true, "01234565", "01234565"},
      {bcCodeUPC_E0, "123", false, "000123", "00001233"},
      {bcCodeUPC_E1, "11234562", false, "11234562", "11234562"},
      {bcCodeUPC_E1, "123456", true, "1234562", "11234562"},
  };
  for (const TCase& c : cases) {
    auto barcode = MakeBarcode(c.Typ, c.Text, c.Checksum);
    EXPECT_EQ(DecodeUpcE(barcode->EncodeModules()), c.Symbol) << c.Text;
    EXPECT_EQ(barcode->GetText(), c.StoredText) << c.Text;
    EXPECT_EQ(DecodeUpcE(barcode->EncodeModules()), c.Symbol) << c.Text;
    EXPECT_EQ(barcode->GetText(), c.StoredText) << c.Text;
  }
  // Without a method the check digit is still the parity.
  auto barcode = MakeBarcode(bcCodeUPC_E0, "123456", true);
  barcode->CheckSumMethod = csmNone;
  EXPECT_EQ(DecodeUpcE(barcode->EncodeModules()), "01234565");
  EXPECT_EQ(barcode->GetText(), "123456");

  barcode->SetText("1234560");
  EXPECT_EQ(Error(*barcode), "Invalid check digit (UPC_E0)");
  barcode->SetText("11234565");
  EXPECT_EQ(Error(*barcode), "Invalid number system (UPC_E0)");
  barcode->SetTyp(bcCodeUPC_E1);
  barcode->SetText("01234565");
  EXPECT_EQ(Error(*barcode), "Invalid number system (UPC_E1)");
  barcode->SetText("012345655");
  EXPECT_EQ(LenError(*barcode), "Invalid Text len (UPC_E1)");
}

TEST(EanUpc, FiveDigitAddOn) {
  // Check digit 1 selects G L G L L for 5 2 4 9 5.
  const std::string expected =
      std::string("1011") + "0111001" + "01" + "0010011" + "01" + "0011101" + "01" + "0001011" + "01" + "0110001";
  auto barcode = MakeBarcode(bcCodeUPC_Supp5, "52495");
  EXPECT_EQ(ModuleBits(barcode->EncodeModules()), expected);
  EXPECT_EQ(ScanOne(*barcode), (TScan{"EAN-5", "52495"}));
  EXPECT_EQ(barcode->GetText(), "52495");
  barcode->SetChecksum(true);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ModuleBits(barcode->EncodeModules()), expected);
    EXPECT_EQ(barcode->GetText(), "524951");
  }
  barcode->SetChecksum(false);
  barcode->SetText("7");
  EXPECT_EQ(DecodeAddOn(barcode->EncodeModules()), "00007");
  EXPECT_EQ(barcode->GetText(), "00007");
  barcode->SetText("524950");
  EXPECT_EQ(Error(*barcode), "Invalid check digit (UPC Supp5)");
  for (const bool checksum : {false, true}) {
    barcode->SetChecksum(checksum);
    barcode->SetText("5249512");
    EXPECT_EQ(LenError(*barcode), "Invalid Text len (UPC Supp5)");
  }
}

TEST(EanUpc, TwoDigitAddOn) {
  // 34 mod 4 = 2: G L.
  const std::string expected = std::string("1011") + "0100001" + "01" + "0100011";
  auto barcode = MakeBarcode(bcCodeUPC_Supp2, "34", true);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ModuleBits(barcode->EncodeModules()), expected);
    EXPECT_EQ(barcode->GetText(), "34");
  }
  EXPECT_EQ(ScanOne(*barcode), (TScan{"EAN-2", "34"}));
  for (const char* text : {"00", "01", "02", "03", "99", "5"}) {
    barcode->SetText(text);
    const std::string modules = barcode->EncodeModules();
    EXPECT_EQ(DecodeAddOn(modules), barcode->GetText());
    EXPECT_EQ(ScanOne(*barcode).Data, barcode->GetText());
  }
  EXPECT_EQ(barcode->GetText(), "05");
  barcode->SetText("345");
  EXPECT_EQ(LenError(*barcode), "Invalid Text len (UPC Supp2)");
}

TEST(EanUpc, EveryDigitInEveryNumberSetRoundTrips) {
  for (const char* text : {"0123456789012", "9876543210987", "5555555555555", "1111111111116"}) {
    auto barcode = MakeBarcode(bcCodeEAN13, text);
    EXPECT_EQ(DecodeEan13(barcode->EncodeModules()), text);
  }
  for (const char* text : {"01234567", "89012345", "98765432"}) {
    auto barcode = MakeBarcode(bcCodeEAN8, text);
    EXPECT_EQ(DecodeEan8(barcode->EncodeModules()), text);
  }
}
