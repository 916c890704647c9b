// The same barcode on screen, in exports and on paper, through the main
// window: the label view grabbed at 100 % and 400 % zoom, the export dialog's
// picture at 5, 10 and 20 pixels per mm, and the printed page rendered by
// poppler at 300 dpi. In every output the narrow module, measured as the
// greatest common divisor of the bar and space widths along a row, is the
// frame's 80 % over the module count rounded to whole pixels of that output
// (at least one), and the symbol's width agrees within one output pixel a
// module.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <optional>

#include "MainWindowTestSupport.h"
#include "app/UiTexts.h"
#include "app/gui/ExportImageDialog.h"
#include "app/gui/SheetTab.h"
#include "app/shapes/BarcodeShape.h"
#include "document/control/Document.h"
#include "document/page/Page.h"
#include "platform/qt/Printer.h"
#include "tests/platform/qt/PdfProbe.h"

namespace {

constexpr float LabelWidth = 90, LabelHeight = 25;
constexpr float FrameLeft = 5, FrameTop = 2, FrameHeight = 20;

struct TSymbol {
  TBarcodeType Typ;
  const char* Text;
};

// One value for each of the 23 symbologies.
const TSymbol Symbols[] = {
    {bcCode_2_5_interleaved, "1234567890"}, {bcCode_2_5_industrial, "123456"}, {bcCode_2_5_matrix, "123456"},
    {bcCode39, "LABEL-39"},                 {bcCode39Extended, "Ab1"},          {bcCode128A, "LABEL-128"},
    {bcCode128B, "Label 128"},              {bcCode128C, "12345678"},           {bcCode93, "CODE93"},
    {bcCode93Extended, "Label 93"},         {bcCodeMSI, "123456"},              {bcCodePostNet, "12345"},
    {bcCodeCodabar, "123456"},              {bcCodeEAN8, "9638507"},            {bcCodeEAN13, "400638133393"},
    {bcCodeUPC_A, "03600029145"},           {bcCodeUPC_E0, "123456"},           {bcCodeUPC_E1, "123456"},
    {bcCodeUPC_Supp2, "34"},                {bcCodeUPC_Supp5, "52495"},         {bcCodeEAN128A, "LABEL"},
    {bcCodeEAN128B, "Label"},               {bcCodeEAN128C, "1234"},
};

// The bars a row crosses between two columns: the outer dark pixels and
// the module, the greatest common divisor of the bar and space widths.
struct TRow {
  int First = -1, Last = -1, Module = 0;
  int Width() const { return Last - First + 1; }
};

TRow MeasureRow(const QImage& grey, int y, int from, int to) {
  TRow row;
  from = std::max(from, 0);
  to = std::min(to, grey.width());
  const uchar* line = grey.constScanLine(y);
  // A bar cut by the start of the range is no whole run.
  while (from < to && line[from] < 128) ++from;
  int run = 0;
  for (int x = from; x < to; ++x) {
    const bool dark = line[x] < 128;
    if (row.First < 0) {
      if (dark) row.First = x, run = 1;
      continue;
    }
    if (dark) row.Last = x;
    if (dark == (line[x - 1] < 128)) {
      ++run;
      continue;
    }
    row.Module = std::gcd(row.Module, run);
    run = 1;
  }
  if (row.First >= 0 && row.Last < row.First) row.Last = row.First;
  return row;
}

QImage Grey(const QImage& image) { return image.convertToFormat(QImage::Format_Grayscale8); }

class BarcodeOutputsTest : public guitest::MainWindowTest {
protected:
  void SetUp() override {
    Show();
    Form->chorientation->setChecked(false);
    // A sheet of exactly one label, on paper of its size.
    for (auto [edit, value] : {std::pair{Form->edPageWidth, LabelWidth}, std::pair{Form->edPageHeight, LabelHeight},
                               std::pair{Form->elargeur, LabelWidth}, std::pair{Form->ehauteur, LabelHeight},
                               std::pair{Form->edOuterMarginX, 0.0f}, std::pair{Form->edOuterMarginY, 0.0f},
                               std::pair{Form->edBetweenMarginX, 0.0f}, std::pair{Form->edBetweenMarginY, 0.0f}})
      edit->setText(QString::number(value));
    Form->ApplyLabelSizeToPage();
    Form->chforcetaille->setChecked(true);
    Form->resize(1400, 900);
    QApplication::processEvents();
  }

  TdocBarCodeShape& AddBarcode(const TSymbol& symbol, float width) {
    TdocDocumentCore& core = Form->Fdocument->Core();
    while (core.GetCurrentPage()->GetShapeCount() > 0) core.GetCurrentPage()->DeleteShape(0);
    auto shape = app::TForm1::NewShape(app::TForm1::ikBarcode);
    auto& barcode = static_cast<TdocBarCodeShape&>(*shape);
    barcode.GetBarcode()->SetTyp(symbol.Typ);
    barcode.GetBarcode()->SetText(symbol.Text);
    barcode.GetBarcode()->SetShowText(bcoNone);
    shape->SetDocFrame(FrameLeft, FrameTop, width, FrameHeight, 0);
    core.AddShape(std::move(shape));
    return barcode;
  }

  // The label view at a zoom, scrolled to the frame's top-left corner at
  // 100 % and to its centre otherwise (the centred symbol crosses it), and
  // the frame's columns in it.
  QImage GrabView(float zoom, float width, int& left, int& right, int& row, double& pixelsPerMm) {
    TdocDocument& view = *Form->Fdocument;
    // Handles and the selection frame are no part of the symbol.
    view.Core().ClearSelection();
    view.SetZoomPercent(zoom);
    QApplication::processEvents();
    TdocDocumentCore& core = view.Core();
    const TFloatPoint corner = core.DocToClient({FrameLeft, FrameTop});
    const TFloatPoint centre = core.DocToClient({FrameLeft + width / 2, FrameTop});
    const int shift = zoom == 100.0f ? static_cast<int>(corner.X) - 4 : static_cast<int>(centre.X) - 40;
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->value() + shift);
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->value() + static_cast<int>(corner.Y) - 4);
    QApplication::processEvents();
    pixelsPerMm = core.GetScreenScale();
    const TFloatPoint topLeft = core.DocToClient({FrameLeft, FrameTop});
    const TFloatPoint bottomRight = core.DocToClient({FrameLeft + width, FrameTop + FrameHeight});
    left = static_cast<int>(std::floor(topLeft.X)), right = static_cast<int>(std::ceil(bottomRight.X));
    row = static_cast<int>(topLeft.Y + 0.3 * (bottomRight.Y - topLeft.Y));
    return Grey(view.viewport()->grab().toImage());
  }

  QImage Export(int scale) {
    Form->fexportimage->show();
    Form->fexportimage->comblisteniveauresolution->setCurrentText(QString::number(scale));
    Form->fexportimage->bclipboard->click();
    Form->fexportimage->close();
    const QImage image = Grey(QGuiApplication::clipboard()->image());
    EXPECT_EQ(image.width(), std::lround(LabelWidth * scale));
    return image;
  }

  void ExportRefused(int scale) {
    Form->fexportimage->show();
    Form->fexportimage->comblisteniveauresolution->setCurrentText(QString::number(scale));
    Form->fexportimage->bclipboard->click();
    Form->fexportimage->close();
  }

  void PrintRefused() {
    guitest::ClickTab(*Form, Form->TabParapage);
    Form->CombImprimante->setCurrentText(TPrinter::PdfPrinterName);
    Form->GetSheets().AskPdfFileName = [] {
      ADD_FAILURE() << "a refused barcode asks for no file";
      return std::optional<std::string>();
    };
    QTest::mouseClick(Form->SpImprime, Qt::LeftButton);
  }

  TGrayPage Paper(int dpi) {
    guitest::ClickTab(*Form, Form->TabParapage);
    Form->CombImprimante->setCurrentText(TPrinter::PdfPrinterName);
    Form->pagetypeimpression->setCurrentWidget(Form->tabimppage);
    Form->enbpageaimprimer->setText("1");
    const std::string pdf = Folder.File("label.pdf");
    Form->GetSheets().AskPdfFileName = [pdf] { return pdf; };
    QTest::mouseClick(Form->SpImprime, Qt::LeftButton);
    return RenderPdfPage(pdf, 1, dpi);
  }
};

QImage ToImage(const TGrayPage& page) {
  QImage image(page.Width, page.Height, QImage::Format_Grayscale8);
  for (int y = 0; y < page.Height; ++y)
    std::copy_n(page.Pixels.begin() + static_cast<std::ptrdiff_t>(y) * page.Width, page.Width, image.scanLine(y));
  return image;
}

TEST_F(BarcodeOutputsTest, ScreenExportAndPaperDrawOneModule) {
  for (const TSymbol& symbol : Symbols)
    for (const float width : {15.0f, 40.0f, 80.0f}) {
      const std::string what = std::string(symbol.Text) + " (type " + std::to_string(symbol.Typ) + ") in " +
                               std::to_string(static_cast<int>(width)) + " mm";
      TdocBarCodeShape& shape = AddBarcode(symbol, width);
      // A refused value would stop every output with a message.
      ASSERT_EQ(shape.CheckValue(), 0) << what << ": " << shape.GetPaintError();
      // The module count, from the finest export, where no module is
      // rounded much: the symbol's width over its module.
      const QImage finest = Export(20);
      const TRow reference = MeasureRow(finest, static_cast<int>((FrameTop + 0.3 * FrameHeight) * 20), 0, finest.width());
      ASSERT_EQ(shape.GetPaintError(), "") << what;
      ASSERT_GT(reference.Module, 0) << what;
      // A matrix 2 of 5 wide element is 2.25 modules: its module shows only
      // as a divisor of the rounded widths.
      const bool wholeModules = symbol.Typ != bcCode_2_5_matrix;
      const double modules = static_cast<double>(reference.Width()) / reference.Module;
      const double moduleMm = 0.8 * width / modules;
      // frameLeft and frameRight: the frame's edges in the output's pixels.
      const auto expectModule = [&](const TRow& row, double pixelsPerMm, const std::string& output, bool whole,
                                    double frameLeft, double frameRight, bool exact) {
        ASSERT_GE(row.First, 0) << what << ", " << output;
        // The nearest whole pixels, at least one, narrowed while the symbol
        // would pass the frame.
        // The component draws modules of 49 pixels at most.
        const double ideal = std::min(moduleMm * pixelsPerMm, double{TVmBarcode::MaxModul});
        long expected = std::max(1L, static_cast<long>(std::nearbyint(ideal)));
        while (expected > 1 && expected * modules > std::floor(width * pixelsPerMm) + 1) --expected;
        // The rounding is checked on exports and paper, where the
        // resolution is exact, and where the ideal is not within a hair of a
        // half, which the estimate of the module count could tip.
        if (wholeModules && exact && std::abs(ideal - std::floor(ideal) - 0.5) > 0.05) {
          EXPECT_EQ(row.Module, expected) << what << ", " << output;
        }
        if (wholeModules) {
          EXPECT_LE(std::abs(row.Module - ideal), 1.0) << what << ", " << output;
        }
        if (!whole) return;
        // The whole symbol, unless one-pixel modules are wider than the
        // frame, which cuts them: its width is the frame's 80 % within one
        // pixel of this output a module, inside the frame.
        if (modules <= width * pixelsPerMm) {
          EXPECT_LE(std::abs(row.Width() - modules * ideal), modules) << what << ", " << output;
          EXPECT_GE(row.First, frameLeft - 1) << what << ", " << output;
          EXPECT_LE(row.Last, frameRight + 1) << what << ", " << output;
        }
      };
      // A symbol wider than its frame at one pixel a module in an output
      // is refused there, by name.
      const auto expectRefused = [&](const std::function<void()>& make, const std::string& output) {
        QString refusal;
        guitest::AnswerNextMessageBox(QMessageBox::Ok, &refusal);
        make();
        EXPECT_TRUE(refusal.contains(QString::fromStdString(pgloretlibmessage(UiTextBarcodeTooWide))))
            << what << ", " << output << ": " << refusal.toStdString();
      };
      for (const int scale : {5, 10, 20}) {
        if (!shape.FitsFrameAt(scale)) {
          expectRefused([&] { ExportRefused(scale); }, "export " + std::to_string(scale));
          continue;
        }
        const QImage image = scale == 20 ? finest : Export(scale);
        expectModule(MeasureRow(image, static_cast<int>((FrameTop + 0.3 * FrameHeight) * scale), 0, image.width()),
                     scale, "export " + std::to_string(scale), true, FrameLeft * scale, (FrameLeft + width) * scale, true);
      }
      const double dots = 300 / 25.4;
      if (!shape.FitsFrameAt(dots)) {
        expectRefused([&] { PrintRefused(); }, "paper");
        continue;
      }
      const QImage paper = ToImage(Paper(300));
      expectModule(MeasureRow(paper, static_cast<int>((FrameTop + 0.3 * FrameHeight) * dots), 0, paper.width()), dots,
                   "paper", true, FrameLeft * dots, (FrameLeft + width) * dots, true);
      for (const float zoom : {100.0f, 400.0f}) {
        int left = 0, right = 0, row = 0;
        double pixelsPerMm = 0;
        const QImage view = GrabView(zoom, width, left, right, row, pixelsPerMm);
        ASSERT_LT(row, view.height()) << what;
        // The whole symbol is measured at 100 %; at 400 % the modules.
        const bool whole = zoom == 100.0f && right + 4 < view.width();
        expectModule(MeasureRow(view, row, left - 2, whole ? right + 2 : view.width() - 1), pixelsPerMm,
                     "screen at " + std::to_string(static_cast<int>(zoom)) + " %", whole, left, right, false);
      }
    }
}

}  // namespace
