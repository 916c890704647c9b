#include "platform/gdi/StretchCopy.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace gdi {
namespace {

// One destination row or column: the source indices it reads and their
// weights (for nearest, one index of weight 1).
struct TContribution {
  int Index;
  double Weight;
};
using TAxisMap = std::vector<std::vector<TContribution>>;

// Destination positions [first, last) of an axis that lie on the surface.
struct TAxisRange {
  std::int64_t First;
  std::int64_t Last;
};

TAxisRange VisibleRange(std::int32_t start, std::int64_t length, int extent) {
  return TAxisRange{std::max<std::int64_t>(start, 0), std::min<std::int64_t>(std::int64_t{start} + length, extent)};
}

TAxisMap NearestAxis(const TAxisRange& range, std::int32_t destStart, std::int64_t destLength,
                     std::int32_t sourceStart, std::int64_t sourceLength, int sourceExtent) {
  TAxisMap map;
  for (std::int64_t d = range.First; d < range.Last; ++d) {
    const auto offset = ((__int128{d} - destStart) * 2 + 1) * sourceLength / (__int128{destLength} * 2);
    const auto s = static_cast<std::int64_t>(sourceStart + offset);
    map.push_back({});
    if (s >= 0 && s < sourceExtent) map.back().push_back({static_cast<int>(s), 1.0});
  }
  return map;
}

TAxisMap AreaAxis(const TAxisRange& range, std::int32_t destStart, std::int64_t destLength,
                  std::int32_t sourceStart, std::int64_t sourceLength, int sourceExtent) {
  TAxisMap map;
  const double step = double(sourceLength) / double(destLength);
  for (std::int64_t d = range.First; d < range.Last; ++d) {
    const double from = sourceStart + double(d - destStart) * step;
    const double to = from + step;
    map.push_back({});
    const auto first = std::max<std::int64_t>(static_cast<std::int64_t>(std::floor(from)), 0);
    const auto last = std::min<std::int64_t>(static_cast<std::int64_t>(std::ceil(to)), sourceExtent);
    for (std::int64_t s = first; s < last; ++s) {
      const double weight = std::min<double>(to, s + 1) - std::max<double>(from, s);
      if (weight > 0) map.back().push_back({static_cast<int>(s), weight});
    }
  }
  return map;
}

std::uint32_t Average(const TPixelSurface& source, const std::vector<TContribution>& columns,
                      const std::vector<TContribution>& rows) {
  if (columns.size() == 1 && rows.size() == 1) return source.Pixel(columns[0].Index, rows[0].Index);
  double sums[4] = {0, 0, 0, 0};
  double total = 0;
  for (const TContribution& row : rows) {
    const std::uint32_t* line = source.ScanLine(row.Index);
    for (const TContribution& column : columns) {
      const double weight = row.Weight * column.Weight;
      const std::uint32_t p = line[column.Index];
      for (int c = 0; c < 4; ++c) sums[c] += weight * ((p >> (8 * c)) & 0xFF);
      total += weight;
    }
  }
  std::uint32_t result = 0;
  for (int c = 0; c < 4; ++c) {
    const auto channel = static_cast<std::uint32_t>(std::clamp(std::floor(sums[c] / total + 0.5), 0.0, 255.0));
    result |= channel << (8 * c);
  }
  return result;
}

// Rectangles of one size: each destination pixel reads the source pixel at
// the same offset, as the nearest mapping would pick.
void CopySameSize(const TPixelSurface& dest, const TRect& destRect, const TPixelSurface& source,
                  const TRect& sourceRect, const TAxisRange& columns, const TAxisRange& rows) {
  const std::int64_t dx = std::int64_t{sourceRect.Left} - destRect.Left;
  const std::int64_t dy = std::int64_t{sourceRect.Top} - destRect.Top;
  const std::int64_t first = std::max(columns.First, -dx), last = std::min(columns.Last, source.Width - dx);
  if (first >= last) return;
  const std::int64_t bottom = std::min(rows.Last, source.Height - dy);
  for (std::int64_t y = std::max(rows.First, -dy); y < bottom; ++y) {
    const std::uint32_t* from = source.ScanLine(static_cast<int>(y + dy)) + (first + dx);
    std::copy(from, from + (last - first), dest.ScanLine(static_cast<int>(y)) + first);
  }
}

}  // namespace

void StretchCopy(const TPixelSurface& dest, const TRect& destRect, const TPixelSurface& source,
                 const TRect& sourceRect, TStretchMode mode) {
  if (dest.IsEmpty() || source.IsEmpty() || destRect.IsEmpty() || sourceRect.IsEmpty()) return;
  const TAxisRange columns = VisibleRange(destRect.Left, destRect.Width(), dest.Width);
  const TAxisRange rows = VisibleRange(destRect.Top, destRect.Height(), dest.Height);
  if (columns.First >= columns.Last || rows.First >= rows.Last) return;
  // A copy within one surface reads from a snapshot, so overlapping
  // rectangles see the pixels as they were before the copy.
  std::vector<std::uint32_t> snapshot;
  TPixelSurface from = source;
  if (source.Bits == dest.Bits) {
    snapshot.assign(source.Bits, source.ScanLine(source.Height - 1) + source.Width);
    from.Bits = snapshot.data();
  }
  if (destRect.Width() == sourceRect.Width() && destRect.Height() == sourceRect.Height()) {
    CopySameSize(dest, destRect, from, sourceRect, columns, rows);
    return;
  }
  const auto axis = mode == TStretchMode::Nearest ? NearestAxis : AreaAxis;
  const TAxisMap columnMap =
      axis(columns, destRect.Left, destRect.Width(), sourceRect.Left, sourceRect.Width(), source.Width);
  const TAxisMap rowMap = axis(rows, destRect.Top, destRect.Height(), sourceRect.Top, sourceRect.Height(), source.Height);
  for (std::size_t y = 0; y < rowMap.size(); ++y) {
    if (rowMap[y].empty()) continue;
    std::uint32_t* line = dest.ScanLine(static_cast<int>(rows.First + std::int64_t(y)));
    for (std::size_t x = 0; x < columnMap.size(); ++x)
      if (!columnMap[x].empty()) line[columns.First + std::int64_t(x)] = Average(from, columnMap[x], rowMap[y]);
  }
}

}  // namespace gdi
