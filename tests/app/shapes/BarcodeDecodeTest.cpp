// Every symbology zbar reads, drawn by a barcode shape on a page at the
// screen, medium and high print resolutions and at the four quarter turns of
// the shape, is read back as its value with its check digits.

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "ShapeTestSupport.h"

namespace {

using shapetest::TScan;

struct TSymbol {
  TBarcodeType Typ;
  std::string Text;
  TScan Read;
};
void PrintTo(const TSymbol& symbol, std::ostream* os) { *os << BCdata[symbol.Typ].Name << " '" << symbol.Text << "'"; }

// Values as a user types them; the EAN and UPC values leave out their check
// digit, which the label adds.
const TSymbol Symbols[] = {
    {bcCode_2_5_interleaved, "1234567890", {"I2/5", "1234567890"}},
    {bcCode39, "LABEL-39", {"CODE-39", "LABEL-39"}},
    {bcCode39Extended, "Ab1", {"CODE-39", "A+B1"}},
    {bcCode128A, "LABEL-128", {"CODE-128", "LABEL-128"}},
    {bcCode128B, "Label 128", {"CODE-128", "Label 128"}},
    {bcCode128C, "12345678", {"CODE-128", "12345678"}},
    {bcCode93, "CODE93", {"CODE-93", "CODE93"}},
    {bcCode93Extended, "Label 93", {"CODE-93", "Label 93"}},
    {bcCodeCodabar, "123456", {"Codabar", "A123456B"}},
    {bcCodeEAN8, "9638507", {"EAN-8", "96385074"}},
    {bcCodeEAN13, "400638133393", {"EAN-13", "4006381333931"}},
    {bcCodeUPC_A, "03600029145", {"UPC-A", "036000291452"}},
    {bcCodeUPC_E0, "123456", {"UPC-E", "01234565"}},
    {bcCodeUPC_Supp2, "34", {"EAN-2", "34"}},
    {bcCodeUPC_Supp5, "52495", {"EAN-5", "52495"}},
    {bcCodeEAN128A, "LABEL", {"CODE-128", "LABEL"}},
    {bcCodeEAN128B, "Label", {"CODE-128", "Label"}},
    {bcCodeEAN128C, "1234", {"CODE-128", "1234"}},
};

const float Resolutions[] = {5.905512f, 11.811024f, 23.622047f};
const float Angles[] = {0, 90, 180, 270};

class ShapeDecode : public testing::TestWithParam<TSymbol> {};

TEST_P(ShapeDecode, ReadAtEveryResolutionAndQuarterTurn) {
  const TSymbol& symbol = GetParam();
  std::ostringstream row;
  row << BCdata[symbol.Typ].Name << ":";
  for (const float resolution : Resolutions)
    for (const float angle : Angles) {
      shapetest::TTestPage page(72, 72);
      TdocBarCodeShape& shape = page.AddBarcode(symbol.Typ, symbol.Text, 6, 26, 60, 20, angle);
      const auto bitmap = page.Render(resolution);
      EXPECT_EQ(shape.GetPaintError(), "");
      const std::vector<TScan> scans = shapetest::ScanAll(*bitmap);
      const bool read = scans.size() == 1 && scans[0] == symbol.Read;
      EXPECT_TRUE(read) << resolution << " dots/mm, " << angle << " degrees: read "
                        << (scans.empty() ? std::string("nothing") : scans[0].first + " '" + scans[0].second + "'");
      row << " " << resolution << "/" << angle << (read ? "=ok" : "=FAIL");
    }
  std::cout << row.str() << "\n";
}

INSTANTIATE_TEST_SUITE_P(Symbols, ShapeDecode, testing::ValuesIn(Symbols));

}  // namespace
