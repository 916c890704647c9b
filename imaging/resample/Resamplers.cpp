#include "imaging/resample/Resamplers.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "imaging/blend/Blend.h"
#include "imaging/resample/MappingTable.h"
#include "imaging/bitmap/PixelWriter.h"
#include "imaging/core/RasterError.h"
#include "imaging/resample/ResampleKernels.h"
#include "imaging/resample/ResamplerBindings.h"
#include "platform/rtl/Numbers.h"

namespace {

template <class T>
std::unique_ptr<TCustomResampler> NewResampler() {
  return std::make_unique<T>();
}

bool Contains(const TRect& outer, const TRect& inner) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
         inner.Bottom <= outer.Bottom;
}

// Weights of the pixels -reach .. reach around a sample at fraction f of a
// pixel, in units of 1/256, the centre corrected so that they sum to 256.
void KernelRow(const TCustomKernel& kernel, std::int32_t reach, double fraction, std::int32_t* weights) {
  std::int32_t sum = 0;
  for (std::int32_t j = -reach; j <= reach; ++j) {
    weights[j + reach] = imaging::KernelWeight(kernel.Filter(static_cast<float>(j - fraction)), 1);
    sum += weights[j + reach];
  }
  weights[reach] -= sum - 256;
}

}  // namespace

const TResamplerClass TNearestResampler::Class{"TNearestResampler", &NewResampler<TNearestResampler>};
const TResamplerClass TLinearResampler::Class{"TLinearResampler", &NewResampler<TLinearResampler>};
const TResamplerClass TDraftResampler::Class{"TDraftResampler", &NewResampler<TDraftResampler>};
const TResamplerClass TKernelResampler::Class{"TKernelResampler", &NewResampler<TKernelResampler>};

// --- TCustomSampler

TColor32 TCustomSampler::GetSampleInt(std::int32_t x, std::int32_t y) {
  return GetSampleFixed(imaging::Fixed(x), imaging::Fixed(y));
}

TColor32 TCustomSampler::GetSampleFixed(TFixed x, TFixed y) {
  return GetSampleFloat(static_cast<float>(x) / 65536, static_cast<float>(y) / 65536);
}

TColor32 TCustomSampler::GetSampleFloat(float x, float y) {
  return GetSampleFixed(imaging::Fixed(x), imaging::Fixed(y));
}

TFloatRect TCustomSampler::GetSampleBounds() const {
  constexpr float lowest = std::numeric_limits<float>::lowest(), highest = std::numeric_limits<float>::max();
  return TFloatRect{lowest, lowest, highest, highest};
}

// --- TCustomResampler

void TCustomResampler::Assign(const TPersistent* source) {
  if (dynamic_cast<const TCustomResampler*>(source) != nullptr) {
    imaging::CopyPublishedProperties(*source, *this, tkProperties);
    return;
  }
  TPersistent::Assign(source);
}

void TCustomResampler::Changed() {
  TCustomSampler::Changed();
  if (Bitmap != nullptr) Bitmap->Changed();
}

void TCustomResampler::ListPublishedProperties(std::vector<TPropInfo>& list) const {
  list.push_back(imaging::Published<&TCustomResampler::GetPixelAccessMode, &TCustomResampler::SetPixelAccessMode>(
      "PixelAccessMode"));
}

void TCustomResampler::SetPixelAccessMode(TPixelAccessMode mode) {
  if (mode == PixelAccessMode) return;
  PixelAccessMode = mode;
  Changed();
}

void TCustomResampler::Resample(const TStretchArgs& args) const {
  if (args.SrcRect.IsEmpty()) return;
  if (!Contains(args.Src.BoundsRect(), args.SrcRect)) throw ERasterError("Invalid SrcRect");
  TRect clip;
  if (!imaging::IntersectRect(clip, args.DstClip, args.DstRect) ||
      !imaging::IntersectRect(clip, clip, args.Dst.BoundsRect()) || clip.IsEmpty())
    return;
  if (args.Dst.GetMeasuringMode()) return;
  TDrawMode mode = args.CombineOp;
  if (mode == dmBlend && args.Src.GetMasterAlpha() == 0) return;
  if (mode == dmCustom && !args.CombineCallBack) mode = dmOpaque;
  if (&args.Src == &args.Dst) {
    TCustomBitmap32 copy;
    imaging::CopyForTransfer(args.Src, copy);
    ResampleClipped({args.Dst, args.DstRect, clip, copy, args.SrcRect, mode, args.CombineCallBack});
  } else {
    ResampleClipped({args.Dst, args.DstRect, clip, args.Src, args.SrcRect, mode, args.CombineCallBack});
  }
  imaging::EMMS();
}

TFloatRect TCustomResampler::GetSampleBounds() const {
  TFloatRect bounds = imaging::FloatRect(Owner().GetClipRect());
  if (PixelAccessMode == pamTransparentEdge) imaging::InflateRect(bounds, 1, 1);
  return bounds;
}

const TCustomBitmap32& TCustomResampler::Owner() const {
  if (Bitmap == nullptr) throw ERasterError("The resampler belongs to no bitmap");
  return *Bitmap;
}

bool TCustomResampler::OutsideForSafeAccess(TFixed x, TFixed y) const {
  if (PixelAccessMode != pamSafe) return false;
  const TRect& clip = Owner().GetClipRect();
  const std::int32_t px = imaging::FixedRound(x), py = imaging::FixedRound(y);
  return px < clip.Left || px >= clip.Right || py < clip.Top || py >= clip.Bottom;
}

TColor32 TCustomResampler::FootprintPixel(std::int32_t x, std::int32_t y) const {
  const TCustomBitmap32& bitmap = Owner();
  switch (PixelAccessMode) {
    case pamUnsafe: return bitmap.GetPixel(x, y);
    case pamWrap: return bitmap.GetPixelWrapped(x, y);
    case pamTransparentEdge: return bitmap.GetPixelClipped(x, y);
    case pamSafe: break;
  }
  const TRect& clip = bitmap.GetClipRect();
  if (clip.IsEmpty()) return bitmap.OuterColor;
  return bitmap.GetPixel(std::clamp(x, clip.Left, clip.Right - 1), std::clamp(y, clip.Top, clip.Bottom - 1));
}

// --- TNearestResampler

TColor32 TNearestResampler::GetSampleFixed(TFixed x, TFixed y) {
  if (OutsideForSafeAccess(x, y)) return Owner().OuterColor;
  return FootprintPixel(imaging::FixedRound(x), imaging::FixedRound(y));
}

namespace {

// The source position of each destination position of the clip: the one
// the destination position's left edge falls on; the middle of the source
// for a destination of one pixel.
std::vector<std::int32_t> NearestPositions(std::int32_t dstLo, std::int32_t dstHi, std::int32_t clipLo,
                                           std::int32_t clipHi, std::int32_t srcLo, std::int32_t srcHi) {
  const std::int64_t srcWidth = std::int64_t{srcHi} - srcLo, dstWidth = std::int64_t{dstHi} - dstLo;
  std::vector<std::int32_t> positions;
  positions.reserve(static_cast<std::size_t>(clipHi - clipLo));
  for (std::int64_t i = clipLo; i < clipHi; ++i) {
    const std::int64_t pos =
        dstWidth < 2 ? (std::int64_t{srcLo} + srcHi - 1) / 2 : srcLo + (i - dstLo) * srcWidth / dstWidth;
    positions.push_back(static_cast<std::int32_t>(pos));
  }
  return positions;
}

}  // namespace

void TNearestResampler::ResampleClipped(const TStretchArgs& args) const {
  const TRect& d = args.DstRect;
  const TRect& c = args.DstClip;
  const TRect& s = args.SrcRect;
  const auto columns = NearestPositions(d.Left, d.Right, c.Left, c.Right, s.Left, s.Right);
  const auto rows = NearestPositions(d.Top, d.Bottom, c.Top, c.Bottom, s.Top, s.Bottom);
  const imaging::TPixelWriter writer(args.Src, args.CombineOp, args.CombineCallBack, imaging::bfLine);
  std::vector<TColor32> colors(columns.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (r == 0 || rows[r] != rows[r - 1]) {
      const TColor32* source = args.Src.ScanLine(rows[r]);
      for (std::size_t i = 0; i < columns.size(); ++i) colors[i] = source[columns[i]];
    }
    writer.Write(colors.data(), args.Dst.PixelPtr(c.Left, c.Top + static_cast<std::int32_t>(r)),
                 static_cast<std::int32_t>(colors.size()));
  }
}

// --- TLinearResampler

TColor32 TLinearResampler::GetSampleFixed(TFixed x, TFixed y) {
  if (OutsideForSafeAccess(x, y)) return Owner().OuterColor;
  const std::int32_t x0 = x >> 16, y0 = y >> 16;
  const std::uint32_t fx = static_cast<std::uint32_t>(x) >> 8 & 255, fy = static_cast<std::uint32_t>(y) >> 8 & 255;
  const TColor32 top = imaging::CombineReg(FootprintPixel(x0 + 1, y0), FootprintPixel(x0, y0), fx);
  const TColor32 bottom = imaging::CombineReg(FootprintPixel(x0 + 1, y0 + 1), FootprintPixel(x0, y0 + 1), fx);
  const TColor32 result = imaging::CombineReg(bottom, top, fy);
  imaging::EMMS();
  return result;
}

void TLinearResampler::ResampleClipped(const TStretchArgs& args) const {
  const std::int64_t srcWidth = args.SrcRect.Width(), srcHeight = args.SrcRect.Height();
  if (args.DstRect.Width() > srcWidth && args.DstRect.Height() > srcHeight && srcWidth > 1 && srcHeight > 1)
    imaging::BilinearStretch(args);
  else
    imaging::KernelResample(args, Kernel);
}

// --- TDraftResampler

namespace {

// Edges of the source blocks that the destination positions cover: block i
// runs from edges[i] to edges[i + 1].
std::vector<std::int32_t> BlockEdges(std::int32_t dstLo, std::int32_t dstHi, std::int32_t clipLo, std::int32_t clipHi,
                                     std::int32_t srcLo, std::int32_t srcHi) {
  const std::int64_t srcWidth = std::int64_t{srcHi} - srcLo, dstWidth = std::int64_t{dstHi} - dstLo;
  std::vector<std::int32_t> edges;
  edges.reserve(static_cast<std::size_t>(clipHi - clipLo) + 1);
  for (std::int64_t i = clipLo; i <= clipHi; ++i)
    edges.push_back(static_cast<std::int32_t>(srcLo + (i - dstLo) * srcWidth / dstWidth));
  return edges;
}

void BlockAverages(const TStretchArgs& args) {
  const TRect& d = args.DstRect;
  const TRect& c = args.DstClip;
  const TRect& s = args.SrcRect;
  const auto columns = BlockEdges(d.Left, d.Right, c.Left, c.Right, s.Left, s.Right);
  const auto rows = BlockEdges(d.Top, d.Bottom, c.Top, c.Bottom, s.Top, s.Bottom);
  const imaging::TPixelWriter writer(args.Src, args.CombineOp, args.CombineCallBack, imaging::bfMemory);
  const std::ptrdiff_t stride = std::ptrdiff_t{args.Src.GetWidth()} * sizeof(TColor32);
  std::vector<TColor32> colors(columns.size() - 1);
  for (std::size_t r = 0; r + 1 < rows.size(); ++r) {
    const auto height = static_cast<std::uint32_t>(rows[r + 1] - rows[r]);
    for (std::size_t i = 0; i < colors.size(); ++i)
      colors[i] = imaging::BlockAverage(static_cast<std::uint32_t>(columns[i + 1] - columns[i]), height,
                                        args.Src.PixelPtr(columns[i], rows[r]), stride);
    writer.Write(colors.data(), args.Dst.PixelPtr(c.Left, c.Top + static_cast<std::int32_t>(r)),
                 static_cast<std::int32_t>(colors.size()));
  }
}

}  // namespace

void TDraftResampler::ResampleClipped(const TStretchArgs& args) const {
  const std::int64_t srcWidth = args.SrcRect.Width(), srcHeight = args.SrcRect.Height();
  if (srcWidth >= args.DstRect.Width() && srcHeight >= args.DstRect.Height())
    BlockAverages(args);
  else if (srcWidth >= 2 && srcHeight >= 2)
    imaging::BilinearStretch(args);
  else
    imaging::KernelResample(args, LinearKernel());
}

// --- TKernelResampler

TKernelResampler::TKernelResampler() : Kernel(std::make_unique<TBoxKernel>()) { Kernel->Observer = this; }

void TKernelResampler::ListPublishedProperties(std::vector<TPropInfo>& list) const {
  TCustomResampler::ListPublishedProperties(list);
  list.push_back(imaging::Published<&TKernelResampler::GetKernelClassName, &TKernelResampler::SetKernelClassName>(
      "KernelClassName"));
  list.push_back(imaging::Published<&TKernelResampler::GetKernelObject, nullptr>("Kernel"));
  list.push_back(imaging::Published<&TKernelResampler::GetKernelMode, &TKernelResampler::SetKernelMode>("KernelMode"));
  list.push_back(imaging::Published<&TKernelResampler::GetTableSize, &TKernelResampler::SetTableSize>("TableSize"));
}

void TKernelResampler::Changed() {
  WeightTable.SetSize(0, 0);
  TCustomResampler::Changed();
}

void TKernelResampler::SetKernel(std::unique_ptr<TCustomKernel> kernel) {
  if (kernel == nullptr || kernel == Kernel) return;
  Kernel = std::move(kernel);
  Kernel->Observer = this;
  Changed();
}

void TKernelResampler::SetKernelClassName(const std::string& name) {
  if (name == GetKernelClassName()) return;
  if (const TKernelClassRef kernelClass = imaging::KernelList().Find(name)) SetKernel(kernelClass->Create());
}

void TKernelResampler::SetKernelMode(TKernelMode mode) {
  if (mode == KernelMode) return;
  KernelMode = mode;
  Changed();
}

void TKernelResampler::SetTableSize(std::int32_t size) {
  size = std::clamp(size, MinTableSize, MaxTableSize);
  if (size == TableSize) return;
  TableSize = size;
  Changed();
}

std::int32_t TKernelResampler::Reach() const {
  const double width = std::ceil(Kernel->GetWidth());
  return rtl::CheckedToInt32(std::clamp<double>(width, 0, TSinshKernel::MaxWidth));
}

void TKernelResampler::BuildWeightTable() {
  const std::int32_t reach = Reach();
  WeightTable.SetSize(0, 0);
  WeightTable.SetSize(2 * reach + 1, TableSize + 1);
  for (std::int32_t i = 0; i <= TableSize; ++i)
    KernelRow(*Kernel, reach, static_cast<double>(i) / (TableSize - 1), WeightTable.ValPtr(0, i));
}

void TKernelResampler::PrepareSampling() {
  if (KernelMode != kmDynamic) BuildWeightTable();
}

void TKernelResampler::FinalizeSampling() { WeightTable.SetSize(0, 0); }

void TKernelResampler::FootprintWeights(std::int32_t fraction, std::int32_t* weights) const {
  const std::int32_t reach = Reach(), taps = 2 * reach + 1;
  const double f = fraction / 65536.0;
  if (KernelMode == kmDynamic || WeightTable.IsEmpty() || WeightTable.GetWidth() != taps) {
    KernelRow(*Kernel, reach, f, weights);
    return;
  }
  const double position = f * (TableSize - 1);
  if (KernelMode == kmTableNearest) {
    std::copy_n(WeightTable.ValPtr(0, rtl::Round(position)), taps, weights);
    return;
  }
  const std::int32_t row = rtl::Trunc(position);
  const std::int32_t t = rtl::Round((position - row) * 256);
  const std::int32_t* lower = WeightTable.ValPtr(0, row);
  const std::int32_t* upper = WeightTable.ValPtr(0, row + 1);
  std::int64_t sum = 0;
  for (std::int32_t j = 0; j < taps; ++j) {
    weights[j] =
        static_cast<std::int32_t>((std::int64_t{lower[j]} * (256 - t) + std::int64_t{upper[j]} * t + 128) >> 8);
    sum += weights[j];
  }
  weights[reach] = static_cast<std::int32_t>(weights[reach] - (sum - 256));
}

TColor32 TKernelResampler::GetSampleFixed(TFixed x, TFixed y) {
  if (OutsideForSafeAccess(x, y)) return Owner().OuterColor;
  if (KernelMode != kmDynamic && WeightTable.IsEmpty()) BuildWeightTable();
  const std::int32_t reach = Reach(), taps = 2 * reach + 1;
  std::vector<std::int32_t> weightsX(static_cast<std::size_t>(taps)), weightsY(static_cast<std::size_t>(taps));
  FootprintWeights(x & 0xFFFF, weightsX.data());
  FootprintWeights(y & 0xFFFF, weightsY.data());
  const std::int32_t left = (x >> 16) - reach, top = (y >> 16) - reach;
  double sums[4] = {};
  for (std::int32_t j = 0; j < taps; ++j)
    for (std::int32_t i = 0; i < taps; ++i) {
      const TColor32 pixel = FootprintPixel(left + i, top + j);
      const double weight = static_cast<double>(weightsY[j]) * weightsX[i];
      for (int c = 0; c < 4; ++c) sums[c] += weight * (pixel >> (8 * c) & 0xFF);
    }
  TColor32 color = 0;
  for (int c = 0; c < 4; ++c) color |= imaging::FinishWideChannel(sums[c], Kernel->RangeCheck()) << (8 * c);
  return color;
}

void TKernelResampler::ResampleClipped(const TStretchArgs& args) const { imaging::KernelResample(args, *Kernel); }

// --- Class lists and start-up

TClassList<TResamplerClassRef>& imaging::ResamplerList() {
  static TClassList<TResamplerClassRef> list;
  return list;
}

void imaging::RegisterResamplers() {
  for (const TResamplerClassRef resampler :
       {&TNearestResampler::Class, &TLinearResampler::Class, &TDraftResampler::Class, &TKernelResampler::Class})
    ResamplerList().Add(resampler);
  for (const TKernelClassRef kernel :
       {&TBoxKernel::Class, &TLinearKernel::Class, &TCosineKernel::Class, &TSplineKernel::Class, &TCubicKernel::Class,
        &TMitchellKernel::Class, &TAlbrechtKernel::Class, &TLanczosKernel::Class, &TGaussianKernel::Class,
        &TBlackmanKernel::Class, &THannKernel::Class, &THammingKernel::Class, &TSinshKernel::Class,
        &THermiteKernel::Class})
    KernelList().Add(kernel);
  RegisterResamplerBindings();
}

std::unique_ptr<TCustomResampler> imaging::ResamplerForFilter(TStretchFilter filter) {
  std::unique_ptr<TCustomKernel> kernel;
  switch (filter) {
    case sfNearest: return std::make_unique<TNearestResampler>();
    case sfDraft: return std::make_unique<TDraftResampler>();
    case sfLinear: return std::make_unique<TLinearResampler>();
    case sfCosine: kernel = std::make_unique<TCosineKernel>(); break;
    case sfSpline: kernel = std::make_unique<TSplineKernel>(); break;
    case sfLanczos: kernel = std::make_unique<TLanczosKernel>(); break;
    case sfMitchell: kernel = std::make_unique<TMitchellKernel>(); break;
  }
  auto resampler = std::make_unique<TKernelResampler>();
  resampler->SetKernel(std::move(kernel));
  return resampler;
}
