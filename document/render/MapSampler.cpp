#include "document/render/MapSampler.h"

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "document/render/SampleSource.h"
#include "imaging/blend/Blend.h"
#include "imaging/core/RectHelpers.h"
#include "platform/rtl/Exception.h"

namespace {

constexpr int MaxOversampling = 6;
// Runs of pixels a whole source pixel apart at least this long are sampled
// a run at a time.
constexpr std::int32_t MinRun = 4;
// Source positions are held within +-2^21 pixels, in 1/256 pixel, so that a
// start plus a whole row of steps stays inside 32 bits; anything that far
// out lies beyond every bitmap anyway.
constexpr std::int32_t SubpixelLimit = 1 << 29;

std::int32_t ToSubpixel(double pixels) {
  const double scaled = pixels * 256;
  if (!(scaled > -SubpixelLimit)) return -SubpixelLimit;  // NaN too
  if (scaled > SubpixelLimit) return SubpixelLimit;
  return static_cast<std::int32_t>(std::nearbyint(scaled));
}

// floor(numerator / denominator) for a positive denominator.
std::int64_t FloorDivide(std::int64_t numerator, std::int64_t denominator) {
  return numerator >= 0 ? numerator / denominator : -((-numerator + denominator - 1) / denominator);
}

TColor32 PackSample(__m128i sample) {
  return static_cast<TColor32>(_mm_cvtsi128_si32(_mm_packus_epi16(sample, sample)));
}

void AddSample(std::uint64_t& sums, __m128i sample) {
  __m128i* slot = reinterpret_cast<__m128i*>(&sums);
  _mm_storel_epi64(slot, _mm_add_epi16(_mm_loadl_epi64(slot), sample));
}

// Integer quotients by a divisor up to 36 of sums below 2^16, through a
// multiplication: exact because sum x divisor stays below 2^32.
class TDivider {
public:
  explicit TDivider(std::uint32_t divisor) : Factor(std::numeric_limits<std::uint32_t>::max() / divisor + 1) {}
  std::uint32_t Divide(std::uint64_t sum) const { return static_cast<std::uint32_t>(sum * Factor >> 32); }

private:
  std::uint64_t Factor;
};

}  // namespace

TdocMapSampler::TdocMapSampler() { SetOversampling(2); }

void TdocMapSampler::SetOversampling(int n) {
  if (n < 1 || n > MaxOversampling) throw EInvalidOperation("Illegal oversampling value");
  Oversampling = n;
  SampleOffsets.clear();
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i)
      SampleOffsets.push_back(
          imaging::MakeFloatPoint((i + 0.5f) / static_cast<float>(n) - 0.5f, (j + 0.5f) / static_cast<float>(n) - 0.5f));
}

void TdocMapSampler::MapToSource(double x, double y, std::int32_t& sx, std::int32_t& sy) const {
  const TFloatPoint p = GetInverseTransform()->TransformPoint(
      imaging::MakeFloatPoint(static_cast<float>(x), static_cast<float>(y)));
  sx = ToSubpixel(p.X - 0.5);
  sy = ToSubpixel(p.Y - 0.5);
}

bool TdocMapSampler::PrepareRowSteps(std::int32_t x0, std::int32_t y, std::int32_t count) {
  if (count < 2 || !GetInverseTransform()->IsAffine()) return false;
  std::int32_t firstX, firstY, lastX, lastY;
  MapToSource(x0 + 0.5, y + 0.5, firstX, firstY);
  MapToSource(x0 + count - 0.5, y + 0.5, lastX, lastY);
  TotalX = std::int64_t{lastX} - firstX;
  TotalY = std::int64_t{lastY} - firstY;
  return true;
}

void TdocMapSampler::FillRowSteps(std::int32_t count, TSpan span) {
  OffsetsX.resize(static_cast<std::size_t>(count));
  OffsetsY.resize(static_cast<std::size_t>(count));
  // floor(total x i / steps): whole steps with the remainder carried in an
  // error accumulator, from the span's first pixel on.
  const auto spread = [count, span](std::int64_t total, std::vector<std::int32_t>& offsets) {
    const std::int64_t steps = count - 1;
    const std::int64_t step = FloorDivide(total, steps);
    const std::int64_t remainder = total - step * steps;
    std::int64_t offset = FloorDivide(total * span.First, steps);
    std::int64_t error = total * span.First - offset * steps;
    for (std::int32_t i = span.First; i < span.End; ++i) {
      offsets[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(offset);
      offset += step;
      error += remainder;
      if (error >= steps) error -= steps, ++offset;
    }
  };
  spread(TotalX, OffsetsX);
  spread(TotalY, OffsetsY);
}

void TdocMapSampler::SampleRow(std::int32_t x0, std::int32_t y, std::int32_t count) {
  SampleSpan(x0, y, count, {0, count});
}

void TdocMapSampler::SampleSpan(std::int32_t x0, std::int32_t y, std::int32_t count, TSpan span) {
  LineBuffer.resize(std::max<std::size_t>(LineBuffer.size(), static_cast<std::size_t>(count)));
  if (Oversampling == 1) SampleRowSingle(x0, y, count, span);
  else SampleRowSupersampled(x0, y, count, span);
}

void TdocMapSampler::SampleRowSingle(std::int32_t x0, std::int32_t y, std::int32_t count, TSpan span) {
  document::TSampleSource source(*GetSource());
  TColor32* line = LineBuffer.data();
  std::int32_t sx, sy;
  if (PrepareRowSteps(x0, y, count)) {
    FillRowSteps(count, span);
    MapToSource(x0 + 0.5, y + 0.5, sx, sy);
    for (std::int32_t i = span.First; i < span.End; ++i)
      line[i] = PackSample(source.Sample(sx + OffsetsX[i], sy + OffsetsY[i]));
    return;
  }
  for (std::int32_t i = span.First; i < span.End; ++i) {
    MapToSource(x0 + i + 0.5, y + 0.5, sx, sy);
    line[i] = PackSample(source.Sample(sx, sy));
  }
}

void TdocMapSampler::SampleRowSupersampled(std::int32_t x0, std::int32_t y, std::int32_t count, TSpan span) {
  document::TSampleSource source(*GetSource());
  SampleSums.assign(std::max<std::size_t>(SampleSums.size(), static_cast<std::size_t>(count)), 0);
  std::uint64_t* sums = SampleSums.data();
  std::int32_t sx, sy;
  const bool walk = PrepareRowSteps(x0, y, count);
  if (walk && ShortRuns(count)) {
    // Runs too short to share their fractions: each pixel sampled at its own
    // offset (the positions the runs would give).
    FillRowSteps(count, span);
    const std::int32_t first = span.First, length = std::max(0, span.End - span.First);
    for (const TFloatPoint& offset : SampleOffsets) {
      MapToSource(x0 + 0.5 + offset.X, y + 0.5 + offset.Y, sx, sy);
      source.AddSamples(sx, sy, OffsetsX.data() + first, OffsetsY.data() + first, length, sums + first);
    }
    AverageSamples(span);
    return;
  }
  if (walk) FindRuns(count);
  for (const TFloatPoint& offset : SampleOffsets) {
    if (walk) {
      MapToSource(x0 + 0.5 + offset.X, y + 0.5 + offset.Y, sx, sy);
      for (const TRun& run : Runs) {
        // The part of the run inside the span.
        const std::int32_t first = std::max(run.First, span.First), end = std::min(run.First + run.Count, span.End);
        if (first >= end) continue;
        const std::int32_t runX = sx + run.OffsetX + 256 * (first - run.First), runY = sy + run.OffsetY;
        if (end - first >= MinRun) {
          source.AddRun(runX, runY, end - first, sums + first);
          continue;
        }
        for (std::int32_t i = 0; i < end - first; ++i) AddSample(sums[first + i], source.Sample(runX + 256 * i, runY));
      }
      continue;
    }
    for (std::int32_t i = span.First; i < span.End; ++i) {
      MapToSource(x0 + i + 0.5 + offset.X, y + 0.5 + offset.Y, sx, sy);
      AddSample(sums[i], source.Sample(sx, sy));
    }
  }
  AverageSamples(span);
}

TdocMapSampler::TSpan TdocMapSampler::ReachingSpan(std::int32_t x0, std::int32_t y, std::int32_t count) {
  if (!PrepareRowSteps(x0, y, count)) return {0, count};
  const TRect clip = GetSource()->GetClipRect();
  const double steps = count - 1;
  // A sample reads the clip rectangle's pixels when its column lies from
  // one left of the rectangle to its last, and its row likewise.
  const double left = 256.0 * (clip.Left - 1), right = 256.0 * clip.Right;
  const double top = 256.0 * (clip.Top - 1), bottom = 256.0 * clip.Bottom;
  double first = count, last = -1;
  for (const TFloatPoint& offset : SampleOffsets) {
    std::int32_t sx, sy;
    MapToSource(x0 + 0.5 + offset.X, y + 0.5 + offset.Y, sx, sy);
    // The pixels i where start + total x i / steps lies in [low, high).
    double from = 0, to = steps;
    const auto within = [&](double start, double total, double low, double high) {
      if (total == 0) {
        if (start < low || start >= high) from = 1, to = 0;
        return;
      }
      const double a = (low - start) * steps / total, b = (high - start) * steps / total;
      from = std::max(from, std::min(a, b));
      to = std::min(to, std::max(a, b));
    };
    within(sx, static_cast<double>(TotalX), left, right);
    within(sy, static_cast<double>(TotalY), top, bottom);
    if (from > to) continue;
    first = std::min(first, from);
    last = std::max(last, to);
  }
  if (first > last) return {0, 0};
  // Two pixels more on each side cover the steps' rounding.
  return {static_cast<std::int32_t>(std::max(0.0, std::floor(first) - 2)),
          static_cast<std::int32_t>(std::min(static_cast<double>(count), std::ceil(last) + 3))};
}

bool TdocMapSampler::ShortRuns(std::int32_t count) const {
  // Beyond whole source pixels the offsets drift by these totals along the
  // row; each unit of drift ends a run.
  const std::int64_t steps = count - 1;
  const std::int64_t driftX = TotalX - 256 * steps;
  return (std::abs(driftX) + std::abs(TotalY)) * MinRun > steps;
}

void TdocMapSampler::FindRuns(std::int32_t count) {
  Runs.clear();
  const std::int64_t steps = count - 1;
  const std::int64_t driftX = TotalX - 256 * steps;
  // Few long runs: the drifts, floor(total x i / steps), only grow or only
  // shrink along the row, so each run ends where a search finds them change.
  const auto drift = [steps](std::int64_t total, std::int64_t i) { return FloorDivide(total * i, steps); };
  const auto same = [&](std::int64_t i, std::int64_t j) {
    return drift(driftX, i) == drift(driftX, j) && drift(TotalY, i) == drift(TotalY, j);
  };
  for (std::int32_t first = 0; first < count;) {
    // Gallop to a pixel past the run, then halve the gap.
    std::int32_t inside = first, stride = 1;
    while (inside + stride < count && same(first, inside + stride)) inside += stride, stride *= 2;
    std::int32_t outside = std::min(inside + stride, count);
    while (outside - inside > 1) {
      const std::int32_t middle = inside + (outside - inside) / 2;
      (same(first, middle) ? inside : outside) = middle;
    }
    Runs.push_back({first, inside + 1 - first, static_cast<std::int32_t>(256 * std::int64_t{first} + drift(driftX, first)),
                    static_cast<std::int32_t>(drift(TotalY, first))});
    first = inside + 1;
  }
}

void TdocMapSampler::AverageSamples(TSpan span) {
  const auto samples = static_cast<std::uint32_t>(SampleOffsets.size());
  std::int32_t i = span.First;
  if (std::has_single_bit(samples)) {
    // A power of two divides by a shift, two pixels at a time.
    const __m128i shift = _mm_cvtsi32_si128(std::countr_zero(samples));
    for (; i + 2 <= span.End; i += 2) {
      const __m128i sums = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&SampleSums[std::size_t(i)]));
      const __m128i quotients = _mm_srl_epi16(sums, shift);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(&LineBuffer[std::size_t(i)]), _mm_packus_epi16(quotients, quotients));
    }
  }
  const TDivider divider(samples);
  for (; i < span.End; ++i) {
    const std::uint64_t sums = SampleSums[std::size_t(i)];
    TColor32 color = 0;
    for (int channel = 0; channel < 4; ++channel)
      color |= divider.Divide(sums >> (16 * channel) & 0xFFFF) << (8 * channel);
    LineBuffer[std::size_t(i)] = color;
  }
}

void TdocMapSampler::BlendRow(std::int32_t x0, std::int32_t y, TSpan span) {
  if (span.First >= span.End) return;
  const TCustomBitmap32& source = *GetSource();
  TColor32* row = GetTarget()->PixelPtr(x0 + span.First, y);
  const TColor32* line = LineBuffer.data() + span.First;
  const int count = span.End - span.First;
  const std::uint32_t masterAlpha = source.GetMasterAlpha();
  if (masterAlpha == 255) imaging::BlendLineOf(source.GetCombineMode())(line, row, count);
  else imaging::BlendLineExOf(source.GetCombineMode())(line, row, count, masterAlpha);
}

void TdocMapSampler::Render(const TFloatRect& sourceRect) {
  TCustomBitmap32* target = GetTarget();
  if (target == nullptr || GetSource() == nullptr || GetTransform() == nullptr || target->IsEmpty()) return;
  TFloatPoint corners[4] = {{sourceRect.Left, sourceRect.Top},
                            {sourceRect.Right, sourceRect.Top},
                            {sourceRect.Right, sourceRect.Bottom},
                            {sourceRect.Left, sourceRect.Bottom}};
  for (TFloatPoint& corner : corners) {
    corner = GetTransform()->TransformPoint(corner);
    if (!imaging::IsFiniteFloatPoint(corner)) return;
  }
  const auto [minX, maxX] = std::minmax({corners[0].X, corners[1].X, corners[2].X, corners[3].X});
  const auto [minY, maxY] = std::minmax({corners[0].Y, corners[1].Y, corners[2].Y, corners[3].Y});
  // Whole pixels, both ends included, held inside the target.
  const auto first = [](float v, std::int32_t size) {
    return static_cast<std::int32_t>(std::clamp(std::floor(static_cast<double>(v)), 0.0, double(size)));
  };
  const auto last = [](float v, std::int32_t size) {
    return static_cast<std::int32_t>(std::clamp(std::ceil(static_cast<double>(v)), -1.0, double(size - 1)));
  };
  const TRect reach{first(minX, target->GetWidth()), first(minY, target->GetHeight()), last(maxX, target->GetWidth()) + 1,
                    last(maxY, target->GetHeight()) + 1};
  TRect area;
  imaging::IntersectRect(area, reach, target->GetClipRect());
  if (area.Left >= area.Right || area.Top >= area.Bottom) return;
  // A flattening transform has no inverse: it covers no area.
  const TFloatPoint centre = GetInverseTransform()->TransformPoint(
      imaging::MakeFloatPoint(0.5f * static_cast<float>(area.Left + area.Right),
                              0.5f * static_cast<float>(area.Top + area.Bottom)));
  if (!imaging::IsFiniteFloatPoint(centre)) return;
  if (!target->GetMeasuringMode()) {
    const std::int32_t count = area.Right - area.Left;
    // Pixels of only the outer colour change nothing when it is transparent
    // (blending leaves the target for alpha 0): they are not sampled.
    const bool clearOuter = GetSource()->OuterColor >> 24 == 0;
    for (std::int32_t y = area.Top; y < area.Bottom; ++y) {
      const TSpan span = clearOuter ? ReachingSpan(area.Left, y, count) : TSpan{0, count};
      SampleSpan(area.Left, y, count, span);
      BlendRow(area.Left, y, span);
    }
    imaging::EMMS();
  }
  target->AreaChanged(area);
}
