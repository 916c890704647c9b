#include "document/text/GlyphPolygon.h"

#include <cstdlib>
#include <vector>

#include "platform/gdi/GlyphOutline.h"
#include "platform/rtl/BinaryIO.h"

namespace {

// A flattened half whose control polygon is at most 20 font units long
// (in 16.16) becomes two straight edges.
constexpr std::int64_t kFlatness = 20 * 65536;

TFixed Half(std::int64_t sum) { return static_cast<TFixed>(sum / 2); }

TFixedPoint Mid(const TFixedPoint& a, const TFixedPoint& b) {
  return {Half(std::int64_t{a.X} + b.X), Half(std::int64_t{a.Y} + b.Y)};
}

std::int64_t Manhattan(const TFixedPoint& a, const TFixedPoint& b) {
  return std::llabs(std::int64_t{a.X} - b.X) + std::llabs(std::int64_t{a.Y} - b.Y);
}

void FlattenQuadratic(TArrayOfFixedPoint& out, const TFixedPoint& p0, const TFixedPoint& p1, const TFixedPoint& p2) {
  if (p0 == p1 || p1 == p2) {
    out.push_back(p1);
    out.push_back(p2);
    return;
  }
  const TFixedPoint q0 = Mid(p1, p0);
  const TFixedPoint q1 = Mid(p2, p1);
  const TFixedPoint r = Mid(q0, q1);
  if (Manhattan(p0, q0) + Manhattan(q0, r) <= kFlatness) {
    out.push_back(q0);
    out.push_back(r);
  } else {
    FlattenQuadratic(out, p0, q0, r);
  }
  if (Manhattan(r, q1) + Manhattan(q1, p2) <= kFlatness) {
    out.push_back(q1);
    out.push_back(p2);
  } else {
    FlattenQuadratic(out, r, q1, p2);
  }
}

class TRecordReader {
public:
  explicit TRecordReader(std::span<const std::uint8_t> bytes) : Bytes(bytes) {}

  std::size_t Left() const { return Bytes.size() - Position; }
  template <class T>
  T Read() {
    const T value = rtl::FromLittleEndian<T>(Bytes.data() + Position);
    Position += sizeof(T);
    return value;
  }
  TFixedPoint ReadPoint() {
    const TFixed x = Read<std::int32_t>();
    return {x, Read<std::int32_t>()};
  }
  std::size_t GetPosition() const { return Position; }
  void SkipTo(std::size_t position) { Position = position; }

private:
  std::span<const std::uint8_t> Bytes;
  std::size_t Position = 0;
};

void AddDistinct(TArrayOfFixedPoint& points, const TFixedPoint& p) {
  if (points.empty() || points.back() != p) points.push_back(p);
}

void ReadSpline(TRecordReader& reader, std::uint16_t count, TArrayOfFixedPoint& points) {
  if (count == 0) return;
  TFixedPoint p0 = points.back();
  TFixedPoint control = reader.ReadPoint();
  for (int i = 0; i + 1 < count; ++i) {
    const TFixedPoint next = reader.ReadPoint();
    const TFixedPoint end = i + 2 == count ? next : Mid(control, next);
    FlattenQuadratic(points, p0, control, end);
    p0 = end;
    control = next;
  }
}

// Reads the curve records of one contour up to contourEnd.
void ReadContour(TRecordReader& reader, std::size_t contourEnd, TArrayOfFixedPoint& points) {
  const TFixedPoint start = reader.ReadPoint();
  points.push_back(start);
  while (contourEnd - reader.GetPosition() >= gdi::kCurveHeaderSize) {
    const auto type = reader.Read<std::uint16_t>();
    const auto count = reader.Read<std::uint16_t>();
    if (contourEnd - reader.GetPosition() < std::size_t{count} * gdi::kPointFxSize) break;
    if (type == gdi::TT_PRIM_LINE) {
      for (int i = 0; i < count; ++i) AddDistinct(points, reader.ReadPoint());
    } else if (type == gdi::TT_PRIM_QSPLINE) {
      ReadSpline(reader, count, points);
    } else {
      for (int i = 0; i < count; ++i) reader.ReadPoint();
    }
  }
  if (points.back() != start) points.push_back(start);
}

TFixed Negated(TFixed v) { return v == INT32_MIN ? INT32_MAX : -v; }

}  // namespace

void OutlineToPolygon(std::span<const std::uint8_t> records, TPolygon32& polygon) {
  TRecordReader reader(records);
  TArrayOfArrayOfFixedPoint contours;
  while (reader.Left() > gdi::kPolygonHeaderSize) {
    const std::size_t contourStart = reader.GetPosition();
    const auto size = reader.Read<std::uint32_t>();
    reader.Read<std::uint32_t>();  // the type
    if (size < gdi::kPolygonHeaderSize || size > records.size() - contourStart) break;
    TArrayOfFixedPoint& points = contours.emplace_back();
    ReadContour(reader, contourStart + size, points);
    reader.SkipTo(contourStart + size);
  }
  for (std::size_t i = 0; i < contours.size(); ++i) {
    if (i > 0) polygon.NewLine();
    for (TFixedPoint& p : contours[i]) p.Y = Negated(p.Y);
    polygon.AddPoints(contours[i].data(), contours[i].size());
  }
}

int GlyphOrientation(const TPolygon32* outline) {
  if (outline == nullptr) return 0;
  // Wraps like the 64-bit sum it stands for, without overflowing.
  std::uint64_t sum = 0;
  for (const TArrayOfFixedPoint& contour : outline->GetPoints()) {
    if (contour.size() < 3) continue;
    for (std::size_t i = 0; i < contour.size(); ++i) {
      const TFixedPoint& a = contour[i];
      const TFixedPoint& b = contour[(i + 1) % contour.size()];
      sum += static_cast<std::uint64_t>(std::int64_t{a.X} * b.Y) - static_cast<std::uint64_t>(std::int64_t{b.X} * a.Y);
    }
  }
  const auto signedSum = static_cast<std::int64_t>(sum);
  return signedSum > 0 ? 1 : signedSum < 0 ? 2 : 0;
}
