// The registry rules on lists of our own (so the program's list stays as
// start-up made it), and the program's lists of raster formats and picture
// graphic classes after start-up.

#include <gtest/gtest.h>

#include "RasterTestSupport.h"
#include "imaging/BmpFormat.h"
#include "imaging/HckGraphic.h"
#include "imaging/HckImage.h"
#include "imaging/RasterFormat.h"
#include "imaging/jpeg/JpegGraphic.h"
#include "imaging/jpeg/JpegRasterFormat.h"
#include "platform/gdi/Picture.h"

namespace {

// A format registered nowhere.
const TRasterClass& Unregistered() {
  static const TRasterClass record{
      "TdocUnregistered", []() -> std::unique_ptr<TdocRaster> { return std::make_unique<TdocRaster>(Unregistered()); },
      nullptr};
  return record;
}

TRasterFormatList ThreeFormats() {
  TRasterFormatList list;
  list.Register(TdocBmpFormat::Class(), "Windows Bitmap", ".bmp;.dib;", rfAll);
  list.Register(TdocJpgFormat::Class(), "JPEG images", ".jpg;.jp;.jpeg;", rfAll);
  list.Register(THckImage::Class(), "HCK Image", ".hck;", rfAll);
  return list;
}

}  // namespace

TEST(RasterFormatList, FilterStringOfTheThreeFormats) {
  EXPECT_EQ(ThreeFormats().FilterString(),
            "Graphic formats|*.bmp;*.dib;*.jpg;*.jp;*.jpeg;*.hck|Windows Bitmap (*.bmp;*.dib)|*.bmp;*.dib|"
            "JPEG images (*.jpg;*.jp;*.jpeg)|*.jpg;*.jp;*.jpeg|HCK Image (*.hck)|*.hck|All Formats (*.*)|*.*");
  TRasterFormatList list = ThreeFormats();
  list.Register(TdocJpgFormat::Class(), "JPEG images", ".jpg;", rfAll & ~rfListedInFilter);
  EXPECT_EQ(list.FilterString(),
            "Graphic formats|*.bmp;*.dib;*.hck|Windows Bitmap (*.bmp;*.dib)|*.bmp;*.dib|HCK Image (*.hck)|*.hck|"
            "All Formats (*.*)|*.*");
  EXPECT_EQ(TRasterFormatList().FilterString(), "Graphic formats|||All Formats (*.*)|*.*");
}

TEST(RasterFormatList, ExtensionsMatchWholeEntriesInAnyCase) {
  const TRasterFormatList list = ThreeFormats();
  EXPECT_EQ(list.FindByExtension(".jp"), &TdocJpgFormat::Class());
  EXPECT_EQ(list.FindByExtension(".JPEG"), &TdocJpgFormat::Class());
  EXPECT_EQ(list.FindByExtension(".Dib"), &TdocBmpFormat::Class());
  EXPECT_EQ(list.FindByExtension(".hck"), &THckImage::Class());
  EXPECT_EQ(list.FindByExtension("hck"), &THckImage::Class());  // the dot may be left out
  for (const char* stranger : {".peg", ".p", ".pg", ".jpe", ".mp", ".bmp;", ".bmp;.dib", ";", ".", "", ".gif"})
    EXPECT_EQ(list.FindByExtension(stranger), nullptr) << stranger;
}

TEST(RasterFormatList, RegisteringAgainUpdatesInPlace) {
  TRasterFormatList list = ThreeFormats();
  list.Register(TdocBmpFormat::Class(), "Bitmaps", ".BMP;.RLE;", rfLoadsFromStream);
  ASSERT_EQ(list.Holders().size(), 3u);
  const TRasterClassHolder& bmp = list.Holders()[0];
  EXPECT_EQ(bmp.RasterClass, &TdocBmpFormat::Class());
  EXPECT_EQ(bmp.Description, "Bitmaps");
  EXPECT_EQ(bmp.ClassName, "TdocBmpFormat");
  EXPECT_EQ(bmp.Extensions, ".bmp;.rle;");
  EXPECT_EQ(bmp.Flags, rfLoadsFromStream);
  EXPECT_EQ(list.FindByExtension(".rle"), &TdocBmpFormat::Class());
  EXPECT_EQ(list.FindByExtension(".dib"), nullptr);
  // Only formats flagged for it are chosen for saving.
  EXPECT_EQ(list.FindByExtension(".bmp", rfSavedByExtension), nullptr);
  EXPECT_EQ(list.FindByExtension(".hck", rfSavedByExtension), &THckImage::Class());
  EXPECT_EQ(list.FlagsOf(TdocBmpFormat::Class()), rfLoadsFromStream);
  EXPECT_EQ(TRasterFormatList().FlagsOf(THckImage::Class()), 0);
}

TEST(RasterFormatList, ContentTestsComeBeforeFormatsThatTakeAnything) {
  const TRasterFormatList list = ThreeFormats();
  TCustomBitmap32 picture;
  rastertest::Paint(picture, 3, 2, 1);
  TMemoryStream hck;
  THckImage().SaveToStream(hck, picture);
  hck.SetPosition(0);
  EXPECT_EQ(list.FindByContent(hck), &THckImage::Class());
  EXPECT_EQ(hck.GetPosition(), 0);
  TMemoryStream other;
  rastertest::Fill(other, {'B', 'M', 1, 2});
  EXPECT_EQ(list.FindByContent(other), &TdocBmpFormat::Class());  // the first without a test of its own
  TMemoryStream empty;
  EXPECT_EQ(list.FindByContent(empty), &TdocBmpFormat::Class());
  // A JPEG starts with the start-of-image marker and another marker.
  TMemoryStream jpeg;
  rastertest::Fill(jpeg, {0xFF, 0xD8, 0xFF, 0xE0});
  jpeg.SetPosition(1);
  EXPECT_EQ(list.FindByContent(jpeg), &TdocBmpFormat::Class());  // examined from the position
  EXPECT_EQ(jpeg.GetPosition(), 1);
  jpeg.SetPosition(0);
  EXPECT_EQ(list.FindByContent(jpeg), &TdocJpgFormat::Class());
  EXPECT_EQ(jpeg.GetPosition(), 0);
  using Bytes = std::vector<std::uint8_t>;
  for (const Bytes& stranger : {Bytes{0xFF, 0xD8}, Bytes{0xFF, 0xD8, 0x00}, Bytes{0xFF, 0xD9, 0xFF}}) {
    TMemoryStream s;
    rastertest::Fill(s, stranger);
    EXPECT_EQ(list.FindByContent(s), &TdocBmpFormat::Class());
    EXPECT_EQ(s.GetPosition(), 0);
  }
  EXPECT_TRUE(TdocJpgFormat::AcceptsStream(nullptr));  // without data the extension is trusted
  TRasterFormatList hckOnly;
  hckOnly.Register(THckImage::Class(), "HCK Image", ".hck;", rfAll);
  EXPECT_EQ(hckOnly.FindByContent(other), nullptr);
}

TEST(RasterFormatList, ExtensionOfAFileName) {
  using imaging::ExtractFileExt;
  EXPECT_EQ(ExtractFileExt("photo.JPEG"), ".JPEG");
  EXPECT_EQ(ExtractFileExt("/tmp/a.b/archive.tar.gz"), ".gz");
  EXPECT_EQ(ExtractFileExt("/tmp/a.b/noext"), "");
  EXPECT_EQ(ExtractFileExt("C:\\pics.d\\label"), "");
  EXPECT_EQ(ExtractFileExt("trailing."), ".");
  EXPECT_EQ(ExtractFileExt(""), "");
}

TEST(RasterRegistry, StartUpRegistersBmpJpegThenHck) {
  const auto& holders = imaging::RasterFormats().Holders();
  ASSERT_EQ(holders.size(), 3u);
  const struct {
    const TRasterClass* Class;
    const char* ClassName;
    const char* Description;
    const char* Extensions;
  } expected[] = {
      {&TdocBmpFormat::Class(), "TdocBmpFormat", "Windows Bitmap", ".bmp;.dib;"},
      {&TdocJpgFormat::Class(), "TdocJpgFormat", "JPEG images", ".jpg;.jp;.jpeg;"},
      {&THckImage::Class(), "THckImage", "HCK Image", ".hck;"},
  };
  for (std::size_t i = 0; i < holders.size(); ++i) {
    EXPECT_EQ(holders[i].RasterClass, expected[i].Class) << i;
    EXPECT_EQ(holders[i].ClassName, expected[i].ClassName);
    EXPECT_EQ(holders[i].Description, expected[i].Description);
    EXPECT_EQ(holders[i].Extensions, expected[i].Extensions);
    EXPECT_EQ(holders[i].Flags, 0x0F);
  }
  EXPECT_EQ(imaging::GetRasterFilterString(),
            "Graphic formats|*.bmp;*.dib;*.jpg;*.jp;*.jpeg;*.hck|Windows Bitmap (*.bmp;*.dib)|*.bmp;*.dib|"
            "JPEG images (*.jpg;*.jp;*.jpeg)|*.jpg;*.jp;*.jpeg|HCK Image (*.hck)|*.hck|All Formats (*.*)|*.*");
  EXPECT_EQ(imaging::FindRasterClassByExtension("/pictures/Label.HCK"), &THckImage::Class());
  EXPECT_EQ(imaging::FindRasterClassByExtension("photo.JPEG"), &TdocJpgFormat::Class());
  for (const char* stranger : {"photo.peg", "photo.p", "photo.jpg;", "/pictures.bmp/label"})
    EXPECT_EQ(imaging::FindRasterClassByExtension(stranger), nullptr) << stranger;
  EXPECT_EQ(imaging::GetRasterClassFlags(Unregistered()), 0);
  // A raster object takes the flags of its class's entry.
  EXPECT_EQ(THckImage().GetFlags(), 0x0F);
  EXPECT_EQ(TdocJpgFormat().GetFlags(), 0x0F);
  EXPECT_EQ(TdocRaster(Unregistered()).GetFlags(), 0);
}

TEST(PictureRegistry, StartUpRegistersTheJpegAndHckGraphics) {
  const struct {
    const char* Extension;
    const char* Description;
    const TGraphicClass* Class;
    const char* ClassName;
  } expected[] = {
      {"jpg", "Jpeg file", &TsdJpegGraphic::GraphicClass(), "TsdJpegGraphic"},
      {"HCK", "HCK Image", &THckGraphic::GraphicClass(), "THckGraphic"},
  };
  const auto& formats = TPicture::FileFormats().Formats();
  ASSERT_EQ(formats.size(), 2u);
  for (std::size_t i = 0; i < formats.size(); ++i) {
    EXPECT_EQ(formats[i].Extension, expected[i].Extension);
    EXPECT_EQ(formats[i].Description, expected[i].Description);
    EXPECT_EQ(formats[i].GraphicClass, expected[i].Class);
    EXPECT_EQ(TPicture::FindGraphicClass(expected[i].Extension).Create()->ClassName(), expected[i].ClassName);
  }
  EXPECT_EQ(&TPicture::FindGraphicClass(".JPG"), &TsdJpegGraphic::GraphicClass());
  EXPECT_EQ(&TPicture::FindGraphicClass("hck"), &THckGraphic::GraphicClass());
  for (const char* stranger : {"jpeg", "jp", ".bmp", ""})
    EXPECT_THROW(TPicture::FindGraphicClass(stranger), EInvalidGraphic) << stranger;
}
