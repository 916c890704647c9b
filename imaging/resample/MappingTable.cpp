#include "imaging/resample/MappingTable.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "imaging/resample/Kernels.h"
#include "platform/rtl/Numbers.h"

namespace imaging {

namespace {

// Makes the list sum to 256 by correcting its middle entry; a list without
// any weight takes the whole of the source position under the centre.
void FinishList(TMappingTable& table, std::int32_t fallbackPos) {
  std::span<TMappingEntry> list = table.CurrentList();
  if (list.empty()) {
    table.Append({fallbackPos, 256});
  } else {
    std::int64_t sum = 0;
    for (const TMappingEntry& entry : list) sum += entry.Weight;
    TMappingEntry& middle = list[(list.size() - 1) / 2];
    const std::int64_t corrected = middle.Weight - (sum - 256);
    middle.Weight = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        corrected, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
  }
  table.EndList();
}

}  // namespace

std::int32_t KernelWeight(float filterValue, double scale) {
  const double weight = filterValue * 256.0 * scale;
  if (std::isnan(weight)) return 0;
  return rtl::Round(std::clamp(weight, -32767.0, 32767.0));
}

TMappingTable BuildMappingTable(std::int32_t dstLo, std::int32_t dstHi, std::int32_t clipLo, std::int32_t clipHi,
                                std::int32_t srcLo, std::int32_t srcHi, const TCustomKernel& kernel) {
  TMappingTable table;
  const std::int64_t srcWidth = std::int64_t{srcHi} - srcLo, dstWidth = std::int64_t{dstHi} - dstLo;
  const std::int64_t clipWidth = std::int64_t{clipHi} - clipLo;
  if (srcWidth <= 0 || dstWidth <= 0 || clipWidth <= 0) return table;
  if (srcWidth == 1) {
    for (std::int64_t i = 0; i < clipWidth; ++i) {
      table.Append({srcLo, 256});
      table.EndList();
    }
    return table;
  }

  const double scale = static_cast<double>(dstWidth) / static_cast<double>(srcWidth);
  // Shrinking stretches the kernel over 1 / scale source pixels and scales
  // its weights down by the same factor.
  const double stretch = std::min(scale, 1.0);
  const double reach = kernel.GetWidth() / stretch;
  const auto clampPos = [&](double pos) {
    return rtl::CheckedToInt32(std::clamp<double>(pos, srcLo, std::int64_t{srcHi} - 1));
  };
  for (std::int64_t i = 0; i < clipWidth; ++i) {
    const double center = (static_cast<double>(i + clipLo - dstLo) + 0.5) / scale + static_cast<double>(srcLo) - 0.5;
    const double first = std::floor(center - reach), last = std::ceil(center + reach);
    for (double j = first; j <= last; ++j) {
      const float distance = static_cast<float>((center - j) * stretch);
      const std::int32_t weight = KernelWeight(kernel.Filter(distance), stretch);
      if (weight != 0) table.Append({clampPos(j), weight});
    }
    FinishList(table, clampPos(std::floor(center)));
  }
  return table;
}

}  // namespace imaging
