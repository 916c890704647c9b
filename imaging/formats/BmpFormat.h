#pragma once
// Windows bitmaps as a raster format, read and written by the bitmap's own
// BMP reader and writer; as pictures from elsewhere, an uncompressed 32-bit
// one whose every fourth byte is 0 reads as opaque. It has no content test:
// its extensions are trusted, and it takes any file that no format with a
// content test claims.

#include "imaging/formats/RasterFormat.h"

class TdocBmpFormat : public TdocRaster {
public:
  TdocBmpFormat();
  static const TRasterClass& Class();
  // Registers the format as "Windows Bitmap" for ".bmp;.dib;".
  static void Register();

  // Only page 0 exists.
  void LoadFromStream(TStream& stream, TCustomBitmap32& bitmap, std::int32_t pageIndex, TSize targetSize) override;
  // Top row first.
  void SaveToStream(TStream& stream, const TCustomBitmap32& bitmap) override;
};
