#pragma once
// TdocJpgFormat: JPEG files as a raster format, read and written through the
// codec's graphic (TsdJpegGraphic). Pictures always load whole; errors of
// the codec pass on unchanged.

#include <cstdint>

#include "imaging/formats/RasterFormat.h"

class TdocJpgFormat : public TdocRaster {
public:
  TdocJpgFormat();
  static const TRasterClass& Class();
  // Registers the format as "JPEG images" for ".jpg;.jp;.jpeg;".
  static void Register();
  // Without a stream the extension is trusted (true); with one, whether it
  // starts with a start-of-image marker followed by another marker. The
  // position is left where it was.
  static bool AcceptsStream(TStream* stream);

  // Only page 0 exists. Raises the codec's EInvalidGraphic for data it cannot
  // decode, and for a file without a frame; the bitmap is then left as it was.
  void LoadFromStream(TStream& stream, TCustomBitmap32& bitmap, std::int32_t pageIndex, TSize targetSize) override;
  // A baseline JPEG of the colours at Quality; alpha is not stored.
  void SaveToStream(TStream& stream, const TCustomBitmap32& bitmap) override;

  // The save quality, 1..100.
  std::uint8_t Quality = 90;
};
