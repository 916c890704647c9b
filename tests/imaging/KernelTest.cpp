// Kernels against their textbook definitions (written out here, not taken
// from the code), the class lists, the integer map and property copying.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "imaging/IntegerMap.h"
#include "imaging/Kernels.h"
#include "imaging/Resamplers.h"
#include "platform/rtl/Exception.h"

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
  if (x < 2) return a * x * x * x - 5 * a * x * x + 8 * a * x - 4 * a;
  return 0;
}

double Windowed(double x, double width, const std::function<double(double)>& window) {
  x = std::fabs(x);
  return x < width ? window(x) * Sinc(x) : 0;
}

// Distances from -5 to 5 in steps of 1/40, plus the points where the
// definitions change branch.
std::vector<float> SamplePoints() {
  std::vector<float> points;
  for (int i = -200; i <= 200; ++i) points.push_back(static_cast<float>(i) / 40);
  for (float edge : {0.5f, 1.0f, 2.0f, 3.0f, 4.0f})
    for (float delta : {-1e-4f, 0.0f, 1e-4f}) {
      points.push_back(edge + delta);
      points.push_back(-edge - delta);
    }
  return points;
}

void ExpectMatches(const TCustomKernel& kernel, const std::function<double(double)>& reference) {
  for (const float x : SamplePoints())
    EXPECT_NEAR(kernel.Filter(x), reference(x), 2e-6) << kernel.ClassName() << " at " << x;
}

TEST(Kernels, FixedShapesFollowTheirDefinitions) {
  ExpectMatches(TBoxKernel(), [](double x) { return std::fabs(x) <= 0.5 ? 1 : 0; });
  ExpectMatches(TLinearKernel(), [](double x) { return std::max(0.0, 1 - std::fabs(x)); });
  ExpectMatches(TCosineKernel(), [](double x) { return std::fabs(x) < 1 ? (1 + std::cos(pi * x)) / 2 : 0; });
  ExpectMatches(TSplineKernel(), [](double x) { return BCCubic(x, 1, 0); });
  ExpectMatches(TMitchellKernel(), [](double x) { return BCCubic(x, 1.0 / 3, 1.0 / 3); });
  ExpectMatches(TCubicKernel(), [](double x) { return Keys(x, -0.5); });
}

TEST(Kernels, WidthsAndRangeChecks) {
  EXPECT_EQ(TBoxKernel().GetWidth(), 1);
  EXPECT_EQ(TLinearKernel().GetWidth(), 1);
  EXPECT_EQ(TCosineKernel().GetWidth(), 1);
  EXPECT_FALSE(TBoxKernel().RangeCheck());
  EXPECT_FALSE(TLinearKernel().RangeCheck());
  EXPECT_FALSE(TCosineKernel().RangeCheck());
  for (const char* name : {"TSplineKernel", "TCubicKernel", "TMitchellKernel", "THermiteKernel"}) {
    const auto kernel = imaging::KernelList().Find(name)->Create();
    EXPECT_EQ(kernel->GetWidth(), 2) << name;
    EXPECT_TRUE(kernel->RangeCheck()) << name;
  }
  EXPECT_EQ(TSinshKernel().GetWidth(), 3);
  EXPECT_TRUE(TLanczosKernel().RangeCheck());
}

TEST(Kernels, CubicWithItsCoefficient) {
  TCubicKernel cubic;
  EXPECT_FLOAT_EQ(cubic.Filter(0), 1);
  EXPECT_FLOAT_EQ(cubic.Filter(1), 0);
  EXPECT_FLOAT_EQ(cubic.Filter(0.5f), 0.5625f);
  cubic.SetCoeff(-1);
  ExpectMatches(cubic, [](double x) { return Keys(x, -1); });
  cubic.SetCoeff(-0.75f);
  ExpectMatches(cubic, [](double x) { return Keys(x, -0.75); });
  cubic.SetCoeff(NAN);
  EXPECT_EQ(cubic.GetCoeff(), -0.75f);
}

TEST(Kernels, HermiteIsCatmullRomWithoutBiasOrTension) {
  THermiteKernel hermite;
  ExpectMatches(hermite, [](double x) { return Keys(x, -0.5); });
}

TEST(Kernels, HermiteInterpolatesAndKeepsConstantsForAnySetting) {
  THermiteKernel hermite;
  hermite.SetBias(0.5f);
  hermite.SetTension(0.2f);
  // From the kernel's definition by hand: T = 0.4, M0 = 0.2, M1 = 0.6,
  // D = 0.4; at 0.25: H2 = 0.15625, H3 = 0.140625, H4 = -0.046875.
  EXPECT_NEAR(hermite.Filter(0.25f), 0.928125, 1e-6);
  EXPECT_FLOAT_EQ(hermite.Filter(0), 1);
  for (float x : {-2.0f, -1.0f, 1.0f, 2.0f, 2.5f, -2.5f}) EXPECT_NEAR(hermite.Filter(x), 0, 1e-7) << x;
  // A spline through a constant is that constant: the weights at every
  // offset sum to 1.
  for (float f = 0; f < 1; f += 0.0625f) {
    double sum = 0;
    for (int k = -3; k <= 3; ++k) sum += hermite.Filter(f + static_cast<float>(k));
    EXPECT_NEAR(sum, 1, 1e-6) << f;
  }
}

TEST(Kernels, SinshFollowsItsDefinition) {
  TSinshKernel sinsh;
  const auto reference = [&](double x) {
    const double c = sinsh.GetCoeff();
    return x == 0 ? 1 : std::sin(pi * x) * c / std::sinh(pi * x * c);
  };
  ExpectMatches(sinsh, reference);
  sinsh.SetCoeff(0);  // refused
  EXPECT_EQ(sinsh.GetCoeff(), 0.5f);
  sinsh.SetCoeff(0.25f);
  ExpectMatches(sinsh, reference);
  EXPECT_EQ(sinsh.Filter(400), 0);  // far beyond where sinh overflows
  sinsh.SetWidth(1e9f);
  EXPECT_EQ(sinsh.GetWidth(), TSinshKernel::MaxWidth);
}

TEST(Kernels, WindowedSincKernelsFollowTheirWindows) {
  for (const float width : {3.0f, 2.0f, 4.0f}) {
    const double w = width;
    TLanczosKernel lanczos;
    lanczos.SetWidth(width);
    ExpectMatches(lanczos, [&](double x) { return Windowed(x, w, [&](double t) { return Sinc(t / w); }); });
    THannKernel hann;
    hann.SetWidth(width);
    ExpectMatches(hann,
                  [&](double x) { return Windowed(x, w, [&](double t) { return 0.5 + 0.5 * std::cos(pi * t / w); }); });
    THammingKernel hamming;
    hamming.SetWidth(width);
    ExpectMatches(hamming, [&](double x) {
      return Windowed(x, w, [&](double t) { return 0.54 + 0.46 * std::cos(pi * t / w); });
    });
    TBlackmanKernel blackman;
    blackman.SetWidth(width);
    ExpectMatches(blackman, [&](double x) {
      return Windowed(x, w,
                      [&](double t) { return 0.42 + 0.5 * std::cos(pi * t / w) + 0.08 * std::cos(2 * pi * t / w); });
    });
  }
}

TEST(Kernels, GaussianWindow) {
  TGaussianKernel gauss;
  const auto reference = [&](double x) {
    return Windowed(x, 3, [&](double t) { return std::exp(-t * t * std::log(2.0) / gauss.GetSigma()); });
  };
  ExpectMatches(gauss, reference);
  gauss.SetSigma(0);  // refused
  EXPECT_FLOAT_EQ(gauss.GetSigma(), 1.33f);
  gauss.SetSigma(0.5f);
  ExpectMatches(gauss, reference);
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
    ExpectMatches(albrecht, [&](double x) {
      return Windowed(x, 3, [&](double t) {
        double sum = 0;
        for (std::size_t k = 0; k < c.size(); ++k) sum += c[k] * std::pow(std::cos(pi * t / 3), static_cast<double>(k));
        return sum;
      });
    });
  }
  albrecht.SetTerms(1);
  EXPECT_EQ(albrecht.GetTerms(), 2);
  albrecht.SetTerms(40);
  EXPECT_EQ(albrecht.GetTerms(), 11);
}

TEST(Kernels, WindowedSincWidthIsAtMostFour) {
  TLanczosKernel lanczos;
  lanczos.SetWidth(6);
  EXPECT_EQ(lanczos.GetWidth(), 4);
  EXPECT_NE(lanczos.Filter(3.5f), 0);
  EXPECT_EQ(lanczos.Filter(4.0f), 0);
  lanczos.SetWidth(INFINITY);
  EXPECT_EQ(lanczos.GetWidth(), 4);
  lanczos.SetWidth(NAN);
  EXPECT_EQ(lanczos.GetWidth(), 4);
}

TEST(ClassLists, HoldTheClassesInRegistrationOrder) {
  const std::vector<std::string> resamplers = {"TNearestResampler", "TLinearResampler", "TDraftResampler",
                                               "TKernelResampler"};
  ASSERT_EQ(imaging::ResamplerList().Count(), resamplers.size());
  for (std::size_t i = 0; i < resamplers.size(); ++i) {
    EXPECT_EQ(imaging::ResamplerList()[i]->ClassName, resamplers[i]);
    EXPECT_EQ(imaging::ResamplerList()[i]->Create()->ClassName(), resamplers[i]);
  }
  const std::vector<std::string> kernels = {"TBoxKernel",      "TLinearKernel",   "TCosineKernel",   "TSplineKernel",
                                            "TCubicKernel",    "TMitchellKernel", "TAlbrechtKernel", "TLanczosKernel",
                                            "TGaussianKernel", "TBlackmanKernel", "THannKernel",     "THammingKernel",
                                            "TSinshKernel",    "THermiteKernel"};
  ASSERT_EQ(imaging::KernelList().Count(), kernels.size());
  for (std::size_t i = 0; i < kernels.size(); ++i) {
    EXPECT_EQ(imaging::KernelList()[i]->ClassName, kernels[i]);
    EXPECT_EQ(imaging::KernelList()[i]->Create()->ClassName(), kernels[i]);
  }
}

TEST(ClassLists, FindIsExactAndCaseSensitive) {
  const TKernelClassRef lanczos = imaging::KernelList().Find("TLanczosKernel");
  ASSERT_NE(lanczos, nullptr);
  EXPECT_NE(dynamic_cast<TLanczosKernel*>(lanczos->Create().get()), nullptr);
  EXPECT_EQ(imaging::KernelList().Find("tlanczoskernel"), nullptr);
  EXPECT_EQ(imaging::KernelList().Find("TLanczos"), nullptr);
  EXPECT_EQ(imaging::KernelList().Find(""), nullptr);
  EXPECT_EQ(imaging::ResamplerList().Find("TKernelResampler"), &TKernelResampler::Class);

  // A list of its own: the first match in list order wins.
  TClassList<TKernelClassRef> list;
  const TKernelClass duplicate{"TBoxKernel", TLinearKernel::Class.Create};
  EXPECT_EQ(list.Add(&duplicate), 0u);
  EXPECT_EQ(list.Add(&TBoxKernel::Class), 1u);
  EXPECT_EQ(list.Find("TBoxKernel"), &duplicate);
  list.Clear();
  EXPECT_EQ(list.Find("TBoxKernel"), nullptr);
}

TEST(IntegerMap, ResizesAndAddressesRowAfterRow) {
  TIntegerMap map;
  int resizes = 0;
  map.OnResize = [&](TPersistent*) { ++resizes; };
  EXPECT_TRUE(map.IsEmpty());
  EXPECT_TRUE(map.SetSize(3, 3));
  EXPECT_FALSE(map.IsEmpty());
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(map.Value(x, y), 0);
  map.Value(2, 1) = -7;
  EXPECT_EQ(map.ValPtr(2, 1), map.ValPtr(0, 0) + 5);
  EXPECT_EQ(*map.ValPtr(2, 1), -7);
  EXPECT_FALSE(map.SetSize(3, 3));
  EXPECT_TRUE(map.SetSize(3, 4));
  EXPECT_EQ(map.Value(2, 1), -7);
  EXPECT_EQ(map.Value(2, 3), 0);
  EXPECT_TRUE(map.SetSize(0, 0));
  EXPECT_TRUE(map.IsEmpty());
  EXPECT_EQ(resizes, 3);
  map.SetSize(-2, 5);
  EXPECT_EQ(map.GetWidth(), 0);
  EXPECT_TRUE(map.IsEmpty());
}

TEST(PropertyCopying, AssigningAKernelCopiesItsProperties) {
  TCubicKernel source, target;
  source.SetCoeff(-1);
  target.Assign(&source);
  EXPECT_EQ(target.GetCoeff(), -1);

  TAlbrechtKernel albrecht, otherAlbrecht;
  albrecht.SetWidth(2.5f);
  albrecht.SetTerms(5);
  otherAlbrecht.Assign(&albrecht);
  EXPECT_EQ(otherAlbrecht.GetWidth(), 2.5f);
  EXPECT_EQ(otherAlbrecht.GetTerms(), 5);
  EXPECT_FLOAT_EQ(otherAlbrecht.Filter(1.3f), albrecht.Filter(1.3f));
}

TEST(PropertyCopying, AcrossKernelClassesOnlyPropertiesOfTheSameNameAndKindPass) {
  TCubicKernel cubic;
  cubic.SetCoeff(-0.75f);
  TBoxKernel box;
  box.Assign(&cubic);  // nothing to copy
  TSinshKernel sinsh;
  sinsh.Assign(&cubic);
  EXPECT_EQ(sinsh.GetCoeff(), -0.75f);
  EXPECT_EQ(sinsh.GetWidth(), 3);
}

TEST(PropertyCopying, OtherFamiliesAreRefused) {
  TCubicKernel cubic;
  TKernelResampler resampler;
  try {
    cubic.Assign(&resampler);
    FAIL() << "no refusal";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TKernelResampler to a TCubicKernel");
  }
  try {
    resampler.Assign(&cubic);
    FAIL() << "no refusal";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TCubicKernel to a TKernelResampler");
  }
  EXPECT_THROW(cubic.Assign(nullptr), EConvertError);
}

TEST(PropertyCopying, AssigningAKernelResamplerReplacesAndSetsItsKernel) {
  TKernelResampler source;
  source.SetKernelClassName("TGaussianKernel");
  auto& gauss = dynamic_cast<TGaussianKernel&>(source.GetKernel());
  gauss.SetSigma(0.75f);
  gauss.SetWidth(2);
  source.SetKernelMode(kmTableLinear);
  source.SetTableSize(64);
  source.SetPixelAccessMode(pamWrap);
  int sourceChanges = 0;
  source.OnChange = [&](TPersistent*) { ++sourceChanges; };

  TKernelResampler target;
  target.Assign(&source);
  EXPECT_EQ(target.GetKernelClassName(), "TGaussianKernel");
  ASSERT_NE(&target.GetKernel(), &source.GetKernel());
  const auto& copied = dynamic_cast<const TGaussianKernel&>(target.GetKernel());
  EXPECT_EQ(copied.GetSigma(), 0.75f);
  EXPECT_EQ(copied.GetWidth(), 2);
  EXPECT_EQ(target.GetKernelMode(), kmTableLinear);
  EXPECT_EQ(target.GetTableSize(), 64);
  EXPECT_EQ(target.GetPixelAccessMode(), pamWrap);
  EXPECT_FALSE(target.OnChange);  // events are not properties
  EXPECT_EQ(sourceChanges, 0);

  // Across resampler classes only the access mode has a counterpart.
  TNearestResampler nearest;
  nearest.Assign(&source);
  EXPECT_EQ(nearest.GetPixelAccessMode(), pamWrap);
}

}  // namespace
