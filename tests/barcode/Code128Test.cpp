#include <gtest/gtest.h>

#include "BarcodeTestSupport.h"
#include "platform/rtl/Exception.h"

using namespace bctest;

namespace {

const std::string StartA = "211412";
const std::string StartB = "211214";
const std::string StartC = "211232";
const std::string FNC1 = "411131";
const std::string Stop = "2331112";

std::string Widths(TBarcodeType typ, const std::string& text, bool checksum = false) {
  return ElementWidths(MakeBarcode(typ, text, checksum)->EncodeModules());
}

std::string Characters(char first, char last) {
  std::string text;
  for (char c = first; c <= last; ++c) text += c;
  return text;
}

}  // namespace

TEST(Code128, WorkedSymbolsFromTheStandardTable) {
  // A 33, b 66, 1 17; check (104 + 33 + 2 * 66 + 3 * 17) mod 103 = 11.
  EXPECT_EQ(Widths(bcCode128B, "Ab1"), StartB + "111323" + "121421" + "123221" + "231212" + Stop);
  // Check 104 mod 103 = 1.
  EXPECT_EQ(Widths(bcCode128B, ""), StartB + "222122" + Stop);
  // FNC1 after the start; 12 and 34 weighted 2 and 3; check 333 mod 103 = 24.
  EXPECT_EQ(Widths(bcCodeEAN128C, "1234"), StartC + FNC1 + "112232" + "131123" + "311222" + Stop);
  // FNC1 where the marker stands, weighted like a character; check 443 mod 103 = 31.
  EXPECT_EQ(Widths(bcCode128B, std::string("A") + FNC1Marker + "B"),
            StartB + "111323" + FNC1 + "131123" + "212321" + Stop);
  // Start A, A 33, check (103 + 33) mod 103 = 33.
  EXPECT_EQ(Widths(bcCode128A, "A"), StartA + "111323" + "111323" + Stop);
}

TEST(Code128, EveryCharacterOfEachCodeSetIsReadBack) {
  struct TCase {
    TBarcodeType Typ;
    std::string Text;
  };
  std::string pairs;
  for (int i = 0; i < 100; ++i) pairs += std::to_string(100 + i).substr(1);
  const TCase cases[] = {
      {bcCode128A, Characters(' ', '_')},  {bcCode128B, Characters(' ', '~')}, {bcCode128C, pairs},
      {bcCodeEAN128A, "(01)AB-12"},      {bcCodeEAN128B, "gs1 text~"},      {bcCodeEAN128C, "0112345678901231"},
      {bcCode128B, std::string(200, '~')},  // as long as the scanner reads
  };
  for (const TCase& c : cases) {
    auto barcode = MakeBarcode(c.Typ, c.Text);
    EXPECT_EQ(ScanOne(*barcode), (TScan{"CODE-128", c.Text})) << BCdata[c.Typ].Name;
  }
}

TEST(Code128, CodeSetCPadsAnOddDigitCountOnce) {
  auto barcode = MakeBarcode(bcCode128C, "12345");
  const std::string modules = barcode->EncodeModules();
  EXPECT_EQ(barcode->GetText(), "012345");
  // 01, 23, 45; check (105 + 1 + 46 + 135) mod 103 = 81.
  EXPECT_EQ(ElementWidths(modules), StartC + "222122" + "312131" + "113123" + "121142" + Stop);
  EXPECT_EQ(barcode->EncodeModules(), modules);
  EXPECT_EQ(barcode->GetText(), "012345");
  EXPECT_EQ(ScanOne(*barcode), (TScan{"CODE-128", "012345"}));
  // The pad completes the first digit run before a marker: 01 23 FNC1 45, check 638 mod 103 = 20.
  EXPECT_EQ(Widths(bcCode128C, std::string("123") + FNC1Marker + "45"),
            StartC + "222122" + "312131" + FNC1 + "113123" + "221231" + Stop);
}

TEST(Code128, WhatTheCodeSetCannotHoldIsRefused) {
  const std::pair<TBarcodeType, std::string> cases[] = {
      {bcCode128A, "Ab"}, {bcCode128A, "A\tB"}, {bcCode128B, "A\x7f"}, {bcCode128B, "caf\xe9"}, {bcCodeEAN128B, "\x1b"},
  };
  for (const auto& [typ, text] : cases) {
    auto b = MakeBarcode(typ, text);
    EXPECT_EQ(MessageOf<Exception>([&] { b->EncodeModules(); }),
              std::string("TVmBarcode:") + BCdata[typ].Name + " bad Data <" + text + ">");
  }
  for (const std::string& text : {std::string("12") + FNC1Marker + "345", std::string(1, FNC1Marker) + "1"}) {
    auto b = MakeBarcode(bcCodeEAN128C, text);
    EXPECT_EQ(MessageOf<Exception>([&] { b->EncodeModules(); }),
              "TVmBarcode: odd number of digits before FNC1 in EAN128C");
  }
}

TEST(Code128, Ean128CheckDigitIsEncodedButNotAddedToText) {
  struct TCase {
    TBarcodeType Typ;
    const char* Text;
    const char* Read;
  };
  const TCase cases[] = {
      {bcCodeEAN128C, "123", "1236"}, {bcCodeEAN128C, "1234", "012348"},  // the check digit makes the count odd
      {bcCodeEAN128B, "12", "123"},   {bcCode128B, "12", "12"},           // plain Code 128 has no check digit
  };
  for (const TCase& c : cases) {
    auto barcode = MakeBarcode(c.Typ, c.Text, true);
    const std::string modules = barcode->EncodeModules();
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(ScanOne(*barcode), (TScan{"CODE-128", c.Read})) << c.Text;
      EXPECT_EQ(barcode->GetText(), c.Text);
      EXPECT_EQ(barcode->EncodeModules(), modules);
    }
  }
  auto letters = MakeBarcode(bcCodeEAN128A, "AB", true);
  EXPECT_EQ(MessageOf<EConvertError>([&] { letters->EncodeModules(); }), "'A' is not a valid integer value");
}
