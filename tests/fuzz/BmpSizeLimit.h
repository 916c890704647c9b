#pragma once
// Run-length BMP data can describe a picture of any size in a few bytes;
// pictures past kMaxFuzzBmpPixels only make a fuzz run slow (and its round
// trip run out of memory), so targets leave them out.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/rtl/BinaryIO.h"

namespace fuzz {

constexpr std::int64_t kMaxFuzzBmpPixels = std::int64_t{1} << 22;

// Whether the bytes are a BMP whose header declares more pixels than that.
inline bool IsOversizedBmp(const std::uint8_t* data, std::size_t size) {
  if (size < 26 || data[0] != 'B' || data[1] != 'M') return false;
  std::int64_t pixels;
  if (rtl::FromLittleEndian<std::uint32_t>(data + 14) == 12) {  // core header: 16-bit sizes
    pixels = std::int64_t{rtl::FromLittleEndian<std::uint16_t>(data + 18)} *
             rtl::FromLittleEndian<std::uint16_t>(data + 20);
  } else {
    pixels = std::llabs(std::int64_t{rtl::FromLittleEndian<std::int32_t>(data + 18)} *
                        rtl::FromLittleEndian<std::int32_t>(data + 22));
  }
  return pixels > kMaxFuzzBmpPixels;
}

}  // namespace fuzz
