// Arbitrary stretch transfers between small bitmaps: any rectangles, draw
// modes, resamplers, kernels and kernel settings, plus samples at arbitrary
// positions and box reductions. Nothing may touch memory outside the pixels
// (the sanitizers watch) and nothing outside the destination's clip
// rectangle may change.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <random>
#include <vector>

#include "imaging/resample/BoxDownsample.h"
#include "imaging/core/RasterError.h"
#include "imaging/resample/Resamplers.h"
#include "imaging/startup/CoreStartUp.h"

namespace {

class TReader {
public:
  TReader(const std::uint8_t* data, std::size_t size) : Data(data), Size(size) {}
  std::uint8_t Byte() { return Position < Size ? Data[Position++] : 0; }
  std::int32_t Int() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
    return static_cast<std::int32_t>(v);
  }
  // Mostly coordinates near the bitmaps, sometimes anything.
  std::int32_t Coordinate() {
    const std::uint8_t kind = Byte();
    return kind < 220 ? static_cast<std::int32_t>(Byte() % 96) - 32 : Int();
  }
  float Float() {
    const std::int32_t bits = Int();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  TRect Rect() { return TRect{Coordinate(), Coordinate(), Coordinate(), Coordinate()}; }

private:
  const std::uint8_t* Data;
  std::size_t Size;
  std::size_t Position = 0;
};

void Fill(TCustomBitmap32& b, std::uint32_t seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) b.SetPixel(x, y, rng());
}

// Sets every published float and integer of the kernel from the input.
void Configure(TCustomKernel& kernel, TReader& in) {
  std::vector<TPropInfo> properties;
  kernel.ListPublishedProperties(properties);
  for (const TPropInfo& p : properties) {
    if (p.Kind == tkFloat) p.Set(kernel, static_cast<double>(in.Float()));
    if (p.Kind == tkInteger) p.Set(kernel, std::int64_t{in.Int()});
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  imaging::StartUp();
  TReader in(data, size);
  TCustomBitmap32 src, dst;
  src.SetSize(in.Byte() % 33, in.Byte() % 33);
  dst.SetSize(in.Byte() % 33, in.Byte() % 33);
  Fill(src, in.Byte());
  dst.Clear(0x12345678);
  dst.SetClipRect(in.Rect());
  const TRect kept = dst.GetClipRect();

  src.SetStretchFilter(static_cast<TStretchFilter>(in.Byte() % 7));
  if (in.Byte() % 4 == 0) src.SetResamplerClassName(imaging::ResamplerList()[in.Byte() % 4]->ClassName.data());
  src.SetDrawMode(static_cast<TDrawMode>(in.Byte() % 4));
  src.SetCombineMode(static_cast<TCombineMode>(in.Byte() % 2));
  src.SetMasterAlpha(in.Byte());
  src.SetWrapMode(static_cast<TWrapMode>(in.Byte() % 3));
  src.OuterColor = static_cast<TColor32>(in.Int());
  if (in.Byte() % 2) src.OnPixelCombine = [](TColor32 f, TColor32& b, TColor32 m) { b ^= f + m; };
  // pamUnsafe leaves the bounds to the caller; the fuzzer keeps to the others.
  src.GetResampler().SetPixelAccessMode(static_cast<TPixelAccessMode>(1 + in.Byte() % 3));
  if (auto* kernelResampler = dynamic_cast<TKernelResampler*>(&src.GetResampler())) {
    kernelResampler->SetKernelClassName(imaging::KernelList()[in.Byte() % 14]->ClassName.data());
    Configure(kernelResampler->GetKernel(), in);
    kernelResampler->SetKernelMode(static_cast<TKernelMode>(in.Byte() % 3));
    kernelResampler->SetTableSize(in.Byte());
  }

  const TRect dstRect = in.Rect(), srcRect = in.Rect();
  src.DrawRectTo(dst, dstRect, srcRect);
  if (in.Byte() % 2) src.DrawRectTo(src, dstRect, srcRect);
  try {
    imaging::StretchDrawBitmap(dst, in.Rect(), src, dmOpaque, nullptr, sfLinear, in.Rect());
    imaging::BoxDownsample32(dst, in.Rect(), src, in.Rect());
  } catch (const ERasterError&) {
    // a source rectangle outside the source
  }
  if (!src.IsEmpty()) {
    // The filter may have changed above: ask for the current resampler.
    TCustomResampler& sampler = src.GetResampler();
    sampler.SetPixelAccessMode(static_cast<TPixelAccessMode>(1 + in.Byte() % 3));
    sampler.PrepareSampling();
    for (int i = 0; i < 4; ++i) {
      const float x = static_cast<float>(in.Byte() % 96) - 32 + in.Byte() / 256.0f;
      const float y = static_cast<float>(in.Byte() % 96) - 32 + in.Byte() / 256.0f;
      (void)sampler.GetSampleFloat(x, y);
      (void)sampler.GetSampleInt(in.Coordinate(), in.Coordinate());
    }
    sampler.FinalizeSampling();
  }

  for (int y = 0; y < dst.GetHeight(); ++y)
    for (int x = 0; x < dst.GetWidth(); ++x) {
      const bool inside = x >= kept.Left && x < kept.Right && y >= kept.Top && y < kept.Bottom;
      if (!inside && dst.GetPixel(x, y) != 0x12345678u) std::terminate();
    }
  return 0;
}
