// Kernels against their textbook definitions (written out here, not taken
// from the code), refused settings, the class lists, the integer map and
// property copying.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "imaging/resample/IntegerMap.h"
#include "imaging/resample/Kernels.h"
#include "imaging/resample/Resamplers.h"
#include "platform/rtl/Exception.h"
#include "tests/imaging/ImagingTestSupport.h"

namespace {

using std::numbers::pi;

double Sinc(double x) { return x == 0 ? 1 : std::sin(pi * x) / (pi * x); }

// Mitchell and Netravali's two-parameter cubic family.
double BCCubic(double x, double b, double c) {
  x = std::fabs(x);
  if (x < 1) return ((12 - 9 * b - 6 * c) * x * x * x + (-18 + 12 * b + 6 * c) * x * x + (6 - 2 * b)) / 6;
  if (x < 2)
    return ((-b - 6 * c) * x * x * x + (6 * b + 30 * c) * x * x + (-12 * b - 48 * c) * x + (8 * b + 24 * c)) / 6;
  return 0;
}

// Keys' cubic convolution kernel with parameter a.
double Keys(double x, double a) {
  x = std::fabs(x);
  if (x <= 1) return (a + 2) * x * x * x - (a + 3) * x * x + 1;
  return x < 2 ? a * x * x * x - 5 * a * x * x + 8 * a * x - 4 * a : 0;
}

// sinc(x) under a window over (-width, width).
std::function<double(double)> Windowed(double width, std::function<double(double)> window) {
  return [=](double x) { return std::fabs(x) < width ? window(std::fabs(x)) * Sinc(x) : 0; };
}

// At distances from -5 to 5 in steps of 1/40, and where the definitions
// change branch.
void ExpectMatches(const TCustomKernel& kernel, const std::function<double(double)>& reference) {
  std::vector<float> points;
  for (int i = -200; i <= 200; ++i) points.push_back(static_cast<float>(i) / 40);
  for (float edge : {0.5f, 1.0f, 2.0f, 3.0f, 4.0f})
    for (float delta : {-1e-4f, 1e-4f}) points.insert(points.end(), {edge + delta, -edge - delta});
  for (const float x : points) EXPECT_NEAR(kernel.Filter(x), reference(x), 2e-6) << kernel.ClassName() << " at " << x;
}

TEST(Kernels, FixedShapesFollowTheirDefinitions) {
  ExpectMatches(TBoxKernel(), [](double x) { return std::fabs(x) <= 0.5 ? 1 : 0; });
  ExpectMatches(TLinearKernel(), [](double x) { return std::max(0.0, 1 - std::fabs(x)); });
  ExpectMatches(TCosineKernel(), [](double x) { return std::fabs(x) < 1 ? (1 + std::cos(pi * x)) / 2 : 0; });
  ExpectMatches(TSplineKernel(), [](double x) { return BCCubic(x, 1, 0); });
  ExpectMatches(TMitchellKernel(), [](double x) { return BCCubic(x, 1.0 / 3, 1.0 / 3); });
  ExpectMatches(TCubicKernel(), [](double x) { return Keys(x, -0.5); });
  ExpectMatches(THermiteKernel(), [](double x) { return Keys(x, -0.5); });  // no bias, no tension
  EXPECT_FLOAT_EQ(TCubicKernel().Filter(0.5f), 0.5625f);
  TCubicKernel cubic;
  cubic.SetCoeff(-1);
  ExpectMatches(cubic, [](double x) { return Keys(x, -1); });
}

TEST(Kernels, HermiteInterpolatesAndKeepsConstantsForAnySetting) {
  THermiteKernel hermite;
  hermite.SetBias(0.5f);
  hermite.SetTension(0.2f);
  // From the kernel's definition by hand: T = 0.4, M0 = 0.2, M1 = 0.6,
  // D = 0.4; at 0.25: H2 = 0.15625, H3 = 0.140625, H4 = -0.046875.
  EXPECT_NEAR(hermite.Filter(0.25f), 0.928125, 1e-6);
  EXPECT_FLOAT_EQ(hermite.Filter(0), 1);
  // A spline through a constant is that constant: the weights at every
  // offset sum to 1.
  for (float f = 0; f < 1; f += 0.0625f) {
    double sum = 0;
    for (int k = -3; k <= 3; ++k) sum += hermite.Filter(f + static_cast<float>(k));
    EXPECT_NEAR(sum, 1, 1e-6) << f;
  }
}

TEST(Kernels, WindowedSincKernelsFollowTheirWindows) {
  for (const double w : {3.0, 2.0, 4.0}) {
    const auto width = static_cast<float>(w);
    TLanczosKernel lanczos;
    THannKernel hann;
    THammingKernel hamming;
    TBlackmanKernel blackman;
    const std::vector<TWindowedSincKernel*> kernels = {&lanczos, &hann, &hamming, &blackman};
    for (TWindowedSincKernel* kernel : kernels) kernel->SetWidth(width);
    ExpectMatches(lanczos, Windowed(w, [&](double t) { return Sinc(t / w); }));
    ExpectMatches(hann, Windowed(w, [&](double t) { return 0.5 + 0.5 * std::cos(pi * t / w); }));
    ExpectMatches(hamming, Windowed(w, [&](double t) { return 0.54 + 0.46 * std::cos(pi * t / w); }));
    ExpectMatches(blackman, Windowed(w, [&](double t) {
                    return 0.42 + 0.5 * std::cos(pi * t / w) + 0.08 * std::cos(2 * pi * t / w);
                  }));
  }
  TGaussianKernel gauss;
  for (const float sigma : {1.33f, 0.5f}) {
    gauss.SetSigma(sigma);
    ExpectMatches(gauss, Windowed(3, [&](double t) { return std::exp(-t * t * std::log(2.0) / sigma); }));
  }
  TSinshKernel sinsh;
  for (const double c : {0.5, 0.25}) {
    sinsh.SetCoeff(static_cast<float>(c));
    ExpectMatches(sinsh, [&](double x) { return x == 0 ? 1 : std::sin(pi * x) * c / std::sinh(pi * x * c); });
  }
  EXPECT_EQ(sinsh.Filter(400), 0);  // far beyond where sinh overflows
}

TEST(Kernels, AlbrechtWindowForEveryNumberOfTerms) {
  // The window's coefficients, lowest power of cos(pi x / width) first.
  const std::vector<std::vector<double>> coeffs = {
      {0.5383553947, 0.4616446053},
      {0.3461008220, 0.4973406351, 0.1565585429},
      {0.2269824128, 0.4572540708, 0.2731990280, 0.0425644884},
      {0.1489426060, 0.3860011736, 0.3409774032, 0.1139879604, 0.0100908567},
      {0.0971676200, 0.3088452225, 0.3626233714, 0.1889533255, 0.0402095714, 0.0022008891},
      {0.0639644241, 0.2399386460, 0.3501595632, 0.2477411190, 0.0854382561, 0.0123202034, 0.0004377883},
      {0.0421072107, 0.1820762266, 0.3177137811, 0.2844380014, 0.1367622378, 0.0334038054, 0.0034167722, 0.0000819649},
      {0.0276143732, 0.1353822288, 0.2752872345, 0.2988433353, 0.1853193303, 0.0648884483, 0.0117641910, 0.0008859876,
       0.0000148711},
      {0.0179908225, 0.0987959586, 0.2298838170, 0.2941130191, 0.2243389778, 0.1032488062, 0.0275674109, 0.0038395862,
       0.0002189717, 0.0000026298},
      {0.0118717128, 0.0719533652, 0.1878871609, 0.2758081741, 0.2489042432, 0.1417298672, 0.0502002976, 0.0104589649,
       0.0011361511, 0.0000496286, 0.0000004343},
  };
  TAlbrechtKernel albrecht;
  EXPECT_EQ(albrecht.GetTerms(), 11);
  for (int terms = 2; terms <= 11; ++terms) {
    albrecht.SetTerms(terms);
    const auto& c = coeffs[static_cast<std::size_t>(terms - 2)];
    ExpectMatches(albrecht, Windowed(3, [&](double t) {
                    double sum = 0;
                    for (std::size_t k = 0; k < c.size(); ++k) sum += c[k] * std::pow(std::cos(pi * t / 3), double(k));
                    return sum;
                  }));
  }
}

TEST(Kernels, SettingsOutsideTheirRangeAreHeldOrRefused) {
  TCubicKernel cubic;
  cubic.SetCoeff(NAN);
  EXPECT_EQ(cubic.GetCoeff(), -0.5f);
  TSinshKernel sinsh;
  sinsh.SetCoeff(0);
  EXPECT_EQ(sinsh.GetCoeff(), 0.5f);
  sinsh.SetWidth(1e9f);
  EXPECT_EQ(sinsh.GetWidth(), TSinshKernel::MaxWidth);
  TGaussianKernel gauss;
  gauss.SetSigma(0);
  EXPECT_FLOAT_EQ(gauss.GetSigma(), 1.33f);
  TAlbrechtKernel albrecht;
  albrecht.SetTerms(1);
  EXPECT_EQ(albrecht.GetTerms(), 2);
  albrecht.SetTerms(40);
  EXPECT_EQ(albrecht.GetTerms(), 11);
  TLanczosKernel lanczos;
  for (const float width : {6.0f, INFINITY, NAN}) {
    lanczos.SetWidth(width);
    EXPECT_EQ(lanczos.GetWidth(), 4) << width;
  }
  EXPECT_NE(lanczos.Filter(3.5f), 0);
  EXPECT_EQ(lanczos.Filter(4.0f), 0);
}

TEST(ClassLists, FindIsExactAndCaseSensitive) {
  ASSERT_NE(imaging::KernelList().Find("TLanczosKernel"), nullptr);
  EXPECT_EQ(imaging::KernelList().Find("TLanczosKernel")->Create()->ClassName(), "TLanczosKernel");
  for (const char* name : {"tlanczoskernel", "TLanczos", ""}) EXPECT_EQ(imaging::KernelList().Find(name), nullptr);
}

TEST(PropertyCopying, KernelsAndResamplersCopyTheirPropertiesAndRefuseOtherFamilies) {
  TCubicKernel cubic, other;
  cubic.SetCoeff(-1);
  other.Assign(&cubic);
  EXPECT_EQ(other.GetCoeff(), -1);
  TSinshKernel sinsh;  // across classes only properties of the same name and kind pass
  sinsh.Assign(&cubic);
  EXPECT_EQ(sinsh.GetCoeff(), -1);
  EXPECT_EQ(sinsh.GetWidth(), 3);
  TKernelResampler source, target;  // a kernel resampler gets a kernel of its own
  source.SetKernelClassName("TGaussianKernel");
  dynamic_cast<TGaussianKernel&>(source.GetKernel()).SetSigma(0.75f);
  target.Assign(&source);
  ASSERT_NE(&target.GetKernel(), &source.GetKernel());
  EXPECT_EQ(dynamic_cast<const TGaussianKernel&>(target.GetKernel()).GetSigma(), 0.75f);
  EXPECT_EQ(imagingtest::ErrorOf<EConvertError>([&] { cubic.Assign(&source); }),
            "Cannot assign a TKernelResampler to a TCubicKernel");
  EXPECT_THROW(cubic.Assign(nullptr), EConvertError);
}

TEST(IntegerMap, KeepsItsValuesWhenItGrowsAndIsEmptyAtZero) {
  TIntegerMap map;
  map.SetSize(3, 3);
  map.Value(2, 1) = -7;
  map.SetSize(3, 4);
  EXPECT_EQ(*map.ValPtr(2, 1), -7);
  map.SetSize(0, 0);
  EXPECT_TRUE(map.IsEmpty());
}

}  // namespace
