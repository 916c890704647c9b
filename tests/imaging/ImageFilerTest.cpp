// Loading and saving through the raster format registry: choice of format by
// extension and by content, streams and named files, the registry's own
// messages, BMP files checked by independent readers and writers (Python,
// ImageMagick), and cut or lying input through every path.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "HckFileBuilder.h"
#include "RasterTestSupport.h"
#include "imaging/BmpFormat.h"
#include "imaging/HckImage.h"
#include "imaging/ImageFiler.h"
#include "platform/rtl/BinaryIO.h"

using namespace rastertest;
using hcktest::Bytes;
namespace fs = std::filesystem;

namespace {

class TempDir {
public:
  TempDir() : Path(fs::temp_directory_path() / ("imagefiler_" + std::to_string(::getpid()) + "_" + std::to_string(++Count))) {
    fs::create_directories(Path);
  }
  ~TempDir() { fs::remove_all(Path); }
  std::string File(const std::string& name) const { return (Path / name).string(); }

private:
  static inline int Count = 0;
  fs::path Path;
};

void WriteFile(const std::string& name, const Bytes& bytes) {
  std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes HckBytes(const TCustomBitmap32& picture) {
  TMemoryStream s;
  THckImage().SaveToStream(s, picture);
  return s.Bytes();
}

Bytes BmpBytes(const TCustomBitmap32& picture) {
  TMemoryStream s;
  picture.SaveToStream(s);
  return s.Bytes();
}

template <class E = Exception>
std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const E& e) {
    return e.what();
  }
  return "no error";
}

std::string DataFile(const std::string& name) { return std::string(LABEL_TEST_DATA_DIR) + "/" + name; }

// Pixel (x, y) of the source image of data/make_bmps.sh.
TColor32 SourcePixel(int x, int y) {
  const bool seeThrough = (x == 1 && y == 1) || (x == 3 && y == 2) || (x == 6 && y == 4);
  const TColor32 alpha = !seeThrough ? 255 : x == 1 ? 0 : x == 3 ? 128 : 77;
  return alpha << 24 | static_cast<TColor32>(36 * x) << 16 | static_cast<TColor32>(60 * y) << 8 |
         static_cast<TColor32>((13 * x * y) % 256);
}

bool Have(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

}  // namespace

TEST(ImageFiler, LoadsForeignBmpFilesByTheirExtension) {
  for (const char* name : {"im_v5_32.bmp", "py_v4_32_topdown.bmp", "py_v3_32_topdown.bmp"}) {
    TdocImageFiler filer;
    filer.SetFileName(DataFile(name));
    TCustomBitmap32 b;
    filer.LoadBitmap(b);
    ASSERT_EQ(b.GetWidth(), 7) << name;
    ASSERT_EQ(b.GetHeight(), 5) << name;
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) {
        if (SourcePixel(x, y) >> 24 != 0) {
          EXPECT_EQ(b.GetPixel(x, y), SourcePixel(x, y)) << name << " " << x << "," << y;
        }
      }
    EXPECT_EQ(filer.GetExtension(), ".bmp");
    EXPECT_EQ(filer.GetLastSize(), static_cast<std::int64_t>(fs::file_size(DataFile(name))));
    EXPECT_EQ(filer.GetPageCount(), 1);
    EXPECT_EQ(filer.GetRaster()->ImageWidth, 7);
  }
}

// Python writes a bottom-up 24-bit and a 32-bit BMP of its own; the registry reads both.
TEST(ImageFiler, ReadsBmpFilesAnIndependentWriterMade) {
  if (!Have("python3 -c pass")) GTEST_SKIP() << "python3 is not available";
  TempDir dir;
  const std::string script = dir.File("write.py");
  std::ofstream(script) << "import struct,sys\n"
                           "w,h=5,3\n"
                           "for bits,name in ((24,sys.argv[1]),(32,sys.argv[2])):\n"
                           "  row=b''\n"
                           "  rows=[]\n"
                           "  for y in range(h):\n"
                           "    r=b''.join(bytes([(x*50+y)%256,(y*90)%256,(x*x*9)%256]+([x*60+10] if bits==32 else [])) for x in range(w))\n"
                           "    rows.append(r+b'\\0'*((-len(r))%4))\n"
                           "  px=b''.join(rows[::-1])\n"
                           "  hdr=b'BM'+struct.pack('<IHHI',54+len(px),0,0,54)+struct.pack('<IiiHHIIiiII',40,w,h,1,bits,0,len(px),2835,2835,0,0)\n"
                           "  open(name,'wb').write(hdr+px)\n";
  const std::string bmp24 = dir.File("p24.bmp"), bmp32 = dir.File("p32.BMP");
  ASSERT_EQ(std::system(("python3 " + script + " " + bmp24 + " " + bmp32).c_str()), 0);
  for (const std::string& name : {bmp24, bmp32}) {
    TdocImageFiler filer;
    filer.SetFileName(name);
    TCustomBitmap32 b;
    filer.LoadBitmap(b);
    ASSERT_EQ(b.GetWidth(), 5);
    ASSERT_EQ(b.GetHeight(), 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        const TColor32 alpha = name == bmp32 ? static_cast<TColor32>(x * 60 + 10) : 255;
        const TColor32 expected = alpha << 24 | static_cast<TColor32>((x * x * 9) % 256) << 16 |
                                  static_cast<TColor32>((y * 90) % 256) << 8 | static_cast<TColor32>((x * 50 + y) % 256);
        EXPECT_EQ(b.GetPixel(x, y), expected) << name << " " << x << "," << y;
      }
  }
}

// What the registry saves as ".bmp", ImageMagick reads back pixel for pixel.
TEST(ImageFiler, SavedBmpIsReadByImageMagick) {
  if (!Have("/usr/bin/convert -version")) GTEST_SKIP() << "ImageMagick is not available";
  TempDir dir;
  TCustomBitmap32 picture;
  picture.SetSize(6, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) picture.SetPixel(x, y, 0xFF000000u | static_cast<TColor32>(x * 40) << 16 | static_cast<TColor32>(y * 70) << 8 | static_cast<TColor32>(x * y * 11));
  TdocImageFiler filer;
  filer.SetFileName(dir.File("out.Bmp"));
  filer.SaveBitmap(picture);
  EXPECT_EQ(filer.GetLastSize(), 54 + 6 * 4 * 4);
  const std::string text = dir.File("out.txt");
  ASSERT_EQ(std::system(("/usr/bin/convert " + dir.File("out.Bmp") + " -depth 8 txt:" + text).c_str()), 0);
  std::ifstream in(text);
  std::string line;
  int seen = 0;
  while (std::getline(in, line)) {
    int x = 0, y = 0;
    unsigned r = 0, g = 0, b = 0;
    if (std::sscanf(line.c_str(), "%d,%d: (%u,%u,%u", &x, &y, &r, &g, &b) != 5) continue;
    const TColor32 c = picture.GetPixel(x, y);
    EXPECT_EQ(r, (c >> 16) & 0xFF) << x << "," << y;
    EXPECT_EQ(g, (c >> 8) & 0xFF) << x << "," << y;
    EXPECT_EQ(b, c & 0xFF) << x << "," << y;
    ++seen;
  }
  EXPECT_EQ(seen, 24);
}

TEST(ImageFiler, StreamsAreReadAndWrittenFromTheirPosition) {
  TCustomBitmap32 picture;
  Paint(picture, 4, 3, 7);
  for (const char* extension : {".hck", ".BMP", ".dib"}) {
    const Bytes file = std::string(extension) == ".hck" ? HckBytes(picture) : BmpBytes(picture);
    TMemoryStream s;
    Fill(s, hcktest::Concat({Bytes{9, 9, 9, 9, 9}, file, Bytes{7, 7}}));
    s.SetPosition(5);
    TdocImageFiler filer;
    filer.SetExtension(extension);
    filer.Stream = &s;
    TCustomBitmap32 b;
    filer.LoadBitmap(b);
    EXPECT_EQ(Pixels(b), Pixels(picture)) << extension;
    EXPECT_EQ(filer.GetLastSize(), static_cast<std::int64_t>(file.size())) << extension;
    EXPECT_EQ(s.GetPosition(), 5 + static_cast<std::int64_t>(file.size())) << extension;

    TMemoryStream out;
    rtl::WriteLE(out, std::uint16_t{0xABCD});
    filer.Stream = &out;
    filer.SaveBitmap(picture);
    EXPECT_EQ(filer.GetLastSize(), static_cast<std::int64_t>(file.size())) << extension;
    EXPECT_EQ(Bytes(out.Bytes().begin() + 2, out.Bytes().end()), file) << extension;
  }
}

TEST(ImageFiler, LoadRasterFromStreamUsesTheExtensionAndPage) {
  TCustomBitmap32 picture;
  Paint(picture, 3, 3, 8);
  TMemoryStream s;
  Fill(s, HckBytes(picture));
  TCustomBitmap32 b;
  imaging::LoadRasterFromStream(s, ".HCK", b, 0, {0, 0});
  EXPECT_EQ(Pixels(b), Pixels(picture));
  s.SetPosition(0);
  EXPECT_EQ(ErrorOf<ERasterError>([&] { imaging::LoadRasterFromStream(s, ".hck", b, 1, {0, 0}); }),
            "Requested non-existing page");
  Fill(s, BmpBytes(picture));
  EXPECT_EQ(ErrorOf<ERasterError>([&] { imaging::LoadRasterFromStream(s, ".bmp", b, 1, {0, 0}); }),
            "Requested non-existing page");
}

TEST(ImageFiler, TheTargetSizeReachesTheFormat) {
  TCustomBitmap32 picture;
  Paint(picture, 20, 8, 15);
  TMemoryStream s;
  Fill(s, HckBytes(picture));
  TCustomBitmap32 b;
  imaging::LoadRasterFromStream(s, ".hck", b, 0, {10, 10});
  EXPECT_EQ(b.GetWidth(), 10);
  EXPECT_EQ(b.GetHeight(), 4);
  TdocImageFiler filer;
  filer.SetExtension(".hck");
  filer.Stream = &s;
  filer.TargetWidth = 5;
  filer.TargetHeight = 100;
  s.SetPosition(0);
  filer.LoadBitmap(b);
  EXPECT_EQ(b.GetWidth(), 5);
  EXPECT_EQ(b.GetHeight(), 2);
  // A target without area leaves the filer's default, which this picture fits.
  s.SetPosition(0);
  imaging::LoadRasterFromStream(s, ".hck", b, 0, {0, 10});
  EXPECT_EQ(Pixels(b), Pixels(picture));
  // BMP pictures arrive whole.
  Fill(s, BmpBytes(picture));
  imaging::LoadRasterFromStream(s, ".bmp", b, 0, {10, 10});
  EXPECT_EQ(b.GetWidth(), 20);
}

TEST(ImageFiler, FilesWithoutExtensionAreLoadedByContent) {
  TempDir dir;
  TCustomBitmap32 picture;
  Paint(picture, 5, 2, 9);
  WriteFile(dir.File("hckpicture"), HckBytes(picture));
  WriteFile(dir.File("bmppicture"), BmpBytes(picture));
  for (const char* name : {"hckpicture", "bmppicture"}) {
    TdocImageFiler filer;
    filer.SetFileName(dir.File(name));
    TCustomBitmap32 b;
    filer.LoadBitmap(b);
    EXPECT_EQ(Pixels(b), Pixels(picture)) << name;
    EXPECT_EQ(&filer.GetRaster()->GetClass(),
              std::string(name) == "hckpicture" ? &THckImage::Class() : &TdocBmpFormat::Class());
  }
  // Unknown content falls to the format without a test of its own, whose reader refuses it.
  WriteFile(dir.File("text"), Bytes{'h', 'e', 'l', 'l', 'o'});
  TdocImageFiler filer;
  filer.SetFileName(dir.File("text"));
  TCustomBitmap32 b;
  EXPECT_THROW(filer.LoadBitmap(b), EInvalidGraphic);
}

TEST(ImageFiler, AnHckNameOverOtherDataIsExaminedByContent) {
  TempDir dir;
  TCustomBitmap32 picture;
  Paint(picture, 2, 2, 10);
  WriteFile(dir.File("really_bmp.hck"), BmpBytes(picture));
  TdocImageFiler filer;
  filer.SetFileName(dir.File("really_bmp.hck"));
  TCustomBitmap32 b;
  filer.LoadBitmap(b);
  EXPECT_EQ(Pixels(b), Pixels(picture));
  // Too short to hold a signature: not HCK, and the BMP reader says why it is no BMP either.
  WriteFile(dir.File("short.hck"), Bytes{'H', 'C'});
  TdocImageFiler shortFiler;
  shortFiler.SetFileName(dir.File("short.hck"));
  EXPECT_THROW(shortFiler.LoadBitmap(b), EInvalidGraphic);
  // The signature alone: HCK, cut short.
  WriteFile(dir.File("cut.hck"), Bytes{'H', 'C', 'K', 0, 1});
  TdocImageFiler cutFiler;
  cutFiler.SetFileName(dir.File("cut.hck"));
  EXPECT_EQ(ErrorOf<ERasterError>([&] { cutFiler.LoadBitmap(b); }), "Image file is corrupted");
}

TEST(ImageFiler, TheRegistrysOwnRefusals) {
  TCustomBitmap32 b;
  TMemoryStream s;
  Fill(s, Bytes{'H', 'C', 'K', 0});
  TdocImageFiler filer;
  filer.Stream = &s;
  EXPECT_EQ(ErrorOf<ERasterError>([&] { filer.LoadBitmap(b); }), "Unknown raster format \"\"");
  filer.SetExtension(".peg");
  EXPECT_EQ(ErrorOf<ERasterError>([&] { filer.LoadBitmap(b); }), "Unknown raster format \".peg\"");
  // A short stream named ".hck" is not HCK, and a stream cannot be examined further.
  Fill(s, Bytes{'H', 'C'});
  filer.SetExtension(".hck");
  EXPECT_EQ(ErrorOf<ERasterError>([&] { filer.LoadBitmap(b); }), "Unknown raster format \".hck\"");
  EXPECT_EQ(s.GetPosition(), 0);

  TempDir dir;
  TdocImageFiler saver;
  saver.SetFileName(dir.File("out.gif"));
  EXPECT_EQ(ErrorOf<ERasterError>([&] { saver.SaveBitmap(b); }), "Cannot save format \".gif\"");
  EXPECT_FALSE(fs::exists(dir.File("out.gif")));
  saver.SetFileName("");
  saver.SetExtension(".p");
  EXPECT_EQ(ErrorOf<ERasterError>([&] { saver.SaveBitmap(b); }), "Cannot save format \".p\"");
  TdocImageFiler missing;
  missing.SetFileName(dir.File("absent.bmp"));
  EXPECT_THROW(missing.LoadBitmap(b), EFOpenError);
}

TEST(ImageFiler, ASecondUseKeepsTheRasterObjectUntilTheNameChanges) {
  TempDir dir;
  TCustomBitmap32 picture;
  Paint(picture, 3, 3, 11);
  WriteFile(dir.File("in.hck"), HckBytes(picture));
  TdocImageFiler filer;
  filer.SetFileName(dir.File("in.hck"));
  TCustomBitmap32 b;
  filer.LoadBitmap(b);
  TdocRaster* raster = filer.GetRaster();
  filer.SetExtension(".hck");  // unchanged: kept
  filer.SetFileName(dir.File("in.hck"));
  EXPECT_EQ(filer.GetRaster(), raster);
  filer.SetExtension(".bmp");  // a different value drops it
  EXPECT_EQ(filer.GetRaster(), nullptr);
  filer.LoadBitmap(b);  // the file name's extension wins again
  EXPECT_EQ(filer.GetExtension(), ".hck");
  TMemoryStream out;
  filer.Stream = &out;
  filer.SaveBitmap(picture);
  EXPECT_EQ(out.Bytes(), HckBytes(picture));
  // Saving after a load uses the raster object of the load.
  TdocImageFiler loadThenSave;
  loadThenSave.SetFileName(dir.File("in.hck"));
  loadThenSave.LoadBitmap(b);
  TMemoryStream again;
  loadThenSave.Stream = &again;
  loadThenSave.SaveBitmap(b);
  EXPECT_EQ(again.Bytes(), HckBytes(picture));
}

TEST(ImageFiler, NamedFilesAreWrittenAndReadBackWithTheirSizes) {
  TempDir dir;
  TCustomBitmap32 picture;
  Paint(picture, 8, 5, 12);
  for (const char* name : {"a.hck", "b.bmp"}) {
    TdocImageFiler saver;
    saver.SetFileName(dir.File(name));
    saver.SaveBitmap(picture);
    EXPECT_EQ(saver.GetLastSize(), static_cast<std::int64_t>(fs::file_size(dir.File(name))));
    EXPECT_EQ(saver.GetRaster()->FileSize, saver.GetLastSize());
    TdocImageFiler loader;
    loader.SetFileName(dir.File(name));
    TCustomBitmap32 b;
    loader.LoadBitmap(b);
    EXPECT_EQ(Pixels(b), Pixels(picture)) << name;
    EXPECT_EQ(loader.GetLastSize(), saver.GetLastSize());
  }
}

namespace {

// A BMP writer that fails half-way, as an encoder may.
class TFailingBmp : public TdocBmpFormat {
public:
  void SaveToStream(TStream& stream, const TCustomBitmap32&) override {
    stream.WriteBuffer("BM", 2);
    throw ERasterError("Unable to compress");
  }
};

}  // namespace

TEST(ImageFiler, AFailingEncoderLeavesTheExistingFileAsItWas) {
  TempDir dir;
  const std::string name = dir.File("keep.bmp");
  WriteFile(name, Bytes{1, 2, 3, 4, 5});
  TCustomBitmap32 picture;
  Paint(picture, 2, 2, 13);
  TFailingBmp failing;
  EXPECT_THROW(failing.SaveToFile(name, picture), ERasterError);
  EXPECT_EQ(ReadFile(name), (Bytes{1, 2, 3, 4, 5}));
}

TEST(ImageFiler, EveryCutOfABmpOrHckStreamIsRefusedWithAnError) {
  TCustomBitmap32 picture;
  Paint(picture, 5, 4, 14);
  const Bytes bmp = BmpBytes(picture), hck = HckBytes(picture);
  for (const auto& [extension, file] : {std::pair{".bmp", &bmp}, {".hck", &hck}}) {
    for (std::size_t cut = 0; cut < file->size(); ++cut) {
      TMemoryStream s;
      Fill(s, Bytes(file->begin(), file->begin() + static_cast<std::ptrdiff_t>(cut)));
      TCustomBitmap32 b;
      EXPECT_NE(ErrorOf([&] { imaging::LoadRasterFromStream(s, extension, b, 0, {0, 0}); }), "no error")
          << extension << " cut at " << cut;
    }
  }
}
