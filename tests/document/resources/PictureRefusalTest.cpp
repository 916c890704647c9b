// Pictures of a label that cannot be shown: a picture past the budget of a
// picture or of the label, on any page, as a shape, a page background, the
// default background or a texture, is told through the document's load
// errors, and the rest of the label stays, its refused bytes included.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/document/core/StorFile.h"
#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "imaging/formats/PictureBudget.h"
#include "platform/rtl/Stream.h"
#include "tests/document/resources/PictureXml.h"
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

}  // namespace
