#include "document/render/Transform.h"

#include <cmath>
#include <numbers>

void TdocGenericTransform::Assign(const TPersistent* source) {
  if (dynamic_cast<const TdocGenericTransform*>(source) != nullptr) return;
  TPersistent::Assign(source);
}

void TdocTransform::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TdocTransform*>(source)) {
    a = other->a;
    b = other->b;
    c = other->c;
    d = other->d;
    e = other->e;
    f = other->f;
    return;
  }
  TdocGenericTransform::Assign(source);
}

std::unique_ptr<TdocGenericTransform> TdocTransform::CreateSameClass() const {
  return std::make_unique<TdocTransform>();
}

void TdocTransform::Invert() {
  const double r = 1.0 / (a * d - b * c);
  const double ia = d * r, ib = -b * r, ic = -c * r, id = a * r;
  const double ie = -e * ia - f * ic, iff = -e * ib - f * id;
  *this = TdocTransform(ia, ib, ic, id, ie, iff);
}

TFloatPoint TdocTransform::TransformPoint(const TFloatPoint& p) const {
  return TFloatPoint{static_cast<float>(a * p.X + c * p.Y + e), static_cast<float>(b * p.X + d * p.Y + f)};
}

void TdocTransform::TransformPoints(std::span<TFloatPoint> points) const {
  for (TFloatPoint& p : points) p = TransformPoint(p);
}

double TdocTransform::TransformX(double x) const { return a * x + e; }

double TdocTransform::TransformY(double y) const { return d * y + f; }

void TdocTransform::Translate(double dx, double dy) { AffineMultiply(TdocTransform(1, 0, 0, 1, dx, dy), *this); }

void TdocTransform::Scale(double sx, double sy) { AffineMultiply(TdocTransform(sx, 0, 0, sy, 0, 0), *this); }

void TdocTransform::Rotate(double alpha, double cx, double cy) {
  const bool aboutCentre = cx != 0 || cy != 0;
  if (aboutCentre) Translate(-cx, -cy);
  const double radians = alpha * std::numbers::pi / 180;
  const double cosine = std::cos(radians), sine = std::sin(radians);
  AffineMultiply(TdocTransform(cosine, sine, -sine, cosine, 0, 0), *this);
  if (aboutCentre) Translate(cx, cy);
}

void TdocTransform::AffineMultiply(const TdocTransform& outer, const TdocTransform& inner) {
  const TdocTransform& A = outer;
  const TdocTransform& B = inner;
  *this = TdocTransform(A.a * B.a + A.c * B.b, A.b * B.a + A.d * B.b, A.a * B.c + A.c * B.d, A.b * B.c + A.d * B.d,
                        A.a * B.e + A.c * B.f + A.e, A.b * B.e + A.d * B.f + A.f);
}
