// Sheets end to end through the main window: templates in the preview, and
// labels printed to a PDF file and to the CUPS PDF queue, read back with
// poppler and zbar. Expected cells come from the sheet rules worked out
// here, not from the program's grid.

#include <gtest/gtest.h>

#include <zbar.h>

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <map>
#include <numeric>
#include <sstream>

#include "MainWindowTestSupport.h"
#include "app/SheetTemplates.h"
#include "app/UiTexts.h"
#include "app/gui/ExportImageDialog.h"
#include "app/gui/SheetTab.h"
#include "app/gui/SheetPreview.h"
#include "app/shapes/BarcodeShape.h"
#include "document/shapes/FrameShapes.h"
#include "document/page/Page.h"
#include "document/text/TextShape.h"
#include "document/control/Document.h"
#include "platform/qt/Printer.h"
#include "tests/platform/qt/PdfProbe.h"

namespace {

constexpr const char* Ean = "4006381333931";
constexpr float MarkerInset = 1.0f;  // mm inside the label's edge
constexpr int ScanDpi = 300;
constexpr double PositionToleranceMm = 0.3;
constexpr double WholePointTolerancePt = 0.5;  // Qt's PDF writer rounds page sizes to whole points

struct TCellBox {
  float Left, Top, Right, Bottom;  // the area the label covers, mm
  float OriginLeft, OriginTop, Angle;  // the label page as a shape on the sheet
};

// Cells by the sheet rules: columns = trunc((sheet - margin + gap) / (cell
// + gap)), at least 1, rows likewise; turned labels stand on the bottom
// margin and rows climb.
std::vector<TCellBox> ExpectedCells(const Tmodeleplanche& m, bool turned) {
  const float w = turned ? m.LabelHeight : m.LabelWidth;
  const float h = turned ? m.LabelWidth : m.LabelHeight;
  const int columns = std::max(static_cast<int>((m.SheetWidth - m.MarginLeft + m.SpacingX) / (w + m.SpacingX)), 1);
  const int rows = std::max(static_cast<int>((m.SheetHeight - m.MarginTop + m.SpacingY) / (h + m.SpacingY)), 1);
  std::vector<TCellBox> cells;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) {
      const float left = m.MarginLeft + c * (w + m.SpacingX);
      if (turned) {
        const float top = m.SheetHeight - m.MarginTop - r * (h + m.SpacingY);
        cells.push_back({left, top - h, left + w, top, left, top, 90.0f});
      } else {
        const float top = m.MarginTop + r * (h + m.SpacingY);
        cells.push_back({left, top, left + w, top + h, left, top, 0.0f});
      }
    }
  return cells;
}

struct TScanned {
  std::string Symbology;
  std::string Data;
  double X = 0, Y = 0;  // centre, mm from the page's corner
};

// zbar merges equal symbols of one picture into one, so each cell is read
// on its own.
std::vector<TScanned> ScanArea(const TGrayPage& page, const TCellBox& cell) {
  const auto pixel = [](float mm) { return static_cast<int>(std::lround(mm * ScanDpi / 25.4)); };
  const int left = pixel(cell.Left), top = pixel(cell.Top);
  const int width = std::min(pixel(cell.Right), page.Width) - left;
  const int height = std::min(pixel(cell.Bottom), page.Height) - top;
  std::vector<unsigned char> grey;
  for (int y = top; y < top + height; ++y)
    for (int x = left; x < left + width; ++x) grey.push_back(page.At(x, y));
  zbar::zbar_image_scanner_t* scanner = zbar::zbar_image_scanner_create();
  zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 1);
  zbar::zbar_image_t* image = zbar::zbar_image_create();
  zbar::zbar_image_set_format(image, zbar_fourcc('Y', '8', '0', '0'));
  zbar::zbar_image_set_size(image, static_cast<unsigned>(width), static_cast<unsigned>(height));
  zbar::zbar_image_set_data(image, grey.data(), grey.size(), nullptr);
  zbar::zbar_scan_image(scanner, image);
  std::vector<TScanned> found;
  for (const zbar::zbar_symbol_t* symbol = zbar::zbar_image_first_symbol(image); symbol;
       symbol = zbar::zbar_symbol_next(symbol)) {
    TScanned scan{zbar::zbar_get_symbol_name(zbar::zbar_symbol_get_type(symbol)), zbar::zbar_symbol_get_data(symbol)};
    const unsigned points = zbar::zbar_symbol_get_loc_size(symbol);
    for (unsigned i = 0; i < points; ++i) {
      scan.X += (left + zbar::zbar_symbol_get_loc_x(symbol, i)) * 25.4 / ScanDpi / points;
      scan.Y += (top + zbar::zbar_symbol_get_loc_y(symbol, i)) * 25.4 / ScanDpi / points;
    }
    found.push_back(scan);
  }
  zbar::zbar_image_destroy(image);
  zbar::zbar_image_scanner_destroy(scanner);
  return found;
}

// What a printed page shows: in each printed cell its marker where the cell
// is and one EAN-13 inside the marker; nothing in the other cells.
void ExpectPrintedPage(const std::string& pdf, int page, const std::vector<TCellBox>& cells,
                       const std::vector<int>& printed) {
  SCOPED_TRACE("page " + std::to_string(page));
  const TGrayPage image = RenderPdfPage(pdf, page, ScanDpi);
  ASSERT_GT(image.Width, 0);
  std::size_t codes = 0;
  for (int index = 0; index < static_cast<int>(cells.size()); ++index) {
    const TCellBox& cell = cells[static_cast<std::size_t>(index)];
    const TInkBox ink = InkBoxIn(image, ScanDpi, {cell.Left, cell.Top, cell.Right, cell.Bottom, true});
    const std::vector<TScanned> scans = ScanArea(image, cell);
    codes += scans.size();
    if (std::find(printed.begin(), printed.end(), index) == printed.end()) {
      EXPECT_FALSE(ink.Found) << "ink in cell " << index;
      continue;
    }
    ASSERT_TRUE(ink.Found) << "cell " << index;
    EXPECT_NEAR(ink.Left, cell.Left + MarkerInset, PositionToleranceMm) << index;
    EXPECT_NEAR(ink.Top, cell.Top + MarkerInset, PositionToleranceMm) << index;
    EXPECT_NEAR(ink.Right, cell.Right - MarkerInset, PositionToleranceMm) << index;
    EXPECT_NEAR(ink.Bottom, cell.Bottom - MarkerInset, PositionToleranceMm) << index;
    ASSERT_EQ(scans.size(), 1u) << "cell " << index;
    EXPECT_EQ(scans[0].Symbology, "EAN-13");
    EXPECT_EQ(scans[0].Data, Ean);
    EXPECT_GT(scans[0].X, ink.Left);
    EXPECT_LT(scans[0].X, ink.Right);
    EXPECT_GT(scans[0].Y, ink.Top);
    EXPECT_LT(scans[0].Y, ink.Bottom);
  }
  EXPECT_EQ(codes, printed.size());
}

// The share of pixels of a that no pixel of b within one pixel matches;
// 1 when the sizes differ. Another driver may place a page a pixel aside.
double DifferingShare(const TGrayPage& a, const TGrayPage& b) {
  if (a.Width != b.Width || a.Height != b.Height || a.Pixels.empty()) return 1;
  std::size_t differing = 0;
  for (int y = 0; y < a.Height; ++y)
    for (int x = 0; x < a.Width; ++x) {
      bool matched = false;
      for (int dy = -1; dy <= 1 && !matched; ++dy)
        for (int dx = -1; dx <= 1 && !matched; ++dx) {
          const int u = std::clamp(x + dx, 0, a.Width - 1), v = std::clamp(y + dy, 0, a.Height - 1);
          matched = std::abs(a.At(x, y) - b.At(u, v)) <= 64;
        }
      differing += !matched;
    }
  return static_cast<double>(differing) / static_cast<double>(a.Pixels.size());
}


// The pictures a PDF holds, as pdfimages lists where they are drawn: each
// stored object once, with its encoding ("image" for lossless, "jpeg", ...).
std::map<std::string, std::string> PdfPictureEncodings(const std::string& pdf) {
  std::map<std::string, std::string> encodings;
  const std::string command = "pdfimages -list '" + pdf + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return encodings;
  char line[512];
  for (int row = 0; std::fgets(line, sizeof line, pipe); ++row) {
    if (row < 2) continue;  // the header and its rule
    // page num type width height color comp bpc enc interp object ID ...
    std::istringstream fields(line);
    std::vector<std::string> columns;
    for (std::string field; columns.size() < 11 && fields >> field;) columns.push_back(field);
    if (columns.size() == 11) encodings[columns[10]] = columns[8];
  }
  pclose(pipe);
  return encodings;
}

// The runs of dark and light pixels along row y from the first dark pixel
// to the last one in [left, right); grey counts the pixels neither black
// nor white among them.
struct TRuns {
  std::vector<int> Lengths;
  int Grey = 0;
};

TRuns RunsAlong(const TGrayPage& page, int y, int left, int right) {
  TRuns runs;
  int first = -1, last = -1;
  for (int x = left; x < right; ++x)
    if (page.At(x, y) < 128) {
      if (first < 0) first = x;
      last = x;
    }
  for (int x = first; first >= 0 && x <= last; ++x) {
    const std::uint8_t value = page.At(x, y);
    runs.Grey += value != 0 && value != 255;
    if (x == first || (value < 128) != (page.At(x - 1, y) < 128))
      runs.Lengths.push_back(1);
    else
      ++runs.Lengths.back();
  }
  return runs;
}

class SheetPrintTest : public guitest::MainWindowTest {
protected:
  app::TForm1& ShowUpright() {
    app::TForm1& form = Show();
    form.chorientation->setChecked(false);
    return form;
  }

  void ChooseTemplate(int number) {
    QComboBox* list = Form->Comblistetailleetiquette;
    list->setCurrentIndex(number);
    emit list->activated(number);
  }

  // The label of the end-to-end run: a frame 1 mm inside its edge as the
  // position marker, an EAN-13 and a word.
  void DesignLabel() {
    TdocDocumentCore& core = Form->Fdocument->Core();
    const TdocPage& page = *core.GetCurrentPage();
    const float width = page.GetPageWidth(), height = page.GetPageHeight();
    auto frame = app::TForm1::NewShape(app::TForm1::ikFrame);
    static_cast<TdocRectangleShape&>(*frame).SetOutlineWidth(0.2f);
    frame->SetDocFrame(MarkerInset, MarkerInset, width - 2 * MarkerInset, height - 2 * MarkerInset, 0);
    core.AddShape(std::move(frame));
    auto barcode = app::TForm1::NewShape(app::TForm1::ikBarcode);
    TVmBarcode& symbol = *static_cast<TdocBarCodeShape&>(*barcode).GetBarcode();
    symbol.SetTyp(bcCodeEAN13);
    symbol.SetText(Ean);
    barcode->SetDocFrame(6, 8, width - 12, 30, 0);
    core.AddShape(std::move(barcode));
    auto text = std::make_unique<TdocTextShape>();
    text->SetText(u"Sheet");
    text->SetDocFrame(6, 45, width - 12, 10, 0);
    core.AddShape(std::move(text));
  }

  // Prints count labels from start on the named printer; the PDF printer
  // writes Output.
  void PrintLabels(const std::string& printer, int count, int start) {
    guitest::ClickTab(*Form, Form->TabParapage);
    Form->CombImprimante->setCurrentText(QString::fromStdString(printer));
    Form->pagetypeimpression->setCurrentWidget(Form->tabimpetiquette);
    Form->enbetiquette->setText(QString::number(count));
    Form->enuetidebut->setText(QString::number(start));
    Form->GetSheets().AskPdfFileName = [this] { return Output(); };
    QTest::mouseClick(Form->SpImprime, Qt::LeftButton);
  }

  static constexpr const char* ZweckformValue = "SN-2026-0042";
  static constexpr float ZweckformFrameWidth = 32;

  // The label of the issue: a Code 128 "SN-2026-0042" in a 32 mm frame on
  // the 38 x 21.19 mm Zweckform label.
  void DesignZweckformLabel() {
    ShowUpright();
    ChooseTemplate(2);
    auto shape = app::TForm1::NewShape(app::TForm1::ikBarcode);
    TVmBarcode& symbol = *static_cast<TdocBarCodeShape&>(*shape).GetBarcode();
    symbol.SetTyp(bcCode128B);
    symbol.SetText(ZweckformValue);
    shape->SetDocFrame(3, 1, ZweckformFrameWidth, 14, 0);
    Form->Fdocument->Core().AddShape(std::move(shape));
  }

  void PrintTwoZweckformSheets(const std::string& printer) {
    guitest::ClickTab(*Form, Form->TabParapage);
    Form->CombImprimante->setCurrentText(QString::fromStdString(printer));
    Form->pagetypeimpression->setCurrentWidget(Form->tabimppage);
    Form->enbpageaimprimer->setText("2");
    Form->GetSheets().AskPdfFileName = [this] { return Output(); };
    QTest::mouseClick(Form->SpImprime, Qt::LeftButton);
  }

  // Each label pixel is one dot: at 300 dpi every bar and space along a
  // scan line is a whole number of modules with no grey pixel, at 600 dpi
  // twice as wide; the module is the frame's 80 % over the module count,
  // rounded to whole dots; zbar reads every label; every cell of both
  // sheets is the same, pixel for pixel.
  void ExpectWholeDotBars(const std::string& pdf);

  std::string Output() const { return Folder.File("sheets.pdf"); }
  std::vector<TCellBox> AveryCells() const { return ExpectedCells(pglomodelesplanche()[0], false); }
};

TEST_F(SheetPrintTest, EveryTemplateInBothOrientationsFillsThePreviewCells) {
  app::TForm1& form = Show();
  const std::vector<Tmodeleplanche> stock = pglomodelesplanche();
  for (int number = 0; number <= SheetTemplateCount; ++number) {
    const Tmodeleplanche model = SheetTemplate(stock, number);
    for (bool turned : {false, true}) {
      SCOPED_TRACE("template " + std::to_string(number) + (turned ? " turned" : ""));
      form.chorientation->setChecked(turned);
      ChooseTemplate(number);
      QTest::mouseClick(form.Spapercu, Qt::LeftButton);
      const std::vector<TCellBox> cells = ExpectedCells(model, turned);
      ASSERT_NE(form.docPrintPreview->Core().GetCurrentPage(), nullptr);
      const TdocPage& sheet = *form.docPrintPreview->Core().GetCurrentPage();
      EXPECT_EQ(sheet.GetPageWidth(), model.SheetWidth);
      EXPECT_EQ(sheet.GetMarginRight(), model.MarginLeft);
      EXPECT_EQ(sheet.GetMarginBottom(), model.MarginTop);
      ASSERT_EQ(sheet.GetShapeCount(), static_cast<int>(cells.size()));
      EXPECT_EQ(form.enbetiquette->text().toInt(), static_cast<int>(cells.size()));
      for (std::size_t i = 0; i < cells.size(); ++i) {
        const TdocShape& label = *sheet.GetShapes(static_cast<int>(i));
        EXPECT_FLOAT_EQ(label.GetDocLeft(), cells[i].OriginLeft) << i;
        EXPECT_FLOAT_EQ(label.GetDocTop(), cells[i].OriginTop) << i;
        EXPECT_EQ(label.GetDocAngle(), cells[i].Angle) << i;
        EXPECT_EQ(label.GetDocWidth(), model.LabelWidth);
      }
    }
  }
}

// In inches the edits show 1.38 x 1.77 for the 35 x 45 mm photo label; the
// sheet still holds 6 x 6 of them.
TEST_F(SheetPrintTest, InchesDoNotRoundTheTemplateAway) {
  app::TForm1& form = ShowUpright();
  form.raunitinch->click();
  ChooseTemplate(5);
  EXPECT_EQ(form.elargeur->text(), "1.38");
  QTest::mouseClick(form.Spapercu, Qt::LeftButton);
  EXPECT_EQ(form.enbetiquette->text(), "36");
  form.raunitmm->click();
  EXPECT_EQ(form.elargeur->text(), "35.00");
  EXPECT_EQ(form.Fdocument->Core().GetCurrentPage()->GetPageWidth(), 35.0f);
}

TEST_F(SheetPrintTest, FiveLabelsFromTheTenthOnTwoA4Pages) {
  ShowUpright();
  ChooseTemplate(1);
  DesignLabel();
  QTest::mouseClick(Form->Spapercu, Qt::LeftButton);
  EXPECT_EQ(Form->docPrintPreview->Core().GetCurrentPage()->GetShapeCount(), 12);
  EXPECT_EQ(Form->enbetiquette->text(), "12");

  PrintLabels(TPrinter::PdfPrinterName, 5, 10);
  const std::vector<TPdfPageSize> pages = PdfPageSizes(Output());
  ASSERT_EQ(pages.size(), 2u);
  for (const TPdfPageSize& page : pages) {
    EXPECT_NEAR(page.WidthPt, 595.28, WholePointTolerancePt);
    EXPECT_NEAR(page.HeightPt, 841.89, WholePointTolerancePt);
  }
  ExpectPrintedPage(Output(), 1, AveryCells(), {9, 10, 11});
  ExpectPrintedPage(Output(), 2, AveryCells(), {0, 1});

  // Exporting right after printing gives the label at 5 pixels per mm.
  Form->fexportimage->show();
  Form->fexportimage->bclipboard->click();
  Form->fexportimage->close();
  const QImage exported = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_Grayscale8);
  ASSERT_EQ(exported.size(), QSize(318, 360));
  TGrayPage grey{exported.width(), exported.height(), {}};
  for (int y = 0; y < grey.Height; ++y)
    grey.Pixels.insert(grey.Pixels.end(), exported.constScanLine(y), exported.constScanLine(y) + grey.Width);
  const std::vector<TScanned> scans = ScanArea(grey, {0, 0, 1e6f, 1e6f, 0, 0, 0});
  ASSERT_EQ(scans.size(), 1u);
  EXPECT_EQ(scans[0].Data, Ean);
}

TEST_F(SheetPrintTest, TurnedLabelsFillAWholeSheetFromTheBottom) {
  ShowUpright();
  ChooseTemplate(1);
  DesignLabel();
  Form->chorientation->setChecked(true);
  guitest::ClickTab(*Form, Form->TabParapage);
  Form->CombImprimante->setCurrentText(TPrinter::PdfPrinterName);
  Form->pagetypeimpression->setCurrentWidget(Form->tabimppage);
  Form->GetSheets().AskPdfFileName = [this] { return Output(); };
  QTest::mouseClick(Form->SpImprime, Qt::LeftButton);
  ASSERT_EQ(PdfPageSizes(Output()).size(), 1u);
  ExpectPrintedPage(Output(), 1, ExpectedCells(pglomodelesplanche()[0], true), {0, 1, 2, 3, 4, 5, 6, 7});
}

TEST_F(SheetPrintTest, TheCupsQueuePrintsTheSamePages) {
  const char* queue = std::getenv("LABEL_PRINT_QUEUE");
  if (queue == nullptr || *queue == '\0') GTEST_SKIP() << "LABEL_PRINT_QUEUE is not set (./test.sh sets it)";
  ShowUpright();
  Form->setWindowTitle(QStringLiteral("sheetqueuetest%1").arg(getpid()));
  ChooseTemplate(1);
  DesignLabel();
  PrintLabels(queue, 5, 10);
  std::vector<TPdfPageSize> pages;
  const std::string output = AwaitQueueOutput(Form->windowTitle().toStdString(), pages);
  ASSERT_FALSE(output.empty()) << "no PDF from " << queue << " in " << QueueOutputDir();
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_NEAR(pages[0].WidthPt, 595.28, WholePointTolerancePt);
  EXPECT_NEAR(pages[0].HeightPt, 841.89, WholePointTolerancePt);
  ExpectPrintedPage(output, 1, AveryCells(), {9, 10, 11});
  ExpectPrintedPage(output, 2, AveryCells(), {0, 1});
  // The queue's pages look like the PDF printer's: the driver resamples the
  // label picture, which moves a few bar edges (0.16 % of page 1's pixels).
  PrintLabels(TPrinter::PdfPrinterName, 5, 10);
  constexpr int compareDpi = 150;
  for (int page = 1; page <= 2; ++page)
    EXPECT_LT(DifferingShare(RenderPdfPage(output, page, compareDpi), RenderPdfPage(Output(), page, compareDpi)), 0.005)
        << "page " << page;
  std::filesystem::remove(output);
}

TEST_F(SheetPrintTest, ForcedPaperTakesTheTypedSheetSize) {
  ShowUpright();
  Form->edPageWidth->setText("100");
  Form->edPageHeight->setText("150");
  Form->elargeur->setText("40");
  Form->ApplyLabelSizeToPage();
  Form->chforcetaille->setChecked(true);
  guitest::ClickTab(*Form, Form->TabParapage);
  Form->CombImprimante->setCurrentText(TPrinter::PdfPrinterName);
  Form->pagetypeimpression->setCurrentWidget(Form->tabimppage);
  Form->enbpageaimprimer->setText("2");
  Form->GetSheets().AskPdfFileName = [this] { return Output(); };
  QTest::mouseClick(Form->SpImprime, Qt::LeftButton);
  // Two sheets, one job.
  const std::vector<TPdfPageSize> pages = PdfPageSizes(Output());
  ASSERT_EQ(pages.size(), 2u);
  for (const TPdfPageSize& page : pages) {
    EXPECT_NEAR(page.WidthPt, 100 * PointsPerMm, WholePointTolerancePt);
    EXPECT_NEAR(page.HeightPt, 150 * PointsPerMm, WholePointTolerancePt);
  }
}

TEST_F(SheetPrintTest, NothingIsPrintedForNoLabelOrABadStart) {
  ShowUpright();
  ChooseTemplate(1);
  // A count below 1 in either mode is said the way a bad start label is.
  for (const int count : {0, -3}) {
    QString refusal;
    guitest::AnswerNextMessageBox(QMessageBox::Ok, &refusal);
    PrintLabels(TPrinter::PdfPrinterName, count, 1);
    EXPECT_FALSE(std::filesystem::exists(Output()));
    EXPECT_TRUE(refusal.contains(QString::fromStdString(pgloretlibmessage(UiTextCountBelowOne)))) << count;
    EXPECT_TRUE(refusal.contains(QString::fromStdString(pgloretlibmessage(82)))) << count;
  }
  Form->pagetypeimpression->setCurrentWidget(Form->tabimppage);
  Form->enbpageaimprimer->setText("0");
  QString pages;
  guitest::AnswerNextMessageBox(QMessageBox::Ok, &pages);
  QTest::mouseClick(Form->SpImprime, Qt::LeftButton);
  EXPECT_FALSE(std::filesystem::exists(Output()));
  EXPECT_TRUE(pages.contains(QString::fromStdString(pgloretlibmessage(UiTextCountBelowOne))));

  QString message;
  guitest::AnswerNextMessageBox(QMessageBox::Ok, &message);
  PrintLabels(TPrinter::PdfPrinterName, 1, 13);
  EXPECT_FALSE(std::filesystem::exists(Output()));
  EXPECT_TRUE(message.contains(QString::fromStdString(pgloretlibmessage(84)))) << message.toStdString();

  // Counts left with something else than an integer read 0.
  Form->enuetidebut->setText("7x");
  emit Form->enuetidebut->editingFinished();
  EXPECT_EQ(Form->enuetidebut->text(), "0");
}

TEST_F(SheetPrintTest, ASheetWithoutAGridIsRefused) {
  ShowUpright();
  Form->edBetweenMarginX->setText("-3");
  QString message;
  guitest::AnswerNextMessageBox(QMessageBox::Ok, &message);
  QTest::mouseClick(Form->Spapercu, Qt::LeftButton);
  EXPECT_TRUE(message.contains("spacing")) << message.toStdString();
}

TEST_F(SheetPrintTest, APrintFailureIsShown) {
  ShowUpright();
  ChooseTemplate(1);
  Form->GetSheets().AskPdfFileName = [this] { return Folder.File("missing/folder/sheets.pdf"); };
  guitest::ClickTab(*Form, Form->TabParapage);
  Form->CombImprimante->setCurrentText(TPrinter::PdfPrinterName);
  Form->pagetypeimpression->setCurrentWidget(Form->tabimppage);
  QString message;
  guitest::AnswerNextMessageBox(QMessageBox::Ok, &message);
  QTest::mouseClick(Form->SpImprime, Qt::LeftButton);
  EXPECT_TRUE(message.contains("PDF file")) << message.toStdString();
  EXPECT_TRUE(Form->SpImprime->isEnabled());
}

void SheetPrintTest::ExpectWholeDotBars(const std::string& pdf) {
  const std::vector<TCellBox> cells = ExpectedCells(pglomodelesplanche()[1], false);
  ASSERT_EQ(cells.size(), 65u);
  int module300 = 0;
  std::map<std::pair<int, std::size_t>, std::vector<int>> runs300;
  for (const int dpi : {300, 600}) {
    std::vector<std::uint8_t> firstCell;
    int firstWidth = 0, firstHeight = 0;
    for (int pageNumber = 1; pageNumber <= 2; ++pageNumber) {
      const TGrayPage page = RenderPdfPage(pdf, pageNumber, dpi);
      ASSERT_GT(page.Width, 0);
      for (std::size_t index = 0; index < cells.size(); ++index) {
        const std::string where = std::to_string(dpi) + " dpi, page " + std::to_string(pageNumber) + ", cell " +
                                  std::to_string(index);
        const TCellBox& cell = cells[index];
        const TInkBox ink = InkBoxIn(page, dpi, {cell.Left, cell.Top, cell.Right, cell.Bottom, true});
        ASSERT_TRUE(ink.Found) << where;
        const auto dot = [dpi](double mm) { return static_cast<int>(std::lround(mm * dpi / 25.4)); };
        // A row through the bars, 3 mm under their top.
        const TRuns runs = RunsAlong(page, dot(ink.Top + 3), dot(cell.Left), dot(cell.Right));
        ASSERT_GT(runs.Lengths.size(), 20u) << where;
        if (dpi == 300) {
          EXPECT_EQ(runs.Grey, 0) << where;
        }
        if (dpi == 300) {
          const int module = std::accumulate(runs.Lengths.begin(), runs.Lengths.end(), 0,
                                             [](int a, int b) { return std::gcd(a, b); });
          const int total = std::accumulate(runs.Lengths.begin(), runs.Lengths.end(), 0);
          for (const int length : runs.Lengths) EXPECT_LE(length, 4 * module) << where;
          // 11.81 dots per mm at 300 dpi; Code 128 elements are 1 to 4 modules.
          EXPECT_EQ(module, std::lround(0.8 * ZweckformFrameWidth / (static_cast<double>(total) / module) * 300 / 25.4))
              << where;
          module300 = module;
          runs300[{pageNumber, index}] = runs.Lengths;
        } else {
          // Each dot twice as wide; poppler interpolates pictures it enlarges
          // less than four times, which may move a threshold edge by a dot.
          const std::vector<int>& before = runs300[{pageNumber, index}];
          ASSERT_EQ(runs.Lengths.size(), before.size()) << where;
          for (std::size_t i = 0; i < before.size(); ++i) EXPECT_NEAR(runs.Lengths[i], 2 * before[i], 1) << where;
        }
        if (dpi == 300) {
          const std::vector<TScanned> scans = ScanArea(page, cell);
          ASSERT_EQ(scans.size(), 1u) << where;
          EXPECT_EQ(scans[0].Data, ZweckformValue) << where;
        }
        // The cell's pixels from its ink's corner, as in the first cell.
        const int left = dot(ink.Left) - 2, top = dot(ink.Top) - 2;
        const int width = dot(cell.Right) - dot(cell.Left) - 4, height = dot(cell.Bottom) - dot(cell.Top) - 4;
        std::vector<std::uint8_t> pixels;
        for (int y = top; y < top + height; ++y)
          for (int x = left; x < left + width; ++x) pixels.push_back(page.At(x, y));
        if (firstCell.empty()) {
          EXPECT_GT(module300, 0);
          firstCell = pixels;
          firstWidth = width;
          firstHeight = height;
        } else if (width == firstWidth && height == firstHeight) {
          EXPECT_TRUE(pixels == firstCell) << where;
        }
      }
    }
  }
}

// Two sheets of 65 labels printed to PDF, every label one pixel a dot.
TEST_F(SheetPrintTest, EveryPrintedBarIsWholeDotsOfTheModuleInEveryCell) {
  DesignZweckformLabel();
  PrintTwoZweckformSheets(TPrinter::PdfPrinterName);
  ASSERT_EQ(PdfPageSizes(Output()).size(), 2u);
  ExpectWholeDotBars(Output());
}

// The same through the real CUPS queue.
TEST_F(SheetPrintTest, TheCupsQueuePrintsWholeDotBars) {
  const char* queue = std::getenv("LABEL_PRINT_QUEUE");
  if (queue == nullptr || *queue == '\0') GTEST_SKIP() << "LABEL_PRINT_QUEUE is not set (./test.sh sets it)";
  DesignZweckformLabel();
  Form->setWindowTitle(QStringLiteral("sheetdotstest%1").arg(getpid()));
  PrintTwoZweckformSheets(queue);
  std::vector<TPdfPageSize> pages;
  const std::string output = AwaitQueueOutput(Form->windowTitle().toStdString(), pages);
  ASSERT_FALSE(output.empty()) << "no PDF from " << queue << " in " << QueueOutputDir();
  ASSERT_EQ(pages.size(), 2u);
  ExpectWholeDotBars(output);
  std::filesystem::remove(output);
}

// However many sheets, the PDF holds the label once, losslessly.
TEST_F(SheetPrintTest, OneLosslessPictureForAJobOfAnySize) {
  ShowUpright();
  ChooseTemplate(2);
  DesignLabel();
  guitest::ClickTab(*Form, Form->TabParapage);
  Form->CombImprimante->setCurrentText(TPrinter::PdfPrinterName);
  Form->pagetypeimpression->setCurrentWidget(Form->tabimppage);
  Form->GetSheets().AskPdfFileName = [this] { return Output(); };
  for (const int sheets : {1, 10, 100}) {
    Form->enbpageaimprimer->setText(QString::number(sheets));
    QTest::mouseClick(Form->SpImprime, Qt::LeftButton);
    ASSERT_EQ(PdfPageSizes(Output()).size(), static_cast<std::size_t>(sheets));
    const std::map<std::string, std::string> encodings = PdfPictureEncodings(Output());
    ASSERT_EQ(encodings.size(), 1u) << sheets << " sheets";
    EXPECT_EQ(encodings.begin()->second, "image") << sheets << " sheets";
  }
}

// A value the encoder refuses stops printing, the preview and the export
// with a message naming the barcode in the interface's language; nothing
// reaches a file.
TEST_F(SheetPrintTest, ARefusedBarcodeIsToldAndNothingIsMade) {
  for (const int language : {LanguageFrench, LanguageEnglish}) {
    ShowUpright();
    UiTextService().SetLanguageIndex(language);
    ChooseTemplate(1);
    auto shape = app::TForm1::NewShape(app::TForm1::ikBarcode);
    TVmBarcode& symbol = *static_cast<TdocBarCodeShape&>(*shape).GetBarcode();
    symbol.SetTyp(bcCodeEAN13);
    symbol.SetText("4006381333932");  // the check digit is 1
    shape->SetDocFrame(6, 8, 40, 30, 0);
    Form->Fdocument->Core().AddShape(std::move(shape));
    const QString wrong = QString::fromStdString(pgloretlibmessage(UiTextCheckDigitIsWrong));

    QString printed;
    guitest::AnswerNextMessageBox(QMessageBox::Ok, &printed);
    PrintLabels(TPrinter::PdfPrinterName, 3, 1);
    EXPECT_FALSE(std::filesystem::exists(Output()));
    EXPECT_TRUE(printed.contains(wrong)) << printed.toStdString();
    EXPECT_TRUE(printed.contains("4006381333932")) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QString::fromStdString(pgloretlibmessage(UiTextBarcode))));

    QString previewed;
    guitest::AnswerNextMessageBox(QMessageBox::Ok, &previewed);
    QTest::mouseClick(Form->Spapercu, Qt::LeftButton);
    EXPECT_TRUE(previewed.contains(wrong)) << previewed.toStdString();

    QString exported;
    QGuiApplication::clipboard()->clear();
    guitest::AnswerNextMessageBox(QMessageBox::Ok, &exported);
    Form->fexportimage->show();
    Form->fexportimage->bclipboard->click();
    Form->fexportimage->close();
    EXPECT_TRUE(exported.contains(wrong)) << exported.toStdString();
    EXPECT_TRUE(QGuiApplication::clipboard()->image().isNull());
  }
  UiTextService().SetLanguageIndex(LanguageFrench);
}

}  // namespace
