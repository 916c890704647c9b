#include "imaging/util/FrequencyReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "imaging/util/FrequencyLayout.h"
#include "imaging/util/Packing.h"
#include "platform/rtl/BinaryIO.h"

namespace imaging {
namespace {

using namespace frequency;

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
  std::array<std::uint32_t, Values> tallies{};
  for (unsigned b = 0; b < Values; ++b) tallies[b] = ClassTally(b, 4);
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
  totals[0] = length - totals[1] - totals[2] - totals[3];
  return totals;
}

// The set bits of each byte value, looked up: the processor's own count is
// not an instruction every build may use.
constexpr auto cBitCounts = [] {
  std::array<std::uint8_t, Values> counts{};
  for (unsigned b = 0; b < Values; ++b) counts[b] = static_cast<std::uint8_t>(std::popcount(b));
  return counts;
}();

// The set bits among the first count bits (bit 0 of the first byte first).
std::size_t OnesAmong(const std::uint8_t* bits, std::size_t count) {
  std::size_t ones = 0;
  for (std::size_t i = 0; i < count / 8; ++i) ones += cBitCounts[bits[i]];
  if (count % 8 != 0) ones += cBitCounts[bits[count / 8] & ((1u << (count % 8)) - 1)];
  return ones;
}

// How often each value occurs among the first count nibbles (low nibble of
// the first byte first), and among the first count bytes.
std::array<std::size_t, 16> NibbleHistogram(const std::uint8_t* nibbles, std::size_t count) {
  std::array<std::size_t, 16> histogram{};
  for (std::size_t i = 0; i < count / 2; ++i) {
    ++histogram[nibbles[i] & 0xF];
    ++histogram[nibbles[i] >> 4];
  }
  if (count % 2 != 0) ++histogram[nibbles[count / 2] & 0xF];
  return histogram;
}

std::array<std::size_t, Values> ByteHistogram(const std::uint8_t* bytes, std::size_t count) {
  std::array<std::size_t, Values> histogram{};
  for (std::size_t i = 0; i < count; ++i) ++histogram[bytes[i]];
  return histogram;
}

// The highest value that occurs in a histogram; 0 when none does.
template <std::size_t N>
std::size_t HighestOccurring(const std::array<std::size_t, N>& histogram) {
  for (std::size_t v = N; v-- > 0;)
    if (histogram[v] != 0) return v;
  return 0;
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
  if (sourceCount < HeaderSize) return false;
  header.Length = rtl::FromLittleEndian<std::uint32_t>(source);
  header.BitSection = rtl::FromLittleEndian<std::uint32_t>(source + 4);
  header.NibbleSection = rtl::FromLittleEndian<std::uint32_t>(source + 8);
  header.LastRank = source[12];
  header.ClassSection = HeaderSize + header.LastRank + 1;
  const std::size_t classBytes = header.Length / 4 + 1;
  return header.ClassSection <= sourceCount && classBytes <= sourceCount - header.ClassSection;
}

}  // namespace

int TFrequencyBlock::Open(const std::uint8_t* source, std::size_t sourceCount) {
  if (source == nullptr) return cPackNoSource;
  TBlockHeader header;
  if (!ReadBlockHeader(source, sourceCount, header)) return cPackCorrupt;
  // The index sections must have the lengths the layout gives them for what
  // the classes ask, so that readers decode without checks and may look one
  // entry ahead in each section.
  const std::array<std::size_t, 4> totals = CountClasses(source + header.ClassSection, header.Length);
  const std::size_t class3Section = header.ClassSection + header.Length / 4 + 1;
  if (!SectionFits(class3Section, totals[3] + 1, sourceCount) ||
      !SectionFits(header.NibbleSection, totals[2] / 2 + 1, sourceCount) ||
      !SectionFits(header.BitSection, totals[1] / 8 + 1, sourceCount))
    return cPackCorrupt;
  const std::size_t highestRank = std::max(
      {totals[1] == 0 ? 0 : FirstClass1Rank + (OnesAmong(source + header.BitSection, totals[1]) != 0),
       totals[2] == 0 ? 0 : FirstClass2Rank + HighestOccurring(NibbleHistogram(source + header.NibbleSection, totals[2])),
       totals[3] == 0 ? 0 : FirstClass3Rank + HighestOccurring(ByteHistogram(source + class3Section, totals[3]))});
  if (highestRank > header.LastRank) return cPackCorrupt;
  Length = header.Length;
  Classes = source + header.ClassSection;
  Class3 = source + class3Section;
  Nibbles = source + header.NibbleSection;
  Bits = source + header.BitSection;
  Table.fill(0);
  std::memcpy(Table.data(), source + HeaderSize, header.LastRank + 1);
  return cPackOk;
}

TFrequencyReader::TFrequencyReader(const TFrequencyBlock& block, std::size_t entry) : Block(&block), Entry(entry) {
  const std::array<std::size_t, 4> before = CountClasses(block.Classes, entry);
  BitsRead = before[1];
  NibblesRead = before[2];
  Class3 = block.Class3 + before[3];
  const std::size_t ones = OnesAmong(block.Bits, before[1]);
  std::size_t sum = before[0] * block.Table[0] + (before[1] - ones) * block.Table[FirstClass1Rank] +
                    ones * block.Table[FirstClass1Rank + 1];
  const std::array<std::size_t, 16> nibbles = NibbleHistogram(block.Nibbles, before[2]);
  for (std::size_t v = 0; v < nibbles.size(); ++v) sum += nibbles[v] * block.Table[FirstClass2Rank + v];
  const std::array<std::size_t, Values> codes = ByteHistogram(block.Class3, before[3]);
  for (std::size_t v = 0; v + FirstClass3Rank < Values; ++v) sum += codes[v] * block.Table[FirstClass3Rank + v];
  Sum = static_cast<std::uint8_t>(sum);
}

// The rank each class would code, chosen without a branch: the classes of
// real data follow no pattern a predictor could learn.
std::uint8_t TFrequencyReader::Decode(unsigned cls) {
  const std::array<std::size_t, 4> ranks = {
      0, FirstClass1Rank + ((Block->Bits[BitsRead / 8] >> (BitsRead % 8)) & 1),
      FirstClass2Rank + ((Block->Nibbles[NibblesRead / 2] >> (4 * (NibblesRead % 2))) & 0xF),
      FirstClass3Rank + *Class3};
  BitsRead += cls == 1;
  NibblesRead += cls == 2;
  Class3 += cls == 3;
  return Block->Table[ranks[cls]];
}

std::size_t TFrequencyReader::Read(std::uint8_t* dest, std::size_t count) {
  count = std::min(count, Block->Length - Entry);
  const std::uint8_t* classes = Block->Classes;
  const auto classOf = [classes](std::size_t entry) { return classes[entry / 4] >> (2 * (entry % 4)) & 3u; };
  const std::size_t end = Entry + count;
  for (; Entry < end && Entry % 4 != 0; ++Entry) *dest++ = Decode(classOf(Entry));
  // Four entries a class byte; a byte of four class-0 entries, the most
  // frequent value four times, is common enough to be written at once.
  for (; Entry + 4 <= end; Entry += 4, dest += 4) {
    const unsigned classByte = classes[Entry / 4];
    if (classByte == 0) {
      std::memset(dest, Block->Table[0], 4);
      continue;
    }
    for (unsigned e = 0; e < 4; ++e) dest[e] = Decode(classByte >> (2 * e) & 3);
  }
  for (; Entry < end; ++Entry) *dest++ = Decode(classOf(Entry));
  return count;
}

int FrequencyUnpack(const std::uint8_t* source, std::size_t sourceCount, std::uint8_t* dest,
                    std::size_t destCapacity, std::size_t& destCount) {
  destCount = 0;
  if (source == nullptr) return cPackNoSource;
  if (dest == nullptr) return cPackNoDest;
  TFrequencyBlock block;
  if (const int error = block.Open(source, sourceCount)) return error;
  if (block.Length > destCapacity) return cPackDestTooSmall;
  TFrequencyReader(block, 0).Read(dest, block.Length);
  destCount = block.Length;
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
