#include "app/shapes/CheckDigitRule.h"

#include "app/BarcodeValueRule.h"
#include "barcode/Barcode.h"

namespace app {

bool ApplyCheckDigitRule(TVmBarcode& barcode) {
  const std::optional<TBarcodeValue> value = CheckEanCheckDigit(barcode.GetTyp(), barcode.GetText());
  if (!value) return true;
  if (value->Verdict == TBarcodeValueVerdict::WrongCheckDigit) return false;
  barcode.SetChecksum(value->Verdict == TBarcodeValueVerdict::CheckDigitAdded);
  return true;
}

}  // namespace app
