#pragma once
// Storage for the codec's bitmaps. Buffers of several megabytes are placed
// on huge-page boundaries and offered to the kernel as candidates for huge
// pages: a decoded page image is tens of megabytes of fresh memory, and
// faulting it in 4 KiB pages costs about as much as the colour conversion
// that fills it.

#include <cstddef>
#include <new>

namespace jpeg {

void* AllocateLarge(std::size_t bytes);
void FreeLarge(void* p, std::size_t bytes) noexcept;

template <class T>
struct TsdLargeAllocator {
  using value_type = T;
  TsdLargeAllocator() = default;
  template <class U>
  TsdLargeAllocator(const TsdLargeAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) { return static_cast<T*>(AllocateLarge(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { FreeLarge(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const TsdLargeAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace jpeg
