// Loading and saving through the raster format registry: choice of format by
// extension and by content, streams and named files, the registry's own
// messages, saved BMP files checked by an independent reader (ImageMagick),
// and a failing encoder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/imaging/formats/HckFileBuilder.h"
#include "tests/imaging/ImagingTestSupport.h"
#include "imaging/formats/BmpFormat.h"
#include "imaging/formats/HckImage.h"
#include "imaging/formats/ImageFiler.h"

using namespace imagingtest;
using hcktest::Bytes;
namespace fs = std::filesystem;

namespace {

Bytes Encoded(const TCustomBitmap32& picture, bool hck) {
  TMemoryStream s;
  hck ? THckImage().SaveToStream(s, picture) : picture.SaveToStream(s);
  return s.Bytes();
}

void LoadFile(const std::string& name, TCustomBitmap32& b) {
  TdocImageFiler filer;
  filer.SetFileName(name);
  filer.LoadBitmap(b);
}

// A BMP writer that fails half-way, as an encoder may.
class TFailingBmp : public TdocBmpFormat {
public:
  void SaveToStream(TStream& stream, const TCustomBitmap32&) override {
    stream.WriteBuffer("BM", 2);
    throw ERasterError("Unable to compress");
  }
};

}  // namespace

TEST(ImageFiler, SavedBmpIsReadByImageMagick) {
  if (std::system("/usr/bin/convert -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick is not available";
  ScratchFolder dir("imagefiler");
  TCustomBitmap32 picture;
  picture.SetSize(6, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) picture.SetPixel(x, y, 0xFF000000u | static_cast<TColor32>(x * 40 << 16 | y * 70 << 8 | x * y * 11));
  TdocImageFiler filer;
  filer.SetFileName(dir.File("out.Bmp"));
  filer.SaveBitmap(picture);
  ASSERT_EQ(std::system(("/usr/bin/convert " + dir.File("out.Bmp") + " -depth 8 rgb:" + dir.File("out.rgb")).c_str()), 0);
  const Bytes rgb = ReadBytes(dir.File("out.rgb"));
  ASSERT_EQ(rgb.size(), 6u * 4 * 3);
  for (std::size_t i = 0; i < 24; ++i)
    EXPECT_EQ(0xFF000000u | rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2], picture.GetBits()[i]) << i;
}

TEST(ImageFiler, StreamsAreReadAndWrittenFromTheirPosition) {
  TCustomBitmap32 picture, b;
  FillRandom(picture, 4, 3, 7);
  for (const char* extension : {".hck", ".BMP", ".dib"}) {
    const bool hck = std::string(extension) == ".hck";
    const Bytes file = Encoded(picture, hck);
    TMemoryStream s;
    Fill(s, hcktest::Concat({Bytes{9, 9, 9, 9, 9}, file, Bytes{7, 7}}));
    s.SetPosition(5);
    TdocImageFiler filer;
    filer.SetExtension(extension);
    filer.Stream = &s;
    filer.LoadBitmap(b);
    EXPECT_EQ(Pixels(b), Pixels(picture)) << extension;
    EXPECT_EQ(filer.GetLastSize(), static_cast<std::int64_t>(file.size())) << extension;
    EXPECT_EQ(s.GetPosition(), 5 + static_cast<std::int64_t>(file.size())) << extension;
    TMemoryStream out;
    Fill(out, Bytes{1, 2});
    out.SetPosition(2);
    filer.Stream = &out;
    filer.SaveBitmap(picture);
    EXPECT_EQ(out.Bytes(), hcktest::Concat({Bytes{1, 2}, file})) << extension;
    // The target size reaches the format; BMP pictures arrive whole.
    s.SetPosition(5);
    filer.Stream = &s;
    filer.TargetWidth = 2;
    filer.TargetHeight = 100;
    filer.LoadBitmap(b);
    EXPECT_EQ(b.GetWidth(), hck ? 2 : 4) << extension;
  }
}

TEST(ImageFiler, NamesWithoutAKnownFormatAreExaminedByContentAndOthersRefused) {
  ScratchFolder dir("imagefiler");
  TCustomBitmap32 picture;
  FillRandom(picture, 5, 2, 9);
  WriteBytes(dir.File("hckpicture"), Encoded(picture, true));
  WriteBytes(dir.File("really_bmp.hck"), Encoded(picture, false));
  TCustomBitmap32 b;
  for (const char* name : {"hckpicture", "really_bmp.hck"}) {
    LoadFile(dir.File(name), b);
    EXPECT_EQ(Pixels(b), Pixels(picture)) << name;
  }
  // Data too short for a signature falls to BMP, whose reader refuses it.
  WriteBytes(dir.File("short.hck"), Bytes{'H', 'C'});
  WriteBytes(dir.File("cut.hck"), Bytes{'H', 'C', 'K', 0, 1});
  EXPECT_THROW(LoadFile(dir.File("short.hck"), b), EInvalidGraphic);
  EXPECT_EQ(ErrorOf([&] { LoadFile(dir.File("cut.hck"), b); }), "Image file is corrupted");
  EXPECT_THROW(LoadFile(dir.File("absent.bmp"), b), EFOpenError);
  // The registry's own refusals.
  TMemoryStream s;
  Fill(s, Bytes{'H', 'C', 'K', 0});
  TdocImageFiler filer;
  filer.Stream = &s;
  EXPECT_EQ(ErrorOf([&] { filer.LoadBitmap(b); }), "Unknown raster format \"\"");
  filer.SetExtension(".peg");
  EXPECT_EQ(ErrorOf([&] { filer.LoadBitmap(b); }), "Unknown raster format \".peg\"");
  // A short stream named ".hck" is not HCK, and a stream cannot be examined further.
  Fill(s, Bytes{'H', 'C'});
  filer.SetExtension(".hck");
  EXPECT_EQ(ErrorOf([&] { filer.LoadBitmap(b); }), "Unknown raster format \".hck\"");
  EXPECT_EQ(s.GetPosition(), 0);
  Fill(s, Encoded(picture, false));
  EXPECT_EQ(ErrorOf([&] { imaging::LoadRasterFromStream(s, ".bmp", b, 1, {0, 0}); }), "Requested non-existing page");
  filer.Stream = nullptr;
  filer.SetFileName(dir.File("out.gif"));
  EXPECT_EQ(ErrorOf([&] { filer.SaveBitmap(b); }), "Cannot save format \".gif\"");
  EXPECT_FALSE(fs::exists(dir.File("out.gif")));
  filer.SetFileName("");
  filer.SetExtension(".p");
  EXPECT_EQ(ErrorOf([&] { filer.SaveBitmap(b); }), "Cannot save format \".p\"");
}

TEST(ImageFiler, AFailingEncoderLeavesTheExistingFileAsItWas) {
  ScratchFolder dir("imagefiler");
  const std::string name = dir.File("keep.bmp");
  WriteBytes(name, Bytes{1, 2, 3, 4, 5});
  EXPECT_THROW(TFailingBmp().SaveToFile(name, TCustomBitmap32()), ERasterError);
  EXPECT_EQ(ReadBytes(name), (Bytes{1, 2, 3, 4, 5}));
}

