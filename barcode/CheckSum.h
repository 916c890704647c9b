#pragma once
// Check digits shared by the encoders and the check-digit calculators.

#include <string>
#include <string_view>

#include "barcode/BarcodeTypes.h"

namespace barcode {

// The text followed by its modulo-10 check digit: from the right, digits are
// weighted 3, 1, 3, ...; the digit completes the sum to a multiple of 10.
// A character that is not a digit raises the integer parser's error.
std::string AppendMod10CheckDigit(std::string_view text);

// csmNone: the text unchanged; csmModulo10: AppendMod10CheckDigit.
std::string ApplyCheckSumMethod(TCheckSumMethod method, std::string_view text);

}  // namespace barcode
