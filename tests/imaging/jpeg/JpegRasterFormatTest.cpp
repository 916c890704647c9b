// JPEG files through the raster format registry, with libjpeg-turbo as the
// independent writer and reader.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "imaging/bitmap/Bitmap32.h"
#include "imaging/formats/ImageFiler.h"
#include "imaging/jpeg/JpegRasterFormat.h"
#include "imaging/startup/SubsystemStartUp.h"
#include "tests/imaging/ImagingTestSupport.h"
#include "tests/imaging/jpeg/OwnCodec.h"

using namespace jpegtest;
using namespace imagingtest;
namespace fs = std::filesystem;

namespace {

using Bytes = TBytes;

// Points TMPDIR at a folder for its lifetime.
class TemporaryFolderSetting {
public:
  explicit TemporaryFolderSetting(const std::string& path) {
    if (const char* value = std::getenv("TMPDIR")) Previous = value;
    ::setenv("TMPDIR", path.c_str(), 1);
  }
  ~TemporaryFolderSetting() { Previous.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", Previous.c_str(), 1); }

private:
  std::string Previous;
};

// The tables of ITU-T T.81 Annex K (K.1 luminance, K.2 chrominance), natural order.
const int kLuminance[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                            14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                            18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                            49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
const int kChrominance[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                              24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                              99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                              99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// Quality 90 scales the base tables by 200 - 2 x 90 = 20 percent.
std::vector<int> AtQuality90(const int (&base)[64]) {
  std::vector<int> table;
  for (int value : base) table.push_back(std::clamp((value * 20 + 50) / 100, 1, 255));
  return table;
}

class JpegRaster : public ::testing::Test {
protected:
  static void SetUpTestSuite() { imaging::StartUpSubsystem(); }
};

}  // namespace

// The file with its frame height left open and given by a DNL segment after the scan.
Bytes HeightAfterTheScan(Bytes file) {
  const std::size_t frame = FindMarker(file, 0xC0);
  const std::uint8_t height[2] = {file[frame + 3], file[frame + 4]};
  file[frame + 3] = file[frame + 4] = 0;
  file.insert(file.end() - 2, {0xFF, 0xDC, 0, 4, height[0], height[1]});
  return file;
}

TEST_F(JpegRaster, FilesLoadByExtensionAndByContentAsTheReferenceDecodesThem) {
  ScratchFolder folder("jpegraster_load");
  const Bytes dnl = ReferenceEncode(MakePhoto(40, 37, 3, 12), EncodeSettings{});
  const struct {
    const char* Name;
    Bytes File;
    Bytes Original = {};  // what the reference decodes, when it cannot read the file
  } cases[] = {
      {"height_after_scan.jpg", HeightAfterTheScan(dnl), dnl},
      {"photo.JPG", ReferenceEncode(MakePhoto(83, 57, 3, 2), EncodeSettings{})},
      {"photo.jp", ReferenceEncode(MakePhoto(40, 31, 3, 3), EncodeSettings{.Quality = 95, .HorSampling = 2,
                                                                           .VerSampling = 1, .RestartInterval = 2})},
      {"photo.jpeg", ReferenceEncode(MakePhoto(64, 48, 3, 4), EncodeSettings{.Progressive = true})},
      {"grey", ReferenceEncode(MakePhoto(35, 29, 1, 5), EncodeSettings{})},
      {"photo.peg", ReferenceEncode(MakePhoto(8, 8, 3, 1), EncodeSettings{})},  // not a JPEG name
      {"no_extension", ReferenceEncode(MakePhoto(17, 90, 3, 6), EncodeSettings{.Optimize = true})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteBytes(folder.File(c.Name), c.File);
    TdocImageFiler filer;
    filer.SetFileName(folder.File(c.Name));
    TBitmap32 bitmap;
    filer.LoadBitmap(bitmap);
    ASSERT_NE(filer.GetRaster(), nullptr);
    EXPECT_EQ(&filer.GetRaster()->GetClass(), &TdocJpgFormat::Class());
    const Image reference = AsRgb(ReferenceDecode(c.Original.empty() ? c.File : c.Original).Picture);
    ASSERT_GT(reference.Width, 0);
    EXPECT_EQ(filer.GetRaster()->ImageWidth, reference.Width);
    EXPECT_EQ(filer.GetRaster()->ImageHeight, reference.Height);
    EXPECT_EQ(filer.GetLastSize(), static_cast<std::int64_t>(c.File.size()));
    EXPECT_EQ(filer.GetPageCount(), 1);
    bool opaque = false;
    const Image loaded = FromBitmap32(bitmap, &opaque);
    EXPECT_TRUE(opaque);
    ASSERT_EQ(loaded.Width, reference.Width);
    ASSERT_EQ(loaded.Height, reference.Height);
    EXPECT_LE(MaxDifference(loaded, reference), 2);
  }
}

TEST_F(JpegRaster, StreamsLoadOnlyTheFirstPageFromTheirPositionAndWhole) {
  const Bytes file = ReferenceEncode(MakePhoto(120, 70, 3, 7), EncodeSettings{});
  TMemoryStream stream;
  Fill(stream, Bytes{'x', 'y', 'z'});
  stream.SetPosition(3);
  stream.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
  stream.SetPosition(3);
  TBitmap32 bitmap;
  EXPECT_EQ(ErrorOf<ERasterError>([&] { imaging::LoadRasterFromStream(stream, ".jpg", bitmap, 1, TSize{0, 0}); }),
            "Requested non-existing page");
  EXPECT_TRUE(bitmap.IsEmpty());
  stream.SetPosition(3);
  // A target far below the picture's size does not reduce it.
  imaging::LoadRasterFromStream(stream, ".Jpeg", bitmap, 0, TSize{16, 16});
  EXPECT_EQ(stream.GetPosition(), stream.GetSize());
  bool opaque = false;
  EXPECT_LE(MaxDifference(FromBitmap32(bitmap, &opaque), ReferenceDecode(file).Picture), 2);
  EXPECT_TRUE(opaque);
}

TEST_F(JpegRaster, SavedFilesAreBaselineAtQuality90ThatTheReferenceReadsWithoutWarnings) {
  ScratchFolder folder("jpegraster_save");
  const Image photo = MakePhoto(77, 45, 3, 9);
  TBitmap32 bitmap;
  ToBitmap32(bitmap, photo);
  EXPECT_EQ(TdocJpgFormat().Quality, 90);

  TdocImageFiler filer;
  filer.SetFileName(folder.File("label.JPG"));
  filer.SaveBitmap(bitmap);
  const Bytes file = ReadBytes(folder.File("label.JPG"));
  EXPECT_EQ(filer.GetLastSize(), static_cast<std::int64_t>(file.size()));
  const DecodeResult decoded = ReferenceDecode(file);
  EXPECT_EQ(decoded.Warnings, 0);
  EXPECT_GT(Psnr(decoded.Picture, photo), 32.0);

  EXPECT_TRUE(decoded.Jfif);
  EXPECT_FALSE(decoded.Progressive);
  EXPECT_EQ(decoded.QuantTables[0], AtQuality90(kLuminance));
  EXPECT_EQ(decoded.QuantTables[1], AtQuality90(kChrominance));
  EXPECT_EQ(decoded.Sampling, (std::vector<std::pair<int, int>>{{2, 2}, {1, 1}, {1, 1}}));

  // Through a stream the same bytes are written at the stream's position.
  TMemoryStream stream;
  Fill(stream, Bytes{1, 2});
  stream.SetPosition(2);
  TdocImageFiler streamFiler;
  streamFiler.SetExtension(".jpeg");
  streamFiler.Stream = &stream;
  streamFiler.SaveBitmap(bitmap);
  EXPECT_EQ(streamFiler.GetLastSize(), static_cast<std::int64_t>(file.size()));
  EXPECT_EQ(Bytes(stream.Bytes().begin() + 2, stream.Bytes().end()), file);

  // An empty bitmap cannot be saved, and no file is made for it.
  TdocImageFiler emptyFiler;
  emptyFiler.SetFileName(folder.File("empty.jpg"));
  EXPECT_EQ(ErrorOf<EInvalidGraphic>([&] { emptyFiler.SaveBitmap(TBitmap32()); }), "Bitmap is empty; cannot save");
  EXPECT_FALSE(fs::exists(folder.File("empty.jpg")));

}

TEST_F(JpegRaster, NamesOutsideTheListAreNotJpegNames) {
  ScratchFolder folder("jpegraster_names");
  TBitmap32 bitmap;
  ToBitmap32(bitmap, MakePhoto(8, 8, 3, 1));
  for (const char* name : {"out.peg", "out.p", "out.jpg;"}) {
    TdocImageFiler filer;
    filer.SetFileName(folder.File(name));
    EXPECT_EQ(ErrorOf<ERasterError>([&] { filer.SaveBitmap(bitmap); }),
              std::string("Cannot save format \"") + imaging::ExtractFileExt(name) + "\"");
  }
  EXPECT_EQ(folder.Count(), 0);
}

TEST_F(JpegRaster, BrokenFilesRaiseLeavingTheBitmapAsItWasAndNoFileBehind) {
  ScratchFolder folder("jpegraster_broken");
  ScratchFolder temporary("jpegraster_tmpdir");
  const TemporaryFolderSetting tmpdir(temporary.File(""));

  const Bytes good = ReferenceEncode(MakePhoto(48, 40, 3, 11), EncodeSettings{});
  std::vector<Bytes> broken;
  for (std::size_t cut : {good.size() / 2, good.size() - 40, std::size_t{2}, std::size_t{20}})
    broken.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
  broken.push_back({0xFF, 0xD8, 0xFF, 0xD9});        // no frame
  broken.push_back({0xFF, 0xD8, 0xFF, 0xC3, 0, 11});  // a lossless frame
  // A marker amid the coded data of the scan.
  const std::size_t scan = FindMarker(good, 0xDA) - 2;
  Bytes lying = good;
  const std::size_t middle = (scan + good.size()) / 2;
  lying[middle] = 0xFF;
  lying[middle + 1] = 0xC4;
  broken.push_back(lying);
  // A frame of 10000 x 10000 pixels whose scan ends at once.
  Bytes huge(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(scan + 40));
  const std::size_t frame = FindMarker(huge, 0xC0);
  for (std::size_t field : {frame + 3, frame + 5}) {
    huge[field] = 10000 >> 8;
    huge[field + 1] = 10000 & 255;
  }
  broken.push_back(huge);

  for (std::size_t i = 0; i < broken.size(); ++i) {
    SCOPED_TRACE(i);
    const std::string name = folder.File("broken" + std::to_string(i) + ".jpg");
    WriteBytes(name, broken[i]);
    TdocImageFiler filer;
    filer.SetFileName(name);
    TBitmap32 bitmap;
    ToBitmap32(bitmap, MakePhoto(3, 2, 3, 1));
    const std::vector<TColor32> before(bitmap.GetBits(), bitmap.GetBits() + 6);
    EXPECT_NE(ErrorOf([&] { filer.LoadBitmap(bitmap); }), "no error");
    TMemoryStream stream;
    Fill(stream, broken[i]);
    EXPECT_NE(ErrorOf([&] { imaging::LoadRasterFromStream(stream, ".jpg", bitmap, 0, TSize{0, 0}); }), "no error");
    // The bitmap is left as it was.
    ASSERT_EQ(bitmap.GetWidth(), 3);
    ASSERT_EQ(bitmap.GetHeight(), 2);
    EXPECT_EQ(std::vector<TColor32>(bitmap.GetBits(), bitmap.GetBits() + 6), before);
    EXPECT_EQ(ReadBytes(name), broken[i]);
  }
  EXPECT_EQ(folder.Count(), static_cast<std::ptrdiff_t>(broken.size()));
  EXPECT_TRUE(temporary.Count() == 0);
}

// A bitmap asked to load a file that is not a BMP goes through the picture
// class registered for the file's extension.
TEST(JpegPicture, BitmapLoadFromFileReadsJpegThroughThePictureRegistry) {
  imaging::StartUpSubsystem();
  ScratchFolder folder("jpeg_picture");
  const Image photo = MakePhoto(48, 32, 3, 11);
  const Bytes jpeg = ReferenceEncode(photo, EncodeSettings{});
  // Every extension the raster registry gives JPEG, in any case, and ".jpe".
  std::vector<std::string> extensions = {".JPG", ".Jpeg", ".jpe"};
  for (const TRasterClassHolder& holder : imaging::RasterFormats().Holders()) {
    if (holder.RasterClass != &TdocJpgFormat::Class()) continue;
    for (std::size_t start = 0, end; (end = holder.Extensions.find(';', start)) != std::string::npos; start = end + 1)
      extensions.push_back(holder.Extensions.substr(start, end - start));
  }
  ASSERT_EQ(extensions.size(), 6u);
  TBitmap32 bitmap;
  for (const std::string& extension : extensions) {
    WriteBytes(folder.File("photo" + extension), jpeg);
    bitmap.SetSize(0, 0);
    bitmap.LoadFromFile(folder.File("photo" + extension));
    ASSERT_EQ(bitmap.GetWidth(), 48) << extension;
    ASSERT_EQ(bitmap.GetHeight(), 32);
    EXPECT_LE(MaxDifference(FromBitmap32(bitmap), ReferenceDecode(jpeg).Picture), 2);
  }

  WriteBytes(folder.File("photo.xyz"), jpeg);
  EXPECT_EQ(ErrorOf<EInvalidGraphic>([&] { bitmap.LoadFromFile(folder.File("photo.xyz")); }),
            "Unknown picture file extension \"xyz\"");
  EXPECT_EQ(bitmap.GetWidth(), 48);
}
