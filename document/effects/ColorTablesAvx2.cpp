#include "document/effects/ColorTablesAvx2.h"

#include <immintrin.h>

namespace {

// A table's bytes as words already moved to their channel's place, so that
// a gathered word needs nothing but an OR.
std::array<std::uint32_t, 256> PlacedTable(const TColorTable& table, int shift) {
  std::array<std::uint32_t, 256> placed;
  for (std::size_t i = 0; i < 256; ++i) placed[i] = std::uint32_t{table[i]} << shift;
  return placed;
}

}  // namespace

__attribute__((target("avx2"))) std::size_t MapColorTablesAvx2(TColor32* bits, std::size_t count,
                                                               const TColorTable& red, const TColorTable& green,
                                                               const TColorTable& blue) {
  const auto r = PlacedTable(red, 16), g = PlacedTable(green, 8), b = PlacedTable(blue, 0);
  const auto* rw = reinterpret_cast<const int*>(r.data());
  const auto* gw = reinterpret_cast<const int*>(g.data());
  const auto* bw = reinterpret_cast<const int*>(b.data());
  const __m256i byteMask = _mm256_set1_epi32(0xFF), alphaMask = _mm256_set1_epi32(int(0xFF000000u));
  const std::size_t whole = count - count % 8;
  for (std::size_t i = 0; i < whole; i += 8) {
    auto* block = reinterpret_cast<__m256i*>(bits + i);
    const __m256i in = _mm256_loadu_si256(block);
    const __m256i alpha = _mm256_and_si256(in, alphaMask);
    const __m256i mapped = _mm256_or_si256(
        _mm256_or_si256(alpha, _mm256_i32gather_epi32(rw, _mm256_and_si256(_mm256_srli_epi32(in, 16), byteMask), 4)),
        _mm256_or_si256(_mm256_i32gather_epi32(gw, _mm256_and_si256(_mm256_srli_epi32(in, 8), byteMask), 4),
                        _mm256_i32gather_epi32(bw, _mm256_and_si256(in, byteMask), 4)));
    const __m256i transparent = _mm256_cmpeq_epi32(alpha, _mm256_setzero_si256());
    _mm256_storeu_si256(block, _mm256_blendv_epi8(mapped, in, transparent));
  }
  return whole;
}
