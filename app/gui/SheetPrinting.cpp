#include "app/gui/SheetPrinting.h"

#include <vector>

#include "app/gui/SheetPreview.h"
#include "document/page/Page.h"
#include "document/page/PagePlacement.h"
#include "document/control/Document.h"
#include "imaging/bitmap/Bitmap32.h"
#include "platform/gdi/Canvas.h"
#include "platform/qt/Printer.h"
#include "platform/rtl/Numbers.h"

namespace app {

namespace {

// The label as it sits in a cell on the paper: turned with the sheet's
// orientation and, when the sheet itself is turned onto the paper, once more.
struct TCellPicture {
  TBitmap32 Bitmap;
  std::int32_t DeviceWidth = 0;
  std::int32_t DeviceHeight = 0;
};

void RenderCellPicture(TdocPage& label, const TSheetGrid& grid, const TSheetSetup& setup,
                       const TPagePlacement& placement, float dpm, TCellPicture& picture) {
  const bool across = placement.Turned;
  const float width = across ? grid.GetCellHeight() : grid.GetCellWidth();
  const float height = across ? grid.GetCellWidth() : grid.GetCellHeight();
  picture.DeviceWidth = rtl::Round(width * placement.Scale);
  picture.DeviceHeight = rtl::Round(height * placement.Scale);
  picture.Bitmap.SetSize(rtl::Round(width * dpm), rtl::Round(height * dpm));
  const int quarterTurns = (setup.Turned ? 1 : 0) + (placement.Turned ? 1 : 0);
  if (quarterTurns == 0) {
    label.RenderPageAtResolution(picture.Bitmap, dpm, clWhite32);
    return;
  }
  picture.Bitmap.Clear(clWhite32);
  label.RenderPage(picture.Bitmap.GetCanvas(), picture.Bitmap.BoundsRect(), false, false, quarterTurns, dpm);
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

  const TPagePlacement placement = PlacePage(setup.SheetWidth, setup.SheetHeight, printer.GetPaperRect());
  if (placement.Area.IsEmpty()) throw ESheetLayout("The sheet does not fit on the paper");
  TCellPicture picture;
  RenderCellPicture(copy, grid, setup, placement, core.GetPrinterDpm(), picture);

  TPrintJob job(printer);
  std::vector<TRect> cells;
  for (std::int64_t sheet = 0; sheet < sheets; ++sheet) {
    if (onSheet) onSheet();
    if (sheet > 0) printer.NewPage();
    cells.clear();
    for (int index : PrintedCells(run, grid.GetCount(), sheet)) {
      const TSheetArea area = grid.Cell(index).Area;
      cells.push_back(placement.DeviceRect(area.Left, area.Top, area.Right, area.Bottom, picture.DeviceWidth,
                                           picture.DeviceHeight));
    }
    printer.DrawImage(picture.Bitmap.GetHandle(), cells);
  }
  job.End();
}

}  // namespace app
