#include "imaging/formats/BmpFormat.h"

#include <algorithm>
#include <cmath>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/formats/BmpDecoder.h"

TdocBmpFormat::TdocBmpFormat() : TdocRaster(Class()) {}

const TRasterClass& TdocBmpFormat::Class() {
  static const TRasterClass record{
      "TdocBmpFormat", []() -> std::unique_ptr<TdocRaster> { return std::make_unique<TdocBmpFormat>(); }, nullptr};
  return record;
}

void TdocBmpFormat::Register() { imaging::RegisterRasterFormat(Class(), "Windows Bitmap", ".bmp;.dib;", rfAll); }

void TdocBmpFormat::LoadFromStream(TStream& stream, TCustomBitmap32& bitmap, std::int32_t pageIndex, TSize) {
  if (pageIndex > 0) throw ERasterError("Requested non-existing page");
  imaging::LoadBmp(stream, bitmap, imaging::TBmpAlpha::UnusedWhenAllZero);
  ImageWidth = bitmap.GetWidth();
  ImageHeight = bitmap.GetHeight();
}

void TdocBmpFormat::SaveToStream(TStream& stream, const TCustomBitmap32& bitmap) {
  bitmap.SaveToStream(stream, false, static_cast<std::int32_t>(std::clamp(std::lround(SaveDotsPerMm * 1000), 0L, 0x7FFFFFFFL)));
}
