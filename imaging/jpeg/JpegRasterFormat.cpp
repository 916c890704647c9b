#include "imaging/jpeg/JpegRasterFormat.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/jpeg/JpegGraphic.h"
#include "platform/gdi/Bitmap.h"

TdocJpgFormat::TdocJpgFormat() : TdocRaster(Class()) {}

const TRasterClass& TdocJpgFormat::Class() {
  static const TRasterClass record{
      "TdocJpgFormat", []() -> std::unique_ptr<TdocRaster> { return std::make_unique<TdocJpgFormat>(); },
      &TdocJpgFormat::AcceptsStream};
  return record;
}

void TdocJpgFormat::Register() {
  imaging::RegisterRasterFormat(Class(), "JPEG images", ".jpg;.jp;.jpeg;", rfAll);
}

bool TdocJpgFormat::AcceptsStream(TStream* stream) {
  if (stream == nullptr) return true;
  std::array<std::uint8_t, 3> start{};
  const std::int64_t position = stream->GetPosition();
  const std::int64_t read = stream->Read(start.data(), start.size());
  stream->SetPosition(position);
  return read == 3 && start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF;
}

void TdocJpgFormat::LoadFromStream(TStream& stream, TCustomBitmap32& bitmap, std::int32_t pageIndex, TSize) {
  if (pageIndex > 0) throw ERasterError("Requested non-existing page");
  TsdJpegGraphic graphic;
  graphic.LoadFromStream(stream);
  ImageWidth = graphic.GetWidth();
  ImageHeight = graphic.GetHeight();
  if (graphic.Empty()) throw EInvalidGraphic("JPEG file holds no image");
  graphic.SetDctPreference(0);
  // Decoded (whole: the graphic's scale is full) before the bitmap is sized,
  // so that data that cannot be decoded costs no bitmap of the size its
  // header claims, and leaves the bitmap as it was.
  TBitmap decoded;
  decoded.Assign(&graphic);
  bitmap.Assign(&decoded);
}

void TdocJpgFormat::SaveToStream(TStream& stream, const TCustomBitmap32& bitmap) {
  TBitmap colours;
  colours.Assign(&bitmap);
  colours.SetPixelFormat(pf24bit);
  TsdJpegGraphic graphic;
  graphic.Assign(&colours);
  graphic.SetQuality(Quality);
  graphic.SetDotsPerCm(static_cast<std::uint16_t>(std::clamp(std::lround(SaveDotsPerMm * 10), 0L, 0xFFFFL)));
  graphic.SaveToStream(stream);
}
