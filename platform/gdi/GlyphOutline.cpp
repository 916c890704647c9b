#include "platform/gdi/GlyphOutline.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BBOX_H

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <span>

#include "platform/gdi/Font.h"
#include "platform/gdi/RealizedFont.h"
#include "platform/rtl/BinaryIO.h"

namespace gdi {
namespace {

// Quadratic pieces stand in for a cubic within this distance, in pixels.
constexpr double kCubicTolerance = 0.25;
// The exact bound of a single quadratic's distance from a cubic is
// sqrt(3) / 36 x |p3 - 3 c2 + 3 c1 - p0|; n equal pieces divide it by n^3.
constexpr double kCubicErrorFactor = 0.048112522432468816;
constexpr int kMaxCubicPieces = 64;

// 16.16 pixels; FreeType's 26.6 values scale by 1024.
struct TFixedVector {
  std::int32_t X = 0;
  std::int32_t Y = 0;
};

std::int32_t SaturatedFixed(double value) {
  constexpr double kLow = std::numeric_limits<std::int32_t>::min();
  constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::nearbyint(std::clamp(value, kLow, kHigh)));
}

TFixedVector FromFreeType(const FT_Vector& v) { return {SaturatedFixed(v.x * 1024.0), SaturatedFixed(v.y * 1024.0)}; }

// Exact: both halves of a 26.6 value scaled by 1024 are whole numbers.
TFixedVector Midpoint(TFixedVector a, TFixedVector b) {
  return {static_cast<std::int32_t>((std::int64_t{a.X} + b.X) / 2),
          static_cast<std::int32_t>((std::int64_t{a.Y} + b.Y) / 2)};
}

// Appends records to the buffer and patches each contour's byte size when
// the contour ends.
class TRecordWriter {
public:
  explicit TRecordWriter(std::vector<std::uint8_t>& out) : Out(out) {}

  void BeginContour(TFixedVector start) {
    ContourStart = Out.size();
    Append<std::uint32_t>(0);
    Append<std::uint32_t>(TT_POLYGON_TYPE);
    AppendPoint(start);
    LineRecord = kNoRecord;
  }

  // Consecutive lines share one record.
  void AddLine(TFixedVector to) {
    if (LineRecord == kNoRecord || PointCountAt(LineRecord) == std::numeric_limits<std::uint16_t>::max())
      LineRecord = BeginRecord(TT_PRIM_LINE);
    AddPointTo(LineRecord, to);
  }

  // One spline run: control points, the last point on the curve.
  void AddSpline(std::span<const TFixedVector> points) {
    const std::size_t record = BeginRecord(TT_PRIM_QSPLINE);
    for (const TFixedVector& p : points) AddPointTo(record, p);
    LineRecord = kNoRecord;
  }

  void EndContour() {
    rtl::ToLittleEndian(static_cast<std::uint32_t>(Out.size() - ContourStart), Out.data() + ContourStart);
  }

private:
  // A plain offset rather than an optional: GCC's flow analysis cannot see
  // through an optional offset and warns at -O2 -g that it may be unset.
  static constexpr std::size_t kNoRecord = std::numeric_limits<std::size_t>::max();

  template <class T>
  void Append(T value) {
    const std::size_t at = Out.size();
    Out.resize(at + sizeof(T));
    rtl::ToLittleEndian(value, Out.data() + at);
  }

  void AppendPoint(TFixedVector p) {
    Append(p.X);
    Append(p.Y);
  }

  std::size_t BeginRecord(std::uint16_t type) {
    const std::size_t at = Out.size();
    Append(type);
    Append<std::uint16_t>(0);
    return at;
  }

  std::uint16_t PointCountAt(std::size_t record) const { return rtl::FromLittleEndian<std::uint16_t>(&Out[record + 2]); }

  void AddPointTo(std::size_t record, TFixedVector p) {
    rtl::ToLittleEndian(static_cast<std::uint16_t>(PointCountAt(record) + 1), Out.data() + record + 2);
    AppendPoint(p);
  }

  std::vector<std::uint8_t>& Out;
  std::size_t ContourStart = 0;
  std::size_t LineRecord = kNoRecord;
};

struct TDoublePoint {
  double X, Y;
};

TDoublePoint Lerp(TDoublePoint a, TDoublePoint b, double t) { return {a.X + (b.X - a.X) * t, a.Y + (b.Y - a.Y) * t}; }

TDoublePoint ToDouble(TFixedVector v) { return {double(v.X), double(v.Y)}; }

TFixedVector ToFixed(TDoublePoint p) { return {SaturatedFixed(p.X), SaturatedFixed(p.Y)}; }

// The piece of a cubic between parameters t0 and t1, by de Casteljau.
std::array<TDoublePoint, 4> CubicPiece(const std::array<TDoublePoint, 4>& c, double t0, double t1) {
  const auto at = [&](double t) {
    const TDoublePoint a = Lerp(c[0], c[1], t), b = Lerp(c[1], c[2], t), d = Lerp(c[2], c[3], t);
    const TDoublePoint ab = Lerp(a, b, t), bd = Lerp(b, d, t);
    return std::array<TDoublePoint, 3>{ab, Lerp(ab, bd, t), bd};
  };
  // Derivatives give the inner control points of the sub-curve.
  const auto derivative = [&](double t) {
    const auto [ab, p, bd] = at(t);
    (void)p;
    return TDoublePoint{3 * (bd.X - ab.X), 3 * (bd.Y - ab.Y)};
  };
  const TDoublePoint p0 = at(t0)[1], p3 = at(t1)[1];
  const TDoublePoint d0 = derivative(t0), d1 = derivative(t1);
  const double h = (t1 - t0) / 3;
  return {p0, TDoublePoint{p0.X + d0.X * h, p0.Y + d0.Y * h}, TDoublePoint{p3.X - d1.X * h, p3.Y - d1.Y * h}, p3};
}

// Cubic (p0, c1, c2, p3) as quadratic runs of one control point each.
void AddCubic(TRecordWriter& writer, TFixedVector p0, TFixedVector c1, TFixedVector c2, TFixedVector p3) {
  const std::array<TDoublePoint, 4> cubic = {ToDouble(p0), ToDouble(c1), ToDouble(c2), ToDouble(p3)};
  const double dx = cubic[3].X - 3 * cubic[2].X + 3 * cubic[1].X - cubic[0].X;
  const double dy = cubic[3].Y - 3 * cubic[2].Y + 3 * cubic[1].Y - cubic[0].Y;
  const double error = kCubicErrorFactor * std::hypot(dx, dy) / 65536.0;
  const int pieces = std::clamp(static_cast<int>(std::ceil(std::cbrt(error / kCubicTolerance))), 1, kMaxCubicPieces);
  for (int i = 0; i < pieces; ++i) {
    const auto piece = CubicPiece(cubic, double(i) / pieces, double(i + 1) / pieces);
    const TDoublePoint control = {(3 * (piece[1].X + piece[2].X) - piece[0].X - piece[3].X) / 4,
                                  (3 * (piece[1].Y + piece[2].Y) - piece[0].Y - piece[3].Y) / 4};
    const TFixedVector run[2] = {ToFixed(control), i + 1 == pieces ? p3 : ToFixed(piece[3])};
    writer.AddSpline(run);
  }
}

struct TTaggedPoint {
  TFixedVector Point;
  char Tag;
};

// One contour of FreeType points, walked from its first point on the curve
// (or the midpoint of two control points) back to it. False when the
// contour breaks FreeType's rules (a lone cubic control point).
bool WriteContour(TRecordWriter& writer, std::span<const TTaggedPoint> points) {
  const TTaggedPoint& first = points.front();
  const TTaggedPoint& last = points.back();
  TFixedVector start = first.Point;
  std::span<const TTaggedPoint> rest = points.subspan(1);
  if (first.Tag == FT_CURVE_TAG_CONIC) {
    rest = points;
    if (last.Tag == FT_CURVE_TAG_ON) {
      start = last.Point;
      rest = points.first(points.size() - 1);
    } else {
      start = Midpoint(first.Point, last.Point);
    }
  } else if (first.Tag == FT_CURVE_TAG_CUBIC) {
    return false;
  }
  writer.BeginContour(start);
  TFixedVector current = start;
  std::vector<TFixedVector> run;
  const auto onCurveAt = [&](std::size_t i) { return i < rest.size() ? rest[i].Point : start; };
  for (std::size_t i = 0; i <= rest.size(); ++i) {
    const bool closing = i == rest.size();
    const char tag = closing ? char(FT_CURVE_TAG_ON) : rest[i].Tag;
    if (tag == FT_CURVE_TAG_CONIC) {
      run.push_back(rest[i].Point);
    } else if (tag == FT_CURVE_TAG_CUBIC) {
      if (!run.empty() || i + 1 >= rest.size() || rest[i + 1].Tag != FT_CURVE_TAG_CUBIC) return false;
      if (i + 2 < rest.size() && rest[i + 2].Tag != FT_CURVE_TAG_ON) return false;
      const TFixedVector end = onCurveAt(i + 2);
      AddCubic(writer, current, rest[i].Point, rest[i + 1].Point, end);
      current = end;
      i += 2;
    } else {
      const TFixedVector to = onCurveAt(i);
      if (!run.empty()) {
        run.push_back(to);
        writer.AddSpline(run);
        run.clear();
      } else if (!closing) {
        writer.AddLine(to);
      }
      current = to;
    }
  }
  writer.EndContour();
  return true;
}

std::vector<std::uint8_t> OutlineRecords(const FT_Outline& outline) {
  std::vector<std::uint8_t> records;
  TRecordWriter writer(records);
  std::vector<TTaggedPoint> contour;
  int first = 0;
  for (int c = 0; c < outline.n_contours; ++c) {
    const int last = outline.contours[c];
    if (last < first || last >= outline.n_points) return {};
    contour.clear();
    for (int i = first; i <= last; ++i)
      contour.push_back({FromFreeType(outline.points[i]), static_cast<char>(FT_CURVE_TAG(outline.tags[i]))});
    if (!WriteContour(writer, contour)) return {};
    first = last + 1;
  }
  return records;
}

int FloorPixel(FT_Pos v) { return static_cast<int>(std::floor(v / 64.0)); }
int CeilPixel(FT_Pos v) { return static_cast<int>(std::ceil(v / 64.0)); }

TGlyphMetrics InkMetrics(const FT_Outline& outline, int advance) {
  TGlyphMetrics metrics;
  metrics.CellIncX = static_cast<std::int16_t>(std::clamp(advance, -32768, 32767));
  if (outline.n_points == 0) return metrics;
  FT_BBox box{};
  FT_Outline_Get_BBox(const_cast<FT_Outline*>(&outline), &box);
  metrics.GlyphOrigin = TPoint{FloorPixel(box.xMin), CeilPixel(box.yMax)};
  metrics.BlackBoxX = static_cast<std::uint32_t>(CeilPixel(box.xMax) - metrics.GlyphOrigin.X);
  metrics.BlackBoxY = static_cast<std::uint32_t>(metrics.GlyphOrigin.Y - FloorPixel(box.yMin));
  return metrics;
}

}  // namespace

TOutlineFont::TOutlineFont(const TFont& font) : Realized(std::make_unique<TRealizedFont>(RealizeFont(font))) {}

TOutlineFont::~TOutlineFont() = default;

TOutlineTextMetrics TOutlineFont::GetOutlineTextMetrics() const { return {Realized->Ascent, Realized->Descent}; }

TGlyphOutline TOutlineFont::GetGlyphOutline(char16_t code) const {
  const unsigned glyph = Realized->GlyphIndex(code);
  FT_Set_Char_Size(Realized->Face, 0, std::lround(Realized->EmPixels * 64), 72, 72);
  FT_Set_Transform(Realized->Face, nullptr, nullptr);
  TGlyphOutline result;
  FT_Outline* outline = Realized->LoadStyledOutline(glyph);
  const int advance = Realized->Advance(glyph);
  if (outline == nullptr) {
    result.Metrics.CellIncX = static_cast<std::int16_t>(std::clamp(advance, -32768, 32767));
    return result;
  }
  if (Realized->SyntheticItalic) {
    FT_Matrix shear{0x10000, kObliqueShear, 0, 0x10000};
    FT_Outline_Transform(outline, &shear);
  }
  result.Metrics = InkMetrics(*outline, advance);
  result.Records = OutlineRecords(*outline);
  return result;
}

}  // namespace gdi
