#pragma once
// The pixel routines of the resamplers, reached through routine variables
// bound at start-up ("Resamplers bindings"). Every variant gives the same
// bits as the portable one.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "imaging/bitmap/Color32.h"
#include "platform/rtl/Numbers.h"

namespace imaging {

// Per channel, the mean of a width x height block whose rows are stride
// bytes apart: the sum times (2^24 div (width x height)), shifted right by
// 24. Blocks of more than 65536 pixels, where that factor would lose more
// than one level, divide exactly.
using TBlockAverage = TColor32 (*)(std::uint32_t width, std::uint32_t height, const TColor32* src,
                                   std::ptrdiff_t stride);
// combine(combine(p[0], p[1], wx), combine(q[0], q[1], wx), wy) with p the
// top-left pixel and q the one below it; weights are limited to 255.
using TInterpolator = TColor32 (*)(std::uint32_t wx, std::uint32_t wy, const TColor32* p, const TColor32* q);

// The weights of one destination position over Count consecutive source
// positions from First; they start at Offset in the weight array.
struct TKernelWindow {
  std::int32_t First;
  std::int32_t Count;
  std::int32_t Offset;
};

// The two kernel passes compute in 32 bits: callers keep every partial sum
// within that range (at most 32767 per weight, and 255 x the largest sum of
// absolute row weights x the largest sum of column weights below 2^31).
//
// Horizontal pass of the kernel resampler: for each of count windows, the
// weighted sums of the source row's pixels per channel (blue, green, red,
// alpha) into out[4 i .. 4 i + 3], in units of 1/256.
using TKernelRowPass = void (*)(const TColor32* src, const TKernelWindow* windows, const std::int16_t* weights,
                                std::int32_t count, std::int32_t* out);
// Vertical pass: for each of count pixels, the weighted sum over taps rows of
// the horizontal sums (units of 1/65536), finished by FinishChannel.
using TKernelColumnPass = void (*)(const std::int32_t* const* rows, const std::int16_t* weights, std::int32_t taps,
                                   std::int32_t count, bool rangeCheck, TColor32* out);

extern TBlockAverage BlockAverage;
extern TInterpolator Interpolator;
extern TKernelRowPass KernelRowPass;
extern TKernelColumnPass KernelColumnPass;

enum : int { FID_BLOCKAVERAGE, FID_INTERPOLATOR, FID_KERNELROWPASS, FID_KERNELCOLUMNPASS };

// One channel of a kernel sum in units of 1/65536: held within 0 .. 0xFF0000
// when the kernel has negative lobes, then its whole part.
constexpr std::uint32_t FinishChannel(std::int64_t sum, bool rangeCheck) {
  if (rangeCheck) sum = std::clamp<std::int64_t>(sum, 0, 0xFF0000);
  return (static_cast<std::uint32_t>(sum) & 0xFF0000u) >> 16;
}

// The same for a sum kept as a double (exact below 2^53).
inline std::uint32_t FinishWideChannel(double sum, bool rangeCheck) {
  return FinishChannel(rtl::Trunc64(std::clamp(sum, -0x1p62, 0x1p62)), rangeCheck);
}

// Creates and binds the "Resamplers bindings" registry.
void RegisterResamplerBindings();

namespace portable {
TColor32 BlockAverage(std::uint32_t width, std::uint32_t height, const TColor32* src, std::ptrdiff_t stride);
TColor32 Interpolator(std::uint32_t wx, std::uint32_t wy, const TColor32* p, const TColor32* q);
void KernelRowPass(const TColor32* src, const TKernelWindow* windows, const std::int16_t* weights, std::int32_t count,
                   std::int32_t* out);
void KernelColumnPass(const std::int32_t* const* rows, const std::int16_t* weights, std::int32_t taps,
                      std::int32_t count, bool rangeCheck, TColor32* out);
// Pixel index of the vertical pass.
TColor32 KernelColumnPixel(const std::int32_t* const* rows, const std::int16_t* weights, std::int32_t taps,
                           std::int32_t index, bool rangeCheck);
}  // namespace portable

// Callable only on a processor with cfAVX2.
namespace avx2 {
void KernelRowPass(const TColor32* src, const TKernelWindow* windows, const std::int16_t* weights, std::int32_t count,
                   std::int32_t* out);
void KernelColumnPass(const std::int32_t* const* rows, const std::int16_t* weights, std::int32_t taps,
                      std::int32_t count, bool rangeCheck, TColor32* out);
}  // namespace avx2

}  // namespace imaging
