#include "app/gui/SheetPrinting.h"

#include <memory>
#include <vector>

#include "app/gui/SheetPreview.h"
#include "app/shapes/BarcodeShape.h"
#include "document/page/Page.h"
#include "document/page/PagePlacement.h"
#include "document/control/Document.h"
#include "imaging/bitmap/Bitmap32.h"
#include "platform/gdi/Canvas.h"
#include "platform/qt/Printer.h"
#include "platform/rtl/Numbers.h"

namespace app {

namespace {

// The label as it sits in a cell on the paper, turned with the sheet's
// orientation and, when the sheet itself is turned onto the paper, once
// more; rendered at the dots per millimetre the sheet has on the paper, so
// that each of its pixels is one dot there.
void RenderCellPicture(TdocPage& label, const TSheetGrid& grid, const TSheetSetup& setup,
                       const TPagePlacement& placement, TBitmap32& picture) {
  const bool across = placement.Turned;
  const float width = across ? grid.GetCellHeight() : grid.GetCellWidth();
  const float height = across ? grid.GetCellWidth() : grid.GetCellHeight();
  const auto dotsPerMm = static_cast<float>(placement.Scale);
  picture.SetSize(rtl::Round(width * placement.Scale), rtl::Round(height * placement.Scale));
  const int quarterTurns = (setup.Turned ? 1 : 0) + (placement.Turned ? 1 : 0);
  // A cache the print document's view made at another resolution would be
  // resampled onto the dots: the label draws afresh.
  label.ClearRenderCacheAll();
  if (quarterTurns == 0) {
    label.RenderPageAtResolution(picture, dotsPerMm, clWhite32);
    return;
  }
  picture.Clear(clWhite32);
  label.RenderPage(picture.GetCanvas(), picture.BoundsRect(), false, false, quarterTurns, dotsPerMm);
}

// Where the picture's top-left corner lands in each printed cell of a sheet.
std::vector<TPoint> CellOrigins(const TLabelRun& run, const TSheetGrid& grid, const TPagePlacement& placement,
                                std::int64_t sheet) {
  std::vector<TPoint> origins;
  for (int index : PrintedCells(run, grid.GetCount(), sheet)) {
    const TSheetArea area = grid.Cell(index).Area;
    const TRect cell = placement.DeviceRect(area.Left, area.Top, area.Right, area.Bottom, 0, 0);
    origins.push_back({cell.Left, cell.Top});
  }
  return origins;
}

}  // namespace

void PrintLabelSheets(TPrinter& printer, TdocDocument& printDocument, const TdocPage& label,
                      const TSheetSetup& setup, const TLabelRun& run, const std::function<void()>& onSheet) {
  const TSheetGrid grid(setup);
  const std::int64_t sheets = SheetCount(run, grid.GetCount());
  if (sheets == 0) return;
  TdocDocumentCore& core = printDocument.Core();
  core.Clear();
  core.New();
  TdocPage& copy = *core.GetPages(core.AddPage(CopyLabelPage(label)));
  core.SetCurrentPage(&copy);
  auto cleared = TdocBracketGuard([&core] { core.Clear(); });
  CheckBarcodesDrawable(copy, core.GetPrinterDpm());

  // The job's dots are the print quality's: a queue rasterises the PDF at
  // its own resolution, a whole multiple of them on usual printers.
  printer.SetJobResolution(rtl::Round(core.GetPrinterDpm() * 25.4));
  const TPagePlacement placement = PlacePage(setup.SheetWidth, setup.SheetHeight, printer.GetPaperRect());
  if (placement.Area.IsEmpty()) throw ESheetLayout("The sheet does not fit on the paper");
  std::unique_ptr<TPrintPicture> picture;
  {
    TBitmap32 rendered;
    RenderCellPicture(copy, grid, setup, placement, rendered);
    picture = std::make_unique<TPrintPicture>(rendered.GetHandle());
  }

  TPrintJob job(printer);
  for (std::int64_t sheet = 0; sheet < sheets; ++sheet) {
    if (onSheet) onSheet();
    if (sheet > 0) printer.NewPage();
    printer.DrawPicture(*picture, CellOrigins(run, grid, placement, sheet));
  }
  job.End();
}

}  // namespace app
