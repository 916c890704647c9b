#pragma once
// Numbers in the edits of the main window: lengths are shown with two
// decimals, and a text that is not a number reads as no number at all (the
// caller keeps the old value) or as 0 where an edit is rewritten.

#include <optional>
#include <string>
#include <string_view>

// The decimal separator numbers are shown with: the platform's, which the
// window takes from the user's locale; "." until it does. Numbers written to
// files never use it.
const std::string& DecimalSeparator();
void SetDecimalSeparator(std::string separator);

// The number in text (leading and trailing blanks ignored; the decimal
// separator, "." or "," before the decimals); nothing when the text is not a
// finite number.
std::optional<double> ParseNumber(std::string_view text);
// The integer in text (blanks ignored); nothing when it is not an integer.
std::optional<int> ParseInteger(std::string_view text);

// Fixed notation with two decimals and the decimal separator: 210 -> "210.00".
std::string FormatTwoDecimals(double value);
// The text of an edit rewritten when the user leaves it: two decimals, "0.00"
// when the text is not a number.
std::string RewriteTwoDecimals(std::string_view text);
// The shortest form that reads back as the same single-precision value, with
// the decimal separator: 0.5 -> "0.5".
std::string FormatGeneral(float value);

enum class TUnitConversion { ToInches = 1, ToMillimetres = 2 };
// The number in text (0 when it is not one) divided by 25.4 to inches or
// multiplied by 25.4 to millimetres, with two decimals.
std::string pgloconvertitunite(std::string_view text, TUnitConversion mode);

constexpr double MillimetresPerInch = 25.4;
