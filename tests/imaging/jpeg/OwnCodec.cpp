#include "tests/imaging/jpeg/OwnCodec.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace jpegtest {

Image OwnDecode(const std::vector<std::uint8_t>& file, TsdJpegScale scale, TsdJpegColorSpace bitmapCS,
                TsdJpegDCTCodingMethod method) {
  TsdJpegFormat codec;
  codec.LoadScale = scale;
  codec.BitmapCS = bitmapCS;
  codec.DCTCodingMethod = method;
  TMemoryStream stream;
  Fill(stream, file);
  codec.LoadFromStream(stream);
  return FromPixelMap(codec.GetBitmap());
}

Image FromPixelMap(const TsdJpegPixelMap& bitmap) {
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

namespace {

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

}  // namespace

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

std::string LoadError(const std::vector<std::uint8_t>& bytes, std::vector<std::string>* trace) {
  TsdJpegFormat codec;
  if (trace) codec.OnDebugOut = [trace](TsdJpegFormat&, const std::string& text) { trace->push_back(text); };
  TMemoryStream stream;
  Fill(stream, bytes);
  try {
    codec.LoadFromStream(stream);
    codec.GetBitmap();
  } catch (const EInvalidGraphic& e) {
    return e.what();
  }
  return "";
}

std::size_t FindMarker(const std::vector<std::uint8_t>& bytes, std::uint8_t code) {
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == code) return i + 2;
  return 0;
}

std::vector<std::uint8_t> Insert(std::vector<std::uint8_t> bytes, std::size_t at, const std::vector<std::uint8_t>& what) {
  bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), what.begin(), what.end());
  return bytes;
}

bool Contains(const std::vector<std::string>& lines, const std::string& text) {
  return std::any_of(lines.begin(), lines.end(), [&](const auto& line) { return line.find(text) != std::string::npos; });
}

std::vector<std::uint8_t> FuzzerInput(const std::string& name) {
  std::ifstream in(std::string(LABEL_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 2) throw std::runtime_error("missing test data " + name);
  return std::vector<std::uint8_t>(bytes.begin() + 1, bytes.end());
}

Image FromBitmap32(const TCustomBitmap32& bitmap, bool* opaque) {
  Image image;
  image.Width = bitmap.GetWidth();
  image.Height = bitmap.GetHeight();
  if (opaque) *opaque = true;
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x) {
      const TColor32 c = *bitmap.PixelPtr(x, y);
      if (opaque && c >> 24 != 255) *opaque = false;
      for (int shift : {16, 8, 0}) image.Pixels.push_back(static_cast<std::uint8_t>(c >> shift));
    }
  return image;
}

void ToBitmap32(TCustomBitmap32& bitmap, const Image& photo, bool opaque) {
  bitmap.SetSize(photo.Width, photo.Height);
  for (int y = 0; y < photo.Height; ++y)
    for (int x = 0; x < photo.Width; ++x)
      *bitmap.PixelPtr(x, y) = (opaque ? 255u : static_cast<TColor32>((x * 37 + y) % 256)) << 24 |
                               TColor32{photo.At(x, y, 0)} << 16 | TColor32{photo.At(x, y, 1)} << 8 | photo.At(x, y, 2);
}

Image AsRgb(const Image& picture) {
  if (picture.Components != 1) return picture;
  Image rgb = picture;
  rgb.Components = 3;
  rgb.Pixels.clear();
  for (std::uint8_t v : picture.Pixels) rgb.Pixels.insert(rgb.Pixels.end(), 3, v);
  return rgb;
}

}  // namespace jpegtest
