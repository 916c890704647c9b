#pragma once
// A page of barcode shapes rendered into a page-sized bitmap the way the
// page renderer does, and zbar reading the bitmap.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/shapes/BarcodeShape.h"
#include "document/shape/PlainServices.h"
#include "imaging/bitmap/Bitmap32.h"

namespace shapetest {

class TTestPage {
public:
  // A page of width x height millimetres; the shapes' start-up has run.
  TTestPage(float width, float height);

  // A new barcode (the insert command's settings) of the given type and value
  // in the frame (millimetres), turned by angle degrees about the frame's
  // centre.
  TdocBarCodeShape& AddBarcode(TBarcodeType typ, const std::string& text, float left, float top, float width,
                               float height, float angle = 0);
  // The page at resolution dots per millimetre on white; with bandRows,
  // drawn band by band of that many rows, as printing draws a page.
  std::unique_ptr<TBitmap32> Render(float resolution, int bandRows = 0);
  // The same for a device other than the printer's; a miniature is drawn as
  // thumbnails are.
  std::unique_ptr<TBitmap32> Render(float resolution, TDeviceType device, bool miniature = false, int bandRows = 0);
  TdocShape& Page() { return PageShape; }

private:
  TdocPlainServices Document;
  TdocShape PageShape;
};

using TScan = std::pair<std::string, std::string>;  // symbology and data

// Every symbol zbar reads in the rows top to bottom (exclusive, -1 for the
// last) of the bitmap. zbar leaks when one image holds several symbols:
// scan them apart.
std::vector<TScan> ScanAll(const TBitmap32& bitmap, int top = 0, int bottom = -1);

// Light and dark as a reader sees them: grey level below 128.
bool IsDark(TColor32 pixel);

}  // namespace shapetest
