// A decoder nobody here wrote reads what PaintBarcode drew, for every
// symbology it knows, at several module widths and angles.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "BarcodeTestSupport.h"
#include "PaintTestSupport.h"

using namespace bctest;

namespace {

struct TSymbol {
  const char* Name;  // of the test
  TBarcodeType Typ;
  const char* Text;
  bool Checksum;
  TScan Read;  // what the user typed plus the check digits
};

// Symbologies whose elements are whole multiples of the narrow module.
const TSymbol ModuleSymbols[] = {
    {"Code128A", bcCode128A, "CODE 128-A", false, {"CODE-128", "CODE 128-A"}},
    {"Code128B", bcCode128B, "Code 128b!", false, {"CODE-128", "Code 128b!"}},
    {"Code128C", bcCode128C, "12345678", false, {"CODE-128", "12345678"}},
    {"Ean128C", bcCodeEAN128C, "0112345678901231", false, {"CODE-128", "0112345678901231"}},
    {"Ean128B", bcCodeEAN128B, "12", true, {"CODE-128", "123"}},  // 1 + 3 * 2 = 7: check 3
    {"Code93", bcCode93, "TEST93", false, {"CODE-93", "TEST93"}},
    {"Ean8", bcCodeEAN8, "9638507", true, {"EAN-8", "96385074"}},
    {"Ean13", bcCodeEAN13, "400638133393", true, {"EAN-13", "4006381333931"}},
    {"UpcA", bcCodeUPC_A, "03600029145", true, {"UPC-A", "036000291452"}},
    {"UpcE", bcCodeUPC_E0, "123456", false, {"UPC-E", "01234565"}},
    {"Supp2", bcCodeUPC_Supp2, "34", false, {"EAN-2", "34"}},
    {"Supp5", bcCodeUPC_Supp5, "52495", false, {"EAN-5", "52495"}},
};

// Symbologies of narrow and wide elements, which take other ratios too.
const TSymbol NarrowWideSymbols[] = {
    {"Interleaved2of5", bcCode_2_5_interleaved, "1234567890", false, {"I2/5", "1234567890"}},
    {"Code39", bcCode39, "AB-12", false, {"CODE-39", "AB-12"}},
    {"Code39Check", bcCode39, "ABC", true, {"CODE-39", "ABCX"}},  // 10 + 11 + 12 = 33: X
    {"Codabar", bcCodeCodabar, "123-45", false, {"Codabar", "A123-45B"}},
};

struct TWidths {
  int Modul;
  double Ratio;
};

using TParam = std::tuple<TSymbol, double, TWidths>;

void PrintTo(const TSymbol& symbol, std::ostream* os) { *os << symbol.Name << " '" << symbol.Text << "'"; }
void PrintTo(const TWidths& widths, std::ostream* os) { *os << "Modul " << widths.Modul << " ratio " << widths.Ratio; }

class PaintDecode : public testing::TestWithParam<TParam> {};

// The barcode drawn alone on white with a quiet zone of ten wide modules all
// round, at Left = Top = that zone.
TEST_P(PaintDecode, TheDecoderReadsWhatWasTyped) {
  const auto& [symbol, angle, widths] = GetParam();
  TVmBarcode barcode(nullptr);
  barcode.SetTyp(symbol.Typ), barcode.SetText(symbol.Text), barcode.SetChecksum(symbol.Checksum);
  barcode.SetModul(widths.Modul), barcode.SetRatio(widths.Ratio), barcode.SetAngle(angle), barcode.SetHeight(24);
  const int width = barcode.GetWidth();
  const int quiet = 10 * barcode.GetModuleWidths()[1];
  const int lead = 4 * barcode.GetModuleWidths()[1];  // the EAN-13 space for its first digit and more
  barcode.SetLeft(quiet), barcode.SetTop(quiet);
  const bool upright = std::fabs(std::sin(angle * M_PI / 180)) > 0.5;
  const int along = lead + width + 1;
  const int across = barcode.GetHeight() + 1;
  TPaintSurface paint(2 * quiet + (upright ? across + lead : along), 2 * quiet + (upright ? along : across), clWhite);
  barcode.PaintBarcode(paint.Canvas);
  EXPECT_EQ(ScanSurface(paint.Surface(), widths.Modul == 1 ? 2 : 1), symbol.Read);
}

std::string ParamName(const testing::TestParamInfo<TParam>& info) {
  const auto& [symbol, angle, widths] = info.param;
  const std::string degrees = angle == 0.001 ? "0_001" : std::to_string(static_cast<int>(angle));
  return std::string(symbol.Name) + "_deg" + degrees + "_modul" + std::to_string(widths.Modul) + "_ratio" +
         std::to_string(static_cast<int>(widths.Ratio * 10));
}

const auto Angles = testing::Values(0.0, 0.001, 90.0, 180.0, 270.0);
const auto RatioTwo = testing::Values(TWidths{1, 2.0}, TWidths{2, 2.0}, TWidths{3, 2.0});

INSTANTIATE_TEST_SUITE_P(WholeModules, PaintDecode, testing::Combine(testing::ValuesIn(ModuleSymbols), Angles, RatioTwo),
                         ParamName);
INSTANTIATE_TEST_SUITE_P(NarrowWide, PaintDecode,
                         testing::Combine(testing::ValuesIn(NarrowWideSymbols), Angles,
                                          testing::Values(TWidths{1, 2.0}, TWidths{2, 2.0}, TWidths{3, 2.0},
                                                          TWidths{2, 2.5}, TWidths{3, 2.5})),
                         ParamName);

}  // namespace
