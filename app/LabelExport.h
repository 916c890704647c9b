#pragma once
// Image export of the label: the label page rendered at a whole number of
// pixels per millimetre into a bitmap, for a raster file (its format chosen
// by the file name's extension) or the clipboard.

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/bitmap/Bitmap32.h"
#include "platform/rtl/Types.h"

class TdocDocumentCore;
class TdocPage;

namespace app {

constexpr int MinExportScale = 1;
constexpr int MaxExportScale = 20;
constexpr int DefaultExportScale = 5;
// More pixels than this is no label image a user wants: 16384 x 16384.
constexpr std::int64_t MaxExportPixels = std::int64_t{1} << 28;

// The image size of a page of width x height millimetres at scale pixels per
// millimetre, each side rounded to the nearest integer (halves to even).
// Raises EConvertError for a scale outside 1 to 20 or an image that would
// be empty or larger than MaxExportPixels.
TSize LabelImageSize(float width, float height, int scale);

// The label page copied into the current page of the hidden document (a new
// page when it has none) and rendered from there onto white, opaque.
std::unique_ptr<TBitmap32> RenderLabelImage(TdocDocumentCore& hidden, TdocPage& label, int scale);

// Saves the image in the raster format the file name's extension names,
// declaring its resolution of scale pixels per millimetre, so that other
// programs show and print it at the label's size.
void SaveLabelImage(const TBitmap32& image, const std::string& fileName, int scale);

}  // namespace app
