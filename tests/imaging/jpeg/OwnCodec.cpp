#include "tests/imaging/jpeg/OwnCodec.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace jpegtest {

void Fill(TMemoryStream& stream, const std::vector<std::uint8_t>& bytes) {
  stream.Clear();
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(0);
}

Image OwnDecode(const std::vector<std::uint8_t>& file, TsdJpegScale scale, TsdJpegColorSpace bitmapCS,
                TsdJpegDCTCodingMethod method) {
  TsdJpegFormat codec;
  codec.LoadScale = scale;
  codec.BitmapCS = bitmapCS;
  codec.DCTCodingMethod = method;
  TMemoryStream stream;
  Fill(stream, file);
  codec.LoadFromStream(stream);
  const TsdJpegPixelMap& bitmap = codec.GetBitmap();
  Image image;
  image.Width = bitmap.GetWidth();
  image.Height = bitmap.GetHeight();
  const int bytes = bitmap.GetBytesPerPixel();
  image.Components = bytes == 1 ? 1 : 3;
  for (int y = 0; y < image.Height; ++y) {
    const std::uint8_t* p = bitmap.Row(y);
    for (int x = 0; x < image.Width; ++x, p += bytes) {
      if (bytes == 1) {
        image.Pixels.push_back(p[0]);
      } else {
        image.Pixels.push_back(p[2]);
        image.Pixels.push_back(p[1]);
        image.Pixels.push_back(p[0]);
      }
    }
  }
  return image;
}

TsdJpegPixelMap ToPixelMap(const Image& image) {
  TsdJpegPixelMap bitmap;
  bitmap.SetSize(image.Width, image.Height, image.Components);
  for (int y = 0; y < image.Height; ++y) {
    std::uint8_t* p = bitmap.Row(y);
    for (int x = 0; x < image.Width; ++x, p += image.Components) {
      if (image.Components == 1) {
        p[0] = image.At(x, y, 0);
      } else {
        p[0] = image.At(x, y, 2);
        p[1] = image.At(x, y, 1);
        p[2] = image.At(x, y, 0);
      }
    }
  }
  return bitmap;
}

std::vector<std::uint8_t> OwnEncode(const Image& image, int quality, bool optimize) {
  TsdJpegFormat codec;
  codec.BitmapCS = image.Components == 1 ? jcGray : jcRGB;
  codec.GetSaveOptions().Quality = static_cast<std::uint8_t>(quality);
  codec.GetSaveOptions().OptimizeHuffmanTables = optimize;
  codec.SetBitmap(ToPixelMap(image));
  TMemoryStream stream;
  codec.SaveToStream(stream);
  return stream.Bytes();
}

int MaxDifference(const Image& a, const Image& b) {
  if (a.Pixels.size() != b.Pixels.size()) return 256;
  int worst = 0;
  for (std::size_t i = 0; i < a.Pixels.size(); ++i) worst = std::max(worst, std::abs(int(a.Pixels[i]) - int(b.Pixels[i])));
  return worst;
}

}  // namespace jpegtest
