// Text and memo shapes with DejaVu Sans Mono, whose characters all advance
// alike: line breaks worked by hand in character widths, auto size and its
// anchored edges, font scaling, the XML form with hostile spans, rendered
// ink measured in millimetres at three resolutions, and in-place editing.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "tests/document/TestShapes.h"
#include "document/text/TextShape.h"
#include "imaging/bitmap/Bitmap32.h"
#include "xml/XmlDocument.h"

namespace {

using doctest::TPageFixture;
using TSpanList = std::vector<std::pair<int, int>>;  // (CharPos, CharCount)

constexpr const char* MonoFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
constexpr double PixelsPerMm300 = 300 / 25.4;
// An em of exactly 100 pixels at 300 dots per inch.
constexpr float MonoFontHeight = static_cast<float>(100 / PixelsPerMm300);

// The test font's metrics read by FreeType itself, in font units.
struct TFontFacts {
  double UnitsPerEm = 0;
  double Advance = 0;     // every character's
  double CapHeight = 0;   // ink height of "H"
  TFontFacts() {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, MonoFontFile, 0, &face) != 0) return;
    UnitsPerEm = face->units_per_EM;
    FT_Load_Char(face, 'H', FT_LOAD_NO_SCALE);
    Advance = face->glyph->metrics.horiAdvance;
    CapHeight = face->glyph->metrics.height;
    FT_Done_Face(face);
    FT_Done_FreeType(library);
  }
};

const TFontFacts& Facts() {
  static const TFontFacts facts;
  return facts;
}

// One character's width in mm: whole pixels at the 100-pixel em.
double CharMm() { return std::nearbyint(Facts().Advance * 100 / Facts().UnitsPerEm) / PixelsPerMm300; }

TSpanList SpansOf(const TdocTextBaseShape& shape) {
  TSpanList spans;
  for (int i = 0; i < shape.GetSpanCount(); ++i) spans.emplace_back(shape.GetSpans(i).CharPos, shape.GetSpans(i).CharCount);
  return spans;
}

class TextShapeTest : public ::testing::Test, protected TPageFixture {
protected:
  void SetUp() override { ASSERT_GT(Facts().UnitsPerEm, 0) << "the test font is missing"; }

  template <class Shape>
  Shape& Add(const std::u16string& text, float width = 100) {
    auto shape = std::make_unique<Shape>();
    Shape& ref = *shape;
    Page.AddShape(std::move(shape));
    // The frame first: resizing an auto-sized text scales its font.
    ref.SetDocBounds(10, 10, width, 20);
    ref.SetFontName("DejaVu Sans Mono");
    ref.SetFontHeight(MonoFontHeight);
    ref.SetText(text);
    return ref;
  }

  static std::string Save(const TdocShape& shape) { return doctest::SaveShapeXml(shape); }
  static void Load(TdocShape& shape, const std::string& text) { doctest::LoadShapeXml(shape, text); }
};

TEST_F(TextShapeTest, WordWrapBreaksWhereWorkedByHand) {
  // Frame widths in character widths; "Www" makes every line at least three
  // characters wide, and a line must be strictly narrower than the frame.
  const struct {
    const char* Name;
    std::u16string Text;
    double WidthInChars;
    TSpanList Expected;
  } cases[] = {
      {"two words fit, the third wraps", u"aaa bbb ccc", 8.2, {{1, 7}, {9, 3}}},
      {"a hyphen begins the next line", u"abc-def", 5.5, {{1, 3}, {4, 4}}},
      {"a long word breaks by characters", u"abcdefghij", 3.5, {{1, 3}, {4, 3}, {7, 3}, {10, 1}}},
      {"characters wider than the frame stand alone", u"abc", 0.5, {{1, 1}, {2, 1}, {3, 1}}},
      {"a control character first still ends", u"\tab", 0.5, {{1, 1}, {2, 1}, {3, 1}}},
      {"leading blanks leave an empty line", u"  ab", 0.5, {{1, 0}, {3, 1}, {4, 1}}},
      {"blanks between words are skipped", u"aa   bb", 4.5, {{1, 2}, {6, 2}}},
      {"hard lines wrap each", u"aaa bbb\r\nccc", 5.0, {{1, 3}, {5, 3}, {10, 3}}},
      {"a final line break gives an empty line", u"ab\r\n", 50, {{1, 2}, {5, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto& memo = Add<TdocMemoShape>(u"");
    memo.SetWordWrap(true);
    memo.SetDocWidth(static_cast<float>(c.WidthInChars * CharMm()));
    memo.SetText(c.Text);
    EXPECT_EQ(SpansOf(memo), c.Expected);
  }
}

TEST_F(TextShapeTest, LinesAreMeasuredAndTheFrameFollows) {
  auto& memo = Add<TdocMemoShape>(u"abcdefgh\r\nab");
  ASSERT_EQ(SpansOf(memo), (TSpanList{{1, 8}, {11, 2}}));
  EXPECT_NEAR(memo.GetSpans(0).Width, 8 * CharMm(), 1e-4);
  EXPECT_NEAR(memo.GetSpans(1).Width, 3 * CharMm(), 1e-4);  // no narrower than "Www"
  EXPECT_NEAR(memo.GetDocWidth(), 8 * CharMm(), 1e-4);
  EXPECT_NEAR(memo.GetDocHeight(), 2 * MonoFontHeight, 1e-4);
  EXPECT_NEAR(memo.GetSpans(1).LineTop, MonoFontHeight, 1e-4);
  EXPECT_EQ(memo.GetLines().GetCount(), 2);
  EXPECT_EQ(memo.GetLines().GetStrings(1), u"ab");
}

TEST_F(TextShapeTest, AutoSizeKeepsTheAnchoredEdge) {
  auto& right = Add<TdocTextShape>(u"abcd");
  right.SetAlignment(taRightJustify);
  const float rightEdge = right.GetDocLeft() + right.GetDocWidth();
  right.SetText(u"abcdefghijkl");
  EXPECT_NEAR(right.GetDocWidth(), 12 * CharMm(), 1e-4);
  EXPECT_NEAR(right.GetDocLeft() + right.GetDocWidth(), rightEdge, 1e-4);

  auto& centred = Add<TdocTextShape>(u"abcd");
  centred.SetAlignment(taCenter);
  const float centre = centred.GetDocLeft() + centred.GetDocWidth() / 2;
  centred.SetText(u"abcdefghijkl");
  EXPECT_NEAR(centred.GetDocLeft() + centred.GetDocWidth() / 2, centre, 1e-4);

  auto& bottom = Add<TdocMemoShape>(u"a");
  bottom.SetVertAlign(vaBottom);
  const float bottomEdge = bottom.GetDocTop() + bottom.GetDocHeight();
  bottom.SetText(u"a\r\nb\r\nc");
  EXPECT_NEAR(bottom.GetDocHeight(), 3 * MonoFontHeight, 1e-4);
  EXPECT_NEAR(bottom.GetDocTop() + bottom.GetDocHeight(), bottomEdge, 1e-4);

  auto& left = Add<TdocTextShape>(u"ab");
  const float leftEdge = left.GetDocLeft();
  left.SetText(u"abcdefgh");
  EXPECT_EQ(left.GetDocLeft(), leftEdge);
}

TEST_F(TextShapeTest, EmptyTextTakesTheSizeOfWww) {
  auto& text = Add<TdocTextShape>(u"");
  EXPECT_NEAR(text.GetDocWidth(), 3 * CharMm(), 1e-4);
  EXPECT_GT(text.GetDocHeight(), MonoFontHeight);  // a cell is taller than the em
  EXPECT_LT(text.GetDocHeight(), 1.5f * MonoFontHeight);
}

TEST_F(TextShapeTest, ResizingScalesTheFontOfATextButNotOfAMemo) {
  auto& text = Add<TdocTextShape>(u"abc");
  text.SetDocBounds(text.GetDocLeft(), text.GetDocTop(), text.GetDocWidth() * 2, text.GetDocHeight() * 2);
  EXPECT_NEAR(text.GetFontHeight(), 2 * MonoFontHeight, 1e-4);
  EXPECT_NEAR(text.GetDocWidth(), 3 * 2 * CharMm(), 0.1);

  auto& memo = Add<TdocMemoShape>(u"abc");
  memo.SetDocBounds(memo.GetDocLeft(), memo.GetDocTop(), memo.GetDocWidth() * 2, memo.GetDocHeight() * 2);
  EXPECT_EQ(memo.GetFontHeight(), MonoFontHeight);
}

TEST_F(TextShapeTest, ColourLeavesTheFrameAndUndoRestoresTheText) {
  auto& text = Add<TdocTextShape>(u"abc");
  const TFloatRect box = text.GetBox();
  text.SetFontColor(0x0000FF);
  EXPECT_EQ(text.GetBox().Left, box.Left);
  EXPECT_EQ(text.GetBox().Right, box.Right);
  EXPECT_EQ(text.GetBox().Bottom, box.Bottom);
  Document.UndoList.clear();
  text.SetText(u"Ωμέγα");
  const float width = text.GetDocWidth();
  ASSERT_TRUE(Document.Undo(Page));
  while (Document.Undo(Page)) {
  }
  EXPECT_EQ(text.GetText(), u"abc");
  EXPECT_NE(text.GetDocWidth(), width);
}

TEST_F(TextShapeTest, DeselectingAnEmptyTextAsksForItsDeletion) {
  auto& text = Add<TdocTextShape>(u"");
  text.SetSelected(true);
  text.SetSelected(false);
  EXPECT_EQ(Document.AutoDeleteRequests, std::vector<std::int32_t>{text.GetShapeId()});
  auto& full = Add<TdocTextShape>(u"x");
  full.SetSelected(true);
  full.SetSelected(false);
  EXPECT_EQ(Document.AutoDeleteRequests.size(), 1u);
}

TEST_F(TextShapeTest, BlanksAroundTheTextSurviveTheXml) {
  for (const std::u16string value : {u"  Price \t", u" ", u"\t", u"   "}) {
    auto& text = Add<TdocTextShape>(value);
    TdocTextShape loaded;
    Load(loaded, Save(text));
    EXPECT_EQ(loaded.GetText(), value);
  }
}

TEST_F(TextShapeTest, XmlRoundTripWithSpans) {
  auto& memo = Add<TdocMemoShape>(u"Größe\r\nΚαλημέρα мир");
  memo.SetFontStyle(FontStyleBit(fsBold) | FontStyleBit(fsUnderline));
  memo.SetFontColor(0x123456);
  memo.SetAlignment(taCenter);
  const std::string saved = Save(memo);
  EXPECT_NE(saved.find("<Span>"), std::string::npos);
  TdocMemoShape loaded;
  Load(loaded, saved);
  EXPECT_EQ(Save(loaded), saved);
  EXPECT_EQ(loaded.GetText(), memo.GetText());
  EXPECT_EQ(SpansOf(loaded), SpansOf(memo));
  EXPECT_EQ(loaded.GetSpans(1).LineLeft, memo.GetSpans(1).LineLeft);
  EXPECT_EQ(loaded.GetLines().GetStrings(1), u"Καλημέρα мир");
  EXPECT_EQ(loaded.GetFontStyle(), memo.GetFontStyle());
}

TEST_F(TextShapeTest, HostileSpansAreRefusedAndTheTextLaidOutAgain) {
  auto& memo = Add<TdocMemoShape>(u"abc\r\ndef");
  const std::string good = Save(memo);
  const std::string goodSpans =
      "<Span><CharPos>1</CharPos><CharCount>3</CharCount><Width>1</Width><Height>1</Height></Span>"
      "<Span><CharPos>6</CharPos><CharCount>3</CharCount><Width>1</Width><Height>1</Height></Span>";
  const std::size_t first = good.find("<Span>");
  const std::size_t end = good.rfind("</Span>") + 7;
  ASSERT_NE(first, std::string::npos);
  const auto withSpans = [&](const std::string& spans) { return good.substr(0, first) + spans + good.substr(end); };
  const auto span = [](const char* pos, const char* count, const char* width = "1") {
    return std::string("<Span><CharPos>") + pos + "</CharPos><CharCount>" + count + "</CharCount><Width>" + width +
           "</Width><Height>1</Height></Span>";
  };
  const struct {
    const char* Name;
    std::string Spans;
  } hostile[] = {
      {"beyond the text", span("7", "5")},
      {"huge count", span("1", "2147483647")},
      {"negative position", span("-5", "3")},
      {"negative count", span("1", "-3")},
      {"overlapping", span("1", "3") + span("2", "3")},
      {"out of order", span("6", "3") + span("1", "3")},
      {"negative width", span("1", "3", "-3")},
      {"position past the end", span("2147483647", "2")},
  };
  for (const auto& c : hostile) {
    SCOPED_TRACE(c.Name);
    TdocMemoShape loaded;
    Load(loaded, withSpans(c.Spans));
    EXPECT_EQ(SpansOf(loaded), (TSpanList{{1, 3}, {6, 3}}));
    EXPECT_NEAR(loaded.GetSpans(0).Width, 3 * CharMm(), 1e-4);
  }
  // A width that is not a number is read as 0.
  TdocMemoShape notANumber;
  Load(notANumber, withSpans(span("1", "3", "nan")));
  EXPECT_EQ(notANumber.GetSpans(0).Width, 0.0f);
  // Sound stored spans are kept as stored.
  TdocMemoShape trusted;
  Load(trusted, withSpans(goodSpans));
  EXPECT_EQ(trusted.GetSpans(0).Width, 1.0f);
}

TEST_F(TextShapeTest, HostileFontValuesNeverReachTheFontEngineAsDefaultSize) {
  const struct {
    const char* Name;
    const char* Height;
  } cases[] = {{"zero", "0"}, {"negative", "-8.4666667"}, {"huge", "1e30"}, {"not a number", "nan"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TdocTextShape text;
    Load(text, std::string("<shape><ClassName>TdocTextShape</ClassName><Text>Ab</Text><MonoFontHeight>") + c.Height +
                   "</MonoFontHeight><AutoSize>True</AutoSize><Font><Name>DejaVu Sans Mono</Name></Font></shape>");
    EXPECT_TRUE(std::isfinite(text.GetDocWidth()));
    TBitmap32 bitmap;
    bitmap.SetSize(64, 64);
    TdocRenderOptions options;
    options.Resolution = 5.9f;
    text.RenderShape(bitmap, {0, 0, 64 / 5.9f, 64 / 5.9f}, false, options);
  }
  // A negative height is the same em as the positive one, not a cell height.
  TdocTextShape negative;
  negative.SetFontName("DejaVu Sans Mono");
  negative.SetFontHeight(-MonoFontHeight);
  negative.SetText(u"abcdefgh");
  EXPECT_NEAR(negative.GetDocWidth(), 8 * CharMm(), 1e-4);
}

// The ink height of "H" in millimetres, from a column through its stem.
double InkHeightMm(const TdocTextShape& shape, float resolution) {
  TBitmap32 bitmap;
  const float width = shape.GetDocWidth() + 2, height = shape.GetDocHeight() + 2;
  bitmap.SetSize(static_cast<int>(width * resolution), static_cast<int>(height * resolution));
  bitmap.Clear(0);
  TdocRenderOptions options;
  options.Resolution = resolution;
  const_cast<TdocTextShape&>(shape).RenderShape(bitmap, {shape.GetDocLeft() - 1, shape.GetDocTop() - 1,
                                                         shape.GetDocLeft() - 1 + width, shape.GetDocTop() - 1 + height},
                                                false, options);
  double best = 0;
  for (int x = 0; x < bitmap.GetWidth(); ++x) {
    double column = 0;
    for (int y = 0; y < bitmap.GetHeight(); ++y) column += (bitmap.GetPixel(x, y) >> 24) / 255.0;
    best = std::max(best, column);
  }
  return best / resolution;
}

TEST_F(TextShapeTest, RenderedInkKeepsItsSizeInMillimetresAtEveryResolution) {
  auto& text = Add<TdocTextShape>(u"HHH");
  const double expected = MonoFontHeight * Facts().CapHeight / Facts().UnitsPerEm;
  for (float resolution : {5.905512f, 11.811024f, 23.622047f}) {
    SCOPED_TRACE(resolution);
    EXPECT_NEAR(InkHeightMm(text, resolution), expected, 0.2);
  }
}

TEST_F(TextShapeTest, RenderedTextTakesTheFontColourAsCoverage) {
  auto& text = Add<TdocTextShape>(u"HHH");
  text.SetFontColor(0x0000FF);  // red as 0x00BBGGRR
  TBitmap32 bitmap;
  bitmap.SetSize(200, 100);
  bitmap.Clear(0xFFFFFFFFu);
  TdocRenderOptions options;
  options.Resolution = 5.905512f;
  Page.RenderShape(bitmap, {0, 0, 200 / 5.905512f, 100 / 5.905512f}, false, options);
  // Inside the strokes the text is the font colour (within the blender's
  // rounding); everywhere the colour has no green or blue of its own.
  int red = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) {
      const TColor32 pixel = bitmap.GetPixel(x, y);
      EXPECT_EQ((pixel >> 8) & 0xFF, pixel & 0xFF);
      if ((pixel & 0xFFFF0000u) == 0xFFFF0000u && (pixel & 0xFF) <= 2) ++red;
    }
  EXPECT_GT(red, 50);

}

TEST_F(TextShapeTest, EditingTypesClicksAndCancels) {
  Document.Scale = 10;
  auto& text = Add<TdocTextShape>(u"abc");
  text.StartEdit();
  ASSERT_NE(text.GetEditor(), nullptr);
  EXPECT_EQ(Document.CaretInterval, 400);
  EXPECT_EQ(text.GetEditor()->GetSelLength(), 3);  // all selected
  for (char16_t c : std::u16string(u"Жx")) text.EditKeyPress(c);
  EXPECT_EQ(text.GetText(), u"Жx");
  // A click left of the text, right of it and in the middle of a character.
  const float y = text.ShapeToScreen({0, text.GetDocHeight() / 2}).Y;
  const auto clickAt = [&](float localX) {
    const float x = text.ShapeToScreen({localX, 0}).X;
    return text.CaretFromPoint(static_cast<int>(x), static_cast<int>(y));
  };
  // The caret left of the click, but after the last character for a click
  // inside it (1.2 and 1.8 characters).
  EXPECT_EQ(clickAt(-0.5f), 0);
  EXPECT_EQ(clickAt(static_cast<float>(0.6 * CharMm())), 0);
  EXPECT_EQ(clickAt(static_cast<float>(1.2 * CharMm())), 2);
  EXPECT_EQ(clickAt(static_cast<float>(1.8 * CharMm())), 2);
  TKey escape = VK_ESCAPE;
  text.EditKeyDown(escape, 0);
  EXPECT_EQ(Document.CloseRequests, std::vector<bool>{false});
  text.EndEdit(false);
  EXPECT_EQ(text.GetEditor(), nullptr);
  EXPECT_EQ(text.GetText(), u"abc");
  EXPECT_EQ(Document.CaretInterval, 0);
}

TEST_F(TextShapeTest, ClicksOnRightAlignedLinesCountFromTheLinesLeft) {
  Document.Scale = 10;
  auto& memo = Add<TdocMemoShape>(u"abcdef\r\nab");
  memo.SetAlignment(taRightJustify);
  memo.StartEdit();
  // The second line is as wide as "Www" (three cells) and ends at the
  // frame's right edge, six cells from its left; "ab" is drawn at the right
  // of that box, so its carets lie at cells 4, 5 and 6 (25.4, 31.75 and
  // 38.1 mm). A click takes the caret left of it, counted in whole mm
  // (round(x) against floor(caret)); in the last character the one after it.
  const TdocTextSpan& line = memo.GetSpans(1);
  ASSERT_NEAR(line.LineLeft, 3 * CharMm(), 1e-4);
  const float y = memo.ShapeToScreen({0, line.LineTop + MonoFontHeight / 2}).Y;
  const auto clickAt = [&](double cells) {
    const float x = memo.ShapeToScreen({static_cast<float>(cells * CharMm()), 0}).X;
    return memo.CaretFromPoint(static_cast<int>(std::lround(x)), static_cast<int>(y));
  };
  const std::int32_t lineStart = line.CharPos - 1;
  EXPECT_EQ(clickAt(0.5), lineStart);  // left of the line: its start, never -1
  EXPECT_EQ(clickAt(4.4), lineStart);       // 27.9 mm: 28 < 31
  EXPECT_EQ(clickAt(4.85), lineStart + 1);  // 30.8 mm: 31 >= 31, on the caret of "b"
  EXPECT_EQ(clickAt(4.8), lineStart);       // 30.5 mm: 30 < 31
  EXPECT_EQ(clickAt(5.4), lineStart + 2);   // inside "b", the last character
  EXPECT_EQ(clickAt(6.5), lineStart + 2);
  // Below all lines: no caret.
  const float below = memo.ShapeToScreen({0, line.LineTop + 2 * MonoFontHeight}).Y;
  EXPECT_EQ(memo.CaretFromPoint(0, static_cast<int>(below)), -1);
}

TEST_F(TextShapeTest, MemoEnterBreaksTheLineAndArrowsFollowLines) {
  Document.Scale = 10;
  auto& memo = Add<TdocMemoShape>(u"abcd\r\nefgh");
  memo.StartEdit();
  TKey key = VK_HOME;
  memo.EditKeyDown(key, 0);  // line of the caret (the end): the second
  EXPECT_EQ(memo.GetEditor()->GetCharPos(), 6);
  key = VK_UP;
  memo.EditKeyDown(key, 0);
  EXPECT_EQ(memo.GetEditor()->GetCharPos(), 0);
  key = VK_END;
  memo.EditKeyDown(key, 0);
  EXPECT_EQ(memo.GetEditor()->GetCharPos(), 4);
  key = VK_RIGHT;
  memo.EditKeyDown(key, 0);  // over the line break in one step
  EXPECT_EQ(memo.GetEditor()->GetCharPos(), 6);
  key = VK_RETURN;
  memo.EditKeyDown(key, 0);
  EXPECT_EQ(memo.GetText(), u"abcd\r\n\r\nefgh");
  EXPECT_TRUE(Document.CloseRequests.empty());
  EXPECT_EQ(memo.GetSpanCount(), 3);
}

TEST_F(TextShapeTest, EditStateIsDrawnAsPixelsNotXor) {
  Document.Scale = 10;
  auto& text = Add<TdocTextShape>(u"abc");
  text.StartEdit();
  TBitmap32 screen;
  screen.SetSize(600, 400);
  screen.Clear(0xFFFFFFFFu);
  TCanvas& canvas = screen.GetCanvas();
  text.PaintEditState(canvas);
  // The dotted border 1 mm outside the frame and the hatched selection.
  const TFloatPoint corner = text.ShapeToScreen({-1, -1});
  int border = 0, hatch = 0;
  for (int x = 0; x < 600; ++x)
    if ((screen.GetPixel(x, static_cast<int>(std::lround(corner.Y))) & 0xFFFFFF) == 0) ++border;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 600; ++x)
      if ((screen.GetPixel(x, y) & 0xFFFFFF) == 0x808080) ++hatch;
  EXPECT_GT(border, 10);
  EXPECT_GT(hatch, 10);
  EXPECT_EQ(text.GetCurbLeft(), 2.0f);
  // The caret shows in its blink phase only, in navy.
  const auto navy = [&] {
    int count = 0;
    for (int y = 0; y < 400; ++y)
      for (int x = 0; x < 600; ++x)
        if ((screen.GetPixel(x, y) & 0xFFFFFF) == 0x000080) ++count;
    return count;
  };
  EXPECT_EQ(navy(), 0);
  text.CaretTick();
  text.PaintEditState(canvas);
  EXPECT_GT(navy(), 10);
}

// While the document edits a text in place, the edit border stands where the
// resize handles were: they are not drawn under it.
TEST_F(TextShapeTest, NoResizeHandlesUnderTheEditBorder) {
  Document.Scale = 10;
  auto& text = Add<TdocTextShape>(u"abc");
  text.SetSelected(true);
  const auto handlePixels = [&] {
    TBitmap32 screen;
    screen.SetSize(600, 400);
    screen.Clear(0xFFFFFFFFu);
    text.PaintHandles(screen.GetCanvas());
    int drawn = 0;
    for (int y = 0; y < 400; ++y)
      for (int x = 0; x < 600; ++x) drawn += screen.GetPixel(x, y) != 0xFFFFFFFFu;
    return drawn;
  };
  EXPECT_GT(handlePixels(), 20);
  Document.EditShape = &text;
  text.StartEdit();
  EXPECT_TRUE(text.IsEditing());
  EXPECT_EQ(handlePixels(), 0);
  Document.EditShape = nullptr;
  text.EndEdit(true);
  EXPECT_FALSE(text.IsEditing());
  EXPECT_GT(handlePixels(), 20);
}

}  // namespace
