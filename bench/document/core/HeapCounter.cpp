#include "bench/document/core/HeapCounter.h"

#include <malloc.h>

#include <atomic>
#include <cerrno>
#include <cstddef>

// The C library's own entry points, which the replacements below forward to.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<std::int64_t> Held{0};
std::atomic<std::int64_t> Peak{0};

void Count(void* block) {
  if (!block) return;
  const std::int64_t now = Held += static_cast<std::int64_t>(malloc_usable_size(block));
  std::int64_t peak = Peak.load(std::memory_order_relaxed);
  while (now > peak && !Peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
}

void Uncount(void* block) {
  if (block) Held -= static_cast<std::int64_t>(malloc_usable_size(block));
}

}  // namespace

namespace bench {

std::int64_t HeapBytes() { return Held.load(); }
std::int64_t HeapPeakBytes() { return Peak.load(); }
void ResetHeapPeak() { Peak.store(Held.load()); }

}  // namespace bench

extern "C" {

void* malloc(std::size_t size) {
  void* block = __libc_malloc(size);
  Count(block);
  return block;
}

void* calloc(std::size_t count, std::size_t size) {
  void* block = __libc_calloc(count, size);
  Count(block);
  return block;
}

void* realloc(void* block, std::size_t size) {
  const std::int64_t before = block ? static_cast<std::int64_t>(malloc_usable_size(block)) : 0;
  void* moved = __libc_realloc(block, size);
  // When it fails the old block stays, counted as it was.
  if (!moved && size != 0) return moved;
  Held -= before;
  Count(moved);
  return moved;
}

void free(void* block) {
  Uncount(block);
  __libc_free(block);
}

void* memalign(std::size_t alignment, std::size_t size) {
  void* block = __libc_memalign(alignment, size);
  Count(block);
  return block;
}

void* aligned_alloc(std::size_t alignment, std::size_t size) { return memalign(alignment, size); }

int posix_memalign(void** result, std::size_t alignment, std::size_t size) {
  void* block = memalign(alignment, size);
  if (!block) return ENOMEM;
  *result = block;
  return 0;
}

}  // extern "C"
