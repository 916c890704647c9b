// Vector variants of the word fill. Each is compiled for its instruction set
// and only bound when the processor has it.

#include <immintrin.h>

#include <cstdint>

#include "imaging/LowLevel.h"

namespace imaging {
namespace {

// Above this many bytes the fill bypasses the caches, as memset does: the
// data would push everything else out of them anyway.
constexpr std::ptrdiff_t kStreamingBytes = std::ptrdiff_t{4} << 20;

template <std::uintptr_t Alignment>
std::ptrdiff_t HeadToAlignment(const std::uint32_t* dest, std::ptrdiff_t count) {
  const std::uintptr_t misalignment = reinterpret_cast<std::uintptr_t>(dest) & (Alignment - 1);
  std::ptrdiff_t head = misalignment == 0 ? 0 : static_cast<std::ptrdiff_t>((Alignment - misalignment) / 4);
  if (reinterpret_cast<std::uintptr_t>(dest) % 4 != 0) head = count;  // unaligned words: no vector stores
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
  const bool streaming = count * 4 >= kStreamingBytes;
  std::ptrdiff_t i = 0;
  for (; i + 16 <= count; i += 16) {
    auto* p = reinterpret_cast<__m128i*>(dest + i);
    if (streaming) {
      _mm_stream_si128(p, v), _mm_stream_si128(p + 1, v), _mm_stream_si128(p + 2, v), _mm_stream_si128(p + 3, v);
    } else {
      _mm_store_si128(p, v), _mm_store_si128(p + 1, v), _mm_store_si128(p + 2, v), _mm_store_si128(p + 3, v);
    }
  }
  if (streaming) _mm_sfence();
  for (; i + 4 <= count; i += 4) _mm_store_si128(reinterpret_cast<__m128i*>(dest + i), v);
  for (; i < count; ++i) dest[i] = value;
}
}  // namespace sse2

namespace avx2 {
__attribute__((target("avx2"))) void FillLongword(std::uint32_t* dest, std::ptrdiff_t count, std::uint32_t value) {
  if (count <= 0) return;
  const std::ptrdiff_t head = HeadToAlignment<32>(dest, count);
  for (std::ptrdiff_t i = 0; i < head; ++i) dest[i] = value;
  dest += head;
  count -= head;
  const __m256i v = _mm256_set1_epi32(static_cast<int>(value));
  const bool streaming = count * 4 >= kStreamingBytes;
  std::ptrdiff_t i = 0;
  for (; i + 32 <= count; i += 32) {
    auto* p = reinterpret_cast<__m256i*>(dest + i);
    if (streaming) {
      _mm256_stream_si256(p, v), _mm256_stream_si256(p + 1, v), _mm256_stream_si256(p + 2, v),
          _mm256_stream_si256(p + 3, v);
    } else {
      _mm256_store_si256(p, v), _mm256_store_si256(p + 1, v), _mm256_store_si256(p + 2, v),
          _mm256_store_si256(p + 3, v);
    }
  }
  if (streaming) _mm_sfence();
  for (; i + 8 <= count; i += 8) _mm256_store_si256(reinterpret_cast<__m256i*>(dest + i), v);
  for (; i < count; ++i) dest[i] = value;
}
}  // namespace avx2

}  // namespace imaging
