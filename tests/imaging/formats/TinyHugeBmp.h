#pragma once
// A run-length BMP of 64 bytes that declares any size: headers, two palette
// entries (the second one's blue is `shade`, so that pictures can differ)
// and the end-of-picture code, which leaves every pixel at index 0.

#include <cstdint>
#include <string>

#include "platform/rtl/BinaryIO.h"

namespace imagingtest {

inline std::string TinyHugeBmp(std::int32_t width, std::int32_t height, std::uint8_t shade = 0) {
  std::string bytes(64, '\0');
  auto put32 = [&bytes](std::size_t at, std::uint32_t value) {
    rtl::ToLittleEndian(value, reinterpret_cast<std::uint8_t*>(&bytes[at]));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, 64);
  put32(10, 62);  // pixels after the palette
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  put32(26, 1 | 8 << 16);  // one plane, 8 bits
  put32(30, 1);            // BI_RLE8
  put32(46, 2);            // two colours
  bytes[58] = static_cast<char>(shade);
  bytes[62] = 0;  // end of picture
  bytes[63] = 1;
  return bytes;
}

}  // namespace imagingtest
