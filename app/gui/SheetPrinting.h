#pragma once
// Printing sheets of labels: one print job for the whole run, its dots at
// the print document's resolution. The label is rendered once, one pixel a
// dot, and that picture is drawn at its own size into every printed cell of
// every sheet, so a PDF holds its pixels once.

#include <functional>

#include "app/SheetLayout.h"

class TdocDocument;
class TdocPage;
class TPrinter;

namespace app {

// Prints run on the printer as it is set up (printer, paper, output file).
// The print document receives the label's copy and is cleared afterwards.
// onSheet runs before each sheet. A run without labels prints nothing.
// Failures raise (EBarcodeRefused for a barcode that cannot be drawn, before
// the job starts); the job is then aborted and nothing is printed.
void PrintLabelSheets(TPrinter& printer, TdocDocument& printDocument, const TdocPage& label,
                      const TSheetSetup& setup, const TLabelRun& run, const std::function<void()>& onSheet);

}  // namespace app
