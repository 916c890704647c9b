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
std::pair<bool, int> BarAndUnits(char module) {
  for (const char first : {'0', '5', 'A'})
    if (module >= first && module < first + 4) return {first != '0', module - first + 1};
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
// Digits and their sets ("L", "G", "R", "?") of count 7-bit groups from pos, gap bits apart.
std::pair<std::string, std::string> DecodeGroups(std::string_view bits, std::size_t pos, int count) {
  std::string digits(static_cast<std::size_t>(count), '?');
  std::string sets(static_cast<std::size_t>(count), '?');
  for (int i = 0; i < count; ++i, pos += 7) {
    const std::string_view group = bits.substr(pos, 7);
    for (int d = 0; d < 10; ++d) {
      std::string r(CodesL[d]);
      for (char& bit : r) bit = bit == '1' ? '0' : '1';
      const std::string g(r.rbegin(), r.rend());
      const char set = group == CodesL[d] ? 'L' : group == g ? 'G' : group == r ? 'R' : '?';
      if (set != '?') digits[i] = static_cast<char>('0' + d), sets[i] = set;
    }
  }
  return {digits, sets};
}

template <std::size_t N>
int RowOf(const std::array<std::string_view, N>& table, std::string_view row) {
  const auto it = std::find(table.begin(), table.end(), row);
  return it == table.end() ? -1 : static_cast<int>(it - table.begin());
}

// Symbols are framed by guards at fixed places; anything else reads as "?".
bool Framed(const std::string& bits, std::size_t size,
            std::initializer_list<std::pair<std::size_t, const char*>> guards) {
  if (bits.size() != size) return false;
  for (const auto& [pos, guard] : guards)
    if (bits.compare(pos, std::strlen(guard), guard) != 0) return false;
  return true;
}

}  // namespace

std::string ElementWidths(std::string_view modules) {
  std::string widths;
  for (const char module : modules) widths += static_cast<char>('0' + BarAndUnits(module).second);
  return widths;
}

std::string ModuleBits(std::string_view modules) {
  std::string bits;
  for (const char module : modules) {
    const auto [bar, units] = BarAndUnits(module);
    bits.append(static_cast<std::size_t>(units), bar ? '1' : '0');
  }
  return bits;
}

std::string DecodeEan13(std::string_view modules) {
  const std::string bits = ModuleBits(modules);
  if (!Framed(bits, 95, {{0, "101"}, {45, "01010"}, {92, "101"}})) return "?";
  const auto [left, leftSets] = DecodeGroups(bits, 3, 6);
  const auto [right, rightSets] = DecodeGroups(bits, 50, 6);
  const int first = RowOf(FirstDigitSets, leftSets);
  return first < 0 || rightSets != "RRRRRR" ? "?" : std::to_string(first) + left + right;
}

std::string DecodeUpcE(std::string_view modules) {
  const std::string bits = ModuleBits(modules);
  if (!Framed(bits, 51, {{0, "101"}, {45, "010101"}})) return "?";
  auto [digits, sets] = DecodeGroups(bits, 3, 6);
  for (const char numberSystem : {'0', '1'}) {
    const int check = RowOf(UpcESets, sets);
    if (check >= 0) return numberSystem + digits + std::to_string(check);
    for (char& set : sets) set = set == 'L' ? 'G' : 'L';
  }
  return "?";
}

TScan ScanGrey(const std::vector<unsigned char>& pixels, unsigned width, unsigned height) {
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
  zbar::zbar_image_set_size(image, width, height);
  zbar::zbar_image_set_data(image, pixels.data(), pixels.size(), nullptr);  // pixels outlive the image
  zbar::zbar_scan_image(scanner, image);
  std::vector<TScan> scans;
  for (auto* symbol = zbar::zbar_image_first_symbol(image); symbol; symbol = zbar::zbar_symbol_next(symbol))
    scans.push_back({zbar::zbar_get_symbol_name(zbar::zbar_symbol_get_type(symbol)),
                     std::string(zbar::zbar_symbol_get_data(symbol), zbar::zbar_symbol_get_data_length(symbol))});
  zbar::zbar_image_destroy(image);
  zbar::zbar_image_scanner_destroy(scanner);
  return scans.size() == 1 ? scans[0] : TScan{};
}

TScan ScanSurface(const TPixelSurface& surface, int magnify) {
  const int width = surface.Width * magnify;
  const int height = surface.Height * magnify;
  std::vector<unsigned char> grey;
  grey.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      grey.push_back(static_cast<unsigned char>(surface.Pixel(x / magnify, y / magnify) >> 8));
  return ScanGrey(grey, static_cast<unsigned>(width), static_cast<unsigned>(height));
}

TScan ScanOne(TVmBarcode& barcode) {
  const std::string modules = barcode.EncodeModules();
  const int narrow = barcode.GetModul();
  const int wide = static_cast<int>(std::nearbyint(narrow * barcode.GetRatio()));
  const std::array<int, 4> pixels = {narrow, wide, wide * 3 / 2, wide * 2};
  std::vector<unsigned char> row(12 * static_cast<std::size_t>(wide), 255);  // quiet zone
  for (const char module : modules) {
    const auto [bar, units] = BarAndUnits(module);
    row.insert(row.end(), static_cast<std::size_t>(pixels[units - 1]), bar ? 0 : 255);
  }
  row.insert(row.end(), 12 * static_cast<std::size_t>(wide), 255);

  constexpr unsigned rows = 10;  // add-ons need several scan lines
  std::vector<unsigned char> image;
  for (unsigned y = 0; y < rows; ++y) image.insert(image.end(), row.begin(), row.end());
  return ScanGrey(image, static_cast<unsigned>(row.size()), rows);
}

std::unique_ptr<TVmBarcode> MakeBarcode(TBarcodeType typ, const std::string& text, bool checksum) {
  auto barcode = std::make_unique<TVmBarcode>(nullptr);
  barcode->SetTyp(typ), barcode->SetText(text), barcode->SetChecksum(checksum), barcode->SetModul(2);
  return barcode;
}

void PrintTo(const TScan& scan, std::ostream* os) { *os << scan.Symbology << ":'" << scan.Data << "'"; }

}  // namespace bctest
