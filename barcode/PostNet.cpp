// POSTNET: five tall or short bars per digit.

#include <array>
#include <string_view>

#include "barcode/Barcode.h"
#include "barcode/ModuleText.h"

namespace {

// "1" a tall bar, "0" a short one.
constexpr std::array<std::string_view, 10> PostNetBars = {"11000", "00011", "00101", "00110", "01001",
                                                          "01010", "01100", "10001", "10010", "10100"};

constexpr char TallBar = '5';
constexpr char ShortBar = 'A';
constexpr char Gap = '1';  // a space of the wide module width

}  // namespace

std::string TVmBarcode::Code_PostNet() const {
  std::string modules{TallBar, Gap};
  for (const char digit : FText)
    for (const char bar : PostNetBars[barcode::DigitValue(digit)]) {
      modules += bar == '1' ? TallBar : ShortBar;
      modules += Gap;
    }
  return modules += TallBar;
}
