// The outlined texts of one label draw at most MaxLabelOutlinedCharacters
// characters and MaxLabelOutlinePoints points together, whatever the page;
// stored glyphs have at most MaxGlyphPoints points. A text past the budget
// is kept and saved whole and told: when its label is read, and when an edit
// takes it from drawn whole to drawn in part (once per such edit). Labels of
// a few kilobytes that hold many long outlined texts, or huge stored glyphs,
// open, paint every page and save in a child process within 1 GB.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iostream>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "document/text/FontManager.h"
#include "document/text/ProjectiveText.h"
#include "document/text/TransformText.h"
#include "imaging/bitmap/Bitmap32.h"
#include "platform/rtl/Stream.h"
#include "tests/document/ChildProcessPeak.h"
#include "tests/document/core/StorFile.h"
#include "tests/SanitizerBuild.h"

namespace {

constexpr bool BudgetTestSanitized = testbuild::UnderSanitizer;

// ---- labels written here as their XML and container, with no layout cost

std::string Letters(std::size_t length) {
  std::string text;
  while (text.size() < length) text += "Hello World ";
  text.resize(length);
  return text;
}

std::string TextShapeXml(const std::string& className, const std::string& text, const std::string& own = "") {
  return "<Shape><ClassName>" + className +
         "</ClassName><DocLeft>5</DocLeft><DocTop>5</DocTop><DocWidth>40</DocWidth><DocHeight>20</DocHeight><Text>" +
         text + "</Text><FontHeight>5</FontHeight><AutoSize>True</AutoSize><Font><Name>DejaVu Sans</Name></Font>" + own +
         "</Shape>";
}

std::string CurvedXml(const std::string& text) {
  return TextShapeXml("TdocCurvedText", text, "<TransformMethod>1</TransformMethod><CurveAngle>30</CurveAngle>");
}

// Curved, wavy, projective and multi-line texts in turn.
std::string MixedXml(int index, const std::string& text) {
  switch (index % 4) {
    case 0: return CurvedXml(text);
    case 1:
      return TextShapeXml("TdocWavyText", text,
                          "<WaveX><WaveLength>10</WaveLength><Amplitude>2</Amplitude></WaveX>");
    case 2: return TextShapeXml("TdocProjectiveText", text);
    default: return TextShapeXml("TdocPolygonMemo", text);
  }
}

std::string PageXml(int number, const std::string& shapes) {
  return "<Page Index=\"" + std::to_string(number) +
         "\"><IsDefaultPage>False</IsDefaultPage><PageWidth>100</PageWidth><PageHeight>100</PageHeight>" + shapes +
         "</Page>";
}

std::string PageStream(int number) {
  std::string name = std::to_string(number);
  return "Page" + std::string(4 - std::min<std::size_t>(4, name.size()), '0') + name + ".xml";
}

// A document container of pages of the given shapes, with "Fonts.dat" when
// fonts is not empty.
std::string Label(const std::vector<std::string>& pages, const std::string& fonts = "") {
  doctest::TStorStreams streams{
      {"Index.xml", fonts.empty() ? "<Document/>" : "<Document><FontEmbedding>True</FontEmbedding></Document>"}};
  for (std::size_t i = 0; i < pages.size(); ++i)
    streams.emplace_back(PageStream(int(i) + 1), PageXml(int(i) + 1, pages[i]));
  if (!fonts.empty()) streams.emplace_back("Fonts.dat", fonts);
  return doctest::WriteStor(streams);
}

template <class T>
void Put(std::string& bytes, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) bytes.push_back(static_cast<char>((std::uint64_t(value) >> (8 * i)) & 0xFF));
}

// "Fonts.dat" of DejaVu Sans holding one glyph for "W": a star of the
// given number of points inside the em, 16.16 font units with y down.
std::string StarGlyphFonts(int points) {
  std::string bytes = "FNT";
  Put<std::uint16_t>(bytes, 256);
  Put<std::int32_t>(bytes, 1);
  const std::string name = "DejaVu Sans";
  Put<std::int32_t>(bytes, std::int32_t(name.size()));
  bytes += name;
  bytes += '\0';
  for (std::int32_t value : {928, 236, 1, 1}) Put(bytes, value);  // ascent, descent, uses, glyph count
  Put<std::uint16_t>(bytes, u'W');
  for (std::int32_t value : {1000, 1000, 0, 800, 1000, 800}) Put(bytes, value);
  bytes += '\1';
  Put<std::int32_t>(bytes, 1);
  Put<std::int32_t>(bytes, points);
  for (int i = 0; i < points; ++i) {
    const double angle = 2 * std::numbers::pi * i / points, radius = i % 2 == 0 ? 400 : 300;
    Put<std::int32_t>(bytes, std::int32_t(std::lround((500 + radius * std::cos(angle)) * 65536)));
    Put<std::int32_t>(bytes, std::int32_t(std::lround((-400 + radius * std::sin(angle)) * 65536)));
  }
  return bytes;
}

// ---- what a user does with the label in the child: open, show and paint
// every page at 150 dots per inch, save

struct TOpened {
  std::vector<std::string> Told;
  // The texts of page 1, as opened and as read back from the saved label.
  std::vector<std::u16string> Texts, SavedTexts;
};

std::vector<std::u16string> FirstPageTexts(TdocDocumentCore& doc) {
  std::vector<std::u16string> texts;
  doc.SetCurrentPageIndex(0);
  for (int i = 0; i < doc.GetPages(0)->GetShapeCount(); ++i)
    if (const auto* text = dynamic_cast<const TdocTextBaseShape*>(doc.GetPages(0)->GetShapes(i)))
      texts.push_back(text->GetText());
  return texts;
}

TOpened OpenShowEveryPageAndSave(const std::string& label) {
  TdocDocumentCore doc;
  TOpened opened;
  doc.OnLoadError = [&opened](TPersistent*, TdocShape*, const std::string& error) { opened.Told.push_back(error); };
  TMemoryStream source;
  source.WriteBuffer(label.data(), std::int64_t(label.size()));
  source.SetPosition(0);
  doc.LoadFromStream(source);
  const float dpm = 150 / 25.4f;
  for (int i = 0; i < doc.GetPageCount(); ++i) {
    doc.SetCurrentPageIndex(i);
    TdocPage& page = *doc.GetPages(i);
    TBitmap32 bitmap;
    bitmap.SetSize(int(page.GetDocWidth() * dpm), int(page.GetDocHeight() * dpm));
    page.RenderPageToBitmap(bitmap, 0, dpm, 0xFFFFFFFFu);
    page.SetModified(true);
  }
  opened.Texts = FirstPageTexts(doc);
  TMemoryStream saved;
  doc.SaveToStream(saved);
  saved.SetPosition(0);
  TdocDocumentCore reread;
  reread.LoadFromStream(saved);
  opened.SavedTexts = FirstPageTexts(reread);
  return opened;
}

struct TLabelCase {
  const char* Name;  // as the test is named
  std::function<std::string()> Label;
  // What the child must have been told, in order.
  std::function<bool(const std::vector<std::string>&)> ToldRight;
};

// Tests are named after the label, and so is the parameter.
void PrintTo(const TLabelCase& label, std::ostream* out) { *out << label.Name; }

bool AllTellTheBudget(const std::vector<std::string>& told, std::size_t count) {
  if (told.size() != count) return false;
  for (const std::string& message : told)
    if (message.find("past what a label draws") == std::string::npos) return false;
  return true;
}

std::string Repeated(std::size_t count, const std::function<std::string(int)>& shape) {
  std::string shapes;
  for (std::size_t i = 0; i < count; ++i) shapes += shape(int(i));
  return shapes;
}

const std::string Long9999 = Letters(9999);
constexpr int ManyPages = 9999;

// Five texts of 9 999 characters fit the budget (and a few characters of a
// sixth): the others are told.
const TLabelCase HostileLabels[] = {
    {"FortyCurvedTextsOf9999Characters",
     [] { return Label({Repeated(40, [](int) { return CurvedXml(Long9999); })}); },
     [](const auto& told) { return AllTellTheBudget(told, 35); }},
    {"FortyMixedOutlinedTextsOf9999Characters",
     [] { return Label({Repeated(40, [](int i) { return MixedXml(i, Long9999); })}); },
     [](const auto& told) { return AllTellTheBudget(told, 35); }},
    {"TwentyFivePagesOfFourMixedTextsEachShown",
     [] { return Label(std::vector<std::string>(25, Repeated(4, [](int i) { return MixedXml(i, Long9999); }))); },
     [](const auto& told) { return AllTellTheBudget(told, 95); }},
    {"ThousandsOfPagesOfOneCurvedTextEachShown",
     [] { return Label(std::vector<std::string>(ManyPages, CurvedXml(Letters(5000)))); },
     [](const auto& told) { return AllTellTheBudget(told, ManyPages - 10); }},
    // The huge glyph is left out: "W" comes from the installed face, and the
    // text stays within the budget.
    {"AGlyphOf100000PointsUsed9999Times",
     [] { return Label({CurvedXml(std::string(9999, 'W'))}, StarGlyphFonts(100000)); },
     [](const auto& told) {
       return told == std::vector<std::string>{"A glyph of 100000 points in the label's fonts is left out: a glyph may "
                                               "have at most 16384 points"};
     }},
    // 10 000-point glyphs: the label's points run out within the first text.
    {"AGlyphOf10000PointsUsedByTenTexts",
     [] { return Label({Repeated(10, [](int) { return CurvedXml(std::string(9999, 'W')); })}, StarGlyphFonts(10000)); },
     [](const auto& told) { return AllTellTheBudget(told, 10); }},
};

// ---- the budget in one process

struct OutlineBudgetTest : ::testing::Test {
  OutlineBudgetTest() {
    Doc.OnEditNotice = [this](TPersistent*, TdocShape*, const std::string& message) { Notices.push_back(message); };
  }
  template <class Text>
  Text& Add(const std::u16string& text) {
    auto owned = std::make_unique<Text>();
    Text& shape = *owned;
    owned->SetFontName("DejaVu Sans");
    Doc.AddShape(std::move(owned));
    shape.SetText(text);
    return shape;
  }
  TdocOutlineCharge Used() { return Doc.GetFontManager().GetOutlineBudget()->GetUsed(); }

  TdocDocumentCore Doc;
  std::vector<std::string> Notices;
};

const std::u16string Dots(std::size_t count) { return std::u16string(count, u'.'); }

TEST_F(OutlineBudgetTest, TheLabelsTextsShareOneBudgetWhateverThePageAndKeepTheirTextsWhole) {
  // As many whole texts as fit, half on a page and half on another, and one more.
  constexpr int fitting = int(MaxLabelOutlinedCharacters / MaxOutlinedCharacters);
  std::vector<TdocPolygonText*> texts;
  for (int i = 0; i < fitting / 2; ++i) texts.push_back(&Add<TdocPolygonText>(Dots(MaxOutlinedCharacters)));
  Doc.SetCurrentPageIndex(Doc.AddPage(nullptr));
  for (int i = fitting / 2; i <= fitting; ++i) texts.push_back(&Add<TdocPolygonText>(Dots(MaxOutlinedCharacters)));
  for (int i = 0; i < fitting; ++i) EXPECT_EQ(texts[std::size_t(i)]->GetDrawnCharacters(), 10000) << i;
  TdocPolygonText& oneMore = *texts.back();
  EXPECT_EQ(oneMore.GetDrawnCharacters(), 0);
  EXPECT_EQ(TdocGlyph::PointCount(oneMore.GetOutline()), 0);
  EXPECT_EQ(Used().Characters, MaxLabelOutlinedCharacters);
  EXPECT_EQ(Notices, std::vector<std::string>{"The outlined texts of this label are past what a label draws: this text "
                                              "of 10000 characters is drawn only up to its character 0"});
  // A text inserted now is told at once, and drawn when there is room again.
  auto inserted = std::make_unique<TdocCurvedText>();
  inserted->SetFontName("DejaVu Sans");
  inserted->SetText(u"Arc");
  TdocCurvedText& arc = *inserted;
  Doc.AddShape(std::move(inserted));
  ASSERT_EQ(Notices.size(), 2u);
  EXPECT_EQ(Notices.back(), "The outlined texts of this label are past what a label draws: this text of 3 characters is "
                            "drawn only up to its character 0");
  Doc.DeleteShape(Doc.GetCurrentPage()->IndexOfShape(&arc));
  Notices.pop_back();
  // A text that goes gives its share back; the next build of the cut text
  // takes it (here as far as one text draws).
  Doc.SetCurrentPageIndex(0);
  Doc.DeleteShape(0);
  EXPECT_EQ(Used().Characters, MaxLabelOutlinedCharacters - 10000);
  Doc.SetCurrentPageIndex(1);
  oneMore.SetText(Dots(MaxOutlinedCharacters) + u"x");
  EXPECT_EQ(oneMore.GetDrawnCharacters(), 10000);
  EXPECT_EQ(Used().Characters, MaxLabelOutlinedCharacters);
  EXPECT_EQ(Notices.size(), 1u) << "no edit took a text from drawn whole to drawn in part";

  // Saved whole and read back whole; the load tells what is not drawn.
  TMemoryStream saved;
  Doc.SaveToStream(saved);
  saved.SetPosition(0);
  TdocDocumentCore reread;
  std::vector<std::string> told;
  reread.OnLoadError = [&told](TPersistent*, TdocShape*, const std::string& error) { told.push_back(error); };
  reread.LoadFromStream(saved);
  reread.SetCurrentPageIndex(1);
  ASSERT_EQ(reread.GetPages(1)->GetShapeCount(), fitting - fitting / 2 + 1);
  const auto* last = dynamic_cast<const TdocPolygonText*>(reread.GetPages(1)->GetShapes(fitting - fitting / 2));
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->GetText(), Dots(MaxOutlinedCharacters) + u"x");
  EXPECT_EQ(told, std::vector<std::string>{"A text of 10001 characters is drawn only up to its first 10000 characters"});
}

TEST_F(OutlineBudgetTest, AnEditTellsOnceWhenItTakesATextFromDrawnWholeToDrawnInPart) {
  const std::string tooLong = "A text of 10001 characters is drawn only up to its first 10000 characters";
  auto& curved = Add<TdocCurvedText>(u"Arc");
  curved.SetCurveAngle(20);
  curved.SetText(Dots(10001));
  EXPECT_EQ(Notices, std::vector<std::string>{tooLong});
  curved.SetText(Dots(10002));
  curved.SetText(Dots(10000));
  EXPECT_EQ(Notices.size(), 1u);
  curved.SetText(Dots(10001));
  EXPECT_EQ(Notices, (std::vector<std::string>{tooLong, tooLong}));
  // A memo counts the characters of all its lines.
  auto& memo = Add<TdocPolygonMemo>(Dots(6000));
  memo.SetText(Dots(6000) + u"\r\n" + Dots(4001));
  ASSERT_EQ(Notices.size(), 3u);
  EXPECT_EQ(Notices.back(), "A text of 10003 characters is drawn only up to its first 10000 characters");
  EXPECT_EQ(memo.GetDrawnCharacters(), 10000);
  EXPECT_EQ(memo.GetDrawableCharacters(), 10001);
}

struct OutlineBudgetLabel : ::testing::TestWithParam<TLabelCase> {};

TEST_P(OutlineBudgetLabel, OpensPaintsEveryPageAndSavesWithinBounds) {
  if (BudgetTestSanitized) GTEST_SKIP() << "a measurement of memory and time, meaningless under the sanitizers";
  const TLabelCase& label = GetParam();
  const std::string bytes = label.Label();
  const auto start = std::chrono::steady_clock::now();
  const doctest::TChildOutcome outcome = doctest::RunInChild(
      [&] {
        const TOpened opened = OpenShowEveryPageAndSave(bytes);
        if (!label.ToldRight(opened.Told))
          throw std::runtime_error("told " + std::to_string(opened.Told.size()) + ": " +
                                   (opened.Told.empty() ? std::string() : opened.Told.front()));
        if (opened.Texts.empty() || opened.SavedTexts != opened.Texts)
          throw std::runtime_error("texts lost");
      },
      300);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << label.Name << ": " << bytes.size() / 1024 << " KB of container, peak growth "
            << outcome.PeakGrowthKb / 1024 << " MB, " << seconds << " s\n";
  ASSERT_TRUE(outcome.Finished) << outcome.Failure;
  EXPECT_LT(outcome.PeakGrowthKb, 1024 * 1024);
  EXPECT_LT(seconds, 60) << "far beyond the 3 s of an optimised build";
}

INSTANTIATE_TEST_SUITE_P(Labels, OutlineBudgetLabel, ::testing::ValuesIn(HostileLabels),
                         [](const ::testing::TestParamInfo<TLabelCase>& info) { return std::string(info.param.Name); });

}  // namespace
