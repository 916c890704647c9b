#pragma once
// The table lookup of the colour effects on eight pixels at a time with
// AVX2: each channel's byte goes through its own 256-entry table, alpha
// stays, pixels without alpha stay whole; the same bits as pixel by pixel.

#include <array>
#include <cstddef>
#include <cstdint>

#include "imaging/bitmap/Color32.h"

using TColorTable = std::array<std::uint8_t, 256>;

// Maps the first count - count % 8 pixels and returns how many it went
// through. Callable only on a processor with AVX2.
std::size_t MapColorTablesAvx2(TColor32* bits, std::size_t count, const TColorTable& red, const TColorTable& green,
                               const TColorTable& blue);
