// "Fonts.dat": read by a parser written here from the layout, round trips,
// repeated open/save cycles, stored fonts meeting fonts already present,
// and lying or cut streams.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "document/text/FontManager.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Stream.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

// --- The layout, parsed independently.
struct TParsedGlyph {
  std::uint16_t Code = 0;
  std::int32_t Metrics[6] = {};
  std::optional<TArrayOfArrayOfFixedPoint> Outline;
};

struct TParsedFont {
  std::string Name;
  std::uint8_t Style = 0;
  std::int32_t Ascent = 0, Descent = 0, RefCount = 0;
  std::vector<TParsedGlyph> Glyphs;
};

class TParser {
public:
  explicit TParser(const TBytes& bytes) : B(bytes) {}

  std::vector<TParsedFont> Parse() {
    EXPECT_EQ(std::string(B.begin(), B.begin() + 3), "FNT");
    At = 3;
    EXPECT_EQ(U16(), 256);
    std::vector<TParsedFont> fonts(static_cast<std::size_t>(I32()));
    for (TParsedFont& f : fonts) {
      const std::int32_t length = I32();
      f.Name.assign(B.begin() + At, B.begin() + At + length);
      At += length;
      f.Style = B[At++];
      f.Ascent = I32();
      f.Descent = I32();
      f.RefCount = I32();
      f.Glyphs.resize(static_cast<std::size_t>(I32()));
      for (TParsedGlyph& g : f.Glyphs) {
        g.Code = U16();
        for (std::int32_t& m : g.Metrics) m = I32();
        if (B[At++] == 0) continue;
        g.Outline.emplace(static_cast<std::size_t>(I32()));
        for (TArrayOfFixedPoint& contour : *g.Outline) {
          contour.resize(static_cast<std::size_t>(I32()));
          for (TFixedPoint& p : contour) p = {I32(), I32()};
        }
      }
    }
    EXPECT_EQ(At, B.size());
    return fonts;
  }

private:
  std::uint16_t U16() {
    At += 2;
    return static_cast<std::uint16_t>(B[At - 2] | B[At - 1] << 8);
  }
  std::int32_t I32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t{B[At + i]} << (8 * i);
    At += 4;
    return static_cast<std::int32_t>(v);
  }
  const TBytes& B;
  std::size_t At = 0;
};

// --- Streams written by hand for the lying cases.
class TWriter {
public:
  TWriter& Raw(const std::string& s) {
    Bytes.insert(Bytes.end(), s.begin(), s.end());
    return *this;
  }
  TWriter& U8(std::uint8_t v) {
    Bytes.push_back(v);
    return *this;
  }
  TWriter& U16(std::uint16_t v) { return U8(static_cast<std::uint8_t>(v)).U8(static_cast<std::uint8_t>(v >> 8)); }
  TWriter& I32(std::int32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
    return *this;
  }
  TWriter& Header(std::int32_t fonts) { return Raw("FNT").U16(256).I32(fonts); }
  TWriter& Font(const std::string& name, std::int32_t ascent, std::int32_t descent, std::int32_t glyphs) {
    return I32(static_cast<std::int32_t>(name.size())).Raw(name).U8(0).I32(ascent).I32(descent).I32(1).I32(glyphs);
  }
  TWriter& GlyphMetrics(char16_t code) { return U16(code).I32(600).I32(600).I32(10).I32(700).I32(500).I32(700); }
  TBytes Bytes;
};

TBytes Save(const TdocFontManager& manager) {
  TMemoryStream stream;
  manager.SaveToStream(stream);
  return stream.Bytes();
}

std::vector<std::string> Load(TdocFontManager& manager, const TBytes& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(0);
  return manager.LoadFromStream(stream);
}

// Two fonts with a few glyphs each, a space among them.
void Fill(TdocFontManager& manager) {
  TdocFont* sans = manager.AcquireFont("DejaVu Sans", 0, nullptr);
  manager.AcquireFont("DejaVu Sans", 0, nullptr);
  TdocFont* serif = manager.AcquireFont("Liberation Serif", 1 | 2 | 4, nullptr);
  for (char16_t c : std::u16string(u"Wax yo")) sans->GetGlyph(c);
  for (char16_t c : std::u16string(u"Q\u20AC")) serif->GetGlyph(c);
}

TEST(FontsDat, LayoutHoldsEveryFontAndGlyphInOrder) {
  TdocFontManager manager;
  Fill(manager);
  const std::vector<TParsedFont> parsed = TParser(Save(manager)).Parse();
  ASSERT_EQ(parsed.size(), 2u);
  for (int f = 0; f < 2; ++f) {
    const TdocFont& font = *manager.GetFont(f);
    const TParsedFont& p = parsed[f];
    EXPECT_EQ(p.Name, font.GetName());
    EXPECT_EQ(p.Style, font.GetStyleBits());
    EXPECT_EQ(p.Ascent, font.Ascent);
    EXPECT_EQ(p.Descent, font.Descent);
    EXPECT_EQ(p.RefCount, font.RefCount);
    ASSERT_EQ(int(p.Glyphs.size()), font.GetGlyphs().GetCount());
    for (std::size_t g = 0; g < p.Glyphs.size(); ++g) {
      const TdocGlyph& glyph = *font.GetGlyphs()[int(g)];
      const TParsedGlyph& pg = p.Glyphs[g];
      if (g > 0) {
        EXPECT_LT(p.Glyphs[g - 1].Code, pg.Code);
      }
      EXPECT_EQ(pg.Code, glyph.Code);
      const std::int32_t metrics[6] = {glyph.Advance, glyph.Advance2, glyph.OriginX,
                                       glyph.OriginY, glyph.BlackBoxX, glyph.BlackBoxY};
      EXPECT_EQ(std::memcmp(pg.Metrics, metrics, sizeof metrics), 0) << char(pg.Code);
      EXPECT_EQ(pg.Outline.has_value(), glyph.Outline != nullptr) << char(pg.Code);
      if (pg.Outline && glyph.Outline) {
        EXPECT_EQ(*pg.Outline, glyph.Outline->GetPoints());
      }
    }
  }
  EXPECT_EQ(parsed[0].RefCount, 2);
  EXPECT_EQ(parsed[1].Style, 7);
  EXPECT_FALSE(parsed[0].Glyphs[0].Outline.has_value());  // the space comes first
}

TEST(FontsDat, WriteReadWriteIsIdenticalAndCyclesDoNotGrow) {
  TdocFontManager original;
  Fill(original);
  const TBytes first = Save(original);
  TdocFontManager reopened;
  Load(reopened, first);
  EXPECT_EQ(Save(reopened), first);
  // Opening the same document again in a manager that still holds its
  // fonts adds nothing; neither do further cycles.
  for (int cycle = 0; cycle < 3; ++cycle) {
    Load(reopened, first);
    Load(original, first);
  }
  EXPECT_EQ(reopened.GetFontCount(), 2);
  EXPECT_EQ(Save(reopened), first);
  EXPECT_EQ(Save(original), first);
}

TEST(FontsDat, StoredGlyphsJoinAFontAlreadyPresent) {
  TdocFontManager saved;
  TdocFont* stored = saved.AcquireFont("DejaVu Sans", 0, nullptr);
  for (char16_t c : std::u16string(u"AB")) stored->GetGlyph(c);
  TdocFontManager present;
  TdocFont* font = present.AcquireFont("DejaVu Sans", 0, nullptr);
  font->GetGlyph(u'A');
  TdocGlyph* presentA = font->GetGlyph(u'A');
  Load(present, Save(saved));
  ASSERT_EQ(present.GetFontCount(), 1);
  EXPECT_EQ(font->RefCount, 1);
  ASSERT_EQ(font->GetGlyphs().GetCount(), 2);
  EXPECT_EQ(font->GetGlyph(u'A'), presentA);
  EXPECT_EQ(font->GetGlyph(u'B')->font, font);
}

TEST(FontsDat, StoredMetricsAndGlyphsOutliveTheEngineFace) {
  // A stored "DejaVu Sans" with its own metrics and a triangle for 'A'.
  const TBytes bytes = TWriter()
                           .Header(1)
                           .Font("DejaVu Sans", 123, 45, 1)
                           .GlyphMetrics(u'A')
                           .U8(1)
                           .I32(1)
                           .I32(3)
                           .I32(0).I32(0).I32(65536).I32(0).I32(0).I32(65536)
                           .Bytes;
  TdocFontManager manager;
  Load(manager, bytes);
  ASSERT_EQ(manager.GetFontCount(), 1);
  TdocFont* font = manager.AcquireFont("DejaVu Sans", 0, nullptr);
  EXPECT_EQ(font, manager.GetFont(0));
  // The stored use stays apart from the shape's: a document moves it over
  // when it reads the page of the shape.
  EXPECT_EQ(font->RefCount, 1);
  EXPECT_EQ(font->GetUseCount(), 2);
  const TdocGlyph* a = font->GetGlyph(u'A');
  ASSERT_TRUE(a->Outline);
  EXPECT_EQ(a->Outline->GetPoints(), (TArrayOfArrayOfFixedPoint{{{0, 0}, {65536, 0}, {0, 65536}}}));
  // A glyph the stream lacks comes from the engine; the stored metrics stay.
  EXPECT_TRUE(font->GetGlyph(u'B')->Outline);
  EXPECT_TRUE(font->HasHandle());
  EXPECT_EQ(font->Ascent, 123);
  EXPECT_EQ(font->Descent, 45);
}

TEST(FontsDat, LyingAndCutStreamsAreRefusedAndChangeNothing) {
  const std::string corrupt = "Font file is corrupt or incorrect";
  struct TCase {
    const char* Name;
    TBytes Bytes;
    std::string Message;
  };
  const TCase cases[] = {
      {"other letters", TWriter().Raw("FNX").U16(256).I32(0).Bytes, corrupt},
      {"version 255", TWriter().Raw("FNT").U16(255).I32(0).Bytes, "Font file has unknown version"},
      {"shorter than the signature", TWriter().Raw("FN").Bytes, "Stream read error"},
      {"negative font count", TWriter().Header(-1).Bytes, corrupt},
      {"font count beyond the stream", TWriter().Header(0x7FFFFFFF).Font("A", 1, 1, 0).Bytes, corrupt},
      {"name longer than the stream", TWriter().Header(1).I32(1000).Raw("DejaVu Sans").U8(0).I32(0).I32(0).I32(0).I32(0).Bytes,
       corrupt},
      {"negative glyph count", TWriter().Header(1).Font("A", 1, 1, -5).Bytes, corrupt},
      {"glyph count beyond the stream", TWriter().Header(1).Font("A", 1, 1, 1000000).GlyphMetrics(u'x').U8(0).Bytes,
       corrupt},
      {"contour count beyond the stream", TWriter().Header(1).Font("A", 1, 1, 1).GlyphMetrics(u'x').U8(1).I32(1 << 30).Bytes,
       corrupt},
      {"negative point count", TWriter().Header(1).Font("A", 1, 1, 1).GlyphMetrics(u'x').U8(1).I32(1).I32(-1).Bytes,
       corrupt},
      {"point count beyond the stream",
       TWriter().Header(1).Font("A", 1, 1, 1).GlyphMetrics(u'x').U8(1).I32(1).I32(1 << 28).I32(0).I32(0).Bytes, corrupt},
      // Counts are checked against the least their records need, so only a
      // fixed field can still run past the end.
      {"cut inside the glyph count", TWriter().Header(1).I32(3).Raw("ABC").U8(0).I32(1).I32(1).I32(1).U16(0).Bytes,
       "Stream read error"},
  };
  for (const TCase& c : cases) {
    TdocFontManager manager;
    manager.AcquireFont("DejaVu Sans", 0, nullptr);
    try {
      Load(manager, c.Bytes);
      ADD_FAILURE() << c.Name << ": accepted";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.GetMessage(), c.Message) << c.Name;
    }
    EXPECT_EQ(manager.GetFontCount(), 1) << c.Name;
  }
}

// Glyphs of up to MaxGlyphPoints points are kept; a bigger one, in one
// contour or spread over several, is read past and told, and the glyphs
// after it are read as usual.
TEST(FontsDat, GlyphsOfTooManyPointsAreLeftOutAndTold) {
  const auto star = [](TWriter& writer, char16_t code, const std::vector<std::int32_t>& contours) -> TWriter& {
    writer.GlyphMetrics(code).U8(1).I32(static_cast<std::int32_t>(contours.size()));
    for (std::int32_t points : contours) {
      writer.I32(points);
      for (std::int32_t i = 0; i < points; ++i) writer.I32(i * 65536).I32((i % 7) * 65536);
    }
    return writer;
  };
  const std::int32_t most = static_cast<std::int32_t>(MaxGlyphPoints);
  TWriter writer;
  writer.Header(1).Font("DejaVu Sans", 900, 200, 4);
  star(writer, u'a', {most});
  star(writer, u'b', {most + 1});
  star(writer, u'c', {most / 2, most / 2 + 1, 3});
  star(writer, u'd', {4});
  TdocFontManager manager;
  const std::vector<std::string> told = Load(manager, writer.Bytes);
  const std::string expected[] = {
      "A glyph of 16385 points in the label's fonts is left out: a glyph may have at most 16384 points",
      "A glyph of 16388 points in the label's fonts is left out: a glyph may have at most 16384 points"};
  EXPECT_EQ(told, std::vector<std::string>(std::begin(expected), std::end(expected)));
  ASSERT_EQ(manager.GetFontCount(), 1);
  const TdocGlyphList& glyphs = manager.GetFont(0)->GetGlyphs();
  ASSERT_EQ(glyphs.GetCount(), 2);
  EXPECT_EQ(glyphs.GetItem(0)->Code, u'a');
  EXPECT_EQ(TdocGlyph::PointCount(*glyphs.GetItem(0)->Outline), MaxGlyphPoints);
  EXPECT_EQ(glyphs.GetItem(1)->Code, u'd');
  ASSERT_TRUE(glyphs.GetItem(1)->Outline);
  EXPECT_EQ(glyphs.GetItem(1)->Outline->GetPoints().at(0).size(), 4u);
}

}  // namespace
