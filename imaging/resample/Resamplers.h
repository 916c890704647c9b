#pragma once
// Resamplers: how a bitmap is drawn into a rectangle of another size
// (Resample, reached through the stretch transfer) and how it is sampled at
// arbitrary positions. Every bitmap owns one, chosen by its StretchFilter or
// by class name from the resampler class list that start-up fills.
//
// Sampling positions put pixel centres on integers. PixelAccessMode says how
// samples near and beyond the edges of the owner's ClipRect read pixels:
// - pamUnsafe: directly; the caller keeps every pixel a sample reads inside
//   the bitmap.
// - pamSafe: a sample whose nearest pixel lies outside ClipRect is
//   OuterColor; others read edge pixels for neighbours beyond the edge.
// - pamWrap: neighbours beyond the edge are folded by the owner's WrapMode.
// - pamTransparentEdge: every pixel outside ClipRect reads as OuterColor, so
//   the picture fades into it over one pixel.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "imaging/core/ClassList.h"
#include "imaging/bitmap/Color32.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/core/FixedMath.h"
#include "imaging/resample/IntegerMap.h"
#include "imaging/resample/Kernels.h"
#include "imaging/core/PublishedProperties.h"
#include "imaging/core/RectHelpers.h"
#include "imaging/core/ThreadPersistent.h"

enum TPixelAccessMode : std::uint8_t { pamUnsafe, pamSafe, pamWrap, pamTransparentEdge };
enum TKernelMode : std::uint8_t { kmDynamic, kmTableNearest, kmTableLinear };

class TCustomResampler;

struct TResamplerClass {
  std::string_view ClassName;
  std::unique_ptr<TCustomResampler> (*Create)();
};
using TResamplerClassRef = const TResamplerClass*;

// What one Resample call draws: SrcRect of Src into DstRect of Dst, only
// inside DstClip.
struct TStretchArgs {
  TCustomBitmap32& Dst;
  TRect DstRect;
  TRect DstClip;
  const TCustomBitmap32& Src;
  TRect SrcRect;
  TDrawMode CombineOp;
  const TPixelCombineEvent& CombineCallBack;
};

class TCustomSampler : public TNotifiablePersistent {
public:
  std::string ClassName() const override { return "TCustomSampler"; }

  // The fixed form at (x shl 16, y shl 16).
  virtual TColor32 GetSampleInt(std::int32_t x, std::int32_t y);
  // 16.16 position; the base form calls the float form.
  virtual TColor32 GetSampleFixed(TFixed x, TFixed y);
  // The base form calls the fixed form with the rounded 16.16 position.
  virtual TColor32 GetSampleFloat(float x, float y);
  // Around a run of samples.
  virtual void PrepareSampling() {}
  virtual void FinalizeSampling() {}
  virtual bool HasBounds() const { return false; }
  // Where samples are worth taking; the base has no bounds.
  virtual TFloatRect GetSampleBounds() const;
};

class TCustomResampler : public TCustomSampler, public IPublishedProperties {
public:
  virtual const TResamplerClass& GetClass() const = 0;
  std::string ClassName() const override { return std::string(GetClass().ClassName); }

  // From another resampler: its published properties; anything else is refused.
  void Assign(const TPersistent* source) override;
  // Notifies listeners and the bitmap that owns this resampler.
  void Changed() override;
  void ListPublishedProperties(std::vector<TPropInfo>& list) const override;

  // The bitmap this resampler belongs to (none until a bitmap takes it).
  TCustomBitmap32* GetBitmap() const { return Bitmap; }
  TPixelAccessMode GetPixelAccessMode() const { return PixelAccessMode; }
  void SetPixelAccessMode(TPixelAccessMode mode);
  // How far a sample reaches, in source pixels.
  virtual float GetWidth() const { return 1; }

  // Draws args.SrcRect of args.Src into args.DstRect of args.Dst, within
  // args.DstClip (cut to DstRect and Dst). Raises ERasterError "Invalid
  // SrcRect" when SrcRect reaches outside Src. Draws nothing for an empty
  // SrcRect, while Dst is measuring, or when blending with master alpha 0.
  // dmCustom without a callback draws opaque.
  void Resample(const TStretchArgs& args) const;

  bool HasBounds() const override { return Bitmap != nullptr; }
  // The owner's ClipRect, widened by 1 on every side with pamTransparentEdge.
  TFloatRect GetSampleBounds() const override;

protected:
  // args.DstClip is non-empty and lies within DstRect and Dst; SrcRect is
  // non-empty inside Src; Src and Dst are different bitmaps; the combine
  // settings draw something.
  virtual void ResampleClipped(const TStretchArgs& args) const = 0;

  // The owning bitmap; raises ERasterError when there is none.
  const TCustomBitmap32& Owner() const;
  // True when pamSafe makes the sample at the 16.16 position OuterColor.
  bool OutsideForSafeAccess(TFixed x, TFixed y) const;
  // Pixel (x, y) of a sample's footprint, read by PixelAccessMode.
  TColor32 FootprintPixel(std::int32_t x, std::int32_t y) const;

private:
  friend class TCustomBitmap32;  // attaches itself as the owner

  TCustomBitmap32* Bitmap = nullptr;
  TPixelAccessMode PixelAccessMode = pamSafe;
};

// Each destination pixel takes the source pixel its position falls on.
class TNearestResampler : public TCustomResampler {
public:
  static const TResamplerClass Class;
  const TResamplerClass& GetClass() const override { return Class; }
  TColor32 GetSampleFixed(TFixed x, TFixed y) override;

protected:
  void ResampleClipped(const TStretchArgs& args) const override;
};

// Bilinear interpolation when enlarging; a triangle filter otherwise.
class TLinearResampler : public TCustomResampler {
public:
  static const TResamplerClass Class;
  const TResamplerClass& GetClass() const override { return Class; }
  TColor32 GetSampleFixed(TFixed x, TFixed y) override;

protected:
  void ResampleClipped(const TStretchArgs& args) const override;
  const TLinearKernel& LinearKernel() const { return Kernel; }

private:
  TLinearKernel Kernel;
};

// Block averages when shrinking; bilinear otherwise.
class TDraftResampler : public TLinearResampler {
public:
  static const TResamplerClass Class;
  const TResamplerClass& GetClass() const override { return Class; }

protected:
  void ResampleClipped(const TStretchArgs& args) const override;
};

// Separable resampling with a reconstruction kernel (a TBoxKernel at first).
class TKernelResampler : public TCustomResampler {
public:
  // TableSize is held within these.
  static constexpr std::int32_t MinTableSize = 2;
  static constexpr std::int32_t MaxTableSize = 4096;

  static const TResamplerClass Class;
  TKernelResampler();
  const TResamplerClass& GetClass() const override { return Class; }
  void ListPublishedProperties(std::vector<TPropInfo>& list) const override;

  TCustomKernel& GetKernel() const { return *Kernel; }
  // The kernel as a published object property.
  TCustomKernel* GetKernelObject() const { return Kernel.get(); }
  // Takes kernel (nullptr and the current kernel are ignored).
  void SetKernel(std::unique_ptr<TCustomKernel> kernel);
  std::string GetKernelClassName() const { return Kernel->ClassName(); }
  // A new kernel of the named class when the name differs from the current
  // one and is in the kernel class list; otherwise nothing changes.
  void SetKernelClassName(const std::string& name);
  TKernelMode GetKernelMode() const { return KernelMode; }
  void SetKernelMode(TKernelMode mode);
  std::int32_t GetTableSize() const { return TableSize; }
  void SetTableSize(std::int32_t size);
  float GetWidth() const override { return Kernel->GetWidth(); }
  // Also drops a weight table built for the previous settings.
  void Changed() override;

  // The table modes build their weight table here and free it after.
  void PrepareSampling() override;
  void FinalizeSampling() override;
  TColor32 GetSampleFixed(TFixed x, TFixed y) override;
  // TableSize + 1 rows of 2 x Ceil(width) + 1 weights each (empty unless
  // prepared in a table mode).
  const TIntegerMap& GetWeightTable() const { return WeightTable; }

protected:
  void ResampleClipped(const TStretchArgs& args) const override;

private:
  // The weights of the footprint columns -Reach .. Reach for a fraction
  // 0 <= f < 1 (16.16), summing to 256.
  void FootprintWeights(std::int32_t fraction, std::int32_t* weights) const;
  std::int32_t Reach() const;
  void BuildWeightTable();

  std::unique_ptr<TCustomKernel> Kernel;
  TKernelMode KernelMode = kmDynamic;
  std::int32_t TableSize = 32;
  TIntegerMap WeightTable;
};

namespace imaging {

// The resampler classes in registration order; filled by RegisterResamplers.
TClassList<TResamplerClassRef>& ResamplerList();

// Fills the resampler and kernel class lists and binds the resampling
// routines; called by the raster library's start-up.
void RegisterResamplers();

// A new resampler of the class that a stretch filter names (a kernel
// resampler with its kernel for the kernel filters).
std::unique_ptr<TCustomResampler> ResamplerForFilter(TStretchFilter filter);

}  // namespace imaging
