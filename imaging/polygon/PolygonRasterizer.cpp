#include "imaging/polygon/PolygonRasterizer.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <utility>
#include <vector>

#include "imaging/blend/Blend.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/core/LowLevel.h"
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

// Moves a crossing one row down; its remainder carries at most once a row.
template <class Int>
void StepCrossing(Int& x, Int& remainder, Int stepX, Int stepRemainder, Int denominator) {
  remainder += stepRemainder;
  const bool carry = remainder >= denominator;
  x += stepX + carry;
  remainder -= carry ? denominator : 0;
}

// A straight piece of a contour between two grid points, its upper end
// first, the piece that follows it down its chain (or -1) and the row where
// the chain ends.
struct TSegment {
  std::int32_t TopX, TopY, BottomX, BottomY;
  std::int32_t Following, ChainEnd;
};

// One edge between its first row and its last row, with the exact crossing
// x = x_top + floor((2 (row - y_top) dx + dy) / (2 dy)) kept as a whole part
// and a remainder in 2 dy-ths while it steps down the rows. Grid values come
// from 16.16 points shifted right by 8 bits at least, so every field fits 32
// bits; the edge stays small because the active list moves edges around.
struct TEdge {
  std::int32_t FirstRow, EndRow;  // [FirstRow, EndRow)
  std::int32_t X, Remainder;
  std::int32_t StepX, StepRemainder, Denominator;
  std::int32_t Winding;    // +1 running upward (y decreasing), -1 downward
  std::int32_t Following;  // the segment that takes over at EndRow, or -1
  std::int32_t ChainEnd;   // the row where the last edge of the chain ends

  void Step() { StepCrossing(X, Remainder, StepX, StepRemainder, Denominator); }

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

[[gnu::always_inline]] inline TEdge MakeEdge(const TSegment& segment, std::int64_t firstVisibleRow, std::int32_t winding) {
  const std::int64_t dx = std::int64_t{segment.BottomX} - segment.TopX, dy = std::int64_t{segment.BottomY} - segment.TopY;
  const std::int64_t firstRow = std::max<std::int64_t>(segment.TopY, firstVisibleRow), denominator = 2 * dy;
  // Divisions are dear beside the rest of a small fill: an edge starting on
  // a visible row begins half a row in (floor(dy / 2 dy) = 0), one steeper
  // than a column a row steps by 0 or -1, and one crossing a single row
  // never steps.
  const std::int64_t numerator = 2 * (firstRow - segment.TopY) * dx + dy;
  const std::int64_t whole = firstRow == segment.TopY ? 0 : FloorDiv(numerator, denominator);
  const bool steps = segment.BottomY - firstRow > 1;
  const std::int64_t stepX =
      !steps ? 0 : ((dx < 0 ? -dx : dx) < dy ? (dx < 0 ? -1 : 0) : FloorDiv(2 * dx, denominator));
  return TEdge{static_cast<std::int32_t>(firstRow),
               segment.BottomY,
               static_cast<std::int32_t>(segment.TopX + whole),
               static_cast<std::int32_t>(numerator - whole * denominator),
               static_cast<std::int32_t>(stepX),
               static_cast<std::int32_t>(steps ? 2 * dx - stepX * denominator : 0),
               static_cast<std::int32_t>(denominator),
               winding,
               segment.Following,
               segment.ChainEnd};
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
  std::vector<TSegment> Segments;
  std::int64_t EndRow = 0;  // the lowest segment end
  std::vector<TEdge> Pending;
  std::vector<TEdge> Sorted;
  std::vector<std::uint32_t> RowStarts;
  std::vector<TEdge> Active;
  std::vector<TEdge> Spare;
  std::vector<std::int32_t> Roles;      // the part of each active edge in a pixel row
  std::vector<std::int32_t> Crossings;  // their chains' crossings on its sub-rows
  std::vector<std::int32_t> Cells;
  std::vector<std::uint64_t> Touched;
  std::vector<TColor32> Line;
  std::vector<TColor32> Full;
  std::vector<std::pair<std::int64_t, std::int64_t>> Stretches;
};

TScratch& Scratch() {
  thread_local TScratch scratch;
  return scratch;
}

// Orders the pending edges by their first row and, within a row, by their
// crossing there. A line of text has many edges (thousands) over few rows:
// they are counted into rows rather than compared. A shape of few edges is
// compared, as its rows would outnumber its edges.
void SortByStart(TScratch& scratch) {
  std::vector<TEdge>& edges = scratch.Pending;
  const auto [lowest, highest] = std::minmax_element(
      edges.begin(), edges.end(), [](const TEdge& a, const TEdge& b) { return a.FirstRow < b.FirstRow; });
  if (lowest == edges.end()) return;
  const std::int32_t firstRow = lowest->FirstRow;
  const auto rows = static_cast<std::size_t>(highest->FirstRow - firstRow) + 1;
  if (rows > edges.size()) {
    std::sort(edges.begin(), edges.end(), [](const TEdge& a, const TEdge& b) {
      return a.FirstRow != b.FirstRow ? a.FirstRow < b.FirstRow : a.X < b.X;
    });
    return;
  }
  std::vector<std::uint32_t>& starts = scratch.RowStarts;
  starts.assign(rows + 1, 0);
  for (const TEdge& e : edges) ++starts[static_cast<std::size_t>(e.FirstRow - firstRow) + 1];
  for (std::size_t row = 1; row <= rows; ++row) starts[row] += starts[row - 1];
  std::vector<TEdge>& sorted = scratch.Sorted;
  sorted.resize(edges.size());
  for (const TEdge& e : edges) sorted[starts[static_cast<std::size_t>(e.FirstRow - firstRow)]++] = e;
  // starts[row] now ends the row's edges.
  for (std::size_t row = 0, begin = 0; row < rows; begin = starts[row++])
    if (starts[row] > begin + 1)
      std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(begin), sorted.begin() + starts[row],
                [](const TEdge& a, const TEdge& b) { return a.X < b.X; });
  edges.swap(sorted);
}

// Whether the edge from a to b runs down the rows (+1), up (-1) or along one.
int Direction(const TGridPoint& a, const TGridPoint& b) { return a.Y < b.Y ? 1 : (a.Y > b.Y ? -1 : 0); }

// Splits a contour into chains of edges that all run down or all run up,
// each chain stored top first with every piece linked to the next one down,
// since one edge takes over from the other on the same row; edges along a
// row are left out, as they cross none. The first visible edge of each chain
// goes to the pending edges.
void CollectChains(const std::vector<TGridPoint>& points, const TGrid& grid, TScratch& scratch) {
  const std::size_t n = points.size();
  const auto to = [&](std::size_t i) { return points[i + 1 < n ? i + 1 : 0]; };
  // A chain starts where the direction turns, found as the first edge that
  // runs against the last one before it.
  int last = 0;
  for (std::size_t i = 0; i < n && last == 0; ++i) last = Direction(points[n - 1 - i], to(n - 1 - i));
  if (last == 0) return;
  std::size_t start = 0;
  for (int running = last; start < n; ++start) {
    const int direction = Direction(points[start], to(start));
    if (direction != 0 && direction != running) break;
    if (direction != 0) running = direction;
  }
  std::vector<TSegment>& segments = scratch.Segments;
  const auto close = [&](std::size_t begin, int direction) {
    const std::size_t end = segments.size();
    if (direction < 0) std::reverse(segments.begin() + static_cast<std::ptrdiff_t>(begin), segments.end());
    // Pieces wholly above the clip rows never come into view.
    while (begin < end && segments[begin].BottomY <= grid.Top) ++begin;
    if (begin == end || segments[begin].TopY >= grid.Bottom) return;
    for (std::size_t k = begin; k < end; ++k) {
      segments[k].Following = k + 1 < end ? static_cast<std::int32_t>(k + 1) : -1;
      segments[k].ChainEnd = segments[end - 1].BottomY;
    }
    scratch.EndRow = std::max<std::int64_t>(scratch.EndRow, segments[end - 1].BottomY);
    scratch.Pending.push_back(MakeEdge(segments[begin], grid.Top, -direction));
  };
  std::size_t begin = segments.size();
  int running = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t i = (start + k) % n;
    const TGridPoint a = points[i], b = to(i);
    const int direction = Direction(a, b);
    if (direction == 0) continue;
    if (direction != running && running != 0) {
      close(begin, running);
      begin = segments.size();
    }
    running = direction;
    const bool down = direction > 0;
    const TGridPoint& top = down ? a : b;
    const TGridPoint& bottom = down ? b : a;
    segments.push_back(TSegment{static_cast<std::int32_t>(top.X), static_cast<std::int32_t>(top.Y),
                                static_cast<std::int32_t>(bottom.X), static_cast<std::int32_t>(bottom.Y), -1, 0});
  }
  close(begin, running);
}

// The chains of every contour of three points or more, their first visible
// edges ordered by their first visible row and, within a row, by their
// crossing there: the walker then merges each row's new edges into the
// active ones in one pass.
void CollectEdges(const TArrayOfArrayOfFixedPoint& contours, const TGrid& grid,
                  const TTransformation* transformation, TScratch& scratch) {
  scratch.Pending.clear();
  scratch.Segments.clear();
  scratch.EndRow = std::numeric_limits<std::int64_t>::min();
  for (const TArrayOfFixedPoint& contour : contours) {
    if (contour.size() < 3) continue;
    scratch.Points.clear();
    for (const TFixedPoint& p : contour) scratch.Points.push_back(grid.Map(p, transformation));
    CollectChains(scratch.Points, grid, scratch);
  }
  SortByStart(scratch);
}

// Walks the visible rows from top to bottom, keeping the edges that cross the
// current row sorted by their crossing.
class TEdgeWalker {
public:
  explicit TEdgeWalker(TScratch& scratch)
      : Segments(scratch.Segments), Pending(scratch.Pending), Active(scratch.Active), Spare(scratch.Spare) {
    Active.clear();
  }

  std::int64_t FirstRow() const { return Pending.empty() ? 0 : Pending.front().FirstRow; }

  // The crossings of row, which must follow the previous call's row.
  const std::vector<TEdge>& Enter(std::int64_t row) {
    Sort();
    if (Next < Pending.size() && Pending[Next].FirstRow == row) MergeNew(StartingAt(row));
    return Active;
  }

  // Steps every edge to the next row, hands those that end there on to the
  // next edges of their chains and takes in the chains that start there.
  void Leave(std::int64_t row) {
    const std::size_t end = StartingAt(row + 1);
    if (end == Next) StepInPlace(row);
    else StepAndMerge(row, end);
  }

  std::vector<TEdge>& Edges() { return Active; }

  // After Enter(from): whether rows from .. to - 1 keep the same edges in
  // the same strict order, so that each edge plays one part in all of them.
  // Straight edges in strict order at the first and the last row cannot
  // cross in between, and rounding never swaps crossings of edges that do
  // not cross.
  bool Steady(std::int64_t from, std::int64_t to) const {
    if (Next < Pending.size() && Pending[Next].FirstRow < to) return false;
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

  // After Enter(row): the first row after it where a chain starts or ends.
  std::int64_t NextChainChange() const {
    std::int64_t change = Next < Pending.size() ? Pending[Next].FirstRow : std::numeric_limits<std::int64_t>::max();
    for (const TEdge& e : Active) change = std::min<std::int64_t>(change, e.ChainEnd);
    return change;
  }

  // Hands the edges that end at row on to their chains' next ones.
  void HandOn(std::int64_t row) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < Active.size(); ++i) {
      if (Active[i].EndRow > row) Active[kept++] = Active[i];
      else if (Active[i].Following >= 0) Active[kept++] = Successor(Active[i], row);
    }
    Active.resize(kept);
  }

  // After Enter(from): the crossings of every active edge's chain on rows
  // from .. from + rows - 1 into crossings (the chain of edge i at
  // i x rows), when no chain starts or ends on those rows and the chains
  // keep their order on each of them, so that each chain plays one part in
  // all of them (where two crossings are equal, the part either plays makes
  // no difference). Then the chains stand at the next row. Otherwise false,
  // and nothing has moved.
  bool SweepChains(std::int64_t from, std::int64_t rows, std::vector<std::int32_t>& crossings) {
    const std::int64_t to = from + rows;
    if (Next < Pending.size() && Pending[Next].FirstRow < to) return false;
    for (const TEdge& e : Active)
      if (e.ChainEnd < to) return false;
    crossings.resize(Active.size() * static_cast<std::size_t>(rows));
    Spare.clear();
    for (std::size_t i = 0; i < Active.size(); ++i) {
      TEdge edge = Active[i];
      std::int32_t* x = crossings.data() + i * static_cast<std::size_t>(rows);
      for (std::int64_t k = 0; k < rows; ++k) {
        x[k] = edge.X;
        if (i > 0 && x[k] < x[k - rows]) return false;
        if (edge.EndRow > from + k + 1) edge.Step();
        else if (edge.Following >= 0) edge = Successor(edge, from + k + 1);
      }
      // A chain whose last edge ends at the next row leaves.
      if (edge.EndRow > to) Spare.push_back(edge);
    }
    Active.swap(Spare);
    return true;
  }

private:
  // The edge that takes over from one ending at row.
  TEdge Successor(const TEdge& edge, std::int64_t row) const {
    return MakeEdge(Segments[static_cast<std::size_t>(edge.Following)], row, edge.Winding);
  }

  // The end of the pending edges that start at row.
  std::size_t StartingAt(std::int64_t row) const {
    std::size_t end = Next;
    while (end < Pending.size() && Pending[end].FirstRow == row) ++end;
    return end;
  }

  // Crossings keep their order from row to row unless edges cross: the
  // insertion sort is nearly free.
  void Sort() {
    for (std::size_t i = 1; i < Active.size(); ++i) {
      if (Active[i - 1].X <= Active[i].X) continue;
      const TEdge moving = Active[i];
      std::size_t j = i;
      for (; j > 0 && Active[j - 1].X > moving.X; --j) Active[j] = Active[j - 1];
      Active[j] = moving;
    }
  }

  // Leave for a row where no chain starts. An edge is moved before it is
  // stepped: reading it back whole right after a narrower write stalls.
  void StepInPlace(std::int64_t row) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < Active.size(); ++i) {
      if (Active[i].EndRow <= row + 1) {
        if (Active[i].Following >= 0) Active[kept++] = Successor(Active[i], row + 1);
        continue;
      }
      if (kept != i) Active[kept] = Active[i];
      Active[kept++].Step();
    }
    Active.resize(kept);
  }

  // Leave for a row where the pending edges up to end start: the stepped
  // edges and those, by their crossings, in one pass into the spare list.
  // Edges that crossed on the way, and those handed on, are left for Sort.
  void StepAndMerge(std::int64_t row, std::size_t end) {
    Spare.resize(Active.size() + (end - Next));
    std::size_t count = 0;
    for (TEdge edge : Active) {
      if (edge.EndRow <= row + 1) {
        if (edge.Following < 0) continue;
        edge = Successor(edge, row + 1);
      } else {
        edge.Step();
      }
      for (; Next < end && Pending[Next].X < edge.X; ++Next) Spare[count++] = Pending[Next];
      Spare[count++] = edge;
    }
    for (; Next < end; ++Next) Spare[count++] = Pending[Next];
    Spare.resize(count);
    Active.swap(Spare);
  }

  // Merges the pending edges up to end, sorted by their crossing, into the
  // sorted active ones, from the back so that each edge moves once.
  void MergeNew(std::size_t end) {
    std::size_t old = Active.size(), fresh = end;
    Active.resize(old + (end - Next));
    for (std::size_t to = Active.size(); fresh > Next;) {
      if (old > 0 && Active[old - 1].X > Pending[fresh - 1].X) Active[--to] = Active[--old];
      else Active[--to] = Pending[--fresh];
    }
    Next = end;
  }

  const std::vector<TSegment>& Segments;
  std::vector<TEdge>& Pending;
  std::vector<TEdge>& Active;
  std::vector<TEdge>& Spare;  // where Leave builds the next row's list
  std::size_t Next = 0;       // the first pending edge not yet active
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
        Solid(bitmap.GetCombineMode() == cmMerge && Master == 255), Base(bitmap.GetClipRect().Left),
        Cells(scratch.Cells), Touched(scratch.Touched), Line(scratch.Line), Full(scratch.Full),
        Stretches(scratch.Stretches), Words(static_cast<std::size_t>(bitmap.GetClipRect().Width() + 2) / 64 + 1) {
    const auto width = static_cast<std::size_t>(bitmap.GetClipRect().Width()) + 2;
    // Every flush clears the cells and the marks it visits, which are all
    // those added to: they stay clear from one fill to the next, and only
    // grow, with clear ones.
    if (Cells.size() < width) Cells.resize(width, 0);
    if (Touched.size() < Words) Touched.resize(Words, 0);
    if (Line.size() < width) Line.resize(width);
    if (!Solid) Full.assign(width, Rgb | 0xFF000000u);
  }

  // Adds the sub-row span [a, b) in grid columns.
  void AddSpan(std::int64_t a, std::int64_t b) {
    if (a >= b) return;
    const std::int64_t first = (a >> Shift) - Base, last = (b >> Shift) - Base;
    const auto fa = static_cast<std::int32_t>(a & Mask), fb = static_cast<std::int32_t>(b & Mask);
    AddPair(first, Samples - fa, fa);
    AddPair(last, fb - Samples, -fb);
  }

  // Adds the crossings of one edge on the next rows sub-rows, each as the
  // start (role +1) or the end (-1) of a span, and steps the edge past them.
  // The crossing is stepped on copies, which stay in registers (the cells
  // and their marks written in between could otherwise alias the edge's
  // fields), in 64 bits, which spares a widening every row.
  void AddEdge(TEdge& edge, std::int32_t role, std::int64_t rows, const TGrid& grid) {
    // An upright edge (the sides of rectangles and rounded rectangles)
    // crosses every sub-row at the same column and stays there.
    if (edge.StepX == 0 && edge.StepRemainder == 0) {
      const std::int64_t x = grid.ClampX(edge.X);
      const auto f = static_cast<std::int32_t>(x & Mask), count = static_cast<std::int32_t>(rows);
      AddPair((x >> Shift) - Base, role * count * (Samples - f), role * count * f);
      return;
    }
    std::int64_t crossing = edge.X, remainder = edge.Remainder;
    const std::int64_t stepX = edge.StepX, stepRemainder = edge.StepRemainder, denominator = edge.Denominator;
    const auto next = [&](auto clamp) {
      return [&, clamp] {
        const std::int64_t x = clamp(crossing);
        StepCrossing(crossing, remainder, stepX, stepRemainder, denominator);
        return x;
      };
    };
    const std::int64_t lowest = std::min<std::int64_t>(edge.X, edge.LowestXAfter(rows - 1));
    const std::int64_t highest = std::max<std::int64_t>(edge.X, edge.LowestXAfter(rows - 1) + rows - 1);
    if (lowest >= grid.Left && highest <= grid.Right)
      AddRun(rows, role, next([](std::int64_t x) { return x; }));
    else
      AddRun(rows, role, next([&grid](std::int64_t x) { return grid.ClampX(x); }));
    edge.X = static_cast<std::int32_t>(crossing);
    edge.Remainder = static_cast<std::int32_t>(remainder);
  }

  // Adds a chain's crossings of consecutive sub-rows the same way.
  void AddCrossings(const std::int32_t* crossings, std::int64_t rows, std::int32_t role, const TGrid& grid) {
    const std::int64_t left = grid.Left, right = grid.Right;
    std::int64_t k = 0;
    AddRun(rows, role, [&] { return std::clamp<std::int64_t>(crossings[k++], left, right); });
  }

  // Blends the pixels of row y that have coverage and clears the cells.
  void Flush(std::int32_t y) {
    Pixels = Bitmap.ScanLine(y) + Base;
    std::int32_t coverage = 0;
    std::int64_t from = 0;
    for (std::size_t word = 0; word < Words; ++word) {
      for (std::uint64_t bits = Touched[word]; bits != 0; bits &= bits - 1) {
        const auto i = static_cast<std::int64_t>(word * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
        // A cell visited twice adds nothing the second time.
        Visit(i, from, coverage);
        Visit(i + 1, from, coverage);
      }
      Touched[word] = 0;
    }
    EndStretch(from);
    // The stretches are blended once the row's colours are all written: a
    // load of colours just stored waits until the stores are done.
    for (const auto& [start, end] : Stretches)
      Blend(Line.data() + start, Pixels + start, static_cast<int>(end - start), Master);
    Stretches.clear();
  }

private:
  // Adds rows crossings, taken from next (clamped to the clip columns), as
  // the starts or the ends of spans, gathered by pixel. The settings are
  // read into locals first: the marks written in between could alias the
  // members as far as the compiler knows.
  template <class Next>
  void AddRun(std::int64_t rows, std::int32_t role, Next next) {
    const std::int64_t base = Base;
    const int shift = Shift;
    const std::int32_t samples = Samples;
    // Count crossings in one pixel whose columns add up to sum leave to the
    // next pixel those columns less the pixel's first one, each.
    const auto group = [&, base, samples](std::int64_t pixel, std::int64_t count, std::int64_t sum) {
      const auto following = static_cast<std::int32_t>(sum - count * pixel * samples);
      const auto here = static_cast<std::int32_t>(count) * samples - following;
      AddPair(pixel - base, role * here, role * following);
    };
    std::int64_t pixel = std::numeric_limits<std::int64_t>::min(), sum = 0, start = 0;
    for (std::int64_t k = 0; k < rows; ++k) {
      const std::int64_t x = next();
      if (x >> shift != pixel) {
        if (k > 0) group(pixel, k - start, sum);
        pixel = x >> shift;
        sum = 0;
        start = k;
      }
      sum += x;
    }
    group(pixel, rows - start, sum);
  }

  // Differences go to cells in pairs, a pixel and the next, and only the
  // first of the pair is marked: half the marks, which are read and written
  // back one after the other when they share a word.
  void AddPair(std::int64_t i, std::int32_t here, std::int32_t next) {
    Cells[i] += here;
    Cells[i + 1] += next;
    Touched[i >> 6] |= std::uint64_t{1} << (i & 63);
  }

  // Blends the pixels from the last visited cell up to cell i, which takes
  // the coverage up to i, and adds cell i's difference.
  void Visit(std::int64_t i, std::int64_t& from, std::int32_t& coverage) {
    Run(from, i, coverage);
    coverage += Cells[i];
    Cells[i] = 0;
    from = i;
  }

  // Pixels [from, to) all have this coverage.
  void Run(std::int64_t from, std::int64_t to, std::int32_t coverage) {
    if (to <= from) return;
    if (coverage == 0) {
      EndStretch(from);
      return;
    }
    if (coverage == Samples * Samples && (Solid || to - from >= kLongRun)) {
      EndStretch(from);
      // Runs inside the polygon are filled with the colour when that is what
      // blending it gives, short ones in place; long ones are otherwise
      // blended straight from a row of the colour at full coverage.
      if (Solid && to - from < kLongRun) std::fill(Pixels + from, Pixels + to, Rgb | 0xFF000000u);
      else if (Solid) FillLongword(Pixels + from, to - from, Rgb | 0xFF000000u);
      else Blend(Full.data(), Pixels + from, static_cast<int>(to - from), Master);
      return;
    }
    if (StretchStart < 0) StretchStart = from;
    const TColor32 color = Rgb | (static_cast<std::uint32_t>(coverage) * 255) >> (2 * Shift) << 24;
    std::fill(Line.begin() + from, Line.begin() + to, color);
  }

  void EndStretch(std::int64_t end) {
    if (StretchStart < 0) return;
    Stretches.emplace_back(StretchStart, end);
    StretchStart = -1;
  }

  TCustomBitmap32& Bitmap;
  const int Shift;
  const std::int32_t Mask, Samples;
  const TColor32 Rgb, Master;
  const TBlendLineEx Blend;
  // Merging an opaque colour replaces the pixel whatever it held; blending
  // always leaves a trace of the background.
  const bool Solid;
  const std::int64_t Base;
  std::vector<std::int32_t>& Cells;
  std::vector<std::uint64_t>& Touched;  // one bit per pair of cells that holds a difference
  std::vector<TColor32>& Line;
  std::vector<TColor32>& Full;
  std::vector<std::pair<std::int64_t, std::int64_t>>& Stretches;  // of partly covered pixels, in the row's colours
  const std::size_t Words;  // the marks of the clip's width
  TColor32* Pixels = nullptr;
  std::int64_t StretchStart = -1;
};

// Sub-rows from .. to - 1 where no chain starts or ends, swept chain by
// chain and added once the chains are known to keep their order; false,
// with nothing added, when they do not.
bool SweepRun(TCoverageRow& coverage, const TGrid& grid, TEdgeWalker& walker, std::int64_t from, std::int64_t to,
              bool nonZero, TScratch& scratch) {
  const std::int64_t rows = to - from;
  // The parts are those of the first row's order, which the sweep keeps.
  std::vector<std::int32_t>& roles = scratch.Roles;
  roles.clear();
  ForEachRole(walker.Edges(), nonZero, [&](std::size_t, std::int32_t role) { roles.push_back(role); });
  if (!walker.SweepChains(from, rows, scratch.Crossings)) return false;
  for (std::size_t i = 0; i < roles.size(); ++i)
    if (roles[i] != 0)
      coverage.AddCrossings(scratch.Crossings.data() + i * static_cast<std::size_t>(rows), rows, roles[i], grid);
  return true;
}

// One pixel row's sub-rows: straight edges that hold through all of them
// are stepped and added in one pass; otherwise the runs of sub-rows between
// the rows where chains start or end are swept, across the corners between
// their edges, while the chains keep their order; the sub-rows left are
// sorted and added one by one.
void FillPixelRow(TCoverageRow& coverage, const TGrid& grid, TEdgeWalker& walker, std::int64_t from, std::int64_t to,
                  bool nonZero, TScratch& scratch) {
  walker.Enter(from);
  if (walker.Steady(from, to)) {
    std::vector<TEdge>& edges = walker.Edges();
    ForEachRole(edges, nonZero, [&](std::size_t i, std::int32_t role) {
      if (role != 0) coverage.AddEdge(edges[i], role, to - from, grid);
      else edges[i].Advance(to - from);
    });
    walker.HandOn(to);
    return;
  }
  std::int64_t row = from;
  while (row < to) {
    walker.Enter(row);
    const std::int64_t end = std::min(to, walker.NextChainChange());
    if (!SweepRun(coverage, grid, walker, row, end, nonZero, scratch)) break;
    row = end;
  }
  for (; row < to; ++row) {
    ForEachSpan(walker.Enter(row), nonZero, grid, [&](std::int64_t a, std::int64_t b) { coverage.AddSpan(a, b); });
    walker.Leave(row);
  }
}

void FillAntialiased(TCustomBitmap32& bitmap, const TGrid& grid, TEdgeWalker& walker, std::int64_t firstRow,
                     std::int64_t endRow, TColor32 color, bool nonZero, int shift, TScratch& scratch) {
  TCoverageRow coverage(bitmap, shift, color, scratch);
  const std::int64_t firstPixelRow = firstRow >> shift, endPixelRow = ((endRow - 1) >> shift) + 1;
  for (std::int64_t y = firstPixelRow; y < endPixelRow; ++y) {
    FillPixelRow(coverage, grid, walker, std::max(y << shift, firstRow), std::min((y + 1) << shift, endRow), nonZero,
                 scratch);
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
  const std::int64_t endRow = std::min(scratch.EndRow, grid.Bottom);
  if (endRow <= firstRow) return;
  if (options.SubsampleShift == 0)
    FillAliased(bitmap, grid, walker, firstRow, endRow, color, options.NonZero);
  else
    FillAntialiased(bitmap, grid, walker, firstRow, endRow, color, options.NonZero, options.SubsampleShift, scratch);
}

}  // namespace imaging
