#pragma once
// Pixels to and from the bit planes of HCK pictures.

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/formats/HckHeader.h"

class TCustomBitmap32;

namespace imaging {

// Fills bitmap, already sized to the header's width x height, from the
// planes the header describes: alpha (none: opaque; 1 bit: opaque or
// transparent black; 8 bits), red, green and blue bytes, then grey (1 bit:
// black or white; 8 bits), which replaces the colour and keeps the alpha.
// Raises ERasterError "Image file is corrupted" for depths the format does
// not have or planes that do not fit the data.
void DecodeHckPlanes(const THckHeader& header, std::span<const std::uint8_t> planes, TCustomBitmap32& bitmap);

// The alpha, red, green and blue planes of every pixel, top row first.
std::vector<std::uint8_t> EncodeArgbPlanes(const TCustomBitmap32& bitmap);

}  // namespace imaging
