// Printing sheets of labels to PDF: jobs of 1, 10 and 100 Zweckform 3666
// sheets of 65 labels of 38 x 21.19 mm, each a barcode and two texts,
// printed at the medium quality (300 dots per inch), against the floor of
// any such print: the label rendered once, drawn into every cell of every
// sheet by QPainter into a QPdfWriter, the same picture reused. Also the PDF
// sizes, and the peak memory of each job.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>
#include <fstream>
#include <memory>
#include <string>

#include "app/SheetLayout.h"
#include "app/SheetTemplates.h"
#include "app/gui/SheetPrinting.h"
#include "app/shapes/BarcodeShape.h"
#include "app/shapes/ShapesStartUp.h"
#include "bench/app/shapes/ZweckformSheet.h"
#include "bench/common/Comparison.h"
#include "document/page/Page.h"
#include "document/core/StartUp.h"
#include "document/text/TextShape.h"
#include "document/control/Document.h"
#include "platform/qt/Image.h"
#include "platform/qt/Printer.h"

namespace {

constexpr int kDpi = 300;
constexpr int kZweckform = 2;  // template number in the list

TSheetSetup Zweckform() {
  const Tmodeleplanche m = SheetTemplate(pglomodelesplanche(), kZweckform);
  return {m.SheetWidth, m.SheetHeight, m.LabelWidth, m.LabelHeight, m.MarginLeft, m.MarginTop, m.SpacingX, m.SpacingY,
          false};
}

// Resident memory now and its peak since the last reset, in KiB.
long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  return 0;
}

// The peak growth of resident memory while f runs, in KiB (the status
// fields are KiB already).
template <class F>
double PeakGrowthKiB(F&& f) {
  std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from now
  const long before = StatusKiB("VmRSS:");
  f();
  return static_cast<double>(StatusKiB("VmHWM:") - before);
}

struct TSheetPrint {
  TSheetPrint() {
    QDir().mkpath(Folder);
    TdocDocumentCore& core = Label.Core();
    TdocPage& page = *core.GetCurrentPage();
    page.SetPageWidth(Setup.LabelWidth);
    page.SetPageHeight(Setup.LabelHeight);
    auto barcode = std::make_unique<TdocBarCodeShape>();
    barcode->CreateNewBarcode();
    barcode->GetBarcode()->SetTyp(bcCodeEAN13);
    barcode->GetBarcode()->SetText("4006381333931");
    barcode->SetDocFrame(2, 1, 34, 12, 0);
    core.AddShape(std::move(barcode));
    for (const auto& [text, top] : {std::pair{u"Article 4711", 13.5f}, std::pair{u"Lot 2026-12", 17.0f}}) {
      auto shape = std::make_unique<TdocTextShape>();
      shape->SetText(text);
      shape->SetDocFrame(2, top, 34, 3.5f, 0);
      core.AddShape(std::move(shape));
    }
    PrintDocument.Core().Options.PrintQuality = pqMedium;
    Printer.SelectPrinterByName(TPrinter::PdfPrinterName);
    Printer.SetPaperSizeMm(Setup.SheetWidth, Setup.SheetHeight);
    Printer.SetOutputFileName(OursFile().toStdString());
    // The floor's label: rendered once as printing renders it.
    const float dpm = PrintDocument.Core().GetPrinterDpm();
    Picture.SetSize(static_cast<int>(std::lround(Setup.LabelWidth * dpm)),
                    static_cast<int>(std::lround(Setup.LabelHeight * dpm)));
    RenderLabel();
    LabelImage = WrapOpaque(Picture.GetHandle()).copy();
  }
  void RenderLabel() {
    Label.Core().GetCurrentPage()->RenderPageAtResolution(Picture, PrintDocument.Core().GetPrinterDpm(), 0xFFFFFFFFu);
  }
  ~TSheetPrint() { QDir(Folder).removeRecursively(); }

  void Print(int sheets) {
    app::PrintLabelSheets(Printer, PrintDocument, *Label.Core().GetCurrentPage(), Setup,
                          WholeSheets(sheets, LabelsPerSheet(Setup)), nullptr);
  }
  void WriteFloor(int sheets) {
    QPdfWriter writer(FloorFile());
    writer.setPageSize(QPageSize(QSizeF(Setup.SheetWidth, Setup.SheetHeight), QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF());
    writer.setResolution(kDpi);
    QPainter painter(&writer);
    // Lossless like ours: a barcode stored as JPEG would not be the same work.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    const TSheetGrid grid(Setup);
    const double pixels = kDpi / 25.4;
    for (int sheet = 0; sheet < sheets; ++sheet) {
      if (sheet > 0) writer.newPage();
      for (int i = 0; i < grid.GetCount(); ++i) {
        const TSheetCell cell = grid.Cell(i);
        painter.drawImage(QRect(static_cast<int>(std::lround(cell.Left * pixels)),
                                static_cast<int>(std::lround(cell.Top * pixels)), LabelImage.width(),
                                LabelImage.height()),
                          LabelImage);
      }
    }
  }
  QString OursFile() const { return Folder + "/ours.pdf"; }
  QString FloorFile() const { return Folder + "/floor.pdf"; }

  static bool StartUp() {
    bench::OffscreenApplication<QApplication>("sheet_print_bench");
    document::StartUp();
    app::StartUpShapes();
    return true;
  }

  const bool Started = StartUp();  // before the widgets
  const QString Folder =
      QDir::tempPath() + QStringLiteral("/sheet_print_bench_%1").arg(QCoreApplication::applicationPid());
  const TSheetSetup Setup = Zweckform();
  TdocDocument Label;
  TdocDocument PrintDocument;
  TPrinter Printer;
  TBitmap32 Picture;
  QImage LabelImage;
};

TSheetPrint& SheetPrint() {
  static TSheetPrint print;
  return print;
}

std::string Floor() {
  return std::string("Qt ") + qVersion() +
         " QPainter drawImage (lossless) of the prerendered label into every cell of a QPdfWriter, one QImage for the job";
}

const bench::TSides Sides{"PrintLabelSheets: the label rendered once at 300 dpi, one picture drawn into each cell of "
                          "every sheet through TPrinter",
                          Floor(), true};

// A job of state.range(0) sheets: time, PDF size and peak memory growth.
void PrintSheets(benchmark::State& state) {
  TSheetPrint& print = SheetPrint();
  const int sheets = static_cast<int>(state.range(0));
  const std::string job = std::to_string(sheets) + (sheets == 1 ? " sheet" : " sheets");
  // Warm-up: fonts, caches and the PDF writer's first allocations.
  print.Print(1);
  print.WriteFloor(1);
  const double oursPeak = PeakGrowthKiB([&] { print.Print(sheets); });
  const double floorPeak = PeakGrowthKiB([&] { print.WriteFloor(sheets); });
  bench::TPairTimer timer(state);
  for (auto _ : state) timer.Iteration([&] { print.Print(sheets); }, [&] { print.WriteFloor(sheets); });
  timer.Report(job + " of 65 labels (barcode + two texts) to PDF, against its floor, goal <= 1.5", Sides);
  bench::AddRow(state, "PDF size of " + job + ", goal <= 1.1", static_cast<double>(QFileInfo(print.OursFile()).size()),
                static_cast<double>(QFileInfo(print.FloorFile()).size()), "bytes", Sides);
  bench::AddRow(state, "peak RSS growth of a job of " + job + ", flat in the sheet count", oursPeak, floorPeak, "KiB",
                Sides);
}

// Where our time goes: the label rendered alone, as printing renders it.
void RenderLabel(benchmark::State& state) {
  TSheetPrint& print = SheetPrint();
  bench::TPairTimer timer(state);
  for (auto _ : state) timer.Iteration([&] { print.RenderLabel(); }, [&] { print.WriteFloor(1); });
  timer.Report("the label rendered only, no PDF (breakdown)", {"TdocPage::RenderPageAtResolution at 300 dpi", Floor(), true});
}

}  // namespace

BENCHMARK(PrintSheets)->Arg(1)->Arg(10)->Arg(100)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(2.0));
BENCHMARK(RenderLabel)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(1.0));
