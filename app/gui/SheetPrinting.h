#pragma once
// Printing sheets of labels: one print job for the whole run. The label is
// rendered once at the print document's resolution and that picture is
// drawn into every printed cell, so a PDF holds its pixels once.

#include <functional>

#include "app/SheetLayout.h"

class TdocDocument;
class TdocPage;
class TPrinter;

namespace app {

// Prints run on the printer as it is set up (printer, paper, output file).
// The print document receives the label's copy and is cleared afterwards.
// onSheet runs before each sheet. A run without labels prints nothing.
// Failures raise; the job is then aborted and nothing is printed.
void PrintLabelSheets(TPrinter& printer, TdocDocument& printDocument, const TdocPage& label,
                      const TSheetSetup& setup, const TLabelRun& run, const std::function<void()>& onSheet);

}  // namespace app
