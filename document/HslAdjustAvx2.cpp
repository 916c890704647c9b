#include "document/HslAdjustAvx2.h"

#include <immintrin.h>

// The fused multiply-adds below are written out; no other product and sum
// may be fused (the build turns contraction off for this file), or the
// lanes would round differently from the one-pixel code.
#define AVX2_FN __attribute__((target("avx2,fma"), always_inline)) inline

namespace {

AVX2_FN __m256 Select(__m256 otherwise, __m256 value, __m256 condition) {
  return _mm256_blendv_ps(otherwise, value, condition);
}

AVX2_FN __m256 Less(__m256 a, __m256 b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }

// The smallest floats h with 6 x h >= 1 and 3 x h >= 2 once the products
// are rounded: the one-pixel code's tests on those products become plain
// comparisons of h.
constexpr float kSixthFrom = 0x1.555556p-3f, kTwoThirdsFrom = 0x1.555556p-1f;

// One channel from the hue position h and the two levels m1, m2, as a
// rounded but not yet clamped integer; d6 is (m2 - m1) x 6.
AVX2_FN __m256i HueStep(__m256 m1, __m256 m2, __m256 d6, __m256 h) {
  h = _mm256_sub_ps(h, _mm256_floor_ps(h));
  const __m256 rising = _mm256_add_ps(m1, _mm256_mul_ps(d6, h));
  const __m256 falling = _mm256_add_ps(
      m1, _mm256_mul_ps(_mm256_mul_ps(_mm256_sub_ps(m2, m1), _mm256_sub_ps(_mm256_set1_ps(2.0f / 3), h)),
                        _mm256_set1_ps(6.0f)));
  __m256 v = Select(m1, falling, Less(h, _mm256_set1_ps(kTwoThirdsFrom)));
  v = Select(v, m2, Less(h, _mm256_set1_ps(0.5f)));
  v = Select(v, rising, Less(h, _mm256_set1_ps(kSixthFrom)));
  return _mm256_cvtps_epi32(_mm256_mul_ps(v, _mm256_set1_ps(255.0f)));
}

// How the shifted hue goes back into 0..1: not at all (no shift), by one
// turn at most (a shift within -1..1), or by any number of turns.
enum class TWrap { None, OneTurn, AnyTurns };

// The hue moved back into 0..1 by whole turns. The one-pixel form works in
// double precision: h - ceil(h - 1) above 1 (0 beyond 2^53, where h - 1 is h
// again), h - floor(h) below 0. The single-precision steps here give the
// same bits for every finite float (checked for all of them).
AVX2_FN __m256 WrapAnyTurns(__m256 h) {
  const __m256 one = _mm256_set1_ps(1.0f);
  const __m256 above = Select(_mm256_add_ps(_mm256_sub_ps(h, _mm256_ceil_ps(h)), one), _mm256_setzero_ps(),
                              _mm256_cmp_ps(h, _mm256_set1_ps(0x1p53f), _CMP_GT_OQ));
  const __m256 below = _mm256_sub_ps(h, _mm256_floor_ps(h));
  return Select(Select(h, below, Less(h, _mm256_setzero_ps())), above, _mm256_cmp_ps(h, one, _CMP_GT_OQ));
}

// A hue in 0..1 plus a shift in -1..1 lies within -1..2: above 1 the wrap
// above is h - 1 (exact there), below 0 it is h + 1 (exact as well).
AVX2_FN __m256 WrapOneTurn(__m256 h) {
  const __m256 one = _mm256_set1_ps(1.0f);
  return Select(Select(h, _mm256_add_ps(h, one), Less(h, _mm256_setzero_ps())), _mm256_sub_ps(h, one),
                _mm256_cmp_ps(h, one, _CMP_GT_OQ));
}

// x / d rounded as a single-precision division rounds it, from the product
// by the rounded reciprocal and one exact remainder: the same bits for
// bytes over 255 and for the hue sums over 6 that colours give (checked
// for every byte and every colour), without a division.
AVX2_FN __m256 DivideByConstant(__m256 x, float d) {
  const __m256 reciprocal = _mm256_set1_ps(1.0f / d);
  const __m256 q = _mm256_mul_ps(x, reciprocal);
  return _mm256_fmadd_ps(_mm256_fnmadd_ps(q, _mm256_set1_ps(d), x), reciprocal, q);
}

AVX2_FN __m256 ByteOver255(__m256i channel) { return DivideByConstant(_mm256_cvtepi32_ps(channel), 255.0f); }

AVX2_FN __m256 Clamp01(__m256 v) { return _mm256_min_ps(_mm256_max_ps(v, _mm256_setzero_ps()), _mm256_set1_ps(1.0f)); }

// Red, green and blue words of eight pixels (any integers; held within
// 0..255 here) as the colour bytes of those pixels, alpha 0.
AVX2_FN __m256i PackColours(__m256i red, __m256i green, __m256i blue) {
  const __m256i words = _mm256_packus_epi16(_mm256_packs_epi32(blue, green), _mm256_packs_epi32(red, _mm256_setzero_si256()));
  // Each 128-bit half now holds four blues, four greens, four reds, four
  // zeros: interleave them pixel by pixel.
  const __m256i order = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15,  //
                                         0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
  return _mm256_shuffle_epi8(words, order);
}

template <TWrap wrap>
AVX2_FN __m256i AdjustEight(__m256i in, const THslShift& shift) {
  const __m256i byteMask = _mm256_set1_epi32(0xFF);
  const __m256 one = _mm256_set1_ps(1.0f), zero = _mm256_setzero_ps();
  const __m256 r = ByteOver255(_mm256_and_si256(_mm256_srli_epi32(in, 16), byteMask));
  const __m256 g = ByteOver255(_mm256_and_si256(_mm256_srli_epi32(in, 8), byteMask));
  const __m256 b = ByteOver255(_mm256_and_si256(in, byteMask));

  // To hue, saturation, lightness.
  const __m256 max = _mm256_max_ps(_mm256_max_ps(r, g), b), min = _mm256_min_ps(_mm256_min_ps(r, g), b);
  const __m256 sum = _mm256_add_ps(max, min);
  const __m256 l = _mm256_mul_ps(sum, _mm256_set1_ps(0.5f));  // exact
  const __m256 grey = _mm256_cmp_ps(max, min, _CMP_EQ_OQ);
  const __m256 delta = _mm256_sub_ps(max, min);
  const __m256 spread = Select(_mm256_sub_ps(_mm256_sub_ps(_mm256_set1_ps(2.0f), max), min), sum,
                               Less(l, _mm256_set1_ps(0.5f)));
  __m256 s = Select(_mm256_div_ps(delta, spread), zero, grey);
  const __m256 redTop = _mm256_cmp_ps(r, max, _CMP_EQ_OQ), greenTop = _mm256_cmp_ps(g, max, _CMP_EQ_OQ);
  const __m256 numerator = Select(Select(_mm256_sub_ps(r, g), _mm256_sub_ps(b, r), greenTop), _mm256_sub_ps(g, b), redTop);
  const __m256 quotient = _mm256_div_ps(numerator, delta);
  const __m256 offset = Select(_mm256_set1_ps(4.0f), _mm256_set1_ps(2.0f), greenTop);
  __m256 h = DivideByConstant(Select(_mm256_add_ps(offset, quotient), quotient, redTop), 6.0f);
  h = Select(h, _mm256_add_ps(h, one), Less(h, zero));
  h = Select(h, zero, grey);

  // The shift.
  if constexpr (wrap == TWrap::OneTurn) h = WrapOneTurn(_mm256_add_ps(h, _mm256_set1_ps(shift.Hue)));
  if constexpr (wrap == TWrap::AnyTurns) h = WrapAnyTurns(_mm256_add_ps(h, _mm256_set1_ps(shift.Hue)));
  s = Clamp01(_mm256_add_ps(s, _mm256_set1_ps(shift.Saturation)));
  const __m256 light = Clamp01(_mm256_add_ps(l, _mm256_set1_ps(shift.Lightness)));

  // Back to red, green, blue. No saturation needs no case of its own: then
  // m1 = m2 = light, and every channel is light x 255 rounded, the grey.
  const __m256 m2 = Select(_mm256_sub_ps(_mm256_add_ps(light, s), _mm256_mul_ps(light, s)),
                           _mm256_mul_ps(light, _mm256_add_ps(one, s)),
                           _mm256_cmp_ps(light, _mm256_set1_ps(0.5f), _CMP_LE_OQ));
  const __m256 m1 = _mm256_sub_ps(_mm256_mul_ps(_mm256_set1_ps(2.0f), light), m2);
  const __m256 d6 = _mm256_mul_ps(_mm256_sub_ps(m2, m1), _mm256_set1_ps(6.0f));
  const __m256 third = _mm256_set1_ps(1.0f / 3);
  const __m256i rgb = PackColours(HueStep(m1, m2, d6, _mm256_add_ps(h, third)), HueStep(m1, m2, d6, h),
                                  HueStep(m1, m2, d6, _mm256_sub_ps(h, third)));

  // Alpha stays; pixels without alpha stay whole.
  const __m256i alpha = _mm256_andnot_si256(_mm256_set1_epi32(0x00FFFFFF), in);
  const __m256i transparent = _mm256_cmpeq_epi32(alpha, _mm256_setzero_si256());
  return _mm256_blendv_epi8(_mm256_or_si256(alpha, rgb), in, transparent);
}

template <TWrap wrap>
__attribute__((target("avx2,fma"))) std::size_t AdjustBlocks(TColor32* bits, std::size_t count, const THslShift& shift) {
  const std::size_t whole = count - count % 8;
  // Flat areas repeat whole blocks of eight: the last block's result serves.
  __m256i lastIn = _mm256_setzero_si256(), lastOut = _mm256_setzero_si256();
  bool haveLast = false;
  for (std::size_t i = 0; i < whole; i += 8) {
    auto* block = reinterpret_cast<__m256i*>(bits + i);
    const __m256i in = _mm256_loadu_si256(block);
    if (!haveLast || _mm256_movemask_epi8(_mm256_cmpeq_epi32(in, lastIn)) != -1) {
      lastIn = in;
      lastOut = AdjustEight<wrap>(in, shift);
      haveLast = true;
    }
    _mm256_storeu_si256(block, lastOut);
  }
  return whole;
}

}  // namespace

std::size_t AdjustHslAvx2(TColor32* bits, std::size_t count, const THslShift& shift) {
  if (!shift.ShiftHue) return AdjustBlocks<TWrap::None>(bits, count, shift);
  if (shift.Hue >= -1.0f && shift.Hue <= 1.0f) return AdjustBlocks<TWrap::OneTurn>(bits, count, shift);
  return AdjustBlocks<TWrap::AnyTurns>(bits, count, shift);
}
