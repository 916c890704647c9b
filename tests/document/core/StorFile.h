#pragma once
// A reader and a writer of "STOR" container files written here from the
// container's file layout alone, so tests check the document's archive with
// code that shares nothing with the container class.

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace doctest {

using TStorStreams = std::vector<std::pair<std::string, std::string>>;

namespace detail {
template <class T>
T Field(const std::string& bytes, std::size_t& at) {
  if (at + sizeof(T) > bytes.size()) throw std::runtime_error("STOR file cut short");
  T value{};
  for (std::size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(static_cast<T>(std::uint8_t(bytes[at + i])) << (8 * i));
  at += sizeof(T);
  return value;
}
template <class T>
void Put(std::string& bytes, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) bytes.push_back(static_cast<char>((std::uint64_t(value) >> (8 * i)) & 0xFF));
}
}  // namespace detail

// The streams of a STOR file, in directory order.
inline TStorStreams ReadStor(const std::string& bytes) {
  if (bytes.compare(0, 4, "STOR") != 0 || bytes.size() < 14) throw std::runtime_error("not a STOR file");
  std::size_t at = 6;
  at = static_cast<std::size_t>(detail::Field<std::int64_t>(bytes, at));
  const auto count = detail::Field<std::int32_t>(bytes, at);
  TStorStreams streams;
  for (std::int32_t i = 0; i < count; ++i) {
    const auto position = static_cast<std::size_t>(detail::Field<std::int64_t>(bytes, at));
    const auto size = static_cast<std::size_t>(detail::Field<std::int64_t>(bytes, at));
    const auto length = static_cast<std::size_t>(detail::Field<std::int32_t>(bytes, at));
    if (at + length > bytes.size() || position + size > bytes.size()) throw std::runtime_error("STOR entry out of the file");
    streams.emplace_back(bytes.substr(at, length), bytes.substr(position, size));
    at += length;
  }
  return streams;
}

// A saved-file layout: header, 55-byte comment, directory, data.
inline std::string WriteStor(const TStorStreams& streams) {
  std::string bytes = "STOR";
  bytes += '\1';
  bytes += '\1';
  detail::Put<std::int64_t>(bytes, 69);
  std::string comment = "\r\nwritten by a test" + std::string(55 - 4 - 17, ' ') + "\r\n";
  bytes += comment;
  detail::Put<std::int32_t>(bytes, static_cast<std::int32_t>(streams.size()));
  std::int64_t position = 73;
  for (const auto& [name, data] : streams) position += 20 + static_cast<std::int64_t>(name.size());
  for (const auto& [name, data] : streams) {
    detail::Put<std::int64_t>(bytes, position);
    detail::Put<std::int64_t>(bytes, static_cast<std::int64_t>(data.size()));
    detail::Put<std::int32_t>(bytes, static_cast<std::int32_t>(name.size()));
    bytes += name;
    position += static_cast<std::int64_t>(data.size());
  }
  for (const auto& [name, data] : streams) bytes += data;
  return bytes;
}

inline std::string FileBytes(const std::string& fileName) {
  std::ifstream file(fileName, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const std::string& fileName, const std::string& bytes) {
  std::ofstream(fileName, std::ios::binary | std::ios::trunc) << bytes;
}

inline const std::string* FindStream(const TStorStreams& streams, const std::string& name) {
  for (const auto& [n, data] : streams)
    if (n == name) return &data;
  return nullptr;
}

}  // namespace doctest
