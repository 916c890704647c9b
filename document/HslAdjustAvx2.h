#pragma once
// The hue/saturation/lightness adjustment on eight pixels at a time with
// AVX2 and FMA. The lanes give the bits of the one-pixel conversion
// (Color32ToHSL, the shift, HSLToColor32): its branches became selects, its
// divisions by 255 and 6 a product with one exact correction, its tests of
// 6h and 3h comparisons of h with the thresholds those products cross, and
// the grey case the general one (equal for no saturation); each such step
// was checked over every colour or every float it can meet.

#include <cstddef>

#include "imaging/bitmap/Color32.h"

struct THslShift {
  float Hue = 0;         // turns, added when ShiftHue
  bool ShiftHue = false;  // false for a hue that is not finite
  float Saturation = 0;   // added, then held within 0..1 (finite or infinite)
  float Lightness = 0;
};

// Adjusts the pixels with alpha among the first count - count % 8 pixels and
// returns how many it went through. Callable only on a processor with AVX2 and FMA.
std::size_t AdjustHslAvx2(TColor32* bits, std::size_t count, const THslShift& shift);
