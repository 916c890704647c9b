// The 2 of 5 family: interleaved, industrial and matrix.

#include <array>
#include <string_view>

#include "barcode/Barcode.h"
#include "barcode/ModuleText.h"

using barcode::BarModule;
using barcode::DigitValue;
using barcode::SpaceModule;

namespace {

// Five narrow/wide flags per digit ("1" wide).
constexpr std::array<std::string_view, 10> TwoOfFiveFlags = {"00110", "10001", "01001", "11000", "00101",
                                                             "10100", "01100", "00011", "10010", "01010"};

bool IsWide(char digit, int element) { return TwoOfFiveFlags[DigitValue(digit)][element] == '1'; }

}  // namespace

// Digits go in pairs, the first in the bars and the second in the spaces; an
// odd count gets a leading "0", which Text keeps, so no digit is dropped.
std::string TVmBarcode::Code_2_5_interleaved() {
  if (FText.size() % 2 == 1) StoreText("0" + FText);
  std::string modules = "5050";
  for (std::size_t i = 0; i + 1 < FText.size(); i += 2) {
    for (int element = 0; element < 5; ++element) {
      modules += BarModule(IsWide(FText[i], element));
      modules += SpaceModule(IsWide(FText[i + 1], element));
    }
  }
  return modules += "605";
}

// Every element is a bar followed by a narrow space.
std::string TVmBarcode::Code_2_5_industrial() const {
  std::string modules = "606050";
  for (const char digit : FText)
    for (int element = 0; element < 5; ++element) {
      modules += BarModule(IsWide(digit, element));
      modules += barcode::NarrowSpace;
    }
  return modules += "605060";
}

// Three bars and two spaces per digit, then a narrow gap.
std::string TVmBarcode::Code_2_5_matrix() const {
  std::string modules = "705050";
  for (const char digit : FText) {
    modules += barcode::NarrowWideToModules(TwoOfFiveFlags[DigitValue(digit)]);
    modules += barcode::NarrowSpace;
  }
  return modules += "70505";
}
