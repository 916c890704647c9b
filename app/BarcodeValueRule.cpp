#include "app/BarcodeValueRule.h"

#include <algorithm>
#include <array>

#include "app/CheckDigits.h"
#include "platform/rtl/Strings.h"

namespace {

// Code 93 and Codabar are not here: their encoders take letters and signs,
// which would otherwise be lost for "0".
constexpr std::array<TBarcodeType, 12> DigitsOnlyTypes = {
    bcCode_2_5_interleaved, bcCode_2_5_industrial, bcCode_2_5_matrix, bcCodeMSI,
    bcCodePostNet,          bcCodeEAN8,            bcCodeEAN13,       bcCodeUPC_A,
    bcCodeUPC_E0,           bcCodeUPC_E1,          bcCodeUPC_Supp2,   bcCodeUPC_Supp5,
};

struct TEanLength {
  TBarcodeType Typ;
  std::size_t Digits;  // check digit included
  std::string (*Complete)(std::string_view);
};

constexpr std::array<TEanLength, 3> EanLengths = {{
    {bcCodeEAN8, 8, pglocleean8},
    {bcCodeEAN13, 13, pglocleean13},
    {bcCodeUPC_A, 12, pglocleupca},
}};

const TEanLength* FindEanLength(TBarcodeType typ) {
  const auto it = std::find_if(EanLengths.begin(), EanLengths.end(), [typ](const auto& e) { return e.Typ == typ; });
  return it == EanLengths.end() ? nullptr : &*it;
}

bool IsDigitsOnly(TBarcodeType typ) {
  return std::find(DigitsOnlyTypes.begin(), DigitsOnlyTypes.end(), typ) != DigitsOnlyTypes.end();
}

TBarcodeValue CheckEanDigits(const TEanLength& ean, std::string_view text) {
  const std::string digits = rtl::Trim(text);
  if (digits.size() + 1 == ean.Digits) return {TBarcodeValueVerdict::CheckDigitAdded, ean.Complete(digits), {}};
  const std::string printed = std::string(ean.Digits - std::min(digits.size(), ean.Digits), '0') + digits;
  const std::string corrected = ean.Complete(std::string_view(printed).substr(0, ean.Digits - 1));
  if (corrected == printed) return {TBarcodeValueVerdict::Accepted, std::string(text), {}};
  return {TBarcodeValueVerdict::WrongCheckDigit, std::string(text), corrected};
}

}  // namespace

bool fglotextechiffres(std::string_view text) {
  const std::string trimmed = rtl::Trim(text);
  return std::all_of(trimmed.begin(), trimmed.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool fglotextecodebarrevalide(TBarcodeType typ, std::string_view text) {
  if (text.empty()) return true;
  if (IsDigitsOnly(typ) && !fglotextechiffres(text)) return false;
  const TEanLength* ean = FindEanLength(typ);
  return ean == nullptr || rtl::Trim(text).size() <= ean->Digits;
}

TBarcodeValue CheckBarcodeValue(TBarcodeType typ, std::string_view text) {
  if (!fglotextecodebarrevalide(typ, text)) return {TBarcodeValueVerdict::Refused, "0", {}};
  return CheckEanCheckDigit(typ, text).value_or(TBarcodeValue{TBarcodeValueVerdict::Accepted, std::string(text), {}});
}

std::optional<TBarcodeValue> CheckEanCheckDigit(TBarcodeType typ, std::string_view text) {
  const TEanLength* ean = FindEanLength(typ);
  if (!ean || !fglotextechiffres(text) || rtl::Trim(text).size() > ean->Digits) return std::nullopt;
  return CheckEanDigits(*ean, text);
}
