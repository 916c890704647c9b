// AVX2 forms of the line routines, eight pixels at a time; the arithmetic is
// that of the SSE2 forms (16-bit lanes, no wrap-around), within each 128-bit
// half, so the bits equal the portable variants'.

#include <immintrin.h>

#include <algorithm>

#include "imaging/blend/BlendVariants.h"
#include "imaging/core/Avx2Function.h"

namespace imaging::avx2 {
namespace {

AVX2_FN __m256i Interpolate(__m256i x, __m256i y, __m256i wLow, __m256i wHigh) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i full = _mm256_set1_epi16(256);
  const __m256i bias = _mm256_set1_epi16(128);
  const __m256i low = _mm256_srli_epi16(
      _mm256_add_epi16(
          _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(y, zero), _mm256_sub_epi16(full, wLow)),
                           _mm256_mullo_epi16(_mm256_unpacklo_epi8(x, zero), wLow)),
          bias),
      8);
  const __m256i high = _mm256_srli_epi16(
      _mm256_add_epi16(
          _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(y, zero), _mm256_sub_epi16(full, wHigh)),
                           _mm256_mullo_epi16(_mm256_unpackhi_epi8(x, zero), wHigh)),
          bias),
      8);
  return _mm256_packus_epi16(low, high);
}

// DivTable[M][a] per 32-bit lane, as in the SSE2 forms.
AVX2_FN __m256i ScaleAlpha(__m256i alpha, __m256i master) {
  const __m256i t = _mm256_add_epi32(_mm256_mullo_epi16(alpha, master), _mm256_set1_epi32(128));
  return _mm256_srli_epi32(_mm256_add_epi32(t, _mm256_srli_epi32(t, 8)), 8);
}

AVX2_FN void SpreadWeights(__m256i weights, __m256i& wLow, __m256i& wHigh) {
  const __m256i doubled = _mm256_or_si256(weights, _mm256_slli_epi32(weights, 16));
  wLow = _mm256_unpacklo_epi32(doubled, doubled);
  wHigh = _mm256_unpackhi_epi32(doubled, doubled);
}

// f over d, f's alpha weighed by the master alpha (in the low 16 bits of
// each lane of master).
AVX2_FN __m256i BlendEx(__m256i f, __m256i d, __m256i master) {
  const __m256i weights = _mm256_srli_epi32(
      _mm256_mullo_epi16(_mm256_add_epi32(_mm256_srli_epi32(f, 24), _mm256_set1_epi32(1)), master), 8);
  __m256i wLow, wHigh;
  SpreadWeights(weights, wLow, wHigh);
  return Interpolate(f, d, wLow, wHigh);
}

AVX2_FN __m256i Load(const TColor32* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
AVX2_FN void Store(TColor32* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

// f merged over b, f's alpha weighed by master, the lanes as in the SSE2
// form; false, with nothing in merged, when a pixel has both alphas in
// between, which needs the table compositing.
AVX2_FN bool MergeEx(__m256i f, __m256i b, __m256i master, __m256i& merged) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i opaque = _mm256_set1_epi32(255);
  const __m256i fa = ScaleAlpha(_mm256_srli_epi32(f, 24), master), ba = _mm256_srli_epi32(b, 24);
  const __m256i fClear = _mm256_cmpeq_epi32(fa, zero), fOpaque = _mm256_cmpeq_epi32(fa, opaque);
  // Runs of clear or of opaque pixels (a cache's background, a barcode's
  // bars) leave the background as it is or cover it.
  if (_mm256_movemask_epi8(fClear) == -1) {
    merged = b;
    return true;
  }
  if (_mm256_movemask_epi8(fOpaque) == -1) {
    merged = f;
    return true;
  }
  const __m256i bClear = _mm256_cmpeq_epi32(ba, zero), bOpaque = _mm256_cmpeq_epi32(ba, opaque);
  const __m256i simple = _mm256_or_si256(_mm256_or_si256(fClear, fOpaque), _mm256_or_si256(bClear, bOpaque));
  if (_mm256_movemask_epi8(simple) != -1) return false;
  __m256i wLow, wHigh;
  SpreadWeights(fa, wLow, wHigh);
  const __m256i overOpaque =
      _mm256_or_si256(Interpolate(f, b, wLow, wHigh), _mm256_set1_epi32(static_cast<int>(0xFF000000u)));
  const __m256i scaled = _mm256_or_si256(_mm256_and_si256(f, _mm256_set1_epi32(0x00FFFFFF)), _mm256_slli_epi32(fa, 24));
  const __m256i covering = _mm256_blendv_epi8(overOpaque, scaled, _mm256_or_si256(fOpaque, bClear));
  merged = _mm256_blendv_epi8(covering, b, fClear);
  return true;
}

// The lanes that hold the first count (below eight) pixels.
AVX2_FN __m256i FirstLanes(int count) {
  return _mm256_cmpgt_epi32(_mm256_set1_epi32(count), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

}  // namespace

// A group with both alphas in between in any pixel goes through the table
// compositing.
__attribute__((target("avx2"))) void MergeLineEx(const TColor32* src, TColor32* dst, int count, TColor32 m) {
  const __m256i master = _mm256_set1_epi32(static_cast<int>(std::min<TColor32>(m, 255)));
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    __m256i merged;
    if (MergeEx(Load(src + i), Load(dst + i), master, merged))
      Store(dst + i, merged);
    else
      portable::MergeLineEx(src + i, dst + i, 8, m);
  }
  // The last one to seven pixels through masked loads and stores (the edges
  // of filled shapes are short runs); the lanes beyond them load as clear
  // pixels over clear ones, which merge in the vector form.
  if (i == count) return;
  const __m256i mask = FirstLanes(count - i);
  const auto* from = reinterpret_cast<const int*>(src + i);
  auto* to = reinterpret_cast<int*>(dst + i);
  __m256i merged;
  if (MergeEx(_mm256_maskload_epi32(from, mask), _mm256_maskload_epi32(to, mask), master, merged))
    _mm256_maskstore_epi32(to, mask, merged);
  else
    portable::MergeLineEx(src + i, dst + i, count - i, m);
}

__attribute__((target("avx2"))) void MergeLine(const TColor32* src, TColor32* dst, int count) {
  MergeLineEx(src, dst, count, 255);
}

__attribute__((target("avx2"))) void CombineLine(const TColor32* src, TColor32* dst, int count, TColor32 w) {
  if (count <= 0 || w == 0) return;
  if (w == 255) {
    portable::CombineLine(src, dst, count, w);
    return;
  }
  const __m256i weight = _mm256_set1_epi16(static_cast<short>(w));
  int i = 0;
  for (; i + 8 <= count; i += 8) Store(dst + i, Interpolate(Load(src + i), Load(dst + i), weight, weight));
  portable::CombineLine(src + i, dst + i, count - i, w);
}

__attribute__((target("avx2"))) void BlendLine(const TColor32* src, TColor32* dst, int count) {
  const __m256i opaque = _mm256_set1_epi32(255);
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i f = Load(src + i);
    const __m256i alpha = _mm256_srli_epi32(f, 24);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(alpha, _mm256_setzero_si256())) == -1) continue;
    __m256i wLow, wHigh;
    SpreadWeights(alpha, wLow, wHigh);
    const __m256i mixed = Interpolate(f, Load(dst + i), wLow, wHigh);
    Store(dst + i, _mm256_blendv_epi8(mixed, f, _mm256_cmpeq_epi32(alpha, opaque)));
  }
  portable::BlendLine(src + i, dst + i, count - i);
}

__attribute__((target("avx2"))) void BlendLineEx(const TColor32* src, TColor32* dst, int count, TColor32 m) {
  const __m256i master = _mm256_set1_epi32(static_cast<int>(m & 0xFFFF));
  int i = 0;
  for (; i + 8 <= count; i += 8) Store(dst + i, BlendEx(Load(src + i), Load(dst + i), master));
  // The last one to seven pixels through masked loads and stores: short lines
  // (the edges of filled shapes) are common.
  if (i < count) {
    const __m256i mask = FirstLanes(count - i);
    const auto* from = reinterpret_cast<const int*>(src + i);
    auto* to = reinterpret_cast<int*>(dst + i);
    _mm256_maskstore_epi32(to, mask,
                           BlendEx(_mm256_maskload_epi32(from, mask), _mm256_maskload_epi32(to, mask), master));
  }
}

}  // namespace imaging::avx2
