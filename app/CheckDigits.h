#pragma once
// Check digits of the numbering systems the utilities tab completes: EAN-13,
// EAN-8, UPC-A, EAN-14, SSCC and ISBN-10 with its EAN-13 form. Each routine
// takes a number and returns it followed by its check digit, or an empty
// text when it is not a number of the system's length: a text holding
// anything but the digits 0 to 9 has no check digit.

#include <string>
#include <string_view>

// Sums of the digits at even and at odd positions (from 1, left to right);
// a byte that is not a digit counts 0.
void pgloretsommechiffrepair(std::string_view text, int& evenSum, int& oddSum);
// The smallest multiple of 10 not below n.
int fglodizainesuperieure(int n);

std::string pglocleean13(std::string_view text);    // 12 digits
std::string pglocleean8(std::string_view text);     // 7 digits
std::string pglocleupca(std::string_view text);     // 11 digits
std::string pglocleean14(std::string_view text);    // 13 digits
std::string pglocleesscc(std::string_view text);    // 17 digits
std::string pglocleponderee31(std::string_view text);  // any number of digits
std::string pglocleisbn10(std::string_view text);   // 9 digits; the check may be "X"

// What the ISBN button fills: the ISBN-10 and the EAN-13 of "978" followed
// by the input. Both are empty when the input is not 9 digits, so a wrong
// input never yields a barcode number.
struct TIsbnNumbers {
  std::string Isbn10;
  std::string Ean13;
};
TIsbnNumbers IsbnNumbers(std::string_view text);
