#include "app/shapes/CheckDigitRule.h"

#include <algorithm>
#include <string>

#include "barcode/Barcode.h"
#include "barcode/CheckSum.h"
#include "platform/rtl/Strings.h"

namespace app {
namespace {

// Digits of the complete symbol, check digit included; 0 for the types
// this rule does not cover.
std::size_t SymbolDigits(TBarcodeType typ) {
  switch (typ) {
    case bcCodeEAN8: return 8;
    case bcCodeEAN13: return 13;
    case bcCodeUPC_A: return 12;
    default: return 0;
  }
}

bool AllDigits(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool ApplyCheckDigitRule(TVmBarcode& barcode) {
  const std::size_t digits = SymbolDigits(barcode.GetTyp());
  const std::string value = rtl::Trim(barcode.GetText());
  if (digits == 0 || !AllDigits(value)) return true;
  if (value.size() == digits && barcode::AppendMod10CheckDigit(value.substr(0, digits - 1)) != value) return false;
  barcode.SetChecksum(value.size() < digits);
  return true;
}

}  // namespace app
