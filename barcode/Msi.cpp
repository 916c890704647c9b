// MSI: four bits per digit and a modulo-10 check digit.

#include "barcode/Barcode.h"
#include "barcode/ModuleText.h"

using barcode::DigitValue;

namespace {

// Bit 1 is a wide bar and a narrow space, bit 0 a narrow bar and a wide space.
std::string MsiPattern(int digit) {
  std::string modules;
  for (int bit = 3; bit >= 0; --bit) modules += (digit >> bit) & 1 ? "60" : "51";
  return modules;
}

}  // namespace

// The check digit doubles the number formed by the digits at odd positions
// from the right and adds the digit sum of the product to the other digits.
// Doubling a decimal number never carries twice into one digit, so the digit
// sum of the product is the sum of the digit sums of each doubled digit: the
// same check digit, for texts of any length.
std::string TVmBarcode::Code_MSI() const {
  std::string modules = "60";
  int total = 0;
  for (std::size_t i = 0; i < FText.size(); ++i) {
    const int digit = DigitValue(FText[i]);
    modules += MsiPattern(digit);
    const bool oddFromRight = (FText.size() - i) % 2 == 1;
    total = (total + (oddFromRight ? DigitSum(2 * digit) : digit)) % 10;
  }
  modules += MsiPattern((10 - total) % 10);
  return modules += "515";
}
