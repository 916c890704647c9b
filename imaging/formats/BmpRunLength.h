#pragma once
// Run-length compressed BMP pixels (BI_RLE8 and BI_RLE4): runs of one index
// (two alternating ones for 4 bits), literal runs, line ends, jumps and the
// picture's end, expanded into one palette index a pixel.

#include <cstdint>
#include <span>
#include <vector>

namespace imaging {

// Expands the data of a picture of width x height pixels at 8 (BI_RLE8) or 4
// (BI_RLE4) bits per pixel into width x height indices, rows in stored order
// (bottom row first for a bottom-up picture). Pixels the data jumps over or
// leaves out keep index 0; pixels of a line that runs on into the padding of
// the uncompressed row are dropped. Raises EInvalidGraphic for a run past that
// padding or the end of the picture, a jump out of the picture, or data cut
// short; nothing is ever written outside the indices.
std::vector<std::uint8_t> ExpandRunLength(std::span<const std::uint8_t> data, int bitsPerPixel, std::int64_t width,
                                          std::int64_t height);

}  // namespace imaging
