// The codec as a framework graphic: loading into and saving from a TBitmap32.

#include <gtest/gtest.h>

#include "imaging/resample/BoxDownsample.h"
#include "imaging/startup/CoreStartUp.h"
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

  static Image Pixels(const TBitmap& bitmap) {
    TBitmap32 copy;
    copy.Assign(&bitmap);
    return FromBitmap32(copy);
  }

  // An RGB picture reduced to width x height by the raster library's box reduction.
  static Image Boxed(const Image& picture, int width, int height) {
    TBitmap32 colours;
    ToBitmap32(colours, picture, true);
    TBitmap source, reduced;
    source.Assign(&colours);
    source.SetPixelFormat(pf24bit);
    reduced.SetPixelFormat(pf24bit);
    reduced.SetSize(width, height);
    imaging::BoxDownsampleBitmap(source, reduced);
    return Pixels(reduced);
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
  const Image pixels = FromBitmap32(bitmap, &opaque);
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
  EXPECT_EQ(Pixels(target).Pixels, OwnDecode(file, jsDiv8).Pixels);
  // 30 x 20 needs the quarter size (40 x 30), reduced by block means. Scaled
  // decoders differ in detail, so the reference is close on average only.
  target.SetSize(30, 20);
  graphic.Draw(target.GetCanvas(), Rect(0, 0, 30, 20));
  const Image drawn = Pixels(target);
  EXPECT_EQ(drawn.Pixels, Boxed(OwnDecode(file, jsDiv4), 30, 20).Pixels);
  const Image reference = ReferenceDecode(file, 4).Picture;
  ASSERT_EQ(reference.Width, 40);
  EXPECT_LT(MeanDifference(drawn, Boxed(reference, 30, 20)), 3.0);
}

TEST_F(Graphic, Bitmap32SavedThroughTheGraphicDecodesAsTheSamePicture) {
  const Image photo = MakePhoto(61, 43, 3, 8);
  TBitmap32 source;
  ToBitmap32(source, photo, true);
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
  TsdJpegGraphic reread;
  Load(reread, file);
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
  EXPECT_EQ(FromBitmap32(first).Pixels, FromBitmap32(second).Pixels);
}

TEST_F(Graphic, TBitmapReceivesTheDecodedPictureAtTheGraphicsScale) {
  const std::vector<std::uint8_t> file = OwnEncode(MakePhoto(48, 32, 1, 3), 75);
  TsdJpegGraphic graphic;
  Load(graphic, file);
  graphic.SetDctPreference(0);
  graphic.Scale = jsDiv2;
  TBitmap bitmap;
  bitmap.Assign(&graphic);
  ASSERT_EQ(bitmap.GetWidth(), 24);
  ASSERT_EQ(bitmap.GetHeight(), 16);
  EXPECT_EQ(Pixels(bitmap).Pixels, OwnDecode(file, jsDiv2).Pixels);
}

// The framework streams a picture's graphic as a byte count and the file.
TEST_F(Graphic, DataIsAByteCountAndTheJpegFileAndReadsBack) {
  const std::vector<std::uint8_t> file = ReferenceEncode(MakePhoto(50, 30, 3, 5), EncodeSettings{});
  TsdJpegGraphic graphic;
  Load(graphic, file);
  TMemoryStream data;
  data.WriteBuffer("ab", 2);  // data stands among other properties
  graphic.WriteData(data);
  const std::vector<std::uint8_t>& bytes = data.Bytes();
  ASSERT_EQ(bytes.size(), 2 + 4 + file.size());
  const std::size_t count = bytes[2] | bytes[3] << 8 | bytes[4] << 16 | std::size_t{bytes[5]} << 24;
  EXPECT_EQ(count, file.size());
  EXPECT_TRUE(std::equal(file.begin(), file.end(), bytes.begin() + 6));

  data.WriteBuffer("z", 1);
  data.SetPosition(2);
  TsdJpegGraphic reread;
  reread.ReadData(data);
  EXPECT_EQ(data.GetPosition(), static_cast<std::int64_t>(bytes.size()) - 1);  // stops at the next property
  TBitmap32 first, second;
  first.Assign(&graphic);
  second.Assign(&reread);
  EXPECT_EQ(FromBitmap32(first).Pixels, FromBitmap32(second).Pixels);

  // An empty graphic writes a count of 0 and reads back empty.
  TsdJpegGraphic empty, emptyAgain;
  TMemoryStream none;
  empty.WriteData(none);
  EXPECT_EQ(none.Bytes(), std::vector<std::uint8_t>(4, 0));
  none.SetPosition(0);
  emptyAgain.ReadData(none);
  EXPECT_TRUE(emptyAgain.Empty());

  // A stream already read to its end holds no picture: its earlier bytes are not read again.
  TsdJpegGraphic atEnd;
  data.SetPosition(data.GetSize());
  EXPECT_THROW(atEnd.LoadFromStream(data), EInvalidGraphic);

  // A count beyond the stream is a read error, not a read past it.
  TMemoryStream cut;
  cut.WriteBuffer(bytes.data() + 2, 100);
  cut.SetPosition(0);
  EXPECT_THROW(reread.ReadData(cut), EReadError);
}

}  // namespace
