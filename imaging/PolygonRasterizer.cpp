#include "imaging/PolygonRasterizer.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "imaging/Blend.h"
#include "imaging/CustomBitmap32.h"
#include "imaging/Transformation.h"

namespace imaging {
namespace {

std::int64_t FloorDiv(std::int64_t numerator, std::int64_t denominator) {
  return numerator >= 0 ? numerator / denominator : -((-numerator + denominator - 1) / denominator);
}

// 16.16 to grid units: v / 2^shift rounded to the nearest, halves down.
std::int64_t ToGrid(TFixed v, int shift) {
  return (std::int64_t{v} + (std::int64_t{1} << (shift - 1)) - 1) >> shift;
}

struct TGridPoint {
  std::int64_t X, Y;
};

// One edge between its first row and its last row, with the exact crossing
// x = x_top + floor((2 (row - y_top) dx + dy) / (2 dy)) kept as a whole part
// and a remainder in 2 dy-ths while it steps down the rows.
struct TEdge {
  std::int64_t FirstRow, EndRow;  // [FirstRow, EndRow)
  std::int64_t X, Remainder;
  std::int64_t StepX, StepRemainder, Denominator;
  std::int32_t Winding;  // +1 running upward (y decreasing), -1 downward

  void Step() {
    X += StepX;
    Remainder += StepRemainder;
    if (Remainder >= Denominator) {
      Remainder -= Denominator;
      ++X;
    }
  }
};

TEdge MakeEdge(TGridPoint from, TGridPoint to, std::int64_t firstVisibleRow) {
  const bool upward = to.Y < from.Y;
  const TGridPoint top = upward ? to : from;
  const TGridPoint bottom = upward ? from : to;
  const std::int64_t dx = bottom.X - top.X, dy = bottom.Y - top.Y;
  TEdge edge{};
  edge.FirstRow = std::max(top.Y, firstVisibleRow);
  edge.EndRow = bottom.Y;
  edge.Denominator = 2 * dy;
  const std::int64_t numerator = 2 * (edge.FirstRow - top.Y) * dx + dy;
  const std::int64_t whole = FloorDiv(numerator, edge.Denominator);
  edge.X = top.X + whole;
  edge.Remainder = numerator - whole * edge.Denominator;
  edge.StepX = FloorDiv(2 * dx, edge.Denominator);
  edge.StepRemainder = 2 * dx - edge.StepX * edge.Denominator;
  edge.Winding = upward ? 1 : -1;
  return edge;
}

// The grid of one fill: how points are scaled and the clip rectangle in it.
struct TGrid {
  int XShift, YShift;            // 16.16 to grid
  int PixelShiftX, PixelShiftY;  // grid to pixels
  std::int64_t Left, Right;      // clip columns, grid units
  std::int64_t Top, Bottom;      // clip rows, grid units, [Top, Bottom)

  TGrid(const TRect& clip, int subsampleShift) {
    const bool aliased = subsampleShift == 0;
    XShift = aliased ? 8 : 16 - subsampleShift;
    YShift = aliased ? 16 : 16 - subsampleShift;
    PixelShiftX = 16 - XShift;
    PixelShiftY = 16 - YShift;
    Left = std::int64_t{clip.Left} << PixelShiftX;
    Right = std::int64_t{clip.Right} << PixelShiftX;
    Top = std::int64_t{clip.Top} << PixelShiftY;
    Bottom = std::int64_t{clip.Bottom} << PixelShiftY;
  }

  TGridPoint Map(TFixedPoint p, const TTransformation* transformation) const {
    if (transformation != nullptr) p = transformation->Transform(p);
    return TGridPoint{ToGrid(p.X, XShift), ToGrid(p.Y, YShift)};
  }

  std::int64_t ClampX(std::int64_t x) const { return std::clamp(x, Left, Right); }
};

// Scratch storage kept per thread between fills.
struct TScratch {
  std::vector<TGridPoint> Points;
  std::vector<TEdge> Pending;
  std::vector<TEdge> Active;
  std::vector<std::int32_t> Cells;
  std::vector<TColor32> Line;
};

TScratch& Scratch() {
  thread_local TScratch scratch;
  return scratch;
}

// The edges of every contour of three points or more that cross a visible
// row, ordered by their first visible row (latest first, so the next one to
// start sits at the back).
void CollectEdges(const TArrayOfArrayOfFixedPoint& contours, const TGrid& grid,
                  const TTransformation* transformation, TScratch& scratch) {
  scratch.Pending.clear();
  for (const TArrayOfFixedPoint& contour : contours) {
    if (contour.size() < 3) continue;
    scratch.Points.clear();
    for (const TFixedPoint& p : contour) scratch.Points.push_back(grid.Map(p, transformation));
    const std::size_t n = scratch.Points.size();
    for (std::size_t i = 0; i < n; ++i) {
      const TGridPoint from = scratch.Points[i], to = scratch.Points[i + 1 < n ? i + 1 : 0];
      if (from.Y == to.Y) continue;
      if (std::max(from.Y, to.Y) <= grid.Top || std::min(from.Y, to.Y) >= grid.Bottom) continue;
      scratch.Pending.push_back(MakeEdge(from, to, grid.Top));
    }
  }
  std::sort(scratch.Pending.begin(), scratch.Pending.end(),
            [](const TEdge& a, const TEdge& b) { return a.FirstRow > b.FirstRow; });
}

// Walks the visible rows from top to bottom, keeping the edges that cross the
// current row sorted by their crossing.
class TEdgeWalker {
public:
  explicit TEdgeWalker(TScratch& scratch) : Pending(scratch.Pending), Active(scratch.Active) { Active.clear(); }

  std::int64_t FirstRow() const { return Pending.empty() ? 0 : Pending.back().FirstRow; }
  std::int64_t EndRow() const {
    std::int64_t end = std::numeric_limits<std::int64_t>::min();
    for (const TEdge& e : Pending) end = std::max(end, e.EndRow);
    return end;
  }

  // The crossings of row, which must follow the previous call's row.
  const std::vector<TEdge>& Enter(std::int64_t row) {
    while (!Pending.empty() && Pending.back().FirstRow == row) {
      Active.push_back(Pending.back());
      Pending.pop_back();
    }
    // Crossings keep their order from row to row unless edges cross: the
    // insertion sort is nearly free.
    for (std::size_t i = 1; i < Active.size(); ++i) {
      if (Active[i - 1].X <= Active[i].X) continue;
      const TEdge moving = Active[i];
      std::size_t j = i;
      for (; j > 0 && Active[j - 1].X > moving.X; --j) Active[j] = Active[j - 1];
      Active[j] = moving;
    }
    return Active;
  }

  // Steps every edge to the next row and drops those that end there.
  void Leave(std::int64_t row) {
    std::size_t kept = 0;
    for (TEdge& e : Active) {
      if (e.EndRow <= row + 1) continue;
      e.Step();
      Active[kept++] = e;
    }
    Active.resize(kept);
  }

private:
  std::vector<TEdge>& Pending;
  std::vector<TEdge>& Active;
};

// Calls span(start, end) for every inside run of a row's sorted crossings.
template <class Span>
void ForEachSpan(const std::vector<TEdge>& crossings, bool nonZero, const TGrid& grid, Span span) {
  if (!nonZero) {
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
      span(grid.ClampX(crossings[i].X), grid.ClampX(crossings[i + 1].X));
    return;
  }
  std::int32_t winding = 0;
  std::int64_t start = 0;
  for (const TEdge& e : crossings) {
    if (winding == 0) start = grid.ClampX(e.X);
    winding += e.Winding;
    if (winding == 0) span(start, grid.ClampX(e.X));
  }
}

void FillAliased(TCustomBitmap32& bitmap, const TGrid& grid, TEdgeWalker& walker, std::int64_t firstRow,
                 std::int64_t endRow, TColor32 color, bool nonZero) {
  const bool opaque = (color >> 24) == 255;
  for (std::int64_t row = firstRow; row < endRow; ++row) {
    const auto y = static_cast<std::int32_t>(row);
    ForEachSpan(walker.Enter(row), nonZero, grid, [&](std::int64_t a, std::int64_t b) {
      const auto x1 = static_cast<std::int32_t>((a + 127) >> 8);
      const auto x2 = static_cast<std::int32_t>((b + 127) >> 8);
      if (x2 <= x1) return;
      if (opaque) bitmap.HorzLine(x1, y, x2 - 1, color);
      else bitmap.HorzLineBlend(x1, y, x2 - 1, color);
    });
    walker.Leave(row);
  }
}

// Coverage of one pixel row, accumulated over its sub-rows as differences
// between neighbouring pixels, then blended run by run.
class TCoverageRow {
public:
  TCoverageRow(TCustomBitmap32& bitmap, int shift, TColor32 color, TScratch& scratch)
      : Bitmap(bitmap), Shift(shift), Mask((1 << shift) - 1), Samples(1 << shift), Rgb(color & 0x00FFFFFF), Master(color >> 24), Blend(BlendLineExOf(bitmap.GetCombineMode())),
        Base(bitmap.GetClipRect().Left), Cells(scratch.Cells), Line(scratch.Line) {
    const auto width = static_cast<std::size_t>(bitmap.GetClipRect().Width()) + 2;
    Cells.assign(width, 0);
    if (Line.size() < width) Line.resize(width);
  }

  // Adds the sub-row span [a, b) in grid columns.
  void AddSpan(std::int64_t a, std::int64_t b) {
    if (a >= b) return;
    const std::int64_t first = (a >> Shift) - Base, last = (b >> Shift) - Base;
    const auto fa = static_cast<std::int32_t>(a & Mask), fb = static_cast<std::int32_t>(b & Mask);
    Cells[first] += Samples - fa;
    Cells[first + 1] += fa;
    Cells[last] -= Samples - fb;
    Cells[last + 1] -= fb;
    Lowest = std::min(Lowest, first);
    Highest = std::max(Highest, last + 1);
  }

  // Blends the pixels of row y that have coverage and clears the cells.
  void Flush(std::int32_t y) {
    if (Highest < Lowest) return;
    TColor32* pixels = Bitmap.ScanLine(y) + Base;
    std::int32_t coverage = 0;
    std::int64_t runStart = -1;
    for (std::int64_t i = Lowest; i <= Highest; ++i) {
      coverage += Cells[i];
      Cells[i] = 0;
      if (coverage != 0) {
        if (runStart < 0) runStart = i;
        Line[i - runStart] = Rgb | (static_cast<std::uint32_t>(coverage) * 255) >> (2 * Shift) << 24;
      } else if (runStart >= 0) {
        Blend(Line.data(), pixels + runStart, static_cast<int>(i - runStart), Master);
        runStart = -1;
      }
    }
    Lowest = std::numeric_limits<std::int64_t>::max();
    Highest = -1;
  }

private:
  TCustomBitmap32& Bitmap;
  const int Shift;
  const std::int32_t Mask, Samples;
  const TColor32 Rgb, Master;
  const TBlendLineEx Blend;
  const std::int64_t Base;
  std::vector<std::int32_t>& Cells;
  std::vector<TColor32>& Line;
  std::int64_t Lowest = std::numeric_limits<std::int64_t>::max();
  std::int64_t Highest = -1;
};

void FillAntialiased(TCustomBitmap32& bitmap, const TGrid& grid, TEdgeWalker& walker, std::int64_t firstRow,
                     std::int64_t endRow, TColor32 color, bool nonZero, int shift, TScratch& scratch) {
  TCoverageRow coverage(bitmap, shift, color, scratch);
  const std::int64_t firstPixelRow = firstRow >> shift, endPixelRow = ((endRow - 1) >> shift) + 1;
  for (std::int64_t y = firstPixelRow; y < endPixelRow; ++y) {
    const std::int64_t rowsFrom = std::max(y << shift, firstRow), rowsTo = std::min((y + 1) << shift, endRow);
    for (std::int64_t row = rowsFrom; row < rowsTo; ++row) {
      ForEachSpan(walker.Enter(row), nonZero, grid, [&](std::int64_t a, std::int64_t b) { coverage.AddSpan(a, b); });
      walker.Leave(row);
    }
    coverage.Flush(static_cast<std::int32_t>(y));
  }
  EMMS();
}

}  // namespace

void RasterizePolygon(TCustomBitmap32& bitmap, const TArrayOfArrayOfFixedPoint& contours, TColor32 color,
                      const TRasterOptions& options) {
  if (bitmap.GetClipRect().IsEmpty()) return;
  const TGrid grid(bitmap.GetClipRect(), options.SubsampleShift);
  TScratch& scratch = Scratch();
  CollectEdges(contours, grid, options.Transformation, scratch);
  if (scratch.Pending.empty()) return;
  TEdgeWalker walker(scratch);
  const std::int64_t firstRow = walker.FirstRow();
  const std::int64_t endRow = std::min(walker.EndRow(), grid.Bottom);
  if (endRow <= firstRow) return;
  if (options.SubsampleShift == 0)
    FillAliased(bitmap, grid, walker, firstRow, endRow, color, options.NonZero);
  else
    FillAntialiased(bitmap, grid, walker, firstRow, endRow, color, options.NonZero, options.SubsampleShift, scratch);
}

}  // namespace imaging
