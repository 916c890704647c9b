// Vector variants of the word fill. Each is compiled for its instruction set
// and only bound when the processor has it.

#include <immintrin.h>

#include <cstdint>

#include "imaging/core/LowLevel.h"

namespace imaging {
namespace {

// Processors with AVX2 also have fast string stores, which for long runs
// beat any loop of vector stores (and are what memset uses for them).
constexpr std::ptrdiff_t kStringFillWords = 4096;

// Words to store one by one before dest is aligned to Alignment bytes.
template <std::uintptr_t Alignment>
std::ptrdiff_t HeadToAlignment(const std::uint32_t* dest, std::ptrdiff_t count) {
  const auto address = reinterpret_cast<std::uintptr_t>(dest);
  if (address % 4 != 0) return count;  // words not even 4-byte aligned: no vector stores
  const std::uintptr_t misalignment = address & (Alignment - 1);
  const auto head = misalignment == 0 ? 0 : static_cast<std::ptrdiff_t>((Alignment - misalignment) / 4);
  return head < count ? head : count;
}

}  // namespace

namespace sse2 {
__attribute__((target("sse2"))) void FillLongword(std::uint32_t* dest, std::ptrdiff_t count, std::uint32_t value) {
  if (count <= 0) return;
  const std::ptrdiff_t head = HeadToAlignment<16>(dest, count);
  for (std::ptrdiff_t i = 0; i < head; ++i) dest[i] = value;
  dest += head;
  count -= head;
  const __m128i v = _mm_set1_epi32(static_cast<int>(value));
  std::ptrdiff_t i = 0;
  for (; i + 16 <= count; i += 16) {
    auto* p = reinterpret_cast<__m128i*>(dest + i);
    _mm_store_si128(p, v), _mm_store_si128(p + 1, v), _mm_store_si128(p + 2, v), _mm_store_si128(p + 3, v);
  }
  for (; i + 4 <= count; i += 4) _mm_store_si128(reinterpret_cast<__m128i*>(dest + i), v);
  for (; i < count; ++i) dest[i] = value;
}
}  // namespace sse2

namespace avx2 {
__attribute__((target("avx2"))) void FillLongword(std::uint32_t* dest, std::ptrdiff_t count, std::uint32_t value) {
  if (count <= 0) return;
  if (count >= kStringFillWords) {
    auto words = static_cast<std::size_t>(count);
    asm volatile("rep stosl" : "+D"(dest), "+c"(words) : "a"(value) : "memory");
    return;
  }
  const std::ptrdiff_t head = HeadToAlignment<32>(dest, count);
  for (std::ptrdiff_t i = 0; i < head; ++i) dest[i] = value;
  dest += head;
  count -= head;
  const __m256i v = _mm256_set1_epi32(static_cast<int>(value));
  std::ptrdiff_t i = 0;
  for (; i + 32 <= count; i += 32) {
    auto* p = reinterpret_cast<__m256i*>(dest + i);
    _mm256_store_si256(p, v), _mm256_store_si256(p + 1, v), _mm256_store_si256(p + 2, v),
        _mm256_store_si256(p + 3, v);
  }
  for (; i + 8 <= count; i += 8) _mm256_store_si256(reinterpret_cast<__m256i*>(dest + i), v);
  for (; i < count; ++i) dest[i] = value;
}
}  // namespace avx2

}  // namespace imaging
