#pragma once
// Affine mappings between coordinate spaces of the document engine: document
// millimetres to bitmap pixels, a shape's cache bitmap to the page, and the
// inverse mapping the map sampler walks.

#include <cstddef>
#include <memory>
#include <span>
#include <string>

#include "imaging/docgraphics/DocGraphics.h"
#include "platform/rtl/Persistent.h"

// The interface the sampler and the renderer see. Concrete classes give the
// mapping; the base itself is never affine.
class TdocGenericTransform : public TPersistent {
public:
  std::string ClassName() const override { return "TdocGenericTransform"; }

  // Accepts any generic transform; other sources are refused as usual.
  void Assign(const TPersistent* source) override;
  // A new transform of this object's own class in its initial state.
  virtual std::unique_ptr<TdocGenericTransform> CreateSameClass() const = 0;
  virtual bool IsAffine() const { return false; }
  virtual void Invert() = 0;
  virtual TFloatPoint TransformPoint(const TFloatPoint& p) const = 0;

protected:
  TdocGenericTransform() = default;
};

// The 2-D affine matrix: (x, y) maps to (a x + c y + e, b x + d y + f).
// A new transform is the identity.
class TdocTransform : public TdocGenericTransform {
public:
  TdocTransform() = default;
  TdocTransform(double a, double b, double c, double d, double e, double f) : a(a), b(b), c(c), d(d), e(e), f(f) {}

  std::string ClassName() const override { return "TdocTransform"; }

  void Assign(const TPersistent* source) override;
  std::unique_ptr<TdocGenericTransform> CreateSameClass() const override;
  bool IsAffine() const override { return true; }
  // Replaces the matrix by its inverse. The matrix must not be singular.
  void Invert() override;
  TFloatPoint TransformPoint(const TFloatPoint& p) const override;
  // Replaces each point by its image.
  void TransformPoints(std::span<TFloatPoint> points) const;
  // x of the image of (x, 0), y of the image of (0, y).
  double TransformX(double x) const;
  double TransformY(double y) const;

  // Each appends a step applied after the existing mapping.
  void Translate(double dx, double dy);
  void Scale(double sx, double sy);
  // alpha in degrees about (cx, cy); with y pointing down a positive angle
  // turns clockwise on the screen.
  void Rotate(double alpha, double cx, double cy);
  // This := the mapping that applies inner, then outer. Either may be this
  // transform itself.
  void AffineMultiply(const TdocTransform& outer, const TdocTransform& inner);

  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
};
