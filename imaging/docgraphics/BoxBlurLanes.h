#pragma once
// AVX2 pieces of the intensity blurs that run eight lines at once, one line
// per 32-bit lane. Include only in files whose callers check for AVX2.

#include <immintrin.h>

#include <cstddef>

#include "imaging/bitmap/Color32.h"
#include "imaging/core/Avx2Function.h"

namespace imaging {

constexpr std::size_t kBlurLanes = 8;

// One value of eight lines.
struct alignas(32) TLanes {
  TColor32 Values[kBlurLanes];
};

AVX2_FN __m256i Load(const TLanes& lanes) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes.Values));
}
AVX2_FN void Store(TLanes& lanes, __m256i values) {
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes.Values), values);
}

// Rows of an 8 x 8 block become its columns.
AVX2_FN void Transpose8x8(__m256i (&r)[kBlurLanes]) {
  __m256i t[kBlurLanes], u[kBlurLanes];
  for (std::size_t i = 0; i < kBlurLanes; i += 2) {
    t[i] = _mm256_unpacklo_epi32(r[i], r[i + 1]);
    t[i + 1] = _mm256_unpackhi_epi32(r[i], r[i + 1]);
  }
  for (std::size_t i = 0; i < kBlurLanes; i += 4) {
    u[i] = _mm256_unpacklo_epi64(t[i], t[i + 2]);
    u[i + 1] = _mm256_unpackhi_epi64(t[i], t[i + 2]);
    u[i + 2] = _mm256_unpacklo_epi64(t[i + 1], t[i + 3]);
    u[i + 3] = _mm256_unpackhi_epi64(t[i + 1], t[i + 3]);
  }
  for (std::size_t i = 0; i < 4; ++i) {
    r[i] = _mm256_permute2x128_si256(u[i], u[i + 4], 0x20);
    r[i + 4] = _mm256_permute2x128_si256(u[i], u[i + 4], 0x31);
  }
}

// Eight quotients by the window: (sum x m) >> shift lane by lane, the
// multiplier and shift of a TWindowDivider (sums in 0..2^31 - 1).
AVX2_FN __m256i DivideLanes(__m256i sum, __m256i multiplier, __m128i shift) {
  const __m256i even = _mm256_srl_epi64(_mm256_mul_epu32(sum, multiplier), shift);
  const __m256i odd = _mm256_srl_epi64(_mm256_mul_epu32(_mm256_srli_epi64(sum, 32), multiplier), shift);
  return _mm256_blend_epi32(even, _mm256_slli_epi64(odd, 32), 0xAA);
}

}  // namespace imaging
