#include "barcode/Barcode.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "barcode/CheckSum.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"

namespace {

constexpr double DefaultRatio = 2.0;
// Keeps the widest module (twice the wide one) and the total width of any
// symbol a device could show far inside the int range.
constexpr double MaxWideModule = std::numeric_limits<int>::max() / 4.0;

struct TRatioRange {
  double Low;
  double High;
};

// Symbologies drawn as narrow and wide elements keep their ratio in a range;
// the others take any ratio that gives positive widths.
std::optional<TRatioRange> ClampedRatioRange(TBarcodeType typ) {
  switch (typ) {
    case bcCode_2_5_interleaved:
    case bcCode_2_5_industrial:
    case bcCode39:
    case bcCode39Extended:
    case bcCodeCodabar:
    case bcCodeEAN8:
    case bcCodeEAN13:
    case bcCodeUPC_A:
    case bcCodeUPC_E0:
    case bcCodeUPC_E1:
    case bcCodeUPC_Supp2:
    case bcCodeUPC_Supp5:
      return TRatioRange{2.0, 3.0};
    case bcCode_2_5_matrix:
      return TRatioRange{2.25, 3.0};
    default:
      return std::nullopt;
  }
}

double SoundRatio(TBarcodeType typ, double ratio) {
  if (const auto range = ClampedRatioRange(typ)) {
    if (!(ratio >= range->Low)) return range->Low;  // NaN counts as too low
    return std::min(ratio, range->High);
  }
  // Zero, negative or non-finite ratios would give empty or absurd modules.
  return std::isfinite(ratio) && ratio > 0.0 ? ratio : DefaultRatio;
}

bool IsValidModul(std::int64_t value) { return value >= TVmBarcode::MinModul && value <= TVmBarcode::MaxModul; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

TVmBarcode::TVmBarcode(TComponent* owner) : TComponent(owner) { ComputeModuleWidths(); }

void TVmBarcode::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TVmBarcode*>(source);
  if (other == nullptr) {
    TComponent::Assign(source);
    return;
  }
  FHeight = other->FHeight;
  FText = other->FText;
  FTop = other->FTop;
  FLeft = other->FLeft;
  FModul = other->FModul;
  FRatio = other->FRatio;
  FTyp = other->FTyp;
  FChecksum = other->FChecksum;
  FShowText = other->FShowText;
  FShowTextPosition = other->FShowTextPosition;
  FAngle = other->FAngle;
  Color = other->Color;
  ColorBar = other->ColorBar;
  CheckSumMethod = other->CheckSumMethod;
  OnChange = other->OnChange;
}

void TVmBarcode::DoChange() {
  if (OnChange) OnChange(this);
}

template <class T>
void TVmBarcode::Store(T& field, const T& value) {
  if (field == value) return;
  field = value;
  DoChange();
}

void TVmBarcode::SetHeight(int value) { Store(FHeight, value); }
void TVmBarcode::SetText(const std::string& value) { Store(FText, value); }
void TVmBarcode::SetTop(int value) { Store(FTop, value); }
void TVmBarcode::SetLeft(int value) { Store(FLeft, value); }
void TVmBarcode::SetRatio(double value) { Store(FRatio, value); }
void TVmBarcode::SetTyp(TBarcodeType value) { Store(FTyp, value); }
void TVmBarcode::SetChecksum(bool value) { Store(FChecksum, value); }
void TVmBarcode::SetShowText(TBarcodeOption value) { Store(FShowText, value); }
void TVmBarcode::SetAngle(double value) { Store(FAngle, value); }
void TVmBarcode::SetShowTextPosition(TShowTextPosition value) { Store(FShowTextPosition, value); }

void TVmBarcode::SetModul(int value) {
  if (!IsValidModul(value)) return;
  FModul = value;
  DoChange();
}

void TVmBarcode::SetShowTextFont(const TFont& font) {
  FShowTextFont.Assign(&font);
  DoChange();
}

int TVmBarcode::GetWidth() {
  const std::string modules = EncodeModules();
  std::int64_t width = 0;
  for (const char module : modules) {
    width += GetModuleInfo(module).Width;
    if (width > std::numeric_limits<int>::max()) RaiseTooWide();
  }
  return static_cast<int>(width);
}

void TVmBarcode::SetWidth(int width) {
  const int current = GetWidth();
  if (current <= 0) return;
  const std::int64_t modul = std::int64_t{FModul} * width / current;
  if (IsValidModul(modul)) SetModul(static_cast<int>(modul));
}

std::string TVmBarcode::GetTypeCaption() const {
  CheckType();
  return BCdata[FTyp].Name;
}

void TVmBarcode::CheckType() const {
  if (FTyp >= BarcodeTypeCount) RaiseWrongType();
}

void TVmBarcode::RaiseWrongType() const { throw Exception(rtl::Format("%s: wrong BarcodeType", ClassName())); }

void TVmBarcode::ComputeModuleWidths() {
  const double ratio = SoundRatio(FTyp, FRatio);
  if (!(ratio == FRatio)) SetRatio(ratio);
  const double wide = FModul * ratio;
  if (wide > MaxWideModule) RaiseTooWide();
  FModuleWidths[0] = FModul;
  FModuleWidths[1] = std::max(1, rtl::Round(wide));
  FModuleWidths[2] = FModuleWidths[1] * 3 / 2;
  FModuleWidths[3] = FModuleWidths[1] * 2;
}

TModuleInfo TVmBarcode::GetModuleInfo(char module) const {
  struct TModuleGroup {
    char First;
    TBarLineType Kind;
  };
  static constexpr TModuleGroup Groups[] = {{'0', blSpace}, {'5', blBar}, {'A', blShortBar}};
  for (const TModuleGroup& group : Groups) {
    const int index = module - group.First;
    if (index >= 0 && index < static_cast<int>(FModuleWidths.size())) return {FModuleWidths[index], group.Kind};
  }
  throw Exception(rtl::Format("%s: internal Error", ClassName()));
}

std::string TVmBarcode::ApplyCheckSumMethod(std::string_view text) const {
  return barcode::ApplyCheckSumMethod(CheckSumMethod, text);
}

std::string TVmBarcode::PadLeftZeros(std::size_t n) const {
  if (FText.size() >= n) return FText;
  return std::string(n - FText.size(), '0') + FText;
}

std::string TVmBarcode::WidthsToModules(std::string_view widths) {
  std::string modules(widths);
  for (std::size_t i = 0; i < modules.size(); ++i) {
    const bool bar = i % 2 == 0;
    modules[i] = static_cast<char>(modules[i] - 1 + (bar ? 5 : 0));
  }
  return modules;
}

int TVmBarcode::DigitSum(int n) {
  int sum = 0;
  for (; n > 0; n /= 10) sum += n % 10;
  return sum;
}

void TVmBarcode::CheckDigitsOnly() const {
  const bool takesFnc1 = FTyp == bcCode128C || FTyp == bcCodeEAN128C;
  for (const char c : FText)
    if (!IsDigit(c) && !(takesFnc1 && c == FNC1Marker)) throw Exception("Numeric/Numerique");
}

void TVmBarcode::RaiseBadData() const {
  throw Exception(rtl::Format("%s:%s bad Data <%s>", ClassName(), GetTypeCaption(), FText));
}

void TVmBarcode::RaiseTooWide() const { throw Exception(rtl::Format("%s: barcode too wide", ClassName())); }

std::string TVmBarcode::EncodeModules() {
  ComputeModuleWidths();
  CheckType();
  if (BCdata[FTyp].Num) {
    StoreText(rtl::Trim(FText));
    CheckDigitsOnly();
  }
  switch (FTyp) {
    case bcCode_2_5_interleaved: return Code_2_5_interleaved();
    case bcCode_2_5_industrial: return Code_2_5_industrial();
    case bcCode_2_5_matrix: return Code_2_5_matrix();
    case bcCode39: return Code_39();
    case bcCode39Extended: return Code_39Extended();
    case bcCode128A:
    case bcCode128B:
    case bcCode128C:
    case bcCodeEAN128A:
    case bcCodeEAN128B:
    case bcCodeEAN128C: return Code_128();
    case bcCode93: return Code_93();
    case bcCode93Extended: return Code_93Extended();
    case bcCodeMSI: return Code_MSI();
    case bcCodePostNet: return Code_PostNet();
    case bcCodeCodabar: return Code_Codabar();
    case bcCodeEAN8: return Code_EAN8();
    case bcCodeEAN13: return Code_EAN13();
    case bcCodeUPC_A: return Code_UPC_A();
    case bcCodeUPC_E0:
    case bcCodeUPC_E1: return Code_UPC_E();
    case bcCodeUPC_Supp2: return Code_Supp2();
    case bcCodeUPC_Supp5: return Code_Supp5();
  }
  RaiseWrongType();
}
