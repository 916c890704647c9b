#include "imaging/jpeg/JpegMemory.h"

#include <sys/mman.h>

#include <cstdlib>

namespace jpeg {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kLargeThreshold = 2 * kHugePage;
}  // namespace

void* AllocateLarge(std::size_t bytes) {
  if (bytes < kLargeThreshold) return ::operator new(bytes);
  const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* p = std::aligned_alloc(kHugePage, rounded);
  if (!p) throw std::bad_alloc();
  madvise(p, rounded, MADV_HUGEPAGE);  // a hint: without it the memory works the same
  return p;
}

void FreeLarge(void* p, std::size_t bytes) noexcept {
  if (bytes < kLargeThreshold) ::operator delete(p);
  else std::free(p);
}

}  // namespace jpeg
