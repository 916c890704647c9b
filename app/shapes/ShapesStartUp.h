#pragma once
// The start-up step of the label application's shape classes: the document
// engine's start-up, then the barcode shape in the shape registry, so that
// documents holding barcodes load back into their class. Call it before any
// document is loaded; later calls do nothing.

namespace app {

void StartUpShapes();

}  // namespace app
