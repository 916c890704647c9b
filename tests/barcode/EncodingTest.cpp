// The module strings of the encoders against patterns derived by hand from
// the published tables and independent decoders; zbar reads what
// PaintBarcode drew for every symbology it knows, at several module widths
// and angles, and the text keeps what the user typed, however often it is
// encoded.

#include <gtest/gtest.h>

#include <tuple>

#include "BarcodeTestSupport.h"

using namespace bctest;

namespace {

std::string Modules(TBarcodeType typ, const std::string& text, bool checksum = false) {
  return MakeBarcode(typ, text, checksum)->EncodeModules();
}

std::string Raw(std::string_view modules) { return std::string(modules); }

// MSI digits (check digit last): "60", four bits a digit ("60" one, "51" zero), "515".
std::string DecodeMsi(const std::string& m) {
  if (m.size() % 8 != 5 || !m.starts_with("60") || !m.ends_with("515")) return "?";
  std::string digits;
  for (std::size_t pos = 2; pos + 3 < m.size(); pos += 8) {
    int value = 0;
    for (std::size_t bit = pos; bit < pos + 8; bit += 2) value = value * 2 + (m.compare(bit, 2, "60") == 0);
    digits += static_cast<char>('0' + value);
  }
  return digits;
}

// POSTNET digits: of the bars weighing 7, 4, 2, 1 and 0, two are tall; 7 + 4 stands for 0.
std::string DecodePostNet(const std::string& m) {
  if (m.size() % 10 != 3 || !m.starts_with("51") || m.back() != '5') return "?";
  std::string digits;
  for (std::size_t pos = 2; pos + 1 < m.size(); pos += 10) {
    int value = 0, tall = 0;
    for (int bar = 0; bar < 5; ++bar) {
      if (m[pos + 2 * bar + 1] != '1') return "?";
      if (m[pos + 2 * bar] == '5') value += "74210"[bar] - '0', ++tall;
    }
    digits += tall == 2 ? static_cast<char>('0' + value % 11) : '?';
  }
  return digits;
}

struct TSymbol {
  TBarcodeType Typ;
  std::string Text;
  bool Checksum;
  std::string Symbology;
  std::string Read = "";    // "" for Text
  std::string Stored = "";  // "" for Text
};
void PrintTo(const TSymbol& symbol, std::ostream* os) { *os << BCdata[symbol.Typ].Name << " '" << symbol.Text << "'"; }

std::string Characters(int first, int last) {
  std::string text;
  for (int c = first; c <= last; ++c) text += static_cast<char>(c);
  return text;
}

const std::string Code39Set = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

// Symbologies whose elements are whole multiples of the narrow module.
std::vector<TSymbol> ModuleSymbols() {
  std::string pairs;
  for (int i = 100; i < 200; ++i) pairs += std::to_string(i).substr(1);
  std::vector<TSymbol> symbols = {
      {bcCode128A, Characters(' ', '_'), false, "CODE-128"},
      {bcCode128B, Characters(' ', '~'), false, "CODE-128"},
      {bcCode128C, pairs, false, "CODE-128"},
      {bcCode128C, "12345", false, "CODE-128", "012345", "012345"},
      {bcCodeEAN128C, "123", true, "CODE-128", "1236"},  // the check digit stays out of Text
      {bcCodeEAN128C, "1234", true, "CODE-128", "012348"},  // and makes the count odd
      {bcCodeEAN128B, "12", true, "CODE-128", "123"},
      {bcCode128B, "12", true, "CODE-128"},  // plain Code 128 has none
      {bcCode93, Code39Set, false, "CODE-93"},
      {bcCode93, "ABCDEFGHIJKLMNOPQRSTUVWXY", false, "CODE-93"},  // weight C wraps after 20, K after 14
      {bcCodeEAN8, "9638507", true, "EAN-8", "96385074"},
      {bcCodeEAN8, "123", true, "EAN-8", "00001236"},
      {bcCodeEAN13, "400638133393", true, "EAN-13", "4006381333931"},
      {bcCodeUPC_A, "03600029145", true, "UPC-A", "036000291452", "036000291452"},
      {bcCodeUPC_E0, "123456", false, "UPC-E", "01234565"},
      {bcCodeUPC_Supp2, "34", false, "EAN-2"},
      {bcCodeUPC_Supp2, "5", false, "EAN-2", "05", "05"},
      {bcCodeUPC_Supp2, "03", true, "EAN-2"},  // no check digit
      {bcCodeUPC_Supp5, "52495", true, "EAN-5", "52495", "524951"},
  };
  for (int first = 1; first < 128; first += 32)
    symbols.push_back({bcCode93Extended, Characters(first, std::min(first + 31, 127)), false, "CODE-93"});
  return symbols;
}

// Symbologies of narrow and wide elements, which take other ratios too.
const TSymbol NarrowWideSymbols[] = {
    {bcCode_2_5_interleaved, "1234567890", false, "I2/5"},
    {bcCode_2_5_interleaved, "12345", false, "I2/5", "012345", "012345"},  // the odd last digit is kept
    {bcCode39, Code39Set, false, "CODE-39"},
    {bcCode39, "ABC", true, "CODE-39", "ABCX"},  // 10 + 11 + 12 = 33
    {bcCode39, "0", true, "CODE-39", "00"},      // value 0 is "0", not the stop
    {bcCode39Extended, "Hello, World!", false, "CODE-39", "H+E+L+L+O/L W+O+R+L+D/A"},
    {bcCode39Extended, std::string("-.\0\x7f\x1b", 5), false, "CODE-39", "/M/N%U%T%A"},
    {bcCode39Extended, "{|}~`@[\\]^_;<=>?:", false, "CODE-39", "%P%Q%R%S%W%V%K%L%M%N%O%F%G%H%I%J/Z"},
    {bcCode39Extended, "a", true, "CODE-39", "+A8"},  // the check covers "+A": 41 + 10
    {bcCodeCodabar, "0123456789-$:/.+", false, "Codabar", "A0123456789-$:/.+B"},
};

}  // namespace

TEST(Encoding, WorkedPatternsFromTheStandardTables) {
  const std::string startA = "211412", startB = "211214", startC = "211232", fnc1 = "411131", stop = "2331112";
  const std::tuple<TBarcodeType, std::string, bool, std::string (*)(std::string_view), std::string> cases[] = {
      // 4 selects L G L L G G for 0 0 6 3 8 1; then 3 3 3 9 3 1 in set R.
      {bcCodeEAN13, "400638133393", true, ModuleBits,
       "101" "0001101" "0100111" "0101111" "0111101" "0001001" "0110011" "01010"
       "1000010" "1000010" "1000010" "1110100" "1000010" "1100110" "101"},
      // 9 6 3 8 in set L, 5 0 7 4 in set R.
      {bcCodeEAN8, "96385074", false, ModuleBits,
       "101" "0001011" "0101111" "0111101" "0110111" "01010" "1001110" "1110010" "1000100" "1011100" "101"},
      // 0 3 6 0 0 0 in set L, 2 9 1 4 5 2 in set R.
      {bcCodeUPC_A, "03600029145", true, ModuleBits,
       "101" "0001101" "0111101" "0101111" "0001101" "0001101" "0001101" "01010"
       "1101100" "1110100" "1100110" "1011100" "1001110" "1101100" "101"},
      // Check digit 5x3 + 2x9 + 4x3 + 9x9 + 5x3 = 141: 1 selects G L G L L.
      {bcCodeUPC_Supp5, "52495", false, ModuleBits,
       "1011" "0111001" "01" "0010011" "01" "0011101" "01" "0001011" "01" "0110001"},
      // A 33, b 66, 1 17; check (104 + 33 + 2 * 66 + 3 * 17) mod 103 = 11.
      {bcCode128B, "Ab1", false, ElementWidths, startB + "111323" + "121421" + "123221" + "231212" + stop},
      {bcCode128A, "A", false, ElementWidths, startA + "111323" + "111323" + stop},  // (103 + 33) mod 103
      // FNC1 after the start; 12 and 34 weighted 2 and 3; check 333 mod 103 = 24.
      {bcCodeEAN128C, "1234", false, ElementWidths, startC + fnc1 + "112232" + "131123" + "311222" + stop},
      // FNC1 where the marker stands, weighted like a character; check 443 mod 103 = 31.
      {bcCode128B, std::string("A") + FNC1Marker + "B", false, ElementWidths,
       startB + "111323" + fnc1 + "131123" + "212321" + stop},
      // The pad completes the first digit run: 01 23 FNC1 45, check 638 mod 103 = 20.
      {bcCode128C, std::string("123") + FNC1Marker + "45", false, ElementWidths,
       startC + "222122" + "312131" + fnc1 + "113123" + "221231" + stop},
      // From the right, weights C 1..6 and K 2..7: C = 464 mod 47 = 41 "+", K = (576 + 41) mod 47 = 6.
      {bcCode93, "TEST93", false, ElementWidths,
       "111141" "211221" "221211" "211122" "211221" "141111" "111411" "113121" "121311" "1111411"},
      // Codes zbar cannot read. 1 = wide narrow narrow narrow wide, 2 = narrow wide narrow narrow wide.
      {bcCode_2_5_industrial, "12", false, Raw, "606050" "6050505060" "5060505060" "605060"},
      {bcCode_2_5_matrix, "12", false, Raw, "705050" "60506" "0" "51506" "0" "70505"},
      // 1 0001, 2 0010, 3 0011, 4 0100; 4 and 2 make 24, doubled 48, 12 + 3 + 1 = 16: check 4.
      {bcCodeMSI, "1234", false, Raw, "60" "51515160" "51516051" "51516060" "51605151" "51605151" "515"},
      {bcCodePostNet, "12", false, Raw, "51" "A1A1A15151" "A1A151A151" "5"},  // no check digit
  };
  for (const auto& [typ, text, checksum, read, expected] : cases)
    EXPECT_EQ(read(Modules(typ, text, checksum)), expected) << text;
}

TEST(Encoding, MsiAndPostNetDecodeToTheirDigits) {
  // 80523: 853 doubled 1706, 14 + 0 + 2 = 16, check 4; 99999 doubled 199998, 45 + 45: check 0.
  for (const auto& [digits, symbol] : {std::pair{"", "0"}, std::pair{"80523", "805234"},
                                       std::pair{"9999999999", "99999999990"}})
    EXPECT_EQ(DecodeMsi(Modules(bcCodeMSI, digits)), symbol) << digits;
  EXPECT_EQ(DecodePostNet(Modules(bcCodePostNet, "0123456789")), "0123456789");
}

TEST(Encoding, EanUpcCarryTheExpectedDigitsAndKeepTheTypedOnes) {
  struct TCase {
    TBarcodeType Typ;
    std::string Text;
    bool Checksum;
    std::string Stored;
    std::string Symbol;
    TCheckSumMethod Method = csmModulo10;
  };
  std::vector<TCase> cases = {
      {bcCodeEAN13, "123", false, "123", "0000000000123"},
      {bcCodeEAN13, "590123412345", true, "590123412345", "5901234123457"},
      {bcCodeEAN13, "5901234123457", true, "5901234123457", "5901234123457", csmNone},
      {bcCodeUPC_A, "036000291459", true, "036000291452", "0036000291452"},  // the check digit's place
      {bcCodeUPC_A, "12345", true, "000000123457", "0000000123457"},
      {bcCodeUPC_A, "12345", false, "000000012345", "0000000012345"},
      // The check digit is that of the UPC-A expansion, chosen by the sixth digit.
      {bcCodeUPC_E0, "123450", false, "123450", "01234505"},  // 01200000345
      {bcCodeUPC_E0, "123453", false, "123453", "01234531"},  // 01230000045
      {bcCodeUPC_E0, "123414", false, "123414", "01234145"},  // 01234000001
      {bcCodeUPC_E0, "123456", true, "1234565", "01234565"},  // 01234500006
      {bcCodeUPC_E0, "01234569", true, "01234565", "01234565"},
      {bcCodeUPC_E0, "123456", true, "123456", "01234565", csmNone},  // the parity still carries it
      {bcCodeUPC_E0, "123", false, "000123", "00001233"},
      {bcCodeUPC_E1, "123456", true, "1234562", "11234562"},
      {bcCodeUPC_E1, "11234562", false, "11234562", "11234562"},
  };
  for (char first = '0'; first <= '9'; ++first)  // every first-digit row, every digit in every set
    for (const std::string rest : {"123456789012", "987654321098"})
      cases.push_back({bcCodeEAN13, first + rest, false, first + rest, first + rest});
  for (const TCase& c : cases) {
    auto b = MakeBarcode(c.Typ, c.Text, c.Checksum);
    b->CheckSumMethod = c.Method;
    for (int i = 0; i < 2; ++i) {
      const bool upcE = c.Typ == bcCodeUPC_E0 || c.Typ == bcCodeUPC_E1;
      EXPECT_EQ(upcE ? DecodeUpcE(b->EncodeModules()) : DecodeEan13(b->EncodeModules()), c.Symbol) << c.Text;
      EXPECT_EQ(b->GetText(), c.Stored) << c.Text;
    }
  }
}

using TParam = std::tuple<TSymbol, double, std::pair<int, double>>;  // symbol, angle, Modul and Ratio

class ReadBack : public testing::TestWithParam<TParam> {};

// Painting encodes several times: a text that grew would show.
TEST_P(ReadBack, TheDecoderReadsWhatWasTyped) {
  const auto& [symbol, angle, widths] = GetParam();
  auto barcode = MakeBarcode(symbol.Typ, symbol.Text, symbol.Checksum);
  barcode->SetModul(widths.first), barcode->SetRatio(widths.second), barcode->SetAngle(angle);
  EXPECT_EQ(ScanPainted(*barcode), (TScan{symbol.Symbology, symbol.Read.empty() ? symbol.Text : symbol.Read}));
  EXPECT_EQ(barcode->GetText(), symbol.Stored.empty() ? symbol.Text : symbol.Stored);
}

const auto Angles = testing::Values(0.0, 0.001, 90.0, 180.0, 270.0);
const auto RatioTwo = testing::Values(std::pair{1, 2.0}, std::pair{2, 2.0}, std::pair{3, 2.0});

INSTANTIATE_TEST_SUITE_P(WholeModules, ReadBack,
                         testing::Combine(testing::ValuesIn(ModuleSymbols()), Angles, RatioTwo));
INSTANTIATE_TEST_SUITE_P(NarrowWide, ReadBack,
                         testing::Combine(testing::ValuesIn(NarrowWideSymbols), Angles,
                                          testing::Values(std::pair{1, 2.0}, std::pair{2, 2.0}, std::pair{3, 2.0},
                                                          std::pair{2, 2.5}, std::pair{3, 2.5})));
