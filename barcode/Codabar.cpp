// Codabar, always started with A and stopped with B.

#include <array>
#include <string_view>

#include "barcode/Barcode.h"
#include "barcode/ModuleText.h"

namespace {

constexpr std::string_view CodabarCharacters = "1234567890-$:/.+ABCD";

// Seven elements from a bar, "1" wide, in the order of CodabarCharacters.
constexpr std::array<std::string_view, 20> CodabarFlags = {
    "0000110", "0001001", "1100000", "0010010", "1000010", "0100001", "0100100", "0110000", "1001000", "0000011",
    "0001100", "0011000", "1000101", "1010001", "1010100", "0010101", "0011010", "0101001", "0001011", "0001110",
};

// A to D start and stop the symbol; inside the data a scanner would end on them.
constexpr std::size_t FirstStartStop = 16;

int FindCodabarIndex(char c) {
  const std::size_t index = CodabarCharacters.find(c);
  return index == std::string_view::npos ? -1 : static_cast<int>(index);
}

std::string CodabarPattern(char c) { return barcode::NarrowWideToModules(CodabarFlags[FindCodabarIndex(c)]); }

}  // namespace

std::string TVmBarcode::Code_Codabar() const {
  std::string modules = CodabarPattern('A') + barcode::NarrowSpace;
  for (const char c : FText) {
    const int index = FindCodabarIndex(c);
    if (index < 0 || static_cast<std::size_t>(index) >= FirstStartStop) RaiseBadData();
    modules += CodabarPattern(c) + barcode::NarrowSpace;
  }
  return modules += CodabarPattern('B');
}
