// Code 128 and EAN-128: one code set for the whole symbol, FNC1 wherever the
// text holds the marker, and right after the start for EAN-128.

#include <array>
#include <cstdint>
#include <string_view>

#include "barcode/Barcode.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace {

// Element widths (bar first) of the symbol characters 0 to 105.
constexpr std::array<std::string_view, 106> Code128Widths = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",  //  0
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",  // 10
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",  // 20
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",  // 30
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",  // 40
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",  // 50
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",  // 60
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",  // 70
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",  // 80
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",  // 90
    "114131", "311141", "411131", "211412", "211214", "211232",                                          // 100
};
constexpr std::string_view Code128Stop = "2331112";  // stop character with its final bar

constexpr int FNC1Value = 102;
constexpr int StartAValue = 103;
constexpr int StartBValue = 104;
constexpr int StartCValue = 105;
constexpr int Code128CheckModulus = 103;

enum class TCode128Set { A, B, C };

// Column A holds the characters 32 to 95, column B 32 to 126, both from value 0.
int FindCode128ABIndex(TCode128Set set, char c) {
  const int code = static_cast<unsigned char>(c);
  const int last = set == TCode128Set::A ? 95 : 126;
  return code >= 32 && code <= last ? code - 32 : -1;
}

// Column C holds the digit pairs "00" to "99" at the values 0 to 99.
int FindCode128CIndex(char high, char low) {
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (!isDigit(high) || !isDigit(low)) return -1;
  return (high - '0') * 10 + (low - '0');
}

// Widths of a symbol being built, with its weighted check sum.
class TCode128Symbol {
public:
  explicit TCode128Symbol(int startValue) : Widths(Code128Widths[startValue]), Sum(startValue % Code128CheckModulus) {}

  void Append(int value) {
    Widths += Code128Widths[value];
    // Reduced as it goes, so no text is long enough to overflow the sum.
    Sum = (Sum + static_cast<std::uint64_t>(value) * Position) % Code128CheckModulus;
    ++Position;
  }
  void AppendFNC1() { Append(FNC1Value); }

  std::string Finish() {
    Widths += Code128Widths[Sum];
    Widths += Code128Stop;
    return TVmBarcode::WidthsToModules(Widths);
  }

private:
  std::string Widths;
  std::uint64_t Sum;
  std::uint64_t Position = 1;  // weight of the next symbol character
};

std::size_t CountDigits(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) count += c != FNC1Marker;
  return count;
}

bool IsEan128(TBarcodeType typ) { return typ >= bcCodeEAN128A && typ <= bcCodeEAN128C; }

// False at the first character outside the code set.
bool AppendCharacters(TCode128Symbol& symbol, TCode128Set set, std::string_view data) {
  for (const char c : data) {
    if (c == FNC1Marker) {
      symbol.AppendFNC1();
      continue;
    }
    const int value = FindCode128ABIndex(set, c);
    if (value < 0) return false;
    symbol.Append(value);
  }
  return true;
}

// False when a digit is left without its pair before a marker.
bool AppendDigitPairs(TCode128Symbol& symbol, std::string_view data) {
  std::size_t i = 0;
  while (i < data.size()) {
    if (data[i] == FNC1Marker) {
      symbol.AppendFNC1();
      ++i;
      continue;
    }
    const int value = i + 1 < data.size() ? FindCode128CIndex(data[i], data[i + 1]) : -1;
    if (value < 0) return false;
    symbol.Append(value);
    i += 2;
  }
  return true;
}

}  // namespace

std::string TVmBarcode::Code_128() {
  TCode128Set set;
  int start;
  switch (FTyp) {
    case bcCode128A:
    case bcCodeEAN128A: set = TCode128Set::A, start = StartAValue; break;
    case bcCode128B:
    case bcCodeEAN128B: set = TCode128Set::B, start = StartBValue; break;
    case bcCode128C:
    case bcCodeEAN128C: set = TCode128Set::C, start = StartCValue; break;
    default: throw Exception(rtl::Format("%s: wrong BarcodeType in Code_128", ClassName()));
  }
  TCode128Symbol symbol(start);
  if (IsEan128(FTyp)) symbol.AppendFNC1();
  const std::string data = Code128Data(set == TCode128Set::C);
  if (set != TCode128Set::C) {
    if (!AppendCharacters(symbol, set, data)) RaiseBadData();
  } else if (!AppendDigitPairs(symbol, data)) {
    throw Exception(rtl::Format("%s: odd number of digits before FNC1 in %s", ClassName(), GetTypeCaption()));
  }
  return symbol.Finish();
}

// The characters to encode: Text, followed by its check digit for EAN-128
// with Checksum (kept out of Text, so encoding twice gives one result); code
// set C pairs digits, so an odd count gets a leading "0", which Text keeps
// when it is the whole data.
std::string TVmBarcode::Code128Data(bool digitPairs) {
  std::string data = IsEan128(FTyp) && FChecksum ? ApplyCheckSumMethod(FText) : FText;
  if (digitPairs && CountDigits(data) % 2 == 1) {
    const bool dataIsText = data == FText;
    data = std::string("0").append(data);
    if (dataIsText) StoreText(data);
  }
  return data;
}
