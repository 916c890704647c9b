// Code 39 and its full-ASCII form.

#include <array>
#include <string_view>

#include "barcode/Barcode.h"
#include "barcode/FullAscii.h"
#include "barcode/ModuleText.h"

namespace {

struct TCode39Row {
  char Character;
  std::string_view Flags;  // nine elements from a bar, "1" wide
  int Value;               // weight in the check character
};

constexpr std::array<TCode39Row, 44> Code39Table = {{
    {'0', "000110100", 0},  {'1', "100100001", 1},  {'2', "001100001", 2},  {'3', "101100000", 3},
    {'4', "000110001", 4},  {'5', "100110000", 5},  {'6', "001110000", 6},  {'7', "000100101", 7},
    {'8', "100100100", 8},  {'9', "001100100", 9},  {'A', "100001001", 10}, {'B', "001001001", 11},
    {'C', "101001000", 12}, {'D', "000011001", 13}, {'E', "100011000", 14}, {'F', "001011000", 15},
    {'G', "000001101", 16}, {'H', "100001100", 17}, {'I', "001001100", 18}, {'J', "000011100", 19},
    {'K', "100000011", 20}, {'L', "001000011", 21}, {'M', "101000010", 22}, {'N', "000010011", 23},
    {'O', "100010010", 24}, {'P', "001010010", 25}, {'Q', "000000111", 26}, {'R', "100000110", 27},
    {'S', "001000110", 28}, {'T', "000010110", 29}, {'U', "110000001", 30}, {'V', "011000001", 31},
    {'W', "111000000", 32}, {'X', "010010001", 33}, {'Y', "110010000", 34}, {'Z', "011010000", 35},
    {'-', "010000101", 36}, {'.', "110000100", 37}, {' ', "011000100", 38}, {'*', "010010100", 0},
    {'$', "010101000", 39}, {'/', "010100010", 40}, {'+', "010001010", 41}, {'%', "000101010", 42},
}};

constexpr char StartStop = '*';
constexpr int Code39CheckModulus = 43;

int FindCode39Index(char c) {
  for (std::size_t i = 0; i < Code39Table.size(); ++i)
    if (Code39Table[i].Character == c) return static_cast<int>(i);
  return -1;
}

std::string Code39Pattern(int index) { return barcode::NarrowWideToModules(Code39Table[index].Flags); }

// The first row of a value, so that 0 is written "0" and not the start/stop.
int FindCode39Value(int value) {
  for (std::size_t i = 0; i < Code39Table.size(); ++i)
    if (Code39Table[i].Value == value) return static_cast<int>(i);
  return -1;
}

}  // namespace

std::string TVmBarcode::Code_39() const { return Code39Modules(FText); }

std::string TVmBarcode::Code_39Extended() const {
  const auto expanded = barcode::ExpandFullAscii(FText, barcode::TFullAsciiShifts::Code39);
  if (!expanded) RaiseBadData();
  return Code39Modules(*expanded);
}

// A character without a pattern, or the start/stop character, which a
// scanner would take for the end of the symbol, is refused.
std::string TVmBarcode::Code39Modules(std::string_view data) const {
  std::string modules = Code39Pattern(FindCode39Index(StartStop)) + barcode::NarrowSpace;
  int sum = 0;
  for (const char c : data) {
    const int index = FindCode39Index(c);
    if (index < 0 || c == StartStop) RaiseBadData();
    modules += Code39Pattern(index) + barcode::NarrowSpace;
    sum = (sum + Code39Table[index].Value) % Code39CheckModulus;
  }
  if (FChecksum) modules += Code39Pattern(FindCode39Value(sum)) + barcode::NarrowSpace;
  return modules += Code39Pattern(FindCode39Index(StartStop));
}
