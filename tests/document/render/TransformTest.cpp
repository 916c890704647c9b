// The affine transform against worked cases, against composing the mappings
// point by point, and inverted against itself.

#include "document/render/Transform.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "platform/rtl/Exception.h"

namespace {

struct WorkedCase {
  const char* name;
  std::function<void(TdocTransform&)> build;
  TFloatPoint from;
  TFloatPoint to;
};

TEST(Transform, WorkedCases) {
  const WorkedCase cases[] = {
      {"identity", [](TdocTransform&) {}, {3, -4}, {3, -4}},
      {"translate then scale", [](TdocTransform& t) { t.Translate(10, 0), t.Scale(2, 2); }, {1, 1}, {22, 2}},
      {"scale then translate", [](TdocTransform& t) { t.Scale(2, 2), t.Translate(10, 0); }, {1, 1}, {12, 2}},
      {"quarter turn about the origin", [](TdocTransform& t) { t.Rotate(90, 0, 0); }, {1, 0}, {0, 1}},
      {"quarter turn keeps its centre", [](TdocTransform& t) { t.Rotate(90, 5, 5); }, {5, 5}, {5, 5}},
      {"quarter turn about a centre", [](TdocTransform& t) { t.Rotate(90, 5, 5); }, {6, 5}, {5, 6}},
      {"half turn about a centre", [](TdocTransform& t) { t.Rotate(180, 1, 2); }, {3, 2}, {-1, 2}},
      {"scale inverted", [](TdocTransform& t) { t.Scale(2, 4), t.Invert(); }, {2, 4}, {1, 1}},
      {"turn, move, inverted", [](TdocTransform& t) { t.Rotate(90, 0, 0), t.Translate(3, 0), t.Invert(); },
       {3, 1}, {1, 0}},
  };
  for (const WorkedCase& c : cases) {
    TdocTransform t;
    c.build(t);
    const TFloatPoint p = t.TransformPoint(c.from);
    EXPECT_NEAR(p.X, c.to.X, 1e-5) << c.name;
    EXPECT_NEAR(p.Y, c.to.Y, 1e-5) << c.name;
  }
}

TEST(Transform, AxesAndPointArrays) {
  TdocTransform t(2, 3, 5, 7, 11, 13);
  EXPECT_FLOAT_EQ(t.TransformX(1), 13);  // 2 * 1 + 11
  EXPECT_FLOAT_EQ(t.TransformY(1), 20);  // 7 * 1 + 13
  std::vector<TFloatPoint> points{{0, 0}, {1, 0}, {0, 1}};
  t.TransformPoints(points);
  EXPECT_EQ(points, (std::vector<TFloatPoint>{{11, 13}, {13, 16}, {16, 20}}));
  EXPECT_TRUE(t.IsAffine());
}

TEST(Transform, AssignCopiesTheMatrixAndRefusesOtherClasses) {
  const TdocTransform source(2, 3, 5, 7, 11, 13);
  const std::unique_ptr<TdocGenericTransform> copy = source.CreateSameClass();
  EXPECT_EQ(copy->TransformPoint({0, 0}), (TFloatPoint{0, 0}));  // a new transform is the identity
  copy->Assign(&source);
  EXPECT_EQ(copy->TransformPoint({1, 1}), source.TransformPoint({1, 1}));

  class TOther : public TPersistent {};
  const TOther other;
  TdocTransform target;
  EXPECT_THROW(target.Assign(&other), EConvertError);
  EXPECT_THROW(target.Assign(nullptr), EConvertError);
}

class RandomTransforms : public ::testing::Test {
protected:
  TdocTransform NextTransform() {
    TdocTransform t;
    t.Scale(Between(0.2, 5), Between(0.2, 5));
    t.Rotate(Between(-360, 360), Between(-50, 50), Between(-50, 50));
    t.Translate(Between(-100, 100), Between(-100, 100));
    return t;
  }
  TFloatPoint NextPoint() {
    return {static_cast<float>(Between(-200, 200)), static_cast<float>(Between(-200, 200))};
  }
  double Between(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); }

  std::mt19937 random{20240611};
};

TEST_F(RandomTransforms, InverseMapsImagesBack) {
  for (int i = 0; i < 500; ++i) {
    const TdocTransform forward = NextTransform();
    TdocTransform inverse = forward;
    inverse.Invert();
    const TFloatPoint p = NextPoint();
    const TFloatPoint back = inverse.TransformPoint(forward.TransformPoint(p));
    EXPECT_NEAR(back.X, p.X, 1e-3);
    EXPECT_NEAR(back.Y, p.Y, 1e-3);
  }
}

TEST_F(RandomTransforms, ProductAppliesTheInnerMappingFirst) {
  for (int i = 0; i < 500; ++i) {
    const TdocTransform outer = NextTransform(), inner = NextTransform();
    TdocTransform product;
    product.AffineMultiply(outer, inner);
    TdocTransform inPlace = inner;
    inPlace.AffineMultiply(outer, inPlace);
    const TFloatPoint p = NextPoint();
    const TFloatPoint expected = outer.TransformPoint(inner.TransformPoint(p));
    for (const TdocTransform* t : {&product, &inPlace}) {
      const TFloatPoint got = t->TransformPoint(p);
      EXPECT_NEAR(got.X, expected.X, 1e-3 * (1 + std::abs(expected.X)));
      EXPECT_NEAR(got.Y, expected.Y, 1e-3 * (1 + std::abs(expected.Y)));
    }
  }
}

}  // namespace
