// The base of the raster formats: file transfers over the stream transfers.

#include "imaging/formats/RasterFormat.h"

#include "imaging/bitmap/CustomBitmap32.h"

TdocRaster::TdocRaster(const TRasterClass& rasterClass)
    : Class(rasterClass), Flags(imaging::GetRasterClassFlags(rasterClass)) {}

void TdocRaster::LoadFromFile(const std::string& fileName, TCustomBitmap32& bitmap, std::int32_t pageIndex,
                              TSize targetSize) {
  if ((Flags & rfLoadsFromStream) == 0) throw ERasterError("Method not implemented");
  TFileStream file(fileName, fmOpenRead | fmShareDenyNone);
  LoadFromStream(file, bitmap, pageIndex, targetSize);
  FileSize = file.GetSize();
}

void TdocRaster::LoadFromStream(TStream&, TCustomBitmap32&, std::int32_t, TSize) {
  throw ERasterError("Loading from stream is not implemented");
}

void TdocRaster::SaveToStream(TStream&, const TCustomBitmap32&) { throw ERasterError("Method not implemented"); }

void TdocRaster::SaveToFile(const std::string& fileName, const TCustomBitmap32& bitmap) {
  if ((Flags & rfSavesToStream) == 0) throw ERasterError("Method not implemented");
  TMemoryStream encoded;
  SaveToStream(encoded, bitmap);
  TFileStream file(fileName, fmCreate);
  encoded.SaveToStream(file);
  FileSize = file.GetSize();
}
