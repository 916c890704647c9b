// The hue/saturation/lightness lanes sixteen pixels wide.

// GCC 12 takes the deliberately undefined vectors inside the 512-bit
// intrinsics for uninitialised ones.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#include "document/effects/HslAdjustLanes.h"

#define HSL_LANES_FN __attribute__((target("avx512f,avx512bw,fma"), always_inline)) inline
#include "document/effects/HslLanes.h"

namespace {

// Masks are mask registers, one bit a lane.
struct TAvx512Lanes {
  using F = __m512;
  using I = __m512i;
  using M = __mmask16;
  static constexpr std::size_t kLanes = 16;

  HSL_LANES_ARITHMETIC(_mm512)
  HSL_LANES_FN static F Floor(F a) { return _mm512_roundscale_ps(a, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC); }
  HSL_LANES_FN static F Ceil(F a) { return _mm512_roundscale_ps(a, _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC); }
  HSL_LANES_COMPARISONS(_mm512_cmp_ps_mask)
  HSL_LANES_FN static F Sel(F otherwise, F value, M condition) { return _mm512_mask_blend_ps(condition, otherwise, value); }
  // As eight lanes wide, in each 128-bit quarter.
  HSL_LANES_FN static I Pack(I red, I green, I blue) {
    const I words = _mm512_packus_epi16(_mm512_packs_epi32(blue, green), _mm512_packs_epi32(red, _mm512_setzero_si512()));
    return _mm512_shuffle_epi8(words, _mm512_broadcast_i32x4(_mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15)));
  }
  HSL_LANES_FN static I Finish(I in, I rgb) {
    const I alpha = _mm512_andnot_si512(_mm512_set1_epi32(0x00FFFFFF), in);
    return _mm512_mask_mov_epi32(_mm512_or_si512(alpha, rgb), _mm512_cmpeq_epi32_mask(alpha, _mm512_setzero_si512()), in);
  }
  HSL_LANES_FN static I Load(const TColor32* p) { return _mm512_loadu_si512(p); }
  HSL_LANES_FN static void Store(TColor32* p, I v) { _mm512_storeu_si512(p, v); }
  HSL_LANES_FN static bool Same(I a, I b) { return _mm512_cmpeq_epi32_mask(a, b) == 0xFFFF; }
};

}  // namespace

__attribute__((target("avx512f,avx512bw,fma"))) std::size_t AdjustHslAvx512(TColor32* bits, std::size_t count,
                                                                             const THslShift& shift) {
  return hsllanes::AdjustAll<TAvx512Lanes>(bits, count, shift);
}
