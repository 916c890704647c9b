// The printer service printing to PDF files, read back with poppler.

#include <gtest/gtest.h>

#include <stdexcept>

#include "PdfProbe.h"
#include "PrintTestSupport.h"
#include "platform/qt/Printer.h"

namespace {

// The toolkit's PDF writer lays pages out in whole points, so a sheet may be
// up to half a point (0.18 mm) off the size asked for.
constexpr double WholePointTolerancePt = 0.5;

double PointsToPixels(const TPrinter& printer, double points) { return points * printer.GetResolution() / 72.0; }

class PdfPrinterTest : public ::testing::Test {
protected:
  PdfPrinterTest() {
    Printer.SelectPrinterByName(TPrinter::PdfPrinterName);
    Printer.SetOutputFileName(Output);
  }

  TScratchDir Scratch{"pdf-printer-test"};
  const std::string Output = Scratch.File("job.pdf");
  TPrinter Printer;
};

TEST_F(PdfPrinterTest, PdfPrinterIsListedLastAndUnknownNamesSelectTheDefault) {
  const auto& printers = Printer.GetPrinters();
  ASSERT_FALSE(printers.empty());
  EXPECT_EQ(printers.back(), TPrinter::PdfPrinterName);
  EXPECT_TRUE(Printer.IsPdfPrinter());

  Printer.SetPrinterIndex(-1);
  const int defaultIndex = Printer.GetPrinterIndex();
  Printer.SelectPrinterByName("no such printer");
  EXPECT_EQ(Printer.GetPrinterIndex(), defaultIndex);
  EXPECT_THROW(Printer.SetPrinterIndex(static_cast<int>(printers.size())), EPrinter);
  EXPECT_THROW(Printer.SetPrinterIndex(-2), EPrinter);
}

TEST_F(PdfPrinterTest, TwoPagesGiveTwoSheetsOfTheDeviceSize) {
  TBlackTile tile;
  TPrintJob job(Printer);
  Printer.DrawImage(tile.Surface(), Rect(10, 10, 110, 60));
  Printer.NewPage();
  Printer.DrawImage(tile.Surface(), Rect(10, 10, 110, 60));
  job.End();

  const std::vector<TPdfPageSize> pages = PdfPageSizes(Output);
  ASSERT_EQ(pages.size(), 2u);
  const double widthPt = Printer.GetPhysicalWidth() * 72.0 / Printer.GetResolution();
  const double heightPt = Printer.GetPhysicalHeight() * 72.0 / Printer.GetResolution();
  const double onePixelPt = 72.0 / Printer.GetResolution();
  for (const TPdfPageSize& page : pages) {
    EXPECT_NEAR(page.WidthPt, widthPt, onePixelPt);
    EXPECT_NEAR(page.HeightPt, heightPt, onePixelPt);
  }
  // Full-page painting: the page is the whole sheet.
  EXPECT_EQ(Printer.GetPageWidth(), Printer.GetPhysicalWidth());
  EXPECT_EQ(Printer.GetPageHeight(), Printer.GetPhysicalHeight());
  EXPECT_EQ(Printer.GetPhysicalOffsetX(), 0);
  EXPECT_EQ(Printer.GetPhysicalOffsetY(), 0);
  EXPECT_EQ(Printer.GetResolution(), TPrinter::PdfResolution);
}

struct TPaperCase {
  double WidthMm;
  double HeightMm;
};

class ForcedPaperTest : public PdfPrinterTest, public ::testing::WithParamInterface<TPaperCase> {};

TEST_P(ForcedPaperTest, PdfPagesHaveTheForcedSize) {
  const TPaperCase paper = GetParam();
  Printer.SetPaperSizeMm(paper.WidthMm, paper.HeightMm);
  const double tolerancePx = PointsToPixels(Printer, WholePointTolerancePt);
  EXPECT_NEAR(Printer.GetPhysicalWidth(), DevicePixels(Printer, paper.WidthMm), tolerancePx);
  EXPECT_NEAR(Printer.GetPhysicalHeight(), DevicePixels(Printer, paper.HeightMm), tolerancePx);
  {
    TPrintJob job(Printer);
    job.End();
  }
  const std::vector<TPdfPageSize> pages = PdfPageSizes(Output);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NEAR(pages[0].WidthPt, paper.WidthMm * PointsPerMm, WholePointTolerancePt);
  EXPECT_NEAR(pages[0].HeightPt, paper.HeightMm * PointsPerMm, WholePointTolerancePt);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ForcedPaperTest,
                         ::testing::Values(TPaperCase{100, 150}, TPaperCase{150, 100}, TPaperCase{62.5, 29.3},
                                           TPaperCase{210, 297}));

TEST_F(PdfPrinterTest, ForcedPaperIsCheckedAndCapped) {
  for (const double bad : {0.0, -5.0, 0.5, std::nan(""), HUGE_VAL})
    EXPECT_THROW(Printer.SetPaperSizeMm(bad, 100), EPrinter) << bad;
  Printer.SetPaperSizeMm(4000, 100);
  EXPECT_NEAR(Printer.GetPhysicalWidth(), DevicePixels(Printer, TPrinter::MaxPaperSideMm),
              PointsToPixels(Printer, WholePointTolerancePt));
  // A new printer selection drops the forced size.
  Printer.SetPaperSizeMm(100, 150);
  Printer.SelectPrinterByName(TPrinter::PdfPrinterName);
  EXPECT_NE(Printer.GetPhysicalWidth(), DevicePixels(Printer, 100));
}

TEST_F(PdfPrinterTest, ImageLandsAtItsRectangleOnTheSheet) {
  Printer.SetPaperSizeMm(100, 150);
  const TRect dest = DeviceRect(Printer, 30, 40, 50, 50);
  TBlackTile tile;
  {
    TPrintJob job(Printer);
    Printer.DrawImage(tile.Surface(), dest);
    job.End();
  }
  ExpectInkAt(Output, Printer, dest);
}

TEST_F(PdfPrinterTest, JobBracketsAreEnforced) {
  EXPECT_THROW(Printer.NewPage(), EPrinter);
  EXPECT_THROW(Printer.EndDoc(), EPrinter);
  TBlackTile tile;
  EXPECT_THROW(Printer.DrawImage(tile.Surface(), Rect(0, 0, 1, 1)), EPrinter);
  Printer.BeginDoc();
  EXPECT_THROW(Printer.BeginDoc(), EPrinter);
  EXPECT_THROW(Printer.SetPaperSizeMm(100, 100), EPrinter);
  EXPECT_THROW(Printer.SetPrinterIndex(-1), EPrinter);
  Printer.EndDoc();
  EXPECT_FALSE(Printer.GetPrinting());
  EXPECT_EQ(PdfPageSizes(Output).size(), 1u);
}

TEST_F(PdfPrinterTest, PdfPrinterNeedsAnOutputFile) {
  Printer.SetOutputFileName("");
  EXPECT_THROW(Printer.BeginDoc(), EPrinter);
  Printer.SetOutputFileName(Scratch.File("missing-folder/job.pdf"));
  EXPECT_THROW(Printer.BeginDoc(), EPrinter);
  EXPECT_FALSE(Printer.GetPrinting());
}

TEST_F(PdfPrinterTest, AnErrorInsideAJobLeavesNoDocument) {
  TBlackTile tile;
  EXPECT_THROW(
      {
        TPrintJob job(Printer);
        Printer.DrawImage(tile.Surface(), Rect(0, 0, 100, 100));
        Printer.NewPage();
        throw std::runtime_error("render failed");
      },
      std::runtime_error);
  EXPECT_FALSE(Printer.GetPrinting());
  EXPECT_TRUE(Printer.GetAborted());
  EXPECT_FALSE(std::filesystem::exists(Output));
}

}  // namespace
