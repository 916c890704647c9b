#include "BarcodeTestSupport.h"

#include <zbar.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace bctest {
namespace {

// "0"-"3" spaces ("0"), "5"-"8" bars ("1"), "A"-"D" short bars ("A"), of 1 to 4 units.
std::pair<char, int> KindAndUnits(char module) {
  for (const auto& [first, kind] : {std::pair{'0', '0'}, std::pair{'5', '1'}, std::pair{'A', 'A'}})
    if (module >= first && module < first + 4) return {kind, module - first + 1};
  throw std::invalid_argument("not a module character: " + std::string(1, module));
}

// Left-hand odd-parity codes (L) of EAN/UPC; right-hand codes (R) are their
// complements, even-parity codes (G) the R codes reversed.
constexpr std::array<std::string_view, 10> CodesL = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                                     "0110001", "0101111", "0111011", "0110111", "0001011"};
constexpr std::array<std::string_view, 10> FirstDigitSets = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                                             "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};
// UPC-E number system 0 by check digit; number system 1 is the complement.
constexpr std::array<std::string_view, 10> UpcESets = {"GGGLLL", "GGLGLL", "GGLLGL", "GGLLLG", "GLGGLL",
                                                       "GLLGGL", "GLLLGG", "GLGLGL", "GLGLLG", "GLLGLG"};

// Digits and their sets ("L", "G", "R" or "?") of six 7-bit groups from pos.
std::pair<std::string, std::string> DecodeGroups(std::string_view bits, std::size_t pos) {
  std::string digits(6, '?'), sets(6, '?');
  for (std::size_t i = 0; i < 6; ++i, pos += 7)
    for (int d = 0; d < 10; ++d) {
      std::string r(CodesL[d]);
      for (char& bit : r) bit = bit == '1' ? '0' : '1';
      const std::string g(r.rbegin(), r.rend());
      const std::string_view group = bits.substr(pos, 7);
      const char set = group == CodesL[d] ? 'L' : group == g ? 'G' : group == r ? 'R' : '?';
      if (set != '?') digits[i] = static_cast<char>('0' + d), sets[i] = set;
    }
  return {digits, sets};
}

int RowOf(const std::array<std::string_view, 10>& table, std::string_view row) {
  const auto it = std::find(table.begin(), table.end(), row);
  return it == table.end() ? -1 : static_cast<int>(it - table.begin());
}

TScan ScanSurface(TPaintSurface& paint, int magnify) {
  const int width = paint.Width * magnify, height = paint.Height * magnify;
  std::vector<unsigned char> grey;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)  // the green channel
      grey.push_back(static_cast<unsigned char>(paint.Memory.Surface().Pixel(x / magnify, y / magnify) >> 8));
  const std::vector<TScan> scans = ScanGrey(grey, width, height);
  return scans.size() == 1 ? scans[0] : TScan{};
}

}  // namespace

std::vector<TScan> ScanGrey(const std::vector<unsigned char>& grey, int width, int height) {
  zbar::zbar_image_scanner_t* scanner = zbar::zbar_image_scanner_create();
  zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 1);
  zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_MIN_LEN, 0);
  zbar::zbar_image_t* image = zbar::zbar_image_create();
  zbar::zbar_image_set_format(image, zbar_fourcc('Y', '8', '0', '0'));
  zbar::zbar_image_set_size(image, static_cast<unsigned>(width), static_cast<unsigned>(height));
  zbar::zbar_image_set_data(image, grey.data(), grey.size(), nullptr);  // grey outlives the image
  zbar::zbar_scan_image(scanner, image);
  std::vector<TScan> scans;
  for (auto* symbol = zbar::zbar_image_first_symbol(image); symbol; symbol = zbar::zbar_symbol_next(symbol))
    scans.push_back({zbar::zbar_get_symbol_name(zbar::zbar_symbol_get_type(symbol)),
                     std::string(zbar::zbar_symbol_get_data(symbol), zbar::zbar_symbol_get_data_length(symbol))});
  zbar::zbar_image_destroy(image);
  zbar::zbar_image_scanner_destroy(scanner);
  return scans;
}

std::string ElementWidths(std::string_view modules) {
  std::string widths;
  for (const char module : modules) widths += static_cast<char>('0' + KindAndUnits(module).second);
  return widths;
}

std::string ModuleBits(std::string_view modules) {
  std::string bits;
  for (const char module : modules) {
    const auto [kind, units] = KindAndUnits(module);
    bits.append(static_cast<std::size_t>(units), kind);
  }
  return bits;
}

std::string DecodeEan13(std::string_view modules) {
  const std::string bits = ModuleBits(modules);
  if (bits.size() != 95 || !bits.starts_with("101") || bits.compare(45, 5, "01010") != 0 || !bits.ends_with("101"))
    return "?";
  const auto [left, leftSets] = DecodeGroups(bits, 3);
  const auto [right, rightSets] = DecodeGroups(bits, 50);
  const int first = RowOf(FirstDigitSets, leftSets);
  return first < 0 || rightSets != "RRRRRR" ? "?" : std::to_string(first) + left + right;
}

std::string DecodeUpcE(std::string_view modules) {
  const std::string bits = ModuleBits(modules);
  if (bits.size() != 51 || !bits.starts_with("101") || !bits.ends_with("010101")) return "?";
  auto [digits, sets] = DecodeGroups(bits, 3);
  for (const char numberSystem : {'0', '1'}) {
    const int check = RowOf(UpcESets, sets);
    if (check >= 0) return numberSystem + digits + std::to_string(check);
    for (char& set : sets) set = set == 'L' ? 'G' : 'L';
  }
  return "?";
}

TPaintSurface::TPaintSurface(int width, int height, TColor backdrop)
    : Width(width), Height(height), Memory(width, height), Canvas(Memory.Surface()) {
  Canvas.GetBrush().SetColor(backdrop);
  Canvas.FillRect(Rect(0, 0, width, height));
  Canvas.GetBrush().SetColor(clWhite);
}

TScan ScanPainted(TVmBarcode& barcode) {
  if (barcode.GetHeight() == 0) barcode.SetHeight(24);
  const int width = barcode.GetWidth();
  const int quiet = 10 * barcode.GetModuleWidths()[1];
  const int lead = 4 * barcode.GetModuleWidths()[1];  // room for the first EAN-13 digit
  barcode.SetLeft(quiet), barcode.SetTop(quiet);
  const bool upright = std::fabs(std::sin(barcode.GetAngle() * M_PI / 180)) > 0.5;
  const int along = lead + width + 1, across = barcode.GetHeight() + 1;
  TPaintSurface paint(2 * quiet + (upright ? across + lead : along), 2 * quiet + (upright ? along : across), clWhite);
  barcode.PaintBarcode(paint.Canvas);
  return ScanSurface(paint, barcode.GetModul() == 1 ? 2 : 1);  // zbar misses elements one pixel wide
}

std::unique_ptr<TVmBarcode> MakeBarcode(TBarcodeType typ, const std::string& text, bool checksum) {
  auto barcode = std::make_unique<TVmBarcode>(nullptr);
  barcode->SetTyp(typ), barcode->SetText(text), barcode->SetChecksum(checksum), barcode->SetModul(2);
  return barcode;
}

}  // namespace bctest
