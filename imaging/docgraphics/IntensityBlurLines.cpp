// The intensity blur's four moving averages over eight lines at once, one
// line per 32-bit lane. The lines of a map are joined end to end into one
// run, so a line's first and last values are averaged with the end of the
// line before and the start of the line after. Each line is therefore taken
// with the stretch of its neighbours that the four averages reach (a band
// saved before any line changes), averaged on its own as a short run, and
// its own part written back. Values the short run gets wrong near its ends
// (it knows nothing before or after the stretch) never reach the line's own
// part: the results equal the passes over the whole run.

#include <immintrin.h>

#include <algorithm>
#include <vector>

#include "imaging/core/CpuFeatures.h"
#include "imaging/docgraphics/BoxBlurLanes.h"
#include "imaging/docgraphics/BoxBlurRuns.h"

namespace imaging {
namespace {

constexpr std::size_t kLanes = kBlurLanes;

// The places of the map, line by line, and the bands of every line that the
// neighbouring lines' averages reach, saved before anything changes.
class TLineMap {
public:
  TLineMap(TColor32* bits, std::size_t lines, std::size_t length, std::size_t lineStride, std::size_t valueStride,
           std::size_t before, std::size_t after)
      : Bits(bits), Lines(lines), Length(length), LineStride(lineStride), ValueStride(valueStride), Before(before),
        After(after), Tails(before * lines), Heads(after * lines) {
    // Band values by place, then line: eight neighbouring lines lie side by side.
    for (std::size_t line = 0; line < lines; ++line) {
      for (std::size_t i = 0; i < before; ++i) Tails[i * lines + line] = *At(line, length - before + i);
      for (std::size_t i = 0; i < after; ++i) Heads[i * lines + line] = *At(line, i);
    }
  }

  TColor32* At(std::size_t line, std::size_t i) const { return Bits + line * LineStride + i * ValueStride; }
  std::size_t SegmentLength() const { return Before + Length + After; }

  // Value j of line's short run: the end of the line before, the line, the
  // start of the line after (zero beyond the map's first and last line).
  TColor32 Segment(std::size_t line, std::size_t j) const {
    if (j < Before) return line == 0 ? 0 : Tails[j * Lines + line - 1];
    if (j < Before + Length) return *At(line, j - Before);
    return line + 1 == Lines ? 0 : Heads[(j - Before - Length) * Lines + line + 1];
  }
  // The same for lines line .. line + 7, which must have both neighbours.
  AVX2_FN __m256i SegmentLanes(std::size_t line, std::size_t j, __m256i laneOffsets) const {
    if (j < Before) return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&Tails[j * Lines + line - 1]));
    if (j >= Before + Length)
      return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&Heads[(j - Before - Length) * Lines + line + 1]));
    const TColor32* first = At(line, j - Before);
    if (LineStride == 1) return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first));
    return _mm256_i32gather_epi32(reinterpret_cast<const int*>(first), laneOffsets, 4);
  }

  std::size_t GetBefore() const { return Before; }
  std::size_t GetLength() const { return Length; }
  std::size_t GetLines() const { return Lines; }
  std::size_t GetLineStride() const { return LineStride; }

private:
  TColor32* Bits;
  std::size_t Lines, Length, LineStride, ValueStride, Before, After;
  std::vector<TColor32> Tails, Heads;
};

// BoxBlurRun on eight runs side by side; sums stay within 32 bits.
__attribute__((target("avx2"))) void BoxBlurLanes(const TLanes* src, TLanes* dst, std::size_t count, std::size_t lead,
                                                  std::size_t window, const TWindowDivider& divider) {
  const __m256i multiplier = _mm256_set1_epi64x(static_cast<long long>(divider.GetMultiplier()));
  const __m128i shift = _mm_cvtsi32_si128(divider.GetShift());
  __m256i sum = _mm256_setzero_si256();
  const std::size_t first = lead + 1 >= window ? lead + 1 - window : 0;
  for (std::size_t i = first; i <= std::min(count - 1, lead); ++i) sum = _mm256_add_epi32(sum, Load(src[i]));
  for (std::size_t k = 0; k < count; ++k) {
    Store(dst[k], DivideLanes(sum, multiplier, shift));
    if (k + lead + 1 < count) sum = _mm256_add_epi32(sum, Load(src[k + lead + 1]));
    if (k + lead + 1 >= window) sum = _mm256_sub_epi32(sum, Load(src[k + lead + 1 - window]));
  }
}

// Lines that are rows lie apart in memory: eight of them are read and
// written in 8 x 8 blocks turned on the lanes. Lines that are columns lie
// side by side: several groups of eight are taken at each place, so that
// every row visited (a page of its own in a large map) serves 64 columns.
constexpr std::size_t kColumnGroups = 8;

// Value j of the eight rows from line on, by blocks where they are whole.
AVX2_FN void ReadRowLanes(const TLineMap& map, std::size_t line, TLanes* a, __m256i laneOffsets) {
  const std::size_t blocked = map.GetLength() - map.GetLength() % kLanes;
  for (std::size_t j = 0; j < map.SegmentLength(); ++j) {
    const std::size_t i = j - map.GetBefore();
    if (j >= map.GetBefore() && i < blocked) {
      __m256i block[kLanes];
      for (std::size_t lane = 0; lane < kLanes; ++lane)
        block[lane] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(map.At(line + lane, i)));
      Transpose8x8(block);
      for (std::size_t k = 0; k < kLanes; ++k) Store(a[j + k], block[k]);
      j += kLanes - 1;
      continue;
    }
    Store(a[j], map.SegmentLanes(line, j, laneOffsets));
  }
}

AVX2_FN void WriteRowLanes(const TLineMap& map, std::size_t line, const TLanes* a) {
  const std::size_t blocked = map.GetLength() - map.GetLength() % kLanes;
  for (std::size_t i = 0; i < map.GetLength(); ++i) {
    const TLanes* values = &a[map.GetBefore() + i];
    if (i < blocked) {
      __m256i block[kLanes];
      for (std::size_t k = 0; k < kLanes; ++k) block[k] = Load(values[k]);
      Transpose8x8(block);
      for (std::size_t lane = 0; lane < kLanes; ++lane)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(map.At(line + lane, i)), block[lane]);
      i += kLanes - 1;
    } else {
      for (std::size_t lane = 0; lane < kLanes; ++lane) *map.At(line + lane, i) = values->Values[lane];
    }
  }
}

// Four averages of groups x 8 lines from line on, written back in place;
// a and b hold the groups' short runs one after the other.
__attribute__((target("avx2"))) void BlurLineGroups(const TLineMap& map, std::size_t line, std::size_t groups,
                                                    const std::array<std::size_t, 4>& leads, std::size_t window,
                                                    const TWindowDivider& divider, std::vector<TLanes>& a,
                                                    std::vector<TLanes>& b) {
  const std::size_t length = map.SegmentLength();
  const bool rows = map.GetLineStride() != 1;
  const __m256i laneOffsets =
      _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_set1_epi32(int(map.GetLineStride())));
  if (rows) {
    ReadRowLanes(map, line, a.data(), laneOffsets);
  } else {
    for (std::size_t j = 0; j < length; ++j)
      for (std::size_t g = 0; g < groups; ++g) Store(a[g * length + j], map.SegmentLanes(line + g * kLanes, j, laneOffsets));
  }
  for (std::size_t pass = 0; pass < 4; ++pass) {
    for (std::size_t g = 0; g < groups; ++g)
      BoxBlurLanes(&a[g * length], &b[g * length], length, leads[pass], window, divider);
    a.swap(b);
  }
  if (rows) {
    WriteRowLanes(map, line, a.data());
    return;
  }
  for (std::size_t i = 0; i < map.GetLength(); ++i)
    for (std::size_t g = 0; g < groups; ++g)
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(map.At(line + g * kLanes, i)), Load(a[g * length + map.GetBefore() + i]));
}

// One line the plain way. The run's own ends are where the first line
// begins and the last one ends: there every pass sees zeros, so the short
// run ends there too instead of being padded.
void BlurOneLine(const TLineMap& map, std::size_t line, const std::array<std::size_t, 4>& leads, std::size_t window,
                 std::vector<TColor32>& a, std::vector<TColor32>& b) {
  const std::size_t from = line == 0 ? map.GetBefore() : 0;
  const std::size_t to = line + 1 == map.GetLines() ? map.GetBefore() + map.GetLength() : map.SegmentLength();
  for (std::size_t j = from; j < to; ++j) a[j - from] = map.Segment(line, j);
  for (std::size_t pass = 0; pass < 4; ++pass) {
    BoxBlurRun(a.data(), b.data(), to - from, leads[pass], window);
    a.swap(b);
  }
  for (std::size_t i = 0; i < map.GetLength(); ++i) *map.At(line, i) = a[map.GetBefore() + i - from];
}

// Whether every value lies in 0 .. limit - 1.
bool AllBelow(const TColor32* bits, std::size_t lines, std::size_t length, std::uint32_t limit) {
  std::uint32_t largest = 0;
  // As unsigned, negative values are the largest of all.
  for (std::size_t i = 0; i < lines * length; ++i) largest = std::max(largest, bits[i]);
  return largest < limit;
}

}  // namespace

bool BlurLinesAvx2(TColor32* bits, std::size_t lines, std::size_t length, std::size_t lineStride,
                   std::size_t valueStride, const std::array<std::size_t, 4>& leads, std::size_t window,
                   bool checkValues) {
  if (!HasCPUFeature(cfAVX2) || window == 0 || lines < kLanes + 2) return false;
  // How far the four averages reach before and after a value.
  std::size_t before = 0, after = 0;
  for (const std::size_t lead : leads) {
    if (lead >= window) return false;
    before += window - 1 - lead;
    after += lead;
  }
  if (before > length || after > length) return false;
  if (checkValues && !AllBelow(bits, lines, length, static_cast<std::uint32_t>((std::uint64_t{1} << 31) / window)))
    return false;

  const TLineMap map(bits, lines, length, lineStride, valueStride, before, after);
  const TWindowDivider divider(static_cast<std::int64_t>(window));
  const std::size_t most = lineStride == 1 ? kColumnGroups : 1;
  std::vector<TLanes> a(most * map.SegmentLength()), b(most * map.SegmentLength());
  std::vector<TColor32> one(map.SegmentLength()), other(map.SegmentLength());
  // The first and last lines (one neighbour only) and the lines left over
  // go one by one; the others eight at a time.
  BlurOneLine(map, 0, leads, window, one, other);
  std::size_t line = 1;
  while (line + kLanes < lines) {
    const std::size_t groups = std::min(most, (lines - 1 - line) / kLanes);
    BlurLineGroups(map, line, groups, leads, window, divider, a, b);
    line += groups * kLanes;
  }
  for (; line < lines; ++line) BlurOneLine(map, line, leads, window, one, other);
  return true;
}

}  // namespace imaging
