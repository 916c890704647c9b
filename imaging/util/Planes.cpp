// Conversion between interleaved samples and byte planes.

#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/util/Packing.h"

namespace imaging {
namespace {

constexpr int cMaxChannels = 8;

bool Overlap(const std::uint8_t* a, const std::uint8_t* b, std::size_t count) {
  const auto first = reinterpret_cast<std::uintptr_t>(a);
  const auto second = reinterpret_cast<std::uintptr_t>(b);
  return first < second + count && second < first + count;
}

// Reads a rows x columns byte matrix from source and writes its transpose to
// dest; bytes past the matrix are copied unchanged. Works from a copy when
// the buffers overlap.
int Transpose(const std::uint8_t* source, std::uint8_t* dest, std::size_t count, std::size_t rows,
              std::size_t columns) {
  std::vector<std::uint8_t> copy;
  if (Overlap(source, dest, count)) {
    copy.assign(source, source + count);
    source = copy.data();
  }
  for (std::size_t r = 0; r < rows; ++r) {
    for (std::size_t c = 0; c < columns; ++c) dest[c * rows + r] = source[r * columns + c];
  }
  const std::size_t matrix = rows * columns;
  if (count > matrix) std::memmove(dest + matrix, source + matrix, count - matrix);
  return cPackOk;
}

int CheckPlaneArguments(const std::uint8_t* source, const std::uint8_t* dest, int channels) {
  if (source == nullptr) return cPackNoSource;
  if (dest == nullptr) return cPackNoDest;
  if (channels < 1 || channels > cMaxChannels) return cPackBadChannels;
  return cPackOk;
}

}  // namespace

int MergePlanes(const std::uint8_t* source, std::uint8_t* dest, std::size_t count, int channels) {
  if (const int error = CheckPlaneArguments(source, dest, channels)) return error;
  const auto planes = static_cast<std::size_t>(channels);
  return Transpose(source, dest, count, planes, count / planes);
}

int SplitPlanes(const std::uint8_t* source, std::uint8_t* dest, std::size_t count, int channels) {
  if (const int error = CheckPlaneArguments(source, dest, channels)) return error;
  const auto planes = static_cast<std::size_t>(channels);
  return Transpose(source, dest, count, count / planes, planes);
}

}  // namespace imaging
