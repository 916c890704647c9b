#include <gtest/gtest.h>

#include "BarcodeTestSupport.h"
#include "platform/rtl/Exception.h"

using bctest::ElementWidths;
using bctest::MakeBarcode;
using bctest::MessageOf;
using bctest::ScanOne;
using bctest::Split;
using bctest::TScan;

namespace {

std::string Modules(TBarcodeType typ, const std::string& text, bool checksum = false) {
  return MakeBarcode(typ, text, checksum)->EncodeModules();
}

std::string BadData(TBarcodeType typ, const std::string& text) {
  auto barcode = MakeBarcode(typ, text);
  return MessageOf<Exception>([&] { barcode->EncodeModules(); });
}

std::string Ascii(int first, int last) {
  std::string text;
  for (int c = first; c <= last; ++c) text += static_cast<char>(c);
  return text;
}

// MSI digits (the check digit last) read from four-bit groups.
std::string DecodeMsi(const std::string& modules) {
  if (modules.size() < 5 || modules.substr(0, 2) != "60" || modules.substr(modules.size() - 3) != "515") return "?";
  std::string digits;
  for (const std::string& group : Split(modules.substr(2, modules.size() - 5), std::vector<std::size_t>(
                                                                                  (modules.size() - 5) / 8, 8))) {
    int value = 0;
    for (const std::string& bit : Split(group, {2, 2, 2, 2})) {
      if (bit != "60" && bit != "51") return "?";
      value = value * 2 + (bit == "60");
    }
    digits += static_cast<char>('0' + value);
  }
  return digits;
}

// The MSI check digit by its definition: the digits at odd places from the
// right read as one number, doubled in decimal, digit sum, plus the others.
char MsiCheck(const std::string& digits) {
  std::string odd;
  int total = 0;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if ((digits.size() - i) % 2 == 1) odd += digits[i];
    else total += digits[i] - '0';
  }
  int carry = 0;
  std::string doubled;
  for (auto it = odd.rbegin(); it != odd.rend(); ++it) {
    const int d = (*it - '0') * 2 + carry;
    doubled.insert(doubled.begin(), static_cast<char>('0' + d % 10));
    carry = d / 10;
  }
  if (carry) doubled.insert(doubled.begin(), '1');
  for (const char d : doubled) total += d - '0';
  return static_cast<char>('0' + (10 - total % 10) % 10);
}

// POSTNET digits: of the five bars weighing 7, 4, 2, 1 and 0, two are tall;
// 7 + 4 stands for 0.
std::string DecodePostNet(const std::string& modules) {
  if (modules.size() < 3 || modules.substr(0, 2) != "51" || modules.back() != '5') return "?";
  std::string digits;
  const std::vector<std::size_t> sizes((modules.size() - 3) / 10, 10);
  for (const std::string& group : Split(modules.substr(2, modules.size() - 3), sizes)) {
    const int weights[] = {7, 4, 2, 1, 0};
    int value = 0;
    int tall = 0;
    for (int bar = 0; bar < 5; ++bar) {
      if (group[2 * bar + 1] != '1' || (group[2 * bar] != '5' && group[2 * bar] != 'A')) return "?";
      if (group[2 * bar] == '5') value += weights[bar], ++tall;
    }
    if (tall != 2) return "?";
    digits += static_cast<char>('0' + value % 11);
  }
  return digits;
}

}  // namespace

TEST(TwoOfFive, WorkedPatterns) {
  // 1 = wide narrow narrow narrow wide, 2 = narrow wide narrow narrow wide.
  EXPECT_EQ(Modules(bcCode_2_5_interleaved, "12"), "5050" "6051505061" "605");
  EXPECT_EQ(Modules(bcCode_2_5_industrial, "12"), "606050" "6050505060" "5060505060" "605060");
  EXPECT_EQ(Modules(bcCode_2_5_matrix, "12"), "705050" "60506" "0" "51506" "0" "70505");
}

TEST(TwoOfFive, InterleavedKeepsAnOddLastDigit) {
  auto barcode = MakeBarcode(bcCode_2_5_interleaved, "12345");
  EXPECT_EQ(ScanOne(*barcode), (TScan{"I2/5", "012345"}));
  EXPECT_EQ(barcode->GetText(), "012345");
  EXPECT_EQ(ScanOne(*barcode), (TScan{"I2/5", "012345"}));
  barcode->SetText("1234567890");
  EXPECT_EQ(ScanOne(*barcode), (TScan{"I2/5", "1234567890"}));
}

TEST(Code39, WorkedPatternAndReadBack) {
  // * = n w n n w n w n n, A = w n n n n w n n w.
  EXPECT_EQ(Modules(bcCode39, "A"), "515060605" "0" "605051506" "0" "515060605");
  for (const std::string& text : {std::string("CODE 39"), std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%")})
    EXPECT_EQ(ScanOne(*MakeBarcode(bcCode39, text)), (TScan{"CODE-39", text}));
}

TEST(Code39, CheckCharacterIsTheSumModulo43) {
  EXPECT_EQ(ScanOne(*MakeBarcode(bcCode39, "ABC", true)).Data, "ABCX");  // 10 + 11 + 12 = 33
  EXPECT_EQ(ScanOne(*MakeBarcode(bcCode39, "0", true)).Data, "00");      // value 0 is "0", not the stop
  EXPECT_EQ(ScanOne(*MakeBarcode(bcCode39, "%A", true)).Data, "%A9");    // 52 mod 43
}

TEST(Code39, CharactersItCannotHoldAreRefused) {
  EXPECT_EQ(BadData(bcCode39, "abc"), "TVmBarcode:Code39 bad Data <abc>");
  EXPECT_EQ(BadData(bcCode39, "A*B"), "TVmBarcode:Code39 bad Data <A*B>");
  EXPECT_EQ(BadData(bcCode39Extended, "caf\xe9"), "TVmBarcode:Code39 Extended bad Data <caf\xe9>");
}

TEST(Code39, ExtendedWritesTheFullAsciiPairs) {
  struct TCase {
    std::string Text;
    const char* Read;
  };
  const TCase cases[] = {
      {"a", "+A"},
      {"Hello, World!", "H+E+L+L+O/L W+O+R+L+D/A"},
      {"-.", "/M/N"},
      {std::string("\0\x7f\x1b", 3), "%U%T%A"},
      {"{|}~`@[\\]^_;<=>?:", "%P%Q%R%S%W%V%K%L%M%N%O%F%G%H%I%J/Z"},
  };
  for (const TCase& c : cases) {
    auto barcode = MakeBarcode(bcCode39Extended, c.Text);
    EXPECT_EQ(ScanOne(*barcode), (TScan{"CODE-39", c.Read}));
    EXPECT_EQ(barcode->GetText(), c.Text);
  }
  // The check character covers the expanded text: + 41, A 10.
  EXPECT_EQ(ScanOne(*MakeBarcode(bcCode39Extended, "a", true)).Data, "+A8");
}

TEST(Code93, WorkedChecksAndReadBack) {
  // TEST93 from the right with weights C 1..6 and K 2..7: C = 464 mod 47 = 41 "+",
  // K = (576 + 41) mod 47 = 6.
  EXPECT_EQ(ElementWidths(Modules(bcCode93, "TEST93")),
            "111141" "211221" "221211" "211122" "211221" "141111" "111411" "113121" "121311" "1111411");
  for (const std::string& text :
       {std::string("TEST93"), std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%"),
        std::string("ABCDEFGHIJKLMNOPQRSTUVWXY")})  // 25: weight C wraps after 20, K after 14
    EXPECT_EQ(ScanOne(*MakeBarcode(bcCode93, text)), (TScan{"CODE-93", text}));
  EXPECT_EQ(BadData(bcCode93, "test"), "TVmBarcode:Code93 bad Data <test>");
  EXPECT_EQ(BadData(bcCode93, "A[B"), "TVmBarcode:Code93 bad Data <A[B>");  // a shift, not data
}

TEST(Code93, ExtendedReadsBackEveryAsciiCharacter) {
  for (int first = 1; first < 128; first += 32) {
    const std::string text = Ascii(first, std::min(first + 31, 127));
    auto barcode = MakeBarcode(bcCode93Extended, text);
    EXPECT_EQ(ScanOne(*barcode), (TScan{"CODE-93", text}));
    EXPECT_EQ(barcode->GetText(), text);
  }
  EXPECT_EQ(BadData(bcCode93Extended, "\x80"), "TVmBarcode:Code93 Extended bad Data <\x80>");
}

TEST(Msi, WorkedPatternAndCheckDigits) {
  // 1 0001, 2 0010, 3 0011, 4 0100 and the check digit 4.
  EXPECT_EQ(Modules(bcCodeMSI, "1234"),
            "60" "51515160" "51516051" "51516060" "51605151" "51605151" "515");
  EXPECT_EQ(DecodeMsi(Modules(bcCodeMSI, "")), "0");
  for (const std::string& digits : {std::string("80523"), std::string("9999999999"),
                                    std::string("12345678901234567890123456789012345")})
    EXPECT_EQ(DecodeMsi(Modules(bcCodeMSI, digits)), digits + MsiCheck(digits)) << digits;
}

TEST(PostNet, FiveBarsPerDigitAndNoCheckDigit) {
  EXPECT_EQ(Modules(bcCodePostNet, "12"), "51" "A1A1A15151" "A1A151A151" "5");
  EXPECT_EQ(DecodePostNet(Modules(bcCodePostNet, "0123456789")), "0123456789");
  auto barcode = MakeBarcode(bcCodePostNet, "12345");
  barcode->SetModul(3);
  barcode->SetRatio(1.5);
  const std::string modules = barcode->EncodeModules();
  EXPECT_EQ(modules.size(), 2 + 5 * 10 + 1u);
  EXPECT_EQ(barcode->GetModuleInfo('1').Width, 4);  // the gap is Modul x Ratio, 4.5 to the even 4
  EXPECT_EQ(barcode->GetModuleInfo('A').Kind, blShortBar);
}

TEST(Codabar, WorkedPatternAndReadBack) {
  // A = n n w w n w n, 1 = n n n n w w n, B = n w n w n n w.
  EXPECT_EQ(Modules(bcCodeCodabar, "1"), "5061515" "0" "5050615" "0" "5151506");
  for (const std::string& text : {std::string("123-45"), std::string("0123456789-$:/.+")})
    EXPECT_EQ(ScanOne(*MakeBarcode(bcCodeCodabar, text)), (TScan{"Codabar", "A" + text + "B"}));
  EXPECT_EQ(BadData(bcCodeCodabar, "A12"), "TVmBarcode:Codebar bad Data <A12>");  // a stop inside the data
  EXPECT_EQ(BadData(bcCodeCodabar, "12x"), "TVmBarcode:Codebar bad Data <12x>");
}

TEST(AllTypes, EncodingTwiceGivesOneResult) {
  for (int typ = 0; typ < BarcodeTypeCount; ++typ)
    for (const bool checksum : {false, true}) {
      auto barcode = MakeBarcode(static_cast<TBarcodeType>(typ), typ == bcCodeUPC_Supp2 ? "1" : "123", checksum);
      const std::string modules = barcode->EncodeModules();
      const std::string text = barcode->GetText();
      for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(barcode->EncodeModules(), modules) << BCdata[typ].Name << " " << checksum;
        EXPECT_EQ(barcode->GetText(), text) << BCdata[typ].Name << " " << checksum;
      }
      for (const char module : modules) EXPECT_GT(barcode->GetModuleInfo(module).Width, 0);
    }
}
