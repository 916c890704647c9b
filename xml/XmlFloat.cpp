#include "xml/XmlFloat.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "xml/XmlTypes.h"

namespace xml {

std::string FormatXmlFloat(int digits, bool allowExponent, double value) {
  if (digits < 1 || digits > 9) throw EXmlError("Significant digits out of range");
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  const bool negative = value < 0;
  value = std::fabs(value);
  int d = digits;
  int e = digits;
  const double low = std::pow(10.0, digits - 1);
  const double high = std::pow(10.0, digits);
  while (value < low) {
    value *= 10;
    --e;
  }
  while (value >= high) {
    value *= 0.1;
    ++e;
  }
  std::int64_t m = rtl::Round64(value);
  if (m == static_cast<std::int64_t>(high)) {
    m /= 10;
    ++e;
  }
  while (m % 10 == 0 && d > e) {
    m /= 10;
    --d;
  }
  int exponent = 0;
  if (allowExponent && (e < -1 || e > d + 2)) {
    exponent = e - 1;
    e = 1;
  }
  // The digits of m, padded with zeros up to the decimal point and after it.
  std::string digitsText = std::to_string(m);
  std::string s;
  if (negative) s += '-';
  if (e <= 0) {
    s += '.';
    s.append(static_cast<std::size_t>(-e), '0');
    s += digitsText;
  } else {
    if (d < e) digitsText.append(static_cast<std::size_t>(e - d), '0');
    s.append(digitsText, 0, static_cast<std::size_t>(e));
    if (digitsText.size() > static_cast<std::size_t>(e)) {
      s += '.';
      s.append(digitsText, static_cast<std::size_t>(e));
    }
  }
  if (exponent != 0) {
    s += 'E';
    s += std::to_string(exponent);
  }
  return s;
}

bool ParseXmlFloat(std::string_view text, double& value) {
  std::string s = rtl::Trim(text);
  for (char& c : s) {
    if (c == ',') c = '.';
  }
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (first != last && *first == '+') ++first;
  double parsed = 0;
  const auto [end, error] = std::from_chars(first, last, parsed);
  if (error != std::errc() || end != last) return false;
  value = parsed;
  return true;
}

}  // namespace xml
