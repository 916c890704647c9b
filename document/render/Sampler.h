#pragma once
// The pairing of a source bitmap, a target bitmap and the transform between
// them that every sampler drawing one bitmap into another starts from.

#include <memory>
#include <string>

#include "document/render/Transform.h"
#include "imaging/bitmap/CustomBitmap32.h"

class TdocSampler : public TPersistent {
public:
  TdocSampler() = default;
  std::string ClassName() const override { return "TdocSampler"; }

  TCustomBitmap32* GetTarget() const { return Target; }
  void SetTarget(TCustomBitmap32* bitmap) { Target = bitmap; }
  TCustomBitmap32* GetSource() const { return Source; }
  void SetSource(TCustomBitmap32* bitmap) { Source = bitmap; }

  TdocGenericTransform* GetTransform() const { return Transform; }
  // Keeps transform (which maps source pixels to target pixels) and its
  // inverse, computed now: later changes to transform are not seen until it
  // is set again. nullptr forgets both.
  void SetTransform(TdocGenericTransform* transform);

protected:
  // Maps target pixels to source pixels; nullptr without a transform.
  const TdocGenericTransform* GetInverseTransform() const { return InverseTransform.get(); }

private:
  TdocGenericTransform* Transform = nullptr;  // the caller's
  std::unique_ptr<TdocGenericTransform> InverseTransform;
  TCustomBitmap32* Target = nullptr;
  TCustomBitmap32* Source = nullptr;
};
