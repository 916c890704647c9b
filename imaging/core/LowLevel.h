#pragma once
// Runs of 32-bit words, clamps and the folding of coordinates into a range.
// The fill is bound to the best variant for this processor at start-up.

#include <cstddef>
#include <cstdint>

#include "imaging/bitmap/DrawModes.h"

namespace imaging {

// Sets count words to value; count <= 0 does nothing.
using TFillLongword = void (*)(std::uint32_t* dest, std::ptrdiff_t count, std::uint32_t value);
extern TFillLongword FillLongword;

enum : int { FID_FILLLONGWORD = 0 };

// Creates and binds the "LowLevel bindings" registry.
void RegisterLowLevelBindings();

// Variants of the fill, callable directly (the SIMD ones only on a processor
// that has their features).
namespace portable {
void FillLongword(std::uint32_t* dest, std::ptrdiff_t count, std::uint32_t value);
}
namespace sse2 {
void FillLongword(std::uint32_t* dest, std::ptrdiff_t count, std::uint32_t value);
}
namespace avx2 {
void FillLongword(std::uint32_t* dest, std::ptrdiff_t count, std::uint32_t value);
}

// Copies count words first to last; nothing when count <= 0 or source = dest.
void MoveLongword(const std::uint32_t* source, std::uint32_t* dest, std::ptrdiff_t count);

void Swap(std::int32_t& a, std::int32_t& b);
// Exchanges a and b when a > b.
void TestSwap(std::int32_t& a, std::int32_t& b);
// Orders a and b, cuts them to start .. stop - 1, true when the range is not empty.
bool TestClip(std::int32_t& a, std::int32_t& b, std::int32_t start, std::int32_t stop);

std::int32_t ClampToByte(std::int32_t value);
std::int32_t Clamp(std::int32_t value, std::int32_t max);
std::int32_t Constrain(std::int32_t value, std::int32_t lo, std::int32_t hi);

// Folding of a coordinate into min .. max (inclusive, min <= max).
std::int32_t Wrap(std::int32_t value, std::int32_t min, std::int32_t max);
std::int32_t Mirror(std::int32_t value, std::int32_t min, std::int32_t max);
// Faster forms for a range whose length is a power of two.
std::int32_t WrapPow2(std::int32_t value, std::int32_t min, std::int32_t max);
std::int32_t MirrorPow2(std::int32_t value, std::int32_t min, std::int32_t max);

using TWrapProc = std::int32_t (*)(std::int32_t value, std::int32_t min, std::int32_t max);
TWrapProc GetWrapProc(TWrapMode mode);
// As above, choosing the power-of-two forms when the range allows them.
TWrapProc GetWrapProc(TWrapMode mode, std::int32_t min, std::int32_t max);

}  // namespace imaging
