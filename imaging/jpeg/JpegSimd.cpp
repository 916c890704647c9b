#include "imaging/jpeg/JpegSimd.h"

#include <algorithm>
#include <atomic>

#include "imaging/core/CpuFeatures.h"
#include "imaging/jpeg/JpegVector.h"

namespace jpeg {

namespace {

TsdSimdLevel Detect() {
#if JPEG_AVX2_VARIANTS
  if (imaging::HasCPUFeature(cfAVX2)) return TsdSimdLevel::Avx2;
#endif
  return TsdSimdLevel::Portable;
}

std::atomic<TsdSimdLevel>& Chosen() {
  static std::atomic<TsdSimdLevel> level{BestSimdLevel()};
  return level;
}

}  // namespace

TsdSimdLevel BestSimdLevel() {
  static const TsdSimdLevel best = Detect();
  return best;
}

TsdSimdLevel SimdLevel() { return Chosen().load(std::memory_order_relaxed); }

void SetSimdLevel(TsdSimdLevel level) { Chosen().store(std::min(level, BestSimdLevel()), std::memory_order_relaxed); }

}  // namespace jpeg
