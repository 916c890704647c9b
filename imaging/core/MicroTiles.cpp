#include "imaging/core/MicroTiles.h"

#include <emmintrin.h>

#include <algorithm>

#include "imaging/core/FunctionRegistry.h"

namespace imaging {

TMicroTileUnion MicroTileUnion = nullptr;
TMicroTilesUnion MicroTilesUnion = nullptr;

namespace portable {

void MicroTileUnion(TMicroTile& dst, TMicroTile src) {
  if (src == 0) return;
  if (dst == 0) {
    dst = src;
    return;
  }
  auto field = [](TMicroTile tile, int shift) { return static_cast<std::uint8_t>(tile >> shift); };
  dst = MakeMicroTile(std::min(field(dst, 24), field(src, 24)), std::min(field(dst, 16), field(src, 16)),
                      std::max(field(dst, 8), field(src, 8)), std::max(field(dst, 0), field(src, 0)));
}

void MicroTilesUnion(TMicroTile* dst, const TMicroTile* src, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) MicroTileUnion(dst[i], src[i]);
}

}  // namespace portable

namespace exmmx {
namespace {

// Four unions at once: left and top by byte minimum, right and bottom by
// byte maximum; lanes where one side is empty take the other side whole.
__m128i Union4(__m128i a, __m128i b) {
  const __m128i lowHalves = _mm_set1_epi32(0x0000FFFF);
  const __m128i joined = _mm_or_si128(_mm_andnot_si128(lowHalves, _mm_min_epu8(a, b)),
                                      _mm_and_si128(lowHalves, _mm_max_epu8(a, b)));
  const __m128i zero = _mm_setzero_si128();
  const __m128i aEmpty = _mm_cmpeq_epi32(a, zero), bEmpty = _mm_cmpeq_epi32(b, zero);
  __m128i result = _mm_or_si128(_mm_and_si128(aEmpty, b), _mm_andnot_si128(aEmpty, joined));
  return _mm_or_si128(_mm_and_si128(bEmpty, a), _mm_andnot_si128(bEmpty, result));
}

}  // namespace

void MicroTileUnion(TMicroTile& dst, TMicroTile src) {
  dst = static_cast<TMicroTile>(_mm_cvtsi128_si32(
      Union4(_mm_cvtsi32_si128(static_cast<int>(dst)), _mm_cvtsi32_si128(static_cast<int>(src)))));
}

void MicroTilesUnion(TMicroTile* dst, const TMicroTile* src, std::size_t count) {
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), Union4(a, b));
  }
  for (; i < count; ++i) MicroTileUnion(dst[i], src[i]);
}

}  // namespace exmmx

void RegisterMicroTilesBindings() {
  TFunctionRegistry& registry = NewRegistry("MicroTiles bindings");
  registry.RegisterBinding(FID_MICROTILEUNION, &MicroTileUnion);
  registry.Add(FID_MICROTILEUNION, &portable::MicroTileUnion);
  registry.Add(FID_MICROTILEUNION, &exmmx::MicroTileUnion, cfExMMX);
  registry.RegisterBinding(FID_MICROTILESUNION, &MicroTilesUnion);
  registry.Add(FID_MICROTILESUNION, &portable::MicroTilesUnion);
  registry.Add(FID_MICROTILESUNION, &exmmx::MicroTilesUnion, cfExMMX);
  registry.RebindAll();
}

}  // namespace imaging
