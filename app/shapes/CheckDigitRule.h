#pragma once
// EAN and UPC values on a label either leave the check digit out or carry
// it. Left out, the barcode computes it; carried, it must be the right one:
// a label never prints a symbol whose check digit is wrong.

class TVmBarcode;

namespace app {

// For EAN-8, EAN-13 and UPC-A with an all-digit value: Checksum on when the
// value is shorter than the symbol's digits, off when it has them all.
// Returns false, leaving Checksum alone, when a complete value ends in a
// wrong check digit. Other symbologies compute or check their own digits
// and are left alone, as are values the encoder will refuse anyway.
bool ApplyCheckDigitRule(TVmBarcode& barcode);

}  // namespace app
