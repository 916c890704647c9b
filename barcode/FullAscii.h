#pragma once
// Full-ASCII expansion shared by Code 39 Extended and Code 93 Extended: each
// character below 128 becomes one or two characters of the base symbology.

#include <optional>
#include <string>
#include <string_view>

namespace barcode {

enum class TFullAsciiShifts {
  Code39,  // the shifts are the data characters "$", "%", "/" and "+"
  Code93,  // the shifts are the Code 93 characters written "[", "]", "{" and "}"
};

// The expanded text, or nothing when a character is 128 or above.
std::optional<std::string> ExpandFullAscii(std::string_view text, TFullAsciiShifts shifts);

}  // namespace barcode
