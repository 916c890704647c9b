// A Zweckform 3666 sheet (5 x 13 labels of 38 x 21.19 mm on A4) of barcode
// shapes rendered at 11.811 dots per mm (300 dots per inch) the way a page
// is printed: every shape draws into its cache, which is blended onto the
// page and freed. The reference is QPainter filling the same bars as
// rectangles and writing the same texts into a QImage of the same size.
// Argument 1 renders the sheet as printing does, each barcode nudged by
// 0.001 degree.

#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <string>
#include <vector>

#include "app/shapes/BarcodeShape.h"
#include "app/shapes/ShapesStartUp.h"
#include "bench/app/shapes/ZweckformSheet.h"
#include "bench/common/Comparison.h"
#include "document/shape/PlainServices.h"

namespace {

constexpr float kResolution = 11.811024f;
using bench::kSheetHeight;
using bench::kSheetWidth;

// What QPainter draws for one label: the bars and the text line, in pixels
// of the page, as the shape laid them out.
struct TReferenceLabel {
  std::vector<QRect> Bars;
  QPoint TextAt;
  QString Text;
};

TReferenceLabel ReferenceOf(TdocBarCodeShape& shape) {
  TVmBarcode& barcode = *shape.GetBarcode();
  const int left = static_cast<int>(std::lround(shape.GetDocLeft() * kResolution)) + barcode.GetLeft();
  const int top = static_cast<int>(std::lround(shape.GetDocTop() * kResolution)) + barcode.GetTop();
  TReferenceLabel label;
  int x = 0;
  for (const char module : barcode.EncodeModules()) {
    const TModuleInfo info = barcode.GetModuleInfo(module);
    if (info.Kind != blSpace) label.Bars.emplace_back(left + x, top, info.Width, barcode.GetHeight() + 1);
    x += info.Width;
  }
  label.TextAt = QPoint(left, top + barcode.GetHeight());
  label.Text = QString::fromStdString(barcode.GetText());
  return label;
}

void BarcodeSheet(benchmark::State& state) {
  bench::OffscreenApplication<QGuiApplication>("barcode_sheet_bench");
  app::StartUpShapes();
  TdocPlainServices document;
  TdocShape page;
  page.SetDocument(&document);
  page.SetDocFrame(0, 0, kSheetWidth, kSheetHeight, 0);
  bench::AddZweckformBarcodes([&page](std::unique_ptr<TdocBarCodeShape> shape) { page.AddShape(std::move(shape)); });
  if (state.range(0) != 0) NudgeBarcodeAngles(page);

  TBitmap32 bitmap;
  bitmap.SetSize(static_cast<int>(std::lround(kSheetWidth * kResolution)),
                 static_cast<int>(std::lround(kSheetHeight * kResolution)));
  TdocRenderOptions options;
  options.Device = dtPrinter;
  options.Resolution = kResolution;
  options.BitmapResolution = kResolution;
  options.FreeCache = true;
  auto ours = [&] {
    bitmap.Clear(clWhite32);
    // The area the bitmap covers at exactly the resolution asked.
    page.RenderShape(bitmap, {0, 0, bitmap.GetWidth() / kResolution, bitmap.GetHeight() / kResolution}, true, options);
  };
  ours();  // lays every barcode out for the reference

  std::vector<TReferenceLabel> labels;
  for (int i = 0; i < page.GetShapeCount(); ++i) labels.push_back(ReferenceOf(*static_cast<TdocBarCodeShape*>(page.GetShapes(i))));
  const TFont& textFont = static_cast<TdocBarCodeShape*>(page.GetShapes(0))->GetBarcode()->GetShowTextFont();
  QFont font("DejaVu Sans");
  font.setPixelSize(static_cast<int>(std::lround(-textFont.GetHeight() * kResolution * 25.4 / TFont::PixelsPerInch)));
  QImage image(bitmap.GetWidth(), bitmap.GetHeight(), QImage::Format_ARGB32_Premultiplied);
  auto reference = [&] {
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    const int ascent = painter.fontMetrics().ascent();
    for (const TReferenceLabel& label : labels) {
      for (const QRect& bar : label.Bars) painter.fillRect(bar, Qt::black);
      painter.drawText(label.TextAt + QPoint(0, ascent), label.Text);
    }
  };

  bench::TPairTimer timer(state);
  for (auto _ : state) timer.Iteration(ours, reference);
  timer.Report(std::string("sheet of 65 barcodes, ") + (state.range(0) != 0 ? "nudged 0.001 degree" : "level") +
                   ", goal <= 1.5",
               {"TdocShape::RenderShape at 300 dpi, each shape through its cache",
                std::string("Qt ") + qVersion() + " QPainter fillRect bars and drawText into a QImage ARGB32 premultiplied"});
}

}  // namespace

BENCHMARK(BarcodeSheet)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);
