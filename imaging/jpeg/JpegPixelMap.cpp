#include "imaging/jpeg/JpegPixelMap.h"

#include "imaging/jpeg/JpegTypes.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

void TsdJpegPixelMap::SetSize(int width, int height, int bytesPerPixel) {
  if (width < 0 || height < 0 || width > jpeg::kMaxDimension || height > jpeg::kMaxDimension ||
      std::int64_t{width} * height > jpeg::kMaxPixels)
    throw EInvalidGraphic(rtl::Format("Image too large: %dx%d", width, height));
  if (bytesPerPixel < 1 || bytesPerPixel > 4) throw EInvalidGraphic("Invalid pixelformat");
  Width = width;
  Height = height;
  BytesPerPixel = bytesPerPixel;
  Pixels.assign(Stride() * static_cast<std::size_t>(height), 0);
}
