#pragma once
// Field-by-field little-endian reading and writing of binary records, so no
// structure is ever copied to or from a file as raw memory.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/rtl/Stream.h"

namespace rtl {

template <class T>
T FromLittleEndian(const std::uint8_t* bytes) {
  static_assert(std::is_arithmetic_v<T>);
  using U = std::conditional_t<sizeof(T) == 1, std::uint8_t,
            std::conditional_t<sizeof(T) == 2, std::uint16_t,
            std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>>;
  U value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) value |= static_cast<U>(U{bytes[i]} << (8 * i));
  return std::bit_cast<T>(value);
}

template <class T>
void ToLittleEndian(T value, std::uint8_t* bytes) {
  static_assert(std::is_arithmetic_v<T>);
  using U = std::conditional_t<sizeof(T) == 1, std::uint8_t,
            std::conditional_t<sizeof(T) == 2, std::uint16_t,
            std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>>;
  const U bits = std::bit_cast<U>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

// Reads one little-endian value; raises EReadError at the end of the stream.
template <class T>
T ReadLE(TStream& stream) {
  std::array<std::uint8_t, sizeof(T)> bytes{};
  stream.ReadBuffer(bytes.data(), sizeof(T));
  return FromLittleEndian<T>(bytes.data());
}

template <class T>
void WriteLE(TStream& stream, T value) {
  std::array<std::uint8_t, sizeof(T)> bytes{};
  ToLittleEndian(value, bytes.data());
  stream.WriteBuffer(bytes.data(), sizeof(T));
}

}  // namespace rtl
