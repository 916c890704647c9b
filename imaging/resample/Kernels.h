#pragma once
// Reconstruction kernels of the kernel resampler: a weight for each
// distance x (in source pixels) from a sample point, zero beyond the
// kernel's width. Each class has a constant class record (name and
// factory); start-up registers them in the kernel class list.
//
// Float properties ignore values that are not finite, so that no setting can
// turn a kernel's weights into NaN.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "imaging/core/ClassList.h"
#include "imaging/core/PublishedProperties.h"

class TCustomKernel;
class TCustomResampler;

struct TKernelClass {
  std::string_view ClassName;
  std::unique_ptr<TCustomKernel> (*Create)();
};
using TKernelClassRef = const TKernelClass*;

class TCustomKernel : public TPersistent, public IPublishedProperties {
public:
  std::string ClassName() const override { return std::string(GetClass().ClassName); }
  virtual const TKernelClass& GetClass() const = 0;

  // From another kernel: its published properties; anything else is refused.
  void Assign(const TPersistent* source) override;
  // Tells the resampler that owns this kernel.
  virtual void Changed();
  // True when the kernel has negative lobes, so sums must be held in range.
  virtual bool RangeCheck() const { return false; }
  virtual float Filter(float value) const = 0;
  virtual float GetWidth() const = 0;

  void ListPublishedProperties(std::vector<TPropInfo>&) const override {}

  // The resampler notified of changes; set by the resampler that takes it.
  TCustomResampler* Observer = nullptr;

protected:
  // Stores value in field and notifies when it is finite and differs.
  void SetFloat(float& field, float value);
};

// 1 on -0.5 .. 0.5.
class TBoxKernel : public TCustomKernel {
public:
  static const TKernelClass Class;
  const TKernelClass& GetClass() const override { return Class; }
  float Filter(float value) const override;
  float GetWidth() const override { return 1; }
};

// The triangle 1 - |x| on -1 .. 1.
class TLinearKernel : public TCustomKernel {
public:
  static const TKernelClass Class;
  const TKernelClass& GetClass() const override { return Class; }
  float Filter(float value) const override;
  float GetWidth() const override { return 1; }
};

// Half a cosine period raised to 0 .. 1 on -1 .. 1.
class TCosineKernel : public TCustomKernel {
public:
  static const TKernelClass Class;
  const TKernelClass& GetClass() const override { return Class; }
  float Filter(float value) const override;
  float GetWidth() const override { return 1; }
};

// The cubic B-spline.
class TSplineKernel : public TCustomKernel {
public:
  static const TKernelClass Class;
  const TKernelClass& GetClass() const override { return Class; }
  bool RangeCheck() const override { return true; }
  float Filter(float value) const override;
  float GetWidth() const override { return 2; }
};

// Keys' cubic convolution with the free coefficient Coeff (default -0.5).
class TCubicKernel : public TCustomKernel {
public:
  static const TKernelClass Class;
  const TKernelClass& GetClass() const override { return Class; }
  bool RangeCheck() const override { return true; }
  float Filter(float value) const override;
  float GetWidth() const override { return 2; }
  float GetCoeff() const { return Coeff; }
  void SetCoeff(float value) { SetFloat(Coeff, value); }
  void ListPublishedProperties(std::vector<TPropInfo>& list) const override;

private:
  float Coeff = -0.5f;
};

// Mitchell and Netravali's cubic with B = C = 1/3.
class TMitchellKernel : public TCustomKernel {
public:
  static const TKernelClass Class;
  const TKernelClass& GetClass() const override { return Class; }
  bool RangeCheck() const override { return true; }
  float Filter(float value) const override;
  float GetWidth() const override { return 2; }
};

// Hermite spline with Bias and Tension (both default 0).
class THermiteKernel : public TCustomKernel {
public:
  static const TKernelClass Class;
  const TKernelClass& GetClass() const override { return Class; }
  bool RangeCheck() const override { return true; }
  float Filter(float value) const override;
  float GetWidth() const override { return 2; }
  float GetBias() const { return Bias; }
  void SetBias(float value) { SetFloat(Bias, value); }
  float GetTension() const { return Tension; }
  void SetTension(float value) { SetFloat(Tension, value); }
  void ListPublishedProperties(std::vector<TPropInfo>& list) const override;

private:
  float Bias = 0;
  float Tension = 0;
};

// sin(pi x) x Coeff / sinh(pi x Coeff) out to Width.
class TSinshKernel : public TCustomKernel {
public:
  // The widest reach kept: beyond it the weights are negligible for every
  // Coeff worth using, and it bounds the work of one sample.
  static constexpr float MaxWidth = 64;

  static const TKernelClass Class;
  const TKernelClass& GetClass() const override { return Class; }
  bool RangeCheck() const override { return true; }
  float Filter(float value) const override;
  float GetWidth() const override { return Width; }
  void SetWidth(float value);
  float GetCoeff() const { return Coeff; }
  // 0 is refused (the value is kept).
  void SetCoeff(float value);
  void ListPublishedProperties(std::vector<TPropInfo>& list) const override;

private:
  float Width = 3;
  float Coeff = 0.5f;
};

// sinc(x) shaped by a window that reaches zero at Width.
class TWindowedSincKernel : public TCustomKernel {
public:
  static constexpr float MaxWidth = 4;

  bool RangeCheck() const override { return true; }
  float Filter(float value) const override;
  float GetWidth() const override { return Width; }
  // Keeps the smaller of value and MaxWidth.
  void SetWidth(float value);
  // The window at 0 <= x < Width.
  virtual float Window(float value) const = 0;
  void ListPublishedProperties(std::vector<TPropInfo>& list) const override;

protected:
  // cos(pi x / Width).
  double WindowCosine(float value) const;
  float Width = 3;
  float InvWidth = 1.0f / 3;
};

class TAlbrechtKernel : public TWindowedSincKernel {
public:
  static const TKernelClass Class;
  const TKernelClass& GetClass() const override { return Class; }
  float Window(float value) const override;
  std::int32_t GetTerms() const { return Terms; }
  // Held within 2 .. 11.
  void SetTerms(std::int32_t value);
  void ListPublishedProperties(std::vector<TPropInfo>& list) const override;

private:
  std::int32_t Terms = 11;
};

class TLanczosKernel : public TWindowedSincKernel {
public:
  static const TKernelClass Class;
  const TKernelClass& GetClass() const override { return Class; }
  float Window(float value) const override;
};

class TGaussianKernel : public TWindowedSincKernel {
public:
  static const TKernelClass Class;
  const TKernelClass& GetClass() const override { return Class; }
  float Window(float value) const override;
  float GetSigma() const { return Sigma; }
  // 0 is refused (the value is kept).
  void SetSigma(float value);
  void ListPublishedProperties(std::vector<TPropInfo>& list) const override;

private:
  float Sigma = 1.33f;
};

class TBlackmanKernel : public TWindowedSincKernel {
public:
  static const TKernelClass Class;
  const TKernelClass& GetClass() const override { return Class; }
  float Window(float value) const override;
};

class THannKernel : public TWindowedSincKernel {
public:
  static const TKernelClass Class;
  const TKernelClass& GetClass() const override { return Class; }
  float Window(float value) const override;
};

class THammingKernel : public TWindowedSincKernel {
public:
  static const TKernelClass Class;
  const TKernelClass& GetClass() const override { return Class; }
  float Window(float value) const override;
};

namespace imaging {

// The kernel classes in registration order; filled by RegisterResamplers.
TClassList<TKernelClassRef>& KernelList();

}  // namespace imaging
