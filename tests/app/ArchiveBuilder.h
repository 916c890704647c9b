#pragma once
// Archives of the label document file written by hand, field by field, as
// the published layout says, independent of the component that reads them.

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace apptest {

using Bytes = std::vector<std::uint8_t>;

struct TArchiveBuilder {
  Bytes Data;
  TArchiveBuilder& Int(std::int32_t value) {
    for (int i = 0; i < 4; ++i) Data.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
    return *this;
  }
  TArchiveBuilder& Raw(const Bytes& bytes) {
    Data.insert(Data.end(), bytes.begin(), bytes.end());
    return *this;
  }
  TArchiveBuilder& Text(const std::string& text) { return Raw(Bytes(text.begin(), text.end())); }
  TArchiveBuilder& Header(std::int32_t totalSize = 0) { return Int(4).Text("test").Int(totalSize).Int(0); }
  TArchiveBuilder& Name(const std::string& name) { return Int(static_cast<std::int32_t>(name.size())).Text(name); }
  TArchiveBuilder& Tag() { return Text(std::string("EC2\0", 4)); }
  TArchiveBuilder& Entry(const std::string& name, std::int32_t date = 0) { return Name(name).Int(date).Tag(); }
  TArchiveBuilder& Stored(const Bytes& bytes) { return Int(-static_cast<std::int32_t>(bytes.size())).Raw(bytes); }
  TArchiveBuilder& Packed(const Bytes& bytes) {
    Bytes packed(::compressBound(bytes.size()));
    uLongf size = packed.size();
    ::compress(packed.data(), &size, bytes.data(), bytes.size());
    packed.resize(size);
    return Int(static_cast<std::int32_t>(size)).Raw(packed);
  }
  // An entry of one stored chunk.
  TArchiveBuilder& Member(const std::string& name, const Bytes& bytes, std::int32_t date = 0) {
    return Entry(name, date).Stored(bytes).Int(0);
  }
};

// 2020-06-15 12:00:00 packed: year 40 << 25, month 6 << 21, day 15 << 16,
// hour 12 << 11.
constexpr std::int32_t June2020 = (40 << 25) | (6 << 21) | (15 << 16) | (12 << 11);
static_assert(June2020 == 0x50CF6000);

inline Bytes Pattern(std::size_t size, std::uint8_t seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
  return bytes;
}

// An archive on two volumes: volume 1 ends inside "a.tp" (20000 bytes);
// volume 2, to be named with the extension "002", carries its last chunk
// and then "b.tp" (10000 bytes).
struct TTwoVolumes {
  Bytes First, Second, A, B;
  TTwoVolumes() : A(Pattern(20000, 1)), B(Pattern(10000, 2)) {
    TArchiveBuilder first;
    first.Header(30000).Entry("a.tp", June2020).Stored(Bytes(A.begin(), A.begin() + 16384)).Int(0);
    first.Name("NEXT:DISK002");
    TArchiveBuilder second;
    second.Tag().Packed(Bytes(A.begin() + 16384, A.end())).Int(0).Member("b.tp", B, June2020).Int(0);
    First = first.Data;
    Second = second.Data;
  }
};

}  // namespace apptest
