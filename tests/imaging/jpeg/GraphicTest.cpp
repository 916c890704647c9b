// The codec as a framework graphic: loading into and saving from a TBitmap32.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "imaging/Bitmap32.h"
#include "imaging/StartUp.h"
#include "imaging/jpeg/JpegGraphic.h"
#include "platform/gdi/Bitmap.h"
#include "tests/imaging/jpeg/OwnCodec.h"

using namespace jpegtest;

namespace {

class Graphic : public ::testing::Test {
protected:
  static void SetUpTestSuite() { imaging::StartUp(); }

  static void Load(TsdJpegGraphic& graphic, const std::vector<std::uint8_t>& file) {
    TMemoryStream stream;
    Fill(stream, file);
    graphic.LoadFromStream(stream);
  }

  // The bitmap's pixels as RGB, and whether every alpha byte is 255.
  static Image Pixels(const TCustomBitmap32& bitmap, bool* opaque = nullptr) {
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
};

TEST_F(Graphic, Bitmap32AssignedFromTheGraphicHoldsTheDecodedPicture) {
  const std::vector<std::uint8_t> file = ReferenceEncode(MakePhoto(83, 57, 3, 2), EncodeSettings{});
  TsdJpegGraphic graphic;
  Load(graphic, file);
  EXPECT_EQ(graphic.GetWidth(), 83);
  EXPECT_EQ(graphic.GetHeight(), 57);
  graphic.SetDctPreference(0);  // accurate, as the raster format asks
  TBitmap32 bitmap;
  bitmap.Assign(&graphic);
  bool opaque = false;
  const Image pixels = Pixels(bitmap, &opaque);
  EXPECT_TRUE(opaque);
  EXPECT_EQ(pixels.Pixels, OwnDecode(file).Pixels);
  EXPECT_LE(MaxDifference(pixels, ReferenceDecode(file).Picture), 2);
}

TEST_F(Graphic, DrawingDecodesAtTheSmallestScaleCoveringTheRectangle) {
  const std::vector<std::uint8_t> file = ReferenceEncode(MakePhoto(160, 120, 3, 5), EncodeSettings{});
  TsdJpegGraphic graphic;
  Load(graphic, file);
  graphic.SetDctPreference(0);
  // 20 x 15 is the eighth size: the decoded picture is copied unchanged.
  TBitmap target;
  target.SetSize(20, 15);
  graphic.Draw(target.GetCanvas(), Rect(0, 0, 20, 15));
  const Image eighth = OwnDecode(file, jsDiv8);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x) {
      const std::uint32_t c = target.GetSurface().Pixel(x, y);
      EXPECT_EQ(static_cast<int>(c >> 16 & 255), eighth.At(x, y, 0));
      EXPECT_EQ(static_cast<int>(c & 255), eighth.At(x, y, 2));
    }
  // 30 x 20 needs the quarter size (40 x 30), averaged down: close to the eighth.
  target.SetSize(30, 20);
  graphic.Draw(target.GetCanvas(), Rect(0, 0, 30, 20));
  Image drawn;
  drawn.Width = 30;
  drawn.Height = 20;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x)
      for (int shift : {16, 8, 0}) drawn.Pixels.push_back(static_cast<std::uint8_t>(target.GetSurface().Pixel(x, y) >> shift));
  Image reference = ReferenceDecode(file, 4).Picture;
  EXPECT_EQ(reference.Width, 40);
  double sum = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x)
      for (int c = 0; c < 3; ++c) {
        // The reference at quarter size, averaged over the area each pixel covers.
        double area = 0, weight = 0;
        for (int sy = 0; sy < 30; ++sy)
          for (int sx = 0; sx < 40; ++sx) {
            const double ox = std::max(0.0, std::min((x + 1) * 40.0 / 30, sx + 1.0) - std::max(x * 40.0 / 30, double(sx)));
            const double oy = std::max(0.0, std::min((y + 1) * 30.0 / 20, sy + 1.0) - std::max(y * 30.0 / 20, double(sy)));
            area += ox * oy * reference.At(sx, sy, c);
            weight += ox * oy;
          }
        sum += std::abs(area / weight - drawn.At(x, y, c));
      }
  EXPECT_LT(sum / (30 * 20 * 3), 3.0);
}

TEST_F(Graphic, Bitmap32SavedThroughTheGraphicDecodesAsTheSamePicture) {
  const Image photo = MakePhoto(61, 43, 3, 8);
  TBitmap32 source;
  source.SetSize(photo.Width, photo.Height);
  for (int y = 0; y < photo.Height; ++y)
    for (int x = 0; x < photo.Width; ++x)
      *source.PixelPtr(x, y) = 0xFF000000u | std::uint32_t{photo.At(x, y, 0)} << 16 |
                               std::uint32_t{photo.At(x, y, 1)} << 8 | photo.At(x, y, 2);
  TBitmap bitmap;
  bitmap.Assign(&source);
  TsdJpegGraphic graphic, pending;
  graphic.Assign(&bitmap);
  pending.Assign(&graphic);  // a copy before encoding holds the same bitmap
  EXPECT_EQ(graphic.GetWidth(), 61);
  EXPECT_EQ(pending.GetHeight(), 43);
  graphic.SetQuality(90);
  TMemoryStream out;
  graphic.SaveToStream(out);
  const std::vector<std::uint8_t>& file = out.Bytes();
  const DecodeResult decoded = ReferenceDecode(file);
  EXPECT_EQ(decoded.Warnings, 0);
  EXPECT_GT(Psnr(decoded.Picture, photo), 30.0);
  // Quality 90 scales the tables by 20: the first luminance entry is 3.
  TsdJpegGraphic reread;
  Load(reread, file);
  EXPECT_EQ(reread.GetCodec().GetCodingInfo().QuantizationTables[0].Quant[0], 3);
  // A loaded graphic saves its bytes as they are.
  TMemoryStream again;
  reread.SaveToStream(again);
  EXPECT_EQ(again.Bytes(), file);
  // And a copy of the graphic draws the same picture.
  TsdJpegGraphic copy;
  copy.Assign(&reread);
  TBitmap32 first, second;
  first.Assign(&reread);
  second.Assign(&copy);
  EXPECT_EQ(Pixels(first).Pixels, Pixels(second).Pixels);
}

TEST_F(Graphic, TBitmapReceivesTheDecodedPictureAtTheGraphicsScale) {
  const std::vector<std::uint8_t> file = OwnEncode(MakePhoto(48, 32, 1, 3), 75);
  TsdJpegGraphic graphic;
  Load(graphic, file);
  graphic.SetDctPreference(0);
  graphic.Scale = jsDiv2;
  TBitmap bitmap;
  bitmap.Assign(&graphic);
  EXPECT_EQ(bitmap.GetWidth(), 24);
  EXPECT_EQ(bitmap.GetHeight(), 16);
  const Image half = OwnDecode(file, jsDiv2);
  for (int x = 0; x < 24; ++x) EXPECT_EQ(static_cast<int>(bitmap.GetSurface().Pixel(x, 7) & 255), half.At(x, 7, 0));
}

}  // namespace
