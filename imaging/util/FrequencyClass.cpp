// Frequency-class packing. Byte values are ranked by frequency; rank 0 costs
// a 2-bit class only, ranks 1-2 one index bit more, ranks 3-18 four and the
// rest eight. Block layout (little-endian):
//   0  u32 unpacked length L
//   4  u32 offset of the 1-bit section      8  u32 offset of the 4-bit section
//   12 u8  N, then the N + 1 table entries by rank
//   class section (L / 4 + 1 bytes, four 2-bit classes a byte, low bits first)
//   class-3 section (one byte per class-3 input byte: rank - 19)
//   4-bit section (C2 / 2 + 1 bytes, low nibble first: rank - 3)
//   1-bit section (C1 / 8 + 1 bytes, bit 0 first: rank - 1)

#include <array>
#include <cstring>
#include <limits>

#include "imaging/util/Packing.h"
#include "platform/rtl/BinaryIO.h"

namespace imaging {
namespace {

constexpr std::size_t cHeaderSize = 13;
constexpr std::size_t cFirstClass1Rank = 1;
constexpr std::size_t cFirstClass2Rank = 3;
constexpr std::size_t cFirstClass3Rank = 19;
constexpr std::size_t cValues = 256;

constexpr std::uint8_t ClassOfRank(std::size_t rank) {
  if (rank >= cFirstClass3Rank) return 3;
  if (rank >= cFirstClass2Rank) return 2;
  return rank >= cFirstClass1Rank ? 1 : 0;
}

constexpr std::size_t cFirstRankOfClass[4] = {0, cFirstClass1Rank, cFirstClass2Rank, cFirstClass3Rank};

using TCounts = std::array<std::uint32_t, cValues>;

// Exchange ordering by descending count; its tie order is part of the format.
std::array<std::uint8_t, cValues> RankByFrequency(const TCounts& counts) {
  std::array<std::uint8_t, cValues> order{};
  for (std::size_t i = 0; i < cValues; ++i) order[i] = static_cast<std::uint8_t>(i);
  for (std::size_t i = 0; i + 1 < cValues; ++i) {
    for (std::size_t j = cValues - 1; j > i; --j) {
      if (counts[order[i]] < counts[order[j]]) std::swap(order[i], order[j]);
    }
  }
  return order;
}

// The highest rank the table holds: the first unused rank from 19 on, else 255.
std::size_t LastTableRank(const TCounts& counts, const std::array<std::uint8_t, cValues>& order) {
  for (std::size_t rank = cFirstClass3Rank; rank < cValues; ++rank) {
    if (counts[order[rank]] == 0) return rank;
  }
  return cValues - 1;
}

struct TBlockLayout {
  std::size_t ClassSection;
  std::size_t Class3Section;
  std::size_t NibbleSection;
  std::size_t BitSection;
  std::size_t End;
};

TBlockLayout LayoutOf(std::size_t lastRank, std::size_t count, std::size_t class1, std::size_t class2,
                      std::size_t class3) {
  TBlockLayout layout{};
  layout.ClassSection = cHeaderSize + lastRank + 1;
  layout.Class3Section = layout.ClassSection + count / 4 + 1;
  layout.NibbleSection = layout.Class3Section + class3;
  layout.BitSection = layout.NibbleSection + class2 / 2 + 1;
  layout.End = layout.BitSection + class1 / 8 + 1;
  return layout;
}

void WriteSections(const std::uint8_t* source, std::size_t count, const std::array<std::uint8_t, cValues>& rankOf,
                   const TBlockLayout& layout, std::uint8_t* dest) {
  std::uint8_t* classes = dest + layout.ClassSection;
  std::uint8_t* class3 = dest + layout.Class3Section;
  std::uint8_t* nibbles = dest + layout.NibbleSection;
  std::uint8_t* bits = dest + layout.BitSection;
  std::memset(classes, 0, layout.End - layout.ClassSection);
  std::size_t nibbleCount = 0;
  std::size_t bitCount = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t rank = rankOf[source[i]];
    const std::uint8_t cls = ClassOfRank(rank);
    const std::size_t code = rank - cFirstRankOfClass[cls];
    classes[i / 4] |= static_cast<std::uint8_t>(cls << (2 * (i % 4)));
    if (cls == 3) {
      *class3++ = static_cast<std::uint8_t>(code);
    } else if (cls == 2) {
      nibbles[nibbleCount / 2] |= static_cast<std::uint8_t>(code << (4 * (nibbleCount % 2)));
      ++nibbleCount;
    } else if (cls == 1) {
      bits[bitCount / 8] |= static_cast<std::uint8_t>(code << (bitCount % 8));
      ++bitCount;
    }
  }
}

// Bounded reading of the three index sections of a block.
class TIndexReader {
public:
  TIndexReader(const std::uint8_t* block, std::size_t size, std::size_t class3, std::size_t nibbles,
               std::size_t bits)
      : Block(block), Size(size), Class3(class3), Nibbles(nibbles), Bits(bits) {}

  // The rank coded for one byte of the given class, or false past the block's end.
  bool NextRank(std::uint8_t cls, std::size_t& rank) {
    std::size_t code = 0;
    switch (cls) {
      case 0: break;
      case 1:
        if (!Fetch(Bits, BitsRead / 8, code)) return false;
        code = (code >> (BitsRead++ % 8)) & 1;
        break;
      case 2:
        if (!Fetch(Nibbles, NibblesRead / 2, code)) return false;
        code = (code >> (4 * (NibblesRead++ % 2))) & 0xF;
        break;
      default:
        if (!Fetch(Class3, Class3Read++, code)) return false;
        break;
    }
    rank = cFirstRankOfClass[cls] + code;
    return true;
  }

private:
  bool Fetch(std::size_t section, std::size_t index, std::size_t& byte) const {
    if (section >= Size || index >= Size - section) return false;
    byte = Block[section + index];
    return true;
  }

  const std::uint8_t* Block;
  std::size_t Size;
  std::size_t Class3, Nibbles, Bits;
  std::size_t Class3Read = 0, NibblesRead = 0, BitsRead = 0;
};

// The fixed part of a block as stored, read only when the block is long
// enough to hold its table and its class section.
struct TBlockHeader {
  std::size_t Length = 0;
  std::size_t BitSection = 0;
  std::size_t NibbleSection = 0;
  std::size_t LastRank = 0;
  std::size_t ClassSection = 0;
};

bool ReadBlockHeader(const std::uint8_t* source, std::size_t sourceCount, TBlockHeader& header) {
  if (sourceCount < cHeaderSize) return false;
  header.Length = rtl::FromLittleEndian<std::uint32_t>(source);
  header.BitSection = rtl::FromLittleEndian<std::uint32_t>(source + 4);
  header.NibbleSection = rtl::FromLittleEndian<std::uint32_t>(source + 8);
  header.LastRank = source[12];
  header.ClassSection = cHeaderSize + header.LastRank + 1;
  const std::size_t classBytes = header.Length / 4 + 1;
  return header.ClassSection <= sourceCount && classBytes <= sourceCount - header.ClassSection;
}

}  // namespace

int FrequencyPack(const std::uint8_t* source, std::size_t count, std::uint8_t* dest, std::size_t destCapacity,
                  std::size_t& destCount) {
  destCount = 0;
  if (source == nullptr) return cPackNoSource;
  if (dest == nullptr) return cPackNoDest;
  constexpr std::size_t cMaxField = std::numeric_limits<std::uint32_t>::max();
  if (count > cMaxField) return cPackTooLarge;

  TCounts counts{};
  for (std::size_t i = 0; i < count; ++i) ++counts[source[i]];
  const auto order = RankByFrequency(counts);
  std::array<std::uint8_t, cValues> rankOf{};
  std::size_t classTotals[4] = {};
  for (std::size_t rank = 0; rank < cValues; ++rank) {
    rankOf[order[rank]] = static_cast<std::uint8_t>(rank);
    classTotals[ClassOfRank(rank)] += counts[order[rank]];
  }
  const std::size_t lastRank = LastTableRank(counts, order);
  const TBlockLayout layout = LayoutOf(lastRank, count, classTotals[1], classTotals[2], classTotals[3]);
  if (layout.End > cMaxField) return cPackTooLarge;
  if (layout.End > destCapacity) return cPackDestTooSmall;

  rtl::ToLittleEndian(static_cast<std::uint32_t>(count), dest);
  rtl::ToLittleEndian(static_cast<std::uint32_t>(layout.BitSection), dest + 4);
  rtl::ToLittleEndian(static_cast<std::uint32_t>(layout.NibbleSection), dest + 8);
  dest[12] = static_cast<std::uint8_t>(lastRank);
  std::memcpy(dest + cHeaderSize, order.data(), lastRank + 1);
  WriteSections(source, count, rankOf, layout, dest);
  destCount = layout.End;
  return cPackOk;
}

int FrequencyUnpack(const std::uint8_t* source, std::size_t sourceCount, std::uint8_t* dest,
                    std::size_t destCapacity, std::size_t& destCount) {
  destCount = 0;
  if (source == nullptr) return cPackNoSource;
  if (dest == nullptr) return cPackNoDest;
  TBlockHeader header;
  if (!ReadBlockHeader(source, sourceCount, header)) return cPackCorrupt;
  if (header.Length > destCapacity) return cPackDestTooSmall;

  const std::uint8_t* classes = source + header.ClassSection;
  const std::uint8_t* table = source + cHeaderSize;
  TIndexReader indexes(source, sourceCount, header.ClassSection + header.Length / 4 + 1, header.NibbleSection,
                       header.BitSection);
  for (std::size_t i = 0; i < header.Length; ++i) {
    const std::uint8_t cls = (classes[i / 4] >> (2 * (i % 4))) & 3;
    std::size_t rank = 0;
    if (!indexes.NextRank(cls, rank) || rank > header.LastRank) return cPackCorrupt;
    dest[i] = table[rank];
  }
  destCount = header.Length;
  return cPackOk;
}

int FrequencyUnpackedLength(const std::uint8_t* source, std::size_t sourceCount, std::size_t& length) {
  length = 0;
  if (source == nullptr) return cPackNoSource;
  TBlockHeader header;
  if (!ReadBlockHeader(source, sourceCount, header)) return cPackCorrupt;
  length = header.Length;
  return cPackOk;
}

}  // namespace imaging
