// SSE2 forms of the line routines, four pixels at a time. Each lane computes
// Y x (256 - W) + X x W + 128 in 16 bits (at most 65408, so nothing wraps),
// which equals V(X, Y, W) of the portable variants bit for bit.

#include <immintrin.h>

#include <algorithm>

#include "imaging/blend/BlendVariants.h"

#define SSE2_FN __attribute__((target("sse2"), always_inline)) inline

namespace imaging::sse2 {
namespace {

// V(x, y, w) for four pixels; w holds each pixel's weight in its four 16-bit
// lanes (pixels 0-1 in wLow, 2-3 in wHigh).
SSE2_FN __m128i Interpolate(__m128i x, __m128i y, __m128i wLow, __m128i wHigh) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi16(256);
  const __m128i bias = _mm_set1_epi16(128);
  const __m128i low = _mm_srli_epi16(
      _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(y, zero), _mm_sub_epi16(full, wLow)),
                                  _mm_mullo_epi16(_mm_unpacklo_epi8(x, zero), wLow)),
                    bias),
      8);
  const __m128i high = _mm_srli_epi16(
      _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(y, zero), _mm_sub_epi16(full, wHigh)),
                                  _mm_mullo_epi16(_mm_unpackhi_epi8(x, zero), wHigh)),
                    bias),
      8);
  return _mm_packus_epi16(low, high);
}

// Per-pixel weights (one per 32-bit lane, 0..255) spread over 16-bit lanes.
SSE2_FN void SpreadWeights(__m128i weights, __m128i& wLow, __m128i& wHigh) {
  const __m128i doubled = _mm_or_si128(weights, _mm_slli_epi32(weights, 16));
  wLow = _mm_unpacklo_epi32(doubled, doubled);
  wHigh = _mm_unpackhi_epi32(doubled, doubled);
}

// DivTable[M][a] per 32-bit lane (a and M at most 255): Round(M x a / 255)
// as (t + (t >> 8)) >> 8 with t = M x a + 128, exact for every such pair.
SSE2_FN __m128i ScaleAlpha(__m128i alpha, __m128i master) {
  const __m128i t = _mm_add_epi32(_mm_mullo_epi16(alpha, master), _mm_set1_epi32(128));
  return _mm_srli_epi32(_mm_add_epi32(t, _mm_srli_epi32(t, 8)), 8);
}

SSE2_FN __m128i Select(__m128i mask, __m128i yes, __m128i no) {
  return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

SSE2_FN __m128i Load(const TColor32* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
SSE2_FN void Store(TColor32* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

}  // namespace

__attribute__((target("sse2"))) void CombineLine(const TColor32* src, TColor32* dst, int count, TColor32 w) {
  if (count <= 0 || w == 0) return;
  if (w == 255) {
    portable::CombineLine(src, dst, count, w);
    return;
  }
  const __m128i weight = _mm_set1_epi16(static_cast<short>(w));
  int i = 0;
  for (; i + 4 <= count; i += 4) Store(dst + i, Interpolate(Load(src + i), Load(dst + i), weight, weight));
  portable::CombineLine(src + i, dst + i, count - i, w);
}

__attribute__((target("sse2"))) void BlendLine(const TColor32* src, TColor32* dst, int count) {
  const __m128i opaque = _mm_set1_epi32(255);
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i f = Load(src + i);
    const __m128i alpha = _mm_srli_epi32(f, 24);
    const int transparent = _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128()));
    if (transparent == 0xFFFF) continue;  // V with weight 0 would store B unchanged
    __m128i wLow, wHigh;
    SpreadWeights(alpha, wLow, wHigh);
    const __m128i mixed = Interpolate(f, Load(dst + i), wLow, wHigh);
    const __m128i isOpaque = _mm_cmpeq_epi32(alpha, opaque);
    Store(dst + i, _mm_or_si128(_mm_and_si128(isOpaque, f), _mm_andnot_si128(isOpaque, mixed)));
  }
  portable::BlendLine(src + i, dst + i, count - i);
}

__attribute__((target("sse2"))) void BlendLineEx(const TColor32* src, TColor32* dst, int count, TColor32 m) {
  const __m128i master = _mm_set1_epi32(static_cast<int>(m & 0xFFFF));
  const __m128i one = _mm_set1_epi32(1);
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i f = Load(src + i);
    // ((F_a + 1) x M) >> 8: both factors and the product fit a 16-bit lane.
    const __m128i weights = _mm_srli_epi32(_mm_mullo_epi16(_mm_add_epi32(_mm_srli_epi32(f, 24), one), master), 8);
    __m128i wLow, wHigh;
    SpreadWeights(weights, wLow, wHigh);
    Store(dst + i, Interpolate(f, Load(dst + i), wLow, wHigh));
  }
  portable::BlendLineEx(src + i, dst + i, count - i, m);
}

// Vector lanes take the cases where either alpha is 0 or 255; a group with
// both alphas in between in any pixel goes through the table compositing.
__attribute__((target("sse2"))) void MergeLineEx(const TColor32* src, TColor32* dst, int count, TColor32 m) {
  const __m128i master = _mm_set1_epi32(static_cast<int>(std::min<TColor32>(m, 255)));
  const __m128i zero = _mm_setzero_si128();
  const __m128i opaque = _mm_set1_epi32(255);
  const __m128i colors = _mm_set1_epi32(0x00FFFFFF);
  const __m128i alphaBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i f = Load(src + i), b = Load(dst + i);
    const __m128i fa = ScaleAlpha(_mm_srli_epi32(f, 24), master), ba = _mm_srli_epi32(b, 24);
    const __m128i fClear = _mm_cmpeq_epi32(fa, zero), fOpaque = _mm_cmpeq_epi32(fa, opaque);
    const __m128i bClear = _mm_cmpeq_epi32(ba, zero), bOpaque = _mm_cmpeq_epi32(ba, opaque);
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(fClear, fOpaque), _mm_or_si128(bClear, bOpaque))) != 0xFFFF) {
      portable::MergeLineEx(src + i, dst + i, 4, m);
      continue;
    }
    __m128i wLow, wHigh;
    SpreadWeights(fa, wLow, wHigh);
    const __m128i overOpaque = _mm_or_si128(Interpolate(f, b, wLow, wHigh), alphaBits);
    const __m128i scaled = _mm_or_si128(_mm_and_si128(f, colors), _mm_slli_epi32(fa, 24));
    Store(dst + i, Select(fClear, b, Select(_mm_or_si128(fOpaque, bClear), scaled, overOpaque)));
  }
  portable::MergeLineEx(src + i, dst + i, count - i, m);
}

// DivTable[255][a] = a: the master alpha 255 leaves F as it is.
__attribute__((target("sse2"))) void MergeLine(const TColor32* src, TColor32* dst, int count) {
  MergeLineEx(src, dst, count, 255);
}

}  // namespace imaging::sse2
