#include "imaging/resample/Kernels.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "imaging/resample/Resamplers.h"

namespace {

using std::numbers::pi;

template <class T>
std::unique_ptr<TCustomKernel> NewKernel() {
  return std::make_unique<T>();
}

// A kernel value as the float that Filter returns: finite values beyond the
// float range become the largest float (absurd settings produce them).
float Narrow(double value) {
  constexpr double largest = std::numeric_limits<float>::max();
  if (std::isnan(value)) return static_cast<float>(value);
  return static_cast<float>(std::clamp(value, -largest, largest));
}

double Sinc(double x) {
  if (x == 0) return 1;
  return std::sin(pi * x) / (pi * x);
}

// Window coefficients of the Albrecht kernel by number of terms (2 .. 11),
// lowest power first.
constexpr double AlbrechtCoeffs[10][11] = {
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

}  // namespace

const TKernelClass TBoxKernel::Class{"TBoxKernel", &NewKernel<TBoxKernel>};
const TKernelClass TLinearKernel::Class{"TLinearKernel", &NewKernel<TLinearKernel>};
const TKernelClass TCosineKernel::Class{"TCosineKernel", &NewKernel<TCosineKernel>};
const TKernelClass TSplineKernel::Class{"TSplineKernel", &NewKernel<TSplineKernel>};
const TKernelClass TCubicKernel::Class{"TCubicKernel", &NewKernel<TCubicKernel>};
const TKernelClass TMitchellKernel::Class{"TMitchellKernel", &NewKernel<TMitchellKernel>};
const TKernelClass THermiteKernel::Class{"THermiteKernel", &NewKernel<THermiteKernel>};
const TKernelClass TSinshKernel::Class{"TSinshKernel", &NewKernel<TSinshKernel>};
const TKernelClass TAlbrechtKernel::Class{"TAlbrechtKernel", &NewKernel<TAlbrechtKernel>};
const TKernelClass TLanczosKernel::Class{"TLanczosKernel", &NewKernel<TLanczosKernel>};
const TKernelClass TGaussianKernel::Class{"TGaussianKernel", &NewKernel<TGaussianKernel>};
const TKernelClass TBlackmanKernel::Class{"TBlackmanKernel", &NewKernel<TBlackmanKernel>};
const TKernelClass THannKernel::Class{"THannKernel", &NewKernel<THannKernel>};
const TKernelClass THammingKernel::Class{"THammingKernel", &NewKernel<THammingKernel>};

// --- TCustomKernel

void TCustomKernel::Assign(const TPersistent* source) {
  if (dynamic_cast<const TCustomKernel*>(source) != nullptr) {
    imaging::CopyPublishedProperties(*source, *this, tkProperties);
    return;
  }
  TPersistent::Assign(source);
}

void TCustomKernel::Changed() {
  if (Observer != nullptr) Observer->Changed();
}

void TCustomKernel::SetFloat(float& field, float value) {
  if (!std::isfinite(value) || value == field) return;
  field = value;
  Changed();
}

// --- Kernels of fixed shape

float TBoxKernel::Filter(float value) const { return value >= -0.5f && value <= 0.5f ? 1.0f : 0.0f; }

float TLinearKernel::Filter(float value) const {
  if (value <= -1 || value >= 1) return 0;
  return value < 0 ? 1 + value : 1 - value;
}

float TCosineKernel::Filter(float value) const {
  if (std::fabs(value) >= 1) return 0;
  return Narrow((std::cos(pi * value) + 1) * 0.5);
}

float TSplineKernel::Filter(float value) const {
  const double x = std::fabs(value);
  if (x < 1) return Narrow(0.5 * x * x * x - x * x + 2.0 / 3);
  if (x < 2) return Narrow((2 - x) * (2 - x) * (2 - x) / 6);
  return 0;
}

float TMitchellKernel::Filter(float value) const {
  const double x = std::fabs(value);
  if (x < 1) return Narrow((21 * x * x * x - 36 * x * x + 16) / 18);
  if (x < 2) return Narrow((-7 * x * x * x + 36 * x * x - 60 * x + 32) / 18);
  return 0;
}

// --- TCubicKernel

float TCubicKernel::Filter(float value) const {
  const double a = Coeff, x = std::fabs(value);
  if (x < 1) return Narrow((a + 2) * x * x * x - (a + 3) * x * x + 1);
  if (x < 2) return Narrow(a * (x * x * x - 5 * x * x + 8 * x - 4));
  return 0;
}

void TCubicKernel::ListPublishedProperties(std::vector<TPropInfo>& list) const {
  list.push_back(imaging::Published<&TCubicKernel::GetCoeff, &TCubicKernel::SetCoeff>("Coeff"));
}

// --- THermiteKernel

float THermiteKernel::Filter(float value) const {
  const double tension = (1.0 - Tension) * 0.5;
  const double m0 = (1.0 - Bias) * tension, m1 = (1.0 + Bias) * tension, d = m1 - m0;
  const double whole = std::floor(value), f = value - whole;
  const double h2 = -2 * f * f * f + 3 * f * f;
  const double h3 = f * f * f - 2 * f * f + f;
  const double h4 = f * f * f - f * f;
  double result = 0;
  if (whole == -2)
    result = h4 * m0;
  else if (whole == -1)
    result = h3 * m0 + h2 + d * h4;
  else if (whole == 0)
    result = d * h3 + (1 - h2) - h4 * m1;
  else if (whole == 1)
    result = -h3 * m1;
  return Narrow(result);
}

void THermiteKernel::ListPublishedProperties(std::vector<TPropInfo>& list) const {
  list.push_back(imaging::Published<&THermiteKernel::GetBias, &THermiteKernel::SetBias>("Bias"));
  list.push_back(imaging::Published<&THermiteKernel::GetTension, &THermiteKernel::SetTension>("Tension"));
}

// --- TSinshKernel

float TSinshKernel::Filter(float value) const {
  if (value == 0) return 1;
  const double x = pi * value;
  const double denominator = std::sinh(x * Coeff);
  // sinh overflows to infinity far out, where the weight is 0 anyway.
  if (std::isinf(denominator)) return 0;
  return Narrow(std::sin(x) * Coeff / denominator);
}

void TSinshKernel::SetWidth(float value) { SetFloat(Width, std::min(value, MaxWidth)); }

void TSinshKernel::SetCoeff(float value) {
  if (value != 0) SetFloat(Coeff, value);
}

void TSinshKernel::ListPublishedProperties(std::vector<TPropInfo>& list) const {
  list.push_back(imaging::Published<&TSinshKernel::GetWidth, &TSinshKernel::SetWidth>("Width"));
  list.push_back(imaging::Published<&TSinshKernel::GetCoeff, &TSinshKernel::SetCoeff>("Coeff"));
}

// --- Windowed sinc kernels

float TWindowedSincKernel::Filter(float value) const {
  const float x = std::fabs(value);
  if (x >= Width) return 0;
  return Narrow(Window(x) * Sinc(x));
}

void TWindowedSincKernel::SetWidth(float value) {
  value = std::min(value, MaxWidth);
  if (!std::isfinite(value) || value == Width) return;
  Width = value;
  InvWidth = 1 / value;
  Changed();
}

double TWindowedSincKernel::WindowCosine(float value) const { return std::cos(pi * value * InvWidth); }

void TWindowedSincKernel::ListPublishedProperties(std::vector<TPropInfo>& list) const {
  list.push_back(imaging::Published<&TWindowedSincKernel::GetWidth, &TWindowedSincKernel::SetWidth>("Width"));
}

float TAlbrechtKernel::Window(float value) const {
  const double c = WindowCosine(value);
  const double* coeffs = AlbrechtCoeffs[Terms - 2];
  double result = coeffs[Terms - 1];
  for (int k = Terms - 2; k >= 0; --k) result = result * c + coeffs[k];
  return Narrow(result);
}

void TAlbrechtKernel::SetTerms(std::int32_t value) {
  value = std::clamp(value, 2, 11);
  if (value == Terms) return;
  Terms = value;
  Changed();
}

void TAlbrechtKernel::ListPublishedProperties(std::vector<TPropInfo>& list) const {
  TWindowedSincKernel::ListPublishedProperties(list);
  list.push_back(imaging::Published<&TAlbrechtKernel::GetTerms, &TAlbrechtKernel::SetTerms>("Terms"));
}

float TLanczosKernel::Window(float value) const { return Narrow(Sinc(value * InvWidth)); }

float TGaussianKernel::Window(float value) const {
  return Narrow(std::exp(double{value} * value * (-std::numbers::ln2 / Sigma)));
}

void TGaussianKernel::SetSigma(float value) {
  if (value != 0) SetFloat(Sigma, value);
}

void TGaussianKernel::ListPublishedProperties(std::vector<TPropInfo>& list) const {
  TWindowedSincKernel::ListPublishedProperties(list);
  list.push_back(imaging::Published<&TGaussianKernel::GetSigma, &TGaussianKernel::SetSigma>("Sigma"));
}

float TBlackmanKernel::Window(float value) const {
  const double c = WindowCosine(value);
  return Narrow(0.16 * c * c + 0.5 * c + 0.34);
}

float THannKernel::Window(float value) const { return Narrow(0.5 * WindowCosine(value) + 0.5); }

float THammingKernel::Window(float value) const { return Narrow(0.46 * WindowCosine(value) + 0.54); }

// --- Class list

TClassList<TKernelClassRef>& imaging::KernelList() {
  static TClassList<TKernelClassRef> list;
  return list;
}
