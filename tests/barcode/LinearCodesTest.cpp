#include <gtest/gtest.h>

#include "BarcodeTestSupport.h"
#include "platform/rtl/Exception.h"

using namespace bctest;

namespace {

std::string Modules(TBarcodeType typ, const std::string& text, bool checksum = false) {
  return MakeBarcode(typ, text, checksum)->EncodeModules();
}

std::string BadData(TBarcodeType typ, const std::string& text) {
  auto b = MakeBarcode(typ, text);
  return MessageOf<Exception>([&] { b->EncodeModules(); });
}

TScan Read(TBarcodeType typ, const std::string& text, bool checksum = false) {
  return ScanOne(*MakeBarcode(typ, text, checksum));
}

// MSI digits (check digit last): "60", four bits a digit ("60" one, "51" zero), "515".
std::string DecodeMsi(const std::string& m) {
  if (m.size() % 8 != 5 || m.compare(0, 2, "60") != 0 || m.compare(m.size() - 3, 3, "515") != 0) return "?";
  std::string digits;
  for (std::size_t pos = 2; pos + 3 < m.size(); pos += 8) {
    int value = 0;
    for (std::size_t bit = pos; bit < pos + 8; bit += 2) value = value * 2 + (m.compare(bit, 2, "60") == 0);
    digits += static_cast<char>('0' + value);
  }
  return digits;
}

// The MSI check digit by its definition: the digits at odd places from the
// right read as one number, doubled in decimal, digit sum, plus the others.
char MsiCheck(const std::string& digits) {
  std::string odd;
  int total = 0;
  for (std::size_t i = 0; i < digits.size(); ++i)
    (digits.size() - i) % 2 == 1 ? void(odd += digits[i]) : void(total += digits[i] - '0');
  int carry = 0;
  for (auto it = odd.rbegin(); it != odd.rend(); ++it) {
    const int d = (*it - '0') * 2 + carry;
    total += d % 10;
    carry = d / 10;
  }
  total += carry;
  return static_cast<char>('0' + (10 - total % 10) % 10);
}

// POSTNET digits: of the bars weighing 7, 4, 2, 1 and 0, two are tall; 7 + 4 stands for 0.
std::string DecodePostNet(const std::string& m) {
  if (m.size() % 10 != 3 || m.compare(0, 2, "51") != 0 || m.back() != '5') return "?";
  std::string digits;
  for (std::size_t pos = 2; pos + 1 < m.size(); pos += 10) {
    int value = 0;
    int tall = 0;
    for (int bar = 0; bar < 5; ++bar) {
      if (m[pos + 2 * bar + 1] != '1') return "?";
      if (m[pos + 2 * bar] == '5') value += "74210"[bar] - '0', ++tall;
    }
    digits += tall == 2 ? static_cast<char>('0' + value % 11) : '?';
  }
  return digits;
}

}  // namespace

TEST(TwoOfFive, WorkedPatternsAndReadBack) {
  // 1 = wide narrow narrow narrow wide, 2 = narrow wide narrow narrow wide.
  EXPECT_EQ(Modules(bcCode_2_5_interleaved, "12"), "5050" "6051505061" "605");
  EXPECT_EQ(Modules(bcCode_2_5_industrial, "12"), "606050" "6050505060" "5060505060" "605060");
  EXPECT_EQ(Modules(bcCode_2_5_matrix, "12"), "705050" "60506" "0" "51506" "0" "70505");
  EXPECT_EQ(Read(bcCode_2_5_interleaved, "1234567890"), (TScan{"I2/5", "1234567890"}));
  auto b = MakeBarcode(bcCode_2_5_interleaved, "12345");  // an odd last digit is kept behind a leading 0
  EXPECT_EQ(ScanOne(*b), (TScan{"I2/5", "012345"}));
  EXPECT_EQ(b->GetText(), "012345");
  EXPECT_EQ(ScanOne(*b), (TScan{"I2/5", "012345"}));
}

TEST(Code39, PatternsChecksAndRefusals) {
  // * = n w n n w n w n n, A = w n n n n w n n w.
  EXPECT_EQ(Modules(bcCode39, "A"), "515060605" "0" "605051506" "0" "515060605");
  const std::string all = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
  EXPECT_EQ(Read(bcCode39, all), (TScan{"CODE-39", all}));
  EXPECT_EQ(Read(bcCode39, "ABC", true).Data, "ABCX");  // 10 + 11 + 12 = 33
  EXPECT_EQ(Read(bcCode39, "0", true).Data, "00");      // value 0 is "0", not the stop
  EXPECT_EQ(Read(bcCode39, "%A", true).Data, "%A9");    // 52 mod 43
  EXPECT_EQ(BadData(bcCode39, "abc"), "TVmBarcode:Code39 bad Data <abc>");
  EXPECT_EQ(BadData(bcCode39, "A*B"), "TVmBarcode:Code39 bad Data <A*B>");  // a stop inside the data
  EXPECT_EQ(BadData(bcCode39Extended, "caf\xe9"), "TVmBarcode:Code39 Extended bad Data <caf\xe9>");
}

TEST(Code39, ExtendedWritesTheFullAsciiPairs) {
  const std::pair<std::string, const char*> cases[] = {
      {"Hello, World!", "H+E+L+L+O/L W+O+R+L+D/A"},
      {std::string("-.\0\x7f\x1b", 5), "/M/N%U%T%A"},
      {"{|}~`@[\\]^_;<=>?:", "%P%Q%R%S%W%V%K%L%M%N%O%F%G%H%I%J/Z"},
  };
  for (const auto& [text, read] : cases) {
    auto b = MakeBarcode(bcCode39Extended, text);
    EXPECT_EQ(ScanOne(*b), (TScan{"CODE-39", read}));
    EXPECT_EQ(b->GetText(), text);
  }
  EXPECT_EQ(Read(bcCode39Extended, "a", true).Data, "+A8");  // the check covers "+A": 41 + 10
}

TEST(Code93, ChecksReadBackAndRefusals) {
  // TEST93 from the right, weights C 1..6 and K 2..7: C = 464 mod 47 = 41 "+", K = (576 + 41) mod 47 = 6.
  EXPECT_EQ(ElementWidths(Modules(bcCode93, "TEST93")),
            "111141" "211221" "221211" "211122" "211221" "141111" "111411" "113121" "121311" "1111411");
  // 25 characters: weight C wraps after 20, K after 14.
  for (const std::string& text : {std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%"),
                                  std::string("ABCDEFGHIJKLMNOPQRSTUVWXY")})
    EXPECT_EQ(Read(bcCode93, text), (TScan{"CODE-93", text}));
  EXPECT_EQ(BadData(bcCode93, "test"), "TVmBarcode:Code93 bad Data <test>");
  EXPECT_EQ(BadData(bcCode93, "A[B"), "TVmBarcode:Code93 bad Data <A[B>");  // "[" writes a shift
  for (int first = 1; first < 128; first += 32) {
    std::string text;
    for (int c = first; c < std::min(first + 32, 128); ++c) text += static_cast<char>(c);
    auto b = MakeBarcode(bcCode93Extended, text);
    EXPECT_EQ(ScanOne(*b), (TScan{"CODE-93", text}));
    EXPECT_EQ(b->GetText(), text);
  }
  EXPECT_EQ(BadData(bcCode93Extended, "\x80"), "TVmBarcode:Code93 Extended bad Data <\x80>");
}

TEST(Msi, PatternAndCheckDigits) {
  // 1 0001, 2 0010, 3 0011, 4 0100 and the check digit 4.
  EXPECT_EQ(Modules(bcCodeMSI, "1234"), "60" "51515160" "51516051" "51516060" "51605151" "51605151" "515");
  for (const std::string& digits : {std::string(""), std::string("80523"), std::string("9999999999"),
                                    std::string("12345678901234567890123456789012345")})
    EXPECT_EQ(DecodeMsi(Modules(bcCodeMSI, digits)), digits + MsiCheck(digits)) << digits;
}

TEST(PostNet, FiveBarsPerDigitAndNoCheckDigit) {
  EXPECT_EQ(Modules(bcCodePostNet, "12"), "51" "A1A1A15151" "A1A151A151" "5");
  EXPECT_EQ(DecodePostNet(Modules(bcCodePostNet, "0123456789")), "0123456789");
  auto b = MakeBarcode(bcCodePostNet, "12345");
  b->SetModul(3), b->SetRatio(1.5);
  b->EncodeModules();
  EXPECT_EQ(b->GetModuleInfo('1').Width, 4);  // the gap is Modul x Ratio, 4.5 to the even 4
  EXPECT_EQ(b->GetModuleInfo('A').Kind, blShortBar);
}

TEST(Codabar, PatternReadBackAndRefusals) {
  // A = n n w w n w n, 1 = n n n n w w n, B = n w n w n n w.
  EXPECT_EQ(Modules(bcCodeCodabar, "1"), "5061515" "0" "5050615" "0" "5151506");
  for (const std::string& text : {std::string("123-45"), std::string("0123456789-$:/.+")})
    EXPECT_EQ(Read(bcCodeCodabar, text), (TScan{"Codabar", "A" + text + "B"}));
  EXPECT_EQ(BadData(bcCodeCodabar, "A12"), "TVmBarcode:Codebar bad Data <A12>");  // a stop inside the data
  EXPECT_EQ(BadData(bcCodeCodabar, "12x"), "TVmBarcode:Codebar bad Data <12x>");
}

TEST(AllTypes, EncodingTwiceGivesOneResult) {
  for (int typ = 0; typ < BarcodeTypeCount; ++typ)
    for (const bool checksum : {false, true}) {
      auto b = MakeBarcode(static_cast<TBarcodeType>(typ), typ == bcCodeUPC_Supp2 ? "1" : "123", checksum);
      const std::string modules = b->EncodeModules();
      const std::string text = b->GetText();
      EXPECT_EQ(b->EncodeModules(), modules) << BCdata[typ].Name << " " << checksum;
      EXPECT_EQ(b->GetText(), text) << BCdata[typ].Name << " " << checksum;
      for (const char module : modules) EXPECT_GT(b->GetModuleInfo(module).Width, 0);
    }
}
