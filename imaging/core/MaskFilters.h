#pragma once
// Logical mask filters over rows of pixels (and, or, xor with one mask
// colour), reached through routine variables bound at start-up ("Filters
// bindings"). Nothing in this program filters with them; the bindings are
// kept so every registry of the raster core is there.

#include <cstddef>
#include <cstdint>

namespace imaging {

// dst[i] := dst[i] op mask for count pixels.
using TLogicalMaskLine = void (*)(std::uint32_t* dst, std::uint32_t mask, std::size_t count);
// dst[i] := src[i] op mask for count pixels.
using TLogicalMaskLineEx = void (*)(const std::uint32_t* src, std::uint32_t* dst, std::size_t count,
                                    std::uint32_t mask);

extern TLogicalMaskLine LogicalMaskLineAnd;
extern TLogicalMaskLine LogicalMaskLineOr;
extern TLogicalMaskLine LogicalMaskLineXor;
extern TLogicalMaskLineEx LogicalMaskLineAndEx;
extern TLogicalMaskLineEx LogicalMaskLineOrEx;
extern TLogicalMaskLineEx LogicalMaskLineXorEx;

enum : int {
  FID_LOGICALMASKLINEAND,
  FID_LOGICALMASKLINEOR,
  FID_LOGICALMASKLINEXOR,
  FID_LOGICALMASKLINEANDEX,
  FID_LOGICALMASKLINEOREX,
  FID_LOGICALMASKLINEXOREX
};

// Creates and binds the "Filters bindings" registry.
void RegisterFiltersBindings();

}  // namespace imaging
