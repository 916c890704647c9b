#include "barcode/CheckSum.h"

#include "platform/rtl/Numbers.h"

namespace barcode {

std::string AppendMod10CheckDigit(std::string_view text) {
  int sum = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int digit = rtl::StrToInt(text.substr(i, 1));
    const bool weightThree = (text.size() - i) % 2 == 1;
    sum = (sum + digit * (weightThree ? 3 : 1)) % 10;
  }
  std::string result(text);
  result += static_cast<char>('0' + (10 - sum) % 10);
  return result;
}

std::string ApplyCheckSumMethod(TCheckSumMethod method, std::string_view text) {
  return method == csmModulo10 ? AppendMod10CheckDigit(text) : std::string(text);
}

}  // namespace barcode
