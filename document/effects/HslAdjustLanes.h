#pragma once
// The hue/saturation/lightness adjustment on eight pixels at a time with
// AVX2 and FMA, or on sixteen with AVX-512; the same bits as pixel by pixel
// (HslLanes.h says how).

#include <cstddef>

#include "imaging/bitmap/Color32.h"

struct THslShift {
  float Hue = 0;         // turns, added when ShiftHue
  bool ShiftHue = false;  // false for a hue that is not finite
  float Saturation = 0;   // added, then held within 0..1 (finite or infinite)
  float Lightness = 0;
};

// Each adjusts the pixels with alpha among the first count - count % lanes
// pixels (8 or 16) and returns how many it went through. Callable only on a
// processor with AVX2 and FMA, or with AVX-512 (foundation and bytes/words).
std::size_t AdjustHslAvx2(TColor32* bits, std::size_t count, const THslShift& shift);
std::size_t AdjustHslAvx512(TColor32* bits, std::size_t count, const THslShift& shift);
