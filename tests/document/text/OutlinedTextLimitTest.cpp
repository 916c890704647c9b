// Texts drawn as outlines draw at most MaxOutlinedCharacters characters: a
// longer text lays out and fills exactly the outline of its first
// MaxOutlinedCharacters characters, keeps the whole text (edited, saved and
// read back whole) and tells the document that loads it. A label holding a
// 100 000-character curved and a projective text opens, paints and saves
// in a child process within a bounded memory growth and time.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/document/ChildProcessPeak.h"
#include "tests/document/PaintAndSave.h"
#include "tests/document/TestShapes.h"
#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "document/text/ProjectiveText.h"
#include "document/text/TransformText.h"
#include "imaging/bitmap/Bitmap32.h"

namespace {

using doctest::TPageFixture;

constexpr std::size_t LongLength = 100000;

// "Hello World " repeated up to length characters.
std::u16string RepeatedWords(std::size_t length) {
  std::u16string text;
  while (text.size() < length) text += u"Hello World ";
  text.resize(length);
  return text;
}

template <class Text>
Text& AddText(TdocShape& page, const std::u16string& content) {
  auto owned = std::make_unique<Text>();
  Text& shape = *owned;
  page.AddShape(std::move(owned));
  shape.SetFontName("DejaVu Sans");
  shape.SetText(content);
  return shape;
}

struct OutlinedTextLimitTest : ::testing::Test, TPageFixture {
  OutlinedTextLimitTest() : TPageFixture(200, 200) {}

  // The text drawn at 4 pixels per millimetre; the outline it filled is the
  // one left in the shape.
  static void Paint(TdocShape& shape) {
    TBitmap32 bitmap;
    bitmap.SetSize(200, 200);
    bitmap.Clear(0);
    TdocRenderOptions options;
    options.Resolution = 4;
    shape.RenderShape(bitmap, {0, 0, 50, 50}, true, options);
  }
};

TEST_F(OutlinedTextLimitTest, ALongTransformedTextBuildsTheOutlineOfItsFirstCharactersAndKeepsTheRest) {
  const std::u16string whole = RepeatedWords(LongLength);
  const std::u16string drawn = whole.substr(0, MaxOutlinedCharacters);
  const auto compare = [&](auto& longText, auto& cutText) {
    EXPECT_EQ(longText.GetText(), whole);
    ASSERT_FALSE(cutText.GetOutline().GetPoints().empty());
    EXPECT_EQ(longText.GetOutline().GetPoints().size(), cutText.GetOutline().GetPoints().size());
    EXPECT_TRUE(longText.GetOutline().GetPoints() == cutText.GetOutline().GetPoints());
    EXPECT_EQ(longText.GetPlacements().GetCount(), int(MaxOutlinedCharacters));
    EXPECT_EQ(longText.GetWarpWidth(), cutText.GetWarpWidth());
    EXPECT_EQ(longText.GetWarpHeight(), cutText.GetWarpHeight());
    // The whole text goes into the XML and comes back.
    std::decay_t<decltype(longText)> copy;
    doctest::LoadShapeXml(copy, doctest::SaveShapeXml(longText));
    EXPECT_EQ(copy.GetText(), whole);
  };
  {
    SCOPED_TRACE("curved");
    auto& longText = AddText<TdocCurvedText>(Page, whole);
    auto& cutText = AddText<TdocCurvedText>(Page, drawn);
    longText.SetCurveAngle(30);
    cutText.SetCurveAngle(30);
    compare(longText, cutText);
  }
  {
    SCOPED_TRACE("projective");
    auto& longText = AddText<TdocProjectiveText>(Page, whole);
    auto& cutText = AddText<TdocProjectiveText>(Page, drawn);
    longText.SetCorner(TdocProjectiveText::cnTopRight, {45, -5});
    cutText.SetCorner(TdocProjectiveText::cnTopRight, {45, -5});
    compare(longText, cutText);
  }
}

TEST_F(OutlinedTextLimitTest, AMemoDrawsItsLinesUntilTheLimitIsSpent) {
  const std::size_t first = MaxOutlinedCharacters - 2000;
  const std::u16string lineOne = RepeatedWords(first);
  const std::u16string lineTwo = RepeatedWords(LongLength);
  auto& longMemo = AddText<TdocPolygonMemo>(Page, lineOne + u"\r\n" + lineTwo);
  auto& cutMemo = AddText<TdocPolygonMemo>(Page, lineOne + u"\r\n" + lineTwo.substr(0, 2000));
  Paint(longMemo);
  Paint(cutMemo);
  ASSERT_FALSE(cutMemo.GetOutline().GetPoints().empty());
  EXPECT_EQ(longMemo.GetOutline().GetPoints().size(), cutMemo.GetOutline().GetPoints().size());
  EXPECT_TRUE(longMemo.GetOutline().GetPoints() == cutMemo.GetOutline().GetPoints());
  EXPECT_EQ(longMemo.GetText().size(), first + 2 + LongLength);
}

// The label is written here; the child opens it as a user would, paints
// its page at 150 dots per inch and saves it; the parent reads the saved
// label back.
TEST_F(OutlinedTextLimitTest, ALabelOfTwoHundredThousandCharactersOpensPaintsAndSavesWithinBounds) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("outlined-limit-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string source = (folder / "long.stor").string(), saved = (folder / "saved.stor").string();
  const std::u16string whole = RepeatedWords(LongLength);
  {
    TdocDocumentCore doc;
    auto curved = std::make_unique<TdocCurvedText>();
    curved->SetFontName("DejaVu Sans");
    curved->SetText(whole);
    curved->SetCurveAngle(30);
    doc.AddShape(std::move(curved));
    auto projective = std::make_unique<TdocProjectiveText>();
    projective->SetFontName("DejaVu Sans");
    projective->SetText(whole);
    projective->SetDocPos(20, 40);
    doc.AddShape(std::move(projective));
    doc.SaveToFile(source);
  }
  const doctest::TChildOutcome outcome = doctest::RunInChild(
      [&] {
        TdocDocumentCore doc;
        std::vector<std::string> told;
        doc.OnLoadError = [&told](TPersistent*, TdocShape*, const std::string& error) { told.push_back(error); };
        doc.LoadFromFile(source);
        doctest::PaintFirstPageAndSave(doc, saved);
        const std::string expected = "A text of 100000 characters is drawn only up to its first 10000 characters";
        if (told != std::vector<std::string>{expected, expected}) throw std::runtime_error("not told: " + std::to_string(told.size()));
      },
      300);
  ASSERT_TRUE(outcome.Finished) << outcome.Failure;
  EXPECT_LT(outcome.PeakGrowthKb, 400 * 1024);
  // Nothing of the label is lost.
  TdocDocumentCore reread;
  reread.LoadFromFile(saved);
  ASSERT_EQ(reread.ShapeCount(), 2);
  const auto* curved = dynamic_cast<const TdocCurvedText*>(reread.GetShapes(0));
  const auto* projective = dynamic_cast<const TdocProjectiveText*>(reread.GetShapes(1));
  ASSERT_TRUE(curved && projective);
  EXPECT_EQ(curved->GetText(), whole);
  EXPECT_EQ(curved->GetCurveAngle(), 30);
  EXPECT_EQ(projective->GetText(), whole);
  EXPECT_EQ(projective->GetDocLeft(), 20);
  EXPECT_EQ(projective->GetCorners()[TdocProjectiveText::cnBottomRight].X, 40);
  std::filesystem::remove_all(folder);
}

}  // namespace
