// Printing one A4 page of a Zweckform 3666 sheet (5 x 13 barcode labels of
// 38 x 21.19 mm) at the medium quality (300 dots per inch) to a PDF file
// through the editor control and the printer service, against the floor of
// any such print: QPainter drawing the same page, already rendered, as one
// image into a QPdfWriter of the same page size and resolution.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>
#include <memory>
#include <string>

#include "app/shapes/BarcodeShape.h"
#include "app/shapes/ShapesStartUp.h"
#include "bench/app/shapes/ZweckformSheet.h"
#include "bench/common/Comparison.h"
#include "document/page/Page.h"
#include "document/core/StartUp.h"
#include "document/control/Document.h"
#include "platform/qt/Image.h"
#include "platform/qt/Printer.h"

namespace {

constexpr int kDpi = 300;

// The document with its one page of labels, the printer writing our PDF,
// and the page already rendered for the reference.
struct TBarcodePage {
  TBarcodePage() {
    QDir().mkpath(Folder);
    TdocDocumentCore& document = Control.Core();
    document.Options.PrintQuality = pqMedium;
    bench::AddZweckformBarcodes([&document](std::unique_ptr<TdocBarCodeShape> shape) { document.AddShape(std::move(shape)); });
    Printer.SelectPrinterByName(TPrinter::PdfPrinterName);
    Printer.SetPaperSizeMm(bench::kSheetWidth, bench::kSheetHeight);
    Printer.SetOutputFileName((Folder + "/ours.pdf").toStdString());
    Control.SetPrinter(&Printer);
    // The page fills the sheet's width; its height follows.
    Page.SetSize(Printer.GetPhysicalWidth(),
                 static_cast<int>(std::lround(bench::kSheetHeight * Printer.GetPhysicalWidth() / bench::kSheetWidth)));
    RenderPage();
    Image = WrapOpaque(Page.GetHandle()).copy();
  }
  ~TBarcodePage() { QDir(Folder).removeRecursively(); }

  void Print() { Control.PrintRange(0, 1); }
  void RenderPage() {
    Page.Clear(0xFFFFFFFFu);
    Control.Core().GetPages(0)->RenderPage(Page.GetCanvas(), Page.BoundsRect(), false, false, 0,
                                           Control.Core().GetPrinterDpm());
  }
  void WriteReference() {
    QPdfWriter writer(Folder + "/reference.pdf");
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF());
    writer.setResolution(kDpi);
    QPainter painter(&writer);
    // Lossless like ours: a page of barcodes stored as JPEG would not be
    // the same work (nor the same result).
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawImage(QRect(0, 0, Image.width(), Image.height()), Image);
  }

  static bool StartUp() {
    bench::OffscreenApplication<QApplication>("print_bench");
    document::StartUp();
    app::StartUpShapes();
    return true;
  }

  const bool Started = StartUp();  // before the widget
  const QString Folder = QDir::tempPath() + QStringLiteral("/print_bench_%1").arg(QCoreApplication::applicationPid());
  TdocDocument Control;
  TPrinter Printer;
  TBitmap32 Page;
  QImage Image;
};

TBarcodePage& BarcodePage() {
  static TBarcodePage page;
  return page;
}

std::string Floor() {
  return std::string("Qt ") + qVersion() + " QPainter drawImage (lossless) of the prerendered page into a QPdfWriter";
}

void PrintBarcodePage(benchmark::State& state) {
  TBarcodePage& page = BarcodePage();
  bench::TPairTimer timer(state);
  for (auto _ : state) timer.Iteration([&] { page.Print(); }, [&] { page.WriteReference(); });
  timer.Report("A4 page of 65 barcodes to PDF at 300 dpi, against its floor, goal <= 1.5",
               {"TdocDocument::PrintRange: the page rendered into one kept sheet bitmap and sent through TPrinter (QPrinter PDF)", Floor(), true});
}

// Where our time goes: the page rendered alone, as printing renders it.
void RenderBarcodePage(benchmark::State& state) {
  TBarcodePage& page = BarcodePage();
  bench::TPairTimer timer(state);
  for (auto _ : state) timer.Iteration([&] { page.RenderPage(); }, [&] { page.WriteReference(); });
  timer.Report("the same page rendered only, no PDF (breakdown)", {"TdocPage::RenderPage at 300 dpi", Floor(), true});
}

}  // namespace

BENCHMARK(PrintBarcodePage)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(2.0));
BENCHMARK(RenderBarcodePage)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(2.0));
