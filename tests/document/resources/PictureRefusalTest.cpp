// Pictures of a label that cannot be shown: a picture past the budget of a
// picture or of the label, on any page, as a shape, a page background, the
// default background or a texture, is told through the document's load
// errors, and the rest of the label stays, its refused bytes included.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/document/core/StorFile.h"
#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "document/shapes/BitmapShape.h"
#include "imaging/bitmap/Bitmap32.h"
#include "imaging/formats/PictureBudget.h"
#include "platform/rtl/Stream.h"
#include "tests/document/resources/PictureXml.h"
#include "tests/imaging/ImagingTestSupport.h"
#include "tests/imaging/formats/TinyHugeBmp.h"
#include "xml/Base64.h"

namespace {

using doctest::ReadStor;
using doctest::WriteStor;
using imagingtest::TinyHugeBmp;
using namespace doctest::picturexml;

class PictureRefusalTest : public testing::Test {
protected:
  void SetUp() override {
    Doc.OnLoadError = [this](TPersistent*, TdocShape*, const std::string& error) { Problems.push_back(error); };
  }

  void Open(const doctest::TStorStreams& streams) {
    const std::string bytes = WriteStor(streams);
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    stream.SetPosition(0);
    Doc.LoadFromStream(stream);
  }

  int CountProblemsStarting(const std::string& start) const {
    int count = 0;
    for (const std::string& problem : Problems) count += problem.rfind(start, 0) == 0;
    return count;
  }

  TdocDocumentCore Doc;
  std::vector<std::string> Problems;
};

TEST_F(PictureRefusalTest, EveryPictureTooLargeIsToldWhereverItIsAndTheLabelKeepsTheRest) {
  const std::string huge = TinyHugeBmp(16384, 16384, 1);
  const std::string told = "The picture is too large (16384 x 16384 pixels)";
  Open({{"Index.xml", "<Document><DefaultBgrImage>" + ResourceXml(TinyHugeBmp(16384, 16384, 2)) +
                          "</DefaultBgrImage></Document>"},
        {"Page0001.xml", Page(1, "", Rectangle(5) + PictureShape(huge))},
        {"Page0002.xml", Page(2, Background(TinyHugeBmp(16384, 16384, 3)),
                              Rectangle(6) + PictureShape(TinyHugeBmp(16384, 16384, 4), Texture(huge)))}});
  // The default background and the first page's picture.
  EXPECT_EQ(CountProblemsStarting(told), 2) << testing::PrintToString(Problems);
  ASSERT_EQ(Doc.GetPageCount(), 2);
  EXPECT_EQ(Doc.ShapeCount(), 2);
  Doc.SetCurrentPageIndex(1);
  // The second page's background, picture and texture, told when the page is read.
  EXPECT_EQ(CountProblemsStarting(told), 5) << testing::PrintToString(Problems);
  EXPECT_EQ(Problems.size(), 5u);
  EXPECT_EQ(Doc.ShapeCount(), 2);
  EXPECT_FLOAT_EQ(Doc.GetShapes(0)->GetDocLeft(), 6.0f);

  // Refused, not dropped: the saved label still holds every picture's bytes.
  TMemoryStream saved;
  Doc.SaveToStream(saved);
  const std::vector<std::uint8_t> savedBytes = saved.Bytes();
  const doctest::TStorStreams streams = ReadStor(std::string(savedBytes.begin(), savedBytes.end()));
  const std::string encoded = xml::EncodeBase64(huge.data(), huge.size());
  for (const char* page : {"Page0001.xml", "Page0002.xml"}) {
    const std::string* xml = doctest::FindStream(streams, page);
    ASSERT_NE(xml, nullptr) << page;
    EXPECT_NE(xml->find(encoded), std::string::npos) << page;
  }
}

TEST_F(PictureRefusalTest, ThePicturesOfALabelShareOneBudget) {
  // Eight pictures of 36 million pixels each, each within a picture's
  // budget: the first three fit the label's, the five others are told.
  constexpr int Side = 6000;
  constexpr int Fitting = static_cast<int>(imaging::MaxLabelPixels / (std::int64_t{Side} * Side));
  static_assert(Fitting == 3);
  std::string shapes;
  for (int i = 0; i < 8; ++i) shapes += PictureShape(TinyHugeBmp(Side, Side, static_cast<std::uint8_t>(10 + i)));
  Open({{"Index.xml", "<Document/>"}, {"Page0001.xml", Page(1, "", Rectangle(5) + shapes)}});
  EXPECT_EQ(CountProblemsStarting("The picture (6000 x 6000 pixels) is not loaded: the pictures of a label may have "
                                  "at most 128 million pixels together"),
            8 - Fitting)
      << testing::PrintToString(Problems);
  EXPECT_EQ(Problems.size(), 8u - Fitting);
  EXPECT_EQ(Doc.ShapeCount(), 9);
  // A new label gives the budget back.
  Problems.clear();
  Open({{"Index.xml", "<Document/>"}, {"Page0001.xml", Page(1, "", shapes)}});
  EXPECT_EQ(Problems.size(), 8u - Fitting);
}

// The pictures of the label's picture shapes, from the top.
std::vector<TdocBitmapResource*> PictureResources(TdocDocumentCore& doc) {
  std::vector<TdocBitmapResource*> images;
  for (int i = 0; i < doc.ShapeCount(); ++i)
    if (auto* shape = dynamic_cast<TdocBitmapShape*>(doc.GetShapes(i))) images.push_back(&shape->GetImage());
  return images;
}

bool Shown(TdocBitmapResource& image) {
  TdocResourceAccess access(image);
  try {
    return image.GetSharedBitmap() != nullptr;
  } catch (const EPictureTooLarge&) {
    return false;
  }
}

// Two shapes of one picture and a third picture fit the label; once the
// cache has let every picture go, the second shape of the shared picture is
// drawn first: it still counts once, and everything is shown again.
TEST_F(PictureRefusalTest, APictureShownByTwoShapesCountsOnceAfterTheCacheLetsItGo) {
  const std::string shared = TinyHugeBmp(8000, 6000, 1), other = TinyHugeBmp(8192, 5000, 2);
  static_assert(std::int64_t{8000} * 6000 * 2 + std::int64_t{8192} * 5000 > imaging::MaxLabelPixels);
  Open({{"Index.xml", "<Document/>"},
        {"Page0001.xml", Page(1, "", PictureShape(shared) + PictureShape(shared) + PictureShape(other))}});
  EXPECT_TRUE(Problems.empty()) << testing::PrintToString(Problems);
  const std::int64_t used = std::int64_t{8000} * 6000 + std::int64_t{8192} * 5000;
  EXPECT_EQ(Doc.GetPictureBudget()->Used(), used);
  const std::vector<TdocBitmapResource*> images = PictureResources(Doc);
  ASSERT_EQ(images.size(), 3u);
  for (TdocBitmapResource* image : images) image->Unload();
  for (const std::size_t i : {1u, 2u, 0u}) EXPECT_TRUE(Shown(*images[i])) << i;
  EXPECT_EQ(Doc.GetPictureBudget()->Used(), used);
}

// A picture decoded before its shape joins the label (as an inserted one
// is) is charged when it joins, and given back when it leaves; one the
// label has no room for is not shown.
TEST_F(PictureRefusalTest, APictureIsChargedWhenItsShapeJoinsTheLabel) {
  const imagingtest::ScratchFolder folder("picture_refusal");
  const auto pictureShape = [&folder](int seed) {
    const std::string file = folder.File("photo" + std::to_string(seed) + ".bmp");
    const std::string bytes = TinyHugeBmp(6000, 4000, static_cast<std::uint8_t>(seed));
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    auto shape = std::make_unique<TdocBitmapShape>();
    shape->GetImage().LoadFromFile(file);
    EXPECT_TRUE(Shown(shape->GetImage()));
    return shape;
  };
  Doc.New();
  constexpr std::int64_t Photo = 6000 * 4000;
  for (int i = 0; i < 5; ++i) {
    Doc.AddShape(pictureShape(i));
    EXPECT_EQ(Doc.GetPictureBudget()->Used(), (i + 1) * Photo);
  }
  // Its file's bytes are counted too, as the label keeps them.
  EXPECT_EQ(Doc.GetPictureBudget()->UsedBytes(), 5 * 64);
  Doc.AddShape(pictureShape(5));
  EXPECT_EQ(Doc.GetPictureBudget()->Used(), 5 * Photo);
  EXPECT_FALSE(Shown(*PictureResources(Doc)[5]));
  Doc.DeleteShape(0);
  EXPECT_EQ(Doc.GetPictureBudget()->Used(), 4 * Photo);
  EXPECT_TRUE(Shown(*PictureResources(Doc)[4])) << "room again: the last one is shown";
  EXPECT_EQ(Doc.GetPictureBudget()->Used(), 5 * Photo);
}

}  // namespace
