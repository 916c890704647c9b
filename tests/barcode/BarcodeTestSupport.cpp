#include "BarcodeTestSupport.h"

#include <zbar.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace bctest {
namespace {

// The module alphabet: "0"-"3" spaces, "5"-"8" bars, "A"-"D" short bars, of
// 1 to 4 times the narrow element.
struct TElement {
  bool Bar;
  int Units;  // 1 to 4
};

TElement ReadElement(char module) {
  if (module >= '0' && module <= '3') return {false, module - '0' + 1};
  if (module >= '5' && module <= '8') return {true, module - '5' + 1};
  if (module >= 'A' && module <= 'D') return {true, module - 'A' + 1};
  throw std::invalid_argument(std::string("not a module character: ") + module);
}

// Left-hand odd-parity digit codes of EAN/UPC; right-hand codes are their
// complements, even-parity codes the right-hand codes reversed.
constexpr std::array<std::string_view, 10> CodesL = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                                     "0110001", "0101111", "0111011", "0110111", "0001011"};
constexpr std::array<std::string_view, 10> FirstDigitSets = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                                             "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};
// UPC-E number system 0 by check digit; number system 1 is the complement.
constexpr std::array<std::string_view, 10> UpcESets = {"GGGLLL", "GGLGLL", "GGLLGL", "GGLLLG", "GLGGLL",
                                                       "GLLGGL", "GLLLGG", "GLGLGL", "GLGLLG", "GLLGLG"};
constexpr std::array<std::string_view, 10> AddOn5Sets = {"GGLLL", "GLGLL", "GLLGL", "GLLLG", "LGGLL",
                                                         "LLGGL", "LLLGG", "LGLGL", "LGLLG", "LLGLG"};
constexpr std::array<std::string_view, 4> AddOn2Sets = {"LL", "LG", "GL", "GG"};

std::string CodeR(int digit) {
  std::string code(CodesL[digit]);
  for (char& bit : code) bit = bit == '1' ? '0' : '1';
  return code;
}

std::string CodeG(int digit) {
  std::string code = CodeR(digit);
  std::reverse(code.begin(), code.end());
  return code;
}

struct TDigit {
  char Digit;
  char Set;  // 'L', 'G', 'R' or '?'
};

TDigit DecodeGroup(std::string_view bits) {
  for (int d = 0; d < 10; ++d) {
    if (bits == CodesL[d]) return {static_cast<char>('0' + d), 'L'};
    if (bits == CodeG(d)) return {static_cast<char>('0' + d), 'G'};
    if (bits == CodeR(d)) return {static_cast<char>('0' + d), 'R'};
  }
  return {'?', '?'};
}

// Digits and sets of count groups of 7 bits starting at pos, with gap bits
// between groups.
std::vector<TDigit> DecodeGroups(std::string_view bits, std::size_t pos, int count, std::size_t gap = 0) {
  std::vector<TDigit> digits;
  for (int i = 0; i < count; ++i, pos += 7 + gap) digits.push_back(DecodeGroup(bits.substr(pos, 7)));
  return digits;
}

std::string DigitsOf(const std::vector<TDigit>& digits) {
  std::string text;
  for (const TDigit& d : digits) text += d.Digit;
  return text;
}

std::string SetsOf(const std::vector<TDigit>& digits) {
  std::string sets;
  for (const TDigit& d : digits) sets += d.Set;
  return sets;
}

template <std::size_t N>
int RowOf(const std::array<std::string_view, N>& table, std::string_view row) {
  for (std::size_t i = 0; i < N; ++i)
    if (table[i] == row) return static_cast<int>(i);
  return -1;
}

int Digit(char c) { return c - '0'; }

}  // namespace

std::string ElementWidths(std::string_view modules) {
  std::string widths;
  for (const char module : modules) widths += static_cast<char>('0' + ReadElement(module).Units);
  return widths;
}

std::string ModuleBits(std::string_view modules) {
  std::string bits;
  for (const char module : modules) {
    const TElement element = ReadElement(module);
    bits.append(static_cast<std::size_t>(element.Units), element.Bar ? '1' : '0');
  }
  return bits;
}

std::vector<std::string> Split(std::string_view s, const std::vector<std::size_t>& sizes) {
  std::vector<std::string> pieces;
  std::size_t pos = 0;
  for (const std::size_t size : sizes) {
    pieces.emplace_back(s.substr(std::min(pos, s.size()), size));
    pos += size;
  }
  if (pos < s.size()) pieces.emplace_back(s.substr(pos));
  return pieces;
}

std::string DecodeEan13(std::string_view modules) {
  const std::string bits = ModuleBits(modules);
  if (bits.size() != 95 || bits.substr(0, 3) != "101" || bits.substr(45, 5) != "01010" || bits.substr(92) != "101")
    return "?";
  const auto left = DecodeGroups(bits, 3, 6);
  const auto right = DecodeGroups(bits, 50, 6);
  const int first = RowOf(FirstDigitSets, SetsOf(left));
  if (first < 0 || SetsOf(right) != "RRRRRR") return "?";
  return std::to_string(first) + DigitsOf(left) + DigitsOf(right);
}

std::string DecodeEan8(std::string_view modules) {
  const std::string bits = ModuleBits(modules);
  if (bits.size() != 67 || bits.substr(0, 3) != "101" || bits.substr(31, 5) != "01010" || bits.substr(64) != "101")
    return "?";
  const auto left = DecodeGroups(bits, 3, 4);
  const auto right = DecodeGroups(bits, 36, 4);
  if (SetsOf(left) != "LLLL" || SetsOf(right) != "RRRR") return "?";
  return DigitsOf(left) + DigitsOf(right);
}

std::string DecodeUpcE(std::string_view modules) {
  const std::string bits = ModuleBits(modules);
  if (bits.size() != 51 || bits.substr(0, 3) != "101" || bits.substr(45) != "010101") return "?";
  const auto digits = DecodeGroups(bits, 3, 6);
  std::string sets = SetsOf(digits);
  for (const char numberSystem : {'0', '1'}) {
    const int check = RowOf(UpcESets, sets);
    if (check >= 0) return std::string(1, numberSystem).append(DigitsOf(digits)).append(std::to_string(check));
    for (char& set : sets) set = set == 'L' ? 'G' : 'L';
  }
  return "?";
}

std::string DecodeAddOn(std::string_view modules) {
  const std::string bits = ModuleBits(modules);
  if (bits.substr(0, 4) != "1011") return "?";
  const int count = bits.size() == 20 ? 2 : bits.size() == 47 ? 5 : 0;
  if (count == 0) return "?";
  for (int i = 1; i < count; ++i)
    if (bits.substr(4 + 9 * i - 2, 2) != "01") return "?";
  const auto digits = DecodeGroups(bits, 4, count, 2);
  const std::string text = DigitsOf(digits);
  if (text.find('?') != std::string::npos) return "?";
  if (count == 2) return RowOf(AddOn2Sets, SetsOf(digits)) == std::stoi(text) % 4 ? text : "?";
  const int sum = 3 * (Digit(text[0]) + Digit(text[2]) + Digit(text[4])) + 9 * (Digit(text[1]) + Digit(text[3]));
  return RowOf(AddOn5Sets, SetsOf(digits)) == sum % 10 ? text : "?";
}

std::vector<TScan> Scan(TVmBarcode& barcode) {
  const std::string modules = barcode.EncodeModules();
  const int narrow = barcode.GetModul();
  const int wide = static_cast<int>(std::nearbyint(narrow * barcode.GetRatio()));
  const std::array<int, 4> pixels = {narrow, wide, wide * 3 / 2, wide * 2};
  const std::size_t quiet = 12 * static_cast<std::size_t>(wide);
  std::vector<unsigned char> row(quiet, 255);
  for (const char module : modules) {
    const TElement element = ReadElement(module);
    row.insert(row.end(), static_cast<std::size_t>(pixels[element.Units - 1]), element.Bar ? 0 : 255);
  }
  row.insert(row.end(), quiet, 255);

  constexpr unsigned rows = 10;
  const auto width = static_cast<unsigned>(row.size());
  auto* pixelsY800 = static_cast<unsigned char*>(std::malloc(row.size() * rows));
  for (unsigned y = 0; y < rows; ++y) std::memcpy(pixelsY800 + y * row.size(), row.data(), row.size());

  zbar::zbar_image_scanner_t* scanner = zbar::zbar_image_scanner_create();
  zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
  for (const auto symbology : {zbar::ZBAR_EAN8, zbar::ZBAR_EAN13, zbar::ZBAR_UPCA, zbar::ZBAR_UPCE, zbar::ZBAR_EAN2,
                               zbar::ZBAR_EAN5, zbar::ZBAR_I25, zbar::ZBAR_CODE39, zbar::ZBAR_CODE93,
                               zbar::ZBAR_CODE128, zbar::ZBAR_CODABAR}) {
    zbar::zbar_image_scanner_set_config(scanner, symbology, zbar::ZBAR_CFG_ENABLE, 1);
    zbar::zbar_image_scanner_set_config(scanner, symbology, zbar::ZBAR_CFG_MIN_LEN, 0);
  }
  zbar::zbar_image_t* image = zbar::zbar_image_create();
  zbar::zbar_image_set_format(image, zbar_fourcc('Y', '8', '0', '0'));
  zbar::zbar_image_set_size(image, width, rows);
  zbar::zbar_image_set_data(image, pixelsY800, row.size() * rows, zbar::zbar_image_free_data);
  zbar::zbar_scan_image(scanner, image);
  std::vector<TScan> scans;
  for (auto* symbol = zbar::zbar_image_first_symbol(image); symbol != nullptr; symbol = zbar::zbar_symbol_next(symbol))
    scans.push_back({zbar::zbar_get_symbol_name(zbar::zbar_symbol_get_type(symbol)),
                     std::string(zbar::zbar_symbol_get_data(symbol), zbar::zbar_symbol_get_data_length(symbol))});
  zbar::zbar_image_destroy(image);
  zbar::zbar_image_scanner_destroy(scanner);
  return scans;
}

TScan ScanOne(TVmBarcode& barcode) {
  const std::vector<TScan> scans = Scan(barcode);
  return scans.size() == 1 ? scans[0] : TScan{};
}

std::unique_ptr<TVmBarcode> MakeBarcode(TBarcodeType typ, const std::string& text, bool checksum) {
  auto barcode = std::make_unique<TVmBarcode>(nullptr);
  barcode->SetTyp(typ);
  barcode->SetText(text);
  barcode->SetChecksum(checksum);
  barcode->SetModul(2);
  return barcode;
}

void PrintTo(const TScan& scan, std::ostream* os) { *os << scan.Symbology << ":'" << scan.Data << "'"; }

}  // namespace bctest
