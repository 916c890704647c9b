#include "imaging/resample/ResamplerBindings.h"

#include "imaging/blend/BlendVariants.h"
#include "imaging/core/FunctionRegistry.h"

namespace imaging {

TBlockAverage BlockAverage = nullptr;
TInterpolator Interpolator = nullptr;
TKernelRowPass KernelRowPass = nullptr;
TKernelColumnPass KernelColumnPass = nullptr;

namespace portable {

TColor32 BlockAverage(std::uint32_t width, std::uint32_t height, const TColor32* src, std::ptrdiff_t stride) {
  std::uint64_t sums[4] = {};
  const auto* row = reinterpret_cast<const std::uint8_t*>(src);
  for (std::uint32_t y = 0; y < height; ++y, row += stride) {
    const auto* pixels = reinterpret_cast<const TColor32*>(row);
    for (std::uint32_t x = 0; x < width; ++x)
      for (int c = 0; c < 4; ++c) sums[c] += pixels[x] >> (8 * c) & 0xFF;
  }
  const std::uint64_t count = std::uint64_t{width} * height;
  TColor32 result = 0;
  for (int c = 0; c < 4; ++c) {
    const std::uint64_t mean = count > 65536 ? sums[c] / count : sums[c] * ((1u << 24) / count) >> 24;
    result |= static_cast<TColor32>(mean) << (8 * c);
  }
  return result;
}

TColor32 Interpolator(std::uint32_t wx, std::uint32_t wy, const TColor32* p, const TColor32* q) {
  wx = std::min<std::uint32_t>(wx, 255);
  wy = std::min<std::uint32_t>(wy, 255);
  return CombineReg(CombineReg(p[0], p[1], wx), CombineReg(q[0], q[1], wx), wy);
}

void KernelRowPass(const TColor32* src, const TKernelWindow* windows, const std::int16_t* weights, std::int32_t count,
                   std::int32_t* out) {
  for (std::int32_t i = 0; i < count; ++i, out += 4) {
    const TKernelWindow& window = windows[i];
    const TColor32* pixels = src + window.First;
    const std::int16_t* w = weights + window.Offset;
    std::int32_t sums[4] = {};
    for (std::int32_t k = 0; k < window.Count; ++k)
      for (int c = 0; c < 4; ++c) sums[c] += w[k] * static_cast<std::int32_t>(pixels[k] >> (8 * c) & 0xFF);
    std::copy_n(sums, 4, out);
  }
}

TColor32 KernelColumnPixel(const std::int32_t* const* rows, const std::int16_t* weights, std::int32_t taps,
                           std::int32_t index, bool rangeCheck) {
  TColor32 color = 0;
  for (int c = 0; c < 4; ++c) {
    std::int32_t sum = 0;
    for (std::int32_t k = 0; k < taps; ++k) sum += weights[k] * rows[k][4 * index + c];
    color |= FinishChannel(sum, rangeCheck) << (8 * c);
  }
  return color;
}

void KernelColumnPass(const std::int32_t* const* rows, const std::int16_t* weights, std::int32_t taps,
                      std::int32_t count, bool rangeCheck, TColor32* out) {
  for (std::int32_t i = 0; i < count; ++i) out[i] = KernelColumnPixel(rows, weights, taps, i, rangeCheck);
}

}  // namespace portable

void RegisterResamplerBindings() {
  TFunctionRegistry& registry = NewRegistry("Resamplers bindings");
  registry.RegisterBinding(FID_BLOCKAVERAGE, &BlockAverage);
  registry.Add(FID_BLOCKAVERAGE, &portable::BlockAverage);
  registry.RegisterBinding(FID_INTERPOLATOR, &Interpolator);
  registry.Add(FID_INTERPOLATOR, &portable::Interpolator);
  registry.RegisterBinding(FID_KERNELROWPASS, &KernelRowPass);
  registry.Add(FID_KERNELROWPASS, &portable::KernelRowPass);
  registry.Add(FID_KERNELROWPASS, &avx2::KernelRowPass, cfAVX2);
  registry.RegisterBinding(FID_KERNELCOLUMNPASS, &KernelColumnPass);
  registry.Add(FID_KERNELCOLUMNPASS, &portable::KernelColumnPass);
  registry.Add(FID_KERNELCOLUMNPASS, &avx2::KernelColumnPass, cfAVX2);
  registry.RebindAll();
}

}  // namespace imaging
