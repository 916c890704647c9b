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

#include <algorithm>
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

// How many class-1, class-2 and class-3 entries the first `entries` 2-bit
// classes of a class byte hold, packed as three bytes of a word.
constexpr std::uint32_t ClassTally(unsigned classByte, unsigned entries) {
  std::uint32_t tally = 0;
  for (unsigned e = 0; e < entries; ++e) {
    const unsigned cls = classByte >> (2 * e) & 3;
    if (cls != 0) tally += 1u << (8 * (cls - 1));
  }
  return tally;
}

constexpr auto cClassTallies = [] {
  std::array<std::uint32_t, cValues> tallies{};
  for (unsigned b = 0; b < cValues; ++b) tallies[b] = ClassTally(b, 4);
  return tallies;
}();

// The number of entries of each class among the first length classes.
std::array<std::size_t, 4> CountClasses(const std::uint8_t* classes, std::size_t length) {
  std::array<std::size_t, 4> totals{};
  std::size_t whole = length / 4;
  while (whole > 0) {
    // Up to 63 bytes of tallies add up without carrying between their bytes.
    const std::size_t run = std::min<std::size_t>(whole, 63);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < run; ++i) sum += cClassTallies[classes[i]];
    for (std::size_t c = 1; c < 4; ++c) totals[c] += sum >> (8 * (c - 1)) & 0xFF;
    classes += run;
    whole -= run;
  }
  const std::uint32_t rest = ClassTally(length % 4 != 0 ? *classes : 0, static_cast<unsigned>(length % 4));
  for (std::size_t c = 1; c < 4; ++c) totals[c] += rest >> (8 * (c - 1)) & 0xFF;
  return totals;
}

// Whether count bytes from offset lie within size bytes.
bool SectionFits(std::size_t offset, std::size_t count, std::size_t size) {
  return count == 0 || (offset <= size && count <= size - offset);
}

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

  // The index sections are proven to have the lengths the layout gives them
  // for what the classes ask, so that the decoding loop reads without checks
  // and may look one entry ahead in each section.
  const std::uint8_t* classes = source + header.ClassSection;
  const std::array<std::size_t, 4> totals = CountClasses(classes, header.Length);
  const std::size_t class3Section = header.ClassSection + header.Length / 4 + 1;
  if (!SectionFits(class3Section, totals[3] + 1, sourceCount) ||
      !SectionFits(header.NibbleSection, totals[2] / 2 + 1, sourceCount) ||
      !SectionFits(header.BitSection, totals[1] / 8 + 1, sourceCount))
    return cPackCorrupt;
  std::array<std::uint8_t, cValues> table{};
  std::memcpy(table.data(), source + cHeaderSize, header.LastRank + 1);
  const std::uint8_t* class3 = source + class3Section;
  const std::uint8_t* nibbles = source + header.NibbleSection;
  const std::uint8_t* bits = source + header.BitSection;
  std::size_t nibblesRead = 0, bitsRead = 0, highestRank = 0;
  // The rank each class would code, chosen without a branch: the classes of
  // real data follow no pattern a predictor could learn.
  const auto decode = [&](std::size_t cls) {
    const std::array<std::size_t, 4> ranks = {
        0, cFirstClass1Rank + ((bits[bitsRead / 8] >> (bitsRead % 8)) & 1),
        cFirstClass2Rank + ((nibbles[nibblesRead / 2] >> (4 * (nibblesRead % 2))) & 0xF),
        cFirstClass3Rank + *class3};
    const std::size_t rank = ranks[cls];
    bitsRead += cls == 1;
    nibblesRead += cls == 2;
    class3 += cls == 3;
    highestRank = std::max(highestRank, rank);
    return table[rank];
  };
  // Four entries a class byte; a byte of four class-0 entries, the most
  // frequent value four times, is common enough to be written at once.
  const std::size_t whole = header.Length / 4;
  for (std::size_t q = 0; q < whole; ++q, dest += 4) {
    const unsigned classByte = classes[q];
    if (classByte == 0) {
      std::memset(dest, table[0], 4);
      continue;
    }
    for (unsigned e = 0; e < 4; ++e) dest[e] = decode(classByte >> (2 * e) & 3);
  }
  for (unsigned e = 0; e < header.Length % 4; ++e) dest[e] = decode(classes[whole] >> (2 * e) & 3);
  if (highestRank > header.LastRank) return cPackCorrupt;
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
