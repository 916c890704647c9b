#pragma once
// Doubles into 16.16 numbers without overflow: outlines scaled, bent and
// mapped by untrusted factors saturate at the ends of the range.

#include <algorithm>
#include <cmath>
#include <limits>

#include "imaging/core/FixedMath.h"

namespace document {

constexpr double FixedUnit = 65536.0;

// The nearest 16.16 step of a value already in 16.16 units, held to the
// range; 0 for a value that is not a number.
inline TFixed SaturatedFixed(double value) {
  if (std::isnan(value)) return 0;
  constexpr double Low = std::numeric_limits<TFixed>::min();
  constexpr double High = std::numeric_limits<TFixed>::max();
  return static_cast<TFixed>(std::nearbyint(std::clamp(value, Low, High)));
}

// A length in units as a 16.16 number.
inline TFixed ToFixed(double units) { return SaturatedFixed(units * FixedUnit); }

}  // namespace document
