// AVX2 forms of the kernel passes. The horizontal pass pairs neighbouring
// taps so that one multiply-add of 16-bit lanes gives w0 x p0 + w1 x p1 per
// channel; the vertical pass multiplies 32-bit sums lane by lane. Integer
// sums in another order are the same sums, so the bits equal the portable
// variants'.

#include <immintrin.h>

#include <cstring>

#include "imaging/core/Avx2Function.h"
#include "imaging/resample/ResamplerBindings.h"

namespace imaging::avx2 {
namespace {

// Two neighbouring 16-bit weights repeated over every 32-bit lane.
AVX2_FN __m128i WeightPair(const std::int16_t* weights) {
  std::int32_t pair;
  std::memcpy(&pair, weights, sizeof pair);
  return _mm_set1_epi32(pair);
}

// Sums of one window over a row.
AVX2_FN __m128i WindowSums(const TColor32* pixels, const std::int16_t* weights, std::int32_t count) {
  // Interleaves the channels of pixel pairs (0, 1) and (2, 3).
  const __m128i interleave = _mm_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
  const __m128i zero = _mm_setzero_si128();
  __m128i sums = zero;
  std::int32_t k = 0;
  for (; k + 4 <= count; k += 4) {
    const __m128i quad = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + k)), interleave);
    sums = _mm_add_epi32(sums, _mm_madd_epi16(_mm_unpacklo_epi8(quad, zero), WeightPair(weights + k)));
    sums = _mm_add_epi32(sums, _mm_madd_epi16(_mm_unpackhi_epi8(quad, zero), WeightPair(weights + k + 2)));
  }
  if (k + 2 <= count) {
    const __m128i pair = _mm_shuffle_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixels + k)), interleave);
    sums = _mm_add_epi32(sums, _mm_madd_epi16(_mm_unpacklo_epi8(pair, zero), WeightPair(weights + k)));
    k += 2;
  }
  if (k < count) {
    // One pixel: each channel in a 32-bit lane times (weight, 0).
    const __m128i single = _mm_cvtepu8_epi32(_mm_cvtsi32_si128(static_cast<int>(pixels[k])));
    const __m128i weight = _mm_set1_epi32(static_cast<std::uint16_t>(weights[k]));
    sums = _mm_add_epi32(sums, _mm_madd_epi16(single, weight));
  }
  return sums;
}

// The weights w[0], w[1] of the first window in every 32-bit lane of the
// low half, those of the second in the high half: two broadcast loads and a
// blend, keeping the shuffle unit free for the pixels.
AVX2_FN __m256i WeightPairs(const std::int16_t* first, const std::int16_t* second) {
  std::int32_t a, b;
  std::memcpy(&a, first, sizeof a);
  std::memcpy(&b, second, sizeof b);
  return _mm256_blend_epi32(_mm256_set1_epi32(a), _mm256_set1_epi32(b), 0xF0);
}

// Sums of two windows of the same length, a multiple of 4, over a row: the
// first window in the low 128-bit lane, the second in the high one. Each
// shuffle takes two of the four pixels and interleaves their channels as
// 16-bit values, ready for the multiply-add of a weight pair.
AVX2_FN __m256i WindowPairSums(const TColor32* first, const TColor32* second, const std::int16_t* firstWeights,
                               const std::int16_t* secondWeights, std::int32_t count) {
  const __m256i pixels01 = _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1, 0, -1, 4, -1, 1, -1,
                                            5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
  const __m256i pixels23 = _mm256_setr_epi8(8, -1, 12, -1, 9, -1, 13, -1, 10, -1, 14, -1, 11, -1, 15, -1, 8, -1, 12, -1,
                                            9, -1, 13, -1, 10, -1, 14, -1, 11, -1, 15, -1);
  __m256i sums = _mm256_setzero_si256();
  for (std::int32_t k = 0; k < count; k += 4) {
    const __m256i quads =
        _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(first + k))),
                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + k)), 1);
    sums = _mm256_add_epi32(sums, _mm256_madd_epi16(_mm256_shuffle_epi8(quads, pixels01),
                                                    WeightPairs(firstWeights + k, secondWeights + k)));
    sums = _mm256_add_epi32(sums, _mm256_madd_epi16(_mm256_shuffle_epi8(quads, pixels23),
                                                    WeightPairs(firstWeights + k + 2, secondWeights + k + 2)));
  }
  return sums;
}

// Finishes eight channel sums (two pixels, one per 128-bit lane) to a pixel
// in each lane at the bytes that gather picks.
AVX2_FN __m256i FinishTwoPixels(__m256i sums, bool rangeCheck, __m256i gather) {
  if (rangeCheck) sums = _mm256_min_epi32(_mm256_max_epi32(sums, _mm256_setzero_si256()), _mm256_set1_epi32(0xFF0000));
  sums = _mm256_srli_epi32(_mm256_and_si256(sums, _mm256_set1_epi32(0xFF0000)), 16);
  return _mm256_shuffle_epi8(sums, gather);
}

AVX2_FN __m256i ColumnSums(const std::int32_t* const* rows, const std::int16_t* weights, std::int32_t taps,
                           std::int32_t offset) {
  __m256i sums = _mm256_setzero_si256();
  for (std::int32_t k = 0; k < taps; ++k) {
    const __m256i values = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[k] + offset));
    sums = _mm256_add_epi32(sums, _mm256_mullo_epi32(values, _mm256_set1_epi32(weights[k])));
  }
  return sums;
}

// The sums of eight pixels (four vectors of two) from offset: each tap's
// row and weight are read once for all four.
struct TEightPixelSums {
  __m256i Sums[4];
};

AVX2_FN TEightPixelSums ColumnSumsOfEight(const std::int32_t* const* rows, const std::int16_t* weights,
                                          std::int32_t taps, std::int32_t offset) {
  TEightPixelSums result{{_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256(),
                          _mm256_setzero_si256()}};
  for (std::int32_t k = 0; k < taps; ++k) {
    const __m256i weight = _mm256_set1_epi32(weights[k]);
    const auto* row = reinterpret_cast<const __m256i*>(rows[k] + offset);
    for (int v = 0; v < 4; ++v)
      result.Sums[v] = _mm256_add_epi32(result.Sums[v], _mm256_mullo_epi32(_mm256_loadu_si256(row + v), weight));
  }
  return result;
}

// Finishes the sums of four pixels (two in each vector) and stores them.
AVX2_FN void StoreFour(__m256i first, __m256i second, bool rangeCheck, TColor32* out) {
  // Byte 0 of each 32-bit lane to bytes 0-3 (first pair) or 4-7 (second).
  const __m256i gatherLow = _mm256_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 4, 8, 12,
                                             -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m256i gatherHigh = _mm256_setr_epi8(-1, -1, -1, -1, 0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                              -1, 0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1);
  // Pixels 0 and 2 sit in lane 0, 1 and 3 in lane 1.
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 3, 6, 7);
  const __m256i pixels = _mm256_permutevar8x32_epi32(
      _mm256_or_si256(FinishTwoPixels(first, rangeCheck, gatherLow), FinishTwoPixels(second, rangeCheck, gatherHigh)),
      order);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(pixels));
}

}  // namespace

__attribute__((target("avx2"))) void KernelRowPass(const TColor32* src, const TKernelWindow* windows,
                                                   const std::int16_t* weights, std::int32_t count, std::int32_t* out) {
  // Neighbouring windows of one length, a multiple of 4, go two at a time.
  std::int32_t i = 0;
  while (i < count) {
    const TKernelWindow& window = windows[i];
    if (i + 1 < count && window.Count % 4 == 0 && windows[i + 1].Count == window.Count) {
      const TKernelWindow& next = windows[i + 1];
      _mm_prefetch(reinterpret_cast<const char*>(src + next.First + 256), _MM_HINT_T0);
      const __m256i sums = WindowPairSums(src + window.First, src + next.First, weights + window.Offset,
                                          weights + next.Offset, window.Count);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * i), sums);
      i += 2;
    } else {
      const __m128i sums = WindowSums(src + window.First, weights + window.Offset, window.Count);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), sums);
      i += 1;
    }
  }
}

__attribute__((target("avx2"))) void KernelColumnPass(const std::int32_t* const* rows, const std::int16_t* weights,
                                                      std::int32_t taps, std::int32_t count, bool rangeCheck,
                                                      TColor32* out) {
  std::int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const TEightPixelSums eight = ColumnSumsOfEight(rows, weights, taps, 4 * i);
    StoreFour(eight.Sums[0], eight.Sums[1], rangeCheck, out + i);
    StoreFour(eight.Sums[2], eight.Sums[3], rangeCheck, out + i + 4);
  }
  for (; i + 4 <= count; i += 4)
    StoreFour(ColumnSums(rows, weights, taps, 4 * i), ColumnSums(rows, weights, taps, 4 * i + 8), rangeCheck, out + i);
  for (; i < count; ++i) out[i] = portable::KernelColumnPixel(rows, weights, taps, i, rangeCheck);
}

}  // namespace imaging::avx2
