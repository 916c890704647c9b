// Byte delta filter: turns slowly varying planes into runs of small values.

#include "imaging/util/Packing.h"

namespace imaging {

int DeltaEncode(const std::uint8_t* source, std::size_t count, std::uint8_t* dest) {
  if (source == nullptr) return cPackNoSource;
  if (dest == nullptr) return cPackNoDest;
  std::uint8_t previous = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t current = source[i];  // read before dest[i] may overwrite it
    dest[i] = static_cast<std::uint8_t>(current - previous);
    previous = current;
  }
  return cPackOk;
}

int DeltaDecode(const std::uint8_t* source, std::size_t count, std::uint8_t* dest) {
  if (source == nullptr) return cPackNoSource;
  if (dest == nullptr) return cPackNoDest;
  DeltaDecodeFrom(0, source, count, dest);
  return cPackOk;
}

std::uint8_t DeltaDecodeFrom(std::uint8_t previous, const std::uint8_t* source, std::size_t count, std::uint8_t* dest) {
  for (std::size_t i = 0; i < count; ++i) {
    previous = static_cast<std::uint8_t>(source[i] + previous);
    dest[i] = previous;
  }
  return previous;
}

}  // namespace imaging
