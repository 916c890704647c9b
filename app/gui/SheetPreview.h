#pragma once
// Sheet composition: the label page copied into every cell of the sheet
// grid, as the preview shows it.

#include <memory>

#include "app/SheetLayout.h"

class TdocDocument;
class TdocPage;

namespace app {

// A copy of the label page made from its XML form, its barcodes lying at
// exactly 0 degrees turned by the sheets' nudge angle.
std::unique_ptr<TdocPage> CopyLabelPage(const TdocPage& label);

// Starts the preview afresh with one page, sizes it to the sheet, zooms to its
// width and places a copy of the label in every cell of the grid. A label
// with a barcode that cannot be printed at printDotsPerMm raises
// EBarcodeRefused first.
void BuildPreviewSheet(TdocDocument& preview, const TdocPage& label, const TSheetSetup& setup,
                       double printDotsPerMm);

}  // namespace app
