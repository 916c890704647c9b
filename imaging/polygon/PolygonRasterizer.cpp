#include "imaging/polygon/PolygonRasterizer.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <vector>

#include "imaging/blend/Blend.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/polygon/Transformation.h"

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
    Remainder += StepRemainder;
    const bool carry = Remainder >= Denominator;
    X += StepX + carry;
    Remainder -= carry ? Denominator : 0;
  }

  // The crossing a number of rows further down lies within that number of
  // columns right of LowestXAfter: the remainder carries at most once a row.
  std::int64_t LowestXAfter(std::int64_t rows) const { return X + rows * StepX; }
  std::int64_t XAfter(std::int64_t rows) const {
    return X + rows * StepX + (Remainder + rows * StepRemainder) / Denominator;
  }

  void Advance(std::int64_t rows) {
    for (std::int64_t k = 0; k < rows; ++k) Step();
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
  // Divisions are dear beside the rest of a small fill: an edge starting on
  // a visible row begins half a row in (floor(dy / 2 dy) = 0), and one
  // steeper than a column a row steps by 0 or -1.
  const std::int64_t numerator = 2 * (edge.FirstRow - top.Y) * dx + dy;
  const std::int64_t whole = edge.FirstRow == top.Y ? 0 : FloorDiv(numerator, edge.Denominator);
  edge.X = top.X + whole;
  edge.Remainder = numerator - whole * edge.Denominator;
  edge.StepX = (dx < 0 ? -dx : dx) < dy ? (dx < 0 ? -1 : 0) : FloorDiv(2 * dx, edge.Denominator);
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
  std::vector<std::uint64_t> Touched;
  std::vector<TColor32> Line;
  std::vector<TColor32> Full;
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
    for (std::size_t i = 0; i < Active.size(); ++i) {
      if (Active[i].EndRow <= row + 1) continue;
      Active[i].Step();
      if (kept != i) Active[kept] = Active[i];
      ++kept;
    }
    Active.resize(kept);
  }

  // After Enter(from): whether rows from .. to - 1 keep the same edges in
  // the same strict order, so that each edge plays one part in all of them.
  // Straight edges in strict order at the first and the last row cannot
  // cross in between, and rounding never swaps crossings of edges that do
  // not cross.
  bool Steady(std::int64_t from, std::int64_t to) const {
    if (!Pending.empty() && Pending.back().FirstRow < to) return false;
    const std::int64_t last = to - 1 - from;
    for (std::size_t i = 0; i < Active.size(); ++i) {
      if (Active[i].EndRow < to) return false;
      if (i == 0) continue;
      const TEdge &left = Active[i - 1], &right = Active[i];
      if (left.X >= right.X) return false;
      // Dividing only when the bounds of the last crossings overlap.
      if (left.LowestXAfter(last) + last >= right.LowestXAfter(last) && left.XAfter(last) >= right.XAfter(last))
        return false;
    }
    return true;
  }

  std::vector<TEdge>& Edges() { return Active; }

  // Drops the edges that end at row.
  void DropEnded(std::int64_t row) {
    std::erase_if(Active, [row](const TEdge& e) { return e.EndRow <= row; });
  }

private:
  std::vector<TEdge>& Pending;
  std::vector<TEdge>& Active;
};

// The part of each sorted crossing in its row: +1 where a span starts, -1
// where one ends, 0 inside a span.
template <class Role>
void ForEachRole(const std::vector<TEdge>& crossings, bool nonZero, Role role) {
  if (!nonZero) {
    for (std::size_t i = 0; i < crossings.size(); ++i)
      role(i, i + 1 == crossings.size() && i % 2 == 0 ? 0 : (i % 2 == 0 ? 1 : -1));
    return;
  }
  std::int32_t winding = 0;
  for (std::size_t i = 0; i < crossings.size(); ++i) {
    const bool starts = winding == 0;
    winding += crossings[i].Winding;
    role(i, starts ? 1 : (winding == 0 ? -1 : 0));
  }
}

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
// between neighbouring pixels. Only the pixels where a difference was added
// are visited: between them the coverage is constant, so a row is blended as
// runs of one colour each, gathered into stretches of covered pixels.
class TCoverageRow {
  static constexpr std::int64_t kLongRun = 16;

public:
  TCoverageRow(TCustomBitmap32& bitmap, int shift, TColor32 color, TScratch& scratch)
      : Bitmap(bitmap), Shift(shift), Mask((1 << shift) - 1), Samples(1 << shift), Rgb(color & 0x00FFFFFF),
        Master(color >> 24), Blend(BlendLineExOf(bitmap.GetCombineMode())),
        StoresFull(Master == 255 && bitmap.GetCombineMode() == cmMerge), Base(bitmap.GetClipRect().Left),
        Cells(scratch.Cells), Touched(scratch.Touched), Line(scratch.Line), Full(scratch.Full) {
    const auto width = static_cast<std::size_t>(bitmap.GetClipRect().Width()) + 2;
    Cells.assign(width, 0);
    Touched.assign(width / 64 + 1, 0);
    if (Line.size() < width) Line.resize(width);
    Full.assign(width, Rgb | 0xFF000000u);
  }

  // Adds the sub-row span [a, b) in grid columns.
  void AddSpan(std::int64_t a, std::int64_t b) {
    if (a >= b) return;
    const std::int64_t first = (a >> Shift) - Base, last = (b >> Shift) - Base;
    const auto fa = static_cast<std::int32_t>(a & Mask), fb = static_cast<std::int32_t>(b & Mask);
    Add(first, Samples - fa);
    Add(first + 1, fa);
    Add(last, fb - Samples);
    Add(last + 1, -fb);
  }

  // Adds the crossings of one edge on the next rows sub-rows, each as the
  // start (role +1) or the end (-1) of a span, and steps the edge past them.
  void AddEdge(TEdge& edge, std::int32_t role, std::int64_t rows, const TGrid& grid) {
    const std::int64_t lowest = std::min(edge.X, edge.LowestXAfter(rows - 1));
    const std::int64_t highest = std::max(edge.X, edge.LowestXAfter(rows - 1) + rows - 1);
    if (lowest >= grid.Left && highest <= grid.Right)
      SweepEdge(edge, role, rows, [](std::int64_t x) { return x; });
    else
      SweepEdge(edge, role, rows, [&grid](std::int64_t x) { return grid.ClampX(x); });
  }

  // Blends the pixels of row y that have coverage and clears the cells.
  void Flush(std::int32_t y) {
    Pixels = Bitmap.ScanLine(y) + Base;
    std::int32_t coverage = 0;
    std::int64_t from = 0;
    for (std::size_t word = 0; word < Touched.size(); ++word) {
      for (std::uint64_t bits = Touched[word]; bits != 0; bits &= bits - 1) {
        const auto i = static_cast<std::int64_t>(word * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
        Run(from, i, coverage);
        coverage += Cells[i];
        Cells[i] = 0;
        from = i;
      }
      Touched[word] = 0;
    }
    EndStretch(from);
  }

private:
  // Steps a copy of the edge, which stays in registers: the cells and their
  // bits written in between could otherwise alias the edge's fields.
  template <class Clamp>
  void SweepEdge(TEdge& edge, std::int32_t role, std::int64_t rows, Clamp clamp) {
    TEdge walking = edge;
    std::int64_t pixel = std::numeric_limits<std::int64_t>::min();
    std::int32_t here = 0, next = 0;
    for (std::int64_t k = 0; k < rows; ++k, walking.Step()) {
      const std::int64_t x = clamp(walking.X);
      const std::int64_t p = (x >> Shift) - Base;
      const auto f = static_cast<std::int32_t>(x & Mask);
      if (p != pixel) {
        if (k > 0) AddPair(pixel, role * here, role * next);
        pixel = p;
        here = next = 0;
      }
      here += Samples - f;
      next += f;
    }
    AddPair(pixel, role * here, role * next);
    edge = walking;
  }

  void AddPair(std::int64_t i, std::int32_t here, std::int32_t next) {
    Add(i, here);
    Add(i + 1, next);
  }

  void Add(std::int64_t i, std::int32_t delta) {
    Cells[i] += delta;
    Touched[i >> 6] |= std::uint64_t{1} << (i & 63);
  }

  // Pixels [from, to) all have this coverage.
  void Run(std::int64_t from, std::int64_t to, std::int32_t coverage) {
    if (to <= from) return;
    if (coverage == 0) {
      EndStretch(from);
      return;
    }
    // Long runs inside the polygon are blended straight from a row of the
    // colour at full coverage.
    if (coverage == Samples * Samples && to - from >= kLongRun) {
      EndStretch(from);
      if (StoresFull)
        std::fill(Pixels + from, Pixels + to, Full.front());
      else
        Blend(Full.data(), Pixels + from, static_cast<int>(to - from), Master);
      return;
    }
    if (StretchStart < 0) StretchStart = from;
    const TColor32 color = Rgb | (static_cast<std::uint32_t>(coverage) * 255) >> (2 * Shift) << 24;
    std::fill(Line.begin() + (from - StretchStart), Line.begin() + (to - StretchStart), color);
  }

  void EndStretch(std::int64_t end) {
    if (StretchStart < 0) return;
    Blend(Line.data(), Pixels + StretchStart, static_cast<int>(end - StretchStart), Master);
    StretchStart = -1;
  }

  TCustomBitmap32& Bitmap;
  const int Shift;
  const std::int32_t Mask, Samples;
  const TColor32 Rgb, Master;
  const TBlendLineEx Blend;
  // Merging an opaque colour at full coverage stores it as it is.
  const bool StoresFull;
  const std::int64_t Base;
  std::vector<std::int32_t>& Cells;
  std::vector<std::uint64_t>& Touched;  // one bit per cell that holds a difference
  std::vector<TColor32>& Line;
  std::vector<TColor32>& Full;
  TColor32* Pixels = nullptr;
  std::int64_t StretchStart = -1;
};

void FillAntialiased(TCustomBitmap32& bitmap, const TGrid& grid, TEdgeWalker& walker, std::int64_t firstRow,
                     std::int64_t endRow, TColor32 color, bool nonZero, int shift, TScratch& scratch) {
  TCoverageRow coverage(bitmap, shift, color, scratch);
  const std::int64_t firstPixelRow = firstRow >> shift, endPixelRow = ((endRow - 1) >> shift) + 1;
  for (std::int64_t y = firstPixelRow; y < endPixelRow; ++y) {
    const std::int64_t rowsFrom = std::max(y << shift, firstRow), rowsTo = std::min((y + 1) << shift, endRow);
    walker.Enter(rowsFrom);
    if (walker.Steady(rowsFrom, rowsTo)) {
      std::vector<TEdge>& edges = walker.Edges();
      ForEachRole(edges, nonZero, [&](std::size_t i, std::int32_t role) {
        if (role != 0) coverage.AddEdge(edges[i], role, rowsTo - rowsFrom, grid);
        else edges[i].Advance(rowsTo - rowsFrom);
      });
      walker.DropEnded(rowsTo);
    } else {
      for (std::int64_t row = rowsFrom; row < rowsTo; ++row) {
        ForEachSpan(walker.Enter(row), nonZero, grid, [&](std::int64_t a, std::int64_t b) { coverage.AddSpan(a, b); });
        walker.Leave(row);
      }
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
