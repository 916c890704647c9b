#pragma once
// Check digits of the numbering systems the utilities tab completes: EAN-13,
// EAN-8, UPC-A, EAN-14, SSCC and ISBN-10 with its EAN-13 form. Each routine
// takes UTF-8 text and returns it followed by its check digit, or an empty
// text when its length in characters is not the system's. A character that
// is not a digit, an accented letter as well, counts as 0 and stays in the
// result as typed.

#include <string>
#include <string_view>

// Sums of the digits at even and at odd character positions (from 1, left
// to right).
void pgloretsommechiffrepair(std::string_view text, int& evenSum, int& oddSum);
// The smallest multiple of 10 not below n.
int fglodizainesuperieure(int n);

std::string pglocleean13(std::string_view text);    // 12 characters
std::string pglocleean8(std::string_view text);     // 7 characters
std::string pglocleupca(std::string_view text);     // 11 characters
std::string pglocleean14(std::string_view text);    // 13 characters
std::string pglocleesscc(std::string_view text);    // 17 characters
std::string pglocleponderee31(std::string_view text);  // any length
std::string pglocleisbn10(std::string_view text);   // 9 characters; the check may be "X"

// What the ISBN button fills: the ISBN-10 and the EAN-13 of "978" followed
// by the input. Both are empty when the input is not 9 characters long, so
// a wrong input never yields a barcode number.
struct TIsbnNumbers {
  std::string Isbn10;
  std::string Ean13;
};
TIsbnNumbers IsbnNumbers(std::string_view text);
