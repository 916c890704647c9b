// The hue/saturation/lightness lanes eight pixels wide.

#include <immintrin.h>

#include "document/effects/HslAdjustLanes.h"

#define HSL_LANES_FN __attribute__((target("avx2,fma"), always_inline)) inline
#include "document/effects/HslLanes.h"

namespace {

// Masks are vectors of all-ones or all-zeros lanes.
struct TAvx2Lanes {
  using F = __m256;
  using I = __m256i;
  using M = __m256;
  static constexpr std::size_t kLanes = 8;

  HSL_LANES_ARITHMETIC(_mm256)
  HSL_LANES_FN static F Floor(F a) { return _mm256_floor_ps(a); }
  HSL_LANES_FN static F Ceil(F a) { return _mm256_ceil_ps(a); }
  HSL_LANES_COMPARISONS(_mm256_cmp_ps)
  HSL_LANES_FN static F Sel(F otherwise, F value, M condition) { return _mm256_blendv_ps(otherwise, value, condition); }
  // Red, green and blue words (any integers; held within 0..255 here) as
  // the colour bytes of the pixels, alpha 0. Each 128-bit half holds four
  // blues, greens, reds and zeros after packing: interleave them.
  HSL_LANES_FN static I Pack(I red, I green, I blue) {
    const I words = _mm256_packus_epi16(_mm256_packs_epi32(blue, green), _mm256_packs_epi32(red, _mm256_setzero_si256()));
    return _mm256_shuffle_epi8(words, _mm256_broadcastsi128_si256(_mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15)));
  }
  // Alpha stays; pixels without alpha stay whole.
  HSL_LANES_FN static I Finish(I in, I rgb) {
    const I alpha = _mm256_andnot_si256(_mm256_set1_epi32(0x00FFFFFF), in);
    return _mm256_blendv_epi8(_mm256_or_si256(alpha, rgb), in, _mm256_cmpeq_epi32(alpha, _mm256_setzero_si256()));
  }
  HSL_LANES_FN static I Load(const TColor32* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
  HSL_LANES_FN static void Store(TColor32* p, I v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
  HSL_LANES_FN static bool Same(I a, I b) { return _mm256_movemask_epi8(_mm256_cmpeq_epi32(a, b)) == -1; }
};

}  // namespace

__attribute__((target("avx2,fma"))) std::size_t AdjustHslAvx2(TColor32* bits, std::size_t count, const THslShift& shift) {
  return hsllanes::AdjustAll<TAvx2Lanes>(bits, count, shift);
}
