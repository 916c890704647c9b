#include "document/render/SampleSource.h"

#include <algorithm>

namespace document {

namespace {

// The two weights of a linear mix, 256 - w for the near pixel and w for
// the far one, in every 16-bit lane.
struct TMixWeights {
  explicit TMixWeights(std::uint32_t w)
      : Far(_mm_set1_epi16(static_cast<short>(w))), Near(_mm_set1_epi16(static_cast<short>(256 - w))) {}
  __m128i Far;
  __m128i Near;
};

// Each lane: (near x (256 - w) + far x w + 128) >> 8, at most 65408.
__m128i Mix(__m128i near, __m128i far, const TMixWeights& w) {
  const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(near, w.Near), _mm_mullo_epi16(far, w.Far));
  return _mm_srli_epi16(_mm_add_epi16(sum, _mm_set1_epi16(128)), 8);
}

// top and bottom each hold a left and a right pixel in their low 64 bits.
__m128i Interpolate(__m128i top, __m128i bottom, std::uint32_t fx, std::uint32_t fy) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i columns = _mm_unpacklo_epi32(top, bottom);  // top left, bottom left, top right, bottom right
  const __m128i rows = Mix(_mm_unpacklo_epi8(columns, zero), _mm_unpackhi_epi8(columns, zero), TMixWeights(fx));
  return Mix(rows, _mm_unpackhi_epi64(rows, rows), TMixWeights(fy));
}

// The samples of the pixels whose left neighbours' channels are in the
// 16-bit lanes of left, right ones in right, for the top and bottom rows.
__m128i InterpolateRun(__m128i topLeft, __m128i topRight, __m128i bottomLeft, __m128i bottomRight,
                       const TMixWeights& wx, const TMixWeights& wy) {
  return Mix(Mix(topLeft, topRight, wx), Mix(bottomLeft, bottomRight, wx), wy);
}

void AddTo(std::uint64_t* sums, __m128i samples) {
  __m128i* slot = reinterpret_cast<__m128i*>(sums);
  _mm_storeu_si128(slot, _mm_add_epi16(_mm_loadu_si128(slot), samples));
}

__m128i Load(const TColor32* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
__m128i LoadOne(const TColor32* p) { return _mm_cvtsi32_si128(static_cast<int>(*p)); }

}  // namespace

TSampleSource::TSampleSource(const TCustomBitmap32& bitmap)
    : Bits(bitmap.GetBits()), Width(bitmap.GetWidth()), Clip(bitmap.GetClipRect()), Outer(bitmap.OuterColor) {}

__m128i TSampleSource::Sample(std::int32_t x, std::int32_t y) const {
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

void TSampleSource::AddSamples(std::int32_t x, std::int32_t y, const std::int32_t* dx, const std::int32_t* dy,
                               std::int32_t count, std::uint64_t* sums) const {
  for (std::int32_t i = 0; i < count; ++i) {
    __m128i* slot = reinterpret_cast<__m128i*>(sums + i);
    _mm_storel_epi64(slot, _mm_add_epi16(_mm_loadl_epi64(slot), Sample(x + dx[i], y + dy[i])));
  }
}

__m128i TSampleSource::Pair(std::int32_t x, std::int32_t y) const {
  return _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(At(x, y))),
                            _mm_cvtsi32_si128(static_cast<int>(At(x + 1, y))));
}

const TColor32* TSampleSource::RowFrom(std::int32_t x, std::int32_t y, std::int32_t count,
                                       std::vector<TColor32>& line) const {
  const bool rowInside = Covers(y, Clip.Top, Clip.Bottom);
  if (rowInside && x >= Clip.Left && std::int64_t{x} + count <= Clip.Right) return Bits + y * Width + x;
  line.assign(static_cast<std::size_t>(count), Outer);
  if (!rowInside) return line.data();
  // The part of the row inside the clip rectangle, in 64 bits against a far-out start.
  const std::int64_t first = std::max<std::int64_t>(x, Clip.Left);
  const std::int64_t last = std::min<std::int64_t>(std::int64_t{x} + count, Clip.Right);
  if (first < last) std::copy(Bits + y * Width + first, Bits + y * Width + last, line.begin() + (first - x));
  return line.data();
}

void TSampleSource::AddRun(std::int32_t x, std::int32_t y, std::int32_t count, std::uint64_t* sums) {
  const std::int32_t column = x >> 8, row = y >> 8;
  // Sample at column and column + 1 and at row and row + 1, where a pixel
  // outside the clip rectangle reads as the outer colour; mixing the outer
  // colour with itself gives it back exactly, as Sample returns it.
  const TColor32* top = RowFrom(column, row, count + 1, TopLine);
  const TColor32* bottom = RowFrom(column, row + 1, count + 1, BottomLine);
  const TMixWeights wx(static_cast<std::uint32_t>(x & 255)), wy(static_cast<std::uint32_t>(y & 255));
  const __m128i zero = _mm_setzero_si128();
  std::int32_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i topLeft = Load(top + i), topRight = Load(top + i + 1);
    const __m128i bottomLeft = Load(bottom + i), bottomRight = Load(bottom + i + 1);
    AddTo(sums + i, InterpolateRun(_mm_unpacklo_epi8(topLeft, zero), _mm_unpacklo_epi8(topRight, zero),
                                   _mm_unpacklo_epi8(bottomLeft, zero), _mm_unpacklo_epi8(bottomRight, zero), wx, wy));
    AddTo(sums + i + 2, InterpolateRun(_mm_unpackhi_epi8(topLeft, zero), _mm_unpackhi_epi8(topRight, zero),
                                       _mm_unpackhi_epi8(bottomLeft, zero), _mm_unpackhi_epi8(bottomRight, zero), wx,
                                       wy));
  }
  for (; i < count; ++i) {
    const __m128i sample =
        InterpolateRun(_mm_unpacklo_epi8(LoadOne(top + i), zero), _mm_unpacklo_epi8(LoadOne(top + i + 1), zero),
                       _mm_unpacklo_epi8(LoadOne(bottom + i), zero), _mm_unpacklo_epi8(LoadOne(bottom + i + 1), zero),
                       wx, wy);
    __m128i* slot = reinterpret_cast<__m128i*>(sums + i);
    _mm_storel_epi64(slot, _mm_add_epi16(_mm_loadl_epi64(slot), sample));
  }
}

}  // namespace document
