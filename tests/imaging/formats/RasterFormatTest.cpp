// The registry rules on lists of our own (so the program's list stays as
// start-up made it), and the program's lists of raster formats and picture
// graphic classes after start-up.

#include <gtest/gtest.h>

#include "tests/imaging/ImagingTestSupport.h"
#include "imaging/formats/BmpFormat.h"
#include "imaging/formats/HckGraphic.h"
#include "imaging/formats/HckImage.h"
#include "imaging/formats/RasterFormat.h"
#include "imaging/jpeg/JpegGraphic.h"
#include "imaging/jpeg/JpegRasterFormat.h"
#include "platform/gdi/Picture.h"

namespace {

TRasterFormatList ThreeFormats(TRasterFlags jpegFlags = rfAll) {
  TRasterFormatList list;
  list.Register(TdocBmpFormat::Class(), "Windows Bitmap", ".bmp;.dib;", rfAll);
  list.Register(TdocJpgFormat::Class(), "JPEG images", ".jpg;.jp;.jpeg;", jpegFlags);
  list.Register(THckImage::Class(), "HCK Image", ".hck;", rfAll);
  return list;
}

}  // namespace

TEST(RasterRegistry, StartUpRegistersBmpJpegThenHckWithTheirFilterAndGraphics) {
  ASSERT_EQ(imaging::RasterFormats().Holders().size(), 3u);
  // The picture graphic classes: JPEG and HCK.
  EXPECT_EQ(TPicture::FindGraphicClass("hck").Create()->ClassName(), "THckGraphic");
  EXPECT_EQ(&TPicture::FindGraphicClass(".JPG"), &TsdJpegGraphic::GraphicClass());
  EXPECT_EQ(&TPicture::FindGraphicClass("jpeg"), &TsdJpegGraphic::GraphicClass());
  EXPECT_EQ(imaging::GetRasterFilterString(),
            "Graphic formats|*.bmp;*.dib;*.jpg;*.jp;*.jpeg;*.hck|Windows Bitmap (*.bmp;*.dib)|*.bmp;*.dib|"
            "JPEG images (*.jpg;*.jp;*.jpeg)|*.jpg;*.jp;*.jpeg|HCK Image (*.hck)|*.hck|All Formats (*.*)|*.*");
  EXPECT_EQ(ThreeFormats(static_cast<TRasterFlags>(rfAll & ~rfListedInFilter)).FilterString(),
            "Graphic formats|*.bmp;*.dib;*.hck|Windows Bitmap (*.bmp;*.dib)|*.bmp;*.dib|HCK Image (*.hck)|*.hck|"
            "All Formats (*.*)|*.*");
  EXPECT_EQ(TRasterFormatList().FilterString(), "Graphic formats|||All Formats (*.*)|*.*");
  // Extensions match whole entries in any case.
  EXPECT_EQ(imaging::FindRasterClassByExtension("/pictures/Label.HCK"), &THckImage::Class());
  EXPECT_EQ(imaging::FindRasterClassByExtension("photo.jp"), &TdocJpgFormat::Class());
  EXPECT_EQ(imaging::FindRasterClassByExtension("photo.JPEG"), &TdocJpgFormat::Class());
  EXPECT_EQ(imaging::FindRasterClassByExtension("a.Dib"), &TdocBmpFormat::Class());
  for (const char* stranger : {"photo.peg", "photo.p", "photo.jpe", "photo.jpg;", "photo.mp", "/pictures.bmp/label", "x."})
    EXPECT_EQ(imaging::FindRasterClassByExtension(stranger), nullptr) << stranger;
  // Only formats flagged for it are chosen for saving.
  const TRasterFormatList list = ThreeFormats(rfLoadsFromStream);
  EXPECT_EQ(list.FindByExtension(".jpg", rfSavedByExtension), nullptr);
  EXPECT_EQ(list.FindByExtension(".hck", rfSavedByExtension), &THckImage::Class());
}

TEST(RasterRegistry, ContentTestsComeBeforeFormatsThatTakeAnything) {
  const TRasterFormatList list = ThreeFormats();
  const struct {
    std::vector<std::uint8_t> Bytes;
    std::int64_t Position;
    const TRasterClass* Expected;
  } cases[] = {
      {{'H', 'C', 'K', 0, 1}, 0, &THckImage::Class()},
      {{0xFF, 0xD8, 0xFF, 0xE0}, 0, &TdocJpgFormat::Class()},
      {{0xFF, 0xD8, 0xFF, 0xE0}, 1, &TdocBmpFormat::Class()},  // examined from the position
      {{7, 'H', 'C', 'K', 0}, 1, &THckImage::Class()},
      {{'H', 'C', 'K'}, 0, &TdocBmpFormat::Class()},  // too short for a signature: no error, no HCK
      {{'H', 'C'}, 0, &TdocBmpFormat::Class()},
      {{'H'}, 0, &TdocBmpFormat::Class()},
      {{'H', 'C', 'K', 'X', 0}, 0, &TdocBmpFormat::Class()},
      {{0xFF, 0xD8}, 0, &TdocBmpFormat::Class()},  // the first without a test of its own
      {{}, 0, &TdocBmpFormat::Class()},
  };
  for (const auto& c : cases) {
    TMemoryStream s;
    imagingtest::Fill(s, c.Bytes);
    s.SetPosition(c.Position);
    EXPECT_EQ(list.FindByContent(s), c.Expected) << c.Bytes.size() << " bytes from " << c.Position;
    EXPECT_EQ(s.GetPosition(), c.Position);
  }
  EXPECT_FALSE(THckImage::AcceptsStream(nullptr));
}
