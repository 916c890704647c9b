// Frequency-class packing (the layout is in FrequencyLayout.h).

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "imaging/util/FrequencyLayout.h"
#include "imaging/util/Packing.h"
#include "platform/rtl/BinaryIO.h"

namespace imaging {
namespace {

constexpr std::size_t cHeaderSize = frequency::HeaderSize;
constexpr std::size_t cFirstClass1Rank = frequency::FirstClass1Rank;
constexpr std::size_t cFirstClass2Rank = frequency::FirstClass2Rank;
constexpr std::size_t cFirstClass3Rank = frequency::FirstClass3Rank;
constexpr std::size_t cValues = frequency::Values;

constexpr std::uint8_t ClassOfRank(std::size_t rank) {
  if (rank >= cFirstClass3Rank) return 3;
  if (rank >= cFirstClass2Rank) return 2;
  return rank >= cFirstClass1Rank ? 1 : 0;
}

using frequency::FirstRankOfClass;

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
    const std::size_t code = rank - FirstRankOfClass[cls];
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

}  // namespace imaging
