#include "imaging/resample/BoxDownsample.h"

#include <algorithm>
#include <array>

#include "imaging/core/RasterError.h"
#include "imaging/core/RectHelpers.h"
#include "imaging/resample/StretchTransfer.h"
#include "platform/gdi/Bitmap.h"

namespace imaging {

namespace {

bool Contains(const TRect& outer, const TRect& inner) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
         inner.Bottom <= outer.Bottom;
}

bool Reduces(const TRect& dstRect, const TRect& srcRect) {
  return !dstRect.IsEmpty() && !srcRect.IsEmpty() && dstRect.Width() <= srcRect.Width() &&
         dstRect.Height() <= srcRect.Height();
}

// Averages the blocks of srcRect into the pixels of dstRect that lie in
// writable (within dst), dstRect being at most as large as srcRect.
void AverageBlocks(const TPixelSurface& src, const TRect& srcRect, const TPixelSurface& dst, const TRect& dstRect,
                   const TRect& writable) {
  std::vector<std::int32_t> columnStarts, columnWidths, rowStarts, rowHeights;
  SplitIntoSpans(static_cast<std::int32_t>(srcRect.Width()), static_cast<std::int32_t>(dstRect.Width()), columnStarts,
                 columnWidths);
  SplitIntoSpans(static_cast<std::int32_t>(srcRect.Height()), static_cast<std::int32_t>(dstRect.Height()), rowStarts,
                 rowHeights);
  const std::int32_t firstColumn = writable.Left - dstRect.Left, lastColumn = writable.Right - dstRect.Left;
  std::vector<std::array<std::uint64_t, 4>> sums(columnStarts.size());
  for (std::int32_t y = writable.Top; y < writable.Bottom; ++y) {
    const auto row = static_cast<std::size_t>(y - dstRect.Top);
    std::fill(sums.begin(), sums.end(), std::array<std::uint64_t, 4>{});
    for (std::int32_t sy = 0; sy < rowHeights[row]; ++sy) {
      const std::uint32_t* source = src.ScanLine(srcRect.Top + rowStarts[row] + sy) + srcRect.Left;
      for (std::int32_t column = firstColumn; column < lastColumn; ++column) {
        auto& sum = sums[static_cast<std::size_t>(column)];
        const std::uint32_t* span = source + columnStarts[static_cast<std::size_t>(column)];
        for (std::int32_t sx = 0; sx < columnWidths[static_cast<std::size_t>(column)]; ++sx)
          for (int c = 0; c < 4; ++c) sum[c] += span[sx] >> (8 * c) & 0xFF;
      }
    }
    std::uint32_t* target = dst.ScanLine(y) + dstRect.Left;
    for (std::int32_t column = firstColumn; column < lastColumn; ++column) {
      const auto& sum = sums[static_cast<std::size_t>(column)];
      const std::uint64_t count =
          std::uint64_t(rowHeights[row]) * std::uint64_t(columnWidths[static_cast<std::size_t>(column)]);
      std::uint32_t pixel = 0;
      for (int c = 0; c < 4; ++c) pixel |= static_cast<std::uint32_t>(sum[c] / count) << (8 * c);
      target[column] = pixel;
    }
  }
}

TPixelSurface SurfaceOf(const TCustomBitmap32& bitmap) {
  return TPixelSurface{bitmap.GetBits(), bitmap.GetWidth(), bitmap.GetHeight()};
}

}  // namespace

void SplitIntoSpans(std::int32_t length, std::int32_t count, std::vector<std::int32_t>& starts,
                    std::vector<std::int32_t>& widths) {
  starts.clear();
  widths.clear();
  if (count < 1) return;
  length = std::max(length, 0);
  const std::int32_t base = length / count, remainder = length - base * count;
  std::int32_t accumulator = 0, start = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    std::int32_t width = base;
    accumulator += remainder;
    if (accumulator >= count) {
      ++width;
      accumulator -= count;
    }
    starts.push_back(start);
    widths.push_back(width);
    start += width;
  }
}

void BoxDownsample32(TCustomBitmap32& dst, const TRect& dstRect, const TCustomBitmap32& src, const TRect& srcRect) {
  if (!Reduces(dstRect, srcRect)) return;
  if (!Contains(src.BoundsRect(), srcRect)) throw ERasterError("Invalid SrcRect");
  TRect writable;
  if (!IntersectRect(writable, dst.GetClipRect(), dstRect) || writable.IsEmpty()) return;
  AverageBlocks(SurfaceOf(src), srcRect, SurfaceOf(dst), dstRect, writable);
}

void BoxDownsampleBitmap(const TBitmap& src, TBitmap& dst) {
  const TPixelFormat format = src.GetPixelFormat();
  if (format != dst.GetPixelFormat() || (format != pf8bit && format != pf24bit && format != pf32bit)) return;
  const TPixelSurface& from = src.GetSurface();
  const TPixelSurface& to = dst.GetSurface();
  if (from.IsEmpty() || to.IsEmpty() || !Reduces(to.Bounds(), from.Bounds())) return;
  AverageBlocks(from, from.Bounds(), to, to.Bounds(), to.Bounds());
}

void StretchDrawBitmap(TCustomBitmap32& dst, const TRect& dstRect, TCustomBitmap32& src, TDrawMode combineOp,
                       const TPixelCombineEvent& combineCallBack, TStretchFilter filter, const TRect& srcRect) {
  const bool boxFilter = dstRect.Width() <= srcRect.Width() && dstRect.Height() <= srcRect.Height() &&
                         filter == sfLinear && !combineCallBack && Contains(src.BoundsRect(), srcRect);
  if (!boxFilter) {
    src.SetStretchFilter(filter);
    StretchTransfer(&dst, dstRect, dst.GetClipRect(), &src, srcRect, src.GetResampler(), combineOp, combineCallBack);
    return;
  }
  if (!Reduces(dstRect, srcRect)) return;
  if (!dst.GetMeasuringMode()) BoxDownsample32(dst, dstRect, src, srcRect);
  dst.AreaChanged(dstRect, AREAINFO_RECT);
}

}  // namespace imaging
