// Printing the document's pages through the printer service: one job, one
// sheet per page, each page fitted to the whole sheet.

#include <algorithm>
#include <vector>

#include "document/page/Page.h"
#include "document/page/PagePlacement.h"
#include "document/control/Document.h"
#include "platform/gdi/Canvas.h"
#include "platform/qt/Printer.h"
#include "platform/rtl/Numbers.h"

TPrinter& TdocDocument::GetPrinter() {
  if (SharedPrinter) return *SharedPrinter;
  if (!OwnPrinter) OwnPrinter = std::make_unique<TPrinter>();
  return *OwnPrinter;
}

void TdocDocument::PrintRange(int first, int count) {
  std::vector<int> indexes;
  for (int i = 0; i < count; ++i) indexes.push_back(first + i);
  Print(indexes);
}

void TdocDocument::PrintAll() { PrintRange(0, DocumentCore->GetPageCount()); }

void TdocDocument::Print(std::span<const int> pageIndexes) {
  TdocDocumentCore& core = *DocumentCore;
  core.CheckNotBusy();
  // Progress counts every index given; indexes without a page take no
  // sheet, so a job never ends on a blank one and a list without pages
  // starts no job at all.
  std::vector<TdocPage*> pages;
  for (int index : pageIndexes) pages.push_back(core.GetPages(index));
  const auto lastPage = std::find_if(pages.rbegin(), pages.rend(), [](TdocPage* page) { return page != nullptr; });
  if (lastPage == pages.rend()) return;
  const std::size_t lastPrinted = static_cast<std::size_t>(pages.rend() - lastPage) - 1;
  auto busy = core.BusyBracket(crHourGlass);
  TPrinter& printer = GetPrinter();
  const int count = static_cast<int>(pages.size());
  core.DoProgress(ptPrint, 0, count, 0.0f);
  auto released = TdocBracketGuard([this] { ReleasePrintSheet(); });
  // Pages rendered at the print quality's resolution land one pixel on one
  // dot (0: the printer's own).
  printer.SetJobResolution(rtl::Round(core.GetPrinterDpm() * 25.4));
  TPrintJob job(printer);
  for (int k = 0; k < count; ++k) {
    core.DoProgress(ptPrint, k + 1, count, static_cast<float>(k) / count);
    TdocPage* page = pages[static_cast<std::size_t>(k)];
    if (!page) continue;
    PrintPage(printer, *page);
    if (static_cast<std::size_t>(k) == lastPrinted) continue;
    printer.NewPage();
    core.DoProgress(ptPrint, k + 1, count, static_cast<float>(k + 1) / count);
  }
  job.End();
  core.DoProgress(ptPrint, count, count, 1.0f);
}

void TdocDocument::PrintPage(TPrinter& printer, TdocPage& page) {
  page.EnsureLoaded();
  const TPagePlacement placement = PlacePage(page.GetPageWidth(), page.GetPageHeight(), printer.GetPaperRect());
  if (placement.Area.IsEmpty()) return;
  // Only the page's own pixels are rendered and sent, through one bitmap
  // kept from sheet to sheet: a fresh one costs the system a fault on every
  // memory page it touches first.
  PrintSheet.SetSize(static_cast<std::int32_t>(placement.Area.Width()),
                     static_cast<std::int32_t>(placement.Area.Height()));
  PrintSheet.SetClipRect(PrintSheet.BoundsRect());
  page.RenderPageToBitmap(PrintSheet, placement.Turned ? 1 : 0, DocumentCore->GetPrinterDpm(), 0xFFFFFFFFu);
  printer.DrawImage(PrintSheet.GetHandle(), placement.Area);
}

void TdocDocument::ReleasePrintSheet() {
  const std::size_t pixels = std::size_t(PrintSheet.GetWidth()) * std::size_t(PrintSheet.GetHeight());
  if (pixels > MaxKeptPrintSheetPixels) PrintSheet.SetSize(0, 0);
}
