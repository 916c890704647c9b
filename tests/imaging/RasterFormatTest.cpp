// The registry rules on lists of our own (so the program's list stays as
// start-up made it), and the program's list after start-up.

#include <gtest/gtest.h>

#include "RasterTestSupport.h"
#include "imaging/BmpFormat.h"
#include "imaging/HckImage.h"
#include "imaging/RasterFormat.h"

namespace {

// A format registered nowhere in the program, in the JPEG slot of the lists below.
const TRasterClass& StandInJpeg() {
  static const TRasterClass record{"TdocJpgFormat",
                                   []() -> std::unique_ptr<TdocRaster> { return std::make_unique<TdocRaster>(StandInJpeg()); },
                                   nullptr};
  return record;
}

TRasterFormatList ThreeFormats() {
  TRasterFormatList list;
  list.Register(TdocBmpFormat::Class(), "Windows Bitmap", ".bmp;.dib;", rfAll);
  list.Register(StandInJpeg(), "JPEG images", ".jpg;.jp;.jpeg;", rfAll);
  list.Register(THckImage::Class(), "HCK Image", ".hck;", rfAll);
  return list;
}

}  // namespace

TEST(RasterFormatList, FilterStringOfTheThreeFormats) {
  EXPECT_EQ(ThreeFormats().FilterString(),
            "Graphic formats|*.bmp;*.dib;*.jpg;*.jp;*.jpeg;*.hck|Windows Bitmap (*.bmp;*.dib)|*.bmp;*.dib|"
            "JPEG images (*.jpg;*.jp;*.jpeg)|*.jpg;*.jp;*.jpeg|HCK Image (*.hck)|*.hck|All Formats (*.*)|*.*");
  TRasterFormatList list = ThreeFormats();
  list.Register(StandInJpeg(), "JPEG images", ".jpg;", rfAll & ~rfListedInFilter);
  EXPECT_EQ(list.FilterString(),
            "Graphic formats|*.bmp;*.dib;*.hck|Windows Bitmap (*.bmp;*.dib)|*.bmp;*.dib|HCK Image (*.hck)|*.hck|"
            "All Formats (*.*)|*.*");
  EXPECT_EQ(TRasterFormatList().FilterString(), "Graphic formats|||All Formats (*.*)|*.*");
}

TEST(RasterFormatList, ExtensionsMatchWholeEntriesInAnyCase) {
  const TRasterFormatList list = ThreeFormats();
  EXPECT_EQ(list.FindByExtension(".jp"), &StandInJpeg());
  EXPECT_EQ(list.FindByExtension(".JPEG"), &StandInJpeg());
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

TEST(RasterRegistry, StartUpRegistersBmpThenHck) {
  const auto& holders = imaging::RasterFormats().Holders();
  ASSERT_EQ(holders.size(), 2u);
  EXPECT_EQ(holders[0].RasterClass, &TdocBmpFormat::Class());
  EXPECT_EQ(holders[0].Description, "Windows Bitmap");
  EXPECT_EQ(holders[0].Extensions, ".bmp;.dib;");
  EXPECT_EQ(holders[0].Flags, 0x0F);
  EXPECT_EQ(holders[1].RasterClass, &THckImage::Class());
  EXPECT_EQ(holders[1].ClassName, "THckImage");
  EXPECT_EQ(holders[1].Description, "HCK Image");
  EXPECT_EQ(holders[1].Extensions, ".hck;");
  EXPECT_EQ(holders[1].Flags, 0x0F);
  EXPECT_EQ(imaging::GetRasterFilterString(),
            "Graphic formats|*.bmp;*.dib;*.hck|Windows Bitmap (*.bmp;*.dib)|*.bmp;*.dib|HCK Image (*.hck)|*.hck|"
            "All Formats (*.*)|*.*");
  EXPECT_EQ(imaging::FindRasterClassByExtension("/pictures/Label.HCK"), &THckImage::Class());
  EXPECT_EQ(imaging::FindRasterClassByExtension("/pictures.bmp/label"), nullptr);
  EXPECT_EQ(imaging::GetRasterClassFlags(StandInJpeg()), 0);
  // A raster object takes the flags of its class's entry.
  EXPECT_EQ(THckImage().GetFlags(), 0x0F);
  EXPECT_EQ(TdocRaster(StandInJpeg()).GetFlags(), 0);
}
