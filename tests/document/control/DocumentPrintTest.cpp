// Printing pages of the editor control to a PDF file through the printer
// service, read back with poppler: sheet count and sizes, where the ink of
// known rectangles lands (fitted, centred and turned), pages that do not
// exist, progress, a busy document and a failure in the middle of a job.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#include "../../platform/qt/PdfProbe.h"
#include "../../platform/qt/PrintTestSupport.h"
#include "document/shapes/FrameShapes.h"
#include "document/page/Page.h"
#include "document/core/StartUp.h"
#include "document/control/Document.h"
#include "platform/qt/Printer.h"

namespace {

constexpr double SheetWidth = 210, SheetHeight = 297;  // A4 portrait
constexpr double ToleranceMm = 0.2;
constexpr int Dpi = 300;

struct TMmBox {
  double Left, Top, Right, Bottom;
};

struct DocumentPrintTest : ::testing::Test {
  DocumentPrintTest() : Scratch("document-print") {
    document::StartUp();
    Printer.SelectPrinterByName(TPrinter::PdfPrinterName);
    Printer.SetPaperSizeMm(SheetWidth, SheetHeight);
    Printer.SetOutputFileName(Pdf());
    Control.SetPrinter(&Printer);
    // Page 0: A4 with two black rectangles; page 1: 200 x 100 mm with two.
    Doc().SetCurrentPageIndex(0);
    AddRectangle(20, 30, 50, 40);
    AddRectangle(150, 250, 40, 30);
    auto wide = std::make_unique<TdocPage>();
    const int index = Doc().AddPage(std::move(wide));
    TdocPage& page = *Doc().GetPages(index);
    page.SetIsDefaultPage(false);
    page.SetPageWidth(200);
    page.SetPageHeight(100);
    Doc().SetCurrentPageIndex(index);
    AddRectangle(10, 10, 60, 30);
    AddRectangle(150, 50, 30, 30);
  }

  TdocDocumentCore& Doc() { return Control.Core(); }
  std::string Pdf() const { return Scratch.File("pages.pdf"); }

  void AddRectangle(float left, float top, float width, float height) {
    auto shape = std::make_unique<TdocRectangleShape>();
    shape->SetFillColor(clBlack);
    shape->SetUseOutline(false);
    shape->SetDocFrame(left, top, width, height, 0);
    Doc().AddShape(std::move(shape));
  }

  void ExpectInk(int sheet, const TMmBox& expected) {
    const TGrayPage page = RenderPdfPage(Pdf(), sheet, Dpi);
    ASSERT_GT(page.Width, 0);
    const TInkBox ink = InkBox(page, Dpi);
    ASSERT_TRUE(ink.Found);
    EXPECT_NEAR(ink.Left, expected.Left, ToleranceMm) << "sheet " << sheet;
    EXPECT_NEAR(ink.Top, expected.Top, ToleranceMm) << "sheet " << sheet;
    EXPECT_NEAR(ink.Right, expected.Right, ToleranceMm) << "sheet " << sheet;
    EXPECT_NEAR(ink.Bottom, expected.Bottom, ToleranceMm) << "sheet " << sheet;
  }

  TScratchDir Scratch;
  TPrinter Printer;
  TdocDocument Control;
};

TEST_F(DocumentPrintTest, EachPageIsFittedCentredAndTurnedOnItsOwnSheet) {
  Doc().Options.PrintQuality = pqMedium;
  Control.PrintAll();
  const std::vector<TPdfPageSize> sheets = PdfPageSizes(Pdf());
  ASSERT_EQ(sheets.size(), 2u);
  for (const TPdfPageSize& sheet : sheets) {
    EXPECT_NEAR(sheet.WidthPt, SheetWidth * PointsPerMm, 0.5);
    EXPECT_NEAR(sheet.HeightPt, SheetHeight * PointsPerMm, 0.5);
  }
  // The A4 page fills the sheet one to one: the ink runs from the first
  // rectangle's top-left to the second one's bottom-right.
  ExpectInk(1, {20, 30, 190, 280});
  // 200 x 100 mm: upright it would scale by min(210/200, 297/100) = 1.05,
  // turned by min(297/200, 210/100) = 1.485, so it is turned a quarter
  // counter-clockwise: page x runs up the sheet, page y across. It is
  // 148.5 mm wide on the sheet, centred: 30.75 mm from the left.
  const double s = 1.485, left = (SheetWidth - 100 * s) / 2;
  // Page y 10 .. 80 across; page x 10 .. 180 up from the bottom edge.
  ExpectInk(2, {left + 10 * s, (200 - 180) * s, left + 80 * s, (200 - 10) * s});
}

TEST_F(DocumentPrintTest, PagesThatDoNotExistTakeNoSheet) {
  // A missing last page used to leave a blank last sheet.
  const int indexes[] = {7, 1, -1, 0, 2};
  Control.Print(indexes);
  const std::vector<TPdfPageSize> sheets = PdfPageSizes(Pdf());
  ASSERT_EQ(sheets.size(), 2u);
  // Page 1 first (turned), then page 0.
  ExpectInk(2, {20, 30, 190, 280});
}

TEST_F(DocumentPrintTest, NothingToPrintStartsNoJob) {
  int progress = 0;
  Doc().OnProgress = [&](TPersistent*, TdocProgressType, int, int, float) { ++progress; };
  Control.PrintRange(0, 0);
  EXPECT_FALSE(std::filesystem::exists(Pdf()));
  Control.PrintRange(5, 3);
  EXPECT_FALSE(std::filesystem::exists(Pdf()));
  EXPECT_EQ(progress, 0);
  EXPECT_FALSE(Printer.GetPrinting());
}

struct TProgressStep {
  int Count, Total;
  float Percent;
  bool operator==(const TProgressStep&) const = default;
};

void PrintTo(const TProgressStep& step, std::ostream* out) {
  *out << "(" << step.Count << ", " << step.Total << ", " << step.Percent << ")";
}

// Every index given counts: before each one, after each new sheet, and at
// the end. Page 0 prints upright, and an upright page reports once more
// itself when it is rendered: (its count, count / total).
TEST_F(DocumentPrintTest, ProgressCountsEveryIndexAndEachNewSheet) {
  std::vector<TProgressStep> steps;
  Doc().OnProgress = [&](TPersistent*, TdocProgressType type, int count, int total, float percent) {
    EXPECT_EQ(type, ptPrint);
    EXPECT_TRUE(Doc().IsBusy());
    steps.push_back({count, total, percent});
  };
  Control.PrintRange(0, 1);
  const std::vector<TProgressStep> onePage = {{0, 1, 0.0f}, {1, 1, 0.0f}, {1, 1, 1.0f}, {1, 1, 1.0f}};
  EXPECT_EQ(steps, onePage);

  // Index 7 has no page: its own report, but no sheet. Page 0 at the last
  // index is the last one printed, so no sheet and no report follow it.
  steps.clear();
  const int indexes[] = {0, 7, 0};
  Control.Print(indexes);
  const float third = 1.0f / 3, twoThirds = 2.0f / 3;
  const std::vector<TProgressStep> threeIndexes = {{0, 3, 0.0f},  {1, 3, 0.0f},      {1, 3, third},
                                                   {1, 3, third}, {2, 3, third},     {3, 3, twoThirds},
                                                   {3, 3, 1.0f},  {3, 3, 1.0f}};
  EXPECT_EQ(steps, threeIndexes);
  EXPECT_EQ(PdfPageSizes(Pdf()).size(), 2u);
  EXPECT_FALSE(Doc().IsBusy());
}

TEST_F(DocumentPrintTest, AFailureInTheMiddleAbortsTheWholeJob) {
  Doc().OnProgress = [](TPersistent*, TdocProgressType, int count, int, float percent) {
    if (count == 2 && percent == 0.5f) throw std::runtime_error("out of paper");
  };
  EXPECT_THROW(Control.PrintAll(), std::runtime_error);
  EXPECT_FALSE(std::filesystem::exists(Pdf()));
  EXPECT_TRUE(Printer.GetAborted());
  EXPECT_FALSE(Printer.GetPrinting());
  EXPECT_FALSE(Doc().IsBusy());
  EXPECT_FALSE(Doc().IsPrinting());
  // The printer takes the next job.
  Doc().OnProgress = nullptr;
  Control.PrintRange(0, 1);
  EXPECT_EQ(PdfPageSizes(Pdf()).size(), 1u);
}

TEST_F(DocumentPrintTest, ABusyDocumentRefusesToPrint) {
  auto busy = Doc().BusyBracket(crHourGlass);
  try {
    Control.PrintAll();
    ADD_FAILURE() << "printed while busy";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Threading error (working already)");
  }
  EXPECT_FALSE(std::filesystem::exists(Pdf()));
}

TEST_F(DocumentPrintTest, EveryQualityPrintsTheSameGeometry) {
  for (TPrintQualityType quality : {pqLow, pqHigh, pqDevice}) {
    Doc().Options.PrintQuality = quality;
    Control.PrintRange(0, 1);
    ExpectInk(1, {20, 30, 190, 280});
  }
}

}  // namespace
