#include "document/MapSampler.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "imaging/blend/Blend.h"
#include "platform/rtl/Exception.h"

namespace {

constexpr int MaxOversampling = 6;
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

bool IsFinite(const TFloatPoint& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

// The source as the sampling sees it: its pixels inside the clip rectangle,
// its outer colour everywhere around them.
class TSourceView {
public:
  explicit TSourceView(const TCustomBitmap32& bitmap)
      : Bits(bitmap.GetBits()), Width(bitmap.GetWidth()), Clip(bitmap.GetClipRect()), Outer(bitmap.OuterColor) {}

  // The bilinear sample at (x, y) in 1/256 pixel, pixel centres at whole
  // values: each row is mixed by the column fraction, then the two rows by
  // the row fraction, each step rounded like the combine routine. The four
  // channels come back in the low four 16-bit lanes.
  __m128i Sample(std::int32_t x, std::int32_t y) const {
    const std::int32_t column = x >> 8, row = y >> 8;
    if (Covers(column, Clip.Left, Clip.Right - 1) && Covers(row, Clip.Top, Clip.Bottom - 1)) {
      const TColor32* p = Bits + row * Width + column;
      return Interpolate(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                         _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + Width)), x & 255, y & 255);
    }
    if (!Covers(column, Clip.Left - 1, Clip.Right) || !Covers(row, Clip.Top - 1, Clip.Bottom))
      return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(Outer)), _mm_setzero_si128());
    return Interpolate(Pair(column, row), Pair(column, row + 1), x & 255, y & 255);
  }

private:
  // lo <= v < hi
  static bool Covers(std::int32_t v, std::int32_t lo, std::int32_t hi) {
    return static_cast<std::uint32_t>(v - lo) < static_cast<std::uint32_t>(hi - lo);
  }
  TColor32 At(std::int32_t x, std::int32_t y) const {
    return Covers(x, Clip.Left, Clip.Right) && Covers(y, Clip.Top, Clip.Bottom) ? Bits[y * Width + x] : Outer;
  }
  // Pixels (x, y) and (x + 1, y) in the low 64 bits.
  __m128i Pair(std::int32_t x, std::int32_t y) const {
    return _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(At(x, y))),
                              _mm_cvtsi32_si128(static_cast<int>(At(x + 1, y))));
  }

  // Each lane: (near x (256 - w) + far x w + 128) >> 8, at most 65408.
  static __m128i Mix(__m128i near, __m128i far, std::uint32_t w) {
    const __m128i weight = _mm_set1_epi16(static_cast<short>(w));
    const __m128i rest = _mm_sub_epi16(_mm_set1_epi16(256), weight);
    const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(near, rest), _mm_mullo_epi16(far, weight));
    return _mm_srli_epi16(_mm_add_epi16(sum, _mm_set1_epi16(128)), 8);
  }
  // top and bottom each hold a left and a right pixel in their low 64 bits.
  static __m128i Interpolate(__m128i top, __m128i bottom, std::uint32_t fx, std::uint32_t fy) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i columns = _mm_unpacklo_epi32(top, bottom);  // top left, bottom left, top right, bottom right
    const __m128i rows = Mix(_mm_unpacklo_epi8(columns, zero), _mm_unpackhi_epi8(columns, zero), fx);
    return Mix(rows, _mm_unpackhi_epi64(rows, rows), fy);
  }

  const TColor32* Bits;
  std::ptrdiff_t Width;
  TRect Clip;
  TColor32 Outer;
};

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
  OffsetsX.resize(static_cast<std::size_t>(count));
  OffsetsY.resize(static_cast<std::size_t>(count));
  // The offset of pixel i is floor(total x i / steps), reached by whole
  // steps with the remainder carried in an error accumulator.
  const auto spread = [count](std::int64_t total, std::vector<std::int32_t>& offsets) {
    const std::int64_t steps = count - 1;
    const std::int64_t step = total >= 0 ? total / steps : -((-total + steps - 1) / steps);
    const std::int64_t remainder = total - step * steps;
    std::int64_t offset = 0, error = 0;
    for (std::int32_t& entry : offsets) {
      entry = static_cast<std::int32_t>(offset);
      offset += step;
      error += remainder;
      if (error >= steps) error -= steps, ++offset;
    }
  };
  spread(std::int64_t{lastX} - firstX, OffsetsX);
  spread(std::int64_t{lastY} - firstY, OffsetsY);
  return true;
}

void TdocMapSampler::SampleRow(std::int32_t x0, std::int32_t y, std::int32_t count) {
  LineBuffer.resize(std::max<std::size_t>(LineBuffer.size(), static_cast<std::size_t>(count)));
  if (Oversampling == 1) SampleRowSingle(x0, y, count);
  else SampleRowSupersampled(x0, y, count);
}

void TdocMapSampler::SampleRowSingle(std::int32_t x0, std::int32_t y, std::int32_t count) {
  const TSourceView source(*GetSource());
  TColor32* line = LineBuffer.data();
  std::int32_t sx, sy;
  if (PrepareRowSteps(x0, y, count)) {
    MapToSource(x0 + 0.5, y + 0.5, sx, sy);
    for (std::int32_t i = 0; i < count; ++i) line[i] = PackSample(source.Sample(sx + OffsetsX[i], sy + OffsetsY[i]));
    return;
  }
  for (std::int32_t i = 0; i < count; ++i) {
    MapToSource(x0 + i + 0.5, y + 0.5, sx, sy);
    line[i] = PackSample(source.Sample(sx, sy));
  }
}

void TdocMapSampler::SampleRowSupersampled(std::int32_t x0, std::int32_t y, std::int32_t count) {
  const TSourceView source(*GetSource());
  SampleSums.assign(std::max<std::size_t>(SampleSums.size(), static_cast<std::size_t>(count)), 0);
  std::uint64_t* sums = SampleSums.data();
  std::int32_t sx, sy;
  const bool walk = PrepareRowSteps(x0, y, count);
  for (const TFloatPoint& offset : SampleOffsets) {
    if (walk) {
      MapToSource(x0 + 0.5 + offset.X, y + 0.5 + offset.Y, sx, sy);
      for (std::int32_t i = 0; i < count; ++i) AddSample(sums[i], source.Sample(sx + OffsetsX[i], sy + OffsetsY[i]));
      continue;
    }
    for (std::int32_t i = 0; i < count; ++i) {
      MapToSource(x0 + i + 0.5 + offset.X, y + 0.5 + offset.Y, sx, sy);
      AddSample(sums[i], source.Sample(sx, sy));
    }
  }
  AverageSamples(count);
}

void TdocMapSampler::AverageSamples(std::int32_t count) {
  const TDivider divider(static_cast<std::uint32_t>(SampleOffsets.size()));
  for (std::int32_t i = 0; i < count; ++i) {
    const std::uint64_t sums = SampleSums[i];
    TColor32 color = 0;
    for (int channel = 0; channel < 4; ++channel)
      color |= divider.Divide(sums >> (16 * channel) & 0xFFFF) << (8 * channel);
    LineBuffer[i] = color;
  }
}

void TdocMapSampler::BlendRow(std::int32_t x0, std::int32_t y, std::int32_t count) {
  const TCustomBitmap32& source = *GetSource();
  TColor32* row = GetTarget()->PixelPtr(x0, y);
  const std::uint32_t masterAlpha = source.GetMasterAlpha();
  if (masterAlpha == 255) imaging::BlendLineOf(source.GetCombineMode())(LineBuffer.data(), row, count);
  else imaging::BlendLineExOf(source.GetCombineMode())(LineBuffer.data(), row, count, masterAlpha);
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
    if (!IsFinite(corner)) return;
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
  const TRect area{first(minX, target->GetWidth()), first(minY, target->GetHeight()), last(maxX, target->GetWidth()) + 1,
                   last(maxY, target->GetHeight()) + 1};
  if (area.Left >= area.Right || area.Top >= area.Bottom) return;
  // A flattening transform has no inverse: it covers no area.
  const TFloatPoint centre = GetInverseTransform()->TransformPoint(
      imaging::MakeFloatPoint(0.5f * static_cast<float>(area.Left + area.Right),
                              0.5f * static_cast<float>(area.Top + area.Bottom)));
  if (!IsFinite(centre)) return;
  if (!target->GetMeasuringMode()) {
    const std::int32_t count = area.Right - area.Left;
    for (std::int32_t y = area.Top; y < area.Bottom; ++y) {
      SampleRow(area.Left, y, count);
      BlendRow(area.Left, y, count);
    }
    imaging::EMMS();
  }
  target->AreaChanged(area);
}
