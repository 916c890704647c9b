// Glyph outlines in the engine's record form, read back by a parser written
// here from the record layout and compared segment by segment with
// FreeType's own decomposition of the same glyph at the same size.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/gdi/Font.h"
#include "platform/gdi/GlyphOutline.h"

namespace {

constexpr int kEm = 1000;

struct TVec {
  double X = 0, Y = 0;  // 16.16 pixels
};

enum class TKind { Move, Line, Conic, Cubic };

struct TSegment {
  TKind Kind;
  std::vector<TVec> Points;  // controls, then the end point
  bool ImplicitEnd = false;  // an on-curve point the records leave implicit
};

using TSegments = std::vector<TSegment>;

double Distance(TVec a, TVec b) { return std::hypot(a.X - b.X, a.Y - b.Y); }

// --- The reference: FreeType decomposing its own outline.
TVec FromFt(const FT_Vector* v) { return {v->x * 1024.0, v->y * 1024.0}; }

int Push(TSegments& out, TKind kind, std::vector<TVec> points) {
  out.push_back({kind, std::move(points)});
  return 0;
}

TSegments Decompose(FT_Outline& outline) {
  FT_Outline_Funcs funcs{};
  funcs.move_to = [](const FT_Vector* to, void* user) {
    return Push(*static_cast<TSegments*>(user), TKind::Move, {FromFt(to)});
  };
  funcs.line_to = [](const FT_Vector* to, void* user) {
    return Push(*static_cast<TSegments*>(user), TKind::Line, {FromFt(to)});
  };
  funcs.conic_to = [](const FT_Vector* c, const FT_Vector* to, void* user) {
    return Push(*static_cast<TSegments*>(user), TKind::Conic, {FromFt(c), FromFt(to)});
  };
  funcs.cubic_to = [](const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    return Push(*static_cast<TSegments*>(user), TKind::Cubic, {FromFt(c1), FromFt(c2), FromFt(to)});
  };
  TSegments segments;
  EXPECT_EQ(FT_Outline_Decompose(&outline, &funcs, &segments), 0);
  return segments;
}

// --- Our records, read by the layout: header (size, type 24, start), then
// curve records (type, count, points) up to the contour's size.
std::int32_t Int32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::int32_t>(std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 |
                                   std::uint32_t{b[at + 2]} << 16 | std::uint32_t{b[at + 3]} << 24);
}

int UInt16At(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | b[at + 1] << 8; }

TVec PointAt(const std::vector<std::uint8_t>& b, std::size_t at) { return {double(Int32At(b, at)), double(Int32At(b, at + 4))}; }

TSegments ParseRecords(const std::vector<std::uint8_t>& b) {
  TSegments segments;
  std::size_t at = 0;
  while (at < b.size()) {
    const auto size = static_cast<std::size_t>(Int32At(b, at));
    EXPECT_EQ(Int32At(b, at + 4), 24);
    EXPECT_LE(at + size, b.size());
    const std::size_t end = at + size;
    segments.push_back({TKind::Move, {PointAt(b, at + 8)}});
    at += 16;
    while (at < end) {
      const int type = UInt16At(b, at), count = UInt16At(b, at + 2);
      std::vector<TVec> points;
      for (int i = 0; i < count; ++i) points.push_back(PointAt(b, at + 4 + 8 * i));
      at += 4 + 8 * std::size_t(count);
      EXPECT_TRUE(type == 1 || type == 2);
      for (int i = 0; type == 1 && i < count; ++i) segments.push_back({TKind::Line, {points[i]}});
      for (int i = 0; type == 2 && i + 1 < count; ++i) {
        const bool last = i + 2 == count;
        const TVec p = last ? points[i + 1]
                            : TVec{(points[i].X + points[i + 1].X) / 2, (points[i].Y + points[i + 1].Y) / 2};
        segments.push_back({TKind::Conic, {points[i], p}, !last});
      }
    }
  }
  return segments;
}

// Closing lines are implicit in the records and explicit in FreeType's
// walk; zero-length lines draw nothing. Both are dropped on both sides.
TSegments WithoutClosingLines(const TSegments& in) {
  TSegments out;
  TVec start, current;
  for (const TSegment& s : in) {
    if (s.Kind == TKind::Move) start = s.Points[0];
    const bool closing = s.Kind == TKind::Line && Distance(s.Points[0], start) == 0;
    const bool empty = s.Kind == TKind::Line && Distance(s.Points[0], current) == 0;
    if (!closing && !empty) out.push_back(s);
    current = s.Points.back();
  }
  return out;
}

TVec Bezier(const std::vector<TVec>& p, double t) {
  std::vector<TVec> q = p;
  for (std::size_t n = q.size(); n > 1; --n)
    for (std::size_t i = 0; i + 1 < n; ++i) q[i] = {q[i].X + (q[i + 1].X - q[i].X) * t, q[i].Y + (q[i + 1].Y - q[i].Y) * t};
  return q[0];
}

// FreeType's midpoints are truncated to 1/64 pixel, ours are exact.
constexpr double kMidpointSlack = 1024;
// Quadratic pieces stand within a quarter pixel of the cubic they replace.
constexpr double kCubicSlack = 0.25 * 65536 + 2;

void ExpectSameOutline(const TSegments& reference, const TSegments& ours, const std::string& what) {
  std::size_t j = 0;
  TVec current;
  for (const TSegment& ref : reference) {
    ASSERT_LT(j, ours.size()) << what;
    if (ref.Kind != TKind::Cubic) {
      const TSegment& our = ours[j++];
      ASSERT_EQ(int(our.Kind), int(ref.Kind)) << what;
      for (std::size_t k = 0; k < ref.Points.size(); ++k) {
        const bool implicit = our.ImplicitEnd && k + 1 == ref.Points.size();
        EXPECT_LE(Distance(our.Points[k], ref.Points[k]), implicit ? kMidpointSlack : 0) << what;
      }
      current = ref.Points.back();
      continue;
    }
    // The quadratic pieces up to the cubic's end, each compared with the
    // stretch of the cubic it stands for.
    std::vector<TVec> cubic = {current, ref.Points[0], ref.Points[1], ref.Points[2]};
    std::size_t first = j;
    while (j < ours.size() && ours[j].Kind == TKind::Conic && Distance(ours[j].Points[1], ref.Points[2]) > 0) ++j;
    ASSERT_LT(j, ours.size()) << what;
    const std::size_t pieces = ++j - first;
    TVec from = current;
    for (std::size_t p = 0; p < pieces; ++p) {
      const std::vector<TVec> quad = {from, ours[first + p].Points[0], ours[first + p].Points[1]};
      for (double u = 0; u <= 1.0; u += 0.125)
        EXPECT_LE(Distance(Bezier(quad, u), Bezier(cubic, (double(p) + u) / double(pieces))), kCubicSlack) << what;
      from = quad[2];
    }
    current = ref.Points[2];
  }
  EXPECT_EQ(j, ours.size()) << what;
}

struct TFaceCase {
  const char* Family;
  const char* Path;
  bool Cubic;
};

class GlyphOutlineTest : public testing::TestWithParam<TFaceCase> {
protected:
  void SetUp() override {
    if (!std::filesystem::exists(GetParam().Path)) GTEST_SKIP() << GetParam().Path << " is not installed";
    ASSERT_EQ(FT_Init_FreeType(&Library), 0);
    ASSERT_EQ(FT_New_Face(Library, GetParam().Path, 0, &Face), 0);
    FT_Set_Char_Size(Face, 0, kEm * 64, 72, 72);
  }
  void TearDown() override {
    if (Face) FT_Done_Face(Face);
    if (Library) FT_Done_FreeType(Library);
  }

  FT_Library Library = nullptr;
  FT_Face Face = nullptr;
};

gdi::TOutlineFont MakeFont(const char* family) {
  TFont font;
  font.SetName(family);
  font.SetHeight(-kEm);
  return gdi::TOutlineFont(font);
}

TEST_P(GlyphOutlineTest, RecordsTraceFreeTypesOutlineAndMetricsBoundIt) {
  const gdi::TOutlineFont font = MakeFont(GetParam().Family);
  bool sawCubic = false;
  for (char16_t code : std::u16string(u"AgQ@&%8Bos\u00DF\u20AC\u00E9")) {
    const std::string what = std::string(GetParam().Family) + " U+" + std::to_string(int(code));
    const gdi::TGlyphOutline outline = font.GetGlyphOutline(code);
    ASSERT_EQ(FT_Load_Char(Face, code, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP), 0);
    const TSegments reference = WithoutClosingLines(Decompose(Face->glyph->outline));
    for (const TSegment& s : reference) sawCubic = sawCubic || s.Kind == TKind::Cubic;
    ExpectSameOutline(reference, WithoutClosingLines(ParseRecords(outline.Records)), what);

    EXPECT_EQ(outline.Metrics.CellIncX, std::lround(Face->glyph->linearHoriAdvance / 65536.0)) << what;
    // The black box holds every on-curve point and is at most a pixel
    // wider than the control box on each side.
    const gdi::TGlyphMetrics& m = outline.Metrics;
    FT_BBox cbox;
    FT_Outline_Get_CBox(&Face->glyph->outline, &cbox);
    for (const TSegment& s : reference) {
      const TVec p = s.Points.back();
      EXPECT_GE(p.X / 65536, m.GlyphOrigin.X) << what;
      EXPECT_LE(p.X / 65536, m.GlyphOrigin.X + double(m.BlackBoxX)) << what;
      EXPECT_LE(p.Y / 65536, m.GlyphOrigin.Y) << what;
      EXPECT_GE(p.Y / 65536, m.GlyphOrigin.Y - double(m.BlackBoxY)) << what;
    }
    EXPECT_GE(m.GlyphOrigin.X, std::floor(cbox.xMin / 64.0)) << what;
    EXPECT_LE(m.GlyphOrigin.Y, std::ceil(cbox.yMax / 64.0)) << what;
  }
  EXPECT_EQ(sawCubic, GetParam().Cubic);
}

TEST_P(GlyphOutlineTest, SpaceHasAnAdvanceAndNoOutline) {
  const gdi::TGlyphOutline space = MakeFont(GetParam().Family).GetGlyphOutline(u' ');
  EXPECT_TRUE(space.Records.empty());
  EXPECT_EQ(space.Metrics.BlackBoxX, 0u);
  ASSERT_EQ(FT_Load_Char(Face, ' ', FT_LOAD_NO_HINTING), 0);
  EXPECT_EQ(space.Metrics.CellIncX, std::lround(Face->glyph->linearHoriAdvance / 65536.0));
}

TEST_P(GlyphOutlineTest, TextMetricsAreTheWinAscentAndDescentAtTheEm) {
  const gdi::TOutlineTextMetrics metrics = MakeFont(GetParam().Family).GetOutlineTextMetrics();
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(Face, FT_SFNT_OS2));
  ASSERT_NE(os2, nullptr);
  EXPECT_EQ(metrics.Ascent, std::lround(os2->usWinAscent * double(kEm) / Face->units_per_EM));
  EXPECT_EQ(metrics.Descent, std::lround(os2->usWinDescent * double(kEm) / Face->units_per_EM));
}

INSTANTIATE_TEST_SUITE_P(
    Faces, GlyphOutlineTest,
    testing::Values(TFaceCase{"DejaVu Sans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", false},
                    TFaceCase{"Liberation Serif", "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf", false},
                    TFaceCase{"Cantarell", "/usr/share/fonts/opentype/cantarell/Cantarell-Regular.otf", true}),
    [](const testing::TestParamInfo<TFaceCase>& info) {
      std::string name = info.param.Family;
      std::erase(name, ' ');
      return name;
    });

}  // namespace
