#pragma once
// EAN and UPC values on a label either leave the check digit out or carry
// it. Left out, the barcode computes it; carried, it must be the right one:
// a label never prints a symbol whose check digit is wrong. The panel tells
// the user the same verdict on the same value.

class TVmBarcode;

namespace app {

// For EAN-8, EAN-13 and UPC-A with an all-digit value: Checksum on when the
// value lacks only its check digit, off otherwise (the value, padded with
// zeros, carries it). Returns false, leaving Checksum alone, when the
// value's check digit is wrong. Other symbologies compute or check their own
// digits and are left alone, as are values the encoder will refuse anyway.
bool ApplyCheckDigitRule(TVmBarcode& barcode);

}  // namespace app
