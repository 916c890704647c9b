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

namespace jpeg {

void CopyToImage32(const TsdJpegPixelMap& bitmap, TsdJpegImage32& dest) {
  dest.SetSize(bitmap.GetWidth(), bitmap.GetHeight());
  const int bytes = bitmap.GetBytesPerPixel();
  for (int y = 0; y < bitmap.GetHeight(); ++y) {
    const std::uint8_t* p = bitmap.Row(y);
    std::uint32_t* out = dest.ScanLine(y);
    for (int x = 0; x < bitmap.GetWidth(); ++x, p += bytes) {
      const std::uint32_t blue = p[0], green = bytes >= 3 ? p[1] : p[0], red = bytes >= 3 ? p[2] : p[0];
      const std::uint32_t alpha = bytes == 4 ? p[3] : (bytes == 2 ? p[1] : 255);
      out[x] = alpha << 24 | red << 16 | green << 8 | blue;
    }
  }
}

TsdJpegPixelMap CopyFromImage32(const TsdJpegImage32& source) {
  TsdJpegPixelMap bitmap;
  bitmap.SetSize(source.GetWidth(), source.GetHeight(), 3);
  for (int y = 0; y < source.GetHeight(); ++y) {
    const std::uint32_t* in = source.ScanLine(y);
    std::uint8_t* p = bitmap.Row(y);
    for (int x = 0; x < source.GetWidth(); ++x, p += 3) {
      p[0] = static_cast<std::uint8_t>(in[x]);
      p[1] = static_cast<std::uint8_t>(in[x] >> 8);
      p[2] = static_cast<std::uint8_t>(in[x] >> 16);
    }
  }
  return bitmap;
}

}  // namespace jpeg
