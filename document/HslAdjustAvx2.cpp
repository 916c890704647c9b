#include "document/HslAdjustAvx2.h"

#include <immintrin.h>

#define AVX2_FN __attribute__((target("avx2"), always_inline)) inline

namespace {

AVX2_FN __m256 Select(__m256 otherwise, __m256 value, __m256 condition) {
  return _mm256_blendv_ps(otherwise, value, condition);
}

AVX2_FN __m256 Less(__m256 a, __m256 b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }

// One channel from the hue position h and the two levels m1, m2, rounded to
// a byte.
AVX2_FN __m256i HueStep(__m256 m1, __m256 m2, __m256 h) {
  const __m256 one = _mm256_set1_ps(1.0f), six = _mm256_set1_ps(6.0f);
  h = _mm256_sub_ps(h, _mm256_floor_ps(h));
  const __m256 d = _mm256_sub_ps(m2, m1);
  const __m256 rising = _mm256_add_ps(m1, _mm256_mul_ps(_mm256_mul_ps(d, six), h));
  const __m256 falling =
      _mm256_add_ps(m1, _mm256_mul_ps(_mm256_mul_ps(d, _mm256_sub_ps(_mm256_set1_ps(2.0f / 3), h)), six));
  __m256 v = Select(m1, falling, Less(_mm256_mul_ps(_mm256_set1_ps(3.0f), h), _mm256_set1_ps(2.0f)));
  v = Select(v, m2, Less(_mm256_mul_ps(_mm256_set1_ps(2.0f), h), one));
  v = Select(v, rising, Less(_mm256_mul_ps(six, h), one));
  const __m256i byte = _mm256_cvtps_epi32(_mm256_mul_ps(v, _mm256_set1_ps(255.0f)));
  return _mm256_min_epi32(_mm256_max_epi32(byte, _mm256_setzero_si256()), _mm256_set1_epi32(255));
}

// The hue moved back into 0..1 by whole turns. The one-pixel form works in
// double precision: h - ceil(h - 1) above 1 (0 beyond 2^53, where h - 1 is h
// again), h - floor(h) below 0. The single-precision steps here give the
// same bits for every finite float (checked for all of them).
AVX2_FN __m256 WrapHue(__m256 h) {
  const __m256 one = _mm256_set1_ps(1.0f);
  const __m256 above = Select(_mm256_add_ps(_mm256_sub_ps(h, _mm256_ceil_ps(h)), one), _mm256_setzero_ps(),
                              _mm256_cmp_ps(h, _mm256_set1_ps(0x1p53f), _CMP_GT_OQ));
  const __m256 below = _mm256_sub_ps(h, _mm256_floor_ps(h));
  return Select(Select(h, below, Less(h, _mm256_setzero_ps())), above, _mm256_cmp_ps(h, one, _CMP_GT_OQ));
}

// x / d as a single-precision division rounds it, from a double product:
// the same bits for bytes over 255 and for hue sums over 6 (checked for
// every such value), at the price of a multiply instead of a division.
AVX2_FN __m256 DivideByProduct(__m256d low, __m256d high, double reciprocal) {
  const __m256d k = _mm256_set1_pd(reciprocal);
  return _mm256_set_m128(_mm256_cvtpd_ps(_mm256_mul_pd(high, k)), _mm256_cvtpd_ps(_mm256_mul_pd(low, k)));
}

AVX2_FN __m256 ByteOver255(__m256i channel) {
  return DivideByProduct(_mm256_cvtepi32_pd(_mm256_castsi256_si128(channel)),
                         _mm256_cvtepi32_pd(_mm256_extracti128_si256(channel, 1)), 1.0 / 255);
}

AVX2_FN __m256 Sixth(__m256 x) {
  return DivideByProduct(_mm256_cvtps_pd(_mm256_castps256_ps128(x)), _mm256_cvtps_pd(_mm256_extractf128_ps(x, 1)),
                         1.0 / 6);
}

AVX2_FN __m256 Clamp01(__m256 v) { return _mm256_min_ps(_mm256_max_ps(v, _mm256_setzero_ps()), _mm256_set1_ps(1.0f)); }

__attribute__((target("avx2"))) void AdjustEight(TColor32* pixels, const THslShift& shift) {
  const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels));
  const __m256i byteMask = _mm256_set1_epi32(0xFF);
  const __m256 c255 = _mm256_set1_ps(255.0f), one = _mm256_set1_ps(1.0f), zero = _mm256_setzero_ps();
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
  __m256 h = Select(_mm256_add_ps(offset, quotient), quotient, redTop);
  h = Sixth(h);
  h = Select(h, _mm256_add_ps(h, one), Less(h, zero));
  h = Select(h, zero, grey);

  // The shift.
  if (shift.ShiftHue) h = WrapHue(_mm256_add_ps(h, _mm256_set1_ps(shift.Hue)));
  s = Clamp01(_mm256_add_ps(s, _mm256_set1_ps(shift.Saturation)));
  const __m256 light = Clamp01(_mm256_add_ps(l, _mm256_set1_ps(shift.Lightness)));

  // Back to red, green, blue.
  const __m256 m2 = Select(_mm256_sub_ps(_mm256_add_ps(light, s), _mm256_mul_ps(light, s)),
                           _mm256_mul_ps(light, _mm256_add_ps(one, s)),
                           _mm256_cmp_ps(light, _mm256_set1_ps(0.5f), _CMP_LE_OQ));
  const __m256 m1 = _mm256_sub_ps(_mm256_mul_ps(_mm256_set1_ps(2.0f), light), m2);
  const __m256 third = _mm256_set1_ps(1.0f / 3);
  const __m256i red = HueStep(m1, m2, _mm256_add_ps(h, third));
  const __m256i green = HueStep(m1, m2, h);
  const __m256i blue = HueStep(m1, m2, _mm256_sub_ps(h, third));
  const __m256i level = _mm256_min_epi32(
      _mm256_max_epi32(_mm256_cvtps_epi32(_mm256_mul_ps(c255, light)), _mm256_setzero_si256()), _mm256_set1_epi32(255));
  const __m256i flat = _mm256_castps_si256(_mm256_cmp_ps(s, zero, _CMP_EQ_OQ));
  const __m256i colour = _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi32(red, 16), _mm256_slli_epi32(green, 8)), blue);
  const __m256i greyColour = _mm256_mullo_epi32(level, _mm256_set1_epi32(0x010101));
  const __m256i rgb = _mm256_blendv_epi8(colour, greyColour, flat);

  // Alpha stays; pixels without alpha stay whole.
  const __m256i alpha = _mm256_andnot_si256(_mm256_set1_epi32(0x00FFFFFF), in);
  const __m256i transparent = _mm256_cmpeq_epi32(alpha, _mm256_setzero_si256());
  const __m256i out = _mm256_blendv_epi8(_mm256_or_si256(alpha, rgb), in, transparent);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels), out);
}

}  // namespace

__attribute__((target("avx2"))) std::size_t AdjustHslAvx2(TColor32* bits, std::size_t count, const THslShift& shift) {
  const std::size_t whole = count - count % 8;
  // Flat areas repeat whole blocks of eight: the last block's result serves.
  __m256i lastIn = _mm256_setzero_si256(), lastOut = _mm256_setzero_si256();
  bool haveLast = false;
  for (std::size_t i = 0; i < whole; i += 8) {
    auto* block = reinterpret_cast<__m256i*>(bits + i);
    const __m256i in = _mm256_loadu_si256(block);
    if (haveLast && _mm256_movemask_epi8(_mm256_cmpeq_epi32(in, lastIn)) == -1) {
      _mm256_storeu_si256(block, lastOut);
      continue;
    }
    AdjustEight(bits + i, shift);
    lastIn = in;
    lastOut = _mm256_loadu_si256(block);
    haveLast = true;
  }
  return whole;
}
