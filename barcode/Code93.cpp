// Code 93 and its full-ASCII form, with the two check characters C and K.

#include <array>
#include <cstdint>
#include <string_view>

#include "barcode/Barcode.h"
#include "barcode/FullAscii.h"

namespace {

// Characters in value order; "[", "]", "{" and "}" stand for the shifts
// ($), (%), (/) and (+).
constexpr std::string_view Code93Characters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%[]{}";

// Element widths (bar first) by value.
constexpr std::array<std::string_view, 47> Code93Widths = {
    "131112", "111213", "111312", "111411", "121113", "121212", "121311", "111114", "131211", "141111",  //  0
    "211113", "211212", "211311", "221112", "221211", "231111", "112113", "112212", "112311", "122112",  // 10
    "132111", "111123", "111222", "111321", "121122", "131121", "212112", "212211", "211122", "211221",  // 20
    "221121", "222111", "112122", "112221", "122121", "123111", "121131", "311112", "311211", "321111",  // 30
    "112131", "113121", "211131", "121221", "312111", "311121", "122211",                                // 40
};
// The shifts stand for other characters only inside the full-ASCII expansion.
constexpr std::string_view Code93Shifts = "[]{}";
constexpr std::string_view Code93Start = "111141";
constexpr std::string_view Code93Stop = "1111411";  // stop character with its termination bar

constexpr int Code93CheckModulus = 47;
constexpr int MaxWeightC = 20;
constexpr int MaxWeightK = 15;

int FindCode93Index(char c) {
  const std::size_t index = Code93Characters.find(c);
  return index == std::string_view::npos ? -1 : static_cast<int>(index);
}

}  // namespace

std::string TVmBarcode::Code_93() const {
  if (FText.find_first_of(Code93Shifts) != std::string::npos) RaiseBadData();
  return Code93Modules(FText);
}

std::string TVmBarcode::Code_93Extended() const {
  const auto expanded = barcode::ExpandFullAscii(FText, barcode::TFullAsciiShifts::Code93);
  if (!expanded) RaiseBadData();
  return Code93Modules(*expanded);
}

std::string TVmBarcode::Code93Modules(std::string_view data) const {
  std::string widths(Code93Start);
  for (const char c : data) {
    const int value = FindCode93Index(c);
    if (value < 0) RaiseBadData();  // "<class>:Code93 bad Data <text>"
    widths += Code93Widths[value];
  }
  // Weights count from the right end and wrap; the sums are reduced as they go.
  int sumC = 0;
  int sumK = 0;
  int weightC = 1;
  int weightK = 2;
  for (auto it = data.rbegin(); it != data.rend(); ++it) {
    const int value = FindCode93Index(*it);
    sumC = (sumC + value * weightC) % Code93CheckModulus;
    sumK = (sumK + value * weightK) % Code93CheckModulus;
    weightC = weightC % MaxWeightC + 1;
    weightK = weightK % MaxWeightK + 1;
  }
  sumK = (sumK + sumC) % Code93CheckModulus;
  widths += Code93Widths[sumC];
  widths += Code93Widths[sumK];
  widths += Code93Stop;
  return WidthsToModules(widths);
}
