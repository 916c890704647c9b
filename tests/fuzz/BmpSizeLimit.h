#pragma once
// Run-length BMP data can describe a picture of any size in a few bytes. The
// decoders refuse, from the header, a picture past the picture budget
// (PictureBudget.h): targets decode whatever comes and check that they do.
// Pictures past kMaxRoundTripPixels are only decoded, not written and read
// back: their round trip would only make a run slow.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/formats/PictureBudget.h"
#include "platform/rtl/BinaryIO.h"

namespace fuzz {

constexpr std::int64_t kMaxRoundTripPixels = std::int64_t{1} << 22;

// The pixels a BMP's header declares; 0 for bytes that are no BMP header.
inline std::int64_t DeclaredBmpPixels(const std::uint8_t* data, std::size_t size) {
  if (size < 26 || data[0] != 'B' || data[1] != 'M') return 0;
  if (rtl::FromLittleEndian<std::uint32_t>(data + 14) == 12)  // core header: 16-bit sizes
    return std::int64_t{rtl::FromLittleEndian<std::uint16_t>(data + 18)} *
           rtl::FromLittleEndian<std::uint16_t>(data + 20);
  return std::llabs(std::int64_t{rtl::FromLittleEndian<std::int32_t>(data + 18)} *
                    rtl::FromLittleEndian<std::int32_t>(data + 22));
}

inline std::int64_t PixelsOf(const TCustomBitmap32& bitmap) {
  return bitmap.IsEmpty() ? 0 : std::int64_t{bitmap.GetWidth()} * bitmap.GetHeight();
}

// A decoded picture is never past the budget.
inline void RequireWithinBudget(const TCustomBitmap32& bitmap) {
  if (PixelsOf(bitmap) > imaging::MaxPicturePixels) std::terminate();
}

}  // namespace fuzz
