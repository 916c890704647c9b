// The worst-case output size shared by all packers, and the delta plus
// frequency-class chains.

#include <limits>

#include "imaging/util/Packing.h"

namespace imaging {

// Run-length packing costs at most 4 bytes per 3 input bytes (a 3-byte run
// packed as a 2-byte run record followed by a 1-byte literal record), plus
// a record at the end. A frequency-class block costs at most 2474 bits per
// 256 input bytes (evenly spread values) plus a 13-byte header, a table of
// 256 entries and three padding bytes, which stays below the run-length
// figure plus that fixed part.
std::size_t PackedSizeBound(std::size_t count) {
  constexpr std::size_t cFixed = 13 + 256 + 3;
  constexpr std::size_t cMax = std::numeric_limits<std::size_t>::max();
  const std::size_t extra = count / 3 + 1 + cFixed;
  return count > cMax - extra ? cMax : count + extra;
}

int DeltaFrequencyPack(std::uint8_t* source, std::size_t count, std::uint8_t* dest, std::size_t destCapacity,
                       std::size_t& destCount) {
  destCount = 0;
  if (dest == nullptr) return cPackNoDest;  // before the source is touched
  if (const int error = DeltaEncode(source, count, source)) return error;
  return FrequencyPack(source, count, dest, destCapacity, destCount);
}

int DeltaFrequencyUnpack(const std::uint8_t* source, std::size_t sourceCount, std::uint8_t* dest,
                         std::size_t destCapacity, std::size_t& destCount) {
  if (const int error = FrequencyUnpack(source, sourceCount, dest, destCapacity, destCount)) return error;
  return DeltaDecode(dest, destCount, dest);
}

}  // namespace imaging
