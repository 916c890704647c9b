#include "app/NumberText.h"

#include <cmath>
#include <array>
#include <charconv>

namespace {

std::string& SeparatorSetting() {
  static std::string separator = ".";
  return separator;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// from is never empty.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string result;
  for (std::size_t at = 0; at < text.size();) {
    if (text.substr(at, from.size()) == from) {
      result += to;
      at += from.size();
    } else {
      result += text[at++];
    }
  }
  return result;
}

// A number formatted with "." shown with the decimal separator.
std::string WithDecimalSeparator(std::string_view text) { return ReplaceAll(text, ".", DecimalSeparator()); }

}  // namespace

const std::string& DecimalSeparator() { return SeparatorSetting(); }

void SetDecimalSeparator(std::string separator) {
  SeparatorSetting() = separator.empty() ? std::string(".") : std::move(separator);
}

std::optional<double> ParseNumber(std::string_view text) {
  std::string number = ReplaceAll(ReplaceAll(TrimBlanks(text), DecimalSeparator(), "."), ",", ".");
  if (!number.empty() && number.front() == '+') number.erase(0, 1);
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (number.empty() || error != std::errc() || end != number.data() + number.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<int> ParseInteger(std::string_view text) {
  const std::string_view number = TrimBlanks(text);
  int value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (number.empty() || error != std::errc() || end != number.data() + number.size()) return std::nullopt;
  return value;
}

std::string FormatTwoDecimals(double value) {
  std::array<char, 400> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 2).ptr;
  const std::string text(buffer.data(), end);
  return WithDecimalSeparator(text == "-0.00" ? "0.00" : text);
}

std::string RewriteTwoDecimals(std::string_view text) { return FormatTwoDecimals(ParseNumber(text).value_or(0.0)); }

std::string FormatGeneral(float value) {
  std::array<char, 64> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
  return WithDecimalSeparator(std::string(buffer.data(), end));
}

std::string pgloconvertitunite(std::string_view text, TUnitConversion mode) {
  const double value = ParseNumber(text).value_or(0.0);
  return FormatTwoDecimals(mode == TUnitConversion::ToInches ? value / MillimetresPerInch
                                                             : value * MillimetresPerInch);
}
