#pragma once
// Float text of XML values: shortest form with a given number of significant
// digits and "." as the separator, whatever the locale.

#include <string>
#include <string_view>

namespace xml {

// digits 1..9 (else EXmlError "Significant digits out of range"). 2.0 gives
// "2", 0.5 ".5", 0.001 "1E-3" with the exponent allowed, 1234567 "1234570".
// Infinities and NaN give "INF", "-INF" and "NaN".
std::string FormatXmlFloat(int digits, bool allowExponent, double value);

// Accepts "," for "." and surrounding blanks; false when the text is not a
// number or overflows.
bool ParseXmlFloat(std::string_view text, double& value);

}  // namespace xml
