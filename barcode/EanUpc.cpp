// EAN-8, EAN-13, UPC-A, UPC-E and the 2- and 5-digit add-ons.

#include <algorithm>
#include <array>
#include <string_view>

#include "barcode/Barcode.h"
#include "barcode/CheckSum.h"
#include "barcode/ModuleText.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

using barcode::DigitValue;

namespace {

// Element widths of each digit in number set A (space first); set C has the
// same widths bar first, and set B is set C reversed.
constexpr std::array<std::string_view, 10> DigitWidths = {"3211", "2221", "2122", "1411", "1132",
                                                          "1231", "1114", "1312", "1213", "3112"};

// Number sets of the first EAN-13 digit's six left-hand digits.
constexpr std::array<std::string_view, 10> Ean13Parity = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                                          "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};

// UPC-E parity of number system 0 by check digit ("E" even, "o" odd);
// characters 2 to 6 of a row are the parity of the 5-digit add-on.
constexpr std::array<std::string_view, 10> UpcEParity = {"EEEooo", "EEoEoo", "EEooEo", "EEoooE", "EoEEoo",
                                                         "EooEEo", "EoooEE", "EoEoEo", "EoEooE", "EooEoE"};

// Parity of the 2-digit add-on by its value modulo 4.
constexpr std::array<std::string_view, 4> Supp2Parity = {"oo", "oE", "Eo", "EE"};

constexpr std::string_view NormalGuard = "505";
constexpr std::string_view CentreGuard = "05050";
constexpr std::string_view UpcEEndGuard = "050505";
constexpr std::string_view AddOnStart = "506";
constexpr std::string_view AddOnDelineator = "05";

std::string NumberSetC(char digit) { return TVmBarcode::WidthsToModules(DigitWidths[DigitValue(digit)]); }

std::string NumberSetA(char digit) {
  std::string modules = NumberSetC(digit);
  for (char& module : modules) module = static_cast<char>(module >= barcode::NarrowBar ? module - 5 : module + 5);
  return modules;
}

std::string NumberSetB(char digit) {
  std::string modules = NumberSetC(digit);
  std::reverse(modules.begin(), modules.end());
  return modules;
}

// Even parity ("B", "E") is number set B, odd parity ("A", "o") set A.
std::string ParityDigit(char digit, char parity) {
  return parity == 'B' || parity == 'E' ? NumberSetB(digit) : NumberSetA(digit);
}

std::string ParityDigits(std::string_view digits, std::string_view parity) {
  std::string modules;
  for (std::size_t i = 0; i < parity.size(); ++i) modules += ParityDigit(digits[i], parity[i]);
  return modules;
}

// Guards, the left-hand digits in the given parities, the centre guard and
// the remaining digits in number set C.
std::string EanSymbol(std::string_view digits, std::string_view leftParity) {
  std::string modules(NormalGuard);
  modules += ParityDigits(digits, leftParity);
  modules += CentreGuard;
  for (const char digit : digits.substr(leftParity.size())) modules += NumberSetC(digit);
  return modules += NormalGuard;
}

// An add-on: its start, then the digits in the given parities, delineated.
std::string AddOnSymbol(std::string_view digits, std::string_view parity) {
  std::string modules(AddOnStart);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0) modules += AddOnDelineator;
    modules += ParityDigit(digits[i], parity[i]);
  }
  return modules;
}

// Number system 1 takes the opposite parities of number system 0.
std::string UpcEParityOf(char check, char numberSystem) {
  std::string parity(UpcEParity[DigitValue(check)]);
  if (numberSystem == '1')
    for (char& letter : parity) letter = letter == 'E' ? 'o' : 'E';
  return parity;
}

// Where the six UPC-E digits "a" to "f" and the suppressed zeros stand in the
// UPC-A number, by the sixth digit.
constexpr std::array<std::string_view, 10> UpcEExpansion = {
    "abf0000cde", "abf0000cde", "abf0000cde", "abc00000de", "abcd00000e",
    "abcde0000f", "abcde0000f", "abcde0000f", "abcde0000f", "abcde0000f",
};

// The UPC-A number a UPC-E symbol stands for, without its check digit.
std::string ExpandUpcE(char numberSystem, std::string_view digits) {
  std::string number(1, numberSystem);
  for (const char place : UpcEExpansion[DigitValue(digits[5])]) number += place == '0' ? '0' : digits[place - 'a'];
  return number;
}

// Check digit of an add-on: from the right, digits weighted 3, 9, 3, ...
char SupplementCheckDigit(std::string_view digits) {
  int sum = 0;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const bool weightThree = (digits.size() - i) % 2 == 1;
    sum += DigitValue(digits[i]) * (weightThree ? 3 : 9);
  }
  return static_cast<char>('0' + sum % 10);
}

[[noreturn]] void RaiseInvalidTextLen(const std::string& caption) {
  throw EAssertionFailed(rtl::Format("Invalid Text len (%s)", caption));
}

[[noreturn]] void RaiseInvalidCheckDigit(const std::string& caption) {
  throw Exception(rtl::Format("Invalid check digit (%s)", caption));
}

}  // namespace

// With Checksum the text holds the data digits and the check digit is added;
// a text that already has all the digits is refused rather than cut.
std::string TVmBarcode::EanDigits(std::size_t count) const {
  const std::string digits = FChecksum ? ApplyCheckSumMethod(PadLeftZeros(count - 1)) : PadLeftZeros(count);
  if (digits.size() != count) RaiseInvalidTextLen(GetTypeCaption());
  return digits;
}

std::string TVmBarcode::Code_EAN8() const { return EanSymbol(EanDigits(Ean8Digits), "AAAA"); }

// The first digit is carried by the parities of the next six.
std::string TVmBarcode::Code_EAN13() const {
  const std::string digits = EanDigits(Ean13Digits);
  return EanSymbol(std::string_view(digits).substr(1), Ean13Parity[DigitValue(digits[0])]);
}

// Text ends up with twelve digits. With a computed check digit, up to eleven
// digits are the number and a twelfth is the place of the check digit.
std::string TVmBarcode::Code_UPC_A() {
  if (FText.size() > 12) RaiseInvalidTextLen(GetTypeCaption());
  if (ComputesCheckDigit())
    StoreText(barcode::AppendMod10CheckDigit(FText.size() == 12 ? FText.substr(0, 11) : PadLeftZeros(11)));
  else
    StoreText(PadLeftZeros(12));
  return EanSymbol(FText, "AAAAAA");
}

// Text holds the six UPC-E digits, optionally followed by the check digit,
// optionally preceded by the number system of the type (0 for UPC-E0, 1 for
// UPC-E1). The check digit is that of the UPC-A expansion and is carried by
// the parity of the six digits.
std::string TVmBarcode::Code_UPC_E() {
  const char numberSystem = FTyp == bcCodeUPC_E0 ? '0' : '1';
  if (FText.size() > 8) RaiseInvalidTextLen(GetTypeCaption());
  const bool withNumberSystem = FText.size() == 8;
  if (withNumberSystem && FText[0] != numberSystem)
    throw Exception(rtl::Format("Invalid number system (%s)", GetTypeCaption()));
  const bool withCheck = FText.size() >= 7;
  const std::string digits = withCheck ? FText.substr(withNumberSystem ? 1 : 0, 6) : PadLeftZeros(6);
  const char check = barcode::AppendMod10CheckDigit(ExpandUpcE(numberSystem, digits)).back();
  if (ComputesCheckDigit())
    StoreText((withNumberSystem ? std::string(1, numberSystem) : std::string()) + digits + check);
  else if (withCheck && FText.back() != check)
    RaiseInvalidCheckDigit(GetTypeCaption());
  else if (!withCheck)
    StoreText(digits);
  std::string modules(NormalGuard);
  modules += ParityDigits(digits, UpcEParityOf(check, numberSystem));
  return modules += UpcEEndGuard;
}

// Text holds the five digits, optionally followed by the check digit that
// the parity carries; Checksum writes that digit into Text.
std::string TVmBarcode::Code_Supp5() {
  if (FText.size() > 6) RaiseInvalidTextLen(GetTypeCaption());
  const bool withCheck = FText.size() == 6;
  const std::string digits = withCheck ? FText.substr(0, 5) : PadLeftZeros(5);
  const char check = SupplementCheckDigit(digits);
  if (FChecksum)
    StoreText(digits + check);
  else if (withCheck && FText.back() != check)
    RaiseInvalidCheckDigit(GetTypeCaption());
  else if (!withCheck)
    StoreText(digits);
  return AddOnSymbol(digits, UpcEParity[DigitValue(check)].substr(1));
}

// The 2-digit add-on has no check digit: its parity comes from its value.
std::string TVmBarcode::Code_Supp2() {
  if (FText.size() > 2) RaiseInvalidTextLen(GetTypeCaption());
  StoreText(PadLeftZeros(2));
  return AddOnSymbol(FText, Supp2Parity[(DigitValue(FText[0]) * 10 + DigitValue(FText[1])) % 4]);
}
