#include "document/effects/ShadowStream.h"

#include <immintrin.h>

#include <algorithm>
#include <vector>

#include "imaging/core/CpuFeatures.h"
#include "imaging/docgraphics/BitmapHelpers.h"
#include "imaging/docgraphics/BoxBlurLanes.h"
#include "imaging/docgraphics/BoxBlurRuns.h"

using imaging::kBlurLanes;
using imaging::TLanes;

struct TShadowBuffers {
  std::vector<std::uint8_t> Alpha;        // the shifted alpha with zero margins
  std::vector<TLanes> Inputs, Outputs;    // one row batch's short runs
  std::vector<TLanes> LaneRings;          // the row averages' recent values
  std::vector<TColor32> Rings;            // the column averages' recent rows
  std::vector<TColor32> Sums, Tail, Head, Final, Zero, Spare;
};

void TShadowBuffersDeleter::operator()(TShadowBuffers* buffers) const { delete buffers; }

// The shape's opaque pixels stay, its clear ones take the shadow, its partly
// clear ones are merged over it. Blocks without partly clear pixels (nearly
// all) run on vector lanes.
// Its clones stay inside this file: clang resolves a cloned function only for
// callers in the file that defines it.
namespace {
LABEL_AVX2_CLONES void PutShadowUnderLanes(TColor32* out, const TColor32* map, std::size_t count, TColor32 rgb) {
  constexpr std::size_t kBlock = 64;
  for (std::size_t from = 0; from < count; from += kBlock) {
    const std::size_t to = std::min(count, from + kBlock);
    std::uint32_t partly = 0;  // a word, so that the test runs on lanes too
    for (std::size_t k = from; k < to; ++k) partly |= std::uint32_t((out[k] >> 24) - 1 < 254);
    if (partly != 0) {
      for (std::size_t k = from; k < to; ++k) {
        const std::uint32_t alpha = out[k] >> 24;
        const TColor32 under = imaging::IntensityColor(map[k], rgb);
        out[k] = alpha == 255 ? out[k] : alpha == 0 ? under : imaging::MergeColorWithAlpha(out[k], under, 255);
      }
      continue;
    }
    for (std::size_t k = from; k < to; ++k) out[k] = out[k] >> 24 == 0 ? imaging::IntensityColor(map[k], rgb) : out[k];
  }
}
}  // namespace

void PutShadowUnder(TColor32* out, const TColor32* map, std::size_t count, TColor32 rgb) {
  PutShadowUnderLanes(out, map, count, rgb);
}

namespace {

// Four averages chained over one run: stage s takes value j of its input at
// step j + Delay[s] and gives its output j - Leads[s] at the same step, just
// in time for stage s + 1. Before and After are how far the chain reaches
// back and ahead of a value.
struct TChain {
  TChain(const std::array<std::size_t, 4>& leads, std::size_t window) : Leads(leads), Window(window) {
    for (std::size_t s = 1; s < 4; ++s) Delay[s] = Delay[s - 1] + Leads[s - 1];
    for (const std::size_t lead : leads) {
      Before += window - 1 - lead;
      After += lead;
    }
  }
  std::array<std::size_t, 4> Leads;
  std::size_t Window;
  std::array<std::size_t, 4> Delay{};
  std::size_t Before = 0, After = 0;
};

struct TLaneDivider {
  __m256i Multiplier;
  __m128i Shift;
};

// ---- rows, eight at a time

// The chain over eight short runs side by side (in, length values each),
// out taking the last stage's values. Masked: values whose run place
// (first + place) lies outside 0 .. count - 1 are not part of the joined
// rows, so every stage holds 0 there.
template <bool Masked>
struct TLaneSweep {
  const TLanes* In;
  TLanes* Out;
  std::size_t Length;
  const TChain& Chain;
  TLanes* Rings;  // three rings of RingMask + 1 values: stages 0..2
  std::size_t RingMask;
  TLaneDivider Divide;
  __m256i First, Count;
  __m256i Sums[4];

  // All ones in the lanes whose place p is one of the pixels.
  AVX2_FN __m256i Inside(std::size_t p) const {
    const __m256i place = _mm256_add_epi32(First, _mm256_set1_epi32(static_cast<int>(p)));
    return _mm256_andnot_si256(_mm256_cmpgt_epi32(_mm256_setzero_si256(), place), _mm256_cmpgt_epi32(Count, place));
  }
  AVX2_FN __m256i Input(std::size_t s, std::size_t i) const {
    return s == 0 ? imaging::Load(In[i]) : imaging::Load(Rings[(s - 1) * (RingMask + 1) + (i & RingMask)]);
  }
  AVX2_FN void Emit(std::size_t s, std::size_t p) {
    __m256i value = imaging::DivideLanes(Sums[s], Divide.Multiplier, Divide.Shift);
    if constexpr (Masked) value = _mm256_and_si256(value, Inside(p));
    imaging::Store(s < 3 ? Rings[s * (RingMask + 1) + (p & RingMask)] : Out[p], value);
  }
  // A step near the ends of the runs, where stages may have nothing to do.
  AVX2_FN void EdgeStep(std::size_t t) {
    for (std::size_t s = 0; s < 4 && t >= Chain.Delay[s]; ++s) {
      const std::size_t j = t - Chain.Delay[s];
      if (j >= Length + Chain.Leads[s]) continue;
      __m256i change = j < Length ? Input(s, j) : _mm256_setzero_si256();
      if (j >= Chain.Window) change = _mm256_sub_epi32(change, Input(s, j - Chain.Window));
      Sums[s] = _mm256_add_epi32(Sums[s], change);
      if (j >= Chain.Leads[s]) Emit(s, j - Chain.Leads[s]);
    }
  }
  // Every stage inside its run: no tests. The schedule, the sums and the
  // rings are held in locals, which vector stores cannot be taken to change.
  AVX2_FN void SteadySteps(std::size_t from, std::size_t to) {
    const std::size_t w = Chain.Window, mask = RingMask;
    const std::array<std::size_t, 4> delay = Chain.Delay, leads = Chain.Leads;
    const TLanes* ins[4] = {In, Rings, Rings + (mask + 1), Rings + 2 * (mask + 1)};
    TLanes* outs[4] = {Rings, Rings + (mask + 1), Rings + 2 * (mask + 1), Out};
    __m256i sums[4] = {Sums[0], Sums[1], Sums[2], Sums[3]};
    const TLaneDivider divide = Divide;
    for (std::size_t t = from; t < to; ++t) {
      for (std::size_t s = 0; s < 4; ++s) {
        const std::size_t j = t - delay[s], p = j - leads[s];
        const std::size_t in = s == 0 ? j : j & mask, old = s == 0 ? j - w : (j - w) & mask;
        sums[s] = _mm256_add_epi32(sums[s], _mm256_sub_epi32(imaging::Load(ins[s][in]), imaging::Load(ins[s][old])));
        __m256i value = imaging::DivideLanes(sums[s], divide.Multiplier, divide.Shift);
        if constexpr (Masked) value = _mm256_and_si256(value, Inside(p));
        imaging::Store(outs[s][s < 3 ? p & mask : p], value);
      }
    }
    for (std::size_t s = 0; s < 4; ++s) Sums[s] = sums[s];
  }
  AVX2_FN void Run() {
    for (__m256i& sum : Sums) sum = _mm256_setzero_si256();
    const std::size_t end = Length + Chain.After;
    const std::size_t steadyFrom = std::min(Chain.Delay[3] + Chain.Window, Length);
    const std::size_t steadyTo = std::max(steadyFrom, Length);
    for (std::size_t t = 0; t < steadyFrom; ++t) EdgeStep(t);
    SteadySteps(steadyFrom, steadyTo);
    for (std::size_t t = steadyTo; t < end; ++t) EdgeStep(t);
  }
};

// The intensities of eight alphas (the low eight bytes): round(alpha x
// scale) with scale = 256 x factor, one rounding of the exact product as in
// AlphaIntensities, to the nearest and halves to even.
AVX2_FN __m256i Intensities(__m128i alphas, __m256d scale) {
  const __m128i low = _mm256_cvtpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm_cvtepu8_epi32(alphas)), scale));
  const __m128i high =
      _mm256_cvtpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_srli_si128(alphas, 4))), scale));
  return _mm256_set_m128i(high, low);
}

// Eight bytes of each of eight rows (row l at rows + l x stride) as eight
// values of eight lanes, turned into intensities.
AVX2_FN void LoadAlphaBlock(const std::uint8_t* rows, std::size_t stride, __m256d scale, TLanes* to) {
  __m128i r[kBlurLanes];
  for (std::size_t l = 0; l < kBlurLanes; ++l) r[l] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows + l * stride));
  const __m128i a0 = _mm_unpacklo_epi8(r[0], r[1]), a1 = _mm_unpacklo_epi8(r[2], r[3]);
  const __m128i a2 = _mm_unpacklo_epi8(r[4], r[5]), a3 = _mm_unpacklo_epi8(r[6], r[7]);
  const __m128i b0 = _mm_unpacklo_epi16(a0, a1), b1 = _mm_unpackhi_epi16(a0, a1);
  const __m128i b2 = _mm_unpacklo_epi16(a2, a3), b3 = _mm_unpackhi_epi16(a2, a3);
  // Each holds two places, eight lanes each.
  const __m128i pairs[4] = {_mm_unpacklo_epi32(b0, b2), _mm_unpackhi_epi32(b0, b2), _mm_unpacklo_epi32(b1, b3),
                            _mm_unpackhi_epi32(b1, b3)};
  for (std::size_t i = 0; i < 4; ++i) {
    imaging::Store(to[2 * i], Intensities(pairs[i], scale));
    imaging::Store(to[2 * i + 1], Intensities(_mm_unpackhi_epi64(pairs[i], pairs[i]), scale));
  }
}

// The row averages of rows y0 .. y0 + 7 written to rows[0..7]. alpha holds
// the shifted alpha, place k of the joined rows at alpha[before + k], with
// zeros around; rows past the last one are computed on zeros.
struct TRowBlur {
  const std::uint8_t* Alpha;
  const TColor32* Intensity;  // of each alpha
  double Scale;               // 256 x the intensity factor
  std::size_t Width, Count;
  const TChain& Chain;
  TLaneDivider Divide;
  TShadowBuffers& Buffers;

  __attribute__((target("avx2"))) void Batch(std::size_t y0, TColor32* const (&rows)[kBlurLanes]) const {
    const std::size_t length = Chain.Before + Width + Chain.After;
    TLanes* in = Buffers.Inputs.data();
    const std::uint8_t* first = Alpha + y0 * Width;
    std::size_t j = 0;
    const __m256d scale = _mm256_set1_pd(Scale);
    for (; j + kBlurLanes <= length; j += kBlurLanes) LoadAlphaBlock(first + j, Width, scale, in + j);
    for (; j < length; ++j)
      for (std::size_t l = 0; l < kBlurLanes; ++l) in[j].Values[l] = Intensity[first[l * Width + j]];

    const auto start = static_cast<std::int64_t>(y0 * Width) - static_cast<std::int64_t>(Chain.Before);
    const bool masked = start < 0 || (y0 + kBlurLanes) * Width + Chain.After > Count;
    const __m256i firstPlaces = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(start)),
                                                 _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7),
                                                                    _mm256_set1_epi32(static_cast<int>(Width))));
    const __m256i count = _mm256_set1_epi32(static_cast<int>(Count));
    TLanes* out = Buffers.Outputs.data();
    const std::size_t ringMask = Buffers.LaneRings.size() / 3 - 1;
    if (masked)
      TLaneSweep<true>{in, out, length, Chain, Buffers.LaneRings.data(), ringMask, Divide, firstPlaces, count, {}}.Run();
    else
      TLaneSweep<false>{in, out, length, Chain, Buffers.LaneRings.data(), ringMask, Divide, firstPlaces, count, {}}.Run();
    WriteRows(out + Chain.Before, rows);
  }

  __attribute__((target("avx2"))) void WriteRows(const TLanes* values, TColor32* const (&rows)[kBlurLanes]) const {
    const std::size_t blocked = Width - Width % kBlurLanes;
    for (std::size_t i = 0; i < blocked; i += kBlurLanes) {
      __m256i block[kBlurLanes];
      for (std::size_t k = 0; k < kBlurLanes; ++k) block[k] = imaging::Load(values[i + k]);
      imaging::Transpose8x8(block);
      for (std::size_t l = 0; l < kBlurLanes; ++l) _mm256_storeu_si256(reinterpret_cast<__m256i*>(rows[l] + i), block[l]);
    }
    for (std::size_t i = blocked; i < Width; ++i)
      for (std::size_t l = 0; l < kBlurLanes; ++l) rows[l][i] = values[i].Values[l];
  }
};

// ---- columns, all at once, row after row

AVX2_FN __m256i LoadRow(const TColor32* values) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values)); }

// The chain down the joined columns. Input row j of the short runs is row
// j - before of the row averages; above the first row it is a row from the
// bottom taken one column to the right (the end of the column before), below
// the last a row from the top taken one column to the left.
struct TColumnBlur {
  std::size_t Width, Height;
  const TChain& Chain;
  TLaneDivider Divide;
  imaging::TWindowDivider ScalarDivide;
  std::array<TColor32*, 4> Rings;       // inputs of each stage
  std::array<std::size_t, 4> RingRows;  // rows of each ring
  TColor32* Sums;                       // four rows
  TColor32* Final;
  const TColor32* Zero;

  std::size_t Length() const { return Chain.Before + Height + Chain.After; }
  TColor32* Row(std::size_t s, std::size_t j) const { return Rings[s] + (j % RingRows[s]) * Width; }

  // Stage s takes input row j; the output row, if any, comes back.
  __attribute__((target("avx2"))) TColor32* Step(std::size_t s, std::size_t j) const {
    const TColor32* in = j < Length() ? Row(s, j) : Zero;
    const TColor32* old = j >= Chain.Window ? Row(s, j - Chain.Window) : Zero;
    TColor32* sums = Sums + s * Width;
    const bool emit = j >= Chain.Leads[s];
    const std::size_t p = emit ? j - Chain.Leads[s] : 0;
    TColor32* out = s < 3 ? Row(s + 1, p) : Final;
    const std::size_t blocked = Width - Width % kBlurLanes;
    for (std::size_t c = 0; c < blocked; c += kBlurLanes) {
      const __m256i sum = _mm256_add_epi32(LoadRow(sums + c), _mm256_sub_epi32(LoadRow(in + c), LoadRow(old + c)));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + c), sum);
      if (emit)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + c), imaging::DivideLanes(sum, Divide.Multiplier, Divide.Shift));
    }
    for (std::size_t c = blocked; c < Width; ++c) {
      sums[c] += in[c] - old[c];
      if (emit) out[c] = ScalarDivide(sums[c]);
    }
    if (!emit) return nullptr;
    // Before the first column and after the last there is nothing.
    if (p < Chain.Before) out[0] = 0;
    if (p >= Chain.Before + Height) out[Width - 1] = 0;
    return out;
  }
};

// The shifted alpha, place k of the pixels at alpha[before + k], zeros
// around it up to the end of the buffer.
void FillShiftedAlpha(const TColor32* bits, std::size_t count, std::int64_t shift, std::size_t before,
                      std::vector<std::uint8_t>& alpha) {
  const auto n = static_cast<std::int64_t>(count);
  const auto from = static_cast<std::size_t>(std::clamp<std::int64_t>(shift, 0, n));
  const auto to = static_cast<std::size_t>(std::clamp<std::int64_t>(n + shift, 0, n));
  std::uint8_t* places = alpha.data() + before;
  std::fill(alpha.begin(), alpha.begin() + static_cast<std::ptrdiff_t>(before + from), 0);
  const TColor32* source = bits + static_cast<std::size_t>(static_cast<std::int64_t>(from) - shift);
  for (std::size_t k = from; k < to; ++k) places[k] = static_cast<std::uint8_t>(source[k - from] >> 24);
  std::fill(alpha.begin() + static_cast<std::ptrdiff_t>(before + to), alpha.end(), 0);
}

// Sized to size; a buffer more than twice as large as needed (a large
// shape drawn before) gives the rest back.
template <class T>
void Fit(std::vector<T>& buffer, std::size_t size) {
  buffer.resize(size);
  if (buffer.capacity() > 2 * size) buffer.shrink_to_fit();
}

// A row moved by one column, the end left behind 0: above the first row and
// below the last, the joined columns continue in the neighbouring column.
void CopyShiftedRow(const TColor32* from, TColor32* to, std::size_t width, bool toTheRight) {
  if (toTheRight) {
    to[0] = 0;
    std::copy(from, from + width - 1, to + 1);
  } else {
    std::copy(from + 1, from + width, to);
    to[width - 1] = 0;
  }
}

__attribute__((target("avx2"))) void Sweep(TColor32* bits, std::size_t width, std::size_t height,
                                           const TShadowSweep& sweep, TShadowBuffers& b, const TChain& rowChain,
                                           const TChain& columnChain, const std::array<std::size_t, 4>& ringRows) {
  const std::size_t count = width * height, w = sweep.Window;
  const imaging::TWindowDivider divider(static_cast<std::int64_t>(w));
  const TLaneDivider lanes{_mm256_set1_epi64x(static_cast<long long>(divider.GetMultiplier())),
                           _mm_cvtsi32_si128(divider.GetShift())};
  const std::array<TColor32, 256> intensity = imaging::AlphaIntensities(sweep.Factor);
  const TRowBlur rows{b.Alpha.data(), intensity.data(), 256.0 * double(sweep.Factor), width, count, rowChain, lanes, b};
  // Row y of the row averages into to(y), rows past the last into the spare.
  const auto blurRows = [&](std::size_t y0, const auto& to) {
    TColor32* targets[kBlurLanes];
    for (std::size_t l = 0; l < kBlurLanes; ++l) targets[l] = y0 + l < height ? to(y0 + l) : b.Spare.data();
    rows.Batch(y0, targets);
  };
  const std::size_t tailFrom = height - columnChain.Before;
  for (std::size_t y = tailFrom; y < height; y += kBlurLanes)
    blurRows(y, [&](std::size_t row) { return b.Tail.data() + (row - tailFrom) * width; });

  TColor32* ringBase = b.Rings.data();
  const std::array<TColor32*, 4> rings{ringBase, ringBase + ringRows[0] * width,
                                        ringBase + (ringRows[0] + ringRows[1]) * width,
                                        ringBase + (ringRows[0] + 2 * ringRows[1]) * width};
  const TColumnBlur columns{width, height, columnChain, lanes, divider, rings, ringRows,
                            b.Sums.data(), b.Final.data(), b.Zero.data()};
  const std::size_t length = columns.Length(), top = columnChain.Before;
  std::size_t produced = 0;
  for (std::size_t t = 0; t < length + columnChain.After; ++t) {
    if (t < length && t >= produced) {
      if (t < top) {
        CopyShiftedRow(b.Tail.data() + t * width, columns.Row(0, t), width, true);
        produced = t + 1;
      } else if (t < top + height) {
        const std::size_t y0 = t - top;
        blurRows(y0, [&](std::size_t row) { return columns.Row(0, top + row); });
        for (std::size_t y = y0; y < std::min(y0 + kBlurLanes, columnChain.After); ++y)
          std::copy_n(columns.Row(0, top + y), width, b.Head.data() + y * width);
        produced = top + std::min(y0 + kBlurLanes, height);
      } else {
        CopyShiftedRow(b.Head.data() + (t - top - height) * width, columns.Row(0, t), width, false);
        produced = t + 1;
      }
    }
    for (std::size_t s = 0; s < 4 && t >= columnChain.Delay[s]; ++s) {
      const std::size_t j = t - columnChain.Delay[s];
      if (j >= length + columnChain.Leads[s]) continue;
      const TColor32* out = columns.Step(s, j);
      const std::size_t p = j - columnChain.Leads[s];
      if (s == 3 && out && p >= top && p < top + height) PutShadowUnder(bits + (p - top) * width, out, width, sweep.Rgb);
    }
  }
}

}  // namespace

bool DrawShadowSweep(TColor32* bits, std::size_t width, std::size_t height, const TShadowSweep& sweep,
                     TShadowBuffersPtr& buffers) {
  const std::size_t count = width * height, w = sweep.Window;
  if (!imaging::HasCPUFeature(cfAVX2) || w < 3 || w > count) return false;
  const TChain rowChain(imaging::BlurRowLeads(w), w), columnChain(imaging::BlurColumnLeads(w), w);
  const std::size_t before = rowChain.Before, after = rowChain.After;
  if (columnChain.Before > height || columnChain.After > height) return false;
  const std::size_t alphaSize = (height + 2 * kBlurLanes) * width + before + after + kBlurLanes;
  if (alphaSize >= (std::size_t{1} << 31)) return false;
  if (!(sweep.Factor >= 0 && sweep.Factor <= 256)) return false;
  const TColor32 largest = imaging::AlphaIntensities(sweep.Factor)[255];
  if (largest >= (std::uint64_t{1} << 31) / w) return false;

  if (!buffers) buffers.reset(new TShadowBuffers);
  TShadowBuffers& b = *buffers;
  std::size_t ringSize = 1;
  while (ringSize < w + 1) ringSize *= 2;
  const std::size_t rowLength = before + width + after;
  const std::array<std::size_t, 4> ringRows{w + kBlurLanes, w + 1, w + 1, w + 1};
  Fit(b.Alpha, alphaSize);
  Fit(b.Inputs, rowLength);
  Fit(b.Outputs, rowLength);
  Fit(b.LaneRings, 3 * ringSize);
  Fit(b.Rings, (ringRows[0] + 3 * ringRows[1]) * width);
  Fit(b.Sums, 4 * width);
  std::fill(b.Sums.begin(), b.Sums.end(), 0);
  Fit(b.Tail, columnChain.Before * width);
  Fit(b.Head, columnChain.After * width);
  Fit(b.Final, width);
  Fit(b.Zero, width);
  std::fill(b.Zero.begin(), b.Zero.end(), 0);
  Fit(b.Spare, width);
  FillShiftedAlpha(bits, count, sweep.Shift, before, b.Alpha);
  Sweep(bits, width, height, sweep, b, rowChain, columnChain, ringRows);
  return true;
}
