#pragma once
// The rule a barcode value typed in the property panel must pass before it
// reaches the barcode component, and the check-digit verdict for the EAN and
// UPC symbologies whose encoder prints whatever last digit it is given.

#include <optional>
#include <string>
#include <string_view>

#include "barcode/BarcodeTypes.h"

// True when every character, after removing leading and trailing spaces and
// control characters, is a decimal digit; True for an empty text.
bool fglotextechiffres(std::string_view text);

// The panel's rule for a typed value of the symbology typ: digits for the
// numeric symbologies, at most 8, 13 and 12 of them for EAN-8, EAN-13 and
// UPC-A; any text for the others (Code 93 and Codabar hold letters too).
// An empty text is valid for every type. A value the rule passes may still
// be one the encoder refuses: the barcode then says so where it is drawn.
bool fglotextecodebarrevalide(TBarcodeType typ, std::string_view text);

enum class TBarcodeValueVerdict {
  Accepted,          // Value is the text as typed
  CheckDigitAdded,   // the text lacked only its check digit; Value has it
  WrongCheckDigit,   // Value is the text as typed, Corrected the number with its check digit
  Refused,           // the symbology cannot encode the text; Value is "0"
};

struct TBarcodeValue {
  TBarcodeValueVerdict Verdict;
  std::string Value;
  std::string Corrected;
};

// What the panel gives the barcode for a typed text. Every verdict but
// Accepted is something the user should be told.
TBarcodeValue CheckBarcodeValue(TBarcodeType typ, std::string_view text);

// The check digit of an EAN-8, EAN-13 or UPC-A value of at most 8, 13 and 12
// digits (spaces and control characters around them aside), as the panel
// reports it and the label draws and prints it. The digits are printed
// left-padded with zeros to 8, 13 and 12; one digit short means the check
// digit is missing and it is appended, otherwise the last printed digit must
// be the check digit. Nothing for other symbologies and for values the
// encoder refuses anyway.
std::optional<TBarcodeValue> CheckEanCheckDigit(TBarcodeType typ, std::string_view text);
