#include "barcode/FullAscii.h"

#include <array>

namespace barcode {
namespace {

// Code 39 full ASCII by character code ("-" and "." use their shifted forms).
constexpr std::array<std::string_view, 128> FullAsciiTable = {
    "%U", "$A", "$B", "$C", "$D", "$E", "$F", "$G", "$H", "$I", "$J", "$K", "$L", "$M", "$N", "$O",  //   0
    "$P", "$Q", "$R", "$S", "$T", "$U", "$V", "$W", "$X", "$Y", "$Z", "%A", "%B", "%C", "%D", "%E",  //  16
    " ",  "/A", "/B", "/C", "/D", "/E", "/F", "/G", "/H", "/I", "/J", "/K", "/L", "/M", "/N", "/O",  //  32
    "0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "/Z", "%F", "%G", "%H", "%I", "%J",  //  48
    "%V", "A",  "B",  "C",  "D",  "E",  "F",  "G",  "H",  "I",  "J",  "K",  "L",  "M",  "N",  "O",   //  64
    "P",  "Q",  "R",  "S",  "T",  "U",  "V",  "W",  "X",  "Y",  "Z",  "%K", "%L", "%M", "%N", "%O",  //  80
    "%W", "+A", "+B", "+C", "+D", "+E", "+F", "+G", "+H", "+I", "+J", "+K", "+L", "+M", "+N", "+O",  //  96
    "+P", "+Q", "+R", "+S", "+T", "+U", "+V", "+W", "+X", "+Y", "+Z", "%P", "%Q", "%R", "%S", "%T",  // 112
};

char Code93Shift(char code39Shift) {
  switch (code39Shift) {
    case '$': return '[';
    case '%': return ']';
    case '/': return '{';
    default: return '}';  // '+'
  }
}

}  // namespace

std::optional<std::string> ExpandFullAscii(std::string_view text, TFullAsciiShifts shifts) {
  std::string expanded;
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if (code >= FullAsciiTable.size()) return std::nullopt;
    const std::string_view sequence = FullAsciiTable[code];
    if (sequence.size() == 2 && shifts == TFullAsciiShifts::Code93) {
      expanded += Code93Shift(sequence[0]);
      expanded += sequence[1];
    } else {
      expanded += sequence;
    }
  }
  return expanded;
}

}  // namespace barcode
