#pragma once
// Runs the codec under test on byte buffers, in the picture layout of the
// reference helpers (RGB order, grey or CMYK as they come).

#include <string>
#include <vector>

#include "imaging/bitmap/Bitmap32.h"
#include "imaging/jpeg/JpegFormat.h"
#include "platform/rtl/Exception.h"
#include "tests/imaging/ImagingTestSupport.h"
#include "tests/imaging/jpeg/ReferenceCodec.h"

namespace jpegtest {

using imagingtest::Fill;

// Decodes with the given scale and bitmap colour space; 3- and 4-byte
// bitmaps come back as RGB, 1-byte ones as grey.
Image OwnDecode(const std::vector<std::uint8_t>& file, TsdJpegScale scale = jsFull,
                TsdJpegColorSpace bitmapCS = jcRGB, TsdJpegDCTCodingMethod method = dmAccurate);

// A pixel map in the same layout.
Image FromPixelMap(const TsdJpegPixelMap& bitmap);

// Encodes a grey or RGB picture.
std::vector<std::uint8_t> OwnEncode(const Image& image, int quality, bool optimize = true);

// A grey picture as RGB, as the bitmaps hold it; colour pictures unchanged.
Image AsRgb(const Image& picture);

// Largest difference of any sample.
int MaxDifference(const Image& a, const Image& b);

// Loads the bytes and decodes; returns the error text or "" on success.
std::string LoadError(const std::vector<std::uint8_t>& bytes, std::vector<std::string>* trace = nullptr);

// Offset of the first byte after the first marker with this code, 0 if none.
std::size_t FindMarker(const std::vector<std::uint8_t>& bytes, std::uint8_t code);

std::vector<std::uint8_t> Insert(std::vector<std::uint8_t> bytes, std::size_t at, const std::vector<std::uint8_t>& what);

bool Contains(const std::vector<std::string>& lines, const std::string& text);

// A fuzzer input from the test data, without the fuzzer's leading selector byte.
std::vector<std::uint8_t> FuzzerInput(const std::string& name);

// The bitmap's colours as RGB, and whether every pixel is opaque.
Image FromBitmap32(const TCustomBitmap32& bitmap, bool* opaque = nullptr);

// Paints a colour picture into the bitmap, alpha varying from pixel to pixel
// unless opaque.
void ToBitmap32(TCustomBitmap32& bitmap, const Image& photo, bool opaque = false);

}  // namespace jpegtest
