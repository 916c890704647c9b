#pragma once
// Runs the codec under test on byte buffers, in the picture layout of the
// reference helpers (RGB order, grey or CMYK as they come).

#include <vector>

#include "imaging/jpeg/JpegFormat.h"
#include "tests/imaging/jpeg/ReferenceCodec.h"

namespace jpegtest {

void Fill(TMemoryStream& stream, const std::vector<std::uint8_t>& bytes);

// Decodes with the given scale and bitmap colour space; 3- and 4-byte
// bitmaps come back as RGB, 1-byte ones as grey.
Image OwnDecode(const std::vector<std::uint8_t>& file, TsdJpegScale scale = jsFull,
                TsdJpegColorSpace bitmapCS = jcRGB, TsdJpegDCTCodingMethod method = dmAccurate);

// Encodes a grey or RGB picture.
std::vector<std::uint8_t> OwnEncode(const Image& image, int quality, bool optimize = true);

TsdJpegPixelMap ToPixelMap(const Image& image);

// Largest difference of any sample.
int MaxDifference(const Image& a, const Image& b);

}  // namespace jpegtest
