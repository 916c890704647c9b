#pragma once
// Building blocks of module strings for the symbologies that are written as
// narrow and wide elements.

#include <string>
#include <string_view>

namespace barcode {

constexpr char NarrowBar = '5';
constexpr char WideBar = '6';
constexpr char NarrowSpace = '0';
constexpr char WideSpace = '1';

constexpr char BarModule(bool wide) { return wide ? WideBar : NarrowBar; }
constexpr char SpaceModule(bool wide) { return wide ? WideSpace : NarrowSpace; }

// Flags "0" (narrow) and "1" (wide), alternating bar and space from a bar.
std::string NarrowWideToModules(std::string_view flags);

// Index of a decimal digit character.
constexpr int DigitValue(char digit) { return digit - '0'; }

}  // namespace barcode
