// The picture shape: its frame from the picture at 150 dots per inch, its
// XML round trip drawn pixel for pixel, and one decoded picture shared by
// many shapes that show the same bytes. The snap bitmap: its placeholder,
// hit tests, and the frame a picture gets in it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "tests/document/TestShapes.h"
#include "document/shapes/BitmapShape.h"
#include "document/shape/ClassRegistry.h"
#include "document/resources/PicturePool.h"
#include "document/shapes/SnapBitmap.h"
#include "document/text/TextShape.h"
#include "imaging/formats/ImageFiler.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace {

using doctest::SaveShapeXml;
using doctest::ShapeFromXml;
using doctest::TPageFixture;

// A folder of its own, removed with everything in it.
struct Scratch {
  Scratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "bitmap-shape-XXXXXX").string();
    Path = mkdtemp(pattern.data());
  }
  ~Scratch() { std::filesystem::remove_all(Path); }
  std::string File(const std::string& name) const { return (Path / name).string(); }
  std::filesystem::path Path;
};

void FillNoise(TBitmap32& bitmap, int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  bitmap.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, 0xFF000000u | (random() & 0xFFFFFFu));
}

std::int64_t ResidentBytes() {
  long pages = 0, resident = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return -1;
  const int read = std::fscanf(statm, "%ld %ld", &pages, &resident);
  std::fclose(statm);
  return read == 2 ? std::int64_t{resident} * sysconf(_SC_PAGESIZE) : -1;
}

class BitmapShapeTest : public ::testing::Test, protected TPageFixture {
protected:
  TdocBitmapShape& AddPictureShape(const std::string& file) {
    auto owned = std::make_unique<TdocBitmapShape>();
    TdocBitmapShape& shape = *owned;
    Page.AddShape(std::move(owned));
    shape.GetImage().LoadFromFile(file);
    return shape;
  }
  // The shape alone drawn at res pixels per millimetre on white.
  static void Render(TdocShape& shape, float res, int width, int height, TBitmap32& out) {
    out.SetSize(width, height);
    out.Clear(clWhite32);
    TdocRenderOptions options;
    options.Resolution = res;
    options.StretchFilter = sfNearest;
    shape.RenderShape(out, {0, 0, width / res, height / res}, false, options);
  }
  static void ExpectSamePixels(const TBitmap32& a, const TBitmap32& b) {
    ASSERT_EQ(a.GetWidth(), b.GetWidth());
    ASSERT_EQ(a.GetHeight(), b.GetHeight());
    int differing = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
      for (int x = 0; x < a.GetWidth(); ++x) differing += a.GetPixel(x, y) != b.GetPixel(x, y);
    EXPECT_EQ(differing, 0);
  }

  Scratch Folder;
};

TEST_F(BitmapShapeTest, NewPictureGivesItsSizeAt150DotsPerInch) {
  TBitmap32 picture;
  FillNoise(picture, 300, 150, 1);
  picture.SaveToFile(Folder.File("p.bmp"));
  TdocBitmapShape& shape = AddPictureShape(Folder.File("p.bmp"));
  EXPECT_NEAR(shape.GetDocWidth(), 50.8f, 1e-3f);
  EXPECT_NEAR(shape.GetDocHeight(), 25.4f, 1e-3f);
  EXPECT_TRUE(shape.GetPreserveAspect());
  EXPECT_NEAR(shape.GetAspectRatio(), 2.0f, 1e-5f);
  EXPECT_EQ(shape.Cursor, -38);
}

TEST_F(BitmapShapeTest, DrawnAtThePictureResolutionItShowsThePicture) {
  TBitmap32 picture;
  FillNoise(picture, 300, 150, 2);
  picture.SaveToFile(Folder.File("p.bmp"));
  TdocBitmapShape& shape = AddPictureShape(Folder.File("p.bmp"));
  TBitmap32 drawn;
  Render(shape, 300 / 50.8f, 300, 150, drawn);
  ExpectSamePixels(drawn, picture);
}

TEST_F(BitmapShapeTest, EmbeddedPictureSurvivesXmlPixelForPixel) {
  TBitmap32 picture;
  FillNoise(picture, 64, 48, 3);
  picture.SaveToFile(Folder.File("p.bmp"));
  TdocBitmapShape& shape = AddPictureShape(Folder.File("p.bmp"));
  shape.SetDocFrame(3, 4, 30, 17, 0);
  ASSERT_EQ(shape.GetStorageMode(), stEmbedded);
  TBitmap32 before;
  Render(shape, 4, 160, 100, before);

  const std::string text = SaveShapeXml(shape);
  std::filesystem::remove(Folder.File("p.bmp"));  // the XML alone must hold it
  auto loaded = ShapeFromXml(text);
  ASSERT_EQ(loaded->ClassName(), "TdocBitmapShape");
  TBitmap32 after;
  Render(*loaded, 4, 160, 100, after);
  ExpectSamePixels(after, before);
}

TEST_F(BitmapShapeTest, XmlWithoutImageLeavesThePicture) {
  TBitmap32 picture;
  FillNoise(picture, 20, 10, 4);
  picture.SaveToFile(Folder.File("p.bmp"));
  TdocBitmapShape& shape = AddPictureShape(Folder.File("p.bmp"));
  TXmlDocument xml("shape");
  shape.SaveToXml(*xml.GetRoot());
  xml.GetRoot()->DeleteChild(xml.GetRoot()->IndexOfChildName("Image"));
  shape.LoadFromXml(xml.GetRoot());
  TdocResourceAccess access(shape.GetImage());
  ASSERT_NE(shape.GetImage().GetSharedBitmap(), nullptr);
  EXPECT_EQ(shape.GetImage().GetSharedBitmap()->GetPixel(5, 5), picture.GetPixel(5, 5));
}

TEST_F(BitmapShapeTest, WithoutPictureNothingIsDrawn) {
  auto shape = std::make_unique<TdocBitmapShape>();
  shape->SetDocFrame(1, 1, 10, 10, 0);
  TBitmap32 drawn;
  Render(*shape, 4, 60, 60, drawn);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) ASSERT_EQ(drawn.GetPixel(x, y), clWhite32);
}

TEST_F(BitmapShapeTest, UndecodablePictureIsReportedWhenPlacedAndDrawsAsNone) {
  std::ofstream(Folder.File("broken.jpg"), std::ios::binary) << "this is no picture at all";
  auto owned = std::make_unique<TdocBitmapShape>();
  TdocBitmapShape& shape = *owned;
  Page.AddShape(std::move(owned));
  shape.SetDocFrame(1, 1, 10, 10, 0);
  EXPECT_THROW(shape.GetImage().LoadFromFile(Folder.File("broken.jpg")), Exception);
  TBitmap32 drawn;
  ASSERT_NO_THROW(Render(shape, 4, 60, 60, drawn));
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) ASSERT_EQ(drawn.GetPixel(x, y), clWhite32);
}

TEST_F(BitmapShapeTest, ChangingOneSharedPictureLeavesTheOthers) {
  TBitmap32 picture;
  FillNoise(picture, 30, 20, 5);
  picture.SaveToFile(Folder.File("p.bmp"));
  TdocBitmapShape& first = AddPictureShape(Folder.File("p.bmp"));
  TdocBitmapShape& second = AddPictureShape(Folder.File("p.bmp"));
  TBitmap32 other;
  FillNoise(other, 30, 20, 6);
  second.GetImage().SetBitmap(&other);
  TdocResourceAccess a(first.GetImage()), b(second.GetImage());
  EXPECT_EQ(first.GetImage().GetSharedBitmap()->GetPixel(7, 3), picture.GetPixel(7, 3));
  EXPECT_EQ(second.GetImage().GetSharedBitmap()->GetPixel(7, 3), other.GetPixel(7, 3));
}

TEST_F(BitmapShapeTest, HundredShapesOfOnePictureHoldItOnce) {
  // 10 megapixels with smooth content: its file is small, its pixels are not.
  constexpr int Width = 4000, Height = 2500;
  constexpr std::int64_t Decoded = std::int64_t{Width} * Height * 4;
  {
    TBitmap32 picture;
    picture.SetSize(Width, Height);
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < Width; ++x)
        picture.SetPixel(x, y, 0xFF000000u | static_cast<std::uint32_t>(x / 16) << 8 | static_cast<std::uint32_t>(y / 10));
    TdocImageFiler filer;
    filer.SetFileName(Folder.File("big.hck"));
    filer.SaveBitmap(picture);
  }
  TBitmap32 target;
  auto draw = [&](TdocShape& shape) { Render(shape, 0.5f, 100, 100, target); };
  draw(AddPictureShape(Folder.File("big.hck")));
  const std::int64_t before = ResidentBytes();
  ASSERT_GT(before, 0);
  for (int i = 0; i < 100; ++i) draw(AddPictureShape(Folder.File("big.hck")));
  const std::int64_t growth = ResidentBytes() - before;
  EXPECT_LT(growth, Decoded * 12 / 10) << "grew by " << growth << " bytes, file " << std::filesystem::file_size(Folder.File("big.hck"));
  EXPECT_EQ(document::LivePictureCount(), 1u);
}

TEST_F(BitmapShapeTest, SnapBitmapShowsItsPlaceholderAndIsHitThroughIt) {
  auto owned = std::make_unique<TdocSnapBitmap>();
  TdocSnapBitmap& snap = *owned;
  Page.AddShape(std::move(owned));
  EXPECT_FLOAT_EQ(snap.GetDocWidth(), 120.0f);
  EXPECT_FLOAT_EQ(snap.GetDocHeight(), 80.0f);
  ASSERT_EQ(snap.GetShapeCount(), 2);
  auto* text = dynamic_cast<TdocMemoShape*>(snap.GetShapes(1));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->GetText(), u"Place image here");
  // The plain document maps a millimetre to a pixel: the text's middle.
  TdocShape* hit = nullptr;
  ASSERT_TRUE(Page.ShapeAtPoint({60, 40}, hit));
  EXPECT_EQ(hit, &snap);
  TBitmap32 drawn;
  Render(snap, 1, 120, 80, drawn);
  EXPECT_EQ(drawn.GetPixel(10, 70), clWhite32);
}

TEST_F(BitmapShapeTest, PictureInSnapBitmapKeepsTheFrameAreaAndCentre) {
  TBitmap32 picture;
  FillNoise(picture, 200, 100, 7);
  picture.SaveToFile(Folder.File("p.bmp"));
  auto owned = std::make_unique<TdocSnapBitmap>();
  TdocSnapBitmap& snap = *owned;
  Page.AddShape(std::move(owned));
  snap.SetDocPos(10, 10);
  snap.GetImage().LoadFromFile(Folder.File("p.bmp"));
  // k = sqrt(200 x 100 / (120 x 80)); the frame is 200 / k by 100 / k.
  EXPECT_NEAR(snap.GetDocWidth(), 138.564f, 1e-3f);
  EXPECT_NEAR(snap.GetDocHeight(), 69.282f, 1e-3f);
  EXPECT_NEAR(snap.GetDocLeft() + snap.GetDocWidth() / 2, 70.0f, 1e-3f);
  EXPECT_NEAR(snap.GetDocTop() + snap.GetDocHeight() / 2, 50.0f, 1e-3f);
  EXPECT_TRUE(snap.GetPreserveAspect());
  for (int i = 0; i < snap.GetShapeCount(); ++i) EXPECT_FALSE(snap.GetShapes(i)->GetVisible());

  auto loaded = ShapeFromXml(SaveShapeXml(snap));
  ASSERT_EQ(loaded->ClassName(), "TdocSnapBitmap");
  ASSERT_EQ(loaded->GetShapeCount(), 2);
  EXPECT_FALSE(loaded->GetShapes(1)->GetVisible());
}

}  // namespace
