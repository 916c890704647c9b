#include "imaging/resample/ResampleKernels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "imaging/blend/Blend.h"
#include "imaging/resample/MappingTable.h"
#include "imaging/bitmap/PixelWriter.h"
#include "imaging/resample/ResamplerBindings.h"
#include "platform/rtl/Numbers.h"

namespace imaging {

namespace {

// A mapping table in the form the kernel passes read: one window of
// consecutive source positions per destination position, with the weights
// of positions named twice (held at an edge) added up.
struct TWindowTable {
  std::vector<TKernelWindow> Windows;
  std::vector<std::int16_t> Weights;
  std::int64_t MaxAbsSum = 0;
  std::int64_t MaxAbsWeight = 0;
  std::int32_t MaxCount = 0;
};

TWindowTable ToWindows(const TMappingTable& table) {
  TWindowTable result;
  std::vector<std::int64_t> merged;
  for (std::size_t i = 0; i < table.Count(); ++i) {
    const auto list = table[i];
    const auto [lowest, highest] = std::minmax_element(
        list.begin(), list.end(), [](const TMappingEntry& a, const TMappingEntry& b) { return a.Pos < b.Pos; });
    const std::int32_t first = lowest->Pos, count = highest->Pos - first + 1;
    merged.assign(static_cast<std::size_t>(count), 0);
    for (const TMappingEntry& entry : list) merged[static_cast<std::size_t>(entry.Pos - first)] += entry.Weight;
    std::int64_t absSum = 0;
    for (const std::int64_t weight : merged) {
      absSum += std::abs(weight);
      result.MaxAbsWeight = std::max(result.MaxAbsWeight, std::abs(weight));
      result.Weights.push_back(static_cast<std::int16_t>(std::clamp<std::int64_t>(weight, -32768, 32767)));
    }
    result.Windows.push_back({first, count, static_cast<std::int32_t>(result.Weights.size() - merged.size())});
    result.MaxAbsSum = std::max(result.MaxAbsSum, absSum);
    result.MaxCount = std::max(result.MaxCount, count);
  }
  return result;
}

// True when every partial sum of the kernel passes fits in 32 bits.
bool FitsPasses(const TWindowTable& columns, const TWindowTable& rows) {
  constexpr std::int64_t limit = std::numeric_limits<std::int32_t>::max();
  if (columns.MaxAbsWeight > 32767 || rows.MaxAbsWeight > 32767) return false;
  return 255 * columns.MaxAbsSum <= limit / std::max<std::int64_t>(rows.MaxAbsSum, 1);
}

// Room for the horizontal sums of one strip of columns, in 32-bit values.
constexpr std::int64_t StripBudget = std::int64_t{8} << 20;

// Horizontal sums of source rows are kept in a ring of as many rows as the
// longest vertical window, so each source row is filtered once per strip.
// Very tall windows (huge reductions) split the columns into strips that
// keep the ring within StripBudget.
void SeparableResample(const TStretchArgs& args, const TWindowTable& columns, const TWindowTable& rows,
                       bool rangeCheck) {
  const TPixelWriter writer(args.Src, args.CombineOp, args.CombineCallBack, bfMemory);
  const auto clipWidth = static_cast<std::int32_t>(columns.Windows.size());
  const std::int32_t capacity = rows.MaxCount;
  const auto strip =
      static_cast<std::int32_t>(std::clamp<std::int64_t>(StripBudget / (std::int64_t{capacity} * 4), 1, clipWidth));
  std::vector<std::int32_t> ring(static_cast<std::size_t>(capacity) * 4 * strip);
  std::vector<std::int32_t> ringRow(static_cast<std::size_t>(capacity));
  std::vector<const std::int32_t*> taps(static_cast<std::size_t>(capacity));
  std::vector<TColor32> colors(static_cast<std::size_t>(strip));
  for (std::int32_t left = 0; left < clipWidth; left += strip) {
    const std::int32_t width = std::min(strip, clipWidth - left);
    std::fill(ringRow.begin(), ringRow.end(), -1);
    for (std::size_t r = 0; r < rows.Windows.size(); ++r) {
      const TKernelWindow& window = rows.Windows[r];
      for (std::int32_t k = 0; k < window.Count; ++k) {
        const std::int32_t y = window.First + k, slot = y % capacity;
        std::int32_t* sums = ring.data() + std::size_t{4} * strip * slot;
        if (ringRow[slot] != y) {
          KernelRowPass(args.Src.ScanLine(y), columns.Windows.data() + left, columns.Weights.data(), width, sums);
          ringRow[slot] = y;
        }
        taps[k] = sums;
      }
      TColor32* dst = args.Dst.PixelPtr(args.DstClip.Left + left, args.DstClip.Top + static_cast<std::int32_t>(r));
      TColor32* out = writer.Stores() ? dst : colors.data();
      KernelColumnPass(taps.data(), rows.Weights.data() + window.Offset, window.Count, width, rangeCheck, out);
      writer.Write(out, dst, width);
    }
  }
}

// The same sums for weights too large for 32 bits, straight from the
// mapping tables. Exact while the sums stay below 2^53.
void WideResample(const TStretchArgs& args, const TMappingTable& columns, const TMappingTable& rows, bool rangeCheck) {
  const TPixelWriter writer(args.Src, args.CombineOp, args.CombineCallBack, bfMemory);
  std::vector<TColor32> colors(columns.Count());
  for (std::size_t r = 0; r < rows.Count(); ++r) {
    for (std::size_t c = 0; c < columns.Count(); ++c) {
      double sums[4] = {};
      for (const TMappingEntry& row : rows[r])
        for (const TMappingEntry& column : columns[c]) {
          const TColor32 pixel = args.Src.GetPixel(column.Pos, row.Pos);
          const double weight = static_cast<double>(row.Weight) * column.Weight;
          for (int ch = 0; ch < 4; ++ch) sums[ch] += weight * (pixel >> (8 * ch) & 0xFF);
        }
      TColor32 color = 0;
      for (int ch = 0; ch < 4; ++ch) color |= FinishWideChannel(sums[ch], rangeCheck) << (8 * ch);
      colors[c] = color;
    }
    writer.Write(colors.data(), args.Dst.PixelPtr(args.DstClip.Left, args.DstClip.Top + static_cast<std::int32_t>(r)),
                 static_cast<std::int32_t>(colors.size()));
  }
}

struct TBilinearEntry {
  std::int32_t Pos;
  std::uint32_t Weight;
};

// Per destination position, the source pixel before its centre and that
// pixel's weight (256 - the rounded fraction x 256).
std::vector<TBilinearEntry> BilinearEntries(std::int32_t dstLo, std::int32_t dstHi, std::int32_t clipLo,
                                            std::int32_t clipHi, std::int32_t srcLo, std::int32_t srcHi,
                                            std::int32_t srcSize) {
  const double scale = (static_cast<double>(srcHi) - srcLo) / (static_cast<double>(dstHi) - dstLo);
  std::vector<TBilinearEntry> entries;
  entries.reserve(static_cast<std::size_t>(clipHi - clipLo));
  for (std::int64_t i = clipLo; i < clipHi; ++i) {
    const double t =
        std::clamp((static_cast<double>(i - dstLo) + 0.5) * scale + srcLo - 0.5, 0.0, static_cast<double>(srcSize - 1));
    const double whole = std::floor(t);
    TBilinearEntry entry{rtl::CheckedToInt32(whole), static_cast<std::uint32_t>(256 - rtl::Round((t - whole) * 256))};
    // The pixel after the position must exist: the last one is reached
    // from the one before it with weight 0.
    if (entry.Pos == srcSize - 1) entry = {srcSize - 2, 0};
    entries.push_back(entry);
  }
  return entries;
}

}  // namespace

void KernelResample(const TStretchArgs& args, const TCustomKernel& kernel) {
  const TRect& d = args.DstRect;
  const TRect& c = args.DstClip;
  const TRect& s = args.SrcRect;
  const TMappingTable columns = BuildMappingTable(d.Left, d.Right, c.Left, c.Right, s.Left, s.Right, kernel);
  const TMappingTable rows = BuildMappingTable(d.Top, d.Bottom, c.Top, c.Bottom, s.Top, s.Bottom, kernel);
  if (columns.Count() == 0 || rows.Count() == 0) return;
  const TWindowTable columnWindows = ToWindows(columns), rowWindows = ToWindows(rows);
  if (FitsPasses(columnWindows, rowWindows))
    SeparableResample(args, columnWindows, rowWindows, kernel.RangeCheck());
  else
    WideResample(args, columns, rows, kernel.RangeCheck());
}

void BilinearStretch(const TStretchArgs& args) {
  const TRect& d = args.DstRect;
  const TRect& c = args.DstClip;
  const TRect& s = args.SrcRect;
  const TCustomBitmap32& src = args.Src;
  const auto columns = BilinearEntries(d.Left, d.Right, c.Left, c.Right, s.Left, s.Right, src.GetWidth());
  const auto rows = BilinearEntries(d.Top, d.Bottom, c.Top, c.Bottom, s.Top, s.Bottom, src.GetHeight());
  const TPixelWriter writer(src, args.CombineOp, args.CombineCallBack, bfMemory);
  std::vector<TColor32> colors(columns.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const TColor32* top = src.ScanLine(rows[r].Pos);
    const TColor32* below = src.ScanLine(rows[r].Pos + 1);
    for (std::size_t i = 0; i < columns.size(); ++i)
      colors[i] = Interpolator(columns[i].Weight, rows[r].Weight, top + columns[i].Pos, below + columns[i].Pos);
    writer.Write(colors.data(), args.Dst.PixelPtr(c.Left, c.Top + static_cast<std::int32_t>(r)),
                 static_cast<std::int32_t>(colors.size()));
  }
  EMMS();
}

}  // namespace imaging
