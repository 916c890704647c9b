#pragma once
// Pixels to and from the bit planes of HCK pictures.

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/bitmap/Color32.h"
#include "imaging/formats/HckHeader.h"

class TCustomBitmap32;

namespace imaging {

// Fills count pixels from pixel first on (pixels run row by row from the
// top left) from the planes the header describes: alpha (none: opaque;
// 1 bit: opaque or transparent black; 8 bits), red, green and blue bytes,
// then grey (1 bit: black or white; 8 bits), which replaces the colour and
// keeps the alpha. Raises ERasterError "Image file is corrupted" for depths
// the format does not have, planes that do not fit the data or pixels
// outside the picture.
void DecodeHckPixels(const THckHeader& header, std::span<const std::uint8_t> planes, std::size_t first,
                     std::size_t count, TColor32* pixels);

// The alpha, red, green and blue planes of every pixel, top row first.
std::vector<std::uint8_t> EncodeArgbPlanes(const TCustomBitmap32& bitmap);

}  // namespace imaging
